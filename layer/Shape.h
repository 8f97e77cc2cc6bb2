// TShape: one item the layer hands to the shell's map (a track line, the
// vehicle marker, a checkpoint circle, an info point or last-point icon).
#pragma once

#include "BaseViewWrap.h"
#include "ComPtr.h"

#include "kx/geometry.h"

#include <memory>
#include <optional>
#include <string>

class TShape {
public:
    // Geometry codes the shell understands.
    enum Kinds : LONG { KindIcon = 0, KindPolyline = 1, KindPolygon = 2 };

    explicit TShape(const TBaseView *view) : view_(view) {}
    TShape(const TShape &) = delete;
    TShape &operator=(const TShape &) = delete;

    // Fills the shape once. The points are held jointly with whoever gave
    // them (the track lines share the trip's one array), never changed. A
    // label point and a text symbol are made only for a non-empty text; the
    // label point only when a position is given.
    void Assign(LONG id, LONG kind, std::shared_ptr<const kx::TMapPointArray> points, const std::wstring &name,
                const std::wstring &text, std::optional<kx::TMapPoint> labelPosition,
                LONG textColour, ISymbol *symbol);

    LONG Id() const { return id_; }
    LONG Kind() const { return kind_; }
    const kx::TMapPointArray &Points() const { return *points_; }
    const kx::TShapeBounds &BoundingBox() const { return boundingBox_; }
    const std::wstring &Name() const { return name_; }
    const std::wstring &Text() const { return text_; }
    IMapPoint *LabelPoint() const { return labelPoint_.Get(); }
    ITextSymbol *TextSymbol() const { return textSymbol_.Get(); }
    ISymbol *Symbol() const { return symbol_.Get(); }

private:
    // The union of the map's bounds with the extent of the vertices.
    void ComputeBoundingBox();

    const TBaseView *view_;
    LONG id_ = 0;
    LONG kind_ = 0;
    std::shared_ptr<const kx::TMapPointArray> points_ = std::make_shared<const kx::TMapPointArray>();
    kx::TShapeBounds boundingBox_;
    std::wstring name_;
    std::wstring text_;
    ComPtr<IMapPoint> labelPoint_;
    ComPtr<ITextSymbol> textSymbol_;
    ComPtr<ISymbol> symbol_;
};
