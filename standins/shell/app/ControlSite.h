// The shell as an OLE control container: the frame object shared by all
// docked controls, and one site per control (client site, in-place site,
// control site, ambient properties). A site activates its control in place
// in the dock window, moves it on resizing, and closes it at shut-down.
#pragma once

#include "ComPtr.h"

#include <ocidl.h>
#include <olectl.h>

#include <string>

namespace kxapp {

// Reference counting of the container's own objects: real counts, freed at
// zero; Refs() lets the shell check at exit that controls gave them back.
class ContainerObject {
public:
    virtual ~ContainerObject() = default;
    ULONG Refs() const { return refs_; }

protected:
    ULONG AddRefImpl() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG ReleaseImpl() {
        const ULONG left = static_cast<ULONG>(InterlockedDecrement(&refs_));
        if (!left) delete this;
        return left;
    }

private:
    LONG refs_ = 0;
};

class ContainerFrame final : public ContainerObject, public IOleInPlaceFrame {
public:
    explicit ContainerFrame(HWND window) : window_(window) {}

    // The UI-active control's object: keys go to it first.
    IOleInPlaceActiveObject *ActiveObject() const { return active_.Get(); }
    void SetStatusSink(void (*sink)(void *, const wchar_t *), void *context) {
        statusSink_ = sink;
        statusContext_ = context;
    }

    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(); }
    STDMETHODIMP GetWindow(HWND *window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject *object, LPCOLESTR) override;
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR text) override;
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    HWND window_;
    ComPtr<IOleInPlaceActiveObject> active_;
    void (*statusSink_)(void *, const wchar_t *) = nullptr;
    void *statusContext_ = nullptr;
};

class ControlSite final : public ContainerObject,
                          public IOleClientSite,
                          public IOleInPlaceSite,
                          public IOleControlSite,
                          public IDispatch {
public:
    ControlSite(ContainerFrame *frame, HWND dock, std::wstring name);
    ~ControlSite() override;

    // Sets the site, initialises the control and activates it in place at
    // `place` (dock window pixels). Returns the first failure.
    HRESULT Activate(IUnknown *control, const RECT &place);
    void Move(const RECT &place);
    // The control's window once in place, or null.
    HWND ControlWindow() const;
    // Natural size of the control in pixels (its extent), 0 when unknown.
    SIZE NaturalSize() const;
    // UI-deactivates (focus went elsewhere in the shell).
    void Deactivate();
    // Leaves in-place activity, closes the control and drops it and the site.
    void Close();
    bool UiActive() const { return uiActive_; }
    bool InPlace() const { return inPlace_; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(); }
    // IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker **moniker) override;
    STDMETHODIMP GetContainer(IOleContainer **container) override;
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow / IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND *window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame **frame, IOleInPlaceUIWindow **doc, LPRECT pos, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT rect) override;
    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch **control) override;
    STDMETHODIMP TransformCoords(POINTL *himetric, POINTF *container, DWORD flags) override;
    STDMETHODIMP TranslateAccelerator(MSG *, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }
    // IDispatch: the ambient properties
    STDMETHODIMP GetTypeInfoCount(UINT *count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *params, VARIANT *result, EXCEPINFO *,
                        UINT *) override;

private:
    ComPtr<ContainerFrame> frame_;
    HWND dock_;
    std::wstring name_;
    RECT place_{};
    ComPtr<IOleObject> object_;
    SIZE natural_{0, 0};  // the control's extent when it was activated
    ComPtr<IOleInPlaceObject> inPlaceObject_;
    bool inPlace_ = false, uiActive_ = false;
};

}  // namespace kxapp
