#include "MapPoint.h"

namespace kxshell {

MapPoint::MapPoint(RegistryPtr registry, double x, double y)
    : ComObject(std::move(registry), "MapPoint"), x_(x), y_(y) {}

HRESULT MapPoint::GetX(double *x) {
    if (!x) return E_POINTER;
    *x = x_;
    LogValue("IMapPoint.GetX()");
    return S_OK;
}

HRESULT MapPoint::PutX(double x) {
    x_ = x;
    LogValue("IMapPoint.PutX(" + FormatDouble(x) + ")");
    return S_OK;
}

HRESULT MapPoint::GetY(double *y) {
    if (!y) return E_POINTER;
    *y = y_;
    LogValue("IMapPoint.GetY()");
    return S_OK;
}

HRESULT MapPoint::PutY(double y) {
    y_ = y;
    LogValue("IMapPoint.PutY(" + FormatDouble(y) + ")");
    return S_OK;
}

}  // namespace kxshell
