#include "CustomPageCollection.h"

namespace kxshell {

CustomPageCollection::CustomPageCollection(RegistryPtr registry)
    : ComObject(std::move(registry), "CustomPageCollection") {}

HRESULT CustomPageCollection::AddPage(IPanelPage *page) {
    Log(std::string("ICustomPageCollection.AddPage(") + (page ? "page" : "null") + ")");
    if (!page) return E_INVALIDARG;
    return Guarded([&] {
        pages_.emplace_back(page);
        return S_OK;
    });
}

void CustomPageCollection::ReleaseAll() {
    std::vector<ComPtr<IPanelPage>> taken;
    taken.swap(pages_);
    taken.clear();
}

}  // namespace kxshell
