// Handlers whose work belongs to the group boxes of the panel, and those of
// the player and the settings, bound to their controls and empty until that
// code fills them in.
#include "KXActiveXForm.h"

#include "PanelState.h"
#include "boxes/InfoPointListBox.h"
#include "boxes/MapToolBar.h"

namespace {

TInfoPointListBox InfoPointList(TKXActiveXForm &form)
{
    return TInfoPointListBox({form.cmbInfoPoints, form.ListView1, form.txtCont}, PanelState(),
                             [&form] { form.FillTrips(); });
}

TMapToolBar MapToolBar(TKXActiveXForm &form)
{
    TMapToolBarControls controls;
    controls.ToolBar1 = form.ToolBar1;
    controls.ToolButton1 = TKXActiveXForm::ToolButton1;
    controls.ToolButton2 = TKXActiveXForm::ToolButton2;
    controls.ListView1 = form.ListView1;
    controls.SpeedButton1 = form.SpeedButton1;
    controls.PopupMenu1 = form.PopupMenu1;
    controls.popup = [&form](POINT at) { form.PopupMenu1Popup(at); };
    return TMapToolBar(controls, PanelState(), form.Layer, form.Map.Get(), form.Factory.Get());
}

}  // namespace

// Trips and info point lists.
void TKXActiveXForm::FillInfoPointCategories() { InfoPointList(*this).FillInfoPointCategories(); }
void TKXActiveXForm::cmbInfoPointsChange() { InfoPointList(*this).cmbInfoPointsChange(); }
void TKXActiveXForm::txtContChange() { InfoPointList(*this).txtContChange(); }
void TKXActiveXForm::txtContKeyPress(wchar_t &key) { InfoPointList(*this).txtContKeyPress(key); }

// The player.
void TKXActiveXForm::SpeedTrackBarChange() {}
void TKXActiveXForm::cmbSpeedKeyPress(wchar_t & /*key*/) {}
void TKXActiveXForm::UpDown1ChangingEx(bool & /*allowChange*/, int /*newValue*/, TUpDownDirection /*direction*/) {}
void TKXActiveXForm::btnPlayClick() {}
void TKXActiveXForm::btnStopClick() {}
void TKXActiveXForm::TrackBarChange() {}
void TKXActiveXForm::Timer1Timer() {}
void TKXActiveXForm::LocateOnTrack(double /*x*/, double /*y*/) {}

// Checkpoints and info points on the map.
void TKXActiveXForm::ShowCheckpoints() { MapToolBar(*this).ShowCheckpoints(); }
void TKXActiveXForm::ShowInfoPoints() { MapToolBar(*this).ShowInfoPoints(); }
void TKXActiveXForm::ToolButton1Click() { MapToolBar(*this).ToolButton1Click(); }
void TKXActiveXForm::ToolButton2Click() { MapToolBar(*this).ToolButton2Click(); }
void TKXActiveXForm::SpeedButton1Click() { MapToolBar(*this).SpeedButton1Click(); }
void TKXActiveXForm::mnuClick(TMenuItem &item) { MapToolBar(*this).mnuClick(item); }


