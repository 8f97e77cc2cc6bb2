// The report's speed chart, a child window: speed in km/h over the trip's
// time, the stops shaded, the speeding periods marked, a time axis at the
// bottom and a speed axis on the left, and a vertical cursor at the
// player's time. Each pixel column draws the least and the greatest speed
// of the points falling in it, so a redraw costs the same for any track.
//
// The columns' speeds are gathered once for a profile and a width; the
// chart is drawn from them into a bitmap of its own (Redraw); the cursor is
// laid over it when painting, so moving it repaints two thin strips and
// nothing else. A click or a drag asks the owner to move the player to the
// time under the mouse; the mouse resting on the chart reports the time and
// the speed there.
//
// Ownership: the report window creates the chart as its child and owns it;
// the profile it draws is the report window's, kept as a plain pointer and
// replaced through SetProfile before that profile goes.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

#include "kx/report.h"

struct TSpeedChartActions {
    std::function<void(kx::TDateTime)> Seek;
    // The time and speed under the resting mouse; nothing when it leaves.
    std::function<void(std::optional<kx::TDateTime>, double kmh)> Hover;
};

class TSpeedChart {
public:
    static constexpr wchar_t kWindowClass[] = L"TReportChart";

    TSpeedChart(HWND parent, int id, HFONT font, TSpeedChartActions actions);
    ~TSpeedChart();
    TSpeedChart(const TSpeedChart &) = delete;
    TSpeedChart &operator=(const TSpeedChart &) = delete;

    HWND Handle() const { return hwnd_; }
    // Null or an empty profile: the chart says there is no trip.
    void SetProfile(const kx::TripProfile *profile);
    // Draws the whole chart into its bitmap and repaints the window.
    void Redraw();
    // The cursor at a track time: only the strips it leaves and enters are repainted.
    void SetCursorTime(kx::TDateTime t);
    std::optional<int> CursorX() const { return cursorX_; }
    // The plot's area in client coordinates.
    RECT PlotRect() const;
    // The track time under a client x.
    kx::TDateTime TimeAtX(int x) const;

    // The module whose code the report's windows run, whichever program links them.
    static HINSTANCE Module();

private:
    template <class T>
    friend LRESULT CALLBACK RoutedWindowProc(HWND, UINT, WPARAM, LPARAM);
    void AttachWindow(HWND hwnd) { hwnd_ = hwnd; }
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    void Paint();
    void Resize();
    void DrawChart(HDC dc, const RECT &client);
    std::optional<int> XOfTime(kx::TDateTime t) const;
    RECT CursorStrip(int x) const;
    void SeekAt(int x);

    HWND hwnd_ = nullptr;
    HFONT font_;
    TSpeedChartActions actions_;
    const kx::TripProfile *profile_ = nullptr;
    std::vector<kx::ChartColumn> columns_;  // of profile_ at the plot's width; empty: to gather
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr, oldBitmap_ = nullptr;
    SIZE size_{0, 0};
    std::optional<kx::TDateTime> cursorTime_;
    std::optional<int> cursorX_;
    bool dragging_ = false, tracking_ = false;
};
