#include "FormTimer.h"

void TFormTimer::Init(HWND window, UINT_PTR id, UINT interval, bool enabled)
{
    window_ = window;
    id_ = id;
    interval_ = interval;
    enabled_ = enabled;
    Apply();
}

void TFormTimer::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    Apply();
}

void TFormTimer::SetInterval(UINT interval)
{
    interval_ = interval;
    Apply();
}

void TFormTimer::Apply()
{
    if (!window_)
        return;
    KillTimer(window_, id_);
    if (Ticking())
        SetTimer(window_, id_, interval_, nullptr);
}
