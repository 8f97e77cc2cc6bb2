#include "DeviceValues.h"

namespace kxshell {

DevicePoint::DevicePoint(RegistryPtr registry, long x, long y)
    : ComObject(std::move(registry), "DevicePoint"), x_(x), y_(y) {}

HRESULT DevicePoint::GetX(long *x) {
    if (!x) return E_POINTER;
    *x = x_;
    LogValue([&] { return std::string("IDevicePoint.GetX()"); });
    return S_OK;
}

HRESULT DevicePoint::PutX(long x) {
    x_ = x;
    LogValue([&] { return "IDevicePoint.PutX(" + std::to_string(x) + ")"; });
    return S_OK;
}

HRESULT DevicePoint::GetY(long *y) {
    if (!y) return E_POINTER;
    *y = y_;
    LogValue([&] { return std::string("IDevicePoint.GetY()"); });
    return S_OK;
}

HRESULT DevicePoint::PutY(long y) {
    y_ = y;
    LogValue([&] { return "IDevicePoint.PutY(" + std::to_string(y) + ")"; });
    return S_OK;
}

DeviceSize::DeviceSize(RegistryPtr registry, long width, long height)
    : ComObject(std::move(registry), "DeviceSize"), width_(width), height_(height) {}

HRESULT DeviceSize::GetWidth(long *width) {
    if (!width) return E_POINTER;
    *width = width_;
    LogValue([&] { return std::string("IDeviceSize.GetWidth()"); });
    return S_OK;
}

HRESULT DeviceSize::PutWidth(long width) {
    width_ = width;
    LogValue([&] { return "IDeviceSize.PutWidth(" + std::to_string(width) + ")"; });
    return S_OK;
}

HRESULT DeviceSize::GetHeight(long *height) {
    if (!height) return E_POINTER;
    *height = height_;
    LogValue([&] { return std::string("IDeviceSize.GetHeight()"); });
    return S_OK;
}

HRESULT DeviceSize::PutHeight(long height) {
    height_ = height;
    LogValue([&] { return "IDeviceSize.PutHeight(" + std::to_string(height) + ")"; });
    return S_OK;
}

}  // namespace kxshell
