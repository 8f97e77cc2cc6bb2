// Shapes and the shape collection: what Assign makes, the boxes, and the two
// queries with their pass order.
#include "LayerTestSupport.h"

namespace {

using namespace layertest;

class ShapeCollectionTest : public LayerTest {
protected:
    TShapeRef MakeShape(LONG id, const kx::TMapPointArray &points, const std::wstring &text = L"",
                        std::optional<kx::TMapPoint> label = std::nullopt, LONG colour = 0x123456)
    {
        auto shape = std::make_shared<TShape>(view.get());
        shape->Assign(id, TShape::KindPolygon, std::make_shared<const kx::TMapPointArray>(points), L"name", text,
                      label, colour, nullptr);
        return shape;
    }
    std::vector<LONG> FoundIds()
    {
        std::vector<LONG> ids;
        for (const auto &shape : layer->Shapes().Found) ids.push_back(shape->Id());
        return ids;
    }
};

TEST_F(ShapeCollectionTest, LabelObjectsAreMadeOnlyForAText)
{
    const kx::TMapPointArray points = {Inside(0.5, 0.5)};

    auto silent = MakeShape(1, points, L"", kx::TMapPoint{10, 20});
    EXPECT_EQ(nullptr, silent->LabelPoint());
    EXPECT_EQ(nullptr, silent->TextSymbol());
    EXPECT_EQ(0u, Registry().CountCalls("IGrymObjectFactory.CreateMapPoint"));
    EXPECT_EQ(0u, Registry().CountCalls("IGrymObjectFactory.CreateTextSymbol"));

    auto unanchored = MakeShape(2, points, L"KT");
    EXPECT_EQ(nullptr, unanchored->LabelPoint());
    ASSERT_NE(nullptr, unanchored->TextSymbol());

    auto anchored = MakeShape(3, points, L"KT", kx::TMapPoint{10, 20}, 0xAAAAAA);
    ASSERT_NE(nullptr, anchored->LabelPoint());
    double x = 0, y = 0;
    anchored->LabelPoint()->GetX(&x);
    anchored->LabelPoint()->GetY(&y);
    EXPECT_EQ(10, x);
    EXPECT_EQ(20, y);
    // Arial 8 pt bold in the colour given, passed unchanged.
    const kxshell::SymbolDescription text = kxshell::DescribeSymbol(anchored->TextSymbol());
    EXPECT_EQ(kxshell::SymbolKind::Text, text.kind);
    EXPECT_EQ(L"Arial", text.faceName);
    // The OLE font rounds 8 points to whole pixels of the screen.
    EXPECT_NEAR(8.0, text.fontSize, 0.3);
    EXPECT_EQ(700, text.weight);
    EXPECT_FALSE(text.italic);
    EXPECT_EQ(0xAAAAAA, text.colour);
}

TEST_F(ShapeCollectionTest, ShapeKeepsItsOwnCopyOfTheVertices)
{
    kx::TMapPointArray points = {Inside(0.1, 0.1), Inside(0.2, 0.2)};
    auto shape = MakeShape(1, points);
    points[0] = {1, 2};
    points.push_back({3, 4});
    ASSERT_EQ(2u, shape->Points().size());
    EXPECT_EQ(Inside(0.1, 0.1), shape->Points()[0]);
}

TEST_F(ShapeCollectionTest, BoxIsTheUnionOfTheMapBoundsAndTheVertices)
{
    const auto &b = MapBounds();
    auto inside = MakeShape(1, {Inside(0.2, 0.3), Inside(0.7, 0.6)});
    EXPECT_EQ(b.minX, inside->BoundingBox().MinX);
    EXPECT_EQ(b.minY, inside->BoundingBox().MinY);
    EXPECT_EQ(b.maxX, inside->BoundingBox().MaxX);
    EXPECT_EQ(b.maxY, inside->BoundingBox().MaxY);

    auto empty = MakeShape(2, {});
    EXPECT_EQ(b.minX, empty->BoundingBox().MinX);
    EXPECT_EQ(b.maxY, empty->BoundingBox().MaxY);

    // Each side grows on its own: one vertex left of the map and one above.
    auto outside = MakeShape(3, {{b.minX - 100, b.minY + 1}, {b.minX + 1, b.maxY + 50}});
    EXPECT_EQ(b.minX - 100, outside->BoundingBox().MinX);
    EXPECT_EQ(b.minY, outside->BoundingBox().MinY);
    EXPECT_EQ(b.maxX, outside->BoundingBox().MaxX);
    EXPECT_EQ(b.maxY + 50, outside->BoundingBox().MaxY);
}

TEST_F(ShapeCollectionTest, RectangleQueryIsStrictOnEveryEdge)
{
    const auto &b = MapBounds();
    layer->Shapes().TrackLines.push_back(MakeShape(1, {Inside(0.5, 0.5)}));
    TShapeCollection &shapes = layer->Shapes();

    // Touching an edge of the box from outside selects nothing.
    EXPECT_EQ(0, shapes.SelectInRect(Rect(b.maxX, b.minY, b.maxX + 10, b.maxY).Get()));
    EXPECT_EQ(0, shapes.SelectInRect(Rect(b.minX - 10, b.minY, b.minX, b.maxY).Get()));
    EXPECT_EQ(0, shapes.SelectInRect(Rect(b.minX, b.maxY, b.maxX, b.maxY + 10).Get()));
    EXPECT_EQ(0, shapes.SelectInRect(Rect(b.minX, b.minY - 10, b.maxX, b.minY).Get()));
    // A sliver of overlap selects it.
    EXPECT_EQ(1, shapes.SelectInRect(Rect(b.maxX - 0.5, b.minY, b.maxX + 10, b.maxY).Get()));
    // Anywhere over the map selects it, far from its vertex: its box is the map's.
    EXPECT_EQ(1, shapes.SelectInRect(Rect(b.minX + 1, b.minY + 1, b.minX + 2, b.minY + 2).Get()));
}

TEST_F(ShapeCollectionTest, QueriesPassTheInfoPointsTwiceInTheirOrder)
{
    TShapeCollection &shapes = layer->Shapes();
    const kx::TMapPointArray at = {Inside(0.5, 0.5)};
    shapes.Vehicles.push_back(MakeShape(40, at));
    shapes.Checkpoints.push_back(MakeShape(30, at));
    shapes.TrackLines.push_back(MakeShape(20, at));
    shapes.TrackLines.push_back(MakeShape(21, at));
    shapes.InfoPointIcons.push_back(MakeShape(10, at));

    // Drawing order: info points, track, checkpoints, info points again on
    // top of them, vehicles last.
    EXPECT_EQ(6, shapes.SelectInRect(Rect(MapBounds().minX, MapBounds().minY, MapBounds().maxX, MapBounds().maxY).Get()));
    EXPECT_EQ((std::vector<LONG>{10, 20, 21, 30, 10, 40}), FoundIds());
    EXPECT_EQ(shapes.Found[0].get(), shapes.Found[4].get());

    EXPECT_EQ(2, shapes.SelectById(10));
    EXPECT_EQ((std::vector<LONG>{10, 10}), FoundIds());
    // By number the vehicles come before the track.
    shapes.TrackLines[1] = MakeShape(40, at);
    EXPECT_EQ(2, shapes.SelectById(40));
    EXPECT_EQ(shapes.Vehicles[0].get(), shapes.Found[0].get());
    // A number no shape has empties the previous result.
    EXPECT_EQ(0, shapes.SelectById(99));
    EXPECT_TRUE(shapes.Found.empty());
}

TEST_F(ShapeCollectionTest, EmptiedListLeavesTheWalkedShapeUsableUntilTheWalkMoves)
{
    PlaceMarker(Inside(0.5, 0.5));
    layer->BuildShapes(TLayer::BuildVehicleMarker);
    ComPtr<IShapeCursor> cursor;
    ASSERT_EQ(S_OK, Source()->SelectInRect(Rect(MapBounds().minX, MapBounds().minY, MapBounds().maxX, MapBounds().maxY).Get(), cursor.Put()));
    ComPtr<kxshell::ShapeSink> sink(new kxshell::ShapeSink(shell.SharedRegistry()));
    VARIANT_BOOL more = VARIANT_FALSE;
    ASSERT_EQ(S_OK, cursor->Next(sink.Get(), &more));
    ASSERT_EQ(VARIANT_TRUE, more);

    // The panel hides the vehicles while the shell is on the first of them.
    layer->Shapes().Vehicles.clear();
    BSTR hint = nullptr;
    EXPECT_EQ(S_OK, cursor->Hint(&hint));
    EXPECT_EQ(L"TS", TakeBstr(hint));
    IPolygonSymbol *symbol = nullptr;
    EXPECT_EQ(S_OK, cursor->SymbolAs2(&symbol));
    EXPECT_EQ(kxshell::SymbolKind::Polygon, kxshell::DescribeSymbol(symbol).kind);
    if (symbol) symbol->Release();

    // The result still lists the second shape; after it the walk ends.
    ASSERT_EQ(S_OK, cursor->Next(sink.Get(), &more));
    EXPECT_EQ(VARIANT_TRUE, more);
    ASSERT_EQ(S_OK, cursor->Next(sink.Get(), &more));
    EXPECT_EQ(VARIANT_FALSE, more);
    cursor.Reset();
    // A new query forgets the removed shapes.
    EXPECT_EQ(0u, WalkAll().shapes.size());
}

}  // namespace
