// Points and sizes in pixels of the map window's client area.
#pragma once

#include "ShellObject.h"

namespace kxshell {

class DevicePoint : public ComObject<IDevicePoint> {
public:
    DevicePoint(RegistryPtr registry, long x, long y);

    long X() const { return x_; }
    long Y() const { return y_; }

    HRESULT STDMETHODCALLTYPE GetX(long *x) override;
    HRESULT STDMETHODCALLTYPE PutX(long x) override;
    HRESULT STDMETHODCALLTYPE GetY(long *y) override;
    HRESULT STDMETHODCALLTYPE PutY(long y) override;

private:
    long x_;
    long y_;
};

class DeviceSize : public ComObject<IDeviceSize> {
public:
    DeviceSize(RegistryPtr registry, long width, long height);

    long Width() const { return width_; }
    long Height() const { return height_; }

    HRESULT STDMETHODCALLTYPE GetWidth(long *width) override;
    HRESULT STDMETHODCALLTYPE PutWidth(long width) override;
    HRESULT STDMETHODCALLTYPE GetHeight(long *height) override;
    HRESULT STDMETHODCALLTYPE PutHeight(long height) override;

private:
    long width_;
    long height_;
};

}  // namespace kxshell
