// Pictures of the shell's whole window, taken in process from the window's
// device context (works with any graphics driver, also without a display),
// written as PNG through the Windows Imaging Component.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kxapp {

struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // top-down 0x00RRGGBB
};

// The window with its frame, as it is on the screen now (repaints first),
// with the windows of its thread that lie above it.
bool CaptureWindow(HWND window, Picture &out);
// The visible top-level windows of the window's thread above it, lowest first.
std::vector<HWND> WindowsAbove(HWND window);
// Copies `part` onto `onto` with its top-left corner at (x, y), clipped.
void PastePicture(Picture &onto, const Picture &part, int x, int y);
// The part of `picture` inside `area` (clipped to the picture; empty when
// nothing of it lies inside).
Picture CropPicture(const Picture &picture, RECT area);
// S_OK when the file was written.
HRESULT WritePng(const Picture &picture, const std::wstring &path);
HRESULT WriteBmp(const Picture &picture, const std::wstring &path);

}  // namespace kxapp
