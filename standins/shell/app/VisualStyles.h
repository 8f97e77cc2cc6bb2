// Which common controls the shell's windows (and the plug-ins') get. A host
// either has a manifest that asks for the version-6, themed, common controls
// or has none; the stand-in is started as one or the other. With the
// manifest it is activated before the first window is made and stays active
// on the window thread for the whole run, so everything made there - the
// plug-ins' pages and dialogs included - is made as under a process manifest.
#pragma once

// The manifest's resource id: not 1, so that the loader does not apply it
// to every run by itself.
#define KX_VISUAL_STYLES_MANIFEST 101

#ifndef RC_INVOKED
#include <windows.h>

namespace kxapp {

class VisualStyles {
public:
    // Activates the manifest when `wanted`; otherwise does nothing.
    explicit VisualStyles(bool wanted);
    ~VisualStyles();
    VisualStyles(const VisualStyles &) = delete;
    VisualStyles &operator=(const VisualStyles &) = delete;

    // False when the manifest was wanted and could not be activated.
    bool Ready() const { return !wanted_ || cookie_ != 0; }

private:
    bool wanted_;
    HANDLE context_ = INVALID_HANDLE_VALUE;
    ULONG_PTR cookie_ = 0;
};

// 6 when this thread's windows get the version-6 common controls, else 5.
int CommonControlsVersion();

}  // namespace kxapp
#endif
