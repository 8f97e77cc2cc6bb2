#include "Layer.h"

#include "Module.h"

#include <new>
#include <string>

namespace {

HRESULT CopyString(const std::wstring &text, BSTR *out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

const wchar_t kTrackLineName[] = L"Трек";

} // namespace

TLayer::TLayer(const TBaseView *view) : shapes_(view), view_(view)
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
    shapes_.Found.clear();
    current_.reset();
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
    if (layers_) {
        ComPtr<ILayerCollection> layers = layers_;
        layers_.Reset();
        AddRef(); // the collection's release must not destroy us mid-call
        layers->RemoveLayer(static_cast<IShapeLayer *>(this));
        InterlockedDecrement(&refs_);
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

STDMETHODIMP TLayer::Tag(BSTR *tag) { return CopyString(L"KXLayerTag", tag); }
STDMETHODIMP TLayer::Caption(BSTR *caption) { return CopyString(L"Карвекс Плеер", caption); }
STDMETHODIMP TLayer::Description(BSTR *description)
{
    return CopyString(L"KX plugin shape layer", description);
}
STDMETHODIMP TLayer::PositionCode(BSTR *code) { return CopyString(L"8001ExampleLayer:0", code); }

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
    return HandOutCursor(shapes_.SelectInRect(rect), cursor);
}

STDMETHODIMP TLayer::SelectById(LONG id, IShapeCursor **cursor)
{
    if (!cursor) return E_POINTER;
    *cursor = nullptr;
    HRESULT hr = HandOutCursor(shapes_.SelectById(id), cursor);
    if (hr == S_OK) current_ = shapes_.Found.front();
    return hr;
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
        // The mouse is over the track line: move the player to that place.
        ComPtr<IMapPoint> point = CursorMapPoint();
        if (point && OnTrackLineTitle) {
            double x = 0, y = 0;
            point->GetX(&x);
            point->GetY(&y);
            OnTrackLineTitle(x, y);
        }
        return CopyString(L"", title);
    }
    return CopyString(current_->Name(), title);
}

STDMETHODIMP TLayer::Hint(BSTR *hint)
{
    if (!hint) return E_POINTER;
    *hint = nullptr;
    if (!current_) return S_FALSE;
    return CopyString(current_->Text(), hint);
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
