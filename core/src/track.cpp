#include "kx/track.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "kx/error.h"

namespace kx {

int FindStopAt(const std::vector<TStops>& stops, TDateTime t) {
    for (std::size_t i = 0; i < stops.size(); ++i)
        if (stops[i].begin <= t && t < stops[i].end) return static_cast<int>(i);
    return -1;
}

Track Track::FromCrds(std::vector<double> crds) {
    if (crds.size() % kFieldsPerPoint != 0)
        throw Error("Track data has " + std::to_string(crds.size()) +
                    " numbers, not a multiple of five per point");
    if (crds.size() / kFieldsPerPoint > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw Error("Track data has too many points");
    for (std::size_t i = 0; i < crds.size(); ++i) {
        if (!std::isfinite(crds[i]))
            throw Error("Track point " + std::to_string(i / kFieldsPerPoint) +
                        " holds a value that is not a finite number");
    }
    for (std::size_t k = 1; k < crds.size() / kFieldsPerPoint; ++k) {
        if (crds[k * kFieldsPerPoint] < crds[(k - 1) * kFieldsPerPoint])
            throw Error("Track point " + std::to_string(k) +
                        " is earlier than the point before it");
    }
    Track t;
    t.crds_ = std::move(crds);
    t.mapPoints_.resize(t.crds_.size() / kFieldsPerPoint);
    for (std::size_t k = 0; k < t.mapPoints_.size(); ++k)
        t.mapPoints_[k] = {t.crds_[k * kFieldsPerPoint + 1], t.crds_[k * kFieldsPerPoint + 2]};
    return t;
}

double Track::field(int k, int f) const {
    if (k < 0 || k >= count())
        throw Error("Track point " + std::to_string(k) + " does not exist (the track has " +
                    std::to_string(count()) + " points)");
    return crds_[static_cast<std::size_t>(k) * kFieldsPerPoint + static_cast<std::size_t>(f)];
}

void Track::SetMapPoint(int k, TMapPoint p) {
    field(k, 0);  // range check
    if (!std::isfinite(p.X) || !std::isfinite(p.Y))
        throw Error("Map position of track point " + std::to_string(k) + " is not finite");
    const std::size_t base = static_cast<std::size_t>(k) * kFieldsPerPoint;
    crds_[base + 1] = p.X;
    crds_[base + 2] = p.Y;
    mapPoints_[static_cast<std::size_t>(k)] = p;
}

std::int64_t Track::RangeSeconds() const {
    if (empty()) return 0;
    return DaysToWholeSeconds(endTime() - startTime());
}

std::int64_t Track::SecondsFromStart(TDateTime t) const {
    if (empty()) return 0;
    return DaysToWholeSeconds(t - startTime());
}

TDateTime Track::TimeAtSecond(std::int64_t seconds) const {
    if (empty()) return 0.0;
    return startTime() + static_cast<double>(seconds) / static_cast<double>(kSecondsPerDay);
}

int Track::FindPointByTime(TDateTime t, int current) const {
    const int n = count();
    if (n - 1 <= 0) return current;
    // Times never decrease: the first k with time(k) >= t bisects. A NaN
    // compares false everywhere, as in a scan that finds nothing.
    int lo = 0, hi = n - 1;  // the answer lies in [lo, hi]; hi means none
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (crds_[static_cast<std::size_t>(mid) * kFieldsPerPoint] >= t) hi = mid;
        else lo = mid + 1;
    }
    if (lo == n - 1) return current;
    return lo >= 1 ? lo - 1 : 1;
}

}  // namespace kx
