#include "kx/geometry.h"

#include <algorithm>
#include <cmath>
#include <functional>

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
    if (n == 0) throw Error("трек не загружен");
    k = std::clamp(k, 0, n - 1);
    const TMapPointArray& p = track.mapPoints();
    const auto K = static_cast<std::size_t>(k);
    const bool hasIn = k > 0, hasOut = k + 1 < n;
    MarkerPose pose;
    pose.position = p[K];
    if (SameWholeSecond(track.time(k), t)) {
        if (hasIn && hasOut)
            pose.angle = MeanDirection(SegmentAngle(p[K - 1], p[K]), SegmentAngle(p[K], p[K + 1]));
        else if (hasIn)
            pose.angle = SegmentAngle(p[K - 1], p[K]);
        else if (hasOut)
            pose.angle = SegmentAngle(p[K], p[K + 1]);
        return pose;
    }
    if (!hasOut) {
        if (hasIn) pose.angle = SegmentAngle(p[K - 1], p[K]);
        return pose;
    }
    const double span = track.time(k + 1) - track.time(k);
    if (span == 0.0) {
        pose.angle = SegmentAngle(p[K], p[K + 1]);
        return pose;
    }
    const double f = (t - track.time(k)) / span;
    TMapPoint at{p[K].X + f * (p[K + 1].X - p[K].X), p[K].Y + f * (p[K + 1].Y - p[K].Y)};
    if (at.X == 0.0 || at.Y == 0.0) at = p[K];
    pose.position = at;
    pose.angle = SegmentAngle(p[K], at);
    return pose;
}

namespace {

// The measure of one segment; `atVertex` when it is the distance to A.
double SegmentMeasure(const TMapPoint& a, const TMapPoint& b, const TMapPoint& c, bool& atVertex) {
    const double d1 = (c.X - a.X) * (c.X - a.X) + (c.Y - a.Y) * (c.Y - a.Y);
    const double d2 = (c.X - b.X) * (c.X - b.X) + (c.Y - b.Y) * (c.Y - b.Y);
    const double l = (a.X - b.X) * (a.X - b.X) + (a.Y - b.Y) * (a.Y - b.Y);
    const double toA = std::sqrt(d1);
    if (d1 + d2 >= l) {
        atVertex = true;
        return toA;
    }
    const double p = toA, q = std::sqrt(d2), side = std::sqrt(l);
    const double s = (p + q + side) / 2;
    // Rounding can take the product of a flat triangle below zero.
    const double area = std::sqrt(std::max(0.0, s * (s - p) * (s - q) * (s - side)));
    const double dist = 2 * area / side;
    atVertex = toA == dist;
    return dist;
}

// The first of the least measures wins, as in a scan in segment order.
struct Best {
    double distance = -1.0;
    std::size_t segment = 0;
    bool atVertex = false;

    void Offer(const TMapPointArray& points, std::size_t j, const TMapPoint& c) {
        bool vertex = false;
        const double d = SegmentMeasure(points[j], points[j + 1], c, vertex);
        if (distance < 0 || d < distance || (d == distance && j < segment)) {
            distance = d;
            segment = j;
            atVertex = vertex;
        }
    }
};

std::optional<TrackHit> HitOf(const TMapPointArray& points, const Best& best, const TMapPoint& c) {
    if (best.distance < 0) return std::nullopt;
    TrackHit hit;
    hit.segment = static_cast<int>(best.segment);
    hit.distance = best.distance;
    if (!best.atVertex) {
        const TMapPoint& a = points[best.segment];
        const TMapPoint& b = points[best.segment + 1];
        const double ca = (c.X - a.X) * (c.X - a.X) + (c.Y - a.Y) * (c.Y - a.Y);
        const double ab = (a.X - b.X) * (a.X - b.X) + (a.Y - b.Y) * (a.Y - b.Y);
        const double f = std::sqrt((ca - best.distance * best.distance) / ab);
        // A radicand rounded below zero gives NaN: the foot is then at A.
        hit.fraction = f >= 0 && f <= 1 ? f : 0.0;
    }
    return hit;
}

bool Finite(const TMapPoint& c) { return std::isfinite(c.X) && std::isfinite(c.Y); }

double BoxDistance(const TShapeBounds& box, const TMapPoint& c) {
    const double dx = std::max({box.MinX - c.X, 0.0, c.X - box.MaxX});
    const double dy = std::max({box.MinY - c.Y, 0.0, c.Y - box.MaxY});
    return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

std::optional<TrackHit> NearestOnTrack(const TMapPointArray& points, const TMapPoint& c) {
    if (points.size() < 2 || !Finite(c)) return std::nullopt;
    Best best;
    for (std::size_t j = 0; j + 1 < points.size(); ++j) best.Offer(points, j, c);
    return HitOf(points, best, c);
}

TDateTime TimeOfHit(const Track& track, const TrackHit& hit) {
    const TDateTime t0 = track.time(hit.segment);
    if (hit.segment + 1 >= track.count()) return t0;
    const double seconds = (track.time(hit.segment + 1) - t0) * kSecondsPerDay * hit.fraction;
    return t0 + static_cast<double>(RoundHalfEven(seconds)) / kSecondsPerDay;
}

SegmentIndex::SegmentIndex(const TMapPointArray& points) {
    if (points.size() < 2) return;
    segments_ = points.size() - 1;
    std::vector<TShapeBounds> leaves((segments_ + kFanOut - 1) / kFanOut);
    double longest2 = 0.0, farthest = 0.0;
    for (std::size_t leaf = 0; leaf < leaves.size(); ++leaf) {
        const std::size_t first = leaf * kFanOut;
        const std::size_t last = std::min(first + kFanOut, segments_);  // segments [first, last)
        const TMapPoint& p0 = points[first];
        TShapeBounds box{p0.X, p0.Y, p0.X, p0.Y};
        farthest = std::max({farthest, std::fabs(p0.X), std::fabs(p0.Y)});
        for (std::size_t j = first; j < last; ++j) {
            const TMapPoint& a = points[j];
            const TMapPoint& b = points[j + 1];
            box.MinX = std::min(box.MinX, b.X);
            box.MinY = std::min(box.MinY, b.Y);
            box.MaxX = std::max(box.MaxX, b.X);
            box.MaxY = std::max(box.MaxY, b.Y);
            const double dx = b.X - a.X, dy = b.Y - a.Y;
            longest2 = std::max(longest2, dx * dx + dy * dy);
            farthest = std::max({farthest, std::fabs(b.X), std::fabs(b.Y)});
        }
        leaves[leaf] = box;
    }
    levels_.push_back(std::move(leaves));
    while (levels_.back().size() > 1) {
        const std::vector<TShapeBounds>& below = levels_.back();
        std::vector<TShapeBounds> above((below.size() + kFanOut - 1) / kFanOut);
        for (std::size_t i = 0; i < above.size(); ++i) {
            above[i] = below[i * kFanOut];
            for (std::size_t j = i * kFanOut + 1; j < std::min((i + 1) * kFanOut, below.size()); ++j)
                above[i] = UnionBounds(above[i], below[j]);
        }
        levels_.push_back(std::move(above));
    }
    // Heron's formula loses about sqrt(epsilon) of the longest side on flat
    // triangles; the box distances are nearly exact. A segment is passed over
    // only when its box lies farther than the best measure by more than that.
    slack_ = 1e-6 * std::sqrt(longest2) + 1e-12 * farthest;
}

std::optional<TrackHit> SegmentIndex::Nearest(const TMapPointArray& points, const TMapPoint& c) const {
    if (points.size() != segments_ + 1 || levels_.empty()) return NearestOnTrack(points, c);
    if (!Finite(c)) return std::nullopt;
    struct Entry {
        double bound;
        std::size_t level, node;
        bool operator>(const Entry& o) const { return bound > o.bound; }
    };
    std::vector<Entry> heap;
    const auto push = [&](std::size_t level, std::size_t node) {
        heap.push_back({BoxDistance(levels_[level][node], c), level, node});
        std::push_heap(heap.begin(), heap.end(), std::greater<Entry>());
    };
    push(levels_.size() - 1, 0);
    Best best;
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), std::greater<Entry>());
        const Entry e = heap.back();
        heap.pop_back();
        if (best.distance >= 0 && e.bound > best.distance + slack_) break;
        const std::size_t first = e.node * kFanOut;
        if (e.level == 0) {
            for (std::size_t j = first; j < std::min(first + kFanOut, segments_); ++j) best.Offer(points, j, c);
        } else {
            for (std::size_t child = first; child < std::min(first + kFanOut, levels_[e.level - 1].size()); ++child)
                push(e.level - 1, child);
        }
    }
    return HitOf(points, best, c);
}

std::size_t SegmentIndex::MemoryBytes() const {
    std::size_t bytes = sizeof(*this);
    for (const auto& level : levels_) bytes += level.capacity() * sizeof(TShapeBounds) + sizeof(level);
    return bytes;
}

}  // namespace kx
