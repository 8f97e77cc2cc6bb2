// The panel over the stand-in shell and its own layer, talking through the
// real client to the in-process fake dispatcher. Handlers are reached as the
// user reaches them (control notifications) so that failures pass the
// handler boundary and land in the captured messages.
#pragma once

#include "../panel/TestSupport.h"

#include "FakeDispatcher.h"

#include "GeoToMap.h"
#include "Karvex_TLB.h"
#include "Layer.h"
#include "PanelControl.h"
#include "SelectionSupport.h"
#include "StandInShell.h"

#include <commctrl.h>

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

private:
    TKarvexAutomation client_;
    std::shared_ptr<LinkLog> log_;
};

// "dd.mm.yyyy hh:mm:ss" of a day in February 2009.
inline std::wstring Feb(int day, int hour = 0, int minute = 0, int second = 0)
{
    wchar_t text[32];
    swprintf(text, 32, L"%02d.02.2009 %02d:%02d:%02d", day, hour, minute, second);
    return text;
}

// 6 February 2009, 08:00, as a date-time.
constexpr double kTripStart = 39850.0 + 8.0 / 24;

class SelectionTest : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        PanelState() = TPanelState();
        Script();
        PanelSeams().CreateDispatcherLink = [this] {
            return std::unique_ptr<IDispatcherLink>(new TestLink(&fake, linkLog));
        };
        view = std::make_unique<TBaseView>(shell.BaseViewInterface());
        layer = new TLayer(view.get());
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
    }

    // Two groups; the second vehicle's position is unknown; trip 1 lasts 90
    // minutes with two stops, trip 2 has ten points.
    void Script()
    {
        fake.groups = {
            {L"G1", L"Грузовые",
             {{L"ГАЗель <b>", L"А123&ВС", 7, 37.61, 55.75, Feb(6, 10)},
              {L"КамАЗ", L"В777", 12, 0, 0, L""},
              {L"ЗИЛ", L"С001", 15, 37.70, 55.80, Feb(6, 11)}}},
            {L"G2", L"Легковые", {{L"Лада", L"Е555", 21, 37.5, 55.7, Feb(6, 9)}}},
        };
        fake.serverGroupKey = L"G2";
        fake.serverCar = 21;
        fake.properties = {{L"Group_Name", L"Легковые"}, {L"Car_Device", L"021"}};
        FakeTrip one{Feb(6, 8), Feb(6, 9, 30), L"01:30:00", LineTrack(91, kTripStart, 60), -1, {}};
        one.entries[L"parks"] = {{Feb(6, 8, 10), Feb(6, 8, 20), L"00:10:00"},
                                 {Feb(6, 9, 0), Feb(6, 9, 5), L"00:05:00"}};
        one.entries[L"over_speed"] = {{Feb(6, 8, 1), Feb(6, 8, 1, 3), L"00:00:03"},
                                      {Feb(6, 8, 30), Feb(6, 8, 31), L"00:01:00"},
                                      {Feb(6, 9, 15, 30), Feb(6, 9, 16), L"00:00:30"}};
        FakeTrip two{Feb(6, 10), Feb(6, 10, 4, 30), L"00:04:30", LineTrack(10, kTripStart + 2.0 / 24, 30), -1, {}};
        two.entries[L"parks"] = {{Feb(6, 10, 1), Feb(6, 10, 2), L"00:01:00"}};
        fake.trips = {one, two};
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

    // ---- the user's actions
    void Choose(HWND combo, int index)
    {
        SendMessageW(combo, CB_SETCURSEL, index, 0);
        SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
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
    void ClickRow(int row)
    {
        selection::ListSelectRow(form->ListView1, row);
        NMITEMACTIVATE click{};
        click.hdr.hwndFrom = form->ListView1;
        click.hdr.idFrom = GetDlgCtrlID(form->ListView1);
        click.hdr.code = NM_CLICK;
        click.iItem = row;
        SendMessageW(form->Handle(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    }
    void EndOfComputation() { fake.Fire(205); }

    // ---- what the panel shows
    int Rows() const { return selection::ListRows(form->ListView1); }
    std::wstring Cell(int row, int column) const { return selection::ListCellText(form->ListView1, row, column); }
    std::wstring TripLabel() const { return TKXActiveXForm::Text(form->lblTripNum); }
    int Sel(HWND combo) const { return selection::ComboIndex(combo); }
    std::wstring Item(HWND combo, int i) const { return selection::ComboItemText(combo, i); }
    LRESULT SliderMax() const { return SendMessageW(form->TrackBar, TBM_GETRANGEMAX, 0, 0); }
    LRESULT SliderMin() const { return SendMessageW(form->TrackBar, TBM_GETRANGEMIN, 0, 0); }
    LRESULT SliderPos() const { return SendMessageW(form->TrackBar, TBM_GETPOS, 0, 0); }
    kxshell::Map &MapObject() { return shell.MapObject(); }
    TMapPoint ToMap(double lon, double lat)
    {
        auto p = GeoToMap(shell.MapInterface(), shell.FactoryInterface(), lon, lat);
        EXPECT_TRUE(p.has_value());
        return p.value_or(TMapPoint{});
    }

    FakeDispatcher fake;
    std::shared_ptr<LinkLog> linkLog = std::make_shared<LinkLog>();
    kxshell::StandInShell shell;
    std::unique_ptr<TBaseView> view;
    TLayer *layer = nullptr;
    ComPtr<IUnknown> control;
    TKXActiveXForm *form = nullptr;
};

}  // namespace seltest
