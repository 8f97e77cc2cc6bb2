// The small HTML subset of the texts plug-ins hand the shell (balloons,
// hints, labels): <b>, <u>, <br />, and the common character entities.
// Other tags are dropped, their text is kept.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kxapp {

struct TextRun {
    std::wstring text;
    bool bold = false;
    bool underline = false;
};

// One line of runs per <br />.
using TextLine = std::vector<TextRun>;
std::vector<TextLine> ParseHtmlText(const std::wstring &html);
// The text without markup, lines joined by '\n'.
std::wstring PlainText(const std::wstring &html);

// Lays the text out in the font `base` (and its bold/underlined variants),
// wrapping words at maxWidth pixels.
class HtmlLayout {
public:
    HtmlLayout(HDC dc, const LOGFONTW &base, const std::wstring &html, int maxWidth);
    ~HtmlLayout();
    HtmlLayout(const HtmlLayout &) = delete;
    HtmlLayout &operator=(const HtmlLayout &) = delete;

    SIZE Size() const { return size_; }
    // Draws with the top-left corner at (x, y) in `colour`, transparent background.
    void Draw(HDC dc, int x, int y, COLORREF colour) const;

private:
    struct Piece {
        std::wstring text;
        int font;  // bold | underline << 1
        int x, y;
    };
    HFONT Font(int index) const { return fonts_[index]; }
    HFONT fonts_[4] = {};
    std::vector<Piece> pieces_;
    SIZE size_{0, 0};
};

}  // namespace kxapp
