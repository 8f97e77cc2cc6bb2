// The client against the stand-in dispatcher in its own process: cold start,
// attaching, events through the message loop, faults, a server that dies.
// Every process a test causes is waited for and, failing that, ended by id.
#include "Bstr.h"
#include "Karvex_TLB.h"

#include "KXDispatcherControl.h"
#include "Karvex.h"
#include "DispatcherProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cwctype>
#include <memory>
#include <set>

namespace {

using namespace dispatcher_process;

// Waits for a dispatcher process to end; ends it by id if it does not.
bool WaitExit(DWORD pid, int ms)
{
    HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    if (!h) return true;  // already gone
    bool exited = false;
    PumpUntil([&] { return WaitForSingleObject(h, 0) == WAIT_OBJECT_0; }, ms);
    exited = WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
    if (!exited) {
        TerminateProcess(h, 9);
        WaitForSingleObject(h, 5000);
    }
    CloseHandle(h);
    return exited;
}

IKXDispatcherControl *ControlOf(TKarvexAutomation &k)
{
    k.Start();
    IKXDispatcherControl *c = nullptr;
    k.DefaultInterface()->QueryInterface(IID_IKXDispatcherControl, reinterpret_cast<void **>(&c));
    return c;
}

struct ControlRef {
    explicit ControlRef(TKarvexAutomation &k) : c(ControlOf(k)) {}
    ~ControlRef() { if (c) c->Release(); }
    IKXDispatcherControl *operator->() const { return c; }
    DWORD Pid() const
    {
        LONG pid = 0;
        c->get_ProcessId(&pid);
        return static_cast<DWORD>(pid);
    }
    IKXDispatcherControl *c;
};

class StandIn : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        // Self-sufficient on a clean prefix: register the program under test.
        ASSERT_EQ(RunAndWait(L"/RegServer"), 0);
    }
    static void TearDownTestSuite() { CoUninitialize(); }
    void SetUp() override
    {
        // A dispatcher left by an earlier test would make this one attach.
        ASSERT_TRUE(PumpUntil([] { return !Running(); }, 8000)) << "a dispatcher is still running";
    }
};

std::wstring Day(int d) { return (d < 10 ? L"0" : L"") + std::to_wstring(d) + L".02.2009 00:00:00"; }

}  // namespace

TEST_F(StandIn, ColdStartServesTheFleetAndExitsWithTheLastClient)
{
    DWORD pid = 0;
    {
        TKarvexAutomation k;
        EXPECT_FALSE(k.Connected());
        const auto t0 = Clock::now();
        try {
            k.Connect();
        } catch (const KarvexError &e) {
            FAIL() << "no dispatcher: 0x" << std::hex << e.Hr();
        }
        const int groups = k.GroupsCount();
        std::printf("cold start and first call: %.0f ms\n", MsSince(t0));
        EXPECT_TRUE(k.Connected());
        ASSERT_GE(groups, 4);
        int cars = 0, unknownPosition = 0;
        std::set<std::wstring> keys;
        for (int g = 1; g <= groups; ++g) {
            k.GroupIndex(g);
            const std::wstring key = k.GroupKey();
            EXPECT_TRUE(keys.insert(key).second);
            EXPECT_FALSE(k.GroupName().empty());
            k.SelectGroup(key);
            for (int c = 1, n = k.CarsCount(); c <= n; ++c, ++cars) {
                k.CarIndex(c);
                EXPECT_FALSE(k.CarName().empty());
                EXPECT_FALSE(k.CarNumber().empty());
                EXPECT_GT(k.CarDevice(), 0);
                const double lon = k.CarLastLongitude(), lat = k.CarLastLatitude();
                if (lon <= 0 && lat <= 0) {
                    ++unknownPosition;
                    continue;
                }
                EXPECT_NEAR(lon, 37.6, 0.2);
                EXPECT_NEAR(lat, 55.75, 0.1);
                EXPECT_NO_THROW(KarvexParseDateTime(k.CarLastTime()));
            }
        }
        EXPECT_GE(cars, 12);
        EXPECT_GE(unknownPosition, 1);
        ControlRef c(k);
        pid = c.Pid();
        EXPECT_NE(pid, GetCurrentProcessId());
    }
    EXPECT_TRUE(WaitExit(pid, 8000)) << "the dispatcher outlived its last client";
}

TEST_F(StandIn, AttachesToARunningInstanceSharedByClients)
{
    OwnDispatcher own(L"");
    ASSERT_TRUE(own.ready());
    {
        TKarvexAutomation a, b;
        const auto t0 = Clock::now();
        a.Start();
        std::printf("attach to a running dispatcher: %.1f ms\n", MsSince(t0));
        b.Start();
        ControlRef ca(a), cb(b);
        EXPECT_EQ(ca.Pid(), own.pid());
        EXPECT_EQ(cb.Pid(), own.pid());
        LONG sinks = 0;
        ca->get_SinkCount(&sinks);
        EXPECT_EQ(sinks, 2);
        // Destroying a client unsubscribes it.
        b.Disconnect();
        ca->get_SinkCount(&sinks);
        EXPECT_EQ(sinks, 1);
    }
    EXPECT_TRUE(own.Exited(8000));
}

TEST_F(StandIn, ComputationEndsWithAnEventAndServesTripsTracksAndEntries)
{
    TKarvexAutomation k;
    int ends = 0;
    k.OnEndComputing = [&] { ++ends; };
    ControlRef c(k);
    const DWORD pid = c.Pid();
    c->SetOnlineInterval(0);
    k.SelectGroup(L"G1");
    k.CarIndex(1);
    const int device = k.CarDevice();
    k.ComputeTrips(L"G1", device, Day(5), Day(6), L"GSM", 1);
    EXPECT_EQ(k.ComputeStatus(), 1);
    ASSERT_TRUE(PumpUntil([&] { return ends > 0; }, 5000)) << "no OnEndComputing";
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(k.ComputeStatus(), 0);
    const int trips = k.TripsCount();
    ASSERT_GE(trips, 3);
    const double from = KarvexParseDateTime(Day(5)), to = KarvexParseDateTime(Day(6));
    std::map<std::wstring, int> entries;
    for (int t = 1; t <= trips; ++t) {
        k.TripIndex(t);
        const double b = KarvexParseDateTime(k.TripBegin()), e = KarvexParseDateTime(k.TripEnd());
        EXPECT_LE(from, b);
        EXPECT_LT(b, e);
        EXPECT_LE(e, to);
        const std::wstring dur = k.TripDuration();
        EXPECT_EQ(dur.size(), 8u) << "under a day: hh:mm:ss";
        const int n = k.TrackPointsCount();
        const std::vector<double> crds = k.TrackCrdsArray(n);
        ASSERT_EQ(crds.size(), 5u * n);
        EXPECT_NEAR(crds[0], b, 1.0 / 86400);
        for (int p = 1; p < n; ++p) {
            ASSERT_GT(crds[5 * p], crds[5 * p - 5]);
            ASSERT_GE(crds[5 * p + 3], crds[5 * p - 2]);
            ASSERT_GE(crds[5 * p + 4], 0);
        }
        for (const wchar_t *q : {L"checkpoints-stages", L"parks", L"blinds", L"power_off", L"over_speed",
                                 L"tank-num1", L"tank-num2", L"sensor_on-num1", L"sensor_on-num3"}) {
            const std::wstring query = q;
            const size_t dash = query.find(L'-');
            k.TripEntriesListTypeName(query.substr(0, dash));
            if (dash != std::wstring::npos) k.TripEntriesListKindName(query.substr(dash + 1));
            const int m = k.TripEntriesCount();
            entries[query] += m;
            for (int i = 1; i <= m; ++i) {
                k.TripEntryIndex(i);
                const double eb = KarvexParseDateTime(k.TripEntryBegin());
                EXPECT_LE(eb, KarvexParseDateTime(k.TripEntryEnd()));
                EXPECT_GE(eb, b);
                const std::wstring d = k.TripEntryDuration();
                ASSERT_GE(d.size(), 8u);
                EXPECT_EQ(d[d.size() - 3], L':');
                const double lon = k.TripEntryLongitude();
                EXPECT_TRUE(lon == -777 || std::fabs(lon - 37.6) < 0.2) << lon;
                k.TripEntrySpeed();
                k.TripEntryTank1Begin();
                k.TripEntryTank1End();
            }
        }
    }
    EXPECT_GT(entries[L"parks"], 0);
    EXPECT_GT(entries[L"checkpoints-stages"], 0);
    EXPECT_GT(entries[L"sensor_on-num3"], 0);
    // A type sent alone keeps the kind sent before.
    k.TripIndex(1);
    k.TripEntriesListTypeName(L"tank");
    k.TripEntriesListKindName(L"num1");
    k.TripEntriesListTypeName(L"sensor_on");
    EXPECT_NO_THROW(k.TripEntriesCount());
    // Device 0 is the whole group: no trips.
    k.ComputeTrips(L"G1", 0, Day(5), Day(6), L"GSM", 1);
    ASSERT_TRUE(PumpUntil([&] { return ends == 2; }, 5000));
    EXPECT_EQ(k.TripsCount(), 0);
    (void)pid;
}

TEST_F(StandIn, TheDispatchersOwnChoiceAndCheckpoints)
{
    TKarvexAutomation k;
    int ends = 0;
    k.OnEndComputing = [&] { ++ends; };
    ControlRef c(k);
    // At start it has already computed something of its own.
    EXPECT_EQ(k.ComputeStatus(), 0);
    EXPECT_GT(k.TripsCount(), 0);
    const std::wstring group = k.ServerGroupKey();
    const int car = k.ServerCar();
    k.SelectGroup(group);
    k.PropertyName(L"Group_Name");
    const std::wstring name = k.PropertyValue();
    bool found = false;
    for (int g = 1, n = k.GroupsCount(); g <= n; ++g) {
        k.GroupIndex(g);
        found |= k.GroupKey() == group && k.GroupName() == name;
    }
    EXPECT_TRUE(found);
    k.SelectServerCar(car);
    k.PropertyName(L"Car_Device");
    EXPECT_EQ(std::stoi(k.PropertyValue()), car);
    EXPECT_EQ(k.CarDevice(), car);

    k.LoadCheckpoints(k.CheckpointsKey());
    const int n = k.CheckpointsCount();
    ASSERT_GE(n, 4);
    for (int i = 1; i <= n; ++i) {
        k.CheckpointIndex(i);
        EXPECT_FALSE(k.CheckpointName().empty());
        EXPECT_FALSE(k.CheckpointAddress().empty());
        EXPECT_GT(k.CheckpointRadius(), 0);
        EXPECT_NEAR(k.CheckpointLongitude(), 37.6, 0.2);
        EXPECT_NEAR(k.CheckpointLatitude(), 55.75, 0.1);
    }

    // A computation of its own choosing moves its choice on and ends with
    // the same event as the panel's own.
    ASSERT_EQ(c->ComputeServerChoice(Bstr(L"").Get(), 0, Bstr(L"").Get(), Bstr(L"").Get()), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return ends == 1; }, 5000));
    EXPECT_NE(k.ServerCar(), car);
    EXPECT_EQ(k.ComputeStatus(), 0);
}

TEST_F(StandIn, EventsReachTheirHandlersThroughTheMessageLoop)
{
    TKarvexAutomation k;
    int online = 0, closed = 0, ends = 0;
    k.OnReceiveOnlineData = [&] { ++online; };
    k.OnCloseServer = [&] { ++closed; };
    k.OnEndComputing = [&] { ++ends; };
    ControlRef c(k);
    const DWORD pid = c.Pid();
    for (LONG id : {201, 204, 999, 202}) c->FireEvent(id);
    ASSERT_TRUE(PumpUntil([&] { return online == 1; }, 3000));
    Pump(100);
    EXPECT_EQ(ends, 0);
    EXPECT_EQ(closed, 0);
    // Online data comes with a recomputation of what was last computed.
    c->SetOnlineInterval(200);
    ASSERT_TRUE(PumpUntil([&] { return online >= 2 && ends >= 1; }, 5000));
    c->SetOnlineInterval(0);
    // Closing the dispatcher says so before it goes.
    c->Shutdown();
    ASSERT_TRUE(PumpUntil([&] { return closed == 1; }, 5000));
    EXPECT_TRUE(k.Lost()) << "nothing is to reach a dispatcher that said it closes";
    EXPECT_TRUE(WaitExit(pid, 8000));
    EXPECT_THROW(k.GroupsCount(), KarvexError);
}

TEST_F(StandIn, FailuresCarryTheServersOwnText)
{
    TKarvexAutomation k;
    ControlRef c(k);
    c->FailNextCall(Bstr(L"Сбой связи с базой данных").Get());
    try {
        k.GroupsCount();
        FAIL() << "no exception";
    } catch (const KarvexError &e) {
        // Through the interface table Wine does not carry the error object
        // across processes; the system's text for the HRESULT is what is left.
        EXPECT_EQ(e.Hr(), static_cast<HRESULT>(0x80040201));
        EXPECT_FALSE(e.LinkLost()) << "a refused call is not a lost dispatcher";
        if (e.Message() != L"Сбой связи с базой данных")
        {
            EXPECT_NE(e.Message().find(L"0x80040201"), std::wstring::npos) << e.what();
        }
    }
    EXPECT_GE(k.GroupsCount(), 4) << "only the next call fails";
    // By name, the text comes back through the exception information.
    c->FailNextCall(Bstr(L"Ошибка по имени").Get());
    try {
        k.PropertyName(L"Group_Name");
        FAIL() << "no exception";
    } catch (const KarvexError &e) {
        EXPECT_EQ(e.Message(), L"Ошибка по имени");
    }
    // The server's own refusals.
    try {
        k.SelectGroup(L"нет-такой");
        FAIL() << "no exception";
    } catch (const KarvexError &e) {
        EXPECT_EQ(e.Hr(), E_INVALIDARG);
        EXPECT_FALSE(e.Message().empty());
    }
    try {
        k.TripEntriesListTypeName(L"bogus");
        FAIL() << "no exception";
    } catch (const KarvexError &e) {
        EXPECT_NE(e.Message().find(L"bogus"), std::wstring::npos) << e.what();
    }
    EXPECT_THROW(k.ComputeTrips(L"G1", 0, L"31.02.2009 00:00:00", Day(6), L"GSM", 1), KarvexError);
    EXPECT_THROW(k.GroupIndex(0), KarvexError);
    EXPECT_THROW(k.CarIndex(100), KarvexError);
    // A slow server is slow, not wrong.
    c->SetCallDelay(300);
    const auto t0 = Clock::now();
    EXPECT_GE(k.GroupsCount(), 4);
    EXPECT_GE(MsSince(t0), 280);
    c->SetCallDelay(0);
}

TEST_F(StandIn, MalformedDataIsReportedAsErrors)
{
    TKarvexAutomation k;
    ControlRef c(k);
    k.SelectGroup(L"G1");
    k.CarIndex(1);
    k.ComputeTrips(L"G1", k.CarDevice(), Day(5), Day(6), L"GSM", 1);
    int ends = 0;
    k.OnEndComputing = [&] { ++ends; };
    ASSERT_TRUE(PumpUntil([&] { return ends == 1; }, 5000));
    k.TripIndex(1);
    const int n = k.TrackPointsCount();
    ASSERT_EQ(k.TrackCrdsArray(n).size(), 5u * n);

    auto expectBad = [&](const wchar_t *kind, const std::function<void()> &call) {
        ASSERT_EQ(c->SetMalformed(Bstr(kind).Get()), S_OK);
        try {
            call();
            ADD_FAILURE() << "accepted malformed data: " << (kind ? "" : "");
        } catch (const KarvexError &e) {
            EXPECT_FALSE(e.Message().empty());
        }
        c->SetMalformed(Bstr(L"none").Get());
    };
    expectBad(L"negative-counts", [&] { k.GroupsCount(); });
    expectBad(L"huge-counts", [&] { k.TripsCount(); });
    expectBad(L"negative-counts", [&] { k.TrackPointsCount(); });
    ASSERT_EQ(c->SetMalformed(Bstr(L"nan").Get()), S_OK);
    EXPECT_EQ(-777, k.CarLastLongitude()) << "a NaN position is an unknown one, not bad data";
    c->SetMalformed(Bstr(L"none").Get());
    expectBad(L"nan", [&] { k.TrackCrdsArray(); });
    expectBad(L"short-array", [&] { k.TrackCrdsArray(); });
    expectBad(L"wrong-type-array", [&] { k.TrackCrdsArray(); });
    expectBad(L"not-array", [&] { k.TrackCrdsArray(); });
    expectBad(L"text-in-array", [&] { k.TrackCrdsArray(); });
    expectBad(L"long-array", [&] { k.TrackCrdsArray(n); });
    expectBad(L"bad-dates", [&] { KarvexParseDateTime(k.TripBegin()); });
    expectBad(L"bad-dates", [&] { KarvexParseDateTime(k.CarLastTime()); });
    // A well-formed array of another length than announced.
    EXPECT_THROW(k.TrackCrdsArray(n + 1), KarvexError);
    EXPECT_EQ(c->SetMalformed(Bstr(L"whatever").Get()), E_INVALIDARG);
}

// The faults of one operation and of one computation, ordered through the
// control interface; everything else goes on as before.
TEST_F(StandIn, AnOperationOrAComputationFailsOnceWhenOrdered)
{
    TKarvexAutomation k;
    ControlRef c(k);
    k.SelectGroup(L"G1");
    ASSERT_EQ(c->FailCall(Bstr(L"CarsCount").Get(), Bstr(L"занят").Get()), S_OK);
    ASSERT_EQ(c->FailCall(Bstr(L"CarIndex").Get(), Bstr(L"тоже занят").Get()), S_OK);
    EXPECT_GE(k.GroupsCount(), 4) << "another operation is served";
    EXPECT_THROW(k.CarsCount(), KarvexError);
    const int cars = k.CarsCount();
    EXPECT_GE(cars, 1) << "only the next call of it fails";
    EXPECT_THROW(k.CarIndex(1), KarvexError);
    k.CarIndex(1);
    EXPECT_EQ(c->FailCall(Bstr(L"").Get(), Bstr(L"без имени").Get()), E_INVALIDARG);

    int ends = 0;
    k.OnEndComputing = [&] { ++ends; };
    ASSERT_EQ(c->FailNextComputation(), S_OK);
    for (int expected : {2, 0}) {
        SCOPED_TRACE(expected);
        k.ComputeTrips(L"G1", k.CarDevice(), Day(4), Day(7), L"GSM", 1);
        const int before = ends;
        ASSERT_TRUE(PumpUntil([&] { return ends > before; }, 5000));
        EXPECT_EQ(k.ComputeStatus(), expected);
        EXPECT_EQ(k.TripsCount() > 0, expected == 0);
    }
}

TEST_F(StandIn, AServerDyingMidSessionGivesAClearErrorAndNoHang)
{
    DWORD pid = 0;
    {
        TKarvexAutomation k;
        int closed = 0;
        k.OnCloseServer = [&] { ++closed; };
        {
            ControlRef c(k);
            pid = c.Pid();
            c->ExitDuringCall(2);
        }
        EXPECT_GE(k.GroupsCount(), 4);
        const auto t0 = Clock::now();
        try {
            k.GroupIndex(1);
            FAIL() << "a dead server answered";
        } catch (const KarvexError &e) {
            std::printf("dead server: %s (0x%08lX) after %.0f ms\n", e.what(), static_cast<unsigned long>(e.Hr()),
                        MsSince(t0));
            EXPECT_TRUE(FAILED(e.Hr()));
            // Russian first, naming the problem; the system's own text after it.
            EXPECT_EQ(0u, e.Message().rfind(L"Нет связи с ПО Карвекс: программа закрыта или не отвечает. ", 0))
                << e.what();
            EXPECT_GT(e.Message().size(), 60u) << "the system's text is missing";
            EXPECT_TRUE(e.LinkLost());
        }
        EXPECT_LT(MsSince(t0), 10000);
        EXPECT_TRUE(k.Lost());
        // Lost for good: the next call fails at once and starts no dispatcher.
        try {
            k.GroupsCount();
            FAIL() << "a lost client answered";
        } catch (const KarvexError &e) {
            EXPECT_TRUE(e.LinkLost());
        }
        EXPECT_EQ(closed, 0) << "an abrupt end sends no event";
        const auto t1 = Clock::now();
        k.Disconnect();
        EXPECT_LT(MsSince(t1), 5000) << "unsubscribing from a dead server hung";
    }
    EXPECT_TRUE(WaitExit(pid, 5000));
    // The next client starts a fresh dispatcher despite the stale registration.
    TKarvexAutomation fresh;
    EXPECT_GE(fresh.GroupsCount(), 4);
    ControlRef c(fresh);
    EXPECT_NE(c.Pid(), pid);
}

