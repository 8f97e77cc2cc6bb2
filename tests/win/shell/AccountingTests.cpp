// Reference accounting and the call log: what lets a test prove that a
// plug-in gave back every reference and called the shell in the right order.
#include "ShellTestSupport.h"

#include <gtest/gtest.h>

using namespace kxshell;

namespace {

// What a well-behaved plug-in does with the base view: take the frame,
// factory and map, make and drop a few objects, let everything go.
void BalancedPlugin(IBaseViewThread *view) {
    ComPtr<IBaseViewFrame> frame;
    ComPtr<IGrymObjectFactory> factory;
    ComPtr<IMap> map;
    view->Frame(frame.Put());
    view->Factory(factory.Put());
    frame->Map(map.Put());
    ComPtr<IMapPoint> point;
    factory->CreateMapPoint(1, 2, point.Put());
    map->ShowPoint(point.Get(), 2000, 0, VARIANT_TRUE);
    map->Invalidate(VARIANT_TRUE);
}

TEST(Accounting, ABalancedPluginLeavesNoDifference) {
    StandInShell shell;
    shell.TakeSnapshot();
    BalancedPlugin(shell.BaseViewInterface());
    EXPECT_TRUE(shell.Leaks().empty());
}

TEST(Accounting, AReferenceKeptOnAShellObjectIsReported) {
    StandInShell shell;
    shell.TakeSnapshot();
    IMap *kept = nullptr;
    ComPtr<IBaseViewFrame> frame;
    shell.BaseViewInterface()->Frame(frame.Put());
    frame->Map(&kept);
    frame.Reset();
    const auto leaks = shell.Leaks();
    ASSERT_EQ(1u, leaks.size());
    EXPECT_EQ("Map", leaks[0].kind);
    EXPECT_EQ(leaks[0].before + 1, leaks[0].after);
    EXPECT_FALSE(leaks[0].createdSince);
    EXPECT_NE(std::string::npos, leaks[0].Describe().find("Map"));
    kept->Release();
    EXPECT_TRUE(shell.Leaks().empty());
}

TEST(Accounting, AnObjectMadeForThePluginAndNeverReleasedIsReported) {
    StandInShell shell;
    shell.TakeSnapshot();
    ISymbol *leaked = nullptr;
    shell.FactoryInterface()->CreateLineSymbol(1, 1, 0, &leaked);
    const auto leaks = shell.Leaks();
    ASSERT_EQ(1u, leaks.size());
    EXPECT_EQ("LineSymbol", leaks[0].kind);
    EXPECT_TRUE(leaks[0].createdSince);
    EXPECT_EQ(1u, leaks[0].after);
    leaked->Release();
    EXPECT_TRUE(shell.Leaks().empty());
}

TEST(Accounting, AnOverReleasedObjectShowsAsDestroyed) {
    StandInShell shell;
    ComPtr<IMapPoint> point;
    shell.FactoryInterface()->CreateMapPoint(0, 0, point.Put());
    shell.TakeSnapshot();
    point.Reset();  // stands for a plug-in releasing once too often
    const auto leaks = shell.Leaks();
    ASSERT_EQ(1u, leaks.size());
    EXPECT_TRUE(leaks[0].destroyed);
    EXPECT_EQ("MapPoint", leaks[0].kind);
}

TEST(Accounting, TheRegistryKnowsEveryLiveObjectAndItsCount) {
    StandInShell shell;
    // View, factory, frame, map, layers, coordinate system, pages.
    EXPECT_EQ(7u, shell.Registry().LiveCount());
    ASSERT_EQ(1u, shell.Registry().LiveObjectsOfKind("Map").size());
    ShellObject *map = shell.Registry().LiveObjectsOfKind("Map")[0];
    const ULONG count = map->RefCount();
    shell.MapInterface()->AddRef();
    EXPECT_EQ(count + 1, map->RefCount());
    shell.MapInterface()->Release();
    {
        ComPtr<IMapRect> rect;
        shell.MapInterface()->VisibleRect(rect.Put());
        EXPECT_EQ(8u, shell.Registry().LiveCount());
    }
    EXPECT_EQ(7u, shell.Registry().LiveCount());
}

TEST(CallLog, RecordsOperationsWithArgumentsInOrder) {
    StandInShell shell;
    BalancedPlugin(shell.BaseViewInterface());
    const std::vector<std::string> expected = {
        "IBaseViewThread.Frame()",
        "IBaseViewThread.Factory()",
        "IBaseViewFrame.Map()",
        "IGrymObjectFactory.CreateMapPoint(1, 2)",
        "IMap.ShowPoint(1, 2, 2000, 0, true)",
        "IMap.Invalidate(true)",
    };
    EXPECT_EQ(expected, shell.Registry().Calls());
    EXPECT_EQ(1u, shell.Registry().CountCalls("IMap.Invalidate"));
    EXPECT_EQ(4, shell.Registry().FindCall("IMap."));
    EXPECT_EQ(5, shell.Registry().FindCall("IMap.", 5));
    EXPECT_EQ(-1, shell.Registry().FindCall("ILayerCollection."));
}

TEST(CallLog, ValueAccessIsLoggedOnlyWhenAskedFor) {
    StandInShell shell;
    ComPtr<IMapPoint> point;
    shell.FactoryInterface()->CreateMapPoint(0, 0, point.Put());
    point->PutX(3.5);
    EXPECT_EQ(0u, shell.Registry().CountCalls("IMapPoint."));
    shell.Registry().logValueAccess = true;
    point->PutX(4.5);
    EXPECT_EQ("IMapPoint.PutX(4.5)", shell.Registry().Calls().back());
}

}  // namespace
