#include "ScaleReducer.h"

#include <algorithm>

namespace kxapp {
namespace {

bool SamePixel(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

void Keep(kxshell::ShapeGeometry &out, const double *vertex) {
    out.coordinates.push_back(vertex[0]);
    out.coordinates.push_back(vertex[1]);
}

}  // namespace

unsigned ScaleReducer::Outside(POINT p) const {
    return (p.x < -margin_ ? 1u : 0u) | (p.x >= view_.width + margin_ ? 2u : 0u) | (p.y < -margin_ ? 4u : 0u) |
           (p.y >= view_.height + margin_ ? 8u : 0u);
}

void ScaleReducer::Reduce(long kind, const double *xy, size_t vertices, kxshell::ShapeGeometry &out) const {
    out.coordinates.clear();
    out.partStarts.clear();
    out.received = vertices;
    if (!vertices) return;
    out.extent = {xy[0], xy[1], xy[0], xy[1]};
    if (kind == kxshell::kShapeLine) {
        ReduceLine(xy, vertices, out);
        return;
    }
    kxshell::RectValues &extent = out.extent;
    for (size_t i = 1; i < vertices; ++i) {
        extent.minX = std::min(extent.minX, xy[2 * i]);
        extent.maxX = std::max(extent.maxX, xy[2 * i]);
        extent.minY = std::min(extent.minY, xy[2 * i + 1]);
        extent.maxY = std::max(extent.maxY, xy[2 * i + 1]);
    }
    if (kind == kxshell::kShapePolygon) {
        // Wholly beyond one side of the grown window: nothing of it shows.
        const POINT corner1 = view_.ToDevice(extent.minX, extent.maxY);
        const POINT corner2 = view_.ToDevice(extent.maxX, extent.minY);
        if (Outside(corner1) & Outside(corner2)) return;
        POINT last{};
        for (size_t i = 0; i < vertices; ++i) {
            const POINT p = view_.ToDevice(xy[2 * i], xy[2 * i + 1]);
            if (i && SamePixel(p, last)) continue;
            Keep(out, xy + 2 * i);
            last = p;
        }
        return;
    }
    out.coordinates.assign(xy, xy + 2 * vertices);
}

void ScaleReducer::ReduceLine(const double *xy, size_t vertices, kxshell::ShapeGeometry &out) const {
    // `from` is the last vertex that starts a new pixel; a segment from it
    // whose ends both lie beyond one side of the grown window leaves no pixel
    // in the window, whatever the pen.
    const DeviceTransform device = view_.Transform();  // at hand for every vertex
    const double *from = xy;
    POINT fromPixel = device.ToDevice(xy[0], xy[1]);
    unsigned fromOutside = Outside(fromPixel);
    bool partOpen = false;
    kxshell::RectValues &extent = out.extent;
    for (size_t i = 1; i < vertices; ++i) {
        const double *vertex = xy + 2 * i;
        extent.minX = std::min(extent.minX, vertex[0]);
        extent.maxX = std::max(extent.maxX, vertex[0]);
        extent.minY = std::min(extent.minY, vertex[1]);
        extent.maxY = std::max(extent.maxY, vertex[1]);
        const POINT p = device.ToDevice(vertex[0], vertex[1]);
        if (SamePixel(p, fromPixel)) continue;
        const unsigned outside = Outside(p);
        if (fromOutside & outside) {
            partOpen = false;
        } else {
            if (!partOpen) {
                if (!out.coordinates.empty()) out.partStarts.push_back(out.coordinates.size() / 2);
                Keep(out, from);
                partOpen = true;
            }
            Keep(out, vertex);
        }
        from = vertex;
        fromPixel = p;
        fromOutside = outside;
    }
    // Every vertex in one pixel: a dot, where it can be seen.
    if (out.coordinates.empty() && SamePixel(fromPixel, device.ToDevice(xy[0], xy[1])) && !fromOutside) Keep(out, xy);
}

}  // namespace kxapp
