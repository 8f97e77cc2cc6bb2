// The dispatcher program ended, closed and started again while one shell
// runs: the panel's next choice connects again with no message box, the
// replay goes on meanwhile, and twenty restarts leave no leak behind.
#include "ShellRunSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <sstream>

namespace {

using namespace e2e;

// The number after "private_kb=" in a resources line.
long PrivateKb(const std::string &line)
{
    const size_t at = line.find("private_kb=");
    return at == std::string::npos ? -1 : std::atol(line.c_str() + at + 11);
}

// The ticks counted by a "ticks" line.
long Ticks(const std::string &line)
{
    const size_t at = line.find("ticks=");
    return at == std::string::npos ? -1 : std::atol(line.c_str() + at + 6);
}

void ExpectCleanRun(const ShellRun &run)
{
    const std::string report = run.Text();
    EXPECT_TRUE(run.All("message-box").empty()) << report;
    EXPECT_FALSE(run.Any("step", "| pending")) << report;
    EXPECT_FALSE(run.Any("step", "| failed")) << report;
    EXPECT_EQ("0", run.First("leaks")) << report;
    EXPECT_EQ(0, run.exitCode) << report;
}

TEST(DispatcherRestart, EndedAndClosedTheNextChoiceFindsItAgain)
{
    ScratchFolder folder;
    OwnDispatcher dispatcher(folder.Path() + L"\\dispatcher.log");
    ASSERT_TRUE(dispatcher.Ready());
    const ShellRun run = RunShell(folder.Path(), L"", ReadScenario(L"dispatcher-restart.txt"), 180000);
    ASSERT_FALSE(run.timedOut) << run.Text();
    ExpectCleanRun(run);
    const std::vector<std::string> ticks = run.All("ticks");
    ASSERT_EQ(2u, ticks.size()) << run.Text();
    EXPECT_GT(Ticks(ticks[1]), 0) << "the replay stopped with the dispatcher";
    EXPECT_NE(std::string::npos, run.First("panel").find("group=")) << run.Text();
    std::cout << "while the dispatcher restarted: " << ticks[1] << "\n" << run.First("pane") << std::endl;
}

TEST(DispatcherRestart, TwentyRestartsLeaveNothingBehind)
{
    std::ostringstream scenario;
    scenario << "wait-panel 10000\nwait-groups 15000\nset-period 05.02.2009 06:00 05.02.2009 22:30\n";
    // Another group first, so that each cycle's trips are listed anew; the
    // vehicle once the group's own computation has ended (a choice made
    // while one is under way asks for nothing).
    for (int i = 1; i <= 20; ++i)
        scenario << "restart-dispatcher 100\npause 400\nchoose-group 1\nwait-vehicles 10000\nchoose-group 2\n"
                 << "pause 600\nchoose-vehicle 2\nwait-trips 20000\nwait-track 20000\nresources cycle-" << i << "\n";
    ScratchFolder folder;
    OwnDispatcher dispatcher(folder.Path() + L"\\dispatcher.log");
    ASSERT_TRUE(dispatcher.Ready());
    const ShellRun run = RunShell(folder.Path(), L"", scenario.str(), 600000);
    ASSERT_FALSE(run.timedOut) << run.Text();
    ExpectCleanRun(run);
    const std::vector<std::string> resources = run.All("resources");
    ASSERT_EQ(20u, resources.size()) << run.Text();
    const long second = PrivateKb(resources[1]), last = PrivateKb(resources[19]);
    std::cout << "private memory after restart 2: " << second << " KB, after restart 20: " << last << " KB" << std::endl;
    ASSERT_GT(second, 0);
    EXPECT_LE(last - second, 2048) << resources[1] << "\n" << resources[19];
}

}  // namespace
