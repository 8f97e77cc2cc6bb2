// Drawing conveniences shared by the artwork files.
#pragma once

#include <cmath>
#include <string>

#include "font.h"
#include "raster.h"

namespace icongen {

// A target image plus the design-to-pixel map; pictures are drawn in their own
// design units (24 for the small symbols, 48 for vehicles) and scaled.
struct Ctx {
    Image* img;
    Affine m;
    Path p() const { return Path(m); }
    void fill(const Path& path, Color c) const { fillPath(*img, path, c); }
    void fill(const Path& path, const Paint& paint) const { fillPath(*img, path, paint); }
    float s() const { return m.scale(); }
};

inline Ctx ctxFor(Image& img, float designSize) {
    return {&img, Affine::scaling(img.width() / designSize)};
}

// Linear gradient between two design points.
inline Paint linear(const Ctx& c, Pt p0, Color c0, Pt p1, Color c1) {
    const Pt a = c.m.apply(p0), b = c.m.apply(p1);
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float len2 = dx * dx + dy * dy;
    return [=](float x, float y) {
        float t = len2 > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / len2 : 0;
        t = t < 0 ? 0 : (t > 1 ? 1 : t);
        return mix(c0, c1, t);
    };
}

// Rounded-body shading across x: lit in the middle, darker towards the sides.
inline Paint across(const Ctx& c, float cx, float halfWidth, Color base, float edge = 0.78f, float mid = 1.12f) {
    const float dcx = c.m.apply({cx, 0}).x;
    const float dhw = halfWidth * c.s();
    return [=](float x, float) {
        float t = (x - dcx) / dhw;
        t = t * t;
        if (t > 1) t = 1;
        return shade(base, mid + (edge - mid) * t);
    };
}

inline const Color kWhite{1, 1, 1, 1};
inline const Color kGlass = {0.16f, 0.21f, 0.29f, 1};
inline const Color kTyre = {0.13f, 0.13f, 0.14f, 1};

// Text centred on (cx, cy) of its cap height.
inline void centredText(const Ctx& c, const std::string& text, float cx, float cy, float height, float weight,
                        Color colour) {
    TextStyle st;
    st.height = height;
    st.weight = weight;
    st.spacing = 1.2f;
    Path path = c.p();
    addText(path, text, cx - textWidth(text, st) / 2, cy - height / 2, st);
    c.fill(path, colour);
}

}  // namespace icongen
