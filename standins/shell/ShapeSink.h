// What the shell passes to IShapeCursor::Next: receives one shape's id and
// geometry. The coordinates are taken during SetGeometry, since the layer's
// array is valid only for that call: all of them, or what a reducer keeps.
#pragma once

#include "MapRect.h"
#include "ShellObject.h"

#include <string>
#include <vector>

namespace kxshell {

// What the shell holds of a shape's vertices.
struct ShapeGeometry {
    std::vector<double> coordinates;  // X0, Y0, X1, Y1, ... of the vertices kept
    std::vector<size_t> partStarts;   // the kept vertex that begins each part after the first
    size_t received = 0;              // vertices the layer handed over
    RectValues extent;                // of every vertex received, when there was one
};

// Chooses the vertices worth keeping while the layer's array is at hand,
// instead of a copy of all of them (a drawing shell keeps what shows).
class VertexReducer {
public:
    virtual ~VertexReducer() = default;
    // Fills `out` from the `vertices` X, Y pairs at xy.
    virtual void Reduce(long kind, const double *xy, size_t vertices, ShapeGeometry &out) const = 0;
};

class ShapeSink : public ComObject<IShapeSink> {
public:
    explicit ShapeSink(RegistryPtr registry);

    // Forgets the previous shape before the next Next.
    void Reset();
    // Null: every vertex is kept.
    void SetReducer(const VertexReducer *reducer) { reducer_ = reducer; }
    // Geometries of an earlier walk, taken from the back to hold the next
    // shapes' vertices: a map window draws frame after frame into the same
    // arrays instead of fresh memory for each. Null: fresh arrays.
    void SetSpare(std::vector<ShapeGeometry> *spare) { spare_ = spare; }

    bool HasId() const { return hasId_; }
    long Id() const { return id_; }
    bool HasGeometry() const { return hasGeometry_; }
    long Kind() const { return kind_; }
    const std::vector<double> &Coordinates() const { return geometry_.coordinates; }
    ShapeGeometry &Geometry() { return geometry_; }  // may be moved from until the next Reset
    // Empty when the geometry was valid.
    const std::string &GeometryProblem() const { return problem_; }

    HRESULT STDMETHODCALLTYPE SetId(long id) override;
    HRESULT STDMETHODCALLTYPE SetGeometry(long kind, VARIANT coordinates) override;

private:
    void ClearGeometry();

    bool hasId_ = false;
    long id_ = 0;
    bool hasGeometry_ = false;
    long kind_ = -1;
    ShapeGeometry geometry_;
    const VertexReducer *reducer_ = nullptr;
    std::vector<ShapeGeometry> *spare_ = nullptr;
    std::string problem_;
};

}  // namespace kxshell
