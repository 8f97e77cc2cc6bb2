// The map buttons of the player's tool bar: ToolButton1 shows the
// checkpoints of the dispatcher's chosen vehicle as circles, ToolButton2 the
// entries of the current trip as icons, and SpeedButton1 opens PopupMenu1,
// whose items show or hide one category's icons.
//
// The form makes one for each call: it holds no state of its own. It is the
// one writer of the checkpoints and the info points on the map (which the
// layer reads when it builds modes 4 and 3), and changes the user's LoadKT
// choice and the rows' VisibleIcon flags in the settings values; it reads
// the current trip. The controls, the menu items, the map and the layer
// stay the form's.
#pragma once

#include <windows.h>

#include <functional>

#include "GrymCore.h"
#include "MenuItem.h"

struct TCheckpoints;
struct TInfoPointsOnMap;
struct TSettingsValues;
struct TTripState;
class TLayer;

struct TMapToolBarControls {
    HWND ToolBar1 = nullptr;
    UINT ToolButton1 = 0;  // command ids of the two check buttons
    UINT ToolButton2 = 0;
    HWND ListView1 = nullptr;
    HWND SpeedButton1 = nullptr;
    HMENU PopupMenu1 = nullptr;
    // Shows PopupMenu1 at a screen point and runs the chosen item's click.
    std::function<void(POINT)> popup;
};

class TMapToolBar {
public:
    TMapToolBar(const TMapToolBarControls &controls, TCheckpoints &checkpoints, TInfoPointsOnMap &infoPoints,
                TSettingsValues &settings, const TTripState &trip, TLayer *layer, IMap *map,
                IGrymObjectFactory *factory);

    // Fetches the checkpoints while ToolButton1 is down and rebuilds their
    // shapes. A failing fetch is not reported: the checkpoints read before
    // it are drawn, and none from an earlier fetch.
    void ShowCheckpoints();
    // Fetches the entries of every category shown on the map (rows 2 on)
    // while ToolButton2 is down, and rebuilds the icons.
    void ShowInfoPoints();
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
    TLayer *layer_;
    IMap *map_;
    IGrymObjectFactory *factory_;
};
