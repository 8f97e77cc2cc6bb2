// The player in the shell, end to end: a 100,000-point trip played at 600x
// with stops skipped to its end three times in one run. The shell measures
// the panel's ticks and the frames it drew; the process's handles, memory
// and window system objects after the third play stay near those after the
// first, and no reference is left over. And a whole day and more at a
// report every tenth of a second: seen whole, played, hovered.
#include "ShellRunSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace {

using namespace e2e;

// "label key=value key=value ..." to its numbers.
std::map<std::string, double> Figures(const std::string &line) {
    std::map<std::string, double> out;
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
        const size_t eq = word.find('=');
        if (eq != std::string::npos) out[word.substr(0, eq)] = std::atof(word.c_str() + eq + 1);
    }
    return out;
}

// Every step of the run done, and no message box.
void ExpectEveryStepDone(const ShellRun &run) {
    const std::string report = run.Text();
    EXPECT_FALSE(run.Any("step", "| failed |")) << report;
    EXPECT_FALSE(run.Any("step", "| pending |")) << report;
    EXPECT_TRUE(run.All("message-box").empty()) << report;
}

TEST(Player, PlaysALongTripToItsEndThreeTimesAndGivesEverythingBack) {
    ScratchFolder folder;
    OwnDispatcher dispatcher(folder.Path() + L"\\dispatcher.log", L"/long-track:100000 /long-track-step:0.1");
    ASSERT_TRUE(dispatcher.Ready()) << "the stand-in dispatcher did not start";

    const ShellRun run = RunShell(folder.Path(), L"", ReadScenario(L"player-reliability.txt"), 330000);
    const std::string report = run.Text();
    ASSERT_FALSE(run.timedOut) << report;
    ExpectEveryStepDone(run);

    // Moving at 600x: past 5000 s the pane shows the place; at the end, stopped.
    const std::vector<std::string> panes = run.All("pane");
    ASSERT_EQ(2u, panes.size()) << report;
    EXPECT_NE(std::string::npos, panes[0].find("play=\";\"")) << panes[0];
    EXPECT_EQ(std::string::npos, panes[0].find("date=\"\"")) << panes[0];
    EXPECT_NE(std::string::npos, panes[1].find("date=\"\" speed=\"0 км/ч\" distance=\"0 м\" slider=1 play=\"4\""))
        << panes[1];

    const std::vector<std::string> ticks = run.All("ticks");
    ASSERT_EQ(3u, ticks.size()) << report;
    const auto play = Figures(ticks[1]);
    // How many ticks fit depends on the machine: the player moved and the
    // shell drew, the figures are printed below.
    EXPECT_GT(play.at("ticks"), 0) << ticks[1];
    EXPECT_GT(play.at("frames"), 0) << ticks[1];
    std::printf("100,000-point trip at 600x to its end: %s\n", ticks[1].c_str());
    std::printf("the second and third plays: %s\n", ticks[2].c_str());

    const std::vector<std::string> resources = run.All("resources");
    ASSERT_EQ(2u, resources.size()) << report;
    const auto first = Figures(resources[0]), third = Figures(resources[1]);
    std::printf("after the first play: %s\nafter the third play: %s\n", resources[0].c_str(), resources[1].c_str());
    // Each where the platform reports it (a count it does not know is "n/a").
    const struct {
        const char *name;
        double factor, margin;
    } limits[] = {{"handles", 1, 16}, {"private_kb", 1.05, 4096}, {"working_kb", 1.1, 8192}, {"gdi", 1, 8}, {"user", 1, 8}};
    size_t compared = 0;
    for (const auto &limit : limits) {
        if (!first.count(limit.name) || !third.count(limit.name) || first.at(limit.name) <= 0) continue;
        ++compared;
        EXPECT_LE(third.at(limit.name), first.at(limit.name) * limit.factor + limit.margin) << limit.name;
    }
    EXPECT_GE(compared, 1u) << "the platform reports no resource at all";

    EXPECT_EQ("KXPlayer 0x00000000", run.First("plugin.terminate"));
    EXPECT_EQ("0", run.First("leaks")) << report;
    EXPECT_EQ(0, run.exitCode) << report;
}

// A step's time from its report line "N command | ok | 12.3 ms | ...".
double StepMs(const ShellRun &run, const std::string &command) {
    for (const std::string &step : run.All("step"))
        if (step.find(" " + command + " ") != std::string::npos || step.find(" " + command + " |") != std::string::npos) {
            const size_t bar = step.find("| ", step.find("| ") + 2);
            return bar == std::string::npos ? -1 : std::atof(step.c_str() + bar + 2);
        }
    return -1;
}

TEST(Player, AMillionPointTripIsSeenWholePlayedAndHovered) {
    ScratchFolder folder;
    OwnDispatcher dispatcher(folder.Path() + L"\\dispatcher.log", L"/long-track:1000000 /long-track-step:0.1");
    ASSERT_TRUE(dispatcher.Ready()) << "the stand-in dispatcher did not start";

    const ShellRun run = RunShell(folder.Path(), L"", ReadScenario(L"long-track.txt"), 480000);
    const std::string report = run.Text();
    ASSERT_FALSE(run.timedOut) << report;
    ExpectEveryStepDone(run);

    // The whole track drawn: a million vertices a line handed over.
    const std::string frames = run.First("frames");
    EXPECT_NE(std::string::npos, frames.find("2000000 vertices")) << frames;
    // Played: the timer ticked and the shell drew; the mouse on the track
    // moved the player, which goes on playing.
    const std::vector<std::string> ticks = run.All("ticks");
    ASSERT_EQ(2u, ticks.size()) << report;
    EXPECT_GT(Figures(ticks[1]).at("ticks"), 0) << ticks[1];
    EXPECT_GT(Figures(ticks[1]).at("frames"), 0) << ticks[1];
    EXPECT_TRUE(run.Any("step", "hover-track | ok |")) << report;
    const std::string pane = run.First("pane");
    EXPECT_EQ(std::string::npos, pane.find("date=\"\"")) << pane;
    EXPECT_NE(std::string::npos, pane.find("play=\";\"")) << pane;

    const std::vector<std::string> resources = run.All("resources");
    ASSERT_EQ(2u, resources.size()) << report;
    const double grownKb = Figures(resources[1]).at("private_kb") - Figures(resources[0]).at("private_kb");
    std::printf("1,000,000 points at 0.1 s, whole track in view: %s\n", frames.c_str());
    std::printf("600x for 5 s: %s\n", ticks[1].c_str());
    std::printf("hover-track to the moved player: %.0f ms; load (wait-trips): %.0f ms\n", StepMs(run, "hover-track"),
                StepMs(run, "wait-trips"));
    std::printf("private memory grown by the load: %.0f KB, %.1f bytes a point with the shell's share\n", grownKb,
                grownKb * 1024 / 1000000);

    EXPECT_EQ("KXPlayer 0x00000000", run.First("plugin.terminate"));
    EXPECT_EQ("0", run.First("leaks")) << report;
    EXPECT_EQ(0, run.exitCode) << report;
}

}  // namespace
