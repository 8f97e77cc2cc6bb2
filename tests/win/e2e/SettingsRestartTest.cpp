// The user's choices survive closing the shell: a first run chooses a group,
// a vehicle, a period, a speed, stop skipping off and a minimum duration and
// closes; a second run of the same installation shows the same choices and
// asks the dispatcher for the trips of the restored vehicle and period.
#include "ShellRunSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <sstream>

namespace {

using namespace e2e;

std::string ReadText(const std::wstring &path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

const char kChoose[] =
    "wait-panel 10000\n"
    "wait-groups 15000\n"
    "choose-group 2\n"
    "wait-vehicles 10000\n"
    "pause 1500\n"
    "set-period 05.02.2009 06:00 05.02.2009 22:30\n"
    "pause 1500\n"
    "choose-vehicle 2\n"
    "wait-trips 20000\n"
    "set-speed 30x\n"
    "toggle skip-stops off\n"
    "set-min-duration 120\n"
    "toggle checkpoints on\n"
    "report-panel\n";

const char kLookAgain[] =
    "wait-panel 10000\n"
    "wait-groups 15000\n"
    "wait-trips 20000\n"
    "report-panel\n";

TEST(SettingsRestart, ChoicesComeBackAndTheirTripsAreAskedFor) {
    ScratchFolder folder;
    ShellRun first, second;
    {
        OwnDispatcher dispatcher(folder.Path() + L"\\dispatcher-1.log");
        ASSERT_TRUE(dispatcher.Ready());
        first = RunShell(folder.Path(), L"", kChoose, 120000);
        ASSERT_FALSE(first.timedOut) << first.Text();
        EXPECT_TRUE(dispatcher.Exited(15000));
    }
    ASSERT_EQ(0, first.exitCode) << first.Text();
    ASSERT_TRUE(first.All("message-box").empty()) << first.Text();
    const std::string chosen = first.First("panel");
    EXPECT_NE(std::string::npos, chosen.find("speed=30x | duration=120 | skip-stops=up | checkpoints=down")) << chosen;
    EXPECT_NE(std::string::npos, chosen.find("period=05.02.2009 06:00 - 05.02.2009 22:30")) << chosen;

    const std::string settings = ReadText(ShellCopyDir(folder.Path()) + L"\\Plugins\\KXSettings.xml");
    EXPECT_NE(std::string::npos, settings.find(">30x</Speed>")) << settings;
    EXPECT_NE(std::string::npos, settings.find(">05.02.2009 06:00:00</DateTimeBegin>")) << settings;

    std::string log;
    {
        OwnDispatcher dispatcher(folder.Path() + L"\\dispatcher-2.log");
        ASSERT_TRUE(dispatcher.Ready());
        second = RunShell(folder.Path(), L"", kLookAgain, 120000);
        ASSERT_FALSE(second.timedOut) << second.Text();
        EXPECT_TRUE(dispatcher.Exited(15000));
        log = dispatcher.Log();
    }
    EXPECT_EQ(0, second.exitCode) << second.Text();
    EXPECT_TRUE(second.All("message-box").empty()) << second.Text();
    EXPECT_EQ(chosen, second.First("panel")) << second.Text();
    std::cout << "restored after the restart: " << second.First("panel") << std::endl;
    EXPECT_TRUE(second.Any("step", "wait-trips 20000 | ok")) << second.Text();

    // The restored vehicle's device number, as the first run showed it.
    const size_t from = chosen.find("vehicle=\"");
    const size_t end = chosen.find('"', from + 9);
    const std::string vehicle = chosen.substr(from + 9, end - from - 9);
    const std::string device = vehicle.substr(vehicle.rfind(" / ") + 3);
    ASSERT_FALSE(device.empty()) << chosen;
    EXPECT_NE(std::string::npos, log.find(", " + device + ", 05.02.2009 06:00:00, 05.02.2009 22:30:00, GSM, 1)")) << log;
}

}  // namespace
