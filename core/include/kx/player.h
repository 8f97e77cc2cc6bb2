#pragma once
// Player arithmetic: speed texts, the simulated clock and the tick's plan.
// The wall clock is always passed in, so everything here is deterministic.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "kx/geometry.h"
#include "kx/track.h"

namespace kx {

// Items of the speed combo, fastest first.
extern const std::array<const char*, 9> kSpeedItems;
constexpr int kMaxSpeedTextLength = 4;
constexpr char16_t kKeyBackspace = 8;
constexpr int kVirtualKeyUp = 38;
constexpr int kVirtualKeyDown = 40;

// Removes every x in any case; nothing left gives 1. A speed below 1 gives 1
// (a zero speed would divide the timer interval by zero). Throws kx::Error
// for text that is not a decimal integer.
int ParseSpeedText(std::string_view text);
std::string SpeedText(int speed);  // "60x"
// One tick per simulated second, but never 0 ms: a zero interval would
// stop the timer and freeze the player at speeds above 1000x.
int TimerIntervalMs(int speed);
// Key filter of the speed box: digits, lowercase x, backspace.
bool SpeedKeyAllowed(char16_t key);

enum class SpinDirection { None, Up, Down };
// Arrow key that steps the speed list for an up-down click (Up = faster).
int SpeedStepKey(SpinDirection direction, int position, int minimum, int maximum);

// PlayTime = (now - wallClock) * speed + anchorTime, all in days.
struct PlayClock {
    TDateTime anchorTime = 0.0;
    TDateTime wallClock = 0.0;
    int speed = 1;

    TDateTime TimeAt(TDateTime now) const;
    void Reanchor(TDateTime now, TDateTime trackTime);
    // Play: the clock runs from now; an unset anchor (exactly 0) starts
    // at the beginning of the track.
    void Start(TDateTime now, TDateTime trackStart);
    // Speed change: re-anchor at the current time, then take the new speed.
    void ChangeSpeed(TDateTime now, int newSpeed);
};

// What one tick of the player does, decided from the state alone.
struct TickPlan {
    bool stop = false;          // the player stands at the end: stop, nothing else
    TDateTime playTime = 0.0;   // the clock's time, or the end of a skipped stop
    int pointIndex = 0;         // FindPointByTime of the clock's time
    int skippedStop = -1;       // index into the stops, or -1
    std::int64_t sliderPosition = 0;  // whole seconds from the start, not yet clamped
};
// `sliderPosition` and `sliderMaximum` are the slider's before the tick.
TickPlan PlanTick(const Track& track, const std::vector<TStops>& stops, const PlayClock& clock,
                  TDateTime now, bool skipStops, int currentIndex, std::int64_t sliderPosition,
                  std::int64_t sliderMaximum);

// What the info pane and the marker show for a track time.
struct PositionView {
    int pointIndex = 0;
    std::string speed;      // "12.5 км/ч"
    std::string distance;   // "1234 м"
    std::int64_t markerSize = 0;
    MarkerPose pose;
    TMapPointArrays marker;  // outer and inner arrow
    bool recentre = false;   // the marker came within two sizes of an edge
};
// `current` is the player's point before; throws kx::Error for an empty track.
PositionView ViewAt(const Track& track, int current, TDateTime t, const TShapeBounds& visible,
                    char decimalSeparator);

std::string StopBalloonText(const TStops& stop);   // "Остановка: <text>", the text escaped
std::string SpeedLabel(double kmh, char decimalSeparator = '.');      // "12.5 км/ч"
std::string DistanceLabel(double metres);                            // "1234 м"

}  // namespace kx
