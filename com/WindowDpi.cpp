#include "WindowDpi.h"

namespace {

using TGetDpiForWindow = UINT(WINAPI *)(HWND);

TGetDpiForWindow GetDpiForWindowFunction()
{
    static const auto function = [] {
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        FARPROC found = user32 ? GetProcAddress(user32, "GetDpiForWindow") : nullptr;
        return reinterpret_cast<TGetDpiForWindow>(reinterpret_cast<void *>(found));
    }();
    return function;
}

}  // namespace

int WindowDpi(HWND window)
{
    if (TGetDpiForWindow getDpi = GetDpiForWindowFunction(); getDpi && window)
        if (UINT dpi = getDpi(window))
            return static_cast<int>(dpi);
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi;
}
