// The shell's main window and its life: the map beside the docked pages
// and a status bar; plug-ins loaded at start, and at close terminated,
// released and checked for references they did not give back.
#pragma once

#include "ControlSite.h"
#include "MapView.h"
#include "Options.h"
#include "PageDock.h"
#include "PluginHost.h"
#include "Report.h"
#include "StandInShell.h"

#include <functional>

namespace kxapp {

// The time the shell's thread spent in the docked pages' timer messages
// (a plug-in's ticks), and the map frames drawn meanwhile.
struct TickStats {
    size_t ticks = 0;
    double totalMs = 0, worstMs = 0;
    size_t frames = 0;
};

// Runs a function on the window's thread (sent by the scenario's thread).
const UINT WM_KX_RUN = WM_APP + 1;

class ShellWindow {
public:
    ShellWindow(const Options &options, Report &report);
    ~ShellWindow();

    // Creates the window, loads the plug-ins and docks their pages.
    bool Start();
    // The message loop, with the keys of a UI-active control passed to it.
    void RunMessageLoop();
    // Exit code after the loop: 0, or 3 when references were left over.
    int ExitCode() const { return exitCode_; }

    HWND Window() const { return window_; }
    kxshell::StandInShell &Shell() { return shell_; }
    MapView &Map() { return map_; }
    PageDock &Dock() { return dock_; }
    // Map window rectangle and dock rectangle in window-image coordinates
    // (relative to the top-left corner of the whole window).
    RECT MapRectInWindow() const;
    RECT DockRectInWindow() const;
    void SetStatus(const std::wstring &text);
    // The figures since the last call; counting starts afresh.
    TickStats TakeTickStats();

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    void Layout();
    void UpdateStatus();
    void Shutdown();

    const Options &options_;
    Report &report_;
    kxshell::StandInShell shell_;
    MapView map_;
    PageDock dock_;
    PluginHost plugins_;
    ComPtr<ContainerFrame> frame_;
    HWND window_ = nullptr, status_ = nullptr;
    bool shutDown_ = false;
    int exitCode_ = 0;
    TickStats ticks_;
    size_t framesAtTake_ = 0;
};

RECT RectInWindow(HWND window, HWND child);

}  // namespace kxapp
