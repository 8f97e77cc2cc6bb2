// A timer of the form, ticking through the form window's WM_TIMER. The form
// creates and owns its timers; the boxes it hands one to start and stop it.
#pragma once

#include <windows.h>

class TFormTimer {
public:
    void Init(HWND window, UINT_PTR id, UINT interval, bool enabled);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    UINT Interval() const { return interval_; }
    void SetInterval(UINT interval);  // 0 stops the ticks (the timer stays enabled)
    UINT_PTR Id() const { return id_; }
    bool Ticking() const { return enabled_ && interval_ > 0; }

private:
    void Apply();
    HWND window_ = nullptr;
    UINT_PTR id_ = 0;
    UINT interval_ = 0;
    bool enabled_ = false;
};
