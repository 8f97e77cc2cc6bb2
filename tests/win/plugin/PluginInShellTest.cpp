// The plug-in's life inside the stand-in shell: Initialize, the panel page,
// the layer, Terminate, and every reference given back.
#include "PluginModule.h"

#include "ComPtr.h"
#include "Raster.h"
#include "StandInShell.h"

#include <string>
#include <vector>

namespace {

using kxshell::StandInShell;

class PluginInShell : public ::testing::Test {
protected:
    ComApartment com;
    PluginModule plugin;
    StandInShell shell;
    ComPtr<IUnknown> object;

    void SetUp() override
    {
        shell.TakeSnapshot();
        ASSERT_EQ(S_OK, plugin.CreateGrymPlugin(object.Put()));
        shell.Registry().ClearCalls();
    }

    IHostedPlugin *Hosted() { return hosted_ = object.As<IHostedPlugin>(), hosted_.Get(); }

    // Terminate, the shell's own clean-up and the final release; then no
    // shell object may hold a count it did not have before.
    void ShutDownAndExpectBalancedReferences()
    {
        EXPECT_EQ(S_OK, Hosted()->Terminate());
        shell.Shutdown();
        hosted_.Reset();
        object.Reset();
        for (const auto &leak : shell.Leaks()) ADD_FAILURE() << leak.Describe();
    }

    ComPtr<IHostedPlugin> hosted_;
};

TEST_F(PluginInShell, InitializeWrapsTheViewAddsTheLayerAndRegistersThePage)
{
    ASSERT_EQ(S_OK, Hosted()->Initialize(0x1234, shell.BaseViewInterface()));

    // The wrapper's calls first, then the layer joining the map, then the page.
    const auto &calls = shell.Registry().Calls();
    std::vector<std::string> expected = {"IBaseViewThread.Frame", "IBaseViewThread.Factory",
                                         "IBaseViewFrame.Map",    "IMap.Layers",
                                         "ILayerCollection.AddLayer", "IBaseViewFrame.CustomPages",
                                         "ICustomPageCollection.AddPage"};
    int from = 0;
    for (const auto &call : expected) {
        int at = shell.Registry().FindCall(call, from);
        ASSERT_GE(at, from) << call << " missing or out of order";
        from = at + 1;
    }
    EXPECT_EQ(1u, shell.Registry().CountCalls("ICustomPageCollection.AddPage"));
    (void)calls;

    ASSERT_EQ(1u, shell.Pages().Count());
    IPanelPage *page = shell.Pages().Page(0);
    ComPtr<IPanelPage> asPage = ComPtr<IUnknown>(page).As<IPanelPage>();
    ComPtr<IDisplayInfo> asInfo = ComPtr<IUnknown>(page).As<IDisplayInfo>();
    EXPECT_TRUE(asPage);
    ASSERT_TRUE(asInfo);
    BSTR tag = nullptr;
    asInfo->Tag(&tag);
    EXPECT_EQ(L"KXPlayer", TakeBstr(tag));

    ASSERT_EQ(1u, shell.Layers().Count());
    ComPtr<IDisplayInfo> layerInfo = ComPtr<IUnknown>(shell.Layers().Layer(0)).As<IDisplayInfo>();
    ASSERT_TRUE(layerInfo);
    layerInfo->Tag(&tag);
    EXPECT_EQ(L"KXLayerTag", TakeBstr(tag));

    asPage.Reset();
    asInfo.Reset();
    layerInfo.Reset();
    ShutDownAndExpectBalancedReferences();
    EXPECT_EQ(0u, shell.Layers().Count());
}

TEST_F(PluginInShell, NullViewSetsNothingUp)
{
    EXPECT_EQ(E_INVALIDARG, Hosted()->Initialize(0, nullptr));
    EXPECT_TRUE(shell.Registry().Calls().empty());
    EXPECT_EQ(0u, shell.Pages().Count());
    EXPECT_EQ(0u, shell.Layers().Count());
    ShutDownAndExpectBalancedReferences();
}

TEST_F(PluginInShell, TerminateBeforeAnyControlStillDetachesTheLayer)
{
    ASSERT_EQ(S_OK, Hosted()->Initialize(0, shell.BaseViewInterface()));
    ASSERT_EQ(1u, shell.Layers().Count());
    EXPECT_EQ(S_OK, Hosted()->Terminate());
    EXPECT_EQ(1u, shell.Registry().CountCalls("ILayerCollection.RemoveLayer"));
    EXPECT_EQ(0u, shell.Layers().Count());
    ShutDownAndExpectBalancedReferences();
}

// A shell that lets the plug-in go without Terminate: the layer leaves the
// map while the plug-in's view of it still exists, and nothing is left over.
TEST_F(PluginInShell, ReleasedWithoutTerminateTheLayerLeavesTheMap)
{
    ASSERT_EQ(S_OK, Hosted()->Initialize(0, shell.BaseViewInterface()));
    ASSERT_EQ(1u, shell.Layers().Count());
    hosted_.Reset();
    object.Reset();
    // The shell still holds the plug-in as its page until it shuts down.
    shell.Shutdown();
    EXPECT_EQ(1u, shell.Registry().CountCalls("ILayerCollection.RemoveLayer"));
    for (const auto &leak : shell.Leaks()) ADD_FAILURE() << leak.Describe();
}

TEST_F(PluginInShell, RefusedLayerIsNeverRemoved)
{
    shell.Layers().SetRefuseAdd(true);
    ASSERT_EQ(S_OK, Hosted()->Initialize(0, shell.BaseViewInterface()));
    EXPECT_EQ(1u, shell.Layers().AddAttempts());
    ShutDownAndExpectBalancedReferences();
    EXPECT_EQ(0u, shell.Registry().CountCalls("ILayerCollection.RemoveLayer"));
}

TEST_F(PluginInShell, EachControlRequestMakesANewPanel)
{
    ASSERT_EQ(S_OK, Hosted()->Initialize(0, shell.BaseViewInterface()));
    auto page = object.As<IPanelPage>();
    ComPtr<IUnknown> first, second;
    ASSERT_EQ(S_OK, page->CreateControl(first.Put()));
    ASSERT_EQ(S_OK, page->CreateControl(second.Put()));
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_NE(first.Get(), second.Get());
    page.Reset();
    // The shell lets go of both controls before it releases the plug-in.
    first.Reset();
    second.Reset();
    ShutDownAndExpectBalancedReferences();
}

TEST_F(PluginInShell, LayerAnswersTheShellsConstantQuestions)
{
    ASSERT_EQ(S_OK, Hosted()->Initialize(0, shell.BaseViewInterface()));
    ComPtr<IUnknown> layer(shell.Layers().Layer(0));
    auto source = layer.As<IShapeSource>();
    auto shapeLayer = layer.As<IShapeLayer>();
    auto info = layer.As<IDisplayInfo>();
    auto position = layer.As<IPositionCode>();
    auto cursor = layer.As<IShapeCursor>();
    ASSERT_TRUE(source && shapeLayer && info && position && cursor);

    BSTR text = nullptr;
    info->Caption(&text);
    EXPECT_EQ(L"Карвекс Плеер", TakeBstr(text));
    info->Description(&text);
    EXPECT_EQ(L"KX plugin shape layer", TakeBstr(text));
    position->PositionCode(&text);
    EXPECT_EQ(L"8001ExampleLayer:0", TakeBstr(text));

    VARIANT_BOOL flag = 0;
    source->ShownAtLevel(5000, 0, &flag);
    EXPECT_EQ(VARIANT_TRUE, flag);
    source->ShownAtLevel(5001, 0, &flag);
    EXPECT_EQ(VARIANT_FALSE, flag);
    source->ShownAtLevel(10, 1, &flag);
    EXPECT_EQ(VARIANT_FALSE, flag);
    source->FlagOne(&flag);
    EXPECT_EQ(VARIANT_TRUE, flag);
    source->FlagTwo(&flag);
    EXPECT_EQ(VARIANT_FALSE, flag);
    EXPECT_EQ(E_NOTIMPL, source->Unsupported(0));
    shapeLayer->AcceptsMode(7, 0, &flag);
    EXPECT_EQ(VARIANT_TRUE, flag);
    shapeLayer->AcceptsMode(0, 1, &flag);
    EXPECT_EQ(VARIANT_FALSE, flag);
    shapeLayer->PutVisible(VARIANT_FALSE);
    shapeLayer->GetVisible(&flag);
    EXPECT_EQ(VARIANT_FALSE, flag);

    // Nothing built yet: no cursor, and the cursor has no current shape.
    ComPtr<IMapRect> everything;
    shell.FactoryInterface()->CreateMapRect(-1e9, -1e9, 1e9, 1e9, everything.Put());
    IShapeCursor *raw = reinterpret_cast<IShapeCursor *>(1);
    EXPECT_EQ(S_FALSE, source->SelectInRect(everything.Get(), &raw));
    EXPECT_EQ(nullptr, raw);
    EXPECT_EQ(S_FALSE, source->SelectById(0, &raw));
    EXPECT_EQ(nullptr, raw);
    EXPECT_EQ(S_FALSE, cursor->Title(&text));
    EXPECT_EQ(nullptr, text);
    EXPECT_EQ(E_POINTER, cursor->Next(nullptr, nullptr));

    everything.Reset();
    layer.Reset();
    source.Reset();
    shapeLayer.Reset();
    info.Reset();
    position.Reset();
    cursor.Reset();
    ShutDownAndExpectBalancedReferences();
}

TEST_F(PluginInShell, LayerIconIsLoadedFromTheModuleAndKept)
{
    ASSERT_EQ(S_OK, Hosted()->Initialize(0, shell.BaseViewInterface()));
    auto info = ComPtr<IUnknown>(shell.Layers().Layer(0)).As<IDisplayInfo>();
    ComPtr<IRaster> first, second;
    ASSERT_EQ(S_OK, info->Icon(first.Put()));
    ASSERT_EQ(S_OK, info->Icon(second.Put()));
    // Made once from the module's "IcKX" icon and kept.
    ASSERT_TRUE(first);
    EXPECT_EQ(first.Get(), second.Get());
    EXPECT_EQ(1u, shell.Registry().CountCalls("IGrymObjectFactory.CreateRaster"));
    auto *raster = kxshell::Inspect<kxshell::Raster>(first.Get());
    ASSERT_NE(nullptr, raster);
    EXPECT_EQ(32, raster->Width());
    EXPECT_EQ(32, raster->Height());
    first.Reset();
    second.Reset();
    info.Reset();
    ShutDownAndExpectBalancedReferences();
}

} // namespace

namespace {

TEST_F(PluginInShell, ControlReleasedBeforeTerminateIsNotShutDownAgain)
{
    ASSERT_EQ(S_OK, Hosted()->Initialize(0, shell.BaseViewInterface()));
    auto page = object.As<IPanelPage>();
    ComPtr<IUnknown> control;
    ASSERT_EQ(S_OK, page->CreateControl(control.Put()));
    page.Reset();
    // A shell that closes its windows first lets go of the panel before it
    // terminates the plug-in: the panel is gone and must not be touched.
    control.Reset();
    ShutDownAndExpectBalancedReferences();
}

} // namespace
