#include "PanelDriver.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <utility>

#include "kx/text.h"

namespace kxapp {

std::wstring ClassOf(HWND w) {
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    return name;
}

std::wstring TextOf(HWND w) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(w, &text[0], static_cast<int>(text.size()))));
    return text;
}

namespace {

RECT ScreenRect(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r;
}

BOOL CALLBACK CollectWindow(HWND w, LPARAM lp) {
    reinterpret_cast<std::vector<HWND> *>(lp)->push_back(w);
    return TRUE;
}

POINT Centre(HWND w) {
    const RECT r = ScreenRect(w);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A press and release of the left button at a client point, the pointer there.
void MouseClick(HWND w, POINT client) {
    POINT screen = client;
    ClientToScreen(w, &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
    SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y));
    SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
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

HWND PanelDriver::GroupBox(const std::wstring &caption) const {
    for (HWND box : Children())
        if (_wcsicmp(ClassOf(box).c_str(), L"Button") == 0 && TextOf(box) == caption &&
            (GetWindowLongW(box, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX)
            return box;
    return nullptr;
}

HWND PanelDriver::FirstInFrame(const std::wstring &frame, const wchar_t *className) const {
    HWND box = GroupBox(frame);
    if (!box) return nullptr;
    const RECT f = ScreenRect(box);
    HWND best = nullptr;
    for (HWND w : Children()) {
        if (_wcsicmp(ClassOf(w).c_str(), className) != 0 || !IsWindowVisible(w)) continue;
        const RECT r = ScreenRect(w);
        if (r.left >= f.left && r.right <= f.right && r.top >= f.top && r.bottom <= f.bottom &&
            (!best || r.top < ScreenRect(best).top))
            best = w;
    }
    return best;
}

HWND PanelDriver::ComboWithItem(const std::wstring &item) const {
    for (HWND w : Children())
        if (_wcsicmp(ClassOf(w).c_str(), WC_COMBOBOXW) == 0) {
            const std::vector<std::wstring> items = ComboItems(w);
            if (std::find(items.begin(), items.end(), item) != items.end()) return w;
        }
    return nullptr;
}

bool PanelDriver::TypeText(HWND edit, const std::wstring &text) {
    if (!edit) return false;
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
    return true;
}

bool PanelDriver::PostButtonClick(HWND button) {
    if (!button) return false;
    return PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                        reinterpret_cast<LPARAM>(button)) != FALSE;
}

bool PanelDriver::ClickToolButton(const std::wstring &hint) const {
    HWND toolbar = nullptr;
    int command = 0;
    if (!FindToolButton(hint, toolbar, command)) return false;
    return PostMessageW(GetParent(toolbar), WM_COMMAND, MAKEWPARAM(command, BN_CLICKED),
                        reinterpret_cast<LPARAM>(toolbar)) != FALSE;
}

HWND PanelDriver::ButtonWithCaption(const std::wstring &caption) const {
    for (HWND w : Children())
        if (_wcsicmp(ClassOf(w).c_str(), WC_BUTTONW) == 0 && TextOf(w) == caption) return w;
    return nullptr;
}

HWND PanelDriver::StopButton() const { return ButtonWithCaption(L"<"); }

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

bool PanelDriver::TypeInto(HWND field, const std::wstring &text) {
    if (!field) return false;
    SetFocus(field);
    SetWindowTextW(field, text.c_str());  // an edit says EN_CHANGE itself
    if (_wcsicmp(ClassOf(field).c_str(), WC_COMBOBOXW) == 0) {
        Notify(field, CBN_EDITUPDATE);
        Notify(field, CBN_EDITCHANGE);
    }
    return true;
}

bool PanelDriver::FindToolButton(const std::wstring &hint, HWND &toolBar, int &command) const {
    for (HWND bar : Children()) {
        if (_wcsicmp(ClassOf(bar).c_str(), TOOLBARCLASSNAMEW) != 0) continue;
        const int count = static_cast<int>(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TBBUTTON button{};
            if (!SendMessageW(bar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button)) || !button.idCommand) continue;
            NMTTDISPINFOW info{};
            info.hdr.hwndFrom = bar;
            info.hdr.idFrom = static_cast<UINT_PTR>(button.idCommand);
            info.hdr.code = TTN_GETDISPINFOW;
            SendMessageW(GetParent(bar), WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
            const wchar_t *text = info.lpszText ? info.lpszText : info.szText;
            if (hint == text) {
                toolBar = bar;
                command = button.idCommand;
                return true;
            }
        }
    }
    return false;
}

void PanelDriver::ClickToolButton(HWND toolBar, int command) {
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_STYLE;
    SendMessageW(toolBar, TB_GETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info));
    if (info.fsStyle & BTNS_CHECK)
        SendMessageW(toolBar, TB_CHECKBUTTON, command, MAKELPARAM(!ToolButtonDown(toolBar, command), 0));
    SendMessageW(GetParent(toolBar), WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), reinterpret_cast<LPARAM>(toolBar));
}

bool PanelDriver::ToolButtonDown(HWND toolBar, int command) {
    return SendMessageW(toolBar, TB_ISBUTTONCHECKED, command, 0) != 0;
}

std::string PanelDriver::Choices() const {
    auto utf8 = [](const std::wstring &w) { return kx::ToUtf8(w); };
    auto combo = [&](const wchar_t *label) { return utf8(TextOf(FieldRightOf(label, WC_COMBOBOXW))); };
    auto picker = [&](const wchar_t *label, int nth, const wchar_t *format) {
        SYSTEMTIME st{};
        HWND field = FieldRightOf(label, DATETIMEPICK_CLASSW, nth);
        if (!field || SendMessageW(field, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID) return std::string("?");
        char text[32];
        if (format[0] == L'd') snprintf(text, sizeof text, "%02u.%02u.%04u", st.wDay, st.wMonth, st.wYear);
        else snprintf(text, sizeof text, "%02u:%02u", st.wHour, st.wMinute);
        return std::string(text);
    };
    auto toggle = [&](const wchar_t *hint) {
        HWND bar = nullptr;
        int command = 0;
        if (!FindToolButton(hint, bar, command)) return std::string("?");
        return std::string(ToolButtonDown(bar, command) ? "down" : "up");
    };
    return "group=\"" + combo(L"Группа:") + "\" | vehicle=\"" + combo(L"Название:") + " / " + combo(L"Номер ТС:") + " / " +
           combo(L"№ прибора:") + "\" | period=" + picker(L"с", 0, L"d") + " " + picker(L"с", 1, L"t") + " - " +
           picker(L"по", 0, L"d") + " " + picker(L"по", 1, L"t") + " | speed=" +
           utf8(TextOf(FieldRightOf(L"Скорость воспроизведения:", WC_COMBOBOXW))) + " | duration=" +
           utf8(TextOf(FieldRightOf(L"Продолжительность от, с:", WC_EDITW))) + " | skip-stops=" + toggle(L"Пропуск остановок") +
           " | checkpoints=" + toggle(L"Контрольные точки") + " | info-points=" + toggle(L"Информационные точки");
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


// ---- the settings dialog ----------------------------------------------------

namespace {

struct CaptionSearch {
    const wchar_t *caption;
    HWND found;
};

BOOL CALLBACK FindCaption(HWND w, LPARAM lp) {
    auto *search = reinterpret_cast<CaptionSearch *>(lp);
    if (IsWindowVisible(w) && TextOf(w) == search->caption && ClassOf(w) != L"#32770") {
        search->found = w;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND SettingsDialogDriver::Find(DWORD thread) {
    CaptionSearch search{kCaption, nullptr};
    EnumThreadWindows(thread, FindCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> SettingsDialogDriver::Children(const wchar_t *className) const {
    std::vector<HWND> all, out;
    EnumChildWindows(dialog_, CollectWindow, reinterpret_cast<LPARAM>(&all));
    for (HWND w : all)
        if (_wcsicmp(ClassOf(w).c_str(), className) == 0) out.push_back(w);
    return out;
}

std::vector<HWND> SettingsDialogDriver::CheckBoxes() const {
    std::vector<HWND> boxes;
    for (HWND w : Children(L"Button")) {
        const LONG type = GetWindowLongW(w, GWL_STYLE) & BS_TYPEMASK;
        if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX) boxes.push_back(w);
    }
    std::sort(boxes.begin(), boxes.end(), [](HWND a, HWND b) {
        const RECT ra = ScreenRect(a), rb = ScreenRect(b);
        return std::make_pair(ra.left, ra.top) < std::make_pair(rb.left, rb.top);
    });
    return boxes;
}

bool SettingsDialogDriver::SetCheck(int n, bool on) const {
    const std::vector<HWND> boxes = CheckBoxes();
    if (n < 1 || n > static_cast<int>(boxes.size())) return false;
    HWND box = boxes[static_cast<size_t>(n) - 1];
    if ((SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != on) {
        SetFocus(box);
        SendMessageW(box, BM_CLICK, 0, 0);
    }
    return (SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED) == on;
}

std::string SettingsDialogDriver::Checks() const {
    std::string marks;
    for (HWND box : CheckBoxes()) marks += SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED ? '1' : '0';
    return marks;
}

HWND SettingsDialogDriver::IconList() const {
    const std::vector<HWND> lists = Children(L"ListBox");
    return lists.empty() ? nullptr : lists.front();
}

int SettingsDialogDriver::SelectedIcon() const {
    const LRESULT index = SendMessageW(IconList(), LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

bool SettingsDialogDriver::OpenIconList() const {
    for (HWND w : Children(L"Static")) {
        if ((GetWindowLongW(w, GWL_STYLE) & SS_TYPEMASK) != SS_OWNERDRAW) continue;
        RECT r;
        GetClientRect(w, &r);
        MouseClick(w, POINT{r.right / 2, r.bottom / 2});
        return IsWindowVisible(IconList()) != FALSE;
    }
    return false;
}

bool SettingsDialogDriver::ClickIcon(int item) const {
    HWND list = IconList();
    if (!list || item < 0 || item >= static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0))) return false;
    if (!IsWindowVisible(list) && !OpenIconList()) return false;
    // Scrolled to it first, as a person would.
    SendMessageW(list, LB_SETTOPINDEX, item, 0);
    RECT r{};
    SendMessageW(list, LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&r));
    MouseClick(list, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    return SelectedIcon() == item;
}

bool SettingsDialogDriver::Wheel(bool down, bool inList) const {
    HWND list = IconList();
    if (!list) return false;
    if (inList) {
        if (!IsWindowVisible(list) && !OpenIconList()) return false;
        const POINT at = Centre(list);
        SetCursorPos(at.x, at.y);
        POINT client = at;
        ScreenToClient(list, &client);
        SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
    } else {
        // Over the dialog's caption area, away from the list.
        const RECT d = ScreenRect(dialog_);
        SetCursorPos(d.left + 12, d.top + 12);
        SendMessageW(list, WM_MOUSELEAVE, 0, 0);
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    // The wheel goes to the control with the focus.
    HWND target = GetFocus();
    if (!target || (target != dialog_ && !IsChild(dialog_, target))) target = dialog_;
    SendMessageW(target, WM_MOUSEWHEEL, MAKEWPARAM(0, down ? -WHEEL_DELTA : WHEEL_DELTA), MAKELPARAM(cursor.x, cursor.y));
    return true;
}

bool SettingsDialogDriver::Press(const std::wstring &caption) const {
    for (HWND w : Children(L"Button"))
        if (TextOf(w) == caption && (GetWindowLongW(w, GWL_STYLE) & BS_TYPEMASK) == BS_PUSHBUTTON) {
            SendMessageW(w, BM_CLICK, 0, 0);
            return true;
        }
    return false;
}

bool PanelDriver::ClickButton(HWND button) {
    if (!button || !IsWindowEnabled(button)) return false;
    SetFocus(button);
    Notify(button, BN_CLICKED);
    return true;
}

bool PanelDriver::TypeIntoCombo(HWND combo, const std::wstring &keys) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!combo || !GetComboBoxInfo(combo, &info)) return false;
    return TypeText(info.hwndItem, keys);
}

bool PanelDriver::SetToolButton(HWND toolbar, int command, bool down) {
    if (!toolbar) return false;
    if (ToolButtonDown(toolbar, command) != down) ClickToolButton(toolbar, command);
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

// ---- the trip report -----------------------------------------------------------

namespace {

struct ClassSearch {
    const wchar_t *className;
    const wchar_t *caption;  // null: any
    HWND found;
};

BOOL CALLBACK FindVisibleOfClass(HWND w, LPARAM lp) {
    auto *search = reinterpret_cast<ClassSearch *>(lp);
    if (IsWindowVisible(w) && ClassOf(w) == search->className && (!search->caption || TextOf(w) == search->caption)) {
        search->found = w;
        return FALSE;
    }
    return TRUE;
}

// The common dialog's file name field (an edit, or a combo box holding one)
// and its list of file types.
constexpr int kFileNameCombo = 0x47c, kFileNameEdit = 0x480, kFileTypeCombo = 0x470;

}  // namespace

HWND ReportWindowDriver::Find(DWORD thread) {
    ClassSearch search{L"TFormReport", nullptr, nullptr};
    EnumThreadWindows(thread, FindVisibleOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ReportWindowDriver::FindSaveDialog(DWORD thread) {
    ClassSearch search{L"#32770", kSaveCaption, nullptr};
    EnumThreadWindows(thread, FindVisibleOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string ReportWindowDriver::Summary() const {
    wchar_t text[512] = L"";
    SendMessageW(report_, RegisterWindowMessageW(L"KXReportSummary"), 512, reinterpret_cast<LPARAM>(text));
    return kx::ToUtf8(text);
}

bool ReportWindowDriver::ClickChart(double percent) const {
    HWND chart = FindWindowExW(report_, nullptr, L"TReportChart", nullptr);
    RECT client{};
    if (!chart || !GetClientRect(chart, &client)) return false;
    const int x = static_cast<int>(std::clamp(percent, 0.0, 100.0) / 100.0 * (client.right - 1));
    const LPARAM at = MAKELPARAM(x, client.bottom / 2);
    SendMessageW(chart, WM_MOUSEMOVE, 0, at);
    SendMessageW(chart, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(chart, WM_LBUTTONUP, 0, at);
    return true;
}

bool ReportWindowDriver::PressSave() const {
    for (HWND w = GetWindow(report_, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (_wcsicmp(ClassOf(w).c_str(), WC_BUTTONW) == 0 && TextOf(w) == L"Сохранить…") return PanelDriver::PostButtonClick(w);
    return false;
}

bool ReportWindowDriver::ChooseFile(HWND dialog, const std::wstring &path, int typeIndex) {
    HWND name = GetDlgItem(dialog, kFileNameCombo);
    if (!name) name = GetDlgItem(dialog, kFileNameEdit);
    if (!name) return false;
    SetWindowTextW(name, path.c_str());
    if (HWND types = GetDlgItem(dialog, kFileTypeCombo)) {
        SendMessageW(types, CB_SETCURSEL, static_cast<WPARAM>(typeIndex - 1), 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kFileTypeCombo, CBN_SELCHANGE), reinterpret_cast<LPARAM>(types));
        // Choosing a type may rewrite the name's extension: the name again.
        SetWindowTextW(name, path.c_str());
    }
    return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK))) != FALSE;
}

}  // namespace kxapp
