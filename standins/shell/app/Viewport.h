// Map coordinates (metres, y up) to pixels of the map window (y down) at one
// uniform resolution: the visible rectangle fitted to the window's shape.
#pragma once

#include "MapRect.h"

#include <windows.h>

#include <algorithm>

namespace kxapp {

// Map coordinates to device pixels at one resolution, with everything the
// conversion needs at hand: a map window converts every vertex it walks.
struct DeviceTransform {
    double minX = 0, maxY = 0, metresPerPixel = 1;

    void ToDevice(double x, double y, double &dx, double &dy) const {
        dx = (x - minX) / metresPerPixel;
        dy = (maxY - y) / metresPerPixel;
    }
    POINT ToDevice(double x, double y) const {
        double dx, dy;
        ToDevice(x, y, dx, dy);
        // Clamped: GDI coordinates are 32-bit but drawing far outside is
        // pointless. Rounded half up by truncating a positive value, several
        // times quicker than lround.
        const double kReach = 1.0e6;
        dx = std::clamp(dx, -kReach, kReach) + kReach + 0.5;
        dy = std::clamp(dy, -kReach, kReach) + kReach + 0.5;
        return {static_cast<LONG>(static_cast<long long>(dx) - static_cast<long long>(kReach)),
                static_cast<LONG>(static_cast<long long>(dy) - static_cast<long long>(kReach))};
    }
};

struct Viewport {
    kxshell::RectValues visible;
    int width = 1, height = 1;

    // The rectangle grown on its short side so that both axes share one
    // resolution in a window of width x height; the centre stays.
    static kxshell::RectValues Fit(const kxshell::RectValues &rect, int width, int height);

    double MetresPerPixel() const { return visible.Width() / (width > 0 ? width : 1); }
    DeviceTransform Transform() const { return {visible.minX, visible.maxY, MetresPerPixel()}; }
    POINT ToDevice(double x, double y) const { return Transform().ToDevice(x, y); }
    void ToDevice(double x, double y, double &dx, double &dy) const { Transform().ToDevice(x, y, dx, dy); }
    void ToMap(double dx, double dy, double &x, double &y) const;
};

}  // namespace kxapp
