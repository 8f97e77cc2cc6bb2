// Where the time of a long trip's load goes, and what the plug-in holds of
// it: a 1,000,000-point trip at a report every tenth of a second from the
// stand-in dispatcher in its own process (the computation; the array made in
// the dispatcher, from its log; the transfer; the check), then the plug-in's
// part against the stand-in shell's objects (the conversion to map
// coordinates, the segment index, the track lines) and the first frame of
// the whole track as the stand-in shell's map window draws it. The bytes a
// point are what the plug-in's heap holds after the load, its own arrays.
// `track_load_bench [POINTS]`.
#include "GeoToMap.h"
#include "Layer.h"
#include "PanelState.h"

#include "Karvex_TLB.h"
#include "LayerPainter.h"
#include "StandInShell.h"

#include "DispatcherProcess.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <sstream>
#include <string>
#include <vector>

using namespace dispatcher_process;

HINSTANCE ModuleInstance()
{
    return GetModuleHandleW(nullptr);
}

// Live bytes of the program's heap, counted by its operator new.
namespace {
std::atomic<long long> g_liveBytes{0};
}

void *operator new(std::size_t size)
{
    auto *block = static_cast<std::size_t *>(std::malloc(size + 16));
    if (!block) throw std::bad_alloc();
    *block = size;
    g_liveBytes += static_cast<long long>(size);
    return reinterpret_cast<char *>(block) + 16;
}

void operator delete(void *p) noexcept
{
    if (!p) return;
    auto *block = reinterpret_cast<std::size_t *>(static_cast<char *>(p) - 16);
    g_liveBytes -= static_cast<long long>(*block);
    std::free(block);
}

void operator delete(void *p, std::size_t) noexcept
{
    operator delete(p);
}

namespace {

// The dispatcher's own figure for making the array: "... собраны за N мс".
long BuildMsFromLog(const std::wstring &path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string all = text.str(), mark = "собраны за ";
    const size_t at = all.rfind(mark);
    return at == std::string::npos ? -1 : std::atol(all.c_str() + at + mark.size());
}

}  // namespace

int main(int argc, char **argv)
{
    const int points = argc > 1 ? std::atoi(argv[1]) : 1000000;
    OleInitialize(nullptr);
    int status = 1;
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        const std::wstring log = std::wstring(temp) + L"track_load_bench.log";
        DeleteFileW(log.c_str());
        OwnDispatcher own(L"/long-track:" + std::to_wstring(points) + L" /long-track-step:0.1 /log:" + log, 60);
        kxshell::StandInShell shell;
        // As the windowed shell runs: its call log is the tests'.
        shell.Registry().keepCallLog = false;
        TBaseView view(shell.BaseViewInterface());
        auto state = std::make_shared<TPanelState>();
        TLayer *layer = new TLayer(&view, state);
        layer->AddRef();
        if (!own.ready()) {
            std::fprintf(stderr, "track_load_bench: the stand-in dispatcher did not start\n");
        } else {
            TKarvexAutomation k;
            k.Start();
            int ends = 0;
            k.OnEndComputing = [&] { ++ends; };
            auto t0 = Clock::now();
            k.ComputeTrips(L"LOAD", 990001, L"06.02.2009 00:00:00", L"09.02.2009 00:00:00", L"GSM", 1);
            const bool computed = PumpUntil([&] { return ends == 1; }, 600000) && k.TripsCount() == 1;
            const double computeMs = MsSince(t0);
            if (computed) {
                k.TripIndex(1);
                const int n = k.TrackPointsCount();
                const long long heapBefore = g_liveBytes;
                t0 = Clock::now();
                std::vector<double> crds = k.TrackCrdsArray(n);
                const double transferMs = MsSince(t0);
                t0 = Clock::now();
                kx::Track track = kx::Track::FromCrds(std::move(crds));
                const double checkMs = MsSince(t0);
                t0 = Clock::now();
                const TGeoToMap toMap(shell.MapInterface(), shell.FactoryInterface());
                for (int p = 0; p < track.count(); ++p) track.SetMapPoint(p, *toMap(track.x(p), track.y(p)));
                const double conversionMs = MsSince(t0);
                t0 = Clock::now();
                kx::SegmentIndex index(track.mapPoints());
                const double indexMs = MsSince(t0);
                state->Trip.Track = std::move(track);
                state->Trip.TrackIndex = std::move(index);
                t0 = Clock::now();
                layer->BuildShapes(TLayer::BuildTrack);
                const double shapesMs = MsSince(t0);
                const double bytes = static_cast<double>(g_liveBytes - heapBefore) / n;

                // The whole track in a window of the demo's map size.
                const kx::TMapPointArray &mapPoints = state->Trip.TrackMapPoints();
                kxshell::RectValues extent{mapPoints[0].X, mapPoints[0].Y, mapPoints[0].X, mapPoints[0].Y};
                for (const kx::TMapPoint &p : mapPoints) {
                    extent.minX = std::min(extent.minX, p.X);
                    extent.maxX = std::max(extent.maxX, p.X);
                    extent.minY = std::min(extent.minY, p.Y);
                    extent.maxY = std::max(extent.maxY, p.Y);
                }
                kxapp::Viewport viewport;
                viewport.width = 740;
                viewport.height = 690;
                viewport.visible = kxapp::Viewport::Fit(extent, viewport.width, viewport.height);
                kxapp::Canvas canvas;
                canvas.Resize(viewport.width, viewport.height);
                kxapp::LayerPainter painter;
                t0 = Clock::now();
                const kxapp::FrameStats frame = painter.Paint(shell, canvas, viewport);
                const double frameMs = MsSince(t0);
                // The frames after it, as the map window draws them while the player runs.
                constexpr int kFrames = 5;
                std::vector<double> frameTimes;
                kxapp::FrameStats later;
                for (int i = 0; i < kFrames; ++i) {
                    t0 = Clock::now();
                    later = painter.Paint(shell, canvas, viewport);
                    frameTimes.push_back(MsSince(t0));
                }
                std::sort(frameTimes.begin(), frameTimes.end());

                const long buildMs = BuildMsFromLog(log);
                std::printf("track_load_bench: a %d-point trip at 0.1 s, loaded from the stand-in dispatcher\n", n);
                std::printf("  the dispatcher's computation of the trip:    %8.0f ms (not part of the load)\n", computeMs);
                std::printf("  the array made in the dispatcher:            %8ld ms\n", buildMs);
                std::printf("  its transfer (%d numbers, %.0f MB):     %8.0f ms\n", 5 * n, 40.0 * n / 1e6,
                            transferMs - std::max(0L, buildMs));
                std::printf("  the plug-in's check:                         %8.0f ms\n", checkMs);
                std::printf("  conversion to map coordinates:               %8.0f ms (%.2f us a point)\n", conversionMs,
                            conversionMs * 1000 / n);
                std::printf("  segment index:                               %8.0f ms\n", indexMs);
                std::printf("  track lines:                                 %8.1f ms\n", shapesMs);
                std::printf("  first frame of the whole track:              %8.0f ms (walk %.0f ms, drawing %.0f ms, "
                            "%zu of %zu vertices drawn)\n",
                            frameMs, frame.walkMs, frame.drawMs, frame.drawnVertices, frame.vertices);
                std::printf("  the frames after it: median %.0f ms of %d (last: walk %.0f ms, drawing %.0f ms)\n",
                            frameTimes[kFrames / 2], kFrames, later.walkMs, later.drawMs);
                std::printf("  the plug-in holds %.1f bytes a track point (the track, its index, its lines)\n", bytes);
                status = 0;
            } else {
                std::fprintf(stderr, "track_load_bench: the long trip was not computed\n");
            }
        }
                layer->Detach();
        layer->Release();
        shell.Shutdown();
    }
    OleUninitialize();
    return status;
}
