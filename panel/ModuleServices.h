// What the panel needs from the module that embeds it. The DLL defines these
// (plugin/Module.cpp); test programs bring stand-ins of their own.
#pragma once

#include <windows.h>
#include <oaidl.h>

HINSTANCE ModuleInstance();                              // holds the resources
HRESULT ModuleTypeInfo(REFGUID guid, ITypeInfo **info);  // from the KXProject library
void ModuleLock();                                       // object counting for DllCanUnloadNow
void ModuleUnlock();
