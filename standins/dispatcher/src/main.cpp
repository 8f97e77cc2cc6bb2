// KXDispatcher: a stand-in for the dispatcher program. An out-of-process
// automation server of the dispatcher's class, serving a built-in fleet and
// imported GPX recordings; faults can be ordered from the command line or
// through IKXDispatcherControl. See usage() for the command line.
#include "Dispatcher.h"
#include "GpxFile.h"
#include "kx/text.h"

#include <oleauto.h>
#include <shellapi.h>

#include <cmath>
#include <cstdio>

using namespace kxd;

namespace {

const wchar_t kUsage[] =
    L"KXDispatcher [options]\n"
    L"  /RegServer, /UnregServer   register or remove the class and type libraries\n"
    L"  /hidden                    no window\n"
    L"  /log:FILE                  append a line per call to FILE\n"
    L"  /gpx:FILE                  add the recording as a vehicle (repeatable)\n"
    L"  /no-fleet                  leave out the built-in fleet\n"
    L"  /long-track:N              add a vehicle whose one trip has N points\n"
    L"  /long-track-step:S         seconds between its points (default 1; 0.1 allowed)\n"
    L"  /fail-next:TEXT            the first call fails with TEXT\n"
    L"  /delay:MS                  every call waits MS\n"
    L"  /malformed:KIND            short-array, wrong-type-array, not-array, nan,\n"
    L"                             bad-dates, negative-counts, huge-counts,\n"
    L"                             no-position, markup-texts, empty-texts,\n"
    L"                             huge-texts, pole, long-array, text-in-array,\n"
    L"                             bad-last-entry\n"
    L"  /busy-lists:N              every entries list of a trip has at least N entries\n"
    L"  /exit-during-call:N        end the process abruptly during call N\n"
    L"  /start-delay:MS            wait MS before serving (a restart's copy)\n"
    L"  /online:MS                 online-data event period (0: never; default 60000)\n"
    L"  /compute-ms:MS             time a computation takes (default 150)\n"
    L"  /idle-exit:S               exit if no client came within S seconds\n"
    L"  /speed-limit:KMH           speeding threshold (default 80)\n"
    L"  /max-speed:KMH             GPX points implying a faster move are position\n"
    L"                             glitches and skipped (default 250)\n"
    L"Environment KXDISPATCHER_ARGS adds options (also when COM starts it).";

const UINT_PTR kIdleTimer = 3;

Options g_opt;
Dispatcher *g_dispatcher = nullptr;
HWND g_list = nullptr, g_status = nullptr;
DWORD g_started = 0;

class Factory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory *>(this);
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown *outer, REFIID riid, void **ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (!g_dispatcher) return CO_E_SERVER_STOPPING;
        return g_dispatcher->QueryInterface(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};
Factory g_factory;

bool Option(const std::wstring &arg, const wchar_t *name, std::wstring *value = nullptr)
{
    std::wstring a = arg;
    if (a.empty() || (a[0] != L'/' && a[0] != L'-')) return false;
    a = a.substr(1);
    const size_t colon = a.find_first_of(L":=");
    const std::wstring key = a.substr(0, colon);
    if (_wcsicmp(key.c_str(), name) != 0) return false;
    if (value) {
        if (colon == std::wstring::npos) return false;
        *value = a.substr(colon + 1);
    }
    return true;
}

int ToInt(const std::wstring &s) { return _wtoi(s.c_str()); }

// A positive number of seconds; anything else keeps one.
double ToSeconds(const std::wstring &s)
{
    const double v = _wtof(s.c_str());
    return v > 0 ? v : 1.0;
}

// A positive speed; anything else keeps the default.
double ToSpeed(const std::wstring &s, double fallback)
{
    const double v = _wtof(s.c_str());
    return v > 0 && std::isfinite(v) ? v : fallback;
}

std::vector<std::wstring> Arguments()
{
    std::vector<std::wstring> out;
    int n = 0;
    if (LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &n)) {
        for (int i = 1; i < n; ++i) out.push_back(argv[i]);
        LocalFree(argv);
    }
    wchar_t env[4096];
    const DWORD len = GetEnvironmentVariableW(L"KXDISPATCHER_ARGS", env, 4096);
    if (len > 0 && len < 4096) {
        std::wstring cmd = std::wstring(L"x ") + env;
        if (LPWSTR *argv = CommandLineToArgvW(cmd.c_str(), &n)) {
            for (int i = 1; i < n; ++i) out.push_back(argv[i]);
            LocalFree(argv);
        }
    }
    return out;
}

std::wstring ModulePath()
{
    wchar_t path[MAX_PATH * 2];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return std::wstring(path, n);
}

const wchar_t kClsidKey[] = L"CLSID\\{D8625B15-227D-4927-B466-E80DCACEEBC2}";

LONG SetValue(HKEY root, const std::wstring &key, const wchar_t *name, const std::wstring &value)
{
    HKEY h = nullptr;
    LONG rc = RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
    return rc;
}

HRESULT RegisterLibrary(const std::wstring &path, const wchar_t *libid)
{
    ITypeLib *lib = nullptr;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib);
    if (FAILED(hr)) return hr;
    std::wstring p = path;
    hr = RegisterTypeLib(lib, &p[0], nullptr);
    lib->Release();
    if (FAILED(hr)) return hr;
    // Wine's marshaler looks the library up under LCID 0 only.
    const LONG rc = SetValue(HKEY_CLASSES_ROOT, std::wstring(L"TypeLib\\") + libid + L"\\1.0\\0\\win32", nullptr, path);
    return rc == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(rc);
}

int Register()
{
    const std::wstring exe = ModulePath();
    LONG rc = SetValue(HKEY_CLASSES_ROOT, kClsidKey, nullptr, L"Karvex automation (KXDispatcher stand-in)");
    if (rc == ERROR_SUCCESS) rc = SetValue(HKEY_CLASSES_ROOT, std::wstring(kClsidKey) + L"\\LocalServer32", nullptr, L"\"" + exe + L"\"");
    if (rc == ERROR_SUCCESS)
        rc = SetValue(HKEY_CLASSES_ROOT, std::wstring(kClsidKey) + L"\\TypeLib", nullptr, L"{FB5D4F24-1033-4FF6-9915-C9E9EA7EE8B5}");
    if (rc != ERROR_SUCCESS) {
        fwprintf(stderr, L"registry write failed: %ld\n", rc);
        return 1;
    }
    HRESULT hr = RegisterLibrary(exe, L"{FB5D4F24-1033-4FF6-9915-C9E9EA7EE8B5}");
    if (SUCCEEDED(hr)) hr = RegisterLibrary(exe + L"\\2", L"{E536C562-4556-4A62-BEC4-4F15542AA836}");
    if (FAILED(hr)) {
        fwprintf(stderr, L"type library registration failed: 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    return 0;
}

int Unregister()
{
    UnRegisterTypeLib(LIBID_Karvex, 1, 0, 0, SYS_WIN32);
    UnRegisterTypeLib(LIBID_KXDispatcherControlLib, 1, 0, 0, SYS_WIN32);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"TypeLib\\{FB5D4F24-1033-4FF6-9915-C9E9EA7EE8B5}");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"TypeLib\\{E536C562-4556-4A62-BEC4-4F15542AA836}");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kClsidKey);
    return 0;
}

kxfleet::Fleet BuildFleet()
{
    kxfleet::Fleet fleet = g_opt.defaultFleet ? kxfleet::GenerateDefaultFleet() : kxfleet::Fleet{};
    int serial = 0;
    kxfleet::GpxImportOptions gpx;
    gpx.maxSpeedKmh = g_opt.glitchSpeedKmh;
    kxfleet::DeriveOptions derive;
    derive.speedLimitKmh = g_opt.speedLimitKmh;
    const double now = NowUtc();
    for (const std::wstring &file : g_opt.gpxFiles) {
        GpxFileImport imported = ImportGpxFile(file, now, gpx, derive);
        // Told in the window and the log file, and to whoever started the
        // program from a console.
        for (const std::wstring &line : imported.report) {
            Log::Line(L"GPX: " + line);
            std::fprintf(stderr, "%s\n", kx::ToUtf8(line).c_str());
        }
        if (!imported.usable) continue;
        kxfleet::Vehicle v = std::move(imported.vehicle);
        v.number = "GPX-" + std::to_string(++serial);
        v.device = 900000 + serial;
        fleet.AddVehicle(std::move(v), "GPX", "Записи GPX");
    }
    std::fflush(stderr);
    if (g_opt.longTrackPoints > 0) {
        kxfleet::Vehicle v = kxfleet::GenerateLongTrip(g_opt.longTrackPoints, 990001, kxfleet::MakeDateTime(2009, 2, 6, 8),
                                                         g_opt.longTrackStepSeconds);
        fleet.AddVehicle(std::move(v), "LOAD", "Нагрузочный тест");
    }
    return fleet;
}

void ShowStatus()
{
    if (g_status && g_dispatcher) SetWindowTextW(g_status, g_dispatcher->Status().c_str());
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CREATE: {
        const HINSTANCE inst = reinterpret_cast<CREATESTRUCTW *>(lp)->hInstance;
        g_status = CreateWindowW(L"STATIC", L"", WS_CHILD | WS_VISIBLE, 4, 4, 600, 18, hwnd, nullptr, inst, nullptr);
        g_list = CreateWindowW(L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | LBS_NOINTEGRALHEIGHT,
                               4, 26, 600, 300, hwnd, nullptr, inst, nullptr);
        return 0;
    }
    case WM_SIZE:
        if (g_list) MoveWindow(g_list, 4, 26, LOWORD(lp) - 8, HIWORD(lp) - 30, TRUE);
        if (g_status) MoveWindow(g_status, 4, 4, LOWORD(lp) - 8, 18, TRUE);
        return 0;
    case WM_KXD_LOG: {
        std::wstring *line = reinterpret_cast<std::wstring *>(lp);
        if (g_list) {
            if (SendMessageW(g_list, LB_GETCOUNT, 0, 0) > 500) SendMessageW(g_list, LB_DELETESTRING, 0, 0);
            const LRESULT i = SendMessageW(g_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line->c_str()));
            SendMessageW(g_list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
        }
        delete line;
        ShowStatus();
        return 0;
    }
    case WM_KXD_LASTCLIENT:
        if (g_dispatcher && g_dispatcher->Clients() == 0) {
            Log::Line(L"последний клиент ушёл: выход");
            PostQuitMessage(0);
        }
        return 0;
    case WM_KXD_SHUTDOWN:
    case WM_CLOSE:
        if (g_dispatcher) g_dispatcher->CloseForShutdown();
        PostQuitMessage(0);
        return 0;
    case WM_TIMER:
        if (g_dispatcher && wp == kIdleTimer) {
            const DWORD idle = GetTickCount() - g_started;
            if (!g_dispatcher->HadClient() && g_opt.idleExitSec >= 0 && idle >= static_cast<DWORD>(g_opt.idleExitSec) * 1000) {
                Log::Line(L"клиентов не было: выход");
                PostQuitMessage(0);
            }
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, LPWSTR, int)
{
    bool reg = false, unreg = false;
    int startDelayMs = 0;
    for (const std::wstring &a : Arguments()) {
        std::wstring v;
        if (Option(a, L"RegServer")) reg = true;
        else if (Option(a, L"UnregServer")) unreg = true;
        else if (Option(a, L"Embedding") || Option(a, L"Automation")) g_opt.embedding = true;
        else if (Option(a, L"hidden")) g_opt.hidden = true;
        else if (Option(a, L"no-fleet")) g_opt.defaultFleet = false;
        else if (Option(a, L"log", &v)) g_opt.logPath = v;
        else if (Option(a, L"gpx", &v)) g_opt.gpxFiles.push_back(v);
        else if (Option(a, L"long-track", &v)) g_opt.longTrackPoints = ToInt(v);
        else if (Option(a, L"long-track-step", &v)) g_opt.longTrackStepSeconds = ToSeconds(v);
        else if (Option(a, L"fail-next", &v)) g_opt.failNext = v;
        else if (Option(a, L"delay", &v)) g_opt.delayMs = ToInt(v);
        else if (Option(a, L"malformed", &v)) g_opt.malformed = v;
        else if (Option(a, L"exit-during-call", &v)) g_opt.exitDuringCall = ToInt(v);
        else if (Option(a, L"online", &v)) g_opt.onlineMs = ToInt(v);
        else if (Option(a, L"compute-ms", &v)) g_opt.computeMs = ToInt(v);
        else if (Option(a, L"idle-exit", &v)) g_opt.idleExitSec = ToInt(v);
        else if (Option(a, L"speed-limit", &v)) g_opt.speedLimitKmh = _wtof(v.c_str());
        else if (Option(a, L"max-speed", &v)) g_opt.glitchSpeedKmh = ToSpeed(v, g_opt.glitchSpeedKmh);
        else if (Option(a, L"busy-lists", &v)) g_opt.busyLists = ToInt(v);
        else if (Option(a, L"start-delay", &v)) startDelayMs = ToInt(v);
        else {
            fwprintf(stderr, L"unknown option %ls\n%ls\n", a.c_str(), kUsage);
            return 2;
        }
    }
    if (reg) return Register();
    if (unreg) return Unregister();
    if (g_opt.idleExitSec < 0) g_opt.idleExitSec = g_opt.embedding ? 60 : -1;

    // A restart's copy: the program is away for this long first.
    if (startDelayMs > 0) Sleep(static_cast<DWORD>(startDelayMs));
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
    g_started = GetTickCount();

    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"KXDispatcherWindow";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(wc.lpszClassName, L"KXDispatcher — диспетчер (замена)", WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, 640, 360, nullptr, nullptr, inst, nullptr);
    if (!window) return 4;
    Log::Open(g_opt.logPath, g_opt.hidden || g_opt.embedding ? nullptr : window);
    Log::Line(L"запуск: " + std::wstring(GetCommandLineW()));

    const std::wstring exe = ModulePath();
    TypeInfos types;
    if (FAILED(types.Load(exe, exe + L"\\2"))) {
        Log::Line(L"не загружается собственная библиотека типов");
        return 5;
    }

    g_dispatcher = new Dispatcher(g_opt, BuildFleet(), types, window);
    DWORD classCookie = 0, rotCookie = 0;
    HRESULT hr = CoRegisterClassObject(CLSID_KarvexAutomation, &g_factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                       &classCookie);
    if (FAILED(hr)) {
        Log::Line(L"CoRegisterClassObject: ошибка");
        return 6;
    }
    // Weak: the running object table must not count as a client.
    RegisterActiveObject(static_cast<IKarvexAutomation *>(g_dispatcher), CLSID_KarvexAutomation, ACTIVEOBJECT_WEAK,
                         &rotCookie);
    g_dispatcher->revokeForAbruptExit_ = [&] {
        CoRevokeClassObject(classCookie);
        if (rotCookie) RevokeActiveObject(rotCookie, nullptr);
    };
    // Tells whoever started this process that it now serves calls.
    wchar_t readyName[64];
    swprintf(readyName, 64, L"KXDispatcher.Ready.%lu", GetCurrentProcessId());
    HANDLE ready = CreateEventW(nullptr, TRUE, TRUE, readyName);
    SetTimer(window, kIdleTimer, 1000, nullptr);
    if (!g_opt.hidden && !g_opt.embedding) ShowWindow(window, SW_SHOWNORMAL);
    Log::Line(L"готов");

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    // Refuse new clients first, then cut the remaining ones off.
    if (rotCookie) RevokeActiveObject(rotCookie, nullptr);
    CoRevokeClassObject(classCookie);
    Dispatcher *d = g_dispatcher;
    g_dispatcher = nullptr;
    CoDisconnectObject(static_cast<IKarvexAutomation *>(d), 0);
    d->Release();
    if (ready) CloseHandle(ready);
    Log::Line(L"выход");
    Log::SetWindow(nullptr);
    DestroyWindow(window);
    CoUninitialize();
    return 0;
}
