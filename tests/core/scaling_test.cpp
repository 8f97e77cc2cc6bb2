#include <gtest/gtest.h>

#include "kx/scaling.h"

using namespace kx;

TEST(DisplayScale, RoundsHalvesAwayFromZeroOnce) {
    const TDisplayScale s125(120, 96, true), s150(144, 96, true), s200(192, 96, true);
    EXPECT_EQ(s125(2), 3);    // 2.5
    EXPECT_EQ(s125(6), 8);    // 7.5
    EXPECT_EQ(s125(230), 288);  // 287.5: the panel's width
    EXPECT_EQ(s150(3), 5);    // 4.5
    EXPECT_EQ(s150(-3), -5);  // offsets keep their sign and size
    EXPECT_EQ(s150(690), 1035);
    EXPECT_EQ(s200(17), 34);
    EXPECT_EQ(ScaleRounded(7, 1, 0), 7);  // no division by zero
    EXPECT_EQ(ScaleRounded(5, -3, -2), 8);
}

TEST(DisplayScale, FontHeightsRoundOnceFromPoints) {
    // 8 points are 10.67 design pixels: at 120 DPI 13.33, not 11 * 1.25 = 13.75.
    EXPECT_EQ(TDisplayScale(96, 96, true).FontHeight(8), -11);
    EXPECT_EQ(TDisplayScale(120, 96, true).FontHeight(8), -13);
    EXPECT_EQ(TDisplayScale(144, 96, true).FontHeight(8), -16);
    EXPECT_EQ(TDisplayScale(144, 96, true).FontHeight(9), -18);
    EXPECT_EQ(TDisplayScale(192, 96, true).FontHeight(15), -40);
    EXPECT_EQ(TDisplayScale(144, 96, true).FontHeightCy(80000), -16);
    EXPECT_EQ(TDisplayScale(120, 96, true).FontHeightCy(85000), -14);  // 8.5 points: 14.17
}

TEST(DisplayScale, RepeatedChangesComeBackToTheDesign) {
    // What a window does as it moves between screens: each layout from the
    // design numbers, never from the previous one.
    for (int design = -50; design <= 1000; ++design) {
        int shown = design;
        for (int dpi : {144, 120, 96, 192, 120, 144, 96})
            shown = TDisplayScale(dpi, 96, true)(design);
        EXPECT_EQ(shown, design);
    }
    // And chaining does drift, which is why the layout keeps its design numbers.
    int chained = 5, dpi = 96;  // 7.5 -> 8, 6.67 -> 7, 5.6 -> 6
    for (int next : {144, 120, 96}) {
        chained = static_cast<int>(ScaleRounded(chained, next, dpi));
        dpi = next;
    }
    EXPECT_EQ(chained, 6);
}

TEST(DisplayScale, UnscaledAndDesignResolutions) {
    // Scaled false: the design sizes at any screen.
    for (int dpi : {72, 96, 144, 192, 480}) {
        const TDisplayScale fixed(dpi, 96, false);
        EXPECT_TRUE(fixed.Identity()) << dpi;
        EXPECT_EQ(fixed(230), 230);
        EXPECT_EQ(fixed.FontHeight(8), -11);
        EXPECT_EQ(fixed.Dpi(), dpi);
    }
    // A form designed at 120 pixels per inch is shown as designed at 120 and
    // shrinks at 96.
    EXPECT_TRUE(TDisplayScale(120, 120, true).Identity());
    EXPECT_EQ(TDisplayScale(96, 120, true)(230), 184);
    EXPECT_EQ(TDisplayScale(120, 120, true).FontHeight(8), -11);
    // Unknown resolutions are taken as 96, never divided by.
    EXPECT_EQ(TDisplayScale(0, 96, true).Dpi(), 96);
    EXPECT_TRUE(TDisplayScale(0, 96, true).Identity());
    EXPECT_TRUE(TDisplayScale(-5, 0, true).Identity());
    // The largest sizes at the largest factor stay exact.
    EXPECT_EQ(TDisplayScale(960, 24, true)(1000000), 40000000);
    EXPECT_EQ(TDisplayScale(144, 96, true), TDisplayScale(288, 192, true));
    EXPECT_NE(TDisplayScale(144, 96, true), TDisplayScale(144, 96, false));
}

TEST(DisplayScale, PicturesAreShownAtTheNearestDrawnSize) {
    struct Case {
        int dpi, toolBar, vehicle, logoHeight;
    };
    // Drawn: 16/20/24/32, 48/60/72/96, 40/50/60/80.
    for (const Case &c : {Case{96, 16, 48, 40}, Case{108, 16, 48, 40}, Case{120, 20, 60, 50}, Case{144, 24, 72, 60},
                          Case{168, 24, 72, 60}, Case{192, 32, 96, 80}, Case{288, 32, 96, 80}, Case{72, 16, 48, 40}}) {
        const TDisplayScale s(c.dpi, 96, true);
        EXPECT_EQ(NearestPictureSize(16, s), c.toolBar) << c.dpi;
        EXPECT_EQ(NearestPictureSize(48, s), c.vehicle) << c.dpi;
        EXPECT_EQ(NearestPictureSize(40, s), c.logoHeight) << c.dpi;
    }
    // A form not scaled keeps its design pictures at any display.
    EXPECT_EQ(NearestPictureSize(48, TDisplayScale(192, 96, false)), 48);
    // Designed at 120 pixels per inch and shown at 96: smaller than design, the design size.
    EXPECT_EQ(NearestPictureSize(16, TDisplayScale(96, 120, true)), 16);
}
