// A point in map coordinates (metres of spherical Mercator).
#pragma once

#include "ShellObject.h"

namespace kxshell {

class MapPoint : public ComObject<IMapPoint> {
public:
    MapPoint(RegistryPtr registry, double x, double y);

    double X() const { return x_; }
    double Y() const { return y_; }
    void Set(double x, double y) { x_ = x; y_ = y; }

    HRESULT STDMETHODCALLTYPE GetX(double *x) override;
    HRESULT STDMETHODCALLTYPE PutX(double x) override;
    HRESULT STDMETHODCALLTYPE GetY(double *y) override;
    HRESULT STDMETHODCALLTYPE PutY(double y) override;

private:
    double x_;
    double y_;
};

}  // namespace kxshell
