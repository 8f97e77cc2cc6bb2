// A container's life with the panel control, run in a process of its own so
// that a jump into an unloaded library ends it with a crash code, not the
// test program. "atl": Wine's ATL host window creates the control from its
// ProgID; "create": CoCreateInstance and a final release. Both then free
// unused libraries and end COM, as most containers do. Exit code 0: clean;
// 2: the panel never listed its groups; anything else: a crash, which is
// what a library unloaded under a live event sink leads to.
#include <windows.h>
#include <objbase.h>
#include <ole2.h>

#include <cstdio>
#include <string>

namespace {

const wchar_t kProgId[] = L"KXProject.KXActiveXForm";

void PumpFor(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    MSG msg;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

BOOL CALLBACK FindFilledCombo(HWND window, LPARAM found)
{
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (lstrcmpiW(name, L"ComboBox") == 0 && SendMessageW(window, CB_GETCOUNT, 0, 0) > 0)
        *reinterpret_cast<bool *>(found) = true;
    EnumChildWindows(window, FindFilledCombo, found);
    return TRUE;
}

// The panel's start-up has run once its group list holds the dispatcher's
// groups: by then it has subscribed to the dispatcher's events.
bool WaitForGroups(DWORD timeoutMs)
{
    const DWORD end = GetTickCount() + timeoutMs;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        PumpFor(50);
        bool found = false;
        EnumThreadWindows(GetCurrentThreadId(), FindFilledCombo, reinterpret_cast<LPARAM>(&found));
        if (found) return true;
    }
    return false;
}

}  // namespace

int wmain(int argc, wchar_t **argv)
{
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode != L"atl" && mode != L"create") {
        std::fprintf(stderr, "usage: unload_probe atl|create\n");
        return 1;
    }
    OleInitialize(nullptr);
    bool listed = false;
    if (mode == L"atl") {
        using AtlAxWinInitFn = BOOL(WINAPI *)();
        HMODULE atl = LoadLibraryW(L"atl.dll");
        auto init = atl ? reinterpret_cast<AtlAxWinInitFn>(reinterpret_cast<void *>(GetProcAddress(atl, "AtlAxWinInit")))
                        : nullptr;
        if (!init || !init()) {
            std::fprintf(stderr, "no ATL host window here\n");
            return 1;
        }
        HWND host = CreateWindowExW(0, L"AtlAxWin", kProgId, WS_OVERLAPPEDWINDOW, 0, 0, 300, 700, nullptr, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
        if (!host) {
            std::fprintf(stderr, "the ATL host window was not created\n");
            return 1;
        }
        listed = WaitForGroups(30000);
        DestroyWindow(host);
    } else {
        CLSID clsid;
        IUnknown *control = nullptr;
        if (FAILED(CLSIDFromProgID(kProgId, &clsid)) ||
            FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                    reinterpret_cast<void **>(&control)))) {
            std::fprintf(stderr, "the control was not created\n");
            return 1;
        }
        listed = WaitForGroups(30000);
        control->Release();
    }
    PumpFor(100);
    HMODULE plugin = GetModuleHandleW(L"KXPlayerPlugin.dll");
    using CanUnloadFn = HRESULT(WINAPI *)();
    auto canUnload = plugin ? reinterpret_cast<CanUnloadFn>(reinterpret_cast<void *>(GetProcAddress(plugin, "DllCanUnloadNow")))
                            : nullptr;
    const HRESULT answer = canUnload ? canUnload() : E_FAIL;
    CoFreeUnusedLibrariesEx(0, 0);
    std::printf("%ls: groups listed: %s; DllCanUnloadNow: %s; loaded after freeing unused libraries: %s\n",
                mode.c_str(), listed ? "yes" : "no", answer == S_OK ? "S_OK" : "S_FALSE",
                GetModuleHandleW(L"KXPlayerPlugin.dll") ? "yes" : "no");
    std::fflush(stdout);
    // The dispatcher's stub releases the panel's event sink here at the latest.
    OleUninitialize();
    return listed ? 0 : 2;
}
