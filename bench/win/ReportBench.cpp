// The trip report's own work on a 1,000,000-point track: the window opened
// with the trip (its profile, totals and chart), a full redraw of the chart,
// and a move of its cursor as each tick of the player makes it, painted.
#include "ReportWindow.h"

#include "BenchClock.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kPoints = 1000000;
constexpr double kSec = 1.0 / 86400;
const double kStart = 39850.0 + 6.0 / 24;

// A report a second for eleven and a half days of driving, with a stop of
// five minutes every hour and speeds that rise and fall.
kx::Track MakeTrack(std::vector<kx::TStops> &stops, std::vector<kx::TimePeriod> &speeding)
{
    std::vector<double> crds;
    crds.reserve(static_cast<size_t>(kPoints) * 5);
    double distance = 0;
    for (int k = 0; k < kPoints; ++k) {
        const bool standing = k % 3600 >= 3300;
        const double speed = standing ? 0 : 40 + 35 * std::sin(k / 600.0);
        distance += speed / 3.6;
        crds.insert(crds.end(), {kStart + k * kSec, 37.5 + (k % 20000) * 1e-5, 55.7 + (k / 20000) * 1e-4, distance, speed});
        if (k % 3600 == 3300)
            stops.push_back({kStart + k * kSec, kStart + (k + 300) * kSec, "00:05:00"});
        if (k % 3600 == 900)
            speeding.push_back({kStart + k * kSec, kStart + (k + 120) * kSec});
    }
    return kx::Track::FromCrds(std::move(crds));
}

double Ms(double seconds)
{
    return seconds * 1000.0;
}

}  // namespace

int main()
{
    InitCommonControls();
    std::vector<kx::TStops> stops;
    std::vector<kx::TimePeriod> speeding;
    const kx::Track track = MakeTrack(stops, speeding);
    const TTripDescription trip{L"ГАЗель", L"А123ВС", 1};

    double t0 = BenchSeconds();
    TFormReport report(nullptr, TReportActions(), std::nullopt);
    report.Show();
    report.ShowTrip(&track, stops, &speeding, trip);
    UpdateWindow(report.Handle());
    const double open = BenchSeconds() - t0;

    constexpr int kRedraws = 30;
    double worstRedraw = 0, totalRedraw = 0;
    for (int i = 0; i < kRedraws; ++i) {
        t0 = BenchSeconds();
        report.Chart().Redraw();
        UpdateWindow(report.Chart().Handle());
        const double s = BenchSeconds() - t0;
        totalRedraw += s;
        worstRedraw = std::max(worstRedraw, s);
    }

    constexpr int kMoves = 2000;
    double worstMove = 0, totalMove = 0;
    for (int i = 0; i < kMoves; ++i) {
        const double t = kStart + (static_cast<double>(i) / kMoves) * (kPoints - 1) * kSec;
        t0 = BenchSeconds();
        report.SetPlayerTime(t);
        UpdateWindow(report.Chart().Handle());
        const double s = BenchSeconds() - t0;
        totalMove += s;
        worstMove = std::max(worstMove, s);
    }

    // The trip's profile alone, and the columns gathered again as after a resize.
    t0 = BenchSeconds();
    const kx::TripProfile profile = kx::TripProfile::FromTrack(track, stops, &speeding);
    const double profileSeconds = BenchSeconds() - t0;
    const RECT plot = report.Chart().PlotRect();
    t0 = BenchSeconds();
    const std::vector<kx::ChartColumn> columns = kx::ChartColumns(profile, plot.right - plot.left);
    const double columnsSeconds = BenchSeconds() - t0;
    // The same from a copy of the track's numbers, as the profile was made
    // before it shared the track's readings.
    t0 = BenchSeconds();
    const kx::TripProfile copied(track.crds(), track.geoPoints(), stops, &speeding);
    const double copiedSeconds = BenchSeconds() - t0;

    std::printf("report on %d points (chart %ld columns)\n", kPoints, plot.right - plot.left);
    std::printf("  window opened with the trip: %.1f ms\n", Ms(open));
    std::printf("  full chart redraw: mean %.2f ms, worst %.2f ms (%d)\n", Ms(totalRedraw / kRedraws), Ms(worstRedraw),
                kRedraws);
    std::printf("  cursor move: mean %.4f ms, worst %.4f ms (%d)\n", Ms(totalMove / kMoves), Ms(worstMove), kMoves);
    std::printf("  of which the profile and totals: %.1f ms; the columns' speeds gathered: %.1f ms\n",
                Ms(profileSeconds), Ms(columnsSeconds));
    std::printf("  the profile from a copy of the track's numbers instead: %.1f ms (%d points alike)\n",
                Ms(copiedSeconds), copied.count());
    std::printf("  totals: %s\n", report.Summary().c_str());
    return 0;
}
