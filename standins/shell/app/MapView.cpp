#include "MapView.h"

#include "MapBackground.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>

namespace kxapp {
namespace {

const wchar_t kClass[] = L"KXShellMapView";
const UINT_PTR kHoverTimer = 1;
const UINT kHoverDelayMs = 350;

std::wstring Bounded(std::wstring text, size_t most) {
    if (text.size() > most) text = text.substr(0, most) + L"…";
    return text;
}

// The hover asks the shape under the mouse for its title and hint; its
// vertices were drawn already and are not taken again.
class TitleOnly : public kxshell::VertexReducer {
public:
    void Reduce(long, const double *, size_t vertices, kxshell::ShapeGeometry &out) const override {
        out.received = vertices;
    }
};

}  // namespace

MapView::MapView(kxshell::StandInShell &shell) : shell_(shell) {}

MapView::~MapView() {
    if (window_) DestroyWindow(window_);
}

HWND MapView::Create(HWND parent, int id) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClass;
        registered = RegisterClassW(&wc) != 0;
    }
    window_ = CreateWindowExW(WS_EX_CLIENTEDGE, kClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0,
                              100, 100, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleW(nullptr), this);
    shell_.MapObject().SetWindow(window_);
    return window_;
}

Viewport MapView::CurrentViewport() const {
    Viewport view;
    RECT client{0, 0, 1, 1};
    if (window_) GetClientRect(window_, &client);
    view.width = std::max<int>(client.right, 1);
    view.height = std::max<int>(client.bottom, 1);
    view.visible = Viewport::Fit(shell_.MapObject().Visible(), view.width, view.height);
    return view;
}

void MapView::SetVisible(const kxshell::RectValues &rect) {
    shell_.MapObject().SetVisible(rect);
    if (window_) InvalidateRect(window_, nullptr, FALSE);
    if (onViewChanged) onViewChanged();
}

void MapView::ZoomAt(POINT device, double factor) {
    const Viewport view = CurrentViewport();
    double x, y;
    view.ToMap(device.x, device.y, x, y);
    // Not closer than a few centimetres a pixel, not further than a country.
    const double resolution = std::clamp(view.MetresPerPixel() / factor, 0.05, 5000.0);
    const double left = x - device.x * resolution, top = y + device.y * resolution;
    SetVisible({left, top - view.height * resolution, left + view.width * resolution, top});
}

void MapView::PanBy(int dx, int dy) {
    const Viewport view = CurrentViewport();
    const double r = view.MetresPerPixel();
    kxshell::RectValues v = view.visible;
    v.minX -= dx * r;
    v.maxX -= dx * r;
    v.minY += dy * r;
    v.maxY += dy * r;
    SetVisible(v);
}

void MapView::ForgetLayers() {
    KillTimer(window_, kHoverTimer);
    tip_ = HoverTip{};
    painter_.Forget();
}

HoverResult MapView::HoverAt(POINT device) {
    HoverResult out;
    const DrawnShape *hit = painter_.HitTest(device, 3);
    if (!hit) {
        if (tip_.shown) {
            tip_.shown = false;
            InvalidateRect(window_, nullptr, FALSE);
        }
        return out;
    }
    out.found = true;
    out.layer = static_cast<long>(hit->layer);
    out.id = hit->id;
    out.kind = hit->kind;
    kxshell::LayerCollection &layers = shell_.Layers();
    if (hit->layer >= layers.Count()) return out;
    ComPtr<IShapeSource> source = ComPtr<IShapeLayer>(layers.Layer(hit->layer)).As<IShapeSource>();
    if (!source) return out;
    kxshell::WalkOptions options;
    options.askTitle = true;
    options.maxShapes = 4;  // an info point comes twice; the first answers
    const TitleOnly titleOnly;
    options.reducer = &titleOnly;
    const kxshell::WalkResult result = kxshell::ShapeWalker(shell_.SharedRegistry()).WalkById(source.Get(), hit->id, options);
    if (!result.shapes.empty()) {
        const kxshell::WalkedShape &shape = result.shapes.front();
        out.titleResult = shape.titleResult;
        out.title = shape.title;
        out.hint = shape.hint;
    }
    tip_.shown = true;
    tip_.at = device;
    tip_.title = Bounded(out.title, 600);
    tip_.hint = Bounded(out.hint, 600);
    InvalidateRect(window_, nullptr, FALSE);
    return out;
}

FrameStats MapView::RedrawNow() {
    InvalidateRect(window_, nullptr, FALSE);
    UpdateWindow(window_);
    return frame_;
}

void MapView::Paint(HDC target) {
    const Viewport view = CurrentViewport();
    // The plug-in may have set a rectangle of another shape: the map shows
    // it whole, at one scale on both axes.
    if (!(view.visible == shell_.MapObject().Visible())) shell_.MapObject().SetVisible(view.visible);
    if (!canvas_.Resize(view.width, view.height)) return;
    HDC dc = canvas_.Dc();
    DrawMapBackground(dc, view);
    frame_ = painter_.Paint(shell_, canvas_, view);
    ++framesDrawn_;
    for (const std::string &problem : frame_.problems)
        if (onProblem) onProblem(problem);
    balloons_ = DrawBalloons(dc, view, shell_.MapObject());
    DrawScaleBar(dc, view);
    DrawHoverTip(dc, view, tip_);
    canvas_.Sync();
    BitBlt(target, 0, 0, view.width, view.height, dc, 0, 0, SRCCOPY);
    // The plug-in moves the map too: the status bar follows every frame.
    if (onViewChanged) onViewChanged();
}

LRESULT CALLBACK MapView::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto *self = static_cast<MapView *>(reinterpret_cast<CREATESTRUCTW *>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = hwnd;
    }
    auto *self = reinterpret_cast<MapView *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    return self->Handle(msg, wp, lp);
}

LRESULT MapView::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window_, &ps);
        Paint(dc);
        EndPaint(window_, &ps);
        return 0;
    }
    case WM_SIZE:
        InvalidateRect(window_, nullptr, FALSE);
        if (onViewChanged) onViewChanged();
        return 0;
    case WM_LBUTTONDOWN: {
        const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        SetFocus(window_);
        if (onActivated) onActivated();
        for (const PlacedBalloon &b : balloons_)
            if (!IsRectEmpty(&b.closeBox) && PtInRect(&b.closeBox, p)) {
                shell_.MapObject().HideBalloon(b.balloon);
                InvalidateRect(window_, nullptr, FALSE);
                return 0;
            }
        dragging_ = true;
        dragged_ = false;
        dragFrom_ = p;
        SetCapture(window_);
        return 0;
    }
    case WM_MOUSEMOVE: {
        const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (dragging_) {
            if (p.x != dragFrom_.x || p.y != dragFrom_.y) {
                dragged_ = true;
                tip_.shown = false;
                PanBy(p.x - dragFrom_.x, p.y - dragFrom_.y);
                dragFrom_ = p;
                UpdateWindow(window_);
            }
            return 0;
        }
        if (p.x != lastMouse_.x || p.y != lastMouse_.y) {
            lastMouse_ = p;
            SetTimer(window_, kHoverTimer, kHoverDelayMs, nullptr);
            if (onViewChanged) onViewChanged();
        }
        return 0;
    }
    case WM_LBUTTONUP:
        if (dragging_) {
            dragging_ = false;
            ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
        dragging_ = false;
        return 0;
    case WM_MOUSEWHEEL: {
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        ScreenToClient(window_, &p);
        const int notches = GET_WHEEL_DELTA_WPARAM(wp) / WHEEL_DELTA;
        if (notches) ZoomAt(p, std::pow(1.25, notches));
        return 0;
    }
    case WM_KEYDOWN: {
        RECT client;
        GetClientRect(window_, &client);
        const POINT centre{client.right / 2, client.bottom / 2};
        switch (wp) {
        case VK_ADD: case VK_OEM_PLUS: ZoomAt(centre, 1.25); return 0;
        case VK_SUBTRACT: case VK_OEM_MINUS: ZoomAt(centre, 0.8); return 0;
        case VK_LEFT: PanBy(60, 0); return 0;
        case VK_RIGHT: PanBy(-60, 0); return 0;
        case VK_UP: PanBy(0, 60); return 0;
        case VK_DOWN: PanBy(0, -60); return 0;
        default: break;
        }
        break;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_TIMER:
        if (wp == kHoverTimer) {
            KillTimer(window_, kHoverTimer);
            if (!dragging_) HoverAt(lastMouse_);
            return 0;
        }
        break;
    case WM_MOUSELEAVE:
        tip_.shown = false;
        InvalidateRect(window_, nullptr, FALSE);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, msg, wp, lp);
}

}  // namespace kxapp
