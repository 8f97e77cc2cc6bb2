// The map's geometry: Mercator conversion, pixels to map points, ShowPoint,
// visible and world rectangles.
#include "ShellTestSupport.h"

#include <gtest/gtest.h>

using namespace kxshell;

namespace {

ComPtr<ICoordinateConverter> ConverterOf(IMap *map) {
    ComPtr<IUnknown> system;
    EXPECT_EQ(S_OK, map->CoordinateSystem(system.Put()));
    return system.As<ICoordinateConverter>();
}

MercatorPoint ToMap(ICoordinateConverter *converter, double longitude, double latitude) {
    ComPtr<IMapPoint> geo(new MapPoint(std::make_shared<ShellRegistry>(), longitude, latitude));
    IMapPoint *out = nullptr;
    EXPECT_EQ(S_OK, converter->ToMap(geo.Get(), &out));
    auto result = ComPtr<IMapPoint>::Adopt(out);
    MercatorPoint p{0, 0};
    if (result) {
        result->GetX(&p.x);
        result->GetY(&p.y);
    }
    return p;
}

TEST(Mercator, KnownPointsThroughTheMapsCoordinateSystem) {
    StandInShell shell;
    auto converter = ConverterOf(shell.MapInterface());
    ASSERT_TRUE(converter);
    struct { double lon, lat, x, y; } cases[] = {
        {0, 0, 0, 0},
        {180, 0, 20037508.342789244, 0},
        {0, 45, 0, 5621521.486192066},
        {-74.006, 40.7128, -8238310.235647004, 4970071.579142425},
        {83, 55, 9239517.735841706, 7361866.113051185},
    };
    for (const auto &c : cases) {
        const MercatorPoint p = ToMap(converter.Get(), c.lon, c.lat);
        EXPECT_NEAR(c.x, p.x, 1e-3) << c.lon << ", " << c.lat;
        EXPECT_NEAR(c.y, p.y, 1e-3) << c.lon << ", " << c.lat;
    }
}

TEST(Mercator, PolarLatitudesAreCutAtTheSquareWorldsEdge) {
    EXPECT_NEAR(20037508.342789244, GeoToMercator(0, 89.9).y, 1e-3);
    EXPECT_NEAR(-20037508.342789244, GeoToMercator(0, -90).y, 1e-3);
}

TEST(Mercator, InverseReturnsTheGeographicPoint) {
    const MercatorPoint m = GeoToMercator(82.9346, 55.0415);
    const MercatorPoint g = MercatorToGeo(m.x, m.y);
    EXPECT_NEAR(82.9346, g.x, 1e-9);
    EXPECT_NEAR(55.0415, g.y, 1e-9);
}

TEST(Mercator, ConverterArgumentsAreChecked) {
    StandInShell shell;
    auto converter = ConverterOf(shell.MapInterface());
    IMapPoint *out = reinterpret_cast<IMapPoint *>(1);
    EXPECT_EQ(E_INVALIDARG, converter->ToMap(nullptr, &out));
    EXPECT_EQ(nullptr, out);
    ComPtr<IMapPoint> geo(new MapPoint(shell.SharedRegistry(), 1, 2));
    EXPECT_EQ(E_POINTER, converter->ToMap(geo.Get(), nullptr));
    EXPECT_EQ(E_NOTIMPL, converter->Reserved1());
}

class ScreenTest : public testing::Test {
protected:
    ScreenTest() : shell_(Options()) {
        shell_.MapObject().SetVisible({1000, 2000, 3000, 3500});
    }
    static ShellOptions Options() {
        ShellOptions o;
        o.windowWidth = 200;
        o.windowHeight = 150;
        return o;
    }
    MercatorPoint DeviceToMap(long x, long y) {
        auto converter = ComPtr<IMap>(shell_.MapInterface()).As<IScreenConverter>();
        ComPtr<IDevicePoint> device(new DevicePoint(shell_.SharedRegistry(), x, y));
        IMapPoint *out = nullptr;
        EXPECT_EQ(S_OK, converter->DeviceToMap(device.Get(), &out));
        auto point = ComPtr<IMapPoint>::Adopt(out);
        MercatorPoint p{0, 0};
        point->GetX(&p.x);
        point->GetY(&p.y);
        return p;
    }
    StandInShell shell_;
};

TEST_F(ScreenTest, CornersAndInnerPixelsMapThroughTheVisibleRectangleWithYUp) {
    MercatorPoint p = DeviceToMap(0, 0);
    EXPECT_DOUBLE_EQ(1000, p.x);
    EXPECT_DOUBLE_EQ(3500, p.y);
    p = DeviceToMap(200, 150);
    EXPECT_DOUBLE_EQ(3000, p.x);
    EXPECT_DOUBLE_EQ(2000, p.y);
    p = DeviceToMap(50, 30);
    EXPECT_DOUBLE_EQ(1500, p.x);
    EXPECT_DOUBLE_EQ(3200, p.y);
}

TEST_F(ScreenTest, MapToDeviceUndoesDeviceToMap) {
    for (long x : {0L, 17L, 199L})
        for (long y : {0L, 93L, 149L}) {
            const MercatorPoint m = DeviceToMap(x, y);
            const MercatorPoint d = shell_.MapObject().MapToDevicePoint(m.x, m.y);
            EXPECT_NEAR(x, d.x, 1e-9);
            EXPECT_NEAR(y, d.y, 1e-9);
        }
}

TEST_F(ScreenTest, ConverterChecksItsArgumentsAndAnswersOnlyItsOwnSlot) {
    auto converter = ComPtr<IMap>(shell_.MapInterface()).As<IScreenConverter>();
    IMapPoint *out = reinterpret_cast<IMapPoint *>(1);
    EXPECT_EQ(E_INVALIDARG, converter->DeviceToMap(nullptr, &out));
    EXPECT_EQ(nullptr, out);
    ComPtr<IDevicePoint> device(new DevicePoint(shell_.SharedRegistry(), 1, 1));
    EXPECT_EQ(E_POINTER, converter->DeviceToMap(device.Get(), nullptr));
    EXPECT_EQ(E_NOTIMPL, converter->Reserved1());
    EXPECT_EQ(E_NOTIMPL, converter->Reserved3());
    EXPECT_EQ(E_NOTIMPL, converter->Reserved5());
}

TEST(MapView, ShowPointCentresTheViewAtTheAskedScale) {
    StandInShell shell;
    Map &map = shell.MapObject();
    ComPtr<IMapPoint> centre(new MapPoint(shell.SharedRegistry(), 9239517.7, 7361866.1));
    ASSERT_EQ(S_OK, map.ShowPoint(centre.Get(), 2000, 0, VARIANT_TRUE));
    const RectValues v = map.Visible();
    EXPECT_NEAR(9239517.7, (v.minX + v.maxX) / 2, 1e-6);
    EXPECT_NEAR(7361866.1, (v.minY + v.maxY) / 2, 1e-6);
    // 1024 pixels of 0.2646 mm at 1:2000.
    EXPECT_NEAR(1024 * 2000 * 0.0254 / 96, v.Width(), 1e-6);
    EXPECT_NEAR(v.Width() * 768 / 1024, v.Height(), 1e-6);
    EXPECT_NEAR(2000, map.ScaleDenominator(), 1e-6);
    ASSERT_EQ(1u, map.ShowPointCalls().size());
    EXPECT_EQ(2000, map.ShowPointCalls()[0].scale);
    EXPECT_TRUE(map.ShowPointCalls()[0].redraw);
    EXPECT_EQ("IMap.ShowPoint(9239517.7, 7361866.1, 2000, 0, true)", shell.Registry().Calls().back());

    EXPECT_EQ(E_INVALIDARG, map.ShowPoint(nullptr, 2000, 0, VARIANT_TRUE));
    EXPECT_EQ(E_INVALIDARG, map.ShowPoint(centre.Get(), 0, 0, VARIANT_TRUE));
    EXPECT_EQ(1u, map.ShowPointCalls().size());
    EXPECT_TRUE(v == map.Visible());
}

TEST(MapView, VisibleRectComesBackAsSetAndBadRectanglesAreRefused) {
    StandInShell shell;
    IMap *map = shell.MapInterface();
    IGrymObjectFactory *factory = shell.FactoryInterface();
    ComPtr<IMapRect> rect;
    ASSERT_EQ(S_OK, factory->CreateMapRect(10, 20, 110, 70, rect.Put()));
    ASSERT_EQ(S_OK, map->SetVisibleRect(rect.Get(), VARIANT_TRUE));
    ComPtr<IMapRect> back;
    ASSERT_EQ(S_OK, map->VisibleRect(back.Put()));
    double w = 0, h = 0, minY = 0;
    back->GetWidth(&w);
    back->GetHeight(&h);
    back->GetMinY(&minY);
    EXPECT_EQ(100, w);
    EXPECT_EQ(50, h);
    EXPECT_EQ(20, minY);

    ComPtr<IMapRect> inverted;
    factory->CreateMapRect(10, 20, 5, 70, inverted.Put());
    EXPECT_EQ(E_INVALIDARG, map->SetVisibleRect(inverted.Get(), VARIANT_TRUE));
    EXPECT_EQ(E_INVALIDARG, map->SetVisibleRect(nullptr, VARIANT_TRUE));
    EXPECT_TRUE((RectValues{10, 20, 110, 70} == shell.MapObject().Visible()));
    EXPECT_EQ(1, shell.MapObject().SetVisibleRectCount());
}

TEST(MapView, BoundsAreTheConfiguredWorldAndDefaultToACity) {
    ShellOptions options;
    options.bounds = {-5, -6, 7, 8};
    StandInShell custom(options);
    ComPtr<IMapRect> bounds;
    ASSERT_EQ(S_OK, custom.MapInterface()->Bounds(bounds.Put()));
    double minX = 0, maxY = 0;
    bounds->GetMinX(&minX);
    bounds->GetMaxY(&maxY);
    EXPECT_EQ(-5, minX);
    EXPECT_EQ(8, maxY);

    const RectValues city = ShellOptions::DefaultCityBounds();
    const MercatorPoint centre = GeoToMercator(83, 55);
    EXPECT_LT(city.minX, centre.x);
    EXPECT_GT(city.maxX, centre.x);
    EXPECT_LT(city.minY, centre.y);
    EXPECT_GT(city.maxY, centre.y);
    EXPECT_GT(city.Width(), 10000);
    EXPECT_LT(city.Width(), 100000);
}

TEST(MapView, InvalidateIsCountedAndWindowHandleIsTheSetOne) {
    StandInShell shell;
    Map &map = shell.MapObject();
    map.Invalidate(VARIANT_TRUE);
    map.Invalidate(VARIANT_FALSE);
    EXPECT_EQ(2, map.InvalidateCount());
    EXPECT_FALSE(map.LastInvalidateRedraw());
    long handle = -1;
    ASSERT_EQ(S_OK, map.WindowHandle(&handle));
    EXPECT_EQ(0, handle);
    map.SetWindow(reinterpret_cast<HWND>(0x1234));
    ASSERT_EQ(S_OK, map.WindowHandle(&handle));
    EXPECT_EQ(0x1234, handle);
}

}  // namespace
