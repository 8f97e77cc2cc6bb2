#pragma once
// The track model: coordinate containers and the loaded track of one trip.
#include <cstddef>
#include <cstdint>
#include <memory>
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

// What a track point records besides its position.
struct TrackReading {
    TDateTime time;
    double distance;  // m
    double speed;     // km/h
};
using TrackReadings = std::vector<TrackReading>;

// Five doubles per point, as the server delivers them: time, X, Y,
// distance (m), speed (km/h), held once each: X and Y as the map points,
// the other three beside them. Times normally increase, but real recordings
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

    int count() const { return static_cast<int>(readings().size()); }
    bool empty() const { return readings().empty(); }

    // k is 0-based; throws kx::Error when out of range.
    TDateTime time(int k) const { return reading(k).time; }
    double x(int k) const { return mapPoint(k).X; }
    double y(int k) const { return mapPoint(k).Y; }
    double distance(int k) const { return reading(k).distance; }
    double speed(int k) const { return reading(k).speed; }

    TDateTime startTime() const { return time(0); }
    TDateTime endTime() const { return time(count() - 1); }

    // The five numbers a point, with X and Y as they stand now.
    std::vector<double> crds() const;
    // Each point's time, distance and speed as delivered; never changed.
    const TrackReadings& readings() const;
    // The same array, held jointly by whoever reads it (the trip report): it
    // lives as long as its last holder, whatever becomes of the track.
    std::shared_ptr<const TrackReadings> sharedReadings() const { return readings_; }
    // Until SetMapPoint is called these are the delivered X/Y values.
    const TMapPointArray& mapPoints() const;
    // The same array, held jointly by whoever draws it (the track lines): it
    // lives as long as its last holder, whatever becomes of the track.
    std::shared_ptr<const TMapPointArray> sharedMapPoints() const { return mapPoints_; }
    // The delivered X/Y values (longitude, latitude), kept through SetMapPoint
    // for the trip's export.
    const TMapPointArray& geoPoints() const { return geoPoints_; }
    // Stores the converted map position of point k. An array another holder
    // shares is copied first: what was handed out never changes.
    void SetMapPoint(int k, TMapPoint p);
    // Bytes of the arrays the track holds, for the figures benchmarks print.
    std::size_t MemoryBytes() const;

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
    // Throw kx::Error when k is out of range.
    const TrackReading& reading(int k) const;
    const TMapPoint& mapPoint(int k) const;
    // The latest time among points 0..k.
    TDateTime latestTime(std::size_t k) const;

    std::shared_ptr<TrackReadings> readings_ = std::make_shared<TrackReadings>();
    std::shared_ptr<TMapPointArray> mapPoints_ = std::make_shared<TMapPointArray>();
    TMapPointArray geoPoints_;
    // Only for a track whose times step back somewhere: k: the latest time
    // among points 0..k. Otherwise that is the time of point k.
    std::vector<double> latestTimes_;
};

}  // namespace kx
