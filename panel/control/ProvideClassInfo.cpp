// IProvideClassInfo: the KXActiveXForm coclass from the type library.
#include "ActiveFormControl.h"
#include "ComGuard.h"
#include "Module.h"

KX_PART_IUNKNOWN(TProvideClassInfoPart)

STDMETHODIMP TProvideClassInfoPart::GetClassInfo(ITypeInfo **info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    return ModuleTypeInfo(__uuidof(KXActiveXForm), info);
}
