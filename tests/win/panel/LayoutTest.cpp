// The form's layout: controls, captions, fonts, defaults, tool bar, menu.
#include "TestSupport.h"

#include <commctrl.h>

namespace {

class LayoutTest : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        control = MakeControl(&form);
    }
    static LOGFONTW FontOf(HWND w)
    {
        LOGFONTW lf{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
        return lf;
    }
    TKXActiveXForm *form = nullptr;
    ComPtr<IUnknown> control;
};

TEST_F(LayoutTest, FormSizeGroupsAndLabels)
{
    RECT rc;
    GetWindowRect(form->Handle(), &rc);
    EXPECT_EQ(230, rc.right - rc.left);
    EXPECT_EQ(690, rc.bottom - rc.top);

    const std::pair<HWND, const wchar_t *> captions[] = {
        {form->Controls().GroupBox3, L"Выбор периода и ТС"}, {form->Controls().GroupBox2, L"Информационные точки"},
        {form->Controls().GroupBox4, L"Управление плеером треков"}, {form->Controls().GroupBox5, L"Информационная панель"},
        {form->Controls().Label2, L"Группа:"}, {form->Controls().Label4, L"Название:"}, {form->Controls().Label5, L"Номер ТС:"},
        {form->Controls().Label6, L"№ прибора:"}, {form->Controls().Label13, L"№ рейса:"}, {form->Controls().lblTripNum, L"N/A"},
        {form->Controls().Label12, L"с"}, {form->Controls().Label14, L"по"}, {form->Controls().Label15, L"Продолжительность от, с:"},
        {form->Controls().txtCont, L"6"}, {form->Controls().Label8, L"Скорость воспроизведения:"}, {form->Controls().cmbSpeed, L"600x"},
        {form->Controls().btnPlay, L"4"}, {form->Controls().btnStop, L"<"}, {form->Controls().SpeedButton1, L"6"},
        {form->Controls().Label9, L"Полоса прокрутки трека"}, {form->Controls().Label10, L"Дата:"}, {form->Controls().lblDate, L"0"},
        {form->Controls().Label11, L"Скорость:"}, {form->Controls().lblSpeed, L"0 км/ч"}, {form->Controls().Label7, L"Пробег:"},
        {form->Controls().lblDistance, L"0 м"}};
    for (const auto &[w, text] : captions) {
        ASSERT_NE(nullptr, w) << text;
        EXPECT_EQ(std::wstring(text), TKXActiveXForm::Text(w));
    }
    // Top to bottom: banner, then the four groups in order.
    RECT a, b;
    HWND order[] = {form->Controls().Label1, form->Controls().GroupBox3, form->Controls().GroupBox2, form->Controls().GroupBox4, form->Controls().GroupBox5};
    for (int i = 0; i + 1 < 5; ++i) {
        GetWindowRect(order[i], &a);
        GetWindowRect(order[i + 1], &b);
        EXPECT_LE(a.bottom, b.top) << i;
    }
    GetWindowRect(form->Controls().GroupBox5, &b);
    EXPECT_LE(b.bottom, rc.bottom);
}

TEST_F(LayoutTest, Fonts)
{
    LOGFONTW lf = FontOf(form->Controls().Label15);
    EXPECT_STREQ(L"Arial", lf.lfFaceName);
    EXPECT_EQ(-11, lf.lfHeight);
    for (HWND bold : {form->Controls().Label2, form->Controls().Label4, form->Controls().Label5, form->Controls().Label6, form->Controls().Label13, form->Controls().lblTripNum}) {
        lf = FontOf(bold);
        EXPECT_STREQ(L"Tahoma", lf.lfFaceName);
        EXPECT_EQ(-12, lf.lfHeight);
        EXPECT_EQ(FW_BOLD, lf.lfWeight);
    }
    for (HWND list : {form->Controls().cmbGroupName, form->Controls().cmbCarName, form->Controls().cmbCarNum, form->Controls().cmbCarDevice}) {
        lf = FontOf(list);
        EXPECT_STREQ(L"Tahoma", lf.lfFaceName);
        EXPECT_EQ(-11, lf.lfHeight);
    }
    const std::pair<HWND, int> symbols[] = {{form->Controls().btnPlay, 15}, {form->Controls().btnStop, 14}, {form->Controls().SpeedButton1, 9}};
    for (const auto &[w, points] : symbols) {
        lf = FontOf(w);
        EXPECT_STREQ(L"Webdings", lf.lfFaceName);
        EXPECT_EQ(-MulDiv(points, 96, 72), lf.lfHeight);
        EXPECT_TRUE(GetWindowLongW(w, GWL_STYLE) & BS_OWNERDRAW);
    }
}

TEST_F(LayoutTest, SelectionAndListControls)
{
    for (HWND combo : {form->Controls().cmbGroupName, form->Controls().cmbCarName, form->Controls().cmbCarNum, form->Controls().cmbCarDevice, form->Controls().cmbInfoPoints})
        EXPECT_EQ(CBS_DROPDOWNLIST, GetWindowLongW(combo, GWL_STYLE) & 3);
    for (HWND picker : {form->Controls().DateBegin, form->Controls().TimeBegin, form->Controls().DateEnd, form->Controls().TimeEnd}) {
        SYSTEMTIME st{};
        ASSERT_EQ(GDT_VALID, SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)));
        EXPECT_EQ(2009, st.wYear);
        EXPECT_EQ(2, st.wMonth);
        EXPECT_EQ(6, st.wDay);
        EXPECT_EQ(0, st.wHour);
        EXPECT_EQ(0, st.wMinute);
    }
    EXPECT_TRUE(GetWindowLongW(form->Controls().TimeBegin, GWL_STYLE) & DTS_TIMEFORMAT);
    EXPECT_TRUE(GetWindowLongW(form->Controls().TimeEnd, GWL_STYLE) & DTS_TIMEFORMAT);

    DWORD style = GetWindowLongW(form->Controls().ListView1, GWL_STYLE);
    EXPECT_EQ(DWORD(LVS_REPORT), style & LVS_TYPEMASK);
    EXPECT_TRUE(style & LVS_SINGLESEL);
    EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
    EXPECT_TRUE(style & LVS_NOSORTHEADER);
    EXPECT_FALSE(style & LVS_EDITLABELS);
    EXPECT_TRUE(ListView_GetExtendedListViewStyle(form->Controls().ListView1) & LVS_EX_FULLROWSELECT);
    const std::pair<const wchar_t *, int> columns[] = {{L"ID", 25}, {L"Начало", 80}, {L"Конец", 80}, {L"Прод-ть", 75}};
    for (int i = 0; i < 4; ++i) {
        wchar_t text[32] = {};
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.pszText = text;
        col.cchTextMax = 32;
        ASSERT_TRUE(SendMessageW(form->Controls().ListView1, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&col)));
        EXPECT_STREQ(columns[i].first, text);
        EXPECT_EQ(columns[i].second, col.cx);
    }

    EXPECT_EQ(4u, SendMessageW(form->Controls().txtCont, EM_GETLIMITTEXT, 0, 0));
    EXPECT_EQ(reinterpret_cast<LRESULT>(form->Controls().txtCont), SendMessageW(form->Controls().UpDown2, UDM_GETBUDDY, 0, 0));
    int lo = -1, hi = -1;
    SendMessageW(form->Controls().UpDown2, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
    EXPECT_EQ(0, lo);
    EXPECT_EQ(9999, hi);
    EXPECT_EQ(6, SendMessageW(form->Controls().UpDown2, UDM_GETPOS32, 0, 0));
    // Stepping the up-down writes the buddy's text without thousands separators.
    SendMessageW(form->Controls().UpDown2, UDM_SETPOS32, 0, 1234);
    EXPECT_EQ(L"1234", TKXActiveXForm::Text(form->Controls().txtCont));
}

TEST_F(LayoutTest, PlayerControls)
{
    EXPECT_EQ(CBS_SIMPLE, GetWindowLongW(form->Controls().cmbSpeed, GWL_STYLE) & 3);
    const wchar_t *speeds[] = {L"600x", L"300x", L"100x", L"60x", L"30x", L"10x", L"6x", L"3x", L"1x"};
    ASSERT_EQ(9, SendMessageW(form->Controls().cmbSpeed, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < 9; ++i) {
        wchar_t text[16] = {};
        SendMessageW(form->Controls().cmbSpeed, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(speeds[i], text);
    }
    EXPECT_EQ(0, SendMessageW(form->Controls().cmbSpeed, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(50, SendMessageW(form->Controls().UpDown1, UDM_GETPOS32, 0, 0));
    int lo = -1, hi = -1;
    SendMessageW(form->Controls().UpDown1, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
    EXPECT_EQ(0, lo);
    EXPECT_EQ(100, hi);

    // Programmatic slider moves clamp into the range.
    SendMessageW(form->Controls().TrackBar, TBM_SETRANGEMAX, TRUE, 5400);
    form->SetTrackBarPosition(9000);
    EXPECT_EQ(5400, SendMessageW(form->Controls().TrackBar, TBM_GETPOS, 0, 0));
    form->SetTrackBarPosition(-3);
    EXPECT_EQ(0, SendMessageW(form->Controls().TrackBar, TBM_GETPOS, 0, 0));

    const struct {
        UINT button;
        int image;
        bool down;
        const wchar_t *hint;
    } buttons[] = {{TMapTool::Track, 28, true, L"Трэк"},
                   {TMapTool::Checkpoints, 9, true, L"Контрольные точки"},
                   {TMapTool::InfoPoints, 10, true, L"Информационные точки"},
                   {TMapTool::SkipStops, 29, true, L"Пропуск остановок"},
                   {TMapTool::Settings, 30, false, L"Настройки"},
                   {TMapTool::Report, 31, false, L"Отчёт по рейсу"}};
    for (const auto &b : buttons) {
        EXPECT_EQ(b.image, form->ToolButtonImage(b.button));
        EXPECT_EQ(b.down, form->ToolButtonDown(b.button));
        EXPECT_EQ(std::wstring(b.hint), form->ToolButtonHint(b.button));
        // The tool tip asks the form for the same text.
        NMTTDISPINFOW info{};
        info.hdr.hwndFrom = nullptr;
        info.hdr.idFrom = b.button;
        info.hdr.code = TTN_GETDISPINFOW;
        SendMessageW(form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        ASSERT_NE(nullptr, info.lpszText);
        EXPECT_STREQ(b.hint, info.lpszText);
    }
    form->SetToolButtonDown(TMapTool::SkipStops, false);
    EXPECT_FALSE(form->ToolButtonDown(TMapTool::SkipStops));
    // SpeedButton1 sits on the tool bar, between the info points button and the skip button.
    RECT speed, bar;
    GetWindowRect(form->Controls().SpeedButton1, &speed);
    GetWindowRect(form->Controls().ToolBar1, &bar);
    EXPECT_GE(speed.left, bar.left);
    EXPECT_LE(speed.right, bar.right);
}

TEST_F(LayoutTest, GroupBoxesLieBelowTheControlsTheyFrame)
{
    // A box above its controls hides the ones that clip their siblings (the tool bar).
    for (HWND box : {form->Controls().GroupBox3, form->Controls().GroupBox2, form->Controls().GroupBox4, form->Controls().GroupBox5}) {
        EXPECT_TRUE(GetWindowLongW(box, GWL_STYLE) & WS_CLIPSIBLINGS);
        for (HWND above = GetWindow(box, GW_HWNDNEXT); above; above = GetWindow(above, GW_HWNDNEXT)) {
            wchar_t cls[16] = {};
            GetClassNameW(above, cls, 16);
            EXPECT_EQ(0, _wcsicmp(cls, WC_BUTTONW)) << "only boxes below a box";
            EXPECT_EQ(BS_GROUPBOX, GetWindowLongW(above, GWL_STYLE) & BS_TYPEMASK);
        }
    }
    bool barAboveBox = false;
    for (HWND w = form->Controls().ToolBar1; w; w = GetWindow(w, GW_HWNDNEXT))
        barAboveBox = barAboveBox || w == form->Controls().GroupBox4;
    EXPECT_TRUE(barAboveBox);
}

TEST_F(LayoutTest, AWiderFormStretchesFramesAndFieldsToItsRightEdge)
{
    auto rectOf = [&](HWND w) {
        RECT r;
        GetWindowRect(w, &r);
        MapWindowPoints(HWND_DESKTOP, form->Handle(), reinterpret_cast<POINT *>(&r), 2);
        return r;
    };
    const RECT box = rectOf(form->Controls().GroupBox3), group = rectOf(form->Controls().cmbGroupName), time = rectOf(form->Controls().TimeBegin),
               list = rectOf(form->Controls().ListView1), bar = rectOf(form->Controls().ToolBar1);
    RECT dropped{};
    SendMessageW(form->Controls().cmbGroupName, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    const LONG droppedHeight = dropped.bottom - dropped.top;

    SetWindowPos(form->Handle(), nullptr, 0, 0, TKXActiveXForm::DesignWidth + 30, TKXActiveXForm::DesignHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT r = rectOf(form->Controls().GroupBox3);
    EXPECT_EQ(box.left, r.left);
    EXPECT_EQ(box.right + 30, r.right);
    r = rectOf(form->Controls().cmbGroupName);
    EXPECT_EQ(group.right + 30, r.right);
    SendMessageW(form->Controls().cmbGroupName, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    EXPECT_EQ(droppedHeight, dropped.bottom - dropped.top) << "the open list keeps its rows";
    r = rectOf(form->Controls().TimeBegin);
    EXPECT_EQ(time.left + 30, r.left);
    EXPECT_EQ(time.right - time.left, r.right - r.left);
    r = rectOf(form->Controls().ListView1);
    EXPECT_EQ(list.right + 30, r.right);
    r = rectOf(form->Controls().ToolBar1);
    EXPECT_TRUE(EqualRect(&bar, &r));

    // Back to the designed width, back to the designed places.
    SetWindowPos(form->Handle(), nullptr, 0, 0, TKXActiveXForm::DesignWidth, TKXActiveXForm::DesignHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    r = rectOf(form->Controls().GroupBox3);
    EXPECT_TRUE(EqualRect(&box, &r));
    r = rectOf(form->Controls().TimeBegin);
    EXPECT_TRUE(EqualRect(&time, &r));
}

TEST_F(LayoutTest, CategoryMenuAndTimers)
{
    HMENU menu = form->Controls().PopupMenu1;
    ASSERT_EQ(14, GetMenuItemCount(menu));
    const wchar_t *captions[] = {L"Остановки", L"Сигнал",   L"Питание",  L"Скорость", L"Бак 1",    L"Бак 2",
                                 L"Датчик 1",  L"Датчик 2", L"Датчик 3", L"Датчик 4", L"Датчик 5", L"Датчик 6"};
    int item = 0;
    for (int pos = 0; pos < 14; ++pos) {
        MENUITEMINFOW mii{sizeof(mii)};
        wchar_t text[32] = {};
        mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
        mii.dwTypeData = text;
        mii.cch = 32;
        ASSERT_TRUE(GetMenuItemInfoW(menu, pos, TRUE, &mii));
        if (pos == 4 || pos == 7) {
            EXPECT_TRUE(mii.fType & MFT_SEPARATOR) << pos;
            continue;
        }
        EXPECT_STREQ(captions[item], text);
        EXPECT_TRUE(mii.fState & MFS_CHECKED);
        const TMenuItem &m = form->MenuItems()[item];
        EXPECT_EQ(L"mnu" + std::to_wstring(item + 2), m.Name);
        EXPECT_EQ(item, m.ImageIndex);
        ++item;
    }
    ASSERT_NE(nullptr, form->FindMenuItem(L"mnu13"));
    EXPECT_EQ(nullptr, form->FindMenuItem(L"MNU13"));
    TMenuItem &mnu5 = *form->FindMenuItem(L"mnu5");
    form->SetMenuItemChecked(mnu5, false);
    EXPECT_FALSE(GetMenuState(menu, mnu5.Command, MF_BYCOMMAND) & MF_CHECKED);

    // The menu pops up through the modal seam: a test never blocks on it.
    form->PopupMenu1Popup({100, 100});
    EXPECT_EQ(std::vector<std::wstring>{L"PopupMenu1"}, modals);
}

TEST_F(LayoutTest, TabMovesThroughTheControlsInOrder)
{
    // Focus needs a shown window: borrow a top-level one.
    HWND top = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 800, nullptr, nullptr,
                               nullptr, nullptr);
    SetParent(form->Handle(), top);
    SetFocus(form->Controls().cmbGroupName);
    HWND before = GetFocus();
    ASSERT_TRUE(form->TabToNext(false));
    EXPECT_EQ(form->Controls().cmbCarName, GetFocus());
    ASSERT_TRUE(form->TabToNext(true));
    EXPECT_EQ(before, GetFocus());
    // Backwards from the first tab stop would leave the form.
    SetFocus(GetNextDlgTabItem(form->Handle(), nullptr, FALSE));
    EXPECT_FALSE(form->TabToNext(true));
    SetParent(form->Handle(), PanelParkingWindow());
    DestroyWindow(top);
}

}  // namespace

TEST_F(LayoutTest, TheLayoutScalesFromItsDesignNumbers)
{
    // At the tests' 96 pixels per inch, a form designed at 64 is shown half
    // as large again: the same way a 144-DPI screen shows one designed at 96.
    auto places = [&] {
        std::vector<RECT> all;
        for (HWND w = GetWindow(form->Handle(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
            RECT r;
            GetWindowRect(w, &r);
            MapWindowPoints(HWND_DESKTOP, form->Handle(), reinterpret_cast<POINT *>(&r), 2);
            all.push_back(r);
        }
        return all;
    };
    auto rectOf = [&](HWND w) {
        RECT r;
        GetWindowRect(w, &r);
        MapWindowPoints(HWND_DESKTOP, form->Handle(), reinterpret_cast<POINT *>(&r), 2);
        return r;
    };
    const std::vector<RECT> design = places();
    ASSERT_GT(design.size(), 40u);

    form->SetPixelsPerInch(64);
    EXPECT_EQ(345, form->ScaledSize().cx);
    EXPECT_EQ(1035, form->ScaledSize().cy);
    RECT r = rectOf(form->Controls().GroupBox3);  // designed at 3, 58, 227, 250
    EXPECT_EQ(5, r.left);
    EXPECT_EQ(87, r.top);
    EXPECT_EQ(341, r.right);
    EXPECT_EQ(375, r.bottom);
    r = rectOf(form->Controls().TimeBegin);  // 140, 196, 220, 217
    EXPECT_EQ(210, r.left);
    EXPECT_EQ(330, r.right);
    // The form's font holds 8.25 points (its 11 pixels at 96): 16.5 pixels.
    EXPECT_EQ(-17, FontOf(form->Controls().Label15).lfHeight);
    EXPECT_EQ(-18, FontOf(form->Controls().Label2).lfHeight);
    EXPECT_EQ(-30, FontOf(form->Controls().btnPlay).lfHeight);
    EXPECT_EQ(120, ListView_GetColumnWidth(form->Controls().ListView1, 1));
    // SpeedButton1 covers the tool bar's gap, grown with it.
    RECT gap{};
    SendMessageW(form->Controls().ToolBar1, TB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&gap));
    MapWindowPoints(form->Controls().ToolBar1, form->Handle(), reinterpret_cast<POINT *>(&gap), 2);
    r = rectOf(form->Controls().SpeedButton1);
    EXPECT_EQ(21, gap.right - gap.left);
    EXPECT_EQ(gap.left, r.left);
    EXPECT_EQ(gap.right, r.right);
    // The up-down stays inside its buddy's design frame.
    const RECT edit = rectOf(form->Controls().txtCont), arrows = rectOf(form->Controls().UpDown2);
    EXPECT_EQ(225, edit.left);
    EXPECT_LE(arrows.right, 303);
    EXPECT_GT(arrows.left, edit.left);

    // Through other scales and back: the design places, not a pixel off.
    form->SetPixelsPerInch(80);
    form->SetPixelsPerInch(120);
    form->SetPixelsPerInch(96);
    std::vector<RECT> back = places();
    ASSERT_EQ(design.size(), back.size());
    for (size_t i = 0; i < design.size(); ++i)
        EXPECT_TRUE(EqualRect(&design[i], &back[i])) << i;
    EXPECT_EQ(-11, FontOf(form->Controls().Label15).lfHeight);
    EXPECT_EQ(80, ListView_GetColumnWidth(form->Controls().ListView1, 1));

    // Scaled false keeps the design sizes whatever the design resolution.
    form->SetScaled(false);
    form->SetPixelsPerInch(64);
    back = places();
    for (size_t i = 0; i < design.size(); ++i)
        EXPECT_TRUE(EqualRect(&design[i], &back[i])) << i;
    EXPECT_EQ(230, form->ScaledSize().cx);
}
