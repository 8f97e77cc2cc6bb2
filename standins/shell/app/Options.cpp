#include "Options.h"

#include <windows.h>

#include <cwchar>

namespace kxapp {

std::wstring WindowsPath(std::wstring path) {
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (auto &c : path)
        if (c == L'/') c = L'\\';
    return path;
}

std::wstring ExecutableDir() {
    wchar_t path[MAX_PATH * 2];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring p(path, n);
    const size_t slash = p.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : p.substr(0, slash);
}

std::wstring Options::Usage() {
    return L"KXShell [options]\n"
           L"  --plugins DIR        plug-in folder (default: Plugins beside KXShell.exe)\n"
           L"  --scenario FILE      run a scenario, then close (see scenarios/demo.txt)\n"
           L"  --shots DIR          where screenshots go (default: shots beside KXShell.exe)\n"
           L"  --report FILE        write the run report\n"
           L"  --size WxH           window size (default 1024x768)\n"
           L"  --maximized          start maximised\n"
           L"  --stay               keep the window open after the scenario\n"
           L"  --bmp                screenshots also as BMP\n"
           L"  --visual-styles      with the common controls 6 manifest (themed controls)\n"
           L"  --centre LON,LAT     map centre (default: the stand-in city's)\n"
           L"  --view-width METRES  width of the first view (default 15000)\n";
}

bool Options::Parse(int argc, wchar_t **argv, std::wstring &error) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        auto value = [&](std::wstring &out) {
            if (i + 1 >= argc) {
                error = L"missing value after " + arg;
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::wstring v;
        if (arg == L"--plugins") {
            if (!value(v)) return false;
            pluginsDir = WindowsPath(v);
        } else if (arg == L"--scenario") {
            if (!value(v)) return false;
            scenario = WindowsPath(v);
        } else if (arg == L"--shots") {
            if (!value(v)) return false;
            shotsDir = WindowsPath(v);
        } else if (arg == L"--report") {
            if (!value(v)) return false;
            reportPath = WindowsPath(v);
        } else if (arg == L"--size") {
            if (!value(v) || swscanf(v.c_str(), L"%dx%d", &width, &height) != 2 || width < 320 || height < 240) {
                error = L"--size wants WxH, at least 320x240";
                return false;
            }
        } else if (arg == L"--centre") {
            if (!value(v) || swscanf(v.c_str(), L"%lf,%lf", &centreLon, &centreLat) != 2) {
                error = L"--centre wants LON,LAT";
                return false;
            }
        } else if (arg == L"--view-width") {
            if (!value(v) || (viewWidthMetres = _wtof(v.c_str())) < 10) {
                error = L"--view-width wants metres, at least 10";
                return false;
            }
        } else if (arg == L"--maximized") {
            maximized = true;
        } else if (arg == L"--stay") {
            stay = true;
        } else if (arg == L"--bmp") {
            bmp = true;
        } else if (arg == L"--visual-styles") {
            visualStyles = true;
        } else {
            error = L"unknown argument " + arg;
            return false;
        }
    }
    if (pluginsDir.empty()) pluginsDir = ExecutableDir() + L"\\Plugins";
    if (shotsDir.empty()) shotsDir = ExecutableDir() + L"\\shots";
    return true;
}

}  // namespace kxapp
