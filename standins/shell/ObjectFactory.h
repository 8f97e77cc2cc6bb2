// The shell's object factory: values (points, sizes, rectangles), rasters
// from image file bytes, and drawing symbols.
#pragma once

#include "ShellObject.h"

namespace kxshell {

class ObjectFactory : public ComObject<IGrymObjectFactory> {
public:
    explicit ObjectFactory(RegistryPtr registry);

    HRESULT STDMETHODCALLTYPE CreateDevicePoint(long x, long y, IDevicePoint **point) override;
    HRESULT STDMETHODCALLTYPE Reserved2() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateDeviceSize(long width, long height, IDeviceSize **size) override;
    HRESULT STDMETHODCALLTYPE CreateMapPoint(double x, double y, IMapPoint **point) override;
    HRESULT STDMETHODCALLTYPE CreateMapRect(double minX, double minY, double maxX, double maxY,
                                            IMapRect **rect) override;
    HRESULT STDMETHODCALLTYPE Reserved6() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved7() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved8() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateRaster(SAFEARRAY *bytes, IRaster **raster) override;
    HRESULT STDMETHODCALLTYPE Reserved10() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved11() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved12() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved13() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateLineSymbol(long style, double width, long colour, ISymbol **symbol) override;
    HRESULT STDMETHODCALLTYPE CreatePolygonSymbol(long style, long fillColour, long backColour, ISymbol *outline,
                                                  ISymbol **symbol) override;
    HRESULT STDMETHODCALLTYPE CreateRasterSymbol(IRaster *raster, double scale, ISymbol **symbol) override;
    HRESULT STDMETHODCALLTYPE CreateTextSymbol(IFont *font, long colour, ITextSymbol **symbol) override;
};

}  // namespace kxshell
