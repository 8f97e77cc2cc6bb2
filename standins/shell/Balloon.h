// Balloons: call-outs the map shows at an anchor point, made of named panes
// of text. A balloon answers IBalloon and IGraphicBase, the form in which the
// balloon list shows and hides it.
#pragma once

#include "ComPtr.h"
#include "ShellObject.h"

#include <string>
#include <utility>
#include <vector>

namespace kxshell {

class BalloonPane : public ComObject<IBalloonPane> {
public:
    BalloonPane(RegistryPtr registry, std::wstring name);

    const std::wstring &Name() const { return name_; }
    const std::wstring &Text() const { return text_; }

    HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved2() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetText(BSTR text) override;

private:
    std::wstring name_;
    std::wstring text_;
};

struct BalloonPlacement {
    double anchorX = 0, anchorY = 0;
    bool closeButton = false;
    long offsetX = 0, offsetY = 0;
    long width = 0, height = 0;
};

// A balloon's content at one moment: placement and (pane name, text) pairs.
struct BalloonSnapshot {
    uint64_t serial = 0;
    BalloonPlacement placement;
    std::vector<std::pair<std::wstring, std::wstring>> panes;
};

class Balloon : public ComObject<IBalloon, IGraphicBase> {
public:
    Balloon(RegistryPtr registry, const BalloonPlacement &placement);

    const BalloonPlacement &Placement() const { return placement_; }
    size_t PaneCount() const { return panes_.size(); }
    BalloonPane *FindPane(const std::wstring &name) const;
    BalloonSnapshot Snapshot() const;

    HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved2() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved3() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved5() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved6() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved7() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved8() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved9() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved10() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved11() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved12() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved13() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved14() override { return E_NOTIMPL; }
    // A second pane of the same name answers S_FALSE and changes nothing.
    HRESULT STDMETHODCALLTYPE AddPane(BSTR name) override;
    HRESULT STDMETHODCALLTYPE Pane(BSTR name, IBalloonPane **pane) override;

private:
    BalloonPlacement placement_;
    std::vector<ComPtr<BalloonPane>> panes_;
};

}  // namespace kxshell
