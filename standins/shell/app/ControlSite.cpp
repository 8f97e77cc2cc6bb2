#include "ControlSite.h"
#include "Bstr.h"

#include <algorithm>

namespace kxapp {
namespace {

constexpr LCID kRussian = 0x419;

// Himetric and pixels convert at the screen's pixels per inch, as the
// control converts its own.
int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int HimetricToPixels(long himetric) { return MulDiv(himetric, ScreenDpi(), 2540); }
int PixelsToHimetric(long pixels) { return MulDiv(pixels, 2540, ScreenDpi()); }

HRESULT AmbientFont(VARIANT *result) {
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof(desc);
    desc.lpstrName = const_cast<LPOLESTR>(L"Tahoma");
    desc.cySize.int64 = 80000;  // 8 points
    desc.sWeight = FW_NORMAL;
    desc.sCharset = RUSSIAN_CHARSET;
    IFontDisp *font = nullptr;
    const HRESULT hr = OleCreateFontIndirect(&desc, IID_IFontDisp, reinterpret_cast<void **>(&font));
    if (FAILED(hr)) return hr;
    result->vt = VT_DISPATCH;
    result->pdispVal = font;
    return S_OK;
}

}  // namespace

// ---------------------------------------------------------------- frame

STDMETHODIMP ContainerFrame::QueryInterface(REFIID iid, void **out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
        *out = static_cast<IOleInPlaceFrame *>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP ContainerFrame::GetWindow(HWND *window) {
    if (!window) return E_POINTER;
    *window = window_;
    return S_OK;
}

STDMETHODIMP ContainerFrame::SetActiveObject(IOleInPlaceActiveObject *object, LPCOLESTR) {
    active_ = ComPtr<IOleInPlaceActiveObject>(object);
    return S_OK;
}

STDMETHODIMP ContainerFrame::SetStatusText(LPCOLESTR text) {
    if (statusSink_) statusSink_(statusContext_, text ? text : L"");
    return S_OK;
}

// ---------------------------------------------------------------- site

ControlSite::ControlSite(ContainerFrame *frame, HWND dock, std::wstring name)
    : frame_(frame), dock_(dock), name_(std::move(name)) {}

ControlSite::~ControlSite() = default;

STDMETHODIMP ControlSite::QueryInterface(REFIID iid, void **out) {
    if (!out) return E_POINTER;
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

HRESULT ControlSite::Activate(IUnknown *control, const RECT &place) {
    if (!control) return E_INVALIDARG;
    place_ = place;
    control->QueryInterface(IID_IOleObject, reinterpret_cast<void **>(object_.Put()));
    if (!object_) return E_NOINTERFACE;
    DWORD misc = 0;
    object_->GetMiscStatus(DVASPECT_CONTENT, &misc);
    // A control that asks for its site first reads ambients while it loads.
    HRESULT hr = S_OK;
    if (misc & OLEMISC_SETCLIENTSITEFIRST) hr = object_->SetClientSite(this);
    if (FAILED(hr)) return hr;
    ComPtr<IPersistStreamInit> persist = object_.As<IPersistStreamInit>();
    if (persist) {
        hr = persist->InitNew();
        if (FAILED(hr) && hr != E_NOTIMPL) return hr;
    }
    if (!(misc & OLEMISC_SETCLIENTSITEFIRST)) {
        hr = object_->SetClientSite(this);
        if (FAILED(hr)) return hr;
    }
    object_->SetHostNames(L"KXShell", name_.c_str());
    // The size the control asks for, before the dock gives it its place.
    SIZEL natural{};
    if (SUCCEEDED(object_->GetExtent(DVASPECT_CONTENT, &natural)))
        natural_ = SIZE{HimetricToPixels(natural.cx), HimetricToPixels(natural.cy)};
    const SIZEL extent{PixelsToHimetric(place.right - place.left), PixelsToHimetric(place.bottom - place.top)};
    object_->SetExtent(DVASPECT_CONTENT, const_cast<SIZEL *>(&extent));
    hr = object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, dock_, &place_);
    if (FAILED(hr)) return hr;
    object_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void **>(inPlaceObject_.Put()));
    return S_OK;
}

void ControlSite::Move(const RECT &place) {
    place_ = place;
    if (inPlaceObject_) inPlaceObject_->SetObjectRects(&place_, &place_);
}

HWND ControlSite::ControlWindow() const {
    HWND window = nullptr;
    if (inPlaceObject_ && inPlace_) inPlaceObject_->GetWindow(&window);
    return window;
}

SIZE ControlSite::NaturalSize() const { return natural_; }

void ControlSite::Deactivate() {
    if (uiActive_ && inPlaceObject_) inPlaceObject_->UIDeactivate();
}

void ControlSite::Close() {
    if (inPlaceObject_) {
        if (uiActive_) inPlaceObject_->UIDeactivate();
        if (inPlace_) inPlaceObject_->InPlaceDeactivate();
    }
    inPlaceObject_.Reset();
    if (object_) {
        object_->Close(OLECLOSE_NOSAVE);
        object_->SetClientSite(nullptr);
        object_.Reset();
    }
}

STDMETHODIMP ControlSite::GetMoniker(DWORD, DWORD, IMoniker **moniker) {
    if (!moniker) return E_POINTER;
    *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ControlSite::GetContainer(IOleContainer **container) {
    if (!container) return E_POINTER;
    *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP ControlSite::GetWindow(HWND *window) {
    if (!window) return E_POINTER;
    *window = dock_;
    return S_OK;
}

STDMETHODIMP ControlSite::OnInPlaceActivate() {
    inPlace_ = true;
    return S_OK;
}

STDMETHODIMP ControlSite::OnUIActivate() {
    uiActive_ = true;
    return S_OK;
}

STDMETHODIMP ControlSite::GetWindowContext(IOleInPlaceFrame **frame, IOleInPlaceUIWindow **doc, LPRECT pos,
                                           LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    if (frame) *frame = nullptr;
    if (doc) *doc = nullptr;
    if (!frame || !doc || !pos || !clip || !info) return E_POINTER;
    *frame = frame_.CopyOut();
    *pos = place_;
    *clip = place_;
    HWND top = nullptr;
    frame_->GetWindow(&top);
    info->fMDIApp = FALSE;
    info->hwndFrame = top;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP ControlSite::OnUIDeactivate(BOOL) {
    uiActive_ = false;
    return S_OK;
}

STDMETHODIMP ControlSite::OnInPlaceDeactivate() {
    inPlace_ = false;
    uiActive_ = false;
    return S_OK;
}

STDMETHODIMP ControlSite::DeactivateAndUndo() {
    if (inPlaceObject_) inPlaceObject_->UIDeactivate();
    return S_OK;
}

STDMETHODIMP ControlSite::OnPosRectChange(LPCRECT rect) {
    if (!rect) return E_POINTER;
    // The dock decides the place; the control keeps to it.
    if (inPlaceObject_) inPlaceObject_->SetObjectRects(&place_, &place_);
    return S_OK;
}

STDMETHODIMP ControlSite::GetExtendedControl(IDispatch **control) {
    if (!control) return E_POINTER;
    *control = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ControlSite::TransformCoords(POINTL *himetric, POINTF *container, DWORD flags) {
    if (!himetric || !container) return E_POINTER;
    if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
        container->x = static_cast<float>(HimetricToPixels(himetric->x));
        container->y = static_cast<float>(HimetricToPixels(himetric->y));
    } else {
        himetric->x = PixelsToHimetric(static_cast<int>(container->x));
        himetric->y = PixelsToHimetric(static_cast<int>(container->y));
    }
    return S_OK;
}

STDMETHODIMP ControlSite::GetTypeInfoCount(UINT *count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP ControlSite::GetTypeInfo(UINT, LCID, ITypeInfo **info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ControlSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *, VARIANT *result, EXCEPINFO *,
                                 UINT *) {
    if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (!result) return E_POINTER;
    VariantInit(result);
    auto flag = [&](bool value) {
        result->vt = VT_BOOL;
        result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    };
    switch (id) {
    case DISPID_AMBIENT_USERMODE: return flag(true);
    case DISPID_AMBIENT_UIDEAD: return flag(false);
    case DISPID_AMBIENT_SHOWGRABHANDLES: return flag(false);
    case DISPID_AMBIENT_SHOWHATCHING: return flag(false);
    case DISPID_AMBIENT_MESSAGEREFLECT: return flag(false);
    case DISPID_AMBIENT_SUPPORTSMNEMONICS: return flag(true);
    case DISPID_AMBIENT_AUTOCLIP: return flag(true);
    case DISPID_AMBIENT_LOCALEID:
        result->vt = VT_I4;
        result->lVal = kRussian;
        return S_OK;
    case DISPID_AMBIENT_BACKCOLOR:
        result->vt = VT_I4;
        result->lVal = static_cast<LONG>(0x80000000 | COLOR_BTNFACE);
        return S_OK;
    case DISPID_AMBIENT_FORECOLOR:
        result->vt = VT_I4;
        result->lVal = static_cast<LONG>(0x80000000 | COLOR_BTNTEXT);
        return S_OK;
    case DISPID_AMBIENT_APPEARANCE:
        result->vt = VT_I2;
        result->iVal = 1;  // 3-D
        return S_OK;
    case DISPID_AMBIENT_DISPLAYNAME:
        result->vt = VT_BSTR;
        return CopyOut(name_, &result->bstrVal);
    case DISPID_AMBIENT_FONT:
        return AmbientFont(result);
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

}  // namespace kxapp
