// Points of GPX recordings: checked one by one, so that a bad point costs
// that point and not the file, then sorted and rid of position glitches.
#include "kxfleet/Gpx.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kxfleet {

namespace {

// Points this close ahead are looked at to tell a glitch, after which the
// track comes back, from a track that goes on from a new place.
constexpr size_t kLookaheadPoints = 100;
constexpr double kLookaheadDays = 600 / kSecondsPerDay;

std::string Trim(const std::string &s)
{
    const size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

// The offending text for the log: short, and without control characters.
std::string Quoted(const std::string &text)
{
    std::string s = text.size() > 40 ? text.substr(0, 40) + "..." : text;
    for (char &c : s)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return "\"" + s + "\"";
}

// Exactly `count` digits at p.
bool Digits(const char *&p, int count, int &out)
{
    out = 0;
    for (int i = 0; i < count; ++i, ++p) {
        if (*p < '0' || *p > '9') return false;
        out = out * 10 + (*p - '0');
    }
    return true;
}

bool Expect(const char *&p, const char *chars)
{
    if (!*p || !std::strchr(chars, *p)) return false;
    ++p;
    return true;
}

std::string Grouped(size_t n)
{
    std::string digits = std::to_string(n), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string Counted(size_t n, const char *one, const char *many)
{
    return Grouped(n) + " " + (n == 1 ? one : many);
}

class GlitchFilter {
public:
    explicit GlitchFilter(const GpxImportOptions &opt) : mps_(opt.maxSpeedKmh / 3.6), jitter_(opt.jitterMetres) {}

    bool Impossible(const Sample &a, const Sample &b) const
    {
        const double seconds = std::fabs(b.time - a.time) * kSecondsPerDay;
        return DistanceMetres(a.pos, b.pos) > mps_ * seconds + jitter_;
    }

    // Whether point i of the sorted samples is a glitch, given the points
    // kept before it.
    bool IsGlitch(const std::vector<Sample> &s, size_t i, const std::vector<Sample> &kept) const
    {
        if (kept.empty())  // the first: out of reach of the next, which agrees with the one after
            return i + 2 < s.size() && Impossible(s[i], s[i + 1]) && !Impossible(s[i + 1], s[i + 2]);
        const Sample &last = kept.back();
        if (!Impossible(last, s[i])) return false;
        // The last: out of reach of a track that agreed with itself before.
        if (i + 1 == s.size()) return kept.size() >= 2 && !Impossible(kept[kept.size() - 2], last);
        // Out of reach: a glitch when the track comes back soon; when it
        // never does, the vehicle went on from the new place (carried while
        // the receiver was off, say) and the point stays.
        for (size_t k = i + 1; k < s.size() && k <= i + kLookaheadPoints && s[k].time - s[i].time <= kLookaheadDays; ++k)
            if (!Impossible(last, s[k])) return true;
        return false;
    }

    double SpeedKmh(const Sample &a, const Sample &b) const
    {
        const double seconds = std::fabs(b.time - a.time) * kSecondsPerDay;
        return DistanceMetres(a.pos, b.pos) / std::max(seconds, 1.0) * 3.6;
    }

private:
    double mps_, jitter_;
};

}  // namespace

bool ParseGpxCoordinate(const std::string &text, double limit, double &out)
{
    const std::string s = Trim(text);
    // Digits, sign, point and exponent only: no "nan", "inf", hex or comma.
    if (s.empty() || s.find_first_not_of("0123456789+-.eE") != std::string::npos) return false;
    char *end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !std::isfinite(v) || std::fabs(v) > limit) return false;
    out = v;
    return true;
}

bool ParseGpxTime(const std::string &text, double &utc)
{
    const std::string s = Trim(text);
    const char *p = s.c_str();
    int y, mo, d, h, mi, sec;
    if (!Digits(p, 4, y) || !Expect(p, "-") || !Digits(p, 2, mo) || !Expect(p, "-") || !Digits(p, 2, d) ||
        !Expect(p, "Tt ") || !Digits(p, 2, h) || !Expect(p, ":") || !Digits(p, 2, mi) || !Expect(p, ":") ||
        !Digits(p, 2, sec))
        return false;
    double fraction = 0;
    if (*p == '.') {
        double scale = 0.1;
        if (p[1] < '0' || p[1] > '9') return false;
        for (++p; *p >= '0' && *p <= '9'; ++p, scale /= 10) fraction += (*p - '0') * scale;
    }
    int offsetMinutes = 0;
    if (*p == 'Z' || *p == 'z') {
        ++p;
    } else if (*p == '+' || *p == '-') {
        const int sign = *p++ == '-' ? -1 : 1;
        int oh, om = 0;
        if (!Digits(p, 2, oh)) return false;
        const bool colon = *p == ':';
        if (colon) ++p;
        if ((colon || *p) && !Digits(p, 2, om)) return false;
        if (oh > 14 || om > 59) return false;
        offsetMinutes = sign * (oh * 60 + om);
    }
    // A leap second (60) is allowed; it reads as the next minute's first.
    if (*p || !IsRealDate(y, mo, d) || h > 23 || mi > 59 || sec > 60) return false;
    utc = MakeDateTime(y, mo, d, h, mi, sec + fraction) - offsetMinutes / 1440.0;
    return true;
}

GpxImport ImportGpxPoints(const std::vector<GpxPointText> &points, double nowUtc, const GpxImportOptions &opt)
{
    GpxImport out;
    out.points = points.size();
    auto skip = [&](size_t index, GpxSkipReason reason, std::string detail) {
        size_t &count = reason == GpxSkipReason::BadCoordinates ? out.badCoordinates
                        : reason == GpxSkipReason::BadTime      ? out.badTimes
                                                                : out.glitches;
        ++count;
        if (out.skips.size() < kGpxSkipsDescribed) out.skips.push_back({index + 1, reason, std::move(detail)});
    };

    // Each sample with its place in the file, for the glitches' reports.
    std::vector<std::pair<Sample, size_t>> read;
    read.reserve(points.size());
    // Before the satellites' own epoch no receiver recorded anything.
    const double earliest = MakeDateTime(1980, 1, 1), latest = nowUtc + 1;
    for (size_t i = 0; i < points.size(); ++i) {
        const GpxPointText &p = points[i];
        Sample s;
        if (!ParseGpxCoordinate(p.lat, 90, s.pos.lat) || !ParseGpxCoordinate(p.lon, 180, s.pos.lon)) {
            skip(i, GpxSkipReason::BadCoordinates, "lat=" + Quoted(p.lat) + " lon=" + Quoted(p.lon));
            continue;
        }
        if (Trim(p.time).empty()) {
            skip(i, GpxSkipReason::BadTime, "no time");
            continue;
        }
        if (!ParseGpxTime(p.time, s.time)) {
            skip(i, GpxSkipReason::BadTime, "unreadable " + Quoted(p.time));
            continue;
        }
        if (s.time < earliest || s.time > latest) {
            skip(i, GpxSkipReason::BadTime, "impossible " + Quoted(p.time));
            continue;
        }
        double mps;
        // A speed no road vehicle reaches is the receiver's error: derived instead.
        if (!p.speed.empty() && ParseGpxCoordinate(p.speed, opt.maxSpeedKmh / 3.6, mps) && mps >= 0)
            s.speed = mps * 3.6;
        read.emplace_back(s, i);
    }
    // Devices write in order, but merged files need not be.
    std::stable_sort(read.begin(), read.end(),
                     [](const auto &a, const auto &b) { return a.first.time < b.first.time; });

    std::vector<Sample> sorted;
    sorted.reserve(read.size());
    for (const auto &r : read) sorted.push_back(r.first);
    const GlitchFilter filter(opt);
    out.samples.reserve(sorted.size());
    for (size_t i = 0; i < sorted.size(); ++i) {
        if (!filter.IsGlitch(sorted, i, out.samples)) {
            out.samples.push_back(sorted[i]);
            continue;
        }
        const bool first = out.samples.empty();
        const Sample &neighbour = first ? sorted[i + 1] : out.samples.back();
        char speed[64];
        std::snprintf(speed, sizeof speed, "%s km/h", Grouped(static_cast<size_t>(
                                                          std::min(filter.SpeedKmh(neighbour, sorted[i]), 1e15))).c_str());
        skip(read[i].second, GpxSkipReason::Glitch,
             std::string(speed) + (first ? " to the point after" : " from the point before"));
    }
    return out;
}

void ToLocalTimes(std::vector<Sample> &samples, const std::function<double(double)> &toLocal)
{
    double latest = -1e300;
    for (Sample &s : samples) {
        s.time = std::max(toLocal(s.time), latest);
        latest = s.time;
    }
}

std::string DescribeGpxSkip(const GpxSkip &skip)
{
    const char *what = skip.reason == GpxSkipReason::BadCoordinates ? "bad coordinates"
                       : skip.reason == GpxSkipReason::BadTime      ? "bad time"
                                                                    : "position glitch";
    return "point " + Grouped(skip.point) + ": " + what + ", " + skip.detail;
}

std::string GpxSummary(const GpxImport &import, size_t trips)
{
    std::string s = Counted(import.points, "point", "points") + ", ";
    if (import.Skipped() == 0) {
        s += "none skipped";
    } else {
        std::vector<std::string> why;
        if (import.badCoordinates) why.push_back(Grouped(import.badCoordinates) + " bad coordinates");
        if (import.badTimes) why.push_back(Counted(import.badTimes, "bad time", "bad times"));
        if (import.glitches) why.push_back(Counted(import.glitches, "position glitch", "position glitches"));
        s += Grouped(import.Skipped()) + " skipped (";
        for (size_t i = 0; i < why.size(); ++i) s += (i ? ", " : "") + why[i];
        s += ")";
    }
    return s + ", " + Counted(trips, "trip", "trips");
}

}  // namespace kxfleet
