// Where the drawing test plug-in puts its shapes, as fractions of the
// visible map rectangle; shared by the plug-in and the test that checks
// the shell's picture.
#pragma once

#include <cmath>

namespace e2e {

struct View {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    double Width() const { return maxX - minX; }
    double Height() const { return maxY - minY; }
};

// t from 0 to 1 along a wave across the middle of the view.
inline void ExpectedTrackPoint(const View &v, double t, double &x, double &y) {
    x = v.minX + v.Width() * (0.25 + 0.5 * t);
    y = v.minY + v.Height() * (0.5 + 0.12 * std::sin(t * 6.283185307179586 * 2));
}

constexpr long kPolygonFill = 0x80FF0000;        // blue, half transparent
constexpr double kIconAt[2] = {0.88, 0.12};      // fractions of width, height
constexpr double kBalloonAt[2] = {0.8, 0.3};

}  // namespace e2e
