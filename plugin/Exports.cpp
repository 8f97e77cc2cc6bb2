// The library's exported entry points.
#include "ClassFactory.h"
#include "KXPlayer.h"
#include "Module.h"
#include "Registration.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        SetModuleInstance(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        ReleaseModuleTypeLib();
    }
    return TRUE;
}

// The shell's entry: registers the library (a failure, say for lack of
// rights, does not stop the plug-in) and hands out the plug-in object.
HRESULT WINAPI CreateGrymPlugin(IUnknown **plugin)
{
    if (!plugin) return E_POINTER;
    *plugin = nullptr;
    RegisterModule();
    return TKXPlayer::Create(IID_IUnknown, reinterpret_cast<void **>(plugin), /*counted=*/false);
}

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void **out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    TClassFactory *factory = FindClassFactory(clsid);
    if (!factory) return CLASS_E_CLASSNOTAVAILABLE;
    return factory->QueryInterface(iid, out);
}

HRESULT WINAPI DllCanUnloadNow()
{
    return ModuleLockCount() == 0 ? S_OK : S_FALSE;
}

HRESULT WINAPI DllRegisterServer()
{
    return RegisterModule();
}

HRESULT WINAPI DllUnregisterServer()
{
    return UnregisterModule();
}

} // extern "C"
