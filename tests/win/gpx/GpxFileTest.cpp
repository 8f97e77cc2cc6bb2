// GPX files through the platform's XML parser: references, encodings, both
// versions, hostile documents, bad points, glitches, empty segments, local
// times and 200,000 points.
#include "GpxFile.h"

#include <objbase.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>

#include "kx/text.h"

using namespace kxfleet;

namespace {

const double kNow = MakeDateTime(2026, 1, 1);

struct Com {
    Com() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~Com() { CoUninitialize(); }
};

// A file of these bytes in the temporary folder, removed afterwards.
class TempFile {
public:
    explicit TempFile(const std::string &bytes, const wchar_t *name = L"test.gpx")
    {
        wchar_t dir[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        path_ = std::wstring(dir) + L"kxgpx-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(serial_++) + L"-" + name;
        std::ofstream(kx::ToUtf8(path_), std::ios::binary) << bytes;
    }
    ~TempFile() { DeleteFileW(path_.c_str()); }
    const std::wstring &path() const { return path_; }

private:
    static inline int serial_ = 0;
    std::wstring path_;
};

std::string Pt(double lat, double lon, int secondsAfter10, const std::string &tag = "trkpt",
               const std::string &inside = "")
{
    char buf[200];
    std::snprintf(buf, sizeof buf, "<%s lat=\"%.6f\" lon=\"%.6f\"><ele>150</ele><time>2021-05-14T10:%02d:%02dZ</time>",
                  tag.c_str(), lat, lon, secondsAfter10 / 60, secondsAfter10 % 60);
    return buf + inside + "</" + tag + ">\n";
}

// A drive north at 36 km/h, one point every 5 s.
std::string Drive(int count, int from = 0)
{
    std::string s;
    for (int i = from; i < from + count; ++i) s += Pt(55.7 + i * 50 / 111194.9, 37.6, i * 5);
    return s;
}

std::string Gpx11(const std::string &body, const std::string &declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>")
{
    return declaration + "\n<gpx version=\"1.1\" creator=\"test\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n" + body +
           "</gpx>\n";
}

std::string Track(const std::string &name, const std::string &points)
{
    return "<trk><name>" + name + "</name><trkseg>\n" + points + "</trkseg></trk>\n";
}

GpxFileImport Import(const std::string &bytes, const GpxImportOptions &options = {})
{
    TempFile f(bytes);
    return ImportGpxFile(f.path(), kNow, options, {});
}

std::string Summary(const GpxFileImport &g)
{
    for (const std::wstring &line : g.report) {
        const std::string s = kx::ToUtf8(line);
        if (s.find(" points, ") != std::string::npos || s.find(" point, ") != std::string::npos)
            return s.substr(s.find(".gpx: ") + 6);
    }
    return "(no summary)";
}

std::string Report(const GpxFileImport &g)
{
    std::string all;
    for (const std::wstring &line : g.report) all += kx::ToUtf8(line) + "\n";
    return all;
}

}  // namespace

TEST(GpxFile, CharacterReferencesAndEntitiesAreDecoded)
{
    Com com;
    const std::string doc = Gpx11(
        "<trk><name>&#1046;&#x416; &amp; &lt;&#x1F697;&gt;</name><trkseg>"
        "<trkpt lat=\"&#53;5.7\" lon=\"37&#x2E;6\"><time>2021-05-14T10:00:00&#x5A;</time></trkpt>"
        "<trkpt lat=\"55.7001\" lon=\"37.6\"><time><![CDATA[2021-05-14T10:00:05Z]]></time></trkpt>"
        "</trkseg></trk>");
    const GpxFileImport g = Import(doc);
    ASSERT_TRUE(g.usable) << Report(g);
    EXPECT_EQ(g.vehicle.name, "ЖЖ & <\xF0\x9F\x9A\x97>");
    ASSERT_EQ(g.vehicle.samples.size(), 2u);
    EXPECT_DOUBLE_EQ(g.vehicle.samples[0].pos.lat, 55.7);
    EXPECT_DOUBLE_EQ(g.vehicle.samples[0].pos.lon, 37.6);
}

TEST(GpxFile, TheDeclaredEncodingIsHonoured)
{
    Com com;
    // "Утро" (or "Café") in each encoding.
    const std::string cp1251 = "\xD3\xF2\xF0\xEE", utf8 = "Утро";
    const std::string points = Drive(2);
    struct Case {
        const char *what;
        std::string bytes;
        std::string name = "Утро";
    } cases[] = {
        {"windows-1251", Gpx11(Track(cp1251, points), "<?xml version=\"1.0\" encoding=\"windows-1251\"?>")},
        {"WINDOWS-1251 in capitals", Gpx11(Track(cp1251, points), "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\"?>")},
        {"iso-8859-1", Gpx11(Track("Caf\xE9", points), "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"), "Café"},
        {"windows-1252", Gpx11(Track("Caf\xE9", points), "<?xml version=\"1.0\" encoding=\"windows-1252\"?>"), "Café"},
        {"UTF-8 with a byte order mark", "\xEF\xBB\xBF" + Gpx11(Track(utf8, points))},
        {"UTF-8 without a declaration", Gpx11(Track(utf8, points), "")},
    };
    for (const Case &c : cases) {
        const GpxFileImport g = Import(c.bytes);
        EXPECT_TRUE(g.usable) << c.what << "\n" << Report(g);
        EXPECT_EQ(g.vehicle.name, c.name) << c.what;
    }

    // UTF-16, little-endian with its byte order mark.
    const std::wstring wide = kx::ToWide(Gpx11(Track(utf8, points), "<?xml version=\"1.0\" encoding=\"UTF-16\"?>"));
    std::string bytes = "\xFF\xFE";
    for (wchar_t ch : wide) {
        bytes += static_cast<char>(ch & 0xFF);
        bytes += static_cast<char>(ch >> 8);
    }
    const GpxFileImport g = Import(bytes);
    EXPECT_TRUE(g.usable) << Report(g);
    EXPECT_EQ(g.vehicle.name, utf8);
}

TEST(GpxFile, BothVersionsTracksRoutesAndPrefixes)
{
    Com com;
    struct Case {
        const char *what;
        std::string bytes;
        size_t samples;
        double firstSpeedKmh;  // negative: none from the file
    } cases[] = {
        {"GPX 1.0 with <speed>",
         "<?xml version=\"1.0\"?><gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\"><trk><trkseg>" +
             Pt(55.7, 37.6, 0, "trkpt", "<speed>10</speed>") + Drive(3, 1) + "</trkseg></trk></gpx>",
         4, 36},
        {"GPX 1.1 with a speed among the extensions",
         Gpx11(Track("x", Pt(55.7, 37.6, 0, "trkpt",
                             "<extensions><e:TrackPointExtension xmlns:e=\"urn:e\"><e:speed>2.5</e:speed>"
                             "</e:TrackPointExtension></extensions>") +
                              Drive(3, 1))),
         4, 9},
        {"a route", Gpx11("<rte><name>r</name>" + Pt(55.7, 37.6, 0, "rtept") + Pt(55.7005, 37.6, 5, "rtept") + "</rte>"), 2,
         -1},
        {"tracks, segments and a route together",
         Gpx11(Track("a", Drive(3)) + "<trk><trkseg>" + Drive(2, 3) + "</trkseg><trkseg>" + Drive(2, 5) +
               "</trkseg></trk><rte>" + Pt(55.703, 37.6, 60, "rtept") + "</rte><wpt lat=\"1\" lon=\"1\"/>"),
         8, -1},
        {"prefixed elements",
         "<g:gpx xmlns:g=\"http://www.topografix.com/GPX/1/1\" version=\"1.1\"><g:trk><g:trkseg>"
         "<g:trkpt lat=\"55.7\" lon=\"37.6\"><g:time>2021-05-14T10:00:00Z</g:time></g:trkpt>"
         "<g:trkpt lat=\"55.7001\" lon=\"37.6\"><g:time>2021-05-14T10:00:05Z</g:time></g:trkpt>"
         "</g:trkseg></g:trk></g:gpx>",
         2, -1},
    };
    for (const Case &c : cases) {
        const GpxFileImport g = Import(c.bytes);
        ASSERT_TRUE(g.usable) << c.what << "\n" << Report(g);
        EXPECT_EQ(g.vehicle.samples.size(), c.samples) << c.what;
        if (c.firstSpeedKmh < 0) {
            EXPECT_LT(g.vehicle.samples[0].speed, 0) << c.what;
        } else {
            EXPECT_DOUBLE_EQ(g.vehicle.samples[0].speed, c.firstSpeedKmh) << c.what;
        }
        EXPECT_EQ(Summary(g).find(std::to_string(c.samples) + " points, none skipped, 1 trip"), 0u)
            << c.what << ": " << Summary(g);
    }
}

TEST(GpxFile, HostileAndBrokenDocumentsAreRefusedWithAReason)
{
    Com com;
    const std::string entity =
        "<?xml version=\"1.0\"?><!DOCTYPE gpx [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
        "<gpx><trk><name>&x;</name><trkseg>" + Drive(2) + "</trkseg></trk></gpx>";
    const std::string lol = "<?xml version=\"1.0\"?><!DOCTYPE gpx [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
                            "<gpx><trk><name>&b;</name></trk></gpx>";
    const std::string full = Gpx11(Track("t", Drive(4)));
    struct Case {
        const char *what;
        std::string bytes;
        const char *reason;
    } cases[] = {
        {"an external entity", entity, "not read: "},
        {"entity expansion", lol, "not read: "},
        {"an empty file", "", "not read: "},
        {"not XML", "GPX? no.", "not read: "},
        {"cut short", full.substr(0, full.size() / 2), "not read: "},
        {"another document", "<kml><Document/></kml>", "not read: no GPX: the document element is <kml>"},
        {"an undefined entity", Gpx11(Track("&nbsp;", Drive(2))), "not read: "},
        {"an empty segment", Gpx11("<trk><name>e</name><trkseg/></trk>"), "not used: no track or route points"},
        {"no tracks at all", Gpx11("<wpt lat=\"55.7\" lon=\"37.6\"/>"), "not used: no track or route points"},
    };
    for (const Case &c : cases) {
        const GpxFileImport g = Import(c.bytes);
        EXPECT_FALSE(g.usable) << c.what;
        EXPECT_TRUE(g.vehicle.samples.empty()) << c.what;
        ASSERT_FALSE(g.report.empty()) << c.what;
        const std::string last = kx::ToUtf8(g.report.back());
        EXPECT_NE(last.find(std::string(".gpx: ") + c.reason), std::string::npos) << c.what << ": " << last;
    }
    TempFile missing("");
    DeleteFileW(missing.path().c_str());
    const GpxFileImport g = ImportGpxFile(missing.path(), kNow, {}, {});
    EXPECT_FALSE(g.usable);
    EXPECT_NE(kx::ToUtf8(g.report.back()).find("not read: "), std::string::npos);
}

TEST(GpxFile, BadPointsCostThemselvesAndAreReported)
{
    Com com;
    std::string points = Drive(5);
    points += "<trkpt lat=\"NaN\" lon=\"37.6\"><time>2021-05-14T10:00:30Z</time></trkpt>\n";
    points += "<trkpt lat=\"91\" lon=\"37.6\"><time>2021-05-14T10:00:30Z</time></trkpt>\n";
    points += "<trkpt lat=\"55.7\" lon=\"-181\"><time>2021-05-14T10:00:30Z</time></trkpt>\n";
    points += "<trkpt lat=\"1e999\" lon=\"37.6\"><time>2021-05-14T10:00:30Z</time></trkpt>\n";
    points += "<trkpt lat=\"55,75\" lon=\"37.6\"><time>2021-05-14T10:00:30Z</time></trkpt>\n";
    points += "<trkpt lat=\"55.7\" lon=\"37.6\"><time>2021-02-30T10:00:30Z</time></trkpt>\n";
    points += "<trkpt lat=\"55.7\" lon=\"37.6\"><time>9999-01-01T00:00:00Z</time></trkpt>\n";
    points += "<trkpt lat=\"55.7\" lon=\"37.6\"/>\n";
    points += Drive(3, 5);
    points += Pt(58.7, 37.6, 40);  // a teleport between two points of the drive
    points += Drive(3, 9);
    const GpxFileImport g = Import(Gpx11(Track("t", points)));
    ASSERT_TRUE(g.usable) << Report(g);
    EXPECT_EQ(Summary(g), "20 points, 9 skipped (5 bad coordinates, 3 bad times, 1 position glitch), 1 trip");
    EXPECT_EQ(g.vehicle.samples.size(), 11u);
    EXPECT_EQ(g.report.size(), 10u) << "one line per skip and the summary:\n" << Report(g);
    EXPECT_NE(Report(g).find(".gpx: point 6: bad coordinates, lat=\"NaN\""), std::string::npos) << Report(g);
    EXPECT_NE(Report(g).find(".gpx: point 17: position glitch, "), std::string::npos) << Report(g);
    EXPECT_LT(g.vehicle.samples.back().time, MakeDateTime(2022, 1, 1)) << "no year-9999 last time";
}

TEST(GpxFile, EveryPointBadIsSaidAndUnused)
{
    Com com;
    std::string points;
    for (int i = 0; i < 30; ++i) points += "<trkpt lat=\"x\" lon=\"37.6\"><time>2021-05-14T10:00:00Z</time></trkpt>";
    const GpxFileImport g = Import(Gpx11(Track("t", points)));
    EXPECT_FALSE(g.usable);
    EXPECT_EQ(g.report.size(), kGpxSkipsDescribed + 3) << Report(g);
    EXPECT_NE(Report(g).find(".gpx: and 10 more skipped points\n"), std::string::npos) << Report(g);
    EXPECT_EQ(Summary(g), "30 points, 30 skipped (30 bad coordinates), 0 trips");
    EXPECT_NE(kx::ToUtf8(g.report.back()).find("not used: every point was skipped"), std::string::npos);
}

TEST(GpxFile, EmptySegmentsBesideFullOnes)
{
    Com com;
    const GpxFileImport g =
        Import(Gpx11("<trk><trkseg/><trkseg></trkseg><trkseg>" + Drive(4) + "</trkseg><trkseg/></trk><rte/>"));
    ASSERT_TRUE(g.usable) << Report(g);
    EXPECT_EQ(g.vehicle.samples.size(), 4u);
    EXPECT_EQ(g.vehicle.name.rfind("kxgpx-", 0), 0u) << "no track name: the file's";
}

TEST(GpxFile, TimesAreShownInTheMachinesZone)
{
    Com com;
    // ctest runs this program with TZ=Europe/Berlin: UTC+1 in winter, +2 in summer.
    const double winter = MakeDateTime(2021, 1, 10, 12), summer = MakeDateTime(2021, 7, 10, 12);
    EXPECT_NEAR((UtcToLocal(winter) - winter) * 24, 1, 1e-9);
    EXPECT_NEAR((UtcToLocal(summer) - summer) * 24, 2, 1e-9);
    // The night the clocks went forward: 01:00 UTC.
    EXPECT_NEAR(UtcToLocal(MakeDateTime(2021, 3, 28, 0, 59, 59.5)), MakeDateTime(2021, 3, 28, 1, 59, 59.5), 1e-9);
    EXPECT_NEAR(UtcToLocal(MakeDateTime(2021, 3, 28, 1)), MakeDateTime(2021, 3, 28, 3), 1e-9);

    const GpxFileImport g = Import(Gpx11(Track("t", Drive(2))));
    ASSERT_EQ(g.vehicle.samples.size(), 2u);
    EXPECT_NEAR(g.vehicle.samples[0].time, MakeDateTime(2021, 5, 14, 12), 1e-9) << "10:00 UTC in May";

    SYSTEMTIME local;
    GetLocalTime(&local);
    double localNow = 0;
    SystemTimeToVariantTime(&local, &localNow);
    EXPECT_NEAR(UtcToLocal(NowUtc()), localNow, 2.0 / kSecondsPerDay);
}

TEST(GpxFile, TwoHundredThousandPoints)
{
    Com com;
    std::string points;
    points.reserve(200000 * 110);
    char buf[160];
    for (int i = 0; i < 200000; ++i) {
        const int up = i % 4000 < 2000 ? i % 4000 : 4000 - i % 4000;  // back and forth at 20 km/h
        std::snprintf(buf, sizeof buf,
                      "<trkpt lat=\"%.7f\" lon=\"37.6\"><ele>150</ele><time>2021-05-%02dT%02d:%02d:%02dZ</time></trkpt>\n",
                      55.7 + up * 5e-5, 14 + i / 86400, i / 3600 % 24, i / 60 % 60, i % 60);
        points += buf;
    }
    const GpxFileImport g = Import(Gpx11(Track("long", points)));
    ASSERT_TRUE(g.usable) << Report(g);
    EXPECT_EQ(g.vehicle.samples.size(), 200000u);
    EXPECT_EQ(Summary(g).rfind("200,000 points, none skipped, ", 0), 0u) << Summary(g);
}
