// ISupportErrorInfo: the accessors leave error info behind.
#include "ActiveFormControl.h"
#include "ComGuard.h"

KX_PART_IUNKNOWN(TSupportErrorInfoPart)

STDMETHODIMP TSupportErrorInfoPart::InterfaceSupportsErrorInfo(REFIID iid)
{
    return iid == __uuidof(IKXActiveXForm) || iid == IID_IDispatch ? S_OK : S_FALSE;
}
