#include "MapBackground.h"

#include "City.h"
#include "CoordinateSystem.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kxapp {
namespace {

const COLORREF kGround = RGB(242, 239, 233);
const COLORREF kGraticule = RGB(214, 208, 198);
const COLORREF kStreetCasing = RGB(196, 188, 176);
const COLORREF kStreet = RGB(255, 255, 255);
const COLORREF kRoadCasing = RGB(214, 168, 96);
const COLORREF kRoad = RGB(252, 214, 132);

HFONT UiFont(int points, int weight) {
    return CreateFontW(-MulDiv(points, 96, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, L"Tahoma");
}

POINT Project(const Viewport &view, kxfleet::GeoPoint geo) {
    const kxshell::MercatorPoint m = kxshell::GeoToMercator(geo.lon, geo.lat);
    return view.ToDevice(m.x, m.y);
}

// Street widths grow as one zooms in, as on any street map.
// Capped: close up, a street must not bury the tracks drawn over it.
int StreetWidth(const Viewport &view, double metres, int least) {
    return std::clamp(static_cast<int>(std::lround(metres / view.MetresPerPixel())), least, 4 * least + 6);
}

void DrawStreets(HDC dc, const Viewport &view) {
    const kxfleet::City &city = kxfleet::Moscow();
    for (int pass = 0; pass < 4; ++pass) {
        const bool casing = pass % 2 == 0, fast = pass >= 2;
        const int width = StreetWidth(view, fast ? 34 : 24, fast ? 3 : 2) + (casing ? 2 : 0);
        LOGBRUSH brush{BS_SOLID, casing ? (fast ? kRoadCasing : kStreetCasing) : (fast ? kRoad : kStreet), 0};
        HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND, width, &brush, 0, nullptr);
        const HGDIOBJ old = SelectObject(dc, pen);
        for (const kxfleet::CityEdge &edge : city.edges) {
            if (edge.fast != fast) continue;
            POINT line[2] = {Project(view, city.nodes[edge.a].pos), Project(view, city.nodes[edge.b].pos)};
            Polyline(dc, line, 2);
        }
        SelectObject(dc, old);
        DeleteObject(pen);
    }
}

// A step of 1, 2 or 5 times a power of ten not below `least`.
double NiceStep(double least) {
    const double power = std::pow(10.0, std::floor(std::log10(least)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= least) return m * power;
    return 10 * power;
}

// Enough decimals to tell neighbouring lines apart.
int Decimals(double step) {
    return std::max(0, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
}

void DrawGraticule(HDC dc, const Viewport &view) {
    const kxshell::MercatorPoint low = kxshell::MercatorToGeo(view.visible.minX, view.visible.minY);
    const kxshell::MercatorPoint high = kxshell::MercatorToGeo(view.visible.maxX, view.visible.maxY);
    // About one line per 160 pixels.
    const double lonStep = NiceStep((high.x - low.x) * 160.0 / std::max(view.width, 1));
    const double latStep = NiceStep((high.y - low.y) * 160.0 / std::max(view.height, 1));
    HPEN pen = CreatePen(PS_DOT, 1, kGraticule);
    const HGDIOBJ oldPen = SelectObject(dc, pen);
    HFONT font = UiFont(7, FW_NORMAL);
    const HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(150, 142, 130));
    wchar_t text[32];
    const int decimals = Decimals(lonStep);
    for (double lon = std::ceil(low.x / lonStep) * lonStep; lon <= high.x; lon += lonStep) {
        const kxshell::MercatorPoint m = kxshell::GeoToMercator(lon, 0);
        const POINT p = view.ToDevice(m.x, view.visible.minY);
        MoveToEx(dc, p.x, 0, nullptr);
        LineTo(dc, p.x, view.height);
        swprintf(text, 32, L"%.*f°", decimals, lon);
        TextOutW(dc, p.x + 3, 2, text, static_cast<int>(wcslen(text)));
    }
    const int latDecimals = Decimals(latStep);
    for (double lat = std::ceil(low.y / latStep) * latStep; lat <= high.y; lat += latStep) {
        const kxshell::MercatorPoint m = kxshell::GeoToMercator(0, lat);
        const POINT p = view.ToDevice(view.visible.minX, m.y);
        MoveToEx(dc, 0, p.y, nullptr);
        LineTo(dc, view.width, p.y);
        swprintf(text, 32, L"%.*f°", latDecimals, lat);
        TextOutW(dc, 3, p.y - 13, text, static_cast<int>(wcslen(text)));
    }
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

}  // namespace

void DrawMapBackground(HDC dc, const Viewport &view) {
    RECT all{0, 0, view.width, view.height};
    HBRUSH ground = CreateSolidBrush(kGround);
    FillRect(dc, &all, ground);
    DeleteObject(ground);
    DrawGraticule(dc, view);
    DrawStreets(dc, view);
}

void DrawScaleBar(HDC dc, const Viewport &view) {
    // Mercator stretches distances by 1/cos(latitude): the bar tells true metres.
    const double centreY = (view.visible.minY + view.visible.maxY) / 2;
    const double lat = kxshell::MercatorToGeo(0, centreY).y;
    const double metresPerPixel = view.MetresPerPixel() * std::cos(lat * 3.14159265358979 / 180.0);
    if (!(metresPerPixel > 0)) return;
    const double metres = NiceStep(metresPerPixel * 100);
    const int length = static_cast<int>(std::lround(metres / metresPerPixel));
    const int x = 14, y = view.height - 22;
    RECT plate{x - 6, y - 18, x + length + 8, y + 10};
    HBRUSH back = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &plate, back);
    DeleteObject(back);
    FrameRect(dc, &plate, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    RECT half{x, y, x + length / 2, y + 4}, rest{x + length / 2, y, x + length, y + 4};
    FillRect(dc, &half, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    HBRUSH grey = CreateSolidBrush(RGB(150, 150, 150));
    FillRect(dc, &rest, grey);
    DeleteObject(grey);
    wchar_t text[32];
    if (metres >= 1000) swprintf(text, 32, L"%g км", metres / 1000);
    else swprintf(text, 32, L"%g м", metres);
    HFONT font = UiFont(8, FW_NORMAL);
    const HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(40, 40, 40));
    TextOutW(dc, x, y - 16, text, static_cast<int>(wcslen(text)));
    SelectObject(dc, old);
    DeleteObject(font);
}

}  // namespace kxapp
