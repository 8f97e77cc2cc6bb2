// The form's components: creation top to bottom, their notifications, their
// drawing, and rendering the whole form into a device context.
#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <utility>
#include <vector>

#include "KXActiveXForm.h"
#include "Module.h"
#include "Pictures.h"
#include "SelectionSupport.h"
#include "WindowDpi.h"
#include "kx/infopoints.h"
#include "kx/text.h"

namespace {

constexpr COLORREF kBannerColor = RGB(223, 237, 229);  // 15068639
constexpr UINT kFirstMenuCommand = 1400;                // + the item's number (2 to 13)

struct TToolHint {
    UINT button;
    const wchar_t *hint;
};
const TToolHint kToolHints[] = {
    {TMapTool::Track, L"Трэк"},
    {TMapTool::Checkpoints, L"Контрольные точки"},
    {TMapTool::InfoPoints, L"Информационные точки"},
    {TMapTool::SkipStops, L"Пропуск остановок"},
    {TMapTool::Settings, L"Настройки"},
    {TMapTool::Report, L"Отчёт по рейсу"},
};

// The trips list's columns at design size.
const struct {
    const wchar_t *caption;
    int width;
} kTripColumns[] = {{L"ID", 25}, {L"Начало", 80}, {L"Конец", 80}, {L"Прод-ть", 75}};

// The separator in the tool bar that SpeedButton1 covers, and its design size.
constexpr int kSpeedButtonGap = 3;
constexpr int kSpeedButtonWidth = 14, kSpeedButtonMinHeight = 16;

HFONT MakeFont(const kx::TDisplayScale &scale, const wchar_t *face, int points, int weight,
               BYTE charset = DEFAULT_CHARSET)
{
    LOGFONTW lf{};
    lf.lfHeight = scale.FontHeight(points);
    lf.lfWeight = weight;
    lf.lfCharSet = charset;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

SYSTEMTIME DesignDate()
{
    SYSTEMTIME st{};
    st.wYear = 2009;
    st.wMonth = 2;
    st.wDayOfWeek = 5;
    st.wDay = 6;
    return st;
}

// Does the font selected into `dc` draw `ch` itself? A stand-in font (or the
// stub Webdings some systems carry) lacks the symbol and draws a box.
bool SymbolFontHasGlyph(HDC dc, wchar_t ch)
{
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    if (_wcsicmp(face, L"Webdings") != 0)
        return false;
    WORD index = 0xFFFF;
    if (GetGlyphIndicesW(dc, &ch, 1, &index, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
        return false;
    return index != 0xFFFF;
}

// Draws the symbol that the symbol font shows for `ch`, centred in `rc`.
void DrawSymbol(HDC dc, const RECT &rc, wchar_t ch, COLORREF color)
{
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    int s = std::max(4, std::min(w, h) / 2);
    int cx = rc.left + w / 2, cy = rc.top + h / 2;
    HBRUSH brush = CreateSolidBrush(color);
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    switch (ch) {
    case L'4': {  // play: a triangle pointing right
        POINT pts[] = {{cx - s / 2, cy - s / 2}, {cx - s / 2, cy + s / 2}, {cx + s / 2, cy}};
        Polygon(dc, pts, 3);
        break;
    }
    case L'6': {  // drop-down: a triangle pointing down
        POINT pts[] = {{cx - s / 2, cy - s / 4}, {cx + s / 2, cy - s / 4}, {cx, cy + s / 4}};
        Polygon(dc, pts, 3);
        break;
    }
    case L'<': {  // stop: a square
        RECT sq{cx - s / 2, cy - s / 2, cx + s / 2, cy + s / 2};
        FillRect(dc, &sq, brush);
        break;
    }
    case L';': {  // pause: two bars
        int bar = std::max(2, s / 3);
        RECT left{cx - s / 2, cy - s / 2, cx - s / 2 + bar, cy + s / 2};
        RECT right{cx + s / 2 - bar, cy - s / 2, cx + s / 2, cy + s / 2};
        FillRect(dc, &left, brush);
        FillRect(dc, &right, brush);
        break;
    }
    default: {
        RECT r = rc;
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, color);
        DrawTextW(dc, &ch, 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        break;
    }
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

}  // namespace

void TKXActiveXForm::CreateComponents()
{
    MakeFonts();
    LoadImageLists();

    int nextId = 1000;
    auto make = [&](const wchar_t *cls, const wchar_t *text, DWORD style, int x, int y, int w, int h,
                    HFONT font = nullptr, DWORD exStyle = 0) {
        HWND child = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd_,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId++)), ModuleInstance(),
                                     nullptr);
        if (!child)
            throw EPanelError(std::wstring(L"Не удалось создать элемент панели ") + cls,
                              HRESULT_FROM_WIN32(GetLastError()));
        HFONT TKXActiveXForm::*slot = &TKXActiveXForm::formFont_;
        for (HFONT TKXActiveXForm::*own : {&TKXActiveXForm::boldTahoma9_, &TKXActiveXForm::tahoma8_,
                                           &TKXActiveXForm::webdings15_, &TKXActiveXForm::webdings14_,
                                           &TKXActiveXForm::webdings9_})
            if (font && this->*own == font)
                slot = own;
        if (slot == &TKXActiveXForm::formFont_)
            formFontControls_.push_back(child);
        placed_.push_back({child, {x, y, x + w, y + h}, slot});
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(this->*slot), FALSE);
        return child;
    };
    auto label = [&](const wchar_t *text, int x, int y, int w, HFONT font = nullptr) {
        return make(WC_STATICW, text, SS_LEFT | SS_NOPREFIX, x, y, w, 16, font);
    };
    auto dropList = [&](int x, int y, int w, int rows, HFONT font) {
        HWND combo = make(WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, x, y, w, 24 + rows * 16, font);
        Subclass(combo);
        return combo;
    };
    auto picker = [&](int x, int y, int w, bool time) {
        HWND p = make(DATETIMEPICK_CLASSW, L"", WS_TABSTOP | (time ? DTS_TIMEFORMAT | DTS_UPDOWN : DTS_SHORTDATEFORMAT),
                      x, y, w, 21);
        // Hours and minutes of the day, 24-hour. (Wine's picker keeps two
        // digits' room for a one-digit hour and shows "0 :00"; Windows shows "0:00".)
        if (time)
            SendMessageW(p, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"H:mm"));
        SYSTEMTIME st = DesignDate();
        SendMessageW(p, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
        Subclass(p);
        return p;
    };
    auto group = [&](const wchar_t *caption, int y, int h) {
        return make(WC_BUTTONW, caption, BS_GROUPBOX, 3, y, DesignWidth - 6, h);
    };

    // 1. The banner.
    c_.Label1 = make(WC_STATICW, L"", SS_OWNERDRAW, 0, 0, DesignWidth, 56);

    // 2. Vehicle and period.
    c_.GroupBox3 = group(L"Выбор периода и ТС", 58, 192);
    c_.Label2 = label(L"Группа:", 10, 79, 84, boldTahoma9_);
    c_.cmbGroupName = dropList(96, 76, 124, 5, tahoma8_);
    c_.Label4 = label(L"Название:", 10, 103, 84, boldTahoma9_);
    c_.cmbCarName = dropList(96, 100, 124, 8, tahoma8_);
    c_.Label5 = label(L"Номер ТС:", 10, 127, 84, boldTahoma9_);
    c_.cmbCarNum = dropList(96, 124, 124, 8, tahoma8_);
    c_.Label6 = label(L"№ прибора:", 10, 151, 84, boldTahoma9_);
    c_.cmbCarDevice = dropList(96, 148, 124, 8, tahoma8_);
    c_.Label13 = label(L"№ рейса:", 10, 175, 84, boldTahoma9_);
    c_.lblTripNum = label(L"N/A", 96, 175, 124, boldTahoma9_);
    c_.Label12 = label(L"с", 10, 199, 16);
    c_.DateBegin = picker(28, 196, 108, false);
    c_.TimeBegin = picker(140, 196, 80, true);
    c_.Label14 = label(L"по", 10, 223, 16);
    c_.DateEnd = picker(28, 220, 108, false);
    c_.TimeEnd = picker(140, 220, 80, true);

    // 3. Info points and trips.
    c_.GroupBox2 = group(L"Информационные точки", 252, 226);
    c_.cmbInfoPoints = dropList(10, 270, 210, 10, nullptr);
    // The trips are offered from the start, also when the start-up stops
    // before the categories are listed.
    SendMessageW(c_.cmbInfoPoints, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kx::ToWide(kx::kTripsListItem).c_str()));
    SendMessageW(c_.cmbInfoPoints, CB_SETCURSEL, 0, 0);
    c_.ListView1 = make(WC_LISTVIEWW, L"",
                     LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP, 10, 296, 210,
                     148, nullptr, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(c_.ListView1, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < 4; ++i) {
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.pszText = const_cast<LPWSTR>(kTripColumns[i].caption);
        col.cx = kTripColumns[i].width;
        col.iSubItem = i;
        SendMessageW(c_.ListView1, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
    }
    Subclass(c_.ListView1);
    c_.Label15 = label(L"Продолжительность от, с:", 10, 453, 140);
    c_.txtCont = make(WC_EDITW, L"6", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, 150, 450, 52, 21, nullptr,
                   WS_EX_CLIENTEDGE);
    SendMessageW(c_.txtCont, EM_LIMITTEXT, 4, 0);
    Subclass(c_.txtCont);
    c_.UpDown2 = make(UPDOWN_CLASSW, L"",
                   UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0, 0, 0, 0);
    SendMessageW(c_.UpDown2, UDM_SETBUDDY, reinterpret_cast<WPARAM>(c_.txtCont), 0);
    SendMessageW(c_.UpDown2, UDM_SETRANGE32, 0, 9999);
    SendMessageW(c_.UpDown2, UDM_SETPOS32, 0, 6);

    // 4. The player.
    c_.GroupBox4 = group(L"Управление плеером треков", 480, 122);
    // Wide enough for the caption on one line: a wrapped second line is cut off.
    c_.Label8 = label(L"Скорость воспроизведения:", 10, 500, 148);
    // A simple combo as tall as its edit: the list stays hidden and the
    // arrows of UpDown1 step through it.
    c_.cmbSpeed = make(WC_COMBOBOXW, L"", CBS_SIMPLE | CBS_AUTOHSCROLL | WS_TABSTOP, 158, 497, 43, 21);
    SendMessageW(c_.cmbSpeed, CB_LIMITTEXT, 4, 0);
    for (const wchar_t *speed : {L"600x", L"300x", L"100x", L"60x", L"30x", L"10x", L"6x", L"3x", L"1x"})
        SendMessageW(c_.cmbSpeed, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(speed));
    SendMessageW(c_.cmbSpeed, CB_SETCURSEL, 0, 0);
    COMBOBOXINFO cbi{sizeof(cbi)};
    if (GetComboBoxInfo(c_.cmbSpeed, &cbi))
        cmbSpeedEdit_ = cbi.hwndItem;
    Subclass(c_.cmbSpeed);
    Subclass(cmbSpeedEdit_);
    c_.UpDown1 = make(UPDOWN_CLASSW, L"", 0, 201, 497, 17, 21);
    SendMessageW(c_.UpDown1, UDM_SETRANGE32, 0, 100);
    SendMessageW(c_.UpDown1, UDM_SETPOS32, 0, 50);
    c_.btnPlay = make(WC_BUTTONW, L"4", BS_OWNERDRAW | WS_TABSTOP, 10, 524, 38, 30, webdings15_);
    c_.btnStop = make(WC_BUTTONW, L"<", BS_OWNERDRAW | WS_TABSTOP, 52, 524, 38, 30, webdings14_);
    Subclass(c_.btnPlay);
    Subclass(c_.btnStop);
    c_.Label9 = label(L"Полоса прокрутки трека", 96, 522, 124);
    c_.TrackBar = make(TRACKBAR_CLASSW, L"", TBS_HORZ | TBS_NOTICKS | WS_TABSTOP, 94, 538, 128, 22);
    SendMessageW(c_.TrackBar, TBM_SETRANGEMIN, FALSE, 0);
    SendMessageW(c_.TrackBar, TBM_SETRANGEMAX, TRUE, 10);
    trackBarPosition_ = 0;
    Subclass(c_.TrackBar);

    c_.ToolBar1 = make(TOOLBARCLASSNAMEW, L"",
                    TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER |
                        WS_CLIPSIBLINGS,
                    10, 566, 210, 30);
    SendMessageW(c_.ToolBar1, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    int imageSize = 16, imageHeight = 16;
    if (c_.ImageList1) {
        ImageList_GetIconSize(c_.ImageList1, &imageSize, &imageHeight);
        SendMessageW(c_.ToolBar1, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(c_.ImageList1));
    }
    SendMessageW(c_.ToolBar1, TB_SETBITMAPSIZE, 0, MAKELPARAM(imageSize, imageHeight));
    const BYTE check = BTNS_CHECK, down = TBSTATE_ENABLED | TBSTATE_CHECKED;
    TBBUTTON buttons[] = {
        {28, TMapTool::Track, down, check, {}, 0, -1},
        {9, TMapTool::Checkpoints, down, check, {}, 0, -1},
        {10, TMapTool::InfoPoints, down, check, {}, 0, -1},
        {kSpeedButtonWidth, 0, 0, BTNS_SEP, {}, 0, -1},  // room for SpeedButton1
        {29, TMapTool::SkipStops, down, check, {}, 0, -1},
        {30, TMapTool::Settings, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, -1},
        {31, TMapTool::Report, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, -1},
    };
    SendMessageW(c_.ToolBar1, TB_ADDBUTTONSW, sizeof(buttons) / sizeof(buttons[0]), reinterpret_cast<LPARAM>(buttons));
    // Placed over the separator by LayOut.
    c_.SpeedButton1 = make(WC_BUTTONW, L"6", BS_OWNERDRAW | WS_CLIPSIBLINGS, 0, 0, 0, 0, webdings9_);

    // 5. The info pane.
    c_.GroupBox5 = group(L"Информационная панель", 604, 84);
    c_.Label10 = label(L"Дата:", 10, 622, 66);
    c_.lblDate = label(L"0", 80, 622, 140);
    c_.Label11 = label(L"Скорость:", 10, 642, 66);
    c_.lblSpeed = label(L"0 км/ч", 80, 642, 140);
    c_.Label7 = label(L"Пробег:", 10, 662, 66);
    c_.lblDistance = label(L"0 м", 80, 662, 140);

    // Wider than designed (a dock decides the width), the panel fills it:
    // frames, lists and fields grow, the fields' right-hand neighbours move.
    for (HWND grow : {c_.Label1, c_.GroupBox3, c_.cmbGroupName, c_.cmbCarName, c_.cmbCarNum, c_.cmbCarDevice, c_.lblTripNum, c_.DateBegin,
                      c_.DateEnd, c_.GroupBox2, c_.cmbInfoPoints, c_.ListView1, c_.GroupBox4, c_.Label9, c_.TrackBar, c_.GroupBox5, c_.lblDate,
                      c_.lblSpeed, c_.lblDistance})
        anchors_.push_back({grow, {}, true});
    for (HWND move : {c_.TimeBegin, c_.TimeEnd, c_.cmbSpeed, c_.UpDown1})
        anchors_.push_back({move, {}, false});
    for (TAnchor &a : anchors_)
        for (const TPlaced &p : placed_)
            if (p.control == a.control)
                a.design = p.design;

    // A group box only frames its controls, yet it was created before them
    // and so lies above them: a sibling that clips (the tool bar) would be
    // hidden under it, and a themed box that repaints fills the parent's
    // background over them. Below all of them and clipped by them, it draws
    // its frame and caption only.
    for (HWND box : {c_.GroupBox3, c_.GroupBox2, c_.GroupBox4, c_.GroupBox5}) {
        SetWindowLongW(box, GWL_STYLE, GetWindowLongW(box, GWL_STYLE) | WS_CLIPSIBLINGS);
        SetWindowPos(box, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

    CreateMenu();
    LayOut();
}

void TKXActiveXForm::MakeFonts()
{
    const struct {
        HFONT TKXActiveXForm::*font;
        const wchar_t *face;
        int points, weight;
        BYTE charset;
    } fonts[] = {
        {&TKXActiveXForm::boldTahoma9_, L"Tahoma", 9, FW_BOLD, DEFAULT_CHARSET},
        {&TKXActiveXForm::tahoma8_, L"Tahoma", 8, FW_NORMAL, DEFAULT_CHARSET},
        {&TKXActiveXForm::webdings15_, L"Webdings", 15, FW_NORMAL, SYMBOL_CHARSET},
        {&TKXActiveXForm::webdings14_, L"Webdings", 14, FW_NORMAL, SYMBOL_CHARSET},
        {&TKXActiveXForm::webdings9_, L"Webdings", 9, FW_NORMAL, SYMBOL_CHARSET},
    };
    for (const auto &f : fonts) {
        HFONT old = this->*f.font;
        this->*f.font = MakeFont(scale_, f.face, f.points, f.weight, f.charset);
        for (const TPlaced &p : placed_)
            if (p.font == f.font)
                SendMessageW(p.control, WM_SETFONT, reinterpret_cast<WPARAM>(this->*f.font), FALSE);
        if (old)
            DeleteObject(old);
    }
    ApplyFont();
}

void TKXActiveXForm::ApplyScale()
{
    const kx::TDisplayScale next(WindowDpi(hwnd_), Props.PixelsPerInch, Props.Scaled);
    if (next == scale_)
        return;
    scale_ = next;
    MakeFonts();
    LoadImageLists();
    LayOut();
}

void TKXActiveXForm::LayOut()
{
    const kx::TDisplayScale &s = scale_;
    // Laid out unscrolled; the scroll bars start again at the top.
    scroll_ = {0, 0};
    for (const TPlaced &p : placed_) {
        const RECT &d = p.design;
        // Edges, not sizes, are scaled: neighbours keep their order and gaps.
        SetWindowPos(p.control, nullptr, s(d.left), s(d.top), s(d.right) - s(d.left), s(d.bottom) - s(d.top),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (int i = 0; i < 4; ++i)
        SendMessageW(c_.ListView1, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(s(kTripColumns[i].width), 0));
    // The up-down takes its place beside its buddy's new frame.
    SendMessageW(c_.UpDown2, UDM_SETBUDDY, reinterpret_cast<WPARAM>(c_.txtCont), 0);

    TBBUTTONINFOW separator{sizeof(separator)};
    separator.dwMask = TBIF_BYINDEX | TBIF_SIZE;
    separator.cx = static_cast<WORD>(s(kSpeedButtonWidth));
    SendMessageW(c_.ToolBar1, TB_SETBUTTONINFOW, kSpeedButtonGap, reinterpret_cast<LPARAM>(&separator));
    RECT gap{};
    SendMessageW(c_.ToolBar1, TB_GETITEMRECT, kSpeedButtonGap, reinterpret_cast<LPARAM>(&gap));
    MapWindowPoints(c_.ToolBar1, hwnd_, reinterpret_cast<POINT *>(&gap), 2);
    SetWindowPos(c_.SpeedButton1, HWND_TOP, gap.left, gap.top + s(2), gap.right - gap.left,
                 std::max<int>(s(kSpeedButtonMinHeight), gap.bottom - gap.top - s(4)), SWP_NOACTIVATE);

    anchoredExtra_ = -1;
    AnchorControls();
    UpdateScrollBars();
}

void TKXActiveXForm::LoadImageLists()
{
    HIMAGELIST oldTools = std::exchange(c_.ImageList1, LoadPictureStrip(ModuleInstance(), L"ImageList1", 16, scale_));
    HIMAGELIST oldMenu = std::exchange(c_.ImageList2, LoadPictureStrip(ModuleInstance(), L"ImageList2", 16, scale_));
    HBITMAP oldLogo = std::exchange(c_.Image1, LoadPicture(ModuleInstance(), L"KXLogo", 40, scale_));
    if (oldLogo)
        DeleteObject(oldLogo);
    if (c_.Label1)
        InvalidateRect(c_.Label1, nullptr, TRUE);
    if (c_.ToolBar1) {
        int cx = 16, cy = 16;
        if (c_.ImageList1)
            ImageList_GetIconSize(c_.ImageList1, &cx, &cy);
        SendMessageW(c_.ToolBar1, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(c_.ImageList1));
        SendMessageW(c_.ToolBar1, TB_SETBITMAPSIZE, 0, MAKELPARAM(cx, cy));
        // The system's padding around the picture, as at 16.
        SendMessageW(c_.ToolBar1, TB_SETBUTTONSIZE, 0, MAKELPARAM(cx + 7, cy + 6));
    }
    for (HIMAGELIST old : {oldTools, oldMenu})
        if (old)
            ImageList_Destroy(old);
}

void TKXActiveXForm::CreateMenu()
{
    c_.PopupMenu1 = CreatePopupMenu();
    const wchar_t *captions[] = {L"Остановки", L"Сигнал",   L"Питание",  L"Скорость", L"Бак 1",    L"Бак 2",
                                 L"Датчик 1",  L"Датчик 2", L"Датчик 3", L"Датчик 4", L"Датчик 5", L"Датчик 6"};
    UINT position = 0;
    for (int k = 2; k <= 13; ++k) {
        TMenuItem item;
        item.Name = L"mnu" + std::to_wstring(k);
        item.Caption = captions[k - 2];
        item.Command = kFirstMenuCommand + k;
        item.Checked = true;
        item.ImageIndex = k - 2;
        menuItems_.push_back(item);

        MENUITEMINFOW mii{sizeof(mii)};
        mii.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_BITMAP;
        mii.wID = item.Command;
        mii.fState = MFS_CHECKED;
        mii.dwTypeData = const_cast<LPWSTR>(captions[k - 2]);
        mii.hbmpItem = HBMMENU_CALLBACK;  // the image is drawn from ImageList2
        InsertMenuItemW(c_.PopupMenu1, position++, TRUE, &mii);
        if (k == 5 || k == 7) {
            MENUITEMINFOW sep{sizeof(sep)};
            sep.fMask = MIIM_FTYPE;
            sep.fType = MFT_SEPARATOR;
            InsertMenuItemW(c_.PopupMenu1, position++, TRUE, &sep);
        }
    }
}

TMenuItem *TKXActiveXForm::FindMenuItem(const std::wstring &name)
{
    for (TMenuItem &item : menuItems_)
        if (item.Name == name)
            return &item;
    return nullptr;
}

void TKXActiveXForm::SetMenuItemChecked(TMenuItem &item, bool checked)
{
    item.Checked = checked;
    CheckMenuItem(c_.PopupMenu1, item.Command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void TKXActiveXForm::SetMenuItemImage(TMenuItem &item, int imageIndex)
{
    item.ImageIndex = imageIndex;  // drawn from the list at the next popup
}

void TKXActiveXForm::PopupMenu1Popup(POINT screen)
{
    auto command = static_cast<UINT>(RunModal(L"PopupMenu1", [&]() -> INT_PTR {
        return TrackPopupMenu(c_.PopupMenu1, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY, screen.x,
                              screen.y, 0, hwnd_, nullptr);
    }));
    for (TMenuItem &item : menuItems_)
        if (item.Command == command) {
            mnuClick(item);
            break;
        }
}

bool TKXActiveXForm::ToolButtonDown(UINT button) const
{
    return selection::ToolButtonDown(c_.ToolBar1, button);
}

void TKXActiveXForm::SetToolButtonDown(UINT button, bool down)
{
    selection::SetToolButtonDown(c_.ToolBar1, button, down);
}

std::wstring TKXActiveXForm::ToolButtonHint(UINT button) const
{
    for (const TToolHint &h : kToolHints)
        if (h.button == button)
            return h.hint;
    return L"";
}

int TKXActiveXForm::ToolButtonImage(UINT button) const
{
    TBBUTTONINFOW info{sizeof(info)};
    info.dwMask = TBIF_IMAGE;
    if (SendMessageW(c_.ToolBar1, TB_GETBUTTONINFOW, button, reinterpret_cast<LPARAM>(&info)) < 0)
        return -1;
    return info.iImage;
}

void TKXActiveXForm::SetTrackBarRange(int minimum, int maximum)
{
    SendMessageW(c_.TrackBar, TBM_SETRANGEMIN, FALSE, minimum);
    SendMessageW(c_.TrackBar, TBM_SETRANGEMAX, TRUE, maximum);
    // The control clamps its position into the new range on its own; that is
    // no move of the user's, so no change event.
    trackBarPosition_ = static_cast<int>(SendMessageW(c_.TrackBar, TBM_GETPOS, 0, 0));
}

void TKXActiveXForm::SetTrackBarPosition(int position)
{
    int lo = static_cast<int>(SendMessageW(c_.TrackBar, TBM_GETRANGEMIN, 0, 0));
    int hi = static_cast<int>(SendMessageW(c_.TrackBar, TBM_GETRANGEMAX, 0, 0));
    position = std::max(lo, std::min(position, hi));
    SendMessageW(c_.TrackBar, TBM_SETPOS, TRUE, position);
    if (position != trackBarPosition_) {
        trackBarPosition_ = position;
        TrackBarChange();
    }
}

// ---- notifications ----------------------------------------------------------

LRESULT TKXActiveXForm::HandleCommand(WORD id, WORD code, HWND sender)
{
    if (sender == c_.ToolBar1) {
        switch (id) {
        case TMapTool::Track: HandleAction([this] { ToolButton4Click(); }, TLinkUse::None); break;
        case TMapTool::Checkpoints: HandleAction([this] { ToolButton1Click(); }, TLinkUse::Ask); break;
        case TMapTool::InfoPoints: HandleAction([this] { ToolButton2Click(); }, TLinkUse::Ask); break;
        case TMapTool::Settings: HandleAction([this] { btnSettingsClick(); }, TLinkUse::None); break;
        case TMapTool::Report: HandleAction([this] { btnReportClick(); }, TLinkUse::None); break;
        default: break;  // TMapTool::SkipStops (ToolButton3) has no handler: its state is read
        }
        return 0;
    }
    if (!sender) {  // a menu command that was not returned to PopupMenu1Popup
        for (TMenuItem &item : menuItems_)
            if (item.Command == id)
                HandleAction([this, &item] { mnuClick(item); }, TLinkUse::Ask);
        return 0;
    }
    switch (code) {
    case CBN_SELCHANGE:
        if (sender == c_.cmbGroupName)
            HandleAction([this] { cmbGroupNameChange(); }, TLinkUse::Reselect);
        else if (sender == c_.cmbCarName || sender == c_.cmbCarNum || sender == c_.cmbCarDevice)
            HandleAction([this, sender] { cmbChange(sender); }, TLinkUse::Reselect);
        else if (sender == c_.cmbInfoPoints)
            HandleAction([this] { cmbInfoPointsChange(); }, TLinkUse::Ask);
        else if (sender == c_.cmbSpeed) {
            // The edit still shows the old text while the list notifies.
            LRESULT index = SendMessageW(c_.cmbSpeed, CB_GETCURSEL, 0, 0);
            LRESULT length = index >= 0 ? SendMessageW(c_.cmbSpeed, CB_GETLBTEXTLEN, index, 0) : CB_ERR;
            if (length != CB_ERR) {
                std::wstring text(length + 1, L'\0');
                SendMessageW(c_.cmbSpeed, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
                SetWindowTextW(c_.cmbSpeed, text.c_str());
            }
            Handle([&] { SpeedTrackBarChange(); });
        }
        break;
    case CBN_DROPDOWN:
        // Opening a list of the dispatcher's is the way back to it, and the
        // only one after a start-up without it (the group list is empty).
        if ((sender == c_.cmbGroupName || sender == c_.cmbCarName || sender == c_.cmbCarNum ||
             sender == c_.cmbCarDevice) &&
            LinkDown())
            HandleAction([] {}, TLinkUse::Ask);
        break;
    case CBN_EDITCHANGE:
        if (sender == c_.cmbSpeed)
            Handle([&] { SpeedTrackBarChange(); });
        break;
    case EN_CHANGE:
        if (sender == c_.txtCont)
            HandleAction([this] { txtContChange(); }, TLinkUse::None);
        break;
    case BN_CLICKED:
        if (sender == c_.btnPlay)
            Handle([&] { btnPlayClick(); });
        else if (sender == c_.btnStop)
            Handle([&] { btnStopClick(); });
        else if (sender == c_.SpeedButton1)
            HandleAction([this] { SpeedButton1Click(); }, TLinkUse::None);
        break;
    default:
        break;
    }
    return 0;
}

LRESULT TKXActiveXForm::HandleNotify(NMHDR *hdr)
{
    if (!hdr)
        return 0;
    switch (hdr->code) {
    case DTN_DATETIMECHANGE:
        if (hdr->hwndFrom == c_.DateBegin || hdr->hwndFrom == c_.TimeBegin || hdr->hwndFrom == c_.DateEnd ||
            hdr->hwndFrom == c_.TimeEnd)
            HandleAction([this, picker = hdr->hwndFrom] { DateTimeChange(picker); }, TLinkUse::Reselect);
        return 0;
    case NM_CLICK:
        if (hdr->hwndFrom == c_.ListView1)
            HandleAction([this] { TripsListBoxClick(); }, TLinkUse::Ask);
        return 0;
    case UDN_DELTAPOS:
        if (hdr->hwndFrom == c_.UpDown1) {
            auto ud = reinterpret_cast<NMUPDOWN *>(hdr);
            bool allow = true;
            TUpDownDirection direction = ud->iDelta > 0   ? TUpDownDirection::Up
                                         : ud->iDelta < 0 ? TUpDownDirection::Down
                                                          : TUpDownDirection::None;
            Handle([&] { UpDown1ChangingEx(allow, ud->iPos + ud->iDelta, direction); });
            return allow ? 0 : 1;
        }
        return 0;
    case TTN_GETDISPINFOW: {
        auto info = reinterpret_cast<NMTTDISPINFOW *>(hdr);
        for (const TToolHint &h : kToolHints)
            if (h.button == hdr->idFrom) {
                info->lpszText = const_cast<LPWSTR>(h.hint);
                info->hinst = nullptr;
            }
        return 0;
    }
    default:
        return 0;
    }
}

// ---- drawing ----------------------------------------------------------------

void TKXActiveXForm::HandleDrawItem(DRAWITEMSTRUCT *di)
{
    if (di->CtlType == ODT_MENU) {
        for (const TMenuItem &item : menuItems_)
            if (item.Command == di->itemID && c_.ImageList2 && item.ImageIndex >= 0) {
                int cx = 16, cy = 16;
                ImageList_GetIconSize(c_.ImageList2, &cx, &cy);
                int y = di->rcItem.top + (di->rcItem.bottom - di->rcItem.top - cy) / 2;
                ImageList_Draw(c_.ImageList2, item.ImageIndex, di->hDC, di->rcItem.left, y, ILD_TRANSPARENT);
            }
        return;
    }
    if (di->hwndItem == c_.Label1)
        DrawBanner(di->hDC, di->rcItem);
    else if (di->CtlType == ODT_BUTTON)
        DrawSymbolButton(di->hwndItem, di->hDC, di->rcItem, di->itemState);
}

void TKXActiveXForm::DrawBanner(HDC dc, const RECT &rc)
{
    HBRUSH brush = CreateSolidBrush(kBannerColor);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    if (!c_.Image1)
        return;
    BITMAP bm{};
    GetObjectW(c_.Image1, sizeof(bm), &bm);
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, c_.Image1);
    int x = rc.left + (rc.right - rc.left - bm.bmWidth) / 2;
    int y = rc.top + (rc.bottom - rc.top - bm.bmHeight) / 2;
    BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
}

void TKXActiveXForm::DrawSymbolButton(HWND button, HDC dc, RECT rc, UINT state)
{
    bool pushed = (state & ODS_SELECTED) != 0;
    bool flat = button == c_.SpeedButton1;
    if (flat) {
        FillRect(dc, &rc, brush_);
        if (pushed)
            DrawEdge(dc, &rc, BDR_SUNKENOUTER, BF_RECT);
    } else {
        DrawFrameControl(dc, &rc, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    }
    std::wstring caption = Text(button);
    if (!caption.empty()) {
        RECT face = rc;
        if (pushed)
            OffsetRect(&face, 1, 1);
        auto font = reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0));
        HGDIOBJ old = SelectObject(dc, font);
        COLORREF color = GetSysColor((state & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
        if (SymbolFontHasGlyph(dc, caption[0])) {
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, color);
            DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &face,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        } else {
            DrawSymbol(dc, face, caption[0], color);
        }
        SelectObject(dc, old);
    }
    if ((state & ODS_FOCUS) && !flat) {
        RECT focus = rc;
        InflateRect(&focus, -4, -4);
        DrawFocusRect(dc, &focus);
    }
}

// Paints one control with its own children into `target`, where the
// control's window rectangle starts at its offset from the form. Each
// window paints at the origin of a bitmap of its own that starts as what
// lies beneath it, and is then copied to its place: controls that clip to
// their client rectangle in device units draw nothing through a shifted
// viewport, and the default printing of a window draws neither its frame
// nor its children everywhere.
void TKXActiveXForm::PrintControl(HWND control, HDC target, HDC screen)
{
    RECT rc, parent;
    GetWindowRect(control, &rc);
    GetWindowRect(GetParent(control) == hwnd_ ? hwnd_ : GetParent(control), &parent);
    POINT origin{0, 0};
    if (GetParent(control) == hwnd_) {
        ClientToScreen(hwnd_, &origin);
        parent.left = origin.x;
        parent.top = origin.y;
    }
    const int x = rc.left - parent.left, y = rc.top - parent.top;
    const RECT whole{0, 0, rc.right - rc.left, rc.bottom - rc.top};
    if (whole.right <= 0 || whole.bottom <= 0)
        return;

    HDC piece = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, whole.right, whole.bottom);
    HGDIOBJ oldBitmap = SelectObject(piece, bitmap);
    BitBlt(piece, 0, 0, whole.right, whole.bottom, target, x, y, SRCCOPY);
    // Controls may leave a clip region or objects selected behind them.
    int saved = SaveDC(piece);
    if (control == c_.Label1) {
        DrawBanner(piece, whole);
    } else if (control == c_.btnPlay || control == c_.btnStop || control == c_.SpeedButton1) {
        SelectObject(piece, GetStockObject(DEFAULT_GUI_FONT));
        DrawSymbolButton(control, piece, whole, 0);
    } else {
        // The frame, as the system draws it around the client area.
        const LONG exStyle = GetWindowLongW(control, GWL_EXSTYLE);
        RECT edge = whole;
        if (exStyle & WS_EX_CLIENTEDGE)
            DrawEdge(piece, &edge, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        else if (exStyle & WS_EX_STATICEDGE)
            DrawEdge(piece, &edge, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        if (GetWindowLongW(control, GWL_STYLE) & WS_BORDER)
            FrameRect(piece, &edge, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        RestoreDC(piece, saved);
        saved = SaveDC(piece);
        // The client area in a bitmap of its own, for the same reason.
        POINT client{0, 0};
        ClientToScreen(control, &client);
        RECT area;
        GetClientRect(control, &area);
        if (area.right > 0 && area.bottom > 0) {
            HDC inner = CreateCompatibleDC(screen);
            HBITMAP innerBitmap = CreateCompatibleBitmap(screen, area.right, area.bottom);
            HGDIOBJ oldInner = SelectObject(inner, innerBitmap);
            const int cx = client.x - rc.left, cy = client.y - rc.top;
            BitBlt(inner, 0, 0, area.right, area.bottom, piece, cx, cy, SRCCOPY);
            const int innerSaved = SaveDC(inner);
            SendMessageW(control, WM_ERASEBKGND, reinterpret_cast<WPARAM>(inner), 0);
            RestoreDC(inner, innerSaved);
            SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(inner), PRF_CLIENT);
            BitBlt(piece, cx, cy, area.right, area.bottom, inner, 0, 0, SRCCOPY);
            SelectObject(inner, oldInner);
            DeleteObject(innerBitmap);
            DeleteDC(inner);
        }
    }
    RestoreDC(piece, saved);
    // Its own children over it, bottom to top.
    if (HWND first = GetWindow(control, GW_CHILD))
        for (HWND child = GetWindow(first, GW_HWNDLAST); child; child = GetWindow(child, GW_HWNDPREV))
            if (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)
                PrintControl(child, piece, screen);
    BitBlt(target, x, y, whole.right, whole.bottom, piece, 0, 0, SRCCOPY);
    SelectObject(piece, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(piece);
}

void TKXActiveXForm::PaintTo(HDC dc, const RECT &bounds)
{
    RECT client;
    GetClientRect(hwnd_, &client);
    int w = std::max(1L, client.right), h = std::max(1L, client.bottom);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    FillRect(mem, &client, brush_);

    // Group boxes first (they surround other controls), then the rest bottom to top.
    std::vector<HWND> order;
    for (HWND child = GetWindow(hwnd_, GW_CHILD) ? GetWindow(GetWindow(hwnd_, GW_CHILD), GW_HWNDLAST) : nullptr;
         child; child = GetWindow(child, GW_HWNDPREV))
        if (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)
            order.push_back(child);
    std::stable_partition(order.begin(), order.end(), [&](HWND child) {
        return child == c_.GroupBox2 || child == c_.GroupBox3 || child == c_.GroupBox4 || child == c_.GroupBox5;
    });
    for (HWND child : order)
        PrintControl(child, mem, screen);
    ReleaseDC(nullptr, screen);

    int oldMode = SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, mem, 0, 0, w, h,
               SRCCOPY);
    SetStretchBltMode(dc, oldMode);
    SelectObject(mem, oldBmp);
    DeleteObject(bmp);
    DeleteDC(mem);
}
