// The control object's interfaces, one small class each, all delegating to
// TActiveFormControl and sharing its identity. They are implemented by
// theme: Embedding.cpp (the container's OLE object, in-place activation,
// keyboard, quick activation), Persistence.cpp (stream, storage, property
// bag, property browsing), Drawing.cpp (view and data objects),
// ObjectInfo.cpp (class info, error info, safety, connection points) and
// FormDispatch.cpp (the automation interface).
#pragma once

#include <windows.h>
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "KXProject.h"

class TActiveFormControl;

// A part is made with its object and holds it by reference; its IUnknown is
// the object's (KX_PART_IUNKNOWN, in the source that implements the part).
#define KX_PART_DECL(Class)                                          \
public:                                                              \
    explicit Class(TActiveFormControl &control) : c_(control) {}     \
    Class(const Class &) = delete;                                   \
    Class &operator=(const Class &) = delete;                        \
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;    \
    STDMETHODIMP_(ULONG) AddRef() override;                          \
    STDMETHODIMP_(ULONG) Release() override;                         \
                                                                     \
private:                                                             \
    TActiveFormControl &c_;                                          \
                                                                     \
public:

#define KX_PART_IUNKNOWN(Class)                                                             \
    STDMETHODIMP Class::QueryInterface(REFIID iid, void **out) { return c_.QueryInterface(iid, out); } \
    STDMETHODIMP_(ULONG) Class::AddRef() { return c_.AddRef(); }                            \
    STDMETHODIMP_(ULONG) Class::Release() { return c_.Release(); }

class TOleObjectPart final : public IOleObject {
    KX_PART_DECL(TOleObjectPart)
    STDMETHODIMP SetClientSite(IOleClientSite *site) override;
    STDMETHODIMP GetClientSite(IOleClientSite **site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR object) override;
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker *moniker) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker **moniker) override;
    STDMETHODIMP InitFromData(IDataObject *data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject **data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite *site, LONG index, HWND parent, LPCRECT pos) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB **verbs) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID *clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR *type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL *size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL *size) override;
    STDMETHODIMP Advise(IAdviseSink *sink, DWORD *cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA **advise) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD *status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE *palette) override;
};

class TOleInPlaceObjectPart final : public IOleInPlaceObject {
    KX_PART_DECL(TOleInPlaceObjectPart)
    STDMETHODIMP GetWindow(HWND *window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override;
};

class TOleInPlaceActiveObjectPart final : public IOleInPlaceActiveObject {
    KX_PART_DECL(TOleInPlaceActiveObjectPart)
    STDMETHODIMP GetWindow(HWND *window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
    STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow *window, BOOL frame) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;
};

class TOleControlPart final : public IOleControl {
    KX_PART_DECL(TOleControlPart)
    STDMETHODIMP GetControlInfo(CONTROLINFO *info) override;
    STDMETHODIMP OnMnemonic(MSG *msg) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;
};

class TViewObjectPart final : public IViewObject2 {
    KX_PART_DECL(TViewObjectPart)
    STDMETHODIMP Draw(DWORD aspect, LONG index, void *aspectInfo, DVTARGETDEVICE *target, HDC targetDC, HDC dc,
                      LPCRECTL bounds, LPCRECTL windowBounds, BOOL(STDMETHODCALLTYPE *cont)(ULONG_PTR),
                      ULONG_PTR contArg) override;
    STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void *aspectInfo, DVTARGETDEVICE *target, HDC targetDC,
                             LOGPALETTE **colors) override;
    STDMETHODIMP Freeze(DWORD aspect, LONG index, void *aspectInfo, DWORD *freeze) override;
    STDMETHODIMP Unfreeze(DWORD freeze) override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink *sink) override;
    STDMETHODIMP GetAdvise(DWORD *aspects, DWORD *flags, IAdviseSink **sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE *target, LPSIZEL size) override;
};

class TDataObjectPart final : public IDataObject {
    KX_PART_DECL(TDataObjectPart)
    STDMETHODIMP GetData(FORMATETC *format, STGMEDIUM *medium) override;
    STDMETHODIMP GetDataHere(FORMATETC *format, STGMEDIUM *medium) override;
    STDMETHODIMP QueryGetData(FORMATETC *format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC *in, FORMATETC *out) override;
    STDMETHODIMP SetData(FORMATETC *format, STGMEDIUM *medium, BOOL release) override;
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC **formats) override;
    STDMETHODIMP DAdvise(FORMATETC *format, DWORD flags, IAdviseSink *sink, DWORD *cookie) override;
    STDMETHODIMP DUnadvise(DWORD cookie) override;
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA **advise) override;
};

class TPersistStreamInitPart final : public IPersistStreamInit {
    KX_PART_DECL(TPersistStreamInitPart)
    STDMETHODIMP GetClassID(CLSID *clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER *size) override;
    STDMETHODIMP InitNew() override;
};

class TPersistStoragePart final : public IPersistStorage {
    KX_PART_DECL(TPersistStoragePart)
    STDMETHODIMP GetClassID(CLSID *clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP InitNew(IStorage *storage) override;
    STDMETHODIMP Load(IStorage *storage) override;
    STDMETHODIMP Save(IStorage *storage, BOOL sameAsLoad) override;
    STDMETHODIMP SaveCompleted(IStorage *storage) override;
    STDMETHODIMP HandsOffStorage() override;
};

class TPersistPropertyBagPart final : public IPersistPropertyBag {
    KX_PART_DECL(TPersistPropertyBagPart)
    STDMETHODIMP GetClassID(CLSID *clsid) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(IPropertyBag *bag, IErrorLog *log) override;
    STDMETHODIMP Save(IPropertyBag *bag, BOOL clearDirty, BOOL saveAll) override;
};

class TQuickActivatePart final : public IQuickActivate {
    KX_PART_DECL(TQuickActivatePart)
    STDMETHODIMP QuickActivate(QACONTAINER *container, QACONTROL *control) override;
    STDMETHODIMP SetContentExtent(LPSIZEL size) override;
    STDMETHODIMP GetContentExtent(LPSIZEL size) override;
};

class TSpecifyPropertyPagesPart final : public ISpecifyPropertyPages {
    KX_PART_DECL(TSpecifyPropertyPagesPart)
    STDMETHODIMP GetPages(CAUUID *pages) override;
};

class TPerPropertyBrowsingPart final : public IPerPropertyBrowsing {
    KX_PART_DECL(TPerPropertyBrowsingPart)
    STDMETHODIMP GetDisplayString(DISPID id, BSTR *text) override;
    STDMETHODIMP MapPropertyToPage(DISPID id, CLSID *page) override;
    STDMETHODIMP GetPredefinedStrings(DISPID id, CALPOLESTR *strings, CADWORD *cookies) override;
    STDMETHODIMP GetPredefinedValue(DISPID id, DWORD cookie, VARIANT *value) override;
};

class TObjectSafetyPart final : public IObjectSafety {
    KX_PART_DECL(TObjectSafetyPart)
    STDMETHODIMP GetInterfaceSafetyOptions(REFIID iid, DWORD *supported, DWORD *enabled) override;
    STDMETHODIMP SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) override;
};

class TSimpleFrameSitePart final : public ISimpleFrameSite {
    KX_PART_DECL(TSimpleFrameSitePart)
    STDMETHODIMP PreMessageFilter(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT *result, DWORD *cookie) override;
    STDMETHODIMP PostMessageFilter(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT *result, DWORD cookie) override;
};

class TConnectionPointContainerPart final : public IConnectionPointContainer {
    KX_PART_DECL(TConnectionPointContainerPart)
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints **points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint **point) override;
};

class TProvideClassInfoPart final : public IProvideClassInfo {
    KX_PART_DECL(TProvideClassInfoPart)
    STDMETHODIMP GetClassInfo(ITypeInfo **info) override;
};

class TSupportErrorInfoPart final : public ISupportErrorInfo {
    KX_PART_DECL(TSupportErrorInfoPart)
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override;
};

// IDispatch and IKXActiveXForm: the accessors of the form's properties.
class TFormDispatchPart final : public IKXActiveXForm {
    KX_PART_DECL(TFormDispatchPart)
    STDMETHODIMP GetTypeInfoCount(UINT *count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo **info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR *names, UINT count, LCID lcid, DISPID *ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS *params, VARIANT *result,
                        EXCEPINFO *exception, UINT *argError) override;

    STDMETHODIMP get_Visible(VARIANT_BOOL *value) override;
    STDMETHODIMP put_Visible(VARIANT_BOOL value) override;
    STDMETHODIMP get_AutoScroll(VARIANT_BOOL *value) override;
    STDMETHODIMP put_AutoScroll(VARIANT_BOOL value) override;
    STDMETHODIMP get_AutoSize(VARIANT_BOOL *value) override;
    STDMETHODIMP put_AutoSize(VARIANT_BOOL value) override;
    STDMETHODIMP get_AxBorderStyle(TxActiveFormBorderStyle *value) override;
    STDMETHODIMP put_AxBorderStyle(TxActiveFormBorderStyle value) override;
    STDMETHODIMP get_Caption(BSTR *value) override;
    STDMETHODIMP put_Caption(BSTR value) override;
    STDMETHODIMP get_Color(OLE_COLOR *value) override;
    STDMETHODIMP put_Color(OLE_COLOR value) override;
    STDMETHODIMP get_Font(IFontDisp **value) override;
    STDMETHODIMP put_Font(IFontDisp *value) override;
    STDMETHODIMP putref_Font(IFontDisp *value) override;
    STDMETHODIMP get_KeyPreview(VARIANT_BOOL *value) override;
    STDMETHODIMP put_KeyPreview(VARIANT_BOOL value) override;
    STDMETHODIMP get_PixelsPerInch(LONG *value) override;
    STDMETHODIMP put_PixelsPerInch(LONG value) override;
    STDMETHODIMP get_PrintScale(TxPrintScale *value) override;
    STDMETHODIMP put_PrintScale(TxPrintScale value) override;
    STDMETHODIMP get_Scaled(VARIANT_BOOL *value) override;
    STDMETHODIMP put_Scaled(VARIANT_BOOL value) override;
    STDMETHODIMP get_Active(VARIANT_BOOL *value) override;
    STDMETHODIMP get_DropTarget(VARIANT_BOOL *value) override;
    STDMETHODIMP put_DropTarget(VARIANT_BOOL value) override;
    STDMETHODIMP get_HelpFile(BSTR *value) override;
    STDMETHODIMP put_HelpFile(BSTR value) override;
    STDMETHODIMP get_PopupMode(TxPopupMode *value) override;
    STDMETHODIMP put_PopupMode(TxPopupMode value) override;
    STDMETHODIMP get_ScreenSnap(VARIANT_BOOL *value) override;
    STDMETHODIMP put_ScreenSnap(VARIANT_BOOL value) override;
    STDMETHODIMP get_SnapBuffer(LONG *value) override;
    STDMETHODIMP put_SnapBuffer(LONG value) override;
    STDMETHODIMP get_DockSite(VARIANT_BOOL *value) override;
    STDMETHODIMP put_DockSite(VARIANT_BOOL value) override;
    STDMETHODIMP get_DoubleBuffered(VARIANT_BOOL *value) override;
    STDMETHODIMP put_DoubleBuffered(VARIANT_BOOL value) override;
    STDMETHODIMP get_AlignDisabled(VARIANT_BOOL *value) override;
    STDMETHODIMP get_MouseInClient(VARIANT_BOOL *value) override;
    STDMETHODIMP get_VisibleDockClientCount(LONG *value) override;
    STDMETHODIMP get_ParentDoubleBuffered(VARIANT_BOOL *value) override;
    STDMETHODIMP put_ParentDoubleBuffered(VARIANT_BOOL value) override;
    STDMETHODIMP get_UseDockManager(VARIANT_BOOL *value) override;
    STDMETHODIMP put_UseDockManager(VARIANT_BOOL value) override;
    STDMETHODIMP get_Enabled(VARIANT_BOOL *value) override;
    STDMETHODIMP put_Enabled(VARIANT_BOOL value) override;
    STDMETHODIMP get_ExplicitLeft(LONG *value) override;
    STDMETHODIMP get_ExplicitTop(LONG *value) override;
    STDMETHODIMP get_ExplicitWidth(LONG *value) override;
    STDMETHODIMP get_ExplicitHeight(LONG *value) override;
    STDMETHODIMP get_AlignWithMargins(VARIANT_BOOL *value) override;
    STDMETHODIMP put_AlignWithMargins(VARIANT_BOOL value) override;
    STDMETHODIMP get_ParentCustomHint(VARIANT_BOOL *value) override;
    STDMETHODIMP put_ParentCustomHint(VARIANT_BOOL value) override;

private:
    ITypeInfo *DispatchInfo();   // the dual interface's dispatch half
    ITypeInfo *InvokeInfo();     // its vtable half, for ITypeInfo::Invoke
    ITypeInfo *dispatchInfo_ = nullptr;
    ITypeInfo *invokeInfo_ = nullptr;

public:
    ~TFormDispatchPart();
};
