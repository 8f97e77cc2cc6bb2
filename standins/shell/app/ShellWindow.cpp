#include "ShellWindow.h"

#include <algorithm>
#include <chrono>

#include "CoordinateSystem.h"

#include <commctrl.h>

#include <cmath>
#include <cstdio>

namespace kxapp {
namespace {

const wchar_t kClass[] = L"KXShellMain";
const int kMapId = 100, kStatusId = 101;

kxshell::ShellOptions ShellOptionsOf(const Options &options) {
    kxshell::ShellOptions shell;
    shell.windowWidth = options.width;
    shell.windowHeight = options.height;
    return shell;
}

}  // namespace

RECT RectInWindow(HWND window, HWND child) {
    RECT outer{}, inner{};
    GetWindowRect(window, &outer);
    if (child) {
        // The client area: what the child draws itself.
        GetClientRect(child, &inner);
        MapWindowPoints(child, HWND_DESKTOP, reinterpret_cast<POINT *>(&inner), 2);
    }
    OffsetRect(&inner, -outer.left, -outer.top);
    return inner;
}

ShellWindow::ShellWindow(const Options &options, Report &report)
    : options_(options), report_(report), shell_(ShellOptionsOf(options)), map_(shell_), dock_(shell_, report),
      plugins_(shell_, report) {}

ShellWindow::~ShellWindow() {
    Shutdown();
    if (window_) DestroyWindow(window_);
}

bool ShellWindow::Start() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), L"KXShellIcon");
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);
    window_ = CreateWindowExW(0, kClass, L"Карта города — KXShell", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                              options_.width, options_.height, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (!window_) return false;
    status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, window_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusId)), GetModuleHandleW(nullptr), nullptr);
    HFONT uiFont = CreateFontW(-MulDiv(8, 96, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
    SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont), FALSE);
    map_.Create(window_, kMapId);
    map_.onViewChanged = [this] { UpdateStatus(); };
    map_.onProblem = [this](const std::string &problem) { report_.Line("layer.problem", problem); };
    map_.onActivated = [this] { dock_.DeactivateAll(); };
    frame_ = ComPtr<ContainerFrame>(new ContainerFrame(window_));
    frame_->SetStatusSink([](void *self, const wchar_t *text) { static_cast<ShellWindow *>(self)->SetStatus(text); }, this);
    dock_.Create(window_, frame_.Get());

    // The first view: the configured centre, at the configured width.
    const kxshell::MercatorPoint centre = kxshell::GeoToMercator(options_.centreLon, options_.centreLat);
    const double halfWidth = options_.viewWidthMetres / 2;
    shell_.MapObject().SetVisible({centre.x - halfWidth, centre.y - halfWidth, centre.x + halfWidth, centre.y + halfWidth});
    Layout();
    ShowWindow(window_, options_.maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    UpdateWindow(window_);

    // What the shell holds now is its own; whatever differs at the end was
    // left behind by a plug-in.
    shell_.TakeSnapshot();
    shell_.Registry().keepCallLog = false;
    plugins_.LoadFolder(options_.pluginsDir);
    report_.Line("layers", std::to_string(shell_.Layers().Count()));
    dock_.DockPages();
    Layout();
    UpdateStatus();
    return true;
}

void ShellWindow::RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && frame_) {
            IOleInPlaceActiveObject *active = frame_->ActiveObject();
            HWND dock = dock_.Window();
            if (active && dock && IsChild(dock, msg.hwnd) && active->TranslateAccelerator(&msg) == S_OK) continue;
        }
        TranslateMessage(&msg);
        const bool pageTimer = msg.message == WM_TIMER && dock_.Window() && IsChild(dock_.Window(), msg.hwnd);
        const auto t0 = std::chrono::steady_clock::now();
        DispatchMessageW(&msg);
        if (pageTimer) {
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            ++ticks_.ticks;
            ticks_.totalMs += ms;
            ticks_.worstMs = std::max(ticks_.worstMs, ms);
        }
    }
}

TickStats ShellWindow::TakeTickStats() {
    TickStats taken = ticks_;
    taken.frames = map_.FramesDrawn() - framesAtTake_;
    framesAtTake_ = map_.FramesDrawn();
    ticks_ = TickStats();
    return taken;
}

void ShellWindow::Layout() {
    if (!window_) return;
    RECT client;
    GetClientRect(window_, &client);
    int statusHeight = 0;
    if (status_) {
        SendMessageW(status_, WM_SIZE, 0, 0);
        RECT r;
        GetWindowRect(status_, &r);
        statusHeight = r.bottom - r.top;
        const int parts[] = {client.right - 560, client.right - 380, client.right - 250, -1};
        SendMessageW(status_, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(parts));
    }
    const int height = client.bottom - statusHeight;
    const int dockWidth = dock_.Count() ? dock_.PreferredWidth() : 0;
    if (map_.Window()) MoveWindow(map_.Window(), 0, 0, client.right - dockWidth, height, TRUE);
    if (dock_.Window()) {
        MoveWindow(dock_.Window(), client.right - dockWidth, 0, dockWidth, height, TRUE);
        ShowWindow(dock_.Window(), dockWidth ? SW_SHOW : SW_HIDE);
    }
}

RECT ShellWindow::MapRectInWindow() const { return RectInWindow(window_, map_.Window()); }
RECT ShellWindow::DockRectInWindow() const { return RectInWindow(window_, dock_.Window()); }

void ShellWindow::SetStatus(const std::wstring &text) {
    if (status_) SendMessageW(status_, SB_SETTEXTW, 3, reinterpret_cast<LPARAM>(text.c_str()));
}

void ShellWindow::UpdateStatus() {
    if (!status_) return;
    const Viewport view = map_.CurrentViewport();
    POINT mouse;
    GetCursorPos(&mouse);
    ScreenToClient(map_.Window(), &mouse);
    double x, y;
    view.ToMap(mouse.x, mouse.y, x, y);
    const kxshell::MercatorPoint geo = kxshell::MercatorToGeo(x, y);
    wchar_t text[128];
    swprintf(text, 128, L"  %.5f° с. ш.  %.5f° в. д.", geo.y, geo.x);
    SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    swprintf(text, 128, L"  Масштаб 1:%.0f", shell_.MapObject().ScaleDenominator());
    SendMessageW(status_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(text));
    const FrameStats &frame = map_.LastFrame();
    swprintf(text, 128, L"  Слоёв: %u, объектов: %u", static_cast<unsigned>(shell_.Layers().Count()),
             static_cast<unsigned>(frame.shapes));
    SendMessageW(status_, SB_SETTEXTW, 2, reinterpret_cast<LPARAM>(text));
}

void ShellWindow::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    // Nothing of the layers may outlive their plug-ins.
    map_.ForgetLayers();
    const bool terminated = plugins_.TerminateAll();
    dock_.CloseAll();
    shell_.Shutdown();
    plugins_.UnloadAll();
    const auto leaks = shell_.Leaks();
    for (const auto &leak : leaks) report_.Line("leak", leak.Describe());
    report_.Line("leaks", std::to_string(leaks.size()));
    if (frame_) {
        frame_->SetStatusSink(nullptr, nullptr);
        if (frame_->ActiveObject()) report_.Line("leak", "a control stayed the frame's active object");
        frame_->SetActiveObject(nullptr, nullptr);
        // The dock holds one reference, this window one.
        if (frame_->Refs() > 2) report_.Line("leak", "the frame kept " + std::to_string(frame_->Refs() - 2) + " extra reference(s)");
    }
    exitCode_ = !leaks.empty() ? 3 : terminated ? 0 : 5;
}

LRESULT CALLBACK ShellWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto *self = static_cast<ShellWindow *>(reinterpret_cast<CREATESTRUCTW *>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = hwnd;
    }
    auto *self = reinterpret_cast<ShellWindow *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || msg == WM_NCDESTROY || (msg != WM_DESTROY && !self->window_)) return DefWindowProcW(hwnd, msg, wp, lp);
    return self->Handle(msg, wp, lp);
}

LRESULT ShellWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SIZE:
        Layout();
        return 0;
    case WM_GETMINMAXINFO: {
        auto *info = reinterpret_cast<MINMAXINFO *>(lp);
        info->ptMinTrackSize = POINT{480, 360};
        return 0;
    }
    case WM_SETFOCUS:
        if (map_.Window()) SetFocus(map_.Window());
        return 0;
    case WM_KX_RUN:
        try {
            (*reinterpret_cast<std::function<void()> *>(lp))();
        } catch (...) {
            report_.Line("error", "a scenario action failed with an exception");
        }
        return 0;
    case WM_CLOSE:
        Shutdown();
        DestroyWindow(window_);
        return 0;
    case WM_DESTROY:
        window_ = nullptr;
        PostQuitMessage(exitCode_);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, msg, wp, lp);
}

}  // namespace kxapp
