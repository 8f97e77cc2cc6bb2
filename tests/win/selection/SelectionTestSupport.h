// The panel over the stand-in shell and its own layer, talking through the
// real client to the stand-in dispatcher's own automation object, created in
// this process over a fleet the test scripts. Its timers and events arrive
// through this thread's message loop, which the helpers pump until the event
// has been raised. Handlers are reached as the user reaches them (control
// notifications) so that failures pass the handler boundary and land in the
// captured messages.
#pragma once

#include "../panel/TestSupport.h"

#include "Bstr.h"
#include "DateText.h"
#include "Dispatcher.h"
#include "kxfleet/Fleet.h"

#include "GeoToMap.h"
#include "Karvex_TLB.h"
#include "Layer.h"
#include "PanelControl.h"
#include "SelectionSupport.h"
#include "StandInShell.h"

#include <commctrl.h>

#include <stdexcept>

namespace seltest {

struct LinkLog {
    bool destroyed = false;
};

// The production link's shape, connected to a given server instead.
class TestLink : public IDispatcherLink {
public:
    TestLink(IKarvexAutomation *server, std::shared_ptr<LinkLog> log) : log_(std::move(log))
    {
        client_.ConnectTo(server);
    }
    ~TestLink() override { log_->destroyed = true; }
    void Start() override {}
    void BindEvents(std::function<void()> end, std::function<void()> close, std::function<void()> online) override
    {
        client_.OnEndComputing = std::move(end);
        client_.OnCloseServer = std::move(close);
        client_.OnReceiveOnlineData = std::move(online);
    }
    TKarvexAutomation *Automation() override { return &client_; }
    bool Up() override { return client_.Connected() && !client_.Lost(); }

private:
    TKarvexAutomation client_;
    std::shared_ptr<LinkLog> log_;
};

// A dispatcher program that is not there: connecting fails.
class AbsentLink : public IDispatcherLink {
public:
    static constexpr const wchar_t *kText = L"Нет связи с ПО Карвекс: программа закрыта или не отвечает. Сервер RPC недоступен.";
    void Start() override { throw EPanelError(kText, HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE)); }
    void BindEvents(std::function<void()>, std::function<void()>, std::function<void()>) override {}
    TKarvexAutomation *Automation() override { return nullptr; }
    bool Up() override { return false; }
};

// A time of a day in February 2009, as a date-time.
inline double Feb(int day, int hour = 0, int minute = 0, int second = 0)
{
    return kxfleet::MakeDateTime(2009, 2, day, hour, minute, second);
}
// The dispatcher's text of that time, in the machine's date form.
inline std::wstring FebText(int day, int hour = 0, int minute = 0, int second = 0)
{
    return kxd::FormatDateTimeText(Feb(day, hour, minute, second));
}

// 6 February 2009, 08:00, as a date-time.
constexpr double kTripStart = 39850.0 + 8.0 / 24;

// A trip of `points` points, one every `stepSeconds` from `start`, along a
// line east of 37.6 E, 55.75 N: 7 m and 30 km/h a point.
inline kxfleet::Trip LineTrip(int points, double start, int stepSeconds)
{
    kxfleet::Trip trip;
    for (int k = 0; k < points; ++k)
        trip.track.push_back({start + static_cast<double>(k) * stepSeconds / 86400.0, 37.6 + k * 1e-4,
                              55.75 + k * 5e-5, k * 7.0, 30.0});
    trip.begin = start;
    trip.end = start + static_cast<double>(points - 1) * stepSeconds / 86400.0;
    return trip;
}

inline kxfleet::Entry Period(double begin, double end)
{
    kxfleet::Entry e;
    e.begin = begin;
    e.end = end;
    return e;
}

// A vehicle whose last report was at `lastReport` from (lon, lat); without
// a report when `lastReport` is 0.
inline kxfleet::Vehicle Car(const char *name, const char *number, int device, double lon, double lat,
                            double lastReport)
{
    kxfleet::Vehicle v;
    v.name = name;
    v.number = number;
    v.device = device;
    if (lastReport > 0) {
        kxfleet::Sample s;
        s.time = lastReport;
        s.pos = {lon, lat};
        v.samples.push_back(s);
    }
    return v;
}

// A computation the dispatcher accepted, as it was asked for.
struct ComputeRequest {
    std::wstring group;
    long device;
    std::wstring begin, end, channel;
    long mode;
};

class SelectionTest : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        ASSERT_EQ(S_OK, types.Load(KX_KARVEX_TLB_PATH, KX_CONTROL_TLB_PATH));
        options.onlineMs = 0;  // online data only when a test raises it
        options.computeMs = 1;
        Script();
        PanelSeams().CreateDispatcherLink = [this] {
            if (!dispatcher)
                dispatcher = new kxd::Dispatcher(options, fleet, types, nullptr);
            return std::unique_ptr<IDispatcherLink>(new TestLink(dispatcher, linkLog));
        };
        view = std::make_unique<TBaseView>(shell.BaseViewInterface());
        layer = new TLayer(view.get(), state);
        layer->AddRef();
    }

    void TearDown() override
    {
        control.Reset();
        PanelTest::TearDown();
        layer->Detach();
        layer->Release();
        view.reset();
        shell.Shutdown();
        if (dispatcher)
            dispatcher->Release();
    }

    // Two groups; the second vehicle's position is unknown. Each vehicle
    // with a position has the same two trips of 6 February: trip 1 lasts 90
    // minutes with two stops, trip 2 has ten points. The dispatcher's own
    // property writes the fourth vehicle's device as "021".
    void Script()
    {
        kxfleet::Trip one = LineTrip(91, kTripStart, 60);
        one.lists["parks"] = {Period(Feb(6, 8, 10), Feb(6, 8, 20)), Period(Feb(6, 9, 0), Feb(6, 9, 5))};
        one.lists["over_speed"] = {Period(Feb(6, 8, 1), Feb(6, 8, 1, 3)), Period(Feb(6, 8, 30), Feb(6, 8, 31)),
                                   Period(Feb(6, 9, 15, 30), Feb(6, 9, 16))};
        kxfleet::Trip two = LineTrip(10, kTripStart + 2.0 / 24, 30);
        two.lists["parks"] = {Period(Feb(6, 10, 1), Feb(6, 10, 2))};

        fleet = kxfleet::Fleet();
        const auto add = [&](kxfleet::Vehicle v, const char *group, const char *name) {
            if (!v.samples.empty())
                v.trips = {one, two};
            fleet.AddVehicle(std::move(v), group, name);
        };
        add(Car("ГАЗель <b>", "А123&ВС", 7, 37.61, 55.75, Feb(6, 10)), "G1", "Грузовые");
        add(Car("КамАЗ", "В777", 12, 0, 0, 0), "G1", "Грузовые");
        add(Car("ЗИЛ", "С001", 15, 37.70, 55.80, Feb(6, 11)), "G1", "Грузовые");
        kxfleet::Vehicle lada = Car("Лада", "Е555", 21, 37.5, 55.7, Feb(6, 9));
        lada.deviceText = "021";
        add(std::move(lada), "G2", "Легковые");
    }

    // The data the dispatcher serves: the script until the panel has started
    // it, its own from then on (a change is new data from the vehicles).
    kxfleet::Fleet &DispatcherData() { return dispatcher ? dispatcher->fleet() : fleet; }
    kxfleet::Vehicle &VehicleOf(int device)
    {
        for (kxfleet::Vehicle &v : DispatcherData().vehicles)
            if (v.device == device)
                return v;
        throw std::out_of_range("no such vehicle in the script");
    }
    // The trips list of the first vehicle, whose trips the tests load.
    std::vector<kxfleet::Trip> &FirstCarTrips() { return VehicleOf(7).trips; }

    // The dispatcher's control interface (its fault switches), borrowed.
    IKXDispatcherControl *Control()
    {
        ComPtr<IKXDispatcherControl> c;
        dispatcher->QueryInterface(IID_IKXDispatcherControl, reinterpret_cast<void **>(c.Put()));
        return c.Get();  // the dispatcher holds the reference
    }
    void Malformed(const wchar_t *kind) { ASSERT_EQ(S_OK, Control()->SetMalformed(Bstr(kind).Get())); }
    void FailCall(const wchar_t *operation, const wchar_t *text)
    {
        ASSERT_EQ(S_OK, Control()->FailCall(Bstr(operation).Get(), Bstr(text).Get()));
    }
    // The dispatcher's operator computes a vehicle's trips of 6 February.
    void OperatorComputes(const wchar_t *group, long device)
    {
        ASSERT_EQ(S_OK, Control()->ComputeServerChoice(Bstr(group).Get(), device, Bstr(L"06.02.2009 00:00:00").Get(),
                                                       Bstr(L"07.02.2009 00:00:00").Get()));
    }
    // The dispatcher raises an event, from the message loop, and the panel
    // has handled it (its sink only queues it).
    void Raise(DISPID id)
    {
        const long before = dispatcher->raised(id);
        ASSERT_EQ(S_OK, Control()->FireEvent(id));
        ASSERT_TRUE(PumpUntil([&] { return dispatcher->raised(id) > before && !EventsWaiting(); })) << "event " << id;
    }
    // The end of the computation under way, or, when none is, the end event
    // on its own.
    void EndOfComputation()
    {
        if (!dispatcher->computing())
            return Raise(205);
        const long before = dispatcher->raised(205);
        ASSERT_TRUE(PumpUntil([&] { return dispatcher->raised(205) > before && !EventsWaiting(); }))
            << "no end of computation";
    }
    bool EventsWaiting() const { return form && form->DispatcherEventsWaiting(); }
    // The dispatcher's references (a pair of calls reads the count).
    LONG Refs()
    {
        dispatcher->AddRef();
        return static_cast<LONG>(dispatcher->Release());
    }

    // ---- what the dispatcher was asked, from its journal
    // Later readers see only the calls after this.
    void ForgetCalls() { callsSeen = dispatcher ? dispatcher->calls() : 0; }
    // The arguments of each call of an operation served without error.
    std::vector<std::vector<std::wstring>> Served(const wchar_t *operation) const
    {
        std::vector<std::vector<std::wstring>> out;
        if (dispatcher)
            for (const kxd::CallRecord &c : dispatcher->journal())
                if (c.serial > callsSeen && c.name == operation && SUCCEEDED(c.result))
                    out.push_back(c.args);
        return out;
    }
    int CallsOf(const wchar_t *operation) const { return static_cast<int>(Served(operation).size()); }
    // The values put into a property, in order.
    std::vector<std::wstring> Puts(const wchar_t *property) const
    {
        std::vector<std::wstring> out;
        for (const auto &args : Served(property))
            out.push_back(args.at(0));
        return out;
    }
    std::vector<ComputeRequest> ComputeRequests() const
    {
        std::vector<ComputeRequest> out;
        for (const auto &a : Served(L"ComputeTrips"))
            out.push_back({a.at(0), std::stol(a.at(1)), a.at(2), a.at(3), a.at(4), std::stol(a.at(5))});
        return out;
    }

    // Creates the panel, hands it the shell's map and the layer, and runs
    // its start-up as Timer2 does.
    void Start()
    {
        control = MakeControl(&form);
        ASSERT_NE(nullptr, form);
        AttachPanel(form, shell.MapInterface(), shell.FactoryInterface(), layer);
        form->Timer2Timer();
    }
    // The panel started; the first group's overview computed, then the first
    // vehicle's trips of 6 February: listed, and the first one's track loaded.
    void StartWithTrips()
    {
        Start();
        SetPeriod(6, 7);
        Choose(form->Controls().cmbGroupName, 0);
        EndOfComputation();
        Choose(form->Controls().cmbCarDevice, 0);
        ForgetCalls();
        EndOfComputation();
    }

    // ---- the user's actions
    void Choose(HWND combo, int index)
    {
        SendMessageW(combo, CB_SETCURSEL, index, 0);
        SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
    }
    // The period set in the pickers without a change notification: nothing
    // is asked for.
    void SetPeriod(WORD fromDay, WORD toDay)
    {
        SYSTEMTIME from{2009, 2, 0, fromDay, 0, 0, 0, 0}, to{2009, 2, 0, toDay, 0, 0, 0, 0};
        for (HWND picker : {form->Controls().DateBegin, form->Controls().TimeBegin})
            SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&from));
        for (HWND picker : {form->Controls().DateEnd, form->Controls().TimeEnd})
            SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&to));
    }
    void SetPicker(HWND picker, WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0)
    {
        SYSTEMTIME st{};
        st.wYear = year;
        st.wMonth = month;
        st.wDay = day;
        st.wHour = hour;
        st.wMinute = minute;
        SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
        NMDATETIMECHANGE change{};
        change.nmhdr.hwndFrom = picker;
        change.nmhdr.idFrom = GetDlgCtrlID(picker);
        change.nmhdr.code = DTN_DATETIMECHANGE;
        change.dwFlags = GDT_VALID;
        change.st = st;
        SendMessageW(form->Handle(), WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
    }
    // The list of a combo opened, as a click on its arrow does.
    void OpenList(HWND combo)
    {
        SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_DROPDOWN),
                     reinterpret_cast<LPARAM>(combo));
    }
    void ClickTool(UINT button)
    {
        SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(form->Controls().ToolBar1));
    }
    void ClickRow(int row)
    {
        selection::ListSelectRow(form->Controls().ListView1, row);
        NMITEMACTIVATE click{};
        click.hdr.hwndFrom = form->Controls().ListView1;
        click.hdr.idFrom = GetDlgCtrlID(form->Controls().ListView1);
        click.hdr.code = NM_CLICK;
        click.iItem = row;
        SendMessageW(form->Handle(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    }

    // ---- what the panel shows
    int Rows() const { return selection::ListRows(form->Controls().ListView1); }
    std::wstring Cell(int row, int column) const { return selection::ListCellText(form->Controls().ListView1, row, column); }
    std::wstring TripLabel() const { return TKXActiveXForm::Text(form->Controls().lblTripNum); }
    int Sel(HWND combo) const { return selection::ComboIndex(combo); }
    std::wstring Item(HWND combo, int i) const { return selection::ComboItemText(combo, i); }
    LRESULT SliderMax() const { return SendMessageW(form->Controls().TrackBar, TBM_GETRANGEMAX, 0, 0); }
    LRESULT SliderMin() const { return SendMessageW(form->Controls().TrackBar, TBM_GETRANGEMIN, 0, 0); }
    LRESULT SliderPos() const { return SendMessageW(form->Controls().TrackBar, TBM_GETPOS, 0, 0); }
    kxshell::Map &MapObject() { return shell.MapObject(); }
    TMapPoint ToMap(double lon, double lat)
    {
        auto p = GeoToMap(shell.MapInterface(), shell.FactoryInterface(), lon, lat);
        EXPECT_TRUE(p.has_value());
        return p.value_or(TMapPoint{});
    }

    kxfleet::Fleet fleet;  // the script, until the panel's start creates the dispatcher over it
    kxd::Options options;
    kxd::TypeInfos types;
    kxd::Dispatcher *dispatcher = nullptr;  // one reference, the test's
    long callsSeen = 0;
    std::shared_ptr<LinkLog> linkLog = std::make_shared<LinkLog>();
    kxshell::StandInShell shell;
    std::unique_ptr<TBaseView> view;
    TLayer *layer = nullptr;
    ComPtr<IUnknown> control;
    TKXActiveXForm *form = nullptr;
};

}  // namespace seltest
