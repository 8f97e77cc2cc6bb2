// Checkpoints and info points on the map: the circles and their balloon
// texts, the icons and their texts, the two toggles, the popup menu, and the
// faults of the dispatcher that must not reach the map.
#include "InfoPointsTestSupport.h"

using namespace iptest;

namespace {

bool Finite(const TMapPointArray &points)
{
    for (const TMapPoint &p : points)
        if (!std::isfinite(p.X) || !std::isfinite(p.Y))
            return false;
    return true;
}

std::wstring Balloon(const RefCheckpoint &c)
{
    return kx::ToWide(kx::CheckpointBalloonText(kx::ToUtf8(c.name), kx::ToUtf8(c.address)));
}

TEST_F(InfoPointsTest, CheckpointCirclesWithTheirBalloonTexts)
{
    StartWith(L"");
    const std::vector<RefCheckpoint> expected = Checkpoints();
    ASSERT_GE(expected.size(), 1u);
    ClickToolButton(TMapTool::Checkpoints);  // up
    EXPECT_TRUE(Shapes().Checkpoints.empty());
    EXPECT_FALSE(State().Settings.LoadKT) << "the flag the settings file keeps follows the button";
    ClickToolButton(TMapTool::Checkpoints);  // down
    EXPECT_TRUE(State().Settings.LoadKT);
    ASSERT_TRUE(messages.empty()) << kx::ToUtf8(messages[0].text);
    ASSERT_EQ(expected.size(), State().Checkpoints.Circles.size());
    ASSERT_EQ(expected.size(), Shapes().Checkpoints.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(Balloon(expected[i]), State().Checkpoints.Circles[i].Text);
        const TMapPointArray &circle = State().Checkpoints.Circles[i].Points;
        ASSERT_EQ(30u, circle.size());
        // The first point lies east of the centre by the radius.
        const kx::TMapPointArray geo = kx::CheckpointCircleGeo(expected[i].longitude, expected[i].latitude,
                                                               expected[i].radius);
        const TMapPoint east = ToMap(geo[0].X, geo[0].Y);
        EXPECT_NEAR(east.X, circle[0].X, 1e-6);
        EXPECT_NEAR(east.Y, circle[0].Y, 1e-6);
    }
    // The shell walks them as polygons whose title is the balloon text.
    size_t polygons = 0;
    for (const auto &shape : Walk().shapes)
        if (shape.kind == kxshell::kShapePolygon && shape.hint == L"KT") {
            ++polygons;
            EXPECT_EQ(30u, shape.VertexCount());
            EXPECT_NE(std::wstring::npos, shape.title.find(L"<b><u>Контрольная точка</u></b><br />Название: "));
        }
    EXPECT_EQ(expected.size(), polygons);

    ClickToolButton(TMapTool::Checkpoints);  // up: the circles go
    EXPECT_TRUE(Shapes().Checkpoints.empty());
    // A later rebuild (after the settings dialog) draws none while it is up.
    form->ShowCheckpoints();
    EXPECT_TRUE(Shapes().Checkpoints.empty());
}

TEST_F(InfoPointsTest, CheckpointTextsAreEscapedAndPolesGiveFiniteCircles)
{
    StartWith(L"");
    State().Settings.LoadKT = true;  // checkpoints switched on
    Malformed(L"markup-texts");
    form->ShowCheckpoints();
    ASSERT_GE(State().Checkpoints.Circles.size(), 1u);
    const std::wstring &text = State().Checkpoints.Circles[0].Text;
    EXPECT_NE(std::wstring::npos, text.find(L"Название: &lt;img src=x&gt;")) << kx::ToUtf8(text);
    EXPECT_NE(std::wstring::npos, text.find(L"Адрес: &lt;b&gt;")) << kx::ToUtf8(text);
    EXPECT_EQ(std::wstring::npos, text.find(L"<img"));

    Malformed(L"pole");
    form->ShowCheckpoints();
    ASSERT_GE(State().Checkpoints.Circles.size(), 1u);
    for (const TPlaceOnMap &circle : State().Checkpoints.Circles)
        EXPECT_TRUE(Finite(circle.Points));
    EXPECT_TRUE(messages.empty());
}

TEST_F(InfoPointsTest, FailedCheckpointFetchKeepsOnlyWhatItRead)
{
    StartWith(L"");
    State().Settings.LoadKT = true;  // checkpoints switched on
    const size_t all = Checkpoints().size();
    ASSERT_GE(all, 3u);
    form->ShowCheckpoints();
    ASSERT_EQ(all, Shapes().Checkpoints.size());

    // Broken values are swallowed: nothing of the earlier fetch is left.
    for (const wchar_t *kind : {L"nan", L"huge-texts", L"negative-counts"}) {
        Malformed(kind);
        form->ShowCheckpoints();
        EXPECT_TRUE(State().Checkpoints.Circles.empty()) << kx::ToUtf8(kind);
        EXPECT_TRUE(Shapes().Checkpoints.empty());
    }
    Malformed(L"none");
    form->ShowCheckpoints();
    ASSERT_EQ(all, Shapes().Checkpoints.size());

    // The dispatcher dies while the third checkpoint is read: eight calls
    // before the first, six for each.
    ExitDuringCall(8 + 6 * 2 + 1);
    form->ShowCheckpoints();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(2u, State().Checkpoints.Circles.size());
    EXPECT_EQ(2u, Shapes().Checkpoints.size());
    EXPECT_TRUE(own->Exited(8000));
}

TEST_F(InfoPointsTest, InfoPointIconsCarryTheirTexts)
{
    StartWith(L"");
    const int trip = BusiestTrip();
    ChooseTrip(trip);  // the info points button is down: the icons come too
    ASSERT_TRUE(messages.empty()) << kx::ToUtf8(messages[0].text);
    const auto &table = State().Settings.InfoPointCategories;
    size_t drawn = 0;
    for (size_t r = 1; r < table.size(); ++r) {
        const std::vector<RefEntry> entries = Entries(trip, table[r].query);
        SCOPED_TRACE(table[r].query);
        ASSERT_EQ(entries.size(), State().InfoPoints.Categories[r].size());
        for (size_t j = 0; j < entries.size(); ++j) {
            kx::EntryValues v;
            v.duration = kx::ToUtf8(entries[j].duration);
            v.speed = entries[j].speed;
            v.tank1Begin = entries[j].tank1Begin;
            v.tank1End = entries[j].tank1End;
            v.tank2Begin = entries[j].tank2Begin;
            v.tank2End = entries[j].tank2End;
            const std::string text = kx::EntryMapText(kx::EntryValueFor(table[r].query), v);
            const kx::EntryValue value = kx::EntryValueFor(table[r].query);
            EXPECT_EQ(value == kx::EntryValue::Duration ? kx::ToWide(text) : Shown(text),
                      State().InfoPoints.Categories[r][j].Text);
            drawn += entries[j].longitude != -777 && entries[j].latitude != -777;
        }
    }
    EXPECT_GT(drawn, 0u);
    EXPECT_EQ(drawn, Shapes().InfoPointIcons.size());
    for (const auto &shape : Walk().shapes) {
        if (shape.kind == kxshell::kShapeIcon) {
            EXPECT_EQ(shape.title, shape.hint);
        }
    }

    // Released, the icons go; pressed, they come back.
    ClickToolButton(TMapTool::InfoPoints);
    EXPECT_TRUE(Shapes().InfoPointIcons.empty());
    ClickToolButton(TMapTool::InfoPoints);
    EXPECT_EQ(drawn, Shapes().InfoPointIcons.size());

    // With the list empty the button toggles and the map stays as it was.
    selection::ListClear(form->Controls().ListView1);
    ClickToolButton(TMapTool::InfoPoints);
    EXPECT_FALSE(form->ToolButtonDown(TMapTool::InfoPoints));
    EXPECT_EQ(drawn, Shapes().InfoPointIcons.size());
}

TEST_F(InfoPointsTest, EntriesWithoutPositionAreListedNotDrawn)
{
    StartWith(L"");
    Malformed(L"no-position");
    form->ShowInfoPoints();
    ASSERT_TRUE(messages.empty()) << kx::ToUtf8(messages[0].text);
    int entries = 0;
    for (const std::vector<TPlaceOnMap> &category : State().InfoPoints.Categories)
        entries += static_cast<int>(category.size());
    EXPECT_GT(entries, 0);
    EXPECT_TRUE(Shapes().InfoPointIcons.empty());
    SetMinimum(L"0");
    ChooseCategory(2);
    EXPECT_EQ(static_cast<int>(State().InfoPoints.Categories[1].size()), Rows());
}

TEST_F(InfoPointsTest, HostileInfoPointsGiveOneMessageEach)
{
    StartWith(L"/busy-lists:3");
    for (const wchar_t *kind : {L"nan", L"huge-counts", L"bad-dates"}) {
        SCOPED_TRACE(kx::ToUtf8(kind));
        messages.clear();
        Malformed(kind);
        ClickToolButton(TMapTool::InfoPoints);
        ClickToolButton(TMapTool::InfoPoints);
        if (std::wstring(kind) == L"bad-dates")
            EXPECT_TRUE(messages.empty());  // the duration text is shown as it is
        else
            EXPECT_EQ(1u, messages.size());
        Malformed(L"none");
    }
    messages.clear();
    form->ShowInfoPoints();
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(Shapes().InfoPointIcons.empty());
}

TEST_F(InfoPointsTest, PopupMenuShowsAndHidesACategory)
{
    StartWith(L"/busy-lists:3");
    TMenuItem *speeding = form->FindMenuItem(L"mnu5");
    ASSERT_NE(nullptr, speeding);
    form->ShowInfoPoints();
    const size_t all = Shapes().InfoPointIcons.size();
    size_t speedings = 0;
    for (const TPlaceOnMap &p : State().InfoPoints.Categories[4])
        speedings += !p.Points.empty();
    ASSERT_GT(speedings, 0u);

    // The button opens the menu; the item chosen there is clicked.
    modalAnswer = speeding->Command;
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(form->Controls().SpeedButton1), BN_CLICKED),
                 reinterpret_cast<LPARAM>(form->Controls().SpeedButton1));
    ASSERT_EQ(1u, modals.size());
    EXPECT_EQ(L"PopupMenu1", modals[0]);
    EXPECT_FALSE(speeding->Checked);
    EXPECT_EQ(15, speeding->ImageIndex);
    EXPECT_FALSE(State().Settings.InfoPointCategories[4].VisibleIcon);
    EXPECT_EQ(all - speedings, Shapes().InfoPointIcons.size());

    ClickMenu(L"mnu5");
    EXPECT_TRUE(speeding->Checked);
    EXPECT_EQ(3, speeding->ImageIndex);
    EXPECT_TRUE(State().Settings.InfoPointCategories[4].VisibleIcon);
    EXPECT_EQ(all, Shapes().InfoPointIcons.size());

    // A table of five rows: the items past it change nothing.
    State().Settings.InfoPointCategories.resize(5);
    TMenuItem *sensor = form->FindMenuItem(L"mnu9");
    ClickMenu(L"mnu9");
    EXPECT_TRUE(sensor->Checked);
    EXPECT_EQ(7, sensor->ImageIndex);
    EXPECT_TRUE(messages.empty());
}

}  // namespace
