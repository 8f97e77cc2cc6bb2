// The map's layers, in drawing order. Holds a counted reference to each
// layer until it is removed or the shell shuts down.
#pragma once

#include "ComPtr.h"
#include "ShellObject.h"

#include <vector>

namespace kxshell {

class LayerCollection : public ComObject<ILayerCollection> {
public:
    explicit LayerCollection(RegistryPtr registry);
    ~LayerCollection() override;

    HRESULT STDMETHODCALLTYPE AddLayer(IShapeLayer *layer) override;
    HRESULT STDMETHODCALLTYPE RemoveLayer(IShapeLayer *layer) override;

    size_t Count() const { return layers_.size(); }
    IShapeLayer *Layer(size_t index) const { return layers_.at(index).Get(); }
    bool Contains(IUnknown *layer) const;
    // For tests of a plug-in's behaviour when the shell refuses its layer.
    void SetRefuseAdd(bool refuse, HRESULT result = E_FAIL) { refuseAdd_ = refuse; refuseResult_ = result; }
    size_t AddAttempts() const { return addAttempts_; }
    // What a shell does at shut-down with layers their plug-in left behind.
    void ReleaseAll();

private:
    int IndexOf(IUnknown *layer) const;

    std::vector<ComPtr<IShapeLayer>> layers_;
    bool refuseAdd_ = false;
    HRESULT refuseResult_ = E_FAIL;
    size_t addAttempts_ = 0;
};

}  // namespace kxshell
