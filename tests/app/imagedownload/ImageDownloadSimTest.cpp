// The Image Download tool as a user reaches it, through Tools/Image
// Download of the main window, against simulated generators: COM1 with the
// maker's stream card, the three-board COM2, COM3 with old firmware, a
// lower-case three-board COM4 and PCI 1. What lands in each generator's
// video memory and lookup table, and which commands it was sent, is read
// back from the simulator.

#include "BitmapFixtures.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CImageDownloadDlg.h"
#include "CMainWindow.h"
#include "CProgressDlg.h"
#include "CFractalCodec.h"
#include "CValueEdit.h"
#include "CardStream.h"
#include "DataKindRegistry.h"
#include "DialogUnits.h"
#include "DriverSocketPath.h"
#include "FractalFixtures.h"
#include "PortDialogAnswer.h"
#include "Profile.h"
#include "ProfileKeys.h"
#include "ProgramTools.h"
#include "StringTable.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QApplication>
#include <QAbstractButton>

#include <algorithm>

namespace {

enum Port { kCom1 = 0, kCom2 = 1, kCom3 = 2, kCom4 = 3, kPci1 = 4 };

// A bitmap of width x height at depth (1, 4, 8 or 24), bottom-up, whose
// pixel (x, y) is (x + 3 y) mod the colour count, with a palette of
// distinct colours.
BmpFile Picture(int width, int height, int depth)
{
    BmpFile bmp;
    bmp.width = width;
    bmp.height = height;
    bmp.depth = uint16_t(depth);
    if (depth <= 8)
        for (int i = 0; i < (1 << depth); ++i)
            bmp.palette.push_back(uint32_t(i * 0x010203 + 0x102030) & 0xFFFFFF);
    const int stride = (width * depth + 31) / 32 * 4;
    for (int row = height - 1; row >= 0; --row) {
        QByteArray bytes(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const int v = (x + 3 * row) % (depth >= 8 ? 256 : 1 << depth);
            if (depth == 8)
                bytes[x] = char(v);
            else if (depth == 4)
                bytes[x / 2] = char(uint8_t(bytes[x / 2]) | (x % 2 ? v : v << 4));
            else if (depth == 1)
                bytes[x / 8] = char(uint8_t(bytes[x / 8]) | (v << (7 - x % 8)));
            else
                for (int c = 0; c < 3; ++c)
                    bytes[3 * x + c] = char((v + c * 40) & 0xFF);
        }
        bmp.pixels.append(bytes);
    }
    return bmp;
}

int PixelIndex(int x, int y, int depth)
{
    return (x + 3 * y) % (depth >= 8 ? 256 : 1 << depth);
}

class ImageDownloadSimTest : public PlatformTest {
protected:
    static void SetUpTestSuite() {}

    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterProgramDataKinds();
        RegisterProgramTools();
        WriteProfileString(ProfileKeys::kFolders, ProfileKeys::kProgram, tempDir.path());
        sim.openDriver(socket.path());
        const gensim::GeneratorOptions com[] = {
            {.model = "VG-7000", .firmware = "7.041", .serial = "100001", .baudRate = 2400, .link = ""},
            {.model = "R72Q", .firmware = "7.041", .serial = "100008", .baudRate = 2400, .link = ""},
            {.model = "VG-7000", .firmware = "7.011", .serial = "100007", .baudRate = 2400, .link = ""},
            {.model = "r72q", .firmware = "7.041", .serial = "100009", .baudRate = 2400, .link = ""},
        };
        for (const gensim::GeneratorOptions &options : com) {
            gensim::Generator &g = sim.addGenerator(options);
            setenv(QStringLiteral("MORVANE_COM%1").arg(sim.size()).toLatin1().constData(), g.comPath().c_str(), 1);
        }
        sim.addGenerator({.model = "VG-7000", .firmware = "7.045", .serial = "100005", .link = "", .pty = false,
                          .pciCard = true});
        stream = &sim.driverEndpoint()->addStreamCard(sim.generator(kCom1));
        sim.start();
        window = std::make_unique<CMainWindow>();
        window->CreateFrame();
        window->show();
        for (int com = 1; com <= 4; ++com) {
            AnswerPortDialogCom(prompter, com);
            ASSERT_TRUE(window->Router().Execute(ID_CONNECT));
        }
        AnswerPortDialog(prompter, CSelectPortDlg::kTypePci, 1);
        ASSERT_TRUE(window->Router().Execute(ID_CONNECT));
        ASSERT_EQ(window->GetGeneratorListView()->GetRowCount(), 5);
        ASSERT_TRUE(window->Router().Execute(ID_IMAGE_DOWNLOAD));
        tool = dynamic_cast<CImageDownloadDlg *>(window->Tool(ToolSlot::ImageDownload));
        ASSERT_NE(tool, nullptr);
        ASSERT_EQ(Combo().count(), 5);
    }

    void TearDown() override
    {
        window.reset();
        UnregisterProgramTools();
        UnregisterProgramDataKinds();
        for (int com = 1; com <= 4; ++com)
            unsetenv(QStringLiteral("MORVANE_COM%1").arg(com).toLatin1().constData());
        PlatformTest::TearDown();
    }

    QComboBox &Combo() { return *FindControl<QComboBox>(tool, IDC_EDITOR_GENERATOR); }
    QString Text(int id) { return FindControl<QLabel>(tool, id)->text(); }
    QPushButton &Button(int id) { return *FindControl<QPushButton>(tool, id); }
    QCheckBox &Box(int id) { return *FindControl<QCheckBox>(tool, id); }
    gensim::Generator &Gen(Port port) { return sim.generator(size_t(port)); }
    CGeneratorView &View(Port port) { return *window->GetGeneratorListView()->GetRowView(int(port)); }

    void Select(Port port) { Combo().setCurrentIndex(int(port)); }

    QString WriteBitmap(const BmpFile &bmp, const QString &name = QStringLiteral("picture.bmp"))
    {
        const QString path = TempPath(name);
        EXPECT_TRUE(::WriteFile(path, bmp.Bytes()));
        return path;
    }
    // Browse chooses path; a box with text id refusal follows when given.
    void Browse(const QString &path, unsigned refusal = 0)
    {
        prompter.ExpectFile(PromptMatch{}, FileResult{true, {path}, 1});
        if (refusal != 0)
            prompter.ExpectMessage(PromptMatch::Id(refusal), IDOK);
        Button(IDC_IMGDL_BROWSE).click();
    }
    void Place(int x, int y)
    {
        FindControl<CValueEdit>(tool, IDC_IMGDL_X)->SetInt(x);
        FindControl<CValueEdit>(tool, IDC_IMGDL_Y)->SetInt(y);
    }
    // The commands a generator was sent from its trace mark on, without
    // the queries and with an "ALLU" as the program sends it.
    std::vector<std::string> LinesSince(Port port, size_t mark)
    {
        const std::vector<std::string> all = Gen(port).trace().lines();
        std::vector<std::string> commands;
        for (size_t i = std::min(mark, all.size()); i < all.size(); ++i) {
            std::string line = all[i];
            if (line.size() > 6 && line.compare(line.size() - 6, 6, ";*OPC?") == 0)
                line.resize(line.size() - 6);
            if (line.find('?') == std::string::npos)
                commands.push_back(line);
        }
        return commands;
    }
    static bool Has(const std::vector<std::string> &lines, const std::string &prefix)
    {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string &l) { return l.rfind(prefix, 0) == 0; });
    }
    // The lookup table lines a bitmap's palette gives.
    static std::vector<std::string> LutLines(const BmpFile &bmp)
    {
        std::vector<std::string> lines = {"SLUT 0", "LUTE", "LMAX 255"};
        for (size_t i = 0; i < bmp.palette.size(); ++i) {
            const uint32_t c = bmp.palette[i];
            lines.push_back("RGBW " + std::to_string(i) + " " + std::to_string(c >> 16 & 0xFF) + " "
                            + std::to_string(c >> 8 & 0xFF) + " " + std::to_string(c & 0xFF));
        }
        return lines;
    }

    gensim::test::DriverSocketPath socket;
    gensim::Simulator sim;
    gensim::StreamCard *stream = nullptr;
    std::unique_ptr<CMainWindow> window;
    CImageDownloadDlg *tool = nullptr;
};

TEST_F(ImageDownloadSimTest, SelectionAndValidation)
{
    const QString bmp8 = WriteBitmap(Picture(16, 4, 8), "p8.bmp");
    const QString bmp4 = WriteBitmap(Picture(16, 4, 4), "p4.bmp");
    const QString bmp1 = WriteBitmap(Picture(16, 4, 1), "p1.bmp");
    const struct Row {
        const char *name;
        Port port;
        int videoDepth;      // PELD? GE
        const char *vbpr;    // VBPR (three-board models)
        const QString *bmp;
        bool uncheckBoards;
        unsigned status;
        QColor colour;
        bool download;
        const char *depthShown;
    } rows[] = {
        {"8 on 8", kCom1, 8, nullptr, &bmp8, false, IDS_IMGDL_OK, CImageDownloadDlg::kGreen, true, "8"},
        {"4 on 8", kCom1, 8, nullptr, &bmp4, false, IDS_IMGDL_OK, CImageDownloadDlg::kGreen, true, "8"},
        {"8 on 4", kCom1, 4, nullptr, &bmp8, false, IDS_IMGDL_DEPTH_MISMATCH, CImageDownloadDlg::kRed, false, "4"},
        {"8 on unknown", kCom1, 0, nullptr, &bmp8, false, IDS_IMGDL_DEPTH_MISMATCH, CImageDownloadDlg::kRed, false,
         "Unknown"},
        {"4 on unknown", kCom1, 0, nullptr, &bmp4, false, IDS_IMGDL_OK, CImageDownloadDlg::kGreen, true, "Unknown"},
        {"1 bit", kCom1, 8, nullptr, &bmp1, false, IDS_IMGDL_ONLY_4_OR_8, CImageDownloadDlg::kRed, false, "8"},
        {"old firmware", kCom3, 8, nullptr, &bmp4, false, IDS_IMGDL_OLD_FIRMWARE, CImageDownloadDlg::kRed, false, "8"},
        {"three boards", kCom2, 8, "1 1 1", &bmp4, false, IDS_IMGDL_OK, CImageDownloadDlg::kGreen, true, "36"},
        {"three boards, 8 bits", kCom2, 8, "1 1 1", &bmp8, false, IDS_IMGDL_DEPTH_MISMATCH, CImageDownloadDlg::kRed,
         false, "36"},
        {"lower-case model", kCom4, 8, "0 1 0", &bmp4, false, IDS_IMGDL_OK, CImageDownloadDlg::kGreen, true, "36"},
        {"no boards", kCom2, 8, "0 0 0", &bmp4, false, IDS_IMGDL_NO_BOARDS, CImageDownloadDlg::kRed, false, "36"},
        {"none checked", kCom2, 8, "1 0 1", &bmp4, true, IDS_IMGDL_NO_BOARD_SELECTED, CImageDownloadDlg::kRed, false,
         "36"},
        {"PCI", kPci1, 8, nullptr, &bmp8, false, IDS_IMGDL_OK, CImageDownloadDlg::kGreen, true, "8"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Gen(row.port).setVideoDepth(row.videoDepth);
        if (row.vbpr)
            Gen(row.port).setVideoBoards(row.vbpr[0] == '1', row.vbpr[2] == '1', row.vbpr[4] == '1');
        // The bitmap first: a generator that is no valid one keeps its status.
        Combo().setCurrentIndex(-1);
        Browse(*row.bmp);
        Select(row.port);
        if (row.uncheckBoards)
            for (int id : {IDC_IMGDL_RED, IDC_IMGDL_GREEN, IDC_IMGDL_BLUE})
                if (Box(id).isChecked())
                    Box(id).click();
        EXPECT_EQ(tool->StatusText(), LoadString(row.status));
        EXPECT_EQ(tool->StatusColour(), row.colour);
        EXPECT_EQ(Button(IDC_IMGDL_DOWNLOAD).isEnabled(), row.download);
        EXPECT_EQ(Text(IDC_IMGDL_SCREEN_DEPTH), QString::fromLatin1(row.depthShown));
        if (row.vbpr && row.status != IDS_IMGDL_NO_BOARDS && !row.uncheckBoards) {
            const std::string v = row.vbpr;
            EXPECT_EQ(Box(IDC_IMGDL_RED).isChecked(), v[0] == '1');
            EXPECT_EQ(Box(IDC_IMGDL_GREEN).isChecked(), v[2] == '1');
            EXPECT_EQ(Box(IDC_IMGDL_BLUE).isChecked(), v[4] == '1');
        }
        EXPECT_EQ(Box(IDC_IMGDL_USE_DMA).isEnabled(), row.port == kPci1 && row.status == IDS_IMGDL_OK);
        EXPECT_EQ(Box(IDC_IMGDL_USE_YMODEM).isEnabled(), row.port != kPci1 && row.status != IDS_IMGDL_OLD_FIRMWARE
                                                             && row.status != IDS_IMGDL_NO_BOARDS);
    }
    Combo().setCurrentIndex(-1);
    EXPECT_EQ(tool->StatusText(), LoadString(IDS_IMGDL_NO_GENERATOR));
    // A 24-bit bitmap is refused for a single-board generator.
    Select(kCom1);
    Browse(WriteBitmap(Picture(4, 4, 24), "p24.bmp"), IDS_IMGDL_DEPTH_TOO_DEEP);
    EXPECT_EQ(tool->StatusText(), LoadString(IDS_IMGDL_NO_IMAGE));
    EXPECT_EQ(Text(IDC_IMGDL_PATH), QStringLiteral(" "));
    EXPECT_FALSE(Button(IDC_IMGDL_DOWNLOAD).isEnabled());
    Browse(TempPath("picture.txt"), IDS_IMGDL_BAD_FILE_TYPE);
    // The selected generator goes: its row with it, and no generator is valid.
    Browse(WriteBitmap(Picture(16, 4, 8), "again.bmp"));
    ASSERT_TRUE(Button(IDC_IMGDL_DOWNLOAD).isEnabled());
    tool->RemoveGenerator(&View(kCom1));
    EXPECT_EQ(Combo().count(), 4);
    EXPECT_EQ(tool->StatusText(), LoadString(IDS_IMGDL_NO_GENERATOR));
    EXPECT_FALSE(Button(IDC_IMGDL_DOWNLOAD).isEnabled());
}

TEST(ImageDownloadPitchTest, PitchesOfTheSerialDownloads)
{
    EXPECT_EQ(CImageDownloadDlg::SerialPitch(8, 640), 1024u);
    EXPECT_EQ(CImageDownloadDlg::SerialPitch(4, 640), 512u);
    EXPECT_EQ(CImageDownloadDlg::SerialPitch(1, 640), 128u);
    EXPECT_EQ(CImageDownloadDlg::BoardPitch(800), 1024u);
}

// 8 bits at (X, Y) to COM1, by the stream card and byte by byte: the rows
// as stored at pitch x Y + X, the exact command trace, the palette as LUT.
TEST_F(ImageDownloadSimTest, SerialEightBitsByCardAndByBytes)
{
    const BmpFile bmp = Picture(20, 6, 8);
    Select(kCom1);
    Browse(WriteBitmap(bmp));
    ASSERT_TRUE(Button(IDC_IMGDL_DOWNLOAD).isEnabled());
    Place(3, 2);
    const int hres = Text(IDC_IMGDL_SCREEN_WIDTH).toInt();
    const uint64_t pitch = CImageDownloadDlg::SerialPitch(8, hres);
    for (const bool bytes : {false, true}) {
        SCOPED_TRACE(bytes ? "bytes" : "card");
        if (Box(IDC_IMGDL_USE_YMODEM).isChecked() != bytes)
            Box(IDC_IMGDL_USE_YMODEM).click();
        const size_t mark = Gen(kCom1).trace().size();
        const uint64_t taken = stream->bytesTaken();
        Button(IDC_IMGDL_DOWNLOAD).click();
        std::vector<std::string> expected = {"OUTG 0 0", "ALLU", "BDMA " + std::to_string(pitch * 2 + 3) + " 20 6 0",
                                             "SERM DMA", "OUTG 1 0", "ALLU"};
        const std::vector<std::string> lut = LutLines(bmp);
        expected.insert(expected.end(), lut.begin(), lut.end());
        EXPECT_EQ(LinesSince(kCom1, mark), expected);
        EXPECT_EQ(stream->bytesTaken() - taken, bytes ? 0u : 20u * 6u);
        for (int y = 0; y < 6; ++y) {
            const std::vector<uint8_t> row = Gen(kCom1).videoBytes(0, pitch * uint64_t(2 + y) + 3, 20);
            for (int x = 0; x < 20; ++x)
                ASSERT_EQ(row[size_t(x)], PixelIndex(x, y, 8)) << x << "," << y;
        }
        const auto table = Gen(kCom1).lut();
        for (size_t i = 0; i < bmp.palette.size(); ++i) {
            const uint32_t c = bmp.palette[i];
            ASSERT_EQ(table[i], (c >> 16 & 0xFF) | (c & 0xFF00) | (c & 0xFF) << 16) << i;
        }
    }
}

// 4 bits at depth 4: the stored bytes with their nibbles swapped (the left
// pixel in the low nibble).
TEST_F(ImageDownloadSimTest, SerialFourBitsSwapNibbles)
{
    Gen(kCom1).setVideoDepth(4);
    Select(kCom1);
    Browse(WriteBitmap(Picture(16, 3, 4)));
    ASSERT_TRUE(Button(IDC_IMGDL_DOWNLOAD).isEnabled());
    Box(IDC_IMGDL_USE_YMODEM).click();
    Button(IDC_IMGDL_DOWNLOAD).click();
    const uint64_t pitch = CImageDownloadDlg::SerialPitch(4, Text(IDC_IMGDL_SCREEN_WIDTH).toInt());
    for (int y = 0; y < 3; ++y) {
        const std::vector<uint8_t> row = Gen(kCom1).videoBytes(0, pitch * uint64_t(y), 8);
        for (int x = 0; x < 16; x += 2)
            EXPECT_EQ(row[size_t(x / 2)], PixelIndex(x + 1, y, 4) << 4 | PixelIndex(x, y, 4)) << x << "," << y;
    }
}

// Red and Blue of a three-board generator: SBNK around two blocks, each
// board holding that colour plane of the bitmap.
TEST_F(ImageDownloadSimTest, ThreeBoardsRedAndBlue)
{
    const BmpFile bmp = Picture(12, 5, 4);
    Gen(kCom2).setVideoBoards(true, true, true);
    Select(kCom2);
    Browse(WriteBitmap(bmp));
    Box(IDC_IMGDL_GREEN).click();
    ASSERT_TRUE(Button(IDC_IMGDL_DOWNLOAD).isEnabled());
    Box(IDC_IMGDL_USE_YMODEM).click(); // the stream card is COM1's
    Place(4, 1);
    const size_t mark = Gen(kCom2).trace().size();
    Button(IDC_IMGDL_DOWNLOAD).click();
    const uint64_t pitch = CImageDownloadDlg::BoardPitch(Text(IDC_IMGDL_SCREEN_WIDTH).toInt());
    const std::vector<std::string> sent = LinesSince(kCom2, mark);
    const std::string bdma = "BDMA " + std::to_string(4 + pitch) + " 12 5 ";
    const std::vector<std::string> expected = {"SBNK", "OUTG 0 0", "ALLU", bdma + "0", "SERM DMA",
                                               bdma + "2", "SERM DMA", "OUTG 1 0", "ALLU", "SBNK"};
    EXPECT_EQ(sent, expected);
    EXPECT_FALSE(Gen(kCom2).boardMode());
    for (const int board : {0, 2}) {
        for (int y = 0; y < 5; ++y) {
            const std::vector<uint8_t> row = Gen(kCom2).videoBytes(board, pitch * uint64_t(1 + y) + 4, 12);
            for (int x = 0; x < 12; ++x) {
                const uint32_t colour = bmp.palette[size_t(PixelIndex(x, y, 4))];
                const int shift = board == 0 ? 16 : 0; // palette rows are 0x00RRGGBB
                ASSERT_EQ(row[size_t(x)], colour >> shift & 0xFF) << board << ":" << x << "," << y;
            }
        }
    }
    EXPECT_EQ(Gen(kCom2).videoBytes(1, pitch + 4, 1)[0], 0);
}

TEST_F(ImageDownloadSimTest, PciByMailboxAndByWindow)
{
    const BmpFile bmp = Picture(24, 5, 8);
    Select(kPci1);
    Browse(WriteBitmap(bmp));
    ASSERT_TRUE(Button(IDC_IMGDL_DOWNLOAD).isEnabled());
    gensim::PciCard &card = *sim.driverEndpoint()->pciCard(0);
    const uint64_t pitch = CBitmapReader::PciPitch(Text(IDC_IMGDL_SCREEN_WIDTH).toInt());
    for (const bool dma : {false, true}) {
        SCOPED_TRACE(dma ? "window" : "mailbox");
        if (Box(IDC_IMGDL_USE_DMA).isChecked() != dma)
            Box(IDC_IMGDL_USE_DMA).click();
        Place(dma ? 6 : 2, dma ? 3 : 1);
        Button(IDC_IMGDL_DOWNLOAD).click();
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 24; ++x) {
                const uint32_t a = uint32_t(pitch * uint64_t((dma ? 3 : 1) + y) + uint64_t((dma ? 6 : 2) + x));
                ASSERT_EQ(uint8_t(card.word(a & ~3u) >> (8 * (a & 3))), PixelIndex(x, y, 8)) << x << "," << y;
            }
    }
}

TEST_F(ImageDownloadSimTest, FailuresSendNothingOrStopAtTheTransfer)
{
    const BmpFile bmp = Picture(20, 6, 8);
    Select(kCom1);
    Browse(WriteBitmap(bmp));
    ASSERT_TRUE(Button(IDC_IMGDL_DOWNLOAD).isEnabled());

    // No stream card to be had: "Failed!" and nothing sent.
    stream->setFaults({.refuseRegistration = true});
    size_t mark = Gen(kCom1).trace().size();
    prompter.ExpectMessage(PromptMatch::Id(IDS_IMGDL_FAILED), IDOK);
    Button(IDC_IMGDL_DOWNLOAD).click();
    EXPECT_FALSE(Has(LinesSince(kCom1, mark), "OUTG"));
    EXPECT_FALSE(Has(LinesSince(kCom1, mark), "BDMA"));

    // A transfer failing midway: nothing after "SERM DMA".
    const size_t held = sim.driverEndpoint()->registrations();
    stream->setFaults({.failTransfer = 0});
    mark = Gen(kCom1).trace().size();
    prompter.ExpectMessage(PromptMatch::Id(IDS_IMGDL_FAILED), IDOK);
    Button(IDC_IMGDL_DOWNLOAD).click();
    std::vector<std::string> sent = LinesSince(kCom1, mark);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), "SERM DMA");
    stream->setFaults({});
    EXPECT_EQ(sim.driverEndpoint()->registrations(), held) << "the card is released";

    // The board file cannot be written: the text, nothing sent.
    QFile::remove(TempPath("ClrImg.mem"));
    ASSERT_TRUE(QDir(tempDir.path()).mkdir(QStringLiteral("ClrImg.mem")));
    Box(IDC_IMGDL_USE_YMODEM).click();
    mark = Gen(kCom1).trace().size();
    prompter.ExpectMessage(PromptMatch::Id(IDS_CANNOT_OPEN), IDOK);
    Button(IDC_IMGDL_DOWNLOAD).click();
    EXPECT_EQ(LinesSince(kCom1, mark), std::vector<std::string>{});
    ASSERT_TRUE(QDir(tempDir.path()).rmdir(QStringLiteral("ClrImg.mem")));

    // Off the screen: a box, nothing sent.
    Place(Text(IDC_IMGDL_SCREEN_WIDTH).toInt() - 10, 0);
    mark = Gen(kCom1).trace().size();
    prompter.ExpectMessage(PromptMatch::Id(IDS_IMGDL_OFF_SCREEN), IDOK);
    Button(IDC_IMGDL_DOWNLOAD).click();
    EXPECT_EQ(LinesSince(kCom1, mark), std::vector<std::string>{});
}

// While the bytes go, the view is busy: its Disconnect is refused, and the
// Cancel of the progress ends the download without "Failed!".
TEST_F(ImageDownloadSimTest, BusyDuringTheDownloadAndCancelInTheBytePath)
{
    const BmpFile bmp = Picture(400, 200, 8);
    Select(kCom1);
    Browse(WriteBitmap(bmp));
    Box(IDC_IMGDL_USE_YMODEM).click();
    bool sawBusy = false;
    bool cancelled = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (cancelled || !View(kCom1).IsBusy())
            return;
        sawBusy = true;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *progress = dynamic_cast<CProgressDlg *>(w); progress && progress->IsOpen()
                && progress->CancelButton()) {
                cancelled = true;
                progress->CancelButton()->click();
            }
    });
    poll.start();
    Button(IDC_IMGDL_DOWNLOAD).click();
    poll.stop();
    EXPECT_TRUE(sawBusy);
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(View(kCom1).IsBusy());
    for (const PromptRecord &message : prompter.Messages())
        EXPECT_NE(message.textId, unsigned(IDS_IMGDL_FAILED));
}

TEST_F(ImageDownloadSimTest, CompressAndDecompress)
{
    tool->OnCompress(); // nothing without a bitmap
    const QString path = WriteBitmap(Picture(64, 64, 8), "tiny.bmp");
    Select(kCom1);
    Browse(path);
    prompter.AllowMessage(PromptMatch::Caption(QStringLiteral("Finished Compression")), IDOK);
    tool->OnCompress();
    EXPECT_TRUE(QFile::exists(TempPath("tiny.xrf")));

    // A stream the codec made of a 64 x 64 plane, and that stream decoded.
    const QString raw = TempPath("plane.raw");
    const QString fic = TempPath("plane.fic");
    ASSERT_TRUE(::WriteFile(raw, TestPlane(64, 64)));
    CFractalCodec encoder;
    encoder.SetFiles(raw, fic, 0);
    ASSERT_EQ(encoder.Compress(nullptr, {.tolerance = 8.0, .rowLength = 64, .rowCount = 64, .deepDepth = 6,
                                         .shallowDepth = 4, .domainStep = 1, .scaleBits = 5, .offsetBits = 7,
                                         .scaleLimit = 1.0}),
              0);
    CFractalCodec reference;
    reference.SetFiles(fic, TempPath("reference.dat"), 0);
    ASSERT_EQ(reference.Decompress(nullptr, 1, 1, 10, 1.0, 5, 7), 0);
    prompter.ExpectFile(PromptMatch{}, FileResult{true, {fic}, 1});
    prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("Success: %1 bytes").arg(reference.AllocatedBytes())), IDOK);
    tool->OnDecompress();
    EXPECT_EQ(::ReadFile(TempPath("plane0.dat")), ::ReadFile(TempPath("reference.dat")));
    const QByteArray coded = ::ReadFile(fic);

    const QString cut = TempPath("cut.fic");
    ASSERT_TRUE(::WriteFile(cut, coded.left(coded.size() / 3)));
    prompter.ExpectFile(PromptMatch{}, FileResult{true, {cut}, 1});
    prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("Failure: 200")), IDOK);
    tool->OnDecompress();
}

TEST_F(ImageDownloadSimTest, Screenshot)
{
    Gen(kCom2).setVideoBoards(true, false, true);
    Select(kCom2);
    Browse(WriteBitmap(Picture(64, 48, 4)));
    tool->raise();
    QCoreApplication::processEvents();
    SaveScreenshot(*tool, QStringLiteral("image-download-three-boards"));
}

} // namespace
