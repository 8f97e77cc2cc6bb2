// The module services the layer takes from the plug-in DLL: here the test
// program's own module, which carries the same icons. A test can point the
// layer at a module without them to see a failed load.
#include "LayerTestSupport.h"

#include "Module.h"

namespace {
bool g_withoutIcons = false;
}

void SetModuleWithoutIcons(bool without)
{
    g_withoutIcons = without;
}

HINSTANCE ModuleInstance()
{
    // kernel32 carries no "IC" resources.
    return g_withoutIcons ? GetModuleHandleW(L"kernel32.dll") : GetModuleHandleW(nullptr);
}
