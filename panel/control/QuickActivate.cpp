// IQuickActivate: a container's set-up in one call.
#include "ActiveFormControl.h"
#include "ComGuard.h"

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
