// The form window, its lifecycle and its properties.
#include "KXActiveXForm.h"

#include <windowsx.h>

#include <algorithm>

#include "ActiveFormControl.h"
#include "Bstr.h"
#include "boxes/PlayerBox.h"
#include "PanelControl.h"
#include "PanelState.h"
#include "Module.h"
#include "Seams.h"
#include "SelectionSupport.h"

namespace {

const wchar_t kFormClass[] = L"KXActiveXFormWindow";
const wchar_t kParkingClass[] = L"KXActiveXFormParking";
constexpr UINT_PTR kTimer1Id = 1;
constexpr UINT_PTR kTimer2Id = 2;
constexpr UINT_PTR kStopHoldTimerId = 3;
constexpr UINT kStopHoldMs = 1000;

int g_formCount = 0;
HWND g_parking = nullptr;

// A form that is not in place active lives in a hidden window of ours, so
// that its timers and controls exist before a container shows it.
HWND ParkingWindow()
{
    if (!g_parking)
        g_parking = CreateWindowExW(0, kParkingClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    ModuleInstance(), nullptr);
    return g_parking;
}

void RegisterClasses()
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES |
                                              ICC_UPDOWN_CLASS | ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = TKXActiveXForm::WindowProc;
    wc.hInstance = ModuleInstance();
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kFormClass;
    RegisterClassExW(&wc);

    WNDCLASSEXW pc{};
    pc.cbSize = sizeof(pc);
    pc.lpfnWndProc = DefWindowProcW;
    pc.hInstance = ModuleInstance();
    pc.lpszClassName = kParkingClass;
    RegisterClassExW(&pc);
}

// The classes' window procedure lives in this module: when the last form
// goes, nothing may keep a window of them across an unload of the module.
void UnregisterClasses()
{
    if (g_parking) {
        DestroyWindow(g_parking);
        g_parking = nullptr;
    }
    UnregisterClassW(kFormClass, ModuleInstance());
    UnregisterClassW(kParkingClass, ModuleInstance());
}

}  // namespace

HWND PanelParkingWindow()
{
    return ParkingWindow();
}

// ---- TFormTimer -------------------------------------------------------------

void TFormTimer::Init(HWND window, UINT_PTR id, UINT interval, bool enabled)
{
    window_ = window;
    id_ = id;
    interval_ = interval;
    enabled_ = enabled;
    Apply();
}

void TFormTimer::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    Apply();
}

void TFormTimer::SetInterval(UINT interval)
{
    interval_ = interval;
    Apply();
}

void TFormTimer::Apply()
{
    if (!window_)
        return;
    KillTimer(window_, id_);
    if (Ticking())
        SetTimer(window_, id_, interval_, nullptr);
}

// ---- construction -----------------------------------------------------------

TKXActiveXForm::TKXActiveXForm(TActiveFormControl &control) : control_(control)
{
    if (g_formCount++ == 0)
        RegisterClasses();

    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(8, 96, 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    wcscpy(lf.lfFaceName, L"Arial");
    FONTDESC fd{sizeof(fd), const_cast<LPOLESTR>(L"Arial"), {{80000, 0}}, FW_NORMAL, DEFAULT_CHARSET, FALSE, FALSE, FALSE};
    OleCreateFontIndirect(&fd, IID_IFont, reinterpret_cast<void **>(font_.Put()));
    formFont_ = CreateFontIndirectW(&lf);
    brush_ = nullptr;

    hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, L"KXActiveXForm",
                            WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP, 0, 0, DesignWidth,
                            DesignHeight, ParkingWindow(), nullptr, ModuleInstance(), this);
    if (!hwnd_)
        throw EPanelError(L"Не удалось создать окно панели", HRESULT_FROM_WIN32(GetLastError()));
    UpdateBrush();
    CreateComponents();
    Timer1.Init(hwnd_, kTimer1Id, 1000, false);
    Timer2.Init(hwnd_, kTimer2Id, 50, true);
    StopHoldTimer.Init(hwnd_, kStopHoldTimerId, kStopHoldMs, false);
    TPlayerControls player;
    player.btnPlay = btnPlay;
    player.btnStop = btnStop;
    player.cmbSpeed = cmbSpeed;
    player.UpDown1 = UpDown1;
    player.TrackBar = TrackBar;
    player.lblDate = lblDate;
    player.lblSpeed = lblSpeed;
    player.lblDistance = lblDistance;
    player.ListView1 = ListView1;
    player.ToolBar1 = ToolBar1;
    player.SkipStopsButton = ToolButton3;
    Player = std::make_unique<TPlayerBox>(player, Timer1, StopHoldTimer,
                                          [this](int position) { SetTrackBarPosition(position); });
    loaded_ = true;
}

TKXActiveXForm::~TKXActiveXForm()
{
    // Destroying the form raises OnDestroy and nothing else: no settings are
    // written and the client stays. Only its events, bound to this form, go,
    // and whoever points at the form is told.
    UnbindClientEvents();
    NotifyPanelDestroyed(this);
    loaded_ = false;
    if (hwnd_)
        DestroyWindow(hwnd_);
    if (PopupMenu1)
        DestroyMenu(PopupMenu1);
    for (HIMAGELIST list : {ImageList1, ImageList2, IconsList})
        if (list)
            ImageList_Destroy(list);
    if (Image1)
        DeleteObject(Image1);
    for (HFONT f : {formFont_, boldTahoma9_, tahoma8_, webdings15_, webdings14_, webdings9_})
        if (f)
            DeleteObject(f);
    if (brush_)
        DeleteObject(brush_);
    if (--g_formCount == 0)
        UnregisterClasses();
}

void TKXActiveXForm::Attach(IMap *map, IGrymObjectFactory *factory, TLayer *layer)
{
    Map = map;
    Factory = factory;
    Layer = layer;
    Player->Attach(map, factory, layer);
}

HRESULT TKXActiveXForm::QueryInterface(REFIID iid, void **out)
{
    return control_.QueryInterface(iid, out);
}

// ---- start-up and shut-down -------------------------------------------------

void TKXActiveXForm::Timer2Timer()
{
    // One shot: the start-up must run once, however often the timer fired.
    Timer2.SetEnabled(false);
    ActiveFormCreateOnTimer();
}

void TKXActiveXForm::ActiveFormCreateOnTimer()
{
    TPanelState &data = PanelState();

    PanelStep(L"CreateClient");
    try {
        std::unique_ptr<IDispatcherLink> link = PanelSeams().CreateDispatcherLink();
        if (data.Client) {
            // A second panel's start-up replaces the module's one client.
            UnbindClientEvents();
            delete std::exchange(data.Client, nullptr);
        }
        data.Client = link.release();
        if (!data.Client)
            throw EPanelError(L"Клиент программы Карвекс не создан");
        data.Client->Start();
    } catch (...) {
        ShowMessage(nullptr, L"Ошибка запуска ПО Карвекс", L"Ошибка", MB_OK);
    }

    PanelStep(L"BindEvents");
    if (data.Client) {
        data.Client->BindEvents([this] { Handle([&] { OnEndComputing(); }); },
                                [this] { Handle([&] { OnCloseKarvex(); }); },
                                [this] { Handle([&] { OnReceiveOnlineData(); }); });
        data.ClientEventsOwner = this;
    }

    PanelStep(L"IconNum");
    IconNum = 0;

    try {
        PanelStep(L"FillTrips");
        FillTrips();
    } catch (...) {
        // Trips computed before the panel started are a bonus; errors are ignored.
    }

    PanelStep(L"FillGroups");
    FillGroups();
    PanelStep(L"ProcessSettings(0)");
    ProcessSettings(0);
    PanelStep(L"FillInfoPointCategories");
    FillInfoPointCategories();
    PanelStep(L"MarkerPolygons");
    data.MarkerPolygons.assign(2, TMapPointArray());
}

void TKXActiveXForm::ActiveFormDestroy()
{
    RunHandler(nullptr, [&] {
        TPanelState &data = PanelState();
        PanelStep(L"FreeClient");
        if (data.Client) {
            data.ClientEventsOwner = nullptr;
            delete std::exchange(data.Client, nullptr);
        }
        PanelStep(L"ClearData");
        data.ClearForShutdown();
        try {
            PanelStep(L"btnStopClick");
            // Whatever the list shows: a player left running would tick on
            // after the track has gone.
            StopPlayer();
        } catch (...) {
            // Stopping swallows its errors.
        }
        PanelStep(L"ProcessSettings(1)");
        ProcessSettings(1);
    });
}

void TKXActiveXForm::UnbindClientEvents()
{
    TPanelState &data = PanelState();
    if (data.Client && data.ClientEventsOwner == this) {
        try {
            data.Client->BindEvents({}, {}, {});
        } catch (...) {
        }
        data.ClientEventsOwner = nullptr;
    }
}

// ---- properties -------------------------------------------------------------

bool TKXActiveXForm::Visible() const
{
    return (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void TKXActiveXForm::SetVisible(bool visible)
{
    ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

void TKXActiveXForm::SetAutoScroll(bool on)
{
    Props.AutoScroll = on;
    UpdateScrollBars();
}

void TKXActiveXForm::SetAutoSize(bool on)
{
    Props.AutoSize = on;
    if (!on)
        return;
    // Fit the window to its contents, frame included.
    RECT rc{0, 0, DesignWidth, DesignHeight};
    AdjustWindowRectEx(&rc, GetWindowLongW(hwnd_, GWL_STYLE), FALSE, GetWindowLongW(hwnd_, GWL_EXSTYLE));
    SetWindowPos(hwnd_, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    control_.FormSizeChanged();
}

void TKXActiveXForm::SetAxBorderStyle(long style)
{
    if (style < afbNone || style > afbRaised)
        throw EPanelError(L"Недопустимое значение AxBorderStyle", E_INVALIDARG);
    Props.AxBorderStyle = style;
    LONG s = GetWindowLongW(hwnd_, GWL_STYLE) & ~(WS_BORDER | WS_DLGFRAME);
    LONG ex = GetWindowLongW(hwnd_, GWL_EXSTYLE) & ~(WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE);
    switch (style) {
    case afbSingle: s |= WS_BORDER; break;
    case afbSunken: ex |= WS_EX_CLIENTEDGE; break;
    case afbRaised: s |= WS_DLGFRAME; ex |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE; break;
    default: break;
    }
    SetWindowLongW(hwnd_, GWL_STYLE, s);
    SetWindowLongW(hwnd_, GWL_EXSTYLE, ex);
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring TKXActiveXForm::Caption() const
{
    return Text(hwnd_);
}

void TKXActiveXForm::SetCaption(const std::wstring &caption)
{
    SetWindowTextW(hwnd_, caption.c_str());
}

void TKXActiveXForm::SetColor(OLE_COLOR color)
{
    COLORREF rgb;
    if (FAILED(OleTranslateColor(color, nullptr, &rgb)))
        throw EPanelError(L"Недопустимый цвет", CTL_E_INVALIDPROPERTYVALUE);
    Props.Color = color;
    UpdateBrush();
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TKXActiveXForm::UpdateBrush()
{
    COLORREF rgb = GetSysColor(COLOR_BTNFACE);
    OleTranslateColor(Props.Color, nullptr, &rgb);
    if (brush_)
        DeleteObject(brush_);
    brush_ = CreateSolidBrush(rgb);
}

void TKXActiveXForm::SetFont(IFont *font)
{
    if (!font)
        throw EPanelError(L"Шрифт не задан", E_INVALIDARG);
    // The form keeps a font of its own: later changes to the caller's font
    // object do not reach it unless set again.
    ComPtr<IFont> copy;
    HRESULT hr = font->Clone(copy.Put());
    if (FAILED(hr) || !copy)
        throw EPanelError(L"Не удалось скопировать шрифт", FAILED(hr) ? hr : E_FAIL);
    font_ = copy;
    ApplyFont();
}

namespace {

// What the form's font object says of itself.
struct TFontFacts {
    std::wstring name;
    CY size{};
    BOOL bold = FALSE, italic = FALSE, underline = FALSE, strike = FALSE;
    SHORT charset = DEFAULT_CHARSET;
    SHORT weight = 0;
};

TFontFacts ReadFont(IFont *font)
{
    TFontFacts f;
    BSTR name = nullptr;
    font->get_Name(&name);
    f.name = name ? name : L"";
    SysFreeString(name);
    font->get_Size(&f.size);
    font->get_Bold(&f.bold);
    font->get_Italic(&f.italic);
    font->get_Underline(&f.underline);
    font->get_Strikethrough(&f.strike);
    font->get_Charset(&f.charset);
    font->get_Weight(&f.weight);
    return f;
}

} // namespace

void TKXActiveXForm::ApplyFont()
{
    const TFontFacts f = ReadFont(font_.Get());
    LOGFONTW lf{};
    // Size is in points (CY: 1/10000 units); the layout is at 96 pixels per inch.
    lf.lfHeight = -static_cast<LONG>((f.size.int64 * 96 + 36 * 10000) / (72 * 10000));
    lf.lfWeight = f.weight ? f.weight : (f.bold ? FW_BOLD : FW_NORMAL);
    lf.lfItalic = f.italic ? TRUE : FALSE;
    lf.lfUnderline = f.underline ? TRUE : FALSE;
    lf.lfStrikeOut = f.strike ? TRUE : FALSE;
    lf.lfCharSet = static_cast<BYTE>(f.charset);
    lstrcpynW(lf.lfFaceName, f.name.c_str(), LF_FACESIZE);

    HFONT old = formFont_;
    formFont_ = CreateFontIndirectW(&lf);
    for (HWND child : formFontControls_)
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_), TRUE);
    if (old)
        DeleteObject(old);
}

void TKXActiveXForm::SetPixelsPerInch(long ppi)
{
    if (ppi <= 0)
        throw EPanelError(L"Недопустимое значение PixelsPerInch", E_INVALIDARG);
    Props.PixelsPerInch = ppi;
}

void TKXActiveXForm::SetPrintScale(long scale)
{
    if (scale < poNone || scale > poPrintToFit)
        throw EPanelError(L"Недопустимое значение PrintScale", E_INVALIDARG);
    Props.PrintScale = scale;
}

void TKXActiveXForm::SetPopupMode(long mode)
{
    if (mode < pmNone || mode > pmExplicit)
        throw EPanelError(L"Недопустимое значение PopupMode", E_INVALIDARG);
    Props.PopupMode = mode;
}

void TKXActiveXForm::SetSnapBuffer(long pixels)
{
    if (pixels < 0)
        throw EPanelError(L"Недопустимое значение SnapBuffer", E_INVALIDARG);
    Props.SnapBuffer = pixels;
}

void TKXActiveXForm::SetDropTarget(bool on)
{
    Props.DropTarget = on;
    // What DragAcceptFiles does, without a dependency on the shell library.
    LONG ex = GetWindowLongW(hwnd_, GWL_EXSTYLE);
    SetWindowLongW(hwnd_, GWL_EXSTYLE, on ? ex | WS_EX_ACCEPTFILES : ex & ~WS_EX_ACCEPTFILES);
}

bool TKXActiveXForm::Enabled() const
{
    return IsWindowEnabled(hwnd_) != FALSE;
}

void TKXActiveXForm::SetEnabled(bool enabled)
{
    EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

RECT TKXActiveXForm::ExplicitBounds() const
{
    RECT rc;
    GetWindowRect(hwnd_, &rc);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT *>(&rc), 2);
    return rc;
}

void TKXActiveXForm::SetBounds(const RECT &bounds)
{
    SetWindowPos(hwnd_, nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

// Persisted properties, in the order they are written.
enum class TKind { Bool, Long, Text };
struct TPersisted {
    const wchar_t *name;
    TKind kind;
};
const TPersisted kPersisted[] = {
    {L"Caption", TKind::Text},         {L"Color", TKind::Long},         {L"FontName", TKind::Text},
    {L"FontSize", TKind::Long},        {L"FontBold", TKind::Bool},      {L"FontItalic", TKind::Bool},
    {L"FontUnderline", TKind::Bool},   {L"FontStrikethrough", TKind::Bool}, {L"FontCharset", TKind::Long},
    {L"AutoScroll", TKind::Bool},      {L"AutoSize", TKind::Bool},      {L"AxBorderStyle", TKind::Long},
    {L"KeyPreview", TKind::Bool},      {L"PixelsPerInch", TKind::Long}, {L"PrintScale", TKind::Long},
    {L"Scaled", TKind::Bool},          {L"DropTarget", TKind::Bool},    {L"HelpFile", TKind::Text},
    {L"PopupMode", TKind::Long},       {L"ScreenSnap", TKind::Bool},    {L"SnapBuffer", TKind::Long},
    {L"DockSite", TKind::Bool},        {L"DoubleBuffered", TKind::Bool}, {L"ParentDoubleBuffered", TKind::Bool},
    {L"UseDockManager", TKind::Bool},  {L"Enabled", TKind::Bool},       {L"AlignWithMargins", TKind::Bool},
    {L"ParentCustomHint", TKind::Bool},
};

}  // namespace

TPropertyList TKXActiveXForm::SaveProperties() const
{
    TPropertyList list;
    const TFontFacts f = ReadFont(font_.Get());

    list.emplace_back(L"Caption", Caption());
    list.emplace_back(L"Color", static_cast<long>(Props.Color));
    list.emplace_back(L"FontName", f.name);
    list.emplace_back(L"FontSize", static_cast<long>(f.size.int64));
    list.emplace_back(L"FontBold", f.bold != FALSE);
    list.emplace_back(L"FontItalic", f.italic != FALSE);
    list.emplace_back(L"FontUnderline", f.underline != FALSE);
    list.emplace_back(L"FontStrikethrough", f.strike != FALSE);
    list.emplace_back(L"FontCharset", static_cast<long>(f.charset));
    list.emplace_back(L"AutoScroll", Props.AutoScroll);
    list.emplace_back(L"AutoSize", Props.AutoSize);
    list.emplace_back(L"AxBorderStyle", Props.AxBorderStyle);
    list.emplace_back(L"KeyPreview", Props.KeyPreview);
    list.emplace_back(L"PixelsPerInch", Props.PixelsPerInch);
    list.emplace_back(L"PrintScale", Props.PrintScale);
    list.emplace_back(L"Scaled", Props.Scaled);
    list.emplace_back(L"DropTarget", Props.DropTarget);
    list.emplace_back(L"HelpFile", Props.HelpFile);
    list.emplace_back(L"PopupMode", Props.PopupMode);
    list.emplace_back(L"ScreenSnap", Props.ScreenSnap);
    list.emplace_back(L"SnapBuffer", Props.SnapBuffer);
    list.emplace_back(L"DockSite", Props.DockSite);
    list.emplace_back(L"DoubleBuffered", Props.DoubleBuffered);
    list.emplace_back(L"ParentDoubleBuffered", Props.ParentDoubleBuffered);
    list.emplace_back(L"UseDockManager", Props.UseDockManager);
    list.emplace_back(L"Enabled", Enabled());
    list.emplace_back(L"AlignWithMargins", Props.AlignWithMargins);
    list.emplace_back(L"ParentCustomHint", Props.ParentCustomHint);
    return list;
}

void TKXActiveXForm::LoadProperty(const std::wstring &name, const TPropertyValue &value)
{
    auto b = [&] { return std::get<bool>(value); };
    auto l = [&] { return std::get<long>(value); };
    auto t = [&] { return std::get<std::wstring>(value); };
    try {
        if (name == L"Caption") SetCaption(t());
        else if (name == L"Color") SetColor(static_cast<OLE_COLOR>(l()));
        else if (name == L"FontName") { font_->put_Name(Bstr(t()).Get()); ApplyFont(); }
        else if (name == L"FontSize") { CY cy; cy.int64 = l(); font_->put_Size(cy); ApplyFont(); }
        else if (name == L"FontBold") { font_->put_Bold(b()); ApplyFont(); }
        else if (name == L"FontItalic") { font_->put_Italic(b()); ApplyFont(); }
        else if (name == L"FontUnderline") { font_->put_Underline(b()); ApplyFont(); }
        else if (name == L"FontStrikethrough") { font_->put_Strikethrough(b()); ApplyFont(); }
        else if (name == L"FontCharset") { font_->put_Charset(static_cast<SHORT>(l())); ApplyFont(); }
        else if (name == L"AutoScroll") SetAutoScroll(b());
        else if (name == L"AutoSize") SetAutoSize(b());
        else if (name == L"AxBorderStyle") SetAxBorderStyle(l());
        else if (name == L"KeyPreview") Props.KeyPreview = b();
        else if (name == L"PixelsPerInch") SetPixelsPerInch(l());
        else if (name == L"PrintScale") SetPrintScale(l());
        else if (name == L"Scaled") Props.Scaled = b();
        else if (name == L"DropTarget") SetDropTarget(b());
        else if (name == L"HelpFile") Props.HelpFile = t();
        else if (name == L"PopupMode") SetPopupMode(l());
        else if (name == L"ScreenSnap") Props.ScreenSnap = b();
        else if (name == L"SnapBuffer") SetSnapBuffer(l());
        else if (name == L"DockSite") Props.DockSite = b();
        else if (name == L"DoubleBuffered") Props.DoubleBuffered = b();
        else if (name == L"ParentDoubleBuffered") Props.ParentDoubleBuffered = b();
        else if (name == L"UseDockManager") Props.UseDockManager = b();
        else if (name == L"Enabled") SetEnabled(b());
        else if (name == L"AlignWithMargins") Props.AlignWithMargins = b();
        else if (name == L"ParentCustomHint") Props.ParentCustomHint = b();
        // Unknown names come from newer versions: skipped.
    } catch (const std::bad_variant_access &) {
        throw EPanelError(L"Неверный тип сохранённого свойства " + name, E_INVALIDARG);
    }
}

void TKXActiveXForm::ResetProperties()
{
    TFormProperties defaults;
    SetCaption(L"KXActiveXForm");
    SetColor(defaults.Color);
    FONTDESC fd{sizeof(fd), const_cast<LPOLESTR>(L"Arial"), {{80000, 0}}, FW_NORMAL, DEFAULT_CHARSET, FALSE, FALSE, FALSE};
    ComPtr<IFont> font;
    if (SUCCEEDED(OleCreateFontIndirect(&fd, IID_IFont, reinterpret_cast<void **>(font.Put()))) && font) {
        font_ = font;
        ApplyFont();
    }
    SetAutoScroll(defaults.AutoScroll);
    Props.AutoSize = defaults.AutoSize;
    SetAxBorderStyle(defaults.AxBorderStyle);
    SetDropTarget(defaults.DropTarget);
    SetEnabled(true);
    Props = defaults;
}

// Kinds of the persisted properties, for readers of untyped stores.
bool PersistedPropertyKind(const std::wstring &name, int &kind)
{
    for (const TPersisted &p : kPersisted)
        if (name == p.name) {
            kind = static_cast<int>(p.kind);
            return true;
        }
    return false;
}

std::vector<std::wstring> PersistedPropertyNames()
{
    std::vector<std::wstring> names;
    for (const TPersisted &p : kPersisted)
        names.push_back(p.name);
    return names;
}

// ---- scrolling --------------------------------------------------------------

void TKXActiveXForm::UpdateScrollBars()
{
    RECT rc;
    GetClientRect(hwnd_, &rc);
    if (!Props.AutoScroll) {
        if (scroll_.x || scroll_.y)
            MoveChildren(scroll_.x, scroll_.y);
        scroll_ = {0, 0};
        ShowScrollBar(hwnd_, SB_BOTH, FALSE);
        return;
    }
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL};
    si.nMin = 0;
    si.nMax = DesignWidth - 1;
    si.nPage = rc.right;
    si.nPos = scroll_.x;
    ShowScrollBar(hwnd_, SB_HORZ, rc.right < DesignWidth);
    SetScrollInfo(hwnd_, SB_HORZ, &si, TRUE);
    si.nMax = DesignHeight - 1;
    si.nPage = rc.bottom;
    si.nPos = scroll_.y;
    ShowScrollBar(hwnd_, SB_VERT, rc.bottom < DesignHeight);
    SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);
}

// Scrolling moves the controls themselves: ScrollWindowEx leaves the
// children of a window that is not shown where they were.
void TKXActiveXForm::MoveChildren(int dx, int dy)
{
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rc;
        GetWindowRect(child, &rc);
        MapWindowPoints(HWND_DESKTOP, hwnd_, reinterpret_cast<POINT *>(&rc), 2);
        SetWindowPos(child, nullptr, rc.left + dx, rc.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TKXActiveXForm::AnchorControls()
{
    RECT rc;
    GetClientRect(hwnd_, &rc);
    int extra = std::max(0, static_cast<int>(rc.right) - DesignWidth);
    if (extra == anchoredExtra_)
        return;
    anchoredExtra_ = extra;
    for (const TAnchor &a : anchors_) {
        // A scrolled form has moved every control up and left by the offset.
        int left = a.design.left + (a.stretch ? 0 : extra) - scroll_.x;
        int top = a.design.top - scroll_.y;
        int width = a.design.right - a.design.left + (a.stretch ? extra : 0);
        // A drop-down list's height is that of its open list, not of the box shown.
        int height = a.design.bottom - a.design.top;
        RECT dropped{};
        wchar_t cls[16] = {};
        GetClassNameW(a.control, cls, 16);
        if (_wcsicmp(cls, WC_COMBOBOXW) == 0 && (GetWindowLongW(a.control, GWL_STYLE) & 3) == CBS_DROPDOWNLIST &&
            SendMessageW(a.control, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped)))
            height = std::max(height, static_cast<int>(dropped.bottom - dropped.top));
        SetWindowPos(a.control, nullptr, left, top, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE | (a.stretch ? 0 : SWP_NOSIZE));
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TKXActiveXForm::Scroll(int bar, int code)
{
    SCROLLINFO si{sizeof(si), SIF_ALL};
    GetScrollInfo(hwnd_, bar, &si);
    int pos = si.nPos;
    switch (code) {
    case SB_LINEUP: pos -= 16; break;
    case SB_LINEDOWN: pos += 16; break;
    case SB_PAGEUP: pos -= static_cast<int>(si.nPage); break;
    case SB_PAGEDOWN: pos += static_cast<int>(si.nPage); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    case SB_TOP: pos = si.nMin; break;
    case SB_BOTTOM: pos = si.nMax; break;
    default: return;
    }
    int maxPos = si.nMax - static_cast<int>(si.nPage) + 1;
    pos = std::max(0, std::min(pos, std::max(0, maxPos)));
    LONG &current = bar == SB_HORZ ? scroll_.x : scroll_.y;
    int delta = current - pos;
    if (!delta)
        return;
    current = pos;
    MoveChildren(bar == SB_HORZ ? delta : 0, bar == SB_VERT ? delta : 0);
    si.fMask = SIF_POS;
    si.nPos = pos;
    SetScrollInfo(hwnd_, bar, &si, TRUE);
}

// ---- keyboard and focus -----------------------------------------------------

void TKXActiveXForm::KeyPress(wchar_t &key)
{
    if (Events.OnKeyPress)
        Events.OnKeyPress(key);
}

bool TKXActiveXForm::FilterKey(HWND target, wchar_t &key)
{
    if (target == hwnd_ || Props.KeyPreview) {
        Handle([&] { KeyPress(key); });
        if (!key)
            return false;
    }
    if (target == txtCont)
        Handle([&] { txtContKeyPress(key); });
    else if (target == cmbSpeedEdit_)
        Handle([&] { cmbSpeedKeyPress(key); });
    return key != 0;
}

bool TKXActiveXForm::TabToNext(bool backwards)
{
    HWND focus = GetFocus();
    if (focus && focus != hwnd_ && IsChild(hwnd_, focus)) {
        // Focus may sit in an inner window (a combo's edit): take the form's child.
        while (GetParent(focus) != hwnd_)
            focus = GetParent(focus);
    } else {
        focus = nullptr;
    }
    HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (!first)
        return false;
    HWND last = GetNextDlgTabItem(hwnd_, first, TRUE);
    if (focus && focus == (backwards ? first : last))
        return false;
    HWND next = focus ? GetNextDlgTabItem(hwnd_, focus, backwards ? TRUE : FALSE) : (backwards ? last : first);
    if (!next)
        return false;
    SetFocus(next);
    return true;
}

void TKXActiveXForm::ChildFocusChanged(bool gained, HWND other)
{
    if (gained) {
        control_.FocusEntered();
    } else if (!other || (other != hwnd_ && !IsChild(hwnd_, other))) {
        control_.FocusLeft();
    }
}

namespace {

const wchar_t kOldProcProp[] = L"KXPanelOldProc";
const wchar_t kFormProp[] = L"KXPanelForm";

}  // namespace

LRESULT CALLBACK ChildSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto old = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kOldProcProp));
    auto form = static_cast<TKXActiveXForm *>(GetPropW(hwnd, kFormProp));
    if (!old)
        return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_CHAR:
        if (form) {
            wchar_t key = static_cast<wchar_t>(wp);
            if (!form->FilterKey(hwnd, key))
                return 0;
            wp = key;
        }
        break;
    case WM_SETFOCUS:
        if (form)
            form->ChildFocusChanged(true, reinterpret_cast<HWND>(wp));
        break;
    case WM_KILLFOCUS:
        if (form)
            form->ChildFocusChanged(false, reinterpret_cast<HWND>(wp));
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
        RemovePropW(hwnd, kOldProcProp);
        RemovePropW(hwnd, kFormProp);
        return CallWindowProcW(old, hwnd, msg, wp, lp);
    default:
        break;
    }
    return CallWindowProcW(old, hwnd, msg, wp, lp);
}

// Classic subclassing: SetWindowSubclass needs version 6 of the common
// controls, which a host without a manifest does not load.
void TKXActiveXForm::Subclass(HWND child)
{
    if (!child)
        return;
    SetPropW(child, kFormProp, this);
    SetPropW(child, kOldProcProp,
             reinterpret_cast<HANDLE>(SetWindowLongPtrW(child, GWLP_WNDPROC,
                                                        reinterpret_cast<LONG_PTR>(ChildSubclassProc))));
}

// ---- the window procedure ---------------------------------------------------

LRESULT CALLBACK TKXActiveXForm::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    TKXActiveXForm *form;
    if (msg == WM_NCCREATE) {
        form = static_cast<TKXActiveXForm *>(reinterpret_cast<CREATESTRUCTW *>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        form->hwnd_ = hwnd;
    } else {
        form = reinterpret_cast<TKXActiveXForm *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!form)
        return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        form->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    return form->Dispatch(msg, wp, lp);
}

void TKXActiveXForm::HandleTimer(UINT_PTR id)
{
    if (id == Timer2.Id()) {
        // A tick already queued when the timer stopped must not start the panel twice.
        if (Timer2.Enabled())
            Handle([&] { Timer2Timer(); });
    } else if (id == Timer1.Id()) {
        if (Timer1.Ticking())
            Handle([&] { Timer1Timer(); });
    } else if (id == StopHoldTimer.Id()) {
        if (StopHoldTimer.Enabled())
            Handle([&] { Player->StopHoldTimer(); });
    }
}

LRESULT TKXActiveXForm::Dispatch(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_COMMAND:
        return HandleCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
    case WM_NOTIFY:
        return HandleNotify(reinterpret_cast<NMHDR *>(lp));
    case WM_HSCROLL:
        if (lp && reinterpret_cast<HWND>(lp) == TrackBar) {
            int pos = static_cast<int>(SendMessageW(TrackBar, TBM_GETPOS, 0, 0));
            if (pos != trackBarPosition_) {
                trackBarPosition_ = pos;
                Handle([&] { TrackBarChange(); });
            }
            return 0;
        }
        if (!lp)
            Scroll(SB_HORZ, LOWORD(wp));
        return 0;
    case WM_VSCROLL:
        if (!lp)
            Scroll(SB_VERT, LOWORD(wp));
        return 0;
    case WM_DRAWITEM:
        HandleDrawItem(reinterpret_cast<DRAWITEMSTRUCT *>(lp));
        return TRUE;
    case WM_MEASUREITEM: {
        auto mi = reinterpret_cast<MEASUREITEMSTRUCT *>(lp);
        if (mi->CtlType == ODT_MENU) {
            int cx = 16, cy = 16;
            if (ImageList2)
                ImageList_GetIconSize(ImageList2, &cx, &cy);
            mi->itemWidth = cx;
            mi->itemHeight = cy;
            return TRUE;
        }
        break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        return reinterpret_cast<LRESULT>(brush_);
    }
    case WM_ERASEBKGND: {
        RECT rc;
        GetClientRect(hwnd_, &rc);
        FillRect(reinterpret_cast<HDC>(wp), &rc, brush_);
        return TRUE;
    }
    case WM_PRINTCLIENT: {
        RECT rc;
        GetClientRect(hwnd_, &rc);
        FillRect(reinterpret_cast<HDC>(wp), &rc, brush_);
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd_, &ps);
        EndPaint(hwnd_, &ps);
        Handle([&] {
            if (Events.OnPaint)
                Events.OnPaint();
        });
        return 0;
    }
    case WM_TIMER:
        HandleTimer(wp);
        return 0;
    case WM_SIZE:
        AnchorControls();
        UpdateScrollBars();
        return 0;
    case WM_MOUSEACTIVATE:
        control_.FocusEntered();
        return MA_ACTIVATE;
    case WM_SETFOCUS: {
        control_.FocusEntered();
        // The form itself takes no keys of its own: pass the focus to its first control.
        HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
        if (first && first != hwnd_)
            SetFocus(first);
        return 0;
    }
    case WM_KILLFOCUS:
        ChildFocusChanged(false, reinterpret_cast<HWND>(wp));
        return 0;
    case WM_LBUTTONDOWN:
        leftButtonDown_ = true;
        if (GetFocus() != hwnd_ && !IsChild(hwnd_, GetFocus()))
            SetFocus(hwnd_);
        return 0;
    case WM_LBUTTONUP:
        if (std::exchange(leftButtonDown_, false))
            Handle([&] {
                if (Events.OnClick)
                    Events.OnClick();
            });
        return 0;
    case WM_LBUTTONDBLCLK:
        Handle([&] {
            if (Events.OnDblClick)
                Events.OnDblClick();
        });
        return 0;
    case WM_MOUSEMOVE:
        if (!mouseInClient_) {
            mouseInClient_ = true;
            TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd_, 0};
            TrackMouseEvent(&tme);
            Handle([&] {
                if (Events.OnMouseEnter)
                    Events.OnMouseEnter();
            });
        }
        return 0;
    case WM_MOUSELEAVE:
        mouseInClient_ = false;
        Handle([&] {
            if (Events.OnMouseLeave)
                Events.OnMouseLeave();
        });
        return 0;
    case WM_CHAR: {
        wchar_t key = static_cast<wchar_t>(wp);
        FilterKey(hwnd_, key);
        return 0;
    }
    case WM_DESTROY:
        // Raised from the window itself, so it also reaches the sink when a
        // container destroys the window before releasing the control.
        RunHandler(nullptr, [&] {
            if (Events.OnDestroy)
                Events.OnDestroy();
        });
        for (UINT_PTR id : {Timer1.Id(), Timer2.Id(), StopHoldTimer.Id()})
            KillTimer(hwnd_, id);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

std::wstring TKXActiveXForm::Text(HWND control)
{
    return selection::WindowText(control);
}
