// The panel state: what the panel copies from the dispatcher program and
// keeps between its handlers, read directly by the layer when it builds
// shapes and by the player. One set per module, not per form, made at first
// use and never destroyed (shut-down empties it): the client and the arrays
// outlive a form destroyed without the plug-in's Terminate, and a COM client
// must not be freed at library unload.
//
// Each part has one writer, named in its header; the boxes are handed the
// part they write, and readers take it const.
#pragma once

#include "DispatcherConnection.h"
#include "MapObjects.h"
#include "PlayerState.h"
#include "SelectionState.h"
#include "SettingsValues.h"
#include "TripState.h"

struct TPanelState {
    TDispatcherConnection Link;   // the form's start-up and shut-down
    TSelectionState Selection;    // the selection handlers
    TTripState Trip;              // the trips list and the track load
    TPlayerState Player;          // the player box
    TLastPoints LastPoints;       // the group overview
    TCheckpoints Checkpoints;     // the map tool bar
    TInfoPointsOnMap InfoPoints;  // the map tool bar
    TSettingsValues Settings;     // the settings read, then the user's choices

    // What shut-down clears (the client is freed by its caller).
    void ClearForShutdown();
};

TPanelState &PanelState();
