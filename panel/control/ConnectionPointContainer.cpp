// IConnectionPointContainer and its two points: the form's events (one sink)
// and property change notification (any number of sinks).
#include "ActiveFormControl.h"
#include "ComGuard.h"

KX_PART_IUNKNOWN(TConnectionPointContainerPart)

STDMETHODIMP TConnectionPointContainerPart::EnumConnectionPoints(IEnumConnectionPoints **points)
{
    return EnumConnectionPointsOf({&c_.EventsPoint, &c_.PropertyNotifyPoint}, points);
}

STDMETHODIMP TConnectionPointContainerPart::FindConnectionPoint(REFIID iid, IConnectionPoint **point)
{
    return FindConnectionPointIn({&c_.EventsPoint, &c_.PropertyNotifyPoint}, iid, point);
}
