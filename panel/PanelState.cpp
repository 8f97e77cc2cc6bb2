#include "PanelState.h"

TPanelState &PanelState()
{
    static TPanelState state;
    return state;
}

void TPanelState::ClearForShutdown()
{
    // The track goes whole: its map points cannot outlive its numbers.
    Track = kx::Track();
    TrackIndex = kx::SegmentIndex();
    CheckpointCircles.clear();
    InfoPointPositions.clear();
    MarkerPolygons.clear();
}

TGeoToMap::TGeoToMap(IMap *map, IGrymObjectFactory *factory) : factory_(factory)
{
    ComPtr<IUnknown> system;
    if (map) map->CoordinateSystem(system.Put());
    if (system) converter_ = system.As<ICoordinateConverter>();
}

std::optional<TMapPoint> TGeoToMap::operator()(double longitude, double latitude) const
{
    if (!Available()) return std::nullopt;
    ComPtr<IMapPoint> geo;
    factory_->CreateMapPoint(0, 0, geo.Put());
    if (!geo) return std::nullopt;
    geo->PutX(longitude);
    geo->PutY(latitude);
    ComPtr<IMapPoint> mapped;
    if (FAILED(converter_->ToMap(geo.Get(), mapped.Put())) || !mapped) return std::nullopt;
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
