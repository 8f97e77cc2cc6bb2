// What the shell passes to IShapeCursor::Next: receives one shape's id and
// geometry. The coordinates are copied during SetGeometry, since the layer's
// array is valid only for that call.
#pragma once

#include "ShellObject.h"

#include <string>
#include <vector>

namespace kxshell {

class ShapeSink : public ComObject<IShapeSink> {
public:
    explicit ShapeSink(RegistryPtr registry);

    // Forgets the previous shape before the next Next.
    void Reset();

    bool HasId() const { return hasId_; }
    long Id() const { return id_; }
    bool HasGeometry() const { return hasGeometry_; }
    long Kind() const { return kind_; }
    const std::vector<double> &Coordinates() const { return coordinates_; }
    // Empty when the geometry was valid.
    const std::string &GeometryProblem() const { return problem_; }

    HRESULT STDMETHODCALLTYPE SetId(long id) override;
    HRESULT STDMETHODCALLTYPE SetGeometry(long kind, VARIANT coordinates) override;

private:
    bool hasId_ = false;
    long id_ = 0;
    bool hasGeometry_ = false;
    long kind_ = -1;
    std::vector<double> coordinates_;
    std::string problem_;
};

}  // namespace kxshell
