// Trips and their entry lists, derived from a vehicle's samples alone, so that
// the built-in fleet and imported recordings are treated the same way.
#include "kxfleet/Fleet.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace kxfleet {

namespace {

struct Point {
    const Sample *s;
    double speed;  // km/h, the device's own or derived from the motion
};

double Level(double v) { return v < 0 ? 0 : v; }

// Speeds for samples that carry none: the mean speed of the neighbouring
// segments between samples with positions.
std::vector<Point> WithSpeeds(const std::vector<const Sample *> &in)
{
    std::vector<Point> out(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        out[i].s = in[i];
        double v = in[i]->speed;
        if (v < 0 || !std::isfinite(v)) {
            v = 0;
            if (in[i]->fix) {
                double sum = 0;
                int n = 0;
                auto segment = [&](const Sample *a, const Sample *b) {
                    const double dt = (b->time - a->time) * kSecondsPerDay;
                    if (dt > 0.5 && dt <= 120) { sum += DistanceMetres(a->pos, b->pos) / dt * 3.6; ++n; }
                };
                for (size_t j = i; j-- > 0;)
                    if (in[j]->fix) { segment(in[j], in[i]); break; }
                for (size_t j = i + 1; j < in.size(); ++j)
                    if (in[j]->fix) { segment(in[i], in[j]); break; }
                if (n) v = sum / n;
            }
        }
        out[i].speed = v;
    }
    return out;
}

class TripBuilder {
public:
    TripBuilder(const std::vector<Point> &p, size_t a, size_t b, const DeriveOptions &o)
        : p_(p), a_(a), b_(b), o_(o) {}

    Entry MakeEntry(size_t i, size_t j) const
    {
        Entry e;
        e.begin = p_[i].s->time;
        e.end = p_[j].s->time;
        for (size_t k = i; k <= j; ++k)
            if (p_[k].s->fix) { e.lon = p_[k].s->pos.lon; e.lat = p_[k].s->pos.lat; break; }
        e.tank1Begin = Level(p_[i].s->tank1);
        e.tank1End = Level(p_[j].s->tank1);
        e.tank2Begin = Level(p_[i].s->tank2);
        e.tank2End = Level(p_[j].s->tank2);
        for (size_t k = i; k <= j; ++k) e.speed = std::max(e.speed, p_[k].speed);
        return e;
    }

    // Maximal runs of samples meeting pred; each entry ends at the first
    // sample after the run (still inside the trip) so that its duration
    // covers the whole run.
    std::vector<Entry> Runs(const std::function<bool(size_t)> &pred, double minSec = 0) const
    {
        std::vector<Entry> out;
        for (size_t i = a_; i <= b_;) {
            if (!pred(i)) { ++i; continue; }
            size_t j = i;
            while (j + 1 <= b_ && pred(j + 1)) ++j;
            const size_t endIdx = j + 1 <= b_ ? j + 1 : j;
            Entry e = MakeEntry(i, j);
            e.end = p_[endIdx].s->time;
            if ((e.end - e.begin) * kSecondsPerDay >= minSec) out.push_back(e);
            i = j + 1;
        }
        return out;
    }

    std::vector<Entry> Tank(double Sample::*tank) const
    {
        std::vector<Entry> out;
        size_t i = a_;
        while (i < b_) {
            const double d0 = p_[i + 1].s->*tank - p_[i].s->*tank;
            if (p_[i].s->*tank < 0 || std::fabs(d0) < o_.tankStepL) { ++i; continue; }
            size_t j = i + 1;
            while (j < b_) {
                const double d = p_[j + 1].s->*tank - p_[j].s->*tank;
                if (std::fabs(d) < o_.tankStepL || (d > 0) != (d0 > 0)) break;
                ++j;
            }
            if (std::fabs(p_[j].s->*tank - p_[i].s->*tank) >= o_.tankEventL) {
                Entry e = MakeEntry(i, j);
                e.speed = 0;
                out.push_back(e);
            }
            i = j;
        }
        return out;
    }

    std::vector<Entry> Checkpoints(const std::vector<Checkpoint> &cps) const
    {
        std::vector<Entry> out;
        for (const Checkpoint &cp : cps) {
            auto inside = [&](size_t k) {
                return p_[k].s->fix && DistanceMetres(p_[k].s->pos, cp.centre) <= cp.radius;
            };
            for (Entry e : Runs(inside)) {
                e.lon = cp.centre.lon;
                e.lat = cp.centre.lat;
                out.push_back(e);
            }
        }
        std::stable_sort(out.begin(), out.end(), [](const Entry &x, const Entry &y) { return x.begin < y.begin; });
        return out;
    }

    Trip Build(const std::vector<Checkpoint> &cps) const
    {
        Trip t;
        t.begin = p_[a_].s->time;
        t.end = p_[b_].s->time;
        double dist = 0;
        const Sample *prev = nullptr;
        for (size_t k = a_; k <= b_; ++k) {
            const Sample *s = p_[k].s;
            if (!s->fix) continue;
            if (prev) dist += DistanceMetres(prev->pos, s->pos);
            t.track.push_back({s->time, s->pos.lon, s->pos.lat, dist, p_[k].speed});
            prev = s;
        }
        auto &L = t.lists;
        L["checkpoints-stages"] = Checkpoints(cps);
        L["parks"] = Runs([&](size_t k) { return p_[k].speed < o_.movingKmh; }, o_.parkMinSec);
        for (Entry &e : L["parks"]) e.speed = 0;
        std::vector<Entry> blinds;
        for (size_t k = a_; k < b_; ++k)
            if ((p_[k + 1].s->time - p_[k].s->time) * kSecondsPerDay >= o_.blindMinSec) {
                Entry e = MakeEntry(k, k);
                e.end = p_[k + 1].s->time;
                blinds.push_back(e);
            }
        L["blinds"] = blinds;
        L["power_off"] = Runs([&](size_t k) { return !p_[k].s->power; });
        L["over_speed"] = Runs([&](size_t k) { return p_[k].speed > o_.speedLimitKmh; });
        for (Entry &e : L["over_speed"]) {
            // Where the vehicle was fastest.
            for (size_t k = a_; k <= b_; ++k)
                if (p_[k].s->time >= e.begin && p_[k].s->time <= e.end && p_[k].s->fix && p_[k].speed == e.speed) {
                    e.lon = p_[k].s->pos.lon;
                    e.lat = p_[k].s->pos.lat;
                }
        }
        L["tank-num1"] = Tank(&Sample::tank1);
        L["tank-num2"] = Tank(&Sample::tank2);
        for (unsigned bit = 0; bit < 6; ++bit)
            L["sensor_on-num" + std::to_string(bit + 1)] = Runs([&](size_t k) { return (p_[k].s->sensors >> bit) & 1u; });
        return t;
    }

private:
    const std::vector<Point> &p_;
    size_t a_, b_;
    const DeriveOptions &o_;
};

}  // namespace

std::vector<Trip> ComputeTrips(const Vehicle &v, const std::vector<Checkpoint> &checkpoints,
                               double from, double to, const DeriveOptions &opt)
{
    if (!v.trips.empty()) {
        std::vector<Trip> given;
        for (const Trip &t : v.trips)
            if (t.end >= from && t.begin <= to) {
                given.push_back(t);
                for (const std::string &query : ListQueries()) given.back().lists[query];  // none is an empty list
            }
        return given;
    }
    std::vector<const Sample *> in;
    for (const Sample &s : v.samples)
        if (s.time >= from && s.time <= to && std::isfinite(s.time)) in.push_back(&s);
    const std::vector<Point> p = WithSpeeds(in);

    std::vector<size_t> moving;
    for (size_t i = 0; i < p.size(); ++i)
        if (p[i].speed >= opt.movingKmh) moving.push_back(i);

    const double breakDays = opt.tripBreakSec / kSecondsPerDay;
    std::vector<Trip> trips;
    for (size_t k = 0; k < moving.size();) {
        size_t last = k;
        while (last + 1 < moving.size() && p[moving[last + 1]].s->time - p[moving[last]].s->time < breakDays) ++last;
        if (last > k) {  // a lone moving sample is a jump of the position, not a trip
            size_t a = moving[k], b = moving[last];
            if (a > 0 && p[a].s->time - p[a - 1].s->time < breakDays) --a;
            if (b + 1 < p.size() && p[b + 1].s->time - p[b].s->time < breakDays) ++b;
            Trip t = TripBuilder(p, a, b, opt).Build(checkpoints);
            if (!t.track.empty()) trips.push_back(std::move(t));
        }
        k = last + 1;
    }
    return trips;
}

}  // namespace kxfleet
