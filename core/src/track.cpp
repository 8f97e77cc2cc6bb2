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
        throw Error("в данных трека " + std::to_string(crds.size()) +
                    " чисел, а не по пять на точку");
    if (crds.size() / kFieldsPerPoint > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw Error("в треке слишком много точек");
    for (std::size_t i = 0; i < crds.size(); ++i) {
        if (!std::isfinite(crds[i]))
            throw Error("в точке " + std::to_string(i / kFieldsPerPoint + 1) +
                        " трека значение не является конечным числом");
    }
    // Times are not checked for order: receivers repeat a second now and
    // then, or step back one, and such recordings must still play.
    Track t;
    t.crds_ = std::move(crds);
    t.mapPoints_.resize(t.crds_.size() / kFieldsPerPoint);
    t.latestTime_.resize(t.mapPoints_.size());
    for (std::size_t k = 0; k < t.latestTime_.size(); ++k)
        t.latestTime_[k] = k ? std::max(t.latestTime_[k - 1], t.crds_[k * kFieldsPerPoint]) : t.crds_[0];
    for (std::size_t k = 0; k < t.mapPoints_.size(); ++k)
        t.mapPoints_[k] = {t.crds_[k * kFieldsPerPoint + 1], t.crds_[k * kFieldsPerPoint + 2]};
    t.geoPoints_ = t.mapPoints_;
    return t;
}

double Track::field(int k, int f) const {
    if (k < 0 || k >= count())
        throw Error("точки " + std::to_string(k + 1) + " в треке нет (в нём " +
                    std::to_string(count()) + " точек)");
    return crds_[static_cast<std::size_t>(k) * kFieldsPerPoint + static_cast<std::size_t>(f)];
}

void Track::SetMapPoint(int k, TMapPoint p) {
    field(k, 0);  // range check
    if (!std::isfinite(p.X) || !std::isfinite(p.Y))
        throw Error("положение точки " + std::to_string(k + 1) + " трека на карте не является конечным числом");
    const std::size_t base = static_cast<std::size_t>(k) * kFieldsPerPoint;
    crds_[base + 1] = p.X;
    crds_[base + 2] = p.Y;
    mapPoints_[static_cast<std::size_t>(k)] = p;
}

std::int64_t Track::RangeSeconds() const {
    if (empty()) return 0;
    // A recording whose last point steps back before the first has no length.
    return std::max<std::int64_t>(0, DaysToWholeSeconds(endTime() - startTime()));
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
    // The first k with time(k) >= t is the first k whose running maximum
    // reaches t, and the running maximum never decreases, so it bisects even
    // when a time steps back. A NaN compares false everywhere, as in a scan
    // that finds nothing.
    int lo = 0, hi = n - 1;  // the answer lies in [lo, hi]; hi means none
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (latestTime_[static_cast<std::size_t>(mid)] >= t) hi = mid;
        else lo = mid + 1;
    }
    if (lo == n - 1) return current;
    return lo >= 1 ? lo - 1 : 1;
}

}  // namespace kx
