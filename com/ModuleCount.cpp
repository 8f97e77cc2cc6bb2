#include "ModuleCount.h"

namespace {
LONG g_locks = 0;
}

void ModuleLock() { InterlockedIncrement(&g_locks); }
void ModuleUnlock() { InterlockedDecrement(&g_locks); }
LONG ModuleLockCount() { return g_locks; }
