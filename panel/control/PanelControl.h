// What the plug-in uses to make the panel control.
#pragma once

#include <windows.h>

#include "GrymCore.h"

class TKXActiveXForm;
class TLayer;

// Misc status the control class is registered with: simple frame, acts like a label.
constexpr DWORD kPanelRegisteredMiscStatus = 0x12000;

// Creates the control object with its form and returns the interface `iid`
// of the control (its IUnknown is what a container holds) and, if asked, the
// form, which lives as long as the control. A control made with `counted`
// keeps the module loaded (DllCanUnloadNow) while it lives.
HRESULT CreatePanelControl(REFIID iid, void **out, TKXActiveXForm **form, bool counted = true);

// Gives the form the shell's map and factory (counted copies) and the layer.
void AttachPanel(TKXActiveXForm *form, IMap *map, IGrymObjectFactory *factory, TLayer *layer);
// The panel's shut-down sequence (the plug-in's Terminate).
void ShutDownPanel(TKXActiveXForm *form);

// What the layer asks of the panel: the player's jump to the track point
// under the mouse.
void PanelLocateOnTrack(TKXActiveXForm *form, double x, double y);

// Called as a form is destroyed, so that whoever keeps a plain pointer to it
// (the plug-in's current panel) forgets it. One handler for the module.
void SetPanelDestroyedHandler(void (*handler)(TKXActiveXForm *form));
void NotifyPanelDestroyed(TKXActiveXForm *form);
