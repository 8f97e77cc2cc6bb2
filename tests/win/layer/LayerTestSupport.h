// A layer made as the plug-in makes it, over the stand-in shell, with a
// fresh panel state per test. Every test ends with the layer detached and
// released, and with each shell object back at the count it had before.
#pragma once

#include "Layer.h"
#include "PanelState.h"

#include "Raster.h"
#include "ShapeSink.h"
#include "ShapeWalker.h"
#include "StandInShell.h"
#include "Symbols.h"

#include "kx/geometry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// ModuleStandIn.cpp: makes the layer look for icons in a module without them.
void SetModuleWithoutIcons(bool without);
// HeapWatch.cpp: blocks deleted a second time since the program started.
long DoubleDeletes();

namespace layertest {

inline std::wstring TakeBstr(BSTR text)
{
    std::wstring s = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return s;
}

class ComApartment {
public:
    ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComApartment() { CoUninitialize(); }
};

class LayerTest : public ::testing::Test {
protected:
    ComApartment com;
    kxshell::StandInShell shell;
    std::unique_ptr<TBaseView> view;
    TLayer *layer = nullptr;  // the plug-in's reference
    // The state the layer draws from, as the plug-in would hand it over.
    std::shared_ptr<TPanelState> state = std::make_shared<TPanelState>();
    TPanelState &State() const { return *state; }

    void SetUp() override
    {
        SetModuleWithoutIcons(false);
        doubleDeletes_ = DoubleDeletes();
        shell.TakeSnapshot();
        view = std::make_unique<TBaseView>(shell.BaseViewInterface());
        layer = new TLayer(view.get(), state);
        layer->AddRef();
    }

    void TearDown() override
    {
        if (layer) {
            layer->Detach();
            layer->Release();
            layer = nullptr;
        }
        view.reset();
        shell.Shutdown();
        SetModuleWithoutIcons(false);
        for (const auto &leak : shell.Leaks()) ADD_FAILURE() << leak.Describe();
        EXPECT_EQ(doubleDeletes_, DoubleDeletes()) << "an object was destroyed twice";
    }

    IShapeSource *Source() { return static_cast<IShapeSource *>(layer); }
    IShapeCursor *Cursor() { return static_cast<IShapeCursor *>(layer); }
    kxshell::Map &MapObject() { return shell.MapObject(); }
    const kxshell::RectValues &MapBounds() { return shell.MapObject().BoundsValues(); }
    kxshell::ShellRegistry &Registry() { return shell.Registry(); }

    // The shell's drawing walk over a rectangle (by default the map's bounds).
    kxshell::WalkResult Walk(const kxshell::RectValues &rect, bool askTitle = false)
    {
        kxshell::WalkOptions options;
        options.askTitle = askTitle;
        return kxshell::ShapeWalker(shell.SharedRegistry()).Walk(Source(), rect, options);
    }
    kxshell::WalkResult WalkAll(bool askTitle = false) { return Walk(MapBounds(), askTitle); }
    kxshell::WalkResult WalkId(long id)
    {
        kxshell::WalkOptions options;
        options.askTitle = false;
        return kxshell::ShapeWalker(shell.SharedRegistry()).WalkById(Source(), id, options);
    }

    // A point inside the map's bounds, as fractions of its width and height.
    kx::TMapPoint Inside(double fx, double fy)
    {
        const auto &b = MapBounds();
        return {b.minX + fx * b.Width(), b.minY + fy * b.Height()};
    }

    ComPtr<IMapRect> Rect(double minX, double minY, double maxX, double maxY)
    {
        ComPtr<IMapRect> rect;
        shell.FactoryInterface()->CreateMapRect(minX, minY, maxX, maxY, rect.Put());
        return rect;
    }

    // Panel state fillers.
    void LoadTrack(const kx::TMapPointArray &points)
    {
        std::vector<double> crds;
        for (size_t k = 0; k < points.size(); ++k) {
            const double fields[] = {45000.0 + k / 86400.0, 83.0, 55.0, 10.0 * k, 40.0};
            crds.insert(crds.end(), std::begin(fields), std::end(fields));
        }
        kx::Track track = kx::Track::FromCrds(std::move(crds));
        for (size_t k = 0; k < points.size(); ++k) track.SetMapPoint(static_cast<int>(k), points[k]);
        State().Trip.Track = std::move(track);
    }
    void PlaceMarker(const kx::TMapPoint &at) { State().Player.MarkerPolygons = kx::BuildMarker(at.X, at.Y, 0.3, 40); }
    void AddCheckpoint(const kx::TMapPoint &centre, const std::wstring &text)
    {
        TPanelState &s = State();
        s.Checkpoints.Circles.push_back(
            {{{centre.X - 50, centre.Y}, {centre.X, centre.Y + 50}, {centre.X + 50, centre.Y}}, text});
    }
    // The default thirteen categories, every one empty.
    void UseDefaultCategories()
    {
        TPanelState &s = State();
        s.Settings.InfoPointCategories = kx::DefaultInfoPointCategories();
        const size_t n = s.Settings.InfoPointCategories.size();
        s.InfoPoints.Categories.assign(n, {});
    }
    void AddInfoPoint(int category, const kx::TMapPoint &at, const std::wstring &text)
    {
        TPanelState &s = State();
        s.InfoPoints.Categories[category].push_back({{at}, text});
    }
    void AddLastPoint(const kx::TMapPoint &at, const std::wstring &text)
    {
        TPanelState &s = State();
        s.LastPoints.Vehicles.push_back({{at}, text});
    }

private:
    long doubleDeletes_ = 0;
};

// The decoded size of a raster symbol's image, 0 when it has none.
inline int RasterWidth(const kxshell::SymbolDescription &symbol)
{
    return symbol.image ? symbol.image->width : 0;
}

}  // namespace layertest
