// IDataObject: the panel's picture as an enhanced metafile, and data advise.
#include "ActiveFormControl.h"
#include "ComGuard.h"

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
