#include "HtmlText.h"

#include <algorithm>
#include <cwctype>

namespace kxapp {
namespace {

std::wstring Lower(std::wstring s) {
    for (auto &c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

// Replaces &amp; &lt; &gt; &quot; &nbsp; &#NNN; in place.
std::wstring DecodeEntities(const std::wstring &in) {
    std::wstring out;
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] != L'&') {
            out += in[i];
            continue;
        }
        const size_t semi = in.find(L';', i);
        if (semi == std::wstring::npos || semi - i > 8) {
            out += in[i];
            continue;
        }
        const std::wstring name = Lower(in.substr(i + 1, semi - i - 1));
        wchar_t c = 0;
        if (name == L"amp") c = L'&';
        else if (name == L"lt") c = L'<';
        else if (name == L"gt") c = L'>';
        else if (name == L"quot") c = L'"';
        else if (name == L"nbsp") c = 0xA0;
        else if (name.size() > 1 && name[0] == L'#') c = static_cast<wchar_t>(_wtoi(name.c_str() + 1));
        if (!c) {
            out += in[i];
            continue;
        }
        out += c;
        i = semi;
    }
    return out;
}

}  // namespace

std::vector<TextLine> ParseHtmlText(const std::wstring &html) {
    std::vector<TextLine> lines(1);
    bool bold = false, underline = false;
    std::wstring pending;
    auto flush = [&] {
        if (pending.empty()) return;
        TextRun run{DecodeEntities(pending), bold, underline};
        pending.clear();
        TextLine &line = lines.back();
        if (!line.empty() && line.back().bold == run.bold && line.back().underline == run.underline)
            line.back().text += run.text;
        else
            line.push_back(std::move(run));
    };
    for (size_t i = 0; i < html.size(); ++i) {
        const wchar_t c = html[i];
        if (c == L'<') {
            const size_t close = html.find(L'>', i);
            if (close == std::wstring::npos) {
                pending += html.substr(i);
                break;
            }
            std::wstring tag = Lower(html.substr(i + 1, close - i - 1));
            tag.erase(std::remove_if(tag.begin(), tag.end(), [](wchar_t ch) { return std::iswspace(ch); }), tag.end());
            flush();
            if (tag == L"b" || tag == L"strong") bold = true;
            else if (tag == L"/b" || tag == L"/strong") bold = false;
            else if (tag == L"u") underline = true;
            else if (tag == L"/u") underline = false;
            else if (tag == L"br" || tag == L"br/") lines.emplace_back();
            i = close;
        } else if (c == L'\r') {
        } else if (c == L'\n') {
            lines.emplace_back();
        } else {
            pending += c;
        }
    }
    flush();
    return lines;
}

std::wstring PlainText(const std::wstring &html) {
    std::wstring out;
    const auto lines = ParseHtmlText(html);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) out += L'\n';
        for (const auto &run : lines[i]) out += run.text;
    }
    return out;
}

HtmlLayout::HtmlLayout(HDC dc, const LOGFONTW &base, const std::wstring &html, int maxWidth) {
    for (int i = 0; i < 4; ++i) {
        LOGFONTW lf = base;
        if (i & 1) lf.lfWeight = FW_BOLD;
        lf.lfUnderline = (i & 2) ? TRUE : FALSE;
        fonts_[i] = CreateFontIndirectW(&lf);
    }
    const HGDIOBJ old = SelectObject(dc, fonts_[0]);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    const int lineHeight = tm.tmHeight + tm.tmExternalLeading;
    int y = 0;
    for (const TextLine &line : ParseHtmlText(html)) {
        int x = 0;
        for (const TextRun &run : line) {
            const int font = (run.bold ? 1 : 0) | (run.underline ? 2 : 0);
            SelectObject(dc, fonts_[font]);
            // Word by word, so that a long text wraps inside maxWidth.
            size_t start = 0;
            while (start < run.text.size()) {
                size_t end = run.text.find(L' ', start);
                end = end == std::wstring::npos ? run.text.size() : end + 1;
                const std::wstring word = run.text.substr(start, end - start);
                SIZE extent{};
                GetTextExtentPoint32W(dc, word.c_str(), static_cast<int>(word.size()), &extent);
                if (x > 0 && maxWidth > 0 && x + extent.cx > maxWidth) {
                    x = 0;
                    y += lineHeight;
                }
                pieces_.push_back({word, font, x, y});
                x += extent.cx;
                size_.cx = std::max<LONG>(size_.cx, x);
                start = end;
            }
        }
        y += lineHeight;
    }
    size_.cy = y;
    SelectObject(dc, old);
}

HtmlLayout::~HtmlLayout() {
    for (HFONT font : fonts_)
        if (font) DeleteObject(font);
}

void HtmlLayout::Draw(HDC dc, int x, int y, COLORREF colour) const {
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(dc, colour);
    const HGDIOBJ oldFont = SelectObject(dc, fonts_[0]);
    for (const Piece &piece : pieces_) {
        SelectObject(dc, fonts_[piece.font]);
        TextOutW(dc, x + piece.x, y + piece.y, piece.text.c_str(), static_cast<int>(piece.text.size()));
    }
    SelectObject(dc, oldFont);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
}

}  // namespace kxapp
