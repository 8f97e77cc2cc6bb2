// TShapeCollection: the layer's shapes in four category lists, and the
// result list of the shell's last query.
#pragma once

#include "Shape.h"

#include <memory>
#include <vector>

// Shapes are shared: emptying a category list while the shell still walks a
// query result must leave the walked shapes usable until the walk moves on.
using TShapeRef = std::shared_ptr<TShape>;
using TShapeList = std::vector<TShapeRef>;

class TShapeCollection {
public:
    explicit TShapeCollection(const TBaseView *view) : view_(view) {}
    ~TShapeCollection();
    TShapeCollection(const TShapeCollection &) = delete;
    TShapeCollection &operator=(const TShapeCollection &) = delete;

    // Destroys the shapes of the four category lists, in the order track
    // lines, checkpoints, vehicles, info points, then empties Found.
    void Clear();

    // Every shape whose box strictly overlaps the rectangle. Info point icons
    // are passed twice: the second pass draws them above the track and the
    // checkpoints; vehicles come last, on top of everything.
    int SelectInRect(IMapRect *rect);
    // Every shape with this number, in the same five-pass manner.
    int SelectById(LONG id);

    const TBaseView *View() const { return view_; }

    TShapeList Found;
    TShapeList TrackLines;
    TShapeList Checkpoints;
    TShapeList Vehicles;
    TShapeList InfoPointIcons;

private:
    const TBaseView *view_;
};
