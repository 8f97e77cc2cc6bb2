#include "TripExport.h"

#include <windows.h>

#include <cmath>
#include <map>

#include "ReplacedFile.h"
#include "XmlDocument.h"

#include "kx/error.h"
#include "kx/report.h"
#include "kx/text.h"

namespace {

const wchar_t kGpxNamespace[] = L"http://www.topografix.com/GPX/1/1";
const wchar_t kKmlNamespace[] = L"http://www.opengis.net/kml/2.2";

// OLE dates and file times: days from 30.12.1899 against 100 ns from 1601.
constexpr double kOleEpochInFileDays = 109205.0;
constexpr double kFileTicksPerDay = 864000000000.0;

bool OleToSystemTime(double ole, SYSTEMTIME &out)
{
    const double ticks = std::floor((ole + kOleEpochInFileDays) * kFileTicksPerDay + 0.5);
    if (!(ticks >= 0) || ticks > 9.0e18)
        return false;
    const unsigned long long value = static_cast<unsigned long long>(ticks);
    FILETIME ft{static_cast<DWORD>(value & 0xFFFFFFFFull), static_cast<DWORD>(value >> 32)};
    return FileTimeToSystemTime(&ft, &out) != FALSE;
}

bool SystemTimeToOle(const SYSTEMTIME &st, double &out)
{
    FILETIME ft;
    if (!SystemTimeToFileTime(&st, &ft))
        return false;
    const unsigned long long ticks = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    out = static_cast<double>(ticks) / kFileTicksPerDay - kOleEpochInFileDays;
    return true;
}

std::wstring W(const std::string &utf8)
{
    return kx::ToWide(utf8);
}

std::wstring VehicleTitle(const TTripDescription &trip)
{
    std::wstring title = trip.vehicleName;
    if (!trip.vehicleNumber.empty())
        title += (title.empty() ? L"" : L", ") + trip.vehicleNumber;
    return title;
}

std::wstring TripTitle(const TTripDescription &trip)
{
    const std::wstring vehicle = VehicleTitle(trip);
    return L"Рейс " + std::to_wstring(trip.tripNumber) + (vehicle.empty() ? L"" : L": " + vehicle);
}

// "Автомобиль ..., рейс с 04.02.2009 08:00:00 по 04.02.2009 09:30:00 (местное время)".
std::wstring TripDescriptionText(const kx::Track &track, const TTripDescription &trip)
{
    return L"Автомобиль " + trip.vehicleName + L", гос. номер " + trip.vehicleNumber + L"; рейс " +
           std::to_wstring(trip.tripNumber) + L" с " + W(kx::FormatFixedDateTime(track.startTime())) + L" по " +
           W(kx::FormatFixedDateTime(track.endTime())) + L" (местное время)";
}

std::wstring UtcText(double local)
{
    return W(kx::IsoUtcText(LocalToUtc(local)));
}

void WriteGpx(const kx::Track &track, const TTripDescription &trip, const std::wstring &path)
{
    TXmlDocument document;
    document.Create(L"gpx", kGpxNamespace);
    TXmlElement gpx = document.Root();
    gpx.SetAttribute(L"version", L"1.1");
    gpx.SetAttribute(L"creator", L"KXPlayerPlugin");
    TXmlElement metadata = gpx.Append(L"metadata");
    metadata.Append(L"name").SetText(TripTitle(trip));
    metadata.Append(L"desc").SetText(TripDescriptionText(track, trip));
    metadata.Append(L"time").SetText(UtcText(track.startTime()));
    TXmlElement trk = gpx.Append(L"trk");
    trk.Append(L"name").SetText(TripTitle(trip));
    TXmlElement segment = trk.Append(L"trkseg");
    const kx::TMapPointArray &geo = track.geoPoints();
    for (int k = 0; k < track.count(); ++k) {
        TXmlElement point = segment.Append(L"trkpt");
        point.SetAttribute(L"lat", W(kx::DegreesText(geo[static_cast<size_t>(k)].Y)));
        point.SetAttribute(L"lon", W(kx::DegreesText(geo[static_cast<size_t>(k)].X)));
        point.Append(L"time").SetText(UtcText(track.time(k)));
    }
    document.Save(path);
}

void WriteKml(const kx::Track &track, const TTripDescription &trip, const std::wstring &path)
{
    TXmlDocument document;
    document.Create(L"kml", kKmlNamespace);
    TXmlElement kml = document.Root();
    TXmlElement doc = kml.Append(L"Document");
    doc.Append(L"name").SetText(TripTitle(trip));
    doc.Append(L"description").SetText(TripDescriptionText(track, trip));
    TXmlElement placemark = doc.Append(L"Placemark");
    placemark.Append(L"name").SetText(TripTitle(trip));
    TXmlElement span = placemark.Append(L"TimeSpan");
    span.Append(L"begin").SetText(UtcText(track.startTime()));
    span.Append(L"end").SetText(UtcText(track.endTime()));
    TXmlElement line = placemark.Append(L"LineString");
    line.Append(L"tessellate").SetText(L"1");
    std::string coordinates;
    const kx::TMapPointArray &geo = track.geoPoints();
    for (const kx::TMapPoint &p : geo) {
        if (!coordinates.empty())
            coordinates += ' ';
        coordinates += kx::DegreesText(p.X) + "," + kx::DegreesText(p.Y) + ",0";
    }
    line.Append(L"coordinates").SetText(W(coordinates));
    document.Save(path);
}

}  // namespace

const std::wstring &ExportFilter()
{
    static const wchar_t kFilter[] = L"GPX 1.1 (*.gpx)\0*.gpx\0KML 2.2 (*.kml)\0*.kml\0CSV (*.csv)\0*.csv\0";
    // The terminating pair of nulls: the array's last and the string's own.
    static const std::wstring filter(kFilter, sizeof kFilter / sizeof kFilter[0]);
    return filter;
}

TExportFormat ExportFormatFor(const std::wstring &path, int filterIndex)
{
    const size_t dot = path.find_last_of(L'.');
    const size_t slash = path.find_last_of(L"\\/");
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) {
        const std::string extension = kx::ToUtf8(path.substr(dot + 1));
        if (kx::EqualsIgnoreCaseAscii(extension, "gpx"))
            return TExportFormat::Gpx;
        if (kx::EqualsIgnoreCaseAscii(extension, "kml"))
            return TExportFormat::Kml;
        if (kx::EqualsIgnoreCaseAscii(extension, "csv"))
            return TExportFormat::Csv;
    }
    return filterIndex == 2 ? TExportFormat::Kml : filterIndex == 3 ? TExportFormat::Csv : TExportFormat::Gpx;
}

std::wstring SuggestedExportName(const TTripDescription &trip, TExportFormat format)
{
    std::wstring name = L"Рейс " + std::to_wstring(trip.tripNumber);
    if (!trip.vehicleNumber.empty())
        name += L" " + trip.vehicleNumber;
    // Characters a file name cannot hold.
    for (wchar_t &c : name)
        if (wcschr(L"\\/:*?\"<>|", c))
            c = L'_';
    return name + (format == TExportFormat::Kml ? L".kml" : format == TExportFormat::Csv ? L".csv" : L".gpx");
}

double LocalToUtc(double local)
{
    // One system call per quarter of an hour, as the import does the other way.
    static std::map<long long, double> offsets;
    const long long quarter = static_cast<long long>(std::floor(local * 96));
    const auto known = offsets.find(quarter);
    if (known != offsets.end())
        return local + known->second;
    SYSTEMTIME stLocal, stUtc;
    double offset = 0, utc = 0;
    const double at = quarter / 96.0;
    if (OleToSystemTime(at, stLocal) && TzSpecificLocalTimeToSystemTime(nullptr, &stLocal, &stUtc) &&
        SystemTimeToOle(stUtc, utc))
        offset = utc - at;
    if (offsets.size() > 100000)
        offsets.clear();
    offsets.emplace(quarter, offset);
    return local + offset;
}

void ExportTrip(const kx::Track &track, const TTripDescription &trip, TExportFormat format, const std::wstring &path,
                char decimalSeparator)
{
    try {
        if (track.empty())
            throw kx::Error("в рейсе нет точек");
        switch (format) {
        case TExportFormat::Csv:
            WriteWholeFile(path, kx::TrackCsv(track, decimalSeparator));
            break;
        case TExportFormat::Kml:
            WriteThroughTemporary(path, [&](const std::wstring &temporary) { WriteKml(track, trip, temporary); });
            break;
        default:
            WriteThroughTemporary(path, [&](const std::wstring &temporary) { WriteGpx(track, trip, temporary); });
            break;
        }
    } catch (const kx::Error &e) {
        throw kx::Error("Рейс не сохранён в файл " + kx::ToUtf8(path) + ": " + e.what());
    } catch (const std::bad_alloc &) {
        throw kx::Error("Рейс не сохранён в файл " + kx::ToUtf8(path) + ": недостаточно памяти");
    }
}
