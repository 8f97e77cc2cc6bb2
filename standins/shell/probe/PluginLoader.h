// Loading a plug-in DLL the way the map shell does: LoadLibrary, the
// exported CreateGrymPlugin, and the description the shell reads before it
// initialises the plug-in. Shared by the console probe and the windowed shell.
#pragma once

#include "GrymCore.h"
#include "Bstr.h"

#include <memory>
#include <string>

namespace kxshell {

struct PluginDescription {
    std::wstring xmlInfo, tag, caption, description, positionCode;
    // Failures of the getters, "Tag returned 0x80004001"...; empty when all answered.
    std::string problems;
};

class LoadedPlugin {
public:
    // Null with `error` set when the DLL does not load, has no entry or
    // gives no object. The object holds the one reference the shell owns.
    static std::unique_ptr<LoadedPlugin> Load(const std::wstring &path, std::string &error);
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin &) = delete;
    LoadedPlugin &operator=(const LoadedPlugin &) = delete;

    const std::wstring &Path() const { return path_; }
    IUnknown *Object() const { return object_; }
    HRESULT CreateResult() const { return created_; }
    PluginDescription Describe() const;

    // Lets go of the shell's reference to the plug-in object (idempotent).
    void ReleaseObject();
    // Releases the object, then the library; false with `error` when
    // FreeLibrary fails.
    bool Unload(std::string &error);

private:
    LoadedPlugin() = default;
    std::wstring path_;
    HMODULE module_ = nullptr;
    IUnknown *object_ = nullptr;
    HRESULT created_ = E_FAIL;
};

// Reads a BSTR getter, freeing the string; false (text empty) when it fails.
template <class I>
bool ReadText(I *object, HRESULT (STDMETHODCALLTYPE I::*getter)(BSTR *), std::wstring &text, HRESULT *result = nullptr) {
    Bstr raw;
    const HRESULT hr = object ? (object->*getter)(raw.Put()) : E_POINTER;
    if (result) *result = hr;
    text = SUCCEEDED(hr) ? raw.Str() : std::wstring();
    return SUCCEEDED(hr);
}

}  // namespace kxshell
