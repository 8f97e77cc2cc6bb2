// The trip's report behind the panel's tool button, over the stand-in shell
// and the stand-in dispatcher in this process: it opens beside the player,
// follows the loaded trip and the player, moves the player from its chart
// as the slider does, and saves the trip through the save seam.
#include "SelectionTestSupport.h"

#include "ReportTestFiles.h"
#include "ReportWindow.h"

#include <algorithm>

#include "kx/text.h"

using namespace seltest;

namespace {

constexpr double kSec = 1.0 / 86400;

class ReportPanel : public SelectionTest {
protected:
    void SetUp() override
    {
        SelectionTest::SetUp();
        PanelSeams().SaveFile = [this](HWND, const std::wstring &title, const std::wstring &, const std::wstring &name,
                                       int &filterIndex) {
            saveTitles.push_back(title);
            suggested = name;
            filterIndex = chosenFilter;
            return chosenPath;
        };
    }
    void TearDown() override
    {
        if (!chosenPath.empty())
            DeleteFileW(chosenPath.c_str());
        SelectionTest::TearDown();
    }

    // The first trip loaded with its stops, the report opened.
    void OpenReport()
    {
        StartWithTrips();
        ClickRow(0);
        ASSERT_EQ(91, State().Trip.TrackPointCount());
        SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(TMapTool::Report, BN_CLICKED),
                     reinterpret_cast<LPARAM>(form->Controls().ToolBar1));
        ASSERT_NE(nullptr, form->Report());
    }
    TFormReport &Report() { return *form->Report(); }
    std::string Summary()
    {
        wchar_t text[256] = L"";
        SendMessageW(Report().Handle(), TFormReport::SummaryMessage(), 256, reinterpret_cast<LPARAM>(text));
        return kx::ToUtf8(text);
    }
    // A click at a share of the chart's plot, as the mouse makes it.
    void ClickChart(double share)
    {
        const RECT plot = Report().Chart().PlotRect();
        const int x = plot.left + static_cast<int>(share * (plot.right - plot.left));
        const LPARAM at = MAKELPARAM(x, (plot.top + plot.bottom) / 2);
        SendMessageW(Report().Chart().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(Report().Chart().Handle(), WM_LBUTTONUP, 0, at);
    }

    std::vector<std::wstring> saveTitles;
    std::wstring suggested, chosenPath;
    int chosenFilter = 1;
};

TEST_F(ReportPanel, TheButtonBesideTheSettingsOpensAWindowThatFollowsTheTrip)
{
    OpenReport();
    EXPECT_EQ(L"Отчёт по рейсу", form->ToolButtonHint(TMapTool::Report));
    EXPECT_EQ(31, form->ToolButtonImage(TMapTool::Report));
    EXPECT_TRUE(Report().Visible());
    EXPECT_EQ(GetAncestor(form->Handle(), GA_ROOT), GetWindow(Report().Handle(), GW_OWNER)) << "modeless, owned";
    // 91 points a minute apart at 30 km/h, 7 m each; two stops of 10 and 5 minutes.
    EXPECT_EQ("points=91 distance_m=630 duration_s=5400 moving_s=5400 standing_s=0 max_kmh=30.0 avg_kmh=0.4 stops=2",
              Summary());
    // The speeding periods are counted once the info points are fetched.
    EXPECT_EQ(3, Report().Profile().totals().speedingPeriods);
    EXPECT_TRUE(Report().Profile().totals().speedingKnown);
    // The info points' button up: the speeding is not known.
    SendMessageW(form->Controls().ToolBar1, TB_CHECKBUTTON, TMapTool::InfoPoints, FALSE);
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(TMapTool::InfoPoints, BN_CLICKED),
                 reinterpret_cast<LPARAM>(form->Controls().ToolBar1));
    EXPECT_FALSE(Report().Profile().totals().speedingKnown);

    // Another trip: the report follows it.
    ClickRow(1);
    EXPECT_EQ(10, Report().Profile().count());
    // Closed, it stays hidden with the form and opens again on the button.
    SendMessageW(Report().Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(Report().Visible());
    ClickRow(0);
    EXPECT_EQ(10, Report().Profile().count()) << "a hidden report does no work";
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(TMapTool::Report, BN_CLICKED),
                 reinterpret_cast<LPARAM>(form->Controls().ToolBar1));
    EXPECT_EQ(91, Report().Profile().count());
}

TEST_F(ReportPanel, TheChartMovesThePlayerAsTheSliderDoesAndItsCursorFollows)
{
    OpenReport();
    ClickChart(0.5);
    // The slider, the pane and the player all went to the middle of the trip.
    EXPECT_NEAR(2700, static_cast<double>(SliderPos()), 15);
    EXPECT_NEAR(2700, (State().Player.PlayTime - kTripStart) / kSec, 15);
    EXPECT_NE(L"", TKXActiveXForm::Text(form->Controls().lblDate));
    const RECT plot = Report().Chart().PlotRect();
    ASSERT_TRUE(Report().Chart().CursorX().has_value());
    EXPECT_NEAR((plot.left + plot.right) / 2.0, *Report().Chart().CursorX(), 2);

    // A tick moves the cursor and repaints only the strips it left and entered.
    UpdateWindow(Report().Chart().Handle());
    State().Player.PlayTime = kTripStart + 600 * kSec;
    form->FollowPlayer();
    HRGN dirty = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(COMPLEXREGION, GetUpdateRgn(Report().Chart().Handle(), dirty, FALSE));
    std::vector<char> data(GetRegionData(dirty, 0, nullptr));
    GetRegionData(dirty, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA *>(data.data()));
    DeleteObject(dirty);
    const RGNDATA &region = *reinterpret_cast<const RGNDATA *>(data.data());
    ASSERT_EQ(2u, region.rdh.nCount) << "the two strips, not the chart";
    for (DWORD i = 0; i < region.rdh.nCount; ++i) {
        const RECT &strip = reinterpret_cast<const RECT *>(region.Buffer)[i];
        EXPECT_LE(strip.right - strip.left, 3);
    }
    EXPECT_NEAR(plot.left + (plot.right - plot.left) / 9.0, *Report().Chart().CursorX(), 2);

    // At the chart's end the player stops, as at the slider's.
    ClickChart(0.9999);
    EXPECT_EQ(1, SliderPos());
}

TEST_F(ReportPanel, SavingGoesThroughTheSeamAndAFailureIsSaidInRussian)
{
    OpenReport();
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    chosenPath = std::wstring(folder) + L"kx-report-test.csv";
    chosenFilter = 3;
    SendMessageW(Report().Handle(), WM_COMMAND, MAKEWPARAM(TFormReport::idSave, BN_CLICKED), 0);
    ASSERT_EQ(1u, saveTitles.size());
    EXPECT_EQ(L"Сохранить рейс", saveTitles[0]);
    EXPECT_EQ(L"Рейс 1 А123&ВС.gpx", suggested);
    const std::string csv = ReadBytes(chosenPath);
    EXPECT_EQ(0u, csv.rfind("\xEF\xBB\xBF", 0));
    EXPECT_EQ(92, std::count(csv.begin(), csv.end(), '\n')) << "a header and a line a point";
    EXPECT_TRUE(messages.empty());

    // Cancelled: nothing happens. Unwritable: a Russian message, no file.
    chosenPath.clear();
    SendMessageW(Report().Handle(), WM_COMMAND, MAKEWPARAM(TFormReport::idSave, BN_CLICKED), 0);
    EXPECT_TRUE(messages.empty());
    chosenPath = std::wstring(folder) + L"no-such-folder-kx\\trip.gpx";
    SendMessageW(Report().Handle(), WM_COMMAND, MAKEWPARAM(TFormReport::idSave, BN_CLICKED), 0);
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(0u, messages[0].text.find(L"Рейс не сохранён в файл")) << messages[0].text;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((chosenPath + L".tmp").c_str()));
    chosenPath.clear();
}

TEST_F(ReportPanel, ShutDownKeepsThePlaceAndLetsTheWindowGo)
{
    OpenReport();
    MoveWindow(Report().Handle(), 50, 60, 500, 400, TRUE);
    form->ActiveFormDestroy();
    EXPECT_EQ(nullptr, form->Report());
    ASSERT_TRUE(State().Settings.ReportPlace.has_value());
    EXPECT_EQ((kx::WindowPlace{50, 60, 500, 400}), *State().Settings.ReportPlace);
}

}  // namespace
