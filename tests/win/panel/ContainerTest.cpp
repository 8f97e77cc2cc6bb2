// The control hosted by a plain OLE container: in-place activation in the
// container's window, sizing, keyboard, deactivation, closing, references.
#include "TestSupport.h"

namespace {

// The container's frame window object.
class TFrame : public IOleInPlaceFrame {
public:
    explicit TFrame(HWND w) : window(w) {}
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceUIWindow ||
            iid == IID_IOleInPlaceFrame) {
            *out = static_cast<IOleInPlaceFrame *>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP GetWindow(HWND *w) override
    {
        *w = window;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject *object, LPCOLESTR) override
    {
        if (object)
            object->AddRef();
        if (active)
            active->Release();
        active = object;
        ++activeChanges;
        return S_OK;
    }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    HWND window;
    ULONG refs = 0;
    IOleInPlaceActiveObject *active = nullptr;
    int activeChanges = 0;
};

// The control's site: client site, in-place site, control site and ambient properties.
class TSite : public IOleClientSite, public IOleInPlaceSite, public IOleControlSite, public IDispatch {
public:
    TSite(HWND w, TFrame &f) : window(w), frame(f) {}
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite)
            *out = static_cast<IOleClientSite *>(this);
        else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
            *out = static_cast<IOleInPlaceSite *>(this);
        else if (iid == IID_IOleControlSite)
            *out = static_cast<IOleControlSite *>(this);
        else if (iid == IID_IDispatch)
            *out = static_cast<IDispatch *>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    // IOleClientSite
    STDMETHODIMP SaveObject() override
    {
        ++saves;
        return S_OK;
    }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker **m) override
    {
        *m = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer **c) override
    {
        *c = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND *w) override
    {
        *w = window;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override
    {
        log.push_back(L"OnInPlaceActivate");
        return S_OK;
    }
    STDMETHODIMP OnUIActivate() override
    {
        log.push_back(L"OnUIActivate");
        return S_OK;
    }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame **f, IOleInPlaceUIWindow **doc, LPRECT pos, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO info) override
    {
        frame.AddRef();
        *f = &frame;
        *doc = nullptr;
        *pos = place;
        *clip = place;
        info->fMDIApp = FALSE;
        info->hwndFrame = window;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override
    {
        log.push_back(L"OnUIDeactivate");
        return S_OK;
    }
    STDMETHODIMP OnInPlaceDeactivate() override
    {
        log.push_back(L"OnInPlaceDeactivate");
        return S_OK;
    }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch **d) override
    {
        *d = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP TransformCoords(POINTL *, POINTF *, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG *msg, DWORD) override
    {
        passedOn.push_back(static_cast<UINT>(msg->wParam));
        return S_FALSE;
    }
    STDMETHODIMP OnFocus(BOOL gained) override
    {
        log.push_back(gained ? L"OnFocus(TRUE)" : L"OnFocus(FALSE)");
        return S_OK;
    }
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }
    // IDispatch: the ambient properties.
    STDMETHODIMP GetTypeInfoCount(UINT *n) override
    {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *result, EXCEPINFO *, UINT *) override
    {
        if (id == DISPID_AMBIENT_USERMODE && result) {
            result->vt = VT_BOOL;
            result->boolVal = VARIANT_TRUE;
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

    HWND window;
    TFrame &frame;
    RECT place{10, 20, 240, 710};
    ULONG refs = 0;
    int saves = 0;
    std::vector<std::wstring> log;
    std::vector<UINT> passedOn;
};

class ContainerTest : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        window = CreateWindowExW(0, L"STATIC", L"container", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                                 0, 600, 800, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, window);
    }
    void TearDown() override
    {
        DestroyWindow(window);
        PanelTest::TearDown();
    }
    static RECT InParent(HWND w)
    {
        RECT rc;
        GetWindowRect(w, &rc);
        MapWindowPoints(HWND_DESKTOP, GetParent(w), reinterpret_cast<POINT *>(&rc), 2);
        return rc;
    }
    HWND window = nullptr;
};

bool Contains(const std::vector<std::wstring> &log, const wchar_t *entry)
{
    for (const auto &e : log)
        if (e == entry)
            return true;
    return false;
}

TEST_F(ContainerTest, ActivatesInPlaceResizesDeactivatesAndBalancesReferences)
{
    TFrame frame(window);
    TSite site(window, frame);
    TEventSink sink;
    {
        TKXActiveXForm *form = nullptr;
        ComPtr<IOleObject> ole;
        ASSERT_EQ(S_OK, CreatePanelControl(IID_IOleObject, reinterpret_cast<void **>(ole.Put()), &form));
        EXPECT_EQ(1, g_moduleLocks);
        DWORD misc = 0;
        ole->GetMiscStatus(DVASPECT_CONTENT, &misc);
        EXPECT_EQ(0x12000u, misc) << "as registered: OLEMISC_SIMPLEFRAME | OLEMISC_ACTSLIKELABEL";

        ASSERT_EQ(S_OK, ole->SetClientSite(&site));
        ASSERT_EQ(S_OK, ole.As<IPersistStreamInit>()->InitNew());
        ComPtr<IConnectionPoint> cp;
        ole.As<IConnectionPointContainer>()->FindConnectionPoint(__uuidof(IKXActiveXFormEvents), cp.Put());
        DWORD cookie = 0;
        cp->Advise(&sink, &cookie);

        // In place: the form moves into the container's window at the site's place.
        ASSERT_EQ(S_OK, ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, window, &site.place));
        EXPECT_EQ(window, GetParent(form->Handle()));
        EXPECT_TRUE(IsWindowVisible(form->Handle()));
        RECT rc = InParent(form->Handle());
        EXPECT_TRUE(EqualRect(&rc, &site.place));
        EXPECT_TRUE(Contains(site.log, L"OnInPlaceActivate"));
        EXPECT_FALSE(Contains(site.log, L"OnUIActivate"));

        // Sizing by the container.
        ComPtr<IOleInPlaceObject> inPlace = ole.As<IOleInPlaceObject>();
        RECT smaller{30, 40, 230, 440};
        ASSERT_EQ(S_OK, inPlace->SetObjectRects(&smaller, &smaller));
        rc = InParent(form->Handle());
        EXPECT_TRUE(EqualRect(&rc, &smaller));
        SIZEL extent{};
        ole->GetExtent(DVASPECT_CONTENT, &extent);
        EXPECT_EQ(MulDiv(200, 2540, 96), extent.cx);
        EXPECT_EQ(MulDiv(400, 2540, 96), extent.cy);
        HWND reported = nullptr;
        inPlace->GetWindow(&reported);
        EXPECT_EQ(form->Handle(), reported);

        // UI active: the frame knows the active object, focus is in the panel.
        ASSERT_EQ(S_OK, ole->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, window, &smaller));
        EXPECT_TRUE(Contains(site.log, L"OnUIActivate"));
        EXPECT_NE(nullptr, frame.active);
        EXPECT_EQ(1, sink.Count(201));
        VARIANT_BOOL active = VARIANT_FALSE;
        ole.As<IKXActiveXForm>()->get_Active(&active);
        EXPECT_EQ(VARIANT_TRUE, active);
        EXPECT_TRUE(IsChild(form->Handle(), GetFocus()));
        EXPECT_TRUE(Contains(site.log, L"OnFocus(TRUE)"));

        // Keyboard: Tab moves between the panel's controls; other keys go to the container.
        ComPtr<IOleInPlaceActiveObject> activeObject = ole.As<IOleInPlaceActiveObject>();
        SetFocus(form->Controls().cmbGroupName);
        MSG tab{form->Controls().cmbGroupName, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
        EXPECT_EQ(S_OK, activeObject->TranslateAccelerator(&tab));
        EXPECT_EQ(form->Controls().cmbCarName, GetFocus());
        MSG key{GetFocus(), WM_KEYDOWN, 'A', 0, 0, {0, 0}};
        EXPECT_EQ(S_FALSE, activeObject->TranslateAccelerator(&key));
        EXPECT_EQ(std::vector<UINT>{'A'}, site.passedOn);

        // Hide, then leave in-place activity: the form goes back out of the container.
        ASSERT_EQ(S_OK, ole->DoVerb(OLEIVERB_HIDE, nullptr, &site, 0, window, &smaller));
        EXPECT_FALSE(IsWindowVisible(form->Handle()));
        EXPECT_EQ(1, sink.Count(206));
        EXPECT_EQ(nullptr, frame.active);
        ASSERT_EQ(S_OK, inPlace->InPlaceDeactivate());
        EXPECT_TRUE(Contains(site.log, L"OnInPlaceDeactivate"));
        EXPECT_NE(window, GetParent(form->Handle()));
        EXPECT_EQ(0u, frame.refs) << "the frame is released at deactivation";

        // Active again straight to UI activity, then closed by the container.
        ASSERT_EQ(S_OK, ole->DoVerb(OLEIVERB_SHOW, nullptr, &site, 0, window, &site.place));
        EXPECT_EQ(window, GetParent(form->Handle()));
        ASSERT_EQ(S_OK, ole->Close(OLECLOSE_NOSAVE));
        EXPECT_EQ(0, site.saves);
        EXPECT_NE(window, GetParent(form->Handle()));
        cp->Unadvise(cookie);
        ASSERT_EQ(S_OK, ole->SetClientSite(nullptr));
        IOleClientSite *none = reinterpret_cast<IOleClientSite *>(1);
        ole->GetClientSite(&none);
        EXPECT_EQ(nullptr, none);
    }
    EXPECT_EQ(0u, site.refs);
    EXPECT_EQ(0u, frame.refs);
    EXPECT_EQ(0u, sink.refs);
    EXPECT_EQ(0, g_moduleLocks);
    EXPECT_EQ(nullptr, frame.active);
}

TEST_F(ContainerTest, CloseSavesADirtyControlThroughItsSite)
{
    TFrame frame(window);
    TSite site(window, frame);
    {
        ComPtr<IOleObject> ole;
        ASSERT_EQ(S_OK, CreatePanelControl(IID_IOleObject, reinterpret_cast<void **>(ole.Put()), nullptr));
        ole->SetClientSite(&site);
        ole.As<IKXActiveXForm>()->put_KeyPreview(VARIANT_TRUE);
        EXPECT_EQ(S_OK, ole->Close(OLECLOSE_SAVEIFDIRTY));
        EXPECT_EQ(1, site.saves);
        ole->SetClientSite(nullptr);
    }
    EXPECT_EQ(0u, site.refs);
}

TEST_F(ContainerTest, QuickActivateConnectsSinksInOneCall)
{
    TFrame frame(window);
    TSite site(window, frame);
    TEventSink sink;
    {
        ComPtr<IQuickActivate> quick;
        ASSERT_EQ(S_OK, CreatePanelControl(IID_IQuickActivate, reinterpret_cast<void **>(quick.Put()), nullptr));
        QACONTAINER container{};
        container.cbSize = sizeof(container);
        container.pClientSite = &site;
        container.pUnkEventSink = &sink;
        QACONTROL result{};
        result.cbSize = sizeof(result);
        ASSERT_EQ(S_OK, quick->QuickActivate(&container, &result));
        EXPECT_NE(0u, result.dwEventCookie);
        EXPECT_EQ(TActiveFormControl::MiscStatus(), result.dwMiscStatus);
        ComPtr<IOleObject> ole = quick.As<IOleObject>();
        ComPtr<IOleClientSite> held;
        ole->GetClientSite(held.Put());
        EXPECT_EQ(static_cast<IOleClientSite *>(&site), held.Get());
        held.Reset();
        SIZEL size{1000, 2000}, back{};
        quick->SetContentExtent(&size);
        quick->GetContentExtent(&back);
        EXPECT_EQ(1000, back.cx);
        ole->SetClientSite(nullptr);
    }
    EXPECT_EQ(0u, site.refs);
    EXPECT_EQ(0u, sink.refs);
}

TEST_F(ContainerTest, EveryInterfaceOfAControlAndItsIdentity)
{
    TKXActiveXForm *form = nullptr;
    ComPtr<IUnknown> control = MakeControl(&form);
    const IID *iids[] = {&IID_IOleObject, &IID_IOleInPlaceObject, &IID_IOleInPlaceActiveObject, &IID_IOleControl,
                         &IID_IViewObject, &IID_IViewObject2, &IID_IDataObject, &IID_IPersistStreamInit,
                         &IID_IPersistStorage, &IID_IPersistPropertyBag, &IID_IQuickActivate,
                         &IID_ISpecifyPropertyPages, &IID_IPerPropertyBrowsing, &IID_IObjectSafety,
                         &IID_ISimpleFrameSite, &IID_IConnectionPointContainer, &IID_IProvideClassInfo,
                         &IID_ISupportErrorInfo, &IID_IDispatch, &__uuidof(IKXActiveXForm)};
    for (const IID *iid : iids) {
        ComPtr<IUnknown> part;
        ASSERT_EQ(S_OK, control->QueryInterface(*iid, reinterpret_cast<void **>(part.Put())));
        ComPtr<IUnknown> identity;
        part->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(identity.Put()));
        EXPECT_EQ(control.Get(), identity.Get());
    }
    ComPtr<IUnknown> viaForm;
    ASSERT_EQ(S_OK, form->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(viaForm.Put())));
    EXPECT_EQ(control.Get(), viaForm.Get()) << "a query reaching the form answers for the control";
    ComPtr<IUnknown> nothing;
    EXPECT_EQ(E_NOINTERFACE, control->QueryInterface(IID_IClassFactory, reinterpret_cast<void **>(nothing.Put())));

    CAUUID pages{};
    EXPECT_EQ(S_OK, control.As<ISpecifyPropertyPages>()->GetPages(&pages));
    EXPECT_EQ(0u, pages.cElems);

    ComPtr<ITypeInfo> classInfo;
    ASSERT_EQ(S_OK, control.As<IProvideClassInfo>()->GetClassInfo(classInfo.Put()));
    TYPEATTR *attr = nullptr;
    classInfo->GetTypeAttr(&attr);
    EXPECT_EQ(__uuidof(KXActiveXForm), attr->guid);
    EXPECT_EQ(TKIND_COCLASS, attr->typekind);
    classInfo->ReleaseTypeAttr(attr);

    ComPtr<IPerPropertyBrowsing> browse = control.As<IPerPropertyBrowsing>();
    CALPOLESTR names{};
    CADWORD cookies{};
    ASSERT_EQ(S_OK, browse->GetPredefinedStrings(204, &names, &cookies));
    ASSERT_EQ(4u, names.cElems);
    EXPECT_STREQ(L"afbSunken", names.pElems[2]);
    for (ULONG i = 0; i < names.cElems; ++i)
        CoTaskMemFree(names.pElems[i]);
    CoTaskMemFree(names.pElems);
    CoTaskMemFree(cookies.pElems);
    BSTR shown = nullptr;
    ASSERT_EQ(S_OK, browse->GetDisplayString(207, &shown));
    EXPECT_STREQ(L"poProportional", shown);
    SysFreeString(shown);

    ComPtr<IObjectSafety> safety;
    ASSERT_EQ(S_OK, control->QueryInterface(IID_IObjectSafety, reinterpret_cast<void **>(safety.Put())));
    DWORD supported = 0, enabled = 0;
    ASSERT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
    EXPECT_EQ(0u, enabled);
    EXPECT_EQ(S_OK, safety->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_CALLER,
                                                      INTERFACESAFE_FOR_UNTRUSTED_CALLER));
    safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled);
    EXPECT_EQ(DWORD(INTERFACESAFE_FOR_UNTRUSTED_CALLER), enabled);
    EXPECT_EQ(E_NOINTERFACE, safety->GetInterfaceSafetyOptions(IID_IClassFactory, &supported, &enabled));
}

TEST_F(ContainerTest, UncountedControlLeavesTheModuleCountAlone)
{
    ComPtr<IUnknown> control;
    ASSERT_EQ(S_OK, CreatePanelControl(IID_IUnknown, reinterpret_cast<void **>(control.Put()), nullptr, false));
    EXPECT_EQ(0, g_moduleLocks);
    control.Reset();
    EXPECT_EQ(0, g_moduleLocks);
    void *out = reinterpret_cast<void *>(1);
    EXPECT_EQ(E_NOINTERFACE, CreatePanelControl(IID_IClassFactory, &out, nullptr));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(0, g_moduleLocks) << "a refused control is gone";
}

}  // namespace
