// The settings dialog on its own, driven through its real window: layout,
// what it shows and applies, the icon picker, the wheel, the keyboard and
// its modality, without ever entering a blocking loop.
#include "SettingsDialog.h"

#include <gtest/gtest.h>

#include <windowsx.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Image k of the test list is a plain square of a colour of its own.
COLORREF ImageColour(int k)
{
    return RGB(k, 40, 120);
}

HIMAGELIST ColouredIcons()
{
    HIMAGELIST list = ImageList_Create(48, 48, ILC_COLOR24, 168, 0);
    HDC screen = GetDC(nullptr);
    for (int k = 0; k < 168; ++k) {
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 48, 48);
        HDC dc = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        HBRUSH brush = CreateSolidBrush(ImageColour(k));
        RECT all{0, 0, 48, 48};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        SelectObject(dc, old);
        DeleteDC(dc);
        ImageList_Add(list, bitmap, nullptr);
        DeleteObject(bitmap);
    }
    ReleaseDC(nullptr, screen);
    return list;
}

std::wstring TextOf(HWND w)
{
    wchar_t text[256] = {};
    GetWindowTextW(w, text, 256);
    return text;
}

RECT RectIn(HWND parent, HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

LOGFONTW FontOf(HWND w)
{
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    return lf;
}

COLORREF PixelOf(HWND w, int x, int y)
{
    UpdateWindow(w);
    HDC dc = GetDC(w);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(w, dc);
    return c;
}

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner = CreateWindowExW(0, L"Static", L"shell", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                                nullptr, nullptr);
        categories = kx::DefaultInfoPointCategories();
    }
    void TearDown() override
    {
        dialog.reset();
        DestroyWindow(owner);
    }

    // Shown and painted, as the modal loop's first turn paints it.
    TFormSettings &Open()
    {
        dialog.reset();
        dialog = std::make_unique<TFormSettings>(owner, categories, iconNum,
                                                 [this](const kx::TDisplayScale &scale) {
                                                     iconsAsked.push_back(scale.Dpi());
                                                     return ColouredIcons();
                                                 });
        dialog->Show();
        RedrawWindow(dialog->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        return *dialog;
    }
    bool Checked(int box) const { return Button_GetCheck(dialog->CheckBoxes[box - 1]) == BST_CHECKED; }
    void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }
    // A press and release of the left button at a point of the window.
    static void MouseClick(HWND w, POINT p)
    {
        SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    }
    void ClickPreview() { MouseClick(dialog->PaintBox1, {28, 28}); }
    // Scrolls the open list to `item` and clicks it, as a user does.
    void ClickListItem(int item)
    {
        SendMessageW(dialog->IconList, LB_SETTOPINDEX, item, 0);
        RECT r{};
        SendMessageW(dialog->IconList, LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&r));
        MouseClick(dialog->IconList, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    // The pointer comes over the list (or leaves it), then the wheel turns
    // with the focus on the first check box, as it is after opening.
    void PointerInList(bool in)
    {
        if (in)
            SendMessageW(dialog->IconList, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
        else
            SendMessageW(dialog->IconList, WM_MOUSELEAVE, 0, 0);
    }
    void Wheel(bool down) { SendMessageW(dialog->CheckBoxes[0], WM_MOUSEWHEEL, MAKEWPARAM(0, down ? -120 : 120), 0); }
    int Selected() const { return static_cast<int>(SendMessageW(dialog->IconList, LB_GETCURSEL, 0, 0)); }
    void Select(int item) { SendMessageW(dialog->IconList, LB_SETCURSEL, item, 0); }
    bool PreviewPending() const
    {
        RECT r;
        return GetUpdateRect(dialog->PaintBox1, &r, FALSE) != FALSE;
    }
    COLORREF PreviewCentre() const { return PixelOf(dialog->PaintBox1, 28, 28); }
    // Posts key presses to the focused control and lets the dialog handle them.
    void Press(UINT key)
    {
        HWND focus = GetFocus();
        PostMessageW(focus, WM_KEYDOWN, key, 1);
        PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
        dialog->ProcessPendingMessages();
    }

    HWND owner = nullptr;
    std::vector<int> iconsAsked;  // the DPI of each list the dialog asked for
    std::vector<kx::TInfoPoints> categories;
    int iconNum = 0;
    std::unique_ptr<TFormSettings> dialog;
};

TEST_F(SettingsDialogTest, WindowFrameCaptionFontAndPlace)
{
    TFormSettings &d = Open();
    wchar_t name[64] = {};
    GetClassNameW(d.Handle(), name, 64);
    EXPECT_STREQ(L"TFormSettings", name);
    EXPECT_EQ(L"Настройки", TextOf(d.Handle()));
    RECT client;
    GetClientRect(d.Handle(), &client);
    EXPECT_EQ(426, client.right);
    EXPECT_EQ(448, client.bottom);

    const LONG style = GetWindowLongW(d.Handle(), GWL_STYLE), ex = GetWindowLongW(d.Handle(), GWL_EXSTYLE);
    EXPECT_EQ(WS_CAPTION, style & WS_CAPTION);
    EXPECT_EQ(0, style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CHILD));
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_EQ(owner, GetWindow(d.Handle(), GW_OWNER));

    RECT frame;
    GetWindowRect(d.Handle(), &frame);
    EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN) / 2, (frame.left + frame.right) / 2, 1);
    EXPECT_NEAR(GetSystemMetrics(SM_CYSCREEN) / 2, (frame.top + frame.bottom) / 2, 1);

    for (HWND w : {d.GroupBox1, d.CheckBoxes[0], d.Label1, d.btnOK, d.btnCancel}) {
        const LOGFONTW lf = FontOf(w);
        EXPECT_STREQ(L"Tahoma", lf.lfFaceName);
        EXPECT_EQ(-11, lf.lfHeight);
    }
    EXPECT_EQ(-9, FontOf(d.Label2).lfHeight);
}

TEST_F(SettingsDialogTest, MovedToAnotherScreenItIsLaidOutAtItsPixelsPerInch)
{
    TFormSettings &d = Open();
    auto places = [&] {
        std::vector<RECT> all;
        for (HWND w = GetWindow(d.Handle(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
            all.push_back(RectIn(d.Handle(), w));
        return all;
    };
    const std::vector<RECT> design = places();
    RECT frame;
    GetWindowRect(d.Handle(), &frame);

    // What the system sends a window dragged onto a 150 % screen.
    RECT suggested{frame.left + 10, frame.top + 20, frame.right, frame.bottom};
    SendMessageW(d.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT client;
    GetClientRect(d.Handle(), &client);
    EXPECT_EQ(639, client.right);
    EXPECT_EQ(672, client.bottom);
    GetWindowRect(d.Handle(), &frame);
    EXPECT_EQ(suggested.left, frame.left);
    EXPECT_EQ(suggested.top, frame.top);
    RECT r = RectIn(d.Handle(), d.CheckBoxes[4]);  // designed at 20, 122, 224, 139
    EXPECT_EQ(30, r.left);
    EXPECT_EQ(183, r.top);
    EXPECT_EQ(336, r.right);
    EXPECT_EQ(-17, FontOf(d.CheckBoxes[4]).lfHeight);
    EXPECT_EQ(-14, FontOf(d.Label2).lfHeight);
    r = RectIn(d.Handle(), d.PaintBox1);
    EXPECT_EQ(84, r.right - r.left);
    EXPECT_EQ(75, SendMessageW(d.IconList, LB_GETITEMHEIGHT, 3, 0));
    // The vehicle pictures drawn for the new scale, in place of the old.
    EXPECT_EQ((std::vector<int>{96, 144}), iconsAsked);
    // The small caption still ends before the preview.
    EXPECT_LE(RectIn(d.Handle(), d.Label2).right, RectIn(d.Handle(), d.PaintBox1).left);

    // And back: the design places again.
    SendMessageW(d.Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    const std::vector<RECT> back = places();
    ASSERT_EQ(design.size(), back.size());
    for (size_t i = 0; i < design.size(); ++i)
        EXPECT_TRUE(EqualRect(&design[i], &back[i])) << i;
    EXPECT_EQ(-11, FontOf(d.CheckBoxes[4]).lfHeight);
    EXPECT_EQ(50, SendMessageW(d.IconList, LB_GETITEMHEIGHT, 3, 0));
    EXPECT_EQ((std::vector<int>{96, 144, 96}), iconsAsked);
}

TEST_F(SettingsDialogTest, ControlsAtTheirPlacesWithTheirTexts)
{
    TFormSettings &d = Open();
    struct Place {
        HWND control;
        int left, top, width, height;  // width 0: sized to its text
        const wchar_t *text;
    };
    const Place places[] = {
        {d.GroupBox1, 8, 8, 408, 188, L"Отображ. информ. точек в списках"},
        {d.Label1, 20, 216, 0, 0, L"Выбор иконки ТС :"},
        {d.Label2, 20, 230, 0, 0, L"(Кликнуть мышкой для вывода списка)"},
        {d.PaintBox1, 204, 204, 56, 56, L""},
        {d.IconList, 204, 259, 73, 153, L""},
        // "ОК" in Cyrillic letters.
        {d.btnOK, 107, 418, 75, 25, L"\u041E\u041A"},
        {d.btnCancel, 227, 418, 75, 25, L"Отмена"},
    };
    for (const Place &p : places) {
        const RECT r = RectIn(d.Handle(), p.control);
        EXPECT_EQ(p.left, r.left) << p.text;
        EXPECT_EQ(p.top, r.top) << p.text;
        if (p.width) {
            EXPECT_EQ(p.width, r.right - r.left) << p.text;
            EXPECT_EQ(p.height, r.bottom - r.top) << p.text;
        } else {
            EXPECT_GT(r.right - r.left, 50) << p.text;
        }
        EXPECT_EQ(std::wstring(p.text), TextOf(p.control));
    }

    struct Box {
        int left, top;
        const wchar_t *caption;
    };
    const Box boxes[13] = {{12, 20, L"Контрольные точки"},
                           {12, 43, L"Список остановок"},
                           {12, 67, L"Периоды отсутствия сигнала"},
                           {12, 91, L"Периоды пропадания питания"},
                           {12, 114, L"Периоды превышения скорости"},
                           {12, 138, L"Заправки и сливы бака №1"},
                           {12, 162, L"Заправки и сливы бака №2"},
                           {219, 20, L"Включения датчика №1"},
                           {219, 43, L"Включения датчика №2"},
                           {219, 67, L"Включения датчика №3"},
                           {219, 91, L"Включения датчика №4"},
                           {219, 115, L"Включения датчика №5"},
                           {219, 139, L"Включения датчика №6"}};
    for (int i = 0; i < 13; ++i) {
        const RECT r = RectIn(d.GroupBox1, d.CheckBoxes[i]);
        EXPECT_EQ(boxes[i].left, r.left) << i + 1;
        EXPECT_EQ(boxes[i].top, r.top) << i + 1;
        EXPECT_EQ(i < 7 ? 204 : 180, r.right - r.left) << "the left column's captions are longer";
        EXPECT_EQ(17, r.bottom - r.top);
        EXPECT_EQ(std::wstring(boxes[i].caption), TextOf(d.CheckBoxes[i]));
        EXPECT_EQ(BS_AUTOCHECKBOX, GetWindowLongW(d.CheckBoxes[i], GWL_STYLE) & BS_TYPEMASK);
    }

    // Neither button is the default one nor answers to Enter or Escape.
    for (HWND button : {d.btnOK, d.btnCancel}) {
        EXPECT_EQ(BS_PUSHBUTTON, GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK);
        EXPECT_NE(IDOK, GetDlgCtrlID(button));
        EXPECT_NE(IDCANCEL, GetDlgCtrlID(button));
    }

    // The icon list: hidden, owner-drawn, 166 items of 50 pixels.
    EXPECT_FALSE(IsWindowVisible(d.IconList));
    EXPECT_TRUE(GetWindowLongW(d.IconList, GWL_STYLE) & LBS_OWNERDRAWVARIABLE);
    ASSERT_EQ(166, SendMessageW(d.IconList, LB_GETCOUNT, 0, 0));
    for (int item : {0, 165})
        EXPECT_EQ(50, SendMessageW(d.IconList, LB_GETITEMHEIGHT, item, 0));
}

TEST_F(SettingsDialogTest, ChecksFollowTheRowsThatHaveABox)
{
    struct Case {
        const char *name;
        int rows;
        std::vector<int> hidden;  // rows (1-based) whose VisibleList is clear
    };
    const Case cases[] = {
        {"the default table", 13, {}},
        {"some rows hidden", 13, {1, 4, 13}},
        {"five rows: boxes 6 to 13 stay clear", 5, {2}},
        {"fifteen rows: the last two have no box", 15, {7, 14}},
    };
    for (const Case &c : cases) {
        categories.assign(static_cast<size_t>(c.rows), kx::TInfoPoints{"row", "parks", true, true, "IcP"});
        for (int row : c.hidden)
            categories[static_cast<size_t>(row) - 1].VisibleList = false;
        Open();
        for (int box = 1; box <= 13; ++box) {
            bool expected = box <= c.rows;
            for (int row : c.hidden)
                expected = expected && row != box;
            EXPECT_EQ(expected, Checked(box)) << c.name << ", box " << box;
        }
    }
}

TEST_F(SettingsDialogTest, OpensOnTheIconNumberOrOnNothing)
{
    const std::pair<int, int> cases[] = {{12, 12}, {0, 0}, {165, 165}, {166, -1}, {-1, -1}, {999, -1}};
    for (const auto &[number, selected] : cases) {
        iconNum = number;
        Open();
        EXPECT_EQ(selected, Selected()) << number;
        // The preview's frame always, the picture only for a selection.
        EXPECT_EQ(RGB(0, 0, 0), PixelOf(dialog->PaintBox1, 0, 0)) << number;
        EXPECT_EQ(RGB(0, 0, 0), PixelOf(dialog->PaintBox1, 55, 55)) << number;
        EXPECT_EQ(RGB(255, 255, 255), PixelOf(dialog->PaintBox1, 2, 2)) << number;
        EXPECT_EQ(selected >= 0 ? ImageColour(selected) : RGB(255, 255, 255), PreviewCentre()) << number;
    }
}

TEST_F(SettingsDialogTest, OkAppliesTheBoxesWithRowsAndTheIcon)
{
    categories.resize(15);  // rows 14 and 15 have no box
    categories[13].VisibleList = false;
    categories[14].VisibleList = true;
    const std::vector<kx::TInfoPoints> before = categories;
    iconNum = 3;
    TFormSettings &d = Open();
    Click(d.CheckBoxes[2]);
    Click(d.CheckBoxes[12]);
    ClickPreview();
    ClickListItem(40);
    EXPECT_EQ(3, iconNum) << "nothing is applied before OK";
    EXPECT_EQ(before, categories);

    Click(d.btnOK);
    EXPECT_TRUE(d.Closed());
    EXPECT_EQ(IDOK, d.ModalResult());
    EXPECT_FALSE(IsWindowVisible(d.Handle()));
    EXPECT_EQ(40, iconNum);
    for (size_t i = 0; i < categories.size(); ++i) {
        const bool flipped = i == 2 || i == 12;
        EXPECT_EQ(before[i].VisibleList != flipped, categories[i].VisibleList) << i + 1;
        EXPECT_EQ(before[i].VisibleIcon, categories[i].VisibleIcon) << i + 1;
        EXPECT_EQ(before[i].name, categories[i].name) << i + 1;
    }
}

TEST_F(SettingsDialogTest, CancelAndCloseApplyNothing)
{
    for (bool byCloseMessage : {false, true}) {
        categories = kx::DefaultInfoPointCategories();
        iconNum = 7;
        TFormSettings &d = Open();
        for (HWND box : d.CheckBoxes)
            Click(box);
        ClickPreview();
        ClickListItem(99);
        if (byCloseMessage)
            SendMessageW(d.Handle(), WM_CLOSE, 0, 0);  // Alt+F4
        else
            Click(d.btnCancel);
        EXPECT_TRUE(d.Closed()) << byCloseMessage;
        EXPECT_EQ(IDCANCEL, d.ModalResult());
        EXPECT_EQ(7, iconNum);
        EXPECT_EQ(kx::DefaultInfoPointCategories(), categories);
    }
}

TEST_F(SettingsDialogTest, OkWithoutAChosenIconStoresMinusOne)
{
    iconNum = 500;
    TFormSettings &d = Open();
    Click(d.btnOK);
    EXPECT_EQ(-1, iconNum);
}

TEST_F(SettingsDialogTest, IconPickerOpensOnAClickAndClosesOnAChoice)
{
    iconNum = 12;
    TFormSettings &d = Open();
    EXPECT_EQ(ImageColour(12), PreviewCentre());

    ClickPreview();
    EXPECT_TRUE(IsWindowVisible(d.IconList));
    // The open list draws each item's picture inside a white frame.
    RECT r{};
    SendMessageW(d.IconList, LB_GETITEMRECT, 12, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(ImageColour(12), PixelOf(d.IconList, r.left + 25, r.top + 25));

    ClickListItem(0);
    EXPECT_FALSE(IsWindowVisible(d.IconList));
    EXPECT_EQ(0, Selected());
    EXPECT_EQ(ImageColour(0), PreviewCentre());

    // Clicking the item already chosen closes the list too.
    ClickPreview();
    ClickListItem(0);
    EXPECT_FALSE(IsWindowVisible(d.IconList));
}

TEST_F(SettingsDialogTest, ListItemDrawingFramesThePictureOverWhatIsThere)
{
    TFormSettings &d = Open();
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 80, 60);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF under = RGB(0, 0, 128);
    HBRUSH brush = CreateSolidBrush(under);
    RECT all{0, 0, 80, 60};
    FillRect(dc, &all, brush);
    DeleteObject(brush);

    d.ComboBox2DrawItem(dc, 9, RECT{0, 0, 70, 50});
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 0, 0));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 69, 49));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 60, 0));
    EXPECT_EQ(ImageColour(9), GetPixel(dc, 1, 1));
    EXPECT_EQ(ImageColour(9), GetPixel(dc, 48, 48));
    // The brush is clear: the rectangle's inside keeps what was there.
    EXPECT_EQ(under, GetPixel(dc, 60, 25));
    EXPECT_EQ(under, GetPixel(dc, 75, 25));

    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

TEST_F(SettingsDialogTest, WheelMovesTheSelectionAndRepaintsOnlyOutsideTheList)
{
    struct Case {
        bool inList, down;
        int from, to;
        bool listOpenAfter, repainted;
    };
    // The list is open at the start of every case.
    const Case cases[] = {
        {false, true, 5, 6, false, true},        {false, false, 5, 4, false, true},
        {false, true, -1, 0, false, true},       {false, true, 165, 165, true, false},
        {false, false, 0, 0, true, false},       {false, false, -1, -1, true, false},
        {true, true, 5, 6, true, false},         {true, false, 7, 6, true, false},
        {true, true, 165, 165, true, false},     {true, false, 0, 0, true, false},
    };
    for (const Case &c : cases) {
        TFormSettings &d = Open();
        ClickPreview();
        Select(c.from);
        PointerInList(c.inList);
        EXPECT_EQ(c.inList, d.MouseInList());
        ValidateRect(d.PaintBox1, nullptr);
        Wheel(c.down);
        const std::string name = std::string(c.inList ? "in" : "outside") + (c.down ? " down from " : " up from ") +
                                 std::to_string(c.from);
        EXPECT_EQ(c.to, Selected()) << name;
        EXPECT_EQ(c.listOpenAfter, IsWindowVisible(d.IconList) != FALSE) << name;
        EXPECT_EQ(c.repainted, PreviewPending()) << name;
    }
}

TEST_F(SettingsDialogTest, WheelOverTheListLeavesThePreviewUntilTheListIsClicked)
{
    iconNum = 20;
    TFormSettings &d = Open();
    ClickPreview();
    PointerInList(true);
    Wheel(true);
    Wheel(true);
    // The list itself gets the wheel when it has the focus.
    SetFocus(d.IconList);
    SendMessageW(d.IconList, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
    EXPECT_EQ(23, Selected());
    EXPECT_EQ(ImageColour(20), PreviewCentre());
    Click(d.btnOK);
    EXPECT_EQ(23, iconNum);

    // Leaving the list ends it; so does choosing, which hides the list.
    TFormSettings &again = Open();
    ClickPreview();
    PointerInList(true);
    PointerInList(false);
    EXPECT_FALSE(again.MouseInList());
    PointerInList(true);
    ClickListItem(30);
    EXPECT_FALSE(again.MouseInList());
    Wheel(true);
    EXPECT_EQ(ImageColour(31), PreviewCentre());
}

TEST_F(SettingsDialogTest, EnterAndEscapeDoNotCloseTabMoves)
{
    TFormSettings &d = Open();
    EXPECT_EQ(d.CheckBoxes[0], GetFocus());
    for (UINT key : {VK_RETURN, VK_ESCAPE}) {
        Press(key);
        EXPECT_FALSE(d.Closed()) << key;
        EXPECT_TRUE(IsWindowVisible(d.Handle()));
    }
    // The keys do reach the dialog's keyboard handling.
    Press(VK_TAB);
    EXPECT_EQ(d.CheckBoxes[1], GetFocus());
}

TEST_F(SettingsDialogTest, OwnerIsDisabledWhileShownAndEnabledAfter)
{
    TFormSettings &d = Open();
    EXPECT_FALSE(IsWindowEnabled(owner));
    Click(d.btnCancel);
    EXPECT_TRUE(IsWindowEnabled(owner));

    // Destroyed while still open: the owner comes back too.
    Open();
    EXPECT_FALSE(IsWindowEnabled(owner));
    dialog.reset();
    EXPECT_TRUE(IsWindowEnabled(owner));

    // An owner disabled by someone else stays so.
    EnableWindow(owner, FALSE);
    Click(Open().btnOK);
    EXPECT_FALSE(IsWindowEnabled(owner));
    EnableWindow(owner, TRUE);
}

TEST_F(SettingsDialogTest, ModalLoopEndsWhenAButtonClosesTheDialogOrTheOwnerGoes)
{
    TFormSettings &d = Open();
    PostMessageW(d.Handle(), WM_COMMAND, MAKEWPARAM(TFormSettings::idOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(d.btnOK));
    EXPECT_EQ(IDOK, d.RunModalLoop());

    Open();
    PostMessageW(owner, WM_CLOSE, 0, 0);  // a static destroys itself on close
    EXPECT_EQ(IDCANCEL, dialog->RunModalLoop());
    owner = nullptr;
}

}  // namespace
