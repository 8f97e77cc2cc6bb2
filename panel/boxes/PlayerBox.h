// The player's group box ("Управление плеером треков") with the info pane it
// fills: play, pause and stop, the speed box and its arrows, the slider, the
// skipping of stops with their announcement, the moving marker, and the jump
// to the place of the track line under the mouse.
//
// Ownership: the form creates one box over its controls and timers and frees
// it with itself. The box is the one writer of the player's part of the
// panel state (its clock, the track time and point shown, the marker) and
// reads the trip's track and stops; of its own it keeps only the slider flag
// and the balloon of a skipped stop while it is shown. The map and the factory are counted copies handed over by Attach;
// the layer is the plug-in's, kept as a plain pointer like the form's.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ComPtr.h"
#include "FormTimer.h"
#include "GrymCore.h"

#include "kx/datetime.h"
#include "kx/player.h"

class TLayer;
struct TPlayerState;
struct TTripState;

// The controls of the player's box and of the info pane.
struct TPlayerControls {
    HWND btnPlay = nullptr, btnStop = nullptr, cmbSpeed = nullptr, UpDown1 = nullptr, TrackBar = nullptr;
    HWND lblDate = nullptr, lblSpeed = nullptr, lblDistance = nullptr;
    HWND ListView1 = nullptr;  // the player acts only while one of its entries is selected
    HWND ToolBar1 = nullptr;  // stops are skipped while its TMapTool::SkipStops is down
};

class TPlayerBox {
public:
    // `timer1` ticks the player; `stopHold` is the one-shot timer of the
    // hold at a skipped stop (its interval is the hold). `moveSlider` sets
    // the slider's position as the form does: clamped into its range, and
    // raising the change event (TrackBarChange) when the position changes.
    TPlayerBox(const TPlayerControls &controls, TPlayerState &player, const TTripState &trip,
               TFormTimer &timer1, TFormTimer &stopHold, std::function<void(int)> moveSlider);

    void Attach(IMap *map, IGrymObjectFactory *factory, TLayer *layer);

    // ---- handlers of the box's controls and of its timers
    void btnPlayClick();
    void btnStopClick();   // the button: nothing unless an entry is selected
    void Timer1Timer();
    void StopHoldTimer();  // the hold at a skipped stop is over: play on
    void TrackBarChange();
    void SpeedTrackBarChange();
    void cmbSpeedKeyPress(wchar_t &key);
    void UpDown1ChangingEx(kx::SpinDirection direction);
    // The shell asked for the title of the track line at this map point.
    // Never throws: a failed search or move leaves the player as it was.
    void LocateOnTrack(double x, double y) noexcept;

    // The program's stop (track loading, the group overview, shut-down):
    // what the stop button does, whatever the list shows. Never throws.
    void Stop() noexcept;
    // The marker's two polygons, empty until the player shows a place.
    void ResetMarker();
    // The speed box's text and the clock's speed together, as the settings restore
    // them; a text that is not a speed throws EPanelError and changes nothing.
    void SetSpeedText(const std::wstring &text);

    // ---- the position display
    void FindPointByTime(kx::TDateTime t);
    void ShowPosition(kx::TDateTime t);

    // Playing: the tick runs, or a skipped stop holds it for a moment.
    bool Playing() const { return timer1_.Enabled() || holding_; }
    bool HoldingAtStop() const { return holding_; }

private:
    bool EntrySelected() const;
    bool SkipStops() const;
    int SliderPosition() const;
    int SliderMaximum() const;
    // Moves the slider as the program does: its change event seeks nothing.
    void SetSliderQuietly(std::int64_t position);
    kx::TDateTime ClockTime() const;
    kx::TDateTime TrackStart() const;
    void Reanchor(kx::TDateTime trackTime);
    // Shows the skipped stop's balloon and holds the tick for a moment.
    void HoldAtStop(const kx::TStops &stop);
    // Ends a hold; `resume` starts the tick again, re-anchored at the time shown.
    void EndHold(bool resume);
    void RepaintControls();

    TPlayerControls c_;
    TPlayerState &player_;
    const TTripState &trip_;
    TFormTimer &timer1_;
    TFormTimer &stopHold_;
    std::function<void(int)> moveSlider_;
    ComPtr<IMap> map_;
    ComPtr<IGrymObjectFactory> factory_;
    TLayer *layer_ = nullptr;
    bool sliderEventsEnabled_ = true;
    bool holding_ = false;
    ComPtr<IGraphicBase> stopBalloon_;  // shown while holding
    unsigned stops_ = 0;  // counts stops, so that a tick sees its own slider stop the player
};
