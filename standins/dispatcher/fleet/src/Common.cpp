// Geometry, calendar and text helpers of the fleet data.
#include "kxfleet/Fleet.h"

#include "kx/datetime.h"

#include <cmath>
#include <cstdio>

namespace kxfleet {

namespace {
constexpr double kPi = 3.14159265358979323846;
double Rad(double deg) { return deg * kPi / 180.0; }

}  // namespace

double DistanceMetres(GeoPoint a, GeoPoint b)
{
    const double dLat = Rad(b.lat - a.lat), dLon = Rad(b.lon - a.lon);
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(Rad(a.lat)) * std::cos(Rad(b.lat)) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kEarthRadiusM * std::asin(std::sqrt(std::fmin(1.0, h)));
}

GeoPoint Lerp(GeoPoint a, GeoPoint b, double t)
{
    return {a.lon + (b.lon - a.lon) * t, a.lat + (b.lat - a.lat) * t};
}

double MakeDateTime(int year, int month, int day, int hour, int minute, double second)
{
    // The time of day keeps its fractions of a second.
    return kx::EncodeDate(year, month, day) + (hour * 3600.0 + minute * 60.0 + second) / kSecondsPerDay;
}

CivilTime SplitDateTime(double t)
{
    // OLE dates before day 0 count the fraction away from zero; the fleet's
    // dates are all positive, so plain arithmetic is enough.
    const long long total = std::llround(t * kSecondsPerDay);
    long long days = total / 86400, secs = total % 86400;
    if (secs < 0) { secs += 86400; --days; }
    const kx::CivilDateTime date = kx::DecodeDateTime(static_cast<double>(days));
    CivilTime c{};
    c.year = date.year;
    c.month = date.month;
    c.day = date.day;
    c.hour = static_cast<int>(secs / 3600);
    c.minute = static_cast<int>(secs / 60 % 60);
    c.second = static_cast<int>(secs % 60);
    return c;
}

std::string FormatDuration(double days)
{
    long long secs = std::llround(days * kSecondsPerDay);
    if (secs < 0) secs = 0;
    const long long d = secs / 86400;
    char buf[48];
    if (d > 0)
        std::snprintf(buf, sizeof buf, "%lld %02lld:%02lld:%02lld", d, secs / 3600 % 24, secs / 60 % 60, secs % 60);
    else
        std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", secs / 3600, secs / 60 % 60, secs % 60);
    return buf;
}

bool IsRealDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    return day <= kx::DaysInMonth(year, month);
}

bool ParseDotDateTime(const std::string &text, double &out)
{
    int d, mo, y, h, mi, s = 0, n = 0;
    const char *p = text.c_str();
    if (std::sscanf(p, "%2d.%2d.%4d %2d:%2d%n", &d, &mo, &y, &h, &mi, &n) != 5) return false;
    p += n;
    if (*p == ':') {
        int n2 = 0;
        if (std::sscanf(p, ":%2d%n", &s, &n2) != 1) return false;
        p += n2;
    }
    while (*p == ' ') ++p;
    if (*p) return false;
    if (y < 1900 || y > 9999 || !IsRealDate(y, mo, d) || h > 23 || h < 0 || mi < 0 || mi > 59 || s < 0 || s > 59)
        return false;
    out = MakeDateTime(y, mo, d, h, mi, s);
    return true;
}

std::string FormatDotDateTime(double t)
{
    const CivilTime c = SplitDateTime(t);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d:%02d:%02d", c.day, c.month, c.year, c.hour, c.minute, c.second);
    return buf;
}

const Group *Fleet::FindGroup(const std::string &key) const
{
    for (const Group &g : groups)
        if (g.key == key) return &g;
    return nullptr;
}

const Vehicle *Fleet::FindVehicle(int device) const
{
    for (const Vehicle &v : vehicles)
        if (v.device == device) return &v;
    return nullptr;
}

void Fleet::AddVehicle(Vehicle v, const std::string &groupKey, const std::string &groupName)
{
    Group *g = nullptr;
    for (Group &x : groups)
        if (x.key == groupKey) g = &x;
    if (!g) {
        groups.push_back(Group{groupKey, groupName, {}, {}});
        g = &groups.back();
    }
    v.groupKey = groupKey;
    g->vehicles.push_back(static_cast<int>(vehicles.size()));
    vehicles.push_back(std::move(v));
}

bool LastKnownPosition(const Vehicle &v, Sample &out)
{
    for (auto it = v.samples.rbegin(); it != v.samples.rend(); ++it)
        if (it->fix) { out = *it; return true; }
    return false;
}

const std::vector<std::string> &ListQueries()
{
    static const std::vector<std::string> q = {
        "checkpoints-stages", "parks", "blinds", "power_off", "over_speed", "tank-num1", "tank-num2",
        "sensor_on-num1", "sensor_on-num2", "sensor_on-num3", "sensor_on-num4", "sensor_on-num5", "sensor_on-num6"};
    return q;
}

}  // namespace kxfleet
