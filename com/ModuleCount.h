// The count of this module's objects and locks that are reachable from
// outside (COM objects handed out, class-factory locks, event sinks given to
// other programs). DllCanUnloadNow answers S_OK only at zero: code of the
// module must stay loaded while anybody can still call into it.
// Written by every such object's constructor and destructor; read by the
// module's DllCanUnloadNow.
#pragma once

#include <windows.h>

void ModuleLock();
void ModuleUnlock();
LONG ModuleLockCount();
