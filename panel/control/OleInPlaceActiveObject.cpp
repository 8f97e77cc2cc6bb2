// IOleInPlaceActiveObject: keyboard handling while UI active.
#include "ActiveFormControl.h"
#include "ComGuard.h"

KX_PART_IUNKNOWN(TOleInPlaceActiveObjectPart)

STDMETHODIMP TOleInPlaceActiveObjectPart::GetWindow(HWND *window)
{
    if (!window)
        return E_POINTER;
    *window = c_.Form().Handle();
    return *window ? S_OK : E_FAIL;
}

STDMETHODIMP TOleInPlaceActiveObjectPart::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP TOleInPlaceActiveObjectPart::TranslateAccelerator(LPMSG msg)
{
    return ComGuard(IID_IOleInPlaceActiveObject, [&] { return c_.TranslateAccelerator(msg); });
}

STDMETHODIMP TOleInPlaceActiveObjectPart::OnFrameWindowActivate(BOOL)
{
    return S_OK;
}

STDMETHODIMP TOleInPlaceActiveObjectPart::OnDocWindowActivate(BOOL)
{
    return S_OK;
}

STDMETHODIMP TOleInPlaceActiveObjectPart::ResizeBorder(LPCRECT, IOleInPlaceUIWindow *, BOOL)
{
    return S_OK;  // no tool bars of our own in the container's frame
}

STDMETHODIMP TOleInPlaceActiveObjectPart::EnableModeless(BOOL)
{
    return S_OK;
}
