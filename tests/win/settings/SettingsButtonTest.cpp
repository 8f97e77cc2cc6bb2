// The panel's settings button over the stand-in shell and the stand-in
// dispatcher in this process: the real dialog opens modal to the panel's top window through
// the modal seam, the test works it there, and the panel then shows what
// changed, whichever button closed it.
#include "SelectionTestSupport.h"

#include "IconResources.h"
#include "Raster.h"
#include "SettingsDialog.h"
#include "Symbols.h"

#include <windowsx.h>

using namespace seltest;

namespace {

class SettingsButton : public SelectionTest {
protected:
    void SetUp() override
    {
        SelectionTest::SetUp();
        PanelSeams().Modal = [this](const std::wstring &name, const std::function<INT_PTR()> &) {
            modals.push_back(name);
            HWND dialog = FindWindowW(TFormSettings::kWindowClass, nullptr);
            EXPECT_TRUE(dialog && IsWindowVisible(dialog));
            if (!dialog)
                return INT_PTR(0);
            owner = GetWindow(dialog, GW_OWNER);
            ownerEnabled = IsWindowEnabled(owner) != FALSE;
            if (work)
                work(dialog);
            return INT_PTR(0);
        };
    }

    // The panel started, with the default category table (the settings
    // file's business) whatever the file held.
    void Start()
    {
        SelectionTest::Start();
        State().Settings.InfoPointCategories = kx::DefaultInfoPointCategories();
    }
    void ClickSettings()
    {
        SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(TMapTool::Settings, BN_CLICKED),
                     reinterpret_cast<LPARAM>(form->Controls().ToolBar1));
    }
    // What a user does in the dialog: clear boxes, choose an icon, press a button.
    static void Uncheck(HWND dialog, int box)
    {
        HWND check = GetDlgItem(dialog, TFormSettings::idCheckBox1 + box - 1);
        if (Button_GetCheck(check) == BST_CHECKED)
            SendMessageW(check, BM_CLICK, 0, 0);
    }
    static void ChooseIcon(HWND dialog, int item)
    {
        SendMessageW(GetDlgItem(dialog, TFormSettings::idPaintBox1), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        HWND list = GetDlgItem(dialog, TFormSettings::idIconList);
        EXPECT_TRUE(IsWindowVisible(list));
        SendMessageW(list, LB_SETTOPINDEX, item, 0);
        RECT r{};
        SendMessageW(list, LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&r));
        SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 5, r.top + 5));
        SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(r.left + 5, r.top + 5));
    }
    static void Press(HWND dialog, int button)
    {
        SendMessageW(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
    }
    // The vehicles of the overview carry a picture (of a raster).
    bool VehiclesVisible()
    {
        for (const auto &shape : layer->Shapes().Vehicles) {
            auto *symbol = kxshell::Inspect<kxshell::RasterSymbol>(shape->Symbol());
            if (!symbol || !symbol->RasterObject())
                return false;
        }
        return true;
    }
    // The icon number each drawn vehicle shows, found by its picture (0:
    // the default car).
    std::vector<int> IconsDrawn()
    {
        std::vector<int> numbers;
        for (const auto &shape : layer->Shapes().Vehicles) {
            const std::vector<uint8_t> bytes = SymbolIconBytes(*shape);
            int number = 0;
            for (int n = 1; n <= 166 && !number; ++n)
                if (bytes == IconBytes((L"TSIcon_" + std::to_wstring(n)).c_str()))
                    number = n;
            numbers.push_back(number);
        }
        return numbers;
    }
    // Overview shapes and category list cleared, to see them come back.
    void ForgetWhatIsShown()
    {
        layer->Shapes().Vehicles.clear();
        selection::ComboSelect(form->Controls().cmbInfoPoints, -1);
    }
    void ExpectDialogGone()
    {
        EXPECT_EQ(nullptr, FindWindowW(TFormSettings::kWindowClass, nullptr));
        EXPECT_EQ(GetAncestor(form->Handle(), GA_ROOT), owner);
        EXPECT_FALSE(ownerEnabled) << "the panel's window is disabled while the dialog runs";
        EXPECT_TRUE(IsWindowEnabled(owner));
    }

    std::function<void(HWND)> work;
    HWND owner = nullptr;
    bool ownerEnabled = true;
};

TEST_F(SettingsButton, OkStoresChoicesAndTheOverviewShowsTheNewIcon)
{
    Start();
    Choose(form->Controls().cmbGroupName, 0);
    ASSERT_EQ(-1, Sel(form->Controls().cmbCarDevice));
    // The overview's computation (no vehicle) has no trips: the refreshed
    // list loads no track over the vehicles.
    ForgetWhatIsShown();
    work = [](HWND dialog) {
        Uncheck(dialog, 3);
        Uncheck(dialog, 5);
        ChooseIcon(dialog, 12);
        Press(dialog, TFormSettings::idOK);
    };
    ClickSettings();
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    EXPECT_EQ(std::vector<std::wstring>{L"TFormSettings"}, modals);
    ExpectDialogGone();

    EXPECT_EQ(12, State().Settings.IconNum);
    const auto &rows = State().Settings.InfoPointCategories;
    ASSERT_EQ(13u, rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(i != 2 && i != 4, rows[i].VisibleList) << i + 1;
    // The overview was drawn again, with icon 12, for the two known positions.
    EXPECT_EQ(2u, layer->Shapes().Vehicles.size());
    EXPECT_EQ((std::vector<int>{12, 12}), IconsDrawn());
    EXPECT_TRUE(VehiclesVisible());
    EXPECT_EQ(0, Sel(form->Controls().cmbInfoPoints)) << "the category list was filled again";
}

TEST_F(SettingsButton, CancelChangesNothingYetThePanelRefreshes)
{
    Start();
    Choose(form->Controls().cmbGroupName, 0);
    State().Settings.IconNum = 7;
    const auto before = State().Settings.InfoPointCategories;
    ForgetWhatIsShown();
    work = [](HWND dialog) {
        Uncheck(dialog, 1);
        ChooseIcon(dialog, 30);
        Press(dialog, TFormSettings::idCancel);
    };
    ClickSettings();
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    ExpectDialogGone();
    EXPECT_EQ(7, State().Settings.IconNum);
    EXPECT_EQ(before, State().Settings.InfoPointCategories);
    EXPECT_EQ((std::vector<int>{7, 7}), IconsDrawn());
    EXPECT_EQ(0, Sel(form->Controls().cmbInfoPoints));
}

TEST_F(SettingsButton, OkWithoutAnIconStoresMinusOneAndVehiclesStayVisible)
{
    Start();
    Choose(form->Controls().cmbGroupName, 0);
    State().Settings.IconNum = 400;  // from a settings file: nothing to select
    work = [](HWND dialog) { Press(dialog, TFormSettings::idOK); };
    ClickSettings();
    EXPECT_EQ(-1, State().Settings.IconNum);
    ASSERT_EQ(2u, layer->Shapes().Vehicles.size());
    EXPECT_TRUE(VehiclesVisible());
}

TEST_F(SettingsButton, OverviewIsRedrawnOnlyForAGroupWithoutAVehicle)
{
    // A vehicle chosen: its trips stay on the map.
    Start();
    Choose(form->Controls().cmbGroupName, 0);
    Choose(form->Controls().cmbCarDevice, 0);
    ForgetWhatIsShown();
    work = [](HWND dialog) {
        ChooseIcon(dialog, 2);
        Press(dialog, TFormSettings::idOK);
    };
    ClickSettings();
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    EXPECT_EQ(2, State().Settings.IconNum);
    EXPECT_TRUE(IconsDrawn().empty());
    EXPECT_TRUE(layer->Shapes().Vehicles.empty());
    EXPECT_EQ(0, Sel(form->Controls().cmbInfoPoints));
}

TEST_F(SettingsButton, WithoutGroupsTheDialogStillWorks)
{
    fleet.groups.clear();
    Start();
    ForgetWhatIsShown();
    work = [](HWND dialog) { Press(dialog, TFormSettings::idOK); };
    ClickSettings();
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    EXPECT_EQ(1u, modals.size());
    EXPECT_TRUE(IconsDrawn().empty());
    EXPECT_EQ(0, Sel(form->Controls().cmbInfoPoints));
}

TEST_F(SettingsButton, ADialogLeftOpenByTheModalRunAppliesNothing)
{
    Start();
    Choose(form->Controls().cmbGroupName, 0);
    State().Settings.IconNum = 5;
    work = [](HWND dialog) {
        Uncheck(dialog, 2);
        ChooseIcon(dialog, 9);
    };  // and no button
    ClickSettings();
    ExpectDialogGone();
    EXPECT_EQ(5, State().Settings.IconNum);
    EXPECT_TRUE(State().Settings.InfoPointCategories[1].VisibleList);
}

}  // namespace
