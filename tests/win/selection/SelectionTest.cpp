// Groups, vehicles and period: what is asked of the dispatcher and when, the
// group overview of last points, following the dispatcher's own choice, and
// the three flags that keep the two in step.
#include "SelectionTestSupport.h"

#include <limits>

using namespace seltest;

namespace {

class Selection : public SelectionTest {};

TEST_F(Selection, StartUpListsGroupsAlignedWithKeysAndAsksNothing)
{
    Start();
    ASSERT_EQ(2, selection::ComboCount(form->Controls().cmbGroupName));
    EXPECT_EQ(L"Грузовые", Item(form->Controls().cmbGroupName, 0));
    EXPECT_EQ(L"Легковые", Item(form->Controls().cmbGroupName, 1));
    ASSERT_TRUE(State().Selection.GroupKeys.has_value());
    EXPECT_EQ((std::vector<std::wstring>{L"G1", L"G2"}), *State().Selection.GroupKeys);
    EXPECT_EQ(0, Sel(form->Controls().cmbGroupName));
    // Selecting item 0 runs no handler: no vehicles, no request.
    EXPECT_EQ(0, selection::ComboCount(form->Controls().cmbCarName));
    EXPECT_TRUE(ComputeRequests().empty());
    EXPECT_TRUE(messages.empty());
}

TEST_F(Selection, DispatcherWithoutGroupsLeavesTheComboEmptyAndPeriodChangesQuiet)
{
    fleet.groups.clear();
    Start();
    EXPECT_EQ(0, selection::ComboCount(form->Controls().cmbGroupName));
    EXPECT_EQ(-1, Sel(form->Controls().cmbGroupName));
    SetPicker(form->Controls().DateEnd, 2009, 2, 7);
    Raise(202);  // online data: no group to overview
    EXPECT_TRUE(ComputeRequests().empty());
    EXPECT_FALSE(State().Selection.ComputeRequested);
    EXPECT_TRUE(messages.empty());
}

TEST_F(Selection, GroupChangeAsksForDeviceZeroAndShowsTheKnownLastPoints)
{
    Start();
    SetPicker(form->Controls().DateBegin, 2009, 2, 5);
    SetPicker(form->Controls().TimeBegin, 2000, 1, 1, 7, 5);
    State().Selection.ComputeRequested = false;  // the picker changes asked already
    ForgetCalls();
    const int invalidates = MapObject().InvalidateCount();

    Choose(form->Controls().cmbGroupName, 0);
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    ASSERT_EQ(1u, ComputeRequests().size());
    const ComputeRequest r = ComputeRequests().at(0);
    EXPECT_EQ(L"G1", r.group);
    EXPECT_EQ(0, r.device);
    EXPECT_EQ(L"05.02.2009 07:05:00", r.begin);
    EXPECT_EQ(L"06.02.2009 00:00:00", r.end);
    EXPECT_EQ(L"GSM", r.channel);
    EXPECT_EQ(1, r.mode);
    EXPECT_TRUE(State().Selection.ComputeRequested);
    EXPECT_EQ(0, Sel(form->Controls().cmbInfoPoints)) << "the overview shows the trips list, empty";
    EXPECT_EQ(0, Rows());

    // The three vehicle combos, index-aligned, none chosen.
    ASSERT_EQ(3, selection::ComboCount(form->Controls().cmbCarName));
    EXPECT_EQ(L"ЗИЛ", Item(form->Controls().cmbCarName, 2));
    EXPECT_EQ(L"С001", Item(form->Controls().cmbCarNum, 2));
    EXPECT_EQ(L"15", Item(form->Controls().cmbCarDevice, 2));
    EXPECT_EQ(-1, Sel(form->Controls().cmbCarDevice));

    // Last points: one per vehicle; the unknown one keeps (0, 0) and no shape.
    const TPanelState &data = State();
    ASSERT_EQ(3u, data.LastPoints.Vehicles.size());
    const TMapPoint first = ToMap(37.61, 55.75);
    EXPECT_NEAR(first.X, data.LastPoints.Vehicles[0].Points[0].X, 1e-6);
    EXPECT_NEAR(first.Y, data.LastPoints.Vehicles[0].Points[0].Y, 1e-6);
    EXPECT_EQ((TMapPoint{0, 0}), data.LastPoints.Vehicles[1].Points[0]);
    EXPECT_EQ(2u, layer->Shapes().Vehicles.size());
    EXPECT_EQ(2, data.LastPoints.Index);
    // The dispatcher's texts are escaped: a name cannot add markup.
    EXPECT_EQ(L"ГАЗель &lt;b&gt; А123&amp;ВС<br />(№ КХ: 7,<br />Последняя точка: " + FebText(6, 10) + L")",
              data.LastPoints.Vehicles[0].Text);
    EXPECT_TRUE(data.LastPoints.Vehicles[1].Text.empty());
    EXPECT_EQ(L"N/A", TripLabel());
    EXPECT_GT(MapObject().InvalidateCount(), invalidates);
}

// A position the dispatcher sends as NaN is an unknown one: the group's
// vehicles are all listed and the others' last points still shown.
TEST_F(Selection, VehicleWithANaNPositionIsListedAsUnknown)
{
    VehicleOf(7).samples.back().pos.lon = std::numeric_limits<double>::quiet_NaN();
    Start();
    Choose(form->Controls().cmbGroupName, 0);
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    EXPECT_EQ(3, selection::ComboCount(form->Controls().cmbCarName));
    EXPECT_EQ(1u, layer->Shapes().Vehicles.size()) << "only the vehicle with a known position";
    EXPECT_TRUE(State().LastPoints.Vehicles[0].Text.empty());
}

TEST_F(Selection, VehicleInAnyComboAlignsAllThreeAndAsksOnce)
{
    Start();
    Choose(form->Controls().cmbGroupName, 0);
    EndOfComputation();
    ForgetCalls();

    Choose(form->Controls().cmbCarNum, 2);
    EXPECT_EQ(2, Sel(form->Controls().cmbCarName));
    EXPECT_EQ(2, Sel(form->Controls().cmbCarNum));
    EXPECT_EQ(2, Sel(form->Controls().cmbCarDevice));
    ASSERT_EQ(1u, ComputeRequests().size());
    EXPECT_EQ(15, ComputeRequests().at(0).device);
    EXPECT_EQ(-1, Sel(form->Controls().cmbInfoPoints)) << "the list waits for the end event";
    EXPECT_EQ(0, Rows());

    // While that computation runs, other choices ask for nothing...
    Choose(form->Controls().cmbCarName, 0);
    Choose(form->Controls().cmbCarDevice, 1);
    SetPicker(form->Controls().DateEnd, 2009, 2, 8);
    SetPicker(form->Controls().DateEnd, 2009, 2, 9);
    EXPECT_EQ(1u, ComputeRequests().size());
    EXPECT_EQ(1, Sel(form->Controls().cmbCarNum));

    // ...and after its end the next change does.
    EndOfComputation();
    SetPicker(form->Controls().TimeEnd, 2000, 1, 1, 23, 59);
    ASSERT_EQ(2u, ComputeRequests().size());
    EXPECT_EQ(12, ComputeRequests().at(1).device);
    EXPECT_EQ(L"09.02.2009 23:59:00", ComputeRequests().at(1).end);
}

TEST_F(Selection, FailedRequestShowsItsTextAndLeavesTheFlagFree)
{
    Start();
    FailCall(L"ComputeTrips", L"диспетчер занят");
    Choose(form->Controls().cmbGroupName, 1);
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(L"диспетчер занят", messages[0].text);
    EXPECT_FALSE(State().Selection.ComputeRequested);
    // No computation runs, so the next change must be sent.
    SetPicker(form->Controls().DateBegin, 2009, 2, 1);
    EXPECT_EQ(1u, ComputeRequests().size());
}

TEST_F(Selection, DispatchersOwnComputationIsFollowedWithoutAskingAgain)
{
    Start();
    Choose(form->Controls().cmbGroupName, 0);
    EndOfComputation();  // the panel's own
    ForgetCalls();

    // The operator computed vehicle 21 of "Легковые"; "021" names device 21.
    OperatorComputes(L"G2", 21);
    EndOfComputation();
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    EXPECT_EQ(1, Sel(form->Controls().cmbGroupName));
    ASSERT_EQ(1, selection::ComboCount(form->Controls().cmbCarDevice));
    EXPECT_EQ(0, Sel(form->Controls().cmbCarDevice));
    EXPECT_EQ(0, Sel(form->Controls().cmbCarName));
    EXPECT_TRUE(ComputeRequests().empty());
    EXPECT_FALSE(State().Selection.ComputeRequested);
    EXPECT_FALSE(State().Selection.SyncingFromServer);
    EXPECT_EQ(2, Rows());
}

TEST_F(Selection, BadDeviceTextFromTheDispatcherDoesNotStopLaterRequests)
{
    Start();
    VehicleOf(21).deviceText = "двадцать один";
    OperatorComputes(L"G2", 21);
    EndOfComputation();
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::wstring::npos, messages[0].text.find(L"двадцать один")) << messages[0].text;
    EXPECT_FALSE(State().Selection.SyncingFromServer);
    EXPECT_FALSE(State().Selection.ComputeRequested);
    ForgetCalls();
    Choose(form->Controls().cmbGroupName, 0);
    EXPECT_EQ(1u, ComputeRequests().size()) << "a group change asks again";
}

TEST_F(Selection, OnlineDataSwallowsTheNextEndEventOnly)
{
    Start();
    Choose(form->Controls().cmbGroupName, 0);
    Choose(form->Controls().cmbCarDevice, 0);
    EndOfComputation();
    const int tripsReads = CallsOf(L"TripsCount");
    const size_t vehicles = layer->Shapes().Vehicles.size();

    Raise(202);  // a vehicle is chosen: no overview
    EXPECT_EQ(vehicles, layer->Shapes().Vehicles.size());
    EXPECT_TRUE(State().Selection.SkipNextEndComputing);
    EndOfComputation();
    EXPECT_EQ(tripsReads, CallsOf(L"TripsCount")) << "the list was not refreshed";
    EXPECT_FALSE(State().Selection.SkipNextEndComputing);
    EndOfComputation();
    EXPECT_GT(CallsOf(L"TripsCount"), tripsReads);
}

// The start lists the dispatcher's own last computation and draws its first
// track, while the first group is chosen without a vehicle.
TEST_F(Selection, OnlineDataWithoutAVehicleRedrawsTheOverview)
{
    Start();
    EXPECT_FALSE(layer->Shapes().TrackLines.empty());
    kxfleet::Sample report;
    report.time = Feb(6, 12);
    report.pos = {37.65, 55.77};
    VehicleOf(12).samples.push_back(report);
    Raise(202);
    EXPECT_TRUE(layer->Shapes().TrackLines.empty());
    EXPECT_EQ(3u, layer->Shapes().Vehicles.size());
    EXPECT_EQ(0, Rows());
}

// A dispatcher program that closes is let go at once; the user's next
// choice connects again, lists the groups anew and carries the choice out.
TEST_F(Selection, ClosedDispatcherIsReleasedAndTheNextChoiceConnectsAgain)
{
    Start();
    const LONG refsBefore = Refs();
    ASSERT_EQ(1, dispatcher->sinkCount());
    Raise(203);
    EXPECT_TRUE(linkLog->destroyed);
    EXPECT_EQ(nullptr, DispatcherConnection().Client);
    EXPECT_EQ(0, dispatcher->sinkCount()) << "unsubscribed";
    EXPECT_LT(Refs(), refsBefore) << "the proxy is released";
    EXPECT_FALSE(IsWindowEnabled(form->Controls().ListView1));
    EXPECT_TRUE(messages.empty());

    linkLog = std::make_shared<LinkLog>();
    Choose(form->Controls().cmbGroupName, 1);
    EXPECT_TRUE(messages.empty()) << messages[0].text;
    ASSERT_NE(nullptr, DispatcherConnection().Client);
    EXPECT_EQ(1, dispatcher->sinkCount()) << "the events bound again";
    EXPECT_TRUE(IsWindowEnabled(form->Controls().ListView1));
    EXPECT_EQ(2, selection::ComboCount(form->Controls().cmbGroupName));
    EXPECT_EQ(1, Sel(form->Controls().cmbGroupName));
    ASSERT_EQ(1, selection::ComboCount(form->Controls().cmbCarName));
    EXPECT_EQ(L"Лада", Item(form->Controls().cmbCarName, 0));
    ASSERT_EQ(1u, ComputeRequests().size()) << "the group's own request, once";
    EXPECT_EQ(L"G2", ComputeRequests()[0].group);
}

// Started without the program: the empty group list, opened once the
// program is there, connects and fills.
TEST_F(Selection, AStartWithoutTheProgramHasItsWayBackThroughTheGroupList)
{
    const auto link = PanelSeams().CreateDispatcherLink;
    PanelSeams().CreateDispatcherLink = [] { return std::unique_ptr<IDispatcherLink>(new AbsentLink); };
    Start();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(L"Ошибка запуска ПО Карвекс", messages[0].text);
    EXPECT_EQ(0, selection::ComboCount(form->Controls().cmbGroupName));

    messages.clear();
    OpenList(form->Controls().cmbGroupName);
    ASSERT_EQ(1u, messages.size()) << "still not there";
    EXPECT_EQ(AbsentLink::kText, messages[0].text);

    messages.clear();
    PanelSeams().CreateDispatcherLink = link;
    OpenList(form->Controls().cmbGroupName);
    EXPECT_TRUE(messages.empty()) << messages[0].text;
    EXPECT_EQ(2, selection::ComboCount(form->Controls().cmbGroupName));
    EXPECT_EQ(1, dispatcher->sinkCount());
    EXPECT_TRUE(ComputeRequests().empty()) << "nothing was chosen to ask for";
}

// A call the program refuses is its answer, not its absence: one message,
// and the link stays as it was (nothing connected anew).
TEST_F(Selection, ARefusedCallKeepsTheLink)
{
    Start();
    const IDispatcherLink *link = DispatcherConnection().Client.get();
    FailCall(L"CarsCount", L"Сбой базы данных");
    Choose(form->Controls().cmbGroupName, 1);
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(L"Сбой базы данных", messages[0].text);
    EXPECT_EQ(link, DispatcherConnection().Client.get());
    EXPECT_FALSE(linkLog->destroyed);
    EXPECT_EQ(1, CallsOf(L"GroupsCount")) << "the groups were not listed anew";
}

// A dispatcher program that does not come back: every action that needs it
// says so once, and the panel stays as it was.
TEST_F(Selection, AProgramThatStaysAwayIsToldOnceAnAction)
{
    StartWithTrips();
    const int rows = Rows();
    ASSERT_GT(rows, 0);
    Raise(203);
    PanelSeams().CreateDispatcherLink = [] { return std::unique_ptr<IDispatcherLink>(new AbsentLink); };
    ForgetCalls();

    const auto once = [&](const char *action, const std::function<void()> &act) {
        SCOPED_TRACE(action);
        messages.clear();
        act();
        ASSERT_EQ(1u, messages.size());
        EXPECT_EQ(AbsentLink::kText, messages[0].text);
        EXPECT_EQ(nullptr, DispatcherConnection().Client);
    };
    once("group", [&] { Choose(form->Controls().cmbGroupName, 1); });
    once("vehicle", [&] { Choose(form->Controls().cmbCarDevice, 1); });
    once("group list opened", [&] { OpenList(form->Controls().cmbGroupName); });
    once("category", [&] { Choose(form->Controls().cmbInfoPoints, 1); });
    once("checkpoints", [&] { ClickTool(TMapTool::Checkpoints); });
    EXPECT_EQ(callsSeen, dispatcher->calls()) << "nothing reached the closed program";
    EXPECT_EQ(rows, Rows()) << "the trips listed stay";
    EXPECT_GT(State().Trip.TrackPointCount(), 1) << "the track stays";
}

}  // namespace
