// The bitmap's rows written into a PCI generator's video memory, by the
// card's mailbox and by its memory window, against the simulator's card:
// where each row lands, the bytes around it that must stay, the window's
// end, and a card that stops answering.

#include "CBitmapReader.h"

#include "BitmapFixtures.h"
#include "CGenerator.h"
#include "CardSimulator.h"
#include "ToolLibrary.h"
#include "TestSupport.h"

#include <atomic>

namespace {

constexpr uint32_t kFill = 0xA5A5A5A5;

class BitmapPciTest : public PlatformTest {
protected:
    // A top-down 8-bit bitmap of width x height whose stored bytes are
    // 1 + row * 16 + column (mod 256); rows padded to whole words.
    QString WriteBitmap(int width, int height)
    {
        BmpFile bmp;
        bmp.width = width;
        bmp.height = -height;
        bmp.depth = 8;
        bmp.palette.assign(256, 0);
        const int stride = (width + 3) / 4 * 4;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < stride; ++x)
                bmp.pixels.append(char(x < width ? 1 + y * 16 + x : 0xEE));
        const QString path = TempPath(QStringLiteral("rows.bmp"));
        EXPECT_TRUE(WriteFile(path, bmp.Bytes()));
        return path;
    }
    static uint8_t Stored(int x, int y) { return uint8_t(1 + y * 16 + x); }

    uint8_t VideoByte(uint32_t address) { return uint8_t(card().word(address & ~3u) >> (8 * (address & 3))); }
    gensim::PciCard &card() { return *cards.sim.driverEndpoint()->pciCard(0); }
    void Fill(uint32_t from, uint32_t bytes)
    {
        for (uint32_t a = from; a < from + bytes; a += 4)
            card().setWord(a, kFill);
    }

    CardSimulator cards{false};
};

// Rows land at (y + r) x pitch + x; the bytes of a partly covered word
// before the row's start and after its end keep what was there.
TEST_F(BitmapPciTest, RowsLandAtThePitchByMailboxAndByWindow)
{
    const QString path = WriteBitmap(6, 3); // 8 stored bytes a row
    for (const bool window : {false, true}) {
        SCOPED_TRACE(window ? "window" : "mailbox");
        Fill(0, 0x1000);
        CGenerator gen(nullptr, PciOpen("pci1"));
        ASSERT_NE(gen.GetPort(), 0u);
        CBitmapReader reader;
        ASSERT_TRUE(reader.Open(path));
        // 640 wide: pitch 1024; x = 2 puts each row start at address bits 0-1 = 2.
        ASSERT_TRUE(reader.WriteToPciMemory(&gen, nullptr, 2, 1, 640, 480, window));
        for (int r = 0; r < 3; ++r) {
            const uint32_t rowAt = uint32_t((1 + r) * 1024 + 2);
            EXPECT_EQ(VideoByte(rowAt - 1), 0xA5) << "the word's lower bytes stay, row " << r;
            EXPECT_EQ(VideoByte(rowAt - 2), 0xA5);
            for (int x = 0; x < 6; ++x)
                EXPECT_EQ(VideoByte(rowAt + uint32_t(x)), Stored(x, r)) << r << "," << x;
            EXPECT_EQ(VideoByte(rowAt + 6), 0xEE) << "the row's padding goes with it";
            EXPECT_EQ(VideoByte(rowAt + 8), 0xA5) << "the bytes after the row stay";
            EXPECT_EQ(VideoByte(rowAt + 9), 0xA5);
        }
        EXPECT_EQ(card().word(0), kFill) << "nothing above the first row";
    }
}

TEST_F(BitmapPciTest, PitchIsThePowerOfTwoFromTheScreenWidth)
{
    const struct {
        int width;
        uint64_t pitch;
    } rows[] = {{640, 1024}, {1024, 1024}, {1025, 2048}, {1, 1}, {0, 1}, {-5, 1}};
    for (const auto &row : rows)
        EXPECT_EQ(CBitmapReader::PciPitch(row.width), row.pitch) << row.width;
}

// Nothing is written when the last row would end past the 8 MB window.
TEST_F(BitmapPciTest, RefusesRowsPastTheWindow)
{
    const QString path = WriteBitmap(6, 3);
    CGenerator gen(nullptr, PciOpen("pci1"));
    CBitmapReader reader;
    ASSERT_TRUE(reader.Open(path));
    const uint32_t lastRow = (8u << 20) - 1024;
    Fill(lastRow - 2048, 3 * 1024);
    EXPECT_TRUE(reader.FitsPciWindow(0, 8189, 640));
    EXPECT_FALSE(reader.FitsPciWindow(0, 8190, 640));
    EXPECT_FALSE(reader.FitsPciWindow(-1, 0, 640));
    for (const bool window : {false, true}) {
        prompter.ExpectMessage(PromptMatch::Id(IDS_IMGDL_PAST_WINDOW), IDOK);
        EXPECT_FALSE(reader.WriteToPciMemory(&gen, nullptr, 1020, 8189, 640, 480, window));
    }
    for (uint32_t a = lastRow - 2048; a < lastRow + 1024; a += 4)
        ASSERT_EQ(card().word(a), kFill) << a;
}

// A card whose mailbox stops answering: the first word fails, no other is
// tried, and the box shows the library's text.
class DeadMailbox : public ToolLibrary {
public:
    DeadMailbox() : m_previous(InstallToolLibrary(this)) {}
    ~DeadMailbox() override { InstallToolLibrary(m_previous); }
    int32_t XR_PortPrepare(PortId) override { return 1; }
    uint32_t PciReadData(uint32_t, int32_t) override { return Calls(); }
    int32_t PciWriteData(uint32_t, uint32_t, int32_t) override { return Calls(); }
    char *XR_PortGetErrorMsg(int32_t, char *text) override
    {
        std::strcpy(text, "Time-out.");
        return text;
    }
    std::atomic<int> calls{0};

private:
    int32_t Calls()
    {
        ++calls;
        SetError(40005);
        return 0;
    }
    ToolLibrary *m_previous;
};

TEST_F(BitmapPciTest, ADeadCardStopsAtItsFirstWord)
{
    const QString path = WriteBitmap(6, 3);
    CGenerator gen(nullptr, PciOpen("pci1"));
    CBitmapReader reader;
    ASSERT_TRUE(reader.Open(path));
    DeadMailbox dead;
    prompter.ExpectMessage(PromptMatch::Id(IDS_IMGDL_CARD_FAILED).AndCaption(QStringLiteral("Error")), IDOK);
    EXPECT_FALSE(reader.WriteToPciMemory(&gen, nullptr, 0, 0, 640, 480, false));
    EXPECT_EQ(dead.calls, 1);
    ASSERT_FALSE(prompter.Messages().empty());
    EXPECT_TRUE(prompter.Messages().back().text.contains(QStringLiteral("Time-out."))) << prompter.Messages().back().text.toStdString();
}

} // namespace
