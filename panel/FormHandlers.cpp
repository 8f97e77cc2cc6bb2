// Handlers of the controls that delegate to their box, and those whose work
// belongs to the info point and settings code, bound to their controls now
// and empty until that code fills them in.
#include "KXActiveXForm.h"
#include "boxes/PlayerBox.h"

// Start-up steps.
void TKXActiveXForm::ProcessSettings(int /*mode*/) {}

// Trips and info point lists.
void TKXActiveXForm::cmbInfoPointsChange() {}
void TKXActiveXForm::txtContChange() {}
void TKXActiveXForm::txtContKeyPress(wchar_t & /*key*/) {}

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
void TKXActiveXForm::btnStopClick() { Player->btnStopClick(); }
void TKXActiveXForm::TrackBarChange() { Player->TrackBarChange(); }
void TKXActiveXForm::Timer1Timer() { Player->Timer1Timer(); }
void TKXActiveXForm::LocateOnTrack(double x, double y) { Player->LocateOnTrack(x, y); }
void TKXActiveXForm::StopPlayer() { Player->Stop(); }

// Checkpoints and info points on the map.
void TKXActiveXForm::ShowCheckpoints() {}
void TKXActiveXForm::ShowInfoPoints() {}
void TKXActiveXForm::ToolButton1Click() {}
void TKXActiveXForm::ToolButton2Click() {}
void TKXActiveXForm::SpeedButton1Click() {}
void TKXActiveXForm::mnuClick(TMenuItem & /*item*/) {}

// Settings dialog.
void TKXActiveXForm::btnSettingsClick() {}
