// IPerPropertyBrowsing: names for the enumerated properties' values.
#include "ActiveFormControl.h"
#include "Bstr.h"
#include "ComGuard.h"

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
