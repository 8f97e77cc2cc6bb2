// The box "Выбор ТС и периода": the group, the vehicle (name, number and
// device combos kept index-aligned), the period's pickers, and what follows
// from them: the computation request, the group overview with the vehicles'
// last known points, and following the dispatcher's own choice.
//
// Ownership: the form makes one with itself and frees it with itself; of
// its own it keeps nothing. It is the one writer of the selection's part of
// the panel state (group keys and the flags that keep the panel and the
// dispatcher in step) and of the last points, which the layer draws as
// vehicles (its mode BuildLastPoint); it lets the client go when the
// dispatcher closes. The controls, the map and the layer stay the form's;
// listing trips, stopping the player, hiding the track and the map points
// and refreshing them are the other boxes', reached through the actions it
// is given.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "GrymCore.h"

struct TDispatcherConnection;
struct TLastPoints;
struct TSavedSelection;
struct TSelectionState;
class TLayer;

// What the combos show, by position, kept across a new dispatcher link.
struct TShownSelection {
    int group = -1, vehicle = -1;
};

struct TSelectionControls {
    HWND cmbGroupName = nullptr, cmbCarName = nullptr, cmbCarNum = nullptr, cmbCarDevice = nullptr;
    HWND DateBegin = nullptr, TimeBegin = nullptr, DateEnd = nullptr, TimeEnd = nullptr;
    // The trips list and its labels, emptied when the selection changes.
    HWND cmbInfoPoints = nullptr, ListView1 = nullptr, lblTripNum = nullptr;
};

struct TSelectionActions {
    std::function<void()> ListComputedTrips;  // a computation has ended: list its trips
    std::function<void()> RelistTrips;        // the same trips again, the loaded one kept
    std::function<void()> StopPlayer;
    std::function<void()> RefreshMapObjects;  // checkpoints and info points whose buttons are down
    std::function<void()> HideTrack;          // the group overview shows no trip's track
    std::function<void()> HideMapPoints;      // nor any trip's checkpoints and info points
};

class TSelectionBox {
public:
    TSelectionBox(const TSelectionControls &controls, TSelectionState &selection, TLastPoints &lastPoints,
                  TDispatcherConnection &link, TSelectionActions actions);
    // The map, the factory and the layer as the plug-in attached the panel.
    void Attach(IMap *map, IGrymObjectFactory *factory, TLayer *layer);

    // ---- handlers of the box's controls
    void FillGroups();
    void cmbGroupNameChange();
    void cmbChange(HWND sender);  // any of the three vehicle combos
    void DateTimeChange(HWND sender);

    // Asks the dispatcher to compute the trips of the chosen vehicle and period.
    void RequestTrips();
    // The group overview: with no vehicle chosen, the last known point of
    // each of the group's vehicles.
    void ShowLastPoints();
    // The dispatcher's own choice of group and vehicle, shown in the combos.
    void SyncSelectionFromServer();
    // The saved selection of the settings file, and the trips it stands for.
    // Any failure ends it quietly.
    void RestoreSelection(const TSavedSelection &saved);

    // ---- a new link to the dispatcher
    TShownSelection Shown() const;
    // The groups listed anew and the shown group and vehicle chosen again,
    // with no overview and nothing stopped. With askTrips and a vehicle
    // chosen, its trips are asked for again, to be listed with the loaded
    // trip kept; returns whether they were.
    bool Rechoose(const TShownSelection &shown, bool askTrips);

    // ---- events of the dispatcher client
    void OnEndComputing();
    void OnReceiveOnlineData();
    void OnCloseKarvex();

private:
    // The key of the group chosen in the combo; the keys are aligned with it.
    std::wstring SelectedGroupKey(int index) const;
    // The same row of the three vehicle combos chosen (-1: none), emptied first with clear.
    void SelectVehicle(int index, bool clear = false);
    // The three vehicle combos filled with the group's vehicles.
    void FillVehicles(int group);
    void AskForTrips(bool keepShownTrip);

    TSelectionControls c_;
    TSelectionState &selection_;
    TLastPoints &lastPoints_;
    TDispatcherConnection &link_;
    TSelectionActions actions_;
    TLayer *layer_ = nullptr;
    IMap *map_ = nullptr;
    IGrymObjectFactory *factory_ = nullptr;
};
