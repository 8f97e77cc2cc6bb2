#include <gtest/gtest.h>

#include "kx/error.h"
#include "kx/player.h"

using namespace kx;

namespace {
constexpr double kSec = 1.0 / 86400;
const TDateTime kT0 = 39850.0;
const TDateTime kNow = 45000.5;

Track LinearTrack(int seconds) {
    std::vector<double> crds;
    for (int s = 0; s <= seconds; s += 10) crds.insert(crds.end(), {kT0 + s * kSec, double(s), 0, 0, 0});
    return Track::FromCrds(crds);
}
}  // namespace

TEST(Player, SpeedTexts) {
    EXPECT_EQ(ParseSpeedText("250"), 250);
    EXPECT_EQ(ParseSpeedText("25X"), 25);
    EXPECT_EQ(ParseSpeedText("x6xx"), 6);
    EXPECT_EQ(ParseSpeedText(""), 1);
    EXPECT_EQ(ParseSpeedText("0"), 1);   // a zero speed would divide by zero
    EXPECT_EQ(ParseSpeedText("-5x"), 1);
    EXPECT_THROW(ParseSpeedText("6.5x"), Error);
    EXPECT_THROW(ParseSpeedText("fast"), Error);
    EXPECT_EQ(SpeedText(250), "250x");
    for (const char* item : kSpeedItems) EXPECT_EQ(SpeedText(ParseSpeedText(item)), item);
}

TEST(Player, TimerIntervalNeverStopsTheTimer) {
    EXPECT_EQ(TimerIntervalMs(1), 1000);
    EXPECT_EQ(TimerIntervalMs(60), 16);
    EXPECT_EQ(TimerIntervalMs(250), 4);
    EXPECT_EQ(TimerIntervalMs(600), 1);
    EXPECT_EQ(TimerIntervalMs(5000), 1);
    EXPECT_EQ(TimerIntervalMs(0), 1000);
}

TEST(Player, KeysAndStepping) {
    EXPECT_TRUE(SpeedKeyAllowed(u'7'));
    EXPECT_TRUE(SpeedKeyAllowed(u'x'));
    EXPECT_TRUE(SpeedKeyAllowed(kKeyBackspace));
    EXPECT_FALSE(SpeedKeyAllowed(u'X'));
    EXPECT_FALSE(SpeedKeyAllowed(u'-'));
    EXPECT_EQ(SpeedStepKey(SpinDirection::Up, 50, 0, 100), kVirtualKeyUp);
    EXPECT_EQ(SpeedStepKey(SpinDirection::Down, 50, 0, 100), kVirtualKeyDown);
    EXPECT_EQ(SpeedStepKey(SpinDirection::None, 100, 0, 100), kVirtualKeyUp);
    EXPECT_EQ(SpeedStepKey(SpinDirection::None, 0, 0, 100), kVirtualKeyDown);
    EXPECT_EQ(SpeedStepKey(SpinDirection::None, 50, 0, 100), 0);
}

TEST(Player, ClockRunsAtSpeedAndReanchors) {
    PlayClock c;
    c.speed = 60;
    c.Start(kNow, kT0);  // unset anchor: start of the track
    EXPECT_EQ(c.anchorTime, kT0);
    EXPECT_NEAR((c.TimeAt(kNow + 2 * kSec) - kT0) / kSec, 120, 1e-4);
    c.ChangeSpeed(kNow + 2 * kSec, 1);
    EXPECT_NEAR((c.TimeAt(kNow + 4 * kSec) - kT0) / kSec, 122, 1e-4);
    // Pause then play continues from where it was.
    c.Reanchor(kNow + 10 * kSec, c.TimeAt(kNow + 10 * kSec));
    c.Start(kNow + 100 * kSec, kT0);
    EXPECT_NEAR((c.TimeAt(kNow + 100 * kSec) - kT0) / kSec, 128, 1e-4);
}

TEST(Player, TickPlans) {
    const Track t = LinearTrack(100);
    PlayClock c{kT0, kNow, 1};
    TickPlan p = PlanTick(t, {}, c, kNow + 25 * kSec, false, 0, 0);
    EXPECT_FALSE(p.stop);
    EXPECT_EQ(p.pointIndex, 2);
    EXPECT_EQ(p.sliderPosition, 25);
    EXPECT_EQ(p.skippedStop, -1);

    // Inside a stop: jump to its end, only when skipping.
    const std::vector<TStops> stops = {{kT0 + 20 * kSec, kT0 + 40 * kSec, "0:00:20"}};
    p = PlanTick(t, stops, c, kNow + 25 * kSec, true, 2, 25);
    EXPECT_EQ(p.skippedStop, 0);
    EXPECT_EQ(p.sliderPosition, 40);
    EXPECT_EQ(p.pointIndex, 4);
    EXPECT_EQ(StopBalloonText(stops[0]), "Остановка: 0:00:20");
    EXPECT_EQ(PlanTick(t, stops, c, kNow + 25 * kSec, false, 2, 25).sliderPosition, 25);

    // The end of the track: stop, with the time clamped to the last point.
    p = PlanTick(t, {}, c, kNow + 500 * kSec, false, 5, 90);
    EXPECT_TRUE(p.stop);
    EXPECT_EQ(p.playTime, t.endTime());
    EXPECT_TRUE(PlanTick(t, {}, c, kNow, false, 10, 0).stop);    // already on the last point
    EXPECT_TRUE(PlanTick(t, {}, c, kNow, false, 0, 100).stop);   // slider at its maximum
    EXPECT_TRUE(PlanTick(Track(), {}, c, kNow, false, 0, 0).stop);
}

TEST(Player, Labels) {
    EXPECT_EQ(SpeedLabel(42.25), "42.3 км/ч");
    EXPECT_EQ(SpeedLabel(0, ','), "0,0 км/ч");
    EXPECT_EQ(DistanceLabel(1234.4), "1234 м");
}
