#include "Scenario.h"

#include "LayoutCheck.h"
#include "Options.h"
#include "PanelDriver.h"
#include "Screenshot.h"
#include "ShellWindow.h"
#include "ShapeWalker.h"

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <functional>
#include <utility>
#include <sstream>

namespace kxapp {
namespace {

using Clock = std::chrono::steady_clock;

// The group box of the player, where the category menu drops from.
const wchar_t kPlayerFrame[] = L"Управление плеером треков";

const wchar_t *const kCommands[] = {L"wait-panel",   L"wait-groups", L"choose-group", L"wait-vehicles",
                                    L"choose-vehicle", L"set-period", L"wait-trips",  L"click-trip",
                                    L"wait-track",   L"fit-track",   L"hover-track",  L"hover-shape",
                                    L"zoom",         L"pan",         L"pause",        L"shot",
                                    L"measure-frames", L"report-panel", L"open-settings", L"settings-check",
                                    L"settings-icon", L"settings-wheel", L"settings-ok", L"settings-cancel",
                                    L"read-settings", L"category-list", L"choose-category", L"set-min-duration",
                                    L"click-entry", L"toggle", L"menu-category", L"wait-entries", L"read-list",
                                    L"read-map", L"play", L"stop", L"set-speed", L"skip-stops", L"seek",
                                    L"wait-slider", L"wait-stopped", L"read-pane", L"tick-stats", L"resources",
                                    L"wait-balloon", L"open-report", L"close-report", L"read-report",
                                    L"report-click", L"export-trip", L"shot-part", L"open-groups",
                                    L"restart-dispatcher", L"close-dispatcher", L"start-dispatcher",
                                    L"check-layout"};
// Steps that need what the panel shows after the dispatcher answered.
bool NeedsPanelData(const std::wstring &command) {
    return command != L"wait-panel" && command != L"wait-groups" && command != L"hover-shape" && command != L"zoom" &&
           command != L"pan" && command != L"pause" && command != L"shot" && command != L"shot-part" &&
           command != L"measure-frames" &&
           command != L"report-panel" && command != L"open-settings" && command.compare(0, 9, L"settings-") != 0 &&
           command != L"read-settings" && command != L"category-list" && command != L"read-list" &&
           command != L"read-map" && command != L"tick-stats" && command != L"resources" &&
           command != L"open-groups" && command.find(L"-dispatcher") == std::wstring::npos &&
           command != L"check-layout";
}

// How many arguments a command takes, at least and at most.
std::pair<size_t, size_t> ArgumentCount(const std::wstring &command) {
    if (command == L"set-period") return {4, 4};
    if (command == L"pan" || command == L"settings-check" || command == L"toggle" || command == L"wait-slider" ||
        command == L"export-trip")
        return {2, 2};
    if (command == L"settings-wheel" || command == L"hover-shape" || command == L"menu-category") return {1, 2};
    if (command == L"shot-part") return {2, 3};
    if (command == L"hover-track" || command == L"fit-track" || command == L"report-panel" ||
        command == L"open-settings" || command == L"settings-ok" || command == L"settings-cancel" ||
        command == L"read-settings" || command == L"read-list" || command == L"read-map" || command == L"play" ||
        command == L"stop" || command == L"read-pane" || command == L"tick-stats" || command == L"open-report" ||
        command == L"close-report" || command == L"read-report" || command == L"open-groups" ||
        command == L"close-dispatcher" || command == L"start-dispatcher" || command == L"check-layout")
        return {0, 0};
    if (command == L"restart-dispatcher") return {0, 1};
    return {1, 1};
}

std::vector<std::wstring> Split(const std::wstring &line) {
    std::vector<std::wstring> out;
    std::wstring current;
    bool quoted = false, any = false;
    for (wchar_t c : line) {
        if (c == L'"') {
            quoted = !quoted;
            any = true;
        } else if (!quoted && (c == L' ' || c == L'\t')) {
            if (any) out.push_back(current);
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any) out.push_back(current);
    return out;
}

bool ParseDateTime(const std::wstring &date, const std::wstring &time, SYSTEMTIME &out) {
    out = SYSTEMTIME{};
    int d, m, y, hh, mm;
    if (swscanf(date.c_str(), L"%d.%d.%d", &d, &m, &y) != 3 || swscanf(time.c_str(), L"%d:%d", &hh, &mm) != 2) return false;
    out.wYear = static_cast<WORD>(y);
    out.wMonth = static_cast<WORD>(m);
    out.wDay = static_cast<WORD>(d);
    out.wHour = static_cast<WORD>(hh);
    out.wMinute = static_cast<WORD>(mm);
    FILETIME check;
    return SystemTimeToFileTime(&out, &check) != FALSE;
}

BOOL CALLBACK CollectDialog(HWND w, LPARAM lp) {
    wchar_t name[16] = {};
    GetClassNameW(w, name, 16);
    if (wcscmp(name, L"#32770") == 0 && IsWindowVisible(w)) reinterpret_cast<std::vector<HWND> *>(lp)->push_back(w);
    return TRUE;
}

BOOL CALLBACK CollectStaticText(HWND w, LPARAM lp) {
    wchar_t name[16] = {}, text[1024] = {};
    GetClassNameW(w, name, 16);
    if (_wcsicmp(name, L"Static") == 0 && GetWindowTextW(w, text, 1024) > 0) *reinterpret_cast<std::wstring *>(lp) += text;
    return TRUE;
}

std::string RectText(const RECT &r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," + std::to_string(r.bottom);
}

std::string ViewText(const kxshell::RectValues &v) {
    char buffer[128];
    snprintf(buffer, sizeof buffer, "%.3f,%.3f,%.3f,%.3f", v.minX, v.minY, v.maxX, v.maxY);
    return buffer;
}

// The process's handles, memory and window system objects; a count the
// platform does not report shows as n/a.
std::string ResourceText() {
    auto count = [](bool known, unsigned long long value) { return known ? std::to_string(value) : std::string("n/a"); };
    DWORD handles = 0;
    const bool haveHandles = GetProcessHandleCount(GetCurrentProcess(), &handles) && handles > 0;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    const bool haveMemory =
        GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&memory), sizeof(memory));
    // Private bytes: PrivateUsage, or the page file's share where that is 0.
    const SIZE_T privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    return "handles=" + count(haveHandles, handles) + " private_kb=" + count(haveMemory && privateBytes, privateBytes / 1024) +
           " working_kb=" + count(haveMemory && memory.WorkingSetSize, memory.WorkingSetSize / 1024) +
           " gdi=" + count(gdi > 0, gdi) + " user=" + count(user > 0, user);
}

std::string Ms(double ms) {
    char buffer[32];
    snprintf(buffer, sizeof buffer, "%.1f", ms);
    return buffer;
}

// The hints of the tool bar's check buttons, by the toggle's name.
const wchar_t *ToggleHint(const std::wstring &name) {
    if (name == L"track") return L"Трэк";
    if (name == L"checkpoints") return L"Контрольные точки";
    if (name == L"infopoints") return L"Информационные точки";
    if (name == L"skip-stops") return L"Пропуск остановок";
    return nullptr;
}

// PopupMenu1's items from row 2 on, with a separator after rows 5 and 7.
int MenuPosition(int row) {
    return row - 2 + (row > 5 ? 1 : 0) + (row > 7 ? 1 : 0);
}

BOOL CALLBACK FindPopupMenu(HWND w, LPARAM lp) {
    wchar_t name[16] = {};
    GetClassNameW(w, name, 16);
    if (wcscmp(name, L"#32768") == 0 && IsWindowVisible(w)) {
        *reinterpret_cast<HWND *>(lp) = w;
        return FALSE;
    }
    return TRUE;
}

// What the plug-in layers hand the shell over the whole map, by what the
// shapes are: track lines, the vehicle marker, checkpoint circles (hint
// "KT"), info point icons, and last known points (icons whose balloon text
// has line breaks).
struct MapShapeCounts {
    size_t track = 0, vehicles = 0, checkpoints = 0, infopoints = 0, lastpoints = 0;
};

MapShapeCounts CountMapShapes(kxshell::StandInShell &shell) {
    MapShapeCounts n;
    kxshell::ShapeWalker walker(shell.SharedRegistry());
    kxshell::WalkOptions noTitles;
    noTitles.askTitle = false;  // a track line's title moves the player
    kxshell::LayerCollection &layers = shell.Layers();
    for (size_t i = 0; i < layers.Count(); ++i) {
        ComPtr<IShapeSource> source = ComPtr<IShapeLayer>(layers.Layer(i)).As<IShapeSource>();
        if (!source) continue;
        for (const kxshell::WalkedShape &shape : walker.Walk(source.Get(), shell.MapObject().BoundsValues(), noTitles).shapes) {
            if (shape.kind == kxshell::kShapeLine) ++n.track;
            else if (shape.kind == kxshell::kShapePolygon) ++(shape.hint == L"KT" ? n.checkpoints : n.vehicles);
            else {
                const kxshell::WalkResult one = walker.WalkById(source.Get(), shape.id);
                const bool balloon = !one.shapes.empty() && one.shapes[0].title.find(L"<br />") != std::wstring::npos;
                ++(balloon ? n.lastpoints : n.infopoints);
            }
        }
    }
    return n;
}

const wchar_t kTripsItem[] = L"Список рейсов";
const wchar_t kMinimumCaption[] = L"Продолжительность от, с:";

}  // namespace

std::wstring ScenarioStep::Text() const {
    std::wstring out = command;
    for (const auto &arg : args) out += L" " + arg;
    return out;
}

bool ParseScenario(const std::wstring &text, std::vector<ScenarioStep> &steps, std::wstring &error) {
    std::wistringstream in(text);
    std::wstring line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        const size_t hash = line.find(L'#');
        if (hash != std::wstring::npos && line.find(L'"') > hash) line.erase(hash);
        std::vector<std::wstring> words = Split(line);
        if (words.empty()) continue;
        ScenarioStep step;
        step.line = number;
        step.command = words.front();
        step.args.assign(words.begin() + 1, words.end());
        if (std::find_if(std::begin(kCommands), std::end(kCommands), [&](const wchar_t *c) { return step.command == c; }) ==
            std::end(kCommands)) {
            error = L"line " + std::to_wstring(number) + L": unknown command " + step.command;
            return false;
        }
        const auto [least, most] = ArgumentCount(step.command);
        if (step.args.size() < least || step.args.size() > most) {
            error = L"line " + std::to_wstring(number) + L": " + step.command + L" takes " + std::to_wstring(least) +
                    (most > least ? L" or " + std::to_wstring(most) : L"") + L" argument(s)";
            return false;
        }
        steps.push_back(std::move(step));
    }
    return true;
}

bool LoadScenario(const std::wstring &path, std::vector<ScenarioStep> &steps, std::wstring &error) {
    FILE *f = _wfopen(path.c_str(), L"rb");
    if (!f) {
        error = L"cannot read " + path;
        return false;
    }
    std::string bytes;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    fclose(f);
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    return ParseScenario(WideOf(bytes), steps, error);
}

ScenarioRunner::ScenarioRunner(ShellWindow &shell, const Options &options, Report &report, std::vector<ScenarioStep> steps)
    : shell_(shell), options_(options), report_(report), steps_(std::move(steps)), window_(shell.Window()),
      uiThread_(GetCurrentThreadId()) {}

ScenarioRunner::~ScenarioRunner() {
    Join();
}

void ScenarioRunner::Start() {
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    uiDone_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    watcher_ = CreateThread(nullptr, 0, WatchMain, this, 0, nullptr);
    thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
}

void ScenarioRunner::Join() {
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    if (watcher_) {
        SetEvent(stop_);
        WaitForSingleObject(watcher_, INFINITE);
        CloseHandle(watcher_);
        watcher_ = nullptr;
    }
    for (HANDLE *event : {&stop_, &uiDone_})
        if (*event) {
            CloseHandle(*event);
            *event = nullptr;
        }
}

DWORD WINAPI ScenarioRunner::ThreadMain(void *self) {
    static_cast<ScenarioRunner *>(self)->Run();
    return 0;
}

DWORD WINAPI ScenarioRunner::WatchMain(void *self) {
    static_cast<ScenarioRunner *>(self)->Watch();
    return 0;
}

// A message box of the plug-in blocks the window's thread until someone
// answers it: the watcher notes its text in the report and presses its
// default button, as an attentive operator would.
void ScenarioRunner::Watch() {
    while (WaitForSingleObject(stop_, 200) == WAIT_TIMEOUT) {
        std::vector<HWND> boxes;
        EnumThreadWindows(uiThread_, CollectDialog, reinterpret_cast<LPARAM>(&boxes));
        for (HWND box : boxes) {
            wchar_t caption[256] = {};
            GetWindowTextW(box, caption, 256);
            // The report's save dialog, and what it opens, are worked by their own step.
            if (exporting_ || wcscmp(caption, ReportWindowDriver::kSaveCaption) == 0) continue;
            std::wstring text;
            EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&text));
            report_.Line("message-box", std::wstring(caption) + L" | " + text);
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
    }
}

// Posted, as a person's input is: the action runs from whichever message
// loop the window's thread is in (its own, a dialog's, one waiting for the
// dispatcher), never inside a message sent from this thread, during which
// the plug-in could not call the dispatcher. A window that goes takes the
// posted action with it.
template <class F>
bool ScenarioRunner::Ui(F &&fn) {
    std::function<void()> action = std::forward<F>(fn);
    std::function<void()> call = [&] {
        action();
        SetEvent(uiDone_);
    };
    if (!IsWindow(window_) || !PostMessageW(window_, WM_KX_RUN, 0, reinterpret_cast<LPARAM>(&call))) return false;
    while (WaitForSingleObject(uiDone_, 100) == WAIT_TIMEOUT)
        if (!IsWindow(window_)) return false;
    return true;
}

template <class P>
bool ScenarioRunner::WaitFor(P &&pred, int ms) {
    const auto t0 = Clock::now();
    for (;;) {
        bool done = false;
        if (!Ui([&] { done = pred(); })) return false;
        if (done) return true;
        if (std::chrono::duration<double, std::milli>(Clock::now() - t0).count() > ms) return false;
        Sleep(100);
    }
}

void ScenarioRunner::Run() {
    report_.Line("scenario", std::to_string(steps_.size()) + " step(s)");
    int index = 0;
    for (const ScenarioStep &step : steps_) {
        ++index;
        if (!IsWindow(window_)) {
            report_.Line("scenario", "the window closed before step " + std::to_string(index));
            ++failed_;
            return;
        }
        std::string detail;
        Outcome outcome;
        const auto t0 = Clock::now();
        if (!blockedBy_.empty() && NeedsPanelData(step.command)) {
            outcome = Outcome::Skipped;
            detail = "after pending " + blockedBy_;
        } else {
            outcome = Execute(step, detail);
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        const char *word = outcome == Outcome::Ok ? "ok" : outcome == Outcome::Pending ? "pending"
                           : outcome == Outcome::Skipped ? "skipped" : "failed";
        if (outcome == Outcome::Pending && blockedBy_.empty()) blockedBy_ = Utf8Of(step.command);
        if (outcome == Outcome::Failed) ++failed_;
        report_.Line("step", std::to_string(index) + " " + Utf8Of(step.Text()) + " | " + word + " | " + Ms(ms) + " ms" +
                                 (detail.empty() ? "" : " | " + detail));
    }
    report_.Line("scenario.done", std::to_string(failed_) + " failed");
    if (!options_.stay) PostMessageW(window_, WM_CLOSE, 0, 0);
}

ScenarioRunner::Outcome ScenarioRunner::Execute(const ScenarioStep &step, std::string &detail) {
    const std::wstring &c = step.command;
    auto arg = [&](size_t i) { return step.args.at(i); };
    auto number = [&](size_t i) { return _wtoi(arg(i).c_str()); };
    auto panel = [&] { return PanelDriver(shell_.Dock().FirstControlWindow()); };

    if (c == L"wait-panel") {
        bool shown = WaitFor([&] { return panel().Present(); }, number(0));
        if (!shown) {
            detail = "no docked panel window";
            return Outcome::Failed;
        }
        // The panel starts itself on a short timer after it is created.
        Sleep(300);
        Ui([&] { detail = "panel " + RectText(RectInWindow(shell_.Window(), shell_.Dock().FirstControlWindow())); });
        return Outcome::Ok;
    }
    if (c == L"wait-groups" || c == L"wait-vehicles") {
        const wchar_t *label = c == L"wait-groups" ? L"Группа:" : L"Название:";
        int count = 0;
        const bool ok = WaitFor([&] {
            count = PanelDriver::ComboCount(panel().FieldRightOf(label, WC_COMBOBOXW));
            return count > 0;
        }, number(0));
        detail = std::to_string(count) + " item(s)";
        return ok ? Outcome::Ok : Outcome::Pending;
    }
    if (c == L"choose-group" || c == L"choose-vehicle") {
        const wchar_t *label = c == L"choose-group" ? L"Группа:" : L"Название:";
        Outcome outcome = Outcome::Failed;
        Ui([&] {
            HWND combo = panel().FieldRightOf(label, WC_COMBOBOXW);
            const int i = PanelDriver::ComboIndex(combo, arg(0));
            if (!combo) detail = "no field right of the caption";
            else if (i < 0) detail = "no such item among " + std::to_string(PanelDriver::ComboCount(combo));
            else if (PanelDriver::ChooseComboItem(combo, i)) {
                detail = "\"" + Utf8Of(PanelDriver::ComboItems(combo)[static_cast<size_t>(i)]) + "\"";
                outcome = Outcome::Ok;
            }
        });
        return outcome;
    }
    if (c == L"open-groups") {
        // Opened and closed by its arrow, as a user looks into the list.
        int count = 0;
        Ui([&] {
            HWND combo = panel().FieldRightOf(L"Группа:", WC_COMBOBOXW);
            SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
            SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
            count = PanelDriver::ComboCount(combo);
        });
        detail = std::to_string(count) + " item(s)";
        return Outcome::Ok;
    }
    if (c == L"restart-dispatcher")
        return dispatcher_.Restart(step.args.empty() ? 0 : number(0), detail) ? Outcome::Ok : Outcome::Failed;
    if (c == L"close-dispatcher") return dispatcher_.Close(detail) ? Outcome::Ok : Outcome::Failed;
    if (c == L"start-dispatcher") return dispatcher_.Start(detail) ? Outcome::Ok : Outcome::Failed;
    if (c == L"set-period") {
        SYSTEMTIME from, to;
        if (!ParseDateTime(arg(0), arg(1), from) || !ParseDateTime(arg(2), arg(3), to)) {
            detail = "dates are dd.mm.yyyy hh:mm";
            return Outcome::Failed;
        }
        Outcome outcome = Outcome::Failed;
        Ui([&] {
            PanelDriver p = panel();
            HWND dateFrom = p.FieldRightOf(L"с", DATETIMEPICK_CLASSW, 0), timeFrom = p.FieldRightOf(L"с", DATETIMEPICK_CLASSW, 1);
            HWND dateTo = p.FieldRightOf(L"по", DATETIMEPICK_CLASSW, 0), timeTo = p.FieldRightOf(L"по", DATETIMEPICK_CLASSW, 1);
            if (!dateFrom || !timeFrom || !dateTo || !timeTo) {
                detail = "date or time field missing";
                return;
            }
            // The end first: a start after the old end would make an empty period.
            const bool ok = PanelDriver::SetPicker(dateTo, to) && PanelDriver::SetPicker(timeTo, to) &&
                            PanelDriver::SetPicker(dateFrom, from) && PanelDriver::SetPicker(timeFrom, from);
            outcome = ok ? Outcome::Ok : Outcome::Failed;
        });
        return outcome;
    }
    if (c == L"report-panel") {
        std::string choices;
        Ui([&] { choices = panel().Choices(); });
        report_.Line("panel", choices);
        detail = choices;
        return Outcome::Ok;
    }
    if (c == L"wait-trips" || c == L"wait-entries") {
        // One list shows the trips or the entries of a category.
        int count = 0;
        const bool ok = WaitFor([&] {
            count = PanelDriver::ListCount(panel().FirstOfClass(WC_LISTVIEWW));
            return count > 0;
        }, number(0));
        detail = std::to_string(count) + (c == L"wait-trips" ? " trip(s)" : " row(s)");
        return ok ? Outcome::Ok : Outcome::Pending;
    }
    if (c == L"choose-category") {
        Outcome outcome = Outcome::Failed;
        Ui([&] {
            HWND combo = panel().ComboWithItem(kTripsItem);
            const int i = PanelDriver::ComboIndex(combo, arg(0));
            if (!combo) detail = "no list offering the trips";
            else if (i < 0) detail = "no such item among " + std::to_string(PanelDriver::ComboCount(combo));
            else if (PanelDriver::ChooseComboItem(combo, i)) {
                detail = "\"" + Utf8Of(PanelDriver::ComboItems(combo)[static_cast<size_t>(i)]) + "\", " +
                         std::to_string(PanelDriver::ListCount(panel().FirstOfClass(WC_LISTVIEWW))) + " row(s)";
                outcome = Outcome::Ok;
            }
        });
        return outcome;
    }
    if (c == L"set-min-duration") {
        Outcome outcome = Outcome::Failed;
        Ui([&] {
            HWND edit = panel().FieldRightOf(kMinimumCaption, WC_EDITW);
            if (!PanelDriver::TypeText(edit, arg(0))) {
                detail = "no field right of the caption";
                return;
            }
            wchar_t text[16] = {};
            GetWindowTextW(edit, text, 16);
            detail = "\"" + Utf8Of(text) + "\", " + std::to_string(PanelDriver::ListCount(panel().FirstOfClass(WC_LISTVIEWW))) +
                     " row(s)";
            outcome = Outcome::Ok;
        });
        return outcome;
    }
    if (c == L"toggle" || c == L"skip-stops") {
        // "skip-stops on|off" is "toggle skip-stops on|off".
        const bool skipStops = c == L"skip-stops";
        const wchar_t *hint = ToggleHint(skipStops ? L"skip-stops" : arg(0));
        const std::wstring state = arg(skipStops ? 0 : 1);
        if (!hint || (state != L"on" && state != L"off")) {
            detail = "toggle track|checkpoints|infopoints|skip-stops on|off";
            return Outcome::Failed;
        }
        Outcome outcome = Outcome::Failed;
        Ui([&] {
            HWND toolbar = nullptr;
            int command = 0;
            if (!panel().FindToolButton(hint, toolbar, command)) {
                detail = "no button with the hint";
                return;
            }
            PanelDriver::SetToolButton(toolbar, command, state == L"on");
            shell_.Map().RedrawNow();
            detail = std::string(PanelDriver::ToolButtonDown(toolbar, command) ? "down" : "up") + ", " +
                     std::to_string(shell_.Map().Painter().Drawn().size()) + " shape(s) drawn";
            outcome = Outcome::Ok;
        });
        return outcome;
    }
    if (c == L"menu-category") {
        const int row = number(0);
        if (row < 2 || row > 13) {
            detail = "menu rows are 2 to 13";
            return Outcome::Failed;
        }
        HWND button = nullptr, owner = nullptr;
        Ui([&] {
            button = panel().ButtonWithCaption(L"6");
            owner = button ? GetParent(button) : nullptr;
        });
        if (!PanelDriver::PostButtonClick(button)) {
            detail = "no menu button";
            return Outcome::Failed;
        }
        HWND menu = nullptr;
        const auto t0 = Clock::now();
        while (!menu && std::chrono::duration<double, std::milli>(Clock::now() - t0).count() < 5000) {
            EnumThreadWindows(uiThread_, FindPopupMenu, reinterpret_cast<LPARAM>(&menu));
            if (!menu) Sleep(50);
        }
        if (!menu) {
            detail = "the menu did not open";
            return Outcome::Pending;
        }
        Sleep(300);
        const HMENU items = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
        const std::string before =
            items && (GetMenuState(items, static_cast<UINT>(MenuPosition(row)), MF_BYPOSITION) & MF_CHECKED) ? "checked"
                                                                                                          : "unchecked";
        std::string shot;
        Shot(L"menu-open", shot, menu);
        if (step.args.size() > 1) {
            // The menu with the tool bar it drops from, for the guide.
            std::string part;
            Ui([&] {
                RECT open = RectOfWindow(menu), bar = RectOfWindow(panel().GroupBox(kPlayerFrame)), both{};
                UnionRect(&both, &open, &bar);
                ShotPart(arg(1), both, menu, part);
            });
            shot += ", " + part;
        }
        // As a person with the keyboard: down to the item, then Enter.
        for (int i = 0, items = row - 2 + 1; i < items; ++i) {
            PostMessageW(owner, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(owner, WM_KEYUP, VK_DOWN, 0);
        }
        PostMessageW(owner, WM_KEYDOWN, VK_RETURN, 0);
        PostMessageW(owner, WM_KEYUP, VK_RETURN, 0);
        const bool closed = WaitFor([&] {
            HWND open = nullptr;
            EnumThreadWindows(uiThread_, FindPopupMenu, reinterpret_cast<LPARAM>(&open));
            return open == nullptr;
        }, 5000);
        auto mark = [&] {
            return items && (GetMenuState(items, static_cast<UINT>(MenuPosition(row)), MF_BYPOSITION) & MF_CHECKED)
                       ? std::string("checked")
                       : std::string("unchecked");
        };
        detail = "item at position " + std::to_string(MenuPosition(row)) + " " + before + " -> " + mark() +
                 ", picture " + shot;
        return closed ? Outcome::Ok : Outcome::Failed;
    }
    if (c == L"read-list") {
        Ui([&] {
            HWND list = panel().FirstOfClass(WC_LISTVIEWW);
            wchar_t caption[64] = {};
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT;
            column.pszText = caption;
            column.cchTextMax = 64;
            SendMessageW(list, LVM_GETCOLUMNW, 3, reinterpret_cast<LPARAM>(&column));
            const int rows = PanelDriver::ListCount(list);
            report_.Line("list", "column4=\"" + Utf8Of(caption) + "\" rows=" + std::to_string(rows));
            for (int r = 0; r < rows; ++r)
                report_.Line("row", PanelDriver::ListItemText(list, r, 0) + L" | " + PanelDriver::ListItemText(list, r, 1) +
                                        L" | " + PanelDriver::ListItemText(list, r, 2) + L" | " +
                                        PanelDriver::ListItemText(list, r, 3));
            detail = std::to_string(rows) + " row(s)";
        });
        return Outcome::Ok;
    }
    if (c == L"read-map") {
        Ui([&] {
            const MapShapeCounts n = CountMapShapes(shell_.Shell());
            const std::string line = "track=" + std::to_string(n.track) + " vehicles=" + std::to_string(n.vehicles) +
                                     " checkpoints=" + std::to_string(n.checkpoints) + " infopoints=" +
                                     std::to_string(n.infopoints) + " lastpoints=" + std::to_string(n.lastpoints);
            report_.Line("map", line);
            detail = line;
        });
        return Outcome::Ok;
    }
    if (c == L"click-trip" || c == L"click-entry") {
        // One list shows the trips or the entries of a category: a trip is
        // told by its begin and end, an entry by its begin and value.
        const int second = c == L"click-trip" ? 2 : 3;
        Outcome outcome = Outcome::Failed;
        Ui([&] {
            HWND list = panel().FirstOfClass(WC_LISTVIEWW);
            const int item = number(0) - 1;
            if (PanelDriver::ClickListItem(list, item)) {
                detail = "\"" + Utf8Of(PanelDriver::ListItemText(list, item, 1)) + " — " +
                         Utf8Of(PanelDriver::ListItemText(list, item, second)) + "\"";
                outcome = Outcome::Ok;
            } else {
                detail = "no row " + std::to_string(item + 1);
            }
        });
        return outcome;
    }
    if (c == L"wait-track") {
        size_t vertices = 0;
        const bool ok = WaitFor([&] {
            shell_.Map().RedrawNow();
            vertices = 0;
            for (const DrawnShape &s : shell_.Map().Painter().Drawn())
                if (s.kind == 1) vertices = std::max(vertices, s.points.size());
            return vertices >= 2;
        }, number(0));
        detail = "longest line " + std::to_string(vertices) + " point(s) on screen";
        return ok ? Outcome::Ok : Outcome::Pending;
    }
    if (c == L"hover-track" || c == L"hover-shape") {
        const long kind = c == L"hover-track" ? 1 : number(0);
        Outcome outcome = Outcome::Pending;
        Ui([&] {
            shell_.Map().RedrawNow();
            // The last shape of the kind drawn, of the given hint when one is named.
            const std::wstring hint = c == L"hover-shape" && step.args.size() > 1 ? arg(1) : std::wstring();
            const DrawnShape *target = nullptr;
            for (const DrawnShape &s : shell_.Map().Painter().Drawn())
                if (s.kind == kind && !s.points.empty() && (hint.empty() || s.hint == hint)) target = &s;
            if (!target) {
                detail = "no shape of kind " + std::to_string(kind) + " on screen";
                return;
            }
            // The middle of the part on screen: a long track runs far past
            // the window, and a tip shown off screen is seen by nobody.
            RECT client;
            GetClientRect(shell_.Map().Window(), &client);
            InflateRect(&client, -8, -8);
            std::vector<POINT> seen;
            for (const POINT &q : target->points)
                if (PtInRect(&client, q)) seen.push_back(q);
            POINT p = seen.empty() ? target->points[target->points.size() / 2] : seen[seen.size() / 2];
            if (kind == 2 && target->points.size() > 2) {
                // Inside the polygon: the middle of its bounds.
                p = POINT{(target->bounds.left + target->bounds.right) / 2, (target->bounds.top + target->bounds.bottom) / 2};
            }
            // The layer reads the real cursor when it is asked for a title.
            POINT screen = p;
            ClientToScreen(shell_.Map().Window(), &screen);
            SetCursorPos(screen.x, screen.y);
            const HoverResult hover = shell_.Map().HoverAt(p);
            detail = "at " + std::to_string(p.x) + "," + std::to_string(p.y) + " id " + std::to_string(hover.id) +
                     " title " + HexOf(hover.titleResult) + " \"" + Utf8Of(hover.title) + "\" hint \"" + Utf8Of(hover.hint) + "\"";
            outcome = hover.found ? Outcome::Ok : Outcome::Failed;
        });
        return outcome;
    }
    if (c == L"fit-track") {
        // As a user would: pan the track's middle to the window's middle and
        // zoom until all of it shows, with a margin.
        Outcome outcome = Outcome::Pending;
        Ui([&] {
            shell_.Map().RedrawNow();
            // The line with most vertices, wherever they lie: its extent.
            const DrawnShape *track = nullptr;
            for (const DrawnShape &s : shell_.Map().Painter().Drawn())
                if (s.kind == 1 && s.received >= 2 && (!track || s.received > track->received)) track = &s;
            if (!track) {
                detail = "no track on the map";
                return;
            }
            const RECT bounds = track->extent;
            RECT client;
            GetClientRect(shell_.Map().Window(), &client);
            const POINT centre{client.right / 2, client.bottom / 2};
            shell_.Map().PanBy(centre.x - (bounds.left + bounds.right) / 2, centre.y - (bounds.top + bounds.bottom) / 2);
            const double margin = 48;
            const double fx = (client.right - 2 * margin) / std::max(1.0, double(bounds.right - bounds.left));
            const double fy = (client.bottom - 2 * margin) / std::max(1.0, double(bounds.bottom - bounds.top));
            shell_.Map().ZoomAt(centre, std::max(0.001, std::min(fx, fy)));
            shell_.Map().RedrawNow();
            detail = "track " + std::to_string(bounds.right - bounds.left) + "x" + std::to_string(bounds.bottom - bounds.top) +
                     " px before";
            outcome = Outcome::Ok;
        });
        return outcome;
    }
    if (c == L"zoom" || c == L"pan") {
        Ui([&] {
            RECT client;
            GetClientRect(shell_.Map().Window(), &client);
            if (c == L"zoom") shell_.Map().ZoomAt(POINT{client.right / 2, client.bottom / 2}, _wtof(arg(0).c_str()));
            else shell_.Map().PanBy(number(0), number(1));
            shell_.Map().RedrawNow();
        });
        return Outcome::Ok;
    }
    if (c == L"pause") {
        Sleep(static_cast<DWORD>(std::max(0, number(0))));
        return Outcome::Ok;
    }
    if (c == L"shot") return Shot(arg(0), detail) ? Outcome::Ok : Outcome::Failed;
    if (c == L"shot-part") {
        bool ok = false;
        Ui([&] {
            RECT area{};
            if (!PartRect(arg(1), step.args.size() > 2 ? arg(2) : std::wstring(), area)) {
                detail = "no such part on screen (panel, map, dialog, toolbar, group CAPTION)";
                return;
            }
            ok = ShotPart(arg(0), area, nullptr, detail);
        });
        return ok ? Outcome::Ok : Outcome::Failed;
    }
    if (c == L"check-layout") {
        bool ok = false;
        Ui([&] {
            auto check = [&](const char *of, HWND window) {
                const LayoutFigures f = CheckLayout(window);
                report_.Line("layout", "dpi=" + std::to_string(f.dpi) + " controls=" + std::to_string(f.controls) +
                                           " clipped=" + std::to_string(f.clipped) +
                                           " overlaps=" + std::to_string(f.overlaps) + " of=" + of);
                for (const std::wstring &finding : f.findings)
                    report_.Line("layout.finding", finding);
                detail += (detail.empty() ? "" : ", ") + std::string(of) + " " + std::to_string(f.clipped) +
                          " clipped " + std::to_string(f.overlaps) + " overlaps";
            };
            if (!panel().Present()) {
                detail = "no docked panel window";
                return;
            }
            ok = true;
            check("panel", shell_.Dock().FirstControlWindow());
            if (HWND dialog = SettingsDialogDriver::Find(uiThread_))
                check("settings", dialog);
        });
        return ok ? Outcome::Ok : Outcome::Failed;
    }
    if (c == L"open-settings") {
        bool clicked = false;
        Ui([&] { clicked = panel().ClickToolButton(SettingsDialogDriver::kCaption); });
        if (!clicked) {
            detail = "no tool button with the hint \"Настройки\"";
            return Outcome::Failed;
        }
        // The click runs the dialog's modal loop on the window's thread;
        // the steps after this one work it there.
        const bool open = WaitFor([&] { return SettingsDialogDriver::Find(uiThread_) != nullptr; }, 5000);
        detail = open ? "dialog open" : "no dialog";
        return open ? Outcome::Ok : Outcome::Failed;
    }
    if (c.compare(0, 9, L"settings-") == 0 || c == L"read-settings") {
        Outcome outcome = Outcome::Failed;
        HWND dialog = nullptr;
        Ui([&] {
            dialog = SettingsDialogDriver::Find(uiThread_);
            if (!dialog) {
                detail = "no settings dialog open";
                return;
            }
            const SettingsDialogDriver d(dialog);
            bool ok = false;
            if (c == L"settings-check") {
                const bool on = arg(1) == L"on";
                ok = (on || arg(1) == L"off") && d.SetCheck(number(0), on);
                detail = "checks " + d.Checks();
            } else if (c == L"settings-icon") {
                ok = d.ClickIcon(number(0));
                detail = "icon " + std::to_string(d.SelectedIcon());
            } else if (c == L"settings-wheel") {
                const bool inList = step.args.size() == 2 && arg(1) == L"in-list";
                ok = (arg(0) == L"up" || arg(0) == L"down") && (step.args.size() == 1 || inList) &&
                     d.Wheel(arg(0) == L"down", inList);
                detail = "icon " + std::to_string(d.SelectedIcon()) +
                         (IsWindowVisible(d.IconList()) ? ", list open" : ", list closed");
            } else if (c == L"settings-ok" || c == L"settings-cancel") {
                ok = d.Press(c == L"settings-ok" ? L"ОК" : L"Отмена");
            } else if (c == L"read-settings") {
                const std::string values = "checks=" + d.Checks() + " icon=" + std::to_string(d.SelectedIcon());
                report_.Line("settings", values);
                detail = values;
                ok = true;
            }
            outcome = ok ? Outcome::Ok : Outcome::Failed;
        });
        if (outcome == Outcome::Ok && (c == L"settings-ok" || c == L"settings-cancel")) {
            // The panel refreshes itself after the dialog closed and lets the
            // window go when it has done so.
            const bool closed = WaitFor([&] { return !IsWindow(dialog); }, 10000);
            detail = closed ? "dialog closed" : "the dialog stayed";
            if (!closed) outcome = Outcome::Failed;
        }
        return outcome;
    }
    if (c == L"category-list") {
        Outcome outcome = Outcome::Failed;
        Ui([&] {
            HWND combo = panel().FirstInFrame(L"Информационные точки", WC_COMBOBOXW);
            if (!combo || (arg(0) != L"open" && arg(0) != L"close")) {
                detail = combo ? "open or close" : "no list in the frame \"Информационные точки\"";
                return;
            }
            const bool open = arg(0) == L"open";
            if (open) SetFocus(combo);
            SendMessageW(combo, CB_SHOWDROPDOWN, open ? TRUE : FALSE, 0);
            std::wstring items;
            for (const std::wstring &item : PanelDriver::ComboItems(combo)) items += (items.empty() ? L"" : L" | ") + item;
            detail = std::to_string(PanelDriver::ComboCount(combo)) + " item(s): " + Utf8Of(items);
            if (open) report_.Line("categories", Utf8Of(items));
            outcome = Outcome::Ok;
        });
        return outcome;
    }
    if (c == L"measure-frames") {
        const int n = std::max(1, number(0));
        std::vector<double> totals;
        FrameStats last;
        Ui([&] {
            for (int i = 0; i < n; ++i) {
                const auto t0 = Clock::now();
                last = shell_.Map().RedrawNow();
                totals.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
            }
        });
        if (totals.empty()) return Outcome::Failed;
        std::sort(totals.begin(), totals.end());
        double sum = 0;
        for (double t : totals) sum += t;
        detail = std::to_string(n) + " frame(s), " + std::to_string(last.shapes) + " shape(s), " + std::to_string(last.vertices) +
                 " vertices (" + std::to_string(last.drawnVertices) + " drawn): median " + Ms(totals[totals.size() / 2]) + " ms, mean " + Ms(sum / n) + " ms, min " + Ms(totals.front()) +
                 " ms, max " + Ms(totals.back()) + " ms (last: walk " + Ms(last.walkMs) + " ms, drawing " + Ms(last.drawMs) + " ms)";
        report_.Line("frames", detail);
        return Outcome::Ok;
    }
    if (c == L"play" || c == L"stop") {
        Outcome outcome = Outcome::Failed;
        Ui([&] {
            const PanelDriver p = panel();
            HWND button = c == L"play" ? p.PlayButton() : p.StopButton();
            if (PanelDriver::ClickButton(button)) {
                detail = "play button shows \"" + Utf8Of(PanelDriver::Text(p.PlayButton())) + "\"";
                outcome = Outcome::Ok;
            } else {
                detail = "no " + Utf8Of(c) + " button";
            }
        });
        return outcome;
    }
    if (c == L"set-speed") {
        Outcome outcome = Outcome::Failed;
        Ui([&] {
            HWND combo = panel().FieldRightOf(L"Скорость воспроизведения:", WC_COMBOBOXW);
            if (PanelDriver::TypeIntoCombo(combo, arg(0))) {
                detail = "shows \"" + Utf8Of(PanelDriver::Text(combo)) + "\"";
                outcome = Outcome::Ok;
            } else {
                detail = "no speed field";
            }
        });
        return outcome;
    }
    if (c == L"seek") {
        Outcome outcome = Outcome::Failed;
        Ui([&] {
            HWND slider = panel().FirstOfClass(TRACKBAR_CLASSW);
            if (PanelDriver::DragSlider(slider, number(0))) {
                detail = "slider at " + std::to_string(SendMessageW(slider, TBM_GETPOS, 0, 0));
                outcome = Outcome::Ok;
            } else {
                detail = "no slider";
            }
        });
        return outcome;
    }
    if (c == L"wait-slider") {
        long position = 0;
        const bool ok = WaitFor([&] {
            position = static_cast<long>(SendMessageW(panel().FirstOfClass(TRACKBAR_CLASSW), TBM_GETPOS, 0, 0));
            return position >= number(0);
        }, number(1));
        detail = "slider at " + std::to_string(position);
        return ok ? Outcome::Ok : Outcome::Pending;
    }
    if (c == L"wait-balloon") {
        size_t shown = 0;
        const bool ok = WaitFor([&] {
            shown = shell_.Shell().MapObject().ShownBalloons().size();
            return shown > 0;
        }, number(0));
        detail = std::to_string(shown) + " balloon(s)";
        return ok ? Outcome::Ok : Outcome::Pending;
    }
    if (c == L"wait-stopped") {
        // Stopped, not paused: the play symbol on the button and no date shown.
        const bool ok = WaitFor([&] {
            const PanelDriver p = panel();
            return PanelDriver::Text(p.PlayButton()) == L"4" &&
                   PanelDriver::Text(p.FieldRightOf(L"Дата:", L"Static")).empty();
        }, number(0));
        return ok ? Outcome::Ok : Outcome::Pending;
    }
    if (c == L"read-pane") {
        Ui([&] {
            const PanelDriver p = panel();
            auto field = [&](const wchar_t *label) { return Utf8Of(PanelDriver::Text(p.FieldRightOf(label, L"Static"))); };
            detail = "date=\"" + field(L"Дата:") + "\" speed=\"" + field(L"Скорость:") + "\" distance=\"" +
                     field(L"Пробег:") + "\" slider=" +
                     std::to_string(SendMessageW(p.FirstOfClass(TRACKBAR_CLASSW), TBM_GETPOS, 0, 0)) + " play=\"" +
                     Utf8Of(PanelDriver::Text(p.PlayButton())) + "\"";
        });
        report_.Line("pane", detail);
        return Outcome::Ok;
    }
    if (c == L"open-report" || c == L"close-report" || c == L"read-report" || c == L"report-click" ||
        c == L"export-trip")
        return ReportStep(step, detail);
    if (c == L"tick-stats") {
        TickStats stats;
        Ui([&] { stats = shell_.TakeTickStats(); });
        char figures[96];
        snprintf(figures, sizeof figures, " mean_ms=%.3f worst_ms=%.3f",
                 stats.ticks ? stats.totalMs / static_cast<double>(stats.ticks) : 0.0, stats.worstMs);
        detail = "ticks=" + std::to_string(stats.ticks) + figures + " frames=" + std::to_string(stats.frames);
        report_.Line("ticks", detail);
        return Outcome::Ok;
    }
    if (c == L"resources") {
        Ui([&] { detail = Utf8Of(arg(0)) + " " + ResourceText(); });
        report_.Line("resources", detail);
        return Outcome::Ok;
    }
    detail = "unknown command";
    return Outcome::Failed;
}

// The trip report: opened by its tool button, closed by its frame's close
// button, read, clicked and saved from as a person does.
ScenarioRunner::Outcome ScenarioRunner::ReportStep(const ScenarioStep &step, std::string &detail) {
    const std::wstring &c = step.command;
    if (c == L"open-report") {
        bool clicked = false;
        Ui([&] { clicked = PanelDriver(shell_.Dock().FirstControlWindow()).ClickToolButton(ReportWindowDriver::kCaption); });
        if (!clicked) {
            detail = "no tool button with the hint \"Отчёт по рейсу\"";
            return Outcome::Failed;
        }
        const bool open = WaitFor([&] { return ReportWindowDriver::Find(uiThread_) != nullptr; }, 10000);
        detail = open ? "report open" : "no report window";
        return open ? Outcome::Ok : Outcome::Failed;
    }
    HWND report = nullptr;
    Ui([&] { report = ReportWindowDriver::Find(uiThread_); });
    if (!report) {
        detail = "no report window open";
        return Outcome::Failed;
    }
    if (c == L"close-report") {
        PostMessageW(report, WM_CLOSE, 0, 0);
        const bool closed = WaitFor([&] { return !IsWindowVisible(report); }, 5000);
        detail = closed ? "report closed" : "the report stayed";
        return closed ? Outcome::Ok : Outcome::Failed;
    }
    if (c == L"read-report") {
        Ui([&] { detail = ReportWindowDriver(report).Summary(); });
        report_.Line("report", detail);
        return detail.empty() ? Outcome::Failed : Outcome::Ok;
    }
    if (c == L"report-click") {
        bool ok = false;
        Ui([&] {
            ok = ReportWindowDriver(report).ClickChart(_wtof(step.args.at(0).c_str()));
            detail = "slider=" + std::to_string(SendMessageW(
                                     PanelDriver(shell_.Dock().FirstControlWindow()).FirstOfClass(TRACKBAR_CLASSW),
                                     TBM_GETPOS, 0, 0));
        });
        return ok ? Outcome::Ok : Outcome::Failed;
    }
    // export-trip gpx|kml|csv FILE: the file named in the save dialog, a
    // relative name beside the screenshots.
    const std::wstring &format = step.args.at(0);
    const int type = format == L"gpx" ? 1 : format == L"kml" ? 2 : format == L"csv" ? 3 : 0;
    if (!type) {
        detail = "export-trip gpx|kml|csv FILE";
        return Outcome::Failed;
    }
    std::wstring path = WindowsPath(step.args.at(1));
    if (path.size() < 2 || (path[1] != L':' && path[0] != L'\\')) {
        CreateDirectoryW(options_.shotsDir.c_str(), nullptr);
        path = options_.shotsDir + L"\\" + path;
    }
    DeleteFileW(path.c_str());  // no question whether to replace it
    struct Exporting {
        std::atomic<bool> &flag;
        explicit Exporting(std::atomic<bool> &f) : flag(f) { flag = true; }
        ~Exporting() { flag = false; }
    } exporting(exporting_);
    bool pressed = false;
    Ui([&] { pressed = ReportWindowDriver(report).PressSave(); });
    HWND dialog = nullptr;
    if (!pressed || !WaitFor([&] { return (dialog = ReportWindowDriver::FindSaveDialog(uiThread_)) != nullptr; }, 10000)) {
        detail = pressed ? "no save dialog" : "no button \"Сохранить…\"";
        return Outcome::Failed;
    }
    bool chosen = false;
    Ui([&] { chosen = ReportWindowDriver::ChooseFile(dialog, path, type); });
    const bool written = chosen && WaitFor([&] {
        return !ReportWindowDriver::FindSaveDialog(uiThread_) &&
               GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }, 30000);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const bool sized = written && GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    detail = Utf8Of(path) + (sized ? " " + std::to_string(data.nFileSizeLow) + " bytes" : " not written");
    return sized ? Outcome::Ok : Outcome::Failed;
}

bool ScenarioRunner::CaptureScene(HWND popup, Picture &picture) {
    if (!CaptureWindow(shell_.Window(), picture)) return false;
    Picture part;
    RECT window, at;
    if (popup && CaptureWindow(popup, part) && GetWindowRect(shell_.Window(), &window) && GetWindowRect(popup, &at))
        PastePicture(picture, part, at.left - window.left, at.top - window.top);
    return true;
}

RECT ScenarioRunner::RectOfWindow(HWND w) const {
    RECT outer{}, r{};
    if (!w || !GetWindowRect(w, &r)) return RECT{};
    GetWindowRect(shell_.Window(), &outer);
    OffsetRect(&r, -outer.left, -outer.top);
    return r;
}

bool ScenarioRunner::PartRect(const std::wstring &part, const std::wstring &caption, RECT &area) {
    const PanelDriver p(shell_.Dock().FirstControlWindow());
    if (part == L"panel") area = RectOfWindow(shell_.Dock().FirstControlWindow());
    else if (part == L"map") area = shell_.MapRectInWindow();
    else if (part == L"toolbar") area = RectOfWindow(p.FirstOfClass(TOOLBARCLASSNAMEW));
    else if (part == L"group") area = RectOfWindow(p.GroupBox(caption));
    else if (part == L"dialog") {
        const std::vector<HWND> above = WindowsAbove(shell_.Window());
        area = above.empty() ? RECT{} : RectOfWindow(above.back());
    } else
        return false;
    if (IsRectEmpty(&area)) return false;
    // A little of what surrounds the part, so that its edge shows.
    if (part != L"map" && part != L"dialog") InflateRect(&area, 4, 4);
    return true;
}

bool ScenarioRunner::ShotPart(const std::wstring &name, const RECT &area, HWND popup, std::string &detail) {
    Picture window;
    if (!CaptureScene(nullptr, window)) {
        detail = "capture failed";
        return false;
    }
    // A menu may hang out of the window: the canvas grows to hold it, on white.
    const RECT bounds{0, 0, window.width, window.height};
    RECT canvasRect{};
    UnionRect(&canvasRect, &bounds, &area);
    Picture canvas;
    canvas.width = canvasRect.right - canvasRect.left;
    canvas.height = canvasRect.bottom - canvasRect.top;
    canvas.pixels.assign(static_cast<size_t>(canvas.width) * canvas.height, 0xFFFFFF);
    PastePicture(canvas, window, -canvasRect.left, -canvasRect.top);
    Picture menu;
    if (popup && CaptureWindow(popup, menu)) {
        const RECT at = RectOfWindow(popup);
        PastePicture(canvas, menu, at.left - canvasRect.left, at.top - canvasRect.top);
    }
    RECT inCanvas = area;
    OffsetRect(&inCanvas, -canvasRect.left, -canvasRect.top);
    const Picture picture = CropPicture(canvas, inCanvas);
    CreateDirectoryW(options_.shotsDir.c_str(), nullptr);
    const std::wstring file = options_.shotsDir + L"\\" + name + L".png";
    const HRESULT png = picture.width ? WritePng(picture, file) : E_INVALIDARG;
    if (options_.bmp && picture.width) WriteBmp(picture, options_.shotsDir + L"\\" + name + L".bmp");
    report_.Line("part", Utf8Of(name) + " | file=" + Utf8Of(file) + (SUCCEEDED(png) ? "" : " NOT WRITTEN " + HexOf(png)) +
                             " | part=" + RectText(area) + " | size=" + std::to_string(picture.width) + "x" +
                             std::to_string(picture.height));
    detail = Utf8Of(file);
    return SUCCEEDED(png);
}

bool ScenarioRunner::Shot(const std::wstring &name, std::string &detail, HWND popup) {
    bool ok = false;
    Ui([&] {
        Picture picture;
        if (!CaptureScene(popup, picture)) {
            detail = "capture failed";
            return;
        }
        CreateDirectoryW(options_.shotsDir.c_str(), nullptr);
        wchar_t prefix[8];
        swprintf(prefix, 8, L"%02d-", ++shots_);
        const std::wstring base = options_.shotsDir + L"\\" + prefix + name;
        const HRESULT png = WritePng(picture, base + L".png");
        if (options_.bmp) WriteBmp(picture, base + L".bmp");
        // Where things are on the picture, for whoever checks it.
        std::string track, colour;
        const RECT map = shell_.MapRectInWindow();
        for (const DrawnShape &s : shell_.Map().Painter().Drawn()) {
            if (s.kind != 1 || s.points.size() < 2) continue;
            track.clear();
            const size_t step = std::max<size_t>(1, s.points.size() / 24);
            for (size_t i = 0; i < s.points.size(); i += step) {
                const POINT p = s.points[i];
                if (p.x < 4 || p.y < 4 || p.x >= map.right - map.left - 4 || p.y >= map.bottom - map.top - 4) continue;
                track += (track.empty() ? "" : ";") + std::to_string(p.x + map.left) + "," + std::to_string(p.y + map.top);
            }
            colour = HexOf(static_cast<HRESULT>(s.colour));
        }
        // Dialogs and drop-down lists over the window, in its coordinates.
        std::string above;
        for (HWND w : WindowsAbove(shell_.Window()))
            above += (above.empty() ? "" : ";") + RectText(RectInWindow(shell_.Window(), w));
        report_.Line("shot", Utf8Of(name) + " | file=" + Utf8Of(base) + (SUCCEEDED(png) ? ".png" : ".png NOT WRITTEN " + HexOf(png)) +
                                 " | window=" + std::to_string(picture.width) + "x" + std::to_string(picture.height) +
                                 " | map=" + RectText(map) + " | dock=" + RectText(shell_.DockRectInWindow()) +
                                 " | panel=" + RectText(RectInWindow(shell_.Window(), shell_.Dock().FirstControlWindow())) +
                                 " | shapes=" + std::to_string(shell_.Map().Painter().Drawn().size()) +
                                 " | track=" + track + " | track.colour=" + colour +
                                 " | balloons=" + std::to_string(shell_.Shell().MapObject().ShownBalloons().size()) +
                                 " | view=" + ViewText(shell_.Map().CurrentViewport().visible) + " | above=" + above);
        detail = Utf8Of(base) + ".png";
        ok = SUCCEEDED(png);
    });
    return ok;
}

}  // namespace kxapp
