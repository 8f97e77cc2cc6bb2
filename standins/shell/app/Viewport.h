// Map coordinates (metres, y up) to pixels of the map window (y down) at one
// uniform resolution: the visible rectangle fitted to the window's shape.
#pragma once

#include "MapRect.h"

#include <windows.h>

namespace kxapp {

struct Viewport {
    kxshell::RectValues visible;
    int width = 1, height = 1;

    // The rectangle grown on its short side so that both axes share one
    // resolution in a window of width x height; the centre stays.
    static kxshell::RectValues Fit(const kxshell::RectValues &rect, int width, int height);

    double MetresPerPixel() const { return visible.Width() / (width > 0 ? width : 1); }
    POINT ToDevice(double x, double y) const;
    void ToDevice(double x, double y, double &dx, double &dy) const;
    void ToMap(double dx, double dy, double &x, double &y) const;
};

}  // namespace kxapp
