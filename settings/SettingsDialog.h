// TFormSettings, the settings dialog: which info point categories the
// panel's category list offers (each row's VisibleList) and which vehicle
// icon marks the last known points (the icon number). A window class of its
// own that knows nothing of the panel.
//
// Who owns what: the caller creates one dialog per use and destroys it after
// it closes. The category table and the icon number belong to the caller;
// the dialog holds references to them and writes them only in btnOKClick.
// The vehicle pictures come from the caller's loader, asked for the
// dialog's scale when the window is made and again when its DPI changes;
// the dialog owns each list it is given.
// The dialog owns its window and controls, and its failure, if a handler
// failed, until ShowModal or RethrowFailure hands it on.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "kx/infopoints.h"
#include "kx/scaling.h"

class TFormSettings {
public:
    static constexpr wchar_t kWindowClass[] = L"TFormSettings";
    static constexpr int kCheckBoxCount = 13;
    static constexpr int kIconItemCount = 166;  // IconsList images 0 to 165
    static constexpr int kIconItemHeight = 50;

    // Control ids; the buttons are deliberately not IDOK and IDCANCEL, so
    // that Enter and Escape do not close the dialog.
    enum : int { idCheckBox1 = 101, idPaintBox1 = 201, idIconList = 202, idOK = 301, idCancel = 302 };

    // The vehicle pictures (IconsList images 0 to 167, square) drawn for a
    // scale; null when there are none.
    using TIconLoader = std::function<HIMAGELIST(const kx::TDisplayScale &)>;

    // Creates the window, hidden, with its controls. `owner` is the window
    // the dialog is modal to (may be null).
    TFormSettings(HWND owner, std::vector<kx::TInfoPoints> &categories, int &iconNum, TIconLoader loadIcons);
    ~TFormSettings();
    TFormSettings(const TFormSettings &) = delete;
    TFormSettings &operator=(const TFormSettings &) = delete;

    // Runs FormShow, centres the dialog on the screen, disables the owner
    // and shows the dialog. Returns at once.
    void Show();
    // Handles the messages that wait, as the modal loop does, without
    // blocking; the dialog's keyboard handling (Tab, Enter, Escape) applies.
    void ProcessPendingMessages();
    // Waits for and handles messages until a button closes the dialog;
    // rethrows a handler's failure. Returns IDOK or IDCANCEL.
    INT_PTR RunModalLoop();
    // Show, then the modal loop.
    INT_PTR ShowModal();
    bool Closed() const { return closed_; }
    INT_PTR ModalResult() const { return modalResult_; }
    // Hands on the failure of a handler, if one failed.
    void RethrowFailure();

    HWND Handle() const { return hwnd_; }
    bool MouseInList() const { return mouseInList_; }

    // ---- components
    HWND GroupBox1 = nullptr;
    std::array<HWND, kCheckBoxCount> CheckBoxes{};  // CheckBox1 to CheckBox13, one per category row
    HWND Label1 = nullptr, Label2 = nullptr;
    HWND PaintBox1 = nullptr;  // the preview
    HWND IconList = nullptr;  // ComboBox1 on the form: the vehicle icons, an owner-drawn list box
    HWND btnOK = nullptr, btnCancel = nullptr;

    // ---- event handlers
    void FormShow();
    void btnOKClick();
    void btnCancelClick();
    void PaintBox1Click();
    void PaintBox1Paint(HDC dc);
    // The icon list's click, item drawing, mouse entering and leaving; the
    // first two keep the names the form gave them.
    void ComboBox2Change();
    void ComboBox2DrawItem(HDC dc, int index, const RECT &rect);
    void ComboBox1MouseEnter();
    void ComboBox1MouseLeave();
    void FormMouseWheelDown();
    void FormMouseWheelUp();

    void ShowCategoryChecks();
    int SelectedIcon() const;  // -1: none

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

private:
    void CreateComponents();
    // The two fonts at scale_, handed to the components made so far.
    void MakeFonts();
    // Places and the list's item height at scale_, from the design numbers.
    void PlaceComponents();
    // The window moved to a screen of `dpi` pixels per inch; `suggested` its new frame.
    void ChangeDpi(int dpi, const RECT &suggested);
    HWND AddComponent(const wchar_t *windowClass, const wchar_t *text, DWORD style, int left, int top, int width,
                      int height, int id, HFONT font);
    LRESULT Dispatch(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void MouseWheel(WPARAM wp);
    void Close(INT_PTR result);
    void Fail();  // inside a catch block
    void EnableOwner();

    std::vector<kx::TInfoPoints> &categories_;
    int &iconNum_;
    TIconLoader loadIcons_;
    HIMAGELIST icons_ = nullptr;  // at scale_
    HWND owner_;
    bool ownerDisabled_ = false;  // by Show, until Close
    HWND hwnd_ = nullptr;
    WNDPROC listProc_ = nullptr;  // the list box's own procedure
    HFONT font_ = nullptr, smallFont_ = nullptr;
    // Design pixels to the owner's pixels per inch when the dialog is made,
    // then to the window's own when it moves to another screen.
    kx::TDisplayScale scale_;
    std::vector<HWND> components_;  // every control, in creation order
    bool mouseInList_ = false;
    bool closed_ = false;
    INT_PTR modalResult_ = 0;
    std::exception_ptr failure_;
};
