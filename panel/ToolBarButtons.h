// The buttons of the panel's tool bar, by their command ids: each named for
// what it does, with its name on the form beside it.
#pragma once

#include <windows.h>

struct TMapTool {
    static constexpr UINT Track = 1301;        // ToolButton4: the trip's track on the map
    static constexpr UINT Checkpoints = 1302;  // ToolButton1: the vehicle's checkpoints
    static constexpr UINT InfoPoints = 1303;   // ToolButton2: the trip's info points
    static constexpr UINT SkipStops = 1304;    // ToolButton3: the player skips stops
    static constexpr UINT Settings = 1305;     // btnSettings: the settings dialog
    static constexpr UINT Report = 1306;       // btnReport: the trip's report
};
