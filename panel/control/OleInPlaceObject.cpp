// IOleInPlaceObject: deactivation and placement by the container.
#include "ActiveFormControl.h"
#include "ComGuard.h"

KX_PART_IUNKNOWN(TOleInPlaceObjectPart)

STDMETHODIMP TOleInPlaceObjectPart::GetWindow(HWND *window)
{
    if (!window)
        return E_POINTER;
    *window = c_.Form().Handle();
    return *window ? S_OK : E_FAIL;
}

STDMETHODIMP TOleInPlaceObjectPart::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP TOleInPlaceObjectPart::InPlaceDeactivate()
{
    return ComGuard(IID_IOleInPlaceObject, [&] { return c_.InPlaceDeactivate(); });
}

STDMETHODIMP TOleInPlaceObjectPart::UIDeactivate()
{
    return ComGuard(IID_IOleInPlaceObject, [&] { return c_.UIDeactivate(); });
}

STDMETHODIMP TOleInPlaceObjectPart::SetObjectRects(LPCRECT pos, LPCRECT clip)
{
    return ComGuard(IID_IOleInPlaceObject, [&] { return c_.SetObjectRects(pos, clip); });
}

STDMETHODIMP TOleInPlaceObjectPart::ReactivateAndUndo()
{
    return INPLACE_E_NOTUNDOABLE;
}
