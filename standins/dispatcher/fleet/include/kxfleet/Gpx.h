// GPX recordings, from the texts an XML reader found in a file to the samples
// of a vehicle: each point checked on its own (coordinates, time, a real
// date), the points sorted by time, position glitches dropped, every skip
// counted with its reason, and the file's one-line summary. Portable: the XML
// itself is read on the Windows side (standins/dispatcher/gpx), which hands
// the texts over and turns the UTC times into the machine's local time.
//
// Ownership: plain values throughout; the caller owns what it passes in and
// what it gets back.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "kxfleet/Fleet.h"

namespace kxfleet {

// One <trkpt> or <rtept> as the file wrote it, unchecked (UTF-8).
struct GpxPointText {
    std::string lat, lon;  // the attributes; empty when missing
    std::string time;      // <time>; empty when the point has none
    std::string speed;     // <speed> in m/s, its own or one in <extensions>; empty when none
};

struct GpxImportOptions {
    // Faster than this from its neighbour, a point is a position glitch.
    // Road vehicles stay well below it; a receiver's jump does not.
    double maxSpeedKmh = 250;
    // Allowed on top of that distance: a receiver's noise between points
    // close in time (or with the same time).
    double jitterMetres = 50;
};

enum class GpxSkipReason { BadCoordinates, BadTime, Glitch };

struct GpxSkip {
    size_t point = 0;  // 1-based, in the file's order
    GpxSkipReason reason = GpxSkipReason::BadCoordinates;
    std::string detail;  // what was wrong, with the offending text shortened
};

struct GpxImport {
    std::vector<Sample> samples;  // UTC OLE times, sorted
    size_t points = 0;            // points found in the file
    size_t badCoordinates = 0, badTimes = 0, glitches = 0;
    std::vector<GpxSkip> skips;   // the first kGpxSkipsDescribed of them
    size_t Skipped() const { return badCoordinates + badTimes + glitches; }
};
// More would flood the log of a file whose every point is bad.
constexpr size_t kGpxSkipsDescribed = 20;

// Checks, sorts and filters the points. Times before 1980 or more than a day
// after `nowUtc` (the clock, an OLE date in UTC) are impossible.
GpxImport ImportGpxPoints(const std::vector<GpxPointText> &points, double nowUtc, const GpxImportOptions &opt = {});

// A decimal number with a point ("55.75"), finite, within [-limit, limit].
bool ParseGpxCoordinate(const std::string &text, double limit, double &out);
// "yyyy-mm-ddThh:mm:ss[.fff][Z|+hh:mm|-hh:mm|+hhmm|+hh]" of a real date, as
// a UTC OLE date; no zone is UTC.
bool ParseGpxTime(const std::string &text, double &utc);

// Turns the sorted UTC times into local ones through `toLocal`. Where the
// clocks go back (the repeated hour of autumn) local times would run
// backwards; they are held at the latest one instead, so samples stay sorted.
void ToLocalTimes(std::vector<Sample> &samples, const std::function<double(double)> &toLocal);

// "point 17: bad coordinates lat=\"91\" lon=\"37.6\""
std::string DescribeGpxSkip(const GpxSkip &skip);
// "7,745 points, 3 skipped (2 bad coordinates, 1 bad time), 1 trip"
std::string GpxSummary(const GpxImport &import, size_t trips);

}  // namespace kxfleet
