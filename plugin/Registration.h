// Self-registration of the plug-in module: its type library and both
// classes as in-process servers (the panel also as an ActiveX control).
#pragma once

#include <windows.h>

HRESULT RegisterModule();
HRESULT UnregisterModule();
