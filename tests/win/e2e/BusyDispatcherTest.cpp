// A dispatcher sending online data every 10 ms (and redoing its last
// computation on each) while the shell's user picks groups, vehicles and a
// period: the panel runs each event after its own work, so no call of one
// handler meets the dispatcher's state moved by another, and no message box
// appears. (Online data arriving between a request and its end makes the
// panel skip that end, as it always has: at this rate the trips of a
// request are never listed, so no trip is chosen here.)
#include "ShellRunSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <sstream>
#include <vector>

namespace {

using namespace e2e;

// KX_BUSY_DISPATCHER_RUNS=30 for the long check; a few runs in the suite.
// The dispatcher's log lines of refused calls, and its last lines.
std::string Refusals(const std::string &log)
{
    std::string out, line, last;
    std::istringstream in(log);
    std::vector<std::string> tail;
    while (std::getline(in, line)) {
        if (line.find("-> ошибка") != std::string::npos) out += line + "\n";
        tail.push_back(line);
        if (tail.size() > 25) tail.erase(tail.begin());
    }
    out += "...\n";
    for (const std::string &l : tail) out += l + "\n";
    return out;
}

int Runs()
{
    const char *text = std::getenv("KX_BUSY_DISPATCHER_RUNS");
    const int runs = text ? std::atoi(text) : 0;
    return runs > 0 ? runs : 4;
}

TEST(BusyDispatcher, ManyShellStartsChooseWithoutAMessageBox)
{
    const int runs = Runs();
    int clean = 0;
    for (int i = 1; i <= runs; ++i) {
        SCOPED_TRACE("run " + std::to_string(i));
        ScratchFolder folder;
        OwnDispatcher dispatcher(folder.Path() + L"\\dispatcher.log", L"/online:10");
        ASSERT_TRUE(dispatcher.Ready()) << "the stand-in dispatcher did not start";
        const ShellRun run = RunShell(folder.Path(), L"", ReadScenario(L"busy-dispatcher.txt"), 120000);
        const std::string report = run.Text();
        ASSERT_FALSE(run.timedOut) << report << Refusals(dispatcher.Log());
        EXPECT_TRUE(run.All("message-box").empty()) << report;
        EXPECT_FALSE(run.Any("step", "| pending")) << report;
        EXPECT_FALSE(run.Any("step", "| failed")) << report;
        EXPECT_EQ("0", run.First("leaks")) << report;
        EXPECT_EQ(0, run.exitCode) << report;
        const std::string log = dispatcher.Log();
        EXPECT_EQ(std::string::npos, log.find("-> ошибка")) << "a call was refused:\n" << Refusals(log);
        clean += run.All("message-box").empty() && run.exitCode == 0 && run.First("leaks") == "0";
    }
    std::cout << "busy dispatcher: " << clean << " of " << runs << " shell runs without a message box, exit 0, leaks: 0\n";
}

}  // namespace
