// The layer as the shell's cursor: queries, the walk with Next, what the
// current shape answers, and the track line's title moving the player.
#include "LayerTestSupport.h"

namespace {

using namespace layertest;

// A sink that looks at the coordinate array while it is valid: the call.
class RecordingSink final : public IShapeSink {
public:
    LONG id = -1;
    LONG kind = -1;
    VARTYPE vt = VT_EMPTY;
    USHORT dims = 0;
    ULONG elementSize = 0;
    LONG lowerBound = -1;
    ULONG count = 0;
    const void *data = nullptr;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IShapeSink) return E_NOINTERFACE;
        *out = static_cast<IShapeSink *>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SetId(LONG value) override
    {
        id = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetGeometry(LONG value, VARIANT coordinates) override
    {
        kind = value;
        vt = coordinates.vt;
        if (SAFEARRAY *array = coordinates.parray) {
            dims = array->cDims;
            elementSize = array->cbElements;
            lowerBound = array->rgsabound[0].lLbound;
            count = array->rgsabound[0].cElements;
            data = array->pvData;
        }
        return S_OK;
    }
};

class LayerCursorTest : public LayerTest {
protected:
    ComPtr<IMapRect> Everything()
    {
        const auto &b = MapBounds();
        return Rect(b.minX, b.minY, b.maxX, b.maxY);
    }
    std::pair<HRESULT, std::wstring> Title()
    {
        BSTR text = reinterpret_cast<BSTR>(1);
        const HRESULT hr = Cursor()->Title(&text);
        const bool cleared = text != reinterpret_cast<BSTR>(1);
        EXPECT_TRUE(cleared);
        return {hr, cleared ? TakeBstr(text) : std::wstring()};
    }
    void ExpectNoCurrentShape()
    {
        EXPECT_EQ(S_FALSE, Title().first);
        BSTR hint = nullptr;
        EXPECT_EQ(S_FALSE, Cursor()->Hint(&hint));
        EXPECT_EQ(nullptr, hint);
        IMapPoint *label = nullptr;
        EXPECT_EQ(S_FALSE, Cursor()->LabelPoint(&label));
        EXPECT_EQ(nullptr, label);
        ITextSymbol *text = nullptr;
        EXPECT_EQ(S_FALSE, Cursor()->TextSymbol(&text));
        IPolygonSymbol *polygon = nullptr;
        EXPECT_EQ(S_FALSE, Cursor()->SymbolAs2(&polygon));
        EXPECT_EQ(nullptr, polygon);
    }
};

TEST_F(LayerCursorTest, WalkHandsOutEveryFoundShapeThenStops)
{
    PlaceMarker(Inside(0.5, 0.5));
    layer->BuildShapes(TLayer::BuildVehicleMarker);

    ComPtr<IShapeCursor> cursor;
    ASSERT_EQ(S_OK, Source()->SelectInRect(Everything().Get(), cursor.Put()));
    // The layer is its own cursor.
    EXPECT_EQ(Cursor(), cursor.Get());

    RecordingSink sink;
    VARIANT_BOOL more = VARIANT_FALSE;
    for (size_t i = 0; i < 2; ++i) {
        ASSERT_EQ(S_OK, cursor->Next(&sink, &more));
        ASSERT_EQ(VARIANT_TRUE, more);
        const TShape &shape = *layer->Shapes().Vehicles[i];
        EXPECT_EQ(shape.Id(), sink.id);
        EXPECT_EQ(TShape::KindPolygon, sink.kind);
        EXPECT_EQ(VT_ARRAY | VT_R8, sink.vt);
        EXPECT_EQ(1, sink.dims);
        EXPECT_EQ(8u, sink.elementSize);
        EXPECT_EQ(0, sink.lowerBound);
        EXPECT_EQ(2 * shape.Points().size(), sink.count);
        // The shape's own vertices, not a copy.
        EXPECT_EQ(static_cast<const void *>(shape.Points().data()), sink.data);
        EXPECT_EQ(S_OK, Title().first);
    }
    // Past the end: S_OK with nothing more, and no current shape after it.
    sink.id = -1;
    EXPECT_EQ(S_OK, cursor->Next(&sink, &more));
    EXPECT_EQ(VARIANT_FALSE, more);
    EXPECT_EQ(-1, sink.id);
    ExpectNoCurrentShape();
    EXPECT_EQ(S_OK, cursor->Next(&sink, &more));
    EXPECT_EQ(VARIANT_FALSE, more);

    // A new query starts from the first shape again.
    cursor.Reset();
    ASSERT_EQ(S_OK, Source()->SelectInRect(Everything().Get(), cursor.Put()));
    ASSERT_EQ(S_OK, cursor->Next(&sink, &more));
    EXPECT_EQ(layer->Shapes().Vehicles[0]->Id(), sink.id);
}

TEST_F(LayerCursorTest, NextRefusesMissingArgumentsAndDropsTheCurrentShape)
{
    PlaceMarker(Inside(0.5, 0.5));
    layer->BuildShapes(TLayer::BuildVehicleMarker);
    ComPtr<IShapeCursor> cursor;
    ASSERT_EQ(S_OK, Source()->SelectById(layer->Shapes().Vehicles[1]->Id(), cursor.Put()));
    // SelectById stands on its first shape before any Next.
    EXPECT_EQ(std::make_pair(S_OK, std::wstring(L"ТС")), Title());

    EXPECT_EQ(E_POINTER, cursor->Next(nullptr, nullptr));
    ExpectNoCurrentShape();
    VARIANT_BOOL more = VARIANT_TRUE;
    EXPECT_EQ(E_INVALIDARG, cursor->Next(nullptr, &more));
    EXPECT_EQ(VARIANT_FALSE, more);

    RecordingSink sink;
    ASSERT_EQ(S_OK, cursor->Next(&sink, &more));
    EXPECT_EQ(layer->Shapes().Vehicles[1]->Id(), sink.id);
    EXPECT_EQ(S_OK, cursor->Next(&sink, &more));
    EXPECT_EQ(VARIANT_FALSE, more);
}

TEST_F(LayerCursorTest, QueriesThatFindNothingHandOutNoCursor)
{
    IShapeCursor *cursor = reinterpret_cast<IShapeCursor *>(1);
    EXPECT_EQ(S_FALSE, Source()->SelectInRect(Everything().Get(), &cursor));
    EXPECT_EQ(nullptr, cursor);

    PlaceMarker(Inside(0.5, 0.5));
    layer->BuildShapes(TLayer::BuildVehicleMarker);
    const auto &b = MapBounds();
    cursor = reinterpret_cast<IShapeCursor *>(1);
    EXPECT_EQ(S_FALSE, Source()->SelectInRect(Rect(b.maxX, b.minY, b.maxX + 1, b.maxY).Get(), &cursor));
    EXPECT_EQ(nullptr, cursor);

    // An unknown number empties the result the shell may still walk.
    ComPtr<IShapeCursor> walking;
    ASSERT_EQ(S_OK, Source()->SelectInRect(Everything().Get(), walking.Put()));
    cursor = reinterpret_cast<IShapeCursor *>(1);
    EXPECT_EQ(S_FALSE, Source()->SelectById(12345, &cursor));
    EXPECT_EQ(nullptr, cursor);
    RecordingSink sink;
    VARIANT_BOOL more = VARIANT_TRUE;
    EXPECT_EQ(S_OK, walking->Next(&sink, &more));
    EXPECT_EQ(VARIANT_FALSE, more);

    EXPECT_EQ(E_POINTER, Source()->SelectInRect(Everything().Get(), nullptr));
    EXPECT_EQ(E_POINTER, Source()->SelectById(0, nullptr));
    cursor = reinterpret_cast<IShapeCursor *>(1);
    EXPECT_EQ(E_INVALIDARG, Source()->SelectInRect(nullptr, &cursor));
    EXPECT_EQ(nullptr, cursor);
}

TEST_F(LayerCursorTest, TrackLineTitleMovesThePlayerToThePointUnderTheMouse)
{
    LoadTrack({Inside(0.2, 0.2), Inside(0.8, 0.8)});
    PlaceMarker(Inside(0.5, 0.5));
    layer->BuildShapes(TLayer::BuildTrack);
    layer->BuildShapes(TLayer::BuildVehicleMarker);
    std::vector<kx::TMapPoint> jumps;
    layer->JumpToTrackPoint = [&](double x, double y) { jumps.push_back({x, y}); };

    ComPtr<IShapeCursor> cursor;
    ASSERT_EQ(S_OK, Source()->SelectInRect(Everything().Get(), cursor.Put()));
    RecordingSink sink;
    VARIANT_BOOL more = VARIANT_FALSE;
    ASSERT_EQ(S_OK, cursor->Next(&sink, &more));
    const auto title = Title();
    EXPECT_EQ(S_OK, title.first);
    EXPECT_EQ(L"", title.second);
    ASSERT_EQ(1u, jumps.size());
    POINT mouse = {};
    GetCursorPos(&mouse);
    ScreenToClient(MapObject().Window(), &mouse);
    const kxshell::MercatorPoint expected = MapObject().DeviceToMapPoint(mouse.x, mouse.y);
    EXPECT_DOUBLE_EQ(expected.x, jumps[0].X);
    EXPECT_DOUBLE_EQ(expected.y, jumps[0].Y);

    // Any other shape answers its name and leaves the player alone.
    ASSERT_EQ(S_OK, cursor->Next(&sink, &more));  // second track line
    ASSERT_EQ(S_OK, cursor->Next(&sink, &more));  // the marker
    EXPECT_EQ(std::make_pair(S_OK, std::wstring(L"ТС")), Title());
    EXPECT_EQ(1u, jumps.size());
}

TEST_F(LayerCursorTest, TrackLineTitleSurvivesAMissingOrFailingPlayer)
{
    LoadTrack({Inside(0.2, 0.2), Inside(0.8, 0.8)});
    layer->BuildShapes(TLayer::BuildTrack);
    ComPtr<IShapeCursor> cursor;
    ASSERT_EQ(S_OK, Source()->SelectById(layer->Shapes().TrackLines[0]->Id(), cursor.Put()));
    EXPECT_EQ(std::make_pair(S_OK, std::wstring()), Title());

    layer->JumpToTrackPoint = [](double, double) { throw std::runtime_error("no track"); };
    EXPECT_EQ(std::make_pair(S_OK, std::wstring()), Title());
}

TEST_F(LayerCursorTest, CurrentShapeAnswersWithItsOwnFields)
{
    AddLastPoint(Inside(0.5, 0.5), L"a<br />b");
    layer->BuildShapes(TLayer::BuildLastPoint);
    ComPtr<IShapeCursor> cursor;
    ASSERT_EQ(S_OK, Source()->SelectById(layer->Shapes().Vehicles[0]->Id(), cursor.Put()));

    BSTR hint = nullptr;
    EXPECT_EQ(S_OK, cursor->Hint(&hint));
    EXPECT_EQ(L"ab", TakeBstr(hint));
    // An icon without a label position has no label point, but a text symbol.
    IMapPoint *label = reinterpret_cast<IMapPoint *>(1);
    EXPECT_EQ(S_FALSE, cursor->LabelPoint(&label));
    EXPECT_EQ(nullptr, label);
    ITextSymbol *text = nullptr;
    EXPECT_EQ(S_OK, cursor->TextSymbol(&text));
    ASSERT_NE(nullptr, text);
    text->Release();

    // Only the symbol's own kind is handed out.
    IRasterSymbol *raster = nullptr;
    EXPECT_EQ(S_OK, cursor->SymbolAs3(&raster));
    ASSERT_NE(nullptr, raster);
    raster->Release();
    ILineSymbol *line = reinterpret_cast<ILineSymbol *>(1);
    EXPECT_EQ(E_NOINTERFACE, cursor->SymbolAs1(&line));
    EXPECT_EQ(nullptr, line);
    EXPECT_EQ(E_POINTER, cursor->Hint(nullptr));
    EXPECT_EQ(E_POINTER, cursor->SymbolAs3(nullptr));
}

}  // namespace
