// IViewObject2: drawing the panel into a container's device context.
#include "ActiveFormControl.h"
#include "ComGuard.h"

KX_PART_IUNKNOWN(TViewObjectPart)

STDMETHODIMP TViewObjectPart::Draw(DWORD aspect, LONG, void *, DVTARGETDEVICE *, HDC, HDC dc, LPCRECTL bounds,
                                   LPCRECTL, BOOL(STDMETHODCALLTYPE *)(ULONG_PTR), ULONG_PTR)
{
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!dc || !bounds)
        return E_INVALIDARG;
    return ComGuard(IID_IViewObject, [&] {
        RECT rc{bounds->left, bounds->top, bounds->right, bounds->bottom};
        c_.Form().PaintTo(dc, rc);
        return S_OK;
    });
}

STDMETHODIMP TViewObjectPart::GetColorSet(DWORD aspect, LONG, void *, DVTARGETDEVICE *, HDC, LOGPALETTE **colors)
{
    if (!colors)
        return E_POINTER;
    *colors = nullptr;
    return aspect == DVASPECT_CONTENT ? S_FALSE : DV_E_DVASPECT;  // no palette
}

STDMETHODIMP TViewObjectPart::Freeze(DWORD, LONG, void *, DWORD *freeze)
{
    if (freeze)
        *freeze = 0;
    return E_NOTIMPL;
}

STDMETHODIMP TViewObjectPart::Unfreeze(DWORD)
{
    return E_NOTIMPL;
}

STDMETHODIMP TViewObjectPart::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink *sink)
{
    c_.ViewAdviseSink = sink;
    c_.ViewAdviseAspects = aspects;
    c_.ViewAdviseFlags = flags;
    return S_OK;
}

STDMETHODIMP TViewObjectPart::GetAdvise(DWORD *aspects, DWORD *flags, IAdviseSink **sink)
{
    if (aspects)
        *aspects = c_.ViewAdviseAspects;
    if (flags)
        *flags = c_.ViewAdviseFlags;
    if (sink)
        *sink = c_.ViewAdviseSink.CopyOut();
    return S_OK;
}

STDMETHODIMP TViewObjectPart::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE *, LPSIZEL size)
{
    if (!size)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    *size = c_.Extent();
    return S_OK;
}
