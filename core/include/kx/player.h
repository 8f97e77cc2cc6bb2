#pragma once
// Player arithmetic: speed texts, the simulated clock and the tick's plan.
// The wall clock is always passed in, so everything here is deterministic.
#include <array>
#include <string>
#include <string_view>
#include <vector>

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
    bool stop = false;          // end of track: stop and do nothing else
    TDateTime playTime = 0.0;   // clamped into the track
    int pointIndex = 0;
    int skippedStop = -1;       // index into the stops, or -1
    std::int64_t sliderPosition = 0;
};
TickPlan PlanTick(const Track& track, const std::vector<TStops>& stops, const PlayClock& clock,
                  TDateTime now, bool skipStops, int currentIndex, std::int64_t sliderPosition);

std::string StopBalloonText(const TStops& stop);   // "Остановка: <text>"
std::string SpeedLabel(double kmh, char decimalSeparator = '.');      // "12.5 км/ч"
std::string DistanceLabel(double metres);                            // "1234 м"

}  // namespace kx
