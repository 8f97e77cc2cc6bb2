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
    for (std::size_t k = 0; k < t.mapPoints_.size(); ++k)
        t.mapPoints_[k] = {t.crds_[k * kFieldsPerPoint + 1], t.crds_[k * kFieldsPerPoint + 2]};
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

std::int64_t Track::SliderPosition(TDateTime t) const {
    if (empty() || std::isnan(t)) return 0;
    return std::clamp<std::int64_t>(SecondsFromStart(ClampTime(t)), 0, RangeSeconds());
}

TDateTime Track::TimeAtSecond(std::int64_t seconds) const {
    if (empty()) return 0.0;
    return startTime() + static_cast<double>(seconds) / static_cast<double>(kSecondsPerDay);
}

TDateTime Track::ClampTime(TDateTime t) const {
    if (empty()) return t;
    if (std::isnan(t)) return startTime();
    return std::clamp(t, startTime(), std::max(startTime(), endTime()));
}

int Track::FindPointByTime(TDateTime t) const {
    const int n = count();
    if (n < 2 || std::isnan(t)) return 0;
    // Times strictly increase: bisect for the last segment start <= t.
    int lo = 0, hi = n - 1;  // answer in [lo, hi), hi is the last point
    while (hi - lo > 1) {
        const int mid = lo + (hi - lo) / 2;
        if (crds_[static_cast<std::size_t>(mid) * kFieldsPerPoint] <= t) lo = mid;
        else hi = mid;
    }
    return lo;
}

}  // namespace kx
