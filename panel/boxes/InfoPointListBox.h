// The box "Информационные точки": the category combo cmbInfoPoints switches
// the shared list ListView1 between the trips of the period and the entries
// of one category of the current trip, filtered by the minimum duration in
// txtCont (its up-down UpDown2 steps the text, which raises txtContChange).
//
// With the trips listed, a click chooses a trip: its track is loaded, drawn
// and handed to the player, and its stops kept for skipping; with a
// category listed, a click moves the player to the entry's start. The track
// button of the tool bar (TMapTool::Track) shows or hides the trip's track.
//
// Ownership: the form makes one with itself and frees it with itself; of
// its own it keeps nothing. It is the one writer of the trip's part of the
// panel state (track, its index, stops, current trip), which the layer draws
// as the track line (its mode BuildTrack), and reads the category table of
// the settings values. The controls are the form's; the player, the slider
// and the map's points are reached through the actions it is given.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "GrymCore.h"

struct TDispatcherConnection;
struct TSettingsValues;
struct TTripState;
class TLayer;

struct TInfoPointListControls {
    HWND cmbInfoPoints = nullptr;
    HWND ListView1 = nullptr;
    HWND txtCont = nullptr;
    HWND lblTripNum = nullptr;
    HWND ToolBar1 = nullptr;
};

struct TInfoPointListActions {
    std::function<void()> StopPlayer;
    // The slider as the form sets it: a range set by the program raises no
    // change event; a move is clamped and raises one when it changes.
    std::function<void(int, int)> SetSliderRange;
    std::function<void(int)> MoveSlider;
    // The map points of the trip loaded: the checkpoints when none are
    // drawn, and the info points, each while its button is down.
    std::function<void()> ShowMapPoints;
};

class TInfoPointListBox {
public:
    TInfoPointListBox(const TInfoPointListControls &controls, const TSettingsValues &settings, TTripState &trip,
                      const TDispatcherConnection &link, TInfoPointListActions actions);
    // The map, the factory and the layer as the plug-in attached the panel.
    void Attach(IMap *map, IGrymObjectFactory *factory, TLayer *layer);

    // ---- the trips
    // Lists the trips of the last computation, selecting the current one
    // (the first when none) and loading its track.
    void FillTrips();
    // A new computation's trips: listed from the first.
    void ListComputedTrips();
    // The same trips from a new link to the dispatcher: listed with the row
    // chosen before selected again and nothing loaded, so that the replay
    // goes on. An info-point list on show stays.
    void RelistTrips();
    // The trip's track in one call, converted to map points, indexed, drawn;
    // the player stops at its start. A failure leaves the loaded track whole.
    void LoadTrack(int trip);
    void TripsListBoxClick();
    void ToolButton4Click();
    // The track line off the map (the group overview shows none).
    void HideTrack();
    void SelectEntriesList(const std::wstring &query);

    // ---- the categories

    // Rebuilds the combo: "Список рейсов", then every row offered in the
    // list; selects the trips and lists them.
    void FillInfoPointCategories();
    // Lists the trips (item 0) or the chosen category's entries.
    void cmbInfoPointsChange();
    // Digits and backspace only; a key other than a digit turns an empty
    // box into "0".
    void txtContKeyPress(wchar_t &key);
    // An emptied box shows "0" (selected, so that the next digit replaces
    // it); a changed minimum refills a category's list.
    void txtContChange();

    // The category row (1-based) shown, 0 for the trips, -1 with nothing chosen.
    int ShownCategory() const;
    // The minimum duration in seconds typed in txtCont; a clear error for
    // anything but a whole number.
    long long MinimumSeconds() const;

private:
    // The computed trips as rows; false when none are listed.
    bool ListTripRows();
    void ListEntries(int row);

    TInfoPointListControls c_;
    const TSettingsValues &settings_;
    TTripState &trip_;
    const TDispatcherConnection &link_;
    TInfoPointListActions actions_;
    TLayer *layer_ = nullptr;
    IMap *map_ = nullptr;
    IGrymObjectFactory *factory_ = nullptr;
};
