// The selected trip: its track, its stops and its number in the list.
//
// Written only by the info-point box's trips list (panel/boxes/
// InfoPointListBox: the list's fill and clicks and the track load); read by the player box, the info-point list, the map
// tool bar and the layer (mode 1).
#pragma once

#include <vector>

#include "Common.h"

#include "kx/geometry.h"
#include "kx/infopoints.h"
#include "kx/track.h"

struct TTripState {
    // The delivered five numbers per point (time, X, Y, distance, speed) with
    // X and Y replaced by map coordinates once loaded (TrackMapPoints); the
    // layer's track lines hold that array with it. Replaced whole by each
    // load; empty before the first.
    kx::Track Track;
    // The track's segments indexed for the search from the track line; built
    // with each load, replaced and cleared with the track.
    kx::SegmentIndex TrackIndex;
    std::vector<kx::TStops> TripStops;
    int CurrentTrip = 0;  // 1-based in the trips list; 0: the next list selects trip 1

    int TrackPointCount() const { return Track.count(); }
    const TMapPointArray &TrackMapPoints() const { return Track.mapPoints(); }
};
