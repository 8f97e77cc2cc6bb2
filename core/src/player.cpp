#include "kx/player.h"

#include <algorithm>
#include <cmath>

#include "kx/error.h"
#include "kx/text.h"

namespace kx {

const std::array<const char*, 9> kSpeedItems = {"600x", "300x", "100x", "60x", "30x",
                                                "10x",  "6x",   "3x",   "1x"};

int ParseSpeedText(std::string_view text) {
    std::string digits;
    for (char c : text)
        if (c != 'x' && c != 'X') digits += c;
    if (digits.empty()) return 1;
    std::int32_t speed;
    try {
        speed = ParseInt32(digits);
    } catch (const Error&) {
        throw Error("\"" + std::string(text) + "\" is not a valid playback speed");
    }
    return std::max<std::int32_t>(speed, 1);
}

std::string SpeedText(int speed) { return std::to_string(speed) + "x"; }

int TimerIntervalMs(int speed) {
    if (speed < 1) speed = 1;
    return std::max(1, 1000 / speed);
}

bool SpeedKeyAllowed(char16_t key) {
    return (key >= u'0' && key <= u'9') || key == u'x' || key == kKeyBackspace;
}

int SpeedStepKey(SpinDirection direction, int position, int minimum, int maximum) {
    if (direction == SpinDirection::Up) return kVirtualKeyUp;
    if (direction == SpinDirection::Down) return kVirtualKeyDown;
    if (position >= maximum) return kVirtualKeyUp;
    if (position <= minimum) return kVirtualKeyDown;
    return 0;
}

TDateTime PlayClock::TimeAt(TDateTime now) const {
    return (now - wallClock) * speed + anchorTime;
}

void PlayClock::Reanchor(TDateTime now, TDateTime trackTime) {
    wallClock = now;
    anchorTime = trackTime;
}

void PlayClock::Start(TDateTime now, TDateTime trackStart) {
    wallClock = now;
    if (anchorTime == 0.0) anchorTime = trackStart;
}

void PlayClock::ChangeSpeed(TDateTime now, int newSpeed) {
    Reanchor(now, TimeAt(now));
    speed = std::max(newSpeed, 1);
}

TickPlan PlanTick(const Track& track, const std::vector<TStops>& stops, const PlayClock& clock,
                  TDateTime now, bool skipStops, int currentIndex, std::int64_t sliderPosition) {
    TickPlan plan;
    const std::int64_t range = track.RangeSeconds();
    if (!(currentIndex < track.count() - 1 && sliderPosition < range)) {
        plan.stop = true;
        return plan;
    }
    TDateTime t = clock.TimeAt(now);
    if (skipStops) {
        plan.skippedStop = FindStopAt(stops, t);
        if (plan.skippedStop >= 0) t = stops[static_cast<std::size_t>(plan.skippedStop)].end;
    }
    plan.playTime = track.ClampTime(t);
    plan.pointIndex = track.FindPointByTime(plan.playTime);
    plan.sliderPosition = track.SliderPosition(plan.playTime);
    // Reaching the end stops the player; the tick then shows nothing more.
    plan.stop = plan.sliderPosition >= range;
    return plan;
}

std::string StopBalloonText(const TStops& stop) { return "Остановка: " + stop.text; }

std::string SpeedLabel(double kmh, char decimalSeparator) {
    return FormatFixed(kmh, 1, decimalSeparator) + " км/ч";
}

std::string DistanceLabel(double metres) { return FormatFixed(metres, 0) + " м"; }

}  // namespace kx
