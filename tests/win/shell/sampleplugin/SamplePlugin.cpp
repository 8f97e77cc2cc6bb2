// A minimal plug-in for testing kxprobe: describes itself, adds one page and
// one empty layer at Initialize, takes both away at Terminate. Built twice;
// with SAMPLE_KEEPS_MAP it forgets to release the map, which the probe must
// catch.
#include "ComPtr.h"
#include "GrymCore.h"

namespace {

BSTR Text(const wchar_t *text) { return SysAllocString(text); }

template <class T>
HRESULT Answer(T *out, T value) {
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}

class SampleLayer final : public IShapeLayer, public IShapeSource, public IDisplayInfo, public IPositionCode {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(IShapeLayer))) *out = static_cast<IShapeLayer *>(this);
        else if (IsEqualIID(iid, __uuidof(IShapeSource))) *out = static_cast<IShapeSource *>(this);
        else if (IsEqualIID(iid, __uuidof(IDisplayInfo))) *out = static_cast<IDisplayInfo *>(this);
        else if (IsEqualIID(iid, __uuidof(IPositionCode))) *out = static_cast<IPositionCode *>(this);
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
    HRESULT STDMETHODCALLTYPE AcceptsMode(long, long b, VARIANT_BOOL *v) override {
        return Answer(v, VARIANT_BOOL(b == 0 ? VARIANT_TRUE : VARIANT_FALSE));
    }
    HRESULT STDMETHODCALLTYPE ShownAtLevel(long a, long b, VARIANT_BOOL *v) override {
        return Answer(v, VARIANT_BOOL(a <= 5000 && b == 0 ? VARIANT_TRUE : VARIANT_FALSE));
    }
    HRESULT STDMETHODCALLTYPE FlagOne(VARIANT_BOOL *v) override { return Answer(v, VARIANT_BOOL(VARIANT_TRUE)); }
    HRESULT STDMETHODCALLTYPE FlagTwo(VARIANT_BOOL *v) override { return Answer(v, VARIANT_BOOL(VARIANT_FALSE)); }
    HRESULT STDMETHODCALLTYPE Unsupported(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SelectInRect(IMapRect *, IShapeCursor **c) override {
        return Answer(c, static_cast<IShapeCursor *>(nullptr)) == S_OK ? S_FALSE : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE SelectById(long, IShapeCursor **c) override {
        return Answer(c, static_cast<IShapeCursor *>(nullptr)) == S_OK ? S_FALSE : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE Tag(BSTR *t) override { return Answer(t, Text(L"SampleLayer")); }
    HRESULT STDMETHODCALLTYPE Caption(BSTR *t) override { return Answer(t, Text(L"Пробный слой")); }
    HRESULT STDMETHODCALLTYPE Description(BSTR *t) override { return Answer(t, Text(L"sample layer")); }
    HRESULT STDMETHODCALLTYPE Icon(IRaster **r) override { return Answer(r, static_cast<IRaster *>(nullptr)); }
    HRESULT STDMETHODCALLTYPE PositionCode(BSTR *t) override { return Answer(t, Text(L"8001Sample:0")); }

private:
    ULONG refs_ = 0;
};

class SamplePlugin final : public IPluginDescription, public IDisplayInfo, public IPositionCode,
                           public IHostedPlugin, public IPanelPage {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(IHostedPlugin))) *out = static_cast<IHostedPlugin *>(this);
        else if (IsEqualIID(iid, __uuidof(IPluginDescription))) *out = static_cast<IPluginDescription *>(this);
        else if (IsEqualIID(iid, __uuidof(IDisplayInfo))) *out = static_cast<IDisplayInfo *>(this);
        else if (IsEqualIID(iid, __uuidof(IPositionCode))) *out = static_cast<IPositionCode *>(this);
        else if (IsEqualIID(iid, __uuidof(IPanelPage))) *out = static_cast<IPanelPage *>(this);
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
    HRESULT STDMETHODCALLTYPE Tag(BSTR *t) override { return Answer(t, Text(L"Sample")); }
    HRESULT STDMETHODCALLTYPE Caption(BSTR *t) override { return Answer(t, Text(L"Пробник")); }
    HRESULT STDMETHODCALLTYPE Description(BSTR *t) override { return Answer(t, Text(L"")); }
    HRESULT STDMETHODCALLTYPE Icon(IRaster **r) override { return Answer(r, static_cast<IRaster *>(nullptr)); }
    HRESULT STDMETHODCALLTYPE PositionCode(BSTR *t) override { return Answer(t, Text(L"1:1")); }
    HRESULT STDMETHODCALLTYPE PageOption(VARIANT_BOOL *v) override { return Answer(v, VARIANT_BOOL(VARIANT_FALSE)); }
    HRESULT STDMETHODCALLTYPE CreateControl(IUnknown **c) override {
        return Answer(c, static_cast<IUnknown *>(nullptr)) == S_OK ? E_NOTIMPL : E_POINTER;
    }

    HRESULT STDMETHODCALLTYPE Initialize(ULONG_PTR, IBaseViewThread *view) override {
        if (!view) return E_INVALIDARG;
        ComPtr<IBaseViewFrame> frame;
        view->Frame(frame.Put());
        if (!frame) return E_FAIL;
        frame->Map(map_.Put());
        if (map_) map_->Layers(layers_.Put());
        layer_ = ComPtr<IShapeLayer>(new SampleLayer);
        if (layers_) layers_->AddLayer(layer_.Get());
        ComPtr<ICustomPageCollection> pages;
        frame->CustomPages(pages.Put());
        if (pages) pages->AddPage(static_cast<IPanelPage *>(this));
#ifdef SAMPLE_KEEPS_MAP
        map_.CopyOut();
#endif
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Terminate() override {
        if (layers_ && layer_) layers_->RemoveLayer(layer_.Get());
        layer_.Reset();
        layers_.Reset();
        map_.Reset();
        return S_OK;
    }

private:
    ULONG refs_ = 0;
    ComPtr<IMap> map_;
    ComPtr<ILayerCollection> layers_;
    ComPtr<IShapeLayer> layer_;
};

}  // namespace

extern "C" HRESULT WINAPI CreateGrymPlugin(IUnknown **plugin) {
    if (!plugin) return E_POINTER;
    *plugin = static_cast<IHostedPlugin *>(new SamplePlugin);
    (*plugin)->AddRef();
    return S_OK;
}
