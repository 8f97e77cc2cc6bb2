// Loads the built plug-in the way the shell does and hands out its exports.
#pragma once

#include <windows.h>
#include <GrymCore.h>
#include <KXProject.h>

#include <gtest/gtest.h>

#include <string>

using CreateGrymPluginFn = HRESULT(WINAPI *)(IUnknown **);
using DllGetClassObjectFn = HRESULT(WINAPI *)(REFCLSID, REFIID, void **);
using DllFn = HRESULT(WINAPI *)();

class PluginModule {
public:
    PluginModule() : module_(LoadLibraryW(L"KXPlayerPlugin.dll")) {}
    ~PluginModule()
    {
        if (module_) FreeLibrary(module_);
    }
    PluginModule(const PluginModule &) = delete;
    PluginModule &operator=(const PluginModule &) = delete;

    HMODULE Handle() const { return module_; }
    std::wstring Path() const
    {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(module_, path, MAX_PATH);
        return path;
    }

    template <class Fn>
    Fn Export(const char *name) const
    {
        return reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(module_, name)));
    }

    HRESULT CreateGrymPlugin(IUnknown **out) const
    {
        return Export<CreateGrymPluginFn>("CreateGrymPlugin")(out);
    }

private:
    HMODULE module_;
};

// Runs a command line and waits for its end; its exit code, or the error
// that kept it from starting.
inline DWORD RunProgram(std::wstring command, DWORD timeoutMs)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return GetLastError();
    DWORD code = WAIT_TIMEOUT;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, WAIT_TIMEOUT);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// COM for one test.
class ComApartment {
public:
    ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComApartment() { CoUninitialize(); }
};

inline std::wstring TakeBstr(BSTR text)
{
    std::wstring s = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return s;
}
