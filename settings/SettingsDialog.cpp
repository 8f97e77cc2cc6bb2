#include "SettingsDialog.h"

#include <windowsx.h>

#include <stdexcept>
#include <utility>

#include "WindowDpi.h"

namespace {

constexpr int kClientWidth = 426;
constexpr int kClientHeight = 448;
constexpr int kPreviewSize = 56;
// Right of the small caption beside it, with room to spare.
constexpr int kPreviewLeft = 204;
// No system menu, so no buttons on the frame. Children are not clipped: the
// group box paints no inside of its own, the form's background shows there.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;

// Places inside GroupBox1 of the check boxes, left column then right column,
// and the columns' widths: the left one's longest caption needs 200.
constexpr POINT kCheckBoxPlaces[TFormSettings::kCheckBoxCount] = {
    {12, 20},  {12, 43},  {12, 67},  {12, 91},  {12, 114}, {12, 138}, {12, 162},
    {219, 20}, {219, 43}, {219, 67}, {219, 91}, {219, 115}, {219, 139}};
constexpr int kLeftColumnWidth = 204, kRightColumnWidth = 180;
const wchar_t kIconCaption[] = L"Выбор иконки ТС :";
const wchar_t kIconHint[] = L"(Кликнуть мышкой для вывода списка)";
// Fixed in the form: they do not follow the category rows' names.
const wchar_t *const kCheckBoxCaptions[TFormSettings::kCheckBoxCount] = {
    L"Контрольные точки",          L"Список остановок",          L"Периоды отсутствия сигнала",
    L"Периоды пропадания питания", L"Периоды превышения скорости", L"Заправки и сливы бака №1",
    L"Заправки и сливы бака №2",   L"Включения датчика №1",      L"Включения датчика №2",
    L"Включения датчика №3",       L"Включения датчика №4",      L"Включения датчика №5",
    L"Включения датчика №6"};

HINSTANCE ThisModule()
{
    // The window procedure lives in this module, whichever program links it.
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&TFormSettings::WindowProc), &module);
    return module;
}

int g_dialogCount = 0;

void RegisterDialogClass()
{
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = TFormSettings::WindowProc;
    wc.hInstance = ThisModule();
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = TFormSettings::kWindowClass;
    RegisterClassExW(&wc);
}

HFONT Tahoma(int pixelHeight)
{
    LOGFONTW lf{};
    lf.lfHeight = -pixelHeight;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

SIZE TextSize(HFONT font, const wchar_t *text)
{
    SIZE size{};
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size;
}

}  // namespace

TFormSettings::TFormSettings(HWND owner, std::vector<kx::TInfoPoints> &categories, int &iconNum,
                             TIconLoader loadIcons)
    : categories_(categories), iconNum_(iconNum), loadIcons_(std::move(loadIcons)), owner_(owner)
{
    if (g_dialogCount++ == 0)
        RegisterDialogClass();
    scale_ = kx::TDisplayScale(WindowDpi(owner), kx::kDesignDpi, true);
    if (loadIcons_)
        icons_ = loadIcons_(scale_);
    RECT frame{0, 0, scale_(kClientWidth), scale_(kClientHeight)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    hwnd_ = CreateWindowExW(kExStyle, kWindowClass, L"Настройки", kStyle, 0, 0, frame.right - frame.left,
                            frame.bottom - frame.top, owner, nullptr, ThisModule(), this);
    if (hwnd_)
        CreateComponents();
}

TFormSettings::~TFormSettings()
{
    EnableOwner();
    if (hwnd_)
        DestroyWindow(hwnd_);
    for (HFONT font : {font_, smallFont_})
        if (font)
            DeleteObject(font);
    if (icons_)
        ImageList_Destroy(icons_);
    // Nothing may keep a class whose procedure lives here across an unload.
    if (--g_dialogCount == 0)
        UnregisterClassW(kWindowClass, ThisModule());
}

HWND TFormSettings::AddComponent(const wchar_t *windowClass,
                                 const wchar_t *text, DWORD style, int left, int top, int width, int height, int id,
                                 HFONT font)
{
    HWND w = CreateWindowExW(0, windowClass, text, WS_CHILD | style, left, top, width, height, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(), nullptr);
    SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    components_.push_back(w);
    return w;
}

void TFormSettings::CreateComponents()
{
    MakeFonts();
    GroupBox1 = AddComponent(WC_BUTTONW, L"Отображ. информ. точек в списках",
                             WS_VISIBLE | BS_GROUPBOX | WS_CLIPSIBLINGS, 0, 0, 0, 0, 100, font_);
    for (int i = 0; i < kCheckBoxCount; ++i)
        CheckBoxes[i] = AddComponent(WC_BUTTONW, kCheckBoxCaptions[i],
                                     WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 0, 0, 0, idCheckBox1 + i, font_);
    // The frame lies below the boxes it frames and is clipped by them.
    SetWindowPos(GroupBox1, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    Label1 = AddComponent(WC_STATICW, kIconCaption, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0,
                          -1, font_);
    Label2 = AddComponent(WC_STATICW, kIconHint, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0, -1,
                          smallFont_);
    PaintBox1 = AddComponent(WC_STATICW, L"", WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY, 0, 0, 0, 0,
                             idPaintBox1, font_);
    IconList = AddComponent(WC_LISTBOXW, L"",
                            WS_VSCROLL | WS_TABSTOP | LBS_OWNERDRAWVARIABLE | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0,
                            0, 0, 0, idIconList, font_);
    SetWindowLongW(IconList, GWL_EXSTYLE, GetWindowLongW(IconList, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
    SetWindowPos(IconList, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    listProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(IconList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TFormSettings::ListProc)));
    // Plain push buttons: neither is the default or the cancel button.
    btnOK = AddComponent(WC_BUTTONW, L"ОК", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, idOK,
                         font_);
    btnCancel = AddComponent(WC_BUTTONW, L"Отмена", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0,
                             0, 0, idCancel, font_);
    PlaceComponents();
}

void TFormSettings::PlaceComponents()
{
    const kx::TDisplayScale &s = scale_;
    // Edges, not sizes, are scaled: neighbours keep their order and gaps.
    auto place = [&](HWND w, int left, int top, int width, int height) {
        SetWindowPos(w, nullptr, s(left), s(top), s(left + width) - s(left), s(top + height) - s(top),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const POINT box{8, 8};
    place(GroupBox1, box.x, box.y, 408, 188);
    for (int i = 0; i < kCheckBoxCount; ++i)
        place(CheckBoxes[i], box.x + kCheckBoxPlaces[i].x, box.y + kCheckBoxPlaces[i].y,
              i < 7 ? kLeftColumnWidth : kRightColumnWidth, 17);
    // The captions are as large as their texts in their fonts, and a little
    // more: a label exactly as wide as its measured text may lose its last
    // character to the static control's own rounding.
    const SIZE size1 = TextSize(font_, kIconCaption), size2 = TextSize(smallFont_, kIconHint);
    SetWindowPos(Label1, nullptr, s(20), s(216), size1.cx + s(4), size1.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(Label2, nullptr, s(20), s(230), size2.cx + s(4), size2.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    place(PaintBox1, kPreviewLeft, 204, kPreviewSize, kPreviewSize);
    place(IconList, kPreviewLeft, 259, 73, 153);
    place(btnOK, 107, 418, 75, 25);
    place(btnCancel, 227, 418, 75, 25);
    const int items = static_cast<int>(SendMessageW(IconList, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < items; ++i)
        SendMessageW(IconList, LB_SETITEMHEIGHT, i, s(kIconItemHeight));
}

void TFormSettings::MakeFonts()
{
    HFONT oldFont = std::exchange(font_, Tahoma(scale_(11))), oldSmall = std::exchange(smallFont_, Tahoma(scale_(9)));
    for (HWND c : components_)
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(c == Label2 ? smallFont_ : font_), FALSE);
    for (HFONT font : {oldFont, oldSmall})
        if (font)
            DeleteObject(font);
}

void TFormSettings::ChangeDpi(int dpi, const RECT &suggested)
{
    const kx::TDisplayScale next(dpi, kx::kDesignDpi, true);
    if (next == scale_)
        return;
    scale_ = next;
    MakeFonts();
    if (loadIcons_)
        if (HIMAGELIST old = std::exchange(icons_, loadIcons_(scale_)))
            ImageList_Destroy(old);
    // The suggested frame's corner, the client area at the new scale.
    RECT frame{0, 0, scale_(kClientWidth), scale_(kClientHeight)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    PlaceComponents();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

// ---- showing and closing ----------------------------------------------------

void TFormSettings::Show()
{
    if (!hwnd_)
        throw std::runtime_error("Не удалось создать окно настроек");
    closed_ = false;
    modalResult_ = 0;
    FormShow();
    RECT rc;
    GetWindowRect(hwnd_, &rc);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    SetWindowPos(hwnd_, HWND_TOPMOST, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0, SWP_NOSIZE);
    if (owner_ && IsWindowEnabled(owner_)) {
        EnableWindow(owner_, FALSE);
        ownerDisabled_ = true;
    }
    ShowWindow(hwnd_, SW_SHOW);
    SetFocus(CheckBoxes[0]);
}

void TFormSettings::ProcessPendingMessages()
{
    MSG msg;
    while (!closed_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The program is ending: leave the dialog and let the outer loop see it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            Close(IDCANCEL);
            break;
        }
        if (!hwnd_ || !IsDialogMessageW(hwnd_, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

INT_PTR TFormSettings::RunModalLoop()
{
    while (!closed_) {
        ProcessPendingMessages();
        if (!closed_)
            WaitMessage();
    }
    RethrowFailure();
    return modalResult_;
}

INT_PTR TFormSettings::ShowModal()
{
    Show();
    return RunModalLoop();
}

void TFormSettings::RethrowFailure()
{
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
}

void TFormSettings::Close(INT_PTR result)
{
    if (closed_)
        return;
    closed_ = true;
    modalResult_ = result;
    // Back to the owner before the dialog hides, so that it, and not some
    // other program, becomes active.
    EnableOwner();
    if (hwnd_)
        ShowWindow(hwnd_, SW_HIDE);
}

void TFormSettings::EnableOwner()
{
    if (ownerDisabled_) {
        EnableWindow(owner_, TRUE);
        ownerDisabled_ = false;
    }
}

// ---- handlers ---------------------------------------------------------------

void TFormSettings::FormShow()
{
    // Items are measured as they are added (kIconItemHeight each).
    SendMessageW(IconList, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < kIconItemCount; ++i)
        SendMessageW(IconList, LB_ADDSTRING, 0, 0);
    SendMessageW(IconList, LB_SETCURSEL, 0, 0);
    ShowCategoryChecks();
    // A number outside the list (from the settings file, or -1) selects nothing.
    SendMessageW(IconList, LB_SETCURSEL, iconNum_ >= 0 && iconNum_ < kIconItemCount ? iconNum_ : -1, 0);
}

void TFormSettings::ShowCategoryChecks()
{
    // Rows past the thirteenth have no box and are left alone.
    for (size_t i = 0; i < categories_.size() && i < CheckBoxes.size(); ++i)
        Button_SetCheck(CheckBoxes[i], categories_[i].VisibleList ? BST_CHECKED : BST_UNCHECKED);
}

void TFormSettings::btnOKClick()
{
    for (size_t i = 0; i < categories_.size() && i < CheckBoxes.size(); ++i)
        categories_[i].VisibleList = Button_GetCheck(CheckBoxes[i]) == BST_CHECKED;
    iconNum_ = SelectedIcon();
    Close(IDOK);
}

void TFormSettings::btnCancelClick()
{
    Close(IDCANCEL);
}

int TFormSettings::SelectedIcon() const
{
    const LRESULT index = SendMessageW(IconList, LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

void TFormSettings::PaintBox1Click()
{
    ShowWindow(IconList, SW_SHOW);
}

void TFormSettings::PaintBox1Paint(HDC dc)
{
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    const int size = scale_(kPreviewSize);
    Rectangle(dc, 0, 0, size, size);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    const int icon = SelectedIcon();
    int cx = 0, cy = 0;
    if (icons_ && icon >= 0 && ImageList_GetIconSize(icons_, &cx, &cy))
        ImageList_Draw(icons_, icon, dc, (size - cx) / 2, (size - cy) / 2, ILD_TRANSPARENT);
}

void TFormSettings::ComboBox2Change()
{
    ShowWindow(IconList, SW_HIDE);
    // A hidden list is under no pointer.
    ComboBox1MouseLeave();
    InvalidateRect(PaintBox1, nullptr, TRUE);
}

void TFormSettings::ComboBox2DrawItem(HDC dc, int index, const RECT &rect)
{
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(WHITE_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    if (icons_)
        ImageList_Draw(icons_, index, dc, rect.left + 1, rect.top + 1, ILD_TRANSPARENT);
}

void TFormSettings::ComboBox1MouseEnter()
{
    mouseInList_ = true;
}

void TFormSettings::ComboBox1MouseLeave()
{
    mouseInList_ = false;
}

void TFormSettings::FormMouseWheelDown()
{
    const int last = static_cast<int>(SendMessageW(IconList, LB_GETCOUNT, 0, 0)) - 1;
    const int selected = SelectedIcon();
    if (selected >= last)
        return;
    SendMessageW(IconList, LB_SETCURSEL, selected + 1, 0);
    // Over the open list the preview waits for a click in the list.
    if (!mouseInList_)
        ComboBox2Change();
}

void TFormSettings::FormMouseWheelUp()
{
    const int selected = SelectedIcon();
    if (selected < 1)
        return;
    SendMessageW(IconList, LB_SETCURSEL, selected - 1, 0);
    if (!mouseInList_)
        ComboBox2Change();
}

// ---- messages ---------------------------------------------------------------

LRESULT CALLBACK TFormSettings::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    TFormSettings *self;
    if (msg == WM_NCCREATE) {
        self = static_cast<TFormSettings *>(reinterpret_cast<CREATESTRUCTW *>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<TFormSettings *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self)
        return DefWindowProcW(hwnd, msg, wp, lp);
    try {
        return self->Dispatch(hwnd, msg, wp, lp);
    } catch (...) {
        self->Fail();
        return 0;
    }
}

void TFormSettings::Fail()
{
    // No exception crosses a window procedure: the dialog closes and the
    // failure waits for whoever runs it.
    if (!failure_)
        failure_ = std::current_exception();
    Close(IDCANCEL);
}

void TFormSettings::MouseWheel(WPARAM wp)
{
    const short delta = GET_WHEEL_DELTA_WPARAM(wp);
    if (delta < 0)
        FormMouseWheelDown();
    else if (delta > 0)
        FormMouseWheelUp();
}

LRESULT TFormSettings::Dispatch(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_COMMAND: {
        const int id = LOWORD(wp), code = HIWORD(wp);
        if (id == idOK && code == BN_CLICKED)
            btnOKClick();
        else if (id == idCancel && code == BN_CLICKED)
            btnCancelClick();
        else if (id == idPaintBox1 && code == STN_CLICKED)
            PaintBox1Click();
        else if (id == idIconList && code == LBN_SELCHANGE)
            ComboBox2Change();
        return 0;  // IDOK and IDCANCEL from Enter and Escape end here
    }
    case WM_MEASUREITEM: {
        auto *mi = reinterpret_cast<MEASUREITEMSTRUCT *>(lp);
        if (mi->CtlID == static_cast<UINT>(idIconList))
            mi->itemHeight = static_cast<UINT>(scale_(kIconItemHeight));
        return TRUE;
    }
    case WM_DRAWITEM: {
        auto *di = reinterpret_cast<DRAWITEMSTRUCT *>(lp);
        if (di->hwndItem == PaintBox1) {
            PaintBox1Paint(di->hDC);
        } else if (di->hwndItem == IconList && di->itemID != static_cast<UINT>(-1)) {
            // The list's own part: the selection's highlight under the
            // handler's drawing, the focus frame over it.
            const bool selected = (di->itemState & ODS_SELECTED) != 0;
            FillRect(di->hDC, &di->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
            ComboBox2DrawItem(di->hDC, static_cast<int>(di->itemID), di->rcItem);
            if (di->itemState & ODS_FOCUS)
                DrawFocusRect(di->hDC, &di->rcItem);
        }
        return TRUE;
    }
    case WM_DPICHANGED:
        if (lp)
            ChangeDpi(HIWORD(wp), *reinterpret_cast<const RECT *>(lp));
        return 0;
    case WM_MOUSEWHEEL:
        // The handlers never mark the wheel as handled.
        MouseWheel(wp);
        break;
    case WM_CLOSE:
        // Alt+F4: closed as by Cancel.
        Close(IDCANCEL);
        return 0;
    case WM_DESTROY:
        // Destroyed from outside (its owner went): the modal loop ends.
        Close(IDCANCEL);
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK TFormSettings::ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto *self = reinterpret_cast<TFormSettings *>(GetWindowLongPtrW(GetParent(hwnd), GWLP_USERDATA));
    if (!self || !self->listProc_)
        return DefWindowProcW(hwnd, msg, wp, lp);
    const WNDPROC own = self->listProc_;
    try {
        switch (msg) {
        case WM_MOUSEMOVE:
            if (!self->mouseInList_) {
                TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd, 0};
                TrackMouseEvent(&tme);
                self->ComboBox1MouseEnter();
            }
            break;
        case WM_MOUSELEAVE:
            self->ComboBox1MouseLeave();
            break;
        case WM_MOUSEWHEEL:
            // The list scrolls itself and tells its parent nothing: the
            // form's handlers see the wheel first, as over any control.
            self->MouseWheel(wp);
            break;
        default:
            break;
        }
    } catch (...) {
        self->Fail();
    }
    return CallWindowProcW(own, hwnd, msg, wp, lp);
}
