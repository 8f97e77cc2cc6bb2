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
    // Rounded half up by truncating a positive value: every vertex of a long
    // line comes here, and this is several times quicker than lround.
    const double kReach = 1.0e6;
    dx = std::clamp(dx, -kReach, kReach) + kReach + 0.5;
    dy = std::clamp(dy, -kReach, kReach) + kReach + 0.5;
    return {static_cast<LONG>(static_cast<long long>(dx) - static_cast<long long>(kReach)),
            static_cast<LONG>(static_cast<long long>(dy) - static_cast<long long>(kReach))};
}

void Viewport::ToMap(double dx, double dy, double &x, double &y) const {
    const double r = MetresPerPixel();
    x = visible.minX + dx * r;
    y = visible.maxY - dy * r;
}

}  // namespace kxapp
