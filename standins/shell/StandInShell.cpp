#include "StandInShell.h"

#include "CoordinateSystem.h"

namespace kxshell {

RectValues ShellOptions::DefaultCityBounds() {
    const MercatorPoint low = GeoToMercator(82.75, 54.90);
    const MercatorPoint high = GeoToMercator(83.15, 55.15);
    return {low.x, low.y, high.x, high.y};
}

StandInShell::StandInShell(const ShellOptions &options) : registry_(std::make_shared<ShellRegistry>()) {
    ComPtr<kxshell::Map> map(new kxshell::Map(registry_, options.bounds, options.windowWidth, options.windowHeight));
    ComPtr<kxshell::Frame> frame(new kxshell::Frame(registry_, map.Get()));
    ComPtr<ObjectFactory> factory(new ObjectFactory(registry_));
    view_ = ComPtr<BaseView>(new BaseView(registry_, factory.Get(), frame.Get()));
}

StandInShell::~StandInShell() {
    Shutdown();
}

void StandInShell::Shutdown() {
    if (!view_) return;
    Pages().ReleaseAll();
    Layers().ReleaseAll();
    MapObject().HideAllBalloons();
}

}  // namespace kxshell
