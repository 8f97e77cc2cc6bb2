#include "PlayerBox.h"

#include <commctrl.h>
#include <oleauto.h>

#include <algorithm>
#include <climits>
#include <optional>

#include "Bstr.h"
#include "Layer.h"
#include "PlayerState.h"
#include "TripState.h"
#include "Seams.h"
#include "ToolBarButtons.h"
#include "SelectionSupport.h"

#include "kx/error.h"
#include "kx/geometry.h"
#include "kx/text.h"

using selection::DisplayDateTime;
using selection::SetText;

namespace {

const wchar_t kPlayCaption[] = L"4";   // the play symbol
const wchar_t kPauseCaption[] = L";";  // the pause symbol
const wchar_t kStopPane[] = L"Остановка";

std::wstring WindowText(HWND control)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(std::max(0, GetWindowTextW(control, &text[0], static_cast<int>(text.size())))));
    return text;
}

void RepaintNow(HWND control)
{
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

// A label of the info pane, set and painted at once; a text that has not
// changed costs no painting (at 600x this runs a thousand times a second).
void ShowLabel(HWND label, const std::wstring &text)
{
    if (WindowText(label) == text)
        return;
    SetText(label, text);
    RepaintNow(label);
}

// Clears the slider flag for the program's own moves, whatever they raise.
class TQuietSlider {
public:
    explicit TQuietSlider(bool &enabled) : enabled_(enabled) { enabled_ = false; }
    ~TQuietSlider() { enabled_ = true; }
    TQuietSlider(const TQuietSlider &) = delete;
    TQuietSlider &operator=(const TQuietSlider &) = delete;

private:
    bool &enabled_;
};

}  // namespace

TPlayerBox::TPlayerBox(const TPlayerControls &controls, TPlayerState &player, const TTripState &trip,
                       TFormTimer &timer1, TFormTimer &stopHold, std::function<void(int)> moveSlider)
    : c_(controls), player_(player), trip_(trip), timer1_(timer1), stopHold_(stopHold),
      moveSlider_(std::move(moveSlider))
{
}

void TPlayerBox::ResetMarker()
{
    player_.MarkerPolygons.assign(2, TMapPointArray());
}

void TPlayerBox::Attach(IMap *map, IGrymObjectFactory *factory, TLayer *layer)
{
    map_ = map;
    factory_ = factory;
    layer_ = layer;
}

// ---- the state of the controls ---------------------------------------------

bool TPlayerBox::EntrySelected() const
{
    return selection::ListSelectedRow(c_.ListView1) >= 0;
}

bool TPlayerBox::SkipStops() const
{
    return selection::ToolButtonDown(c_.ToolBar1, TMapTool::SkipStops);
}

int TPlayerBox::SliderPosition() const
{
    return static_cast<int>(SendMessageW(c_.TrackBar, TBM_GETPOS, 0, 0));
}

int TPlayerBox::SliderMaximum() const
{
    return static_cast<int>(SendMessageW(c_.TrackBar, TBM_GETRANGEMAX, 0, 0));
}

void TPlayerBox::SetSliderQuietly(std::int64_t position)
{
    TQuietSlider quiet(sliderEventsEnabled_);
    moveSlider_(static_cast<int>(std::clamp<std::int64_t>(position, INT_MIN, INT_MAX)));
}

void TPlayerBox::RepaintControls()
{
    for (HWND control : {c_.lblDate, c_.btnPlay, c_.btnStop, c_.TrackBar, c_.cmbSpeed})
        RepaintNow(control);
}

// ---- the clock ----------------------------------------------------------------

kx::TDateTime TPlayerBox::ClockTime() const
{
    return player_.Clock.TimeAt(Now());
}

kx::TDateTime TPlayerBox::TrackStart() const
{
    // After shut-down there is no track to start from.
    return trip_.Track.empty() ? 0 : trip_.Track.startTime();
}

void TPlayerBox::Reanchor(kx::TDateTime trackTime)
{
    player_.Clock.Reanchor(Now(), trackTime);
}

// ---- play, pause, stop --------------------------------------------------------

void TPlayerBox::btnPlayClick()
{
    if (!EntrySelected())
        return;
    if (Playing()) {
        EndHold(false);
        timer1_.SetEnabled(false);
        SetText(c_.btnPlay, kPlayCaption);
        Reanchor(player_.PlayTime);
        return;
    }
    timer1_.SetInterval(static_cast<UINT>(kx::TimerIntervalMs(player_.Clock.speed)));
    timer1_.SetEnabled(true);
    SetText(c_.btnPlay, kPauseCaption);
    player_.Clock.Start(Now(), TrackStart());
}

void TPlayerBox::btnStopClick()
{
    if (EntrySelected())
        Stop();
}

void TPlayerBox::Stop() noexcept
{
    try {
        ++stops_;
        EndHold(false);
        if (layer_)
            layer_->Shapes().Vehicles.clear();
        timer1_.SetEnabled(false);
        SetText(c_.btnPlay, kPlayCaption);
        player_.Clock.Reanchor(Now(), TrackStart());
        SetSliderQuietly(1);
        SetText(c_.lblDate, L"");
        SetText(c_.lblSpeed, L"0 км/ч");
        SetText(c_.lblDistance, L"0 м");
        player_.CurrentPointIndex = 0;
        if (map_)
            map_->Invalidate(VARIANT_TRUE);
    } catch (...) {
        // Stopping swallows its errors, wherever it is called from.
    }
}

// ---- the tick -------------------------------------------------------------------

void TPlayerBox::Timer1Timer()
{
    const kx::TickPlan plan = kx::PlanTick(trip_.Track, trip_.TripStops,
                                           player_.Clock, Now(),
                                           SkipStops(), player_.CurrentPointIndex, SliderPosition(), SliderMaximum());
    if (plan.stop) {
        Stop();
        return;
    }
    player_.CurrentPointIndex = plan.pointIndex;
    player_.PlayTime = plan.playTime;
    SetText(c_.lblDate, DisplayDateTime(player_.PlayTime));
    const unsigned stopsBefore = stops_;
    SetSliderQuietly(plan.sliderPosition);
    // The slider reached its end and that stopped the player: the tick ends
    // with the stop, rather than showing a place on the reset state.
    if (stops_ != stopsBefore)
        return;
    ShowPosition(player_.PlayTime);
    if (plan.skippedStop >= 0)
        HoldAtStop(trip_.TripStops[static_cast<size_t>(plan.skippedStop)]);
    RepaintControls();
}

// The announcement is shown, and then the tick pauses for a moment on a
// one-shot timer rather than by blocking the shell's thread, so that the
// shell can paint the balloon meanwhile.
void TPlayerBox::HoldAtStop(const kx::TStops &stop)
{
    EndHold(false);
    ComPtr<IBalloonList> balloons = map_ ? map_.As<IBalloonList>() : ComPtr<IBalloonList>();
    const size_t at = static_cast<size_t>(std::clamp(player_.CurrentPointIndex, 0, trip_.TrackPointCount() - 1));
    if (balloons && factory_ && at < trip_.TrackMapPoints().size()) {
        const TMapPoint &p = trip_.TrackMapPoints()[at];
        ComPtr<IMapPoint> anchor;
        ComPtr<IDevicePoint> offset;
        ComPtr<IDeviceSize> size;
        factory_->CreateMapPoint(p.X, p.Y, anchor.Put());
        factory_->CreateDevicePoint(20, -20, offset.Put());
        factory_->CreateDeviceSize(70, 40, size.Put());
        ComPtr<IBalloon> balloon;
        balloons->CreateBalloon(anchor.Get(), VARIANT_TRUE, offset.Get(), size.Get(), balloon.Put());
        if (balloon) {
            const Bstr pane(kStopPane);
            balloon->AddPane(pane.Get());
            ComPtr<IBalloonPane> text;
            balloon->Pane(pane.Get(), text.Put());
            if (text) {
                const Bstr content(kx::ToWide(kx::StopBalloonText(stop)));
                text->SetText(content.Get());
            }
            stopBalloon_ = balloon.As<IGraphicBase>();
            if (stopBalloon_)
                balloons->ShowBalloon(stopBalloon_.Get());
        }
    }
    if (map_)
        map_->Invalidate(VARIANT_TRUE);
    timer1_.SetEnabled(false);
    holding_ = true;
    stopHold_.SetEnabled(true);
}

void TPlayerBox::StopHoldTimer()
{
    EndHold(true);
}

void TPlayerBox::EndHold(bool resume)
{
    stopHold_.SetEnabled(false);
    if (!holding_)
        return;
    holding_ = false;
    if (stopBalloon_) {
        if (ComPtr<IBalloonList> balloons = map_ ? map_.As<IBalloonList>() : ComPtr<IBalloonList>())
            balloons->HideBalloon(stopBalloon_.Get());
        stopBalloon_.Reset();
        if (map_)
            map_->Invalidate(VARIANT_TRUE);
    }
    if (resume) {
        Reanchor(player_.PlayTime);
        timer1_.SetEnabled(true);
    }
}

// ---- the slider and the speed -------------------------------------------------

void TPlayerBox::TrackBarChange()
{
    if (!EntrySelected())
        return;
    const int position = SliderPosition();
    if (position >= SliderMaximum()) {
        Stop();
        return;
    }
    if (!sliderEventsEnabled_ || trip_.Track.empty())
        return;
    // A move during the hold at a stop plays on from the chosen second at once.
    if (holding_)
        EndHold(true);
    player_.PlayTime = trip_.Track.TimeAtSecond(position);
    SetText(c_.lblDate, DisplayDateTime(player_.PlayTime));
    RepaintNow(c_.lblDate);
    ShowPosition(player_.PlayTime);
    Reanchor(player_.PlayTime);
}

void TPlayerBox::SpeedTrackBarChange()
{
    // Stopped or paused, the anchor already holds where play will begin (the
    // track's start after a stop): only a running clock is re-anchored.
    if (Playing())
        Reanchor(player_.PlayTime);
    SetSpeedText(WindowText(c_.cmbSpeed));
}

void TPlayerBox::SetSpeedText(const std::wstring &text)
{
    int speed;
    try {
        speed = kx::ParseSpeedText(kx::ToUtf8(text));
    } catch (const kx::Error &) {
        throw EPanelError(L"«" + text + L"» — не скорость воспроизведения: нужно целое число, например 60x",
                          DISP_E_TYPEMISMATCH);
    }
    player_.Clock.speed = speed;
    const std::wstring shown = kx::ToWide(kx::SpeedText(speed));
    if (WindowText(c_.cmbSpeed) != shown) {
        SetWindowTextW(c_.cmbSpeed, shown.c_str());
        // Typing goes on before the "x".
        const int digits = static_cast<int>(shown.size()) - 1;
        SendMessageW(c_.cmbSpeed, CB_SETEDITSEL, 0, MAKELPARAM(digits, digits));
    }
    timer1_.SetInterval(static_cast<UINT>(kx::TimerIntervalMs(speed)));
}

void TPlayerBox::cmbSpeedKeyPress(wchar_t &key)
{
    if (!kx::SpeedKeyAllowed(static_cast<char16_t>(key)))
        key = 0;
}

void TPlayerBox::UpDown1ChangingEx(kx::SpinDirection direction)
{
    int minimum = 0, maximum = 0;
    SendMessageW(c_.UpDown1, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&minimum), reinterpret_cast<LPARAM>(&maximum));
    const int position = static_cast<int>(SendMessageW(c_.UpDown1, UDM_GETPOS32, 0, 0));
    if (const int key = kx::SpeedStepKey(direction, position, minimum, maximum))
        SendMessageW(c_.cmbSpeed, WM_KEYDOWN, static_cast<WPARAM>(key), 0);
}

// ---- the position display -----------------------------------------------------

void TPlayerBox::FindPointByTime(kx::TDateTime t)
{
    player_.CurrentPointIndex = trip_.Track.FindPointByTime(t, player_.CurrentPointIndex);
}

void TPlayerBox::ShowPosition(kx::TDateTime t)
{
    if (trip_.Track.empty() || !map_)
        return;
    ComPtr<IMapRect> rect;
    map_->VisibleRect(rect.Put());
    if (!rect)
        return;
    kx::TShapeBounds visible;
    rect->GetMinX(&visible.MinX);
    rect->GetMaxX(&visible.MaxX);
    rect->GetMinY(&visible.MinY);
    rect->GetMaxY(&visible.MaxY);
    const kx::PositionView view =
        kx::ViewAt(trip_.Track, player_.CurrentPointIndex, t, visible, selection::UserDecimalSeparator());
    player_.CurrentPointIndex = view.pointIndex;
    ShowLabel(c_.lblSpeed, kx::ToWide(view.speed));
    ShowLabel(c_.lblDistance, kx::ToWide(view.distance));
    player_.MarkerPolygons = view.marker;
    if (view.recentre && factory_) {
        double width = 0, height = 0;
        rect->GetWidth(&width);
        rect->GetHeight(&height);
        const kx::TShapeBounds centred = kx::CentredRect(view.pose.position, width, height);
        ComPtr<IMapRect> moved;
        factory_->CreateMapRect(centred.MinX, centred.MinY, centred.MaxX, centred.MaxY, moved.Put());
        if (moved)
            map_->SetVisibleRect(moved.Get(), VARIANT_TRUE);
    }
    if (layer_)
        layer_->BuildShapes(TLayer::BuildVehicleMarker);
    map_->Invalidate(VARIANT_TRUE);
}

void TPlayerBox::LocateOnTrack(double x, double y) noexcept
{
    try {
        const std::optional<kx::TrackHit> hit = trip_.TrackIndex.Nearest(trip_.TrackMapPoints(), {x, y});
        if (!hit)
            return;
        player_.PlayTime = kx::TimeOfHit(trip_.Track, *hit);
        SetText(c_.lblDate, DisplayDateTime(player_.PlayTime));
        SetSliderQuietly(trip_.Track.SecondsFromStart(player_.PlayTime));
        ShowPosition(player_.PlayTime);
    } catch (...) {
        // A failed jump leaves the player where it was.
    }
}
