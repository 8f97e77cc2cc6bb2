// IPersistPropertyBag: the form's properties by name (HTML pages, designers).
#include "ActiveFormControl.h"
#include "ComGuard.h"

KX_PART_IUNKNOWN(TPersistPropertyBagPart)

STDMETHODIMP TPersistPropertyBagPart::GetClassID(CLSID *clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = __uuidof(KXActiveXForm);
    return S_OK;
}

STDMETHODIMP TPersistPropertyBagPart::InitNew()
{
    return ComGuard(IID_IPersistPropertyBag, [&] {
        c_.InitNew();
        return S_OK;
    });
}

STDMETHODIMP TPersistPropertyBagPart::Load(IPropertyBag *bag, IErrorLog *log)
{
    if (!bag)
        return E_POINTER;
    return ComGuard(IID_IPersistPropertyBag, [&] {
        c_.LoadBag(bag, log);
        return S_OK;
    });
}

STDMETHODIMP TPersistPropertyBagPart::Save(IPropertyBag *bag, BOOL clearDirty, BOOL)
{
    if (!bag)
        return E_POINTER;
    return ComGuard(IID_IPersistPropertyBag, [&] {
        c_.SaveBag(bag);
        if (clearDirty)
            c_.SetDirty(false);
        return S_OK;
    });
}
