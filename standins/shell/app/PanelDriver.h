// Works a docked panel as a person does: finds its controls the way a
// person sees them (the field right of a caption, the one list of trips),
// changes them through their own messages and sends the notification the
// control itself sends for that user action. Runs on the window's thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kxapp {

// A window's class name and its whole text.
std::wstring ClassOf(HWND w);
std::wstring TextOf(HWND w);

class PanelDriver {
public:
    explicit PanelDriver(HWND panel) : panel_(panel) {}

    bool Present() const { return panel_ && IsWindow(panel_) && IsWindowVisible(panel_); }
    // The control of `className` on the row of the caption `label`, right
    // of it; `nth` counts from the left (0 first). Null when absent.
    HWND FieldRightOf(const std::wstring &label, const wchar_t *className, int nth = 0) const;
    HWND FirstOfClass(const wchar_t *className) const;
    // The group box captioned `caption`; null when there is none.
    HWND GroupBox(const std::wstring &caption) const;
    // The topmost control of `className` inside the frame captioned `frame`.
    HWND FirstInFrame(const std::wstring &frame, const wchar_t *className) const;
    // Clicks the tool bar button whose hint is `hint`, as the tool bar
    // reports a click: posted, so that a dialog the click opens does not
    // hold the caller. False when no button has that hint.
    bool ClickToolButton(const std::wstring &hint) const;
    // The drop-down list that offers an item of this text.
    HWND ComboWithItem(const std::wstring &item) const;
    // As typing: the whole text selected, then a key press per character.
    static bool TypeText(HWND edit, const std::wstring &text);
    // As a click on a button; posted, since a button that opens a menu
    // holds its caller until the menu closes.
    static bool PostButtonClick(HWND button);
    // The push button showing this caption.
    HWND ButtonWithCaption(const std::wstring &caption) const;

    // The player's buttons as a person sees them: stop shows its stop
    // symbol ("<" in the symbol font), play is the button left of it.
    HWND StopButton() const;
    HWND PlayButton() const;

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
    // As typing into an edit field or the edit of a simple combo box: the
    // new text, then the change notification.
    static bool TypeInto(HWND field, const std::wstring &text);
    // The tool bar button whose tool tip is `hint`, asked of the panel the
    // way the tool tip asks; false when there is none.
    bool FindToolButton(const std::wstring &hint, HWND &toolBar, int &command) const;
    // As a click on a tool bar button: a check button changes its state,
    // then the panel gets the button's command.
    static void ClickToolButton(HWND toolBar, int command);
    static bool ToolButtonDown(HWND toolBar, int command);
    // What the panel shows of the user's choices, as one line for the report.
    std::string Choices() const;
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

// Works the plug-in's settings dialog as a person does: its check boxes in
// reading order (the left column top to bottom, then the right one), the
// icon preview (the framed picture above the list it opens), the icon
// list, the wheel and the buttons by their captions. Runs on the window's
// thread, inside the dialog's modal loop.
class SettingsDialogDriver {
public:
    static constexpr const wchar_t *kCaption = L"Настройки";
    // The thread's visible window with that caption; null when none is open.
    static HWND Find(DWORD thread);
    explicit SettingsDialogDriver(HWND dialog) : dialog_(dialog) {}

    std::vector<HWND> CheckBoxes() const;
    // Clicks check box n (1-based) when its mark differs from `on`.
    bool SetCheck(int n, bool on) const;
    // "1" for each checked box, "0" for each clear one, in reading order.
    std::string Checks() const;
    HWND IconList() const;
    int SelectedIcon() const;  // -1: none
    // A click on the preview, which opens the list.
    bool OpenIconList() const;
    // A click on item `item` of the open list.
    bool ClickIcon(int item) const;
    // The pointer over the open list (or away from it), then a wheel notch.
    bool Wheel(bool down, bool inList) const;
    bool Press(const std::wstring &caption) const;

private:
    std::vector<HWND> Children(const wchar_t *className) const;
    HWND dialog_;
};

// Works the plug-in's trip report window ("Отчёт по рейсу") as a person
// does: reads its figures, clicks its speed chart, and saves the trip
// through the standard save dialog its button opens. Runs on the window's
// thread, apart from the dialog, which the caller waits for.
class ReportWindowDriver {
public:
    static constexpr const wchar_t *kCaption = L"Отчёт по рейсу";
    static constexpr const wchar_t *kSaveCaption = L"Сохранить рейс";
    // The thread's visible report window; null when none is shown.
    static HWND Find(DWORD thread);
    // The thread's open save dialog of the report.
    static HWND FindSaveDialog(DWORD thread);
    explicit ReportWindowDriver(HWND report) : report_(report) {}

    // The figures the window answers its registered message "KXReportSummary" with.
    std::string Summary() const;
    // A click at a share (0 to 100) of the chart's width, half way up.
    bool ClickChart(double percent) const;
    // As a click on "Сохранить…": posted, since the dialog it opens holds its caller.
    bool PressSave() const;
    // In the open save dialog: the file's name and type typed in, then "Save".
    static bool ChooseFile(HWND dialog, const std::wstring &path, int typeIndex);

private:
    HWND report_;
};

}  // namespace kxapp
