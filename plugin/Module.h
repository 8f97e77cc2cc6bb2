// Module-wide services of the plug-in DLL: its handle (resources, type
// library), the type information of KXProject, and the count of live
// objects and locks that DllCanUnloadNow reports.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <string>

HINSTANCE ModuleInstance();
void SetModuleInstance(HINSTANCE instance);

// Type information from the KXProject library embedded in the module.
// The library is loaded once and kept until the module unloads.
HRESULT ModuleTypeInfo(REFGUID guid, ITypeInfo **info);
void ReleaseModuleTypeLib();

void ModuleLock();
void ModuleUnlock();
LONG ModuleLockCount();

// The module's full path, for registration.
std::wstring ModulePath();
