#include "ShellRunSupport.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <algorithm>
#include <cstring>

namespace e2e {
namespace {

std::string ReadFile(const std::wstring &path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void RemoveTree(const std::wstring &path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
            else DeleteFileW(full.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

}  // namespace

RECT ParseRect(const std::string &text) {
    RECT r{};
    sscanf(text.c_str(), "%ld,%ld,%ld,%ld", &r.left, &r.top, &r.right, &r.bottom);
    return r;
}

std::vector<std::string> ShellRun::All(const std::string &key) const {
    std::vector<std::string> out;
    for (const auto &line : lines)
        if (line.first == key) out.push_back(line.second);
    return out;
}

std::string ShellRun::First(const std::string &key) const {
    for (const auto &line : lines)
        if (line.first == key) return line.second;
    return {};
}

bool ShellRun::Any(const std::string &key, const std::string &part) const {
    for (const auto &line : lines)
        if (line.first == key && line.second.find(part) != std::string::npos) return true;
    return false;
}

std::string ShellRun::Text() const {
    std::string out;
    for (const auto &line : lines) out += line.first + ": " + line.second + "\n";
    return out;
}

std::vector<ShotInfo> ShellRun::Shots() const {
    std::vector<ShotInfo> out;
    for (const std::string &line : All("shot")) {
        ShotInfo shot;
        std::istringstream fields(line);
        std::string field;
        bool first = true;
        while (std::getline(fields, field, '|')) {
            while (!field.empty() && field.front() == ' ') field.erase(0, 1);
            while (!field.empty() && field.back() == ' ') field.pop_back();
            if (first) {
                shot.name = field;
                first = false;
                continue;
            }
            const size_t eq = field.find('=');
            if (eq == std::string::npos) continue;
            const std::string key = field.substr(0, eq), value = field.substr(eq + 1);
            if (key == "file") shot.file = value;
            else if (key == "map") shot.map = ParseRect(value);
            else if (key == "dock") shot.dock = ParseRect(value);
            else if (key == "panel") shot.panel = ParseRect(value);
            else if (key == "track.colour") shot.trackColour = strtoul(value.c_str(), nullptr, 16);
            else if (key == "balloons") shot.balloons = atoi(value.c_str());
            else if (key == "view") sscanf(value.c_str(), "%lf,%lf,%lf,%lf", &shot.view[0], &shot.view[1], &shot.view[2], &shot.view[3]);
            else if (key == "above") {
                std::istringstream rects(value);
                std::string r;
                while (std::getline(rects, r, ';')) shot.above.push_back(ParseRect(r));
            } else if (key == "track") {
                std::istringstream points(value);
                std::string p;
                while (std::getline(points, p, ';')) {
                    POINT pt{};
                    if (sscanf(p.c_str(), "%ld,%ld", &pt.x, &pt.y) == 2) shot.track.push_back(pt);
                }
            }
        }
        out.push_back(shot);
    }
    return out;
}

ScratchFolder::ScratchFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"kxshell-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount());
    CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(path_);
}

std::wstring ShellCopyDir(const std::wstring &folder) {
    return folder + L"\\shell";
}

// The shell and its Plugins folder are copied into the scratch folder (once),
// so that each test has its own installation and settings file, as a fresh
// machine does, and never meets the demo's.
static std::wstring InstallShell(const std::wstring &folder) {
    const std::wstring built = KX_SHELL_EXE;
    const std::wstring builtDir = built.substr(0, built.find_last_of(L"/\\"));
    const std::wstring dir = ShellCopyDir(folder), exe = dir + L"\\KXShell.exe";
    CreateDirectoryW(dir.c_str(), nullptr);
    CreateDirectoryW((dir + L"\\Plugins").c_str(), nullptr);
    CopyFileW(built.c_str(), exe.c_str(), TRUE);
    CopyFileW((builtDir + L"\\Plugins\\KXPlayerPlugin.dll").c_str(), (dir + L"\\Plugins\\KXPlayerPlugin.dll").c_str(), TRUE);
    return exe;
}

ShellRun RunShell(const std::wstring &folder, const std::wstring &arguments, const std::string &scenario, DWORD timeoutMs) {
    ShellRun run;
    run.folder = folder;
    const std::wstring shellExe = InstallShell(folder);
    const std::wstring scenarioPath = folder + L"\\scenario.txt", report = folder + L"\\report.txt";
    {
        std::ofstream out(scenarioPath.c_str(), std::ios::binary);
        out << scenario;
    }
    std::wstring command = L"\"" + shellExe + L"\" --scenario \"" + scenarioPath + L"\" --report \"" +
                           report + L"\" --shots \"" + folder + L"\\shots\" --bmp " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return run;
    CloseHandle(pi.hThread);
    if (WaitForSingleObject(pi.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        run.timedOut = true;
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    run.exitCode = static_cast<int>(code);
    std::istringstream text(ReadFile(report));
    std::string line;
    while (std::getline(text, line)) {
        const size_t colon = line.find(": ");
        if (colon == std::string::npos) continue;
        run.lines.emplace_back(line.substr(0, colon), line.substr(colon + 2));
    }
    return run;
}

bool Picture::Load(const std::wstring &path) {
    const std::string bytes = ReadFile(path);
    if (bytes.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) return false;
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    memcpy(&file, bytes.data(), sizeof file);
    memcpy(&info, bytes.data() + sizeof file, sizeof info);
    if (file.bfType != 0x4D42 || info.biBitCount != 32 || info.biHeight >= 0) return false;
    width = info.biWidth;
    height = -info.biHeight;
    const size_t count = static_cast<size_t>(width) * height;
    if (bytes.size() < file.bfOffBits + count * 4) return false;
    pixels.resize(count);
    memcpy(pixels.data(), bytes.data() + file.bfOffBits, count * 4);
    for (uint32_t &p : pixels) p &= 0xFFFFFF;
    return true;
}

size_t Picture::Colours(const RECT &r) const {
    std::vector<uint32_t> seen;
    for (int y = r.top; y < r.bottom && y < height; y += 2)
        for (int x = r.left; x < r.right && x < width; x += 2) seen.push_back(At(x, y));
    std::sort(seen.begin(), seen.end());
    return static_cast<size_t>(std::unique(seen.begin(), seen.end()) - seen.begin());
}

std::string ReadScenario(const wchar_t *name) {
    return ReadFile(std::wstring(KX_SCENARIO_DIR) + L"/" + name);
}

OwnDispatcher::OwnDispatcher(const std::wstring &logPath, const std::wstring &options) : log_(logPath) {
    std::wstring reg = std::wstring(L"\"") + KX_DISPATCHER_EXE + L"\" /RegServer";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, &reg[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, 20000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    std::wstring command = std::wstring(L"\"") + KX_DISPATCHER_EXE + L"\" /hidden /online:0 /idle-exit:60 /log:" + logPath +
                          (options.empty() ? L"" : L" " + options);
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &process_)) return;
    CloseHandle(process_.hThread);
    // Ready when it says so through its event; attaching would make this
    // test a client whose leaving ends the dispatcher.
    const std::wstring name = L"KXDispatcher.Ready." + std::to_wstring(process_.dwProcessId);
    for (int i = 0; i < 200 && !ready_; ++i) {
        HANDLE e = OpenEventW(SYNCHRONIZE, FALSE, name.c_str());
        ready_ = e && WaitForSingleObject(e, 0) == WAIT_OBJECT_0;
        if (e) CloseHandle(e);
        if (!ready_) Sleep(50);
    }
}

OwnDispatcher::~OwnDispatcher() {
    if (!process_.hProcess) return;
    if (WaitForSingleObject(process_.hProcess, 5000) != WAIT_OBJECT_0) {
        TerminateProcess(process_.hProcess, 9);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hProcess);
}

bool OwnDispatcher::Exited(DWORD ms) {
    return process_.hProcess && WaitForSingleObject(process_.hProcess, ms) == WAIT_OBJECT_0;
}

std::string OwnDispatcher::Log() const {
    return ReadFile(log_);
}

namespace {
const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
const wchar_t kLogPixels[] = L"LogPixels";
}  // namespace

DisplayScale::DisplayScale(DWORD dpi) {
    DWORD size = sizeof(before_), type = 0;
    had_ = RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, RRF_RT_REG_DWORD, &type, &before_, &size) ==
           ERROR_SUCCESS;
    RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, REG_DWORD, &dpi, sizeof(dpi));
}

DisplayScale::~DisplayScale() {
    if (had_)
        RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, REG_DWORD, &before_, sizeof(before_));
    else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels);
}

}  // namespace e2e
