// The control in its container: the OLE object (site, verbs, extent,
// close), in-place activation and placement, the keyboard while UI active,
// mnemonics and frozen events, quick activation, and the simple frame's
// message filter. The state they drive is TActiveFormControl's.
#include "ActiveFormControl.h"
#include "ComGuard.h"

// ---- IOleObject: site, verbs, extent and close ------------------------------

KX_PART_IUNKNOWN(TOleObjectPart)

STDMETHODIMP TOleObjectPart::SetClientSite(IOleClientSite *site)
{
    return ComGuard(IID_IOleObject, [&] { return c_.SetClientSite(site); });
}

STDMETHODIMP TOleObjectPart::GetClientSite(IOleClientSite **site)
{
    if (!site)
        return E_POINTER;
    *site = c_.ClientSite.CopyOut();
    return S_OK;
}

STDMETHODIMP TOleObjectPart::SetHostNames(LPCOLESTR, LPCOLESTR)
{
    return S_OK;
}

STDMETHODIMP TOleObjectPart::Close(DWORD saveOption)
{
    return ComGuard(IID_IOleObject, [&] { return c_.Close(saveOption); });
}

STDMETHODIMP TOleObjectPart::SetMoniker(DWORD, IMoniker *)
{
    return E_NOTIMPL;
}

STDMETHODIMP TOleObjectPart::GetMoniker(DWORD, DWORD, IMoniker **moniker)
{
    if (!moniker)
        return E_POINTER;
    *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TOleObjectPart::InitFromData(IDataObject *, BOOL, DWORD)
{
    return E_NOTIMPL;
}

STDMETHODIMP TOleObjectPart::GetClipboardData(DWORD, IDataObject **data)
{
    if (!data)
        return E_POINTER;
    *data = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TOleObjectPart::DoVerb(LONG verb, LPMSG, IOleClientSite *site, LONG, HWND, LPCRECT)
{
    // The window and its place come from the in-place site, not from here.
    return ComGuard(IID_IOleObject, [&] { return c_.DoVerb(verb, site); });
}

STDMETHODIMP TOleObjectPart::EnumVerbs(IEnumOLEVERB **verbs)
{
    if (!verbs)
        return E_POINTER;
    *verbs = nullptr;
    return OLE_S_USEREG;
}

STDMETHODIMP TOleObjectPart::Update()
{
    return S_OK;
}

STDMETHODIMP TOleObjectPart::IsUpToDate()
{
    return S_OK;
}

STDMETHODIMP TOleObjectPart::GetUserClassID(CLSID *clsid)
{
    return TActiveFormControl::ClassId(clsid);
}

STDMETHODIMP TOleObjectPart::GetUserType(DWORD, LPOLESTR *type)
{
    if (!type)
        return E_POINTER;
    *type = nullptr;
    return OLE_S_USEREG;
}

STDMETHODIMP TOleObjectPart::SetExtent(DWORD aspect, SIZEL *size)
{
    if (!size)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    return ComGuard(IID_IOleObject, [&] {
        c_.SetExtent(*size);
        return S_OK;
    });
}

STDMETHODIMP TOleObjectPart::GetExtent(DWORD aspect, SIZEL *size)
{
    if (!size)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    *size = c_.Extent();
    return S_OK;
}

STDMETHODIMP TOleObjectPart::Advise(IAdviseSink *sink, DWORD *cookie)
{
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!c_.OleAdviseHolder) {
        HRESULT hr = CreateOleAdviseHolder(c_.OleAdviseHolder.Put());
        if (FAILED(hr))
            return hr;
    }
    return c_.OleAdviseHolder->Advise(sink, cookie);
}

STDMETHODIMP TOleObjectPart::Unadvise(DWORD cookie)
{
    if (!c_.OleAdviseHolder)
        return OLE_E_NOCONNECTION;
    return c_.OleAdviseHolder->Unadvise(cookie);
}

STDMETHODIMP TOleObjectPart::EnumAdvise(IEnumSTATDATA **advise)
{
    if (!advise)
        return E_POINTER;
    *advise = nullptr;
    if (!c_.OleAdviseHolder)
        return E_FAIL;
    return c_.OleAdviseHolder->EnumAdvise(advise);
}

STDMETHODIMP TOleObjectPart::GetMiscStatus(DWORD, DWORD *status)
{
    if (!status)
        return E_POINTER;
    *status = TActiveFormControl::MiscStatus();
    return S_OK;
}

STDMETHODIMP TOleObjectPart::SetColorScheme(LOGPALETTE *)
{
    return E_NOTIMPL;
}

// ---- IOleInPlaceObject: deactivation and placement by the container ---------

KX_PART_IUNKNOWN(TOleInPlaceObjectPart)

STDMETHODIMP TOleInPlaceObjectPart::GetWindow(HWND *window)
{
    return c_.Window(window);
}

STDMETHODIMP TOleInPlaceObjectPart::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP TOleInPlaceObjectPart::InPlaceDeactivate()
{
    return ComGuard(IID_IOleInPlaceObject, [&] { return c_.InPlaceDeactivate(); });
}

STDMETHODIMP TOleInPlaceObjectPart::UIDeactivate()
{
    return ComGuard(IID_IOleInPlaceObject, [&] { return c_.UIDeactivate(); });
}

STDMETHODIMP TOleInPlaceObjectPart::SetObjectRects(LPCRECT pos, LPCRECT clip)
{
    return ComGuard(IID_IOleInPlaceObject, [&] { return c_.SetObjectRects(pos, clip); });
}

STDMETHODIMP TOleInPlaceObjectPart::ReactivateAndUndo()
{
    return INPLACE_E_NOTUNDOABLE;
}

// ---- IOleInPlaceActiveObject: keyboard handling while UI active -------------

KX_PART_IUNKNOWN(TOleInPlaceActiveObjectPart)

STDMETHODIMP TOleInPlaceActiveObjectPart::GetWindow(HWND *window)
{
    return c_.Window(window);
}

STDMETHODIMP TOleInPlaceActiveObjectPart::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP TOleInPlaceActiveObjectPart::TranslateAccelerator(LPMSG msg)
{
    return ComGuard(IID_IOleInPlaceActiveObject, [&] { return c_.TranslateAccelerator(msg); });
}

STDMETHODIMP TOleInPlaceActiveObjectPart::OnFrameWindowActivate(BOOL)
{
    return S_OK;
}

STDMETHODIMP TOleInPlaceActiveObjectPart::OnDocWindowActivate(BOOL)
{
    return S_OK;
}

STDMETHODIMP TOleInPlaceActiveObjectPart::ResizeBorder(LPCRECT, IOleInPlaceUIWindow *, BOOL)
{
    return S_OK;  // no tool bars of our own in the container's frame
}

STDMETHODIMP TOleInPlaceActiveObjectPart::EnableModeless(BOOL)
{
    return S_OK;
}

// ---- IOleControl: no mnemonics; events can be frozen by the container -------

KX_PART_IUNKNOWN(TOleControlPart)

STDMETHODIMP TOleControlPart::GetControlInfo(CONTROLINFO *info)
{
    if (!info)
        return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP TOleControlPart::OnMnemonic(MSG *)
{
    return E_NOTIMPL;
}

STDMETHODIMP TOleControlPart::OnAmbientPropertyChange(DISPID)
{
    return S_OK;  // the panel takes no ambient properties
}

STDMETHODIMP TOleControlPart::FreezeEvents(BOOL freeze)
{
    if (freeze)
        ++c_.FreezeCount;
    else if (c_.FreezeCount > 0)
        --c_.FreezeCount;
    return S_OK;
}

// ---- IQuickActivate: a container's set-up in one call -----------------------

KX_PART_IUNKNOWN(TQuickActivatePart)

STDMETHODIMP TQuickActivatePart::QuickActivate(QACONTAINER *container, QACONTROL *control)
{
    if (!container || !control)
        return E_POINTER;
    if (control->cbSize < sizeof(QACONTROL) || container->cbSize == 0)
        return E_INVALIDARG;
    return ComGuard(IID_IQuickActivate, [&] {
        control->dwMiscStatus = TActiveFormControl::MiscStatus();
        control->dwViewStatus = VIEWSTATUS_OPAQUE;
        control->dwEventCookie = 0;
        control->dwPropNotifyCookie = 0;
        control->dwPointerActivationPolicy = 0;
        HRESULT hr = c_.SetClientSite(container->pClientSite);
        if (FAILED(hr))
            return hr;
        if (container->pAdviseSink)
            c_.ViewObject.SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
        if (container->pUnkEventSink)
            c_.EventsPoint.Advise(container->pUnkEventSink, &control->dwEventCookie);
        if (container->pPropertyNotifySink)
            c_.PropertyNotifyPoint.Advise(container->pPropertyNotifySink, &control->dwPropNotifyCookie);
        return S_OK;
    });
}

STDMETHODIMP TQuickActivatePart::SetContentExtent(LPSIZEL size)
{
    if (!size)
        return E_POINTER;
    return ComGuard(IID_IQuickActivate, [&] {
        c_.SetExtent(*size);
        return S_OK;
    });
}

STDMETHODIMP TQuickActivatePart::GetContentExtent(LPSIZEL size)
{
    if (!size)
        return E_POINTER;
    *size = c_.Extent();
    return S_OK;
}

// ---- ISimpleFrameSite: messages of contained controls pass unfiltered -------

KX_PART_IUNKNOWN(TSimpleFrameSitePart)

STDMETHODIMP TSimpleFrameSitePart::PreMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT *result, DWORD *cookie)
{
    if (result)
        *result = 0;
    if (cookie)
        *cookie = 0;
    return S_OK;  // go on processing the message
}

STDMETHODIMP TSimpleFrameSitePart::PostMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT *result, DWORD)
{
    if (result)
        *result = 0;
    return S_OK;
}
