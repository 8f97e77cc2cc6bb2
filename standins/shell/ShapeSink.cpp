#include "ShapeSink.h"

#include <algorithm>

namespace kxshell {

ShapeSink::ShapeSink(RegistryPtr registry) : ComObject(std::move(registry), "ShapeSink") {}

void ShapeSink::Reset() {
    hasId_ = hasGeometry_ = false;
    id_ = 0;
    kind_ = -1;
    if (spare_ && !spare_->empty()) {
        geometry_ = std::move(spare_->back());
        spare_->pop_back();
    }
    ClearGeometry();
    problem_.clear();
}

void ShapeSink::ClearGeometry() {
    // The arrays keep their room.
    geometry_.coordinates.clear();
    geometry_.partStarts.clear();
    geometry_.received = 0;
    geometry_.extent = RectValues{};
}

HRESULT ShapeSink::SetId(long id) {
    hasId_ = true;
    id_ = id;
    return S_OK;
}

HRESULT ShapeSink::SetGeometry(long kind, VARIANT coordinates) {
    return Guarded([&]() -> HRESULT {
        hasGeometry_ = true;
        kind_ = kind;
        ClearGeometry();
        problem_.clear();
        SAFEARRAY *array = coordinates.parray;
        if (coordinates.vt != (VT_ARRAY | VT_R8)) problem_ = "coordinates are not VT_ARRAY|VT_R8";
        else if (!array) problem_ = "coordinates carry no array";
        else if (SafeArrayGetDim(array) != 1) problem_ = "coordinate array is not one-dimensional";
        else if (array->cbElements != sizeof(double)) problem_ = "coordinate elements are not 8 bytes";
        else if (array->rgsabound[0].cElements % 2 != 0) problem_ = "odd number of coordinates";
        else if (kind < 0 || kind > 2) problem_ = "unknown shape kind " + std::to_string(kind);
        if (!problem_.empty()) return E_INVALIDARG;
        const ULONG count = array->rgsabound[0].cElements;
        if (count == 0) return S_OK;
        void *data = nullptr;
        HRESULT hr = SafeArrayAccessData(array, &data);
        if (FAILED(hr)) {
            problem_ = "coordinate array cannot be locked";
            return hr;
        }
        const double *values = static_cast<const double *>(data);
        if (reducer_) {
            reducer_->Reduce(kind, values, count / 2, geometry_);
        } else {
            geometry_.coordinates.assign(values, values + count);
            geometry_.received = count / 2;
            RectValues &e = geometry_.extent;
            e = {values[0], values[1], values[0], values[1]};
            for (ULONG i = 2; i < count; i += 2) {
                e.minX = std::min(e.minX, values[i]);
                e.maxX = std::max(e.maxX, values[i]);
                e.minY = std::min(e.minY, values[i + 1]);
                e.maxY = std::max(e.maxY, values[i + 1]);
            }
        }
        SafeArrayUnaccessData(array);
        return S_OK;
    });
}

}  // namespace kxshell
