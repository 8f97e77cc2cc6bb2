// What the plug-in object needs of the docked panel.
#pragma once

#include <GrymCore.h>

class TKXActiveXForm;
class TLayer;

// Creates the panel control and its form. counted: whether the object counts
// against DllCanUnloadNow (objects made by the plug-in object itself do not).
HRESULT CreatePanelControl(REFIID iid, void **out, TKXActiveXForm **form, bool counted);
// Gives the form the shell's map and factory (counted copies) and the layer.
void AttachPanel(TKXActiveXForm *form, IMap *map, IGrymObjectFactory *factory, TLayer *layer);
// The panel's shut-down sequence, run from Terminate.
void ShutDownPanel(TKXActiveXForm *form);
