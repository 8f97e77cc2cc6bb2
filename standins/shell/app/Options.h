// The shell's command line. Without a scenario the window stays for a
// person; with one, the scenario runs and the shell closes at its end.
#pragma once

#include <string>

namespace kxapp {

struct Options {
    std::wstring pluginsDir;   // default: "Plugins" beside the executable
    std::wstring scenario;     // a scenario file; empty: none
    std::wstring shotsDir;     // where screenshots go; default: "shots" beside the executable
    std::wstring reportPath;   // the run report; empty: none
    int width = 1024, height = 768;
    bool maximized = false;
    bool stay = false;         // keep the window open after the scenario
    bool bmp = false;          // screenshots also as BMP (for tests)
    bool visualStyles = false; // run as a host whose manifest asks for the themed common controls
    double centreLon = 37.6173, centreLat = 55.7530;  // the stand-in city's centre
    double viewWidthMetres = 15000;

    // False with `error` on an unknown or malformed argument.
    bool Parse(int argc, wchar_t **argv, std::wstring &error);
    static std::wstring Usage();
};

// A Unix path (from a shell outside Wine) names drive Z:.
std::wstring WindowsPath(std::wstring path);
std::wstring ExecutableDir();

}  // namespace kxapp
