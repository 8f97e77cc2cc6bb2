// How the shell draws a layer: select the shapes in a rectangle, then walk
// the cursor shape by shape and ask each for what drawing needs. Everything
// taken from the layer is copied and released before Walk returns.
#pragma once

#include "MapRect.h"
#include "ShapeSink.h"
#include "ShellObject.h"
#include "Symbols.h"

#include <string>
#include <vector>

namespace kxshell {

enum ShapeKind : long { kShapeIcon = 0, kShapeLine = 1, kShapePolygon = 2 };

// The geometry as the walk's reducer kept it (all of it without one).
struct WalkedShape : ShapeGeometry {
    long id = 0;
    long kind = -1;
    HRESULT titleResult = E_FAIL;
    std::wstring title;
    HRESULT hintResult = E_FAIL;
    std::wstring hint;
    bool hasLabel = false;
    double labelX = 0, labelY = 0;
    SymbolDescription textSymbol;      // kind None when the shape has none
    HRESULT symbolResult = E_FAIL;     // of SymbolAs1/2/3 for the shape's kind
    SymbolDescription symbol;

    size_t VertexCount() const { return coordinates.size() / 2; }
};

struct WalkResult {
    HRESULT selectResult = E_FAIL;
    std::vector<WalkedShape> shapes;
    // Protocol faults of the layer: failing Next, missing or bad geometry...
    std::vector<std::string> problems;

    bool Ok() const { return SUCCEEDED(selectResult) && problems.empty(); }
};

struct WalkOptions {
    // Title has side effects on some layers (a shell asks it on hover only).
    bool askTitle = true;
    // A cursor that never ends is a fault, not a reason to hang.
    size_t maxShapes = 1000000;
    // What is kept of each shape's vertices; null: all of them.
    const VertexReducer *reducer = nullptr;
    // Geometries whose arrays the walk may reuse (ShapeSink::SetSpare).
    std::vector<ShapeGeometry> *spare = nullptr;
};

class ShapeWalker {
public:
    explicit ShapeWalker(RegistryPtr registry) : registry_(std::move(registry)) {}

    WalkResult Walk(IShapeSource *source, const RectValues &rect, const WalkOptions &options = {}) const;
    // Walks the shapes of one id (SelectById).
    WalkResult WalkById(IShapeSource *source, long id, const WalkOptions &options = {}) const;

private:
    WalkResult WalkCursor(HRESULT selectResult, IShapeCursor *cursor, const WalkOptions &options) const;

    RegistryPtr registry_;
};

}  // namespace kxshell
