#include "DispatcherProgram.h"

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include "Bstr.h"
#include "ComPtr.h"
#include "KXDispatcherControl.h"
#include "Karvex.h"

#include <functional>

namespace {

// COM for the scenario's own thread, for as long as a command runs.
class ComScope {
public:
    ComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~ComScope()
    {
        if (ok_)
            CoUninitialize();
    }

private:
    bool ok_;
};

// The running program's control interface, or empty (detail says why).
ComPtr<IKXDispatcherControl> RunningControl(std::string &detail)
{
    ComPtr<IUnknown> running;
    ComPtr<IKXDispatcherControl> control;
    if (FAILED(GetActiveObject(CLSID_KarvexAutomation, nullptr, running.Put())) || !running)
        detail = "no dispatcher program is running";
    else if (FAILED(running->QueryInterface(IID_IKXDispatcherControl, reinterpret_cast<void **>(control.Put()))))
        detail = "the running dispatcher has no control interface (is it the stand-in?)";
    return control;
}

// Gives the running program an order that ends it and waits until it has gone.
bool EndRunning(IKXDispatcherControl *control, const std::function<HRESULT()> &order, const char *refused,
                std::string &detail)
{
    LONG pid = 0;
    HANDLE process = SUCCEEDED(control->get_ProcessId(&pid)) ? OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid))
                                                             : nullptr;
    const HRESULT hr = order();
    const bool gone = SUCCEEDED(hr) && process && WaitForSingleObject(process, 15000) == WAIT_OBJECT_0;
    if (process)
        CloseHandle(process);
    if (!gone)
        detail = FAILED(hr) ? refused : "the dispatcher program did not end";
    return gone;
}

std::wstring RegisteredCommand()
{
    wchar_t command[1024];
    LONG size = sizeof command;
    if (RegQueryValueW(HKEY_CLASSES_ROOT, L"CLSID\\{D8625B15-227D-4927-B466-E80DCACEEBC2}\\LocalServer32", command,
                       &size) != ERROR_SUCCESS)
        return L"";
    return command;
}

}  // namespace

bool DispatcherProgram::Restart(int ms, std::string &detail)
{
    ComScope com;
    const ComPtr<IKXDispatcherControl> control = RunningControl(detail);
    if (!control || !EndRunning(control.Get(), [&] { return control->RestartAfter(ms); },
                                "the dispatcher refused to restart", detail))
        return false;
    detail = "ended; its copy serves in " + std::to_string(ms) + " ms";
    return true;
}

bool DispatcherProgram::Close(std::string &detail)
{
    ComScope com;
    const ComPtr<IKXDispatcherControl> control = RunningControl(detail);
    if (!control)
        return false;
    Bstr command;
    if (SUCCEEDED(control->get_CommandLine(command.Put())))
        commandLine_ = command.Str();
    if (!EndRunning(control.Get(), [&] { return control->Shutdown(); }, "the dispatcher refused to close", detail))
        return false;
    detail = "closed";
    return true;
}

bool DispatcherProgram::Start(std::string &detail)
{
    std::wstring command = commandLine_.empty() ? RegisteredCommand() : commandLine_;
    if (command.empty()) {
        detail = "the dispatcher program is not registered";
        return false;
    }
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        detail = "the dispatcher program did not start";
        return false;
    }
    CloseHandle(pi.hThread);
    // The program says it serves through an event named after its id.
    const std::wstring name = L"KXDispatcher.Ready." + std::to_wstring(pi.dwProcessId);
    bool ready = false;
    for (int i = 0; i < 300 && !ready; ++i) {
        if (HANDLE e = OpenEventW(SYNCHRONIZE, FALSE, name.c_str())) {
            ready = WaitForSingleObject(e, 0) == WAIT_OBJECT_0;
            CloseHandle(e);
        }
        if (!ready && WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0)
            break;
    }
    CloseHandle(pi.hProcess);
    detail = ready ? "serving" : "the dispatcher program did not come up";
    return ready;
}
