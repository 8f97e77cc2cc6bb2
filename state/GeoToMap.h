// Longitude and latitude in degrees to a map point, through the shell's
// coordinate converter. Made on the stack by whoever converts (the track
// load, the fetches of last points, checkpoints and info points); it keeps
// counted copies of the converter and the factory for its own life.
#pragma once

#include <optional>

#include "Common.h"
#include "ComPtr.h"
#include "GrymCore.h"

// Nothing when the map has no converter. The converter and the geographic
// point it is handed are obtained once per object, so a track load converts
// each point with one ToMap call.
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
