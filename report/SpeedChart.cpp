#include "SpeedChart.h"

#include "RoutedWindow.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "kx/text.h"

namespace {

constexpr int kLeftMargin = 40, kBottomMargin = 20, kTopMargin = 8, kRightMargin = 10;
constexpr int kSpeedTicks = 5;
constexpr COLORREF kBackground = RGB(255, 255, 255), kGrid = RGB(226, 228, 232), kAxis = RGB(120, 124, 132),
                   kStopShade = RGB(214, 226, 244), kSpeedingShade = RGB(255, 222, 222),
                   kSpeedingMark = RGB(214, 40, 40), kLine = RGB(28, 92, 196), kCursor = RGB(230, 0, 0),
                   kLabel = RGB(60, 64, 72);
constexpr int kSpeedingMarkHeight = 4;
constexpr UINT kHoverMs = 400;

int g_chartCount = 0;

std::wstring W(const std::string &utf8)
{
    return kx::ToWide(utf8);
}

void FillSolid(HDC dc, const RECT &r, COLORREF colour)
{
    SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

}  // namespace

HINSTANCE TSpeedChart::Module()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&RoutedWindowProc<TSpeedChart>), &module);
    return module;
}

TSpeedChart::TSpeedChart(HWND parent, int id, HFONT font, TSpeedChartActions actions)
    : font_(font), actions_(std::move(actions))
{
    if (g_chartCount++ == 0) {
        WNDCLASSEXW wc{sizeof(wc)};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = RoutedWindowProc<TSpeedChart>;
        wc.hInstance = Module();
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_CROSS));
        wc.lpszClassName = kWindowClass;
        RegisterClassExW(&wc);
    }
    hwnd_ = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Module(), this);
}

TSpeedChart::~TSpeedChart()
{
    if (hwnd_)
        DestroyWindow(hwnd_);
    if (memory_) {
        SelectObject(memory_, oldBitmap_);
        DeleteDC(memory_);
    }
    if (bitmap_)
        DeleteObject(bitmap_);
    if (--g_chartCount == 0)
        UnregisterClassW(kWindowClass, Module());
}

LRESULT TSpeedChart::Dispatch(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_SIZE:
        Resize();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the bitmap covers everything
    case WM_PAINT:
        Paint();
        return 0;
    case WM_LBUTTONDOWN:
        dragging_ = true;
        SetCapture(hwnd_);
        SeekAt(GET_X_LPARAM(lp));
        return 0;
    case WM_MOUSEMOVE:
        if (dragging_) {
            SeekAt(GET_X_LPARAM(lp));
        } else if (!tracking_) {
            TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, hwnd_, kHoverMs};
            tracking_ = TrackMouseEvent(&track) != FALSE;
        }
        return 0;
    case WM_LBUTTONUP:
        if (dragging_) {
            dragging_ = false;
            ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
        dragging_ = false;
        return 0;
    case WM_MOUSEHOVER: {
        tracking_ = false;
        const int x = GET_X_LPARAM(lp);
        const RECT plot = PlotRect();
        if (actions_.Hover && profile_ && !profile_->empty() && x >= plot.left && x < plot.right) {
            const kx::TDateTime t = TimeAtX(x);
            actions_.Hover(t, profile_->speed(profile_->PointAt(t)));
        }
        return 0;
    }
    case WM_MOUSELEAVE:
        tracking_ = false;
        if (actions_.Hover)
            actions_.Hover(std::nullopt, 0);
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

RECT TSpeedChart::PlotRect() const
{
    RECT plot{kLeftMargin, kTopMargin, size_.cx - kRightMargin, size_.cy - kBottomMargin};
    plot.right = std::max(plot.right, plot.left + 1);
    plot.bottom = std::max(plot.bottom, plot.top + 1);
    return plot;
}

kx::TDateTime TSpeedChart::TimeAtX(int x) const
{
    if (!profile_ || profile_->empty())
        return 0;
    // The first column is the trip's begin, the last its end.
    const RECT plot = PlotRect();
    return kx::ChartTimeOfColumn(x - plot.left, profile_->totals().begin, profile_->totals().end,
                                 plot.right - plot.left - 1);
}

std::optional<int> TSpeedChart::XOfTime(kx::TDateTime t) const
{
    if (!profile_ || profile_->empty())
        return std::nullopt;
    const RECT plot = PlotRect();
    return plot.left + kx::ChartColumnOf(t, profile_->totals().begin, profile_->totals().end, plot.right - plot.left);
}

RECT TSpeedChart::CursorStrip(int x) const
{
    const RECT plot = PlotRect();
    return RECT{x - 1, plot.top, x + 2, plot.bottom};
}

void TSpeedChart::SeekAt(int x)
{
    if (!profile_ || profile_->empty() || !actions_.Seek)
        return;
    actions_.Seek(TimeAtX(x));
}

void TSpeedChart::SetProfile(const kx::TripProfile *profile)
{
    profile_ = profile;
    columns_.clear();
    cursorX_.reset();
    cursorTime_.reset();
    Redraw();
}

void TSpeedChart::SetCursorTime(kx::TDateTime t)
{
    cursorTime_ = t;
    const std::optional<int> x = XOfTime(t);
    if (x == cursorX_)
        return;
    if (cursorX_) {
        const RECT old = CursorStrip(*cursorX_);
        InvalidateRect(hwnd_, &old, FALSE);
    }
    cursorX_ = x;
    if (cursorX_) {
        const RECT now = CursorStrip(*cursorX_);
        InvalidateRect(hwnd_, &now, FALSE);
    }
}

void TSpeedChart::Resize()
{
    RECT client{};
    GetClientRect(hwnd_, &client);
    const SIZE size{std::max(1L, client.right), std::max(1L, client.bottom)};
    if (size.cx == size_.cx && size.cy == size_.cy && memory_)
        return;
    size_ = size;
    columns_.clear();
    HDC screen = GetDC(hwnd_);
    if (!memory_) {
        memory_ = CreateCompatibleDC(screen);
        oldBitmap_ = static_cast<HBITMAP>(GetCurrentObject(memory_, OBJ_BITMAP));
    }
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size_.cx, size_.cy);
    ReleaseDC(hwnd_, screen);
    SelectObject(memory_, bitmap ? bitmap : oldBitmap_);
    if (bitmap_)
        DeleteObject(bitmap_);
    bitmap_ = bitmap;
    // The cursor keeps its time at the new width.
    cursorX_ = cursorTime_ ? XOfTime(*cursorTime_) : std::nullopt;
    Redraw();
}

void TSpeedChart::Redraw()
{
    if (!memory_ || !hwnd_)
        return;
    DrawChart(memory_, RECT{0, 0, size_.cx, size_.cy});
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void TSpeedChart::Paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    if (memory_) {
        const RECT &r = ps.rcPaint;
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, memory_, r.left, r.top, SRCCOPY);
        if (cursorX_) {
            const RECT plot = PlotRect();
            RECT line{*cursorX_, plot.top, *cursorX_ + 1, plot.bottom};
            RECT visible;
            if (IntersectRect(&visible, &line, &r))
                FillSolid(dc, visible, kCursor);
        }
    }
    EndPaint(hwnd_, &ps);
}

void TSpeedChart::DrawChart(HDC dc, const RECT &client)
{
    FillSolid(dc, client, kBackground);
    HGDIOBJ oldFont = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kLabel);
    const RECT plot = PlotRect();
    const int width = plot.right - plot.left, height = plot.bottom - plot.top;

    if (!profile_ || profile_->empty()) {
        RECT text = client;
        DrawTextW(dc, L"Рейс не выбран", -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, oldFont);
        return;
    }
    const kx::TripTotals &totals = profile_->totals();
    const double begin = totals.begin, end = totals.end;
    const std::vector<double> speedTicks = kx::SpeedTicks(totals.maxKmh, kSpeedTicks);
    const double top = speedTicks.back() > 0 ? speedTicks.back() : 1.0;
    auto yOf = [&](double kmh) {
        return plot.bottom - 1 - static_cast<int>(std::lround(std::clamp(kmh / top, 0.0, 1.0) * (height - 1)));
    };
    auto columnOf = [&](double t) { return plot.left + kx::ChartColumnOf(t, begin, end, width); };

    // Periods first, under everything: the stops shaded, the speeding tinted
    // with a mark along the top.
    for (const kx::TimePeriod &stop : profile_->stops()) {
        const RECT r{columnOf(stop.begin), plot.top, columnOf(stop.end) + 1, plot.bottom};
        FillSolid(dc, r, kStopShade);
    }
    for (const kx::TimePeriod &speeding : profile_->speeding()) {
        const RECT r{columnOf(speeding.begin), plot.top, columnOf(speeding.end) + 1, plot.bottom};
        FillSolid(dc, r, kSpeedingShade);
        const RECT mark{r.left, plot.top, r.right, plot.top + kSpeedingMarkHeight};
        FillSolid(dc, mark, kSpeedingMark);
    }

    // The speed axis: grid lines and labels.
    for (double tick : speedTicks) {
        const int y = yOf(tick);
        FillSolid(dc, RECT{plot.left, y, plot.right, y + 1}, kGrid);
        RECT label{0, y - 8, plot.left - 4, y + 8};
        DrawTextW(dc, W(kx::FormatGeneral(tick)).c_str(), -1, &label, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    }
    // The time axis: ticks and labels under the plot.
    const kx::TimeTicks timeTicks = kx::TimeTicksFor(begin, end, std::max(1, width / 70));
    for (double tick : timeTicks.ticks) {
        const int x = columnOf(tick);
        FillSolid(dc, RECT{x, plot.bottom, x + 1, plot.bottom + 4}, kAxis);
        RECT label{x - 35, plot.bottom + 4, x + 35, client.bottom};
        DrawTextW(dc, W(kx::TimeTickText(tick, timeTicks.stepSeconds)).c_str(), -1, &label,
                  DT_CENTER | DT_TOP | DT_SINGLELINE);
    }
    FillSolid(dc, RECT{plot.left - 1, plot.top, plot.left, plot.bottom + 1}, kAxis);
    FillSolid(dc, RECT{plot.left - 1, plot.bottom, plot.right, plot.bottom + 1}, kAxis);

    // The speeds: per column a stroke from its least to its greatest speed,
    // joined to the column before by the line from its last speed.
    if (static_cast<int>(columns_.size()) != width)
        columns_ = kx::ChartColumns(*profile_, width);
    const std::vector<kx::ChartColumn> &columns = columns_;
    std::vector<POINT> line;
    line.reserve(columns.size() * 4);
    for (int c = 0; c < width; ++c) {
        const kx::ChartColumn &col = columns[static_cast<size_t>(c)];
        if (!col.any)
            continue;
        const int x = plot.left + c;
        line.push_back({x, yOf(col.first)});
        line.push_back({x, yOf(col.min)});
        line.push_back({x, yOf(col.max)});
        line.push_back({x, yOf(col.last)});
    }
    HPEN pen = CreatePen(PS_SOLID, 1, kLine);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    if (line.size() == 4 && line[1].y == line[2].y) {
        // A single point: a dot large enough to see.
        Ellipse(dc, line[0].x - 2, line[1].y - 2, line[0].x + 3, line[1].y + 3);
    } else if (!line.empty()) {
        Polyline(dc, line.data(), static_cast<int>(line.size()));
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SelectObject(dc, oldFont);
}
