// Pixels the simulated cards draw for direct calls, read three ways: by
// XR_GetPixel, from the simulator, and through the library's own memory
// path (the PCI window, GspRead on ISA).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DciFixture.h"

namespace {

using dcitest::DciCardTest;
using dcitest::kIsa;
using dcitest::kPci;

class DciPixels : public DciCardTest {
protected:
    void SetUp() override
    {
        DciCardTest::SetUp();
        Bind();
        XR_Set_color1(0x05050505);
    }
    // Video memory is a byte per pixel, rows 1024 apart at 640 pixels wide.
    uint8_t FromMemory(int x, int y)
    {
        const uint32_t at = static_cast<uint32_t>(y) * 1024u + static_cast<uint32_t>(x);
        if (!Isa())
            return static_cast<const uint8_t*>(PciGetMemoryBase(port))[at];
        XR_PortPrepare(port);
        const uint16_t word = GspRead(8 * at & ~15u);
        return static_cast<uint8_t>(at % 2 ? word >> 8 : word);
    }
    // The same byte every way it can be read.
    void ExpectPixel(int x, int y, uint8_t value)
    {
        EXPECT_EQ(XR_GetPixel(x, y), value) << x << "," << y;
        EXPECT_EQ(Dci().pixel(x, y), value) << x << "," << y;
        EXPECT_EQ(FromMemory(x, y), value) << x << "," << y;
    }
};

TEST_P(DciPixels, AFilledRectangleCoversItsPixelsOnly)
{
    XR_FillRect(4, 3, 10, 20);
    for (int y = 19; y <= 23; ++y)
        for (int x = 9; x <= 14; ++x)
            ExpectPixel(x, y, x >= 10 && x <= 13 && y >= 20 && y <= 22 ? 5 : 0);
}

TEST_P(DciPixels, PointsAreClippedToTheClipRectangle)
{
    XR_SetClipRect(2, 2, 11, 21);
    XR_DrawPoint(11, 21);
    XR_DrawPoint(12, 22);
    XR_DrawPoint(13, 21);
    XR_DrawPoint(10, 21);
    ExpectPixel(11, 21, 5);
    ExpectPixel(12, 22, 5);
    ExpectPixel(13, 21, 0);
    ExpectPixel(10, 21, 0);
}

TEST_P(DciPixels, TheOriginMovesAndThePlaneMaskKeeps)
{
    XR_SetOrigin(100, 50);
    XR_DrawPoint(1, 1);
    XR_SetOrigin(0, 0);
    ExpectPixel(101, 51, 5);
    XR_Set_pmask(0x0C);
    XR_PutPixel(101, 51, 0xFF);
    ExpectPixel(101, 51, 0x0D);
}

TEST_P(DciPixels, TheViewportFillsCoverTheClipRectangle)
{
    XR_SetClipRect(3, 2, 30, 40);
    XR_FillActive(9);
    ExpectPixel(30, 40, 9);
    ExpectPixel(32, 41, 9);
    ExpectPixel(33, 41, 0);
    ExpectPixel(29, 40, 0);
    XR_ZeroActive();
    ExpectPixel(30, 40, 1);  // black is the pixel byte 1
}

// A block put through the library lands on the screen and comes back the
// same: ISA packs a byte per pixel into 16-bit words (pitch in bits), PCI
// takes a 32-bit word per pixel (pitch in words).
TEST_P(DciPixels, APutBlockIsOnTheScreenAndReadsBackTheSame)
{
    constexpr int kWidth = 5;
    constexpr int kHeight = 3;
    std::vector<uint32_t> words(kWidth * kHeight);
    std::vector<uint8_t> bytes(kWidth * kHeight + 1);  // a whole last word
    for (int i = 0; i < kWidth * kHeight; ++i)
        words[size_t(i)] = bytes[size_t(i)] = uint8_t(10 + i);
    const void* in = Isa() ? static_cast<const void*>(bytes.data()) : words.data();
    const uint32_t pitch = Isa() ? 8 * kWidth : kWidth;
    XR_PutRect(in, pitch, kWidth, kHeight, 40, 50);
    for (int r = 0; r < kHeight; ++r)
        for (int c = 0; c < kWidth; ++c)
            ExpectPixel(40 + c, 50 + r, uint8_t(10 + r * kWidth + c));
    ExpectPixel(40 + kWidth, 50, 0);

    std::vector<uint32_t> backWords(words.size(), 0xEEEEEEEE);
    std::vector<uint8_t> backBytes(bytes.size(), 0xEE);
    void* out = Isa() ? static_cast<void*>(backBytes.data()) : backWords.data();
    XR_GetRect(kWidth, kHeight, 40, 50, out, pitch);
    if (Isa())
        EXPECT_EQ(std::vector<uint8_t>(backBytes.begin(), backBytes.end() - 1),
                  std::vector<uint8_t>(bytes.begin(), bytes.end() - 1));
    else
        EXPECT_EQ(backWords, words);
}

// Run-length data exists on ISA only: a coded rectangle, cleared, is drawn
// back by decoding it.
TEST_P(DciPixels, ARunLengthBlockRedrawsWhatItCoded)
{
    XR_FillRect(6, 4, 100, 60);
    XR_Set_color1(0x07070707);
    XR_FillRect(2, 2, 102, 61);
    std::vector<uint8_t> block(512, 0);
    const int32_t length = XR_RunEncode(8, 6, 99, 59, block.data(), uint32_t(block.size()));
    if (!Isa()) {
        EXPECT_EQ(length, 0);
        return;
    }
    ASSERT_GT(length, 8);
    XR_BlackFillVuport();
    ExpectPixel(100, 60, 1);
    XR_RunDecode(99, 59, block.data());
    for (int y = 59; y < 65; ++y)
        for (int x = 99; x < 107; ++x) {
            const bool inner = x >= 102 && x < 104 && y >= 61 && y < 63;
            const bool outer = x >= 100 && x < 106 && y >= 60 && y < 64;
            ExpectPixel(x, y, inner ? 7 : outer ? 5 : 0);
        }
}

// Text is drawn from its top-left corner, within the width the card gives it.
TEST_P(DciPixels, AStringDrawsInsideItsWidth)
{
    const int32_t width = XR_GetWidth("Hello");
    ASSERT_GT(width, 0);
    XR_DrawString(200, 100, "Hello");
    int drawn = 0;
    for (int y = 95; y < 160; ++y)
        for (int x = 195; x < 200 + width + 5; ++x)
            if (Dci().pixel(x, y) != 0) {
                ++drawn;
                EXPECT_TRUE(x >= 200 && x < 200 + width && y >= 100) << x << "," << y;
            }
    EXPECT_GT(drawn, 0);
}

// 16.16 conversions there and back on the card.
TEST_P(DciPixels, ConversionsToFixAndBackKeepTheValues)
{
    const int32_t values[] = {0, 1, -1, 300, -32768};
    Fix fixed[5] = {};
    int32_t back[5] = {};
    EXPECT_EQ(XR_Int32ToFix(5, values, fixed), fixed);
    EXPECT_EQ(XR_FixToInt32(5, fixed, back), back);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(fixed[i], Fix(uint32_t(values[i]) << 16)) << i;
        EXPECT_EQ(back[i], values[i]) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Dci, DciPixels, ::testing::Values(kIsa, kPci),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
