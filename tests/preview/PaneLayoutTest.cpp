// Where the preview pane puts the picture and the screen-shaped frame.
#include "app/UpreviewLayout.h"

#include <gtest/gtest.h>

#include <climits>

TEST(PaneLayout, PictureFitsTheBoxWithAOnePixelFrameAndIsCentred)
{
    // The width decides for a landscape picture in a square box ...
    EXPECT_EQ(FitPicture(4000, 3000, 200, 200), (PaneRect{1, 26, 198, 148}));
    // ... the height for a portrait one.
    EXPECT_EQ(FitPicture(3000, 4000, 200, 200), (PaneRect{26, 1, 148, 198}));
    // Equal proportions: the width decides.
    EXPECT_EQ(FitPicture(400, 300, 200, 150), (PaneRect{1, 1, 198, 148}));
    // Rows stored top-down (negative height) fit as their magnitude.
    EXPECT_EQ(FitPicture(3000, -4000, 200, 200), FitPicture(3000, 4000, 200, 200));
    EXPECT_FALSE(FitPicture(2000, INT_MIN, 263, 210));  // no overflow; far too thin to show
    // Fractions are dropped, never rounded: 263 / (2000 / 1333) = 175.28...
    EXPECT_EQ(FitPicture(2000, 1333, 263, 210), (PaneRect{1, 18, 261, 173}));
}

TEST(PaneLayout, NothingToDrawForEmptyPicturesAndTinyBoxes)
{
    EXPECT_FALSE(FitPicture(0, 100, 200, 200));
    EXPECT_FALSE(FitPicture(100, 0, 200, 200));
    EXPECT_FALSE(FitPicture(-5, 100, 200, 200));
    for (const int n : {-1, 0, 1, 2}) {
        EXPECT_FALSE(FitPicture(4000, 3000, n, 200)) << n;
        EXPECT_FALSE(FitPicture(4000, 3000, 200, n)) << n;
        EXPECT_FALSE(FitScreenFrame(n, 300, 1280, 1024)) << n;
        EXPECT_FALSE(FitScreenFrame(300, n, 1280, 1024)) << n;
    }
    // A 3-pixel box still shows one pixel of a square picture.
    EXPECT_EQ(FitPicture(10, 10, 3, 3), (PaneRect{1, 1, 1, 1}));
    // A picture so lopsided that one side would be empty.
    EXPECT_FALSE(FitPicture(100000, 1, 200, 200));
    EXPECT_FALSE(FitScreenFrame(300, 300, 0, 1024));
}

TEST(PaneLayout, FrameKeepsTheScreenProportions)
{
    // The designed panel: 265 x 314 on a 1280 x 1024 screen.
    EXPECT_EQ(FitScreenFrame(265, 314, 1280, 1024), (PaneRect{1, 52, 263, 210}));
    // A panel wider than the screen's proportion: the height decides, the frame is centred.
    EXPECT_EQ(FitScreenFrame(800, 314, 1280, 1024), (PaneRect{205, 1, 390, 312}));
    // Equal proportions: the width decides.
    EXPECT_EQ(FitScreenFrame(640, 512, 1280, 1024), (PaneRect{1, 1, 638, 510}));
}
