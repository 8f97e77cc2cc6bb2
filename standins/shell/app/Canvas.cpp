#include "Canvas.h"

#include <algorithm>
#include <cstdlib>

namespace kxapp {
namespace {

// floor(n / d) for d > 0 and any sign of n.
long long FloorQuotient(long long n, long long d) {
    return n >= 0 ? n / d : -((-n + d - 1) / d);
}

// The pixels a round pen of `width` covers around its centre pixel; an even
// width sits half a pixel up and left of it, as a device's pen does.
std::vector<POINT> PenOffsets(int width) {
    std::vector<POINT> offsets;
    const int low = -(width / 2), high = (width - 1) / 2;
    const double shift = width % 2 ? 0 : 0.5, radius2 = width * width / 4.0;
    for (int dy = low; dy <= high; ++dy)
        for (int dx = low; dx <= high; ++dx)
            if ((dx + shift) * (dx + shift) + (dy + shift) * (dy + shift) <= radius2 + 1e-9) offsets.push_back({dx, dy});
    return offsets;
}

}  // namespace

Canvas::~Canvas() {
    if (dc_) {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    if (bitmap_) DeleteObject(bitmap_);
}

bool Canvas::Resize(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (bitmap_ && width == width_ && height == height_) return true;
    if (!dc_) {
        dc_ = CreateCompatibleDC(nullptr);
        if (!dc_) return false;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return false;
    HGDIOBJ previous = SelectObject(dc_, bitmap);
    if (!old_) old_ = previous;
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = bitmap;
    pixels_ = static_cast<uint32_t *>(bits);
    width_ = width;
    height_ = height;
    return true;
}

void Canvas::BlendMask(const RECT &area, const uint8_t *mask, int maskStride, COLORREF colour, int alpha) {
    if (!pixels_ || alpha <= 0) return;
    Sync();
    const uint32_t r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    const uint32_t a = static_cast<uint32_t>(std::min(alpha, 255)), na = 255 - a;
    for (int y = std::max<LONG>(area.top, 0); y < std::min<LONG>(area.bottom, height_); ++y) {
        const uint8_t *m = mask + (y - area.top) * maskStride;
        uint32_t *row = pixels_ + static_cast<size_t>(y) * width_;
        for (int x = std::max<LONG>(area.left, 0); x < std::min<LONG>(area.right, width_); ++x) {
            if (!m[x - area.left]) continue;
            const uint32_t p = row[x];
            const uint32_t pb = p & 0xFF, pg = (p >> 8) & 0xFF, pr = (p >> 16) & 0xFF;
            row[x] = ((pr * na + r * a) / 255) << 16 | ((pg * na + g * a) / 255) << 8 | ((pb * na + b * a) / 255);
        }
    }
}

void Canvas::StrokeLine(const POINT *points, size_t count, int width, COLORREF colour) {
    if (!pixels_ || !count) return;
    width = std::max(width, 1);
    Sync();
    const std::vector<POINT> pen = PenOffsets(width);
    const long long reach = width / 2 + 1;
    const uint32_t value = GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
    POINT last{LONG_MIN, LONG_MIN};
    auto stamp = [&](long long x, long long y) {
        if (x == last.x && y == last.y) return;
        last = POINT{static_cast<LONG>(x), static_cast<LONG>(y)};
        if (x < -reach || y < -reach || x >= width_ + reach || y >= height_ + reach) return;
        if (x >= reach && y >= reach && x < width_ - reach && y < height_ - reach) {
            uint32_t *centre = pixels_ + y * width_ + x;
            for (const POINT &o : pen) centre[o.y * width_ + o.x] = value;
            return;
        }
        for (const POINT &o : pen) {
            const long long px = x + o.x, py = y + o.y;
            if (px >= 0 && py >= 0 && px < width_ && py < height_) pixels_[py * width_ + px] = value;
        }
    };
    if (count == 1) {
        stamp(points[0].x, points[0].y);
        return;
    }
    for (size_t i = 0; i + 1 < count; ++i) {
        const POINT a = points[i], b = points[i + 1];
        const long long dx = static_cast<long long>(b.x) - a.x, dy = static_cast<long long>(b.y) - a.y;
        const bool alongX = std::llabs(dx) >= std::llabs(dy);
        const long long steps = alongX ? std::llabs(dx) : std::llabs(dy);
        if (!steps) {
            stamp(a.x, a.y);
            continue;
        }
        // Step t of the longer axis is at a + t * sign; only the steps whose
        // pen can reach the canvas on that axis are walked.
        const long long start = alongX ? a.x : a.y, sign = (alongX ? dx : dy) > 0 ? 1 : -1;
        const long long low = -reach, high = (alongX ? width_ : height_) + reach - 1;
        long long first = 0, last_ = steps;
        if (sign > 0) {
            first = std::max(first, low - start);
            last_ = std::min(last_, high - start);
        } else {
            first = std::max(first, start - high);
            last_ = std::min(last_, start - low);
        }
        // The other axis at step t is the nearest to t * across / steps
        // (halves up): floor((2 t across + steps) / (2 steps)), carried from
        // step to step as a quotient and a remainder.
        const long long across = alongX ? dy : dx, den = 2 * steps, side0 = alongX ? a.y : a.x;
        const long long n = 2 * first * across + steps;
        long long quotient = FloorQuotient(n, den), remainder = n - quotient * den;
        for (long long t = first; t <= last_; ++t) {
            const long long along = start + sign * t, side = side0 + quotient;
            if (alongX) stamp(along, side);
            else stamp(side, along);
            remainder += 2 * across;
            if (remainder >= den) {
                remainder -= den;
                ++quotient;
            } else if (remainder < 0) {
                remainder += den;
                --quotient;
            }
        }
    }
}

}  // namespace kxapp
