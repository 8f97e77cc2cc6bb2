// Checks a window's controls as a reader sees them: whether each one's text
// fits it, and whether siblings lie over each other. Runs on the window's thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kxapp {

struct LayoutFigures {
    int dpi = 0;
    int controls = 0;   // visible children checked
    int clipped = 0;    // texts that do not fit their control
    int overlaps = 0;   // sibling pairs whose rectangles intersect
    std::vector<std::wstring> findings;  // what was clipped or overlapped, one per finding
};

// The children of `parent`: a text is clipped when, measured in the control's
// own font, it does not fit the client area (a label, a button, a check box
// or group box caption, a combo box's edit, an edit field, a list's header
// items); two siblings overlap when their rectangles intersect, save a
// control wholly inside another (a frame's controls, a button over a tool
// bar's gap) and an up-down with its buddy.
LayoutFigures CheckLayout(HWND parent);

}  // namespace kxapp
