// The report tool button and the form's ties to the report window: the
// window is given the loaded trip whenever it changes and the player's time
// at every move; its clicks on the chart move the player as the slider
// does, and its place goes into the settings values.
#include "KXActiveXForm.h"

#include <climits>

#include "PanelState.h"
#include "ReportWindow.h"
#include "SelectionSupport.h"

namespace {

const wchar_t kSaveTitle[] = L"Сохранить рейс";

// The player's time on the loaded track; a stopped player, whose time may
// be another trip's, stands at the start.
kx::TDateTime PlayerTimeOnTrack(const TPanelState &state)
{
    const kx::Track &track = state.Trip.Track;
    const kx::TDateTime t = state.Player.PlayTime;
    if (track.empty() || t < track.startTime() || t > track.endTime())
        return track.empty() ? 0 : track.startTime();
    return t;
}

}  // namespace

void TKXActiveXForm::btnReportClick()
{
    if (!report_) {
        TReportActions actions;
        actions.Seek = [this](kx::TDateTime t) {
            RunHandler(report_ ? report_->Handle() : hwnd_, [&] {
                const kx::Track &track = state_->Trip.Track;
                if (track.empty())
                    return;
                SetTrackBarPosition(static_cast<int>(
                    std::clamp<std::int64_t>(track.SecondsFromStart(t), INT_MIN, INT_MAX)));
                FollowPlayer();
            });
        };
        actions.ChooseSaveFile = [](HWND owner, const std::wstring &suggested, int &filterIndex) {
            return ChooseSaveFile(owner, kSaveTitle, ExportFilter(), suggested, filterIndex);
        };
        actions.ShowError = [](HWND owner, const std::wstring &text) {
            ShowMessage(owner, text, kErrorBoxCaption, MB_OK | MB_ICONERROR);
        };
        actions.DateText = [](kx::TDateTime t) { return selection::DisplayDateTime(t); };
        actions.DecimalSeparator = selection::UserDecimalSeparator();
        actions.PlaceChanged = [state = state_](const RECT &r) {
            state->Settings.ReportPlace = kx::WindowPlace{r.left, r.top, r.right - r.left, r.bottom - r.top};
        };
        std::optional<RECT> place;
        if (const std::optional<kx::WindowPlace> &p = state_->Settings.ReportPlace)
            place = RECT{p->left, p->top, p->left + p->width, p->top + p->height};
        report_ = std::make_unique<TFormReport>(GetAncestor(hwnd_, GA_ROOT), std::move(actions), place);
    }
    report_->Show();
    RefreshReport();
}

void TKXActiveXForm::RefreshReport() noexcept
{
    // A hidden report is brought up to date when it is shown again.
    if (!report_ || !report_->Visible())
        return;
    try {
        const TPanelState &state = *state_;
        const bool speedingShown = ToolButtonDown(TMapTool::InfoPoints) && state.InfoPoints.Speeding.has_value();
        TTripDescription trip;
        trip.vehicleName = Text(c_.cmbCarName);
        trip.vehicleNumber = Text(c_.cmbCarNum);
        trip.tripNumber = state.Trip.CurrentTrip;
        report_->ShowTrip(&state.Trip.Track, state.Trip.TripStops,
                          speedingShown ? &*state.InfoPoints.Speeding : nullptr, trip);
        report_->SetPlayerTime(PlayerTimeOnTrack(*state_));
    } catch (...) {
        // Out of memory for the profile: the report shows what it showed.
    }
}

void TKXActiveXForm::FollowPlayer() noexcept
{
    if (report_ && report_->Visible())
        report_->SetPlayerTime(PlayerTimeOnTrack(*state_));
}

void TKXActiveXForm::CloseReport() noexcept
{
    if (!report_)
        return;
    if (report_->Visible()) {
        RECT r{};
        if (GetWindowRect(report_->Handle(), &r))
            state_->Settings.ReportPlace = kx::WindowPlace{r.left, r.top, r.right - r.left, r.bottom - r.top};
    }
    report_.reset();
}
