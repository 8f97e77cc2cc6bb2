#include "GpxFile.h"

#include <windows.h>
#include <oleauto.h>

#include <cmath>
#include <map>

#include "XmlDocument.h"
#include "kx/error.h"
#include "kx/text.h"

namespace {

// <extensions> nest speeds a level or two deep (a track point extension
// element around them); deeper than this is not looked at.
constexpr int kExtensionDepth = 4;

std::string FindSpeed(const TXmlElement &element, int depth)
{
    for (const TXmlElement &child : element.Children()) {
        if (child.LocalName() == L"speed") return kx::ToUtf8(child.Text());
        if (depth > 0) {
            std::string speed = FindSpeed(child, depth - 1);
            if (!speed.empty()) return speed;
        }
    }
    return {};
}

kxfleet::GpxPointText ReadPoint(const TXmlElement &point)
{
    kxfleet::GpxPointText p;
    p.lat = kx::ToUtf8(point.Attribute(L"lat").value_or(L""));
    p.lon = kx::ToUtf8(point.Attribute(L"lon").value_or(L""));
    for (const TXmlElement &child : point.Children()) {
        const std::wstring name = child.LocalName();
        if (name == L"time") p.time = kx::ToUtf8(child.Text());
        else if (name == L"speed" && p.speed.empty()) p.speed = kx::ToUtf8(child.Text());  // GPX 1.0
        else if (name == L"extensions" && p.speed.empty()) p.speed = FindSpeed(child, kExtensionDepth);  // GPX 1.1
    }
    return p;
}

void ReadPoints(const TXmlElement &parent, const wchar_t *pointName, GpxDocument &out)
{
    for (const TXmlElement &child : parent.Children())
        if (child.LocalName() == pointName) out.points.push_back(ReadPoint(child));
}

void TakeName(const TXmlElement &trackOrRoute, GpxDocument &out)
{
    if (!out.name.empty()) return;
    for (const TXmlElement &child : trackOrRoute.Children())
        if (child.LocalName() == L"name") {
            out.name = kx::ToUtf8(child.Text());
            return;
        }
}

std::wstring FileName(const std::wstring &path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

double FileTimeToOle(const FILETIME &ft)
{
    ULARGE_INTEGER ticks;
    ticks.LowPart = ft.dwLowDateTime;
    ticks.HighPart = ft.dwHighDateTime;
    // FILETIME counts 100 ns from 1601-01-01, which is OLE day -109205.
    return static_cast<double>(ticks.QuadPart) / (kxfleet::kSecondsPerDay * 1e7) - 109205.0;
}

bool OleToFileTime(double ole, FILETIME &ft)
{
    const double ticks = std::floor((ole + 109205.0) * kxfleet::kSecondsPerDay * 1e7);
    if (!(ticks >= 0 && ticks < 9e18)) return false;
    ULARGE_INTEGER t;
    t.QuadPart = static_cast<unsigned long long>(ticks);
    ft.dwLowDateTime = t.LowPart;
    ft.dwHighDateTime = t.HighPart;
    return true;
}

}  // namespace

GpxDocument ReadGpxDocument(const std::wstring &path)
{
    TXmlDocument document;
    document.Load(path);
    const TXmlElement root = document.Root();
    if (!root || root.LocalName() != L"gpx")
        throw kx::Error("no GPX: the document element is <" + (root ? kx::ToUtf8(root.Name()) : std::string()) + ">");
    GpxDocument out;
    for (const TXmlElement &child : root.Children()) {
        const std::wstring name = child.LocalName();
        if (name == L"trk") {
            TakeName(child, out);
            for (const TXmlElement &segment : child.Children())
                if (segment.LocalName() == L"trkseg") ReadPoints(segment, L"trkpt", out);
        } else if (name == L"rte") {
            TakeName(child, out);
            ReadPoints(child, L"rtept", out);
        }
    }
    return out;
}

double UtcToLocal(double utc)
{
    // Daylight saving starts and ends on a quarter of an hour, so one offset
    // serves every point of the same quarter: one system call a quarter.
    static std::map<long long, double> offsets;
    const long long quarter = static_cast<long long>(std::floor(utc * 96));
    const auto known = offsets.find(quarter);
    if (known != offsets.end()) return utc + known->second;
    FILETIME ftUtc, ftLocal;
    SYSTEMTIME stUtc, stLocal;
    double offset = 0;
    if (OleToFileTime(quarter / 96.0, ftUtc) && FileTimeToSystemTime(&ftUtc, &stUtc) &&
        SystemTimeToTzSpecificLocalTime(nullptr, &stUtc, &stLocal) && SystemTimeToFileTime(&stLocal, &ftLocal))
        offset = FileTimeToOle(ftLocal) - FileTimeToOle(ftUtc);
    if (offsets.size() > 100000) offsets.clear();
    offsets.emplace(quarter, offset);
    return utc + offset;
}

double NowUtc()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return FileTimeToOle(now);
}

GpxFileImport ImportGpxFile(const std::wstring &path, double nowUtc, const kxfleet::GpxImportOptions &options,
                            const kxfleet::DeriveOptions &derive)
{
    GpxFileImport out;
    const std::wstring prefix = path + L": ";
    GpxDocument document;
    try {
        document = ReadGpxDocument(path);
    } catch (const std::exception &e) {
        out.report.push_back(prefix + L"not read: " + kx::ToWide(e.what()));
        return out;
    }
    if (document.points.empty()) {
        out.report.push_back(prefix + L"not used: no track or route points");
        return out;
    }
    kxfleet::GpxImport imported = kxfleet::ImportGpxPoints(document.points, nowUtc, options);
    for (const kxfleet::GpxSkip &skip : imported.skips) out.report.push_back(prefix + kx::ToWide(kxfleet::DescribeGpxSkip(skip)));
    if (imported.Skipped() > imported.skips.size())
        out.report.push_back(prefix + L"and " + std::to_wstring(imported.Skipped() - imported.skips.size()) +
                             L" more skipped points");
    kxfleet::ToLocalTimes(imported.samples, UtcToLocal);
    out.vehicle.name = document.name.empty() ? kx::ToUtf8(FileName(path)) : document.name;
    out.vehicle.samples = std::move(imported.samples);
    size_t trips = 0;
    if (!out.vehicle.samples.empty())
        trips = kxfleet::ComputeTrips(out.vehicle, {}, out.vehicle.samples.front().time,
                                      out.vehicle.samples.back().time, derive)
                    .size();
    out.report.push_back(prefix + kx::ToWide(kxfleet::GpxSummary(imported, trips)));
    out.usable = !out.vehicle.samples.empty();
    if (!out.usable) out.report.push_back(prefix + L"not used: every point was skipped");
    return out;
}
