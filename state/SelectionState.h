// What the vehicle and period selection keeps between its handlers.
//
// Written only by the selection box (panel/boxes/SelectionBox, including the
// end of a computation and the restore of a saved selection); read by
// nothing else.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct TSelectionState {
    // One server key per item of cmbGroupName, same order; absent until the
    // first fill.
    std::optional<std::vector<std::wstring>> GroupKeys;

    // Flags that keep the panel and the dispatcher in step.
    bool ComputeRequested = false;      // our own request is being computed
    bool SyncingFromServer = false;     // the controls follow the dispatcher's choice
    bool SkipNextEndComputing = false;  // the next end of a computation lists nothing
    // The request made on reconnecting: its end lists the trips again and
    // loads none, so that the trip on the map plays on.
    bool KeepShownTrip = false;
};
