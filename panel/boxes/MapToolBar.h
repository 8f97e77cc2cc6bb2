// The map buttons of the player's tool bar: TMapTool::Checkpoints
// (ToolButton1) shows the checkpoints of the dispatcher's chosen vehicle as
// circles, TMapTool::InfoPoints (ToolButton2) the entries of the current
// trip as icons, and SpeedButton1 opens PopupMenu1, whose items show or hide
// one category's icons.
//
// Ownership: the form makes one with itself and frees it with itself; of
// its own it keeps nothing. It is the one writer of the checkpoints and the
// info points on the map (which the layer draws in its modes
// BuildCheckpoints and BuildInfoPoints, and which only this box clears), and
// changes the user's LoadKT choice and the rows' VisibleIcon flags in the
// settings values; it reads the current trip. The controls, the menu items,
// the map and the layer stay the form's.
#pragma once

#include <windows.h>

#include <functional>

#include "GrymCore.h"
#include "MenuItem.h"

struct TCheckpoints;
struct TDispatcherConnection;
struct TInfoPointsOnMap;
struct TSettingsValues;
struct TTripState;
class TLayer;

struct TMapToolBarControls {
    HWND ToolBar1 = nullptr;
    HWND ListView1 = nullptr;
    HWND SpeedButton1 = nullptr;
    HMENU PopupMenu1 = nullptr;
    // Shows PopupMenu1 at a screen point and runs the chosen item's click.
    std::function<void(POINT)> popup;
};

class TMapToolBar {
public:
    TMapToolBar(const TMapToolBarControls &controls, TCheckpoints &checkpoints, TInfoPointsOnMap &infoPoints,
                TSettingsValues &settings, const TTripState &trip, const TDispatcherConnection &link);
    // The map, the factory and the layer as the plug-in attached the panel.
    void Attach(IMap *map, IGrymObjectFactory *factory, TLayer *layer);

    // Fetches the checkpoints and rebuilds their shapes. A failing fetch is
    // not reported: the checkpoints read before it are drawn, and none from
    // an earlier fetch.
    void ShowCheckpoints();
    // Fetches the entries of every category shown on the map (rows 2 on)
    // while TMapTool::InfoPoints is down, and rebuilds the icons.
    void ShowInfoPoints();
    // The checkpoints and the info points whose buttons are down, fetched
    // anew. With keepCheckpoints (a trip was chosen), checkpoints already
    // drawn stay: they are the vehicle's, not the trip's.
    void ShowPressed(bool keepCheckpoints = false);
    // Both kinds off the map (the group overview shows none).
    void HideMapPoints();
    void ToolButton1Click();
    void ToolButton2Click();
    void SpeedButton1Click();
    void mnuClick(TMenuItem &item);

private:
    void Redraw() const;

    TMapToolBarControls c_;
    TCheckpoints &checkpoints_;
    TInfoPointsOnMap &infoPoints_;
    TSettingsValues &settings_;
    const TTripState &trip_;
    const TDispatcherConnection &link_;
    TLayer *layer_ = nullptr;
    IMap *map_ = nullptr;
    IGrymObjectFactory *factory_ = nullptr;
};
