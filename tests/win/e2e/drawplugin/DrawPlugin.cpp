// A plug-in with a layer of known shapes for the shell's end-to-end tests:
// a track line, a translucent polygon, an icon, a text label, and a balloon
// opened at start. Everything is placed by fractions of the map's visible
// rectangle at Initialize (see ExpectedTrackPoint), so a test knows where
// each must appear. KX_E2E_TRACK_POINTS sets the track's length.
#include "ComPtr.h"
#include "GrymCore.h"
#include "DrawPluginGeometry.h"

#include <olectl.h>

#include <cstdlib>
#include <vector>

namespace {

template <class T>
HRESULT Answer(T *out, T value) {
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}

BSTR Text(const wchar_t *text) { return SysAllocString(text); }

struct Shape {
    long id, kind;
    std::vector<double> xy;
    const wchar_t *title, *hint;
    ComPtr<ISymbol> symbol;
    ComPtr<IMapPoint> label;
    ComPtr<ITextSymbol> text;
};

// A 16 x 16 bitmap file, all one colour.
std::vector<unsigned char> BitmapFile(unsigned char r, unsigned char g, unsigned char b) {
    const int side = 16, row = side * 3;
    std::vector<unsigned char> file(54 + row * side);
    auto put32 = [&](size_t at, unsigned long v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<unsigned long>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, side);
    put32(22, side);
    file[26] = 1;
    file[28] = 24;
    for (size_t i = 54; i + 2 < file.size(); i += 3) {
        file[i] = b;
        file[i + 1] = g;
        file[i + 2] = r;
    }
    return file;
}

class DrawLayer final : public IShapeLayer, public IShapeSource, public IShapeCursor {
public:
    ULONG titles = 0;
    std::vector<Shape> shapes;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(IShapeLayer))) *out = static_cast<IShapeLayer *>(this);
        else if (IsEqualIID(iid, __uuidof(IShapeSource))) *out = static_cast<IShapeSource *>(this);
        else if (IsEqualIID(iid, __uuidof(IShapeCursor))) *out = static_cast<IShapeCursor *>(this);
        else return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (!left) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetVisible(VARIANT_BOOL *v) override { return Answer(v, VARIANT_BOOL(VARIANT_TRUE)); }
    HRESULT STDMETHODCALLTYPE PutVisible(VARIANT_BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE AcceptsMode(long, long, VARIANT_BOOL *v) override { return Answer(v, VARIANT_BOOL(VARIANT_TRUE)); }
    HRESULT STDMETHODCALLTYPE ShownAtLevel(long, long, VARIANT_BOOL *v) override { return Answer(v, VARIANT_BOOL(VARIANT_TRUE)); }
    HRESULT STDMETHODCALLTYPE FlagOne(VARIANT_BOOL *v) override { return Answer(v, VARIANT_BOOL(VARIANT_TRUE)); }
    HRESULT STDMETHODCALLTYPE FlagTwo(VARIANT_BOOL *v) override { return Answer(v, VARIANT_BOOL(VARIANT_FALSE)); }
    HRESULT STDMETHODCALLTYPE Unsupported(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SelectInRect(IMapRect *, IShapeCursor **c) override {
        if (!c) return E_POINTER;
        found_.clear();
        for (size_t i = 0; i < shapes.size(); ++i) found_.push_back(i);
        return Select(c);
    }
    HRESULT STDMETHODCALLTYPE SelectById(long id, IShapeCursor **c) override {
        if (!c) return E_POINTER;
        found_.clear();
        for (size_t i = 0; i < shapes.size(); ++i)
            if (shapes[i].id == id) found_.push_back(i);
        return Select(c);
    }
    HRESULT STDMETHODCALLTYPE Next(IShapeSink *sink, VARIANT_BOOL *more) override {
        current_ = nullptr;
        if (!more) return E_POINTER;
        *more = VARIANT_FALSE;
        if (!sink) return E_INVALIDARG;
        if (cursor_ >= found_.size()) return S_OK;
        current_ = &shapes[found_[cursor_++]];
        sink->SetId(current_->id);
        SAFEARRAY *array = SafeArrayCreateVector(VT_R8, 0, static_cast<ULONG>(current_->xy.size()));
        double *data = nullptr;
        SafeArrayAccessData(array, reinterpret_cast<void **>(&data));
        for (size_t i = 0; i < current_->xy.size(); ++i) data[i] = current_->xy[i];
        SafeArrayUnaccessData(array);
        VARIANT v;
        v.vt = VT_ARRAY | VT_R8;
        v.parray = array;
        sink->SetGeometry(current_->kind, v);
        SafeArrayDestroy(array);
        *more = VARIANT_TRUE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Title(BSTR *t) override {
        if (!t) return E_POINTER;
        *t = nullptr;
        if (!current_) return S_FALSE;
        ++titles;
        *t = Text(current_->title);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Hint(BSTR *t) override {
        if (!t) return E_POINTER;
        *t = nullptr;
        if (!current_) return S_FALSE;
        *t = Text(current_->hint);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE LabelPoint(IMapPoint **p) override {
        if (!p) return E_POINTER;
        *p = current_ ? current_->label.CopyOut() : nullptr;
        return *p ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE TextSymbol(ITextSymbol **s) override {
        if (!s) return E_POINTER;
        *s = current_ ? current_->text.CopyOut() : nullptr;
        return *s ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE SymbolAs1(ILineSymbol **s) override { return SymbolAs(s); }
    HRESULT STDMETHODCALLTYPE SymbolAs2(IPolygonSymbol **s) override { return SymbolAs(s); }
    HRESULT STDMETHODCALLTYPE SymbolAs3(IRasterSymbol **s) override { return SymbolAs(s); }

private:
    HRESULT Select(IShapeCursor **c) {
        cursor_ = 0;
        *c = nullptr;
        if (found_.empty()) return S_FALSE;
        *c = static_cast<IShapeCursor *>(this);
        AddRef();
        return S_OK;
    }
    template <class I>
    HRESULT SymbolAs(I **s) {
        if (!s) return E_POINTER;
        *s = nullptr;
        if (!current_ || !current_->symbol) return S_FALSE;
        return current_->symbol->QueryInterface(__uuidof(I), reinterpret_cast<void **>(s));
    }
    ULONG refs_ = 0;
    std::vector<size_t> found_;
    size_t cursor_ = 0;
    Shape *current_ = nullptr;
};

class DrawPlugin final : public IHostedPlugin, public IPluginDescription, public IDisplayInfo {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(IHostedPlugin))) *out = static_cast<IHostedPlugin *>(this);
        else if (IsEqualIID(iid, __uuidof(IPluginDescription))) *out = static_cast<IPluginDescription *>(this);
        else if (IsEqualIID(iid, __uuidof(IDisplayInfo))) *out = static_cast<IDisplayInfo *>(this);
        else return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (!left) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE XmlInfo(BSTR *x) override { return Answer(x, Text(L"<grym_plugin_info/>")); }
    HRESULT STDMETHODCALLTYPE Tag(BSTR *t) override { return Answer(t, Text(L"DrawTest")); }
    HRESULT STDMETHODCALLTYPE Caption(BSTR *t) override { return Answer(t, Text(L"Рисование")); }
    HRESULT STDMETHODCALLTYPE Description(BSTR *t) override { return Answer(t, Text(L"")); }
    HRESULT STDMETHODCALLTYPE Icon(IRaster **r) override { return Answer(r, static_cast<IRaster *>(nullptr)); }

    HRESULT STDMETHODCALLTYPE Initialize(ULONG_PTR, IBaseViewThread *view) override {
        if (!view) return E_INVALIDARG;
        ComPtr<IBaseViewFrame> frame;
        ComPtr<IGrymObjectFactory> factory;
        view->Frame(frame.Put());
        view->Factory(factory.Put());
        if (!frame || !factory) return E_FAIL;
        frame->Map(map_.Put());
        ComPtr<IMapRect> visible;
        map_->VisibleRect(visible.Put());
        e2e::View v;
        visible->GetMinX(&v.minX);
        visible->GetMinY(&v.minY);
        visible->GetMaxX(&v.maxX);
        visible->GetMaxY(&v.maxY);

        layer_ = new DrawLayer;
        layer_->AddRef();
        const char *env = std::getenv("KX_E2E_TRACK_POINTS");
        const int points = env ? std::atoi(env) : 400;
        ComPtr<ISymbol> black, red, outline, fill, icon;
        factory->CreateLineSymbol(1, 1.0, 0, black.Put());
        factory->CreateLineSymbol(1, 0.5, 0xFF, red.Put());
        factory->CreateLineSymbol(1, 0.3, 0, outline.Put());
        factory->CreatePolygonSymbol(1, e2e::kPolygonFill, 0, outline.Get(), fill.Put());
        const std::vector<unsigned char> bmp = BitmapFile(0, 192, 0);
        SAFEARRAY *bytes = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bmp.size()));
        void *data = nullptr;
        SafeArrayAccessData(bytes, &data);
        memcpy(data, bmp.data(), bmp.size());
        SafeArrayUnaccessData(bytes);
        ComPtr<IRaster> raster;
        factory->CreateRaster(bytes, raster.Put());
        SafeArrayDestroy(bytes);
        factory->CreateRasterSymbol(raster.Get(), 1.0, icon.Put());

        Shape track{1, 1, {}, L"Трек", L"Track Line", black, {}, {}};
        for (int i = 0; i < points; ++i) {
            double x, y;
            e2e::ExpectedTrackPoint(v, points > 1 ? static_cast<double>(i) / (points - 1) : 0, x, y);
            track.xy.push_back(x);
            track.xy.push_back(y);
        }
        Shape top = track;
        top.id = 2;
        top.symbol = red;
        layer_->shapes.push_back(track);
        layer_->shapes.push_back(top);
        Shape square{3, 2, {}, L"Квадрат", L"Area", fill, {}, {}};
        for (const auto &f : {std::pair<double, double>{0.05, 0.75}, {0.2, 0.75}, {0.2, 0.92}, {0.05, 0.92}, {0.05, 0.75}}) {
            square.xy.push_back(v.minX + f.first * v.Width());
            square.xy.push_back(v.minY + f.second * v.Height());
        }
        layer_->shapes.push_back(square);
        Shape mark{4, 0, {v.minX + e2e::kIconAt[0] * v.Width(), v.minY + e2e::kIconAt[1] * v.Height()}, L"Значок",
                   L"<b>Значок</b><br />второй ряд", icon, {}, {}};
        layer_->shapes.push_back(mark);
        // A label of its own: a shape without symbol, with a text at a point.
        Shape label{5, 0, {v.minX + 0.1 * v.Width(), v.minY + 0.2 * v.Height()}, L"Метка", L"<b>Метка</b> на карте", {}, {}, {}};
        factory->CreateMapPoint(label.xy[0], label.xy[1], label.label.Put());
        FONTDESC font{sizeof(FONTDESC), const_cast<LPOLESTR>(L"Arial"), {{80000, 0}}, FW_BOLD, DEFAULT_CHARSET, FALSE, FALSE, FALSE};
        ComPtr<IFont> fontDisp;
        OleCreateFontIndirect(&font, IID_IFont, reinterpret_cast<void **>(fontDisp.Put()));
        factory->CreateTextSymbol(fontDisp.Get(), 0x00402000, label.text.Put());
        layer_->shapes.push_back(label);

        map_->Layers(layers_.Put());
        if (layers_) layers_->AddLayer(layer_);

        // A balloon as a player opens one at a skipped stop.
        ComPtr<IBalloonList> balloons = map_.As<IBalloonList>();
        ComPtr<IMapPoint> anchor;
        factory->CreateMapPoint(v.minX + e2e::kBalloonAt[0] * v.Width(), v.minY + e2e::kBalloonAt[1] * v.Height(), anchor.Put());
        ComPtr<IDevicePoint> offset;
        ComPtr<IDeviceSize> size;
        factory->CreateDevicePoint(20, -20, offset.Put());
        factory->CreateDeviceSize(70, 40, size.Put());
        if (balloons && balloons->CreateBalloon(anchor.Get(), VARIANT_TRUE, offset.Get(), size.Get(), balloon_.Put()) == S_OK) {
            BSTR name = Text(L"Остановка");
            balloon_->AddPane(name);
            ComPtr<IBalloonPane> pane;
            balloon_->Pane(name, pane.Put());
            SysFreeString(name);
            BSTR text = Text(L"<b>Остановка:</b> <u>05.02.2009</u><br />12:30:00 — 12:45:00");
            if (pane) pane->SetText(text);
            SysFreeString(text);
            balloons->ShowBalloon(balloon_.As<IGraphicBase>().Get());
        }
        map_->Invalidate(VARIANT_TRUE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Terminate() override {
        if (balloon_) {
            if (auto balloons = map_.As<IBalloonList>()) balloons->HideBalloon(balloon_.As<IGraphicBase>().Get());
            balloon_.Reset();
        }
        if (layers_ && layer_) layers_->RemoveLayer(layer_);
        if (layer_) {
            layer_->shapes.clear();
            layer_->Release();
            layer_ = nullptr;
        }
        layers_.Reset();
        map_.Reset();
        return S_OK;
    }

private:
    ULONG refs_ = 0;
    ComPtr<IMap> map_;
    ComPtr<ILayerCollection> layers_;
    ComPtr<IBalloon> balloon_;
    DrawLayer *layer_ = nullptr;
};

}  // namespace

extern "C" HRESULT WINAPI CreateGrymPlugin(IUnknown **plugin) {
    if (!plugin) return E_POINTER;
    *plugin = static_cast<IHostedPlugin *>(new DrawPlugin);
    (*plugin)->AddRef();
    return S_OK;
}
