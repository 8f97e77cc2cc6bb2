#include <gtest/gtest.h>

#include <cmath>

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
    const Track t = MakeTrack({{0, 1, 2}});
    EXPECT_THROW(t.time(1), Error);
    EXPECT_THROW(t.time(-1), Error);
}

// What real receivers record: a repeated second and a one-second step back.
TEST(Track, RecordingsWithRepeatedOrBackwardTimesLoad) {
    const Track repeated = MakeTrack({{0, 0, 0}, {5, 1, 1}, {5, 2, 2}, {10, 3, 3}});
    EXPECT_EQ(repeated.count(), 4);
    EXPECT_EQ(repeated.RangeSeconds(), 10);
    const Track back = MakeTrack({{0, 0, 0}, {5, 1, 1}, {4, 2, 2}, {10, 3, 3}});
    EXPECT_EQ(back.RangeSeconds(), 10);
    EXPECT_EQ(back.SliderPosition(kT0 + 4 * kSec), 4);
    // A last point before the first: no length, and clamping stays defined.
    const Track reversed = MakeTrack({{5, 0, 0}, {4, 1, 1}});
    EXPECT_EQ(reversed.RangeSeconds(), 0);
    EXPECT_EQ(reversed.SliderPosition(kT0 + 20 * kSec), 0);
    EXPECT_EQ(reversed.ClampTime(kT0), reversed.startTime());
}

TEST(Track, RangeSliderAndMapPoints) {
    Track one = MakeTrack({{0, 1, 2}});
    EXPECT_EQ(one.RangeSeconds(), 0);
    EXPECT_EQ(one.FindPointByTime(kT0 + 5 * kSec), 0);

    Track t = MakeTrack({{0, 30, 50}, {60, 31, 51}, {5400, 32, 52}});
    EXPECT_EQ(t.RangeSeconds(), 5400);
    EXPECT_EQ(t.SliderPosition(kT0 - 1), 0);
    EXPECT_EQ(t.SliderPosition(kT0 + 1), 5400);
    EXPECT_EQ(t.SliderPosition(kT0 + 2.4 * kSec), 2);
    EXPECT_EQ(t.SliderPosition(kT0 + 2.6 * kSec), 3);
    EXPECT_DOUBLE_EQ(t.TimeAtSecond(60), t.time(1));
    t.SetMapPoint(2, {1000, 2000});
    EXPECT_EQ(t.x(2), 1000);
    EXPECT_EQ(t.y(2), 2000);
    EXPECT_EQ(t.mapPoints()[2], (TMapPoint{1000, 2000}));
    EXPECT_THROW(t.SetMapPoint(3, {0, 0}), Error);
}

TEST(Track, FindPointByTimeNamesTheSegmentStart) {
    const Track t = MakeTrack({{0, 0, 0}, {10, 1, 0}, {20, 2, 0}, {30, 3, 0}});
    EXPECT_EQ(t.FindPointByTime(kT0 - kSec), 0);   // before the start
    EXPECT_EQ(t.FindPointByTime(kT0), 0);          // at the start, not 1
    EXPECT_EQ(t.FindPointByTime(kT0 + 5 * kSec), 0);
    EXPECT_EQ(t.FindPointByTime(kT0 + 10 * kSec), 1);
    EXPECT_EQ(t.FindPointByTime(kT0 + 25 * kSec), 2);  // last segment is found too
    EXPECT_EQ(t.FindPointByTime(kT0 + 99 * kSec), 2);
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

TEST(Geometry, PoseOnAndBetweenPoints) {
    const Track t = MakeTrack({{0, 0, 0}, {100, 100, 0}, {200, 100, -100}});
    // Halfway in time is halfway in space, heading +X.
    const MarkerPose mid = PoseAt(t, 0, kT0 + 50 * kSec);
    EXPECT_NEAR(mid.position.X, 50, 1e-6);
    EXPECT_NEAR(mid.angle, 0, 1e-12);
    // On the middle point: incoming 0, outgoing pi/2 (Y down) -> pi/4.
    const MarkerPose corner = PoseAt(t, 1, kT0 + 100 * kSec);
    EXPECT_EQ(corner.position, (TMapPoint{100, 0}));
    EXPECT_NEAR(corner.angle, kPi / 4, 1e-12);
    // The ends have only one neighbour; neither throws.
    EXPECT_NEAR(PoseAt(t, 0, kT0).angle, 0, 1e-12);
    EXPECT_NEAR(PoseAt(t, 2, kT0 + 200 * kSec).angle, kPi / 2, 1e-12);
    // A position that happens to have X = 0 is still interpolated.
    const Track down = MakeTrack({{0, 0, 0}, {10, 0, 100}});
    EXPECT_NEAR(PoseAt(down, 0, kT0 + 5 * kSec).position.Y, 50, 1e-6);
    EXPECT_EQ(PoseAt(MakeTrack({{0, 7, 8}}), 0, kT0 + kSec).position, (TMapPoint{7, 8}));
    EXPECT_THROW(PoseAt(Track(), 0, kT0), Error);
}

TEST(Geometry, NearestOnTrackAndItsTime) {
    const Track t = MakeTrack({{0, 0, 0}, {100, 100, 0}, {200, 100, 100}});
    const TMapPointArray& p = t.mapPoints();
    // On the perpendicular at two fifths of a 100-second segment.
    auto hit = NearestOnTrack(p, {40, 3});
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->segment, 0);
    EXPECT_NEAR(hit->fraction, 0.4, 1e-12);
    EXPECT_NEAR(hit->distance, 3, 1e-12);
    EXPECT_NEAR((TimeOfHit(t, *hit) - kT0) * 86400, 40, 1e-6);
    // Nearest to a segment's start point: that segment's start time.
    hit = NearestOnTrack(p, {-10, -10});
    EXPECT_EQ(hit->segment, 0);
    EXPECT_EQ(TimeOfHit(t, *hit), kT0);
    // Near the very last point (unreachable when only segment starts count).
    hit = NearestOnTrack(p, {101, 150});
    EXPECT_EQ(hit->segment, 1);
    EXPECT_NEAR((TimeOfHit(t, *hit) - kT0) * 86400, 200, 1e-6);
    // Collinear and degenerate input stays finite.
    hit = NearestOnTrack({{0, 0}, {0, 0}, {1e9, 0}}, {5e8, 1e-9});
    EXPECT_EQ(hit->segment, 1);
    EXPECT_TRUE(std::isfinite(hit->distance));
    EXPECT_FALSE(NearestOnTrack({}, {0, 0}));
    EXPECT_EQ(NearestOnTrack({{3, 4}}, {0, 0})->distance, 5);
}
