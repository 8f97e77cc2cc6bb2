#include "Callouts.h"

#include "HtmlText.h"

#include <algorithm>
#include <memory>

namespace kxapp {
namespace {

LOGFONTW UiFont(int points) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(points, 96, 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = ANTIALIASED_QUALITY;
    lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    return lf;
}

void Shadow(HDC dc, RECT box) {
    OffsetRect(&box, 3, 3);
    HBRUSH shade = CreateSolidBrush(RGB(170, 166, 160));
    HRGN region = CreateRoundRectRgn(box.left, box.top, box.right + 1, box.bottom + 1, 10, 10);
    FillRgn(dc, region, shade);
    DeleteObject(region);
    DeleteObject(shade);
}

}  // namespace

std::vector<PlacedBalloon> DrawBalloons(HDC dc, const Viewport &view, const kxshell::Map &map) {
    std::vector<PlacedBalloon> placed;
    const LOGFONTW font = UiFont(8);
    for (kxshell::Balloon *balloon : map.ShownBalloons()) {
        const kxshell::BalloonPlacement &where = balloon->Placement();
        const POINT anchor = view.ToDevice(where.anchorX, where.anchorY);
        std::wstring html;
        const kxshell::BalloonSnapshot snapshot = balloon->Snapshot();
        for (const auto &pane : snapshot.panes) {
            if (!html.empty()) html += L"<br />";
            html += pane.second;
        }
        HtmlLayout layout(dc, font, html, std::max<long>(where.width, 220));
        const int pad = 8, closeSize = where.closeButton ? 14 : 0;
        const int w = std::max<int>(where.width, layout.Size().cx + 2 * pad + closeSize);
        const int h = std::max<int>(where.height, layout.Size().cy + 2 * pad);
        // The offset is from the anchor to the balloon's lower-left corner
        // (y grows downwards): (20, -20) puts it up and to the right.
        const int left = anchor.x + where.offsetX, bottom = anchor.y + where.offsetY;
        RECT box{left, bottom - h, left + w, bottom};
        Shadow(dc, box);
        HBRUSH fill = CreateSolidBrush(RGB(255, 253, 240));
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(120, 110, 90));
        const HGDIOBJ oldBrush = SelectObject(dc, fill);
        const HGDIOBJ oldPen = SelectObject(dc, pen);
        // The pointer from the box to the anchor, then the box over its base.
        POINT pointer[3] = {{box.left + 8, box.bottom - 1}, {anchor.x, anchor.y}, {box.left + 22, box.bottom - 1}};
        Polygon(dc, pointer, 3);
        RoundRect(dc, box.left, box.top, box.right, box.bottom, 10, 10);
        SelectObject(dc, GetStockObject(NULL_PEN));
        POINT seam[3] = {{box.left + 9, box.bottom - 2}, {box.left + 21, box.bottom - 2}, {box.left + 15, box.bottom + 1}};
        Polygon(dc, seam, 3);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(pen);
        DeleteObject(fill);
        layout.Draw(dc, box.left + pad, box.top + pad, RGB(30, 30, 30));
        PlacedBalloon p;
        p.balloon = balloon;
        p.box = box;
        if (where.closeButton) {
            p.closeBox = RECT{box.right - 16, box.top + 4, box.right - 4, box.top + 16};
            HPEN cross = CreatePen(PS_SOLID, 2, RGB(120, 110, 90));
            const HGDIOBJ old = SelectObject(dc, cross);
            MoveToEx(dc, p.closeBox.left + 2, p.closeBox.top + 2, nullptr);
            LineTo(dc, p.closeBox.right - 2, p.closeBox.bottom - 2);
            MoveToEx(dc, p.closeBox.right - 2, p.closeBox.top + 2, nullptr);
            LineTo(dc, p.closeBox.left + 2, p.closeBox.bottom - 2);
            SelectObject(dc, old);
            DeleteObject(cross);
        }
        placed.push_back(p);
    }
    return placed;
}

RECT DrawHoverTip(HDC dc, const Viewport &view, const HoverTip &tip) {
    if (!tip.shown || (tip.title.empty() && tip.hint.empty())) return RECT{};
    // The title in bold above the hint, when the two say different things.
    std::wstring html;
    if (!tip.title.empty()) html = L"<b>" + tip.title + L"</b>";
    if (!tip.hint.empty() && PlainText(tip.hint) != PlainText(tip.title)) html += (html.empty() ? L"" : L"<br />") + tip.hint;
    HtmlLayout layout(dc, UiFont(8), html, 280);
    const int pad = 5;
    const int w = layout.Size().cx + 2 * pad, h = layout.Size().cy + 2 * pad;
    int left = tip.at.x + 14, top = tip.at.y + 18;
    if (left + w > view.width - 2) left = std::max<int>(2, tip.at.x - w - 6);
    if (top + h > view.height - 2) top = std::max<int>(2, tip.at.y - h - 6);
    RECT box{left, top, left + w, top + h};
    HBRUSH fill = CreateSolidBrush(RGB(255, 255, 225));
    FillRect(dc, &box, fill);
    DeleteObject(fill);
    HBRUSH frame = CreateSolidBrush(RGB(118, 118, 118));
    FrameRect(dc, &box, frame);
    DeleteObject(frame);
    layout.Draw(dc, left + pad, top + pad, RGB(0, 0, 0));
    return box;
}

}  // namespace kxapp
