// Self-registration, checked the way a user installs the plug-in: regsvr32.
#include "PluginModule.h"

#include "ComPtr.h"

namespace {

std::wstring GuidText(REFGUID guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

// The default or named value of HKCR\key, or nothing when it is absent.
bool ReadValue(const std::wstring &key, const wchar_t *name, std::wstring *value)
{
    wchar_t data[MAX_PATH * 2] = {};
    DWORD size = sizeof(data);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return false;
    *value = data;
    return true;
}

DWORD RunRegsvr32(const std::wstring &arguments)
{
    return RunProgram(L"regsvr32.exe /s " + arguments, 30000);
}

TEST(Registration, Regsvr32RoundTripWritesAndRemovesEveryKey)
{
    ComApartment com;
    std::wstring path;
    {
        PluginModule plugin;
        path = plugin.Path();
    }
    const std::wstring control = L"CLSID\\" + GuidText(CLSID_KXActiveXForm);
    const std::wstring player = L"CLSID\\" + GuidText(CLSID_KXPlayer);
    const std::wstring library = L"TypeLib\\" + GuidText(LIBID_KXProject) + L"\\1.0";
#ifdef _WIN64
    const std::wstring platform = L"win64";
#else
    const std::wstring platform = L"win32";
#endif

    ASSERT_EQ(0u, RunRegsvr32(L"\"" + path + L"\""));
    std::wstring value;
    for (const std::wstring &key : {control, player}) {
        ASSERT_TRUE(ReadValue(key + L"\\InprocServer32", nullptr, &value)) << key.c_str();
        EXPECT_EQ(0, _wcsicmp(path.c_str(), value.c_str()));
        ASSERT_TRUE(ReadValue(key + L"\\InprocServer32", L"ThreadingModel", &value));
        EXPECT_EQ(L"Apartment", value);
    }
    ASSERT_TRUE(ReadValue(control + L"\\MiscStatus\\1", nullptr, &value));
    EXPECT_EQ(L"73728", value) << "OLEMISC_SIMPLEFRAME | OLEMISC_ACTSLIKELABEL";
    ASSERT_TRUE(ReadValue(control + L"\\ToolboxBitmap32", nullptr, &value));
    EXPECT_EQ(path + L",1", value);
    EXPECT_TRUE(ReadValue(control + L"\\Control", nullptr, &value));
    EXPECT_TRUE(ReadValue(library + L"\\0\\" + platform, nullptr, &value)) << "the LCID 0 key";
    EXPECT_TRUE(ReadValue(library + L"\\409\\" + platform, nullptr, &value));

    // Registered: COM itself can now make the plug-in object.
    ComPtr<IKXPlayer> created;
    EXPECT_EQ(S_OK, CoCreateInstance(CLSID_KXPlayer, nullptr, CLSCTX_INPROC_SERVER, IID_IKXPlayer,
                                     reinterpret_cast<void **>(created.Put())));
    created.Reset();
    CoFreeUnusedLibraries();

    ASSERT_EQ(0u, RunRegsvr32(L"/u \"" + path + L"\""));
    EXPECT_FALSE(ReadValue(control + L"\\InprocServer32", nullptr, &value));
    EXPECT_FALSE(ReadValue(player + L"\\InprocServer32", nullptr, &value));
    EXPECT_FALSE(ReadValue(library + L"\\0\\" + platform, nullptr, &value));
    EXPECT_FALSE(ReadValue(library + L"\\409\\" + platform, nullptr, &value));
    // Nothing of ours is left: not the library's key, not the classes' ProgIDs.
    for (const std::wstring &key : {L"TypeLib\\" + GuidText(LIBID_KXProject), control, player,
                                    std::wstring(L"KXProject.KXPlayer"), std::wstring(L"KXProject.KXActiveXForm")}) {
        HKEY handle = nullptr;
        EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle)) << key.c_str();
        if (handle) RegCloseKey(handle);
    }

    // Leave the prefix registered for the other tests and the demo.
    ASSERT_EQ(0u, RunRegsvr32(L"\"" + path + L"\""));
}

} // namespace
