#include "kx/report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "kx/text.h"

namespace kx {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEarthRadiusMetres = 6371008.8;  // the mean radius
constexpr double kSecondsPerDayD = static_cast<double>(kSecondsPerDay);

bool Usable(double value) { return std::isfinite(value) && value >= 0.0; }

std::int64_t WholeSeconds(double days) { return days > 0 ? DaysToWholeSeconds(days) : 0; }

std::int64_t PeriodsSeconds(const std::vector<TimePeriod>& periods) {
    double days = 0;
    for (const TimePeriod& p : periods)
        if (p.end > p.begin) days += p.end - p.begin;
    return WholeSeconds(days);
}

std::string Two(std::int64_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", static_cast<int>(value));
    return text;
}

}  // namespace

double GeoDistanceMetres(const TMapPoint& a, const TMapPoint& b) {
    const double rad = kPi / 180.0;
    const double dLat = (b.Y - a.Y) * rad, dLon = (b.X - a.X) * rad;
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(a.Y * rad) * std::cos(b.Y * rad) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kEarthRadiusMetres * std::asin(std::sqrt(std::min(1.0, std::max(0.0, h))));
}

TripProfile::TripProfile(const std::vector<double>& crds, const TMapPointArray& geo,
                         const std::vector<TStops>& stops, const std::vector<TimePeriod>* speeding) {
    const std::size_t n = std::min(crds.size() / Track::kFieldsPerPoint, geo.size());
    ownPoints_ = std::make_shared<TrackReadings>(n);
    for (std::size_t k = 0; k < n; ++k) {
        const double* point = crds.data() + k * Track::kFieldsPerPoint;
        (*ownPoints_)[k] = {point[0], point[3], point[4]};
    }
    points_ = ownPoints_;
    Build(geo, stops, speeding);
}

TripProfile TripProfile::FromTrack(const Track& track, const std::vector<TStops>& stops,
                                   const std::vector<TimePeriod>* speeding) {
    TripProfile profile;
    profile.points_ = track.sharedReadings();
    profile.Build(track.geoPoints(), stops, speeding);
    return profile;
}

const TrackReadings& TripProfile::points() const {
    static const TrackReadings none;
    return points_ ? *points_ : none;
}

TrackReading& TripProfile::Repair(std::size_t k) {
    if (!ownPoints_) {
        ownPoints_ = std::make_shared<TrackReadings>(*points_);
        points_ = ownPoints_;
    }
    return (*ownPoints_)[k];
}

void TripProfile::Build(const TMapPointArray& geo, const std::vector<TStops>& stops,
                        const std::vector<TimePeriod>* speeding) {
    for (const TStops& s : stops) stops_.push_back({s.begin, s.end});
    if (speeding) speeding_ = *speeding;
    TripTotals& t = totals_;
    const std::size_t n = std::min(points().size(), geo.size());
    t.points = static_cast<int>(n);
    t.stops = static_cast<int>(stops_.size());
    t.stopSeconds = PeriodsSeconds(stops_);
    t.speedingKnown = speeding != nullptr;
    t.speedingPeriods = static_cast<int>(speeding_.size());
    t.speedingSeconds = PeriodsSeconds(speeding_);
    if (n == 0) return;

    // One pass: each point's time, the metres of the stretch ending at it
    // (the recorded increase where both ends are usable and it does not go
    // back, else the way between the two positions), its speed (recorded,
    // or from the positions and times of the stretch before it, or after it
    // when the one before took no time), and the stretch before it counted
    // as moving or standing by the speed of the point that starts it, over
    // the time the track moves on (nothing where a time repeats or steps back).
    // The array is read afresh at each point: a repair replaces it.
    auto at = [&](std::size_t k) -> const TrackReading& { return (*points_)[k]; };
    auto speedFrom = [&](std::size_t a, std::size_t b, double ta, double tb) {
        return GeoDistanceMetres(geo[a], geo[b]) / ((tb - ta) * kSecondsPerDayD) * 3.6;
    };
    double latest = 0, lastUsable = -1, movingDays = 0, movingMetres = 0;
    double previousTime = 0, previousLatest = 0, previousSpeed = 0;
    t.distanceMetres = Usable(at(0).distance) ? at(0).distance : 0.0;
    for (std::size_t k = 0; k < n; ++k) {
        const TrackReading r = at(k);
        bool bad = !std::isfinite(r.time);
        const double time = bad ? (k ? latest : 0.0) : r.time;
        if (bad) Repair(k).time = time;
        if (k && time < latest && latest_.empty()) {
            // The first step back: until here each point was the latest.
            latest_.reserve(n);
            for (std::size_t j = 0; j < k; ++j) latest_.push_back(at(j).time);
        }
        latest = k ? std::max(latest, time) : time;
        if (!latest_.empty()) latest_.push_back(latest);

        const bool usable = Usable(r.distance);
        if (!usable || r.distance < lastUsable) bad = true;
        if (usable) lastUsable = r.distance;
        double stretch = 0;
        if (k > 0) {
            const double before = at(k - 1).distance;
            stretch = usable && Usable(before) && r.distance >= before ? r.distance - before
                                                                        : GeoDistanceMetres(geo[k - 1], geo[k]);
            t.distanceMetres += stretch;
        }

        double speed = r.speed;
        if (!Usable(speed)) {
            bad = true;
            const double nextTime = k + 1 < n && std::isfinite(at(k + 1).time) ? at(k + 1).time : latest;
            if (k > 0 && time > previousTime) speed = speedFrom(k - 1, k, previousTime, time);
            else if (k + 1 < n && nextTime > time) speed = speedFrom(k, k + 1, time, nextTime);
            else speed = 0.0;
            Repair(k).speed = speed;
        }
        t.maxKmh = std::max(t.maxKmh, speed);
        if (bad) repaired_.push_back(static_cast<int>(k));

        if (k > 0 && previousSpeed >= kStandingBelowKmh) {
            movingDays += latest - previousLatest;
            movingMetres += stretch;
        }
        previousTime = time;
        previousLatest = latest;
        previousSpeed = speed;
    }
    t.repairedPoints = static_cast<int>(repaired_.size());

    t.begin = at(0).time;
    t.end = latest;
    t.durationSeconds = WholeSeconds(t.end - t.begin);
    t.movingSeconds = std::min(WholeSeconds(movingDays), t.durationSeconds);
    t.standingSeconds = t.durationSeconds - t.movingSeconds;
    t.avgMovingKmh = movingDays > 0 ? movingMetres / (movingDays * kSecondsPerDayD) * 3.6 : 0.0;
}

bool TripProfile::repaired(int k) const { return std::binary_search(repaired_.begin(), repaired_.end(), k); }

int TripProfile::PointAt(TDateTime t) const {
    if (empty()) return -1;
    // The running latest time never decreases, so it bisects; without a
    // step back it is each point's own time.
    std::size_t after;
    if (!latest_.empty()) {
        after = static_cast<std::size_t>(std::upper_bound(latest_.begin(), latest_.end(), t) - latest_.begin());
    } else {
        const TrackReadings& p = points();
        after = static_cast<std::size_t>(
            std::upper_bound(p.begin(), p.end(), t, [](double v, const TrackReading& r) { return v < r.time; }) -
            p.begin());
    }
    return after == 0 ? 0 : static_cast<int>(after) - 1;
}

std::string DurationText(std::int64_t seconds) {
    if (seconds < 0) seconds = 0;
    return std::to_string(seconds / 3600) + ":" + Two(seconds / 60 % 60) + ":" + Two(seconds % 60);
}

std::vector<std::pair<std::string, std::string>> TotalsLines(
    const TripTotals& t, char sep, const std::function<std::string(TDateTime)>& dateText) {
    if (t.points == 0) return {{"Рейс", "не выбран"}};
    auto periods = [](int count, std::int64_t seconds) {
        return std::to_string(count) + ", всего " + DurationText(seconds);
    };
    return {
        {"Начало", dateText(t.begin)},
        {"Конец", dateText(t.end)},
        {"Продолжительность", DurationText(t.durationSeconds)},
        {"Пробег", FormatFixed(t.distanceMetres / 1000.0, 2, sep) + " км"},
        {"В движении", DurationText(t.movingSeconds)},
        {"Стоянка", DurationText(t.standingSeconds)},
        {"Остановки", periods(t.stops, t.stopSeconds)},
        {"Макс. скорость", FormatFixed(t.maxKmh, 1, sep) + " км/ч"},
        {"Средняя в движении", FormatFixed(t.avgMovingKmh, 1, sep) + " км/ч"},
        {"Превышения скорости",
         t.speedingKnown ? periods(t.speedingPeriods, t.speedingSeconds) : "не загружены"},
        {"Точек", std::to_string(t.points)},
    };
}

std::string RepairedNote(const TripTotals& t) {
    if (t.repairedPoints == 0) return {};
    return "У " + std::to_string(t.repairedPoints) +
           " точек записанные пробег или скорость непригодны: там они взяты из координат и времени";
}

// ---- the chart ------------------------------------------------------------

int ChartColumnOf(TDateTime t, TDateTime begin, TDateTime end, int width) {
    const double span = end - begin;
    if (width <= 1 || !(span > 0) || !std::isfinite(t)) return 0;
    const double x = std::floor((t - begin) / span * width);
    return static_cast<int>(std::clamp(x, 0.0, static_cast<double>(width - 1)));
}

TDateTime ChartTimeOfColumn(double x, TDateTime begin, TDateTime end, int width) {
    if (width <= 0 || !(end > begin)) return begin;
    return begin + std::clamp(x / width, 0.0, 1.0) * (end - begin);
}

std::vector<ChartColumn> ChartColumns(const TripProfile& profile, int width) {
    std::vector<ChartColumn> columns(static_cast<std::size_t>(std::max(0, width)));
    if (columns.empty()) return columns;
    const double begin = profile.totals().begin, end = profile.totals().end;
    const double span = end - begin;
    const double scale = span > 0 ? width / span : 0.0;
    const double last = width - 1;
    for (const TrackReading& point : profile.points()) {
        const double x = std::floor((point.time - begin) * scale);
        ChartColumn& c = columns[static_cast<std::size_t>(std::clamp(x, 0.0, last))];
        const double s = point.speed;
        if (!c.any) {
            c.any = true;
            c.min = c.max = c.first = s;
        } else {
            c.min = std::min(c.min, s);
            c.max = std::max(c.max, s);
        }
        c.last = s;
    }
    return columns;
}

std::vector<double> SpeedTicks(double maxKmh, int maxTicks) {
    if (!(maxKmh > 0) || !std::isfinite(maxKmh)) maxKmh = 10;
    maxTicks = std::max(1, maxTicks);
    const double rough = maxKmh / maxTicks;
    double step = std::pow(10.0, std::floor(std::log10(rough)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (step * m >= rough) {
            step *= m;
            break;
        }
    }
    std::vector<double> ticks;
    for (int i = 0; i <= maxTicks + 1; ++i) {
        ticks.push_back(i * step);
        if (i * step >= maxKmh) break;
    }
    return ticks;
}

TimeTicks TimeTicksFor(TDateTime begin, TDateTime end, int maxTicks) {
    static const std::int64_t kSteps[] = {1,    2,    5,    10,    15,    30,    60,    120,   300,
                                          600,  900,  1800, 3600,  7200,  10800, 21600, 43200, 86400,
                                          172800, 604800};
    TimeTicks out;
    if (!(end > begin) || maxTicks < 1) return out;
    const double spanSeconds = (end - begin) * kSecondsPerDayD;
    out.stepSeconds = kSteps[sizeof kSteps / sizeof kSteps[0] - 1];
    for (std::int64_t step : kSteps) {
        if (spanSeconds / static_cast<double>(step) <= maxTicks) {
            out.stepSeconds = step;
            break;
        }
    }
    const double step = static_cast<double>(out.stepSeconds);
    for (double s = std::ceil(begin * kSecondsPerDayD / step) * step; s <= end * kSecondsPerDayD; s += step)
        out.ticks.push_back(s / kSecondsPerDayD);
    return out;
}

std::string TimeTickText(TDateTime t, std::int64_t stepSeconds) {
    const std::int64_t s = ((DaysToWholeSeconds(t) % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
    std::string text = std::to_string(s / 3600) + ":" + Two(s / 60 % 60);
    if (stepSeconds < 60) text += ":" + Two(s % 60);
    return text;
}

// ---- exported files -----------------------------------------------------------

std::string IsoUtcText(TDateTime utc) {
    const CivilDateTime c = DecodeDateTime(static_cast<double>(DaysToWholeSeconds(utc)) / kSecondsPerDayD);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", c.year, c.month, c.day, c.hour, c.minute,
                  c.second);
    return text;
}

std::string DegreesText(double degrees) {
    char text[48];
    std::snprintf(text, sizeof text, "%.9f", degrees);
    return text;
}

std::string TrackCsv(const Track& track, char sep) {
    std::string csv = "\xEF\xBB\xBF";
    csv += "Время;Широта;Долгота;Пробег, м;Скорость, км/ч\r\n";
    const TMapPointArray& geo = track.geoPoints();
    for (int k = 0; k < track.count(); ++k) {
        const TMapPoint& p = geo[static_cast<std::size_t>(k)];
        csv += FormatFixedDateTime(track.time(k));
        csv += ';';
        csv += FormatGeneral(p.Y, sep);
        csv += ';';
        csv += FormatGeneral(p.X, sep);
        csv += ';';
        csv += FormatGeneral(track.distance(k), sep);
        csv += ';';
        csv += FormatGeneral(track.speed(k), sep);
        csv += "\r\n";
    }
    return csv;
}

}  // namespace kx
