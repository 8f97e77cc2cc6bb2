// The map window: keeps the shell map's visible rectangle, draws the base
// map, the layers, the balloons and the hover tip, pans on drag, zooms on
// the wheel, and asks the shape under a resting mouse for its title and
// hint (the title request is what lets a layer react to the mouse).
#pragma once

#include "Callouts.h"
#include "Canvas.h"
#include "LayerPainter.h"
#include "StandInShell.h"
#include "Viewport.h"

#include <functional>
#include <string>

namespace kxapp {

struct HoverResult {
    bool found = false;
    long layer = -1, id = 0, kind = -1;
    HRESULT titleResult = E_FAIL;
    std::wstring title, hint;
};

class MapView {
public:
    explicit MapView(kxshell::StandInShell &shell);
    ~MapView();
    MapView(const MapView &) = delete;
    MapView &operator=(const MapView &) = delete;

    HWND Create(HWND parent, int id);
    HWND Window() const { return window_; }

    Viewport CurrentViewport() const;
    void ZoomAt(POINT device, double factor);
    void PanBy(int dx, int dy);
    // Hit-tests the last frame at a point of the map window and, over a
    // shape, asks its layer for the shape's title and hint.
    HoverResult HoverAt(POINT device);
    // Draws one frame now; its statistics.
    FrameStats RedrawNow();
    const FrameStats &LastFrame() const { return frame_; }
    size_t FramesDrawn() const { return framesDrawn_; }
    const LayerPainter &Painter() const { return painter_; }
    // Lets go of everything taken from the layers (before plug-ins end).
    void ForgetLayers();

    std::function<void()> onViewChanged;
    std::function<void(const std::string &)> onProblem;
    // The user clicked into the map: the docked controls lose UI activity.
    std::function<void()> onActivated;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    void Paint(HDC target);
    void SetVisible(const kxshell::RectValues &rect);

    kxshell::StandInShell &shell_;
    HWND window_ = nullptr;
    Canvas canvas_;
    LayerPainter painter_;
    FrameStats frame_;
    size_t framesDrawn_ = 0;
    HoverTip tip_;
    std::vector<PlacedBalloon> balloons_;
    bool dragging_ = false, dragged_ = false;
    POINT dragFrom_{};
    POINT lastMouse_{-1, -1};
};

}  // namespace kxapp
