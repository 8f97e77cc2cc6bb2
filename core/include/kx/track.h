#pragma once
// The track model: coordinate containers and the loaded track of one trip.
#include <cstdint>
#include <string>
#include <vector>

#include "kx/datetime.h"

namespace kx {

struct TMapPoint {
    double X = 0.0;
    double Y = 0.0;
};

inline bool operator==(const TMapPoint& a, const TMapPoint& b) { return a.X == b.X && a.Y == b.Y; }
inline bool operator!=(const TMapPoint& a, const TMapPoint& b) { return !(a == b); }

using TMapPointArray = std::vector<TMapPoint>;
using TMapPointArrays = std::vector<TMapPointArray>;
using TMapPointArrayss = std::vector<TMapPointArrays>;
using TArrayString = std::vector<std::string>;
using TArrayStrings = std::vector<TArrayString>;

// One stop of the selected trip; text is the server's duration text.
struct TStops {
    TDateTime begin = 0.0;
    TDateTime end = 0.0;
    std::string text;
};

// Index of the first stop with begin <= t < end, or -1.
int FindStopAt(const std::vector<TStops>& stops, TDateTime t);

// Five doubles per point, as the server delivers them: time, X, Y,
// distance (m), speed (km/h). Times normally increase, but real recordings
// repeat a time or step back a second now and then: nothing here divides by
// a segment's duration, and lookups bisect over the running maximum of the
// times, which gives what a scan from the start gives.
class Track {
public:
    static constexpr int kFieldsPerPoint = 5;

    Track() = default;
    // Throws kx::Error for a length that is not a multiple of five or a value
    // that is NaN or infinite.
    static Track FromCrds(std::vector<double> crds);

    int count() const { return static_cast<int>(crds_.size() / kFieldsPerPoint); }
    bool empty() const { return crds_.empty(); }

    // k is 0-based; throws kx::Error when out of range.
    TDateTime time(int k) const { return field(k, 0); }
    double x(int k) const { return field(k, 1); }
    double y(int k) const { return field(k, 2); }
    double distance(int k) const { return field(k, 3); }
    double speed(int k) const { return field(k, 4); }

    TDateTime startTime() const { return time(0); }
    TDateTime endTime() const { return time(count() - 1); }

    const std::vector<double>& crds() const { return crds_; }
    // Until SetMapPoint is called these are the delivered X/Y values.
    const TMapPointArray& mapPoints() const { return mapPoints_; }
    // The delivered X/Y values (longitude, latitude), kept through SetMapPoint.
    const TMapPointArray& geoPoints() const { return geoPoints_; }
    // Stores the converted map position of point k, in both views.
    void SetMapPoint(int k, TMapPoint p);

    // The slider range: whole seconds from the first to the last point.
    std::int64_t RangeSeconds() const;
    // Whole seconds of t after the start (halves to even), unclamped.
    std::int64_t SecondsFromStart(TDateTime t) const;
    TDateTime TimeAtSecond(std::int64_t seconds) const;

    // The player's point for time t: with k the first of the points 0..N-2
    // whose time is at or after t, k - 1 (the start of the segment holding
    // t), or 1 when that is point 0. When no such k exists (t after point
    // N-2) or the track has fewer than two points, `current` stays.
    int FindPointByTime(TDateTime t, int current) const;

private:
    double field(int k, int f) const;

    std::vector<double> crds_;
    TMapPointArray mapPoints_;
    TMapPointArray geoPoints_;
    std::vector<double> latestTime_;  // k: the latest time among points 0..k
};

}  // namespace kx
