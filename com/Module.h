// Module-wide services of the plug-in DLL: its handle (resources, type
// library) and the type information of KXProject; the count of live objects
// and locks that DllCanUnloadNow reports is in ModuleCount.h.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <string>

#include "ModuleCount.h"

HINSTANCE ModuleInstance();
void SetModuleInstance(HINSTANCE instance);

// Type information from the KXProject library embedded in the module.
// The library is loaded once and kept until the module unloads.
HRESULT ModuleTypeInfo(REFGUID guid, ITypeInfo **info);
void ReleaseModuleTypeLib();


// The module's full path, for registration.
std::wstring ModulePath();
