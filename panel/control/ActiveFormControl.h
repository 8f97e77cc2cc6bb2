// The panel's control object: the COM identity around the form, with the
// state an OLE container drives (sites, activation, extent, advise sinks,
// connection points). Its interfaces are the parts of ControlParts.h.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <memory>

#include "ComPtr.h"
#include "ConnectionPoints.h"
#include "ControlParts.h"
#include "KXActiveXForm.h"

class TActiveFormControl final : public IUnknown, public TFormOwner {
public:
    TActiveFormControl(bool counted, std::shared_ptr<TPanelState> state);
    ~TActiveFormControl();
    TActiveFormControl(const TActiveFormControl &) = delete;
    TActiveFormControl &operator=(const TActiveFormControl &) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    TKXActiveXForm &Form() { return *form_; }
    static DWORD MiscStatus();
    // Out parameters more than one interface fills: the class that IOleObject
    // and every persistence interface name, the window IOleWindow gives.
    static HRESULT ClassId(CLSID *clsid);
    HRESULT Window(HWND *window);

    // Container-driven operations (IOleObject, IOleInPlaceObject, ...).
    HRESULT SetClientSite(IOleClientSite *site);
    HRESULT DoVerb(LONG verb, IOleClientSite *activeSite);
    HRESULT InPlaceActivate(bool uiActivate);
    HRESULT InPlaceDeactivate();
    HRESULT UIDeactivate();
    HRESULT SetObjectRects(LPCRECT pos, LPCRECT clip);
    HRESULT TranslateAccelerator(MSG *msg);
    HRESULT Close(DWORD saveOption);
    void SetExtent(const SIZEL &extent);
    SIZEL Extent() const { return extent_; }

    // Calls from the form.
    HRESULT QueryOwner(REFIID iid, void **out) override { return QueryInterface(iid, out); }
    void FocusEntered() override;
    void FocusLeft() override;
    void FormSizeChanged() override;

    // Events on the connected sink (none while frozen or unconnected).
    void FireEvent(DISPID id, VARIANTARG *args = nullptr, UINT count = 0);
    // A property changed: property sinks, view advise, dirty flag.
    void PropertyChanged(DISPID id);
    void ViewChanged();
    void SetDirty(bool dirty) { dirty_ = dirty; }
    bool Dirty() const { return dirty_; }
    void EventSinkChanged();

    // Persistence.
    void InitNew();
    void SaveStream(IStream *stream);
    void LoadStream(IStream *stream);
    ULONG StreamSizeMax();
    void SaveBag(IPropertyBag *bag);
    void LoadBag(IPropertyBag *bag, IErrorLog *log);

    // State.
    ComPtr<IOleClientSite> ClientSite;
    ComPtr<IOleInPlaceSite> InPlaceSite;
    ComPtr<IOleControlSite> ControlSite;
    ComPtr<IOleInPlaceFrame> Frame;
    ComPtr<IOleInPlaceUIWindow> UIWindow;
    ComPtr<IOleAdviseHolder> OleAdviseHolder;
    ComPtr<IDataAdviseHolder> DataAdviseHolder;
    ComPtr<IAdviseSink> ViewAdviseSink;
    DWORD ViewAdviseAspects = 0;
    DWORD ViewAdviseFlags = 0;
    ComPtr<IStorage> Storage;
    ComPtr<IDispatch> EventSink;  // the container's IKXActiveXFormEvents
    bool InPlaceActive = false;
    bool UIActive = false;
    LONG FreezeCount = 0;
    DWORD SafetyOptions = 0;

    // Interfaces.
    TOleObjectPart OleObject{*this};
    TOleInPlaceObjectPart OleInPlaceObject{*this};
    TOleInPlaceActiveObjectPart OleInPlaceActiveObject{*this};
    TOleControlPart OleControl{*this};
    TViewObjectPart ViewObject{*this};
    TDataObjectPart DataObject{*this};
    TPersistStreamInitPart PersistStreamInit{*this};
    TPersistStoragePart PersistStorage{*this};
    TPersistPropertyBagPart PersistPropertyBag{*this};
    TQuickActivatePart QuickActivate{*this};
    TSpecifyPropertyPagesPart SpecifyPropertyPages{*this};
    TPerPropertyBrowsingPart PerPropertyBrowsing{*this};
    TObjectSafetyPart ObjectSafety{*this};
    TSimpleFrameSitePart SimpleFrameSite{*this};
    TConnectionPointContainerPart ConnectionPointContainer{*this};
    TProvideClassInfoPart ProvideClassInfo{*this};
    TSupportErrorInfoPart SupportErrorInfo{*this};
    TFormDispatchPart Dispatch{*this};
    TConnectionPoint EventsPoint;         // the form's events: one sink
    TConnectionPoint PropertyNotifyPoint; // property change sinks: any number

private:
    void BindFormEvents();

    LONG refs_ = 0;
    bool counted_;
    bool dirty_ = false;
    bool hasFocus_ = false;
    SIZEL extent_{};
    std::unique_ptr<TKXActiveXForm> form_;
};

// Pixels of the screen and HIMETRIC units of OLE extents.
SIZEL PixelsToHimetric(SIZE pixels);
SIZE HimetricToPixels(SIZEL himetric);

// The hidden window that holds forms while they are not in place active.
