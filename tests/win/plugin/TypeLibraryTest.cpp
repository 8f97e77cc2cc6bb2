// The embedded KXProject type library: its types, their GUIDs and members.
#include "PluginModule.h"

#include "ComPtr.h"

namespace {

struct ExpectedType {
    const wchar_t *name;
    const GUID *guid;
    TYPEKIND kind;
    int functions; // of the vtable interface for duals; -1: not checked
};

int VtableFunctionCount(ITypeInfo *info)
{
    // A dual's TKIND_DISPATCH info leads to its vtable interface through -1.
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> vtable;
    if (FAILED(info->GetRefTypeOfImplType(-1, &ref)) || FAILED(info->GetRefTypeInfo(ref, vtable.Put())))
        return -1;
    TYPEATTR *attr = nullptr;
    vtable->GetTypeAttr(&attr);
    int count = attr->cFuncs;
    vtable->ReleaseTypeAttr(attr);
    return count;
}

TEST(TypeLibrary, HoldsEveryTypeWithItsGuidAndMembers)
{
    ComApartment com;
    PluginModule plugin;
    ComPtr<ITypeLib> library;
    ASSERT_EQ(S_OK, LoadTypeLibEx(plugin.Path().c_str(), REGKIND_NONE, library.Put()));

    TLIBATTR *libAttr = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&libAttr));
    EXPECT_TRUE(IsEqualGUID(LIBID_KXProject, libAttr->guid));
    EXPECT_EQ(1, libAttr->wMajorVerNum);
    EXPECT_EQ(0, libAttr->wMinorVerNum);
    EXPECT_EQ(0x409u, libAttr->lcid);
    library->ReleaseTLibAttr(libAttr);

    static const GUID kBorderStyle = {0x6D23A6A3, 0x854C, 0x4745, {0xA8, 0x98, 0x13, 0x15, 0x91, 0x30, 0x86, 0xCC}};
    static const GUID kPrintScale = {0x759485B8, 0x5749, 0x4125, {0x82, 0x19, 0xA7, 0xC2, 0xF1, 0xCC, 0xD8, 0x56}};
    static const GUID kMouseButton = {0xD44F9E10, 0xB27E, 0x419A, {0xBC, 0x8B, 0x3E, 0x38, 0x8C, 0x84, 0xD7, 0xA0}};
    static const GUID kPopupMode = {0x4702749D, 0xD711, 0x467D, {0xB1, 0x56, 0x13, 0x6E, 0x7F, 0xD4, 0x98, 0x01}};
    const ExpectedType expected[] = {
        {L"IKXPlayer", &IID_IKXPlayer, TKIND_DISPATCH, 3},
        {L"IKXPlayerEvents", &DIID_IKXPlayerEvents, TKIND_DISPATCH, -1},
        {L"KXPlayer", &CLSID_KXPlayer, TKIND_COCLASS, -1},
        {L"IKXActiveXForm", &IID_IKXActiveXForm, TKIND_DISPATCH, 55},
        {L"IKXActiveXFormEvents", &DIID_IKXActiveXFormEvents, TKIND_DISPATCH, -1},
        {L"KXActiveXForm", &CLSID_KXActiveXForm, TKIND_COCLASS, -1},
        {L"TxActiveFormBorderStyle", &kBorderStyle, TKIND_ENUM, -1},
        {L"TxPrintScale", &kPrintScale, TKIND_ENUM, -1},
        {L"TxMouseButton", &kMouseButton, TKIND_ENUM, -1},
        {L"TxPopupMode", &kPopupMode, TKIND_ENUM, -1},
    };
    for (const ExpectedType &type : expected) {
        SCOPED_TRACE(::testing::Message() << "type " << std::string(type.name, type.name + wcslen(type.name)));
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(*type.guid, info.Put()));
        BSTR name = nullptr;
        info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
        EXPECT_EQ(type.name, TakeBstr(name));
        TYPEATTR *attr = nullptr;
        info->GetTypeAttr(&attr);
        EXPECT_EQ(type.kind, attr->typekind);
        info->ReleaseTypeAttr(attr);
        if (type.functions >= 0) {
            EXPECT_EQ(type.functions, VtableFunctionCount(info.Get()));
        }
    }

    // The control's ten events, dispatch ids 201 to 210.
    ComPtr<ITypeInfo> events;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(DIID_IKXActiveXFormEvents, events.Put()));
    TYPEATTR *attr = nullptr;
    events->GetTypeAttr(&attr);
    ASSERT_EQ(10, attr->cFuncs);
    events->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < 10; ++i) {
        FUNCDESC *desc = nullptr;
        ASSERT_EQ(S_OK, events->GetFuncDesc(i, &desc));
        EXPECT_EQ(static_cast<MEMBERID>(201 + i), desc->memid);
        events->ReleaseFuncDesc(desc);
    }
}

// Property browsers recognise a colour by the OLE_COLOR alias and its id.
TEST(TypeLibrary, ColorIsAnOleColour)
{
    ComApartment com;
    PluginModule plugin;
    ComPtr<ITypeLib> library;
    ASSERT_EQ(S_OK, LoadTypeLibEx(plugin.Path().c_str(), REGKIND_NONE, library.Put()));
    ComPtr<ITypeInfo> form;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(IID_IKXActiveXForm, form.Put()));
    TYPEATTR *attr = nullptr;
    form->GetTypeAttr(&attr);
    const WORD functions = attr->cFuncs;
    form->ReleaseTypeAttr(attr);
    bool found = false;
    for (UINT i = 0; i < functions && !found; ++i) {
        FUNCDESC *desc = nullptr;
        ASSERT_EQ(S_OK, form->GetFuncDesc(i, &desc));
        if (desc->memid == -501 && desc->invkind == INVOKE_PROPERTYGET) {  // DISPID_BACKCOLOR
            found = true;
            const TYPEDESC &type = desc->elemdescFunc.tdesc;
            ASSERT_EQ(VT_USERDEFINED, type.vt);
            ComPtr<ITypeInfo> alias;
            ASSERT_EQ(S_OK, form->GetRefTypeInfo(type.hreftype, alias.Put()));
            BSTR name = nullptr;
            alias->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
            EXPECT_EQ(L"OLE_COLOR", TakeBstr(name));
            TYPEATTR *aliasAttr = nullptr;
            alias->GetTypeAttr(&aliasAttr);
            static const GUID kOleColor = {0x66504301, 0xBE0F, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};
            EXPECT_TRUE(IsEqualGUID(kOleColor, aliasAttr->guid));
            EXPECT_EQ(TKIND_ALIAS, aliasAttr->typekind);
            alias->ReleaseTypeAttr(aliasAttr);
        }
        form->ReleaseFuncDesc(desc);
    }
    EXPECT_TRUE(found) << "no Color getter";
}

TEST(TypeLibrary, ModuleCarriesVersionInformation)
{
    PluginModule plugin;
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(plugin.Path().c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::string data(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(plugin.Path().c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void **>(&fixed), &length));
    EXPECT_EQ(VS_FFI_SIGNATURE, fixed->dwSignature);
    EXPECT_EQ(VFT_DLL, fixed->dwFileType);
}

} // namespace
