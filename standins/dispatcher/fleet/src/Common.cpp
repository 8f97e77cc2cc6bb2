// Geometry, calendar and text helpers of the fleet data.
#include "kxfleet/Fleet.h"

#include <cmath>
#include <cstdio>

namespace kxfleet {

namespace {
constexpr double kPi = 3.14159265358979323846;
double Rad(double deg) { return deg * kPi / 180.0; }

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr long DaysFromCivil(long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

void CivilFromDays(long z, int &y, int &m, int &d)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<long>(yoe) + era * 400 + (m <= 2));
}

// 1899-12-30 is day 0 of OLE dates; a constant, so that dates made while
// other files initialise their statics are right too.
constexpr long kOleEpoch = DaysFromCivil(1899, 12, 30);
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
    const long days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kOleEpoch;
    return static_cast<double>(days) + (hour * 3600.0 + minute * 60.0 + second) / kSecondsPerDay;
}

CivilTime SplitDateTime(double t)
{
    // OLE dates before day 0 count the fraction away from zero; the fleet's
    // dates are all positive, so plain arithmetic is enough.
    const long long total = std::llround(t * kSecondsPerDay);
    long long days = total / 86400, secs = total % 86400;
    if (secs < 0) { secs += 86400; --days; }
    CivilTime c{};
    CivilFromDays(static_cast<long>(days) + kOleEpoch, c.year, c.month, c.day);
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
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap);
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
