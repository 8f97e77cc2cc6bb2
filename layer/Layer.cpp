#include "Layer.h"

#include "Bstr.h"
#include "Module.h"
#include "PanelState.h"

#include "kx/infopoints.h"
#include "kx/text.h"

#include <algorithm>
#include <new>
#include <string>

namespace {

const wchar_t kTrackLineName[] = L"Трек";
const wchar_t kVehicleMarkerName[] = L"ТС";

// Colours as the shell takes them, 0xTTBBGGRR (top byte: transparency).
constexpr LONG kLabelGrey = 0xAAAAAA;
constexpr LONG kBlack = 0;
constexpr LONG kRed = 0xFF;
constexpr LONG kNearlyClearWhite = 0x1FFFFFFF;
constexpr LONG kInvisible = static_cast<LONG>(0xFFFFFFFFu);

constexpr LONG kSolid = 1;
constexpr LONG kCrossHatch = 7;

// Labels of the track, marker and checkpoints sit at the map's origin.
constexpr kx::TMapPoint kOrigin{0.0, 0.0};

std::wstring WithoutLineBreaks(std::wstring text)
{
    static const std::wstring lineBreak = L"<br />";
    for (size_t at = text.find(lineBreak); at != std::wstring::npos; at = text.find(lineBreak, at))
        text.erase(at, lineBreak.size());
    return text;
}

} // namespace

TLayer::TLayer(const TBaseView *view, std::shared_ptr<const TPanelState> state)
    : shapes_(view), view_(view), state_(state ? std::move(state) : std::make_shared<const TPanelState>())
{
    IMap *map = view_ ? view_->Map() : nullptr;
    if (map) map->Layers(layers_.Put());
    if (layers_) {
        // The shell takes its own reference; a refusal leaves us unregistered.
        AddRef();
        HRESULT hr = layers_->AddLayer(static_cast<IShapeLayer *>(this));
        if (hr != S_OK) layers_.Reset();
        InterlockedDecrement(&refs_); // undo the guard without deleting
    }
}

TLayer::~TLayer()
{
    // The shell may count references on us while we ask to be removed (a
    // query for our identity): without this, its release would reach zero
    // a second time and delete us again.
    refs_ = 0x40000000;
    current_.reset();
    shapes_.Clear();
    if (layers_) {
        // Still registered: ask the map anew, as the collection we kept may
        // belong to a map that changed its layers since.
        ComPtr<ILayerCollection> layers;
        if (view_ && view_->Map()) view_->Map()->Layers(layers.Put());
        layers_.Reset();
        if (layers) layers->RemoveLayer(static_cast<IShapeLayer *>(this));
    }
}

void TLayer::Detach()
{
    // The collection's release may be the last reference: we go, if at all,
    // when this guard does, after the last touch of a member.
    ComPtr<IShapeLayer> self(static_cast<IShapeLayer *>(this));
    if (layers_) {
        ComPtr<ILayerCollection> layers = layers_;
        layers_.Reset();
        layers->RemoveLayer(static_cast<IShapeLayer *>(this));
    }
    icon_.Reset();
}

STDMETHODIMP TLayer::QueryInterface(REFIID iid, void **out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IShapeCursor)
        *out = static_cast<IShapeCursor *>(this);
    else if (iid == IID_IShapeSource)
        *out = static_cast<IShapeSource *>(this);
    else if (iid == IID_IShapeLayer)
        *out = static_cast<IShapeLayer *>(this);
    else if (iid == IID_IPositionCode)
        *out = static_cast<IPositionCode *>(this);
    else if (iid == IID_IDisplayInfo)
        *out = static_cast<IDisplayInfo *>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) TLayer::AddRef() { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) TLayer::Release()
{
    ULONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
}

// ------------------------------------------------------------ description

STDMETHODIMP TLayer::Tag(BSTR *tag) { return CopyOut(L"KXLayerTag", tag); }
STDMETHODIMP TLayer::Caption(BSTR *caption) { return CopyOut(L"Карвекс Плеер", caption); }
STDMETHODIMP TLayer::Description(BSTR *description)
{
    return CopyOut(L"KX plugin shape layer", description);
}
STDMETHODIMP TLayer::PositionCode(BSTR *code) { return CopyOut(L"8001ExampleLayer:0", code); }

STDMETHODIMP TLayer::Icon(IRaster **icon)
{
    if (!icon) return E_POINTER;
    *icon = nullptr;
    // Loaded on first request and kept; a failed load is tried again next time.
    if (!icon_) icon_ = LoadIconRaster(L"IcKX", L"IC");
    *icon = icon_.CopyOut();
    return S_OK;
}

ComPtr<IRaster> TLayer::LoadIconRaster(const wchar_t *name, const wchar_t *type) const
{
    ComPtr<IRaster> raster;
    IGrymObjectFactory *factory = view_ ? view_->Factory() : nullptr;
    HMODULE module = ModuleInstance();
    HRSRC resource = FindResourceW(module, name, type);
    if (!resource || !factory) return raster;
    DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    const void *bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return raster;
    SAFEARRAY *array = SafeArrayCreateVector(VT_UI1, 0, size);
    if (!array) return raster;
    void *data = nullptr;
    if (SUCCEEDED(SafeArrayAccessData(array, &data))) {
        memcpy(data, bytes, size);
        SafeArrayUnaccessData(array);
        factory->CreateRaster(array, raster.Put());
    }
    SafeArrayDestroy(array);
    return raster;
}

// ------------------------------------------------------------ IShapeLayer

STDMETHODIMP TLayer::GetVisible(VARIANT_BOOL *visible)
{
    if (!visible) return E_POINTER;
    *visible = visible_;
    return S_OK;
}

STDMETHODIMP TLayer::PutVisible(VARIANT_BOOL visible)
{
    visible_ = visible;
    return S_OK;
}

STDMETHODIMP TLayer::AcceptsMode(LONG, LONG b, VARIANT_BOOL *accepts)
{
    if (!accepts) return E_POINTER;
    *accepts = b == 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

// ------------------------------------------------------------ IShapeSource

STDMETHODIMP TLayer::ShownAtLevel(LONG level, LONG mode, VARIANT_BOOL *shown)
{
    if (!shown) return E_POINTER;
    *shown = (level <= 5000 && mode == 0) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP TLayer::FlagOne(VARIANT_BOOL *flag)
{
    if (!flag) return E_POINTER;
    *flag = VARIANT_TRUE;
    return S_OK;
}

STDMETHODIMP TLayer::FlagTwo(VARIANT_BOOL *flag)
{
    if (!flag) return E_POINTER;
    *flag = VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP TLayer::Unsupported(LONG) { return E_NOTIMPL; }

HRESULT TLayer::HandOutCursor(int found, IShapeCursor **cursor)
{
    if (found == 0) return S_FALSE;
    cursorIndex_ = 0;
    *cursor = static_cast<IShapeCursor *>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP TLayer::SelectInRect(IMapRect *rect, IShapeCursor **cursor)
{
    if (!cursor) return E_POINTER;
    *cursor = nullptr;
    if (!rect) return E_INVALIDARG;
    try {
        return HandOutCursor(shapes_.SelectInRect(rect), cursor);
    } catch (const std::bad_alloc &) {
        shapes_.Found.clear();
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP TLayer::SelectById(LONG id, IShapeCursor **cursor)
{
    if (!cursor) return E_POINTER;
    *cursor = nullptr;
    try {
        HRESULT hr = HandOutCursor(shapes_.SelectById(id), cursor);
        if (hr == S_OK) current_ = shapes_.Found.front();
        return hr;
    } catch (const std::bad_alloc &) {
        shapes_.Found.clear();
        return E_OUTOFMEMORY;
    }
}

// ------------------------------------------------------------ IShapeCursor

STDMETHODIMP TLayer::Next(IShapeSink *sink, VARIANT_BOOL *more)
{
    current_.reset();
    if (!more) return E_POINTER;
    *more = VARIANT_FALSE;
    if (!sink) return E_INVALIDARG;
    if (cursorIndex_ >= static_cast<int>(shapes_.Found.size())) return S_OK;
    current_ = shapes_.Found[cursorIndex_++];
    sink->SetId(current_->Id());

    // The array describes the shape's own vertices without copying them:
    // the shell takes what it needs during the call.
    const kx::TMapPointArray &points = current_->Points();
    static_assert(sizeof(kx::TMapPoint) == 2 * sizeof(double), "X, Y packed");
    SAFEARRAY array = {};
    array.cDims = 1;
    array.fFeatures = FADF_AUTO | FADF_FIXEDSIZE;
    array.cbElements = sizeof(double);
    array.pvData = points.empty() ? nullptr : const_cast<kx::TMapPoint *>(points.data());
    array.rgsabound[0].cElements = static_cast<ULONG>(2 * points.size());
    array.rgsabound[0].lLbound = 0;
    VARIANT coordinates;
    VariantInit(&coordinates);
    coordinates.vt = VT_ARRAY | VT_R8;
    coordinates.parray = &array;
    sink->SetGeometry(current_->Kind(), coordinates);

    *more = VARIANT_TRUE;
    return S_OK;
}

STDMETHODIMP TLayer::Title(BSTR *title)
{
    if (!title) return E_POINTER;
    *title = nullptr;
    if (!current_) return S_FALSE;
    if (current_->Name() == kTrackLineName) {
        // The mouse rests on the track line: the player jumps to that place.
        // That is the only reaction; the shell shows no title for the track.
        if (JumpToTrackPoint) {
            ComPtr<IMapPoint> point = CursorMapPoint();
            if (point) {
                double x = 0, y = 0;
                point->GetX(&x);
                point->GetY(&y);
                try {
                    JumpToTrackPoint(x, y);
                } catch (...) {
                    // A failed jump leaves the player where it was.
                }
            }
        }
        return CopyOut(L"", title);
    }
    return CopyOut(current_->Name(), title);
}

STDMETHODIMP TLayer::Hint(BSTR *hint)
{
    if (!hint) return E_POINTER;
    *hint = nullptr;
    if (!current_) return S_FALSE;
    return CopyOut(current_->Text(), hint);
}

STDMETHODIMP TLayer::LabelPoint(IMapPoint **point)
{
    if (!point) return E_POINTER;
    *point = nullptr;
    if (!current_ || !current_->LabelPoint()) return S_FALSE;
    *point = current_->LabelPoint();
    (*point)->AddRef();
    return S_OK;
}

STDMETHODIMP TLayer::TextSymbol(ITextSymbol **symbol)
{
    if (!symbol) return E_POINTER;
    *symbol = nullptr;
    if (!current_ || !current_->TextSymbol()) return S_FALSE;
    *symbol = current_->TextSymbol();
    (*symbol)->AddRef();
    return S_OK;
}

template <class T>
HRESULT TLayer::CurrentSymbolAs(REFIID iid, T **symbol)
{
    if (!symbol) return E_POINTER;
    *symbol = nullptr;
    if (!current_ || !current_->Symbol()) return S_FALSE;
    // A symbol of another kind answers E_NOINTERFACE and hands out nothing.
    return current_->Symbol()->QueryInterface(iid, reinterpret_cast<void **>(symbol));
}

STDMETHODIMP TLayer::SymbolAs1(ILineSymbol **symbol) { return CurrentSymbolAs(IID_ILineSymbol, symbol); }
STDMETHODIMP TLayer::SymbolAs2(IPolygonSymbol **symbol) { return CurrentSymbolAs(IID_IPolygonSymbol, symbol); }
STDMETHODIMP TLayer::SymbolAs3(IRasterSymbol **symbol) { return CurrentSymbolAs(IID_IRasterSymbol, symbol); }

ComPtr<IMapPoint> TLayer::CursorMapPoint() const
{
    ComPtr<IMapPoint> result;
    if (!view_ || !view_->View()) return result;
    ComPtr<IBaseViewFrame> frame;
    view_->View()->Frame(frame.Put());
    ComPtr<IMap> map;
    if (frame) frame->Map(map.Put());
    if (!map) return result;
    LONG handle = 0;
    map->WindowHandle(&handle);
    POINT cursor = {};
    GetCursorPos(&cursor);
    ScreenToClient(reinterpret_cast<HWND>(static_cast<LONG_PTR>(handle)), &cursor);
    ComPtr<IGrymObjectFactory> factory;
    view_->View()->Factory(factory.Put());
    ComPtr<IDevicePoint> device;
    if (factory) factory->CreateDevicePoint(0, 0, device.Put());
    if (!device) return result;
    device->PutX(cursor.x);
    device->PutY(cursor.y);
    ComPtr<IScreenConverter> converter = map.As<IScreenConverter>();
    if (converter) converter->DeviceToMap(device.Get(), result.Put());
    return result;
}

// ------------------------------------------------------------ building shapes

void TLayer::AddShape(TShapeList &list, LONG kind, const kx::TMapPointArray &points,
                      const std::wstring &name, const std::wstring &text,
                      std::optional<kx::TMapPoint> labelPosition, LONG textColour, ISymbol *symbol)
{
    AddShape(list, kind, std::make_shared<const kx::TMapPointArray>(points), name, text, labelPosition,
             textColour, symbol);
}

void TLayer::AddShape(TShapeList &list, LONG kind, std::shared_ptr<const kx::TMapPointArray> points,
                      const std::wstring &name, const std::wstring &text,
                      std::optional<kx::TMapPoint> labelPosition, LONG textColour, ISymbol *symbol)
{
    auto shape = std::make_shared<TShape>(view_);
    shape->Assign(shapeCounter_, kind, std::move(points), name, text, labelPosition, textColour, symbol);
    // Wraps after 2^32 shapes instead of overflowing; by then the shapes
    // with the old numbers are long gone.
    shapeCounter_ = static_cast<LONG>(static_cast<ULONG>(shapeCounter_) + 1u);
    list.push_back(std::move(shape));
}

namespace {

ComPtr<ISymbol> LineSymbol(IGrymObjectFactory *factory, LONG style, double width, LONG colour)
{
    ComPtr<ISymbol> symbol;
    if (factory) factory->CreateLineSymbol(style, width, colour, symbol.Put());
    return symbol;
}

ComPtr<ISymbol> PolygonSymbol(IGrymObjectFactory *factory, LONG style, LONG fill, LONG back,
                              ISymbol *outline)
{
    ComPtr<ISymbol> symbol;
    if (factory) factory->CreatePolygonSymbol(style, fill, back, outline, symbol.Put());
    return symbol;
}

ComPtr<ISymbol> RasterSymbol(IGrymObjectFactory *factory, IRaster *raster)
{
    ComPtr<ISymbol> symbol;
    if (factory) factory->CreateRasterSymbol(raster, 1.0, symbol.Put());
    return symbol;
}

} // namespace

void TLayer::BuildShapes(int mode)
{
    switch (mode) {
    case BuildTrack: MakeTrackLines(); break;
    case BuildVehicleMarker: MakeVehicleMarker(); break;
    case BuildInfoPoints: MakeInfoPointIcons(); break;
    case BuildCheckpoints: MakeCheckpoints(); break;
    case BuildLastPoint: MakeLastPoint(); break;
    default: break;
    }
}

void TLayer::MakeTrackLines()
{
    shapes_.TrackLines.clear();
    shapes_.Vehicles.clear();
    // Both lines hold the trip's one array of map points: a long track is
    // kept once, and stays whole for the lines while they exist.
    const std::shared_ptr<const kx::TMapPointArray> track = state_->Trip.Track.sharedMapPoints();
    // A trip without points has no line: two vertex-less polylines would
    // only be handed to the shell on every draw.
    if (!track || track->empty()) return;
    IGrymObjectFactory *factory = view_ ? view_->Factory() : nullptr;
    // A wide black line under a narrow red one.
    ComPtr<ISymbol> under = LineSymbol(factory, kSolid, 1.0, kBlack);
    AddShape(shapes_.TrackLines, TShape::KindPolyline, track, kTrackLineName, L"Track Line",
             kOrigin, kLabelGrey, under.Get());
    ComPtr<ISymbol> over = LineSymbol(factory, kSolid, 0.5, kRed);
    AddShape(shapes_.TrackLines, TShape::KindPolyline, track, kTrackLineName, L"Track Line",
             kOrigin, kLabelGrey, over.Get());
}

void TLayer::MakeVehicleMarker()
{
    shapes_.Vehicles.clear();
    const TMapPointArrays &polygons = state_->Player.MarkerPolygons;
    IGrymObjectFactory *factory = view_ ? view_->Factory() : nullptr;
    // The panel's shut-down empties the polygons; a tick after it must not
    // read them.
    if (polygons.size() > 0 && !polygons[0].empty()) {
        ComPtr<ISymbol> outline = LineSymbol(factory, kSolid, 0.7, kBlack);
        ComPtr<ISymbol> body = PolygonSymbol(factory, kSolid, kNearlyClearWhite, kBlack, outline.Get());
        AddShape(shapes_.Vehicles, TShape::KindPolygon, polygons[0], kVehicleMarkerName, L"TS",
                 kOrigin, kLabelGrey, body.Get());
    }
    if (polygons.size() > 1 && !polygons[1].empty()) {
        ComPtr<ISymbol> outline = LineSymbol(factory, kSolid, 0.5, kRed);
        ComPtr<ISymbol> arrow = PolygonSymbol(factory, kSolid, kRed, kRed, outline.Get());
        AddShape(shapes_.Vehicles, TShape::KindPolygon, polygons[1], kVehicleMarkerName, L"TS",
                 kOrigin, kLabelGrey, arrow.Get());
    }
}

void TLayer::MakeInfoPointIcons()
{
    shapes_.InfoPointIcons.clear();
    const TPanelState &state = *state_;
    IGrymObjectFactory *factory = view_ ? view_->Factory() : nullptr;
    // Index 0 is row 1, the checkpoints, which have circles of their own (mode 4).
    const size_t categories = std::min(state.Settings.InfoPointCategories.size(), state.InfoPoints.Categories.size());
    for (size_t c = 1; c < categories; ++c) {
        const kx::TInfoPoints &category = state.Settings.InfoPointCategories[c];
        if (!category.VisibleIcon) continue;
        for (const TPlaceOnMap &entry : state.InfoPoints.Categories[c]) {
            // An entry without a position is listed, not drawn.
            if (entry.Points.empty()) continue;
            const std::wstring &text = entry.Text;
            // A drain shows the drain icon instead of the refuel one.
            const std::wstring key = kx::ToWide(kx::IconKeyFor(category.Icon, kx::ToUtf8(text)));
            ComPtr<IRaster> raster = LoadIconRaster(key.c_str(), L"IC");
            ComPtr<ISymbol> symbol = RasterSymbol(factory, raster.Get());
            AddShape(shapes_.InfoPointIcons, TShape::KindIcon, entry.Points, text, text,
                     std::nullopt, kRed, symbol.Get());
        }
    }
}

void TLayer::MakeCheckpoints()
{
    shapes_.Checkpoints.clear();
    const TPanelState &state = *state_;
    IGrymObjectFactory *factory = view_ ? view_->Factory() : nullptr;
    for (const TPlaceOnMap &checkpoint : state.Checkpoints.Circles) {
        // A red outline round a black cross-hatch on a clear background.
        ComPtr<ISymbol> outline = LineSymbol(factory, kSolid, 0.5, kRed);
        ComPtr<ISymbol> circle = PolygonSymbol(factory, kCrossHatch, kBlack, kInvisible, outline.Get());
        AddShape(shapes_.Checkpoints, TShape::KindPolygon, checkpoint.Points, checkpoint.Text, L"KT", kOrigin,
                 kLabelGrey, circle.Get());
    }
}

void TLayer::MakeLastPoint()
{
    const TPanelState &state = *state_;
    const int k = state.LastPoints.Index;
    if (k < 0 || k >= static_cast<int>(state.LastPoints.Vehicles.size()))
        return;
    const TPlaceOnMap &vehicle = state.LastPoints.Vehicles[static_cast<size_t>(k)];
    IGrymObjectFactory *factory = view_ ? view_->Factory() : nullptr;
    const int iconNumber = state.Settings.IconNum;
    // Vehicle icons are numbered from 1. Any other number (0, the default
    // car the settings offer first; -1, no icon chosen; one from a hand-made
    // settings file) shows the default car: a vehicle is never invisible.
    ComPtr<IRaster> raster;
    if (iconNumber >= 1)
        raster = LoadIconRaster((L"TSIcon_" + std::to_wstring(iconNumber)).c_str(), L"IC");
    if (!raster)
        raster = LoadIconRaster(L"ICCAR", L"IC");
    // Without even that resource the shape still gets a (rasterless) symbol.
    ComPtr<ISymbol> symbol = RasterSymbol(factory, raster.Get());
    AddShape(shapes_.Vehicles, TShape::KindIcon, vehicle.Points, vehicle.Text, WithoutLineBreaks(vehicle.Text),
             std::nullopt, kRed, symbol.Get());
}
