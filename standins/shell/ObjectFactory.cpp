#include "ObjectFactory.h"
#include "Bstr.h"

#include "ComPtr.h"
#include "DeviceValues.h"
#include "MapPoint.h"
#include "MapRect.h"
#include "Raster.h"
#include "Symbols.h"

#include <olectl.h>

namespace kxshell {

ObjectFactory::ObjectFactory(RegistryPtr registry) : ComObject(std::move(registry), "ObjectFactory") {}

HRESULT ObjectFactory::CreateDevicePoint(long x, long y, IDevicePoint **point) {
    Log("IGrymObjectFactory.CreateDevicePoint(" + std::to_string(x) + ", " + std::to_string(y) + ")");
    if (!ClearOut(point)) return E_POINTER;
    return Guarded([&] { return CreateInto<DevicePoint>(point, SharedRegistry(), x, y); });
}

HRESULT ObjectFactory::CreateDeviceSize(long width, long height, IDeviceSize **size) {
    Log("IGrymObjectFactory.CreateDeviceSize(" + std::to_string(width) + ", " + std::to_string(height) + ")");
    if (!ClearOut(size)) return E_POINTER;
    return Guarded([&] { return CreateInto<DeviceSize>(size, SharedRegistry(), width, height); });
}

HRESULT ObjectFactory::CreateMapPoint(double x, double y, IMapPoint **point) {
    Log("IGrymObjectFactory.CreateMapPoint(" + FormatDouble(x) + ", " + FormatDouble(y) + ")");
    if (!ClearOut(point)) return E_POINTER;
    return Guarded([&] { return CreateInto<MapPoint>(point, SharedRegistry(), x, y); });
}

HRESULT ObjectFactory::CreateMapRect(double minX, double minY, double maxX, double maxY, IMapRect **rect) {
    Log("IGrymObjectFactory.CreateMapRect(" + FormatDouble(minX) + ", " + FormatDouble(minY) + ", " +
        FormatDouble(maxX) + ", " + FormatDouble(maxY) + ")");
    if (!ClearOut(rect)) return E_POINTER;
    return Guarded([&] { return CreateInto<MapRect>(rect, SharedRegistry(), RectValues{minX, minY, maxX, maxY}); });
}

HRESULT ObjectFactory::CreateRaster(SAFEARRAY *bytes, IRaster **raster) {
    if (!ClearOut(raster)) {
        Log("IGrymObjectFactory.CreateRaster(?)");
        return E_POINTER;
    }
    if (!bytes || SafeArrayGetDim(bytes) != 1 || bytes->cbElements != 1) {
        Log("IGrymObjectFactory.CreateRaster(invalid array)");
        return E_INVALIDARG;
    }
    const ULONG count = bytes->rgsabound[0].cElements;
    Log("IGrymObjectFactory.CreateRaster(" + std::to_string(count) + " bytes)");
    if (count == 0) return E_INVALIDARG;
    return Guarded([&]() -> HRESULT {
        void *data = nullptr;
        HRESULT hr = SafeArrayAccessData(bytes, &data);
        if (FAILED(hr)) return hr;
        std::vector<uint8_t> copy(static_cast<const uint8_t *>(data), static_cast<const uint8_t *>(data) + count);
        SafeArrayUnaccessData(bytes);
        ComPtr<Raster> made(new Raster(SharedRegistry(), std::move(copy)));
        // Bytes that are no image file are refused, as a shell that has to
        // draw them would.
        if (made->Image().format == ImageFormat::Unknown) return E_INVALIDARG;
        *raster = made.Detach();
        return S_OK;
    });
}

HRESULT ObjectFactory::CreateLineSymbol(long style, double width, long colour, ISymbol **symbol) {
    Log("IGrymObjectFactory.CreateLineSymbol(" + std::to_string(style) + ", " + FormatDouble(width) + ", " +
        FormatHex(static_cast<unsigned long>(colour)) + ")");
    if (!ClearOut(symbol)) return E_POINTER;
    return Guarded([&] { return CreateInto<LineSymbol, ISymbol>(symbol, SharedRegistry(), style, width, colour); });
}

HRESULT ObjectFactory::CreatePolygonSymbol(long style, long fillColour, long backColour, ISymbol *outline,
                                           ISymbol **symbol) {
    Log("IGrymObjectFactory.CreatePolygonSymbol(" + std::to_string(style) + ", " +
        FormatHex(static_cast<unsigned long>(fillColour)) + ", " + FormatHex(static_cast<unsigned long>(backColour)) +
        ", " + (outline ? "outline" : "null") + ")");
    if (!ClearOut(symbol)) return E_POINTER;
    return Guarded([&] {
        return CreateInto<PolygonSymbol, ISymbol>(symbol, SharedRegistry(), style, fillColour, backColour, outline);
    });
}

HRESULT ObjectFactory::CreateRasterSymbol(IRaster *raster, double scale, ISymbol **symbol) {
    Log("IGrymObjectFactory.CreateRasterSymbol(" + std::string(raster ? "raster" : "null") + ", " +
        FormatDouble(scale) + ")");
    if (!ClearOut(symbol)) return E_POINTER;
    return Guarded([&] { return CreateInto<RasterSymbol, ISymbol>(symbol, SharedRegistry(), raster, scale); });
}

HRESULT ObjectFactory::CreateTextSymbol(IFont *font, long colour, ITextSymbol **symbol) {
    if (!ClearOut(symbol)) {
        Log("IGrymObjectFactory.CreateTextSymbol(?)");
        return E_POINTER;
    }
    return Guarded([&]() -> HRESULT {
        // Used through IFont's own table, as the shell does: no query first.
        IFont *oleFont = font;
        if (!oleFont) {
            Log("IGrymObjectFactory.CreateTextSymbol(no font, " + FormatHex(static_cast<unsigned long>(colour)) + ")");
            return E_INVALIDARG;
        }
        Bstr name;
        CY size{};
        SHORT weight = 0;
        BOOL italic = FALSE;
        oleFont->get_Name(name.Put());
        oleFont->get_Size(&size);
        oleFont->get_Weight(&weight);
        oleFont->get_Italic(&italic);
        const std::wstring face = name.Str();
        // CY holds points in ten-thousandths.
        const double points = static_cast<double>(size.int64) / 10000.0;
        Log("IGrymObjectFactory.CreateTextSymbol(\"" + Utf8(face) + "\" " + FormatDouble(points) + " " +
            std::to_string(weight) + ", " + FormatHex(static_cast<unsigned long>(colour)) + ")");
        return CreateInto<TextSymbol>(symbol, SharedRegistry(), face, points, weight, italic != FALSE, colour);
    });
}

}  // namespace kxshell
