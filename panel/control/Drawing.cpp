// The control's picture outside its window: drawn into a container's
// device context, or handed over as an enhanced metafile with data advise.
#include "ActiveFormControl.h"
#include "ComGuard.h"

// ---- IViewObject2: drawing the panel into a container's device context ------

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

// ---- IDataObject: the picture as an enhanced metafile, data advise ----------

KX_PART_IUNKNOWN(TDataObjectPart)

namespace {

bool Supported(const FORMATETC *f)
{
    return f->cfFormat == CF_ENHMETAFILE && (f->tymed & TYMED_ENHMF) && f->dwAspect == DVASPECT_CONTENT;
}

}  // namespace

STDMETHODIMP TDataObjectPart::GetData(FORMATETC *format, STGMEDIUM *medium)
{
    if (!format || !medium)
        return E_POINTER;
    ZeroMemory(medium, sizeof(*medium));
    if (!Supported(format))
        return DV_E_FORMATETC;
    return ComGuard(IID_IDataObject, [&] {
        SIZEL extent = c_.Extent();
        SIZE px = HimetricToPixels(extent);
        RECT frame{0, 0, extent.cx, extent.cy};  // HIMETRIC, as the metafile wants
        HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
        if (!dc)
            return E_OUTOFMEMORY;
        RECT bounds{0, 0, px.cx, px.cy};
        c_.Form().PaintTo(dc, bounds);
        HENHMETAFILE emf = CloseEnhMetaFile(dc);
        if (!emf)
            return E_FAIL;
        medium->tymed = TYMED_ENHMF;
        medium->hEnhMetaFile = emf;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    });
}

STDMETHODIMP TDataObjectPart::GetDataHere(FORMATETC *, STGMEDIUM *)
{
    return E_NOTIMPL;
}

STDMETHODIMP TDataObjectPart::QueryGetData(FORMATETC *format)
{
    if (!format)
        return E_POINTER;
    return Supported(format) ? S_OK : DV_E_FORMATETC;
}

STDMETHODIMP TDataObjectPart::GetCanonicalFormatEtc(FORMATETC *, FORMATETC *out)
{
    if (!out)
        return E_POINTER;
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP TDataObjectPart::SetData(FORMATETC *, STGMEDIUM *, BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP TDataObjectPart::EnumFormatEtc(DWORD, IEnumFORMATETC **formats)
{
    if (!formats)
        return E_POINTER;
    *formats = nullptr;
    return OLE_S_USEREG;
}

STDMETHODIMP TDataObjectPart::DAdvise(FORMATETC *format, DWORD flags, IAdviseSink *sink, DWORD *cookie)
{
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!c_.DataAdviseHolder) {
        HRESULT hr = CreateDataAdviseHolder(c_.DataAdviseHolder.Put());
        if (FAILED(hr))
            return hr;
    }
    return c_.DataAdviseHolder->Advise(this, format, flags, sink, cookie);
}

STDMETHODIMP TDataObjectPart::DUnadvise(DWORD cookie)
{
    if (!c_.DataAdviseHolder)
        return OLE_E_NOCONNECTION;
    return c_.DataAdviseHolder->Unadvise(cookie);
}

STDMETHODIMP TDataObjectPart::EnumDAdvise(IEnumSTATDATA **advise)
{
    if (!advise)
        return E_POINTER;
    *advise = nullptr;
    if (!c_.DataAdviseHolder)
        return E_FAIL;
    return c_.DataAdviseHolder->EnumAdvise(advise);
}
