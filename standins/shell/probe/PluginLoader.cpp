#include "PluginLoader.h"

#include "ComPtr.h"
#include "ShellRegistry.h"

namespace kxshell {
namespace {

using CreateGrymPluginFn = HRESULT(WINAPI *)(IUnknown **plugin);

template <class I>
void Read(IUnknown *object, HRESULT (STDMETHODCALLTYPE I::*getter)(BSTR *), const char *name, std::wstring &out,
          std::string &problems) {
    ComPtr<I> part;
    object->QueryInterface(__uuidof(I), reinterpret_cast<void **>(part.Put()));
    HRESULT hr = E_NOINTERFACE;
    if (part) ReadText(part.Get(), getter, out, &hr);
    if (FAILED(hr)) problems += std::string(problems.empty() ? "" : "; ") + name + " returned " + FormatHex(static_cast<unsigned long>(hr));
}

}  // namespace

std::unique_ptr<LoadedPlugin> LoadedPlugin::Load(const std::wstring &path, std::string &error) {
    std::unique_ptr<LoadedPlugin> plugin(new LoadedPlugin);
    plugin->path_ = path;
    plugin->module_ = LoadLibraryW(path.c_str());
    if (!plugin->module_) {
        error = "LoadLibrary, error " + std::to_string(GetLastError());
        return nullptr;
    }
    auto create = reinterpret_cast<CreateGrymPluginFn>(
        reinterpret_cast<void *>(GetProcAddress(plugin->module_, "CreateGrymPlugin")));
    if (!create) {
        error = "the DLL exports no CreateGrymPlugin";
        return nullptr;
    }
    plugin->created_ = create(&plugin->object_);
    if (FAILED(plugin->created_) || !plugin->object_) {
        error = "CreateGrymPlugin gave no plug-in object (" + FormatHex(static_cast<unsigned long>(plugin->created_)) + ")";
        return nullptr;
    }
    return plugin;
}

LoadedPlugin::~LoadedPlugin() {
    std::string ignored;
    Unload(ignored);
}

PluginDescription LoadedPlugin::Describe() const {
    PluginDescription d;
    if (!object_) return d;
    Read<IPluginDescription>(object_, &IPluginDescription::XmlInfo, "XmlInfo", d.xmlInfo, d.problems);
    Read<IDisplayInfo>(object_, &IDisplayInfo::Tag, "Tag", d.tag, d.problems);
    Read<IDisplayInfo>(object_, &IDisplayInfo::Caption, "Caption", d.caption, d.problems);
    Read<IDisplayInfo>(object_, &IDisplayInfo::Description, "Description", d.description, d.problems);
    Read<IPositionCode>(object_, &IPositionCode::PositionCode, "PositionCode", d.positionCode, d.problems);
    return d;
}

void LoadedPlugin::ReleaseObject() {
    if (IUnknown *object = object_) {
        object_ = nullptr;
        object->Release();
    }
}

bool LoadedPlugin::Unload(std::string &error) {
    ReleaseObject();
    if (!module_) return true;
    HMODULE module = module_;
    module_ = nullptr;
    if (!FreeLibrary(module)) {
        error = "FreeLibrary, error " + std::to_string(GetLastError());
        return false;
    }
    return true;
}

}  // namespace kxshell
