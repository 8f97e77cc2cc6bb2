#include "PluginProbe.h"
#include "Bstr.h"

#include "KXShell.h"
#include "PluginLoader.h"

namespace kxprobe {
namespace {

using kxshell::FormatHex;
using kxshell::Utf8;

std::string Hr(HRESULT hr) { return FormatHex(static_cast<unsigned long>(hr)); }

std::string Quoted(BSTR text) { return "\"" + Utf8(Bstr::Adopt(text).Str()) + "\""; }

// Collects the report and whether anything failed.
class Run {
public:
    explicit Run(Report &report) : report_(report) {}
    void Say(const std::string &text) { report_.Line(text); }
    void Fail(const std::string &text) {
        report_.Line("FAILED: " + text);
        failed_ = true;
    }
    bool Failed() const { return failed_; }

    // Prints "label: value" for a string getter; a failing call is a failure.
    template <class I>
    void PrintString(const char *label, I *object, HRESULT (STDMETHODCALLTYPE I::*getter)(BSTR *)) {
        Bstr text;
        const HRESULT hr = (object->*getter)(text.Put());
        if (FAILED(hr)) {
            Fail(std::string(label) + " returned " + Hr(hr));
        } else {
            Say(std::string("  ") + label + ": " + Quoted(text.Detach()));
        }
    }

private:
    Report &report_;
    bool failed_ = false;
};

std::string DescribeIcon(IRaster *icon) {
    if (!icon) return "null";
    if (kxshell::Raster *raster = kxshell::Inspect<kxshell::Raster>(icon))
        return "raster " + std::to_string(raster->Width()) + "x" + std::to_string(raster->Height());
    return "a raster not made by this shell";
}

void PrintDisplayInfo(Run &run, IUnknown *object, const char *what) {
    ComPtr<IDisplayInfo> info;
    HRESULT hr = object->QueryInterface(__uuidof(IDisplayInfo), reinterpret_cast<void **>(info.Put()));
    if (FAILED(hr) || !info) {
        run.Fail(std::string(what) + " does not answer IDisplayInfo (" + Hr(hr) + ")");
        return;
    }
    run.PrintString("Tag", info.Get(), &IDisplayInfo::Tag);
    run.PrintString("Caption", info.Get(), &IDisplayInfo::Caption);
    run.PrintString("Description", info.Get(), &IDisplayInfo::Description);
    IRaster *icon = nullptr;
    hr = info->Icon(&icon);
    if (FAILED(hr)) run.Fail(std::string("Icon returned ") + Hr(hr));
    else run.Say("  Icon: " + DescribeIcon(icon));
    if (icon) icon->Release();
}

void PrintPositionCode(Run &run, IUnknown *object, const char *what) {
    ComPtr<IPositionCode> code;
    HRESULT hr = object->QueryInterface(__uuidof(IPositionCode), reinterpret_cast<void **>(code.Put()));
    if (FAILED(hr) || !code) run.Fail(std::string(what) + " does not answer IPositionCode (" + Hr(hr) + ")");
    else run.PrintString("PositionCode", code.Get(), &IPositionCode::PositionCode);
}

void PrintPages(Run &run, kxshell::StandInShell &shell) {
    auto &pages = shell.Pages();
    run.Say("Pages added: " + std::to_string(pages.Count()));
    for (size_t i = 0; i < pages.Count(); ++i) {
        IPanelPage *page = pages.Page(i);
        run.Say("Page " + std::to_string(i + 1) + ":");
        PrintDisplayInfo(run, page, "the page");
        VARIANT_BOOL option = VARIANT_FALSE;
        const HRESULT hr = page->PageOption(&option);
        if (FAILED(hr)) run.Fail("PageOption returned " + Hr(hr));
        else run.Say(std::string("  PageOption: ") + (option ? "true" : "false"));
    }
}

void PrintLayers(Run &run, kxshell::StandInShell &shell) {
    auto &layers = shell.Layers();
    run.Say("Layers added: " + std::to_string(layers.Count()));
    for (size_t i = 0; i < layers.Count(); ++i) {
        ComPtr<IShapeLayer> layer(layers.Layer(i));
        run.Say("Layer " + std::to_string(i + 1) + ":");
        PrintDisplayInfo(run, layer.Get(), "the layer");
        PrintPositionCode(run, layer.Get(), "the layer");
        VARIANT_BOOL visible = VARIANT_FALSE;
        HRESULT hr = layer->GetVisible(&visible);
        if (FAILED(hr)) run.Fail("GetVisible returned " + Hr(hr));
        else run.Say(std::string("  Visible: ") + (visible ? "true" : "false"));
        auto source = layer.As<IShapeSource>();
        if (!source) {
            run.Fail("the layer does not answer IShapeSource");
            continue;
        }
        VARIANT_BOOL shown = VARIANT_FALSE;
        hr = source->ShownAtLevel(5000, 0, &shown);
        if (FAILED(hr)) run.Fail("ShownAtLevel returned " + Hr(hr));
        else run.Say(std::string("  ShownAtLevel(5000, 0): ") + (shown ? "true" : "false"));
        // Drawing the whole map once, as the shell would; no titles, they
        // act on the player.
        kxshell::WalkOptions walk;
        walk.askTitle = false;
        const auto result = kxshell::ShapeWalker(shell.SharedRegistry())
                                .Walk(source.Get(), shell.MapObject().BoundsValues(), walk);
        run.Say("  Shapes in the map's bounds: " + std::to_string(result.shapes.size()) + " (SelectInRect " +
                Hr(result.selectResult) + ")");
        for (const auto &problem : result.problems) run.Fail("layer walk: " + problem);
    }
}

}  // namespace

int RunProbe(const ProbeOptions &options, Report &report) {
    Run run(report);
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(init)) {
        run.Fail("CoInitializeEx returned " + Hr(init));
        return 1;
    }
    int exitCode = 0;
    {
        kxshell::StandInShell shell;
        run.Say("Plug-in: " + Utf8(options.dllPath));
        std::string loadError;
        std::unique_ptr<kxshell::LoadedPlugin> loaded = kxshell::LoadedPlugin::Load(options.dllPath, loadError);
        if (!loaded && loadError.rfind("LoadLibrary", 0) == 0) {
            run.Fail(loadError);
            CoUninitialize();
            return 2;
        }
        ComPtr<IUnknown> plugin;
        if (!loaded) {
            run.Fail(loadError);
        } else {
            plugin = ComPtr<IUnknown>(loaded->Object());
            run.Say("CreateGrymPlugin: " + Hr(loaded->CreateResult()));
            // The probe's own counted copy stands in for the shell's.
            loaded->ReleaseObject();
        }
        if (plugin) {
            run.Say("Description:");
            if (auto description = plugin.As<IPluginDescription>())
                run.PrintString("XmlInfo", description.Get(), &IPluginDescription::XmlInfo);
            else
                run.Fail("the plug-in does not answer IPluginDescription");
            PrintDisplayInfo(run, plugin.Get(), "the plug-in");
            PrintPositionCode(run, plugin.Get(), "the plug-in");

            auto hosted = plugin.As<IHostedPlugin>();
            if (!hosted) {
                run.Fail("the plug-in does not answer IHostedPlugin");
            } else {
                shell.TakeSnapshot();
                const HRESULT initialized = hosted->Initialize(0, shell.BaseViewInterface());
                run.Say("Initialize: " + Hr(initialized));
                if (FAILED(initialized)) run.Fail("Initialize");
                PrintPages(run, shell);
                PrintLayers(run, shell);
                const HRESULT terminated = hosted->Terminate();
                run.Say("Terminate: " + Hr(terminated));
                if (FAILED(terminated)) run.Fail("Terminate");
                if (shell.Layers().Count() != 0)
                    run.Fail(std::to_string(shell.Layers().Count()) + " layer(s) still on the map after Terminate");
            }
            shell.Shutdown();
            hosted.Reset();
            plugin.Reset();
        }
        if (loaded && !loaded->Unload(loadError)) run.Fail(loadError);

        if (options.printCalls) {
            run.Say("Calls on the shell:");
            for (const auto &call : shell.Registry().Calls()) run.Say("  " + call);
        }
        const auto leaks = shell.Leaks();
        if (leaks.empty()) {
            run.Say("References: all returned");
        } else {
            run.Say("References not returned: " + std::to_string(leaks.size()));
            for (const auto &leak : leaks) run.Say("  " + leak.Describe());
            run.Fail("the plug-in did not balance its references");
        }
        exitCode = run.Failed() ? 1 : 0;
    }
    CoUninitialize();
    run.Say(exitCode == 0 ? "Result: OK" : "Result: FAILED");
    return exitCode;
}

}  // namespace kxprobe
