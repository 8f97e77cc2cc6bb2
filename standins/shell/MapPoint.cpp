#include "MapPoint.h"

namespace kxshell {

MapPoint::MapPoint(RegistryPtr registry, double x, double y)
    : ComObject(std::move(registry), "MapPoint"), x_(x), y_(y) {}

HRESULT MapPoint::GetX(double *x) {
    if (!x) return E_POINTER;
    *x = x_;
    LogValue([&] { return std::string("IMapPoint.GetX()"); });
    return S_OK;
}

HRESULT MapPoint::PutX(double x) {
    x_ = x;
    LogValue([&] { return "IMapPoint.PutX(" + FormatDouble(x) + ")"; });
    return S_OK;
}

HRESULT MapPoint::GetY(double *y) {
    if (!y) return E_POINTER;
    *y = y_;
    LogValue([&] { return std::string("IMapPoint.GetY()"); });
    return S_OK;
}

HRESULT MapPoint::PutY(double y) {
    y_ = y;
    LogValue([&] { return "IMapPoint.PutY(" + FormatDouble(y) + ")"; });
    return S_OK;
}

}  // namespace kxshell
