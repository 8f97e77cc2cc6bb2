// The player over the stand-in shell: play, pause and stop, the speed box,
// the tick on a clock the test moves, stop skipping with its balloon and
// hold, the end of the track, the slider, the marker and the info pane, and
// the jumps from the track line and from an info point's row.
#include "SelectionTestSupport.h"

#include "boxes/PlayerBox.h"

#include <cmath>

using namespace seltest;

namespace {

constexpr double kSec = 1.0 / 86400;

// The platform's own text of a date-time, as the info pane shows it.
std::wstring PlatformDateTime(double value)
{
    SYSTEMTIME st{};
    VariantTimeToSystemTime(value, &st);
    wchar_t date[64] = L"", time[64] = L"";
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 64);
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 64);
    return std::wstring(date) + L" " + time;
}

std::wstring Kmh(const wchar_t *whole, const wchar_t *tenth)
{
    wchar_t separator[8] = L".";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
    return std::wstring(whole) + separator + tenth + L" км/ч";
}

class Player : public SelectionTest {
protected:
    void SetUp() override
    {
        SelectionTest::SetUp();
        PanelSeams().Now = [this] { return now; };
    }
    // The first trip loaded (08:00 to 09:30, a point a minute), its row
    // clicked so that its stops are loaded too.
    void LoadTrip()
    {
        StartWithTrips();
        ClickRow(0);
        ASSERT_TRUE(messages.empty()) << messages[0].text;
        ASSERT_EQ(91, State().Trip.TrackPointCount());
    }

    // ---- the user's actions and the clock
    void Click(HWND button)
    {
        SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    }
    void Wait(double wallSeconds) { now += wallSeconds * kSec; }
    void Tick() { SendMessageW(form->Handle(), WM_TIMER, form->Timer1().Id(), 0); }
    void HoldEnds() { SendMessageW(form->Handle(), WM_TIMER, form->StopHoldTimer().Id(), 0); }
    void DragSlider(int position)
    {
        SendMessageW(form->Controls().TrackBar, TBM_SETPOS, TRUE, position);
        SendMessageW(form->Handle(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position),
                     reinterpret_cast<LPARAM>(form->Controls().TrackBar));
    }
    HWND SpeedEdit() const
    {
        COMBOBOXINFO info{sizeof(info)};
        GetComboBoxInfo(form->Controls().cmbSpeed, &info);
        return info.hwndItem;
    }
    void TypeSpeed(const std::wstring &keys)
    {
        for (wchar_t key : keys)
            SendMessageW(SpeedEdit(), WM_CHAR, key, 0);
    }
    // Pasted text: no key filter, then the change notification.
    void PasteSpeed(const std::wstring &text)
    {
        SetWindowTextW(form->Controls().cmbSpeed, text.c_str());
        SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(form->Controls().cmbSpeed), CBN_EDITCHANGE),
                     reinterpret_cast<LPARAM>(form->Controls().cmbSpeed));
    }
    void SpinSpeed(int delta)
    {
        NMUPDOWN ud{};
        ud.hdr.hwndFrom = form->Controls().UpDown1;
        ud.hdr.idFrom = GetDlgCtrlID(form->Controls().UpDown1);
        ud.hdr.code = UDN_DELTAPOS;
        ud.iPos = static_cast<int>(SendMessageW(form->Controls().UpDown1, UDM_GETPOS32, 0, 0));
        ud.iDelta = delta;
        SendMessageW(form->Handle(), WM_NOTIFY, ud.hdr.idFrom, reinterpret_cast<LPARAM>(&ud));
    }

    // ---- what the panel shows
    std::wstring Shown(HWND control) const { return TKXActiveXForm::Text(control); }
    double PlaySecond() const { return (State().Player.PlayTime - kTripStart) / kSec; }
    double AnchorSecond() const { return (State().Player.Clock.anchorTime - kTripStart) / kSec; }
    bool Ticking() const { return form->Timer1().Enabled(); }
    size_t Balloons() { return MapObject().ShownBalloons().size(); }

    double now = 40000.5;
};

TEST_F(Player, PlayPauseAndStopMoveBetweenTheThreeStates)
{
    LoadTrip();
    const double start = now;
    Click(form->Controls().btnPlay);
    EXPECT_TRUE(Ticking());
    EXPECT_EQ(1u, form->Timer1().Interval()) << "600x: a tick a simulated second";
    EXPECT_EQ(L";", Shown(form->Controls().btnPlay));
    EXPECT_EQ(start, State().Player.Clock.wallClock);
    EXPECT_EQ(0, AnchorSecond()) << "the first play starts at the track's start";

    Wait(0.075);  // 45 seconds of the track
    Tick();
    EXPECT_NEAR(45, PlaySecond(), 1e-3);
    EXPECT_EQ(45, SliderPos());
    EXPECT_EQ(PlatformDateTime(kTripStart + 45 * kSec), Shown(form->Controls().lblDate));
    EXPECT_EQ(Kmh(L"30", L"0"), Shown(form->Controls().lblSpeed));
    EXPECT_EQ(L"0 м", Shown(form->Controls().lblDistance)) << "the point before the time: point 0";
    EXPECT_EQ(2u, layer->Shapes().Vehicles.size()) << "the marker's two polygons";

    // Pause keeps the shown time; play goes on from it, not from the clock.
    Wait(0.02);
    Click(form->Controls().btnPlay);
    EXPECT_FALSE(Ticking());
    EXPECT_EQ(L"4", Shown(form->Controls().btnPlay));
    EXPECT_NEAR(45, AnchorSecond(), 1e-3);
    Wait(30);
    Click(form->Controls().btnPlay);
    Wait(0.05);
    Tick();
    EXPECT_NEAR(75, PlaySecond(), 1e-3);

    // Stop: everything back, the slider at 1, the time itself left.
    Click(form->Controls().btnStop);
    EXPECT_FALSE(Ticking());
    EXPECT_EQ(L"4", Shown(form->Controls().btnPlay));
    EXPECT_EQ(1, SliderPos());
    EXPECT_EQ(L"", Shown(form->Controls().lblDate));
    EXPECT_EQ(L"0 км/ч", Shown(form->Controls().lblSpeed));
    EXPECT_EQ(L"0 м", Shown(form->Controls().lblDistance));
    EXPECT_EQ(0, State().Player.CurrentPointIndex);
    EXPECT_TRUE(layer->Shapes().Vehicles.empty());
    EXPECT_EQ(0, AnchorSecond());
    EXPECT_NEAR(75, PlaySecond(), 1e-3);
    // A new speed after the stop: play still begins at the start.
    PasteSpeed(L"60");
    Click(form->Controls().btnPlay);
    Wait(0.75);
    Tick();
    EXPECT_NEAR(45, PlaySecond(), 1e-3);
    EXPECT_TRUE(messages.empty());
}

TEST_F(Player, WithoutASelectedEntryTheButtonsAndSliderDoNothing)
{
    LoadTrip();
    ListView_SetItemState(form->Controls().ListView1, -1, 0, LVIS_SELECTED);
    Click(form->Controls().btnPlay);
    EXPECT_FALSE(Ticking());
    DragSlider(600);
    EXPECT_EQ(L"", Shown(form->Controls().lblDate));
    EXPECT_TRUE(layer->Shapes().Vehicles.empty());
    // The program's own stop still stops a running player.
    ClickRow(0);
    Click(form->Controls().btnPlay);
    ListView_SetItemState(form->Controls().ListView1, -1, 0, LVIS_SELECTED);
    form->StopPlayer();
    EXPECT_FALSE(Ticking());
}

TEST_F(Player, TicksLandOnThePointBeforeTheirTime)
{
    LoadTrip();
    const struct {
        const wchar_t *speed;
        double wallSeconds;
        int slider, point;
        const wchar_t *distance;
    } cases[] = {
        {L"1", 30, 30, 0, L"0 м"},
        {L"1", 90, 90, 1, L"7 м"},
        {L"60", 2.5, 150, 2, L"14 м"},
        {L"600", 0.95, 570, 9, L"63 м"},
        {L"5000", 1, 5000, 83, L"581 м"},  // above 1000x the timer still ticks
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.speed);
        form->StopPlayer();
        PasteSpeed(c.speed);
        Click(form->Controls().btnPlay);
        EXPECT_GE(form->Timer1().Interval(), 1u);
        Wait(c.wallSeconds);
        Tick();
        EXPECT_EQ(c.slider, SliderPos());
        EXPECT_EQ(c.point, State().Player.CurrentPointIndex);
        EXPECT_EQ(c.distance, Shown(form->Controls().lblDistance));
    }
}

TEST_F(Player, SpeedBoxTextsAndIntervals)
{
    LoadTrip();
    EXPECT_EQ(600, State().Player.Clock.speed);
    const struct {
        const wchar_t *pasted, *shown;
        int speed;
        UINT interval;
    } cases[] = {
        {L"250", L"250x", 250, 4},
        {L"60X", L"60x", 60, 16},
        {L"", L"1x", 1, 1000},
        {L"0", L"1x", 1, 1000},      // no division by zero
        {L"x0x", L"1x", 1, 1000},
        {L"1001", L"1001x", 1001, 1},  // never below a millisecond
        {L"9999", L"9999x", 9999, 1},
    };
    for (const auto &c : cases) {
        PasteSpeed(c.pasted);
        EXPECT_EQ(c.shown, Shown(form->Controls().cmbSpeed)) << c.pasted;
        EXPECT_EQ(c.speed, State().Player.Clock.speed) << c.pasted;
        EXPECT_EQ(c.interval, form->Timer1().Interval()) << c.pasted;
    }
    EXPECT_TRUE(messages.empty());
    // Text that is no number keeps the speed and says why.
    PasteSpeed(L"1.5");
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::wstring::npos, messages[0].text.find(L"скорость")) << messages[0].text;
    EXPECT_EQ(9999, State().Player.Clock.speed);
    EXPECT_EQ(1u, form->Timer1().Interval());

    // Typing: digits and a lowercase x only; the text follows each key.
    PasteSpeed(L"");
    SendMessageW(SpeedEdit(), EM_SETSEL, 0, -1);
    TypeSpeed(L"2X5-0");
    EXPECT_EQ(L"250x", Shown(form->Controls().cmbSpeed));
    EXPECT_EQ(250, State().Player.Clock.speed);

    // The settings' entry: the same reading.
    form->Player->SetSpeedText(L"0x");
    EXPECT_EQ(L"1x", Shown(form->Controls().cmbSpeed));
    EXPECT_EQ(1, State().Player.Clock.speed);
    EXPECT_THROW(form->Player->SetSpeedText(L"быстро"), EPanelError);
    EXPECT_EQ(1, State().Player.Clock.speed);
}

TEST_F(Player, ArrowsStepTheSpeedList)
{
    LoadTrip();
    SpinSpeed(-1);
    EXPECT_EQ(L"300x", Shown(form->Controls().cmbSpeed));
    EXPECT_EQ(300, State().Player.Clock.speed);
    SpinSpeed(-1);
    EXPECT_EQ(L"100x", Shown(form->Controls().cmbSpeed));
    SpinSpeed(+1);
    EXPECT_EQ(L"300x", Shown(form->Controls().cmbSpeed));
    EXPECT_EQ(300, State().Player.Clock.speed);
    EXPECT_EQ(3u, form->Timer1().Interval()) << "1000 / 300";
}

TEST_F(Player, ASkippedStopIsAnnouncedAndHeldWithoutBlocking)
{
    LoadTrip();
    ASSERT_EQ(2u, State().Trip.TripStops.size());  // 08:10-08:20 and 09:00-09:05
    Click(form->Controls().btnPlay);
    Wait(700.0 / 600);  // 08:11:40, inside the first stop
    Tick();
    EXPECT_NEAR(1200, PlaySecond(), 1e-3) << "the stop's end";
    EXPECT_EQ(1200, SliderPos());
    ASSERT_EQ(1u, Balloons());
    const kxshell::BalloonSnapshot shown = MapObject().ShowHistory().back();
    ASSERT_EQ(1u, shown.panes.size());
    EXPECT_EQ(L"Остановка", shown.panes[0].first);
    EXPECT_EQ(L"Остановка: 00:10:00", shown.panes[0].second);
    EXPECT_EQ(20, shown.placement.offsetX);
    EXPECT_EQ(-20, shown.placement.offsetY);
    EXPECT_EQ(70, shown.placement.width);
    EXPECT_EQ(40, shown.placement.height);
    const TMapPoint at = State().Trip.TrackMapPoints()[State().Player.CurrentPointIndex];
    EXPECT_EQ(at.X, shown.placement.anchorX);
    EXPECT_EQ(at.Y, shown.placement.anchorY);
    // Held: no tick, still playing, the balloon stays until the hold ends.
    EXPECT_FALSE(Ticking());
    EXPECT_TRUE(form->Player->Playing());
    EXPECT_TRUE(form->StopHoldTimer().Enabled());
    EXPECT_EQ(1000u, form->StopHoldTimer().Interval());
    EXPECT_EQ(L";", Shown(form->Controls().btnPlay));

    Wait(1);
    HoldEnds();
    EXPECT_EQ(0u, Balloons());
    EXPECT_TRUE(Ticking());
    EXPECT_FALSE(form->StopHoldTimer().Enabled());
    EXPECT_NEAR(1200, AnchorSecond(), 1e-3) << "on from the stop's end";
    EXPECT_EQ(now, State().Player.Clock.wallClock);
    Wait(0.1);
    Tick();
    EXPECT_NEAR(1260, PlaySecond(), 1e-3);

    // With the button up the stop is played through.
    form->StopPlayer();
    form->SetToolButtonDown(TMapTool::SkipStops, false);
    Click(form->Controls().btnPlay);
    Wait(700.0 / 600);
    Tick();
    EXPECT_EQ(700, SliderPos());
    EXPECT_EQ(0u, Balloons());
    EXPECT_TRUE(messages.empty());
}

TEST_F(Player, WhatEndsTheHoldAtAStop)
{
    LoadTrip();
    const struct {
        const char *what;
        std::function<void()> act;
        bool playing;
        double second;
    } cases[] = {
        {"stop", [&] { Click(form->Controls().btnStop); }, false, -1},
        {"pause", [&] { Click(form->Controls().btnPlay); }, false, 1200},
        {"a slider move plays on from there", [&] { DragSlider(3000); }, true, 3000},
        {"a new track", [&] { ClickRow(1); }, false, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ClickRow(0);
        form->StopPlayer();
        Click(form->Controls().btnPlay);
        Wait(700.0 / 600);
        Tick();
        ASSERT_EQ(1u, Balloons());
        c.act();
        EXPECT_EQ(0u, Balloons());
        EXPECT_FALSE(form->StopHoldTimer().Enabled());
        EXPECT_EQ(c.playing, form->Player->Playing());
        EXPECT_EQ(c.playing, Ticking());
        if (c.second >= 0) {
            EXPECT_NEAR(c.second, AnchorSecond(), 1e-3);
        }
        // A hold timer that fired meanwhile resumes nothing.
        HoldEnds();
        EXPECT_EQ(c.playing, Ticking());
    }
}

TEST_F(Player, TheTickThatReachesTheEndStopsThereAndShowsNothingMore)
{
    LoadTrip();
    form->SetToolButtonDown(TMapTool::SkipStops, false);
    Click(form->Controls().btnPlay);
    Wait(5000.0 / 600);
    Tick();
    ASSERT_EQ(5000, SliderPos());
    const int recentred = MapObject().SetVisibleRectCount();
    const kxshell::RectValues view = MapObject().Visible();
    Wait(1);  // well past 09:30
    Tick();
    EXPECT_FALSE(Ticking());
    EXPECT_EQ(L"4", Shown(form->Controls().btnPlay));
    EXPECT_EQ(0, AnchorSecond());
    EXPECT_EQ(1, SliderPos());
    EXPECT_EQ(L"", Shown(form->Controls().lblDate));
    EXPECT_EQ(L"0 м", Shown(form->Controls().lblDistance));
    EXPECT_TRUE(layer->Shapes().Vehicles.empty()) << "no marker thrown past the first segment";
    EXPECT_EQ(recentred, MapObject().SetVisibleRectCount()) << "no jump of the view";
    EXPECT_EQ(view.minX, MapObject().Visible().minX);
    // Play again starts at the track's start.
    Click(form->Controls().btnPlay);
    Wait(0.1);
    Tick();
    EXPECT_EQ(60, SliderPos());
}

TEST_F(Player, TheSliderMovesThePlayerAndKeepsItsState)
{
    LoadTrip();
    // Paused: the chosen second shows, and play starts there.
    DragSlider(1800);
    EXPECT_FALSE(Ticking());
    EXPECT_EQ(PlatformDateTime(kTripStart + 1800 * kSec), Shown(form->Controls().lblDate));
    EXPECT_EQ(L"203 м", Shown(form->Controls().lblDistance)) << "point 29";
    EXPECT_NEAR(1800, AnchorSecond(), 1e-6);
    Click(form->Controls().btnPlay);
    Wait(0.1);
    Tick();
    EXPECT_EQ(1860, SliderPos());
    // Playing: on from the chosen second.
    DragSlider(300);
    EXPECT_TRUE(Ticking());
    Wait(0.1);
    Tick();
    EXPECT_EQ(360, SliderPos());
    // To the end: stopped.
    DragSlider(5400);
    EXPECT_FALSE(Ticking());
    EXPECT_EQ(1, SliderPos());
}

TEST_F(Player, TheMarkerItsSizeAndTheViewFollowingIt)
{
    LoadTrip();
    const TPanelState &data = State();
    const TMapPoint p5 = data.Trip.TrackMapPoints()[5], p6 = data.Trip.TrackMapPoints()[6];
    // A view 7000 units wide around point 5: a marker of 100.
    MapObject().SetVisible({p5.X - 3500, p5.Y - 2000, p5.X + 3500, p5.Y + 2000});
    const int recentred = MapObject().SetVisibleRectCount();
    form->Player->ShowPosition(kTripStart + 330 * kSec);  // halfway from point 5 to 6
    ASSERT_EQ(2u, data.Player.MarkerPolygons.size());
    const TMapPoint mid{(p5.X + p6.X) / 2, (p5.Y + p6.Y) / 2};
    const TMapPoint tip = data.Player.MarkerPolygons[0][2], notch = data.Player.MarkerPolygons[0][0];
    EXPECT_NEAR(100, std::hypot(tip.X - mid.X, tip.Y - mid.Y), 1e-6);
    EXPECT_NEAR(40, std::hypot(notch.X - mid.X, notch.Y - mid.Y), 1e-6);
    EXPECT_NEAR(60, std::hypot(data.Player.MarkerPolygons[1][2].X - mid.X, data.Player.MarkerPolygons[1][2].Y - mid.Y), 1e-6);
    // The tip ahead: towards point 6.
    EXPECT_GT((tip.X - mid.X) * (p6.X - p5.X) + (tip.Y - mid.Y) * (p6.Y - p5.Y), 0);
    EXPECT_EQ(Kmh(L"30", L"0"), Shown(form->Controls().lblSpeed));
    EXPECT_EQ(L"35 м", Shown(form->Controls().lblDistance)) << "the segment's first point";
    EXPECT_EQ(recentred, MapObject().SetVisibleRectCount()) << "well inside: the view stays";
    EXPECT_EQ(2u, layer->Shapes().Vehicles.size());

    // Within two marker sizes of the left edge: centred, same size.
    MapObject().SetVisible({mid.X - 150, mid.Y - 2000, mid.X + 6850, mid.Y + 2000});
    form->Player->ShowPosition(kTripStart + 330 * kSec);
    EXPECT_EQ(recentred + 1, MapObject().SetVisibleRectCount());
    const kxshell::RectValues v = MapObject().Visible();
    EXPECT_NEAR(mid.X, (v.minX + v.maxX) / 2, 1e-6);
    EXPECT_NEAR(mid.Y, (v.minY + v.maxY) / 2, 1e-6);
    EXPECT_NEAR(7000, v.maxX - v.minX, 1e-6);
}

TEST_F(Player, TheTrackLineMovesThePlayerWithoutReanchoring)
{
    LoadTrip();
    const TPanelState &data = State();
    const TMapPoint p10 = data.Trip.TrackMapPoints()[10], p11 = data.Trip.TrackMapPoints()[11];
    const double anchor = data.Player.Clock.anchorTime, wall = data.Player.Clock.wallClock;
    // Two fifths along the segment from point 10 (a minute long), the mouse
    // resting there: the layer's jump, bound when the panel was attached.
    ASSERT_TRUE(layer->JumpToTrackPoint);
    layer->JumpToTrackPoint(p10.X + 0.4 * (p11.X - p10.X), p10.Y + 0.4 * (p11.Y - p10.Y));
    EXPECT_NEAR(624, PlaySecond(), 1e-3);
    EXPECT_EQ(624, SliderPos());
    EXPECT_EQ(PlatformDateTime(kTripStart + 624 * kSec), Shown(form->Controls().lblDate));
    EXPECT_EQ(2u, layer->Shapes().Vehicles.size());
    EXPECT_EQ(anchor, data.Player.Clock.anchorTime);
    EXPECT_EQ(wall, data.Player.Clock.wallClock);
    // Past the last point the search takes the last segment's start; a
    // point of nothing (no track) moves nothing.
    form->LocateOnTrack(data.Trip.TrackMapPoints()[90].X + 500, data.Trip.TrackMapPoints()[90].Y + 500);
    EXPECT_EQ(5340, SliderPos());
    form->LocateOnTrack(std::nan(""), 0);
    EXPECT_EQ(5340, SliderPos());
    EXPECT_TRUE(messages.empty());
}

// The panel attached last takes the jump; a destroyed one never does.
TEST_F(Player, TheJumpGoesToTheLastPanelAndNeverToADestroyedOne)
{
    LoadTrip();
    TCurrentPanel current;
    current.Set(form);
    EXPECT_EQ(form, current.Get());
    const TMapPoint p10 = State().Trip.TrackMapPoints()[10];

    TKXActiveXForm *second = nullptr;
    ComPtr<IUnknown> secondControl = MakeControl(&second);
    AttachPanel(second, shell.MapInterface(), shell.FactoryInterface(), layer);
    const LRESULT before = SliderPos();
    layer->JumpToTrackPoint(p10.X, p10.Y);
    EXPECT_EQ(before, SliderPos()) << "the first panel took the second's jump";

    secondControl.Reset();
    layer->JumpToTrackPoint(p10.X, p10.Y);  // nobody to call
    control.Reset();
    EXPECT_EQ(nullptr, current.Get());
    form = nullptr;
    layer->JumpToTrackPoint(p10.X, p10.Y);
}

TEST_F(Player, AnInfoPointRowMovesThePlayerToItsStart)
{
    LoadTrip();
    const LRESULT i = SendMessageW(form->Controls().cmbInfoPoints, CB_ADDSTRING, 0,
                                   reinterpret_cast<LPARAM>(L"Периоды превышения скорости"));
    SendMessageW(form->Controls().cmbInfoPoints, CB_SETITEMDATA, i, 5);
    SendMessageW(form->Controls().cmbInfoPoints, CB_SETCURSEL, i, 0);
    form->SelectEntriesList(selection::CategoryQuery(State().Settings.InfoPointCategories, 5));
    ClickRow(1);  // the second listed entry: 09:15:30
    ASSERT_TRUE(messages.empty()) << messages[0].text;
    EXPECT_EQ(75 * 60 + 30, SliderPos());
    EXPECT_EQ(PlatformDateTime(kTripStart + (75 * 60 + 30) * kSec), Shown(form->Controls().lblDate));
    EXPECT_EQ(2u, layer->Shapes().Vehicles.size());
}

TEST_F(Player, ShutDownStopsAndStopAfterItReadsNothing)
{
    LoadTrip();
    Click(form->Controls().btnPlay);
    ShutDownPanel(form);
    EXPECT_FALSE(Ticking());
    EXPECT_TRUE(State().Trip.Track.empty());
    Click(form->Controls().btnStop);
    form->Player->Timer1Timer();
    EXPECT_EQ(0, State().Player.Clock.anchorTime);
    EXPECT_FALSE(Ticking());
    form->LocateOnTrack(0, 0);
    EXPECT_TRUE(messages.empty());
}

}  // namespace
