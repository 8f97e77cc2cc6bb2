// The module services the plug-in DLL gives the panel, for a test program:
// its own resources, the KXProject library built beside the panel, and an
// object count the tests read.
#include <windows.h>
#include <oleauto.h>

#include "Module.h"

LONG g_moduleLocks = 0;

HINSTANCE ModuleInstance()
{
    return GetModuleHandleW(nullptr);
}

HRESULT ModuleTypeInfo(REFGUID guid, ITypeInfo **info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    static ITypeLib *library = nullptr;
    if (!library) {
        HRESULT hr = LoadTypeLibEx(KXPANEL_TLB_PATH, REGKIND_NONE, &library);
        if (FAILED(hr))
            return hr;
    }
    return library->GetTypeInfoOfGuid(guid, info);
}

void ModuleLock()
{
    InterlockedIncrement(&g_moduleLocks);
}

void ModuleUnlock()
{
    InterlockedDecrement(&g_moduleLocks);
}

namespace {
// OLE for the whole program: in-place activation needs it on this thread.
struct TOleSession {
    TOleSession() { OleInitialize(nullptr); }
    ~TOleSession() { OleUninitialize(); }
} g_ole;
}  // namespace
