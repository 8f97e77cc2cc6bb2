// The dispatcher's events wait for the panel's own work: an event raised
// while a handler waits on a dispatcher call runs after that handler, in the
// order raised, never against a client let go, and never after shut-down.
#include "SelectionTestSupport.h"

using namespace seltest;

namespace {

class DispatcherEvents : public SelectionTest {
protected:
    // The event goes out from inside the n-th later call of the operation.
    void RaiseDuring(const wchar_t *operation, long n, DISPID id)
    {
        ASSERT_EQ(S_OK, Control()->FireDuringCall(Bstr(operation).Get(), n, id));
    }
    // Serial numbers of an operation's calls since ForgetCalls.
    std::vector<long> Serials(const wchar_t *operation) const
    {
        std::vector<long> out;
        for (const kxd::CallRecord &c : dispatcher->journal())
            if (c.serial > callsSeen && c.name == operation)
                out.push_back(c.serial);
        return out;
    }
    void ExpectWholeVehicleFill()
    {
        const HWND names = form->Controls().cmbCarName, numbers = form->Controls().cmbCarNum,
                   devices = form->Controls().cmbCarDevice;
        ASSERT_EQ(3, selection::ComboCount(names));
        ASSERT_EQ(3, selection::ComboCount(numbers));
        ASSERT_EQ(3, selection::ComboCount(devices));
        const wchar_t *expected[3][3] = {{L"ГАЗель <b>", L"А123&ВС", L"7"}, {L"КамАЗ", L"В777", L"12"},
                                         {L"ЗИЛ", L"С001", L"15"}};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(expected[i][0], Item(names, i));
            EXPECT_EQ(expected[i][1], Item(numbers, i));
            EXPECT_EQ(expected[i][2], Item(devices, i));
        }
    }
};

// Choosing a group: the overview reads the names of the two vehicles with a
// position, then the fill reads all three; online data raised inside the
// fill's first name waits until the fill has read every vehicle, then
// redraws the overview once and marks the computation's end to be skipped.
TEST_F(DispatcherEvents, OnlineDataDuringAFillRunsAfterItAndTheFillIsWhole)
{
    Start();
    SetPeriod(6, 7);
    ForgetCalls();
    RaiseDuring(L"CarName", 3, 202);

    Choose(form->Controls().cmbGroupName, 0);
    EXPECT_TRUE(messages.empty()) << messages[0].text;
    EXPECT_EQ(1, dispatcher->raised(202));
    ExpectWholeVehicleFill();
    const std::vector<long> selects = Serials(L"SelectGroup"), devices = Serials(L"CarDevice");
    ASSERT_EQ(3u, selects.size()) << "overview, fill, then the event's overview";
    int fillDevices = 0;  // the fill's device reads, between its group selection and the event's
    for (long serial : devices)
        fillDevices += serial > selects[1] && serial < selects[2];
    EXPECT_EQ(3, fillDevices) << "the event's handler ran inside the fill";
    EXPECT_FALSE(EventsWaiting()) << "the handler's end ran the queue";
    EXPECT_TRUE(State().Selection.SkipNextEndComputing);
    EXPECT_EQ(2u, layer->Shapes().Vehicles.size());

    // The group's computation ends: swallowed, as online data before it says.
    const int tripsReads = CallsOf(L"TripsCount");
    EndOfComputation();
    EXPECT_EQ(tripsReads, CallsOf(L"TripsCount"));
    EXPECT_FALSE(State().Selection.SkipNextEndComputing);
}

// A burst of online data and the end of a computation raised inside one
// call: handled in order after it, the burst as one refresh, with the end
// swallowed as one by one would have it.
TEST_F(DispatcherEvents, BurstInsideACallEndsAsOneByOne)
{
    Start();
    SetPeriod(6, 7);
    Choose(form->Controls().cmbGroupName, 0);
    EndOfComputation();
    ForgetCalls();
    for (DISPID id : {202, 202, 202, 205})
        RaiseDuring(L"CarName", 1, id);

    Choose(form->Controls().cmbGroupName, 0);
    EXPECT_TRUE(messages.empty()) << messages[0].text;
    ExpectWholeVehicleFill();
    EXPECT_EQ(3, dispatcher->raised(202));
    EXPECT_EQ(3u, Serials(L"SelectGroup").size()) << "overview, fill, one overview for the burst";
    EXPECT_FALSE(State().Selection.SkipNextEndComputing) << "the end event took the flag";
    EXPECT_EQ(0, CallsOf(L"TripsCount")) << "the end event was swallowed";
    EXPECT_TRUE(State().Selection.ComputeRequested) << "the group's own computation is still awaited";
}

// The close raised inside a fill, online data behind it: the program has
// said it goes, so the fill's next call fails at once with the one message;
// then the close is handled (the client let go, the list disabled) and the
// online data finds nobody to ask (no call, no second message).
TEST_F(DispatcherEvents, EventsBehindACloseDoNothing)
{
    Start();
    SetPeriod(6, 7);
    ForgetCalls();
    RaiseDuring(L"CarName", 3, 203);
    RaiseDuring(L"CarName", 3, 202);

    Choose(form->Controls().cmbGroupName, 0);
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(0u, messages[0].text.find(kKarvexLinkLost)) << messages[0].text;
    EXPECT_TRUE(linkLog->destroyed);
    EXPECT_EQ(nullptr, DispatcherConnection().Client);
    EXPECT_FALSE(IsWindowEnabled(form->Controls().ListView1));
    EXPECT_EQ(2u, Serials(L"SelectGroup").size()) << "no overview after the close";
    EXPECT_FALSE(EventsWaiting());
}

// The user's action arriving while a handler is under way (here while its
// error box is up, as during any wait on the dispatcher) runs after it.
TEST_F(DispatcherEvents, AUsersActionDuringAHandlerRunsAfterIt)
{
    Start();
    SetPeriod(6, 7);
    ForgetCalls();
    FailCall(L"CarsCount", L"Сбой базы данных");
    size_t requestsWhileTheBoxWasUp = 0;
    PanelSeams().Message = [&](HWND, const std::wstring &text, const std::wstring &, UINT) {
        messages.push_back({nullptr, text, L"", 0});
        Choose(form->Controls().cmbGroupName, 1);  // the user picks another group meanwhile
        requestsWhileTheBoxWasUp = ComputeRequests().size();
        return IDOK;
    };

    Choose(form->Controls().cmbGroupName, 0);
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(L"Сбой базы данных", messages[0].text);
    EXPECT_EQ(1u, requestsWhileTheBoxWasUp) << "the second choice ran inside the first";
    ASSERT_EQ(2u, ComputeRequests().size());
    EXPECT_EQ(L"G2", ComputeRequests().back().group);
    ASSERT_EQ(1, selection::ComboCount(form->Controls().cmbCarName));
    EXPECT_EQ(L"Лада", Item(form->Controls().cmbCarName, 0));
    EXPECT_FALSE(EventsWaiting());
}

// Events still waiting when the shell terminates the panel, or when the
// panel is destroyed without it, are dropped: none runs later.
TEST_F(DispatcherEvents, ShutDownAndDestructionDropWaitingEvents)
{
    for (bool terminate : {true, false}) {
        SCOPED_TRACE(terminate ? "terminated" : "destroyed");
        Start();
        const long before = dispatcher->raised(202);
        ASSERT_EQ(S_OK, Control()->FireEvent(202));
        // Only until the dispatcher has raised it: the panel's wake-up is still posted.
        ASSERT_TRUE(PumpUntil([&] { return dispatcher->raised(202) > before; }));
        ASSERT_TRUE(EventsWaiting());
        ForgetCalls();
        if (terminate) {
            form->ActiveFormDestroy();
            EXPECT_FALSE(EventsWaiting());
        } else {
            control.Reset();
            form = nullptr;
        }
        PumpUntil([] { return false; }, 200);
        EXPECT_EQ(0u, Serials(L"SelectGroup").size());
        EXPECT_TRUE(messages.empty());
        control.Reset();
        form = nullptr;
        DispatcherConnection().Client.reset();
    }
}

}  // namespace
