// What the plug-in uses to make the panel control.
#pragma once

#include <windows.h>

#include <memory>

#include "GrymCore.h"

class TKXActiveXForm;
class TLayer;
struct TPanelState;

// Misc status the control class is registered with: simple frame, acts like a label.
constexpr DWORD kPanelRegisteredMiscStatus = 0x12000;

// Creates the control object with its form and returns the interface `iid`
// of the control (its IUnknown is what a container holds) and, if asked, the
// form, which lives as long as the control. A control made with `counted`
// keeps the module loaded (DllCanUnloadNow) while it lives. The form writes
// `state` (the plug-in's, shared with its layer); without one it makes its own.
HRESULT CreatePanelControl(REFIID iid, void **out, TKXActiveXForm **form, bool counted = true,
                           std::shared_ptr<TPanelState> state = nullptr);

// Gives the form the shell's map and factory (counted copies) and the layer,
// and binds the layer's jump from the track line to this form's player.
void AttachPanel(TKXActiveXForm *form, IMap *map, IGrymObjectFactory *factory, TLayer *layer);
// The panel's shut-down sequence (the plug-in's Terminate).
void ShutDownPanel(TKXActiveXForm *form);

// A panel held without a reference (the shell owns the control): empty once
// its form has been destroyed, so that nobody calls a form that is gone.
class TCurrentPanel {
public:
    void Set(TKXActiveXForm *form);
    TKXActiveXForm *Get() const;

private:
    TKXActiveXForm *form_ = nullptr;
    std::shared_ptr<const bool> alive_;
};
