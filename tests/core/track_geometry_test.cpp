#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>

#include "kx/error.h"
#include "kx/geometry.h"

using namespace kx;

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kSec = 1.0 / 86400;
const TDateTime kT0 = 39850.0;  // 06.02.2009

// Points at (x, y) with the given second offsets; distance and speed = k.
Track MakeTrack(const std::vector<std::array<double, 3>>& pts) {
    std::vector<double> crds;
    for (std::size_t k = 0; k < pts.size(); ++k) {
        crds.insert(crds.end(), {kT0 + pts[k][0] * kSec, pts[k][1], pts[k][2], double(k) * 10,
                                 double(k) + 0.5});
    }
    return Track::FromCrds(crds);
}
}  // namespace

TEST(Track, ValidationGivesClearErrors) {
    EXPECT_TRUE(Track::FromCrds({}).empty());
    EXPECT_THROW(Track::FromCrds({1, 2, 3, 4}), Error);
    EXPECT_THROW(Track::FromCrds({1, 2, std::nan(""), 4, 5}), Error);
    EXPECT_THROW(Track::FromCrds({1, 2, 3, INFINITY, 5}), Error);
    EXPECT_EQ(MakeTrack({{0, 0, 0}, {0, 1, 1}}).count(), 2);  // a repeated second is kept
    const Track t = MakeTrack({{0, 1, 2}});
    EXPECT_THROW(t.time(1), Error);
    EXPECT_THROW(t.time(-1), Error);
}

// The points are held once: the readings beside the map points, and the
// map points shared with whoever draws them, who never sees them change.
TEST(Track, HoldsEachPointOnceAndSharesItsMapPointsUnchanged) {
    Track t = MakeTrack({{0, 1, 2}, {1, 3, 4}, {2, 5, 6}});
    EXPECT_EQ(t.crds(), (std::vector<double>{kT0, 1, 2, 0, 0.5, kT0 + kSec, 3, 4, 10, 1.5, kT0 + 2 * kSec, 5, 6, 20, 2.5}));
    // Readings 24, map points 16, the delivered positions kept for the export 16;
    // no running maximum while times only grow.
    EXPECT_EQ(3 * 56u, t.MemoryBytes());

    const std::shared_ptr<const TMapPointArray> drawn = t.sharedMapPoints();
    EXPECT_EQ(&t.mapPoints(), drawn.get());
    t.SetMapPoint(1, {30, 40});
    EXPECT_EQ((TMapPoint{3, 4}), (*drawn)[1]);
    EXPECT_EQ((TMapPoint{30, 40}), t.mapPoints()[1]);
    EXPECT_EQ(30, t.x(1));
    EXPECT_EQ(40, t.y(1));

    // Replaced or moved away, the track leaves the drawn points whole.
    const Track moved = std::move(t);
    t = Track();
    EXPECT_EQ(3u, drawn->size());
    EXPECT_EQ(3, moved.count());
    EXPECT_TRUE(t.mapPoints().empty());
}

// What real receivers record: a repeated second and a one-second step back.
TEST(Track, RecordingsWithRepeatedOrBackwardTimesLoad) {
    const Track repeated = MakeTrack({{0, 0, 0}, {5, 1, 1}, {5, 2, 2}, {10, 3, 3}});
    EXPECT_EQ(repeated.count(), 4);
    EXPECT_EQ(repeated.RangeSeconds(), 10);
    const Track back = MakeTrack({{0, 0, 0}, {5, 1, 1}, {4, 2, 2}, {10, 3, 3}});
    EXPECT_EQ(back.RangeSeconds(), 10);
    // As a scan from the start finds it: point 1 (5 s) is the first at or
    // after 4.5 s, the step back to 4 s notwithstanding.
    EXPECT_EQ(back.FindPointByTime(kT0 + 4.5 * kSec, -1), 0);
    EXPECT_EQ(back.FindPointByTime(kT0 + 6 * kSec, -1), -1) << "no point before the last reaches it";
    // A last point before the first: no length.
    const Track reversed = MakeTrack({{5, 0, 0}, {4, 1, 1}});
    EXPECT_EQ(reversed.RangeSeconds(), 0);
}

TEST(Track, RangeSliderAndMapPoints) {
    Track one = MakeTrack({{0, 1, 2}});
    EXPECT_EQ(one.RangeSeconds(), 0);

    Track t = MakeTrack({{0, 30, 50}, {60, 31, 51}, {5400, 32, 52}});
    EXPECT_EQ(t.RangeSeconds(), 5400);
    EXPECT_EQ(t.SecondsFromStart(kT0 - kSec), -1);
    EXPECT_EQ(t.SecondsFromStart(kT0 + 2.4 * kSec), 2);
    EXPECT_EQ(t.SecondsFromStart(kT0 + 2.6 * kSec), 3);
    EXPECT_DOUBLE_EQ(t.TimeAtSecond(60), t.time(1));
    t.SetMapPoint(2, {1000, 2000});
    EXPECT_EQ(t.x(2), 1000);
    EXPECT_EQ(t.y(2), 2000);
    EXPECT_EQ(t.mapPoints()[2], (TMapPoint{1000, 2000}));
    EXPECT_THROW(t.SetMapPoint(3, {0, 0}), Error);
}

// The player's lookup as a scan over the points, the reference for the bisection.
int ScanPointByTime(const Track& t, TDateTime when, int current) {
    if (t.count() - 1 <= 0) return current;
    for (int k = 0; k <= t.count() - 2; ++k)
        if (t.time(k) >= when) return k >= 1 ? k - 1 : 1;
    return current;
}

TEST(Track, FindPointByTimeTakesThePointBeforeTheFirstAtOrAfter) {
    const Track t = MakeTrack({{0, 0, 0}, {10, 1, 0}, {20, 2, 0}, {30, 3, 0}});
    const struct {
        double second;
        int current, expected;
    } cases[] = {
        {-1, 7, 1},   // before the start: point 0 qualifies, which gives 1
        {0, 7, 1},    // at the start too
        {5, 7, 0},
        {10, 7, 0},   // t(1) equals the time: k - 1
        {10.5, 7, 1},
        {20, 7, 1},
        {25, 7, 7},   // after point N-2 the index stays
        {99, 2, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(t.FindPointByTime(kT0 + c.second * kSec, c.current), c.expected) << c.second;
    EXPECT_EQ(MakeTrack({{0, 1, 2}}).FindPointByTime(kT0, 4), 4);   // one point: unchanged
    EXPECT_EQ(MakeTrack({{0, 1, 2}, {9, 1, 2}}).FindPointByTime(kT0, 0), 1);  // the point exists
    EXPECT_EQ(t.FindPointByTime(std::nan(""), 3), 3);
}

// Repeated times and steps back, as real recordings have them.
TEST(Track, FindPointByTimeBisectsToTheScansAnswer) {
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        std::vector<std::array<double, 3>> pts;
        double second = 0;
        const int n = 1 + static_cast<int>(rng() % 40);
        for (int k = 0; k < n; ++k) {
            if (k > 0 && rng() % 3 != 0) second += static_cast<double>(rng() % 3);  // repeats often
            // Now and then one point a second or two before its neighbours.
            const double glitch = rng() % 9 == 0 ? static_cast<double>(1 + rng() % 2) : 0.0;
            pts.push_back({second - glitch, double(k), 0});
        }
        const Track t = MakeTrack(pts);
        for (int probe = 0; probe < 30; ++probe) {
            const double s = static_cast<double>(rng() % 200) / 4 - 5;
            const int current = static_cast<int>(rng() % 50);
            ASSERT_EQ(t.FindPointByTime(kT0 + s * kSec, current), ScanPointByTime(t, kT0 + s * kSec, current))
                << "round " << round << " second " << s;
        }
    }
}

TEST(Track, StopLookup) {
    const std::vector<TStops> stops = {{10, 20, "a"}, {15, 30, "b"}};
    EXPECT_EQ(FindStopAt(stops, 9.9), -1);
    EXPECT_EQ(FindStopAt(stops, 10), 0);
    EXPECT_EQ(FindStopAt(stops, 16), 0);  // the first match wins
    EXPECT_EQ(FindStopAt(stops, 20), 1);  // end is exclusive
    EXPECT_EQ(FindStopAt(stops, 30), -1);
}

TEST(Geometry, RectsIntersectIsStrict) {
    const TShapeBounds box{0, 0, 10, 10};
    EXPECT_TRUE(RectsIntersect(box, {5, 5, 15, 15}));
    EXPECT_TRUE(RectsIntersect(box, {2, 2, 3, 3}));
    EXPECT_FALSE(RectsIntersect(box, {10, 0, 20, 10}));  // touching edge
    EXPECT_FALSE(RectsIntersect(box, {0, -5, 10, 0}));
    EXPECT_FALSE(RectsIntersect(box, {11, 11, 12, 12}));
}

TEST(Geometry, Boxes) {
    const TShapeBounds map{0, 0, 100, 100};
    const TShapeBounds inside = ExtendBounds(map, {{10, 10}, {20, 30}});
    EXPECT_EQ(inside.MinX, 0);
    EXPECT_EQ(inside.MaxY, 100);
    const TShapeBounds grown = ExtendBounds(map, {{-5, 50}, {50, 120}});
    EXPECT_EQ(grown.MinX, -5);
    EXPECT_EQ(grown.MaxY, 120);
    EXPECT_FALSE(BoundsOfPoints({}).has_value());
    const TShapeBounds u = UnionBounds(*BoundsOfPoints({{1, 2}}), {-1, 5, 0, 6});
    EXPECT_EQ(u.MinX, -1);
    EXPECT_EQ(u.MinY, 2);
    EXPECT_EQ(u.MaxY, 6);
}

TEST(Geometry, SegmentAngleAndMarker) {
    EXPECT_DOUBLE_EQ(SegmentAngle(0, 1, 0, 0), 0);           // +X
    EXPECT_DOUBLE_EQ(SegmentAngle(0, 0, 0, 1), -kPi / 2);    // +Y
    EXPECT_DOUBLE_EQ(SegmentAngle(0, 0, 1, 0), kPi / 2);     // same X, lower
    EXPECT_DOUBLE_EQ(SegmentAngle(0, 0, 0, 0), kPi / 2);     // identical
    EXPECT_DOUBLE_EQ(SegmentAngle(1, 0, 0, 0), kPi);         // -X
    EXPECT_DOUBLE_EQ(MeanDirection(0, kPi / 2), kPi / 4);
    // Across the wrap the plain mean would point backwards.
    EXPECT_NEAR(MeanDirection(-kPi / 2 + 0.1, 3 * kPi / 2 - 0.1), -kPi / 2, 1e-12);

    EXPECT_EQ(MarkerSizeFor(7000), 100);
    EXPECT_EQ(MarkerSizeFor(70 * 2.5), 2);  // halves to even
    const TMapPointArrays m = BuildMarker(10, 20, 0, 100);
    ASSERT_EQ(m.size(), 2u);
    ASSERT_EQ(m[0].size(), 5u);
    EXPECT_NEAR(m[0][2].X, 110, 1e-9);  // tip
    EXPECT_NEAR(m[0][0].X, -30, 1e-9);  // notch 40 behind
    EXPECT_NEAR(m[1][2].X, 70, 1e-9);
    EXPECT_NEAR(m[1][0].X, -14, 1e-9);
    EXPECT_EQ(m[0][4], m[0][0]);
    const TMapPointArrays up = BuildMarker(0, 0, SegmentAngle(0, 0, 0, 1), 100);
    EXPECT_NEAR(up[0][2].X, 0, 1e-9);
    EXPECT_NEAR(up[0][2].Y, 100, 1e-9);  // a move along +Y points along +Y
}

TEST(Geometry, Recentring) {
    const TShapeBounds v{0, 0, 7000, 7000};
    EXPECT_FALSE(NeedsRecentre(v, {200, 3500}, 100));
    EXPECT_TRUE(NeedsRecentre(v, {199, 3500}, 100));
    EXPECT_TRUE(NeedsRecentre(v, {3500, 6801}, 100));
    const TShapeBounds c = CentredRect({100, 200}, 50, 20);
    EXPECT_EQ(c.MinX, 75);
    EXPECT_EQ(c.MaxY, 210);
}

TEST(Geometry, Poses) {
    const Track t = MakeTrack({{0, 10, 10}, {100, 110, 10}, {200, 110, -90}, {300, 210, -90}});
    const struct {
        const char* what;
        int k;
        double second;
        TMapPoint position;
        double angle;
    } cases[] = {
        {"halfway in time is halfway in space", 0, 50, {60, 10}, 0},
        {"the next second is past the point", 0, 1.6, {11.6, 10}, 0},
        {"same second as the point: on it", 0, 0.4, {10, 10}, 0},
        {"on a corner: between in (0) and out (pi/2)", 1, 100, {110, 10}, kPi / 4},
        {"on the last point: the incoming move", 3, 300, {210, -90}, 0},
        {"the last point past its time: stays on it", 3, 400, {210, -90}, 0},
        {"before the segment's start: behind it, pointing back", 1, 50, {110, 60}, -kPi / 2},
        {"an index past the end is read as the last point", 9, 300, {210, -90}, 0},
    };
    for (const auto& c : cases) {
        const MarkerPose pose = PoseAt(t, c.k, kT0 + c.second * kSec);
        EXPECT_NEAR(pose.position.X, c.position.X, 1e-6) << c.what;
        EXPECT_NEAR(pose.position.Y, c.position.Y, 1e-6) << c.what;
        EXPECT_NEAR(pose.angle, c.angle, 1e-12) << c.what;
    }
}

TEST(Geometry, PosesOfShortAndDegenerateTracks) {
    // A place with X or Y exactly 0 is taken as P[k]; the angle towards it
    // then is that of a move that goes nowhere.
    const Track axis = MakeTrack({{0, -10, 5}, {10, 10, 5}});
    const MarkerPose zero = PoseAt(axis, 0, kT0 + 5 * kSec);
    EXPECT_EQ(zero.position, (TMapPoint{-10, 5}));
    EXPECT_DOUBLE_EQ(zero.angle, kPi / 2);
    // One point: there, unturned.
    const MarkerPose one = PoseAt(MakeTrack({{0, 7, 8}}), 0, kT0 + kSec);
    EXPECT_EQ(one.position, (TMapPoint{7, 8}));
    EXPECT_EQ(one.angle, 0);
    // Two points, index 1 (what the lookup gives before the start).
    const Track two = MakeTrack({{0, 0, 1}, {10, 10, 1}});
    for (double s : {-3.0, 0.0, 10.0}) {
        const MarkerPose p = PoseAt(two, 1, kT0 + s * kSec);
        EXPECT_EQ(p.position, (TMapPoint{10, 1})) << s;
        EXPECT_DOUBLE_EQ(p.angle, 0) << s;
    }
    // Two points with the same time: no division, on P[k] along the segment.
    const Track same = MakeTrack({{0, 1, 1}, {10, 2, 1}, {10, 2, 11}, {20, 3, 11}});
    const MarkerPose flat = PoseAt(same, 1, kT0 + 4 * kSec);
    EXPECT_EQ(flat.position, (TMapPoint{2, 1}));
    EXPECT_DOUBLE_EQ(flat.angle, -kPi / 2);
    // Incoming just above the wrap, outgoing just below: the mean on the
    // circle points between them, not backwards.
    const Track wrap = MakeTrack({{0, 0, 0}, {10, 1, 100}, {20, 0, 200}});
    const double a = PoseAt(wrap, 1, kT0 + 10 * kSec).angle;
    EXPECT_NEAR(std::sin(a), -1, 1e-9) << a;
    EXPECT_THROW(PoseAt(Track(), 0, kT0), Error);
}

TEST(Geometry, NearestOnTrackByThePlayersMeasure) {
    const Track t = MakeTrack({{0, 0, 0}, {100, 100, 0}, {200, 100, 100}});
    const TMapPointArray& p = t.mapPoints();
    const struct {
        const char* what;
        TMapPoint c;
        int segment;
        double seconds, distance;
    } cases[] = {
        {"on the perpendicular at two fifths", {40, 3}, 0, 40, 3},
        {"nearest to a segment's start point", {-10, -10}, 0, 0, std::sqrt(200.0)},
        {"on the line exactly", {100, 25}, 1, 125, 0},
        // Beyond the end the measure is the distance to the last segment's
        // start: the time is that segment's start.
        {"past the last point", {101, 150}, 1, 100, std::sqrt(1.0 + 150 * 150)},
        {"on a corner: the segment that starts there", {100, 0}, 1, 100, 0},
    };
    for (const auto& c : cases) {
        const auto hit = NearestOnTrack(p, c.c);
        ASSERT_TRUE(hit) << c.what;
        EXPECT_EQ(hit->segment, c.segment) << c.what;
        EXPECT_NEAR(hit->distance, c.distance, 1e-9) << c.what;
        EXPECT_NEAR((TimeOfHit(t, *hit) - kT0) * 86400, c.seconds, 1e-6) << c.what;
    }
    // Repeated points and flat triangles stay finite.
    const auto flat = NearestOnTrack({{0, 0}, {0, 0}, {1e9, 0}}, {5e8, 1e-9});
    ASSERT_TRUE(flat);
    EXPECT_TRUE(std::isfinite(flat->distance));
    EXPECT_TRUE(flat->fraction >= 0 && flat->fraction <= 1);
    EXPECT_FALSE(NearestOnTrack({}, {0, 0}));
    EXPECT_FALSE(NearestOnTrack({{3, 4}}, {0, 0}));
    EXPECT_FALSE(NearestOnTrack(p, {std::nan(""), 0}));
}

TEST(Geometry, SegmentIndexGivesTheScansAnswer) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> unit(-1, 1);
    for (int round = 0; round < 60; ++round) {
        // Random walks with repeated points, long straight runs and, every
        // other round, coordinates far from the origin and on a grid (ties).
        TMapPointArray pts;
        const double base = round % 2 ? 4.2e6 : 0;
        const bool grid = round % 3 == 0;
        TMapPoint at{base, -base};
        const int n = 2 + static_cast<int>(rng() % 3000);
        for (int k = 0; k < n; ++k) {
            pts.push_back(at);
            if (rng() % 10 == 0) continue;  // the same place again
            const double step = rng() % 50 == 0 ? 5000 : 40;
            at.X += grid ? std::round(unit(rng) * 3) * 10 : unit(rng) * step;
            at.Y += grid ? std::round(unit(rng) * 3) * 10 : unit(rng) * step;
        }
        const SegmentIndex index(pts);
        for (int probe = 0; probe < 40; ++probe) {
            const TMapPoint& near = pts[rng() % pts.size()];
            const double reach = probe % 4 == 0 ? 1e5 : grid ? 10 : 30;
            TMapPoint c{near.X + unit(rng) * reach, near.Y + unit(rng) * reach};
            if (grid) c = {std::round(c.X / 5) * 5, std::round(c.Y / 5) * 5};
            const auto scan = NearestOnTrack(pts, c);
            const auto fast = index.Nearest(pts, c);
            ASSERT_TRUE(scan && fast);
            ASSERT_EQ(fast->segment, scan->segment) << "round " << round << " probe " << probe;
            ASSERT_EQ(fast->distance, scan->distance);
            ASSERT_EQ(fast->fraction, scan->fraction);
        }
    }
    // Under 32 bytes a point, and another polyline falls back to the scan.
    TMapPointArray line;
    for (int k = 0; k < 100000; ++k) line.push_back({k * 1.0, std::sin(k * 0.01)});
    const SegmentIndex big(line);
    EXPECT_LT(big.MemoryBytes(), 32u * line.size());
    const TMapPointArray other = {{0, 0}, {10, 0}};
    EXPECT_EQ(big.Nearest(other, {5, 1})->segment, 0);
    const TMapPointArray single = {{1, 1}};
    EXPECT_FALSE(SegmentIndex(single).Nearest(single, {0, 0}));
}
