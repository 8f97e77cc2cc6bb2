// A tiny stroke font, so that digits and the few letters the artwork needs
// are drawn as vector strokes and nothing depends on installed fonts.
// Glyph cell: cap height 10 units, baseline at y = 10, descenders to y = 13.
#pragma once

#include <string>

#include "raster.h"

namespace icongen {

struct TextStyle {
    float height = 10;    // cap height in design units of the target path
    float weight = 1.6f;  // stroke width in glyph units (of the 10-unit cell)
    float spacing = 1.4f; // extra advance between glyphs, glyph units
};

bool hasGlyph(char c);
// Advance width of the text in design units.
float textWidth(const std::string& text, const TextStyle& st);
// Adds the strokes of `text` with the cap top-left at (x, y) to the path.
void addText(Path& path, const std::string& text, float x, float y, const TextStyle& st);

}  // namespace icongen
