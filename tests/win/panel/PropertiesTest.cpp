// The 55 accessors of IKXActiveXForm, by vtable and late bound, on real form state.
#include "TestSupport.h"

namespace {

class PropertiesTest : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        control = MakeControl(&form);
        ax = control.As<IKXActiveXForm>();
        ASSERT_TRUE(ax);
    }
    void TearDown() override
    {
        ax.Reset();
        control.Reset();
        PanelTest::TearDown();
    }

    DISPID Id(const wchar_t *name)
    {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = DISPID_UNKNOWN;
        EXPECT_EQ(S_OK, ax->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) << name;
        return id;
    }
    HRESULT GetLate(const wchar_t *name, VARIANT &out)
    {
        VariantInit(&out);
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        return ax->Invoke(Id(name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &out, nullptr,
                          nullptr);
    }
    HRESULT PutLate(const wchar_t *name, VARIANT value, EXCEPINFO *info = nullptr)
    {
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{&value, &named, 1, 1};
        return ax->Invoke(Id(name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, info,
                          nullptr);
    }

    TKXActiveXForm *form = nullptr;
    ComPtr<IUnknown> control;
    ComPtr<IKXActiveXForm> ax;
};

VARIANT Bool(bool b)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

VARIANT Long(LONG l)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = l;
    return v;
}

TEST_F(PropertiesTest, TypeLibraryDescribesFiftyFiveAccessorsWithTheirDispIds)
{
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, ax->GetTypeInfo(0, 0, info.Put()));
    UINT count = 0;
    EXPECT_EQ(S_OK, ax->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);
    ComPtr<ITypeInfo> none;
    EXPECT_EQ(DISP_E_BADINDEX, ax->GetTypeInfo(1, 0, none.Put()));

    ComPtr<ITypeInfo> vtable;
    HREFTYPE ref = 0;
    ASSERT_EQ(S_OK, info->GetRefTypeOfImplType(-1, &ref));
    ASSERT_EQ(S_OK, info->GetRefTypeInfo(ref, vtable.Put()));
    TYPEATTR *attr = nullptr;
    ASSERT_EQ(S_OK, vtable->GetTypeAttr(&attr));
    EXPECT_EQ(55, attr->cFuncs);
    vtable->ReleaseTypeAttr(attr);

    EXPECT_EQ(201, Id(L"Visible"));
    EXPECT_EQ(DISPID_CAPTION, Id(L"Caption"));
    EXPECT_EQ(DISPID_BACKCOLOR, Id(L"Color"));
    EXPECT_EQ(DISPID_FONT, Id(L"Font"));
    EXPECT_EQ(DISPID_ENABLED, Id(L"Enabled"));
    EXPECT_EQ(227, Id(L"ParentCustomHint"));
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"NoSuchProperty")};
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, ax->GetIDsOfNames(IID_NULL, unknown, 1, 0, &id));
}

TEST_F(PropertiesTest, DefaultsOfANewForm)
{
    VARIANT_BOOL b = 0;
    LONG l = 0;
    EXPECT_EQ(S_OK, ax->get_Visible(&b));
    EXPECT_EQ(VARIANT_TRUE, b);
    EXPECT_EQ(S_OK, ax->get_Enabled(&b));
    EXPECT_EQ(VARIANT_TRUE, b);
    EXPECT_EQ(S_OK, ax->get_Scaled(&b));
    EXPECT_EQ(VARIANT_TRUE, b);
    EXPECT_EQ(S_OK, ax->get_Active(&b));
    EXPECT_EQ(VARIANT_FALSE, b);
    EXPECT_EQ(S_OK, ax->get_AlignDisabled(&b));
    EXPECT_EQ(VARIANT_FALSE, b);
    EXPECT_EQ(S_OK, ax->get_MouseInClient(&b));
    EXPECT_EQ(VARIANT_FALSE, b);
    EXPECT_EQ(S_OK, ax->get_PixelsPerInch(&l));
    EXPECT_EQ(96, l);
    EXPECT_EQ(S_OK, ax->get_VisibleDockClientCount(&l));
    EXPECT_EQ(0, l);
    EXPECT_EQ(S_OK, ax->get_ExplicitWidth(&l));
    EXPECT_EQ(230, l);
    EXPECT_EQ(S_OK, ax->get_ExplicitHeight(&l));
    EXPECT_EQ(690, l);
    OLE_COLOR color = 0;
    EXPECT_EQ(S_OK, ax->get_Color(&color));
    EXPECT_EQ(0x8000000Fu, color);
    TxActiveFormBorderStyle border = afbRaised;
    EXPECT_EQ(S_OK, ax->get_AxBorderStyle(&border));
    EXPECT_EQ(afbNone, border);

    ComPtr<IFontDisp> fontDisp;
    ASSERT_EQ(S_OK, ax->get_Font(fontDisp.Put()));
    ComPtr<IFont> font = fontDisp.As<IFont>();
    BSTR name = nullptr;
    CY size{};
    font->get_Name(&name);
    font->get_Size(&size);
    EXPECT_STREQ(L"Arial", name);
    EXPECT_NEAR(80000, size.int64, 2500) << "8 pt, as the font realises it";
    SysFreeString(name);
}

TEST_F(PropertiesTest, WritesReachTheWindow)
{
    HWND w = form->Handle();
    EXPECT_EQ(S_OK, ax->put_Visible(VARIANT_FALSE));
    EXPECT_FALSE(GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(S_OK, ax->put_Visible(VARIANT_TRUE));
    EXPECT_TRUE(GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE);

    EXPECT_EQ(S_OK, ax->put_Enabled(VARIANT_FALSE));
    EXPECT_FALSE(IsWindowEnabled(w));
    EXPECT_EQ(S_OK, ax->put_Enabled(VARIANT_TRUE));
    EXPECT_TRUE(IsWindowEnabled(w));

    BSTR caption = SysAllocString(L"Плеер треков");
    EXPECT_EQ(S_OK, ax->put_Caption(caption));
    SysFreeString(caption);
    EXPECT_EQ(L"Плеер треков", TKXActiveXForm::Text(w));
    BSTR back = nullptr;
    EXPECT_EQ(S_OK, ax->get_Caption(&back));
    EXPECT_STREQ(L"Плеер треков", back);
    SysFreeString(back);

    EXPECT_EQ(S_OK, ax->put_AxBorderStyle(afbSingle));
    EXPECT_TRUE(GetWindowLongW(w, GWL_STYLE) & WS_BORDER);
    EXPECT_EQ(S_OK, ax->put_AxBorderStyle(afbSunken));
    EXPECT_FALSE(GetWindowLongW(w, GWL_STYLE) & WS_BORDER);
    EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

    EXPECT_EQ(S_OK, ax->put_DropTarget(VARIANT_TRUE));
    EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    EXPECT_EQ(S_OK, ax->put_Color(RGB(10, 20, 30)));
    OLE_COLOR color = 0;
    EXPECT_EQ(S_OK, ax->get_Color(&color));
    EXPECT_EQ(RGB(10, 20, 30), color);

    // A small form scrolls its contents once AutoScroll is on.
    SetWindowPos(w, nullptr, 0, 0, 230, 300, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(S_OK, ax->put_AutoScroll(VARIANT_TRUE));
    EXPECT_TRUE(GetWindowLongW(w, GWL_STYLE) & WS_VSCROLL);
    RECT before, after;
    GetWindowRect(form->Controls().GroupBox5, &before);
    SendMessageW(w, WM_VSCROLL, SB_PAGEDOWN, 0);
    GetWindowRect(form->Controls().GroupBox5, &after);
    EXPECT_LT(after.top, before.top);
    EXPECT_EQ(S_OK, ax->put_AutoScroll(VARIANT_FALSE));
    EXPECT_FALSE(GetWindowLongW(w, GWL_STYLE) & WS_VSCROLL);
    GetWindowRect(form->Controls().GroupBox5, &after);
    EXPECT_EQ(before.top, after.top) << "scrolled back home";

    EXPECT_EQ(S_OK, ax->put_AutoSize(VARIANT_TRUE));
    LONG height = 0;
    EXPECT_EQ(S_OK, ax->get_ExplicitHeight(&height));
    EXPECT_GE(height, 690);
}

TEST_F(PropertiesTest, FontIsCopiedAndAppliedToTheFormsControls)
{
    FONTDESC fd{sizeof(fd), const_cast<LPOLESTR>(L"Tahoma"), {{120000, 0}}, FW_BOLD, DEFAULT_CHARSET, FALSE, FALSE,
                FALSE};
    ComPtr<IFontDisp> mine;
    ASSERT_EQ(S_OK, OleCreateFontIndirect(&fd, IID_IFontDisp, reinterpret_cast<void **>(mine.Put())));
    EXPECT_EQ(S_OK, ax->put_Font(mine.Get()));

    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(form->Controls().Label15, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    EXPECT_STREQ(L"Tahoma", lf.lfFaceName);
    EXPECT_EQ(-16, lf.lfHeight);
    // Controls with fonts of their own keep them.
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(form->Controls().btnPlay, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    EXPECT_STREQ(L"Webdings", lf.lfFaceName);

    ComPtr<IFontDisp> got;
    ASSERT_EQ(S_OK, ax->get_Font(got.Put()));
    EXPECT_NE(mine.Get(), got.Get()) << "the form holds its own copy";
    EXPECT_EQ(S_OK, ax->putref_Font(mine.Get()));
    EXPECT_EQ(E_INVALIDARG, ax->put_Font(nullptr));
}

TEST_F(PropertiesTest, BadValuesAndNullPointersBecomeResults)
{
    EXPECT_EQ(E_INVALIDARG, ax->put_AxBorderStyle(static_cast<TxActiveFormBorderStyle>(7)));
    // No display has pixels outside 24..960 an inch; the limits themselves are taken.
    for (LONG ppi : {0L, 23L, 961L, 2147483647L})
        EXPECT_EQ(E_INVALIDARG, ax->put_PixelsPerInch(ppi)) << ppi;
    for (LONG ppi : {24L, 960L, 96L})
        EXPECT_EQ(S_OK, ax->put_PixelsPerInch(ppi)) << ppi;
    EXPECT_EQ(E_INVALIDARG, ax->put_PrintScale(static_cast<TxPrintScale>(-1)));
    EXPECT_EQ(E_INVALIDARG, ax->put_PopupMode(static_cast<TxPopupMode>(3)));
    EXPECT_EQ(E_INVALIDARG, ax->put_SnapBuffer(-5));
    EXPECT_EQ(E_POINTER, ax->get_Visible(nullptr));
    EXPECT_EQ(E_POINTER, ax->get_Caption(nullptr));

    // The accessor's error text is left as error info.
    ASSERT_EQ(E_INVALIDARG, ax->put_PixelsPerInch(-3));
    ComPtr<ISupportErrorInfo> support = control.As<ISupportErrorInfo>();
    EXPECT_EQ(S_OK, support->InterfaceSupportsErrorInfo(__uuidof(IKXActiveXForm)));
    EXPECT_EQ(S_FALSE, support->InterfaceSupportsErrorInfo(IID_IOleObject));
    ComPtr<IErrorInfo> error;
    ASSERT_EQ(S_OK, GetErrorInfo(0, error.Put()));
    BSTR text = nullptr;
    error->GetDescription(&text);
    EXPECT_STREQ(L"Недопустимое значение PixelsPerInch", text);
    SysFreeString(text);

    LONG ppi = 0;
    ax->get_PixelsPerInch(&ppi);
    EXPECT_EQ(96, ppi) << "a refused value changes nothing";
}

TEST_F(PropertiesTest, EveryPropertyReadsTheSameLateBound)
{
    // Late-bound reads agree with the vtable for all 31 readable names.
    const wchar_t *names[] = {L"Visible", L"AutoScroll", L"AutoSize", L"AxBorderStyle", L"Caption", L"Color",
                              L"Font", L"KeyPreview", L"PixelsPerInch", L"PrintScale", L"Scaled", L"Active",
                              L"DropTarget", L"HelpFile", L"PopupMode", L"ScreenSnap", L"SnapBuffer", L"DockSite",
                              L"DoubleBuffered", L"AlignDisabled", L"MouseInClient", L"VisibleDockClientCount",
                              L"ParentDoubleBuffered", L"UseDockManager", L"Enabled", L"ExplicitLeft", L"ExplicitTop",
                              L"ExplicitWidth", L"ExplicitHeight", L"AlignWithMargins", L"ParentCustomHint"};
    for (const wchar_t *name : names) {
        VARIANT v;
        EXPECT_EQ(S_OK, GetLate(name, v)) << name;
        VariantClear(&v);
    }
    VARIANT v;
    ASSERT_EQ(S_OK, GetLate(L"PixelsPerInch", v));
    EXPECT_EQ(VT_I4, v.vt);
    EXPECT_EQ(96, v.lVal);
    ASSERT_EQ(S_OK, GetLate(L"Scaled", v));
    EXPECT_EQ(VT_BOOL, v.vt);
    EXPECT_EQ(VARIANT_TRUE, v.boolVal);
    ASSERT_EQ(S_OK, GetLate(L"Font", v));
    EXPECT_EQ(VT_DISPATCH, v.vt);
    VariantClear(&v);
    ASSERT_EQ(S_OK, GetLate(L"Caption", v));
    EXPECT_EQ(VT_BSTR, v.vt);
    EXPECT_STREQ(L"KXActiveXForm", v.bstrVal);
    VariantClear(&v);
}

TEST_F(PropertiesTest, EveryWritablePropertyTakesItsValueLateBound)
{
    const wchar_t *booleans[] = {L"AutoScroll", L"KeyPreview", L"Scaled", L"DropTarget", L"ScreenSnap",
                                 L"DockSite", L"DoubleBuffered", L"ParentDoubleBuffered", L"UseDockManager",
                                 L"AlignWithMargins", L"ParentCustomHint", L"Enabled", L"Visible", L"AutoSize"};
    for (const wchar_t *name : booleans) {
        for (bool value : {true, false, true}) {
            ASSERT_EQ(S_OK, PutLate(name, Bool(value))) << name;
            VARIANT v;
            ASSERT_EQ(S_OK, GetLate(name, v)) << name;
            EXPECT_EQ(value ? VARIANT_TRUE : VARIANT_FALSE, v.boolVal) << name;
        }
    }
    const struct {
        const wchar_t *name;
        LONG value;
    } integers[] = {{L"AxBorderStyle", afbRaised}, {L"PixelsPerInch", 120}, {L"PrintScale", poPrintToFit},
                    {L"PopupMode", pmAuto},         {L"SnapBuffer", 4},      {L"Color", RGB(1, 2, 3)}};
    for (const auto &p : integers) {
        ASSERT_EQ(S_OK, PutLate(p.name, Long(p.value))) << p.name;
        VARIANT v;
        ASSERT_EQ(S_OK, GetLate(p.name, v));
        VARIANT asLong;
        VariantInit(&asLong);
        VariantChangeType(&asLong, &v, 0, VT_I4);
        EXPECT_EQ(p.value, asLong.lVal) << p.name;
    }
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(L"help.chm");
    ASSERT_EQ(S_OK, PutLate(L"HelpFile", text));
    VariantClear(&text);
    BSTR help = nullptr;
    ax->get_HelpFile(&help);
    EXPECT_STREQ(L"help.chm", help);
    SysFreeString(help);

    // Read-only properties refuse a write; a bad value fails with its text.
    EXPECT_TRUE(FAILED(PutLate(L"Active", Bool(true))));
    EXCEPINFO info{};
    HRESULT hr = PutLate(L"AxBorderStyle", Long(12), &info);
    EXPECT_TRUE(FAILED(hr));
    if (hr == DISP_E_EXCEPTION) {
        EXPECT_STREQ(L"Недопустимое значение AxBorderStyle", info.bstrDescription);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrHelpFile);
    }
}

// A property change sink counting OnChanged per dispatch id.
class TPropertySink : public IPropertyNotifySink {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IPropertyNotifySink)
            return E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP OnChanged(DISPID id) override
    {
        changed.push_back(id);
        return S_OK;
    }
    STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
    ULONG refs = 0;
    std::vector<DISPID> changed;
};

TEST_F(PropertiesTest, WritesNotifyEveryPropertySink)
{
    ComPtr<IConnectionPointContainer> cpc = control.As<IConnectionPointContainer>();
    ComPtr<IConnectionPoint> cp;
    ASSERT_EQ(S_OK, cpc->FindConnectionPoint(IID_IPropertyNotifySink, cp.Put()));
    TPropertySink a, b;
    DWORD ca = 0, cb = 0;
    ASSERT_EQ(S_OK, cp->Advise(&a, &ca));
    ASSERT_EQ(S_OK, cp->Advise(&b, &cb));
    EXPECT_NE(ca, cb);

    BSTR caption = SysAllocString(L"x");
    ax->put_Caption(caption);
    SysFreeString(caption);
    ax->put_KeyPreview(VARIANT_TRUE);
    ax->put_PixelsPerInch(0);  // refused: no notification
    EXPECT_EQ((std::vector<DISPID>{DISPID_CAPTION, 205}), a.changed);
    EXPECT_EQ(a.changed, b.changed);
    ComPtr<IPersistStreamInit> persist = control.As<IPersistStreamInit>();
    EXPECT_EQ(S_OK, persist->IsDirty());

    EXPECT_EQ(S_OK, cp->Unadvise(ca));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, cp->Unadvise(ca));
    EXPECT_EQ(S_OK, cp->Unadvise(cb));
    EXPECT_EQ(0u, a.refs);
    EXPECT_EQ(0u, b.refs);
}

}  // namespace
