// The frame's custom pages: panels a plug-in asks the shell to dock. Each
// page is kept with a counted reference until the shell shuts down.
#pragma once

#include "ComPtr.h"
#include "ShellObject.h"

#include <vector>

namespace kxshell {

class CustomPageCollection : public ComObject<ICustomPageCollection> {
public:
    explicit CustomPageCollection(RegistryPtr registry);

    HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddPage(IPanelPage *page) override;

    size_t Count() const { return pages_.size(); }
    IPanelPage *Page(size_t index) const { return pages_.at(index).Get(); }
    // The shell lets its pages go before it unloads their plug-ins.
    void ReleaseAll();

private:
    std::vector<ComPtr<IPanelPage>> pages_;
};

}  // namespace kxshell
