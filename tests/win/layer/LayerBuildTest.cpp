// The five build modes: what each makes from the panel state, what each
// empties first, and what happens when the state lacks what a mode reads.
#include "IconResources.h"
#include "LayerTestSupport.h"

namespace {

using namespace layertest;
using kxshell::SymbolKind;

class LayerBuildTest : public LayerTest {
protected:
    const kx::TMapPointArray track = {Inside(0.2, 0.2), Inside(0.4, 0.3), Inside(0.6, 0.5)};

    std::vector<double> Flat(const kx::TMapPointArray &points)
    {
        std::vector<double> values;
        for (const auto &p : points) {
            values.push_back(p.X);
            values.push_back(p.Y);
        }
        return values;
    }
};

TEST_F(LayerBuildTest, TrackIsABlackLineUnderARedOne)
{
    LoadTrack(track);
    layer->BuildShapes(TLayer::BuildTrack);
    const auto walk = WalkAll();
    ASSERT_TRUE(walk.Ok());
    ASSERT_EQ(2u, walk.shapes.size());
    for (const auto &shape : walk.shapes) {
        EXPECT_EQ(kxshell::kShapeLine, shape.kind);
        EXPECT_EQ(Flat(track), shape.coordinates);
        EXPECT_EQ(L"Track Line", shape.hint);
        EXPECT_TRUE(shape.hasLabel);
        EXPECT_EQ(0, shape.labelX);
        EXPECT_EQ(0, shape.labelY);
        EXPECT_EQ(0xAAAAAA, shape.textSymbol.colour);
        EXPECT_EQ(SymbolKind::Line, shape.symbol.kind);
        EXPECT_EQ(1, shape.symbol.style);
    }
    EXPECT_EQ(1.0, walk.shapes[0].symbol.width);
    EXPECT_EQ(0, walk.shapes[0].symbol.colour);
    EXPECT_EQ(0.5, walk.shapes[1].symbol.width);
    EXPECT_EQ(0xFF, walk.shapes[1].symbol.colour);
    EXPECT_EQ(L"Трек", layer->Shapes().TrackLines[0]->Name());
}

TEST_F(LayerBuildTest, TrackLinesHoldTheTripsOneArrayOfPointsAndOutliveIt)
{
    LoadTrack(track);
    layer->BuildShapes(TLayer::BuildTrack);
    const TShapeList &lines = layer->Shapes().TrackLines;
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(&State().Trip.TrackMapPoints(), &lines[0]->Points());
    EXPECT_EQ(&State().Trip.TrackMapPoints(), &lines[1]->Points());

    // Another trip replaces the track before the lines are rebuilt: the
    // shell's next walk still reads the old points, whole.
    State().Trip.Track = kx::Track();
    const auto walk = WalkAll();
    ASSERT_TRUE(walk.Ok());
    ASSERT_EQ(2u, walk.shapes.size());
    EXPECT_EQ(Flat(track), walk.shapes[0].coordinates);
}

TEST_F(LayerBuildTest, TrackReplacesTheOldTrackAndRemovesTheVehicles)
{
    LoadTrack(track);
    PlaceMarker(Inside(0.5, 0.5));
    AddLastPoint(Inside(0.3, 0.3), L"car");
    layer->BuildShapes(TLayer::BuildVehicleMarker);
    layer->BuildShapes(TLayer::BuildLastPoint);
    layer->BuildShapes(TLayer::BuildTrack);
    layer->BuildShapes(TLayer::BuildTrack);
    EXPECT_EQ(2u, layer->Shapes().TrackLines.size());
    EXPECT_TRUE(layer->Shapes().Vehicles.empty());

    // A trip without points leaves no line behind.
    LoadTrack({});
    layer->BuildShapes(TLayer::BuildTrack);
    EXPECT_TRUE(layer->Shapes().TrackLines.empty());
    EXPECT_EQ(0u, WalkAll().shapes.size());
}

TEST_F(LayerBuildTest, MarkerIsTwoPolygonsWithTheirSymbols)
{
    PlaceMarker(Inside(0.5, 0.5));
    const TMapPointArrays polygons = State().Player.MarkerPolygons;
    layer->BuildShapes(TLayer::BuildVehicleMarker);
    const auto walk = WalkAll(/*askTitle=*/true);
    ASSERT_TRUE(walk.Ok());
    ASSERT_EQ(2u, walk.shapes.size());
    for (size_t i = 0; i < 2; ++i) {
        const auto &shape = walk.shapes[i];
        EXPECT_EQ(kxshell::kShapePolygon, shape.kind);
        EXPECT_EQ(Flat(polygons[i]), shape.coordinates);
        EXPECT_EQ(L"ТС", shape.title);
        EXPECT_EQ(L"TS", shape.hint);
        EXPECT_TRUE(shape.hasLabel);
        EXPECT_EQ(0xAAAAAA, shape.textSymbol.colour);
        EXPECT_EQ(SymbolKind::Polygon, shape.symbol.kind);
        EXPECT_EQ(1, shape.symbol.style);
        ASSERT_TRUE(shape.symbol.outline);
        EXPECT_EQ(SymbolKind::Line, shape.symbol.outline->kind);
    }
    const auto &outer = walk.shapes[0].symbol;
    EXPECT_EQ(0x1FFFFFFF, outer.fillColour);
    EXPECT_EQ(0, outer.backColour);
    EXPECT_EQ(0.7, outer.outline->width);
    EXPECT_EQ(0, outer.outline->colour);
    const auto &inner = walk.shapes[1].symbol;
    EXPECT_EQ(0xFF, inner.fillColour);
    EXPECT_EQ(0xFF, inner.backColour);
    EXPECT_EQ(0.5, inner.outline->width);
    EXPECT_EQ(0xFF, inner.outline->colour);
}

TEST_F(LayerBuildTest, MarkerRebuildTouchesOnlyTheVehicles)
{
    LoadTrack(track);
    AddCheckpoint(Inside(0.5, 0.5), L"КП 1");
    UseDefaultCategories();
    AddInfoPoint(1, Inside(0.1, 0.1), L"stop");
    PlaceMarker(Inside(0.5, 0.5));
    for (int mode : {1, 4, 3, 2}) layer->BuildShapes(mode);

    Registry().ClearCalls();
    layer->BuildShapes(TLayer::BuildVehicleMarker);
    EXPECT_EQ(2u, layer->Shapes().Vehicles.size());
    EXPECT_EQ(2u, layer->Shapes().TrackLines.size());
    EXPECT_EQ(1u, layer->Shapes().Checkpoints.size());
    EXPECT_EQ(1u, layer->Shapes().InfoPointIcons.size());
    // What one tick of the player costs the shell: four symbols, two labels.
    EXPECT_EQ(2u, Registry().CountCalls("IGrymObjectFactory.CreateLineSymbol"));
    EXPECT_EQ(2u, Registry().CountCalls("IGrymObjectFactory.CreatePolygonSymbol"));
    EXPECT_EQ(2u, Registry().CountCalls("IGrymObjectFactory.CreateMapPoint"));
    EXPECT_EQ(2u, Registry().CountCalls("IGrymObjectFactory.CreateTextSymbol"));
}

TEST_F(LayerBuildTest, MarkerWithoutItsPolygonsIsNotDrawn)
{
    PlaceMarker(Inside(0.5, 0.5));
    layer->BuildShapes(TLayer::BuildVehicleMarker);
    // The panel's shut-down empties the polygons; a late tick still builds.
    State().ClearForShutdown();
    layer->BuildShapes(TLayer::BuildVehicleMarker);
    EXPECT_TRUE(layer->Shapes().Vehicles.empty());
    State().Player.MarkerPolygons.assign(2, {});
    layer->BuildShapes(TLayer::BuildVehicleMarker);
    EXPECT_TRUE(layer->Shapes().Vehicles.empty());
}

TEST_F(LayerBuildTest, CheckpointsAreHatchedCirclesNamedByTheirTexts)
{
    AddCheckpoint(Inside(0.3, 0.3), L"КП 1");
    AddCheckpoint(Inside(0.6, 0.6), L"КП 2");
    layer->BuildShapes(TLayer::BuildCheckpoints);
    const auto walk = WalkAll(/*askTitle=*/true);
    ASSERT_TRUE(walk.Ok());
    ASSERT_EQ(2u, walk.shapes.size());
    EXPECT_EQ(L"КП 1", walk.shapes[0].title);
    EXPECT_EQ(L"КП 2", walk.shapes[1].title);
    for (size_t i = 0; i < 2; ++i) {
        const auto &shape = walk.shapes[i];
        EXPECT_EQ(kxshell::kShapePolygon, shape.kind);
        EXPECT_EQ(Flat(State().Checkpoints.Circles[i].Points), shape.coordinates);
        EXPECT_EQ(L"KT", shape.hint);
        EXPECT_TRUE(shape.hasLabel);
        EXPECT_EQ(0xAAAAAA, shape.textSymbol.colour);
        EXPECT_EQ(7, shape.symbol.style);
        EXPECT_EQ(0, shape.symbol.fillColour);
        EXPECT_EQ(static_cast<long>(0xFFFFFFFF), shape.symbol.backColour);
        ASSERT_TRUE(shape.symbol.outline);
        EXPECT_EQ(0.5, shape.symbol.outline->width);
        EXPECT_EQ(0xFF, shape.symbol.outline->colour);
    }

    // A rebuild replaces, never appends.
    layer->BuildShapes(TLayer::BuildCheckpoints);
    EXPECT_EQ(2u, layer->Shapes().Checkpoints.size());
    State().Checkpoints.Circles.pop_back();
    layer->BuildShapes(TLayer::BuildCheckpoints);
    EXPECT_EQ(1u, layer->Shapes().Checkpoints.size());
}

TEST_F(LayerBuildTest, InfoPointsShowTheirCategoryIconAndADrainShowsIcX)
{
    UseDefaultCategories();
    const int tank1 = 5;
    ASSERT_EQ("IcZ", State().Settings.InfoPointCategories[tank1].Icon);
    AddInfoPoint(tank1, Inside(0.1, 0.2), L"+40.5 л");
    AddInfoPoint(tank1, Inside(0.3, 0.4), L"-12.0 л");
    AddInfoPoint(2, Inside(0.5, 0.6), L"00:15:00");
    layer->BuildShapes(TLayer::BuildInfoPoints);

    const TShapeList &icons = layer->Shapes().InfoPointIcons;
    ASSERT_EQ(3u, icons.size());
    // Categories in row order, entries in list order.
    EXPECT_EQ(L"00:15:00", icons[0]->Name());
    EXPECT_EQ(IconBytes(L"IcV"), SymbolIconBytes(*icons[0]));
    EXPECT_EQ(IconBytes(L"IcZ"), SymbolIconBytes(*icons[1]));
    EXPECT_EQ(IconBytes(L"IcX"), SymbolIconBytes(*icons[2]));
    EXPECT_NE(IconBytes(L"IcZ"), IconBytes(L"IcX"));

    const auto walk = WalkAll(/*askTitle=*/true);
    ASSERT_TRUE(walk.Ok());
    ASSERT_EQ(6u, walk.shapes.size());  // each drawn twice
    const auto &drain = walk.shapes[2];
    EXPECT_EQ(kxshell::kShapeIcon, drain.kind);
    EXPECT_EQ(Flat({Inside(0.3, 0.4)}), drain.coordinates);
    EXPECT_EQ(L"-12.0 л", drain.title);
    EXPECT_EQ(L"-12.0 л", drain.hint);
    EXPECT_FALSE(drain.hasLabel);
    EXPECT_EQ(0xFF, drain.textSymbol.colour);
    EXPECT_EQ(SymbolKind::Raster, drain.symbol.kind);
    EXPECT_EQ(1.0, drain.symbol.scale);
    EXPECT_EQ(24, RasterWidth(drain.symbol));
}

TEST_F(LayerBuildTest, InfoPointsSkipRowZeroHiddenCategoriesAndMissingEntries)
{
    UseDefaultCategories();
    AddInfoPoint(0, Inside(0.5, 0.5), L"checkpoint row");
    AddInfoPoint(3, Inside(0.5, 0.5), L"hidden");
    State().Settings.InfoPointCategories[3].VisibleIcon = false;
    AddInfoPoint(4, Inside(0.5, 0.5), L"shown");
    AddInfoPoint(12, Inside(0.5, 0.5), L"not fetched");
    State().InfoPoints.Categories.resize(5);  // the table has rows the fetch has not
    layer->BuildShapes(TLayer::BuildInfoPoints);
    ASSERT_EQ(1u, layer->Shapes().InfoPointIcons.size());
    EXPECT_EQ(L"shown", layer->Shapes().InfoPointIcons[0]->Text());

    // A rebuild with every icon hidden empties the list.
    for (auto &category : State().Settings.InfoPointCategories) category.VisibleIcon = false;
    layer->BuildShapes(TLayer::BuildInfoPoints);
    EXPECT_TRUE(layer->Shapes().InfoPointIcons.empty());
}

TEST_F(LayerBuildTest, LastPointsAppendWithTheChosenVehicleIcon)
{
    State().Settings.IconNum = 7;
    PlaceMarker(Inside(0.5, 0.5));
    layer->BuildShapes(TLayer::BuildVehicleMarker);
    AddLastPoint(Inside(0.2, 0.2), L"<b>Газель</b><br />А123БВ<br />");
    AddLastPoint(Inside(0.7, 0.7), L"second");
    for (int k : {0, 1}) {
        State().LastPoints.Index = k;
        layer->BuildShapes(TLayer::BuildLastPoint);
    }
    const TShapeList &vehicles = layer->Shapes().Vehicles;
    ASSERT_EQ(4u, vehicles.size());
    const TShape &first = *vehicles[2];
    EXPECT_EQ(TShape::KindIcon, first.Kind());
    EXPECT_EQ(L"<b>Газель</b><br />А123БВ<br />", first.Name());
    EXPECT_EQ(L"<b>Газель</b>А123БВ", first.Text());
    EXPECT_EQ(nullptr, first.LabelPoint());
    ASSERT_NE(nullptr, first.TextSymbol());
    EXPECT_EQ(0xFF, kxshell::DescribeSymbol(first.TextSymbol()).colour);
    EXPECT_EQ(IconBytes(L"TSIcon_7"), SymbolIconBytes(first));
    EXPECT_EQ(Inside(0.7, 0.7), vehicles[3]->Points()[0]);
    const auto walk = WalkAll();
    ASSERT_TRUE(walk.Ok());
    EXPECT_EQ(48, RasterWidth(walk.shapes[2].symbol));
}

TEST_F(LayerBuildTest, LastPointWithoutAVehicleIconShowsTheDefaultCar)
{
    AddLastPoint(Inside(0.2, 0.2), L"car");
    // 0, as after start-up without settings; -1: the settings dialog
    // confirmed without a chosen icon; 167 and 999: numbers without a
    // vehicle icon, from a settings file.
    for (int n : {0, -1, 167, 999}) {
        State().Settings.IconNum = n;
        layer->Shapes().Vehicles.clear();
        layer->BuildShapes(TLayer::BuildLastPoint);
        ASSERT_EQ(1u, layer->Shapes().Vehicles.size());
        EXPECT_EQ(IconBytes(L"ICCAR"), SymbolIconBytes(*layer->Shapes().Vehicles[0])) << n;
    }
    EXPECT_EQ(0u, Registry().CountCalls("IGrymObjectFactory.CreateRasterSymbol(null"));
    const auto walk = WalkAll();
    ASSERT_TRUE(walk.Ok());
    ASSERT_EQ(1u, walk.shapes.size());
    EXPECT_EQ(SymbolKind::Raster, walk.shapes[0].symbol.kind);
    EXPECT_TRUE(walk.shapes[0].symbol.hasRaster);

    // An index past the group's vehicles (or a negative one) adds nothing.
    for (int k : {1, -1}) {
        State().LastPoints.Index = k;
        layer->BuildShapes(TLayer::BuildLastPoint);
    }
    State().LastPoints.Index = 0;
    State().LastPoints.Vehicles.clear();
    layer->BuildShapes(TLayer::BuildLastPoint);
    EXPECT_EQ(1u, layer->Shapes().Vehicles.size());
}

TEST_F(LayerBuildTest, ShapeNumbersCountOnAcrossBuildsAndOtherModesDoNothing)
{
    LoadTrack(track);
    PlaceMarker(Inside(0.5, 0.5));
    layer->BuildShapes(TLayer::BuildTrack);
    layer->BuildShapes(TLayer::BuildVehicleMarker);
    layer->BuildShapes(TLayer::BuildVehicleMarker);
    EXPECT_EQ(0, layer->Shapes().TrackLines[0]->Id());
    EXPECT_EQ(1, layer->Shapes().TrackLines[1]->Id());
    EXPECT_EQ(4, layer->Shapes().Vehicles[0]->Id());
    EXPECT_EQ(5, layer->Shapes().Vehicles[1]->Id());

    Registry().ClearCalls();
    for (int mode : {0, 6, -1, 100}) layer->BuildShapes(mode);
    EXPECT_TRUE(Registry().Calls().empty());
    EXPECT_EQ(2u, layer->Shapes().TrackLines.size());
    EXPECT_EQ(2u, layer->Shapes().Vehicles.size());
    layer->BuildShapes(TLayer::BuildTrack);
    EXPECT_EQ(6, layer->Shapes().TrackLines[0]->Id());
}

}  // namespace
