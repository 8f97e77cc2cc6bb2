#include "KXPlayer.h"

#include "BaseViewWrap.h"
#include "Bstr.h"
#include "Layer.h"
#include "Module.h"
#include "PanelControl.h"
#include "PanelState.h"

#include <new>
#include <olectl.h>

const wchar_t kPluginXmlInfo[] =
    L"<grym_plugin_info><requirements><requirement_api>API-1.1</requirement_api>"
    L"</requirements></grym_plugin_info>";

HRESULT TKXPlayer::Create(REFIID iid, void **out, bool counted)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    TKXPlayer *player = nullptr;
    try {
        player = new TKXPlayer(counted);
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
    player->AddRef();
    HRESULT hr = player->QueryInterface(iid, out);
    player->Release();
    return hr;
}

TKXPlayer::TKXPlayer(bool counted) : counted_(counted), state_(std::make_shared<TPanelState>())
{
    if (counted_) ModuleLock();
}

TKXPlayer::~TKXPlayer()
{
    // Without Terminate the layer leaves the map here, while the view it
    // asks is still there.
    if (layer_) {
        layer_->Detach();
        layer_.Reset();
    }
    customPages_.Reset();
    map_.Reset();
    factory_.Reset();
    frame_.Reset();
    view_.Reset();
    baseView_.reset();
    eventSink_.Reset();
    eventPoint_.reset();
    if (counted_) ModuleUnlock();
}

STDMETHODIMP TKXPlayer::QueryInterface(REFIID iid, void **out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IPanelPage)
        *out = static_cast<IPanelPage *>(this);
    else if (iid == IID_IDispatch || iid == IID_IKXPlayer)
        *out = static_cast<IKXPlayer *>(this);
    else if (iid == IID_IDisplayInfo)
        *out = static_cast<IDisplayInfo *>(this);
    else if (iid == IID_IPositionCode)
        *out = static_cast<IPositionCode *>(this);
    else if (iid == IID_IPluginDescription)
        *out = static_cast<IPluginDescription *>(this);
    else if (iid == IID_IHostedPlugin)
        *out = static_cast<IHostedPlugin *>(this);
    else if (iid == IID_IConnectionPointContainer)
        *out = static_cast<IConnectionPointContainer *>(this);
    else if (iid == IID_IProvideClassInfo)
        *out = static_cast<IProvideClassInfo *>(this);
    else if (iid == IID_ISupportErrorInfo)
        *out = static_cast<ISupportErrorInfo *>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) TKXPlayer::AddRef() { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) TKXPlayer::Release()
{
    ULONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
}

// ------------------------------------------------------------ IDispatch

STDMETHODIMP TKXPlayer::GetTypeInfoCount(UINT *count)
{
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP TKXPlayer::GetTypeInfo(UINT index, LCID, ITypeInfo **info)
{
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return ModuleTypeInfo(IID_IKXPlayer, info);
}

STDMETHODIMP TKXPlayer::GetIDsOfNames(REFIID, LPOLESTR *names, UINT count, LCID, DISPID *ids)
{
    ComPtr<ITypeInfo> info;
    HRESULT hr = ModuleTypeInfo(IID_IKXPlayer, info.Put());
    if (FAILED(hr)) return hr;
    return DispGetIDsOfNames(info.Get(), names, count, ids);
}

STDMETHODIMP TKXPlayer::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *params,
                               VARIANT *result, EXCEPINFO *excep, UINT *argErr)
{
    ComPtr<ITypeInfo> info;
    HRESULT hr = ModuleTypeInfo(IID_IKXPlayer, info.Put());
    if (FAILED(hr)) return hr;
    return DispInvoke(static_cast<IKXPlayer *>(this), info.Get(), id, flags, params, result,
                      excep, argErr);
}

STDMETHODIMP TKXPlayer::Method1() { return S_OK; }
STDMETHODIMP TKXPlayer::put_PThread(IUnknown *) { return S_OK; }
STDMETHODIMP TKXPlayer::Method2() { return S_OK; }

// ------------------------------------------------------------ description

STDMETHODIMP TKXPlayer::PageOption(VARIANT_BOOL *option)
{
    if (!option) return E_POINTER;
    *option = VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP TKXPlayer::Tag(BSTR *tag) { return CopyOut(L"KXPlayer", tag); }
STDMETHODIMP TKXPlayer::Caption(BSTR *caption) { return CopyOut(L"Карвекс", caption); }
STDMETHODIMP TKXPlayer::Description(BSTR *description) { return CopyOut(L"", description); }

STDMETHODIMP TKXPlayer::Icon(IRaster **icon)
{
    if (!icon) return E_POINTER;
    *icon = nullptr;
    return S_OK;
}

STDMETHODIMP TKXPlayer::PositionCode(BSTR *code) { return CopyOut(L"1:1", code); }
STDMETHODIMP TKXPlayer::XmlInfo(BSTR *xml) { return CopyOut(kPluginXmlInfo, xml); }

// ------------------------------------------------------------ life

STDMETHODIMP TKXPlayer::Initialize(ULONG_PTR, IBaseViewThread *view)
{
    if (!eventPoint_) {
        eventPoint_.reset(new (std::nothrow) TConnectionPoint(
            *static_cast<IPanelPage *>(this), DIID_IKXPlayerEvents,
            TConnectionPoint::SinkKind::Dispinterface, /*single=*/true, [this] {
                auto sinks = eventPoint_->Sinks();
                eventSink_ = sinks.empty() ? ComPtr<IUnknown>() : sinks.front();
            }));
        if (!eventPoint_) return E_OUTOFMEMORY;
    }
    if (!view) return E_INVALIDARG;

    try {
        // A second Initialize replaces what the first one set up.
        if (layer_) {
            layer_->Detach();
            layer_.Reset();
        }
        baseView_.reset(new TBaseView(view));
        view_ = baseView_->View();
        factory_ = baseView_->Factory();
        frame_ = baseView_->Frame();
        map_ = baseView_->Map();

        layer_ = ComPtr<TLayer>(new TLayer(baseView_.get(), state_));

        customPages_.Reset();
        if (frame_) frame_->CustomPages(customPages_.Put());
        if (customPages_) {
            ComPtr<IPanelPage> page(static_cast<IPanelPage *>(this));
            customPages_->AddPage(page.Get());
        }
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

STDMETHODIMP TKXPlayer::CreateControl(IUnknown **control)
{
    if (!control) return E_POINTER;
    *control = nullptr;
    TKXActiveXForm *form = nullptr;
    ComPtr<IUnknown> created;
    HRESULT hr = CreatePanelControl(IID_IUnknown, reinterpret_cast<void **>(created.Put()), &form,
                                    /*counted=*/false, state_);
    if (FAILED(hr)) return hr;
    panel_.Set(form);
    AttachPanel(form, map_.Get(), factory_.Get(), layer_.Get());
    *control = created.Detach();
    return S_OK;
}

STDMETHODIMP TKXPlayer::Terminate()
{
    if (TKXActiveXForm *form = panel_.Get()) ShutDownPanel(form);
    if (layer_) layer_->Detach();
    baseView_.reset();
    factory_.Reset();
    map_.Reset();
    layer_.Reset();
    customPages_.Reset();
    return S_OK;
}

// ------------------------------------------------------------ events and class info

// Before Initialize there is no point to enumerate or find.
STDMETHODIMP TKXPlayer::EnumConnectionPoints(IEnumConnectionPoints **out)
{
    return EnumConnectionPointsOf({eventPoint_.get()}, out);
}

STDMETHODIMP TKXPlayer::FindConnectionPoint(REFIID iid, IConnectionPoint **out)
{
    return FindConnectionPointIn({eventPoint_.get()}, iid, out);
}

STDMETHODIMP TKXPlayer::GetClassInfo(ITypeInfo **info)
{
    if (!info) return E_POINTER;
    *info = nullptr;
    return ModuleTypeInfo(CLSID_KXPlayer, info);
}

STDMETHODIMP TKXPlayer::InterfaceSupportsErrorInfo(REFIID iid)
{
    return iid == IID_IKXPlayer ? S_OK : S_FALSE;
}
