#include "CoordinateSystem.h"

#include "MapPoint.h"

#include <algorithm>
#include <cmath>

namespace kxshell {
namespace {
constexpr double kPi = 3.14159265358979323846;
}

MercatorPoint GeoToMercator(double longitude, double latitude) {
    const double lat = std::clamp(latitude, -kMaxMercatorLatitude, kMaxMercatorLatitude);
    return {kEarthRadius * longitude * kPi / 180.0,
            kEarthRadius * std::log(std::tan(kPi / 4.0 + lat * kPi / 360.0))};
}

MercatorPoint MercatorToGeo(double x, double y) {
    return {x / kEarthRadius * 180.0 / kPi, (2.0 * std::atan(std::exp(y / kEarthRadius)) - kPi / 2.0) * 180.0 / kPi};
}

CoordinateSystem::CoordinateSystem(RegistryPtr registry) : ComObject(std::move(registry), "CoordinateSystem") {}

HRESULT CoordinateSystem::ToMap(IMapPoint *geo, IMapPoint **map) {
    if (!ClearOut(map)) {
        Log("ICoordinateConverter.ToMap(?)");
        return E_POINTER;
    }
    if (!geo) {
        Log("ICoordinateConverter.ToMap(null)");
        return E_INVALIDARG;
    }
    double longitude = 0, latitude = 0;
    HRESULT hr = geo->GetX(&longitude);
    if (SUCCEEDED(hr)) hr = geo->GetY(&latitude);
    LogCall([&] { return "ICoordinateConverter.ToMap(" + FormatDouble(longitude) + ", " + FormatDouble(latitude) + ")"; });
    if (FAILED(hr)) return hr;
    const MercatorPoint p = GeoToMercator(longitude, latitude);
    return Guarded([&] { return CreateInto<MapPoint>(map, SharedRegistry(), p.x, p.y); });
}

}  // namespace kxshell
