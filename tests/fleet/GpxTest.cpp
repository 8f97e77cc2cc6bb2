// GPX points: what is read, what a bad point costs, glitches, and what a
// recording yields.
#include "kxfleet/Gpx.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

using namespace kxfleet;

namespace {

const double kNow = MakeDateTime(2026, 1, 1);
const double kMetresPerDegLat = 111194.9;

std::string Iso(int secondsAfter10)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "2021-05-14T%02d:%02d:%02dZ", 10 + secondsAfter10 / 3600,
                  secondsAfter10 / 60 % 60, secondsAfter10 % 60);
    return buf;
}

GpxPointText Point(double lat, double lon, const std::string &time, const std::string &speed = "")
{
    char la[32], lo[32];
    std::snprintf(la, sizeof la, "%.7f", lat);
    std::snprintf(lo, sizeof lo, "%.7f", lon);
    return {la, lo, time, speed};
}

// A northward drive at `mps`, one point every 5 s from 10:00.
std::vector<GpxPointText> Drive(int count, double mps = 10)
{
    std::vector<GpxPointText> pts;
    for (int i = 0; i < count; ++i) pts.push_back(Point(55.7 + i * 5 * mps / kMetresPerDegLat, 37.6, Iso(i * 5)));
    return pts;
}

double Lat(const GpxImport &g, size_t i) { return g.samples.at(i).pos.lat; }

}  // namespace

TEST(GpxCoordinate, OnlyPlainDecimalsWithinTheLimit)
{
    struct Case {
        const char *text;
        double limit;
        bool ok;
        double value;
    } cases[] = {
        {"55.75", 90, true, 55.75},     {" 37.6\n", 180, true, 37.6}, {"-180", 180, true, -180},
        {"90", 90, true, 90},           {"+1.5e1", 90, true, 15},     {"91", 90, false, 0},
        {"-181", 180, false, 0},        {"1e999", 180, false, 0},     {"NaN", 90, false, 0},
        {"nan", 90, false, 0},          {"inf", 180, false, 0},       {"55,75", 90, false, 0},
        {"", 90, false, 0},             {"0x10", 90, false, 0},       {"1.2.3", 90, false, 0},
        {"12 13", 90, false, 0},        {"-", 90, false, 0},
    };
    for (const Case &c : cases) {
        double v = -1;
        EXPECT_EQ(ParseGpxCoordinate(c.text, c.limit, v), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_DOUBLE_EQ(v, c.value) << c.text;
        }
    }
}

TEST(GpxTime, OffsetsFractionsAndRealDatesOnly)
{
    const double ten = MakeDateTime(2021, 5, 14, 10);
    struct Case {
        const char *text;
        bool ok;
        double utc;
    } cases[] = {
        {"2021-05-14T10:00:00Z", true, ten},
        {"2021-05-14T13:00:00+03:00", true, ten},
        {"2021-05-14T04:30:00-0530", true, ten},
        {"2021-05-14T13:00:00+03", true, ten},
        {"2021-05-14T10:00:00", true, ten},
        {" 2021-05-14t10:00:00.250z ", true, ten + 0.25 / kSecondsPerDay},
        {"2021-05-14 10:00:00Z", true, ten},
        {"2020-02-29T00:00:00Z", true, MakeDateTime(2020, 2, 29)},
        {"2016-12-31T23:59:60Z", true, MakeDateTime(2017, 1, 1)},
        {"2021-02-30T10:00:00Z", false, 0},
        {"2021-02-29T10:00:00Z", false, 0},
        {"2021-04-31T10:00:00Z", false, 0},
        {"2021-13-01T10:00:00Z", false, 0},
        {"2021-00-10T10:00:00Z", false, 0},
        {"2021-05-14T24:00:00Z", false, 0},
        {"2021-05-14T10:60:00Z", false, 0},
        {"2021-5-14T10:00:00Z", false, 0},
        {"2021-05-14T10:00Z", false, 0},
        {"2021-05-14T10:00:00.Z", false, 0},
        {"2021-05-14T10:00:00+15:00", false, 0},
        {"2021-05-14T10:00:00+03:", false, 0},
        {"2021-05-14T10:00:00Zjunk", false, 0},
        {"yesterday", false, 0},
        {"", false, 0},
    };
    for (const Case &c : cases) {
        double t = 0;
        EXPECT_EQ(ParseGpxTime(c.text, t), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_NEAR(t, c.utc, 1e-9) << c.text;
        }
    }
}

TEST(GpxImport, ABadPointCostsThatPointAndIsCountedByReason)
{
    std::vector<GpxPointText> pts = Drive(12);
    pts[1].lat = "NaN";
    pts[2].lon = "-181";
    pts[3].lat = "1e999";
    pts[4].lat = "55,75";
    pts[5].time = "2021-02-30T10:00:00Z";
    pts[6].time = "9999-12-31T23:59:59Z";
    pts[7].time = "";
    pts[8].time = "1979-12-31T23:59:59Z";
    pts[9].lon = "";
    const GpxImport g = ImportGpxPoints(pts, kNow);
    EXPECT_EQ(g.points, 12u);
    EXPECT_EQ(g.badCoordinates, 5u);
    EXPECT_EQ(g.badTimes, 4u);
    EXPECT_EQ(g.glitches, 0u);
    ASSERT_EQ(g.samples.size(), 3u);
    EXPECT_NEAR(g.samples.back().time, MakeDateTime(2021, 5, 14, 10, 0, 55), 1e-9)
        << "no impossible year becomes the last time";
    ASSERT_EQ(g.skips.size(), 9u);
    EXPECT_EQ(g.skips[0].point, 2u);
    EXPECT_EQ(DescribeGpxSkip(g.skips[0]), "point 2: bad coordinates, lat=\"NaN\" lon=\"37.6000000\"");
    EXPECT_EQ(DescribeGpxSkip(g.skips[4]), "point 6: bad time, unreadable \"2021-02-30T10:00:00Z\"");
    EXPECT_EQ(DescribeGpxSkip(g.skips[6]), "point 8: bad time, no time");
}

TEST(GpxImport, SpeedsFromTheFileInKmhUnlessImpossible)
{
    std::vector<GpxPointText> pts = Drive(4);
    pts[0].speed = "12.5";
    pts[1].speed = "5000";
    pts[2].speed = "fast";
    const GpxImport g = ImportGpxPoints(pts, kNow);
    ASSERT_EQ(g.samples.size(), 4u);
    EXPECT_DOUBLE_EQ(g.samples[0].speed, 45);
    EXPECT_LT(g.samples[1].speed, 0) << "derived from the motion instead";
    EXPECT_LT(g.samples[2].speed, 0);
    EXPECT_LT(g.samples[3].speed, 0);
}

TEST(GpxImport, MergedSegmentsAreSortedByTime)
{
    std::vector<GpxPointText> pts = Drive(6);
    std::vector<GpxPointText> merged(pts.begin() + 3, pts.end());
    merged.insert(merged.end(), pts.begin(), pts.begin() + 3);
    const GpxImport g = ImportGpxPoints(merged, kNow);
    ASSERT_EQ(g.samples.size(), 6u);
    for (size_t i = 1; i < g.samples.size(); ++i) EXPECT_LT(g.samples[i - 1].time, g.samples[i].time);
    EXPECT_EQ(g.glitches, 0u);
}

TEST(GpxImport, PositionGlitchesAreDroppedAndJumpsThatLastAreKept)
{
    const double far = 0.5;  // degrees of latitude, about 55 km
    struct Case {
        const char *name;
        std::vector<int> spikes;  // points moved `far` north
        int count;
        size_t glitches;
    } cases[] = {
        {"one teleport mid-track", {5}, 12, 1},
        {"two points away and back", {5, 6}, 12, 2},
        {"the first point", {0}, 12, 1},
        {"the last point", {11}, 12, 1},
        {"none", {}, 12, 0},
    };
    for (const Case &c : cases) {
        std::vector<GpxPointText> pts = Drive(c.count);
        for (int i : c.spikes) pts[i] = Point(55.7 + far, 37.6, pts[i].time);
        const GpxImport g = ImportGpxPoints(pts, kNow);
        EXPECT_EQ(g.glitches, c.glitches) << c.name;
        EXPECT_EQ(g.samples.size(), c.count - c.glitches) << c.name;
        for (size_t i = 0; i < g.samples.size(); ++i) EXPECT_LT(Lat(g, i), 55.7 + far / 2) << c.name;
    }

    // The vehicle went on from far away after a quiet hour: not a glitch.
    std::vector<GpxPointText> pts = Drive(6);
    for (int i = 0; i < 6; ++i) pts.push_back(Point(56.5 + i * 0.0005, 37.6, Iso(3600 + i * 5)));
    EXPECT_EQ(ImportGpxPoints(pts, kNow).glitches, 0u) << "55 km in an hour";

    // The receiver's noise between points with the same time is no glitch.
    pts = Drive(3);
    pts.insert(pts.begin() + 2, Point(55.7 + 20 / kMetresPerDegLat, 37.6, pts[1].time));
    EXPECT_EQ(ImportGpxPoints(pts, kNow).glitches, 0u);

    // A drive steadily faster than the limit never comes back: it is kept
    // whole rather than lost after its first point.
    GpxImportOptions slow;
    slow.maxSpeedKmh = 20;
    const GpxImport g = ImportGpxPoints(Drive(10, 30), kNow, slow);
    EXPECT_EQ(g.samples.size(), 10u);
    EXPECT_EQ(g.glitches, 0u);

    // A lower limit finds slower teleports.
    pts = Drive(10, 3);
    pts[5] = Point(55.7 + 300 / kMetresPerDegLat, 37.6, pts[5].time);
    EXPECT_EQ(ImportGpxPoints(pts, kNow).glitches, 0u) << "300 m in 5 s is possible at 250 km/h";
    EXPECT_EQ(ImportGpxPoints(pts, kNow, slow).glitches, 1u);
}

TEST(GpxImport, AGlitchIsDescribedWithItsSpeed)
{
    std::vector<GpxPointText> pts = Drive(8);
    pts[4] = Point(55.7 + 1, 37.6, pts[4].time);
    const GpxImport g = ImportGpxPoints(pts, kNow);
    ASSERT_EQ(g.skips.size(), 1u);
    EXPECT_EQ(g.skips[0].point, 5u);
    const std::string text = DescribeGpxSkip(g.skips[0]);
    EXPECT_EQ(text.rfind("point 5: position glitch, 79,", 0), 0u) << text;  // 111 km in 5 s
    EXPECT_NE(text.find(" km/h from the point before"), std::string::npos) << text;
}

TEST(GpxImport, OnlyTheFirstSkipsAreDescribedButAllAreCounted)
{
    std::vector<GpxPointText> pts = Drive(100);
    for (GpxPointText &p : pts) p.lat = "x";
    const GpxImport g = ImportGpxPoints(pts, kNow);
    EXPECT_TRUE(g.samples.empty());
    EXPECT_EQ(g.badCoordinates, 100u);
    EXPECT_EQ(g.skips.size(), kGpxSkipsDescribed);
}

TEST(GpxImport, SkipDetailsAreShortAndPrintable)
{
    std::vector<GpxPointText> pts = Drive(2);
    pts[0].time = std::string(1000, '9') + "\n\x01";
    const GpxImport g = ImportGpxPoints(pts, kNow);
    ASSERT_EQ(g.skips.size(), 1u);
    const std::string text = DescribeGpxSkip(g.skips[0]);
    EXPECT_LT(text.size(), 100u);
    for (char c : text) EXPECT_GE(static_cast<unsigned char>(c), 0x20);
}

TEST(GpxSummary, OneLinePerFile)
{
    GpxImport g;
    struct Case {
        size_t points, coords, times, glitches, trips;
        const char *text;
    } cases[] = {
        {7745, 2, 1, 0, 1, "7,745 points, 3 skipped (2 bad coordinates, 1 bad time), 1 trip"},
        {1, 0, 0, 0, 0, "1 point, none skipped, 0 trips"},
        {200000, 0, 2, 1, 12, "200,000 points, 3 skipped (2 bad times, 1 position glitch), 12 trips"},
        {1234567, 1, 0, 1000, 2, "1,234,567 points, 1,001 skipped (1 bad coordinates, 1,000 position glitches), 2 trips"},
    };
    for (const Case &c : cases) {
        g.points = c.points;
        g.badCoordinates = c.coords;
        g.badTimes = c.times;
        g.glitches = c.glitches;
        EXPECT_EQ(GpxSummary(g, c.trips), c.text);
    }
}

TEST(GpxLocalTimes, ShiftedAndKeptInOrderWhereTheClocksGoBack)
{
    std::vector<Sample> s(4);
    for (int i = 0; i < 4; ++i) s[i].time = MakeDateTime(2021, 10, 31, 0, 30 + i * 20);
    // 01:00 UTC: the clocks go back from +2 to +1.
    const double change = MakeDateTime(2021, 10, 31, 1);
    ToLocalTimes(s, [&](double t) { return t + (t < change ? 2 : 1) / 24.0; });
    EXPECT_NEAR(s[0].time, MakeDateTime(2021, 10, 31, 2, 30), 1e-9);
    EXPECT_NEAR(s[1].time, MakeDateTime(2021, 10, 31, 2, 50), 1e-9);
    EXPECT_NEAR(s[2].time, MakeDateTime(2021, 10, 31, 2, 50), 1e-9) << "held, not run backwards";
    EXPECT_NEAR(s[3].time, MakeDateTime(2021, 10, 31, 2, 50), 1e-9);
}

TEST(GpxRecording, YieldsTripsStopsAndRealSpeeds)
{
    // Drive 5 min at 36 km/h, stand 4 min, drive 2 min at ~100 km/h,
    // stand 25 min (ends the trip), drive 3 min; one teleport in the middle.
    std::vector<GpxPointText> pts;
    double lon = 37.55;
    int t = 0;
    const double mPerDegLon = kMetresPerDegLat * std::cos(55.75 * M_PI / 180);
    auto drive = [&](int seconds, double mps) {
        for (int s = 0; s < seconds; s += 5, t += 5) {
            pts.push_back(Point(55.75, lon, Iso(t)));
            lon += mps * 5 / mPerDegLon;
        }
    };
    auto stand = [&](int seconds, int every) {
        for (int s = 0; s < seconds; s += every, t += every) pts.push_back(Point(55.75, lon, Iso(t)));
    };
    drive(300, 10);
    stand(240, 5);
    drive(120, 28);
    stand(1500, 30);
    drive(180, 10);
    pts.push_back(Point(55.75, lon, Iso(t)));
    pts[30].lat = "56.75";
    const GpxImport g = ImportGpxPoints(pts, kNow);
    EXPECT_EQ(g.glitches, 1u);
    Vehicle v;
    v.samples = g.samples;
    const auto trips = ComputeTrips(v, {}, MakeDateTime(2021, 5, 14), MakeDateTime(2021, 5, 15));
    ASSERT_EQ(trips.size(), 2u);
    ASSERT_EQ(trips[0].lists.at("parks").size(), 1u);
    EXPECT_NEAR((trips[0].lists.at("parks")[0].end - trips[0].lists.at("parks")[0].begin) * 86400, 240, 10);
    ASSERT_EQ(trips[0].lists.at("over_speed").size(), 1u) << "the teleport is no speeding";
    EXPECT_NEAR(trips[0].lists.at("over_speed")[0].speed, 100.8, 1);
    for (const TrackPoint &p : trips[0].track) EXPECT_LT(p.speed, 110);
    EXPECT_TRUE(trips[0].lists.at("blinds").empty());
    EXPECT_NEAR(trips[0].track.back().distance, 3000 + 3360, 10);
    EXPECT_TRUE(trips[1].lists.at("parks").empty());
}
