#include "raster.h"

#include <algorithm>
#include <cmath>

namespace icongen {

namespace {
constexpr float kPi = 3.14159265358979f;
constexpr int kSubScanlines = 16;

float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

float signedArea(const std::vector<Pt>& pts) {
    float s = 0;
    for (size_t i = 0, n = pts.size(); i < n; ++i) {
        const Pt& p = pts[i];
        const Pt& q = pts[(i + 1) % n];
        s += p.x * q.y - q.x * p.y;
    }
    return s / 2;
}
}  // namespace

Color rgb(int r, int g, int b, float a) { return {r / 255.0f, g / 255.0f, b / 255.0f, a}; }

Color shade(Color c, float f) {
    if (f <= 1) return {c.r * f, c.g * f, c.b * f, c.a};
    const float t = clamp01(f - 1);
    return {c.r + (1 - c.r) * t, c.g + (1 - c.g) * t, c.b + (1 - c.b) * t, c.a};
}

Color mix(Color a, Color b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Color withAlpha(Color c, float a) { return {c.r, c.g, c.b, a}; }

Color grey(Color c) {
    const float l = 0.30f * c.r + 0.59f * c.g + 0.11f * c.b;
    const float v = 0.36f + l * 0.52f;
    return {v, v, v, c.a};
}

float Affine::scale() const { return std::sqrt(std::fabs(a * d - b * c)); }

Affine Affine::then(const Affine& o) const {
    return {o.a * a + o.c * b, o.b * a + o.d * b, o.a * c + o.c * d,
            o.b * c + o.d * d, o.a * e + o.c * f + o.e, o.b * e + o.d * f + o.f};
}

Affine Affine::rotation(float degrees, Pt centre) {
    const float t = degrees * kPi / 180.0f;
    const float cs = std::cos(t), sn = std::sin(t);
    Affine r{cs, sn, -sn, cs, 0, 0};
    r.e = centre.x - (cs * centre.x - sn * centre.y);
    r.f = centre.y - (sn * centre.x + cs * centre.y);
    return r;
}

Image::Image(int w, int h) : w_(w), h_(h), px_(static_cast<size_t>(w) * h) {}

Color Image::straight(int x, int y) const {
    const Color& p = at(x, y);
    if (p.a <= 0) return {0, 0, 0, 0};
    return {clamp01(p.r / p.a), clamp01(p.g / p.a), clamp01(p.b / p.a), p.a};
}

void Image::fill(Color c) {
    for (Color& p : px_) p = {c.r * c.a, c.g * c.a, c.b * c.a, c.a};
}

void Image::blit(const Image& src, int dx, int dy) {
    for (int y = 0; y < src.height(); ++y) {
        for (int x = 0; x < src.width(); ++x) {
            const int tx = dx + x, ty = dy + y;
            if (tx < 0 || ty < 0 || tx >= w_ || ty >= h_) continue;
            const Color& s = src.at(x, y);
            Color& d = at(tx, ty);
            const float k = 1 - s.a;
            d = {s.r + d.r * k, s.g + d.g * k, s.b + d.b * k, s.a + d.a * k};
        }
    }
}

Image Image::scaledNearest(int factor) const {
    Image out(w_ * factor, h_ * factor);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) out.at(x, y) = at(x / factor, y / factor);
    return out;
}

Paint solid(Color c) {
    return [c](float, float) { return c; };
}

std::vector<Pt> arcPoints(float cx, float cy, float rx, float ry, float fromDeg, float toDeg, int segments) {
    std::vector<Pt> pts;
    segments = std::max(segments, 1);
    for (int i = 0; i <= segments; ++i) {
        const float t = (fromDeg + (toDeg - fromDeg) * i / segments) * kPi / 180.0f;
        pts.push_back({cx + rx * std::cos(t), cy + ry * std::sin(t)});
    }
    return pts;
}

int Path::segmentsFor(float radius) const {
    const float r = std::fabs(radius) * m_.scale();
    return std::clamp(static_cast<int>(std::ceil(2 * kPi * r * 1.5f)), 12, 360);
}

void Path::addDevice(std::vector<Pt> pts, bool forceCcw, bool forceCw) {
    if (pts.size() < 3) return;
    for (Pt& p : pts) p = m_.apply(p);
    const float a = signedArea(pts);
    // Union pieces all share one orientation and holes the other, so the
    // non-zero rule adds pieces up instead of cancelling them.
    if ((forceCcw && a < 0) || (forceCw && a > 0)) std::reverse(pts.begin(), pts.end());
    contours_.push_back(std::move(pts));
}

Path& Path::polygon(const std::vector<Pt>& pts) {
    addDevice(pts, true, false);
    return *this;
}

Path& Path::rect(float x, float y, float w, float h) {
    addDevice({{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}, true, false);
    return *this;
}

static std::vector<Pt> roundRectPoints(float x, float y, float w, float h, float r, int seg) {
    r = std::min({r, w / 2, h / 2});
    if (r <= 0) return {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
    const int q = std::max(3, seg / 4);
    std::vector<Pt> pts;
    auto corner = [&](float cx, float cy, float from) {
        auto a = arcPoints(cx, cy, r, r, from, from + 90, q);
        pts.insert(pts.end(), a.begin(), a.end());
    };
    corner(x + w - r, y + r, 270);
    corner(x + w - r, y + h - r, 0);
    corner(x + r, y + h - r, 90);
    corner(x + r, y + r, 180);
    return pts;
}

Path& Path::roundRect(float x, float y, float w, float h, float r) {
    addDevice(roundRectPoints(x, y, w, h, r, segmentsFor(r)), true, false);
    return *this;
}

Path& Path::roundRectHole(float x, float y, float w, float h, float r) {
    addDevice(roundRectPoints(x, y, w, h, r, segmentsFor(r)), false, true);
    return *this;
}

Path& Path::ellipse(float cx, float cy, float rx, float ry) {
    auto pts = arcPoints(cx, cy, rx, ry, 0, 360, segmentsFor(std::max(rx, ry)));
    pts.pop_back();
    addDevice(pts, true, false);
    return *this;
}

Path& Path::circleHole(float cx, float cy, float r) {
    auto pts = arcPoints(cx, cy, r, r, 0, 360, segmentsFor(r));
    pts.pop_back();
    addDevice(pts, false, true);
    return *this;
}

Path& Path::stroke(const std::vector<Pt>& pts, float width, bool roundCaps, bool closed) {
    const float hw = width / 2;
    const size_t n = pts.size();
    if (n == 0) return *this;
    const size_t segs = closed ? n : n - 1;
    for (size_t i = 0; i < segs; ++i) {
        const Pt p = pts[i], q = pts[(i + 1) % n];
        const float dx = q.x - p.x, dy = q.y - p.y;
        const float len = std::sqrt(dx * dx + dy * dy);
        if (len <= 0) continue;
        const float nx = -dy / len * hw, ny = dx / len * hw;
        addDevice({{p.x + nx, p.y + ny}, {q.x + nx, q.y + ny}, {q.x - nx, q.y - ny}, {p.x - nx, p.y - ny}}, true, false);
    }
    for (size_t i = 0; i < n; ++i) {
        const bool end = !closed && (i == 0 || i == n - 1);
        if (end && !roundCaps) continue;
        circle(pts[i].x, pts[i].y, hw);
    }
    return *this;
}

Path& Path::arcStroke(float cx, float cy, float r, float fromDeg, float toDeg, float width, bool roundCaps) {
    const int seg = std::max(4, static_cast<int>(segmentsFor(r) * std::fabs(toDeg - fromDeg) / 360.0f));
    return stroke(arcPoints(cx, cy, r, r, fromDeg, toDeg, seg), width, roundCaps);
}

namespace {
struct Edge {
    float x0, y0, x1, y1;
    int dir;
};

void addSpan(std::vector<float>& row, int w, float a, float b, float weight) {
    a = std::max(a, 0.0f);
    b = std::min(b, static_cast<float>(w));
    if (b <= a) return;
    const int ia = static_cast<int>(std::floor(a));
    const int ib = static_cast<int>(std::floor(b));
    if (ia == ib) {
        row[ia] += (b - a) * weight;
        return;
    }
    row[ia] += (ia + 1 - a) * weight;
    for (int i = ia + 1; i < ib; ++i) row[i] += weight;
    if (ib < w) row[ib] += (b - ib) * weight;
}
}  // namespace

std::vector<float> coverage(const Path& p, int w, int h) {
    std::vector<float> cov(static_cast<size_t>(w) * h, 0.0f);
    std::vector<Edge> edges;
    float minY = 1e30f, maxY = -1e30f;
    for (const auto& c : p.contours()) {
        for (size_t i = 0, n = c.size(); i < n; ++i) {
            const Pt a = c[i], b = c[(i + 1) % n];
            minY = std::min(minY, a.y);
            maxY = std::max(maxY, a.y);
            if (a.y == b.y) continue;
            if (a.y < b.y)
                edges.push_back({a.x, a.y, b.x, b.y, 1});
            else
                edges.push_back({b.x, b.y, a.x, a.y, -1});
        }
    }
    if (edges.empty()) return cov;
    const int y0 = std::max(0, static_cast<int>(std::floor(minY)));
    const int y1 = std::min(h, static_cast<int>(std::ceil(maxY)));
    std::vector<float> row(static_cast<size_t>(w) + 1);
    std::vector<std::pair<float, int>> xs;
    const float weight = 1.0f / kSubScanlines;
    for (int y = y0; y < y1; ++y) {
        std::fill(row.begin(), row.end(), 0.0f);
        for (int s = 0; s < kSubScanlines; ++s) {
            const float ys = y + (s + 0.5f) / kSubScanlines;
            xs.clear();
            for (const Edge& e : edges) {
                if (ys < e.y0 || ys >= e.y1) continue;
                xs.push_back({e.x0 + (ys - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0), e.dir});
            }
            std::sort(xs.begin(), xs.end());
            int wind = 0;
            float start = 0;
            for (const auto& [x, dir] : xs) {
                const int before = wind;
                wind += dir;
                if (before == 0 && wind != 0) start = x;
                if (before != 0 && wind == 0) addSpan(row, w, start, x, weight);
            }
        }
        for (int x = 0; x < w; ++x) cov[static_cast<size_t>(y) * w + x] = std::min(1.0f, row[x]);
    }
    return cov;
}

void fillPath(Image& img, const Path& p, const Paint& paint) {
    const auto cov = coverage(p, img.width(), img.height());
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const float c = cov[static_cast<size_t>(y) * img.width() + x];
            if (c <= 0) continue;
            const Color s = paint(x + 0.5f, y + 0.5f);
            const float a = clamp01(s.a) * c;
            Color& d = img.at(x, y);
            const float k = 1 - a;
            d = {s.r * a + d.r * k, s.g * a + d.g * k, s.b * a + d.b * k, a + d.a * k};
        }
    }
}

void fillPath(Image& img, const Path& p, Color c) { fillPath(img, p, solid(c)); }

}  // namespace icongen
