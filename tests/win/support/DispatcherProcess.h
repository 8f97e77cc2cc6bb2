// Tests that run the stand-in dispatcher as a process of its own: message
// pumping with a time limit, the program's own command-line runs, and a
// dispatcher started by the test and always ended by it. KX_DISPATCHER_EXE
// names the program (Windows path).
#pragma once

#include <windows.h>
#include <ole2.h>

#include "Karvex.h"

#include <chrono>
#include <string>

namespace dispatcher_process {

using Clock = std::chrono::steady_clock;

inline double MsSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Pumps this thread's messages until pred() holds or the time is up.
template <class P>
bool PumpUntil(P pred, int ms)
{
    const auto t0 = Clock::now();
    while (!pred()) {
        if (MsSince(t0) > ms)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    return true;
}

inline void Pump(int ms)
{
    PumpUntil([] { return false; }, ms);
}

// Whether a live dispatcher is in the running object table.
inline bool Running()
{
    IUnknown *unk = nullptr;
    if (FAILED(GetActiveObject(CLSID_KarvexAutomation, nullptr, &unk)) || !unk)
        return false;
    IKarvexAutomation *k = nullptr;
    const bool alive = SUCCEEDED(unk->QueryInterface(IID_IKarvexAutomation, reinterpret_cast<void **>(&k)));
    if (k)
        k->Release();
    unk->Release();
    return alive;
}

// Runs the program with these arguments (e.g. /RegServer) and returns its
// exit code, or -1 when it could not be started.
inline int RunAndWait(const std::wstring &args)
{
    std::wstring cmd = std::wstring(L"\"") + KX_DISPATCHER_EXE + L"\" " + args;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, 20000);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

// A dispatcher this test starts itself, with its own command line; clients
// attach to it through the running object table. Ended by id if it has not
// gone by itself when the test is done.
class OwnDispatcher {
public:
    explicit OwnDispatcher(const std::wstring &args, int idleExitSeconds = 20)
    {
        std::wstring cmd = std::wstring(L"\"") + KX_DISPATCHER_EXE + L"\" /hidden /online:0 /idle-exit:" +
                           std::to_wstring(idleExitSeconds) + L" " + args;
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_))
            return;
        CloseHandle(pi_.hThread);
        // Not by attaching: a probe would be a client, and its leaving would
        // end the dispatcher.
        const std::wstring name = L"KXDispatcher.Ready." + std::to_wstring(pi_.dwProcessId);
        ready_ = PumpUntil(
            [&] {
                HANDLE e = OpenEventW(SYNCHRONIZE, FALSE, name.c_str());
                const bool set = e && WaitForSingleObject(e, 0) == WAIT_OBJECT_0;
                if (e)
                    CloseHandle(e);
                return set;
            },
            20000);
    }
    ~OwnDispatcher()
    {
        if (!pi_.hProcess)
            return;
        if (!Exited(8000)) {
            TerminateProcess(pi_.hProcess, 9);
            WaitForSingleObject(pi_.hProcess, 5000);
        }
        CloseHandle(pi_.hProcess);
    }
    OwnDispatcher(const OwnDispatcher &) = delete;
    OwnDispatcher &operator=(const OwnDispatcher &) = delete;

    bool ready() const { return ready_; }
    // Ends it now: for a dispatcher whose client died without letting go.
    void End()
    {
        if (pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) != WAIT_OBJECT_0) {
            TerminateProcess(pi_.hProcess, 9);
            WaitForSingleObject(pi_.hProcess, 5000);
        }
    }
    DWORD pid() const { return pi_.dwProcessId; }
    // Ends the program abruptly, as a crash would, and waits until it has gone.
    void Kill()
    {
        TerminateProcess(pi_.hProcess, 9);
        WaitForSingleObject(pi_.hProcess, 5000);
    }
    bool Exited(int ms)
    {
        return PumpUntil([&] { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_OBJECT_0; }, ms);
    }

private:
    PROCESS_INFORMATION pi_ = {};
    bool ready_ = false;
};

} // namespace dispatcher_process
