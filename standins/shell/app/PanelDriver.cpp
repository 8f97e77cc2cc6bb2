#include "PanelDriver.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

namespace kxapp {
namespace {

std::wstring ClassOf(HWND w) {
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    return name;
}

std::wstring TextOf(HWND w) {
    wchar_t text[256] = {};
    GetWindowTextW(w, text, 256);
    return text;
}

RECT ScreenRect(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r;
}

BOOL CALLBACK CollectWindow(HWND w, LPARAM lp) {
    reinterpret_cast<std::vector<HWND> *>(lp)->push_back(w);
    return TRUE;
}

void Notify(HWND control, UINT code) {
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
}

}  // namespace

std::vector<HWND> PanelDriver::Children() const {
    std::vector<HWND> out;
    if (!panel_) return out;
    EnumChildWindows(panel_, CollectWindow, reinterpret_cast<LPARAM>(&out));
    return out;
}

HWND PanelDriver::FieldRightOf(const std::wstring &label, const wchar_t *className, int nth) const {
    const std::vector<HWND> children = Children();
    HWND caption = nullptr;
    for (HWND w : children)
        if (_wcsicmp(ClassOf(w).c_str(), L"Static") == 0 && TextOf(w) == label && IsWindowVisible(w)) {
            caption = w;
            break;
        }
    if (!caption) return nullptr;
    const RECT c = ScreenRect(caption);
    const LONG row = (c.top + c.bottom) / 2;
    std::vector<HWND> candidates;
    for (HWND w : children) {
        if (w == caption || _wcsicmp(ClassOf(w).c_str(), className) != 0 || GetParent(w) != GetParent(caption)) continue;
        const RECT r = ScreenRect(w);
        if (r.left >= c.left && r.top - 6 <= row && row <= r.bottom + 6) candidates.push_back(w);
    }
    std::sort(candidates.begin(), candidates.end(), [](HWND a, HWND b) { return ScreenRect(a).left < ScreenRect(b).left; });
    return nth >= 0 && static_cast<size_t>(nth) < candidates.size() ? candidates[static_cast<size_t>(nth)] : nullptr;
}

HWND PanelDriver::FirstOfClass(const wchar_t *className) const {
    for (HWND w : Children())
        if (_wcsicmp(ClassOf(w).c_str(), className) == 0) return w;
    return nullptr;
}

HWND PanelDriver::StopButton() const {
    for (HWND w : Children())
        if (_wcsicmp(ClassOf(w).c_str(), WC_BUTTONW) == 0 && TextOf(w) == L"<") return w;
    return nullptr;
}

HWND PanelDriver::PlayButton() const {
    HWND stop = StopButton();
    if (!stop) return nullptr;
    const RECT s = ScreenRect(stop);
    HWND best = nullptr;
    for (HWND w : Children()) {
        if (w == stop || _wcsicmp(ClassOf(w).c_str(), WC_BUTTONW) != 0 || GetParent(w) != GetParent(stop)) continue;
        const RECT r = ScreenRect(w);
        if (r.right <= s.left && r.bottom > s.top && r.top < s.bottom && (!best || r.left > ScreenRect(best).left)) best = w;
    }
    return best;
}

bool PanelDriver::FindToolButton(const std::wstring &hint, HWND &toolbar, int &command) const {
    for (HWND w : Children()) {
        if (_wcsicmp(ClassOf(w).c_str(), TOOLBARCLASSNAMEW) != 0) continue;
        const int count = static_cast<int>(SendMessageW(w, TB_BUTTONCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TBBUTTON button{};
            if (!SendMessageW(w, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button)) || (button.fsStyle & BTNS_SEP)) continue;
            NMTTDISPINFOW info{};
            info.hdr.hwndFrom = w;
            info.hdr.idFrom = static_cast<UINT_PTR>(button.idCommand);
            info.hdr.code = TTN_GETDISPINFOW;
            SendMessageW(GetParent(w), WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
            if (info.lpszText && hint == info.lpszText) {
                toolbar = w;
                command = button.idCommand;
                return true;
            }
        }
    }
    return false;
}

int PanelDriver::ComboCount(HWND combo) {
    const LRESULT n = combo ? SendMessageW(combo, CB_GETCOUNT, 0, 0) : 0;
    return n == CB_ERR ? 0 : static_cast<int>(n);
}

std::vector<std::wstring> PanelDriver::ComboItems(HWND combo) {
    std::vector<std::wstring> out;
    for (int i = 0; i < ComboCount(combo); ++i) {
        const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
        std::wstring text(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(wcslen(text.c_str()));
        out.push_back(text);
    }
    return out;
}

int PanelDriver::ComboIndex(HWND combo, const std::wstring &choice) {
    const std::vector<std::wstring> items = ComboItems(combo);
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == choice) return static_cast<int>(i);
    const int number = _wtoi(choice.c_str());
    if (number >= 1 && number <= static_cast<int>(items.size()) && std::to_wstring(number) == choice) return number - 1;
    return -1;
}

bool PanelDriver::ChooseComboItem(HWND combo, int index) {
    if (!combo || index < 0 || index >= ComboCount(combo)) return false;
    SetFocus(combo);
    Notify(combo, CBN_DROPDOWN);
    SendMessageW(combo, CB_SETCURSEL, index, 0);
    Notify(combo, CBN_SELCHANGE);
    Notify(combo, CBN_CLOSEUP);
    Notify(combo, CBN_SELENDOK);
    return true;
}

bool PanelDriver::SetPicker(HWND picker, const SYSTEMTIME &time) {
    if (!picker) return false;
    SetFocus(picker);
    if (!SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time))) return false;
    NMDATETIMECHANGE change{};
    change.nmhdr.hwndFrom = picker;
    change.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(picker));
    change.nmhdr.code = DTN_DATETIMECHANGE;
    change.dwFlags = GDT_VALID;
    SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&change.st));
    SendMessageW(GetParent(picker), WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
    return true;
}

int PanelDriver::ListCount(HWND list) {
    return list ? static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

std::wstring PanelDriver::ListItemText(HWND list, int item, int column) {
    wchar_t text[256] = {};
    LVITEMW lv{};
    lv.iSubItem = column;
    lv.pszText = text;
    lv.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lv));
    return text;
}

bool PanelDriver::ClickListItem(HWND list, int item) {
    if (!list || item < 0 || item >= ListCount(list)) return false;
    SetFocus(list);
    SendMessageW(list, LVM_ENSUREVISIBLE, item, FALSE);
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state));
    RECT r{};
    r.left = LVIR_LABEL;
    SendMessageW(list, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&r));
    NMITEMACTIVATE click{};
    click.hdr.hwndFrom = list;
    click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
    click.hdr.code = NM_CLICK;
    click.iItem = item;
    click.ptAction = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    SendMessageW(GetParent(list), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    return true;
}

bool PanelDriver::ClickButton(HWND button) {
    if (!button || !IsWindowEnabled(button)) return false;
    SetFocus(button);
    Notify(button, BN_CLICKED);
    return true;
}

bool PanelDriver::TypeIntoCombo(HWND combo, const std::wstring &keys) {
    COMBOBOXINFO info{sizeof(info)};
    if (!combo || !GetComboBoxInfo(combo, &info) || !info.hwndItem) return false;
    SetFocus(info.hwndItem);
    SendMessageW(info.hwndItem, EM_SETSEL, 0, -1);
    for (wchar_t key : keys) SendMessageW(info.hwndItem, WM_CHAR, key, 1);
    return true;
}

bool PanelDriver::SetToolButton(HWND toolbar, int command, bool down) {
    if (!toolbar) return false;
    const bool isDown = SendMessageW(toolbar, TB_ISBUTTONCHECKED, command, 0) != 0;
    if (isDown == down) return true;
    SendMessageW(toolbar, TB_CHECKBUTTON, command, MAKELPARAM(down ? TRUE : FALSE, 0));
    SendMessageW(GetParent(toolbar), WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), reinterpret_cast<LPARAM>(toolbar));
    return true;
}

bool PanelDriver::DragSlider(HWND slider, int position) {
    if (!slider) return false;
    SetFocus(slider);
    const HWND parent = GetParent(slider);
    const LPARAM from = reinterpret_cast<LPARAM>(slider);
    SendMessageW(slider, TBM_SETPOS, TRUE, position);
    const WPARAM pos = static_cast<WPARAM>(SendMessageW(slider, TBM_GETPOS, 0, 0));
    SendMessageW(parent, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, pos), from);
    SendMessageW(parent, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, pos), from);
    SendMessageW(parent, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), from);
    return true;
}

std::wstring PanelDriver::Text(HWND control) { return control ? TextOf(control) : std::wstring(); }

}  // namespace kxapp
