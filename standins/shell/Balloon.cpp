#include "Balloon.h"

#include "Bstr.h"

namespace kxshell {

BalloonPane::BalloonPane(RegistryPtr registry, std::wstring name)
    : ComObject(std::move(registry), "BalloonPane"), name_(std::move(name)) {}

HRESULT BalloonPane::SetText(BSTR text) {
    return Guarded([&] {
        text_ = BstrText(text);
        Log("IBalloonPane.SetText(\"" + Utf8(text_) + "\")");
        return S_OK;
    });
}

Balloon::Balloon(RegistryPtr registry, const BalloonPlacement &placement)
    : ComObject(std::move(registry), "Balloon"), placement_(placement) {}

BalloonPane *Balloon::FindPane(const std::wstring &name) const {
    for (const auto &pane : panes_)
        if (pane->Name() == name) return pane.Get();
    return nullptr;
}

BalloonSnapshot Balloon::Snapshot() const {
    BalloonSnapshot snapshot;
    snapshot.serial = Serial();
    snapshot.placement = placement_;
    for (const auto &pane : panes_) snapshot.panes.emplace_back(pane->Name(), pane->Text());
    return snapshot;
}

HRESULT Balloon::AddPane(BSTR name) {
    return Guarded([&]() -> HRESULT {
        std::wstring wanted = BstrText(name);
        Log("IBalloon.AddPane(\"" + Utf8(wanted) + "\")");
        if (FindPane(wanted)) return S_FALSE;
        panes_.emplace_back(new BalloonPane(SharedRegistry(), std::move(wanted)));
        return S_OK;
    });
}

HRESULT Balloon::Pane(BSTR name, IBalloonPane **pane) {
    return Guarded([&]() -> HRESULT {
        std::wstring wanted = BstrText(name);
        Log("IBalloon.Pane(\"" + Utf8(wanted) + "\")");
        if (!ClearOut(pane)) return E_POINTER;
        BalloonPane *found = FindPane(wanted);
        if (!found) return E_INVALIDARG;
        found->AddRef();
        *pane = found;
        return S_OK;
    });
}

}  // namespace kxshell
