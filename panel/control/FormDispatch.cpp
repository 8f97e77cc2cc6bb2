// IDispatch and IKXActiveXForm: each accessor reads or writes the form.
#include "ActiveFormControl.h"
#include "Bstr.h"
#include "ComGuard.h"
#include "Module.h"

KX_PART_IUNKNOWN(TFormDispatchPart)

namespace {

VARIANT_BOOL Vb(bool b)
{
    return b ? VARIANT_TRUE : VARIANT_FALSE;
}

// Reads into `out` (cleared first); an exception becomes the HRESULT.
template <class T, class F>
HRESULT Get(T *out, F &&read)
{
    if (!out)
        return E_POINTER;
    *out = T();
    return ComGuard(__uuidof(IKXActiveXForm), [&] {
        *out = read();
        return S_OK;
    });
}

}  // namespace

// Writes, then tells the property sinks.
#define KX_PUT(id, body)                                    \
    return ComGuard(__uuidof(IKXActiveXForm), [&] {         \
        body;                                               \
        c_.PropertyChanged(id);                             \
        return S_OK;                                        \
    })

TFormDispatchPart::~TFormDispatchPart()
{
    if (dispatchInfo_)
        dispatchInfo_->Release();
    if (invokeInfo_)
        invokeInfo_->Release();
}

ITypeInfo *TFormDispatchPart::DispatchInfo()
{
    if (!dispatchInfo_)
        ModuleTypeInfo(__uuidof(IKXActiveXForm), &dispatchInfo_);
    return dispatchInfo_;
}

ITypeInfo *TFormDispatchPart::InvokeInfo()
{
    if (invokeInfo_)
        return invokeInfo_;
    ITypeInfo *info = DispatchInfo();
    if (!info)
        return nullptr;
    // ITypeInfo::Invoke calls through the vtable: it needs the interface half
    // of the dual interface, not its dispatch description.
    TYPEATTR *attr = nullptr;
    if (SUCCEEDED(info->GetTypeAttr(&attr)) && attr) {
        bool dispatch = attr->typekind == TKIND_DISPATCH;
        info->ReleaseTypeAttr(attr);
        HREFTYPE ref = 0;
        if (dispatch && SUCCEEDED(info->GetRefTypeOfImplType(-1, &ref)) &&
            SUCCEEDED(info->GetRefTypeInfo(ref, &invokeInfo_)))
            return invokeInfo_;
    }
    info->AddRef();
    invokeInfo_ = info;
    return invokeInfo_;
}

STDMETHODIMP TFormDispatchPart::GetTypeInfoCount(UINT *count)
{
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP TFormDispatchPart::GetTypeInfo(UINT index, LCID, ITypeInfo **info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    ITypeInfo *ti = DispatchInfo();
    if (!ti)
        return TYPE_E_ELEMENTNOTFOUND;
    ti->AddRef();
    *info = ti;
    return S_OK;
}

STDMETHODIMP TFormDispatchPart::GetIDsOfNames(REFIID iid, LPOLESTR *names, UINT count, LCID, DISPID *ids)
{
    if (iid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo *ti = InvokeInfo();
    if (!ti)
        return TYPE_E_ELEMENTNOTFOUND;
    return DispGetIDsOfNames(ti, names, count, ids);
}

STDMETHODIMP TFormDispatchPart::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS *params,
                                       VARIANT *result, EXCEPINFO *exception, UINT *argError)
{
    if (iid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo *ti = InvokeInfo();
    if (!ti)
        return TYPE_E_ELEMENTNOTFOUND;
    return ti->Invoke(static_cast<IKXActiveXForm *>(this), id, flags, params, result, exception, argError);
}

// ---- the accessors, in vtable order ----------------------------------------

STDMETHODIMP TFormDispatchPart::get_Visible(VARIANT_BOOL *value) { return Get(value, [&] { return Vb(c_.Form().Visible()); }); }
STDMETHODIMP TFormDispatchPart::put_Visible(VARIANT_BOOL value) { KX_PUT(201, c_.Form().SetVisible(value != VARIANT_FALSE)); }
STDMETHODIMP TFormDispatchPart::get_AutoScroll(VARIANT_BOOL *value) { return Get(value, [&] { return Vb(c_.Form().Props.AutoScroll); }); }
STDMETHODIMP TFormDispatchPart::put_AutoScroll(VARIANT_BOOL value) { KX_PUT(202, c_.Form().SetAutoScroll(value != VARIANT_FALSE)); }
STDMETHODIMP TFormDispatchPart::get_AutoSize(VARIANT_BOOL *value) { return Get(value, [&] { return Vb(c_.Form().Props.AutoSize); }); }
STDMETHODIMP TFormDispatchPart::put_AutoSize(VARIANT_BOOL value) { KX_PUT(203, c_.Form().SetAutoSize(value != VARIANT_FALSE)); }
STDMETHODIMP TFormDispatchPart::get_AxBorderStyle(TxActiveFormBorderStyle *value)
{
    return Get(value, [&] { return static_cast<TxActiveFormBorderStyle>(c_.Form().Props.AxBorderStyle); });
}
STDMETHODIMP TFormDispatchPart::put_AxBorderStyle(TxActiveFormBorderStyle value) { KX_PUT(204, c_.Form().SetAxBorderStyle(value)); }

STDMETHODIMP TFormDispatchPart::get_Caption(BSTR *value) { return Get(value, [&] { return Bstr(c_.Form().Caption()).Detach(); }); }
STDMETHODIMP TFormDispatchPart::put_Caption(BSTR value) { KX_PUT(DISPID_CAPTION, c_.Form().SetCaption(value ? value : L"")); }

STDMETHODIMP TFormDispatchPart::get_Color(OLE_COLOR *value) { return Get(value, [&] { return c_.Form().Props.Color; }); }
STDMETHODIMP TFormDispatchPart::put_Color(OLE_COLOR value) { KX_PUT(DISPID_BACKCOLOR, c_.Form().SetColor(value)); }

STDMETHODIMP TFormDispatchPart::get_Font(IFontDisp **value)
{
    return Get(value, [&] {
        IFontDisp *font = nullptr;
        HRESULT hr = c_.Form().Font()->QueryInterface(IID_IFontDisp, reinterpret_cast<void **>(&font));
        if (FAILED(hr))
            throw EPanelError(L"Шрифт панели недоступен", hr);
        return font;
    });
}
STDMETHODIMP TFormDispatchPart::put_Font(IFontDisp *value)
{
    if (!value)
        return E_INVALIDARG;
    KX_PUT(DISPID_FONT, {
        ComPtr<IFont> font;
        HRESULT hr = value->QueryInterface(IID_IFont, reinterpret_cast<void **>(font.Put()));
        if (FAILED(hr))
            throw EPanelError(L"Это не шрифт", E_INVALIDARG);
        c_.Form().SetFont(font.Get());
    });
}
STDMETHODIMP TFormDispatchPart::putref_Font(IFontDisp *value)
{
    return put_Font(value);  // the form keeps its own copy either way
}

STDMETHODIMP TFormDispatchPart::get_KeyPreview(VARIANT_BOOL *value) { return Get(value, [&] { return Vb(c_.Form().Props.KeyPreview); }); }
STDMETHODIMP TFormDispatchPart::put_KeyPreview(VARIANT_BOOL value) { KX_PUT(205, c_.Form().Props.KeyPreview = value != VARIANT_FALSE); }
STDMETHODIMP TFormDispatchPart::get_PixelsPerInch(LONG *value) { return Get(value, [&] { return c_.Form().Props.PixelsPerInch; }); }
STDMETHODIMP TFormDispatchPart::put_PixelsPerInch(LONG value) { KX_PUT(206, c_.Form().SetPixelsPerInch(value)); }
STDMETHODIMP TFormDispatchPart::get_PrintScale(TxPrintScale *value)
{
    return Get(value, [&] { return static_cast<TxPrintScale>(c_.Form().Props.PrintScale); });
}
STDMETHODIMP TFormDispatchPart::put_PrintScale(TxPrintScale value) { KX_PUT(207, c_.Form().SetPrintScale(value)); }
STDMETHODIMP TFormDispatchPart::get_Scaled(VARIANT_BOOL *value) { return Get(value, [&] { return Vb(c_.Form().Props.Scaled); }); }
STDMETHODIMP TFormDispatchPart::put_Scaled(VARIANT_BOOL value) { KX_PUT(208, c_.Form().SetScaled(value != VARIANT_FALSE)); }
STDMETHODIMP TFormDispatchPart::get_Active(VARIANT_BOOL *value) { return Get(value, [&] { return Vb(c_.UIActive); }); }
STDMETHODIMP TFormDispatchPart::get_DropTarget(VARIANT_BOOL *value) { return Get(value, [&] { return Vb(c_.Form().Props.DropTarget); }); }
STDMETHODIMP TFormDispatchPart::put_DropTarget(VARIANT_BOOL value) { KX_PUT(210, c_.Form().SetDropTarget(value != VARIANT_FALSE)); }

STDMETHODIMP TFormDispatchPart::get_HelpFile(BSTR *value) { return Get(value, [&] { return Bstr(c_.Form().Props.HelpFile).Detach(); }); }
STDMETHODIMP TFormDispatchPart::put_HelpFile(BSTR value) { KX_PUT(211, c_.Form().Props.HelpFile = value ? value : L""); }

STDMETHODIMP TFormDispatchPart::get_PopupMode(TxPopupMode *value)
{
    return Get(value, [&] { return static_cast<TxPopupMode>(c_.Form().Props.PopupMode); });
}
STDMETHODIMP TFormDispatchPart::put_PopupMode(TxPopupMode value) { KX_PUT(212, c_.Form().SetPopupMode(value)); }
STDMETHODIMP TFormDispatchPart::get_ScreenSnap(VARIANT_BOOL *value) { return Get(value, [&] { return Vb(c_.Form().Props.ScreenSnap); }); }
STDMETHODIMP TFormDispatchPart::put_ScreenSnap(VARIANT_BOOL value) { KX_PUT(213, c_.Form().Props.ScreenSnap = value != VARIANT_FALSE); }
STDMETHODIMP TFormDispatchPart::get_SnapBuffer(LONG *value) { return Get(value, [&] { return c_.Form().Props.SnapBuffer; }); }
STDMETHODIMP TFormDispatchPart::put_SnapBuffer(LONG value) { KX_PUT(214, c_.Form().SetSnapBuffer(value)); }
STDMETHODIMP TFormDispatchPart::get_DockSite(VARIANT_BOOL *value) { return Get(value, [&] { return Vb(c_.Form().Props.DockSite); }); }
STDMETHODIMP TFormDispatchPart::put_DockSite(VARIANT_BOOL value) { KX_PUT(215, c_.Form().Props.DockSite = value != VARIANT_FALSE); }
STDMETHODIMP TFormDispatchPart::get_DoubleBuffered(VARIANT_BOOL *value) { return Get(value, [&] { return Vb(c_.Form().Props.DoubleBuffered); }); }
STDMETHODIMP TFormDispatchPart::put_DoubleBuffered(VARIANT_BOOL value) { KX_PUT(216, c_.Form().Props.DoubleBuffered = value != VARIANT_FALSE); }
// No alignment runs and nothing docks on the panel.
STDMETHODIMP TFormDispatchPart::get_AlignDisabled(VARIANT_BOOL *value) { return Get(value, [&] { return VARIANT_FALSE; }); }
STDMETHODIMP TFormDispatchPart::get_MouseInClient(VARIANT_BOOL *value) { return Get(value, [&] { return Vb(c_.Form().MouseInClient()); }); }
STDMETHODIMP TFormDispatchPart::get_VisibleDockClientCount(LONG *value) { return Get(value, [&] { return 0L; }); }
STDMETHODIMP TFormDispatchPart::get_ParentDoubleBuffered(VARIANT_BOOL *value) { return Get(value, [&] { return Vb(c_.Form().Props.ParentDoubleBuffered); }); }
STDMETHODIMP TFormDispatchPart::put_ParentDoubleBuffered(VARIANT_BOOL value) { KX_PUT(220, c_.Form().Props.ParentDoubleBuffered = value != VARIANT_FALSE); }
STDMETHODIMP TFormDispatchPart::get_UseDockManager(VARIANT_BOOL *value) { return Get(value, [&] { return Vb(c_.Form().Props.UseDockManager); }); }
STDMETHODIMP TFormDispatchPart::put_UseDockManager(VARIANT_BOOL value) { KX_PUT(221, c_.Form().Props.UseDockManager = value != VARIANT_FALSE); }
STDMETHODIMP TFormDispatchPart::get_Enabled(VARIANT_BOOL *value) { return Get(value, [&] { return Vb(c_.Form().Enabled()); }); }
STDMETHODIMP TFormDispatchPart::put_Enabled(VARIANT_BOOL value) { KX_PUT(DISPID_ENABLED, c_.Form().SetEnabled(value != VARIANT_FALSE)); }
STDMETHODIMP TFormDispatchPart::get_ExplicitLeft(LONG *value) { return Get(value, [&] { return c_.Form().ExplicitBounds().left; }); }
STDMETHODIMP TFormDispatchPart::get_ExplicitTop(LONG *value) { return Get(value, [&] { return c_.Form().ExplicitBounds().top; }); }
STDMETHODIMP TFormDispatchPart::get_ExplicitWidth(LONG *value)
{
    return Get(value, [&] {
        RECT rc = c_.Form().ExplicitBounds();
        return rc.right - rc.left;
    });
}
STDMETHODIMP TFormDispatchPart::get_ExplicitHeight(LONG *value)
{
    return Get(value, [&] {
        RECT rc = c_.Form().ExplicitBounds();
        return rc.bottom - rc.top;
    });
}
STDMETHODIMP TFormDispatchPart::get_AlignWithMargins(VARIANT_BOOL *value) { return Get(value, [&] { return Vb(c_.Form().Props.AlignWithMargins); }); }
STDMETHODIMP TFormDispatchPart::put_AlignWithMargins(VARIANT_BOOL value) { KX_PUT(226, c_.Form().Props.AlignWithMargins = value != VARIANT_FALSE); }
STDMETHODIMP TFormDispatchPart::get_ParentCustomHint(VARIANT_BOOL *value) { return Get(value, [&] { return Vb(c_.Form().Props.ParentCustomHint); }); }
STDMETHODIMP TFormDispatchPart::put_ParentCustomHint(VARIANT_BOOL value) { KX_PUT(227, c_.Form().Props.ParentCustomHint = value != VARIANT_FALSE); }
