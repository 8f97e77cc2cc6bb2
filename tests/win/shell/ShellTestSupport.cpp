#include "ShellTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace shelltest {
namespace {

// Every test runs in a COM apartment, as the shell's user-interface thread.
class ComEnvironment : public testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }
};
const auto *const kComEnvironment = testing::AddGlobalTestEnvironment(new ComEnvironment);

void Put16(std::vector<uint8_t> &v, uint16_t x) { v.push_back(x & 0xFF); v.push_back(x >> 8); }
void Put32(std::vector<uint8_t> &v, uint32_t x) { for (int i = 0; i < 4; ++i) v.push_back((x >> (8 * i)) & 0xFF); }

void InfoHeader(std::vector<uint8_t> &v, int32_t width, int32_t height, uint16_t bits, uint32_t colours) {
    Put32(v, 40); Put32(v, static_cast<uint32_t>(width)); Put32(v, static_cast<uint32_t>(height));
    Put16(v, 1); Put16(v, bits); Put32(v, 0); Put32(v, 0); Put32(v, 0); Put32(v, 0);
    Put32(v, colours); Put32(v, 0);
}

}  // namespace

std::vector<uint8_t> TinyIcon() {
    std::vector<uint8_t> dib;
    InfoHeader(dib, 2, 4, 8, 3);  // icon height counts image and mask
    const uint8_t palette[] = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};  // B G R x
    dib.insert(dib.end(), palette, palette + sizeof palette);
    // Bottom-up rows padded to 4 bytes: bottom row blue red, top row red green.
    const uint8_t pixels[] = {2, 0, 0, 0, 0, 1, 0, 0};
    dib.insert(dib.end(), pixels, pixels + sizeof pixels);
    // AND mask, bottom row first: bottom right pixel (x 1) transparent.
    const uint8_t mask[] = {0x40, 0, 0, 0, 0x00, 0, 0, 0};
    dib.insert(dib.end(), mask, mask + sizeof mask);

    std::vector<uint8_t> file;
    Put16(file, 0); Put16(file, 1); Put16(file, 1);
    file.push_back(2); file.push_back(2); file.push_back(3); file.push_back(0);
    Put16(file, 1); Put16(file, 8); Put32(file, static_cast<uint32_t>(dib.size())); Put32(file, 22);
    file.insert(file.end(), dib.begin(), dib.end());
    return file;
}

std::vector<uint8_t> TinyBitmap() {
    std::vector<uint8_t> dib;
    InfoHeader(dib, 3, 2, 24, 0);
    for (int row = 0; row < 2; ++row) {
        const int y = 1 - row;  // bottom-up
        for (int x = 0; x < 3; ++x) {
            dib.push_back(7);
            dib.push_back(static_cast<uint8_t>(y * 100));
            dib.push_back(static_cast<uint8_t>(x * 80));
        }
        dib.insert(dib.end(), 3, 0);  // 9 bytes padded to 12
    }
    std::vector<uint8_t> file = {'B', 'M'};
    Put32(file, static_cast<uint32_t>(14 + dib.size())); Put32(file, 0); Put32(file, 14 + 40);
    file.insert(file.end(), dib.begin(), dib.end());
    return file;
}

SAFEARRAY *ByteArray(const std::vector<uint8_t> &bytes) {
    SAFEARRAY *array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    void *data = nullptr;
    SafeArrayAccessData(array, &data);
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array);
    return array;
}

HRESULT TestLayer::QueryInterface(REFIID iid, void **out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(IShapeLayer)))
        *out = static_cast<IShapeLayer *>(this);
    else if (IsEqualIID(iid, __uuidof(IShapeSource)))
        *out = static_cast<IShapeSource *>(this);
    else if (IsEqualIID(iid, __uuidof(IShapeCursor)))
        *out = static_cast<IShapeCursor *>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG TestLayer::Release() {
    const ULONG left = --refs_;
    if (left == 0) {
        if (destroyedFlag) ++*destroyedFlag;
        delete this;
    }
    return left;
}

HRESULT TestLayer::GetVisible(VARIANT_BOOL *visible) {
    if (!visible) return E_POINTER;
    *visible = VARIANT_TRUE;
    return S_OK;
}

HRESULT TestLayer::AcceptsMode(long, long b, VARIANT_BOOL *accepts) {
    if (!accepts) return E_POINTER;
    *accepts = b == 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT TestLayer::ShownAtLevel(long a, long b, VARIANT_BOOL *shown) {
    if (!shown) return E_POINTER;
    *shown = a <= 5000 && b == 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT TestLayer::FlagOne(VARIANT_BOOL *flag) { if (!flag) return E_POINTER; *flag = VARIANT_TRUE; return S_OK; }
HRESULT TestLayer::FlagTwo(VARIANT_BOOL *flag) { if (!flag) return E_POINTER; *flag = VARIANT_FALSE; return S_OK; }

HRESULT TestLayer::SelectInRect(IMapRect *rect, IShapeCursor **cursor) {
    if (!cursor) return E_POINTER;
    *cursor = nullptr;
    if (!rect) return E_INVALIDARG;
    double minX, minY, maxX, maxY;
    rect->GetMinX(&minX); rect->GetMinY(&minY); rect->GetMaxX(&maxX); rect->GetMaxY(&maxY);
    found_.clear();
    for (size_t i = 0; i < shapes.size(); ++i) {
        const auto &c = shapes[i].coordinates;
        if (ignoresRectangle) {
            found_.push_back(i);
            continue;
        }
        for (size_t k = 0; k + 1 < c.size(); k += 2)
            if (c[k] >= minX && c[k] <= maxX && c[k + 1] >= minY && c[k + 1] <= maxY) {
                found_.push_back(i);
                break;
            }
    }
    if (found_.empty()) return S_FALSE;
    position_ = 0;
    return QueryInterface(__uuidof(IShapeCursor), reinterpret_cast<void **>(cursor));
}

HRESULT TestLayer::SelectById(long id, IShapeCursor **cursor) {
    if (!cursor) return E_POINTER;
    *cursor = nullptr;
    found_.clear();
    for (size_t i = 0; i < shapes.size(); ++i)
        if (shapes[i].id == id) found_.push_back(i);
    if (found_.empty()) return S_FALSE;
    position_ = 0;
    return QueryInterface(__uuidof(IShapeCursor), reinterpret_cast<void **>(cursor));
}

HRESULT TestLayer::Next(IShapeSink *sink, VARIANT_BOOL *more) {
    current_ = nullptr;
    if (!more) return E_POINTER;
    *more = VARIANT_FALSE;
    if (!sink) return E_INVALIDARG;
    if (position_ >= found_.size()) return S_OK;
    current_ = &shapes[found_[position_++]];
    if (!skipSetId) sink->SetId(current_->id);
    // The array describes the shape's own storage, as a plug-in's layer does.
    SAFEARRAY descriptor{};
    descriptor.cDims = 1;
    descriptor.cbElements = badGeometry ? 4 : 8;
    descriptor.fFeatures = FADF_FIXEDSIZE | FADF_STATIC;
    descriptor.pvData = const_cast<double *>(current_->coordinates.data());
    descriptor.rgsabound[0].cElements = static_cast<ULONG>(current_->coordinates.size());
    VARIANT v;
    VariantInit(&v);
    v.vt = badGeometry ? (VT_ARRAY | VT_I4) : (VT_ARRAY | VT_R8);
    v.parray = &descriptor;
    sink->SetGeometry(current_->kind, v);
    *more = VARIANT_TRUE;
    return S_OK;
}

HRESULT TestLayer::Title(BSTR *title) {
    if (!title) return E_POINTER;
    *title = nullptr;
    if (!current_) return S_FALSE;
    *title = SysAllocString(current_->title.c_str());
    return S_OK;
}

HRESULT TestLayer::Hint(BSTR *hint) {
    if (!hint) return E_POINTER;
    *hint = nullptr;
    if (!current_) return S_FALSE;
    *hint = SysAllocString(current_->hint.c_str());
    return S_OK;
}

HRESULT TestLayer::LabelPoint(IMapPoint **point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (!current_ || !current_->label) return S_FALSE;
    *point = current_->label.CopyOut();
    return S_OK;
}

HRESULT TestLayer::TextSymbol(ITextSymbol **symbol) {
    if (!symbol) return E_POINTER;
    *symbol = nullptr;
    if (!current_ || !current_->text) return S_FALSE;
    *symbol = current_->text.CopyOut();
    return S_OK;
}

template <class I>
HRESULT TestLayer::CurrentSymbolAs(I **out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!current_ || !current_->symbol) return S_FALSE;
    return current_->symbol->QueryInterface(__uuidof(I), reinterpret_cast<void **>(out));
}

HRESULT TestLayer::SymbolAs1(ILineSymbol **symbol) { return CurrentSymbolAs(symbol); }
HRESULT TestLayer::SymbolAs2(IPolygonSymbol **symbol) { return CurrentSymbolAs(symbol); }
HRESULT TestLayer::SymbolAs3(IRasterSymbol **symbol) { return CurrentSymbolAs(symbol); }

}  // namespace shelltest
