// IObjectSafety: the options a host asked for, on the interfaces we answer.
#include "ActiveFormControl.h"
#include "ComGuard.h"

KX_PART_IUNKNOWN(TObjectSafetyPart)

namespace {
constexpr DWORD kSupported = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

bool Answers(TActiveFormControl &c, REFIID iid)
{
    IUnknown *p = nullptr;
    if (FAILED(c.QueryInterface(iid, reinterpret_cast<void **>(&p))) || !p)
        return false;
    p->Release();
    return true;
}
}  // namespace

STDMETHODIMP TObjectSafetyPart::GetInterfaceSafetyOptions(REFIID iid, DWORD *supported, DWORD *enabled)
{
    if (!supported || !enabled)
        return E_POINTER;
    *supported = 0;
    *enabled = 0;
    if (!Answers(c_, iid))
        return E_NOINTERFACE;
    *supported = kSupported;
    *enabled = c_.SafetyOptions;
    return S_OK;
}

STDMETHODIMP TObjectSafetyPart::SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled)
{
    if (!Answers(c_, iid))
        return E_NOINTERFACE;
    if (mask & ~kSupported)
        return E_FAIL;
    c_.SafetyOptions = (c_.SafetyOptions & ~mask) | (enabled & mask);
    return S_OK;
}
