// The form's handlers of the group boxes, each delegating to its box
// (panel/boxes): the selection, the trip and info point list, the player,
// the map tool bar.
#include "FormBoxes.h"

#include "DispatcherConnection.h"
#include "PanelState.h"
#include "../boxes/PlayerBox.h"

TSelectionBox Selection(TKXActiveXForm &form)
{
    TSelectionControls controls;
    controls.cmbGroupName = form.Controls().cmbGroupName;
    controls.cmbCarName = form.Controls().cmbCarName;
    controls.cmbCarNum = form.Controls().cmbCarNum;
    controls.cmbCarDevice = form.Controls().cmbCarDevice;
    controls.DateBegin = form.Controls().DateBegin;
    controls.TimeBegin = form.Controls().TimeBegin;
    controls.DateEnd = form.Controls().DateEnd;
    controls.TimeEnd = form.Controls().TimeEnd;
    controls.cmbInfoPoints = form.Controls().cmbInfoPoints;
    controls.ListView1 = form.Controls().ListView1;
    controls.lblTripNum = form.Controls().lblTripNum;
    TSelectionActions actions;
    actions.ListComputedTrips = [&form] { form.ListComputedTrips(); };
    actions.RelistTrips = [&form] { InfoPointList(form).RelistTrips(); };
    actions.StopPlayer = [&form] { form.StopPlayer(); };
    actions.RefreshMapObjects = [&form] {
        if (form.ToolButtonDown(TKXActiveXForm::ToolButton1))
            form.ShowCheckpoints();
        if (form.ToolButtonDown(TKXActiveXForm::ToolButton2))
            form.ShowInfoPoints();
    };
    TPanelState &state = form.State();
    return TSelectionBox(controls, state.Selection, state.LastPoints, DispatcherConnection(), std::move(actions), form.Layer,
                         form.Map.Get(), form.Factory.Get());
}

TInfoPointListBox InfoPointList(TKXActiveXForm &form)
{
    TInfoPointListControls controls;
    controls.cmbInfoPoints = form.Controls().cmbInfoPoints;
    controls.ListView1 = form.Controls().ListView1;
    controls.txtCont = form.Controls().txtCont;
    controls.lblTripNum = form.Controls().lblTripNum;
    controls.ToolBar1 = form.Controls().ToolBar1;
    controls.TrackButton = TKXActiveXForm::ToolButton4;
    controls.CheckpointButton = TKXActiveXForm::ToolButton1;
    controls.InfoPointButton = TKXActiveXForm::ToolButton2;
    TInfoPointListActions actions;
    actions.StopPlayer = [&form] { form.StopPlayer(); };
    actions.SetSliderRange = [&form](int minimum, int maximum) { form.SetTrackBarRange(minimum, maximum); };
    actions.MoveSlider = [&form](int position) { form.SetTrackBarPosition(position); };
    actions.ShowCheckpoints = [&form] { form.ShowCheckpoints(); };
    actions.ShowInfoPoints = [&form] { form.ShowInfoPoints(); };
    TPanelState &state = form.State();
    return TInfoPointListBox(controls, state.Settings, state.Trip, std::move(actions), form.Layer, form.Map.Get(),
                             form.Factory.Get());
}

TMapToolBar MapToolBar(TKXActiveXForm &form)
{
    TMapToolBarControls controls;
    controls.ToolBar1 = form.Controls().ToolBar1;
    controls.ToolButton1 = TKXActiveXForm::ToolButton1;
    controls.ToolButton2 = TKXActiveXForm::ToolButton2;
    controls.ListView1 = form.Controls().ListView1;
    controls.SpeedButton1 = form.Controls().SpeedButton1;
    controls.PopupMenu1 = form.Controls().PopupMenu1;
    controls.popup = [&form](POINT at) { form.PopupMenu1Popup(at); };
    TPanelState &state = form.State();
    return TMapToolBar(controls, state.Checkpoints, state.InfoPoints, state.Settings, state.Trip, form.Layer,
                       form.Map.Get(), form.Factory.Get());
}

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

// Vehicle and period selection, and the dispatcher's events.
void TKXActiveXForm::FillGroups() { Selection(*this).FillGroups(); }
void TKXActiveXForm::cmbGroupNameChange() { Selection(*this).cmbGroupNameChange(); }
void TKXActiveXForm::cmbChange(HWND sender) { Selection(*this).cmbChange(sender); }
void TKXActiveXForm::DateTimeChange(HWND sender) { Selection(*this).DateTimeChange(sender); }
void TKXActiveXForm::RequestTrips() { Selection(*this).RequestTrips(); }
void TKXActiveXForm::ShowLastPoints() { Selection(*this).ShowLastPoints(); }
void TKXActiveXForm::SyncSelectionFromServer() { Selection(*this).SyncSelectionFromServer(); }
void TKXActiveXForm::RestoreSelection(const TSavedSelection &saved) { Selection(*this).RestoreSelection(saved); }
void TKXActiveXForm::OnEndComputing() { Selection(*this).OnEndComputing(); }
void TKXActiveXForm::OnReceiveOnlineData() { Selection(*this).OnReceiveOnlineData(); }
void TKXActiveXForm::OnCloseKarvex() { Selection(*this).OnCloseKarvex(); }

// Trips and info point lists.
void TKXActiveXForm::FillTrips()
{
    TAtHandlerEnd refresh(*this, &TKXActiveXForm::RefreshReport);
    InfoPointList(*this).FillTrips();
}
void TKXActiveXForm::ListComputedTrips()
{
    TAtHandlerEnd refresh(*this, &TKXActiveXForm::RefreshReport);
    InfoPointList(*this).ListComputedTrips();
}
void TKXActiveXForm::LoadTrack(int trip)
{
    TAtHandlerEnd refresh(*this, &TKXActiveXForm::RefreshReport);
    InfoPointList(*this).LoadTrack(trip);
}
void TKXActiveXForm::TripsListBoxClick()
{
    TAtHandlerEnd refresh(*this, &TKXActiveXForm::RefreshReport);
    InfoPointList(*this).TripsListBoxClick();
}
void TKXActiveXForm::ToolButton4Click() { InfoPointList(*this).ToolButton4Click(); }
void TKXActiveXForm::SelectEntriesList(const std::wstring &query) { InfoPointList(*this).SelectEntriesList(query); }
void TKXActiveXForm::FillInfoPointCategories() { InfoPointList(*this).FillInfoPointCategories(); }
void TKXActiveXForm::cmbInfoPointsChange() { InfoPointList(*this).cmbInfoPointsChange(); }
void TKXActiveXForm::txtContChange() { InfoPointList(*this).txtContChange(); }
void TKXActiveXForm::txtContKeyPress(wchar_t &key) { InfoPointList(*this).txtContKeyPress(key); }

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
void TKXActiveXForm::ShowCheckpoints() { MapToolBar(*this).ShowCheckpoints(); }
void TKXActiveXForm::ShowInfoPoints()
{
    TAtHandlerEnd refresh(*this, &TKXActiveXForm::RefreshReport);
    MapToolBar(*this).ShowInfoPoints();
}
void TKXActiveXForm::ToolButton1Click() { MapToolBar(*this).ToolButton1Click(); }
void TKXActiveXForm::ToolButton2Click()
{
    TAtHandlerEnd refresh(*this, &TKXActiveXForm::RefreshReport);
    MapToolBar(*this).ToolButton2Click();
}
void TKXActiveXForm::SpeedButton1Click() { MapToolBar(*this).SpeedButton1Click(); }
void TKXActiveXForm::mnuClick(TMenuItem &item) { MapToolBar(*this).mnuClick(item); }


