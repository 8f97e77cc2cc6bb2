// IOleControl: no mnemonics; events can be frozen by the container.
#include "ActiveFormControl.h"
#include "ComGuard.h"

KX_PART_IUNKNOWN(TOleControlPart)

STDMETHODIMP TOleControlPart::GetControlInfo(CONTROLINFO *info)
{
    if (!info)
        return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP TOleControlPart::OnMnemonic(MSG *)
{
    return E_NOTIMPL;
}

STDMETHODIMP TOleControlPart::OnAmbientPropertyChange(DISPID)
{
    return S_OK;  // the panel takes no ambient properties
}

STDMETHODIMP TOleControlPart::FreezeEvents(BOOL freeze)
{
    if (freeze)
        ++c_.FreezeCount;
    else if (c_.FreezeCount > 0)
        --c_.FreezeCount;
    return S_OK;
}
