// The window procedure of a class whose object is handed to CreateWindowEx:
// the object is kept in the window's user data and given every message
// through its Dispatch until the window goes, when it is told so through
// AttachWindow(nullptr). The class befriends RoutedWindowProc<itself>.
#pragma once

#include <windows.h>

template <class T>
LRESULT CALLBACK RoutedWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        auto *self = static_cast<T *>(reinterpret_cast<CREATESTRUCTW *>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->AttachWindow(hwnd);
    }
    auto *self = reinterpret_cast<T *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->AttachWindow(nullptr);
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    return self->Dispatch(msg, wp, lp);
}
