// The PCI memory benchmarks of the Diagnostics window's Test menu on the
// simulated PCI card: what each code runs and shows, the bytes the endian
// and word passes leave in SRAM, failures of a card whose read-back has a
// stuck bit (counted by the test), a card without a memory window, a code
// that is none, and Cancel.

#include "CDiagnosticsDlg.h"
#include "CProgressDlg.h"
#include "GeneratorSet.h"
#include "LinkRoutines.h"
#include "ResourceIds.h"
#include "ToolLibrary.h"

#include "DialogUnits.h"
#include "TestSupport.h"

#include "gensim/DriverEndpoint.h"
#include "gensim/PciCard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <chrono>
#include <thread>

namespace {

using Port = GeneratorSet::Port;

constexpr int kTestWords = 8192;
constexpr int kSramBytes = 12800;
constexpr uint32_t kSram = 0xFFF50000;

// The card's read-back as a card with a bit stuck at 1 gives it: through
// the mailbox, word or byte.
class StuckBitLibrary : public ToolLibrary {
public:
    explicit StuckBitLibrary(uint32_t bit) : m_bit(bit) {}
    uint32_t PciReadData(uint32_t address, int32_t size) override
    {
        return ToolLibrary::PciReadData(address, size) | m_bit;
    }
    uint32_t PciReadBuffer(uint32_t address, uint8_t *bytes, int32_t count) override
    {
        const uint32_t result = ToolLibrary::PciReadBuffer(address, bytes, count);
        for (int32_t i = 0; i < count; ++i)
            bytes[i] = uint8_t(bytes[i] | m_bit);
        return result;
    }

private:
    uint32_t m_bit;
};

// The same card, slow enough a word that Cancel always comes mid-region.
class SlowStuckBitLibrary : public StuckBitLibrary {
public:
    using StuckBitLibrary::StuckBitLibrary;
    uint32_t PciReadData(uint32_t address, int32_t size) override
    {
        std::this_thread::sleep_for(std::chrono::microseconds(50));
        return StuckBitLibrary::PciReadData(address, size);
    }
};

// A card whose memory window was never mapped.
class NoWindowLibrary : public ToolLibrary {
public:
    void *PciGetMemoryBase(PortId) override
    {
        SetError(MORVANE_E_PCI_REMAP);
        return nullptr;
    }
};

class DmaBenchmarkTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        CGenerator::SetDmaRegionOneWords(kTestWords);
        generator = set.Connect(prompter, Port::Pci1);
        ASSERT_NE(generator, nullptr);
        window = std::make_unique<CDiagnosticsDlg>(nullptr, generator.get());
        window->show();
    }
    void TearDown() override
    {
        window.reset();
        InstallToolLibrary(nullptr);
        CGenerator::SetDmaRegionOneWords(0);
        PlatformTest::TearDown();
    }

    // The code typed and the command run; the "Base" box of each pass OK'd,
    // and the box afterFirst after the first pass.
    QStringList Run(const QString &code, int passes, unsigned afterFirst = 0)
    {
        for (int i = 0; i < passes; ++i) {
            prompter.ExpectMessage(PromptMatch::Id(IDS_DMA_BASE), IDOK, MB_OK);
            if (i == 0 && afterFirst != 0)
                prompter.ExpectMessage(PromptMatch::Id(afterFirst), IDOK, MB_OK);
        }
        window->findChild<QLineEdit *>(ControlName(IDC_DMA_CODE))->setText(code);
        const int before = window->CanvasTree()->topLevelItemCount();
        EXPECT_TRUE(window->Router().Execute(ID_DMA_BENCHMARK));
        prompter.VerifyAllUsed();
        QStringList lines;
        QTreeWidget &tree = *window->CanvasTree();
        EXPECT_EQ(tree.topLevelItemCount(), before + 1);
        QTreeWidgetItem *top = tree.topLevelItem(tree.topLevelItemCount() - 1);
        lines.append(top->text(0));
        for (int i = 0; i < top->childCount(); ++i) {
            lines.append(top->child(i)->text(0));
            for (int j = 0; j < top->child(i)->childCount(); ++j)
                lines.append(top->child(i)->child(j)->text(0));
        }
        return lines;
    }

    gensim::PciCard &Card() { return *set.sim.driverEndpoint()->pciCard(0); }

    GeneratorSet set;
    std::unique_ptr<CGenerator> generator;
    std::unique_ptr<CDiagnosticsDlg> window;
};

TEST_F(DmaBenchmarkTest, EachCodeRunsItsTestUnderANewItem)
{
    EXPECT_EQ(Run(QStringLiteral("11"), 1), (QStringList{"DMA Benchmarks", "Endian"}));
    // The bytes as the window wrote them, read as the card's little-endian words.
    EXPECT_EQ(Card().word(kSram), 0x64636261u);        // "abcd"
    EXPECT_EQ(Card().word(kSram + 0x10), 0x74737271u); // "qrst"
    EXPECT_EQ(Card().word(kSram + 0x14) & 0xFFu, 0u);   // the terminating zero
    EXPECT_EQ(Card().word(kSram + 0x50), 0x02220111u);
    EXPECT_EQ(Card().word(kSram + 0x6C), 0x11100FFFu);
    EXPECT_EQ(Card().word(kSram + 0x100), 0xABCD5678u);
    EXPECT_EQ(Card().word(kSram + 0x11C), 0xABCD567Fu);

    EXPECT_EQ(Run(QStringLiteral("22"), 2),
              (QStringList{"DMA Benchmarks", "SRAM Integrity Test", "BYTE Fail: 0.00%", "WORD Fail: 0.00%"}));
    // The bytes 1, 2, 3 ... and after them the words 0x111, 0x222 ...
    EXPECT_EQ(Card().word(kSram), 0x04030201u);
    EXPECT_EQ(Card().word(kSram + 0xFC), 0x00FFFEFDu);
    EXPECT_EQ(Card().word(kSram + kSramBytes), 0x02220111u);

    EXPECT_EQ(Run(QStringLiteral("ff"), 1), (QStringList{"DMA Benchmarks", "Video Memory", "   W/R Fail: 0"}));
    EXPECT_EQ(Run(QStringLiteral("FE"), 1), (QStringList{"DMA Benchmarks", "Video Memory", "   W/R Fail: 0"}));
    EXPECT_EQ(window->CanvasTree()->topLevelItemCount(), 4);
}

TEST_F(DmaBenchmarkTest, AStuckBitFailsWhatItChanges)
{
    struct Case {
        uint32_t bit;
        const char *code;
        int failures; // by hand: every word of an even pattern the bit changes
    };
    for (const Case c : {Case{0x1, "FE", kTestWords}, Case{0x2, "FE", 0}, Case{0x1, "FF", 0}, Case{0x100, "FE", kTestWords}}) {
        SCOPED_TRACE(c.code);
        StuckBitLibrary library(c.bit);
        InstallToolLibrary(&library);
        EXPECT_EQ(Run(QString::fromLatin1(c.code), 1).last(), QStringLiteral("   W/R Fail: %1").arg(c.failures));
        InstallToolLibrary(nullptr);
    }

    // SRAM bytes 1, 2, ... 255, 0, 1, ...: those without bit 4 come back wrong.
    int bad = 0;
    int first = -1;
    for (int i = 0; i < kSramBytes; ++i) {
        if ((((i + 1) & 0xFF) & 0x10) == 0) {
            ++bad;
            if (first < 0)
                first = i;
        }
    }
    StuckBitLibrary library(0x10);
    InstallToolLibrary(&library);
    const QStringList lines = Run(QStringLiteral("22"), 2, IDS_DMA_BAD_BYTES);
    const QString percent = QString::number(double(bad) / kSramBytes * 100.0, 'f', 2);
    EXPECT_EQ(lines, (QStringList{"DMA Benchmarks", "SRAM Integrity Test", "BYTE Fail: " + percent + "%",
                                  "WORD Fail: 0.00%"}));
    const std::vector<PromptRecord> boxes = prompter.Messages();
    const auto box = std::find_if(boxes.begin(), boxes.end(), [](const PromptRecord &r) { return r.textId == IDS_DMA_BAD_BYTES; });
    ASSERT_NE(box, boxes.end());
    const QStringList boxLines = box->text.split('\n');
    ASSERT_EQ(boxLines.size(), 9);
    EXPECT_EQ(boxLines[0], QStringLiteral("Bad Index: %1").arg(QString::number(first, 16).toUpper()));
    EXPECT_EQ(boxLines[1], QStringLiteral("Bad Index: 1"));
    EXPECT_EQ(boxLines[8], QStringLiteral("%1 of 12800 bytes read back differ.").arg(bad));
}

TEST_F(DmaBenchmarkTest, WithoutAMemoryWindowNothingIsWritten)
{
    NoWindowLibrary library;
    InstallToolLibrary(&library);
    Card().setWord(kSram, 0x5A5A5A5A);
    prompter.ExpectMessage(PromptMatch::Id(IDS_DMA_NO_WINDOW), IDOK, MB_OK | MB_ICONWARNING);
    const QStringList lines = Run(QStringLiteral("11"), 0);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("*** "))) << lines[2].toStdString();
    EXPECT_GT(lines[2].size(), 4);
    EXPECT_EQ(Card().word(kSram), 0x5A5A5A5Au);
}

TEST_F(DmaBenchmarkTest, ACodeThatIsNoneRunsNothing)
{
    for (const char *code : {"xyz", "123456789", "0x11"}) {
        prompter.ExpectMessage(PromptMatch::Id(IDS_DIAG_BAD_CODE), IDOK, MB_OK | MB_ICONWARNING);
        window->findChild<QLineEdit *>(ControlName(IDC_DMA_CODE))->setText(QString::fromLatin1(code));
        window->Router().Execute(ID_DMA_BENCHMARK);
        prompter.VerifyAllUsed();
    }
    EXPECT_EQ(window->CanvasTree()->topLevelItemCount(), 0);
}

// Cancel during the video-memory pass: the figures so far, marked.
TEST_F(DmaBenchmarkTest, CancelShowsTheFiguresSoFar)
{
    CGenerator::SetDmaRegionOneWords(0); // the whole region: far longer than the test waits
    SlowStuckBitLibrary library(0x1);
    InstallToolLibrary(&library);
    QTimer clicker;
    bool clicked = false;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        if (clicked || !LinkRoutines::Running())
            return;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *progress = dynamic_cast<CProgressDlg *>(widget);
            if (progress && progress->IsOpen()) {
                QTest::mouseClick(progress->CancelButton(), Qt::LeftButton);
                clicked = true;
            }
        }
    });
    clicker.start(50);
    const QStringList lines = Run(QStringLiteral("FE"), 1);
    EXPECT_TRUE(clicked);
    ASSERT_EQ(lines.size(), 3);
    const QString text = lines[2];
    ASSERT_TRUE(text.startsWith(QStringLiteral("   W/R Fail: ")) && text.endsWith(QStringLiteral(" (cancelled)")))
        << text.toStdString();
    const int failures = text.mid(13, text.size() - 13 - 12).toInt();
    EXPECT_GT(failures, 0);
    EXPECT_LT(failures, 0x200000);
    EXPECT_EQ(failures % 4096, 0); // it stops where the offset line changes
}

} // namespace
