// The panel's replaceable contacts with the outside world: message boxes,
// modal dialogs and menus, the save dialog, the clock, the dispatcher client's creation and a
// step hook of the start-up and shut-down. Tests swap them so that nothing
// blocks on a modal window; PanelSeams() holds the live set.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "ComGuard.h"
#include "DispatcherLink.h"

struct TPanelSeams {
    // Shows a message box; returns the button pressed (IDOK, ...).
    std::function<int(HWND owner, const std::wstring &text, const std::wstring &caption, UINT flags)> Message;
    // Runs a modal dialog or popup menu called `name`; `run` shows the real one.
    std::function<INT_PTR(const std::wstring &name, const std::function<INT_PTR()> &run)> Modal;
    // Local date and time as days since 30.12.1899.
    std::function<double()> Now;
    std::function<std::unique_ptr<IDispatcherLink>()> CreateDispatcherLink;
    // Full path of the settings file; the platform's is Plugins\KXSettings.xml
    // beside the host executable. Empty: the panel keeps no settings.
    std::function<std::wstring()> SettingsPath;
    // The standard save dialog titled `title`: the chosen path, empty when
    // cancelled. `filter` is in the dialog's form (name, NUL, pattern, NUL,
    // ..., NUL); `filterIndex` is its 1-based choice, in and out.
    std::function<std::wstring(HWND owner, const std::wstring &title, const std::wstring &filter,
                               const std::wstring &suggestedName, int &filterIndex)>
        SaveFile;
    // Called before each step of the start-up and the shut-down; the platform's does nothing.
    std::function<void(const std::wstring &step)> Step;
};

TPanelSeams &PanelSeams();
void ResetPanelSeams();  // back to the platform's

int ShowMessage(HWND owner, const std::wstring &text, const std::wstring &caption, UINT flags);
INT_PTR RunModal(const std::wstring &name, const std::function<INT_PTR()> &run);
double Now();
std::wstring SettingsPath();
std::wstring ChooseSaveFile(HWND owner, const std::wstring &title, const std::wstring &filter,
                            const std::wstring &suggestedName, int &filterIndex);
void PanelStep(const std::wstring &step);

// Caption of the error box shown at the event-handler boundary.
extern const wchar_t kErrorBoxCaption[];

// The event-handler boundary: runs a handler body; an exception ends it and
// its text is shown through the message seam. Returns false on failure.
template <class F>
bool RunHandler(HWND owner, F &&body) noexcept
{
    try {
        body();
        return true;
    } catch (...) {
        try {
            ShowMessage(owner, CurrentExceptionText(), kErrorBoxCaption, MB_OK | MB_ICONERROR);
        } catch (...) {
        }
        return false;
    }
}
