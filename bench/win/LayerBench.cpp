// The player rebuilds the vehicle marker (build mode 2) on every tick, up to
// a thousand times a second at 600x. This measures one such build against
// the stand-in shell's objects, and the same build followed by the shell's
// drawing walk over the layer.
#include "Layer.h"
#include "Module.h"
#include "PanelState.h"

#include "ShapeWalker.h"
#include "StandInShell.h"

#include "kx/geometry.h"

#include "BenchClock.h"

#include <windows.h>
#include <olectl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

HINSTANCE ModuleInstance()
{
    return GetModuleHandleW(nullptr);
}

namespace {

struct Figures {
    double perSecond;
    double microseconds;  // median of the rounds, per build
};

// Rounds of `count` runs; the median round gives the figure.
template <class F>
Figures Measure(int rounds, int count, kxshell::ShellRegistry &registry, F &&run)
{
    std::vector<double> perRun;
    for (int r = 0; r < rounds; ++r) {
        const double start = BenchSeconds();
        for (int i = 0; i < count; ++i) run(i);
        perRun.push_back((BenchSeconds() - start) / count);
        // The stand-in shell logs every call; keep the log from growing.
        registry.ClearCalls();
    }
    std::sort(perRun.begin(), perRun.end());
    const double median = perRun[perRun.size() / 2];
    return {1.0 / median, median * 1e6};
}

}  // namespace

int main()
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        kxshell::StandInShell shell;
        TBaseView view(shell.BaseViewInterface());
        auto state = std::make_shared<TPanelState>();
        TLayer *layer = new TLayer(&view, state);
        layer->AddRef();

        const auto &b = shell.MapObject().BoundsValues();
        const double cx = (b.minX + b.maxX) / 2, cy = (b.minY + b.maxY) / 2;
        auto place = [&](int i) {
            state->Player.MarkerPolygons = kx::BuildMarker(cx + i % 100, cy, 0.01 * (i % 628), 40);
        };

        const int rounds = 9, count = 2000;
        place(0);
        for (int i = 0; i < 500; ++i) layer->BuildShapes(TLayer::BuildVehicleMarker);  // warm-up
        const Figures build = Measure(rounds, count, shell.Registry(), [&](int) {
            layer->BuildShapes(TLayer::BuildVehicleMarker);
        });

        kxshell::ShapeWalker walker(shell.SharedRegistry());
        kxshell::WalkOptions options;
        options.askTitle = false;
        const Figures tick = Measure(rounds, count / 2, shell.Registry(), [&](int i) {
            place(i);
            layer->BuildShapes(TLayer::BuildVehicleMarker);
            walker.Walk(static_cast<IShapeSource *>(layer), shell.MapObject().Visible(), options);
        });

        // The platform's share: each of the two labels makes its own font.
        const Figures fonts = Measure(rounds, count, shell.Registry(), [&](int) {
            for (int k = 0; k < 2; ++k) {
                FONTDESC desc = {};
                desc.cbSizeofstruct = sizeof(FONTDESC);
                desc.lpstrName = const_cast<LPOLESTR>(L"Arial");
                desc.cySize.int64 = 80000;
                desc.sWeight = FW_BOLD;
                IFont *font = nullptr;
                OleCreateFontIndirect(&desc, IID_IFont, reinterpret_cast<void **>(&font));
                if (font) font->Release();
            }
        });

        std::printf("layer_bench: vehicle marker (build mode 2) against the stand-in shell\n");
        std::printf("  build only:           %9.0f builds/s  %8.2f us per build\n", build.perSecond,
                    build.microseconds);
        std::printf("  build + drawing walk: %9.0f ticks/s   %8.2f us per tick\n", tick.perSecond,
                    tick.microseconds);
        std::printf("  of which two label fonts (OleCreateFontIndirect): %.2f us\n", fonts.microseconds);
        std::printf("  budget at 600x (1000 ticks/s): %.1f %% of the time in builds\n",
                    build.microseconds / 1000.0 * 100.0);

        layer->Detach();
        layer->Release();
        shell.Shutdown();
    }
    CoUninitialize();
    return 0;
}
