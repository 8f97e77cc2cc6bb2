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
        throw Error("\"" + std::string(text) + "\" не является скоростью воспроизведения");
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
                  TDateTime now, bool skipStops, int currentIndex, std::int64_t sliderPosition,
                  std::int64_t sliderMaximum) {
    TickPlan plan;
    if (!(currentIndex < track.count() - 1 && sliderPosition < sliderMaximum)) {
        plan.stop = true;
        return plan;
    }
    plan.playTime = clock.TimeAt(now);
    plan.pointIndex = track.FindPointByTime(plan.playTime, currentIndex);
    if (skipStops) {
        plan.skippedStop = FindStopAt(stops, plan.playTime);
        if (plan.skippedStop >= 0) plan.playTime = stops[static_cast<std::size_t>(plan.skippedStop)].end;
    }
    plan.sliderPosition = track.SecondsFromStart(plan.playTime);
    return plan;
}

PositionView ViewAt(const Track& track, int current, TDateTime t, const TShapeBounds& visible,
                    char decimalSeparator) {
    if (track.empty()) throw Error("трек не загружен");
    PositionView view;
    view.markerSize = MarkerSizeFor(visible.MaxX - visible.MinX);
    // An index kept from a longer track must not be read past this one's end.
    const int k = std::clamp(track.FindPointByTime(t, current), 0, track.count() - 1);
    view.pointIndex = k;
    view.speed = SpeedLabel(track.speed(k), decimalSeparator);
    view.distance = DistanceLabel(track.distance(k));
    view.pose = PoseAt(track, k, t);
    const double size = static_cast<double>(view.markerSize);
    view.marker = BuildMarker(view.pose.position.X, view.pose.position.Y, view.pose.angle, size);
    view.recentre = NeedsRecentre(visible, view.pose.position, size);
    return view;
}

std::string StopBalloonText(const TStops& stop) { return "Остановка: " + HtmlEscape(stop.text); }
std::string SpeedLabel(double kmh, char decimalSeparator) {
    return FormatFixed(kmh, 1, decimalSeparator) + " км/ч";
}

std::string DistanceLabel(double metres) { return FormatFixed(metres, 0) + " м"; }

}  // namespace kx
