// An off-screen 32-bit picture the map is drawn into before it reaches the
// window in one BitBlt; its pixels are reachable for translucent fills.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kxapp {

class Canvas {
public:
    Canvas() = default;
    ~Canvas();
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;

    // Keeps the bitmap when the size is unchanged.
    bool Resize(int width, int height);
    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Top-down rows of B, G, R, x.
    uint32_t *Pixels() const { return pixels_; }
    // Call after GDI drawing before touching Pixels().
    void Sync() const { GdiFlush(); }

    // Blends `colour` (COLORREF) at opacity alpha (0..255) into the pixels
    // where mask (same size as the canvas region) is set.
    void BlendMask(const RECT &area, const uint8_t *mask, int maskStride, COLORREF colour, int alpha);

    // A solid line `width` pixels wide with round ends and joins, the way a
    // map engine draws one: a round pen set down on each pixel of the centre
    // line (one a step along the segment's longer axis). Vertices are
    // pixels; a line of one vertex is a dot. Only what reaches the canvas is
    // walked, so the cost is that of the pixels drawn.
    void StrokeLine(const POINT *points, size_t count, int width, COLORREF colour);

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t *pixels_ = nullptr;
    int width_ = 0, height_ = 0;
};

// Shell colours are 0xTTBBGGRR: a COLORREF plus transparency in the top byte.
inline COLORREF ColourOf(long value) { return static_cast<COLORREF>(value) & 0xFFFFFF; }
inline int OpacityOf(long value) { return 255 - static_cast<int>((static_cast<unsigned long>(value) >> 24) & 0xFF); }

}  // namespace kxapp
