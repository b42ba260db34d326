// Pixels the simulated cards draw for direct calls, read three ways: by
// XR_GetPixel, from the simulator, and through the library's own memory
// path (the PCI window, GspRead on ISA).
#include <gtest/gtest.h>

#include <string>

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

INSTANTIATE_TEST_SUITE_P(Dci, DciPixels, ::testing::Values(kIsa, kPci),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
