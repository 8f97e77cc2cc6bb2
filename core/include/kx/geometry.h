#pragma once
// Map geometry: boxes, directions, the arrow marker and track hit-testing.
#include <cstddef>
#include <optional>
#include <vector>

#include "kx/track.h"

namespace kx {

struct TShapeBounds {
    double MinX = 0.0;
    double MinY = 0.0;
    double MaxX = 0.0;
    double MaxY = 0.0;
};

// Strict overlap test: boxes that only touch along an edge do not intersect.
bool RectsIntersect(const TShapeBounds& box, const TShapeBounds& query);
// The start box grown to take in every point (a shape's box is the map's
// bounds extended by its vertices).
TShapeBounds ExtendBounds(TShapeBounds start, const TMapPointArray& points);
std::optional<TShapeBounds> BoundsOfPoints(const TMapPointArray& points);
TShapeBounds UnionBounds(const TShapeBounds& a, const TShapeBounds& b);

// Direction of the move (x1, y1) -> (x2, y2) with the Y axis turned over,
// in [-pi/2, 3pi/2). Note the order: both X values first.
double SegmentAngle(double x1, double x2, double y1, double y2);
inline double SegmentAngle(const TMapPoint& from, const TMapPoint& to) {
    return SegmentAngle(from.X, to.X, from.Y, to.Y);
}
// Bisector of two directions; across the wrap it still points between them.
// Opposite directions give the second one.
double MeanDirection(double a, double b);

// Two closed five-vertex polygons (outer, inner) of an arrow centred on
// (x, y), tip towards angle.
TMapPointArrays BuildMarker(double x, double y, double angle, double size);
// One seventieth of the visible width, nearest integer, halves to even.
std::int64_t MarkerSizeFor(double visibleWidth);
// True unless the point lies at least 2 marker sizes inside every edge.
bool NeedsRecentre(const TShapeBounds& visible, const TMapPoint& p, double markerSize);
TShapeBounds CentredRect(const TMapPoint& centre, double width, double height);

// Where a time puts the marker: point and direction of travel.
struct MarkerPose {
    TMapPoint position;
    double angle = 0.0;
};
// k is the player's point for t (Track::FindPointByTime). When t shows the
// same second as point k, the vehicle stands on it, turned between its
// incoming and outgoing moves (taken on the circle; at either end of the
// track the one move there is). Otherwise it lies at the fraction
// (t - t(k)) / (t(k+1) - t(k)) of segment k, turned from P[k] towards that
// place; a place whose X or Y is exactly 0 is taken as P[k]. Where segment k
// has no duration or no end point, the vehicle stays on P[k], turned along
// the segment when there is one. Throws kx::Error for an empty track.
MarkerPose PoseAt(const Track& track, int k, TDateTime t);

// The nearest place on a polyline by the player's measure: per segment A-B,
// the distance to A when the angle at C is not obtuse, else the height of
// the triangle over A-B (Heron's formula, its product clamped at zero).
// The first segment with the least measure wins.
struct TrackHit {
    int segment = 0;        // start point of the nearest segment
    double fraction = 0.0;  // along it to the foot of the perpendicular; 0 at its start point
    double distance = 0.0;
};
// Nothing for fewer than two points or a point that is not finite.
std::optional<TrackHit> NearestOnTrack(const TMapPointArray& points, const TMapPoint& c);
// Track time of a hit: segment start plus the fraction of its duration in
// whole seconds (halves to even).
TDateTime TimeOfHit(const Track& track, const TrackHit& hit);

// A packed R-tree over the segments of one polyline, built once when a track
// loads: the same answer as NearestOnTrack, ties included, while visiting
// only the segments near the point. Runs of consecutive segments make the
// leaves, as a track's consecutive segments lie close together.
class SegmentIndex {
public:
    SegmentIndex() = default;
    explicit SegmentIndex(const TMapPointArray& points);

    // `points` must be the polyline the index was built over; any other
    // (a different count) is searched by the plain scan.
    std::optional<TrackHit> Nearest(const TMapPointArray& points, const TMapPoint& c) const;
    std::size_t MemoryBytes() const;
    bool empty() const { return levels_.empty(); }

private:
    static constexpr std::size_t kFanOut = 16;
    std::size_t segments_ = 0;
    std::vector<std::vector<TShapeBounds>> levels_;  // leaves first, root level last
    double slack_ = 0.0;  // rounding allowance of the measure against box distances
};

}  // namespace kx
