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

struct TLastPoints {
    TMapPointArrays Points;          // one one-point array per vehicle
    std::vector<std::wstring> Texts;  // balloon text per vehicle
    int Index = 0;                   // the vehicle the layer adds next
};

struct TCheckpoints {
    int Count = 0;
    TMapPointArrays Circles;
    std::vector<std::wstring> Texts;
};

struct TInfoPointsOnMap {
    TMapPointArrayss Positions;  // per category row, per entry
    std::vector<std::vector<std::wstring>> Texts;
    std::vector<int> Counts;
    // The speeding periods of the trip, when their category was fetched with
    // the others (the trip's report counts and charts them).
    std::optional<std::vector<kx::TimePeriod>> Speeding;
};
