// TFormReport, the window "Отчёт по рейсу": the loaded trip's totals, its
// speed chart following the player, and the export of the trip to a file.
// Not modal: it stays open while the player runs and follows the trip the
// panel loads, empty when there is none. A window class of its own that
// knows nothing of the panel: it is given the track, the stops, the
// speeding periods and the actions that reach the player, the save dialog
// and the message box.
//
// Who owns what: the panel's form creates one report window when it is first
// asked for and destroys it with itself. The track belongs to the panel
// state; the window keeps a plain pointer to it between two ShowTrip calls,
// which the form makes whenever the track changes. The window owns its
// controls, its chart and the profile the chart draws; the profile holds the
// track's readings jointly with it, so a replaced track never leaves the
// chart without its points.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "SpeedChart.h"
#include "TripExport.h"

#include "kx/report.h"
#include "kx/scaling.h"
#include "kx/track.h"

struct TReportActions {
    // Moves the player to a track time, as the slider does.
    std::function<void(kx::TDateTime)> Seek;
    // The standard save dialog: the chosen path, empty when cancelled;
    // `filterIndex` (1-based, ExportFilter's order) in and out.
    std::function<std::wstring(HWND owner, const std::wstring &suggestedName, int &filterIndex)> ChooseSaveFile;
    // A failure's text for the user.
    std::function<void(HWND owner, const std::wstring &text)> ShowError;
    // The date-time as the info pane shows it.
    std::function<std::wstring(kx::TDateTime)> DateText;
    char DecimalSeparator = '.';
    // The window was moved or sized: its place on the screen.
    std::function<void(const RECT &)> PlaceChanged;
};

class TFormReport {
public:
    static constexpr wchar_t kWindowClass[] = L"TFormReport";
    static constexpr wchar_t kCaption[] = L"Отчёт по рейсу";
    enum : int { idTotals = 101, idNote = 102, idHover = 103, idSave = 104, idChart = 105 };

    // Creates the window, hidden, owned by `owner`; `place` is a remembered
    // place on the screen (nothing: beside the owner).
    TFormReport(HWND owner, TReportActions actions, const std::optional<RECT> &place);
    ~TFormReport();
    TFormReport(const TFormReport &) = delete;
    TFormReport &operator=(const TFormReport &) = delete;

    HWND Handle() const { return hwnd_; }
    void Show();
    void Hide();  // what its close button does
    bool Visible() const { return hwnd_ && IsWindowVisible(hwnd_); }

    // The trip the panel has loaded: its totals and chart. A null or empty
    // track empties the window. `speeding` is null when not fetched.
    void ShowTrip(const kx::Track *track, const std::vector<kx::TStops> &stops,
                  const std::vector<kx::TimePeriod> *speeding, const TTripDescription &trip);
    // The player's time: the chart's cursor follows it.
    void SetPlayerTime(kx::TDateTime t);

    // "Сохранить…": the save dialog, then the file.
    void SaveClick();
    // The file without the dialog; a failure reaches the user through ShowError.
    bool Export(TExportFormat format, const std::wstring &path);

    const kx::TripProfile &Profile() const { return profile_; }
    TSpeedChart &Chart() { return *chart_; }
    // "points=N distance_m=D duration_s=S moving_s=M standing_s=T max_kmh=V avg_kmh=A stops=K".
    std::string Summary() const;
    // The registered message that copies Summary into a buffer: wParam its
    // length in characters, lParam the buffer; returns the characters copied.
    static UINT SummaryMessage();


private:
    template <class T>
    friend LRESULT CALLBACK RoutedWindowProc(HWND, UINT, WPARAM, LPARAM);
    void AttachWindow(HWND hwnd) { hwnd_ = hwnd; }
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    void CreateComponents();
    void Layout();
    void FillTotals();
    void ShowHover(std::optional<kx::TDateTime> t, double kmh);
    int Scaled(int pixels) const { return scale_(pixels); }

    HWND owner_;
    TReportActions actions_;
    HWND hwnd_ = nullptr;
    HWND totals_ = nullptr, note_ = nullptr, hover_ = nullptr, save_ = nullptr;
    std::unique_ptr<TSpeedChart> chart_;
    HFONT font_ = nullptr;
    kx::TDisplayScale scale_;  // design pixels to the owner's, at least the design size
    const kx::Track *track_ = nullptr;
    TTripDescription trip_;
    kx::TripProfile profile_;
    int filterIndex_ = 1;
};
