// The library's class factories, kept in the order they are registered at
// load: the panel control first, then the plug-in object.
#pragma once

#include <unknwn.h>

using CreateInstanceFn = HRESULT (*)(REFIID iid, void **out);

class TClassFactory : public IClassFactory {
public:
    TClassFactory(REFCLSID clsid, CreateInstanceFn create) : clsid_(clsid), create_(create) {}

    const CLSID &Clsid() const { return clsid_; }

    // IUnknown: the factories are static objects; their counts only guard
    // the module (LockServer style), not their lifetime.
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IClassFactory: objects made here count against DllCanUnloadNow.
    STDMETHODIMP CreateInstance(IUnknown *outer, REFIID iid, void **out) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    CLSID clsid_;
    CreateInstanceFn create_;
};

// The factory of a class, or null.
TClassFactory *FindClassFactory(REFCLSID clsid);
