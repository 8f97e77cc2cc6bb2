#include "LayoutCheck.h"

#include <commctrl.h>

#include <algorithm>

#include "PanelDriver.h"

namespace kxapp {
namespace {

// The size of `text` drawn in the control's font; `width` > 0 wraps at it.
SIZE Measure(HWND control, const std::wstring &text, UINT format, int width = 0) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT r{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format | DT_CALCRECT | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {r.right - r.left, r.bottom - r.top};
}

int Scaled(HWND w, int pixels) {
    HDC dc = GetDC(w);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(w, dc);
    return MulDiv(pixels, dpi, 96);
}

bool Fits(SIZE text, const RECT &area) {
    return text.cx <= area.right - area.left && text.cy <= area.bottom - area.top;
}

// Why a control's text does not fit, or empty when it does.
std::wstring ClippedText(HWND w) {
    const std::wstring cls = ClassOf(w);
    const LONG style = GetWindowLongW(w, GWL_STYLE);
    RECT client;
    GetClientRect(w, &client);
    if (_wcsicmp(cls.c_str(), WC_STATICW) == 0) {
        const LONG type = style & SS_TYPEMASK;
        const std::wstring text = TextOf(w);
        if (text.empty() || (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP))
            return L"";
        // A wrapping label may take more lines when it has their height.
        const SIZE size = type == SS_LEFTNOWORDWRAP ? Measure(w, text, DT_SINGLELINE)
                                                    : Measure(w, text, DT_WORDBREAK, client.right);
        return Fits(size, client) ? L"" : L"label \"" + text + L"\"";
    }
    if (_wcsicmp(cls.c_str(), WC_BUTTONW) == 0) {
        const LONG type = style & BS_TYPEMASK;
        const std::wstring text = TextOf(w);
        if (text.empty() || type == BS_OWNERDRAW)
            return L"";
        SIZE size = Measure(w, text, DT_SINGLELINE);
        if (type == BS_GROUPBOX) {
            // The caption sits in the frame's top edge, between its corners.
            size.cx += Scaled(w, 16);
        } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                   type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE) {
            size.cx += GetSystemMetrics(SM_CXMENUCHECK) + Scaled(w, 4);
        } else {
            size.cx += 2 * GetSystemMetrics(SM_CXEDGE) + Scaled(w, 4);
            size.cy += 2 * GetSystemMetrics(SM_CYEDGE);
        }
        return Fits(size, client) ? L"" : L"button \"" + text + L"\"";
    }
    if (_wcsicmp(cls.c_str(), WC_COMBOBOXW) == 0) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof(info);
        if (!GetComboBoxInfo(w, &info))
            return L"";
        const LRESULT index = SendMessageW(w, CB_GETCURSEL, 0, 0);
        std::wstring text;
        if (info.hwndItem) {
            text = TextOf(info.hwndItem);
        } else if (index >= 0) {
            const LRESULT length = SendMessageW(w, CB_GETLBTEXTLEN, index, 0);
            if (length > 0) {
                text.assign(static_cast<size_t>(length) + 1, L'\0');
                SendMessageW(w, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
                text.resize(static_cast<size_t>(length));
            }
        }
        SIZE size = Measure(w, text.empty() ? L"Ag" : text, DT_SINGLELINE);
        if (text.empty())
            size.cx = 0;
        return Fits(size, info.rcItem) ? L"" : L"combo box \"" + text + L"\"";
    }
    if (_wcsicmp(cls.c_str(), WC_EDITW) == 0) {
        RECT area{};
        SendMessageW(w, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
        const std::wstring text = TextOf(w);
        SIZE size = Measure(w, text.empty() ? L"Ag" : text, DT_SINGLELINE);
        if (text.empty())
            size.cx = 0;
        return Fits(size, area) ? L"" : L"edit \"" + text + L"\"";
    }
    if (_wcsicmp(cls.c_str(), WC_LISTVIEWW) == 0) {
        HWND header = reinterpret_cast<HWND>(SendMessageW(w, LVM_GETHEADER, 0, 0));
        const int count = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
        for (int i = 0; i < count; ++i) {
            wchar_t caption[128] = {};
            HDITEMW item{};
            item.mask = HDI_TEXT;
            item.pszText = caption;
            item.cchTextMax = 128;
            SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
            RECT r{};
            SendMessageW(header, HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
            SIZE size = Measure(header, caption, DT_SINGLELINE);
            // The header keeps a margin of three edge widths on each side.
            size.cx += 6 * GetSystemMetrics(SM_CXEDGE);
            if (!Fits(size, r))
                return L"list header \"" + std::wstring(caption) + L"\"";
        }
    }
    return L"";
}

bool Contains(const RECT &outer, const RECT &inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

}  // namespace

LayoutFigures CheckLayout(HWND parent) {
    LayoutFigures figures;
    HDC dc = GetDC(parent);
    figures.dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(parent, dc);
    std::vector<std::pair<HWND, RECT>> shown;
    for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (!IsWindowVisible(w))
            continue;
        RECT r;
        GetWindowRect(w, &r);
        if (r.right <= r.left || r.bottom <= r.top)
            continue;
        shown.emplace_back(w, r);
        const std::wstring why = ClippedText(w);
        if (!why.empty()) {
            ++figures.clipped;
            figures.findings.push_back(L"clipped " + why);
        }
    }
    figures.controls = static_cast<int>(shown.size());
    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = i + 1; j < shown.size(); ++j) {
            const auto &[a, ra] = shown[i];
            const auto &[b, rb] = shown[j];
            RECT common;
            if (!IntersectRect(&common, &ra, &rb) || Contains(ra, rb) || Contains(rb, ra))
                continue;
            auto buddyOf = [](HWND w) {
                return ClassOf(w) == UPDOWN_CLASSW ? reinterpret_cast<HWND>(SendMessageW(w, UDM_GETBUDDY, 0, 0))
                                                   : nullptr;
            };
            if (buddyOf(a) == b || buddyOf(b) == a)
                continue;
            ++figures.overlaps;
            figures.findings.push_back(L"overlap " + ClassOf(a) + L" \"" + TextOf(a) + L"\" / " + ClassOf(b) + L" \"" +
                                       TextOf(b) + L"\"");
        }
    return figures;
}

}  // namespace kxapp
