// Running KXShell.exe from a test: a scratch folder, a scenario, the run
// with a time limit (ended by its process handle if it overruns), and the
// report and screenshots it leaves.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

// "left,top,right,bottom" as the shell's report writes a rectangle.
RECT ParseRect(const std::string &text);

struct ShotInfo {
    std::string name, file;
    RECT map{}, dock{}, panel{};
    std::vector<POINT> track;
    unsigned long trackColour = 0;
    int balloons = 0;
    double view[4] = {};
    std::vector<RECT> above;  // windows over the shell's (dialogs, drop-down lists)
};

struct ShellRun {
    int exitCode = -1;
    bool timedOut = false;
    std::wstring folder;
    std::vector<std::pair<std::string, std::string>> lines;

    std::vector<std::string> All(const std::string &key) const;
    std::string First(const std::string &key) const;
    bool Any(const std::string &key, const std::string &part) const;
    std::string Text() const;  // the whole report, for failure messages
    std::vector<ShotInfo> Shots() const;
};

// A fresh folder under %TEMP%, removed by the destructor.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::wstring &Path() const { return path_; }

private:
    std::wstring path_;
};

// The text of a scenario of this folder's scenarios/.
std::string ReadScenario(const wchar_t *name);

// The shell's own folder inside a scratch folder: KXShell.exe with its
// Plugins (and, after a run with the real plug-in, Plugins\KXSettings.xml).
std::wstring ShellCopyDir(const std::wstring &folder);

// Runs a copy of KXShell.exe installed in `folder` (made on the first run).
ShellRun RunShell(const std::wstring &folder, const std::wstring &arguments, const std::string &scenario, DWORD timeoutMs);

struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB
    bool Load(const std::wstring &bmpPath);
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Number of distinct colours in a rectangle (sampled every other pixel).
    size_t Colours(const RECT &r) const;
    // Share of the rectangle's pixels for which pred(colour) holds.
    template <class P>
    double Share(const RECT &r, P pred) const {
        size_t hit = 0, all = 0;
        for (int y = r.top; y < r.bottom && y < height; ++y)
            for (int x = r.left; x < r.right && x < width; ++x, ++all)
                if (pred(At(x, y))) ++hit;
        return all ? static_cast<double>(hit) / all : 0;
    }
    // Whether some pixel within `radius` of (x, y) satisfies pred.
    template <class P>
    bool Near(int x, int y, int radius, P pred) const {
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx) {
                const int px = x + dx, py = y + dy;
                if (px >= 0 && py >= 0 && px < width && py < height && pred(At(px, py))) return true;
            }
        return false;
    }
};

inline int Red(uint32_t c) { return (c >> 16) & 0xFF; }
inline int Green(uint32_t c) { return (c >> 8) & 0xFF; }
inline int Blue(uint32_t c) { return c & 0xFF; }

// A stand-in dispatcher of the test's own: registered, started hidden with
// a log, waited for at the end and ended by its handle if it stays.
class OwnDispatcher {
public:
    // `options`: more of the stand-in's command-line options (faults).
    explicit OwnDispatcher(const std::wstring &logPath, const std::wstring &options = L"");
    ~OwnDispatcher();
    bool Ready() const { return ready_; }
    // True when the process ended by itself within ms.
    bool Exited(DWORD ms);
    std::string Log() const;

private:
    PROCESS_INFORMATION process_{};
    std::wstring log_;
    bool ready_ = false;
};

// The display's pixels per inch for the programs started while it lives
// (LogPixels of the user's desktop settings, read as a program starts);
// the value before comes back when it goes.
class DisplayScale {
public:
    explicit DisplayScale(DWORD dpi);
    ~DisplayScale();
    DisplayScale(const DisplayScale &) = delete;
    DisplayScale &operator=(const DisplayScale &) = delete;

private:
    bool had_ = false;
    DWORD before_ = 0;
};

}  // namespace e2e
