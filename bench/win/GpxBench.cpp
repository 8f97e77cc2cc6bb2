// The GPX import of a 200,000-point recording under Wine: the platform's
// parser and the walk over its document, the checks of the points, and the
// whole import as the stand-in dispatcher does it (local times and trips
// included). Prints its figures; not a test.
#include "GpxFile.h"
#include "XmlDocument.h"

#include <objbase.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "kx/text.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// A drive back and forth at 20 km/h, a point a second, with an extension
// speed as many devices write it.
std::string Recording(int points)
{
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<gpx version=\"1.1\" creator=\"bench\" xmlns=\"http://www.topografix.com/GPX/1/1\">"
                    "<trk><name>bench</name><trkseg>\n";
    char buf[256];
    for (int i = 0; i < points; ++i) {
        const int up = i % 4000 < 2000 ? i % 4000 : 4000 - i % 4000;
        std::snprintf(buf, sizeof buf,
                      "<trkpt lat=\"%.7f\" lon=\"37.6\"><ele>150.0</ele><time>2021-05-%02dT%02d:%02d:%02dZ</time>"
                      "<extensions><speed>5.5</speed></extensions></trkpt>\n",
                      55.7 + up * 5e-5, 14 + i / 86400, i / 3600 % 24, i / 60 % 60, i % 60);
        s += buf;
    }
    return s + "</trkseg></trk></gpx>\n";
}

}  // namespace

int main()
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int points = 200000;
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"kxgpx-bench.gpx";
    const std::string text = Recording(points);
    std::ofstream(kx::ToUtf8(path), std::ios::binary) << text;
    std::printf("GPX import of %d points (%.1f MB), best of 3:\n", points, text.size() / 1e6);

    double load = 1e300, read = 1e300, check = 1e300, whole = 1e300;
    size_t samples = 0;
    for (int run = 0; run < 3; ++run) {
        auto t0 = Clock::now();
        {
            TXmlDocument parsed;
            parsed.Load(path);
            load = std::min(load, MsSince(t0));
        }
        t0 = Clock::now();
        const GpxDocument doc = ReadGpxDocument(path);
        read = std::min(read, MsSince(t0));
        t0 = Clock::now();
        const kxfleet::GpxImport imported = kxfleet::ImportGpxPoints(doc.points, NowUtc());
        check = std::min(check, MsSince(t0));
        t0 = Clock::now();
        const GpxFileImport file = ImportGpxFile(path, NowUtc(), {}, {});
        whole = std::min(whole, MsSince(t0));
        samples = file.vehicle.samples.size();
        if (run == 0) std::printf("  %s\n", kx::ToUtf8(file.report.back()).c_str());
    }
    std::printf("  parse alone:                 %8.0f ms\n", load);
    std::printf("  parse and walk the document: %8.0f ms\n", read);
    std::printf("  check, sort, drop glitches:  %8.0f ms\n", check);
    std::printf("  whole import (local times, trips): %.0f ms, %zu samples\n", whole, samples);
    DeleteFileW(path.c_str());
    CoUninitialize();
    return samples == static_cast<size_t>(points) ? 0 : 1;
}
