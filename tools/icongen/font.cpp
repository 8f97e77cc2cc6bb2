#include "font.h"

#include <vector>

namespace icongen {

namespace {

struct Glyph {
    float width = 0;
    std::vector<std::vector<Pt>> strokes;
    std::vector<Pt> dots;  // round dots (diameter = 1.25 x stroke)
};

std::vector<Pt> arc(float cx, float cy, float rx, float ry, float a0, float a1) {
    return arcPoints(cx, cy, rx, ry, a0, a1, 24);
}

std::vector<Pt> join(std::vector<Pt> a, const std::vector<Pt>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Glyph glyphFor(char ch) {
    Glyph g;
    switch (ch) {
    case '0': g.width = 6; g.strokes = {arc(3, 5, 3, 5, 0, 360)}; break;
    case '1': g.width = 4.5f; g.strokes = {{{0.6f, 2.4f}, {3.2f, 0}, {3.2f, 10}}}; break;
    case '2':
        g.width = 6;
        g.strokes = {join(arc(3, 3, 2.9f, 2.9f, 175, 385), {{0.1f, 10}, {6.1f, 10}})};
        break;
    case '3':
        g.width = 6;
        g.strokes = {join(arc(2.9f, 2.6f, 2.6f, 2.6f, 195, 450), arc(2.9f, 7.3f, 2.8f, 2.7f, 270, 525))};
        break;
    case '4': g.width = 6.2f; g.strokes = {{{4.6f, 10}, {4.6f, 0}, {0, 7}, {6.2f, 7}}}; break;
    case '5':
        g.width = 6;
        g.strokes = {join({{5.6f, 0}, {1, 0}, {0.6f, 4.6f}}, arc(2.9f, 6.9f, 3.1f, 3.1f, 225, 515))};
        break;
    case '6':
        g.width = 6;
        g.strokes = {{{4.9f, 0.1f}, {0.9f, 4.9f}}, arc(3, 7, 3, 3, 0, 360)};
        break;
    case '7': g.width = 6; g.strokes = {{{0, 0}, {6, 0}, {2, 10}}}; break;
    case '8': g.width = 6; g.strokes = {arc(3, 2.5f, 2.5f, 2.5f, 0, 360), arc(3, 7.3f, 2.9f, 2.7f, 0, 360)}; break;
    case '9':
        g.width = 6;
        g.strokes = {{{5.1f, 5.1f}, {1.1f, 9.9f}}, arc(3, 3, 3, 3, 0, 360)};
        break;
    case 'K': g.width = 6; g.strokes = {{{0, 0}, {0, 10}}, {{5.8f, 0}, {0, 6.2f}}, {{2.1f, 4}, {6.2f, 10}}}; break;
    case 'X': g.width = 6.4f; g.strokes = {{{0, 0}, {6.4f, 10}}, {{6.4f, 0}, {0, 10}}}; break;
    case 'P':
        g.width = 6;
        g.strokes = {join(join({{0, 10}, {0, 0}, {3.2f, 0}}, arc(3.2f, 2.75f, 2.75f, 2.75f, 270, 450)), {{0, 5.5f}})};
        break;
    case 'l': g.width = 1.6f; g.strokes = {{{0.8f, -0.4f}, {0.8f, 10}}}; break;
    case 'a':
        g.width = 6;
        g.strokes = {arc(2.9f, 7.1f, 2.9f, 2.9f, 0, 360), {{5.8f, 4}, {5.8f, 10}}};
        break;
    case 'y': g.width = 6.2f; g.strokes = {{{0, 4}, {3.1f, 9.8f}}, {{6.2f, 4}, {1.4f, 13.2f}}}; break;
    case 'e':
        g.width = 6;
        g.strokes = {join({{0.2f, 7.1f}, {5.8f, 7.1f}}, arc(3, 7.1f, 2.8f, 2.9f, 0, -305))};
        break;
    case 'r': g.width = 4.4f; g.strokes = {{{0.6f, 4}, {0.6f, 10}}, arc(3.6f, 7.1f, 3.0f, 2.9f, 180, 290)}; break;
    case 'i': g.width = 1.6f; g.strokes = {{{0.8f, 4.2f}, {0.8f, 10}}}; g.dots = {{0.8f, 1.4f}}; break;
    case '?':
        g.width = 6;
        g.strokes = {join(arc(3, 2.9f, 2.8f, 2.8f, 190, 400), {{3, 6.9f}})};
        g.dots = {{3, 9.6f}};
        break;
    case '+': g.width = 6; g.strokes = {{{0, 5}, {6, 5}}, {{3, 2}, {3, 8}}}; break;
    case '-': g.width = 5; g.strokes = {{{0, 5}, {5, 5}}}; break;
    case ' ': g.width = 3.5f; break;
    default: break;
    }
    return g;
}

}  // namespace

bool hasGlyph(char c) { return c == ' ' || glyphFor(c).width > 0; }

float textWidth(const std::string& text, const TextStyle& st) {
    const float k = st.height / 10;
    float w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        w += glyphFor(text[i]).width * k;
        if (i + 1 < text.size()) w += st.spacing * k;
    }
    return w + st.weight * k;  // half a stroke sticks out on either side
}

void addText(Path& path, const std::string& text, float x, float y, const TextStyle& st) {
    const float k = st.height / 10;
    float pen = x + st.weight * k / 2;
    for (char ch : text) {
        const Glyph g = glyphFor(ch);
        for (const auto& s : g.strokes) {
            std::vector<Pt> pts;
            for (Pt p : s) pts.push_back({pen + p.x * k, y + p.y * k});
            path.stroke(pts, st.weight * k);
        }
        for (Pt d : g.dots) path.circle(pen + d.x * k, y + d.y * k, st.weight * k * 0.68f);
        pen += (g.width + st.spacing) * k;
    }
}

}  // namespace icongen
