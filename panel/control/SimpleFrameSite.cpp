// ISimpleFrameSite: messages of contained controls pass unfiltered.
#include "ActiveFormControl.h"
#include "ComGuard.h"

KX_PART_IUNKNOWN(TSimpleFrameSitePart)

STDMETHODIMP TSimpleFrameSitePart::PreMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT *result, DWORD *cookie)
{
    if (result)
        *result = 0;
    if (cookie)
        *cookie = 0;
    return S_OK;  // go on processing the message
}

STDMETHODIMP TSimpleFrameSitePart::PostMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT *result, DWORD)
{
    if (result)
        *result = 0;
    return S_OK;
}
