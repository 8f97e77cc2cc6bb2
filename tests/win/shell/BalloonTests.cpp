// Balloons as the player uses them: create at an anchor, one named pane with
// a text, show, hide.
#include "ShellTestSupport.h"

#include <gtest/gtest.h>

using namespace kxshell;

namespace {

class BalloonTest : public testing::Test {
protected:
    StandInShell shell_;
    ComPtr<IBalloonList> list_ = ComPtr<IMap>(shell_.MapInterface()).As<IBalloonList>();

    ComPtr<IBalloon> Create() {
        ComPtr<IMapPoint> anchor(new MapPoint(shell_.SharedRegistry(), 100.5, 200.25));
        ComPtr<IDevicePoint> offset(new DevicePoint(shell_.SharedRegistry(), 20, -20));
        ComPtr<IDeviceSize> size(new DeviceSize(shell_.SharedRegistry(), 70, 40));
        ComPtr<IBalloon> balloon;
        EXPECT_EQ(S_OK, list_->CreateBalloon(anchor.Get(), VARIANT_TRUE, offset.Get(), size.Get(), balloon.Put()));
        return balloon;
    }
    static HRESULT SetPane(IBalloon *balloon, const wchar_t *name, const wchar_t *text) {
        BSTR n = SysAllocString(name), t = SysAllocString(text);
        HRESULT hr = balloon->AddPane(n);
        if (SUCCEEDED(hr)) {
            ComPtr<IBalloonPane> pane;
            hr = balloon->Pane(n, pane.Put());
            if (SUCCEEDED(hr)) hr = pane->SetText(t);
        }
        SysFreeString(n);
        SysFreeString(t);
        return hr;
    }
};

TEST_F(BalloonTest, CreationRecordsAnchorOffsetSizeAndCloseBox) {
    ComPtr<IBalloon> balloon = Create();
    ASSERT_TRUE(balloon);
    const BalloonPlacement &p = Inspect<Balloon>(balloon.Get())->Placement();
    EXPECT_EQ(100.5, p.anchorX);
    EXPECT_EQ(200.25, p.anchorY);
    EXPECT_TRUE(p.closeButton);
    EXPECT_EQ(20, p.offsetX);
    EXPECT_EQ(-20, p.offsetY);
    EXPECT_EQ(70, p.width);
    EXPECT_EQ(40, p.height);
    EXPECT_EQ(1u, shell_.MapObject().BalloonsCreated());
    EXPECT_EQ("IBalloonList.CreateBalloon(100.5, 200.25, true, 20, -20, 70, 40)", shell_.Registry().Calls().back());
    EXPECT_TRUE(balloon.As<IGraphicBase>());
}

TEST_F(BalloonTest, ShownBalloonsAreListedWithTheirPaneTextsUntilHidden) {
    ComPtr<IBalloon> balloon = Create();
    ASSERT_EQ(S_OK, SetPane(balloon.Get(), L"Остановка", L"Остановка: 5 мин"));
    auto graphic = balloon.As<IGraphicBase>();
    ASSERT_EQ(S_OK, list_->ShowBalloon(graphic.Get()));
    auto shown = shell_.MapObject().ShownBalloons();
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(Inspect<Balloon>(balloon.Get()), shown[0]);
    ASSERT_NE(nullptr, shown[0]->FindPane(L"Остановка"));
    EXPECT_EQ(L"Остановка: 5 мин", shown[0]->FindPane(L"Остановка")->Text());

    ASSERT_EQ(S_OK, list_->HideBalloon(graphic.Get()));
    EXPECT_TRUE(shell_.MapObject().ShownBalloons().empty());
    EXPECT_EQ(S_FALSE, list_->HideBalloon(graphic.Get()));
    // What was shown stays in the history with the text of that moment.
    ASSERT_EQ(1u, shell_.MapObject().ShowHistory().size());
    const auto &panes = shell_.MapObject().ShowHistory()[0].panes;
    ASSERT_EQ(1u, panes.size());
    EXPECT_EQ(L"Остановка: 5 мин", panes[0].second);
}

TEST_F(BalloonTest, PanesAreFoundByNameOnly) {
    ComPtr<IBalloon> balloon = Create();
    BSTR name = SysAllocString(L"A");
    BSTR other = SysAllocString(L"B");
    EXPECT_EQ(S_OK, balloon->AddPane(name));
    EXPECT_EQ(S_FALSE, balloon->AddPane(name));
    EXPECT_EQ(1u, Inspect<Balloon>(balloon.Get())->PaneCount());
    IBalloonPane *pane = reinterpret_cast<IBalloonPane *>(1);
    EXPECT_EQ(E_INVALIDARG, balloon->Pane(other, &pane));
    EXPECT_EQ(nullptr, pane);
    EXPECT_EQ(E_POINTER, balloon->Pane(name, nullptr));
    SysFreeString(name);
    SysFreeString(other);
    EXPECT_EQ(E_NOTIMPL, balloon->Reserved1());
    EXPECT_EQ(E_NOTIMPL, balloon->Reserved14());
}

TEST_F(BalloonTest, OnlyOwnBalloonsCanBeShownAndAnAnchorIsRequired) {
    EXPECT_EQ(E_INVALIDARG, list_->ShowBalloon(nullptr));
    EXPECT_EQ(E_INVALIDARG, list_->HideBalloon(nullptr));
    ComPtr<IBalloon> balloon;
    EXPECT_EQ(E_INVALIDARG, list_->CreateBalloon(nullptr, VARIANT_TRUE, nullptr, nullptr, balloon.Put()));
    EXPECT_FALSE(balloon);
    ComPtr<IMapPoint> anchor(new MapPoint(shell_.SharedRegistry(), 0, 0));
    EXPECT_EQ(E_POINTER, list_->CreateBalloon(anchor.Get(), VARIANT_TRUE, nullptr, nullptr, nullptr));
}

TEST_F(BalloonTest, AHiddenBalloonIsFreedWithItsPanesOnItsLastRelease) {
    const RefSnapshot before = shell_.Registry().Snapshot();
    {
        ComPtr<IBalloon> balloon = Create();
        SetPane(balloon.Get(), L"x", L"y");
        auto graphic = balloon.As<IGraphicBase>();
        list_->ShowBalloon(graphic.Get());
        list_->HideBalloon(graphic.Get());
    }
    EXPECT_TRUE(shell_.Registry().DifferencesFrom(before).empty());
    EXPECT_TRUE(shell_.Registry().LiveObjectsOfKind("BalloonPane").empty());
}

}  // namespace
