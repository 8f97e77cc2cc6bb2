#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kx/report.h"

using namespace kx;

namespace {
constexpr double kSec = 1.0 / 86400;
const TDateTime kT0 = 39848.25;  // 04.02.2009 6:00:00
const double kNaN = std::numeric_limits<double>::quiet_NaN();
// Metres along the equator per degree of longitude, on the mean radius.
const double kMetresPerDegree = 6371008.8 * 3.14159265358979323846 / 180;

struct Pt {
    double second, metresEast, distance, speed;
};

// Points on the equator, `metresEast` from longitude 0, with their recorded values.
TripProfile Profile(const std::vector<Pt>& pts, const std::vector<TStops>& stops = {},
                    const std::vector<TimePeriod>* speeding = nullptr) {
    std::vector<double> crds;
    TMapPointArray geo;
    for (const Pt& p : pts) {
        crds.insert(crds.end(), {kT0 + p.second * kSec, 0, 0, p.distance, p.speed});
        geo.push_back({p.metresEast / kMetresPerDegree, 0});
    }
    return TripProfile(crds, geo, stops, speeding);
}
}  // namespace

TEST(TripTotals, StraightLineAtAKnownSpeed) {
    // 36 km/h is 600 m a minute.
    const TripProfile p = Profile({{0, 0, 0, 36}, {60, 600, 600, 36}, {120, 1200, 1200, 36}, {180, 1800, 1800, 36}});
    const TripTotals& t = p.totals();
    EXPECT_EQ(t.points, 4);
    EXPECT_DOUBLE_EQ(t.begin, kT0);
    EXPECT_NEAR(t.end, kT0 + 180 * kSec, 1e-9);
    EXPECT_EQ(t.durationSeconds, 180);
    EXPECT_DOUBLE_EQ(t.distanceMetres, 1800);
    EXPECT_EQ(t.movingSeconds, 180);
    EXPECT_EQ(t.standingSeconds, 0);
    EXPECT_DOUBLE_EQ(t.maxKmh, 36);
    EXPECT_NEAR(t.avgMovingKmh, 36, 1e-6);
    EXPECT_EQ(t.repairedPoints, 0);
    EXPECT_FALSE(t.speedingKnown);
    EXPECT_NEAR(GeoDistanceMetres({0, 0}, {0, 1}), kMetresPerDegree, 1e-6);
}

TEST(TripTotals, AStopInTheMiddleAndThePeriodsLists) {
    // Moving a minute, standing two (speeds below 3 km/h), moving a minute.
    const std::vector<TStops> stops = {{kT0 + 60 * kSec, kT0 + 180 * kSec, "00:02:00"}};
    const std::vector<TimePeriod> speeding = {{kT0, kT0 + 30 * kSec}, {kT0 + 200 * kSec, kT0 + 190 * kSec}};
    const TripProfile p = Profile(
        {{0, 0, 0, 36}, {60, 600, 600, 2.9}, {120, 600, 600, 0}, {180, 600, 600, 72}, {240, 1800, 1800, 72}}, stops,
        &speeding);
    const TripTotals& t = p.totals();
    EXPECT_EQ(t.durationSeconds, 240);
    EXPECT_EQ(t.movingSeconds, 120);
    EXPECT_EQ(t.standingSeconds, 120);
    EXPECT_DOUBLE_EQ(t.distanceMetres, 1800);
    EXPECT_NEAR(t.avgMovingKmh, 54, 1e-6);  // 1800 m in two minutes
    EXPECT_DOUBLE_EQ(t.maxKmh, 72);
    EXPECT_EQ(t.stops, 1);
    EXPECT_EQ(t.stopSeconds, 120);
    EXPECT_TRUE(t.speedingKnown);
    EXPECT_EQ(t.speedingPeriods, 2);
    EXPECT_EQ(t.speedingSeconds, 30);  // a period that ends before it begins counts no time
    // The point for a time: the last at or before it.
    EXPECT_EQ(p.PointAt(kT0 - kSec), 0);
    EXPECT_EQ(p.PointAt(kT0 + 61 * kSec), 1);
    EXPECT_EQ(p.PointAt(kT0 + 999 * kSec), 4);
}

TEST(TripTotals, DegenerateTracksDivideByNothing) {
    // One point: nothing but its own distance.
    const TripTotals one = Profile({{0, 0, 250, 40}}).totals();
    EXPECT_EQ(one.points, 1);
    EXPECT_EQ(one.durationSeconds, 0);
    EXPECT_DOUBLE_EQ(one.distanceMetres, 250);
    EXPECT_EQ(one.movingSeconds + one.standingSeconds, 0);
    EXPECT_EQ(one.avgMovingKmh, 0);
    // Equal times, with speeds to derive: no time passes, so none is derived.
    const TripProfile equal = Profile({{0, 0, 0, kNaN}, {0, 500, 500, kNaN}});
    EXPECT_EQ(equal.totals().durationSeconds, 0);
    EXPECT_DOUBLE_EQ(equal.totals().distanceMetres, 500);
    EXPECT_EQ(equal.speed(0), 0);
    EXPECT_EQ(equal.speed(1), 0);
    EXPECT_EQ(equal.totals().avgMovingKmh, 0);
    // Two points.
    const TripTotals two = Profile({{0, 0, 0, 10}, {100, 300, 300, 0}}).totals();
    EXPECT_EQ(two.movingSeconds, 100);
    EXPECT_NEAR(two.avgMovingKmh, 10.8, 1e-6);
    // Nothing at all.
    const TripProfile none = Profile({});
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(none.PointAt(kT0), -1);
    EXPECT_EQ(TotalsLines(none.totals(), ',', [](TDateTime) { return std::string(); }).size(), 1u);
}

TEST(TripTotals, TimesSteppingBackCountNoTimeTwice) {
    const TripProfile p = Profile({{0, 0, 0, 36}, {60, 600, 600, 36}, {50, 700, 700, 36}, {120, 1200, 1200, 36}});
    const TripTotals& t = p.totals();
    EXPECT_EQ(t.durationSeconds, 120);
    EXPECT_EQ(t.movingSeconds, 120);
    EXPECT_EQ(t.standingSeconds, 0);
    EXPECT_DOUBLE_EQ(t.distanceMetres, 1200);
    EXPECT_EQ(p.PointAt(kT0 + 55 * kSec), 0);  // point 2's time is behind the track's latest
    // A last point earlier than the first leaves the duration at the latest time.
    EXPECT_EQ(Profile({{100, 0, 0, 0}, {40, 0, 0, 0}}).totals().durationSeconds, 0);
}

TEST(TripTotals, UnusableRecordedValuesFallBackToPositionsAndTimes) {
    // A distance that is no number, then one that goes back (a counter
    // reset), then a negative speed: each stretch they touch takes the
    // positions' 600 m, and the speed the minute's 36 km/h.
    const TripProfile p = Profile({{0, 0, 0, 36},
                                   {60, 600, 600, 36},
                                   {120, 1200, kNaN, 36},
                                   {180, 1800, 1800, 36},
                                   {240, 2400, 100, 36},
                                   {300, 3000, 700, -5}});
    const TripTotals& t = p.totals();
    EXPECT_NEAR(t.distanceMetres, 3000, 1e-6);
    EXPECT_EQ(t.repairedPoints, 3);
    EXPECT_TRUE(p.repaired(2) && p.repaired(4) && p.repaired(5));
    EXPECT_FALSE(p.repaired(3));
    EXPECT_NEAR(p.speed(5), 36, 1e-6);
    EXPECT_NEAR(t.avgMovingKmh, 36, 1e-6);
    EXPECT_FALSE(RepairedNote(t).empty());
    EXPECT_TRUE(RepairedNote(Profile({{0, 0, 0, 1}}).totals()).empty());
    // Infinite and negative distances, a speed that is no number at the
    // first point: derived from the stretch after it.
    const TripProfile q = Profile({{0, 0, -1, kNaN}, {10, 100, std::numeric_limits<double>::infinity(), 5}});
    EXPECT_NEAR(q.speed(0), 36, 1e-6);
    EXPECT_NEAR(q.totals().distanceMetres, 100, 1e-6);
    EXPECT_EQ(q.totals().repairedPoints, 2);
}

TEST(TripTotals, FromATrackItsReadingsAreSharedUntilOneNeedsRepair) {
    // Clean readings: the profile reads the track's own array.
    const Track clean = Track::FromCrds({kT0, 0, 0, 0, 36, kT0 + 60 * kSec, 0.01, 0, 600, 36});
    const TripProfile shared = TripProfile::FromTrack(clean, {}, nullptr);
    EXPECT_EQ(&shared.points(), clean.sharedReadings().get());
    EXPECT_EQ(shared.totals().movingSeconds, 60);
    // A negative speed and a time stepping back: the profile repairs its own
    // copy and leaves the track's values as delivered.
    const Track odd = Track::FromCrds({kT0, 0, 0, 0, 36, kT0 + 60 * kSec, 0.01, 0, 600, -1,
                                       kT0 + 30 * kSec, 0.02, 0, 1200, 36, kT0 + 120 * kSec, 0.03, 0, 1800, 36});
    const TripProfile p = TripProfile::FromTrack(odd, {}, nullptr);
    EXPECT_NE(&p.points(), odd.sharedReadings().get());
    EXPECT_EQ(odd.speed(1), -1);
    EXPECT_NEAR(p.speed(1), GeoDistanceMetres({0, 0}, {0.01, 0}) / 60 * 3.6, 1e-4);
    EXPECT_TRUE(p.repaired(1));
    EXPECT_FALSE(p.repaired(0) || p.repaired(2) || p.repaired(3));
    EXPECT_EQ(p.totals().durationSeconds, 120);
    EXPECT_EQ(p.PointAt(kT0 + 45 * kSec), 0);  // point 2's own time is behind point 1's
    EXPECT_EQ(p.PointAt(kT0 + 60 * kSec), 2);
    // The profile outlives a track that goes.
    TripProfile kept;
    {
        const Track gone = Track::FromCrds({kT0, 0, 0, 0, 36});
        kept = TripProfile::FromTrack(gone, {}, nullptr);
    }
    EXPECT_EQ(kept.speed(0), 36);
}

TEST(TripTotals, RussianTextsWithTheLocaleSeparator) {
    const std::vector<TStops> stops = {{kT0, kT0 + 3725 * kSec, "01:02:05"}};
    const TripProfile p = Profile({{0, 0, 0, 36}, {3725, 1234, 12346, 99.96}}, stops);
    const auto lines = TotalsLines(p.totals(), ',', [](TDateTime t) { return FormatFixedDateTime(t); });
    auto value = [&](const std::string& label) {
        for (const auto& line : lines)
            if (line.first == label) return line.second;
        return std::string("(нет)");
    };
    EXPECT_EQ(value("Начало"), "04.02.2009 06:00:00");
    EXPECT_EQ(value("Продолжительность"), "1:02:05");
    EXPECT_EQ(value("Пробег"), "12,35 км");
    EXPECT_EQ(value("Макс. скорость"), "100,0 км/ч");
    EXPECT_EQ(value("Остановки"), "1, всего 1:02:05");
    EXPECT_EQ(value("Превышения скорости"), "не загружены");
    EXPECT_EQ(DurationText(90061), "25:01:01");
    EXPECT_EQ(DurationText(-5), "0:00:00");
}

TEST(ReportChart, ColumnsHoldEachPointsSpeed) {
    const TripProfile p = Profile({{0, 0, 0, 10}, {10, 0, 0, 30}, {20, 0, 0, 20}, {99, 0, 0, 5}, {100, 0, 0, 7}});
    const std::vector<ChartColumn> c = ChartColumns(p, 4);
    ASSERT_EQ(c.size(), 4u);
    EXPECT_TRUE(c[0].any);
    EXPECT_EQ(c[0].min, 10);
    EXPECT_EQ(c[0].max, 30);
    EXPECT_EQ(c[0].first, 10);
    EXPECT_EQ(c[0].last, 20);
    EXPECT_FALSE(c[1].any);
    EXPECT_FALSE(c[2].any);
    EXPECT_EQ(c[3].min, 5);  // the end falls in the last column
    EXPECT_EQ(c[3].max, 7);
    // A span of no length puts every point in the first column.
    const std::vector<ChartColumn> flat = ChartColumns(Profile({{5, 0, 0, 1}, {5, 0, 0, 9}}), 3);
    EXPECT_EQ(flat[0].max, 9);
    EXPECT_FALSE(flat[2].any);
    EXPECT_TRUE(ChartColumns(p, 0).empty());
    EXPECT_EQ(ChartColumnOf(kT0 + 50 * kSec, kT0, kT0, 100), 0);
    EXPECT_EQ(ChartColumnOf(kT0 + 50.5 * kSec, kT0, kT0 + 100 * kSec, 100), 50);
    EXPECT_NEAR(ChartTimeOfColumn(25, kT0, kT0 + 100 * kSec, 50), kT0 + 50 * kSec, 1e-9);
    EXPECT_EQ(ChartTimeOfColumn(25, kT0, kT0, 50), kT0);
}

TEST(ReportChart, AxisTicks) {
    EXPECT_EQ(SpeedTicks(87, 5), (std::vector<double>{0, 20, 40, 60, 80, 100}));
    EXPECT_EQ(SpeedTicks(0, 5), (std::vector<double>{0, 2, 4, 6, 8, 10}));
    EXPECT_EQ(SpeedTicks(3, 4).back(), 3);
    const TimeTicks hour = TimeTicksFor(kT0 + 100 * kSec, kT0 + 3700 * kSec, 6);
    EXPECT_EQ(hour.stepSeconds, 600);
    ASSERT_EQ(hour.ticks.size(), 6u);
    EXPECT_EQ(TimeTickText(hour.ticks[0], hour.stepSeconds), "6:10");
    EXPECT_EQ(TimeTickText(kT0 + 5 * kSec, 5), "6:00:05");
    EXPECT_TRUE(TimeTicksFor(kT0, kT0, 5).ticks.empty());
}

TEST(ReportExport, TextsOfTheFiles) {
    EXPECT_EQ(IsoUtcText(EncodeDateTime({2009, 2, 4, 5, 6, 7, 600})), "2009-02-04T05:06:08Z");
    EXPECT_EQ(DegreesText(37.5), "37.500000000");
    EXPECT_EQ(DegreesText(-0.000000123), "-0.000000123");
    Track track = Track::FromCrds({kT0, 37.61, 55.75, 0, 0, kT0 + kSec, 37.62, 55.76, 12.5, 45.5});
    track.SetMapPoint(0, {1000, 2000});  // the file keeps the delivered positions
    const std::string csv = TrackCsv(track, ',');
    EXPECT_EQ(csv,
              "\xEF\xBB\xBF"
              "Время;Широта;Долгота;Пробег, м;Скорость, км/ч\r\n"
              "04.02.2009 06:00:00;55,75;37,61;0;0\r\n"
              "04.02.2009 06:00:01;55,76;37,62;12,5;45,5\r\n");
}
