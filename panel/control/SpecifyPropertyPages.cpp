// ISpecifyPropertyPages: the panel has no property pages.
#include "ActiveFormControl.h"
#include "ComGuard.h"

KX_PART_IUNKNOWN(TSpecifyPropertyPagesPart)

STDMETHODIMP TSpecifyPropertyPagesPart::GetPages(CAUUID *pages)
{
    if (!pages)
        return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    return S_OK;
}
