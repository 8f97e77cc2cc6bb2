// What the map shows above its layers: the balloons plug-ins open through
// IBalloonList (each pane's text in the HTML subset) and the hover tip with
// the title and hint of the shape under the mouse.
#pragma once

#include "Map.h"
#include "Viewport.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kxapp {

struct PlacedBalloon {
    kxshell::Balloon *balloon = nullptr;  // valid while the map shows it
    RECT box{};                           // device pixels
    RECT closeBox{};                      // empty without a close button
};

// Draws every shown balloon; returns where each one went.
std::vector<PlacedBalloon> DrawBalloons(HDC dc, const Viewport &view, const kxshell::Map &map);

struct HoverTip {
    bool shown = false;
    POINT at{};           // device pixels, the mouse
    std::wstring title;   // HTML subset
    std::wstring hint;    // HTML subset
};

// The tip box near `at`, kept inside the view; returns where it went.
RECT DrawHoverTip(HDC dc, const Viewport &view, const HoverTip &tip);

}  // namespace kxapp
