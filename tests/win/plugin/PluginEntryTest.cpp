// The plug-in as the shell first meets it: exports, description, type
// library, registration, class factories.
#include "PluginModule.h"

#include "ComPtr.h"

#include <olectl.h>

namespace {

class PluginEntry : public ::testing::Test {
protected:
    ComApartment com;
    PluginModule plugin;

    ComPtr<IUnknown> CreatePlugin()
    {
        ComPtr<IUnknown> object;
        EXPECT_EQ(S_OK, plugin.CreateGrymPlugin(object.Put()));
        return object;
    }
};

TEST_F(PluginEntry, ExportsTheShellEntryAndTheServerEntries)
{
    ASSERT_NE(nullptr, plugin.Handle());
    for (const char *name : {"CreateGrymPlugin", "DllGetClassObject", "DllCanUnloadNow",
                             "DllRegisterServer", "DllUnregisterServer"})
        EXPECT_NE(nullptr, plugin.Export<FARPROC>(name)) << name;
}

TEST_F(PluginEntry, CreateGrymPluginRejectsANullOutPointer)
{
    EXPECT_EQ(E_POINTER, plugin.CreateGrymPlugin(nullptr));
}

TEST_F(PluginEntry, DescribesItselfToTheShell)
{
    ComPtr<IUnknown> object = CreatePlugin();
    ASSERT_TRUE(object);
    BSTR text = nullptr;

    auto description = object.As<IPluginDescription>();
    ASSERT_TRUE(description);
    ASSERT_EQ(S_OK, description->XmlInfo(&text));
    EXPECT_EQ(L"<grym_plugin_info><requirements><requirement_api>API-1.1</requirement_api>"
              L"</requirements></grym_plugin_info>",
              TakeBstr(text));

    auto info = object.As<IDisplayInfo>();
    ASSERT_TRUE(info);
    ASSERT_EQ(S_OK, info->Tag(&text));
    EXPECT_EQ(L"KXPlayer", TakeBstr(text));
    ASSERT_EQ(S_OK, info->Caption(&text));
    EXPECT_EQ(L"Карвекс", TakeBstr(text));
    ASSERT_EQ(S_OK, info->Description(&text));
    EXPECT_NE(nullptr, text) << "an empty string, not a null one";
    EXPECT_EQ(L"", TakeBstr(text));
    IRaster *icon = reinterpret_cast<IRaster *>(1);
    EXPECT_EQ(S_OK, info->Icon(&icon));
    EXPECT_EQ(nullptr, icon);

    auto position = object.As<IPositionCode>();
    ASSERT_TRUE(position);
    ASSERT_EQ(S_OK, position->PositionCode(&text));
    EXPECT_EQ(L"1:1", TakeBstr(text));

    auto page = object.As<IPanelPage>();
    ASSERT_TRUE(page);
    VARIANT_BOOL option = VARIANT_TRUE;
    EXPECT_EQ(S_OK, page->PageOption(&option));
    EXPECT_EQ(VARIANT_FALSE, option);
}

TEST_F(PluginEntry, NullOutPointersAreRefused)
{
    ComPtr<IUnknown> object = CreatePlugin();
    auto info = object.As<IDisplayInfo>();
    EXPECT_EQ(E_POINTER, info->Tag(nullptr));
    EXPECT_EQ(E_POINTER, info->Caption(nullptr));
    EXPECT_EQ(E_POINTER, info->Description(nullptr));
    EXPECT_EQ(E_POINTER, info->Icon(nullptr));
    EXPECT_EQ(E_POINTER, object.As<IPositionCode>()->PositionCode(nullptr));
    EXPECT_EQ(E_POINTER, object.As<IPluginDescription>()->XmlInfo(nullptr));
    EXPECT_EQ(E_POINTER, object.As<IPanelPage>()->PageOption(nullptr));
    EXPECT_EQ(E_POINTER, object.As<IPanelPage>()->CreateControl(nullptr));
    EXPECT_EQ(E_POINTER, object->QueryInterface(IID_IUnknown, nullptr));
}

TEST_F(PluginEntry, AnswersAutomationFromItsTypeLibrary)
{
    ComPtr<IUnknown> object = CreatePlugin();
    auto dispatch = object.As<IDispatch>();
    ASSERT_TRUE(dispatch);
    UINT count = 0;
    EXPECT_EQ(S_OK, dispatch->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);

    LPOLESTR name = const_cast<LPOLESTR>(L"Method2");
    DISPID id = 0;
    ASSERT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));
    EXPECT_EQ(204, id);
    DISPPARAMS none = {};
    EXPECT_EQ(S_OK, dispatch->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr));

    auto classInfo = object.As<IProvideClassInfo>();
    ASSERT_TRUE(classInfo);
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(S_OK, classInfo->GetClassInfo(coclass.Put()));
    TYPEATTR *attr = nullptr;
    ASSERT_EQ(S_OK, coclass->GetTypeAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(CLSID_KXPlayer, attr->guid));
    EXPECT_EQ(TKIND_COCLASS, attr->typekind);
    coclass->ReleaseTypeAttr(attr);

    auto errors = object.As<ISupportErrorInfo>();
    ASSERT_TRUE(errors);
    EXPECT_EQ(S_OK, errors->InterfaceSupportsErrorInfo(IID_IKXPlayer));
}

TEST_F(PluginEntry, InitializeWithoutAViewSetsUpOnlyTheEventPoint)
{
    ComPtr<IUnknown> object = CreatePlugin();
    auto container = object.As<IConnectionPointContainer>();
    ASSERT_TRUE(container);
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(DIID_IKXPlayerEvents, point.Put()));

    auto hosted = object.As<IHostedPlugin>();
    EXPECT_EQ(E_INVALIDARG, hosted->Initialize(0, nullptr));
    ASSERT_EQ(S_OK, container->FindConnectionPoint(DIID_IKXPlayerEvents, point.Put()));

    // A single-connection point: the second sink is refused.
    DWORD first = 0, second = 0;
    ComPtr<IUnknown> sink = CreatePlugin(); // any object answering IDispatch
    EXPECT_EQ(S_OK, point->Advise(sink.Get(), &first));
    EXPECT_EQ(CONNECT_E_ADVISELIMIT, point->Advise(sink.Get(), &second));
    EXPECT_EQ(S_OK, point->Unadvise(first));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(first));

    // Terminate without a successful Initialize has nothing to undo.
    EXPECT_EQ(S_OK, hosted->Terminate());
}

TEST_F(PluginEntry, ClassFactoriesServeBothClassesAndHoldTheModule)
{
    auto getClassObject = plugin.Export<DllGetClassObjectFn>("DllGetClassObject");
    auto canUnload = plugin.Export<DllFn>("DllCanUnloadNow");
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              getClassObject(IID_IKXPlayer, IID_IClassFactory, reinterpret_cast<void **>(factory.Put())));
    ASSERT_EQ(S_OK, getClassObject(CLSID_KXPlayer, IID_IClassFactory, reinterpret_cast<void **>(factory.Put())));
    ASSERT_TRUE(factory);

    ComPtr<IKXPlayer> player;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IKXPlayer, reinterpret_cast<void **>(player.Put())));
    factory.Reset();
    EXPECT_EQ(S_FALSE, canUnload()) << "a factory-made object holds the module";
    player.Reset();
    EXPECT_EQ(S_OK, canUnload());

    // The shell's own object is not counted.
    ComPtr<IUnknown> shellObject = CreatePlugin();
    EXPECT_EQ(S_OK, canUnload());

    ComPtr<IUnknown> aggregate;
    ASSERT_EQ(S_OK, getClassObject(CLSID_KXActiveXForm, IID_IClassFactory, reinterpret_cast<void **>(factory.Put())));
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              factory->CreateInstance(shellObject.Get(), IID_IUnknown, reinterpret_cast<void **>(aggregate.Put())));
}

} // namespace
