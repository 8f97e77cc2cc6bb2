#include "Frame.h"

namespace kxshell {

Frame::Frame(RegistryPtr registry, kxshell::Map *map)
    : ComObject(std::move(registry), "Frame"), map_(map), pages_(new CustomPageCollection(SharedRegistry())) {}

HRESULT Frame::Map(IMap **map) {
    Log("IBaseViewFrame.Map()");
    if (!ClearOut(map)) return E_POINTER;
    *map = map_.CopyOut();
    return S_OK;
}

HRESULT Frame::CustomPages(ICustomPageCollection **pages) {
    Log("IBaseViewFrame.CustomPages()");
    if (!ClearOut(pages)) return E_POINTER;
    *pages = pages_.CopyOut();
    return S_OK;
}

}  // namespace kxshell
