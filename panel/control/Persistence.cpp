// The control's saved state and its properties as a designer sees them: a
// new panel, or one from a stream, a storage or a property bag; the names
// of the enumerated properties' values; the property pages it does not
// have. The stream's layout and the reading and writing of the properties
// are TActiveFormControl's (ActiveFormControl.cpp).
#include "ActiveFormControl.h"
#include "Bstr.h"
#include "ComGuard.h"

// ---- IPersistStreamInit: a new panel, or its state from a stream ------------

KX_PART_IUNKNOWN(TPersistStreamInitPart)

STDMETHODIMP TPersistStreamInitPart::GetClassID(CLSID *clsid)
{
    return TActiveFormControl::ClassId(clsid);
}

STDMETHODIMP TPersistStreamInitPart::IsDirty()
{
    return c_.Dirty() ? S_OK : S_FALSE;
}

STDMETHODIMP TPersistStreamInitPart::Load(LPSTREAM stream)
{
    if (!stream)
        return E_POINTER;
    return ComGuard(IID_IPersistStreamInit, [&] {
        c_.LoadStream(stream);
        return S_OK;
    });
}

STDMETHODIMP TPersistStreamInitPart::Save(LPSTREAM stream, BOOL clearDirty)
{
    if (!stream)
        return E_POINTER;
    return ComGuard(IID_IPersistStreamInit, [&] {
        c_.SaveStream(stream);
        if (clearDirty)
            c_.SetDirty(false);
        return S_OK;
    });
}

STDMETHODIMP TPersistStreamInitPart::GetSizeMax(ULARGE_INTEGER *size)
{
    if (!size)
        return E_POINTER;
    return ComGuard(IID_IPersistStreamInit, [&] {
        size->QuadPart = c_.StreamSizeMax();
        return S_OK;
    });
}

STDMETHODIMP TPersistStreamInitPart::InitNew()
{
    return ComGuard(IID_IPersistStreamInit, [&] {
        c_.InitNew();
        return S_OK;
    });
}

// ---- IPersistStorage: the stream state kept in a "Contents" stream ----------

KX_PART_IUNKNOWN(TPersistStoragePart)

namespace {
const wchar_t kContents[] = L"Contents";
}

STDMETHODIMP TPersistStoragePart::GetClassID(CLSID *clsid)
{
    return TActiveFormControl::ClassId(clsid);
}

STDMETHODIMP TPersistStoragePart::IsDirty()
{
    return c_.Dirty() ? S_OK : S_FALSE;
}

STDMETHODIMP TPersistStoragePart::InitNew(IStorage *storage)
{
    if (!storage)
        return E_POINTER;
    return ComGuard(IID_IPersistStorage, [&] {
        c_.InitNew();
        c_.Storage = storage;
        return S_OK;
    });
}

STDMETHODIMP TPersistStoragePart::Load(IStorage *storage)
{
    if (!storage)
        return E_POINTER;
    return ComGuard(IID_IPersistStorage, [&] {
        ComPtr<IStream> stream;
        HRESULT hr = storage->OpenStream(kContents, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Put());
        if (FAILED(hr))
            return hr;
        c_.LoadStream(stream.Get());
        c_.Storage = storage;
        return S_OK;
    });
}

STDMETHODIMP TPersistStoragePart::Save(IStorage *storage, BOOL)
{
    if (!storage)
        return E_POINTER;
    return ComGuard(IID_IPersistStorage, [&] {
        ComPtr<IStream> stream;
        HRESULT hr = storage->CreateStream(kContents, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                           stream.Put());
        if (FAILED(hr))
            return hr;
        c_.SaveStream(stream.Get());
        return S_OK;
    });
}

STDMETHODIMP TPersistStoragePart::SaveCompleted(IStorage *storage)
{
    if (storage)
        c_.Storage = storage;
    c_.SetDirty(false);
    return S_OK;
}

STDMETHODIMP TPersistStoragePart::HandsOffStorage()
{
    c_.Storage.Reset();
    return S_OK;
}

// ---- IPersistPropertyBag: the properties by name (HTML pages, designers) ----

KX_PART_IUNKNOWN(TPersistPropertyBagPart)

STDMETHODIMP TPersistPropertyBagPart::GetClassID(CLSID *clsid)
{
    return TActiveFormControl::ClassId(clsid);
}

STDMETHODIMP TPersistPropertyBagPart::InitNew()
{
    return ComGuard(IID_IPersistPropertyBag, [&] {
        c_.InitNew();
        return S_OK;
    });
}

STDMETHODIMP TPersistPropertyBagPart::Load(IPropertyBag *bag, IErrorLog *log)
{
    if (!bag)
        return E_POINTER;
    return ComGuard(IID_IPersistPropertyBag, [&] {
        c_.LoadBag(bag, log);
        return S_OK;
    });
}

STDMETHODIMP TPersistPropertyBagPart::Save(IPropertyBag *bag, BOOL clearDirty, BOOL)
{
    if (!bag)
        return E_POINTER;
    return ComGuard(IID_IPersistPropertyBag, [&] {
        c_.SaveBag(bag);
        if (clearDirty)
            c_.SetDirty(false);
        return S_OK;
    });
}

// ---- IPerPropertyBrowsing: names for the enumerated properties' values ------

KX_PART_IUNKNOWN(TPerPropertyBrowsingPart)

namespace {

struct TNamedValue {
    DISPID id;
    long value;
    const wchar_t *name;
};
const TNamedValue kValues[] = {
    {204, afbNone, L"afbNone"},       {204, afbSingle, L"afbSingle"},
    {204, afbSunken, L"afbSunken"},   {204, afbRaised, L"afbRaised"},
    {207, poNone, L"poNone"},         {207, poProportional, L"poProportional"},
    {207, poPrintToFit, L"poPrintToFit"},
    {212, pmNone, L"pmNone"},         {212, pmAuto, L"pmAuto"},
    {212, pmExplicit, L"pmExplicit"},
};

bool Enumerated(DISPID id)
{
    for (const TNamedValue &v : kValues)
        if (v.id == id)
            return true;
    return false;
}

long CurrentValue(TActiveFormControl &c, DISPID id)
{
    const TFormProperties &p = c.Form().Props;
    return id == 204 ? p.AxBorderStyle : id == 207 ? p.PrintScale : p.PopupMode;
}

}  // namespace

STDMETHODIMP TPerPropertyBrowsingPart::GetDisplayString(DISPID id, BSTR *text)
{
    if (!text)
        return E_POINTER;
    *text = nullptr;
    if (!Enumerated(id))
        return E_NOTIMPL;  // the caller shows the value itself
    long value = CurrentValue(c_, id);
    for (const TNamedValue &v : kValues)
        if (v.id == id && v.value == value)
            return CopyOut(v.name, text);
    return E_FAIL;
}

STDMETHODIMP TPerPropertyBrowsingPart::MapPropertyToPage(DISPID, CLSID *page)
{
    if (!page)
        return E_POINTER;
    *page = CLSID_NULL;
    return PERPROP_E_NOPAGEAVAILABLE;
}

STDMETHODIMP TPerPropertyBrowsingPart::GetPredefinedStrings(DISPID id, CALPOLESTR *strings, CADWORD *cookies)
{
    if (!strings || !cookies)
        return E_POINTER;
    strings->cElems = 0;
    strings->pElems = nullptr;
    cookies->cElems = 0;
    cookies->pElems = nullptr;
    if (!Enumerated(id))
        return E_NOTIMPL;
    ULONG n = 0;
    for (const TNamedValue &v : kValues)
        n += v.id == id;
    auto names = static_cast<LPOLESTR *>(CoTaskMemAlloc(n * sizeof(LPOLESTR)));
    auto values = static_cast<DWORD *>(CoTaskMemAlloc(n * sizeof(DWORD)));
    if (!names || !values) {
        CoTaskMemFree(names);
        CoTaskMemFree(values);
        return E_OUTOFMEMORY;
    }
    ULONG i = 0;
    for (const TNamedValue &v : kValues) {
        if (v.id != id)
            continue;
        size_t bytes = (wcslen(v.name) + 1) * sizeof(wchar_t);
        names[i] = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
        if (!names[i]) {
            for (ULONG j = 0; j < i; ++j)
                CoTaskMemFree(names[j]);
            CoTaskMemFree(names);
            CoTaskMemFree(values);
            return E_OUTOFMEMORY;
        }
        memcpy(names[i], v.name, bytes);
        values[i] = static_cast<DWORD>(v.value);
        ++i;
    }
    strings->cElems = n;
    strings->pElems = names;
    cookies->cElems = n;
    cookies->pElems = values;
    return S_OK;
}

STDMETHODIMP TPerPropertyBrowsingPart::GetPredefinedValue(DISPID id, DWORD cookie, VARIANT *value)
{
    if (!value)
        return E_POINTER;
    VariantInit(value);
    for (const TNamedValue &v : kValues)
        if (v.id == id && static_cast<DWORD>(v.value) == cookie) {
            value->vt = VT_I4;
            value->lVal = v.value;
            return S_OK;
        }
    return E_INVALIDARG;
}

// ---- ISpecifyPropertyPages: the panel has no property pages -----------------

KX_PART_IUNKNOWN(TSpecifyPropertyPagesPart)

STDMETHODIMP TSpecifyPropertyPagesPart::GetPages(CAUUID *pages)
{
    if (!pages)
        return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    return S_OK;
}
