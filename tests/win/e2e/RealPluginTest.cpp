// The shell with the real plug-in and the stand-in dispatcher: the plug-in
// loads, its panel docks in place and starts, talks to the dispatcher, the
// typical use runs as far as the panel's work reaches, and at the end
// Terminate runs and every reference comes back.
#include "ShellRunSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <iostream>
#include <sstream>

namespace {

using namespace e2e;

bool Light(uint32_t c) { return Red(c) > 200 && Green(c) > 200 && Blue(c) > 190; }
bool Dark(uint32_t c) { return Red(c) < 90 && Green(c) < 90 && Blue(c) < 90; }
// The track's lines: red over black.
bool TrackInk(uint32_t c) { return (Red(c) > 160 && Green(c) < 90 && Blue(c) < 90) || Dark(c); }

// The value of `key=` in a report line's fields.
std::string Field(const std::string &line, const std::string &key) {
    const size_t at = line.find("| " + key + "=");
    if (at == std::string::npos) return "";
    const size_t begin = at + key.size() + 3, end = line.find(" |", begin);
    return line.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

// Width and height from a PNG file's header.
bool PngSize(const std::string &file, int &width, int &height) {
    std::ifstream in(file, std::ios::binary);
    unsigned char header[24] = {};
    if (!in.read(reinterpret_cast<char *>(header), sizeof header) || memcmp(header + 1, "PNG", 3) != 0) return false;
    auto big = [&](int at) { return (header[at] << 24) | (header[at + 1] << 16) | (header[at + 2] << 8) | header[at + 3]; };
    width = big(16);
    height = big(20);
    return true;
}

TEST(RealPlugin, DocksStartsTalksToTheDispatcherDrawsAndEndsCleanly) {
    ScratchFolder folder;
    OwnDispatcher dispatcher(folder.Path() + L"\\dispatcher.log");
    ASSERT_TRUE(dispatcher.Ready()) << "the stand-in dispatcher did not start";

    const ShellRun run = RunShell(folder.Path(), L"", ReadScenario(L"typical.txt"), 120000);
    const std::string report = run.Text();
    ASSERT_FALSE(run.timedOut) << report;

    // Loaded, initialised, docked in place.
    EXPECT_EQ("KXPlayerPlugin.dll", run.First("plugin")) << report;
    EXPECT_EQ("Карвекс", run.First("plugin.caption"));
    EXPECT_EQ("0x00000000", run.First("plugin.initialize"));
    EXPECT_EQ("1", run.First("layers")) << "the plug-in's layer is on the map";
    EXPECT_EQ("1", run.First("pages"));
    EXPECT_EQ("0x00000000", run.First("page.activate"));
    EXPECT_EQ(0u, run.First("page.window").find("docked")) << report;
    EXPECT_TRUE(run.Any("step", "wait-panel 10000 | ok")) << report;
    EXPECT_TRUE(run.All("message-box").empty()) << "the panel complained:\n" << report;
    EXPECT_FALSE(run.Any("step", "| failed |")) << report;

    // The panel's start-up reached the dispatcher.
    const std::string log = dispatcher.Log();
    EXPECT_NE(std::string::npos, log.find("клиент подключён")) << log;
    EXPECT_NE(std::string::npos, log.find("Advise")) << log;

    // Ended cleanly: Terminate, no reference left, exit code 0, and the
    // dispatcher saw its last client go.
    EXPECT_EQ("KXPlayer 0x00000000", run.First("plugin.terminate"));
    EXPECT_EQ("0", run.First("leaks")) << report;
    EXPECT_EQ(0, run.exitCode) << report;
    EXPECT_TRUE(dispatcher.Exited(15000)) << "the dispatcher still has a client";

    // The pictures: a drawn panel beside a light map, the track where the
    // shell says it drew it.
    const std::vector<ShotInfo> shots = run.Shots();
    ASSERT_FALSE(shots.empty()) << report;
    bool sawTrack = false;
    for (const ShotInfo &shot : shots) {
        Picture picture;
        ASSERT_TRUE(picture.Load(std::wstring(shot.file.begin(), shot.file.end() - 4) + L".bmp")) << shot.file;
        EXPECT_GT(picture.Colours(shot.panel), 25u) << shot.name << ": the panel region is blank";
        EXPECT_GT(picture.Share(shot.panel, Dark), 0.01) << shot.name << ": no text in the panel";
        EXPECT_GT(picture.Share(shot.map, Light), 0.4) << shot.name << ": the map is not on a light ground";
        if (shot.track.size() < 2) continue;
        sawTrack = true;
        size_t inked = 0;
        for (const POINT &p : shot.track) inked += picture.Near(p.x, p.y, 2, TrackInk);
        EXPECT_GE(inked * 10, shot.track.size() * 9) << shot.name << ": " << inked << " of " << shot.track.size()
                                                      << " track points show the track's colours";
    }
    // The settings dialog over the window, with its icon list open.
    const ShotInfo *before = nullptr, *dialog = nullptr;
    for (const ShotInfo &shot : shots) {
        if (shot.name == "start") before = &shot;
        if (shot.name == "settings-list") dialog = &shot;
    }
    ASSERT_TRUE(before && dialog) << report;
    ASSERT_FALSE(dialog->above.empty()) << "no dialog over the window:\n" << report;
    Picture without, with;
    ASSERT_TRUE(without.Load(std::wstring(before->file.begin(), before->file.end() - 4) + L".bmp"));
    ASSERT_TRUE(with.Load(std::wstring(dialog->file.begin(), dialog->file.end() - 4) + L".bmp"));
    const RECT &box = dialog->above.back();
    size_t changed = 0, all = 0;
    for (int y = std::max(0L, box.top); y < std::min<long>(box.bottom, with.height); ++y)
        for (int x = std::max(0L, box.left); x < std::min<long>(box.right, with.width); ++x, ++all)
            changed += with.At(x, y) != without.At(x, y);
    EXPECT_GT(changed * 2, all) << "the dialog is not in the picture";
    EXPECT_GT(with.Colours(box), 20u) << "the dialog's picture is blank";

    // What the dialog showed: Cancel undid the changes, OK kept the icon.
    const std::vector<std::string> reads = run.All("settings");
    ASSERT_EQ(4u, reads.size()) << report;
    auto checks = [](const std::string &read) { return read.substr(0, read.find(' ')); };
    auto icon = [](const std::string &read) { return read.substr(read.find(" icon=") + 6); };
    std::string cleared = checks(reads[0]);
    ASSERT_EQ(std::string("checks=").size() + 13, cleared.size()) << reads[0];
    cleared[std::string("checks=").size() + 2] = '0';
    EXPECT_EQ(cleared, checks(reads[1]));
    EXPECT_EQ("12", icon(reads[1]));
    EXPECT_EQ(reads[0], reads[2]);
    EXPECT_EQ(checks(reads[0]), checks(reads[3]));
    EXPECT_EQ("7", icon(reads[3]));

    // Pictures of one part: the panel, and its player's group box inside it,
    // each as large as the part the report names.
    std::map<std::string, RECT> parts;
    for (const std::string &line : run.All("part")) {
        const std::string name = line.substr(0, line.find(' '));
        const std::string file = Field(line, "file"), size = Field(line, "size");
        const RECT r = ParseRect(Field(line, "part"));
        int width = 0, height = 0;
        ASSERT_TRUE(PngSize(file, width, height)) << line;
        EXPECT_EQ(std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top), size) << line;
        EXPECT_EQ(size, std::to_string(width) + "x" + std::to_string(height)) << line;
        parts[name] = r;
    }
    ASSERT_EQ(1u, parts.count("panel-alone")) << report;
    ASSERT_EQ(1u, parts.count("player-alone")) << report;
    const RECT panel = parts["panel-alone"], player = parts["player-alone"];
    EXPECT_TRUE(player.left >= panel.left && player.right <= panel.right && player.top > panel.top &&
                player.bottom <= panel.bottom && player.bottom - player.top < (panel.bottom - panel.top) / 3)
        << "the player's box is not a part of the panel:\n" << report;

    if (!sawTrack)
        std::cout << "note: no track was on the map in any screenshot yet; steps:\n"
                  << [&] { std::string s; for (const auto &l : run.All("step")) s += "  " + l + "\n"; return s; }();
}

// The dispatcher dies in the middle of a call: the panel says so in Russian,
// the shell still ends cleanly, and nothing calls into the plug-in after it
// was unloaded (COM's stub for the panel's event sink used to).
TEST(RealPlugin, DispatcherDyingDuringACallIsReportedAndTheShellEndsCleanly) {
    ScratchFolder folder;
    OwnDispatcher dispatcher(folder.Path() + L"\\dispatcher.log", L"/exit-during-call:3");
    ASSERT_TRUE(dispatcher.Ready()) << "the stand-in dispatcher did not start";

    const ShellRun run = RunShell(folder.Path(), L"", ReadScenario(L"typical.txt"), 120000);
    const std::string report = run.Text();
    ASSERT_FALSE(run.timedOut) << report;
    EXPECT_TRUE(dispatcher.Exited(5000)) << "the dispatcher did not die as asked";
    const std::vector<std::string> boxes = run.All("message-box");
    ASSERT_FALSE(boxes.empty()) << "the lost dispatcher went unreported:\n" << report;
    EXPECT_NE(std::string::npos, boxes[0].find("Нет связи с ПО Карвекс")) << boxes[0];
    EXPECT_EQ("0", run.First("leaks")) << report;
    EXPECT_EQ(0, run.exitCode) << report;
}

}  // namespace
