// The object factory's products and their fields, rasters decoded from image
// files, and the COM discipline of every object: reserved slots, null outs.
#include "ShellTestSupport.h"

#include <gtest/gtest.h>
#include <olectl.h>

using namespace kxshell;

namespace {

class FactoryTest : public testing::Test {
protected:
    StandInShell shell_;
    IGrymObjectFactory *factory_ = shell_.FactoryInterface();

    ComPtr<IRaster> MakeRaster(const std::vector<uint8_t> &bytes, HRESULT expected = S_OK) {
        SAFEARRAY *array = shelltest::ByteArray(bytes);
        ComPtr<IRaster> raster;
        EXPECT_EQ(expected, factory_->CreateRaster(array, raster.Put()));
        SafeArrayDestroy(array);
        return raster;
    }
};

TEST_F(FactoryTest, ValueObjectsCarryTheirArgumentsAndAcceptNewOnes) {
    ComPtr<IMapPoint> point;
    ASSERT_EQ(S_OK, factory_->CreateMapPoint(1.5, -2.25, point.Put()));
    double x = 0, y = 0;
    point->GetX(&x);
    point->GetY(&y);
    EXPECT_EQ(1.5, x);
    EXPECT_EQ(-2.25, y);
    point->PutX(7);
    point->PutY(8);
    EXPECT_EQ(7, Inspect<MapPoint>(point.Get())->X());
    EXPECT_EQ(8, Inspect<MapPoint>(point.Get())->Y());

    ComPtr<IDevicePoint> device;
    ASSERT_EQ(S_OK, factory_->CreateDevicePoint(20, -20, device.Put()));
    device->PutX(21);
    EXPECT_EQ(21, Inspect<DevicePoint>(device.Get())->X());
    EXPECT_EQ(-20, Inspect<DevicePoint>(device.Get())->Y());

    ComPtr<IDeviceSize> size;
    ASSERT_EQ(S_OK, factory_->CreateDeviceSize(70, 40, size.Put()));
    long w = 0, h = 0;
    size->GetWidth(&w);
    size->GetHeight(&h);
    EXPECT_EQ(70, w);
    EXPECT_EQ(40, h);

    ComPtr<IMapRect> rect;
    ASSERT_EQ(S_OK, factory_->CreateMapRect(1, 2, 4, 10, rect.Put()));
    double minX, minY, maxX, maxY, width, height;
    rect->GetMinX(&minX); rect->GetMinY(&minY); rect->GetMaxX(&maxX); rect->GetMaxY(&maxY);
    rect->GetWidth(&width); rect->GetHeight(&height);
    EXPECT_EQ(1, minX); EXPECT_EQ(2, minY); EXPECT_EQ(4, maxX); EXPECT_EQ(10, maxY);
    EXPECT_EQ(3, width); EXPECT_EQ(8, height);
}

TEST_F(FactoryTest, SymbolsKeepTheirFieldsAndAnswerOnlyTheirKind) {
    ComPtr<ISymbol> line;
    ASSERT_EQ(S_OK, factory_->CreateLineSymbol(1, 0.5, 0xFF, line.Put()));
    LineSymbol *l = Inspect<LineSymbol>(line.Get());
    ASSERT_NE(nullptr, l);
    EXPECT_EQ(1, l->Style());
    EXPECT_EQ(0.5, l->Width());
    EXPECT_EQ(0xFF, l->Colour());
    EXPECT_TRUE(line.As<ILineSymbol>());
    EXPECT_FALSE(line.As<IPolygonSymbol>());
    EXPECT_FALSE(line.As<IRasterSymbol>());

    const ULONG outlineRefs = l->RefCount();
    ComPtr<ISymbol> polygon;
    ASSERT_EQ(S_OK, factory_->CreatePolygonSymbol(7, 0, static_cast<long>(0xFFFFFFFF), line.Get(), polygon.Put()));
    PolygonSymbol *p = Inspect<PolygonSymbol>(polygon.Get());
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(7, p->Style());
    EXPECT_EQ(0, p->FillColour());
    EXPECT_EQ(static_cast<long>(0xFFFFFFFF), p->BackColour());
    EXPECT_EQ(l, Inspect<LineSymbol>(p->Outline()));
    EXPECT_EQ(outlineRefs + 1, l->RefCount()) << "the polygon holds its outline";
    EXPECT_TRUE(polygon.As<IPolygonSymbol>());
    EXPECT_FALSE(polygon.As<ILineSymbol>());
    const SymbolDescription d = DescribeSymbol(polygon.Get());
    ASSERT_TRUE(d.outline);
    EXPECT_EQ(0.5, d.outline->width);
    polygon.Reset();
    EXPECT_EQ(outlineRefs, l->RefCount());

    ComPtr<IRaster> raster = MakeRaster(shelltest::TinyIcon());
    ComPtr<ISymbol> icon;
    ASSERT_EQ(S_OK, factory_->CreateRasterSymbol(raster.Get(), 1.0, icon.Put()));
    RasterSymbol *r = Inspect<RasterSymbol>(icon.Get());
    ASSERT_NE(nullptr, r);
    EXPECT_EQ(Inspect<Raster>(raster.Get()), r->RasterObject());
    EXPECT_EQ(1.0, r->Scale());
    EXPECT_TRUE(icon.As<IRasterSymbol>());

    // A plug-in whose icon did not load still gets a (blank) symbol.
    ComPtr<ISymbol> blank;
    ASSERT_EQ(S_OK, factory_->CreateRasterSymbol(nullptr, 1.0, blank.Put()));
    EXPECT_FALSE(DescribeSymbol(blank.Get()).hasRaster);
}

TEST_F(FactoryTest, TextSymbolReadsTheFontWhenMade) {
    FONTDESC desc{sizeof(FONTDESC), const_cast<LPOLESTR>(L"Tahoma"), {}, 700, ANSI_CHARSET, TRUE, FALSE, FALSE};
    desc.cySize.int64 = 10 * 10000;
    ComPtr<IFont> font;
    ASSERT_EQ(S_OK, OleCreateFontIndirect(&desc, IID_IFont, reinterpret_cast<void **>(font.Put())));
    ComPtr<ITextSymbol> text;
    ASSERT_EQ(S_OK, factory_->CreateTextSymbol(font.Get(), 0xAAAAAA, text.Put()));
    TextSymbol *t = Inspect<TextSymbol>(text.Get());
    ASSERT_NE(nullptr, t);
    EXPECT_EQ(L"Tahoma", t->FaceName());
    // Wine's font object answers the size of the realised font (9.75 pt).
    EXPECT_NEAR(10, t->Size(), 0.5);
    EXPECT_EQ(700, t->Weight());
    EXPECT_TRUE(t->Italic());
    EXPECT_EQ(0xAAAAAA, t->Colour());
    EXPECT_FALSE(text.As<ISymbol>());

    ITextSymbol *none = reinterpret_cast<ITextSymbol *>(1);
    EXPECT_EQ(E_INVALIDARG, factory_->CreateTextSymbol(nullptr, 0, &none));
    EXPECT_EQ(nullptr, none);
}

TEST_F(FactoryTest, IconBytesAreKeptAndTheFirstImageDecodedWithItsMask) {
    const auto bytes = shelltest::TinyIcon();
    ComPtr<IRaster> raster = MakeRaster(bytes);
    Raster *r = Inspect<Raster>(raster.Get());
    ASSERT_NE(nullptr, r);
    EXPECT_EQ(bytes, r->Bytes());
    EXPECT_EQ(ImageFormat::Icon, r->Image().format);
    EXPECT_EQ(2, r->Width());
    EXPECT_EQ(2, r->Height());
    ASSERT_TRUE(r->Image().decoded) << r->Image().problem;
    EXPECT_EQ(0xFFFF0000u, r->Image().PixelAt(0, 0));  // red, top left
    EXPECT_EQ(0xFF00FF00u, r->Image().PixelAt(1, 0));  // green
    EXPECT_EQ(0xFF0000FFu, r->Image().PixelAt(0, 1));  // blue
    EXPECT_EQ(0x00u, r->Image().PixelAt(1, 1) >> 24) << "masked pixel is transparent";
}

TEST_F(FactoryTest, BitmapFilesDecodeBottomUpRows) {
    ComPtr<IRaster> raster = MakeRaster(shelltest::TinyBitmap());
    const DecodedImage &image = Inspect<Raster>(raster.Get())->Image();
    EXPECT_EQ(ImageFormat::Bitmap, image.format);
    ASSERT_TRUE(image.decoded) << image.problem;
    EXPECT_EQ(3, image.width);
    EXPECT_EQ(2, image.height);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(0xFF000000u | (x * 80u) << 16 | (y * 100u) << 8 | 7u, image.PixelAt(x, y)) << x << "," << y;
}

TEST_F(FactoryTest, RasterRefusesWhatIsNoImage) {
    EXPECT_FALSE(MakeRaster({1, 2, 3, 4, 5, 6, 7, 8}, E_INVALIDARG));
    EXPECT_FALSE(MakeRaster({}, E_INVALIDARG));
    IRaster *out = reinterpret_cast<IRaster *>(1);
    EXPECT_EQ(E_INVALIDARG, factory_->CreateRaster(nullptr, &out));
    EXPECT_EQ(nullptr, out);
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    SAFEARRAY *square = SafeArrayCreate(VT_UI1, 2, bounds);
    EXPECT_EQ(E_INVALIDARG, factory_->CreateRaster(square, &out));
    SafeArrayDestroy(square);
    // A truncated icon still has a size but no pixels.
    auto bytes = shelltest::TinyIcon();
    bytes.resize(30);
    const DecodedImage image = DecodeImageFile(bytes.data(), bytes.size());
    EXPECT_EQ(ImageFormat::Icon, image.format);
    EXPECT_FALSE(image.decoded);
}

TEST_F(FactoryTest, NullOutParametersAnswerEPointer) {
    EXPECT_EQ(E_POINTER, factory_->CreateDevicePoint(0, 0, nullptr));
    EXPECT_EQ(E_POINTER, factory_->CreateDeviceSize(0, 0, nullptr));
    EXPECT_EQ(E_POINTER, factory_->CreateMapPoint(0, 0, nullptr));
    EXPECT_EQ(E_POINTER, factory_->CreateMapRect(0, 0, 1, 1, nullptr));
    EXPECT_EQ(E_POINTER, factory_->CreateLineSymbol(1, 1, 0, nullptr));
    EXPECT_EQ(E_POINTER, factory_->CreatePolygonSymbol(1, 0, 0, nullptr, nullptr));
    EXPECT_EQ(E_POINTER, factory_->CreateRasterSymbol(nullptr, 1, nullptr));
    EXPECT_EQ(E_POINTER, factory_->CreateTextSymbol(nullptr, 0, nullptr));
    EXPECT_EQ(E_POINTER, factory_->CreateRaster(nullptr, nullptr));

    IMap *map = shell_.MapInterface();
    EXPECT_EQ(E_POINTER, map->Bounds(nullptr));
    EXPECT_EQ(E_POINTER, map->VisibleRect(nullptr));
    EXPECT_EQ(E_POINTER, map->WindowHandle(nullptr));
    EXPECT_EQ(E_POINTER, map->Layers(nullptr));
    EXPECT_EQ(E_POINTER, map->CoordinateSystem(nullptr));
    EXPECT_EQ(E_POINTER, shell_.BaseViewInterface()->Factory(nullptr));
    EXPECT_EQ(E_POINTER, shell_.BaseViewInterface()->Frame(nullptr));
    EXPECT_EQ(E_POINTER, shell_.FrameObject().Map(nullptr));
    EXPECT_EQ(E_POINTER, shell_.FrameObject().CustomPages(nullptr));

    ComPtr<IMapRect> rect(new MapRect(shell_.SharedRegistry(), {}));
    EXPECT_EQ(E_POINTER, rect->GetMinX(nullptr));
    EXPECT_EQ(E_POINTER, rect->GetHeight(nullptr));
    ComPtr<IMapPoint> point(new MapPoint(shell_.SharedRegistry(), 0, 0));
    EXPECT_EQ(E_POINTER, point->GetX(nullptr));
    EXPECT_EQ(E_POINTER, point->QueryInterface(IID_IUnknown, nullptr));

    // An out slot holding garbage is cleared before anything else.
    IMapRect *garbage = reinterpret_cast<IMapRect *>(1);
    ASSERT_EQ(S_OK, map->Bounds(&garbage));
    ASSERT_NE(reinterpret_cast<IMapRect *>(1), garbage);
    garbage->Release();
    IUnknown *none = reinterpret_cast<IUnknown *>(1);
    EXPECT_EQ(E_NOINTERFACE, map->QueryInterface(__uuidof(IShapeLayer), reinterpret_cast<void **>(&none)));
    EXPECT_EQ(nullptr, none);
}

TEST_F(FactoryTest, ReservedSlotsAnswerENotImpl) {
    EXPECT_EQ(E_NOTIMPL, factory_->Reserved2());
    EXPECT_EQ(E_NOTIMPL, factory_->Reserved6());
    EXPECT_EQ(E_NOTIMPL, factory_->Reserved8());
    EXPECT_EQ(E_NOTIMPL, factory_->Reserved10());
    EXPECT_EQ(E_NOTIMPL, factory_->Reserved13());
    IMap *map = shell_.MapInterface();
    EXPECT_EQ(E_NOTIMPL, map->Reserved2());
    EXPECT_EQ(E_NOTIMPL, map->Reserved9());
    EXPECT_EQ(E_NOTIMPL, map->Reserved11());
    IBaseViewThread *view = shell_.BaseViewInterface();
    EXPECT_EQ(E_NOTIMPL, view->Reserved1());
    EXPECT_EQ(E_NOTIMPL, view->Reserved5());
    EXPECT_EQ(E_NOTIMPL, view->Reserved6());
    IBaseViewFrame *frame = &shell_.FrameObject();
    EXPECT_EQ(E_NOTIMPL, frame->Reserved1());
    EXPECT_EQ(E_NOTIMPL, frame->Reserved4());
    EXPECT_EQ(E_NOTIMPL, static_cast<ICustomPageCollection *>(&shell_.Pages())->Reserved1());
    ComPtr<IMapRect> rect(new MapRect(shell_.SharedRegistry(), {}));
    EXPECT_EQ(E_NOTIMPL, rect->Reserved1());
    EXPECT_EQ(E_NOTIMPL, rect->Reserved10());
}

TEST_F(FactoryTest, EveryInterfaceOfAnObjectLeadsToTheSameIdentity) {
    ComPtr<IMap> map(shell_.MapInterface());
    auto a = map.As<IUnknown>();
    auto b = map.As<IBalloonList>().As<IUnknown>();
    auto c = map.As<IScreenConverter>().As<IUnknown>();
    EXPECT_EQ(a.Get(), b.Get());
    EXPECT_EQ(a.Get(), c.Get());
    EXPECT_EQ(&shell_.MapObject(), Inspect<Map>(map.As<IBalloonList>().Get()));
    EXPECT_EQ(nullptr, Inspect<Frame>(map.Get()));
}

}  // namespace
