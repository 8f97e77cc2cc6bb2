// IPersistStreamInit: a new panel, or its state from a stream.
#include "ActiveFormControl.h"
#include "ComGuard.h"

KX_PART_IUNKNOWN(TPersistStreamInitPart)

STDMETHODIMP TPersistStreamInitPart::GetClassID(CLSID *clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = __uuidof(KXActiveXForm);
    return S_OK;
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
