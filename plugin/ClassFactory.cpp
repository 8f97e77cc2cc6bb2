#include "ClassFactory.h"

#include "KXPlayer.h"
#include "Module.h"
#include "PanelControl.h"

#include <KXProject.h>

namespace {

HRESULT CreateCountedPanel(REFIID iid, void **out)
{
    return CreatePanelControl(iid, out, nullptr, /*counted=*/true);
}

HRESULT CreateCountedPlayer(REFIID iid, void **out)
{
    return TKXPlayer::Create(iid, out, /*counted=*/true);
}

// Registration order at library load: the panel control, then the plug-in.
TClassFactory g_factories[] = {
    TClassFactory(CLSID_KXActiveXForm, CreateCountedPanel),
    TClassFactory(CLSID_KXPlayer, CreateCountedPlayer),
};

} // namespace

TClassFactory *FindClassFactory(REFCLSID clsid)
{
    for (auto &factory : g_factories)
        if (factory.Clsid() == clsid) return &factory;
    return nullptr;
}

STDMETHODIMP TClassFactory::QueryInterface(REFIID iid, void **out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *out = static_cast<IClassFactory *>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TClassFactory::AddRef()
{
    ModuleLock();
    return 2;
}

STDMETHODIMP_(ULONG) TClassFactory::Release()
{
    ModuleUnlock();
    return 1;
}

STDMETHODIMP TClassFactory::CreateInstance(IUnknown *outer, REFIID iid, void **out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return create_(iid, out);
}

STDMETHODIMP TClassFactory::LockServer(BOOL lock)
{
    if (lock)
        ModuleLock();
    else
        ModuleUnlock();
    return S_OK;
}
