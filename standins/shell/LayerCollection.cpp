#include "LayerCollection.h"

namespace kxshell {
namespace {

// COM identity: two pointers are the same object when their IUnknowns are.
ComPtr<IUnknown> IdentityOf(IUnknown *object) {
    ComPtr<IUnknown> unknown;
    if (object) object->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(unknown.Put()));
    return unknown;
}

}  // namespace

LayerCollection::LayerCollection(RegistryPtr registry) : ComObject(std::move(registry), "LayerCollection") {}

LayerCollection::~LayerCollection() = default;

int LayerCollection::IndexOf(IUnknown *layer) const {
    const ComPtr<IUnknown> wanted = IdentityOf(layer);
    if (!wanted) return -1;
    for (size_t i = 0; i < layers_.size(); ++i)
        if (IdentityOf(layers_[i].Get()).Get() == wanted.Get()) return static_cast<int>(i);
    return -1;
}

bool LayerCollection::Contains(IUnknown *layer) const {
    return IndexOf(layer) >= 0;
}

HRESULT LayerCollection::AddLayer(IShapeLayer *layer) {
    Log(std::string("ILayerCollection.AddLayer(") + (layer ? "layer" : "null") + ")");
    ++addAttempts_;
    if (!layer) return E_INVALIDARG;
    if (refuseAdd_) return refuseResult_;
    return Guarded([&]() -> HRESULT {
        // The same layer twice would be drawn twice; a plug-in bug worth seeing.
        if (IndexOf(layer) >= 0) return E_INVALIDARG;
        layers_.emplace_back(layer);
        return S_OK;
    });
}

void LayerCollection::ReleaseAll() {
    // Moved out first: a releasing layer may call RemoveLayer.
    std::vector<ComPtr<IShapeLayer>> taken;
    taken.swap(layers_);
    taken.clear();
}

HRESULT LayerCollection::RemoveLayer(IShapeLayer *layer) {
    Log(std::string("ILayerCollection.RemoveLayer(") + (layer ? "layer" : "null") + ")");
    if (!layer) return E_INVALIDARG;
    return Guarded([&]() -> HRESULT {
        const int index = IndexOf(layer);
        if (index < 0) return E_INVALIDARG;
        // Take the reference out before releasing it: the layer's destructor
        // may call back into this collection.
        ComPtr<IShapeLayer> removed = layers_[static_cast<size_t>(index)];
        layers_.erase(layers_.begin() + index);
        removed.Reset();
        return S_OK;
    });
}

}  // namespace kxshell
