// IOleObject: site, verbs, extent and close.
#include "ActiveFormControl.h"
#include "ComGuard.h"

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
    if (!clsid)
        return E_POINTER;
    *clsid = __uuidof(KXActiveXForm);
    return S_OK;
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
