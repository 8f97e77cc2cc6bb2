#include "ActiveFormControl.h"

#include <objsafe.h>

#include <cstring>

#include "Bstr.h"
#include "ComGuard.h"
#include "Layer.h"
#include "Module.h"
#include "PanelControl.h"

namespace {

// Stream layout of the saved state: magic, version, extent, then the form's
// properties as name, kind and value.
constexpr DWORD kStreamMagic = 0x4641584B;  // "KXAF"
constexpr DWORD kStreamVersion = 1;
enum : BYTE { kBool = 0, kLong = 1, kText = 2 };

// KEYMODIFIERS of IOleControlSite::TranslateAccelerator.
constexpr DWORD kKeyShift = 1, kKeyControl = 2, kKeyAlt = 4;

void Write(IStream *stream, const void *data, ULONG size)
{
    ULONG written = 0;
    HRESULT hr = stream->Write(data, size, &written);
    if (FAILED(hr) || written != size)
        throw EPanelError(L"Ошибка записи состояния панели", FAILED(hr) ? hr : STG_E_WRITEFAULT);
}

void Read(IStream *stream, void *data, ULONG size)
{
    ULONG read = 0;
    HRESULT hr = stream->Read(data, size, &read);
    if (FAILED(hr) || read != size)
        throw EPanelError(L"Ошибка чтения состояния панели", FAILED(hr) ? hr : STG_E_READFAULT);
}

template <class T>
void WriteValue(IStream *stream, const T &value)
{
    Write(stream, &value, sizeof(value));
}

template <class T>
T ReadValue(IStream *stream)
{
    T value{};
    Read(stream, &value, sizeof(value));
    return value;
}

void WriteText(IStream *stream, const std::wstring &text)
{
    WriteValue<DWORD>(stream, static_cast<DWORD>(text.size()));
    if (!text.empty())
        Write(stream, text.data(), static_cast<ULONG>(text.size() * sizeof(wchar_t)));
}

std::wstring ReadText(IStream *stream)
{
    auto length = ReadValue<DWORD>(stream);
    if (length > 0x10000)
        throw EPanelError(L"Повреждено сохранённое состояние панели", STG_E_READFAULT);
    std::wstring text(length, L'\0');
    if (length)
        Read(stream, &text[0], length * sizeof(wchar_t));
    return text;
}

int ScreenDpi(int index)
{
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, index) : 96;
    if (dc)
        ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

}  // namespace

SIZEL PixelsToHimetric(SIZE pixels)
{
    return {MulDiv(pixels.cx, 2540, ScreenDpi(LOGPIXELSX)), MulDiv(pixels.cy, 2540, ScreenDpi(LOGPIXELSY))};
}

SIZE HimetricToPixels(SIZEL himetric)
{
    return {MulDiv(himetric.cx, ScreenDpi(LOGPIXELSX), 2540), MulDiv(himetric.cy, ScreenDpi(LOGPIXELSY), 2540)};
}

HRESULT CreatePanelControl(REFIID iid, void **out, TKXActiveXForm **form, bool counted,
                           std::shared_ptr<TPanelState> state)
{
    if (form)
        *form = nullptr;
    if (!out)
        return E_POINTER;
    *out = nullptr;
    TActiveFormControl *control = nullptr;
    HRESULT hr = ComGuard(IID_NULL, [&] {
        control = new TActiveFormControl(counted, std::move(state));
        return S_OK;
    });
    if (FAILED(hr))
        return hr;
    control->AddRef();
    hr = control->QueryInterface(iid, out);
    if (SUCCEEDED(hr) && form)
        *form = &control->Form();
    control->Release();  // the caller's reference, if any, keeps it
    return hr;
}

void TCurrentPanel::Set(TKXActiveXForm *form)
{
    form_ = form;
    alive_ = form ? form->AliveToken() : nullptr;
}

TKXActiveXForm *TCurrentPanel::Get() const
{
    return alive_ && *alive_ ? form_ : nullptr;
}

void AttachPanel(TKXActiveXForm *form, IMap *map, IGrymObjectFactory *factory, TLayer *layer)
{
    if (!form)
        return;
    form->Attach(map, factory, layer);
    if (layer) {
        // The panel attached last takes the jump; once destroyed, nobody does.
        TCurrentPanel panel;
        panel.Set(form);
        layer->JumpToTrackPoint = [panel](double x, double y) {
            if (TKXActiveXForm *live = panel.Get())
                live->LocateOnTrack(x, y);
        };
    }
}

void ShutDownPanel(TKXActiveXForm *form)
{
    if (form)
        form->ActiveFormDestroy();
}

// ---- life -------------------------------------------------------------------

TActiveFormControl::TActiveFormControl(bool counted, std::shared_ptr<TPanelState> state)
    : EventsPoint(*this, __uuidof(IKXActiveXFormEvents), TConnectionPoint::SinkKind::Dispinterface, true,
                  [this] { EventSinkChanged(); }),
      PropertyNotifyPoint(*this, IID_IPropertyNotifySink, TConnectionPoint::SinkKind::Exact, false),
      counted_(counted)
{
    form_ = std::make_unique<TKXActiveXForm>(*this, std::move(state));
    extent_ = PixelsToHimetric(form_->ScaledSize());
    BindFormEvents();
    if (form_->Events.OnCreate)
        form_->Events.OnCreate();
    if (counted_)
        ModuleLock();
}

TActiveFormControl::~TActiveFormControl()
{
    refs_ = 1 << 20;  // calls made during teardown must not delete us again
    if (InPlaceActive)
        InPlaceDeactivate();
    // The form goes first, so that a sink still connected hears OnDestroy.
    form_.reset();
    EventsPoint.DisconnectAll();
    PropertyNotifyPoint.DisconnectAll();
    EventSink.Reset();
    if (counted_)
        ModuleUnlock();
}

STDMETHODIMP TActiveFormControl::QueryInterface(REFIID iid, void **out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    IUnknown *p = nullptr;
    if (iid == IID_IUnknown)
        p = static_cast<IUnknown *>(this);
    else if (iid == IID_IDispatch || iid == __uuidof(IKXActiveXForm))
        p = &Dispatch;
    else if (iid == IID_IOleObject)
        p = &OleObject;
    else if (iid == IID_IOleInPlaceObject || iid == IID_IOleWindow)
        p = &OleInPlaceObject;
    else if (iid == IID_IOleInPlaceActiveObject)
        p = &OleInPlaceActiveObject;
    else if (iid == IID_IOleControl)
        p = &OleControl;
    else if (iid == IID_IViewObject || iid == IID_IViewObject2)
        p = &ViewObject;
    else if (iid == IID_IDataObject)
        p = &DataObject;
    else if (iid == IID_IPersistStreamInit || iid == IID_IPersist)
        p = &PersistStreamInit;
    else if (iid == IID_IPersistStorage)
        p = &PersistStorage;
    else if (iid == IID_IPersistPropertyBag)
        p = &PersistPropertyBag;
    else if (iid == IID_IQuickActivate)
        p = &QuickActivate;
    else if (iid == IID_ISpecifyPropertyPages)
        p = &SpecifyPropertyPages;
    else if (iid == IID_IPerPropertyBrowsing)
        p = &PerPropertyBrowsing;
    else if (iid == IID_IObjectSafety)
        p = &ObjectSafety;
    else if (iid == IID_ISimpleFrameSite)
        p = &SimpleFrameSite;
    else if (iid == IID_IConnectionPointContainer)
        p = &ConnectionPointContainer;
    else if (iid == IID_IProvideClassInfo)
        p = &ProvideClassInfo;
    else if (iid == IID_ISupportErrorInfo)
        p = &SupportErrorInfo;
    if (!p)
        return E_NOINTERFACE;
    p->AddRef();
    *out = p;
    return S_OK;
}

STDMETHODIMP_(ULONG) TActiveFormControl::AddRef()
{
    return InterlockedIncrement(&refs_);
}

STDMETHODIMP_(ULONG) TActiveFormControl::Release()
{
    ULONG n = InterlockedDecrement(&refs_);
    if (!n)
        delete this;
    return n;
}

DWORD TActiveFormControl::MiscStatus()
{
    // What the object says agrees with what it registers: a container that
    // reads the registry before creating it sees the same behaviour.
    return kPanelRegisteredMiscStatus;
}

HRESULT TActiveFormControl::ClassId(CLSID *clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = __uuidof(KXActiveXForm);
    return S_OK;
}

HRESULT TActiveFormControl::Window(HWND *window)
{
    if (!window)
        return E_POINTER;
    *window = form_->Handle();
    return *window ? S_OK : E_FAIL;
}

void TActiveFormControl::BindFormEvents()
{
    TFormEvents &e = form_->Events;
    auto fire = [this](DISPID id) { return [this, id] { FireEvent(id); }; };
    e.OnActivate = fire(201);
    e.OnClick = fire(202);
    e.OnCreate = fire(203);
    e.OnDblClick = fire(204);
    e.OnDestroy = fire(205);  // replaces any destroy handler: destroying the form does nothing else
    e.OnDeactivate = fire(206);
    e.OnMouseEnter = fire(208);
    e.OnMouseLeave = fire(209);
    e.OnPaint = fire(210);
    e.OnKeyPress = [this](wchar_t &key) {
        if (!EventSink || FreezeCount > 0)
            return;
        SHORT value = static_cast<SHORT>(key);
        VARIANTARG arg;
        VariantInit(&arg);
        arg.vt = VT_I2 | VT_BYREF;
        arg.piVal = &value;
        FireEvent(207, &arg, 1);
        key = static_cast<wchar_t>(static_cast<USHORT>(value));
    };
}

void TActiveFormControl::FireEvent(DISPID id, VARIANTARG *args, UINT count)
{
    if (FreezeCount > 0)
        return;
    ComPtr<IDispatch> sink = EventSink;  // the sink may disconnect while called
    if (!sink)
        return;
    DISPPARAMS params{args, nullptr, count, 0};
    sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

void TActiveFormControl::EventSinkChanged()
{
    // The point holds the sink as IKXActiveXFormEvents or IDispatch: the
    // same table either way for an event dispinterface.
    auto sinks = EventsPoint.Sinks();
    EventSink = sinks.empty() ? ComPtr<IDispatch>() : ComPtr<IDispatch>(static_cast<IDispatch *>(sinks.front().Get()));
}

void TActiveFormControl::PropertyChanged(DISPID id)
{
    dirty_ = true;
    for (const auto &sink : PropertyNotifyPoint.Sinks())
        static_cast<IPropertyNotifySink *>(sink.Get())->OnChanged(id);
    ViewChanged();
}

void TActiveFormControl::ViewChanged()
{
    if (ViewAdviseSink && (ViewAdviseAspects & DVASPECT_CONTENT)) {
        ComPtr<IAdviseSink> sink = ViewAdviseSink;
        if (ViewAdviseFlags & ADVF_ONLYONCE)
            ViewAdviseSink.Reset();
        sink->OnViewChange(DVASPECT_CONTENT, -1);
    }
    if (DataAdviseHolder)
        DataAdviseHolder->SendOnDataChange(&DataObject, 0, 0);
}

// ---- sites and activation ---------------------------------------------------

HRESULT TActiveFormControl::SetClientSite(IOleClientSite *site)
{
    if (site == ClientSite.Get())
        return S_OK;
    if (InPlaceActive)
        InPlaceDeactivate();
    ClientSite = site;
    ControlSite = ClientSite ? ClientSite.As<IOleControlSite>() : ComPtr<IOleControlSite>();
    return S_OK;
}

HRESULT TActiveFormControl::DoVerb(LONG verb, IOleClientSite *activeSite)
{
    if (!ClientSite && activeSite)
        SetClientSite(activeSite);
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE:
        return InPlaceActivate(true);
    case OLEIVERB_INPLACEACTIVATE:
        return InPlaceActivate(false);
    case OLEIVERB_HIDE:
        UIDeactivate();
        ShowWindow(form_->Handle(), SW_HIDE);
        return S_OK;
    case OLEIVERB_DISCARDUNDOSTATE:
        return S_OK;
    case OLEIVERB_OPEN:
    case OLEIVERB_PROPERTIES:
        return E_NOTIMPL;  // no separate window, no property pages
    default:
        if (verb > 0) {  // unknown positive verbs act as the primary one
            HRESULT hr = InPlaceActivate(true);
            return FAILED(hr) ? hr : OLEOBJ_S_INVALIDVERB;
        }
        return E_NOTIMPL;
    }
}

HRESULT TActiveFormControl::InPlaceActivate(bool uiActivate)
{
    if (!ClientSite)
        return E_UNEXPECTED;
    HWND window = form_->Handle();
    if (!InPlaceActive) {
        ComPtr<IOleInPlaceSite> site = ClientSite.As<IOleInPlaceSite>();
        if (!site)
            return E_NOINTERFACE;
        if (site->CanInPlaceActivate() != S_OK)
            return E_FAIL;
        site->OnInPlaceActivate();
        InPlaceSite = site;
        InPlaceActive = true;

        HWND parent = nullptr;
        site->GetWindow(&parent);
        RECT pos{}, clip{};
        OLEINPLACEFRAMEINFO frameInfo{};
        frameInfo.cb = sizeof(frameInfo);
        site->GetWindowContext(Frame.Put(), UIWindow.Put(), &pos, &clip, &frameInfo);
        if (parent)
            SetParent(window, parent);
        SetObjectRects(&pos, &clip);
        ShowWindow(window, SW_SHOWNA);
    }
    if (uiActivate && !UIActive) {
        UIActive = true;
        InPlaceSite->OnUIActivate();
        if (!hasFocus_)
            SetFocus(window);
        IOleInPlaceActiveObject *active = &OleInPlaceActiveObject;
        if (Frame) {
            Frame->SetActiveObject(active, L"KXActiveXForm");
            Frame->SetBorderSpace(nullptr);
        }
        if (UIWindow) {
            UIWindow->SetActiveObject(active, L"KXActiveXForm");
            UIWindow->SetBorderSpace(nullptr);
        }
        FireEvent(201);  // OnActivate
    }
    return S_OK;
}

HRESULT TActiveFormControl::UIDeactivate()
{
    if (!UIActive)
        return S_OK;
    UIActive = false;
    if (UIWindow)
        UIWindow->SetActiveObject(nullptr, nullptr);
    if (Frame)
        Frame->SetActiveObject(nullptr, nullptr);
    if (InPlaceSite)
        InPlaceSite->OnUIDeactivate(FALSE);
    FireEvent(206);  // OnDeactivate
    return S_OK;
}

HRESULT TActiveFormControl::InPlaceDeactivate()
{
    if (!InPlaceActive)
        return S_OK;
    UIDeactivate();
    InPlaceActive = false;
    HWND window = form_->Handle();
    if (window && IsChild(window, GetFocus()))
        SetFocus(GetParent(window));
    if (hasFocus_)
        FocusLeft();
    if (window) {
        ShowWindow(window, SW_HIDE);
        SetParent(window, PanelParkingWindow());
    }
    ComPtr<IOleInPlaceSite> site = InPlaceSite;
    if (site)
        site->OnInPlaceDeactivate();
    InPlaceSite.Reset();
    Frame.Reset();
    UIWindow.Reset();
    return S_OK;
}

HRESULT TActiveFormControl::SetObjectRects(LPCRECT pos, LPCRECT clip)
{
    if (!pos)
        return E_POINTER;
    HWND window = form_->Handle();
    form_->SetBounds(*pos);
    // Show only the part inside the clip rectangle.
    RECT visible;
    if (clip && IntersectRect(&visible, pos, clip) && !EqualRect(&visible, pos)) {
        OffsetRect(&visible, -pos->left, -pos->top);
        SetWindowRgn(window, CreateRectRgnIndirect(&visible), TRUE);
    } else {
        SetWindowRgn(window, nullptr, TRUE);
    }
    extent_ = PixelsToHimetric({pos->right - pos->left, pos->bottom - pos->top});
    return S_OK;
}

void TActiveFormControl::SetExtent(const SIZEL &extent)
{
    extent_ = extent;
    if (!InPlaceActive) {
        SIZE px = HimetricToPixels(extent);
        SetWindowPos(form_->Handle(), nullptr, 0, 0, px.cx, px.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    dirty_ = true;
    ViewChanged();
}

void TActiveFormControl::FormSizeChanged()
{
    RECT rc;
    GetWindowRect(form_->Handle(), &rc);
    extent_ = PixelsToHimetric({rc.right - rc.left, rc.bottom - rc.top});
    if (InPlaceSite) {
        MapWindowPoints(HWND_DESKTOP, GetParent(form_->Handle()), reinterpret_cast<POINT *>(&rc), 2);
        InPlaceSite->OnPosRectChange(&rc);
    }
}

HRESULT TActiveFormControl::Close(DWORD saveOption)
{
    if (InPlaceActive)
        InPlaceDeactivate();
    if ((saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE) && dirty_ && ClientSite)
        ClientSite->SaveObject();
    if (OleAdviseHolder)
        OleAdviseHolder->SendOnClose();
    return S_OK;
}

void TActiveFormControl::FocusEntered()
{
    if (InPlaceActive && !UIActive)
        InPlaceActivate(true);
    if (!hasFocus_) {
        hasFocus_ = true;
        if (ControlSite)
            ControlSite->OnFocus(TRUE);
    }
}

void TActiveFormControl::FocusLeft()
{
    if (hasFocus_) {
        hasFocus_ = false;
        if (ControlSite)
            ControlSite->OnFocus(FALSE);
    }
}

HRESULT TActiveFormControl::TranslateAccelerator(MSG *msg)
{
    if (!msg)
        return E_INVALIDARG;
    DWORD modifiers = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        modifiers |= kKeyShift;
    if (GetKeyState(VK_CONTROL) < 0)
        modifiers |= kKeyControl;
    if (GetKeyState(VK_MENU) < 0)
        modifiers |= kKeyAlt;

    HWND window = form_->Handle();
    bool ours = msg->hwnd == window || IsChild(window, msg->hwnd);
    if (ours && msg->message == WM_KEYDOWN && msg->wParam == VK_TAB && !(modifiers & (kKeyControl | kKeyAlt))) {
        bool backwards = (modifiers & kKeyShift) != 0;
        if (form_->TabToNext(backwards))
            return S_OK;
        // Past the last control: the container may move the focus on.
        if (ControlSite && ControlSite->TranslateAccelerator(msg, modifiers) == S_OK)
            return S_OK;
        HWND wrap = GetNextDlgTabItem(window, nullptr, FALSE);
        if (wrap && backwards)
            wrap = GetNextDlgTabItem(window, wrap, TRUE);
        if (wrap)
            SetFocus(wrap);
        return S_OK;
    }
    if (ControlSite && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST &&
        ControlSite->TranslateAccelerator(msg, modifiers) == S_OK)
        return S_OK;
    return S_FALSE;
}

// ---- persistence ------------------------------------------------------------

void TActiveFormControl::InitNew()
{
    form_->ResetProperties();
    SetExtent(PixelsToHimetric(form_->ScaledSize()));
    dirty_ = false;
}

void TActiveFormControl::SaveStream(IStream *stream)
{
    WriteValue(stream, kStreamMagic);
    WriteValue(stream, kStreamVersion);
    WriteValue<LONG>(stream, extent_.cx);
    WriteValue<LONG>(stream, extent_.cy);
    TPropertyList list = form_->SaveProperties();
    WriteValue<DWORD>(stream, static_cast<DWORD>(list.size()));
    for (const auto &[name, value] : list) {
        WriteText(stream, name);
        if (auto b = std::get_if<bool>(&value)) {
            WriteValue<BYTE>(stream, kBool);
            WriteValue<BYTE>(stream, *b ? 1 : 0);
        } else if (auto l = std::get_if<long>(&value)) {
            WriteValue<BYTE>(stream, kLong);
            WriteValue<LONG>(stream, *l);
        } else {
            WriteValue<BYTE>(stream, kText);
            WriteText(stream, std::get<std::wstring>(value));
        }
    }
}

void TActiveFormControl::LoadStream(IStream *stream)
{
    if (ReadValue<DWORD>(stream) != kStreamMagic)
        throw EPanelError(L"Это не сохранённое состояние панели", E_FAIL);
    if (ReadValue<DWORD>(stream) > kStreamVersion)
        throw EPanelError(L"Состояние панели сохранено более новой версией", E_FAIL);
    SIZEL extent;
    extent.cx = ReadValue<LONG>(stream);
    extent.cy = ReadValue<LONG>(stream);
    auto count = ReadValue<DWORD>(stream);
    TPropertyList list;
    for (DWORD i = 0; i < count; ++i) {
        std::wstring name = ReadText(stream);
        switch (ReadValue<BYTE>(stream)) {
        case kBool: list.emplace_back(name, ReadValue<BYTE>(stream) != 0); break;
        case kLong: list.emplace_back(name, static_cast<long>(ReadValue<LONG>(stream))); break;
        case kText: list.emplace_back(name, ReadText(stream)); break;
        default: throw EPanelError(L"Повреждено сохранённое состояние панели", STG_E_READFAULT);
        }
    }
    // Everything read: only now is the form touched.
    form_->ResetProperties();
    for (const auto &[name, value] : list)
        form_->LoadProperty(name, value);
    SetExtent(extent);
    dirty_ = false;
}

ULONG TActiveFormControl::StreamSizeMax()
{
    ULONG size = 5 * sizeof(DWORD);
    for (const auto &[name, value] : form_->SaveProperties()) {
        size += sizeof(DWORD) + static_cast<ULONG>(name.size() * sizeof(wchar_t)) + 1 + sizeof(LONG);
        if (auto t = std::get_if<std::wstring>(&value))
            size += static_cast<ULONG>(t->size() * sizeof(wchar_t));
    }
    return size;
}

void TActiveFormControl::SaveBag(IPropertyBag *bag)
{
    auto put = [&](const std::wstring &name, VARIANT &v) {
        HRESULT hr = bag->Write(name.c_str(), &v);
        VariantClear(&v);
        if (FAILED(hr))
            throw EPanelError(L"Ошибка записи свойства " + name, hr);
    };
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = extent_.cx;
    put(L"_ExtentX", v);
    v.vt = VT_I4;
    v.lVal = extent_.cy;
    put(L"_ExtentY", v);
    for (const auto &[name, value] : form_->SaveProperties()) {
        VariantInit(&v);
        if (auto b = std::get_if<bool>(&value)) {
            v.vt = VT_BOOL;
            v.boolVal = *b ? VARIANT_TRUE : VARIANT_FALSE;
        } else if (auto l = std::get_if<long>(&value)) {
            v.vt = VT_I4;
            v.lVal = *l;
        } else {
            v.vt = VT_BSTR;
            v.bstrVal = Bstr(std::get<std::wstring>(value)).Detach();  // put() clears it
        }
        put(name, v);
    }
}

void TActiveFormControl::LoadBag(IPropertyBag *bag, IErrorLog *log)
{
    // Read the lot first; absent names keep their defaults.
    TPropertyList list;
    auto read = [&](const std::wstring &name, VARTYPE type, VARIANT &out) {
        VARIANT v;
        VariantInit(&v);
        if (FAILED(bag->Read(name.c_str(), &v, log)))
            return false;
        HRESULT hr = VariantChangeType(&out, &v, 0, type);
        VariantClear(&v);
        if (FAILED(hr))
            throw EPanelError(L"Неверное значение свойства " + name, hr);
        return true;
    };
    SIZEL extent = PixelsToHimetric(form_->ScaledSize());
    VARIANT v;
    VariantInit(&v);
    if (read(L"_ExtentX", VT_I4, v))
        extent.cx = v.lVal;
    if (read(L"_ExtentY", VT_I4, v))
        extent.cy = v.lVal;
    for (const std::wstring &name : PersistedPropertyNames()) {
        int kind = 0;
        PersistedPropertyKind(name, kind);
        VARTYPE type = kind == 0 ? VT_BOOL : kind == 1 ? VT_I4 : VT_BSTR;
        VariantInit(&v);
        if (!read(name, type, v))
            continue;
        if (type == VT_BOOL)
            list.emplace_back(name, v.boolVal != VARIANT_FALSE);
        else if (type == VT_I4)
            list.emplace_back(name, static_cast<long>(v.lVal));
        else
            list.emplace_back(name, std::wstring(v.bstrVal ? v.bstrVal : L""));
        VariantClear(&v);
    }
    form_->ResetProperties();
    for (const auto &[name, value] : list)
        form_->LoadProperty(name, value);
    SetExtent(extent);
    dirty_ = false;
}
