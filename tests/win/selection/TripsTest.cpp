// The trips list and the track: listing after the end event, one array per
// load converted once, the slider's range, the map brought to the track,
// the list clicks in both modes, and what bad data from the dispatcher does.
#include "SelectionTestSupport.h"

#include <cmath>

using namespace seltest;

namespace {

class Trips : public SelectionTest {
protected:
    // A category of the info point list, as the category lists add it.
    void ShowCategory(const wchar_t *name, int row)
    {
        const LRESULT i = SendMessageW(form->Controls().cmbInfoPoints, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        SendMessageW(form->Controls().cmbInfoPoints, CB_SETITEMDATA, i, row);
        SendMessageW(form->Controls().cmbInfoPoints, CB_SETCURSEL, i, 0);
        form->SelectEntriesList(selection::CategoryQuery(State().Settings.InfoPointCategories, row));
    }
    // A request of the panel's own, whose end event comes next.
    void Request() { SetPicker(form->Controls().DateEnd, 2009, 2, 7); }
};

TEST_F(Trips, EndEventListsTheTripsAndLoadsTheFirstTrack)
{
    StartWithTrips();
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    ASSERT_EQ(2, Rows());
    // The dispatcher's texts, unchanged.
    EXPECT_EQ(L"1", Cell(0, 0));
    EXPECT_EQ(FebText(6, 8), Cell(0, 1));
    EXPECT_EQ(FebText(6, 9, 30), Cell(0, 2));
    EXPECT_EQ(L"01:30:00", Cell(0, 3));
    EXPECT_EQ(L"2", Cell(1, 0));
    EXPECT_EQ(L"Прод-ть", selection::ListColumnCaption(form->Controls().ListView1, 3));
    EXPECT_EQ(0, selection::ListSelectedRow(form->Controls().ListView1));
    EXPECT_EQ(0, Sel(form->Controls().cmbInfoPoints));
    EXPECT_EQ(L"1", TripLabel());
    EXPECT_EQ(1, State().Trip.CurrentTrip);

    // One array for the whole track; every point converted once, in both views.
    EXPECT_EQ(1, CallsOf(L"TrackCrdsArray"));
    const TPanelState &data = State();
    ASSERT_EQ(91, data.Trip.TrackPointCount());
    for (int k : {0, 1, 45, 90}) {
        const TMapPoint expected = ToMap(37.6 + k * 1e-4, 55.75 + k * 5e-5);
        EXPECT_NEAR(expected.X, data.Trip.TrackMapPoints()[k].X, 1e-6);
        EXPECT_NEAR(expected.Y, data.Trip.TrackMapPoints()[k].Y, 1e-6);
        EXPECT_EQ(data.Trip.Track.x(k), data.Trip.TrackMapPoints()[k].X);
        EXPECT_EQ(data.Trip.Track.y(k), data.Trip.TrackMapPoints()[k].Y);
        EXPECT_EQ(k * 7.0, data.Trip.Track.distance(k));
    }
    EXPECT_EQ(kTripStart, data.Player.Clock.anchorTime);
    // 90 minutes: 0 to 5400 seconds.
    EXPECT_EQ(0, SliderMin());
    EXPECT_EQ(5400, SliderMax());
    EXPECT_TRUE(form->ToolButtonDown(TMapTool::Track));
    EXPECT_FALSE(layer->Shapes().TrackLines.empty());
    EXPECT_TRUE(layer->Shapes().Vehicles.empty()) << "the overview's points go";

    // The map is brought to the second point.
    ASSERT_FALSE(MapObject().ShowPointCalls().empty());
    const kxshell::ShowPointCall &show = MapObject().ShowPointCalls().back();
    EXPECT_EQ(data.Trip.TrackMapPoints()[1].X, show.x);
    EXPECT_EQ(data.Trip.TrackMapPoints()[1].Y, show.y);
    EXPECT_EQ(2000, show.scale);
    EXPECT_EQ(0, show.rotation);
    EXPECT_TRUE(show.redraw);
}

TEST_F(Trips, UnfinishedComputationOrNoTripsLeaveTheTrackAlone)
{
    StartWithTrips();
    const std::vector<double> before = State().Trip.Track.crds();
    const size_t shows = MapObject().ShowPointCalls().size();

    ASSERT_EQ(S_OK, Control()->FailNextComputation());
    Request();
    EndOfComputation();
    EXPECT_EQ(0, Rows());
    EXPECT_EQ(L"1", TripLabel()) << "the label stays";
    EXPECT_EQ(before, State().Trip.Track.crds());
    EXPECT_EQ(shows, MapObject().ShowPointCalls().size());

    FirstCarTrips().clear();
    Request();
    EndOfComputation();
    EXPECT_EQ(0, Rows());
    EXPECT_EQ(L"N/A", TripLabel());
    EXPECT_EQ(before, State().Trip.Track.crds());
    EXPECT_TRUE(messages.empty());
}

TEST_F(Trips, TrackArraysThatCannotBeRightAreRefusedAndTheOldTrackStays)
{
    StartWithTrips();
    const std::vector<double> before = State().Trip.Track.crds();
    struct Case {
        const char *what;
        std::function<void()> serve;
    };
    const std::vector<Case> cases = {
        {"fewer numbers than five per point", [&] { Malformed(L"short-array"); }},
        {"more points than counted", [&] { Malformed(L"long-array"); }},
        {"a NaN", [&] { Malformed(L"nan"); }},
        {"a text among the numbers", [&] { Malformed(L"text-in-array"); }},
        {"no array at all", [&] { Malformed(L"not-array"); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Malformed(L"none");
        messages.clear();
        c.serve();
        Request();
        EndOfComputation();
        ASSERT_EQ(1u, messages.size());
        EXPECT_FALSE(messages[0].text.empty());
        EXPECT_EQ(before, State().Trip.Track.crds());
        EXPECT_EQ(5400, SliderMax());
        EXPECT_FALSE(State().Selection.ComputeRequested);
    }
}

// Receivers repeat a second now and then and sometimes step back one: such a
// recording loads and draws like any other.
TEST_F(Trips, RecordingWithRepeatedAndBackwardTimesLoads)
{
    std::vector<kxfleet::TrackPoint> &track = FirstCarTrips()[0].track;
    track[1].time = track[0].time;                // point 1 repeats point 0's time
    track[3].time = track[2].time - 1.0 / 86400;  // point 3 a second before point 2
    StartWithTrips();
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    EXPECT_EQ(static_cast<int>(track.size()), State().Trip.TrackPointCount());
    EXPECT_EQ(5400, SliderMax());
    EXPECT_EQ(2u, layer->Shapes().TrackLines.size());
}

TEST_F(Trips, SinglePointTrackCentresOnItsOnlyPoint)
{
    FirstCarTrips()[0].track = LineTrip(1, kTripStart, 60).track;
    StartWithTrips();
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    ASSERT_EQ(1, State().Trip.TrackPointCount());
    EXPECT_EQ(0, SliderMax());
    const kxshell::ShowPointCall &show = MapObject().ShowPointCalls().back();
    EXPECT_EQ(State().Trip.TrackMapPoints()[0].X, show.x);
}

TEST_F(Trips, TripWithoutPointsLeavesNothingToPlay)
{
    FirstCarTrips()[1].track.clear();
    StartWithTrips();
    ClickRow(1);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(2, State().Trip.CurrentTrip);
    EXPECT_EQ(L"2", TripLabel());
    // Nothing of trip 1 can be played under trip 2's number; the slider stays.
    EXPECT_EQ(0, State().Trip.TrackPointCount());
    EXPECT_EQ(5400, SliderMax());
}

TEST_F(Trips, TripClickLoadsItsTrackAndStops)
{
    StartWithTrips();
    ClickRow(1);
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    EXPECT_EQ(2, State().Trip.CurrentTrip);
    EXPECT_EQ(L"2", TripLabel());
    EXPECT_EQ(10, State().Trip.TrackPointCount());
    EXPECT_EQ(270, SliderMax());
    EXPECT_EQ(L"parks", Puts(L"TripEntriesListTypeName").back());
    ASSERT_EQ(1u, State().Trip.TripStops.size());
    const kx::TStops &stop = State().Trip.TripStops[0];
    EXPECT_DOUBLE_EQ(39850.0 + (10 * 60 + 1) / 1440.0, stop.begin);
    EXPECT_DOUBLE_EQ(39850.0 + (10 * 60 + 2) / 1440.0, stop.end);
    EXPECT_EQ("00:01:00", stop.text);

    ClickRow(0);
    EXPECT_EQ(2u, State().Trip.TripStops.size());
    EXPECT_EQ(91, State().Trip.TrackPointCount());
}

TEST_F(Trips, UnreadableStopDateIsReportedAndKeepsTheStopsReadSoFar)
{
    StartWithTrips();
    Malformed(L"bad-last-entry");  // the second stop begins at 32.13.2009 25:61:00
    ClickRow(0);
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::wstring::npos, messages[0].text.find(L"32.13.2009")) << messages[0].text;
    ASSERT_EQ(2u, State().Trip.TripStops.size());
    EXPECT_GT(State().Trip.TripStops[0].end, 0);
    EXPECT_EQ(0, State().Trip.TripStops[1].begin);
}

TEST_F(Trips, InfoPointClickMovesTheSliderToTheFilteredEntry)
{
    StartWithTrips();
    ShowCategory(L"Периоды превышения скорости", 5);
    SetWindowTextW(form->Controls().txtCont, L"6");  // the 3-second entry is not listed
    ForgetCalls();
    ClickRow(0);  // row 0: the 08:30 entry
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    EXPECT_EQ(30 * 60, SliderPos());
    EXPECT_TRUE(Puts(L"TripEntriesListTypeName").empty()) << "the dispatcher's current list is used";
    ClickRow(1);  // row 1: 09:15:30
    EXPECT_EQ(75 * 60 + 30, SliderPos());
}

TEST_F(Trips, InfoPointClickRetriesOnceWithTheCategorysListAndTrack)
{
    StartWithTrips();
    ShowCategory(L"Периоды превышения скорости", 5);
    ForgetCalls();
    FailCall(L"TripEntriesCount", L"список не выбран");
    ClickRow(1);
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    EXPECT_EQ(1, CallsOf(L"TrackCrdsArray")) << "the trip's track loaded again";
    // The map's info points are fetched again first; the category's list last.
    ASSERT_FALSE(Puts(L"TripEntriesListTypeName").empty());
    EXPECT_EQ(L"over_speed", Puts(L"TripEntriesListTypeName").back());
    EXPECT_EQ(75 * 60 + 30, SliderPos());

    // A second failure in the retry reaches the user.
    FailCall(L"TripEntryBegin", L"первый");
    ClickRow(0);
    EXPECT_TRUE(messages.empty());
    FailCall(L"TripEntriesCount", L"первый");
    FailCall(L"TripEntryIndex", L"второй");
    ClickRow(0);
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(L"второй", messages[0].text);
}

TEST_F(Trips, TrackButtonHidesAndRestoresTheLine)
{
    StartWithTrips();
    const int invalidates = MapObject().InvalidateCount();
    form->SetToolButtonDown(TMapTool::Track, false);
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(TMapTool::Track, BN_CLICKED),
                 reinterpret_cast<LPARAM>(form->Controls().ToolBar1));
    EXPECT_TRUE(layer->Shapes().TrackLines.empty());
    EXPECT_GT(MapObject().InvalidateCount(), invalidates);
    ForgetCalls();
    form->SetToolButtonDown(TMapTool::Track, true);
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(TMapTool::Track, BN_CLICKED),
                 reinterpret_cast<LPARAM>(form->Controls().ToolBar1));
    EXPECT_FALSE(layer->Shapes().TrackLines.empty());
    EXPECT_EQ(1, CallsOf(L"TrackCrdsArray"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(Trips, EntriesListTypeAndKindAreSentSeparately)
{
    Start();
    form->SelectEntriesList(L"tank-num1");
    form->SelectEntriesList(L"blinds");
    EXPECT_EQ((std::vector<std::wstring>{L"tank", L"blinds"}), Puts(L"TripEntriesListTypeName"));
    EXPECT_EQ((std::vector<std::wstring>{L"num1"}), Puts(L"TripEntriesListKindName"))
        << "no kind: the server keeps its own";
}

// The dispatcher writes dates in the machine's short date form; the panel
// reads them with the same form, and the fixed form besides. Run once under
// a Russian and once under an English locale.
TEST(ServerDates, MachineFormAndFixedFormBothRead)
{
    SYSTEMTIME st{};
    st.wYear = 2009;
    st.wMonth = 2;
    st.wDay = 6;
    st.wHour = 13;
    st.wMinute = 5;
    st.wSecond = 9;
    wchar_t date[80], time[40];
    ASSERT_TRUE(GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 80));
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, L"HH':'mm':'ss", time, 40);
    const std::wstring machine = std::wstring(date) + L" " + time;
    const double expected = 39850.0 + (13 * 3600 + 5 * 60 + 9) / 86400.0;
    std::printf("locale %04lx: \"%ls\"\n", static_cast<unsigned long>(GetUserDefaultLCID()), machine.c_str());
    EXPECT_NEAR(expected, selection::ParseServerDateTime(machine), 1e-9) << machine;
    EXPECT_NEAR(expected, selection::ParseServerDateTime(L"06.02.2009 13:05:09"), 1e-9);
    EXPECT_THROW(selection::ParseServerDateTime(L"вчера"), EPanelError);
    EXPECT_THROW(selection::ParseServerDateTime(L""), EPanelError);
}

}  // namespace
