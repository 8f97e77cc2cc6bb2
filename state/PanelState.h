// The panel state: what the panel copies from the dispatcher program and
// keeps between its handlers, read by the layer when it builds shapes and
// by the player.
//
// Ownership: the plug-in object (TKXPlayer) creates one when it is made and
// hands it to the layer it creates (constructor) and to each panel it makes
// (CreatePanelControl); they hold it jointly, so a panel or a layer the
// shell keeps after the plug-in object has gone still reads live arrays,
// and the state is freed with the last of them. A panel made on its own
// (through its class factory) makes its own. The panel's shut-down empties
// it. The dispatcher connection is not here: see DispatcherConnection.h.
//
// Each part has one writer, named in its header; the boxes are handed the
// part they write, and readers take it const.
#pragma once

#include "MapObjects.h"
#include "PlayerState.h"
#include "SelectionState.h"
#include "SettingsValues.h"
#include "TripState.h"

struct TPanelState {
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
