// Scenarios: a typical use of the shell and its plug-in, written as lines
// of a script (see scenarios/demo.txt), run on a thread of their own that
// acts on the window's thread and waits, with time limits, for what a
// person would wait for. Each step ends ok, pending (what it waits for has
// not come: work of the plug-in not there yet), skipped (an earlier step
// is pending) or failed.
#pragma once

#include "DispatcherProgram.h"
#include "Report.h"

#include <windows.h>

#include <atomic>

#include <string>
#include <vector>

namespace kxapp {

class ShellWindow;
struct Options;
struct Picture;

struct ScenarioStep {
    int line = 0;
    std::wstring command;
    std::vector<std::wstring> args;
    std::wstring Text() const;
};

// False with `error` ("line 3: unknown command ...") on a malformed script.
bool ParseScenario(const std::wstring &text, std::vector<ScenarioStep> &steps, std::wstring &error);
bool LoadScenario(const std::wstring &path, std::vector<ScenarioStep> &steps, std::wstring &error);

class ScenarioRunner {
public:
    ScenarioRunner(ShellWindow &shell, const Options &options, Report &report, std::vector<ScenarioStep> steps);
    ~ScenarioRunner();

    void Start();
    // Waits for the thread (after the window has gone).
    void Join();
    int Failed() const { return failed_; }

private:
    static DWORD WINAPI ThreadMain(void *self);
    static DWORD WINAPI WatchMain(void *self);
    void Run();
    void Watch();
    enum class Outcome { Ok, Pending, Skipped, Failed };
    Outcome Execute(const ScenarioStep &step, std::string &detail);
    Outcome ReportStep(const ScenarioStep &step, std::string &detail);
    // Runs fn on the window's thread, waiting for it; false when the window is gone.
    template <class F>
    bool Ui(F &&fn);
    // Polls pred (on the window's thread) every 100 ms up to ms.
    template <class P>
    bool WaitFor(P &&pred, int ms);
    // A picture of the window; an open popup (a menu) drawn over it where it stands.
    bool Shot(const std::wstring &name, std::string &detail, HWND popup = nullptr);
    // The rest run on the window's thread. The window with the thread's
    // windows above it, and the popup where it stands.
    bool CaptureScene(HWND popup, Picture &picture);
    // A window's whole rectangle in the picture's coordinates.
    RECT RectOfWindow(HWND w) const;
    // Where a part of the window is: the panel, the map, the open dialog,
    // the panel's tool bar, or a group box of the panel by its caption.
    bool PartRect(const std::wstring &part, const std::wstring &caption, RECT &area);
    // A picture of `area` only, written as NAME.png (no running number:
    // the name is the picture's lasting name).
    bool ShotPart(const std::wstring &name, const RECT &area, HWND popup, std::string &detail);

    ShellWindow &shell_;
    const Options &options_;
    Report &report_;
    std::vector<ScenarioStep> steps_;
    HWND window_;
    DWORD uiThread_;
    std::atomic<bool> exporting_{false};  // the message-box watcher leaves the save dialog alone
    HANDLE thread_ = nullptr, watcher_ = nullptr, stop_ = nullptr;
    HANDLE uiDone_ = nullptr;  // set by the window's thread after each Ui action
    int failed_ = 0;
    int shots_ = 0;
    std::string blockedBy_;
    DispatcherProgram dispatcher_;  // the stand-in dispatcher, for the steps that end and start it
};

}  // namespace kxapp
