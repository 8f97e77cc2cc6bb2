#include "Viewport.h"

#include <algorithm>
#include <cmath>

namespace kxapp {

kxshell::RectValues Viewport::Fit(const kxshell::RectValues &rect, int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    const double resolution = std::max(rect.Width() / width, rect.Height() / height);
    const double cx = (rect.minX + rect.maxX) / 2, cy = (rect.minY + rect.maxY) / 2;
    const double hw = resolution * width / 2, hh = resolution * height / 2;
    return {cx - hw, cy - hh, cx + hw, cy + hh};
}

void Viewport::ToDevice(double x, double y, double &dx, double &dy) const {
    const double r = MetresPerPixel();
    dx = (x - visible.minX) / r;
    dy = (visible.maxY - y) / r;
}

POINT Viewport::ToDevice(double x, double y) const {
    double dx, dy;
    ToDevice(x, y, dx, dy);
    // Clamped: GDI coordinates are 32-bit but drawing far outside is pointless.
    dx = std::clamp(dx, -1.0e6, 1.0e6);
    dy = std::clamp(dy, -1.0e6, 1.0e6);
    return {static_cast<LONG>(std::lround(dx)), static_cast<LONG>(std::lround(dy))};
}

void Viewport::ToMap(double dx, double dy, double &x, double &y) const {
    const double r = MetresPerPixel();
    x = visible.minX + dx * r;
    y = visible.maxY - dy * r;
}

}  // namespace kxapp
