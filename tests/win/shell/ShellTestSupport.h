// Shared by the stand-in shell's tests: an in-memory image file builder,
// byte arrays as a plug-in passes them, and a tiny layer of the test's own.
#pragma once

#include "KXShell.h"

#include <cstdint>
#include <string>
#include <vector>

namespace shelltest {

// An .ico file with one 8-bit 2x2 image: palette 0 red, 1 green, 2 blue,
// pixels (top-down) red green / blue red, the bottom right pixel masked out.
std::vector<uint8_t> TinyIcon();
// A 24-bit 3x2 .bmp, bottom-up, pixel (x, y) = (R x*80, G y*100, B 7).
std::vector<uint8_t> TinyBitmap();

// A one-dimensional byte SAFEARRAY; destroyed by the caller.
SAFEARRAY *ByteArray(const std::vector<uint8_t> &bytes);

struct TestShape {
    long id;
    long kind;
    std::vector<double> coordinates;
    std::wstring title;
    std::wstring hint;
    ComPtr<IMapPoint> label;
    ComPtr<ITextSymbol> text;
    ComPtr<ISymbol> symbol;
};

// A layer as a plug-in writes one: its own cursor over a shape list.
class TestLayer final : public IShapeLayer, public IShapeSource, public IShapeCursor {
public:
    std::vector<TestShape> shapes;
    bool badGeometry = false;  // hands out a VT_ARRAY|VT_I4 array
    bool skipSetId = false;
    bool ignoresRectangle = false;  // selects every shape, in view or not
    int *destroyedFlag = nullptr;

    ULONG Refs() const { return refs_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetVisible(VARIANT_BOOL *visible) override;
    HRESULT STDMETHODCALLTYPE PutVisible(VARIANT_BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE AcceptsMode(long, long, VARIANT_BOOL *accepts) override;

    HRESULT STDMETHODCALLTYPE ShownAtLevel(long, long, VARIANT_BOOL *shown) override;
    HRESULT STDMETHODCALLTYPE FlagOne(VARIANT_BOOL *flag) override;
    HRESULT STDMETHODCALLTYPE FlagTwo(VARIANT_BOOL *flag) override;
    HRESULT STDMETHODCALLTYPE Unsupported(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SelectInRect(IMapRect *rect, IShapeCursor **cursor) override;
    HRESULT STDMETHODCALLTYPE SelectById(long id, IShapeCursor **cursor) override;

    HRESULT STDMETHODCALLTYPE Next(IShapeSink *sink, VARIANT_BOOL *more) override;
    HRESULT STDMETHODCALLTYPE Title(BSTR *title) override;
    HRESULT STDMETHODCALLTYPE Hint(BSTR *hint) override;
    HRESULT STDMETHODCALLTYPE LabelPoint(IMapPoint **point) override;
    HRESULT STDMETHODCALLTYPE TextSymbol(ITextSymbol **symbol) override;
    HRESULT STDMETHODCALLTYPE SymbolAs1(ILineSymbol **symbol) override;
    HRESULT STDMETHODCALLTYPE SymbolAs2(IPolygonSymbol **symbol) override;
    HRESULT STDMETHODCALLTYPE SymbolAs3(IRasterSymbol **symbol) override;

private:
    template <class I>
    HRESULT CurrentSymbolAs(I **out);

    ULONG refs_ = 0;
    std::vector<size_t> found_;
    size_t position_ = 0;
    const TestShape *current_ = nullptr;
};

}  // namespace shelltest
