// The map's layer list and the frame's custom pages: counted references, in
// order, released at shut-down; and the way from the base view to both.
#include "ShellTestSupport.h"

#include <gtest/gtest.h>

using namespace kxshell;

namespace {

struct TestPage final : public IPanelPage {
    ULONG refs = 0;
    int *destroyed = nullptr;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, __uuidof(IPanelPage))) return E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs;
        if (!left) {
            if (destroyed) ++*destroyed;
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE PageOption(VARIANT_BOOL *option) override { *option = VARIANT_FALSE; return S_OK; }
    HRESULT STDMETHODCALLTYPE CreateControl(IUnknown **control) override { *control = nullptr; return E_NOTIMPL; }
};

class LayersTest : public testing::Test {
protected:
    StandInShell shell_;
    ComPtr<ILayerCollection> layers_;
    int destroyed_ = 0;

    void SetUp() override { ASSERT_EQ(S_OK, shell_.MapInterface()->Layers(layers_.Put())); }
    ComPtr<shelltest::TestLayer> NewLayer() {
        auto *layer = new shelltest::TestLayer;
        layer->destroyedFlag = &destroyed_;
        return ComPtr<shelltest::TestLayer>(layer);
    }
};

TEST_F(LayersTest, AddKeepsACountedReferenceInOrderAndRemoveGivesItBack) {
    auto first = NewLayer(), second = NewLayer();
    ASSERT_EQ(S_OK, layers_->AddLayer(first.Get()));
    ASSERT_EQ(S_OK, layers_->AddLayer(second.Get()));
    EXPECT_EQ(2u, first->Refs());
    ASSERT_EQ(2u, shell_.Layers().Count());
    EXPECT_EQ(static_cast<IShapeLayer *>(first.Get()), shell_.Layers().Layer(0));
    EXPECT_EQ(static_cast<IShapeLayer *>(second.Get()), shell_.Layers().Layer(1));

    ASSERT_EQ(S_OK, layers_->RemoveLayer(first.Get()));
    EXPECT_EQ(1u, first->Refs());
    ASSERT_EQ(1u, shell_.Layers().Count());
    EXPECT_EQ(static_cast<IShapeLayer *>(second.Get()), shell_.Layers().Layer(0));
}

TEST_F(LayersTest, UnknownNullAndDuplicateLayersFail) {
    auto layer = NewLayer(), stranger = NewLayer();
    EXPECT_EQ(E_INVALIDARG, layers_->AddLayer(nullptr));
    EXPECT_EQ(E_INVALIDARG, layers_->RemoveLayer(nullptr));
    ASSERT_EQ(S_OK, layers_->AddLayer(layer.Get()));
    EXPECT_TRUE(FAILED(layers_->AddLayer(layer.Get())));
    EXPECT_TRUE(FAILED(layers_->RemoveLayer(stranger.Get())));
    ASSERT_EQ(S_OK, layers_->RemoveLayer(layer.Get()));
    EXPECT_TRUE(FAILED(layers_->RemoveLayer(layer.Get())));
    EXPECT_EQ(1u, layer->Refs());
}

TEST_F(LayersTest, ARefusingCollectionFailsAndKeepsNothing) {
    shell_.Layers().SetRefuseAdd(true);
    auto layer = NewLayer();
    EXPECT_EQ(E_FAIL, layers_->AddLayer(layer.Get()));
    EXPECT_EQ(0u, shell_.Layers().Count());
    EXPECT_EQ(1u, layer->Refs());
    EXPECT_EQ(1u, shell_.Layers().AddAttempts());
    shell_.Layers().SetRefuseAdd(false);
    EXPECT_EQ(S_OK, layers_->AddLayer(layer.Get()));
}

TEST_F(LayersTest, ShutdownReleasesLayersLeftBehind) {
    {
        auto layer = NewLayer();
        layers_->AddLayer(layer.Get());
    }
    EXPECT_EQ(0, destroyed_);
    shell_.Shutdown();
    EXPECT_EQ(1, destroyed_);
    EXPECT_EQ(0u, shell_.Layers().Count());
}

TEST(Pages, AddPageKeepsThePageUntilTheShellLetsGo) {
    StandInShell shell;
    int destroyed = 0;
    ComPtr<ICustomPageCollection> pages;
    ASSERT_EQ(S_OK, shell.FrameObject().CustomPages(pages.Put()));
    {
        ComPtr<TestPage> page(new TestPage);
        page->destroyed = &destroyed;
        ASSERT_EQ(S_OK, pages->AddPage(page.Get()));
        EXPECT_EQ(2u, page->refs);
    }
    EXPECT_EQ(E_INVALIDARG, pages->AddPage(nullptr));
    ASSERT_EQ(1u, shell.Pages().Count());
    EXPECT_EQ(0, destroyed);
    shell.Pages().ReleaseAll();
    EXPECT_EQ(1, destroyed);
    EXPECT_EQ(0u, shell.Pages().Count());
}

TEST(BaseView, LeadsToTheOneFactoryFrameMapAndPageCollection) {
    StandInShell shell;
    IBaseViewThread *view = shell.BaseViewInterface();
    ComPtr<IGrymObjectFactory> factory;
    ComPtr<IBaseViewFrame> frame;
    ComPtr<IMap> map;
    ComPtr<ICustomPageCollection> pages;
    ASSERT_EQ(S_OK, view->Factory(factory.Put()));
    ASSERT_EQ(S_OK, view->Frame(frame.Put()));
    ASSERT_EQ(S_OK, frame->Map(map.Put()));
    ASSERT_EQ(S_OK, frame->CustomPages(pages.Put()));
    EXPECT_EQ(&shell.Factory(), Inspect<ObjectFactory>(factory.Get()));
    EXPECT_EQ(&shell.FrameObject(), Inspect<Frame>(frame.Get()));
    EXPECT_EQ(&shell.MapObject(), Inspect<Map>(map.Get()));
    EXPECT_EQ(&shell.Pages(), Inspect<CustomPageCollection>(pages.Get()));
    const auto &calls = shell.Registry().Calls();
    ASSERT_EQ(4u, calls.size());
    EXPECT_EQ("IBaseViewThread.Factory()", calls[0]);
    EXPECT_EQ("IBaseViewFrame.CustomPages()", calls[3]);
}

}  // namespace
