// The panel against the stand-in dispatcher in its own process, through the
// production client: start-up, a group change, the end event, the first
// track in the layer, the trip's stops in the machine's date form; and the
// figures of a 100,000-point track. Every dispatcher a test starts is waited
// for and, failing that, ended by its id.
#include "SelectionTestSupport.h"

#include "DispatcherProcess.h"
#include "ShapeWalker.h"

#include <chrono>

#include "kx/text.h"

using namespace seltest;

namespace {

using namespace dispatcher_process;

// The production link, noting when the end of a computation arrives: the
// panel queues the event and handles it from its message loop.
class TimedLink : public IDispatcherLink {
public:
    explicit TimedLink(Clock::time_point *endArrived) : inner_(CreateKarvexLink()), endArrived_(endArrived) {}
    void Start() override { inner_->Start(); }
    void BindEvents(std::function<void()> end, std::function<void()> close, std::function<void()> online) override
    {
        std::function<void()> noted;
        if (end)
            noted = [end, at = endArrived_] {
                *at = Clock::now();
                end();
            };
        inner_->BindEvents(std::move(noted), std::move(close), std::move(online));
    }
    TKarvexAutomation *Automation() override { return inner_->Automation(); }
    bool Up() override { return inner_->Up(); }

private:
    std::unique_ptr<IDispatcherLink> inner_;
    Clock::time_point *endArrived_;
};

class StandInPanel : public SelectionTest {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(0, RunAndWait(L"/RegServer")); }
    void SetUp() override
    {
        SelectionTest::SetUp();
        ASSERT_TRUE(PumpUntil([] { return !Running(); }, 10000)) << "a dispatcher is still running";
        PanelSeams().CreateDispatcherLink = [this] {
            return std::unique_ptr<IDispatcherLink>(new TimedLink(&endArrived));
        };
    }
    // Lets the dispatcher go: freeing the client ends a dispatcher that has
    // no other client.
    void FreeClient()
    {
        TDispatcherConnection &link = DispatcherConnection();
        link.EventsOwner = nullptr;
        link.Client.reset();
    }
    int GroupNamed(const std::wstring &name)
    {
        for (int i = 0; i < selection::ComboCount(form->Controls().cmbGroupName); ++i)
            if (Item(form->Controls().cmbGroupName, i) == name)
                return i;
        return -1;
    }
    // Waits for the end event that answers the panel's own request.
    // Until the end of the computation has been handled; endMs is the time
    // from its arrival to the end of its handling.
    bool Computed(int ms)
    {
        const bool done = PumpUntil([this] { return !State().Selection.ComputeRequested && !EventsWaiting(); }, ms);
        endMs = MsSince(endArrived);
        return done;
    }

    Clock::time_point endArrived = Clock::now();
    double endMs = 0;
};

TEST_F(StandInPanel, GroupChangeComputesAndTheFirstTrackReachesTheLayer)
{
    // A computation long enough that its end cannot arrive while the group
    // change still lists the vehicles (the calls pump messages).
    OwnDispatcher own(L"/compute-ms:1000", 30);
    ASSERT_TRUE(own.ready());
    Start();
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    ASSERT_GE(selection::ComboCount(form->Controls().cmbGroupName), 4);
    EXPECT_EQ(0, Sel(form->Controls().cmbGroupName));
    SetPeriod(5, 6);

    // The group: device 0, which the stand-in answers with no trips.
    Choose(form->Controls().cmbGroupName, 0);
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    EXPECT_TRUE(State().Selection.ComputeRequested);
    EXPECT_GE(selection::ComboCount(form->Controls().cmbCarDevice), 1);
    ASSERT_TRUE(Computed(10000)) << "no end of computation";
    EXPECT_EQ(L"N/A", TripLabel());

    // A vehicle: its trips are listed and the first track drawn.
    Choose(form->Controls().cmbCarDevice, 0);
    ASSERT_TRUE(Computed(10000)) << "no end of computation";
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    ASSERT_GE(Rows(), 1);
    EXPECT_EQ(L"1", TripLabel());
    EXPECT_GT(State().Trip.TrackPointCount(), 1);
    EXPECT_FALSE(layer->Shapes().TrackLines.empty());
    EXPECT_FALSE(MapObject().ShowPointCalls().empty());
    const kx::Track &track = State().Trip.Track;
    EXPECT_EQ(track.RangeSeconds(), SliderMax());
    EXPECT_NEAR(selection::ParseServerDateTime(Cell(0, 1)), track.startTime(), 1.0 / 86400);

    std::printf("trips %d, first track %d points, end event handled in %.0f ms\n", Rows(),
                State().Trip.TrackPointCount(), endMs);

    // The trips' stops, in the machine's date form, read back.
    size_t stops = 0;
    for (int row = 0; row < Rows(); ++row) {
        ClickRow(row);
        ASSERT_TRUE(messages.empty()) << messages[0].text;
        const kx::Track &shown = State().Trip.Track;
        for (const kx::TStops &stop : State().Trip.TripStops) {
            EXPECT_LE(shown.startTime() - 1e-6, stop.begin);
            EXPECT_LT(stop.begin, stop.end);
            EXPECT_LE(stop.end, shown.endTime() + 1e-6);
        }
        stops += State().Trip.TripStops.size();
    }
    EXPECT_GT(stops, 0u);

    FreeClient();
    EXPECT_TRUE(own.Exited(8000)) << "the dispatcher stays after its last client";
}

TEST_F(StandInPanel, HundredThousandPointTrackFromEndEventToDrawing)
{
    OwnDispatcher own(L"/long-track:100000", 30);
    ASSERT_TRUE(own.ready());
    // Timed as the windowed shell runs: without the call log, whose
    // formatting is the stand-in's cost, not the plug-in's.
    shell.Registry().keepCallLog = false;
    Start();
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    const int group = GroupNamed(L"Нагрузочный тест");
    ASSERT_GE(group, 0);
    SetPeriod(6, 8);  // the trip runs past midnight
    Choose(form->Controls().cmbGroupName, group);
    ASSERT_TRUE(Computed(20000));
    Choose(form->Controls().cmbCarDevice, 0);
    ASSERT_TRUE(Computed(60000));
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    ASSERT_EQ(100000, State().Trip.TrackPointCount());

    const TTrackLoadTimes times = LastTrackLoadTimes();
    const auto t0 = Clock::now();
    kxshell::ShapeWalker walker(shell.SharedRegistry());
    kxshell::WalkOptions options;
    options.askTitle = false;
    const kxshell::WalkResult walk =
        walker.Walk(static_cast<IShapeSource *>(layer), MapObject().BoundsValues(), options);
    const double drawMs = MsSince(t0);
    EXPECT_TRUE(walk.Ok());
    size_t vertices = 0;
    for (const auto &shape : walk.shapes)
        vertices += shape.VertexCount();
    EXPECT_GE(vertices, 100000u);
    std::printf("100000-point track: end event handled in %.0f ms: transfer %.0f ms, conversion %.0f ms, "
                "segment index %.1f ms (%.2f bytes a point), shape build %.0f ms; the shell's walk of the drawn "
                "shapes %.0f ms\n",
                endMs, times.transferMs, times.conversionMs, times.indexMs,
                static_cast<double>(State().Trip.TrackIndex.MemoryBytes()) / times.points, times.shapesMs, drawMs);
    std::printf("the whole load is %.2f times the transfer\n",
                (times.transferMs + times.conversionMs + times.indexMs + times.shapesMs) / times.transferMs);
    EXPECT_EQ(100000, times.points);

    FreeClient();
    EXPECT_TRUE(own.Exited(8000));
}

TEST_F(StandInPanel, ThePlayerGoesOnWhileTheDispatcherIsAwayAndTheNextClickBringsItBack)
{
    OwnDispatcher own(L"");
    ASSERT_TRUE(own.ready());
    double now = 40000.5;
    PanelSeams().Now = [&] { return now; };
    auto tick = [&](double wallSeconds) {
        now += wallSeconds / 86400;
        SendMessageW(form->Handle(), WM_TIMER, form->Timer1().Id(), 0);
    };
    Start();
    SetPeriod(5, 6);
    Choose(form->Controls().cmbGroupName, 0);
    ASSERT_TRUE(Computed(10000));
    Choose(form->Controls().cmbCarDevice, 0);
    ASSERT_TRUE(Computed(10000));
    ASSERT_GE(Rows(), 1);
    ClickRow(0);
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(form->Controls().btnPlay), BN_CLICKED),
                 reinterpret_cast<LPARAM>(form->Controls().btnPlay));
    tick(0.05);
    const LRESULT before = SliderPos();
    EXPECT_GT(before, 1);

    own.Kill();
    tick(0.05);
    EXPECT_GT(SliderPos(), before) << "the loaded track plays on";
    EXPECT_EQ(2u, layer->Shapes().Vehicles.size());
    EXPECT_TRUE(messages.empty()) << messages[0].text;

    // The next click finds the program gone, and it cannot be started
    // again (not there): one message, in Russian.
    const auto production = PanelSeams().CreateDispatcherLink;
    PanelSeams().CreateDispatcherLink = [] { return std::unique_ptr<IDispatcherLink>(new AbsentLink); };
    ClickRow(0);
    ASSERT_EQ(1u, messages.size());
    const std::wstring &text = messages[0].text;
    EXPECT_EQ(0u, text.find(L"Нет связи с ПО Карвекс: программа закрыта или не отвечает. ")) << kx::ToUtf8(text);
    EXPECT_GT(State().Trip.TrackPointCount(), 1) << "the track stays";
    std::printf("the dispatcher gone: \"%s\"\n", kx::ToUtf8(text).c_str());
    EXPECT_EQ(nullptr, DispatcherConnection().Client) << "the dead link let go";

    // The program is started again: the next click on the second trip
    // connects, the same vehicle's trips are listed again with the playing
    // trip still chosen, and then the click loads the trip clicked.
    PanelSeams().CreateDispatcherLink = production;
    OwnDispatcher again(L"");
    ASSERT_TRUE(again.ready());
    messages.clear();
    const int points = State().Trip.TrackPointCount();
    ClickRow(1);
    EXPECT_TRUE(messages.empty()) << messages[0].text;
    ASSERT_NE(nullptr, DispatcherConnection().Client);
    EXPECT_EQ(0, Sel(form->Controls().cmbGroupName));
    EXPECT_EQ(0, Sel(form->Controls().cmbCarDevice));
    const LRESULT playing = SliderPos();
    tick(0.05);
    EXPECT_GT(SliderPos(), playing) << "the replay goes on while the trips are asked for";
    ASSERT_TRUE(Computed(10000));
    ASSERT_TRUE(PumpUntil([&] { return !EventsWaiting(); }, 5000));
    EXPECT_TRUE(messages.empty()) << messages[0].text;
    ASSERT_GE(Rows(), 2);
    EXPECT_EQ(L"2", TripLabel()) << "the click ran once the trips were back";
    EXPECT_NE(points, State().Trip.TrackPointCount());
    FreeClient();
    EXPECT_TRUE(again.Exited(8000));
}

}  // namespace
