// The layer's life on the map: joining the layer collection, leaving it by
// Detach or by destruction, its icon, and every shell reference given back.
#include "LayerTestSupport.h"

namespace {

using namespace layertest;

class LayerLifeTest : public LayerTest {};

TEST_F(LayerLifeTest, DetachLeavesTheMapOnceAndDropsTheIcon)
{
    ASSERT_TRUE(layer->Registered());
    ASSERT_EQ(1u, shell.Layers().Count());
    EXPECT_TRUE(shell.Layers().Contains(Source()));

    ComPtr<IRaster> icon;
    ASSERT_EQ(S_OK, static_cast<IDisplayInfo *>(layer)->Icon(icon.Put()));
    ASSERT_TRUE(icon);
    kxshell::Raster *raster = kxshell::Inspect<kxshell::Raster>(icon.Get());
    ASSERT_NE(nullptr, raster);
    EXPECT_EQ(32, raster->Width());
    // The layer keeps its own reference besides ours.
    EXPECT_EQ(2u, raster->RefCount());

    layer->Detach();
    EXPECT_FALSE(layer->Registered());
    EXPECT_EQ(0u, shell.Layers().Count());
    EXPECT_EQ(1u, raster->RefCount());
    layer->Detach();
    EXPECT_EQ(1u, Registry().CountCalls("ILayerCollection.RemoveLayer"));
    icon.Reset();
}

TEST_F(LayerLifeTest, RefusedLayerNeverAsksToBeRemoved)
{
    shell.Layers().SetRefuseAdd(true, S_FALSE);
    Registry().ClearCalls();
    TLayer *refused = new TLayer(view.get(), state);
    refused->AddRef();
    EXPECT_EQ(1u, Registry().CountCalls("ILayerCollection.AddLayer"));
    EXPECT_FALSE(refused->Registered());
    refused->Detach();
    refused->Release();

    // Nor when it goes without a Detach.
    refused = new TLayer(view.get(), state);
    refused->AddRef();
    refused->Release();
    EXPECT_EQ(0u, Registry().CountCalls("ILayerCollection.RemoveLayer"));
    EXPECT_EQ(1u, shell.Layers().Count());  // only the fixture's layer
}

TEST_F(LayerLifeTest, LayerDestroyedWhileRegisteredRemovesItselfSafely)
{
    // The shell lets go of its layers without the plug-in's Terminate; the
    // layer still counts as registered when its last reference goes. The
    // collection asks for the layer's identity while removing it, which
    // must not destroy the layer a second time.
    shell.Layers().ReleaseAll();
    Registry().ClearCalls();
    layer->Release();
    layer = nullptr;
    EXPECT_EQ(1u, Registry().CountCalls("IMap.Layers"));
    EXPECT_EQ(1u, Registry().CountCalls("ILayerCollection.RemoveLayer"));
}

TEST_F(LayerLifeTest, IconIsLoadedOnFirstRequestAndRetriedAfterAFailure)
{
    EXPECT_EQ(0u, Registry().CountCalls("IGrymObjectFactory.CreateRaster("));
    IDisplayInfo *info = static_cast<IDisplayInfo *>(layer);

    SetModuleWithoutIcons(true);
    IRaster *icon = reinterpret_cast<IRaster *>(1);
    EXPECT_EQ(S_OK, info->Icon(&icon));
    EXPECT_EQ(nullptr, icon);

    SetModuleWithoutIcons(false);
    ComPtr<IRaster> first, second;
    EXPECT_EQ(S_OK, info->Icon(first.Put()));
    ASSERT_TRUE(first);
    EXPECT_EQ(S_OK, info->Icon(second.Put()));
    EXPECT_EQ(first.Get(), second.Get());
    EXPECT_EQ(1u, Registry().CountCalls("IGrymObjectFactory.CreateRaster("));
    EXPECT_EQ(E_POINTER, info->Icon(nullptr));

    // After Detach the next request loads anew.
    layer->Detach();
    ComPtr<IRaster> third;
    EXPECT_EQ(S_OK, info->Icon(third.Put()));
    EXPECT_NE(first.Get(), third.Get());
    EXPECT_EQ(2u, Registry().CountCalls("IGrymObjectFactory.CreateRaster("));
}

TEST_F(LayerLifeTest, EveryShellReferenceComesBackAfterBuildsAndWalks)
{
    // Everything the plug-in could have built, walked with titles as the
    // shell does on hover, then a panel that empties a list mid-walk; the
    // fixture then detaches, releases and compares every count.
    State().Settings.IconNum = 3;
    layer->JumpToTrackPoint = [](double, double) {};
    LoadTrack({Inside(0.2, 0.2), Inside(0.3, 0.4), Inside(0.6, 0.5)});
    PlaceMarker(Inside(0.5, 0.5));
    AddCheckpoint(Inside(0.4, 0.4), L"КП");
    UseDefaultCategories();
    AddInfoPoint(5, Inside(0.6, 0.6), L"-3 л");
    AddInfoPoint(7, Inside(0.1, 0.6), L"00:01:00");
    AddLastPoint(Inside(0.7, 0.2), L"car");
    for (int mode : {1, 4, 3, 5, 2, 2}) layer->BuildShapes(mode);
    const auto walk = WalkAll(/*askTitle=*/true);
    ASSERT_TRUE(walk.Ok());
    EXPECT_EQ(9u, walk.shapes.size());
    ComPtr<IShapeCursor> cursor;
    ASSERT_EQ(S_OK, Source()->SelectById(layer->Shapes().Vehicles[0]->Id(), cursor.Put()));
    layer->Shapes().Vehicles.clear();
    ComPtr<IRaster> icon;
    static_cast<IDisplayInfo *>(layer)->Icon(icon.Put());
}

}  // namespace
