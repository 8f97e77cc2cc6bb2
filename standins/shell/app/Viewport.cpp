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

void Viewport::ToMap(double dx, double dy, double &x, double &y) const {
    const double r = MetresPerPixel();
    x = visible.minX + dx * r;
    y = visible.maxY - dy * r;
}

}  // namespace kxapp
