#pragma once
// The trip at a glance: the per-point profile the report window charts, the
// trip's totals and their texts, the chart's columns and axis ticks, and the
// texts of the exported files that need no platform.
//
// The profile takes the recorded distance and speed of each point, the
// values the info pane shows, so the distance the pane shows at the end of
// a replay is the trip's. Where a recorded value is unusable (not a finite
// number, negative, a distance that goes back) the stretch it starts or ends
// takes what the positions and times give instead, and the totals count the
// points so repaired. Times may repeat or step back: durations run over the
// latest time reached so far, and nothing divides by a stretch's duration
// unless it is positive.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "kx/datetime.h"
#include "kx/track.h"

namespace kx {

// A point stands when its speed is below this.
constexpr double kStandingBelowKmh = 3.0;

struct TimePeriod {
    TDateTime begin = 0.0;
    TDateTime end = 0.0;
};

// Great-circle distance in metres between two geographic points (X
// longitude, Y latitude, degrees).
double GeoDistanceMetres(const TMapPoint& a, const TMapPoint& b);

struct TripTotals {
    int points = 0;
    TDateTime begin = 0.0, end = 0.0;  // the first time and the latest one
    std::int64_t durationSeconds = 0;
    double distanceMetres = 0.0;
    std::int64_t movingSeconds = 0, standingSeconds = 0;  // they add up to the duration
    double maxKmh = 0.0;
    double avgMovingKmh = 0.0;  // distance moving over time moving; 0 without moving
    int stops = 0;
    std::int64_t stopSeconds = 0;
    bool speedingKnown = false;  // the speeding periods were fetched
    int speedingPeriods = 0;
    std::int64_t speedingSeconds = 0;
    int repairedPoints = 0;  // points whose recorded distance or speed was unusable
};

// The series the chart draws and the totals, made once per trip. The
// points are the track's own readings, shared rather than copied; a copy is
// made only when some of them need repair, and the running latest time only
// when times step back.
class TripProfile {
public:
    TripProfile() = default;
    // `crds`: five numbers per point (time, X, Y, distance, speed), as the
    // dispatcher delivers them; `geo`: each point's longitude (X) and
    // latitude (Y). Lengths that do not match use the shorter. `speeding` is
    // null when the speeding periods were not fetched.
    TripProfile(const std::vector<double>& crds, const TMapPointArray& geo, const std::vector<TStops>& stops,
                const std::vector<TimePeriod>* speeding);
    static TripProfile FromTrack(const Track& track, const std::vector<TStops>& stops,
                                 const std::vector<TimePeriod>* speeding);

    int count() const { return static_cast<int>(points().size()); }
    bool empty() const { return points().empty(); }
    const TripTotals& totals() const { return totals_; }
    // Each point's time (finite), recorded distance and speed (km/h, usable everywhere).
    const TrackReadings& points() const;
    TDateTime time(int k) const { return points()[static_cast<std::size_t>(k)].time; }
    double speed(int k) const { return points()[static_cast<std::size_t>(k)].speed; }
    const std::vector<TimePeriod>& stops() const { return stops_; }
    const std::vector<TimePeriod>& speeding() const { return speeding_; }
    bool repaired(int k) const;

    // The last point at or before t by the running latest time (the first
    // point for an earlier t); -1 for an empty profile.
    int PointAt(TDateTime t) const;

private:
    // The one pass over the points; `geo` gives the positions for repairs.
    void Build(const TMapPointArray& geo, const std::vector<TStops>& stops, const std::vector<TimePeriod>* speeding);
    // The points, made the profile's own before the first change.
    TrackReading& Repair(std::size_t k);

    std::shared_ptr<const TrackReadings> points_;
    std::shared_ptr<TrackReadings> ownPoints_;  // the same array once it is the profile's own
    std::vector<double> latest_;                // empty while no time steps back
    std::vector<int> repaired_;                 // ascending
    std::vector<TimePeriod> stops_, speeding_;
    TripTotals totals_;
};

// "1:05:07": hours (however many), minutes, seconds.
std::string DurationText(std::int64_t seconds);

// The lines of the totals: label and value, in Russian, numbers with the
// given decimal separator and date-times through `dateText`.
std::vector<std::pair<std::string, std::string>> TotalsLines(
    const TripTotals& totals, char decimalSeparator, const std::function<std::string(TDateTime)>& dateText);
// The warning shown when points were repaired; empty when none were.
std::string RepairedNote(const TripTotals& totals);

// ---- the chart

// Horizontal place of a time among `width` columns over [begin, end]; a
// span of no length puts everything in column 0.
int ChartColumnOf(TDateTime t, TDateTime begin, TDateTime end, int width);
TDateTime ChartTimeOfColumn(double x, TDateTime begin, TDateTime end, int width);

struct ChartColumn {
    bool any = false;  // a point falls in it
    double min = 0.0, max = 0.0;
    double first = 0.0, last = 0.0;  // the speeds of its first and last point, to join the columns
};
// The speeds of the points falling in each column, whatever their number.
std::vector<ChartColumn> ChartColumns(const TripProfile& profile, int width);

// Ticks of the speed axis from 0 to at least `maxKmh`: a step of 1, 2 or 5
// times a power of ten, at most `maxTicks` steps.
std::vector<double> SpeedTicks(double maxKmh, int maxTicks);
// Ticks of the time axis on whole multiples of a round step (a second to a
// day), at most `maxTicks` of them inside [begin, end].
struct TimeTicks {
    std::int64_t stepSeconds = 0;
    std::vector<TDateTime> ticks;
};
TimeTicks TimeTicksFor(TDateTime begin, TDateTime end, int maxTicks);
// A tick's label: "H:mm", or "H:mm:ss" for steps under a minute.
std::string TimeTickText(TDateTime t, std::int64_t stepSeconds);

// ---- exported files

// "2009-02-04T05:06:07Z" for a time already in UTC.
std::string IsoUtcText(TDateTime utc);
// Geographic degrees with nine decimals and a point, as GPX and KML want.
std::string DegreesText(double degrees);

// The track as CSV: a UTF-8 byte order mark, a header, then one line per
// point (local time, latitude, longitude, distance m, speed km/h), fields
// separated by ';', numbers with the given decimal separator, CR LF ends.
std::string TrackCsv(const Track& track, char decimalSeparator);

}  // namespace kx
