// The map window draws at the map's scale: of a line it keeps only the
// vertices that show (one a pixel, only the segments that reach the
// window), of polygons and icons only those in view. Each picture must be
// the one drawn from every vertex, pixel for pixel.
#include "ShellTestSupport.h"

#include "Canvas.h"
#include "LayerPainter.h"
#include "Viewport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace kxshell;
using kxapp::Canvas;
using kxapp::FrameStats;
using kxapp::LayerPainter;
using kxapp::Viewport;

namespace {

const double kPi = 3.14159265358979;

class PaintAtScale : public testing::Test {
protected:
    StandInShell shell_;
    IGrymObjectFactory *factory_ = shell_.FactoryInterface();
    ComPtr<shelltest::TestLayer> layer_{new shelltest::TestLayer};
    Viewport view_;

    void SetUp() override {
        shell_.Layers().AddLayer(layer_.Get());
        view_.width = 320;
        view_.height = 240;
        view_.visible = {0, 0, 3200, 2400};  // ten metres a pixel
    }
    void TearDown() override { shell_.Shutdown(); }

    ComPtr<ISymbol> Line(double millimetres, long colour) {
        ComPtr<ISymbol> symbol;
        factory_->CreateLineSymbol(1, millimetres, colour, symbol.Put());
        return symbol;
    }
    // The track as the plug-in draws it: wide black under narrow red.
    void AddTrack(const std::vector<double> &xy) {
        layer_->shapes.push_back({1, kShapeLine, xy, L"Трек", L"", nullptr, nullptr, Line(1.0, 0)});
        layer_->shapes.push_back({2, kShapeLine, xy, L"Трек", L"", nullptr, nullptr, Line(0.5, 0xFF)});
    }

    struct Picture {
        std::vector<uint32_t> pixels;
        FrameStats stats;
    };
    Picture Draw(bool everyVertex) {
        LayerPainter painter;
        painter.DrawEveryVertex(everyVertex);
        return Draw(painter);
    }
    Picture Draw(LayerPainter &painter) {
        Canvas canvas;
        EXPECT_TRUE(canvas.Resize(view_.width, view_.height));
        RECT all{0, 0, view_.width, view_.height};
        FillRect(canvas.Dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        Picture picture;
        picture.stats = painter.Paint(shell_, canvas, view_);
        canvas.Sync();
        picture.pixels.assign(canvas.Pixels(), canvas.Pixels() + view_.width * view_.height);
        return picture;
    }
    // Draws both ways; the count of pixels that differ, and the two frames.
    size_t Differences(FrameStats &reduced, FrameStats &every) {
        const Picture a = Draw(false), b = Draw(true);
        reduced = a.stats;
        every = b.stats;
        size_t differ = 0;
        for (size_t i = 0; i < a.pixels.size(); ++i) differ += a.pixels[i] != b.pixels[i];
        return differ;
    }
    size_t Inked(const Picture &p) const {
        size_t n = 0;
        for (uint32_t v : p.pixels) n += (v & 0xFFFFFF) != 0xFFFFFF;
        return n;
    }
};

// Laps of an oval at a few centimetres a step: thousands of vertices a pixel.
std::vector<double> Laps(int points, double step, double cx, double cy, double rx, double ry) {
    std::vector<double> xy;
    for (int i = 0; i < points; ++i) {
        const double a = i * step / rx;
        xy.push_back(cx + rx * std::cos(a) + 3 * std::sin(i * 0.37));
        xy.push_back(cy + ry * std::sin(a) + 3 * std::cos(i * 0.53));
    }
    return xy;
}

TEST_F(PaintAtScale, DenseLapsInViewLookTheSameFromAFractionOfTheirVertices) {
    AddTrack(Laps(200000, 0.5, 1600, 1200, 1300, 900));
    FrameStats reduced, every;
    EXPECT_EQ(0u, Differences(reduced, every));
    EXPECT_EQ(2 * 200000u, reduced.vertices);
    EXPECT_EQ(every.vertices, every.drawnVertices);
    // A vertex a pixel of each lap at most: the wobble keeps more than the
    // 0.05 pixel a step alone would.
    EXPECT_LT(reduced.drawnVertices, reduced.vertices / 4);
    EXPECT_GT(Inked(Draw(false)), 1000u);
}

TEST_F(PaintAtScale, TracksRunningFarOutsideTheViewKeepOnlyWhatCrossesIt) {
    std::vector<double> xy;
    // From far west to far east through the view, out north and back, a
    // long stretch south of it, and a last leg ending inside.
    for (double x = -500000; x <= 500000; x += 997) xy.insert(xy.end(), {x, 1200 + 0.3 * std::fmod(x, 70)});
    for (double y = 1200; y <= 900000; y += 1511) xy.insert(xy.end(), {500000 - y / 3, y});
    for (double x = 200000; x >= -300000; x -= 2003) xy.insert(xy.end(), {x, -40000});
    xy.insert(xy.end(), {-300000, 2000, 1000, 2000, 1500, 900});
    AddTrack(xy);
    FrameStats reduced, every;
    EXPECT_EQ(0u, Differences(reduced, every));
    EXPECT_LT(reduced.drawnVertices, reduced.vertices / 10);
}

TEST_F(PaintAtScale, JitterAroundPixelBordersAndSharpTurnsLookTheSame) {
    std::vector<double> xy;
    for (int i = 0; i < 20000; ++i) {
        // A zig-zag whose vertices sit near pixel borders, turning sharply.
        const double x = 400 + i * 0.12 + ((i % 7) - 3) * 4.99;
        const double y = 1200 + 600 * std::sin(i * kPi / 2500) + ((i % 5) - 2) * 5.01;
        xy.insert(xy.end(), {x, y});
    }
    AddTrack(xy);
    // And a line that never leaves one pixel: a dot either way.
    layer_->shapes.push_back({3, kShapeLine, {2000.2, 500.3, 2003, 504, 2001, 501}, L"", L"", nullptr, nullptr, Line(1.0, 0xFF00)});
    FrameStats reduced, every;
    EXPECT_EQ(0u, Differences(reduced, every));
    EXPECT_LT(reduced.drawnVertices, reduced.vertices);
}

TEST_F(PaintAtScale, AFrameDrawnIntoTheLastFramesArraysIsTheFreshOne) {
    // A track crossing the view in parts, then the view moved and zoomed
    // in: nothing of the first frame's vertices, parts or extents stays.
    std::vector<double> xy = Laps(50000, 0.5, 1600, 1200, 1300, 900);
    for (double x = -50000; x <= 50000; x += 97) xy.insert(xy.end(), {x, 600 + 0.3 * std::fmod(x, 70)});
    AddTrack(xy);
    layer_->shapes.push_back({3, kShapeLine, {2000.2, 500.3, 2003, 504}, L"", L"", nullptr, nullptr, Line(1.0, 0xFF00)});
    LayerPainter reused;
    const Picture first = Draw(reused);
    view_.visible = {-800, 300, 800, 1500};
    const Picture second = Draw(reused);
    LayerPainter fresh;
    const Picture expected = Draw(fresh);
    EXPECT_NE(first.pixels, second.pixels);
    EXPECT_EQ(expected.pixels, second.pixels);
    EXPECT_EQ(expected.stats.drawnVertices, second.stats.drawnVertices);
    ASSERT_EQ(fresh.Drawn().size(), reused.Drawn().size());
    for (size_t i = 0; i < fresh.Drawn().size(); ++i) {
        const kxapp::DrawnShape &a = fresh.Drawn()[i], &b = reused.Drawn()[i];
        EXPECT_EQ(a.id, b.id);
        EXPECT_EQ(a.points.size(), b.points.size()) << i;
        EXPECT_EQ(a.partStarts, b.partStarts) << i;
        EXPECT_TRUE(EqualRect(&a.extent, &b.extent) && EqualRect(&a.bounds, &b.bounds)) << i;
    }
}

TEST_F(PaintAtScale, PolygonsAndIconsOutsideTheViewAreSkipped) {
    // Handed out whatever the rectangle, as the plug-in's layer does (its
    // shapes' boxes take in the whole map).
    layer_->ignoresRectangle = true;
    ComPtr<ISymbol> outline = Line(0.5, 0xFF), fill;
    factory_->CreatePolygonSymbol(1, 0x00FF00, 0, outline.Get(), fill.Put());
    layer_->shapes.push_back({4, kShapePolygon, {1000, 1000, 90000, 1000, 90000, -90000}, L"", L"", nullptr, nullptr, fill});
    std::vector<double> ring;
    for (int i = 0; i < 400; ++i) ring.insert(ring.end(), {-20000 + 500 * std::cos(i * kPi / 200), 1200 + 500 * std::sin(i * kPi / 200)});
    layer_->shapes.push_back({5, kShapePolygon, ring, L"", L"", nullptr, nullptr, fill});
    SAFEARRAY *bytes = shelltest::ByteArray(shelltest::TinyIcon());
    ComPtr<IRaster> raster;
    factory_->CreateRaster(bytes, raster.Put());
    SafeArrayDestroy(bytes);
    ComPtr<ISymbol> icon;
    factory_->CreateRasterSymbol(raster.Get(), 4.0, icon.Put());
    layer_->shapes.push_back({6, kShapeIcon, {-5000, -5000}, L"", L"", nullptr, nullptr, icon});
    layer_->shapes.push_back({7, kShapeIcon, {1600, 1200}, L"", L"", nullptr, nullptr, icon});

    FrameStats reduced, every;
    EXPECT_EQ(0u, Differences(reduced, every));
    EXPECT_EQ(3u + 400u + 2u, every.drawnVertices);
    // The polygon in part, the icons' points; nothing of the ring.
    EXPECT_EQ(3u + 2u, reduced.drawnVertices);
}

TEST(StrokeLine, CoversTheSegmentWithARoundPenAndClipsHugeOnes) {
    Canvas canvas;
    ASSERT_TRUE(canvas.Resize(40, 20));
    memset(canvas.Pixels(), 0, 40 * 20 * 4);
    const POINT across[] = {{-1000000, 10}, {1000000, 10}};
    canvas.StrokeLine(across, 2, 4, RGB(255, 0, 0));
    for (int x = 0; x < 40; ++x) {
        // A pen four pixels wide: rows 8 to 11.
        for (int y = 0; y < 20; ++y)
            EXPECT_EQ(y >= 8 && y <= 11 ? 0xFF0000u : 0u, canvas.Pixels()[y * 40 + x]) << x << "," << y;
    }
    memset(canvas.Pixels(), 0, 40 * 20 * 4);
    const POINT dot[] = {{5, 5}};
    canvas.StrokeLine(dot, 1, 3, RGB(0, 0, 255));
    size_t inked = 0;
    for (int i = 0; i < 40 * 20; ++i) inked += canvas.Pixels()[i] == 0xFFu;
    EXPECT_EQ(9u, inked);
    EXPECT_EQ(0xFFu, canvas.Pixels()[4 * 40 + 4]);
    EXPECT_EQ(0xFFu, canvas.Pixels()[6 * 40 + 6]);
}

}  // namespace
