// Drawing symbols made by the object factory. A plug-in only holds them and
// hands them back through its layer's cursor; the shell reads their fields
// to draw. Each answers ISymbol plus the interface of its kind (the text
// symbol answers ITextSymbol only).
#pragma once

#include "ComPtr.h"
#include "ImageDecoder.h"
#include "ShellObject.h"

#include <memory>
#include <string>

namespace kxshell {

class Raster;

enum class SymbolKind { None, Line, Polygon, Raster, Text, Foreign };

// A copy of a symbol's fields, kept after the symbol itself is released.
struct SymbolDescription {
    SymbolKind kind = SymbolKind::None;
    long style = 0;
    double width = 0;          // line width
    long colour = 0;           // line colour, text colour
    long fillColour = 0;       // polygon
    long backColour = 0;       // polygon
    std::shared_ptr<SymbolDescription> outline;  // polygon's line symbol
    double scale = 0;          // raster symbol
    bool hasRaster = false;
    std::shared_ptr<const DecodedImage> image;   // raster symbol's image
    std::wstring faceName;     // text symbol
    double fontSize = 0;       // points
    short weight = 0;
    bool italic = false;

    std::string Describe() const;
};

// What any symbol pointer describes; Foreign for objects not made here.
SymbolDescription DescribeSymbol(IUnknown *symbol);

class SymbolObject {
public:
    virtual ~SymbolObject() = default;
    virtual SymbolDescription Describe() const = 0;
};

class LineSymbol : public ComObject<ISymbol, ILineSymbol>, public SymbolObject {
public:
    LineSymbol(RegistryPtr registry, long style, double width, long colour);
    long Style() const { return style_; }
    double Width() const { return width_; }
    long Colour() const { return colour_; }
    SymbolDescription Describe() const override;

private:
    long style_;
    double width_;
    long colour_;
};

class PolygonSymbol : public ComObject<ISymbol, IPolygonSymbol>, public SymbolObject {
public:
    PolygonSymbol(RegistryPtr registry, long style, long fillColour, long backColour, ISymbol *outline);
    long Style() const { return style_; }
    long FillColour() const { return fillColour_; }
    long BackColour() const { return backColour_; }
    // The outline as given (a counted reference is held), may be null.
    ISymbol *Outline() const { return outline_.Get(); }
    SymbolDescription Describe() const override;

private:
    long style_;
    long fillColour_;
    long backColour_;
    ComPtr<ISymbol> outline_;
};

// A raster symbol may have no raster: a plug-in whose icon failed to load
// still gets a symbol, which draws nothing.
class RasterSymbol : public ComObject<ISymbol, IRasterSymbol>, public SymbolObject {
public:
    RasterSymbol(RegistryPtr registry, IRaster *raster, double scale);
    IRaster *RasterInterface() const { return raster_.Get(); }
    Raster *RasterObject() const;
    double Scale() const { return scale_; }
    SymbolDescription Describe() const override;

private:
    ComPtr<IRaster> raster_;
    double scale_;
};

// The font is read when the symbol is made; later changes to the font object
// do not change the symbol.
class TextSymbol : public ComObject<ITextSymbol>, public SymbolObject {
public:
    TextSymbol(RegistryPtr registry, std::wstring faceName, double size, short weight, bool italic, long colour);
    const std::wstring &FaceName() const { return faceName_; }
    double Size() const { return size_; }
    short Weight() const { return weight_; }
    bool Italic() const { return italic_; }
    long Colour() const { return colour_; }
    SymbolDescription Describe() const override;

private:
    std::wstring faceName_;
    double size_;
    short weight_;
    bool italic_;
    long colour_;
};

}  // namespace kxshell
