// The form's handlers of the group boxes, each delegating to its box
// (panel/boxes): the selection, the trip and info point list, the player,
// the map tool bar.
#include "KXActiveXForm.h"

#include "PanelState.h"
#include "../boxes/InfoPointListBox.h"
#include "../boxes/MapToolBar.h"
#include "../boxes/PlayerBox.h"
#include "../boxes/SelectionBox.h"

namespace {

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
    actions.StopPlayer = [&form] { form.StopPlayer(); };
    actions.RefreshMapObjects = [&form] {
        if (form.ToolButtonDown(TKXActiveXForm::ToolButton1))
            form.ShowCheckpoints();
        if (form.ToolButtonDown(TKXActiveXForm::ToolButton2))
            form.ShowInfoPoints();
    };
    TPanelState &state = PanelState();
    return TSelectionBox(controls, state.Selection, state.LastPoints, state.Link, std::move(actions), form.Layer,
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
    TPanelState &state = PanelState();
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
    TPanelState &state = PanelState();
    return TMapToolBar(controls, state.Checkpoints, state.InfoPoints, state.Settings, state.Trip, form.Layer,
                       form.Map.Get(), form.Factory.Get());
}

// Brings the report up to date when a handler that may change the trip, its
// stops or its speeding periods ends, however it ends.
class TReportRefresh {
public:
    explicit TReportRefresh(TKXActiveXForm &form) : form_(form) {}
    ~TReportRefresh() { form_.RefreshReport(); }
    TReportRefresh(const TReportRefresh &) = delete;
    TReportRefresh &operator=(const TReportRefresh &) = delete;

private:
    TKXActiveXForm &form_;
};

// Moves the report's cursor when a handler of the player ends.
class TReportFollow {
public:
    explicit TReportFollow(TKXActiveXForm &form) : form_(form) {}
    ~TReportFollow() { form_.FollowPlayer(); }
    TReportFollow(const TReportFollow &) = delete;
    TReportFollow &operator=(const TReportFollow &) = delete;

private:
    TKXActiveXForm &form_;
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
    TReportRefresh refresh(*this);
    InfoPointList(*this).FillTrips();
}
void TKXActiveXForm::ListComputedTrips()
{
    TReportRefresh refresh(*this);
    InfoPointList(*this).ListComputedTrips();
}
void TKXActiveXForm::LoadTrack(int trip)
{
    TReportRefresh refresh(*this);
    InfoPointList(*this).LoadTrack(trip);
}
void TKXActiveXForm::TripsListBoxClick()
{
    TReportRefresh refresh(*this);
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
    TReportFollow follow(*this);
    Player->btnStopClick();
}
void TKXActiveXForm::TrackBarChange()
{
    TReportFollow follow(*this);
    Player->TrackBarChange();
}
void TKXActiveXForm::Timer1Timer()
{
    TReportFollow follow(*this);
    Player->Timer1Timer();
}
void TKXActiveXForm::LocateOnTrack(double x, double y)
{
    TReportFollow follow(*this);
    Player->LocateOnTrack(x, y);
}
void TKXActiveXForm::StopPlayer() { Player->Stop(); }

// Checkpoints and info points on the map.
void TKXActiveXForm::ShowCheckpoints() { MapToolBar(*this).ShowCheckpoints(); }
void TKXActiveXForm::ShowInfoPoints()
{
    TReportRefresh refresh(*this);
    MapToolBar(*this).ShowInfoPoints();
}
void TKXActiveXForm::ToolButton1Click() { MapToolBar(*this).ToolButton1Click(); }
void TKXActiveXForm::ToolButton2Click()
{
    TReportRefresh refresh(*this);
    MapToolBar(*this).ToolButton2Click();
}
void TKXActiveXForm::SpeedButton1Click() { MapToolBar(*this).SpeedButton1Click(); }
void TKXActiveXForm::mnuClick(TMenuItem &item) { MapToolBar(*this).mnuClick(item); }


