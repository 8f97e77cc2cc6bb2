// The form's properties of IKXActiveXForm that no window attribute holds,
// and the names and kinds of the persisted ones. The form owns one
// TFormProperties; the control object reads and writes it through the form.
#pragma once

#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "KXProject.h"

// A persisted property value: Boolean, integer or text.
using TPropertyValue = std::variant<bool, long, std::wstring>;
using TPropertyList = std::vector<std::pair<std::wstring, TPropertyValue>>;

// Form properties of IKXActiveXForm that no window attribute holds.
struct TFormProperties {
    bool AutoScroll = false;
    bool AutoSize = false;
    long AxBorderStyle = afbNone;
    bool KeyPreview = false;
    long PixelsPerInch = 96;
    long PrintScale = poProportional;
    bool Scaled = true;
    bool DropTarget = false;
    std::wstring HelpFile;
    long PopupMode = pmNone;
    bool ScreenSnap = false;
    long SnapBuffer = 10;
    bool DockSite = false;
    bool DoubleBuffered = false;
    bool ParentDoubleBuffered = false;
    bool UseDockManager = false;
    bool AlignWithMargins = false;
    bool ParentCustomHint = true;
    OLE_COLOR Color = 0x8000000F;  // the button face
};

// Names and kinds (0 Boolean, 1 integer, 2 text) of the persisted properties.
std::vector<std::wstring> PersistedPropertyNames();
bool PersistedPropertyKind(const std::wstring &name, int &kind);
