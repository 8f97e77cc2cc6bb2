// The form's group boxes, made with the form, and the form's handlers of
// their controls, each delegating to one box (panel/boxes): the selection,
// the trip and info point list, the player, the map tool bar. The boxes
// reach each other only through the actions bound here.
#include "FormBoxes.h"

#include "DispatcherConnection.h"
#include "PanelState.h"

namespace {

// Runs one of the form's report ties when a handler ends, however it ends:
// RefreshReport after those that may change the trip, its stops or its
// speeding periods, FollowPlayer after the player's.
class TAtHandlerEnd {
public:
    TAtHandlerEnd(TKXActiveXForm &form, void (TKXActiveXForm::*then)() noexcept) : form_(form), then_(then) {}
    ~TAtHandlerEnd() { (form_.*then_)(); }
    TAtHandlerEnd(const TAtHandlerEnd &) = delete;
    TAtHandlerEnd &operator=(const TAtHandlerEnd &) = delete;

private:
    TKXActiveXForm &form_;
    void (TKXActiveXForm::*then_)() noexcept;
};

}  // namespace

void TKXActiveXForm::MakeBoxes()
{
    TPanelState &state = *state_;
    TDispatcherConnection &link = DispatcherConnection();

    TSelectionControls selection;
    selection.cmbGroupName = c_.cmbGroupName;
    selection.cmbCarName = c_.cmbCarName;
    selection.cmbCarNum = c_.cmbCarNum;
    selection.cmbCarDevice = c_.cmbCarDevice;
    selection.DateBegin = c_.DateBegin;
    selection.TimeBegin = c_.TimeBegin;
    selection.DateEnd = c_.DateEnd;
    selection.TimeEnd = c_.TimeEnd;
    selection.cmbInfoPoints = c_.cmbInfoPoints;
    selection.ListView1 = c_.ListView1;
    selection.lblTripNum = c_.lblTripNum;
    TSelectionActions selectionActions;
    selectionActions.ListComputedTrips = [this] { ListComputedTrips(); };
    selectionActions.RelistTrips = [this] { infoPointList_->RelistTrips(); };
    selectionActions.StopPlayer = [this] { StopPlayer(); };
    selectionActions.RefreshMapObjects = [this] {
        TAtHandlerEnd refresh(*this, &TKXActiveXForm::RefreshReport);
        mapToolBar_->ShowPressed();
    };
    selectionActions.HideTrack = [this] { infoPointList_->HideTrack(); };
    selectionActions.HideMapPoints = [this] { mapToolBar_->HideMapPoints(); };
    selectionBox_ = std::make_unique<TSelectionBox>(selection, state.Selection, state.LastPoints, link,
                                                    std::move(selectionActions));

    TInfoPointListControls list;
    list.cmbInfoPoints = c_.cmbInfoPoints;
    list.ListView1 = c_.ListView1;
    list.txtCont = c_.txtCont;
    list.lblTripNum = c_.lblTripNum;
    list.ToolBar1 = c_.ToolBar1;
    TInfoPointListActions listActions;
    listActions.StopPlayer = [this] { StopPlayer(); };
    listActions.SetSliderRange = [this](int minimum, int maximum) { SetTrackBarRange(minimum, maximum); };
    listActions.MoveSlider = [this](int position) { SetTrackBarPosition(position); };
    listActions.ShowMapPoints = [this] { mapToolBar_->ShowPressed(/*keepCheckpoints=*/true); };
    infoPointList_ = std::make_unique<TInfoPointListBox>(list, state.Settings, state.Trip, link,
                                                         std::move(listActions));

    TMapToolBarControls tools;
    tools.ToolBar1 = c_.ToolBar1;
    tools.ListView1 = c_.ListView1;
    tools.SpeedButton1 = c_.SpeedButton1;
    tools.PopupMenu1 = c_.PopupMenu1;
    tools.popup = [this](POINT at) { PopupMenu1Popup(at); };
    mapToolBar_ = std::make_unique<TMapToolBar>(tools, state.Checkpoints, state.InfoPoints, state.Settings,
                                                state.Trip, link);

    TPlayerControls player;
    player.btnPlay = c_.btnPlay;
    player.btnStop = c_.btnStop;
    player.cmbSpeed = c_.cmbSpeed;
    player.UpDown1 = c_.UpDown1;
    player.TrackBar = c_.TrackBar;
    player.lblDate = c_.lblDate;
    player.lblSpeed = c_.lblSpeed;
    player.lblDistance = c_.lblDistance;
    player.ListView1 = c_.ListView1;
    player.ToolBar1 = c_.ToolBar1;
    Player = std::make_unique<TPlayerBox>(player, state.Player, state.Trip, timer1_, stopHoldTimer_,
                                          [this](int position) { SetTrackBarPosition(position); });
}


// Vehicle and period selection, and the dispatcher's events.
void TKXActiveXForm::FillGroups() { selectionBox_->FillGroups(); }
void TKXActiveXForm::cmbGroupNameChange() { selectionBox_->cmbGroupNameChange(); }
void TKXActiveXForm::cmbChange(HWND sender) { selectionBox_->cmbChange(sender); }
void TKXActiveXForm::DateTimeChange(HWND sender) { selectionBox_->DateTimeChange(sender); }
void TKXActiveXForm::RequestTrips() { selectionBox_->RequestTrips(); }
void TKXActiveXForm::ShowLastPoints() { selectionBox_->ShowLastPoints(); }
void TKXActiveXForm::SyncSelectionFromServer() { selectionBox_->SyncSelectionFromServer(); }
void TKXActiveXForm::RestoreSelection(const TSavedSelection &saved) { selectionBox_->RestoreSelection(saved); }
void TKXActiveXForm::OnEndComputing() { selectionBox_->OnEndComputing(); }
void TKXActiveXForm::OnReceiveOnlineData() { selectionBox_->OnReceiveOnlineData(); }
void TKXActiveXForm::OnCloseKarvex() { selectionBox_->OnCloseKarvex(); }

// Trips and info point lists.
void TKXActiveXForm::FillTrips()
{
    TAtHandlerEnd refresh(*this, &TKXActiveXForm::RefreshReport);
    infoPointList_->FillTrips();
}
void TKXActiveXForm::ListComputedTrips()
{
    TAtHandlerEnd refresh(*this, &TKXActiveXForm::RefreshReport);
    infoPointList_->ListComputedTrips();
}
void TKXActiveXForm::LoadTrack(int trip)
{
    TAtHandlerEnd refresh(*this, &TKXActiveXForm::RefreshReport);
    infoPointList_->LoadTrack(trip);
}
void TKXActiveXForm::TripsListBoxClick()
{
    TAtHandlerEnd refresh(*this, &TKXActiveXForm::RefreshReport);
    infoPointList_->TripsListBoxClick();
}
void TKXActiveXForm::ToolButton4Click() { infoPointList_->ToolButton4Click(); }
void TKXActiveXForm::SelectEntriesList(const std::wstring &query) { infoPointList_->SelectEntriesList(query); }
void TKXActiveXForm::FillInfoPointCategories() { infoPointList_->FillInfoPointCategories(); }
void TKXActiveXForm::cmbInfoPointsChange() { infoPointList_->cmbInfoPointsChange(); }
void TKXActiveXForm::txtContChange() { infoPointList_->txtContChange(); }
void TKXActiveXForm::txtContKeyPress(wchar_t &key) { infoPointList_->txtContKeyPress(key); }

// The player (boxes/PlayerBox).
void TKXActiveXForm::SpeedTrackBarChange() { Player->SpeedTrackBarChange(); }
void TKXActiveXForm::cmbSpeedKeyPress(wchar_t &key) { Player->cmbSpeedKeyPress(key); }
void TKXActiveXForm::UpDown1ChangingEx(bool & /*allowChange*/, int /*newValue*/, TUpDownDirection direction)
{
    Player->UpDown1ChangingEx(direction == TUpDownDirection::Up     ? kx::SpinDirection::Up
                              : direction == TUpDownDirection::Down ? kx::SpinDirection::Down
                                                                    : kx::SpinDirection::None);
}
void TKXActiveXForm::btnPlayClick() { Player->btnPlayClick(); }
void TKXActiveXForm::btnStopClick()
{
    TAtHandlerEnd follow(*this, &TKXActiveXForm::FollowPlayer);
    Player->btnStopClick();
}
void TKXActiveXForm::TrackBarChange()
{
    TAtHandlerEnd follow(*this, &TKXActiveXForm::FollowPlayer);
    Player->TrackBarChange();
}
void TKXActiveXForm::Timer1Timer()
{
    TAtHandlerEnd follow(*this, &TKXActiveXForm::FollowPlayer);
    Player->Timer1Timer();
}
void TKXActiveXForm::LocateOnTrack(double x, double y)
{
    TAtHandlerEnd follow(*this, &TKXActiveXForm::FollowPlayer);
    Player->LocateOnTrack(x, y);
}
void TKXActiveXForm::StopPlayer() { Player->Stop(); }

// Checkpoints and info points on the map.
void TKXActiveXForm::ShowCheckpoints() { mapToolBar_->ShowCheckpoints(); }
void TKXActiveXForm::ShowInfoPoints()
{
    TAtHandlerEnd refresh(*this, &TKXActiveXForm::RefreshReport);
    mapToolBar_->ShowInfoPoints();
}
void TKXActiveXForm::ToolButton1Click() { mapToolBar_->ToolButton1Click(); }
void TKXActiveXForm::ToolButton2Click()
{
    TAtHandlerEnd refresh(*this, &TKXActiveXForm::RefreshReport);
    mapToolBar_->ToolButton2Click();
}
void TKXActiveXForm::SpeedButton1Click() { mapToolBar_->SpeedButton1Click(); }
void TKXActiveXForm::mnuClick(TMenuItem &item) { mapToolBar_->mnuClick(item); }


