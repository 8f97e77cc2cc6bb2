// A small anti-aliasing rasteriser: paths of straight edges filled with the
// non-zero rule, exact horizontal coverage and 16 sub-scanlines per pixel row.
// Everything is plain float arithmetic in a fixed order, so a run is
// bit-for-bit repeatable.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace icongen {

// Straight (not premultiplied) colour, components 0..1.
struct Color {
    float r = 0, g = 0, b = 0, a = 0;
};

Color rgb(int r, int g, int b, float a = 1.0f);
// f < 1 darkens towards black, f > 1 lightens towards white.
Color shade(Color c, float f);
Color mix(Color a, Color b, float t);
Color withAlpha(Color c, float a);
Color grey(Color c);  // the "disabled" look: desaturated and faded

struct Pt {
    float x = 0, y = 0;
};

// Affine map from design units to pixels (uniform scale assumed for widths).
struct Affine {
    float a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
    Pt apply(Pt p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
    float scale() const;
    static Affine scaling(float s, float tx = 0, float ty = 0) { return {s, 0, 0, s, tx, ty}; }
    Affine then(const Affine& o) const;  // first this, then o
    static Affine rotation(float degrees, Pt centre);
};

// Premultiplied RGBA image.
class Image {
public:
    Image() = default;
    Image(int w, int h);
    int width() const { return w_; }
    int height() const { return h_; }
    Color& at(int x, int y) { return px_[static_cast<size_t>(y) * w_ + x]; }  // premultiplied
    const Color& at(int x, int y) const { return px_[static_cast<size_t>(y) * w_ + x]; }
    Color straight(int x, int y) const;
    void fill(Color straightColor);
    // Source-over of `src` placed with its top-left corner at (dx, dy).
    void blit(const Image& src, int dx, int dy);
    Image scaledNearest(int factor) const;

private:
    int w_ = 0, h_ = 0;
    std::vector<Color> px_;
};

using Paint = std::function<Color(float x, float y)>;  // pixel-space colour source
Paint solid(Color c);

// A set of closed sub-paths in pixel space, built from design coordinates
// through the affine map given at construction.
class Path {
public:
    explicit Path(const Affine& m = Affine{}) : m_(m) {}
    const Affine& xform() const { return m_; }

    Path& polygon(const std::vector<Pt>& pts);  // kept as given (winding matters)
    Path& rect(float x, float y, float w, float h);
    Path& roundRect(float x, float y, float w, float h, float r);
    Path& ellipse(float cx, float cy, float rx, float ry);
    Path& circle(float cx, float cy, float r) { return ellipse(cx, cy, r, r); }
    // Hole-punching variants (wound clockwise on screen) for rings and cut-outs.
    Path& circleHole(float cx, float cy, float r);
    Path& roundRectHole(float x, float y, float w, float h, float r);
    // A thick polyline: union of segment quads, round joins, round or butt caps.
    Path& stroke(const std::vector<Pt>& pts, float width, bool roundCaps = true, bool closed = false);
    Path& arcStroke(float cx, float cy, float r, float fromDeg, float toDeg, float width, bool roundCaps = true);

    const std::vector<std::vector<Pt>>& contours() const { return contours_; }
    // Segments needed for a curve of this design radius at the current scale.
    int segmentsFor(float radius) const;

private:
    void addDevice(std::vector<Pt> pts, bool forceCcw, bool forceCw);
    Affine m_;
    std::vector<std::vector<Pt>> contours_;
};

// Points of an arc (design units); angles in degrees, y axis pointing down,
// so 270 is straight up.
std::vector<Pt> arcPoints(float cx, float cy, float rx, float ry, float fromDeg, float toDeg, int segments);

// Per-pixel coverage (0..1) of a path: the rasteriser core, exposed for tests.
std::vector<float> coverage(const Path& p, int w, int h);

void fillPath(Image& img, const Path& p, const Paint& paint);
void fillPath(Image& img, const Path& p, Color c);

}  // namespace icongen
