// The Linux backend's density: the Xft.dpi resource as the desktop writes it,
// and the scaling of the layout tables' pixels, checked without a display.
#include "platform/fltk/FltkScale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace pivora::fltk {
namespace {

TEST(FltkScale, DensityFromTheXftResource) {
    EXPECT_EQ(DpiFromResource("192"), 192);
    EXPECT_EQ(DpiFromResource("\t144.0 "), 144);   // xrdb keeps what follows the colon's blanks
    EXPECT_EQ(DpiFromResource("120.4"), 120);      // KDE writes fractions
    EXPECT_EQ(DpiFromResource("120.5"), 121);
    EXPECT_EQ(DpiFromResource("96\n"), 96);
}

TEST(FltkScale, NoUsableResourceIs96) {
    for (const char* text : {"", "  ", "abc", "192dpi", "19 2", "0x60", "nan", "inf", "-192", "0"})
        EXPECT_EQ(DpiFromResource(text), 96) << '"' << text << '"';
}

TEST(FltkScale, DensityIsKeptWithinWindowsRange) {
    EXPECT_EQ(DpiFromResource("72"), 96);    // never smaller than designed
    EXPECT_EQ(DpiFromResource("95.9"), 96);
    EXPECT_EQ(DpiFromResource("480"), 480);
    EXPECT_EQ(DpiFromResource("1e6"), 480);
    EXPECT_EQ(Scale(50).Dpi(), 96);
    EXPECT_EQ(Scale(1000).Dpi(), 480);
}

TEST(FltkScale, At96DpiEveryValueStaysAsDesigned) {
    const Scale scale(96);
    for (int v = -300; v <= 3000; ++v) ASSERT_EQ(scale(v), v);
    EXPECT_EQ(scale(Rect{8, 28, 233, 105}), (Rect{8, 28, 233, 105}));
    EXPECT_EQ(scale.Line(), 1);
}

TEST(FltkScale, WholeFactorsMultiply) {
    for (int dpi : {192, 288}) {
        const Scale scale(dpi);
        for (int v = -300; v <= 3000; ++v) ASSERT_EQ(scale(v), v * dpi / 96) << dpi;
        EXPECT_EQ(scale.Line(), dpi / 96);
    }
    // The main window: 252 x 122 below a 20-pixel menu bar.
    EXPECT_EQ(Scale(192)(Rect{0, 20, 252, 122}), (Rect{0, 40, 504, 244}));
}

TEST(FltkScale, HalvesRoundUpTheSameWayOnEitherSide) {
    const Scale scale(144);
    EXPECT_EQ(scale(1), 2);     // 1.5
    EXPECT_EQ(scale(3), 5);     // 4.5
    EXPECT_EQ(scale(2), 3);
    EXPECT_EQ(scale(-1), -1);   // -1.5
    EXPECT_EQ(scale(-3), -4);   // -4.5
    EXPECT_EQ(scale.Line(), 1); // one-pixel bevels stay crisp at 150 %
    EXPECT_EQ(scale(Rect{0, 20, 252, 122}), (Rect{0, 30, 378, 183}));
}

// Controls that touch at 96 dpi touch at every density, and a size is off
// by less than a pixel from its exact scaling.
TEST(FltkScale, EdgesAreScaledSoNeighboursStayNeighbours) {
    for (int dpi = 96; dpi <= 480; ++dpi) {
        const Scale scale(dpi);
        for (int x = -5; x <= 40; ++x)
            for (int w = 0; w <= 40; ++w) {
                const Rect a = scale(Rect{x, x, w, w});
                const Rect b = scale(Rect{x + w, x + w, 7, 7});
                ASSERT_EQ(a.x + a.w, b.x) << dpi << ' ' << x << ' ' << w;
                ASSERT_EQ(a.y + a.h, b.y) << dpi << ' ' << x << ' ' << w;
                ASSERT_LT(std::fabs(a.w - w * dpi / 96.0), 1.0) << dpi << ' ' << x << ' ' << w;
            }
    }
}

TEST(FltkScale, WindowIconSizesFollowTheDensity) {
    EXPECT_EQ(WindowIconSizes(Scale(96)), (std::vector<int>{16, 32, 64}));
    EXPECT_EQ(WindowIconSizes(Scale(144)), (std::vector<int>{24, 48, 96}));
    EXPECT_EQ(WindowIconSizes(Scale(192)), (std::vector<int>{32, 64, 128}));
}

TEST(FltkScale, EachIconSizeComesFromTheBestPicture) {
    const std::vector<int> three{64, 16, 32};
    EXPECT_EQ(IconSources(three, {16, 32, 64}), (std::vector<int>{16, 32, 64}));
    EXPECT_EQ(IconSources(three, {24, 48, 96}), (std::vector<int>{32, 64, 64}));   // down, else the largest up
    EXPECT_EQ(IconSources(three, {32, 64, 128}), (std::vector<int>{32, 64, 64}));
    EXPECT_EQ(IconSources(three, {8}), (std::vector<int>{16}));
    EXPECT_EQ(IconSources({16, 32, 48, 64, 128, 256}, {32, 64, 128}), (std::vector<int>{32, 64, 128}));
    EXPECT_TRUE(IconSources({}, {16, 32}).empty());
}

}  // namespace
}  // namespace pivora::fltk
