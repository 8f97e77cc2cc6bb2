// The shell's drawing, checked on its screenshot with a plug-in whose
// shapes sit at known places: a red-over-black track line, a translucent
// polygon, an icon, a label, a balloon with HTML text; hovering asks the
// shape under the mouse for its title and hint. Also the time one frame
// takes with a 100,000-point track (printed, not asserted).
#include "DrawPluginGeometry.h"
#include "ShellRunSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>

namespace {

using namespace e2e;

class Drawing : public ::testing::Test {
protected:
    void SetUp() override {
        plugins_ = folder_.Path() + L"\\Plugins";
        CreateDirectoryW(plugins_.c_str(), nullptr);
        ASSERT_TRUE(CopyFileW(KX_DRAW_PLUGIN, (plugins_ + L"\\e2e_draw_plugin.dll").c_str(), FALSE));
    }
    ShellRun Run(const std::string &scenario) {
        return RunShell(folder_.Path(), L"--plugins \"" + plugins_ + L"\"", scenario, 90000);
    }
    ScratchFolder folder_;
    std::wstring plugins_;
};

// Map point to picture pixel through the view and map rectangle of a shot.
POINT ToPicture(const ShotInfo &shot, double x, double y) {
    const double perPixel = (shot.view[2] - shot.view[0]) / (shot.map.right - shot.map.left);
    return POINT{shot.map.left + static_cast<LONG>(std::lround((x - shot.view[0]) / perPixel)),
                 shot.map.top + static_cast<LONG>(std::lround((shot.view[3] - y) / perPixel))};
}

POINT AtFraction(const ShotInfo &shot, double fx, double fy) {
    return ToPicture(shot, shot.view[0] + fx * (shot.view[2] - shot.view[0]), shot.view[1] + fy * (shot.view[3] - shot.view[1]));
}

TEST_F(Drawing, ShapesBalloonAndHoverReachTheScreen) {
    const ShellRun run = Run("shot drawn\nhover-track\nshot hover\nhover-shape 0\n");
    const std::string report = run.Text();
    ASSERT_FALSE(run.timedOut) << report;
    EXPECT_EQ(0, run.exitCode) << report;
    EXPECT_EQ("0", run.First("leaks")) << report;
    EXPECT_EQ("DrawTest 0x00000000", run.First("plugin.terminate"));
    EXPECT_TRUE(run.All("layer.problem").empty()) << report;

    const std::vector<ShotInfo> shots = run.Shots();
    ASSERT_EQ(2u, shots.size()) << report;
    const ShotInfo &shot = shots[0];
    Picture picture;
    ASSERT_TRUE(picture.Load(std::wstring(shot.file.begin(), shot.file.end() - 4) + L".bmp"));
    const View view{shot.view[0], shot.view[1], shot.view[2], shot.view[3]};

    // The track: the red line over the black one, where the plug-in put it.
    int red = 0, total = 0;
    for (double t = 0.02; t < 1; t += 0.04, ++total) {
        double x, y;
        ExpectedTrackPoint(view, t, x, y);
        const POINT p = ToPicture(shot, x, y);
        red += picture.Near(p.x, p.y, 1, [](uint32_t c) { return Red(c) > 200 && Green(c) < 60 && Blue(c) < 60; });
    }
    EXPECT_GE(red * 10, total * 9) << red << " of " << total << " track points are red";
    // Beside the line, a few pixels off, the ground shows again.
    {
        double x, y;
        ExpectedTrackPoint(view, 0.5, x, y);
        const POINT p = ToPicture(shot, x, y);
        EXPECT_TRUE(picture.Near(p.x, p.y, 2, [](uint32_t c) { return Red(c) < 60 && Green(c) < 60 && Blue(c) < 60; }))
            << "the black casing under the red line";
        EXPECT_GT(Red(picture.At(p.x, p.y - 12)), 200) << "the line is thin";
    }

    // The polygon: half-transparent blue over the light ground.
    const POINT inside = AtFraction(shot, 0.125, 0.835);
    const uint32_t fill = picture.At(inside.x, inside.y);
    EXPECT_GT(Blue(fill), Red(fill) + 60) << std::hex << fill;
    EXPECT_GT(Red(fill), 60) << "translucent, not opaque: " << std::hex << fill;

    // The icon's own pixels at its point.
    const POINT icon = AtFraction(shot, kIconAt[0], kIconAt[1]);
    EXPECT_EQ(0x00C000u, picture.At(icon.x, icon.y));
    EXPECT_EQ(0x00C000u, picture.At(icon.x + 6, icon.y - 6));

    // The label: dark text just right of its point.
    const POINT label = AtFraction(shot, 0.1, 0.2);
    EXPECT_TRUE(picture.Near(label.x + 20, label.y, 8, [](uint32_t c) { return Red(c) < 80 && Blue(c) < 120 && Green(c) < 80; }))
        << "no label text near its point";

    // The balloon: up and right of its anchor, pale, with text in it.
    EXPECT_EQ(1, shot.balloons);
    const POINT anchor = AtFraction(shot, kBalloonAt[0], kBalloonAt[1]);
    const RECT box{anchor.x + 24, anchor.y - 56, anchor.x + 88, anchor.y - 24};
    EXPECT_GT(picture.Share(box, [](uint32_t c) { return Red(c) > 245 && Green(c) > 245 && Blue(c) > 225 && Blue(c) < 250; }), 0.3)
        << "no balloon body";
    EXPECT_GT(picture.Share(box, [](uint32_t c) { return Red(c) < 100 && Green(c) < 100; }), 0.02) << "no balloon text";

    // Hovering: the shape under the mouse was asked for its title and hint.
    EXPECT_TRUE(run.Any("step", "hover-track | ok")) << report;
    EXPECT_TRUE(run.Any("step", "title 0x00000000 \"Трек\" hint \"Track Line\"")) << report;
    EXPECT_TRUE(run.Any("step", "hint \"<b>Метка</b> на карте\"")) << report;
}

TEST_F(Drawing, ABrokenScenarioIsRefusedBeforeAnythingRuns) {
    const ShellRun run = Run("wait-panel 100\nfly-to 1 2\n");
    EXPECT_EQ(2, run.exitCode);
    EXPECT_TRUE(run.lines.empty()) << "nothing ran: " << run.Text();
}

TEST(FrameMeasurement, OneFrameWithAHundredThousandPointTrack) {
    ScratchFolder folder;
    const std::wstring plugins = folder.Path() + L"\\Plugins";
    CreateDirectoryW(plugins.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(KX_DRAW_PLUGIN, (plugins + L"\\e2e_draw_plugin.dll").c_str(), FALSE));
    SetEnvironmentVariableW(L"KX_E2E_TRACK_POINTS", L"100000");
    const ShellRun run = RunShell(folder.Path(), L"--plugins \"" + plugins + L"\"",
                                  "measure-frames 20\nzoom 8\nmeasure-frames 20\n", 120000);
    SetEnvironmentVariableW(L"KX_E2E_TRACK_POINTS", nullptr);
    ASSERT_EQ(0, run.exitCode) << run.Text();
    const auto frames = run.All("frames");
    ASSERT_EQ(2u, frames.size()) << run.Text();
    std::cout << "whole track in view: " << frames[0] << "\n8x closer: " << frames[1] << "\n";
}

}  // namespace
