// What the map window keeps of a shape's vertices, taken while the layer
// hands them over: a map engine draws at the map's scale, so a line costs
// what it shows, not how many vertices it has.
#pragma once

#include "ShapeWalker.h"
#include "Viewport.h"

namespace kxapp {

class ScaleReducer : public kxshell::VertexReducer {
public:
    // `margin`: pixels beyond the window that a pen or an outline can reach
    // into it from.
    ScaleReducer(const Viewport &view, int margin) : view_(view), margin_(margin) {}

    // Vertices go to pixels as the device takes them (ToDevice). A line keeps
    // the first vertex of each run in one pixel (the run's extremes are that
    // pixel) and only the segments that can reach the window, in parts where
    // segments were left out; a line that stays in one visible pixel keeps
    // that pixel. A polygon wholly outside keeps nothing, any other keeps a
    // vertex a pixel. An icon keeps its point.
    void Reduce(long kind, const double *xy, size_t vertices, kxshell::ShapeGeometry &out) const override;

private:
    // Bits of the sides of the window grown by the margin that p lies beyond.
    unsigned Outside(POINT p) const;
    void ReduceLine(const double *xy, size_t vertices, kxshell::ShapeGeometry &out) const;

    Viewport view_;
    int margin_;
};

}  // namespace kxapp
