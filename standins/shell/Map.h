// The shell's map: a world rectangle, a visible rectangle shown in a window
// of some pixel size, the layer list, the coordinate system, the screen
// converter and the balloon list. It keeps what a plug-in asked of it
// (invalidations, ShowPoint calls, shown balloons) for tests to read.
#pragma once

#include "Balloon.h"
#include "ComPtr.h"
#include "CoordinateSystem.h"
#include "LayerCollection.h"
#include "MapRect.h"
#include "ShellObject.h"

#include <vector>

namespace kxshell {

// Map units per screen pixel at scale 1:1 on a 96-dpi screen: one inch is
// 0.0254 m. At 1:2000 a pixel then covers about 0.53 m.
constexpr double kMetresPerPixelAtUnitScale = 0.0254 / 96.0;

struct ShowPointCall {
    double x, y, scale, rotation;
    bool redraw;
};

class Map : public ComObject<IMap, IScreenConverter, IBalloonList> {
public:
    Map(RegistryPtr registry, const RectValues &bounds, long windowWidth, long windowHeight);
    ~Map() override;

    // ---- configuration and state, for the shell and tests
    const RectValues &BoundsValues() const { return bounds_; }
    void SetBoundsValues(const RectValues &bounds) { bounds_ = bounds; }
    const RectValues &Visible() const { return visible_; }
    void SetVisible(const RectValues &visible) { visible_ = visible; }
    // Client size in pixels: the window's when one is set, else the
    // configured size.
    long ClientWidth() const;
    long ClientHeight() const;
    void SetWindowSize(long width, long height) { windowWidth_ = width; windowHeight_ = height; }
    HWND Window() const { return window_; }
    void SetWindow(HWND window) { window_ = window; }
    // Denominator of the scale at which the visible rectangle fills the window.
    double ScaleDenominator() const;

    int InvalidateCount() const { return invalidates_; }
    bool LastInvalidateRedraw() const { return lastRedraw_; }
    const std::vector<ShowPointCall> &ShowPointCalls() const { return showPoints_; }
    int SetVisibleRectCount() const { return setVisibleRects_; }

    LayerCollection &Layers() const { return *layers_.Get(); }
    kxshell::CoordinateSystem &Coordinates() const { return *coordinates_.Get(); }

    // Pixel (x right, y down from the client area's top left) to map point
    // (y up) through the visible rectangle, and back.
    MercatorPoint DeviceToMapPoint(double x, double y) const;
    MercatorPoint MapToDevicePoint(double x, double y) const;

    size_t BalloonsCreated() const { return balloonsCreated_; }
    std::vector<Balloon *> ShownBalloons() const;
    // Every ShowBalloon call with the balloon's content at that moment.
    const std::vector<BalloonSnapshot> &ShowHistory() const { return showHistory_; }
    void HideAllBalloons() { shown_.clear(); }

    // ---- IMap
    HRESULT STDMETHODCALLTYPE Bounds(IMapRect **bounds) override;
    HRESULT STDMETHODCALLTYPE Reserved2() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invalidate(VARIANT_BOOL redraw) override;
    HRESULT STDMETHODCALLTYPE ShowPoint(IMapPoint *centre, double scale, double rotation, VARIANT_BOOL redraw) override;
    HRESULT STDMETHODCALLTYPE SetVisibleRect(IMapRect *rect, VARIANT_BOOL redraw) override;
    HRESULT STDMETHODCALLTYPE VisibleRect(IMapRect **rect) override;
    HRESULT STDMETHODCALLTYPE WindowHandle(long *hwnd) override;
    HRESULT STDMETHODCALLTYPE Layers(ILayerCollection **layers) override;
    HRESULT STDMETHODCALLTYPE Reserved9() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved10() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved11() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CoordinateSystem(IUnknown **system) override;

    // ---- IScreenConverter
    HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved3() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved5() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeviceToMap(IDevicePoint *device, IMapPoint **map) override;

    // ---- IBalloonList
    HRESULT STDMETHODCALLTYPE CreateBalloon(IMapPoint *anchor, VARIANT_BOOL closeButton, IDevicePoint *offset,
                                            IDeviceSize *size, IBalloon **balloon) override;
    HRESULT STDMETHODCALLTYPE ShowBalloon(IGraphicBase *balloon) override;
    HRESULT STDMETHODCALLTYPE HideBalloon(IGraphicBase *balloon) override;

private:
    int ShownIndex(Balloon *balloon) const;

    RectValues bounds_;
    RectValues visible_;
    long windowWidth_;
    long windowHeight_;
    HWND window_ = nullptr;
    int invalidates_ = 0;
    bool lastRedraw_ = false;
    int setVisibleRects_ = 0;
    std::vector<ShowPointCall> showPoints_;
    ComPtr<LayerCollection> layers_;
    ComPtr<kxshell::CoordinateSystem> coordinates_;
    size_t balloonsCreated_ = 0;
    std::vector<ComPtr<Balloon>> shown_;
    std::vector<BalloonSnapshot> showHistory_;
};

}  // namespace kxshell
