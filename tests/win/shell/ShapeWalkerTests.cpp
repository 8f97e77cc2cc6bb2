// ShapeWalker against a small layer of the test's own: what the shell
// collects from each shape, the protocol faults it notices, and that it
// gives back everything it took.
#include "ShellTestSupport.h"

#include <gtest/gtest.h>
#include <olectl.h>

using namespace kxshell;

namespace {

class WalkerTest : public testing::Test {
protected:
    StandInShell shell_;
    IGrymObjectFactory *factory_ = shell_.FactoryInterface();
    ComPtr<shelltest::TestLayer> layer_{new shelltest::TestLayer};

    void SetUp() override {
        ComPtr<ISymbol> line, outline, polygon, icon;
        factory_->CreateLineSymbol(1, 0.5, 0xFF, line.Put());
        factory_->CreateLineSymbol(1, 0.7, 0, outline.Put());
        factory_->CreatePolygonSymbol(1, 0x1FFFFFFF, 0, outline.Get(), polygon.Put());
        SAFEARRAY *bytes = shelltest::ByteArray(shelltest::TinyIcon());
        ComPtr<IRaster> raster;
        factory_->CreateRaster(bytes, raster.Put());
        SafeArrayDestroy(bytes);
        factory_->CreateRasterSymbol(raster.Get(), 1.0, icon.Put());

        FONTDESC desc{sizeof(FONTDESC), const_cast<LPOLESTR>(L"Arial"), {}, 400, ANSI_CHARSET, FALSE, FALSE, FALSE};
        desc.cySize.int64 = 8 * 10000;
        ComPtr<IFont> font;
        OleCreateFontIndirect(&desc, IID_IFont, reinterpret_cast<void **>(font.Put()));
        ComPtr<ITextSymbol> text;
        factory_->CreateTextSymbol(font.Get(), 0xAAAAAA, text.Put());
        ComPtr<IMapPoint> label;
        factory_->CreateMapPoint(0, 0, label.Put());

        layer_->shapes.push_back({10, kShapeLine, {0, 0, 100, 100, 200, 50}, L"Трек", L"Track Line", label, text, line});
        layer_->shapes.push_back({11, kShapePolygon, {500, 500, 520, 500, 510, 520}, L"ТС", L"TS", nullptr, nullptr, polygon});
        layer_->shapes.push_back({12, kShapeIcon, {1000, 1000}, L"Заправка", L"+20 л", nullptr, nullptr, icon});
    }
};

TEST_F(WalkerTest, CollectsEveryShapeWithItsKindsSymbol) {
    const WalkResult result = ShapeWalker(shell_.SharedRegistry()).Walk(layer_.Get(), {-10, -10, 2000, 2000});
    ASSERT_TRUE(result.Ok()) << (result.problems.empty() ? "" : result.problems[0]);
    ASSERT_EQ(3u, result.shapes.size());

    const WalkedShape &track = result.shapes[0];
    EXPECT_EQ(10, track.id);
    EXPECT_EQ(kShapeLine, track.kind);
    EXPECT_EQ((std::vector<double>{0, 0, 100, 100, 200, 50}), track.coordinates);
    EXPECT_EQ(L"Трек", track.title);
    EXPECT_EQ(L"Track Line", track.hint);
    EXPECT_TRUE(track.hasLabel);
    EXPECT_EQ(SymbolKind::Text, track.textSymbol.kind);
    EXPECT_EQ(L"Arial", track.textSymbol.faceName);
    EXPECT_EQ(SymbolKind::Line, track.symbol.kind);
    EXPECT_EQ(0.5, track.symbol.width);
    EXPECT_EQ(0xFF, track.symbol.colour);

    const WalkedShape &marker = result.shapes[1];
    EXPECT_EQ(kShapePolygon, marker.kind);
    EXPECT_FALSE(marker.hasLabel);
    EXPECT_EQ(SymbolKind::None, marker.textSymbol.kind);
    EXPECT_EQ(SymbolKind::Polygon, marker.symbol.kind);
    EXPECT_EQ(0x1FFFFFFF, marker.symbol.fillColour);
    ASSERT_TRUE(marker.symbol.outline);
    EXPECT_EQ(0.7, marker.symbol.outline->width);

    const WalkedShape &icon = result.shapes[2];
    EXPECT_EQ(kShapeIcon, icon.kind);
    EXPECT_EQ(1u, icon.VertexCount());
    EXPECT_EQ(SymbolKind::Raster, icon.symbol.kind);
    ASSERT_TRUE(icon.symbol.image);
    EXPECT_EQ(2, icon.symbol.image->width);
}

TEST_F(WalkerTest, GivesBackEverythingItTookAndFreesItsOwnObjects) {
    const ULONG layerRefs = layer_->Refs();
    const RefSnapshot before = shell_.Registry().Snapshot();
    ShapeWalker(shell_.SharedRegistry()).Walk(layer_.Get(), {-10, -10, 2000, 2000});
    EXPECT_EQ(layerRefs, layer_->Refs());
    EXPECT_TRUE(shell_.Registry().DifferencesFrom(before).empty());
}

TEST_F(WalkerTest, SelectsByRectangleAndById) {
    ShapeWalker walker(shell_.SharedRegistry());
    WalkResult result = walker.Walk(layer_.Get(), {400, 400, 600, 600});
    ASSERT_EQ(1u, result.shapes.size());
    EXPECT_EQ(11, result.shapes[0].id);

    result = walker.Walk(layer_.Get(), {5000, 5000, 6000, 6000});
    EXPECT_EQ(S_FALSE, result.selectResult);
    EXPECT_TRUE(result.shapes.empty());
    EXPECT_TRUE(result.Ok());

    result = walker.WalkById(layer_.Get(), 12);
    ASSERT_EQ(1u, result.shapes.size());
    EXPECT_EQ(L"+20 л", result.shapes[0].hint);
}

TEST_F(WalkerTest, TitlesAreAskedOnlyWhenWanted) {
    WalkOptions options;
    options.askTitle = false;
    const WalkResult result = ShapeWalker(shell_.SharedRegistry()).Walk(layer_.Get(), {-10, -10, 2000, 2000}, options);
    ASSERT_EQ(3u, result.shapes.size());
    EXPECT_TRUE(result.shapes[0].title.empty());
    EXPECT_EQ(E_FAIL, result.shapes[0].titleResult);
}

TEST_F(WalkerTest, ReportsGeometryOfTheWrongTypeAndAMissingId) {
    layer_->badGeometry = true;
    layer_->skipSetId = true;
    const WalkResult result = ShapeWalker(shell_.SharedRegistry()).Walk(layer_.Get(), {400, 400, 600, 600});
    EXPECT_FALSE(result.Ok());
    ASSERT_EQ(2u, result.problems.size());
    EXPECT_NE(std::string::npos, result.problems[0].find("SetId"));
    EXPECT_NE(std::string::npos, result.problems[1].find("VT_ARRAY|VT_R8"));
}

TEST(ShapeSinkGeometry, OddCountsAndTwoDimensionalArraysAreRefused) {
    auto registry = std::make_shared<ShellRegistry>();
    ComPtr<ShapeSink> sink(new ShapeSink(registry));
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ARRAY | VT_R8;
    v.parray = SafeArrayCreateVector(VT_R8, 0, 3);
    EXPECT_EQ(E_INVALIDARG, sink->SetGeometry(1, v));
    EXPECT_NE(std::string::npos, sink->GeometryProblem().find("odd"));
    SafeArrayDestroy(v.parray);
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    v.parray = SafeArrayCreate(VT_R8, 2, bounds);
    EXPECT_EQ(E_INVALIDARG, sink->SetGeometry(1, v));
    SafeArrayDestroy(v.parray);
    v.parray = SafeArrayCreateVector(VT_R8, 0, 4);
    EXPECT_EQ(S_OK, sink->SetGeometry(2, v));
    EXPECT_EQ(4u, sink->Coordinates().size());
    EXPECT_TRUE(sink->GeometryProblem().empty());
    SafeArrayDestroy(v.parray);
}

}  // namespace
