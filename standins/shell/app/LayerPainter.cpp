#include "LayerPainter.h"

#include "HtmlText.h"
#include "ScaleReducer.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace kxapp {
namespace {

using Clock = std::chrono::steady_clock;
double MsBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

void DevicePoints(const Viewport &view, const std::vector<double> &coordinates, std::vector<POINT> &out) {
    const DeviceTransform device = view.Transform();
    out.clear();
    out.reserve(coordinates.size() / 2);
    for (size_t i = 0; i + 1 < coordinates.size(); i += 2) out.push_back(device.ToDevice(coordinates[i], coordinates[i + 1]));
}

// The parts of a line as ranges of its points.
template <class F>
void ForEachPart(const DrawnShape &shape, F &&part) {
    size_t begin = 0;
    for (size_t k = 0; k <= shape.partStarts.size(); ++k) {
        const size_t end = k < shape.partStarts.size() ? std::min(shape.partStarts[k], shape.points.size()) : shape.points.size();
        if (end > begin) part(shape.points.data() + begin, end - begin);
        begin = end;
    }
}

RECT BoundsOf(const std::vector<POINT> &points, int grow) {
    RECT r{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    for (const POINT &p : points) {
        r.left = std::min(r.left, p.x);
        r.top = std::min(r.top, p.y);
        r.right = std::max(r.right, p.x);
        r.bottom = std::max(r.bottom, p.y);
    }
    if (points.empty()) return RECT{0, 0, 0, 0};
    InflateRect(&r, grow, grow);
    return r;
}

double DistanceToSegment(POINT p, POINT a, POINT b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double cx = a.x + t * dx - p.x, cy = a.y + t * dy - p.y;
    return std::sqrt(cx * cx + cy * cy);
}

}  // namespace

double LayerPainter::PixelsOfWidth(double millimetres) {
    return millimetres * 96.0 / 25.4;
}

FrameStats LayerPainter::Paint(kxshell::StandInShell &shell, Canvas &canvas, const Viewport &view) {
    FrameStats stats;
    for (auto it = drawn_.rbegin(); it != drawn_.rend(); ++it) sparePoints_.push_back(std::move(it->points));
    drawn_.clear();
    kxshell::LayerCollection &layers = shell.Layers();
    kxshell::WalkOptions options;
    options.askTitle = false;  // Title acts on some layers: asked on hover only
    // A pen reaches into the window from at most half its width beyond it.
    const ScaleReducer reducer(view, kWidestPen / 2 + 2);
    if (!everyVertex_) options.reducer = &reducer;
    options.spare = &spareGeometry_;
    std::vector<kxshell::ShapeGeometry> walked;
    const kxshell::ShapeWalker walker(shell.SharedRegistry());
    // Copied first: a layer may leave the collection while it is drawn.
    std::vector<ComPtr<IShapeLayer>> list;
    for (size_t i = 0; i < layers.Count(); ++i) list.emplace_back(layers.Layer(i));
    for (size_t index = 0; index < list.size(); ++index) {
        VARIANT_BOOL visible = VARIANT_TRUE;
        if (FAILED(list[index]->GetVisible(&visible)) || !visible) continue;
        ComPtr<IShapeSource> source = list[index].As<IShapeSource>();
        if (!source) continue;
        const auto t0 = Clock::now();
        kxshell::WalkResult result = walker.Walk(source.Get(), view.visible, options);
        const auto t1 = Clock::now();
        for (const auto &problem : result.problems) stats.problems.push_back("layer " + std::to_string(index + 1) + ": " + problem);
        for (kxshell::WalkedShape &shape : result.shapes) {
            DrawnShape drawn;
            if (!sparePoints_.empty()) {
                drawn.points = std::move(sparePoints_.back());
                sparePoints_.pop_back();
            }
            drawn.layer = index;
            drawn.id = shape.id;
            drawn.kind = shape.kind;
            drawn.hint = shape.hint;
            DrawShape(canvas, view, shape, drawn);
            stats.vertices += shape.received;
            stats.drawnVertices += shape.VertexCount();
            drawn_.push_back(std::move(drawn));
            walked.push_back(std::move(static_cast<kxshell::ShapeGeometry &>(shape)));
        }
        stats.shapes += result.shapes.size();
        stats.walkMs += MsBetween(t0, t1);
        stats.drawMs += MsBetween(t1, Clock::now());
    }
    spareGeometry_.assign(std::make_move_iterator(walked.rbegin()), std::make_move_iterator(walked.rend()));
    sparePoints_.clear();
    return stats;
}

void LayerPainter::DrawShape(Canvas &canvas, const Viewport &view, const kxshell::WalkedShape &shape,
                             DrawnShape &drawn) {
    using kxshell::SymbolKind;
    HDC dc = canvas.Dc();
    DevicePoints(view, shape.coordinates, drawn.points);
    drawn.partStarts = shape.partStarts;
    drawn.received = shape.received;
    if (shape.received) {
        const POINT topLeft = view.ToDevice(shape.extent.minX, shape.extent.maxY);
        const POINT bottomRight = view.ToDevice(shape.extent.maxX, shape.extent.minY);
        drawn.extent = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    }
    const kxshell::SymbolDescription &symbol = shape.symbol;
    switch (shape.kind) {
    case kxshell::kShapeLine:
        if (symbol.kind == SymbolKind::Line) {
            drawn.strokePixels = std::max(1.0, PixelsOfWidth(symbol.width));
            drawn.colour = symbol.colour;
            DrawLine(canvas, drawn, symbol, false);
        }
        drawn.bounds = BoundsOf(drawn.points, static_cast<int>(drawn.strokePixels) + 1);
        break;
    case kxshell::kShapePolygon:
        if (symbol.kind == SymbolKind::Polygon) {
            FillPolygon(canvas, drawn.points, symbol);
            if (symbol.outline && symbol.outline->kind == SymbolKind::Line) {
                drawn.strokePixels = std::max(1.0, PixelsOfWidth(symbol.outline->width));
                drawn.colour = symbol.outline->colour;
                DrawLine(canvas, drawn, *symbol.outline, true);
            }
        }
        drawn.bounds = BoundsOf(drawn.points, 1);
        break;
    case kxshell::kShapeIcon:
        if (!drawn.points.empty()) {
            drawn.bounds = BoundsOf(drawn.points, 4);
            if (symbol.kind == SymbolKind::Raster) DrawIcon(canvas, drawn.points.front(), symbol, drawn.bounds);
        }
        break;
    default:
        break;
    }
    DrawLabel(dc, view, shape);
}

void LayerPainter::DrawLine(Canvas &canvas, const DrawnShape &shape, const kxshell::SymbolDescription &symbol,
                            bool closed) {
    const std::vector<POINT> &points = shape.points;
    if (points.empty() || OpacityOf(symbol.colour) < 128) return;
    const int width = std::clamp(static_cast<int>(std::lround(PixelsOfWidth(symbol.width))), 1, kWidestPen);
    // An outline closes on its first point; a polygon's points are one part.
    std::vector<POINT> ring;
    if (closed && points.size() > 2) {
        ring.reserve(points.size() + 1);
        ring.assign(points.begin(), points.end());
        ring.push_back(points.front());
    }
    if (symbol.style != 2 && symbol.style != 3) {
        if (!ring.empty()) canvas.StrokeLine(ring.data(), ring.size(), width, ColourOf(symbol.colour));
        else ForEachPart(shape, [&](const POINT *part, size_t count) { canvas.StrokeLine(part, count, width, ColourOf(symbol.colour)); });
        return;
    }
    // Dashes and dots come from the device's pen; each part starts its pattern anew.
    HDC dc = canvas.Dc();
    LOGBRUSH brush{BS_SOLID, ColourOf(symbol.colour), 0};
    const DWORD style = symbol.style == 2 ? PS_DASH : PS_DOT;
    HPEN pen = width > 1 ? ExtCreatePen(PS_GEOMETRIC | style | PS_ENDCAP_ROUND | PS_JOIN_ROUND, width, &brush, 0, nullptr)
                         : CreatePen(style, 1, ColourOf(symbol.colour));
    const HGDIOBJ old = SelectObject(dc, pen);
    auto draw = [&](const POINT *part, size_t count) {
        if (count > 1) Polyline(dc, part, static_cast<int>(std::min<size_t>(count, INT_MAX)));
    };
    if (!ring.empty()) draw(ring.data(), ring.size());
    else ForEachPart(shape, draw);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void LayerPainter::FillPolygon(Canvas &canvas, const std::vector<POINT> &points, const kxshell::SymbolDescription &symbol) {
    if (points.size() < 3) return;
    HDC dc = canvas.Dc();
    const int opacity = OpacityOf(symbol.fillColour);
    if (symbol.style == 7) {
        // A diagonal cross hatch in the fill colour over the background colour.
        HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, ColourOf(symbol.fillColour));
        const bool backShown = OpacityOf(symbol.backColour) >= 128;
        const int oldMode = SetBkMode(dc, backShown ? OPAQUE : TRANSPARENT);
        const COLORREF oldBack = SetBkColor(dc, ColourOf(symbol.backColour));
        const HGDIOBJ oldBrush = SelectObject(dc, hatch);
        const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
        Polygon(dc, points.data(), static_cast<int>(points.size()));
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        SetBkColor(dc, oldBack);
        SetBkMode(dc, oldMode);
        DeleteObject(hatch);
        return;
    }
    if (opacity <= 0) return;
    if (opacity >= 255) {
        HBRUSH brush = CreateSolidBrush(ColourOf(symbol.fillColour));
        const HGDIOBJ oldBrush = SelectObject(dc, brush);
        const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
        Polygon(dc, points.data(), static_cast<int>(points.size()));
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(brush);
        return;
    }
    // Translucent: the polygon's mask is drawn apart, then blended in.
    RECT area = BoundsOf(points, 1);
    RECT clip{0, 0, canvas.Width(), canvas.Height()};
    if (!IntersectRect(&area, &area, &clip)) return;
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (!scratch_.Resize(w, h)) return;
    HDC sdc = scratch_.Dc();
    RECT all{0, 0, scratch_.Width(), scratch_.Height()};
    FillRect(sdc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    std::vector<POINT> shifted(points);
    for (POINT &p : shifted) {
        p.x -= area.left;
        p.y -= area.top;
    }
    const HGDIOBJ oldBrush = SelectObject(sdc, GetStockObject(WHITE_BRUSH));
    const HGDIOBJ oldPen = SelectObject(sdc, GetStockObject(NULL_PEN));
    Polygon(sdc, shifted.data(), static_cast<int>(shifted.size()));
    SelectObject(sdc, oldPen);
    SelectObject(sdc, oldBrush);
    scratch_.Sync();
    std::vector<uint8_t> mask(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) mask[static_cast<size_t>(y) * w + x] = (scratch_.Pixels()[static_cast<size_t>(y) * scratch_.Width() + x] & 0xFFFFFF) != 0;
    canvas.BlendMask(area, mask.data(), w, ColourOf(symbol.fillColour), opacity);
}

void LayerPainter::DrawIcon(Canvas &canvas, POINT at, const kxshell::SymbolDescription &symbol, RECT &bounds) {
    if (!symbol.image || !symbol.image->decoded) return;
    const kxshell::DecodedImage &image = *symbol.image;
    const double scale = symbol.scale > 0 ? symbol.scale : 1.0;
    const int w = std::max(1, static_cast<int>(std::lround(image.width * scale)));
    const int h = std::max(1, static_cast<int>(std::lround(image.height * scale)));
    const int left = at.x - w / 2, top = at.y - h / 2;
    bounds = RECT{left, top, left + w, top + h};
    RECT seen, all{0, 0, canvas.Width(), canvas.Height()};
    if (!IntersectRect(&seen, &bounds, &all)) return;
    canvas.Sync();
    uint32_t *pixels = canvas.Pixels();
    for (int y = 0; y < h; ++y) {
        const int cy = top + y;
        if (cy < 0 || cy >= canvas.Height()) continue;
        const int sy = std::min(image.height - 1, static_cast<int>(y / scale));
        for (int x = 0; x < w; ++x) {
            const int cx = left + x;
            if (cx < 0 || cx >= canvas.Width()) continue;
            const int sx = std::min(image.width - 1, static_cast<int>(x / scale));
            const uint8_t *s = &image.pixels[(static_cast<size_t>(sy) * image.width + sx) * 4];
            const uint32_t a = s[3];
            if (!a) continue;
            uint32_t &d = pixels[static_cast<size_t>(cy) * canvas.Width() + cx];
            const uint32_t db = d & 0xFF, dg = (d >> 8) & 0xFF, dr = (d >> 16) & 0xFF;
            d = ((s[2] * a + dr * (255 - a)) / 255) << 16 | ((s[1] * a + dg * (255 - a)) / 255) << 8 |
                ((s[0] * a + db * (255 - a)) / 255);
        }
    }
}

void LayerPainter::DrawLabel(HDC dc, const Viewport &view, const kxshell::WalkedShape &shape) {
    if (!shape.hasLabel || shape.textSymbol.kind != kxshell::SymbolKind::Text || shape.hint.empty()) return;
    double dx, dy;
    view.ToDevice(shape.labelX, shape.labelY, dx, dy);
    if (dx < -2000 || dy < -2000 || dx > view.width + 2000 || dy > view.height + 2000) return;
    LOGFONTW lf{};
    lf.lfHeight = -static_cast<LONG>(std::lround((shape.textSymbol.fontSize > 0 ? shape.textSymbol.fontSize : 8) * 96.0 / 72.0));
    lf.lfWeight = shape.textSymbol.weight > 0 ? shape.textSymbol.weight : FW_NORMAL;
    lf.lfItalic = shape.textSymbol.italic;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = ANTIALIASED_QUALITY;
    lstrcpynW(lf.lfFaceName, shape.textSymbol.faceName.empty() ? L"Arial" : shape.textSymbol.faceName.c_str(), LF_FACESIZE);
    HtmlLayout layout(dc, lf, shape.hint, 0);
    const int x = static_cast<int>(dx) + 4, y = static_cast<int>(dy) - layout.Size().cy / 2;
    // A light halo keeps the label readable over streets and tracks.
    for (int ox = -1; ox <= 1; ++ox)
        for (int oy = -1; oy <= 1; ++oy)
            if (ox || oy) layout.Draw(dc, x + ox, y + oy, RGB(255, 255, 255));
    layout.Draw(dc, x, y, ColourOf(shape.textSymbol.colour));
}

const DrawnShape *LayerPainter::HitTest(POINT point, int slop) const {
    for (auto it = drawn_.rbegin(); it != drawn_.rend(); ++it) {
        const DrawnShape &shape = *it;
        RECT grown = shape.bounds;
        InflateRect(&grown, slop, slop);
        if (!PtInRect(&grown, point)) continue;
        if (shape.kind == kxshell::kShapeIcon) return &shape;
        const double reach = shape.strokePixels / 2 + slop;
        bool reached = false;
        ForEachPart(shape, [&](const POINT *part, size_t count) {
            for (size_t i = 0; !reached && i < count; ++i)
                reached = DistanceToSegment(point, part[i], part[i + 1 < count ? i + 1 : i]) <= reach;
        });
        if (reached) return &shape;
        if (shape.kind == kxshell::kShapePolygon && shape.points.size() > 2) {
            HRGN region = CreatePolygonRgn(shape.points.data(), static_cast<int>(shape.points.size()), WINDING);
            const bool inside = region && PtInRegion(region, point.x, point.y);
            if (region) DeleteObject(region);
            if (inside) return &shape;
        }
    }
    return nullptr;
}

}  // namespace kxapp
