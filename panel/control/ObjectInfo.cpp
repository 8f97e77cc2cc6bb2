// What a container or a script asks of the control about itself: its
// class from the type library, which interfaces leave error info, the
// safety options it was given, and its connection points (the form's
// events, property change notification).
#include "ActiveFormControl.h"
#include "Module.h"

// ---- IProvideClassInfo: the KXActiveXForm coclass from the type library -----

KX_PART_IUNKNOWN(TProvideClassInfoPart)

STDMETHODIMP TProvideClassInfoPart::GetClassInfo(ITypeInfo **info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    return ModuleTypeInfo(__uuidof(KXActiveXForm), info);
}

// ---- ISupportErrorInfo: the accessors leave error info behind ---------------

KX_PART_IUNKNOWN(TSupportErrorInfoPart)

STDMETHODIMP TSupportErrorInfoPart::InterfaceSupportsErrorInfo(REFIID iid)
{
    return iid == __uuidof(IKXActiveXForm) || iid == IID_IDispatch ? S_OK : S_FALSE;
}

// ---- IObjectSafety: the options a host asked for ----------------------------

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

// ---- IConnectionPointContainer: the form's events and property changes ------

KX_PART_IUNKNOWN(TConnectionPointContainerPart)

STDMETHODIMP TConnectionPointContainerPart::EnumConnectionPoints(IEnumConnectionPoints **points)
{
    return EnumConnectionPointsOf({&c_.EventsPoint, &c_.PropertyNotifyPoint}, points);
}

STDMETHODIMP TConnectionPointContainerPart::FindConnectionPoint(REFIID iid, IConnectionPoint **point)
{
    return FindConnectionPointIn({&c_.EventsPoint, &c_.PropertyNotifyPoint}, iid, point);
}
