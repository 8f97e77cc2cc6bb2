// GPX import: what is read, what is refused, and what a recording yields.
#include "kxfleet/Fleet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

using namespace kxfleet;

namespace {

std::string Point(double lon, double lat, const std::string &time, const std::string &extra = "")
{
    char buf[160];
    std::snprintf(buf, sizeof buf, "<trkpt lat=\"%.6f\" lon=\"%.6f\"><ele>150</ele><time>", lat, lon);
    return buf + time + "</time>" + extra + "</trkpt>\n";
}

std::string Doc(const std::string &points, const std::string &name = "Утро")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gpx version=\"1.1\" creator=\"test\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
           "<metadata><name>ignored</name></metadata>\n<trk><name>" + name + "</name><trkseg>\n" + points +
           "</trkseg></trk></gpx>\n";
}

std::string Iso(int secondsAfter10)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "2021-05-14T%02d:%02d:%02dZ", 10 + secondsAfter10 / 3600,
                  secondsAfter10 / 60 % 60, secondsAfter10 % 60);
    return buf;
}

}  // namespace

TEST(Gpx, ReadsPointsTimesSpeedsAndName)
{
    const std::string doc = Doc(Point(37.6, 55.75, "2021-05-14T10:00:00Z") +
                                Point(37.601, 55.75, "2021-05-14T13:00:05+03:00", "<extensions><gpxtpx:speed>12.5</gpxtpx:speed></extensions>") +
                                "<!-- <trkpt lat=\"1\" lon=\"1\"> -->\n" +
                                Point(37.602, 55.75, "2021-05-14T10:00:10.500Z"));
    const GpxTrack t = ParseGpx(doc, 3);
    EXPECT_EQ(t.name, "Утро");
    ASSERT_EQ(t.samples.size(), 3u);
    EXPECT_NEAR(t.samples[0].time, MakeDateTime(2021, 5, 14, 13, 0, 0), 1e-9);
    EXPECT_NEAR(t.samples[1].time, MakeDateTime(2021, 5, 14, 13, 0, 5), 1e-9);
    EXPECT_NEAR(t.samples[2].time, MakeDateTime(2021, 5, 14, 13, 0, 10.5), 1e-9);
    EXPECT_LT(t.samples[0].speed, 0) << "no speed in the file";
    EXPECT_NEAR(t.samples[1].speed, 45, 1e-9);
    EXPECT_EQ(t.samples[2].pos.lon, 37.602);
}

TEST(Gpx, RefusesMalformedDocumentsWithALineNumber)
{
    const std::string good = Point(37.6, 55.75, "2021-05-14T10:00:00Z");
    const std::string bad[] = {
        "",
        "<kml></kml>",
        Doc("<trkpt lat=\"55.7\"><time>2021-05-14T10:00:00Z</time></trkpt>"),
        Doc("<trkpt lat=\"95\" lon=\"37\"><time>2021-05-14T10:00:00Z</time></trkpt>"),
        Doc("<trkpt lat=\"abc\" lon=\"37\"><time>2021-05-14T10:00:00Z</time></trkpt>"),
        Doc(Point(37.6, 55.75, "yesterday")),
        Doc("<trkpt lat=\"55.7\" lon=\"37.6\"></trkpt>"),
        Doc(good + "<trkpt lat=\"55.7\" lon=\"37.6\"><time>2021-05-14T10:00:00Z</trkpt>"),
        Doc(good).substr(0, Doc(good).size() - 20),
        "<gpx><trk><trkseg><trkpt lat=55 lon=37>",
    };
    for (const std::string &doc : bad) {
        try {
            ParseGpx(doc, 0);
            ADD_FAILURE() << "accepted: " << doc;
        } catch (const GpxError &e) {
            EXPECT_NE(std::string(e.what()).find("GPX"), std::string::npos);
        }
    }
}

TEST(Gpx, RecordingYieldsTripsStopsAndSpeeding)
{
    // Drive 5 min at ~36 km/h, stand 4 min, drive 2 min at ~100 km/h,
    // stand 25 min (ends the trip), drive 3 min.
    std::string pts;
    double lon = 37.55;
    int t = 0;
    const double mPerDegLon = 111194.9 * std::cos(55.75 * M_PI / 180);
    auto drive = [&](int seconds, double mps) {
        for (int s = 0; s < seconds; s += 5, t += 5) {
            pts += Point(lon, 55.75, Iso(t));
            lon += mps * 5 / mPerDegLon;
        }
    };
    auto stand = [&](int seconds, int every) {
        for (int s = 0; s < seconds; s += every, t += every) pts += Point(lon, 55.75, Iso(t));
    };
    drive(300, 10);
    stand(240, 5);
    drive(120, 28);
    stand(1500, 30);
    drive(180, 10);
    pts += Point(lon, 55.75, Iso(t));
    const GpxTrack g = ParseGpx(Doc(pts), 0);
    Vehicle v;
    v.samples = g.samples;
    const auto trips = ComputeTrips(v, {}, MakeDateTime(2021, 5, 14), MakeDateTime(2021, 5, 15));
    ASSERT_EQ(trips.size(), 2u);
    ASSERT_EQ(trips[0].lists.at("parks").size(), 1u);
    EXPECT_NEAR((trips[0].lists.at("parks")[0].end - trips[0].lists.at("parks")[0].begin) * 86400, 240, 10);
    ASSERT_EQ(trips[0].lists.at("over_speed").size(), 1u);
    EXPECT_NEAR(trips[0].lists.at("over_speed")[0].speed, 100.8, 1);
    EXPECT_TRUE(trips[0].lists.at("blinds").empty());
    EXPECT_NEAR(trips[0].track.back().distance, 3000 + 3360, 10);
    EXPECT_TRUE(trips[1].lists.at("parks").empty());
}
