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
    // The drop-down list that offers an item of this text.
    HWND ComboWithItem(const std::wstring &item) const;
    // A tool bar button by the hint its owner gives for it; false if none.
    bool ToolButtonByHint(const std::wstring &hint, HWND &toolbar, int &command) const;
    // As a click on a check button of a tool bar: its state flips, then
    // its owner hears of the click.
    static void ClickToolButton(HWND toolbar, int command);
    static bool ToolButtonDown(HWND toolbar, int command);
    // As typing: the whole text selected, then a key press per character.
    static bool TypeText(HWND edit, const std::wstring &text);
    // As a click on a button; posted, since a button that opens a menu
    // holds its caller until the menu closes.
    static bool PostButtonClick(HWND button);
    // The push button showing this caption.
    HWND ButtonWithCaption(const std::wstring &caption) const;

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

private:
    std::vector<HWND> Children() const;
    HWND panel_;
};

}  // namespace kxapp
