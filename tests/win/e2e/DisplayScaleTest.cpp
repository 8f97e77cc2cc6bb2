// The shell at 100 % and 150 % display scale with the real plug-in, as a
// host with and without the common controls 6 manifest: the panel and the
// settings dialog, laid out for the display, cut no text and lay no control
// over another, and the run ends cleanly.
#include "ShellRunSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <tuple>

namespace {

using namespace e2e;

class DisplayScaleTest : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(DisplayScaleTest, PanelAndDialogFitTheirTextsAndEndCleanly) {
    const int dpi = std::get<0>(GetParam());
    const bool visualStyles = std::get<1>(GetParam());
    DisplayScale scale(static_cast<DWORD>(dpi));
    ScratchFolder folder;
    OwnDispatcher dispatcher(folder.Path() + L"\\dispatcher.log");
    ASSERT_TRUE(dispatcher.Ready()) << "the stand-in dispatcher did not start";

    const ShellRun run = RunShell(folder.Path(), visualStyles ? L"--visual-styles" : L"", ReadScenario(L"display-scale.txt"), 150000);
    const std::string report = run.Text();
    ASSERT_FALSE(run.timedOut) << report;
    EXPECT_EQ(visualStyles ? "6" : "5", run.First("common-controls")) << report;
    EXPECT_FALSE(run.Any("step", "| failed |")) << report;
    EXPECT_TRUE(run.Any("step", "play | ok")) << "the trip was played:\n" << report;

    const std::string prefix = "dpi=" + std::to_string(dpi) + " ";
    const std::vector<std::string> layouts = run.All("layout");
    ASSERT_EQ(3u, layouts.size()) << report;  // the panel; the panel and the open dialog
    bool dialog = false;
    for (const std::string &line : layouts) {
        EXPECT_EQ(0u, line.find(prefix)) << line;
        EXPECT_NE(std::string::npos, line.find(" clipped=0 overlaps=0 ")) << line << "\n" << report;
        dialog = dialog || line.find("of=settings") != std::string::npos;
    }
    EXPECT_TRUE(dialog) << report;
    EXPECT_TRUE(run.All("layout.finding").empty()) << report;

    // The banner's logo drawn for the scale, not the 100 % one left small:
    // its artwork spans about two thirds of the panel's width at any scale.
    Picture panel;
    ASSERT_TRUE(panel.Load(folder.Path() + L"\\shots\\panel-scaled.bmp")) << report;
    int left = panel.width, right = -1;
    // Inside the panel's border.
    for (int y = 3; y < 56 * dpi / 96 - 3 && y < panel.height; ++y)
        for (int x = 3; x < panel.width - 3; ++x) {
            const uint32_t c = panel.At(x, y);
            const int off = std::abs(static_cast<int>(c >> 16) - 223) + std::abs(static_cast<int>((c >> 8) & 0xFF) - 237) +
                            std::abs(static_cast<int>(c & 0xFF) - 229);
            if (off > 60) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    const double share = static_cast<double>(right - left + 1) / panel.width;
    EXPECT_GT(share, 0.55) << "logo from " << left << " to " << right << " of " << panel.width;
    EXPECT_LT(share, 0.85) << "logo from " << left << " to " << right << " of " << panel.width;

    EXPECT_EQ("0", run.First("leaks")) << report;
    EXPECT_EQ(0, run.exitCode) << report;
    EXPECT_TRUE(dispatcher.Exited(15000)) << "the dispatcher still has a client";
}

INSTANTIATE_TEST_SUITE_P(DpiAndStyles, DisplayScaleTest, ::testing::Combine(::testing::Values(96, 144), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<DisplayScaleTest::ParamType> &info) {
                             return std::to_string(std::get<0>(info.param)) +
                                    (std::get<1>(info.param) ? "_themed" : "_classic");
                         });

}  // namespace
