#include "Canvas.h"

#include <algorithm>

namespace kxapp {

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

}  // namespace kxapp
