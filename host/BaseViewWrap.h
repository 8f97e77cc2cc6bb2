// TBaseView: the plug-in's hold on the shell's base view and the three
// objects reached through it. Shared by pointer with the layer and its shapes;
// the plug-in object alone creates and frees it.
#pragma once

#include "ComPtr.h"
#include "GrymCore.h"

class TBaseView {
public:
    // Asks the view for its frame and factory and the frame for its map.
    // A call that fails leaves that reference empty; nothing is reported.
    explicit TBaseView(IBaseViewThread *view);
    // Releases map, factory, frame, then the view.
    ~TBaseView();

    TBaseView(const TBaseView &) = delete;
    TBaseView &operator=(const TBaseView &) = delete;

    IBaseViewThread *View() const { return view_.Get(); }
    IBaseViewFrame *Frame() const { return frame_.Get(); }
    IGrymObjectFactory *Factory() const { return factory_.Get(); }
    IMap *Map() const { return map_.Get(); }

private:
    ComPtr<IBaseViewThread> view_;
    ComPtr<IBaseViewFrame> frame_;
    ComPtr<IGrymObjectFactory> factory_;
    ComPtr<IMap> map_;
};
