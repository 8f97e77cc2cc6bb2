#include "Shape.h"

#include <olectl.h>

namespace {

// The label font: Arial 8 pt bold.
ComPtr<IFont> CreateLabelFont()
{
    FONTDESC desc = {};
    desc.cbSizeofstruct = sizeof(FONTDESC);
    desc.lpstrName = const_cast<LPOLESTR>(L"Arial");
    desc.cySize.int64 = 80000; // 8 points in ten-thousandths
    desc.sWeight = FW_BOLD;
    desc.sCharset = 0;
    desc.fItalic = FALSE;
    desc.fUnderline = FALSE;
    desc.fStrikethrough = FALSE;
    // The standard OLE font interface: the shell calls the font through
    // IFont's own table, so no other interface of the object will do.
    ComPtr<IFont> font;
    OleCreateFontIndirect(&desc, IID_IFont, reinterpret_cast<void **>(font.Put()));
    return font;
}

} // namespace

void TShape::Assign(LONG id, LONG kind, std::shared_ptr<const kx::TMapPointArray> points, const std::wstring &name,
                    const std::wstring &text, std::optional<kx::TMapPoint> labelPosition,
                    LONG textColour, ISymbol *symbol)
{
    id_ = id;
    kind_ = kind;
    if (points) points_ = std::move(points);
    name_ = name;
    text_ = text;
    IGrymObjectFactory *factory = view_ ? view_->Factory() : nullptr;
    if (!text_.empty() && factory) {
        if (labelPosition)
            factory->CreateMapPoint(labelPosition->X, labelPosition->Y, labelPoint_.Put());
        ComPtr<IFont> font = CreateLabelFont();
        factory->CreateTextSymbol(font.Get(), textColour, textSymbol_.Put());
    }
    symbol_ = symbol;
    ComputeBoundingBox();
}

void TShape::ComputeBoundingBox()
{
    kx::TShapeBounds mapBounds;
    ComPtr<IMap> map;
    if (view_ && view_->Frame()) view_->Frame()->Map(map.Put());
    ComPtr<IMapRect> bounds;
    if (map) map->Bounds(bounds.Put());
    if (bounds) {
        bounds->GetMinX(&mapBounds.MinX);
        bounds->GetMinY(&mapBounds.MinY);
        bounds->GetMaxX(&mapBounds.MaxX);
        bounds->GetMaxY(&mapBounds.MaxY);
    }
    boundingBox_ = kx::ExtendBounds(mapBounds, *points_);
}
