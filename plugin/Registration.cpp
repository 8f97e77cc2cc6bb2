#include "Registration.h"

#include "Module.h"

#include <KXProject.h>
#include <oleauto.h>
#include <olectl.h>

#include <string>
#include <vector>

namespace {

std::wstring GuidText(REFGUID guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

// Writes HKCR\<key> [value name] = data.
LONG SetKey(const std::wstring &key, const wchar_t *name, const std::wstring &data)
{
    HKEY handle = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &handle, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(data.c_str()),
                        static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return rc;
}

struct ClassEntry {
    const CLSID *clsid;
    const wchar_t *name;
    const wchar_t *progId;
    bool control;
};

const ClassEntry kClasses[] = {
    {&CLSID_KXActiveXForm, L"KXActiveXForm Control", L"KXProject.KXActiveXForm", true},
    {&CLSID_KXPlayer, L"KXPlayer Object", L"KXProject.KXPlayer", false},
};

// The platform the type library is registered for, by this build.
#ifdef _WIN64
const SYSKIND kSysKind = SYS_WIN64;
const wchar_t kPlatformKey[] = L"win64";
#else
const SYSKIND kSysKind = SYS_WIN32;
const wchar_t kPlatformKey[] = L"win32";
#endif

// OLEMISC_SIMPLEFRAME | OLEMISC_ACTSLIKELABEL
const wchar_t kControlMiscStatus[] = L"73728";

LONG RegisterClassEntry(const ClassEntry &entry, const std::wstring &path)
{
    const std::wstring clsid = GuidText(*entry.clsid);
    const std::wstring key = L"CLSID\\" + clsid;
    const std::wstring libid = GuidText(LIBID_KXProject);
    LONG rc = ERROR_SUCCESS;
    auto set = [&rc](const std::wstring &k, const wchar_t *n, const std::wstring &d) {
        if (rc == ERROR_SUCCESS) rc = SetKey(k, n, d);
    };
    set(key, nullptr, entry.name);
    set(key + L"\\InprocServer32", nullptr, path);
    set(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    set(key + L"\\ProgID", nullptr, entry.progId);
    set(key + L"\\TypeLib", nullptr, libid);
    set(key + L"\\Version", nullptr, L"1.0");
    set(entry.progId, nullptr, entry.name);
    set(std::wstring(entry.progId) + L"\\CLSID", nullptr, clsid);
    if (entry.control) {
        set(key + L"\\Control", nullptr, L"");
        set(key + L"\\MiscStatus", nullptr, L"0");
        set(key + L"\\MiscStatus\\1", nullptr, kControlMiscStatus);
        set(key + L"\\ToolboxBitmap32", nullptr, path + L",1");
    }
    return rc;
}

std::vector<std::wstring> Subkeys(const std::wstring &key)
{
    std::vector<std::wstring> names;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = 256;
        if (RegEnumKeyExW(handle, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, size);
    }
    RegCloseKey(handle);
    return names;
}

bool HasSubkeys(const std::wstring &key) { return !Subkeys(key).empty(); }

// A version key of a type library holds one key per language (hex LCID) beside
// FLAGS and HELPDIR; without language keys nothing registers that version.
bool HasLanguageKeys(const std::wstring &versionKey)
{
    for (const std::wstring &name : Subkeys(versionKey))
        if (name != L"FLAGS" && name != L"HELPDIR") return true;
    return false;
}

} // namespace

HRESULT RegisterModule()
{
    const std::wstring path = ModulePath();
    ITypeLib *typeLib = nullptr;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, &typeLib);
    if (FAILED(hr)) return hr;
    typeLib->Release();

    // The type-library marshaler of some COM runtimes looks only under
    // LCID 0; the library itself is registered under 0x409.
    const std::wstring libKey = L"TypeLib\\" + GuidText(LIBID_KXProject) + L"\\1.0";
    LONG rc = SetKey(libKey + L"\\0\\" + kPlatformKey, nullptr, path);

    for (const ClassEntry &entry : kClasses)
        if (rc == ERROR_SUCCESS) rc = RegisterClassEntry(entry, path);
    return rc == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterModule()
{
    bool failed = false;
    for (const ClassEntry &entry : kClasses) {
        const std::wstring key = L"CLSID\\" + GuidText(*entry.clsid);
        LONG rc = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
        failed |= rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND;
        rc = RegDeleteTreeW(HKEY_CLASSES_ROOT, entry.progId);
        failed |= rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND;
    }
    // The LCID 0 key written beside the library goes first: while any
    // language key is left, UnRegisterTypeLib keeps the version key with its
    // FLAGS and HELPDIR.
    const std::wstring libKey = L"TypeLib\\" + GuidText(LIBID_KXProject);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (libKey + L"\\1.0\\0").c_str());
    HRESULT hr = UnRegisterTypeLib(LIBID_KXProject, 1, 0, 0x409, kSysKind);
    if (!HasLanguageKeys(libKey + L"\\1.0")) RegDeleteTreeW(HKEY_CLASSES_ROOT, (libKey + L"\\1.0").c_str());
    if (!HasSubkeys(libKey)) RegDeleteTreeW(HKEY_CLASSES_ROOT, libKey.c_str());
    if (failed) return SELFREG_E_CLASS;
    return hr == TYPE_E_REGISTRYACCESS ? SELFREG_E_TYPELIB : S_OK;
}
