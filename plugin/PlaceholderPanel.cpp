// A plain placeholder for the docked panel, used until the panel control is
// built into the library: a window-less object that answers IUnknown only.
#include "PanelApi.h"

#include "ComPtr.h"
#include "Module.h"

#include <new>

class TKXActiveXForm final : public IUnknown {
public:
    explicit TKXActiveXForm(bool counted) : counted_(counted)
    {
        if (counted_) ModuleLock();
    }
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown) return E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return n;
    }

    void Attach(IMap *map, IGrymObjectFactory *factory)
    {
        map_ = map;
        factory_ = factory;
    }
    void Shutdown()
    {
        map_.Reset();
        factory_.Reset();
    }

private:
    ~TKXActiveXForm()
    {
        if (counted_) ModuleUnlock();
    }
    LONG refs_ = 0;
    bool counted_;
    ComPtr<IMap> map_;
    ComPtr<IGrymObjectFactory> factory_;
};

HRESULT CreatePanelControl(REFIID iid, void **out, TKXActiveXForm **form, bool counted)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    auto *panel = new (std::nothrow) TKXActiveXForm(counted);
    if (!panel) return E_OUTOFMEMORY;
    panel->AddRef();
    HRESULT hr = panel->QueryInterface(iid, out);
    if (SUCCEEDED(hr) && form) *form = panel;
    panel->Release();
    return hr;
}

void AttachPanel(TKXActiveXForm *form, IMap *map, IGrymObjectFactory *factory, TLayer *)
{
    form->Attach(map, factory);
}

void ShutDownPanel(TKXActiveXForm *form)
{
    form->Shutdown();
}
