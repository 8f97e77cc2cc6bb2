// The whole set of shell objects a plug-in sees, built and owned as a shell
// builds and owns them: base view -> factory and frame -> map (layers,
// coordinate system) and custom pages. Also the place to check that a
// plug-in gave back every reference it took.
#pragma once

#include "BaseView.h"
#include "ComPtr.h"
#include "Frame.h"
#include "Map.h"
#include "ObjectFactory.h"

#include <memory>
#include <vector>

namespace kxshell {

struct ShellOptions {
    // The world the map shows; by default a city's extent.
    RectValues bounds = DefaultCityBounds();
    long windowWidth = 1024;
    long windowHeight = 768;

    // About 25 by 28 km around a city centre at 83 E, 55 N, in map metres.
    static RectValues DefaultCityBounds();
};

class StandInShell {
public:
    explicit StandInShell(const ShellOptions &options = {});
    // Shuts down (see Shutdown) and lets the shell's objects go.
    ~StandInShell();
    StandInShell(const StandInShell &) = delete;
    StandInShell &operator=(const StandInShell &) = delete;

    // Not counted: AddRef to keep it, as a plug-in does.
    IBaseViewThread *BaseViewInterface() const { return view_.Get(); }

    BaseView &View() const { return *view_.Get(); }
    ObjectFactory &Factory() const { return view_->FactoryObject(); }
    IGrymObjectFactory *FactoryInterface() const { return &view_->FactoryObject(); }
    kxshell::Frame &FrameObject() const { return view_->FrameObject(); }
    kxshell::Map &MapObject() const { return view_->FrameObject().MapObject(); }
    IMap *MapInterface() const { return &MapObject(); }
    LayerCollection &Layers() const { return MapObject().Layers(); }
    CustomPageCollection &Pages() const { return FrameObject().Pages(); }

    ShellRegistry &Registry() const { return *registry_; }
    const RegistryPtr &SharedRegistry() const { return registry_; }

    // Reference accounting: take a snapshot before handing the base view to
    // a plug-in; after Terminate, Shutdown and the plug-in's final release,
    // Leaks() lists every object whose count is not what it was.
    void TakeSnapshot() { snapshot_ = registry_->Snapshot(); }
    const RefSnapshot &Snapshot() const { return snapshot_; }
    std::vector<RefDifference> Leaks() const { return registry_->DifferencesFrom(snapshot_); }

    // Lets go of the pages and of layers still registered, and hides shown
    // balloons, as a shell does before it unloads its plug-ins. Idempotent.
    void Shutdown();

private:
    RegistryPtr registry_;
    ComPtr<BaseView> view_;
    RefSnapshot snapshot_;
};

}  // namespace kxshell
