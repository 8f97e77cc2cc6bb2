// The map's coordinate system: longitude and latitude in degrees to
// spherical ("web") Mercator metres on a sphere of radius 6378137 m.
#pragma once

#include "ShellObject.h"

namespace kxshell {

constexpr double kEarthRadius = 6378137.0;
// Beyond this latitude the projection is cut off, as web maps do.
constexpr double kMaxMercatorLatitude = 85.05112877980659;

struct MercatorPoint {
    double x;
    double y;
};

MercatorPoint GeoToMercator(double longitude, double latitude);
MercatorPoint MercatorToGeo(double x, double y);  // x: longitude, y: latitude

class CoordinateSystem : public ComObject<ICoordinateConverter> {
public:
    explicit CoordinateSystem(RegistryPtr registry);

    HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ToMap(IMapPoint *geo, IMapPoint **map) override;
};

}  // namespace kxshell
