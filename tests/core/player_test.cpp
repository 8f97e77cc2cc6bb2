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
    const Track t = LinearTrack(100);  // a point every 10 s, X = the second
    const std::vector<TStops> stops = {{kT0 + 20 * kSec, kT0 + 40 * kSec, "0:00:20"}};
    const struct {
        const char* what;
        int speed;
        double wallSeconds;
        bool skip;
        int current;
        std::int64_t slider, sliderMax;
        bool stop;
        double playSecond;
        int point, skipped;
    } cases[] = {
        {"in a segment", 1, 25, false, 0, 0, 100, false, 25, 2, -1},
        {"on a point: the segment before it", 1, 30, false, 0, 0, 100, false, 30, 2, -1},
        {"at 600x 75 ms is 45 s", 600, 0.075, false, 0, 0, 100, false, 45, 4, -1},
        {"inside a stop, skipping: its end", 1, 25, true, 2, 25, 100, false, 40, 2, 0},
        {"inside a stop, not skipping", 1, 25, false, 2, 25, 100, false, 25, 2, -1},
        {"at a stop's end it is not skipped", 1, 40, true, 2, 25, 100, false, 40, 3, -1},
        {"past the end: the index stays, the slider will clamp", 1, 500, false, 7, 90, 100, false, 500, 7, -1},
        {"already on the last point", 1, 5, false, 10, 0, 100, true, 0, 0, -1},
        {"slider at its maximum", 1, 5, false, 0, 100, 100, true, 0, 0, -1},
    };
    for (const auto& c : cases) {
        const PlayClock clock{kT0, kNow, c.speed};
        const TickPlan p = PlanTick(t, stops, clock, kNow + c.wallSeconds * kSec, c.skip, c.current,
                                    c.slider, c.sliderMax);
        EXPECT_EQ(p.stop, c.stop) << c.what;
        if (c.stop) continue;
        EXPECT_NEAR((p.playTime - kT0) / kSec, c.playSecond, 1e-3) << c.what;
        EXPECT_EQ(p.sliderPosition, static_cast<std::int64_t>(c.playSecond)) << c.what;
        EXPECT_EQ(p.pointIndex, c.point) << c.what;
        EXPECT_EQ(p.skippedStop, c.skipped) << c.what;
    }
    EXPECT_TRUE(PlanTick(Track(), {}, PlayClock{}, kNow, false, 0, 0, 10).stop);
}

TEST(Player, TheClockStaysRightAtEverySpeedTheBoxAccepts) {
    // An hour of wall time at 9999x, re-anchored every simulated second as a
    // fast timer would, against one reading: no drift beyond a millisecond.
    PlayClock c{kT0, kNow, 9999};
    for (int tick = 1; tick <= 1000; ++tick) {
        const TDateTime now = kNow + tick * 3.6 * kSec;
        if (tick % 7 == 0) c.Reanchor(now, c.TimeAt(now));
    }
    const TDateTime end = kNow + 3600 * kSec;
    EXPECT_NEAR((c.TimeAt(end) - kT0) / kSec, 3600.0 * 9999, 1e-3 * 9999);
    EXPECT_GE(TimerIntervalMs(9999), 1);
}

TEST(Player, ViewOfAPosition) {
    std::vector<double> crds;
    for (int k = 0; k < 4; ++k) crds.insert(crds.end(), {kT0 + k * 100 * kSec, 1000.0 + 100 * k, 500, 7.0 * k, 10.25 * k});
    const Track t = Track::FromCrds(crds);
    const TShapeBounds visible{0, 0, 7000, 3000};
    PositionView v = ViewAt(t, 0, kT0 + 150 * kSec, visible, ',');
    EXPECT_EQ(v.pointIndex, 1);
    EXPECT_EQ(v.markerSize, 100);
    EXPECT_EQ(v.speed, "10,3 км/ч");   // the point's values, not interpolated
    EXPECT_EQ(v.distance, "7 м");
    EXPECT_NEAR(v.pose.position.X, 1150, 1e-6);
    ASSERT_EQ(v.marker.size(), 2u);
    EXPECT_NEAR(v.marker[0][2].X, 1250, 1e-6);  // the tip, one size ahead
    EXPECT_FALSE(v.recentre);
    // Within two sizes of an edge: recentre.
    EXPECT_TRUE(ViewAt(t, 0, kT0 + 150 * kSec, {0, 0, 7000, 690}, '.').recentre);
    // An index kept from a longer track is not read past this one.
    v = ViewAt(t, 40, kT0 + 350 * kSec, visible, '.');
    EXPECT_EQ(v.pointIndex, 3);
    EXPECT_EQ(v.distance, "21 м");
    EXPECT_THROW(ViewAt(Track(), 0, kT0, visible, '.'), Error);
}

TEST(Player, Labels) {
    EXPECT_EQ(SpeedLabel(42.25), "42.3 км/ч");
    EXPECT_EQ(SpeedLabel(0, ','), "0,0 км/ч");
    EXPECT_EQ(DistanceLabel(1234.4), "1234 м");
    EXPECT_EQ(StopBalloonText({0, 0, "0:10:00"}), "Остановка: 0:10:00");
    EXPECT_EQ(StopBalloonText({0, 0, "<b>"}), "Остановка: &lt;b&gt;");
}
