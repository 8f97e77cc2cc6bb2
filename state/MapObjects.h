// What the panel fetches from the dispatcher for the layer to draw besides
// the track: the vehicles' last points, the checkpoints and the trip's info
// points, each as map points with their balloon texts.
//
// TLastPoints is written only by the selection box's group overview
// (panel/boxes/SelectionBox), TCheckpoints and TInfoPointsOnMap only by the map tool bar
// (panel/boxes/MapToolBar); the layer reads them (modes 5, 4 and 3), the
// trip's report the speeding periods.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Common.h"

#include "kx/report.h"

// One thing on the map: its shape's points and its balloon text.
struct TPlaceOnMap {
    TMapPointArray Points;
    std::wstring Text;
};

struct TLastPoints {
    // Per vehicle of the group, in the dispatcher's order: its one point,
    // or (0, 0) with no text while its position is unknown.
    std::vector<TPlaceOnMap> Vehicles;
    int Index = 0;  // the vehicle the layer adds next, an index into Vehicles
};

struct TCheckpoints {
    std::vector<TPlaceOnMap> Circles;  // each checkpoint's circle as its outline
};

struct TInfoPointsOnMap {
    // Per category, at the index of its row in the category table (index 0
    // is row 1, the checkpoints, drawn as circles instead); per entry, its
    // one point, or none when the entry has no position.
    std::vector<std::vector<TPlaceOnMap>> Categories;
    // The speeding periods of the trip, when their category was fetched with
    // the others (the trip's report counts and charts them).
    std::optional<std::vector<kx::TimePeriod>> Speeding;
};
