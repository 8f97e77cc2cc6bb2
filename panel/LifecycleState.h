// Module-wide panel data touched by the start-up and shut-down. It is one
// set per module, not per form: the client and the arrays outlive a form that
// is destroyed without the plug-in's Terminate (nothing is freed then).
#pragma once

#include "Common.h"
#include "DispatcherLink.h"

struct TPanelLifecycleData {
    // Owned, but freed only by ActiveFormDestroy: a form destroyed on its own
    // leaves the connection alone, and freeing COM clients at DLL unload is unsafe.
    IDispatcherLink *Client = nullptr;
    const void *ClientEventsOwner = nullptr;  // the form the client's events are bound to
    TMapPointArray TrackMapPoints;
    TMapPointArrays CheckpointCircles;
    TMapPointArrayss InfoPointPositions;
    TMapPointArrays MarkerPolygons;  // the vehicle marker's two polygons
};

TPanelLifecycleData &PanelData();
