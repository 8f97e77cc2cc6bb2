// Handlers whose work belongs to the trips, player, info point and settings
// dialog code. They are bound to their controls now and empty until that
// code fills them in.
#include "KXActiveXForm.h"

// Trips and info point lists.
void TKXActiveXForm::cmbInfoPointsChange() {}
void TKXActiveXForm::txtContChange() {}
void TKXActiveXForm::txtContKeyPress(wchar_t & /*key*/) {}

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
void TKXActiveXForm::ShowCheckpoints() {}
void TKXActiveXForm::ShowInfoPoints() {}
void TKXActiveXForm::ToolButton1Click() {}
void TKXActiveXForm::ToolButton2Click() {}
void TKXActiveXForm::SpeedButton1Click() {}
void TKXActiveXForm::mnuClick(TMenuItem & /*item*/) {}
