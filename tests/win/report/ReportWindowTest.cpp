// The report window on its own and the files it writes: tracks of one and
// two points and of equal times draw and answer clicks; a GPX file read by
// the stand-in dispatcher's import gives the same points; KML and CSV hold
// what they should; a file that cannot be written leaves nothing behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <cmath>

#include "GpxFile.h"
#include "ReportTestFiles.h"
#include "ReportWindow.h"
#include "TripExport.h"
#include "XmlDocument.h"

#include "kx/error.h"
#include "kx/text.h"

namespace {

constexpr double kSec = 1.0 / 86400;
const double kStart = 39850.0 + 8.0 / 24;  // 06.02.2009 08:00 local

// Points along a street, `step` seconds apart, with their recorded values.
kx::Track StreetTrack(int points, int step)
{
    std::vector<double> crds;
    for (int k = 0; k < points; ++k)
        crds.insert(crds.end(), {kStart + k * step * kSec, 37.6 + k * 1.23456789e-4, 55.75 + k * 3.1e-5, k * 9.0,
                                 k % 5 == 0 ? 0.0 : 32.4});
    return kx::Track::FromCrds(crds);
}

std::wstring TempFile(const wchar_t *name)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

class ReportWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        TReportActions actions;
        actions.Seek = [this](kx::TDateTime t) { seeks.push_back(t); };
        actions.ShowError = [this](HWND, const std::wstring &text) { errors.push_back(text); };
        actions.DecimalSeparator = ',';
        report = std::make_unique<TFormReport>(nullptr, std::move(actions), std::nullopt);
        report->Show();
    }
    void TearDown() override
    {
        report.reset();
        CoUninitialize();
    }
    void Click(double share)
    {
        const RECT plot = report->Chart().PlotRect();
        const LPARAM at = MAKELPARAM(plot.left + static_cast<int>(share * (plot.right - plot.left)), plot.top + 5);
        SendMessageW(report->Chart().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(report->Chart().Handle(), WM_LBUTTONUP, 0, at);
    }

    std::unique_ptr<TFormReport> report;
    std::vector<kx::TDateTime> seeks;
    std::vector<std::wstring> errors;
    TTripDescription trip{L"ГАЗель", L"А123ВС", 2};
};

TEST_F(ReportWindow, DegenerateTracksDrawAndAnswerClicks)
{
    for (const kx::Track &track : {StreetTrack(1, 60), StreetTrack(2, 60), StreetTrack(4, 0)}) {
        seeks.clear();
        report->ShowTrip(&track, {}, nullptr, trip);
        report->SetPlayerTime(track.startTime());
        UpdateWindow(report->Chart().Handle());
        Click(0.5);
        ASSERT_EQ(1u, seeks.size());
        EXPECT_NEAR(track.count() == 2 ? kStart + 30 * kSec : kStart, seeks[0], 2 * kSec);
    }
    // No trip: the window empties and the chart seeks nothing.
    seeks.clear();
    report->ShowTrip(nullptr, {}, nullptr, trip);
    Click(0.5);
    EXPECT_TRUE(seeks.empty());
    EXPECT_EQ("points=0 distance_m=0 duration_s=0 moving_s=0 standing_s=0 max_kmh=0.0 avg_kmh=0.0 stops=0",
              report->Summary());
    EXPECT_FALSE(report->Export(TExportFormat::Gpx, TempFile(L"kx-nothing.gpx")));
    ASSERT_EQ(1u, errors.size());
    EXPECT_NE(std::wstring::npos, errors[0].find(L"Рейс не выбран"));
}

TEST_F(ReportWindow, ExportedGpxReadsBackAsTheSamePoints)
{
    const kx::Track track = StreetTrack(120, 7);
    report->ShowTrip(&track, {}, nullptr, trip);
    const std::wstring path = TempFile(L"kx-roundtrip.gpx");
    ASSERT_TRUE(report->Export(TExportFormat::Gpx, path)) << (errors.empty() ? L"" : errors[0]);
    kxfleet::GpxImportOptions options;
    const GpxFileImport imported = ImportGpxFile(path, NowUtc(), options, kxfleet::DeriveOptions());
    ASSERT_TRUE(imported.usable);
    const std::vector<kxfleet::Sample> &samples = imported.vehicle.samples;
    ASSERT_EQ(120u, samples.size());
    for (int k = 0; k < 120; ++k) {
        const kxfleet::Sample &s = samples[static_cast<size_t>(k)];
        EXPECT_NEAR(track.geoPoints()[static_cast<size_t>(k)].X, s.pos.lon, 1e-7) << k;
        EXPECT_NEAR(track.geoPoints()[static_cast<size_t>(k)].Y, s.pos.lat, 1e-7) << k;
        EXPECT_NEAR(track.time(k), s.time, 0.5 * kSec) << k;
    }
    // The metadata names the vehicle, its number and the trip's times.
    TXmlDocument document;
    document.Load(path);
    const TXmlElement metadata = document.Root().Find(L"metadata");
    ASSERT_TRUE(metadata);
    EXPECT_EQ(L"Рейс 2: ГАЗель, А123ВС", metadata.ChildText(L"name").value_or(L""));
    const std::wstring description = metadata.ChildText(L"desc").value_or(L"");
    EXPECT_NE(std::wstring::npos, description.find(L"06.02.2009 08:00:00")) << description;
    EXPECT_EQ(L"1.1", document.Root().Attribute(L"version").value_or(L""));
    DeleteFileW(path.c_str());
}

TEST_F(ReportWindow, KmlAndCsvHoldTheTrack)
{
    const kx::Track track = StreetTrack(3, 10);
    report->ShowTrip(&track, {}, nullptr, trip);
    const std::wstring kml = TempFile(L"kx-trip.kml"), csv = TempFile(L"kx-trip.csv");
    ASSERT_TRUE(report->Export(TExportFormat::Kml, kml));
    TXmlDocument document;
    document.Load(kml);
    const TXmlElement placemark = document.Root().Find(L"Document").Find(L"Placemark");
    ASSERT_TRUE(placemark);
    EXPECT_EQ(L"37.600000000,55.750000000,0 37.600123457,55.750031000,0 37.600246914,55.750062000,0",
              placemark.Find(L"LineString").ChildText(L"coordinates").value_or(L""));
    EXPECT_EQ(kx::ToWide(kx::IsoUtcText(LocalToUtc(kStart))),
              placemark.Find(L"TimeSpan").ChildText(L"begin").value_or(L""));

    ASSERT_TRUE(report->Export(TExportFormat::Csv, csv));
    EXPECT_EQ(kx::TrackCsv(track, ','), ReadBytes(csv));
    for (const std::wstring &file : {kml, csv})
        DeleteFileW(file.c_str());
}

TEST_F(ReportWindow, AFileThatCannotBeWrittenLeavesTheOldOneWhole)
{
    const kx::Track track = StreetTrack(3, 10);
    report->ShowTrip(&track, {}, nullptr, trip);
    // The target is a folder: the temporary file is written, cannot replace
    // it, and goes.
    const std::wstring folder = TempFile(L"kx-report-folder.gpx");
    CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_FALSE(report->Export(TExportFormat::Gpx, folder));
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ(0u, errors[0].find(L"Рейс не сохранён в файл")) << errors[0];
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((folder + L".tmp").c_str()));
    EXPECT_NE(0u, GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    RemoveDirectoryW(folder.c_str());
    // The temporary file cannot be made (a folder has its name): the old
    // file stays as it was.
    const std::wstring locked = TempFile(L"kx-report-locked.csv");
    WriteBytes(locked, "old");
    CreateDirectoryW((locked + L".tmp").c_str(), nullptr);
    EXPECT_FALSE(report->Export(TExportFormat::Csv, locked));
    EXPECT_EQ("old", ReadBytes(locked));
    RemoveDirectoryW((locked + L".tmp").c_str());
    DeleteFileW(locked.c_str());
}

TEST(TripExportNames, FormatsAndNames)
{
    EXPECT_EQ(TExportFormat::Kml, ExportFormatFor(L"C:\\a.b\\trip.KML", 1));
    EXPECT_EQ(TExportFormat::Csv, ExportFormatFor(L"C:\\a.csv\\trip", 3));
    EXPECT_EQ(TExportFormat::Gpx, ExportFormatFor(L"trip", 7));
    EXPECT_EQ(L"Рейс 3 А_1.kml", SuggestedExportName({L"x", L"А/1", 3}, TExportFormat::Kml));
    // The machine's zone (Berlin for this test): an hour behind in winter,
    // two in summer.
    EXPECT_NEAR(kStart - 1.0 / 24, LocalToUtc(kStart), 1e-9);
    const double july = kStart + 150;
    EXPECT_NEAR(july - 2.0 / 24, LocalToUtc(july), 1e-9);
}

}  // namespace
