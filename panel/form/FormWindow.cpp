// The form's window: its class and the hidden parking window, the
// construction of the window with its components and timers, scrolling,
// the keyboard and focus, and the window procedure that routes messages to
// the handlers.
#include "KXActiveXForm.h"

#include <windowsx.h>

#include <algorithm>

#include "FormBoxes.h"
#include "PanelState.h"
#include "Module.h"
#include "ReportWindow.h"
#include "Seams.h"
#include "SelectionSupport.h"
#include "WindowDpi.h"

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

// ---- construction -----------------------------------------------------------

TKXActiveXForm::TKXActiveXForm(TFormOwner &owner, std::shared_ptr<TPanelState> state)
    : owner_(owner), state_(state ? std::move(state) : std::make_shared<TPanelState>())
{
    if (g_formCount++ == 0)
        RegisterClasses();

    FONTDESC fd{sizeof(fd), const_cast<LPOLESTR>(L"Arial"), {{80000, 0}}, FW_NORMAL, DEFAULT_CHARSET, FALSE, FALSE, FALSE};
    OleCreateFontIndirect(&fd, IID_IFont, reinterpret_cast<void **>(font_.Put()));
    brush_ = nullptr;

    hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, L"KXActiveXForm",
                            WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP, 0, 0, DesignWidth,
                            DesignHeight, ParkingWindow(), nullptr, ModuleInstance(), this);
    if (!hwnd_)
        throw EPanelError(L"Не удалось создать окно панели", HRESULT_FROM_WIN32(GetLastError()));
    UpdateBrush();
    scale_ = kx::TDisplayScale(WindowDpi(hwnd_), Props.PixelsPerInch, Props.Scaled);
    if (!scale_.Identity()) {
        const SIZE size = ScaledSize();
        SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CreateComponents();
    timer1_.Init(hwnd_, kTimer1Id, 1000, false);
    timer2_.Init(hwnd_, kTimer2Id, 50, true);
    stopHoldTimer_.Init(hwnd_, kStopHoldTimerId, kStopHoldMs, false);
    MakeBoxes();
    loaded_ = true;
}

TKXActiveXForm::~TKXActiveXForm()
{
    // Destroying the form raises OnDestroy and nothing else: no settings are
    // written and the client stays. Only its events, bound to this form, go,
    // and whoever holds its token (TCurrentPanel) sees it gone.
    *alive_ = false;
    UnbindClientEvents();
    loaded_ = false;
    report_.reset();
    if (hwnd_)
        DestroyWindow(hwnd_);
    if (c_.PopupMenu1)
        DestroyMenu(c_.PopupMenu1);
    for (HIMAGELIST list : {c_.ImageList1, c_.ImageList2})
        if (list)
            ImageList_Destroy(list);
    if (c_.Image1)
        DeleteObject(c_.Image1);
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
    map_ = map;
    factory_ = factory;
    selectionBox_->Attach(map, factory, layer);
    infoPointList_->Attach(map, factory, layer);
    mapToolBar_->Attach(map, factory, layer);
    Player->Attach(map, factory, layer);
}

HRESULT TKXActiveXForm::QueryInterface(REFIID iid, void **out)
{
    return owner_.QueryOwner(iid, out);
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
    const SIZE size = ScaledSize();
    si.nMax = size.cx - 1;
    si.nPage = rc.right;
    si.nPos = scroll_.x;
    ShowScrollBar(hwnd_, SB_HORZ, rc.right < size.cx);
    SetScrollInfo(hwnd_, SB_HORZ, &si, TRUE);
    si.nMax = size.cy - 1;
    si.nPage = rc.bottom;
    si.nPos = scroll_.y;
    ShowScrollBar(hwnd_, SB_VERT, rc.bottom < size.cy);
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
    int extra = std::max(0, static_cast<int>(rc.right - ScaledSize().cx));
    if (extra == anchoredExtra_)
        return;
    anchoredExtra_ = extra;
    const kx::TDisplayScale &s = scale_;
    for (const TAnchor &a : anchors_) {
        // A scrolled form has moved every control up and left by the offset.
        int left = s(a.design.left) + (a.stretch ? 0 : extra) - scroll_.x;
        int top = s(a.design.top) - scroll_.y;
        int width = s(a.design.right) - s(a.design.left) + (a.stretch ? extra : 0);
        // A drop-down list's height is that of its open list, not of the box shown.
        int height = s(a.design.bottom) - s(a.design.top);
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
    if (target == c_.txtCont)
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
        owner_.FocusEntered();
    } else if (!other || (other != hwnd_ && !IsChild(hwnd_, other))) {
        owner_.FocusLeft();
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
    if (id == timer2_.Id()) {
        // A tick already queued when the timer stopped must not start the panel twice.
        if (timer2_.Enabled())
            Handle([&] { Timer2Timer(); });
    } else if (id == timer1_.Id()) {
        if (timer1_.Ticking())
            Handle([&] { Timer1Timer(); });
    } else if (id == stopHoldTimer_.Id()) {
        if (stopHoldTimer_.Enabled())
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
        if (lp && reinterpret_cast<HWND>(lp) == c_.TrackBar) {
            int pos = static_cast<int>(SendMessageW(c_.TrackBar, TBM_GETPOS, 0, 0));
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
            if (c_.ImageList2)
                ImageList_GetIconSize(c_.ImageList2, &cx, &cy);
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
    case WM_DPICHANGED:
    case WM_DPICHANGED_AFTERPARENT:
        ApplyScale();
        return 0;
    case WM_SIZE:
        AnchorControls();
        UpdateScrollBars();
        return 0;
    case WM_MOUSEACTIVATE:
        owner_.FocusEntered();
        return MA_ACTIVATE;
    case WM_SETFOCUS: {
        owner_.FocusEntered();
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
    case WM_KX_WAITING_WORK:
        RunWaitingWork();
        return 0;
    case WM_DESTROY:
        // Raised from the window itself, so it also reaches the sink when a
        // container destroys the window before releasing the control.
        RunHandler(nullptr, [&] {
            if (Events.OnDestroy)
                Events.OnDestroy();
        });
        for (UINT_PTR id : {timer1_.Id(), timer2_.Id(), stopHoldTimer_.Id()})
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
