#include "MapRect.h"

namespace kxshell {

MapRect::MapRect(RegistryPtr registry, const RectValues &values)
    : ComObject(std::move(registry), "MapRect"), values_(values) {}

HRESULT MapRect::Answer(double *out, double value, const char *name) {
    if (!out) return E_POINTER;
    *out = value;
    LogValue([&] { return std::string("IMapRect.") + name + "()"; });
    return S_OK;
}

HRESULT MapRect::GetMinX(double *value) { return Answer(value, values_.minX, "GetMinX"); }
HRESULT MapRect::GetMinY(double *value) { return Answer(value, values_.minY, "GetMinY"); }
HRESULT MapRect::GetMaxX(double *value) { return Answer(value, values_.maxX, "GetMaxX"); }
HRESULT MapRect::GetMaxY(double *value) { return Answer(value, values_.maxY, "GetMaxY"); }
HRESULT MapRect::GetWidth(double *value) { return Answer(value, values_.Width(), "GetWidth"); }
HRESULT MapRect::GetHeight(double *value) { return Answer(value, values_.Height(), "GetHeight"); }

}  // namespace kxshell
