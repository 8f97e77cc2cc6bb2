// TKXPlayer: the plug-in object, the one object the shell talks to.
#pragma once

#include "ComPtr.h"
#include "ConnectionPoints.h"
#include "PanelControl.h"

#include <GrymCore.h>
#include <KXProject.h>

#include <memory>

class TBaseView;
class TLayer;
class TKXActiveXForm;
struct TPanelState;

class TKXPlayer final : public IKXPlayer,
                  public IPanelPage,
                  public IDisplayInfo,
                  public IPositionCode,
                  public IPluginDescription,
                  public IHostedPlugin,
                  public IConnectionPointContainer,
                  public IProvideClassInfo,
                  public ISupportErrorInfo {
public:
    // counted: whether the object holds the module (objects made through
    // DllGetClassObject do; the one CreateGrymPlugin makes does not).
    static HRESULT Create(REFIID iid, void **out, bool counted);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, answered from the type library
    STDMETHODIMP GetTypeInfoCount(UINT *count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo **info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR *names, UINT count, LCID lcid,
                               DISPID *ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS *params,
                        VARIANT *result, EXCEPINFO *excep, UINT *argErr) override;
    // IKXPlayer: members without behaviour
    STDMETHODIMP Method1() override;
    STDMETHODIMP put_PThread(IUnknown *value) override;
    STDMETHODIMP Method2() override;

    // IPanelPage
    STDMETHODIMP PageOption(VARIANT_BOOL *option) override;
    STDMETHODIMP CreateControl(IUnknown **control) override;

    // IDisplayInfo
    STDMETHODIMP Tag(BSTR *tag) override;
    STDMETHODIMP Caption(BSTR *caption) override;
    STDMETHODIMP Description(BSTR *description) override;
    STDMETHODIMP Icon(IRaster **icon) override;

    // IPositionCode
    STDMETHODIMP PositionCode(BSTR *code) override;

    // IPluginDescription
    STDMETHODIMP XmlInfo(BSTR *xml) override;

    // IHostedPlugin
    STDMETHODIMP Initialize(ULONG_PTR application, IBaseViewThread *view) override;
    STDMETHODIMP Terminate() override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints **out) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint **out) override;

    // IProvideClassInfo
    STDMETHODIMP GetClassInfo(ITypeInfo **info) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override;

private:
    explicit TKXPlayer(bool counted);
    ~TKXPlayer();

    LONG refs_ = 0;
    bool counted_;
    // The single point for IKXPlayerEvents, made by the first Initialize.
    std::unique_ptr<TConnectionPoint> eventPoint_;
    ComPtr<IUnknown> eventSink_; // kept as the sink changes; never called
    std::unique_ptr<TBaseView> baseView_;
    // One reference of the plug-in's own, from Initialize to Terminate: the
    // layer lives even if the shell refused to take it.
    ComPtr<TLayer> layer_;
    ComPtr<IBaseViewThread> view_;
    ComPtr<IBaseViewFrame> frame_;
    ComPtr<IGrymObjectFactory> factory_;
    ComPtr<IMap> map_;
    ComPtr<ICustomPageCollection> customPages_;
    // The panel state, made with the object and handed to the layer and to
    // every panel this object makes; they hold it jointly with it.
    std::shared_ptr<TPanelState> state_;
    // The panel the shell asked for last: Terminate shuts it down, unless
    // the shell has destroyed it already.
    TCurrentPanel panel_;
};

// The requirement string the shell reads through XmlInfo.
extern const wchar_t kPluginXmlInfo[];
