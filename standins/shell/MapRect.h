// A rectangle in map coordinates. The shell's rectangle has more operations
// than a plug-in uses; those slots answer E_NOTIMPL.
#pragma once

#include "ShellObject.h"

namespace kxshell {

struct RectValues {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    double Width() const { return maxX - minX; }
    double Height() const { return maxY - minY; }
    bool operator==(const RectValues &o) const {
        return minX == o.minX && minY == o.minY && maxX == o.maxX && maxY == o.maxY;
    }
};

class MapRect : public ComObject<IMapRect> {
public:
    MapRect(RegistryPtr registry, const RectValues &values);

    const RectValues &Values() const { return values_; }

    HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved2() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMinX(double *value) override;
    HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMinY(double *value) override;
    HRESULT STDMETHODCALLTYPE Reserved6() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMaxX(double *value) override;
    HRESULT STDMETHODCALLTYPE Reserved8() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMaxY(double *value) override;
    HRESULT STDMETHODCALLTYPE Reserved10() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetWidth(double *value) override;
    HRESULT STDMETHODCALLTYPE GetHeight(double *value) override;

private:
    HRESULT Answer(double *out, double value, const char *name);
    RectValues values_;
};

}  // namespace kxshell
