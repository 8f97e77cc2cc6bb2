// kxprobe <plugin.dll> [--calls]: loads a plug-in as the map shell does and
// reports on it. Output is UTF-8 so that Cyrillic captions read correctly in
// a terminal outside Windows.
#include "PluginProbe.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace {

class StdoutReport : public kxprobe::Report {
public:
    void Line(const std::string &text) override {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
};

// A Unix path (as given in a shell outside Wine) names drive Z:.
std::wstring WindowsPath(std::wstring path) {
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (auto &c : path)
        if (c == L'/') c = L'\\';
    return path;
}

}  // namespace

int main() {
    // Binary: the report's bytes are UTF-8 and lines end in LF only.
    _setmode(_fileno(stdout), _O_BINARY);
    StdoutReport report;
    int argc = 0;
    LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    kxprobe::ProbeOptions options;
    int paths = 0;
    for (int i = 1; argv && i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--calls") {
            options.printCalls = true;
        } else {
            options.dllPath = WindowsPath(arg);
            ++paths;
        }
    }
    if (argv) LocalFree(argv);
    if (paths != 1) {
        report.Line("usage: kxprobe <path-to-plugin.dll> [--calls]");
        return 2;
    }
    return kxprobe::RunProbe(options, report);
}
