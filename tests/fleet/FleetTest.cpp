// The built-in fleet and the derivation of trips and entry lists.
#include "kxfleet/Fleet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace kxfleet;

namespace {

const Fleet &DefaultFleet()
{
    static const Fleet f = GenerateDefaultFleet();
    return f;
}

double Start() { return MakeDateTime(2009, 2, 4); }
double End() { return MakeDateTime(2009, 2, 7); }

const Group &GroupOf(const Vehicle &v) { return *DefaultFleet().FindGroup(v.groupKey); }

}  // namespace

TEST(Texts, DurationsUseDaysOnlyFromOneDay)
{
    EXPECT_EQ(FormatDuration(0), "00:00:00");
    EXPECT_EQ(FormatDuration(59.4 / 86400), "00:00:59");
    EXPECT_EQ(FormatDuration(59.6 / 86400), "00:01:00");
    EXPECT_EQ(FormatDuration(86399.0 / 86400), "23:59:59");
    EXPECT_EQ(FormatDuration(86405.0 / 86400), "1 00:00:05");
    EXPECT_EQ(FormatDuration(2 + (3 * 3600 + 4 * 60 + 5) / 86400.0), "2 03:04:05");
    EXPECT_EQ(FormatDuration(-1), "00:00:00");
}

TEST(Texts, DotDateTimeRoundTripsAndRejectsNonsense)
{
    double t = 0;
    ASSERT_TRUE(ParseDotDateTime("06.02.2009 13:45:07", t));
    EXPECT_DOUBLE_EQ(t, MakeDateTime(2009, 2, 6, 13, 45, 7));
    EXPECT_EQ(FormatDotDateTime(t), "06.02.2009 13:45:07");
    ASSERT_TRUE(ParseDotDateTime("29.02.2008 00:00", t));
    EXPECT_EQ(FormatDotDateTime(t), "29.02.2008 00:00:00");
    for (const char *bad : {"", "29.02.2009 00:00:00", "31.04.2009 10:00:00", "06.13.2009 10:00:00",
                            "06.02.2009 24:00:00", "06.02.2009 10:60:00", "06.02.2009 10:00:61", "06.02.2009",
                            "06.02.2009 10:00:00 x", "2009-02-06 10:00:00", "aa.bb.cccc dd:ee:ff"})
        EXPECT_FALSE(ParseDotDateTime(bad, t)) << bad;
}

TEST(Texts, CivilTimeSplitsRoundedSeconds)
{
    const CivilTime c = SplitDateTime(MakeDateTime(2009, 12, 31, 23, 59, 59.6));
    EXPECT_EQ(c.year, 2010);
    EXPECT_EQ(c.month, 1);
    EXPECT_EQ(c.day, 1);
    EXPECT_EQ(c.hour, 0);
    EXPECT_EQ(MakeDateTime(1899, 12, 30), 0.0);
    EXPECT_EQ(MakeDateTime(1900, 1, 1), 2.0);
}

TEST(Geo, DistanceMatchesKnownLengths)
{
    // A degree of latitude on the mean sphere; the checkpoint circle formula
    // of the panel uses the same radius.
    EXPECT_NEAR(DistanceMetres({37.6, 55.0}, {37.6, 56.0}), 20015114.0 / 180, 1.0);
    EXPECT_NEAR(DistanceMetres({37.6, 55.75}, {37.6, 55.75}), 0.0, 1e-9);
}

TEST(DefaultFleet, IsDeterministicAndSizedLikeARealFleet)
{
    const Fleet a = GenerateDefaultFleet();
    const Fleet &b = DefaultFleet();
    ASSERT_EQ(a.vehicles.size(), b.vehicles.size());
    for (size_t i = 0; i < a.vehicles.size(); ++i) {
        ASSERT_EQ(a.vehicles[i].samples.size(), b.vehicles[i].samples.size());
        for (size_t k = 0; k < a.vehicles[i].samples.size(); k += 97) {
            EXPECT_EQ(a.vehicles[i].samples[k].time, b.vehicles[i].samples[k].time);
            EXPECT_EQ(a.vehicles[i].samples[k].pos.lon, b.vehicles[i].samples[k].pos.lon);
        }
    }
    EXPECT_GE(b.groups.size(), 3u);
    EXPECT_GE(b.vehicles.size(), 12u);
    std::set<int> devices;
    std::set<std::string> keys;
    int withoutPosition = 0;
    for (const Group &g : b.groups) {
        EXPECT_TRUE(keys.insert(g.key).second);
        EXPECT_FALSE(g.checkpoints.empty());
        for (int vi : g.vehicles) EXPECT_EQ(b.vehicles[vi].groupKey, g.key);
    }
    for (const Vehicle &v : b.vehicles) {
        EXPECT_TRUE(devices.insert(v.device).second) << v.device;
        EXPECT_FALSE(v.name.empty());
        EXPECT_FALSE(v.number.empty());
        Sample last;
        if (!LastKnownPosition(v, last)) { ++withoutPosition; continue; }
        for (size_t k = 1; k < v.samples.size(); ++k) ASSERT_GT(v.samples[k].time, v.samples[k - 1].time);
        for (const Sample &s : v.samples) {
            // Central Moscow.
            ASSERT_GT(s.pos.lon, 37.45);
            ASSERT_LT(s.pos.lon, 37.75);
            ASSERT_GT(s.pos.lat, 55.65);
            ASSERT_LT(s.pos.lat, 55.85);
            ASSERT_GE(s.tank1, 0);
        }
        EXPECT_GE(v.samples.back().time - v.samples.front().time, 2.0) << "days of data";
    }
    EXPECT_GE(withoutPosition, 1);
}

TEST(DefaultFleet, TracksAgreeWithTheirOwnCoordinatesAndMotion)
{
    size_t segments = 0, off = 0, trips = 0;
    for (const Vehicle &v : DefaultFleet().vehicles) {
        for (const Trip &t : ComputeTrips(v, GroupOf(v).checkpoints, Start(), End())) {
            ++trips;
            ASSERT_GE(t.track.size(), 2u);
            EXPECT_EQ(t.track.front().distance, 0.0);
            EXPECT_EQ(t.track.front().time, t.begin);
            EXPECT_LE(t.track.back().time, t.end);
            for (size_t k = 1; k < t.track.size(); ++k) {
                const TrackPoint &p = t.track[k - 1], &q = t.track[k];
                const double d = DistanceMetres({p.lon, p.lat}, {q.lon, q.lat});
                ASSERT_NEAR(q.distance - p.distance, d, 1e-6);
                const double dt = (q.time - p.time) * 86400;
                ASSERT_GT(dt, 0.5);
                if (dt > 6) continue;  // across a gap or a stop's reports
                ++segments;
                const double chord = d / dt * 3.6, reported = (p.speed + q.speed) / 2;
                if (std::fabs(chord - reported) > 6 + 0.1 * reported) ++off;
            }
        }
    }
    EXPECT_GE(trips, 100u);
    EXPECT_GT(segments, 20000u);
    EXPECT_LT(off, segments / 100) << off << " of " << segments << " segments disagree";
}

TEST(DefaultFleet, EveryCategoryHasEntriesThatLieInsideTheirTrips)
{
    std::map<std::string, int> counts;
    int withoutPos = 0, withPos = 0, refuels = 0, drains = 0;
    for (const Vehicle &v : DefaultFleet().vehicles) {
        for (const Trip &t : ComputeTrips(v, GroupOf(v).checkpoints, Start(), End())) {
            ASSERT_EQ(t.lists.size(), ListQueries().size());
            for (const auto &[query, entries] : t.lists) {
                counts[query] += static_cast<int>(entries.size());
                for (const Entry &e : entries) {
                    ASSERT_LE(e.begin, e.end) << query;
                    ASSERT_GE(e.begin, t.begin) << query;
                    ASSERT_LE(e.end, t.end) << query;
                    ASSERT_TRUE(std::isfinite(e.speed) && std::isfinite(e.lon) && std::isfinite(e.lat));
                }
            }
            for (const Entry &e : t.lists.at("parks")) EXPECT_GE((e.end - e.begin) * 86400, 120 - 1e-6);
            for (const Entry &e : t.lists.at("over_speed")) EXPECT_GT(e.speed, 80);
            for (const Entry &e : t.lists.at("power_off")) (e.lon == kNoPosition ? withoutPos : withPos)++;
            for (const char *q : {"tank-num1", "tank-num2"})
                for (const Entry &e : t.lists.at(q)) {
                    const double d = q[8] == '1' ? e.tank1End - e.tank1Begin : e.tank2End - e.tank2Begin;
                    EXPECT_GE(std::fabs(d), 5);
                    (d > 0 ? refuels : drains)++;
                }
            for (const Entry &e : t.lists.at("checkpoints-stages")) {
                bool centre = false;
                for (const Checkpoint &c : GroupOf(v).checkpoints)
                    centre |= c.centre.lon == e.lon && c.centre.lat == e.lat;
                EXPECT_TRUE(centre);
            }
        }
    }
    for (const std::string &q : ListQueries()) EXPECT_GT(counts[q], 0) << q;
    EXPECT_GT(withoutPos, 0);
    EXPECT_GT(withPos, 0);
    EXPECT_GT(refuels, 0);
    EXPECT_GT(drains, 0);
}

TEST(Derivation, PeriodBoundsAndLongStandstillsSplitTrips)
{
    const Vehicle &v = DefaultFleet().vehicles.front();
    const auto &cps = GroupOf(v).checkpoints;
    const auto all = ComputeTrips(v, cps, Start(), End());
    ASSERT_GE(all.size(), 6u);
    for (size_t i = 1; i < all.size(); ++i) EXPECT_GT(all[i].begin, all[i - 1].end);
    // No trip holds a standstill of a quarter of an hour.
    for (const Trip &t : all)
        for (const Entry &e : t.lists.at("parks")) EXPECT_LT((e.end - e.begin) * 86400, 900);

    EXPECT_TRUE(ComputeTrips(v, cps, Start(), Start()).empty());
    EXPECT_TRUE(ComputeTrips(v, cps, End(), Start()).empty());
    const auto day2 = ComputeTrips(v, cps, MakeDateTime(2009, 2, 5), MakeDateTime(2009, 2, 6));
    ASSERT_FALSE(day2.empty());
    for (const Trip &t : day2) {
        EXPECT_GE(t.begin, MakeDateTime(2009, 2, 5));
        EXPECT_LE(t.end, MakeDateTime(2009, 2, 6));
    }
    // A period ending in the middle of a trip cuts it there.
    const Trip &first = all.front();
    const double mid = (first.begin + first.end) / 2;
    const auto cut = ComputeTrips(v, cps, Start(), mid);
    ASSERT_FALSE(cut.empty());
    EXPECT_LE(cut.front().end, mid);
}

TEST(Derivation, ReportsWithoutSpeedGetTheSpeedOfTheMotion)
{
    Vehicle v;
    const double t0 = MakeDateTime(2020, 6, 1, 10);
    // 10 m/s eastwards along a parallel for two minutes, then standing.
    for (int i = 0; i <= 24; ++i) {
        Sample s;
        s.time = t0 + i * 5 / 86400.0;
        const double metres = std::min(i, 12) * 50.0;
        s.pos = {37.6 + metres / (111194.9 * std::cos(55.75 * M_PI / 180)), 55.75};
        v.samples.push_back(s);
    }
    const auto trips = ComputeTrips(v, {}, t0 - 1, t0 + 1);
    ASSERT_EQ(trips.size(), 1u);
    EXPECT_NEAR(trips[0].track[5].speed, 36, 0.5);
    EXPECT_NEAR(trips[0].track.back().distance, 600, 2);
    EXPECT_TRUE(trips[0].lists.at("over_speed").empty());
    EXPECT_TRUE(trips[0].lists.at("tank-num1").empty());
}

TEST(Derivation, ReportsWithoutPositionStayOutOfTheTrack)
{
    Vehicle v;
    const double t0 = MakeDateTime(2020, 6, 1, 10);
    for (int i = 0; i < 40; ++i) {
        Sample s;
        s.time = t0 + i * 5 / 86400.0;
        s.pos = {37.6 + i * 0.001, 55.75};
        s.speed = 40;
        s.fix = i < 10 || i >= 20;
        s.power = s.fix;
        v.samples.push_back(s);
    }
    const auto trips = ComputeTrips(v, {}, t0, t0 + 1);
    ASSERT_EQ(trips.size(), 1u);
    EXPECT_EQ(trips[0].track.size(), 30u);
    ASSERT_EQ(trips[0].lists.at("power_off").size(), 1u);
    const Entry &e = trips[0].lists.at("power_off")[0];
    EXPECT_EQ(e.lon, kNoPosition);
    EXPECT_EQ(e.lat, kNoPosition);
    EXPECT_NEAR((e.end - e.begin) * 86400, 50, 1e-6);
}

TEST(LongTrip, IsOneTripOfExactlyTheRequestedPoints)
{
    const double t0 = MakeDateTime(2009, 2, 1);
    const Vehicle v = GenerateLongTrip(100000, 99999, t0);
    const auto trips = ComputeTrips(v, {}, t0, t0 + 5);
    ASSERT_EQ(trips.size(), 1u);
    EXPECT_EQ(trips[0].track.size(), 100000u);
    EXPECT_GT(trips[0].track.back().distance, 1.0e6);
}

// Ready-made trips are served as they are, those touching the period only,
// and the vehicle's reports are not derived then.
TEST(ReadyMadeTrips, ThoseOverlappingThePeriodAreServedInsteadOfDerived)
{
    Vehicle v = GenerateLongTrip(100, 7, MakeDateTime(2009, 2, 6, 6));
    const double day = MakeDateTime(2009, 2, 6);
    for (int hour : {8, 10, 14}) {
        Trip t;
        t.begin = day + hour / 24.0;
        t.end = t.begin + 1 / 24.0;
        t.track.push_back({t.begin, 37.6, 55.75, 0, 0});
        v.trips.push_back(t);
    }
    const struct {
        const char *what;
        double from, to;
        std::vector<int> hours;
    } cases[] = {
        {"the whole day", day, day + 1, {8, 10, 14}},
        {"an end touching the second trip's begin", day, day + 10 / 24.0, {8, 10}},
        {"within the first trip", day + 8.5 / 24, day + 8.6 / 24, {8}},
        {"between trips", day + 12 / 24.0, day + 13 / 24.0, {}},
        {"another day", day + 1, day + 2, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int> served;
        for (const Trip &t : ComputeTrips(v, {}, c.from, c.to))
            served.push_back(static_cast<int>(std::lround((t.begin - day) * 24)));
        EXPECT_EQ(c.hours, served);
    }
}
