// The host-side exports on a context of the test's own: the matrix reset,
// the transforms and their rounding, the square lengths, the fixed-point
// helpers, and what each does without a context.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "dci/Dci.h"
#include "morvane.h"

namespace {

namespace dci = morvane::dci;

class DciHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = dci::Bound();
        dci::Bound() = dci::Binding{};
        dci::Bound().context = &context;
        Set(RCC_M00, 1.0);
        Set(RCC_M11, 1.0);
        Set(RCC_M22, 1.0);
    }
    void TearDown() override { dci::Bound() = saved; }
    void Set(int word, double v) { std::memcpy(&context.words[word], &v, sizeof v); }
    double Get(int word) const
    {
        double v = 0;
        std::memcpy(&v, &context.words[word], sizeof v);
        return v;
    }

    RemoteCallContext context{};
    dci::Binding saved;
};

struct RoundCase {
    double dx;
    int32_t pixels;
};

// v + 0.5 with the fraction dropped toward zero.
TEST_F(DciHost, LengthsRoundUpFromAHalf)
{
    const RoundCase cases[] = {{-1.6, -1}, {0.4, 0}, {0.5, 1}, {-0.4, 0}, {2.49, 2}, {1e300, INT32_MAX},
                               {-1e300, INT32_MIN}, {std::nan(""), 0}};
    for (const RoundCase& c : cases) {
        EXPECT_EQ(XR_TransformDX(c.dx), c.pixels) << c.dx;
        EXPECT_EQ(XR_TransformDY(c.dx), c.pixels) << c.dx;
    }
}

TEST_F(DciHost, TranslationsAccumulate)
{
    Set(RCC_M00, 2.0);
    Set(RCC_M11, 3.0);
    XR_TranslateX(3);
    XR_TranslateX(3);
    XR_TranslateY(-1);
    EXPECT_EQ(Get(RCC_M20), 12.0);
    EXPECT_EQ(Get(RCC_M21), -3.0);
    EXPECT_EQ(XR_TransformX(1.0), 14);
    EXPECT_EQ(XR_FTransformY(0.5), -1.5);
    EXPECT_EQ(XR_TransformY(0.5), -1);
}

TEST_F(DciHost, SquareLengthsGoByThePixelAspect)
{
    Set(RCC_ASPECTPIXEL, 2.0);
    EXPECT_EQ(XR_SquareDX(10), 5);
    EXPECT_EQ(XR_SquareDY(10), 20);
    EXPECT_EQ(XR_SquareDX(3), 2);
    Set(RCC_ASPECTPIXEL, 0.0);
    EXPECT_EQ(XR_SquareDX(3), INT32_MAX);
    EXPECT_EQ(XR_SquareDX(0), 0);
}

struct AspectCase {
    const char* name;
    double aspectsize;
    double m00, m11, normalwidth, normalheight;
};

TEST_F(DciHost, TheMatrixFollowsTheAspect)
{
    const AspectCase cases[] = {
        {"Wide", 1.5, 480, 480, 1.5, 1.0},
        {"Narrow", 0.75, 720, 360, 1.0, 1 / 0.75},
        // No usable aspect: as if it were 1.
        {"Zero", 0.0, 720, 480, 1.0, 1.0},
        {"Negative", -2.0, 720, 480, 1.0, 1.0},
        {"NaN", std::nan(""), 720, 480, 1.0, 1.0},
        {"Infinite", std::numeric_limits<double>::infinity(), 720, 480, 1.0, 1.0},
    };
    for (const AspectCase& c : cases) {
        context.words[RCC_WIDTH] = 720;
        context.words[RCC_HEIGHT] = 480;
        context.words[RCC_CTM] = 0xA5A5A5A5;
        Set(RCC_ASPECTSIZE, c.aspectsize);
        Set(RCC_M20, 9.0);
        EXPECT_EQ(XR_ResetMatrix(), 1);
        EXPECT_EQ(Get(RCC_M00), c.m00) << c.name;
        EXPECT_EQ(Get(RCC_M11), c.m11) << c.name;
        EXPECT_EQ(Get(RCC_M20), 0.0) << c.name;
        EXPECT_EQ(Get(RCC_M22), 1.0) << c.name;
        EXPECT_EQ(Get(RCC_NORMALWIDTH), c.normalwidth) << c.name;
        EXPECT_EQ(Get(RCC_NORMALHEIGHT), c.normalheight) << c.name;
        EXPECT_EQ(context.words[RCC_CTM], 0xA5A5A5A5u) << c.name;
    }
}

TEST_F(DciHost, WithoutAContextNothingHappens)
{
    dci::Bound().context = nullptr;
    EXPECT_EQ(XR_ResetMatrix(), 0);
    EXPECT_EQ(XR_TransformX(5), 0);
    EXPECT_EQ(XR_FTransformX(5), 0.0);
    EXPECT_EQ(XR_TransformDY(5), 0);
    EXPECT_EQ(XR_TranslateX(5), 0);
    EXPECT_EQ(XR_SquareDY(5), 0);
}

TEST_F(DciHost, FixedPointHelpersCopyOnTheHost)
{
    FixMatrix identity;
    XR_InitMatrix(&identity);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(identity.m[i], i == 0 || i == 5 || i == 10 || i == 15 ? 0x10000 : 0) << i;
    FixMatrix copy{};
    XR_CopyMatrix(&identity, &copy);
    EXPECT_EQ(std::memcmp(&copy, &identity, sizeof copy), 0);

    const Fix source[4] = {1, 2, 3, 4};
    Fix target[4] = {9, 9, 9, 9};
    XR_CopyVertex(3, source, target);
    EXPECT_EQ(target[2], 3);
    EXPECT_EQ(target[3], 9);
    EXPECT_EQ(XR_CopyVertex(-1, source, target), 0);
    EXPECT_EQ(XR_InitMatrix(nullptr), 0);
    EXPECT_EQ(XR_Proceed(), 1);
    EXPECT_EQ(XR_GetFont(), 0);
}

}  // namespace
