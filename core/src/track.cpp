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
    const std::size_t n = crds.size() / kFieldsPerPoint;
    Track t;
    t.readings_->resize(n);
    t.mapPoints_->resize(n);
    bool stepsBack = false;
    for (std::size_t k = 0; k < n; ++k) {
        const double* point = crds.data() + k * kFieldsPerPoint;
        (*t.readings_)[k] = {point[0], point[3], point[4]};
        (*t.mapPoints_)[k] = {point[1], point[2]};
        stepsBack = stepsBack || (k && point[0] < crds[(k - 1) * kFieldsPerPoint]);
    }
    t.geoPoints_ = *t.mapPoints_;
    if (stepsBack) {
        t.latestTimes_.resize(n);
        for (std::size_t k = 0; k < n; ++k)
            t.latestTimes_[k] = k ? std::max(t.latestTimes_[k - 1], (*t.readings_)[k].time) : (*t.readings_)[0].time;
    }
    return t;
}

const TrackReading& Track::reading(int k) const {
    if (k < 0 || k >= count())
        throw Error("точки " + std::to_string(k + 1) + " в треке нет (в нём " +
                    std::to_string(count()) + " точек)");
    return readings()[static_cast<std::size_t>(k)];
}

const TrackReadings& Track::readings() const {
    // A track moved from has no array; it reads as empty.
    static const TrackReadings none;
    return readings_ ? *readings_ : none;
}

const TMapPoint& Track::mapPoint(int k) const {
    reading(k);  // range check
    return mapPoints()[static_cast<std::size_t>(k)];
}

TDateTime Track::latestTime(std::size_t k) const {
    return latestTimes_.empty() ? readings()[k].time : latestTimes_[k];
}

const TMapPointArray& Track::mapPoints() const {
    // A track moved from has no array; it reads as empty.
    static const TMapPointArray none;
    return mapPoints_ ? *mapPoints_ : none;
}

std::vector<double> Track::crds() const {
    std::vector<double> out;
    out.reserve(readings().size() * kFieldsPerPoint);
    for (std::size_t k = 0; k < readings().size(); ++k) {
        const TrackReading& r = readings()[k];
        const TMapPoint& p = mapPoints()[k];
        out.insert(out.end(), {r.time, p.X, p.Y, r.distance, r.speed});
    }
    return out;
}

void Track::SetMapPoint(int k, TMapPoint p) {
    reading(k);  // range check
    if (!std::isfinite(p.X) || !std::isfinite(p.Y))
        throw Error("положение точки " + std::to_string(k + 1) + " трека на карте не является конечным числом");
    if (mapPoints_.use_count() > 1) mapPoints_ = std::make_shared<TMapPointArray>(*mapPoints_);
    (*mapPoints_)[static_cast<std::size_t>(k)] = p;
}

std::size_t Track::MemoryBytes() const {
    return readings().capacity() * sizeof(TrackReading) + mapPoints().capacity() * sizeof(TMapPoint) +
           geoPoints_.capacity() * sizeof(TMapPoint) + latestTimes_.capacity() * sizeof(double);
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
        if (latestTime(static_cast<std::size_t>(mid)) >= t) hi = mid;
        else lo = mid + 1;
    }
    if (lo == n - 1) return current;
    return lo >= 1 ? lo - 1 : 1;
}

}  // namespace kx
