#include "PluginHost.h"

#include <algorithm>

namespace kxapp {

void PluginHost::LoadFolder(const std::wstring &folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*.dll").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    std::sort(names.begin(), names.end());
    report_.Line("plugins.folder", folder);
    report_.Line("plugins.found", std::to_string(names.size()));
    for (const std::wstring &name : names) {
        const std::wstring path = folder + L"\\" + name;
        std::string error;
        auto hosted = std::make_unique<HostedPlugin>();
        hosted->loaded = kxshell::LoadedPlugin::Load(path, error);
        if (!hosted->loaded) {
            report_.Line("plugin.failed", Utf8Of(name) + ": " + error);
            continue;
        }
        hosted->description = hosted->loaded->Describe();
        report_.Line("plugin", name);
        report_.Line("plugin.caption", hosted->description.caption);
        report_.Line("plugin.tag", hosted->description.tag);
        if (!hosted->description.problems.empty()) report_.Line("plugin.problems", hosted->description.problems);
        ComPtr<IHostedPlugin> entry;
        hosted->loaded->Object()->QueryInterface(__uuidof(IHostedPlugin), reinterpret_cast<void **>(entry.Put()));
        if (!entry) {
            report_.Line("plugin.initialize", "no IHostedPlugin");
        } else {
            hosted->initialized = entry->Initialize(0, shell_.BaseViewInterface());
            report_.Line("plugin.initialize", HexOf(hosted->initialized));
        }
        plugins_.push_back(std::move(hosted));
    }
}

bool PluginHost::TerminateAll() {
    bool ok = true;
    for (auto &hosted : plugins_) {
        if (FAILED(hosted->initialized) || !hosted->loaded || !hosted->loaded->Object()) continue;
        ComPtr<IHostedPlugin> entry;
        hosted->loaded->Object()->QueryInterface(__uuidof(IHostedPlugin), reinterpret_cast<void **>(entry.Put()));
        const HRESULT hr = entry ? entry->Terminate() : E_NOINTERFACE;
        report_.Line("plugin.terminate", Utf8Of(hosted->description.tag) + " " + HexOf(hr));
        ok = ok && SUCCEEDED(hr);
        hosted->initialized = E_ABORT;
    }
    return ok;
}

void PluginHost::UnloadAll() {
    for (auto &hosted : plugins_) {
        std::string error;
        if (hosted->loaded && !hosted->loaded->Unload(error)) report_.Line("plugin.unload", error);
    }
    plugins_.clear();
}

}  // namespace kxapp
