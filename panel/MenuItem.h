// One item of the panel's popup menu PopupMenu1. The form creates the items
// with the menu and owns them; the map tool bar box flips their check mark
// and image when one is clicked.
#pragma once

#include <windows.h>

#include <string>

struct TMenuItem {
    std::wstring Name;  // component name: "mnu2" to "mnu13"
    std::wstring Caption;
    UINT Command = 0;
    bool Checked = true;
    int ImageIndex = -1;  // into ImageList2
};
