// The shell's main frame: the map and the docked custom pages.
#pragma once

#include "ComPtr.h"
#include "CustomPageCollection.h"
#include "Map.h"
#include "ShellObject.h"

namespace kxshell {

class Frame : public ComObject<IBaseViewFrame> {
public:
    Frame(RegistryPtr registry, kxshell::Map *map);

    kxshell::Map &MapObject() const { return *map_.Get(); }
    CustomPageCollection &Pages() const { return *pages_.Get(); }

    HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Map(IMap **map) override;
    HRESULT STDMETHODCALLTYPE Reserved3() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CustomPages(ICustomPageCollection **pages) override;

private:
    ComPtr<kxshell::Map> map_;
    ComPtr<CustomPageCollection> pages_;
};

}  // namespace kxshell
