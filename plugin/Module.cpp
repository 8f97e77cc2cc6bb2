#include "Module.h"

namespace {
HINSTANCE g_instance = nullptr;
ITypeLib *g_typeLib = nullptr;
}

HINSTANCE ModuleInstance()
{
    return g_instance ? g_instance : GetModuleHandleW(nullptr);
}

void SetModuleInstance(HINSTANCE instance)
{
    g_instance = instance;
}

std::wstring ModulePath()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(ModuleInstance(), path, MAX_PATH);
    return std::wstring(path, n < MAX_PATH ? n : 0);
}

HRESULT ModuleTypeInfo(REFGUID guid, ITypeInfo **info)
{
    if (!info) return E_POINTER;
    *info = nullptr;
    if (!g_typeLib) {
        // LoadTypeLibEx on a module path reads its type-library resource 1.
        HRESULT hr = LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &g_typeLib);
        if (FAILED(hr)) return hr;
    }
    return g_typeLib->GetTypeInfoOfGuid(guid, info);
}

void ReleaseModuleTypeLib()
{
    if (g_typeLib) {
        g_typeLib->Release();
        g_typeLib = nullptr;
    }
}
