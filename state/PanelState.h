// The panel state: what the panel copies from the dispatcher program, read
// directly by the layer when it builds shapes and by the player. One set per
// module, not per form: the client and the arrays outlive a form destroyed
// without the plug-in's Terminate (nothing is freed then).
#pragma once

#include "Common.h"
#include "DispatcherLink.h"
#include "ComPtr.h"
#include "GrymCore.h"

#include "kx/geometry.h"
#include "kx/infopoints.h"
#include "kx/track.h"

#include <optional>
#include <string>
#include <vector>

struct TPanelState {
    // ---- the dispatcher program's client
    // Owned, but freed only by ActiveFormDestroy: a form destroyed on its own
    // leaves the connection alone, and freeing COM clients at DLL unload is unsafe.
    IDispatcherLink *Client = nullptr;
    const void *ClientEventsOwner = nullptr;  // the form the client's events are bound to

    // ---- track of the selected trip
    // The delivered five numbers per point (time, X, Y, distance, speed) with
    // X and Y replaced by map coordinates once loaded, and the same points as
    // TrackMapPoints. Replaced whole by each load; empty before the first.
    kx::Track Track;
    // The track's segments indexed for the search from the track line; built
    // with each load, replaced and cleared with the track.
    kx::SegmentIndex TrackIndex;
    std::vector<kx::TStops> TripStops;
    int CurrentTrip = 0;  // 1-based in the trips list; 0: the next list selects trip 1

    int TrackPointCount() const { return Track.count(); }
    const TMapPointArray &TrackMapPoints() const { return Track.mapPoints(); }

    // ---- player
    int CurrentPointIndex = 0;
    kx::TDateTime PlayTime = 0;
    kx::TDateTime PlayAnchorTime = 0;
    kx::TDateTime PlayWallClock = 0;
    int PlaySpeed = 600;

    // ---- groups and vehicles
    // One server key per item of cmbGroupName, same order; absent until the
    // first fill.
    std::optional<std::vector<std::wstring>> GroupKeys;
    TMapPointArrays LastPoints;              // one one-point array per vehicle
    std::vector<std::wstring> LastPointTexts;  // balloon text per vehicle
    int LastPointIndex = 0;                  // vehicle the layer adds next (mode 5)

    // ---- flags that keep the panel and the dispatcher in step
    bool ComputeRequested = false;
    bool SyncingFromServer = false;
    bool SkipNextEndComputing = false;

    // ---- marker, checkpoints, info points
    TMapPointArrays MarkerPolygons;          // the vehicle marker's two polygons
    int CheckpointCount = 0;
    TMapPointArrays CheckpointCircles;
    std::vector<std::wstring> CheckpointTexts;
    bool LoadKT = false;                     // checkpoints shown on the map (ToolButton1 down)
    // The category table; the settings file replaces the default rows.
    std::vector<kx::TInfoPoints> InfoPointCategories = kx::DefaultInfoPointCategories();
    int InfoPointCategoryCount() const { return static_cast<int>(InfoPointCategories.size()); }
    TMapPointArrayss InfoPointPositions;
    std::vector<std::vector<std::wstring>> InfoPointTexts;
    std::vector<int> InfoPointCounts;

    // ---- the settings file
    // Set by the settings read at start-up. Until it has run, the write at
    // shut-down leaves the file alone (a panel that never started holds only
    // its layout's defaults); until it has read the whole category table,
    // the write keeps the file's own categories.
    bool SettingsRead = false;
    bool InfoPointCategoriesRead = false;

    // What shut-down clears (the client is freed by its caller).
    void ClearForShutdown();
};

TPanelState &PanelState();

// Longitude and latitude in degrees to a map point, through the shell's
// coordinate converter. Nothing when the map has no converter. The converter
// and the geographic point it is handed are obtained once per object, so a
// track load converts each point with one ToMap call.
class TGeoToMap {
public:
    TGeoToMap(IMap *map, IGrymObjectFactory *factory);
    std::optional<TMapPoint> operator()(double longitude, double latitude) const;
    bool Available() const { return converter_ && factory_ && geo_; }

private:
    ComPtr<ICoordinateConverter> converter_;
    ComPtr<IGrymObjectFactory> factory_;
    ComPtr<IMapPoint> geo_;  // refilled for each conversion
};

std::optional<TMapPoint> GeoToMap(IMap *map, IGrymObjectFactory *factory, double longitude,
                                  double latitude);
