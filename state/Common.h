// Coordinate containers shared by the panel, the layer and the player.
#pragma once

#include "kx/track.h"

using kx::TMapPoint;
using kx::TMapPointArray;   // one polyline, polygon or point set
using kx::TMapPointArrays;
using kx::TMapPointArrayss;
