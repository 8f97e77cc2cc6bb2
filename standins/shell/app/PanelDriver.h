// Works a docked panel as a person does: finds its controls the way a
// person sees them (the field right of a caption, the one list of trips),
// changes them through their own messages and sends the notification the
// control itself sends for that user action. Runs on the window's thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kxapp {

class PanelDriver {
public:
    explicit PanelDriver(HWND panel) : panel_(panel) {}

    bool Present() const { return panel_ && IsWindow(panel_) && IsWindowVisible(panel_); }
    // The control of `className` on the row of the caption `label`, right
    // of it; `nth` counts from the left (0 first). Null when absent.
    HWND FieldRightOf(const std::wstring &label, const wchar_t *className, int nth = 0) const;
    HWND FirstOfClass(const wchar_t *className) const;

    // The player's buttons as a person sees them: stop shows its stop
    // symbol ("<" in the symbol font), play is the button left of it.
    HWND StopButton() const;
    HWND PlayButton() const;
    // The tool bar button whose hint is `hint` (asked of the panel as the
    // tool tip asks); false when there is none.
    bool FindToolButton(const std::wstring &hint, HWND &toolbar, int &command) const;

    static int ComboCount(HWND combo);
    static std::vector<std::wstring> ComboItems(HWND combo);
    // Index of `choice`: a 1-based number or the text of an item; -1 if none.
    static int ComboIndex(HWND combo, const std::wstring &choice);
    // As a mouse choice in the drop-down list: selection, then the
    // notifications the combo box sends its parent.
    static bool ChooseComboItem(HWND combo, int index);
    // As typing into a date or time picker: the new value, then the
    // change notification.
    static bool SetPicker(HWND picker, const SYSTEMTIME &time);
    static int ListCount(HWND list);
    static std::wstring ListItemText(HWND list, int item, int column);
    // As a click on a row: selection and focus, then the click notification.
    static bool ClickListItem(HWND list, int item);
    // As a click: the button's notification to its parent.
    static bool ClickButton(HWND button);
    // As typing into a combo box's edit: everything selected, then one
    // character message per key (the panel's key filter sees each).
    static bool TypeIntoCombo(HWND combo, const std::wstring &keys);
    // As a click on a check button of a tool bar, when its state differs.
    static bool SetToolButton(HWND toolbar, int command, bool down);
    // As a drag of the slider's thumb to `position`, released there.
    static bool DragSlider(HWND slider, int position);
    static std::wstring Text(HWND control);

private:
    std::vector<HWND> Children() const;
    HWND panel_;
};

}  // namespace kxapp
