// Coordinate containers shared by the panel, the layer and the player.
#pragma once

#include <vector>

struct TMapPoint {
    double X = 0;
    double Y = 0;
};

using TMapPointArray = std::vector<TMapPoint>;     // one polyline, polygon or point set
using TMapPointArrays = std::vector<TMapPointArray>;
using TMapPointArrayss = std::vector<TMapPointArrays>;
