#include "Map.h"

#include "DeviceValues.h"
#include "MapPoint.h"

namespace kxshell {
namespace {
std::string Flag(VARIANT_BOOL value) { return value ? "true" : "false"; }
}  // namespace

Map::Map(RegistryPtr registry, const RectValues &bounds, long windowWidth, long windowHeight)
    : ComObject(std::move(registry), "Map"), bounds_(bounds), visible_(bounds), windowWidth_(windowWidth),
      windowHeight_(windowHeight), layers_(new LayerCollection(SharedRegistry())),
      coordinates_(new kxshell::CoordinateSystem(SharedRegistry())) {}

Map::~Map() = default;

long Map::ClientWidth() const {
    RECT client;
    if (window_ && IsWindow(window_) && GetClientRect(window_, &client) && client.right > 0) return client.right;
    return windowWidth_;
}

long Map::ClientHeight() const {
    RECT client;
    if (window_ && IsWindow(window_) && GetClientRect(window_, &client) && client.bottom > 0) return client.bottom;
    return windowHeight_;
}

double Map::ScaleDenominator() const {
    const long width = ClientWidth();
    if (width <= 0) return 0;
    return visible_.Width() / (width * kMetresPerPixelAtUnitScale);
}

MercatorPoint Map::DeviceToMapPoint(double x, double y) const {
    const long width = ClientWidth(), height = ClientHeight();
    if (width <= 0 || height <= 0) return {visible_.minX, visible_.maxY};
    return {visible_.minX + x * visible_.Width() / width, visible_.maxY - y * visible_.Height() / height};
}

MercatorPoint Map::MapToDevicePoint(double x, double y) const {
    const long width = ClientWidth(), height = ClientHeight();
    if (visible_.Width() <= 0 || visible_.Height() <= 0) return {0, 0};
    return {(x - visible_.minX) * width / visible_.Width(), (visible_.maxY - y) * height / visible_.Height()};
}

std::vector<Balloon *> Map::ShownBalloons() const {
    std::vector<Balloon *> out;
    for (const auto &balloon : shown_) out.push_back(balloon.Get());
    return out;
}

HRESULT Map::Bounds(IMapRect **bounds) {
    Log("IMap.Bounds()");
    if (!ClearOut(bounds)) return E_POINTER;
    return Guarded([&] { return CreateInto<MapRect>(bounds, SharedRegistry(), bounds_); });
}

HRESULT Map::Invalidate(VARIANT_BOOL redraw) {
    Log("IMap.Invalidate(" + Flag(redraw) + ")");
    ++invalidates_;
    lastRedraw_ = redraw != VARIANT_FALSE;
    if (window_ && IsWindow(window_)) InvalidateRect(window_, nullptr, FALSE);
    return S_OK;
}

HRESULT Map::ShowPoint(IMapPoint *centre, double scale, double rotation, VARIANT_BOOL redraw) {
    double x = 0, y = 0;
    if (centre) {
        centre->GetX(&x);
        centre->GetY(&y);
    }
    Log("IMap.ShowPoint(" + (centre ? FormatDouble(x) + ", " + FormatDouble(y) : std::string("null")) + ", " +
        FormatDouble(scale) + ", " + FormatDouble(rotation) + ", " + Flag(redraw) + ")");
    if (!centre || !(scale > 0)) return E_INVALIDARG;
    return Guarded([&] {
        showPoints_.push_back({x, y, scale, rotation, redraw != VARIANT_FALSE});
        // The rotation is recorded only: this map is always drawn north up.
        const double halfWidth = ClientWidth() * scale * kMetresPerPixelAtUnitScale / 2;
        const double halfHeight = ClientHeight() * scale * kMetresPerPixelAtUnitScale / 2;
        visible_ = {x - halfWidth, y - halfHeight, x + halfWidth, y + halfHeight};
        return S_OK;
    });
}

HRESULT Map::SetVisibleRect(IMapRect *rect, VARIANT_BOOL redraw) {
    if (!rect) {
        Log("IMap.SetVisibleRect(null, " + Flag(redraw) + ")");
        return E_INVALIDARG;
    }
    RectValues v;
    HRESULT hr = rect->GetMinX(&v.minX);
    if (SUCCEEDED(hr)) hr = rect->GetMinY(&v.minY);
    if (SUCCEEDED(hr)) hr = rect->GetMaxX(&v.maxX);
    if (SUCCEEDED(hr)) hr = rect->GetMaxY(&v.maxY);
    Log("IMap.SetVisibleRect(" + FormatDouble(v.minX) + ", " + FormatDouble(v.minY) + ", " + FormatDouble(v.maxX) +
        ", " + FormatDouble(v.maxY) + ", " + Flag(redraw) + ")");
    if (FAILED(hr)) return hr;
    if (!(v.maxX > v.minX) || !(v.maxY > v.minY)) return E_INVALIDARG;
    visible_ = v;
    ++setVisibleRects_;
    return S_OK;
}

HRESULT Map::VisibleRect(IMapRect **rect) {
    Log("IMap.VisibleRect()");
    if (!ClearOut(rect)) return E_POINTER;
    return Guarded([&] { return CreateInto<MapRect>(rect, SharedRegistry(), visible_); });
}

HRESULT Map::WindowHandle(long *hwnd) {
    Log("IMap.WindowHandle()");
    if (!hwnd) return E_POINTER;
    *hwnd = static_cast<long>(reinterpret_cast<LONG_PTR>(window_));
    return S_OK;
}

HRESULT Map::Layers(ILayerCollection **layers) {
    Log("IMap.Layers()");
    if (!ClearOut(layers)) return E_POINTER;
    *layers = layers_.CopyOut();
    return S_OK;
}

HRESULT Map::CoordinateSystem(IUnknown **system) {
    Log("IMap.CoordinateSystem()");
    if (!ClearOut(system)) return E_POINTER;
    coordinates_->AddRef();
    *system = static_cast<IShellIdentity *>(coordinates_.Get());
    return S_OK;
}

HRESULT Map::DeviceToMap(IDevicePoint *device, IMapPoint **map) {
    if (!ClearOut(map)) {
        Log("IScreenConverter.DeviceToMap(?)");
        return E_POINTER;
    }
    if (!device) {
        Log("IScreenConverter.DeviceToMap(null)");
        return E_INVALIDARG;
    }
    long x = 0, y = 0;
    HRESULT hr = device->GetX(&x);
    if (SUCCEEDED(hr)) hr = device->GetY(&y);
    Log("IScreenConverter.DeviceToMap(" + std::to_string(x) + ", " + std::to_string(y) + ")");
    if (FAILED(hr)) return hr;
    const MercatorPoint p = DeviceToMapPoint(x, y);
    return Guarded([&] { return CreateInto<MapPoint>(map, SharedRegistry(), p.x, p.y); });
}

HRESULT Map::CreateBalloon(IMapPoint *anchor, VARIANT_BOOL closeButton, IDevicePoint *offset, IDeviceSize *size,
                           IBalloon **balloon) {
    BalloonPlacement placement;
    placement.closeButton = closeButton != VARIANT_FALSE;
    if (anchor) {
        anchor->GetX(&placement.anchorX);
        anchor->GetY(&placement.anchorY);
    }
    if (offset) {
        offset->GetX(&placement.offsetX);
        offset->GetY(&placement.offsetY);
    }
    if (size) {
        size->GetWidth(&placement.width);
        size->GetHeight(&placement.height);
    }
    Log("IBalloonList.CreateBalloon(" +
        (anchor ? FormatDouble(placement.anchorX) + ", " + FormatDouble(placement.anchorY) : std::string("null")) +
        ", " + Flag(closeButton) + ", " + std::to_string(placement.offsetX) + ", " + std::to_string(placement.offsetY) +
        ", " + std::to_string(placement.width) + ", " + std::to_string(placement.height) + ")");
    if (!ClearOut(balloon)) return E_POINTER;
    if (!anchor) return E_INVALIDARG;
    return Guarded([&] {
        ++balloonsCreated_;
        return CreateInto<Balloon, IBalloon>(balloon, SharedRegistry(), placement);
    });
}

int Map::ShownIndex(Balloon *balloon) const {
    for (size_t i = 0; i < shown_.size(); ++i)
        if (shown_[i].Get() == balloon) return static_cast<int>(i);
    return -1;
}

HRESULT Map::ShowBalloon(IGraphicBase *graphic) {
    Balloon *balloon = Inspect<Balloon>(graphic);
    Log(std::string("IBalloonList.ShowBalloon(") + (balloon ? "balloon #" + std::to_string(balloon->Serial()) : graphic ? "foreign" : "null") + ")");
    // Only balloons made by this list can be drawn by it.
    if (!balloon) return E_INVALIDARG;
    return Guarded([&]() -> HRESULT {
        showHistory_.push_back(balloon->Snapshot());
        if (ShownIndex(balloon) >= 0) return S_FALSE;
        shown_.emplace_back(balloon);
        return S_OK;
    });
}

HRESULT Map::HideBalloon(IGraphicBase *graphic) {
    Balloon *balloon = Inspect<Balloon>(graphic);
    Log(std::string("IBalloonList.HideBalloon(") + (balloon ? "balloon #" + std::to_string(balloon->Serial()) : graphic ? "foreign" : "null") + ")");
    if (!balloon) return E_INVALIDARG;
    const int index = ShownIndex(balloon);
    if (index < 0) return S_FALSE;
    ComPtr<Balloon> hidden = shown_[static_cast<size_t>(index)];
    shown_.erase(shown_.begin() + index);
    return S_OK;
}

}  // namespace kxshell
