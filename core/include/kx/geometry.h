#pragma once
// Map geometry: boxes, directions, the arrow marker and track hit-testing.
#include <optional>

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
// k is the index FindPointByTime gave for t. On a point (same second) the
// angle is the bisector of the incoming and outgoing moves; between points
// the position is interpolated in time along segment k.
MarkerPose PoseAt(const Track& track, int k, TDateTime t);

struct TrackHit {
    int segment = 0;        // start point of the nearest segment
    double fraction = 0.0;  // 0..1 along it, to the foot of the perpendicular
    double distance = 0.0;
};
// Nearest position on the polyline; ties keep the earlier segment.
// Empty input gives nothing; a single point gives that point.
std::optional<TrackHit> NearestOnTrack(const TMapPointArray& points, const TMapPoint& c);
// Track time of a hit: segment start plus the fraction in whole seconds.
TDateTime TimeOfHit(const Track& track, const TrackHit& hit);

}  // namespace kx
