// Draws the shell's layers: for each registered layer, the shapes that
// SelectInRect finds in the visible rectangle, walked with the cursor and
// drawn in the order received with their own symbols (lines, polygons,
// icons, text labels). Like a map engine it draws at the map's scale: of a
// shape's vertices it keeps, while the layer hands them over, what can show
// in the window (ScaleReducer). Keeps what it drew for hit tests and reports.
#pragma once

#include "Canvas.h"
#include "ShapeWalker.h"
#include "StandInShell.h"
#include "Viewport.h"

#include <string>
#include <vector>

namespace kxapp {

struct DrawnShape {
    size_t layer = 0;
    long id = 0;
    long kind = 0;
    std::wstring hint;          // the layer's hint for the shape, when it gave one
    std::vector<POINT> points;  // device pixels of the vertices kept
    std::vector<size_t> partStarts;  // the point that begins each part after the first
    RECT bounds{};              // device pixels, grown by the stroke
    size_t received = 0;        // vertices the layer gave
    RECT extent{};              // device pixels of all of them, kept or not
    double strokePixels = 1;
    long colour = 0;            // of the line or the outline, shell colour format
};

struct FrameStats {
    size_t shapes = 0;
    size_t vertices = 0;        // handed over by the layers
    size_t drawnVertices = 0;   // kept and drawn
    double walkMs = 0;   // SelectInRect and the cursor walk
    double drawMs = 0;   // drawing the received shapes
    std::vector<std::string> problems;  // protocol faults of the layers
};

class LayerPainter {
public:
    // Draws every layer of the shell's map onto the canvas.
    FrameStats Paint(kxshell::StandInShell &shell, Canvas &canvas, const Viewport &view);
    const std::vector<DrawnShape> &Drawn() const { return drawn_; }
    void Forget() {
        drawn_.clear();
        spareGeometry_.clear();
    }
    // The topmost shape within `slop` pixels of the point, or null.
    const DrawnShape *HitTest(POINT point, int slop) const;

    // Millimetres on the screen: the shell's line widths and font sizes.
    static double PixelsOfWidth(double millimetres);
    // The widest pen drawn, in pixels; wider symbols are drawn this wide.
    static const int kWidestPen = 64;

    // On, every vertex is drawn: the picture that keeping only what shows
    // at the map's scale must not change.
    void DrawEveryVertex(bool every) { everyVertex_ = every; }

private:
    void DrawShape(Canvas &canvas, const Viewport &view, const kxshell::WalkedShape &shape, DrawnShape &drawn);
    void DrawLine(Canvas &canvas, const DrawnShape &shape, const kxshell::SymbolDescription &symbol, bool closed);
    void FillPolygon(Canvas &canvas, const std::vector<POINT> &points, const kxshell::SymbolDescription &symbol);
    void DrawIcon(Canvas &canvas, POINT at, const kxshell::SymbolDescription &symbol, RECT &bounds);
    void DrawLabel(HDC dc, const Viewport &view, const kxshell::WalkedShape &shape);

    std::vector<DrawnShape> drawn_;
    // The arrays of the last frame's shapes, in reverse order, for the next
    // frame's: the same shapes come in the same order frame after frame.
    std::vector<kxshell::ShapeGeometry> spareGeometry_;
    std::vector<std::vector<POINT>> sparePoints_;
    Canvas scratch_;
    bool everyVertex_ = false;
};

}  // namespace kxapp
