// The shell's plug-ins: every DLL of the plug-ins folder loaded through
// CreateGrymPlugin, described, initialised with the shell's base view, and
// at the end terminated, released and unloaded in that order.
#pragma once

#include "PluginLoader.h"
#include "Report.h"
#include "StandInShell.h"

#include <memory>
#include <vector>

namespace kxapp {

struct HostedPlugin {
    std::unique_ptr<kxshell::LoadedPlugin> loaded;
    kxshell::PluginDescription description;
    HRESULT initialized = E_FAIL;
};

class PluginHost {
public:
    PluginHost(kxshell::StandInShell &shell, Report &report) : shell_(shell), report_(report) {}

    // Loads and initialises every *.dll of the folder, in name order.
    void LoadFolder(const std::wstring &folder);
    size_t Count() const { return plugins_.size(); }
    const HostedPlugin &Plugin(size_t index) const { return *plugins_.at(index); }

    // Terminate on every initialised plug-in; false when one failed.
    bool TerminateAll();
    // Releases the plug-in objects and unloads the libraries.
    void UnloadAll();

private:
    kxshell::StandInShell &shell_;
    Report &report_;
    std::vector<std::unique_ptr<HostedPlugin>> plugins_;
};

}  // namespace kxapp
