// A track load converts every point to map coordinates through the shell's
// converter (one geographic point refilled, one ToMap a point). This times
// that conversion for a 100,000-point track against the stand-in shell, with
// the shell's call log kept (as in tests) and dropped (as in the windowed
// shell), beside the plain arithmetic of the same projection.
#include "GeoToMap.h"
#include "PanelState.h"

#include "StandInShell.h"

#include "BenchClock.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

HINSTANCE ModuleInstance()
{
    return GetModuleHandleW(nullptr);
}

namespace {

// Median of five rounds, in milliseconds.
template <class F>
double MedianMs(F &&run)
{
    std::vector<double> ms;
    for (int r = 0; r < 5; ++r) {
        const double start = BenchSeconds();
        run();
        ms.push_back((BenchSeconds() - start) * 1000);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

}  // namespace

int main()
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        kxshell::StandInShell shell;
        const int n = 100000;
        double sink = 0;
        auto convert = [&] {
            const TGeoToMap toMap(shell.MapInterface(), shell.FactoryInterface());
            for (int k = 0; k < n; ++k) {
                const std::optional<kx::TMapPoint> p = toMap(37.5 + k * 1e-6, 55.7 + k * 1e-6);
                sink += p ? p->X : 0;
            }
            shell.Registry().ClearCalls();
        };
        const double logged = MedianMs(convert);
        shell.Registry().keepCallLog = false;
        const double unlogged = MedianMs(convert);
        const double arithmetic = MedianMs([&] {
            for (int k = 0; k < n; ++k) {
                const double lat = (55.7 + k * 1e-6) * 3.14159265358979 / 180;
                sink += 6378137.0 * std::log(std::tan(3.14159265358979 / 4 + lat / 2));
            }
        });
        std::printf("track_load_bench: %d points converted to map coordinates\n", n);
        std::printf("  through the stand-in shell, call log kept:    %7.1f ms  (%.2f us a point)\n", logged,
                    logged * 1000 / n);
        std::printf("  through the stand-in shell, call log dropped: %7.1f ms  (%.2f us a point)\n", unlogged,
                    unlogged * 1000 / n);
        std::printf("  the projection's arithmetic alone:            %7.1f ms\n", arithmetic);
        std::printf("  (checksum %.0f)\n", sink);
        shell.Shutdown();
    }
    CoUninitialize();
    return 0;
}
