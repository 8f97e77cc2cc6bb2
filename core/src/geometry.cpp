#include "kx/geometry.h"

#include <algorithm>
#include <cmath>

#include "kx/error.h"

namespace kx {
namespace {
constexpr double kPi = 3.14159265358979323846;
}

bool RectsIntersect(const TShapeBounds& box, const TShapeBounds& query) {
    return box.MinX < query.MaxX && box.MaxX > query.MinX && box.MinY < query.MaxY &&
           box.MaxY > query.MinY;
}

TShapeBounds ExtendBounds(TShapeBounds b, const TMapPointArray& points) {
    for (const TMapPoint& p : points) {
        if (p.X < b.MinX) b.MinX = p.X;
        if (p.Y < b.MinY) b.MinY = p.Y;
        if (p.X > b.MaxX) b.MaxX = p.X;
        if (p.Y > b.MaxY) b.MaxY = p.Y;
    }
    return b;
}

std::optional<TShapeBounds> BoundsOfPoints(const TMapPointArray& points) {
    if (points.empty()) return std::nullopt;
    const TMapPoint& p = points.front();
    return ExtendBounds({p.X, p.Y, p.X, p.Y}, points);
}

TShapeBounds UnionBounds(const TShapeBounds& a, const TShapeBounds& b) {
    return {std::min(a.MinX, b.MinX), std::min(a.MinY, b.MinY), std::max(a.MaxX, b.MaxX),
            std::max(a.MaxY, b.MaxY)};
}

double SegmentAngle(double x1, double x2, double y1, double y2) {
    if (x1 != x2) {
        double a = std::atan((y2 - y1) / (x1 - x2));
        if (x1 > x2) a += kPi;
        return a;
    }
    return y1 >= y2 ? kPi / 2 : -kPi / 2;
}

double MeanDirection(double a, double b) {
    const double x = std::cos(a) + std::cos(b);
    const double y = std::sin(a) + std::sin(b);
    if (std::fabs(x) < 1e-12 && std::fabs(y) < 1e-12) return b;
    return std::atan2(y, x);
}

TMapPointArrays BuildMarker(double x, double y, double angle, double size) {
    struct Spoke {
        double outer, inner, turn;
    };
    static const Spoke kSpokes[4] = {
        {0.4, 0.24, kPi},            // notch at the back
        {1.0, 0.6, 3 * kPi / 4},     // wing
        {1.0, 0.6, 0.0},             // tip
        {1.0, 0.6, -3 * kPi / 4},    // wing
    };
    TMapPointArrays polygons(2, TMapPointArray(5));
    for (int v = 0; v < 4; ++v) {
        const double d = angle + kSpokes[v].turn;
        const double c = std::cos(d), s = std::sin(d);
        polygons[0][v] = {x + kSpokes[v].outer * size * c, y - kSpokes[v].outer * size * s};
        polygons[1][v] = {x + kSpokes[v].inner * size * c, y - kSpokes[v].inner * size * s};
    }
    polygons[0][4] = polygons[0][0];
    polygons[1][4] = polygons[1][0];
    return polygons;
}

std::int64_t MarkerSizeFor(double visibleWidth) { return RoundHalfEven(visibleWidth / 70.0); }

bool NeedsRecentre(const TShapeBounds& v, const TMapPoint& p, double markerSize) {
    const double margin = 2 * markerSize;
    const bool inside = v.MinX + margin <= p.X && p.X <= v.MaxX - margin &&
                        v.MinY + margin <= p.Y && p.Y <= v.MaxY - margin;
    return !inside;
}

TShapeBounds CentredRect(const TMapPoint& c, double width, double height) {
    return {c.X - width / 2, c.Y - height / 2, c.X + width / 2, c.Y + height / 2};
}

MarkerPose PoseAt(const Track& track, int k, TDateTime t) {
    const int n = track.count();
    if (n == 0) throw Error("No track is loaded");
    k = std::clamp(k, 0, n - 1);
    const TMapPointArray& p = track.mapPoints();
    const auto K = static_cast<std::size_t>(k);
    MarkerPose pose;
    if (SameWholeSecond(track.time(k), t) || k == n - 1) {
        // Standing on point k: between the incoming and outgoing moves,
        // whichever of them exist.
        pose.position = p[K];
        const bool hasIn = k > 0, hasOut = k + 1 < n;
        if (hasIn && hasOut)
            pose.angle = MeanDirection(SegmentAngle(p[K - 1], p[K]), SegmentAngle(p[K], p[K + 1]));
        else if (hasIn)
            pose.angle = SegmentAngle(p[K - 1], p[K]);
        else if (hasOut)
            pose.angle = SegmentAngle(p[K], p[K + 1]);
        return pose;
    }
    const double span = track.time(k + 1) - track.time(k);
    const double f = std::clamp((t - track.time(k)) / span, 0.0, 1.0);
    pose.position = {p[K].X + f * (p[K + 1].X - p[K].X), p[K].Y + f * (p[K + 1].Y - p[K].Y)};
    pose.angle = SegmentAngle(p[K], p[K + 1]);
    return pose;
}

std::optional<TrackHit> NearestOnTrack(const TMapPointArray& points, const TMapPoint& c) {
    if (points.empty()) return std::nullopt;
    if (points.size() == 1) {
        const double dx = c.X - points[0].X, dy = c.Y - points[0].Y;
        return TrackHit{0, 0.0, std::sqrt(dx * dx + dy * dy)};
    }
    double best = -1.0;  // squared distance
    TrackHit hit;
    for (std::size_t j = 0; j + 1 < points.size(); ++j) {
        const TMapPoint& a = points[j];
        const TMapPoint& b = points[j + 1];
        const double abx = b.X - a.X, aby = b.Y - a.Y;
        const double l = abx * abx + aby * aby;
        double f = 0.0;
        if (l > 0) f = std::clamp(((c.X - a.X) * abx + (c.Y - a.Y) * aby) / l, 0.0, 1.0);
        const double dx = c.X - (a.X + f * abx), dy = c.Y - (a.Y + f * aby);
        const double d = dx * dx + dy * dy;
        if (best < 0 || d < best) {
            best = d;
            hit.segment = static_cast<int>(j);
            hit.fraction = f;
        }
    }
    hit.distance = std::sqrt(best);
    return hit;
}

TDateTime TimeOfHit(const Track& track, const TrackHit& hit) {
    const TDateTime t0 = track.time(hit.segment);
    if (hit.segment + 1 >= track.count()) return t0;
    const double seconds = (track.time(hit.segment + 1) - t0) * kSecondsPerDay * hit.fraction;
    return t0 + static_cast<double>(RoundHalfEven(seconds)) / kSecondsPerDay;
}

}  // namespace kx
