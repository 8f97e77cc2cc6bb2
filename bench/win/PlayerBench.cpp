// The player's own work per tick on a 1,000,000-point track: the point for
// the time and the position display up to the layer's marker build (labels,
// pose, marker, recentring test, against the stand-in shell's map), and the
// search from the track line through the segment index against the plain
// scan. The shell's drawing is not part of it.
#include "Layer.h"
#include "PanelState.h"
#include "boxes/PlayerBox.h"

#include "StandInShell.h"

#include "kx/geometry.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MicrosecondsSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
}

constexpr int kPoints = 1000000;

// A drive in map metres around the stand-in city's centre, a report about
// every second with a second repeated now and then.
kx::Track MakeTrack(double cx, double cy)
{
    std::vector<double> crds;
    crds.reserve(static_cast<size_t>(kPoints) * 5);
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> turn(-0.3, 0.3);
    double x = cx, y = cy, heading = 0, second = 0;
    for (int k = 0; k < kPoints; ++k) {
        heading += turn(rng);
        x += 10 * std::cos(heading);
        y += 10 * std::sin(heading);
        if (rng() % 20 != 0)
            second += 1;
        crds.insert(crds.end(), {39850.0 + second / 86400, x, y, k * 10.0, 36.0});
    }
    return kx::Track::FromCrds(std::move(crds));
}

struct Spread {
    double mean = 0, worst = 0;
};

template <class F>
Spread Measure(int count, F &&run)
{
    Spread s;
    for (int i = 0; i < count; ++i) {
        const auto t0 = Clock::now();
        run(i);
        const double us = MicrosecondsSince(t0);
        s.mean += us / count;
        s.worst = std::max(s.worst, us);
    }
    return s;
}

}  // namespace

int main()
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        kxshell::StandInShell shell;
        shell.Registry().keepCallLog = false;
        const auto &b = shell.MapObject().BoundsValues();
        const double cx = (b.minX + b.maxX) / 2, cy = (b.minY + b.maxY) / 2;

        TPanelState data;
        auto t0 = Clock::now();
        data.Trip.Track = MakeTrack(cx, cy);
        const double trackMs = MicrosecondsSince(t0) / 1000;
        t0 = Clock::now();
        data.Trip.TrackIndex = kx::SegmentIndex(data.Trip.Track.mapPoints());
        const double indexMs = MicrosecondsSince(t0) / 1000;

        // The box over plain windows of the right kinds; no layer: its build
        // is measured by layer_bench.
        HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr, nullptr, nullptr);
        TPlayerControls controls;
        controls.lblDate = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 100, 20, parent, nullptr, nullptr, nullptr);
        controls.lblSpeed = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 20, 100, 20, parent, nullptr, nullptr, nullptr);
        controls.lblDistance = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 40, 100, 20, parent, nullptr, nullptr, nullptr);
        TFormTimer timer1, hold;
        TPlayerBox box(controls, data.Player, data.Trip, timer1, hold, [](int) {});
        box.Attach(shell.MapInterface(), shell.FactoryInterface(), nullptr);

        std::mt19937 rng(7);
        std::uniform_real_distribution<double> when(data.Trip.Track.startTime(), data.Trip.Track.endTime());
        std::vector<double> times(4096);
        for (double &t : times)
            t = when(rng);
        // Follow the marker so that the view moves as in play.
        const Spread show = Measure(4000, [&](int i) { box.ShowPosition(times[static_cast<size_t>(i) % times.size()]); });
        // In play the time only moves forward: nearby points, recentring now and then.
        double t = data.Trip.Track.startTime();
        const Spread play = Measure(20000, [&](int) {
            t += 1.0 / 86400;
            box.ShowPosition(t);
        });

        // Its parts: the arithmetic alone, and the two labels set and painted.
        const kx::TShapeBounds visible{cx - 3500, cy - 3500, cx + 3500, cy + 3500};
        int current = 0;
        const Spread arithmetic = Measure(20000, [&](int i) {
            current = kx::ViewAt(data.Trip.Track, current, times[static_cast<size_t>(i) % times.size()], visible, ',').pointIndex;
        });
        const Spread labels = Measure(4000, [&](int i) {
            SetWindowTextW(controls.lblSpeed, i % 2 ? L"36,0 км/ч" : L"35,0 км/ч");
            RedrawWindow(controls.lblSpeed, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            SetWindowTextW(controls.lblDistance, i % 2 ? L"100 м" : L"110 м");
            RedrawWindow(controls.lblDistance, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        });

        std::uniform_real_distribution<double> off(-40, 40);
        std::vector<kx::TMapPoint> probes;
        for (int i = 0; i < 200; ++i) {
            const kx::TMapPoint &p = data.Trip.Track.mapPoints()[rng() % kPoints];
            probes.push_back({p.X + off(rng), p.Y + off(rng)});
        }
        size_t same = 0;
        const Spread indexed = Measure(200, [&](int i) {
            same += data.Trip.TrackIndex.Nearest(data.Trip.TrackMapPoints(), probes[static_cast<size_t>(i)]).has_value();
        });
        const Spread scan = Measure(20, [&](int i) {
            const auto a = kx::NearestOnTrack(data.Trip.TrackMapPoints(), probes[static_cast<size_t>(i)]);
            const auto c = data.Trip.TrackIndex.Nearest(data.Trip.TrackMapPoints(), probes[static_cast<size_t>(i)]);
            same += a && c && a->segment == c->segment && a->distance == c->distance;
        });

        std::printf("player_bench: %d points under Wine\n", kPoints);
        std::printf("  position display (point, labels, pose, marker, view), random times: mean %.1f us, worst %.1f us\n",
                    show.mean, show.worst);
        std::printf("  the same a simulated second at a time, as in play:                 mean %.1f us, worst %.1f us\n",
                    play.mean, play.worst);
        std::printf("  of which the arithmetic (point, labels' texts, pose, marker): mean %.1f us, worst %.1f us;\n"
                    "  the two labels set and painted: mean %.1f us\n",
                    arithmetic.mean, arithmetic.worst, labels.mean);
        std::printf("  track search, indexed: mean %.1f us, worst %.1f us; plain scan: mean %.0f us (%.0fx)\n",
                    indexed.mean, indexed.worst, scan.mean, scan.mean / indexed.mean);
        std::printf("  segment index: %.2f bytes a point, built in %.1f ms; the track's numbers and points in %.0f ms\n",
                    static_cast<double>(data.Trip.TrackIndex.MemoryBytes()) / kPoints, indexMs, trackMs);
        std::printf("  answers found: %zu of 220 (the scan's 20 compared)\n", same);
        DestroyWindow(parent);
        shell.Shutdown();
    }
    CoUninitialize();
    return 0;
}
