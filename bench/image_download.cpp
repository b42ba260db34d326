// The Image Download tool's transfers of a 640 x 480 x 8 bitmap against the
// simulator in this process, each beside its floor in the same run:
// - the serial byte path (CGenerator::SendFile) at 115200 on a paced line,
//   against the line time of its bytes;
// - the maker's stream card, the PCI mailbox and the PCI memory window,
//   each against a memcpy of the same bytes;
// - the lookup table (SLUT, LUTE, LMAX and 256 RGBW) on the paced COM line
//   and on the PCI card's character channel, against the line time of the
//   characters each carries.
//
//   build/bench/bench_image_download [runs]

#include "BenchSupport.h"
#include "BitmapFixtures.h"
#include "CBitmapReader.h"
#include "CGenerator.h"
#include "CardStream.h"
#include "Numbers.h"
#include "Profile.h"
#include "ProfileKeys.h"
#include "Prompts.h"

#include "gensim/Simulator.h"

#include <morvane.h>

#include <QApplication>
#include <QDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kRate = 115200;

std::string PrepareEnvironment()
{
    char folder[] = "/tmp/zot-bench-XXXXXX";
    if (!mkdtemp(folder))
        return {};
    setenv("XDG_CONFIG_HOME", folder, 1);
    setenv("XDG_DATA_HOME", folder, 1);
    setenv("MORVANE_WINDRVR", (std::string(folder) + "/windrvr").c_str(), 1);
    if (!getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return folder;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double Time(const std::function<void()> &work)
{
    const auto t0 = Clock::now();
    work();
    return Seconds(t0);
}

// The floor of a memory transfer: the same bytes copied, best of a few.
double MemcpySeconds(size_t bytes)
{
    std::vector<uint8_t> from(bytes, 0x5A), to(bytes);
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        best = std::min(best, Time([&] { std::memcpy(to.data(), from.data(), bytes); }));
        from[i] = to[bytes - 1 - size_t(i)];
    }
    return best;
}

// Waits until the generator holds blocks whole blocks (a paced line still
// carries bytes after the host wrote them); false after a minute.
bool WaitForBlocks(gensim::Generator &g, size_t blocks)
{
    const auto until = Clock::now() + std::chrono::seconds(60);
    while (g.finishedDma().size() < blocks) {
        if (Clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void Line(const char *what, double seconds, double floor, const char *floorName)
{
    std::printf("%-34s %9.4f s   %-10s %9.6f s   ratio %8.1f\n", what, seconds, floorName, floor,
                floor > 0 ? seconds / floor : 0.0);
}

// The serial download file: the stored rows, as the tool writes it.
QByteArray DownloadFile(const QString &bitmap, const QString &path)
{
    CBitmapReader reader;
    if (!reader.Open(bitmap))
        return {};
    FILE *f = std::fopen(QFile::encodeName(path).constData(), "wb");
    reader.WritePlaneFile(f, nullptr, false, 0);
    std::fclose(f);
    return ReadFile(path);
}

} // namespace

int main(int argc, char **argv)
{
    const std::string folder = PrepareEnvironment();
    if (folder.empty())
        return 1;
    QApplication app(argc, argv);
    SetNumericLocale();
    BenchPrompter prompter;
    prompter.otherDialogs = IDOK;
    InstallPrompter(&prompter);
    WriteProfileString(ProfileKeys::kFolders, ProfileKeys::kProgram, QString::fromStdString(folder));
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    gensim::Simulator sim;
    sim.openDriver(folder + "/windrvr");
    gensim::Generator &com = sim.addGenerator(BenchGenerator(kRate, kBenchLines[1]));
    gensim::Generator &pci = sim.addGenerator({.model = "VG-7000", .firmware = "7.045", .serial = "2", .link = "",
                                               .pty = false, .pciCard = true});
    gensim::StreamCard &stream = sim.driverEndpoint()->addStreamCard(com);
    sim.start();
    setenv("MORVANE_COM1", com.comPath().c_str(), 1);

    // The bitmap and its download file.
    BmpFile bmp;
    bmp.width = kWidth;
    bmp.height = kHeight;
    bmp.palette.assign(256, 0);
    for (int i = 0; i < 256; ++i)
        bmp.palette[size_t(i)] = uint32_t(i * 0x010101);
    bmp.pixels = TestPicture(kWidth, kHeight).left(kWidth * kHeight);
    const QString bitmap = QDir(QString::fromStdString(folder)).filePath("bench.bmp");
    WriteFile(bitmap, bmp.Bytes());
    const QString filePath = QDir(QString::fromStdString(folder)).filePath("ClrImg.mem");
    const QByteArray file = DownloadFile(bitmap, filePath);
    const size_t bytes = size_t(file.size());
    std::printf("640 x 480 x 8 bitmap: %zu bytes a download, %d run(s), median\n\n", bytes, runs);
    const double copy = MemcpySeconds(bytes);
    const std::string dma = "HRES 640;BDMA 0 640 480 0;SERM DMA";

    // Serial: the byte path on the paced line.
    const PortId comPort = XR_PortOpen("com1"); // at 2400: the handshake fails there
    XR_PortSetRate(comPort, kRate);
    CGenerator serial(nullptr, comPort);
    {
        std::vector<double> s;
        for (int i = 0; i < runs; ++i) {
            com.execute(dma);
            FILE *f = std::fopen(QFile::encodeName(filePath).constData(), "rb");
            const size_t blocks = com.finishedDma().size();
            s.push_back(Time([&] {
                serial.SendFile(f, nullptr);
                WaitForBlocks(com, blocks + 1);
            }));
            std::fclose(f);
        }
        Line("serial bytes at 115200 (paced)", Median(s), LineTime(double(bytes), kRate), "line time");
    }
    // The stream card.
    {
        std::vector<double> s;
        for (int i = 0; i < runs; ++i) {
            com.execute(dma);
            CardStream card;
            if (!card.Open()) {
                std::printf("stream card: not opened\n");
                break;
            }
            FILE *f = std::fopen(QFile::encodeName(filePath).constData(), "rb");
            const size_t blocks = com.finishedDma().size();
            s.push_back(Time([&] { card.Send(f, nullptr); }));
            std::fclose(f);
            if (!WaitForBlocks(com, blocks + 1))
                std::printf("stream card: the block did not arrive whole\n");
        }
        Line("stream card", Median(s), copy, "memcpy");
        std::printf("%-34s %llu bytes taken\n", "", static_cast<unsigned long long>(stream.bytesTaken()));
    }
    // PCI: the mailbox and the window.
    CGenerator card(nullptr, PciOpen("pci1"));
    CBitmapReader reader;
    reader.Open(bitmap);
    for (const bool window : {false, true}) {
        std::vector<double> s;
        for (int i = 0; i < runs; ++i)
            s.push_back(Time([&] { reader.WriteToPciMemory(&card, nullptr, 0, 0, kWidth, kHeight, window); }));
        Line(window ? "PCI memory window" : "PCI mailbox", Median(s), copy, "memcpy");
    }
    // The lookup table on each port.
    std::vector<uint32_t> lut;
    reader.ReadColorTable(lut);
    for (CGenerator *gen : {&serial, &card}) {
        gensim::Generator &g = gen == &serial ? com : pci;
        std::vector<double> s;
        Figures figures;
        for (int i = 0; i < runs; ++i) {
            g.trace().clear();
            s.push_back(Time([&] {
                gen->CmdSlut(0);
                gen->CmdLute();
                gen->CmdLmax(255);
                for (size_t k = 0; k < lut.size(); ++k)
                    gen->CmdRgbwColor(int(k), lut[k]);
            }));
        }
        figures.Count(g.trace().entries());
        Line(gen == &serial ? "LUT on COM at 115200 (paced)" : "LUT on PCI (character channel)", Median(s),
             LineTime(double(figures.Characters()), kRate), "line time");
    }
    return 0;
}
