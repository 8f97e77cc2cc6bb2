// The player: its one clock, where it stands on the track, and the marker.
//
// Written only by the player box (panel/boxes/PlayerBox); read by the layer
// (mode 2 draws MarkerPolygons).
#pragma once

#include "Common.h"

#include "kx/datetime.h"
#include "kx/player.h"

struct TPlayerState {
    // The track time a playing player shows at a wall-clock time; its speed
    // is the speed box's.
    kx::PlayClock Clock{0, 0, 600};
    kx::TDateTime PlayTime = 0;  // the track time shown
    int CurrentPointIndex = 0;   // the track point at or before PlayTime
    TMapPointArrays MarkerPolygons;  // the vehicle marker's two polygons
};
