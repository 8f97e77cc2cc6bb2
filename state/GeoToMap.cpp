#include "GeoToMap.h"

TGeoToMap::TGeoToMap(IMap *map, IGrymObjectFactory *factory) : factory_(factory)
{
    ComPtr<IUnknown> system;
    if (map) map->CoordinateSystem(system.Put());
    if (system) converter_ = system.As<ICoordinateConverter>();
    if (converter_ && factory_) factory_->CreateMapPoint(0, 0, geo_.Put());
}

std::optional<TMapPoint> TGeoToMap::operator()(double longitude, double latitude) const
{
    if (!Available()) return std::nullopt;
    geo_->PutX(longitude);
    geo_->PutY(latitude);
    ComPtr<IMapPoint> mapped;
    if (FAILED(converter_->ToMap(geo_.Get(), mapped.Put())) || !mapped) return std::nullopt;
    TMapPoint point;
    mapped->GetX(&point.X);
    mapped->GetY(&point.Y);
    return point;
}

std::optional<TMapPoint> GeoToMap(IMap *map, IGrymObjectFactory *factory, double longitude,
                                  double latitude)
{
    return TGeoToMap(map, factory)(longitude, latitude);
}
