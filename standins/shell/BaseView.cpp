#include "BaseView.h"

namespace kxshell {

BaseView::BaseView(RegistryPtr registry, ObjectFactory *factory, kxshell::Frame *frame)
    : ComObject(std::move(registry), "BaseView"), factory_(factory), frame_(frame) {}

HRESULT BaseView::Factory(IGrymObjectFactory **factory) {
    Log("IBaseViewThread.Factory()");
    if (!ClearOut(factory)) return E_POINTER;
    *factory = factory_.CopyOut();
    return S_OK;
}

HRESULT BaseView::Frame(IBaseViewFrame **frame) {
    Log("IBaseViewThread.Frame()");
    if (!ClearOut(frame)) return E_POINTER;
    *frame = frame_.CopyOut();
    return S_OK;
}

}  // namespace kxshell
