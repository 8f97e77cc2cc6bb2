#include "Symbols.h"

#include "Raster.h"

#include <cstdio>

namespace kxshell {

std::string SymbolDescription::Describe() const {
    char buffer[200];
    switch (kind) {
    case SymbolKind::None:
        return "none";
    case SymbolKind::Foreign:
        return "foreign symbol";
    case SymbolKind::Line:
        std::snprintf(buffer, sizeof buffer, "line style %ld width %s colour %s", style,
                      FormatDouble(width).c_str(), FormatHex(static_cast<unsigned long>(colour)).c_str());
        return buffer;
    case SymbolKind::Polygon:
        std::snprintf(buffer, sizeof buffer, "polygon style %ld fill %s back %s outline (%s)", style,
                      FormatHex(static_cast<unsigned long>(fillColour)).c_str(),
                      FormatHex(static_cast<unsigned long>(backColour)).c_str(),
                      outline ? outline->Describe().c_str() : "none");
        return buffer;
    case SymbolKind::Raster:
        if (!hasRaster) return "raster symbol without raster, scale " + FormatDouble(scale);
        std::snprintf(buffer, sizeof buffer, "raster %dx%d scale %s", image ? image->width : 0,
                      image ? image->height : 0, FormatDouble(scale).c_str());
        return buffer;
    case SymbolKind::Text:
        std::snprintf(buffer, sizeof buffer, "text font \"%s\" %s pt weight %d%s colour %s",
                      Utf8(faceName).c_str(), FormatDouble(fontSize).c_str(), weight, italic ? " italic" : "",
                      FormatHex(static_cast<unsigned long>(colour)).c_str());
        return buffer;
    }
    return "?";
}

SymbolDescription DescribeSymbol(IUnknown *symbol) {
    if (!symbol) return {};
    if (SymbolObject *own = Inspect<SymbolObject>(symbol)) return own->Describe();
    SymbolDescription foreign;
    foreign.kind = SymbolKind::Foreign;
    return foreign;
}

LineSymbol::LineSymbol(RegistryPtr registry, long style, double width, long colour)
    : ComObject(std::move(registry), "LineSymbol"), style_(style), width_(width), colour_(colour) {}

SymbolDescription LineSymbol::Describe() const {
    SymbolDescription d;
    d.kind = SymbolKind::Line;
    d.style = style_;
    d.width = width_;
    d.colour = colour_;
    return d;
}

PolygonSymbol::PolygonSymbol(RegistryPtr registry, long style, long fillColour, long backColour, ISymbol *outline)
    : ComObject(std::move(registry), "PolygonSymbol"), style_(style), fillColour_(fillColour),
      backColour_(backColour), outline_(outline) {}

SymbolDescription PolygonSymbol::Describe() const {
    SymbolDescription d;
    d.kind = SymbolKind::Polygon;
    d.style = style_;
    d.colour = fillColour_;
    d.fillColour = fillColour_;
    d.backColour = backColour_;
    if (outline_) d.outline = std::make_shared<SymbolDescription>(DescribeSymbol(outline_.Get()));
    return d;
}

RasterSymbol::RasterSymbol(RegistryPtr registry, IRaster *raster, double scale)
    : ComObject(std::move(registry), "RasterSymbol"), raster_(raster), scale_(scale) {}

Raster *RasterSymbol::RasterObject() const {
    return Inspect<Raster>(raster_.Get());
}

SymbolDescription RasterSymbol::Describe() const {
    SymbolDescription d;
    d.kind = SymbolKind::Raster;
    d.scale = scale_;
    d.hasRaster = static_cast<bool>(raster_);
    if (Raster *raster = RasterObject()) d.image = raster->SharedImage();
    return d;
}

TextSymbol::TextSymbol(RegistryPtr registry, std::wstring faceName, double size, short weight, bool italic,
                       long colour)
    : ComObject(std::move(registry), "TextSymbol"), faceName_(std::move(faceName)), size_(size),
      weight_(weight), italic_(italic), colour_(colour) {}

SymbolDescription TextSymbol::Describe() const {
    SymbolDescription d;
    d.kind = SymbolKind::Text;
    d.faceName = faceName_;
    d.fontSize = size_;
    d.weight = weight_;
    d.italic = italic_;
    d.colour = colour_;
    return d;
}

}  // namespace kxshell
