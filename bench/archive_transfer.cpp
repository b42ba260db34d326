// Extraction and restore of a full generator of firmware 2.981 (format
// 21600, image about 24000, sequence about 50000 bytes, a directory and the
// path table), both ways it can go in one run:
// - over COM at 115200 baud on a paced line (each character its 10 bits),
//   against the line time of the YMODEM blocks and answers;
// - over ISA, file by file through the host port, against a bare
//   GspRead/GspWrite loop of the same number of calls on the port thread,
//   with the number of calls (hops to the card) of each.
// The 3 s a called unpack routine is given are left out (the waits are
// the firmware's, not the transfer's) and reported apart.
//
//   build/bench/bench_archive_transfer

#include "CGenerator.h"
#include "LinkRoutines.h"
#include "PortBackend.h"
#include "PortWorker.h"
#include "ToolLibrary.h"

#include "gensim/MemoryImage.h"
#include "gensim/Simulator.h"

#include <morvane.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 115200;
const char* const kFiles[] = {"format.mem", "image.mem", "sequence.mem", "dir.mem", "path.mem"};

double Since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The library's own calls, counting the host-port ones.
class CountingLibrary : public ToolLibrary {
public:
    CountingLibrary() : m_previous(InstallToolLibrary(this)) {}
    ~CountingLibrary() override { InstallToolLibrary(m_previous); }
    uint16_t GspRead(uint32_t address) override
    {
        ++reads;
        return ToolLibrary::GspRead(address);
    }
    int32_t GspWrite(uint32_t address, uint32_t value) override
    {
        ++writes;
        return ToolLibrary::GspWrite(address, value);
    }
    std::atomic<long> reads{0};
    std::atomic<long> writes{0};

private:
    ToolLibrary* m_previous;
};

// The library, without the waits for a called routine; they are counted.
class NoWaits : public PortBackend {
public:
    NoWaits() : m_previous(InstallPortBackend(this)) {}
    ~NoWaits() override { InstallPortBackend(m_previous); }
    void Pause(int ms) override { skipped += ms; }
    long skipped = 0;

private:
    PortBackend* m_previous;
};

// A full store: 300 formats, images and sequences up to their sizes.
void Fill(gensim::Generator& g)
{
    for (int i = 0; i < 300; ++i) {
        gensim::StoredItem format{"fmt" + std::to_string(i)};
        format.fields = {{"HRES", "800"}, {"VRES", "600"}, {"HRAT", "46875"}, {"SCAN", "1"}};
        g.seed(gensim::ItemKind::Format, format);
    }
    for (int i = 0; i < 30; ++i) {
        gensim::StoredItem image{"img" + std::to_string(i)};
        for (int p = 0; p < 195; ++p)
            image.record += std::string("\x08\x00\x01\x00", 4); // dots
        g.seed(gensim::ItemKind::Image, image);
    }
    for (int i = 0; i < 40; ++i) {
        gensim::StoredItem sequence{"seq" + std::to_string(i)};
        for (int s = 0; s < 52; ++s) {
            gensim::SequenceStep step;
            step.format = "fmt1";
            step.image = "img1";
            step.delay = 1.0;
            sequence.steps.push_back(step);
        }
        g.seed(gensim::ItemKind::Sequence, sequence);
    }
    gensim::StoredItem directory{"dirA"};
    directory.entries = {"fmt1", "fmt2", "fmt3"};
    g.seed(gensim::ItemKind::Directory, directory);
    g.execute("*OPC?"); // a build before 3.0 keeps its memory current after a line
}

// Characters on the line both ways for a file in 1K blocks (the rest in
// 128-byte ones): header, blocks, EOT and their answers.
double LineCharacters(long size)
{
    const long longBlocks = size / 1024;
    const long shortBlocks = (size % 1024 + 127) / 128;
    return double(133 + longBlocks * 1029 + shortBlocks * 133 + 1) + double(1 + 2 + longBlocks + shortBlocks + 1);
}

long FolderBytes(const QString& folder, double& line)
{
    long total = 0;
    line = 0;
    for (const char* name : kFiles) {
        const long size = long(QFile(folder + name).size());
        total += size;
        line += LineCharacters(size) * 10.0 / kRate;
    }
    line += 133.0 * 10.0 / kRate; // the empty header that ends the batch
    return total;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QTemporaryDir top;
    const std::string socket = top.path().toStdString() + "/windrvr";
    setenv("MORVANE_WINDRVR", socket.c_str(), 1);
    gensim::Simulator sim;
    sim.openDriver(socket);
    gensim::Generator& com = sim.addGenerator({.model = "VG-7000", .firmware = "2.981", .serial = "1",
                                               .baudRate = kRate, .link = "", .lineTime = true});
    gensim::Generator& card = sim.addGenerator({.model = "VG-7000", .firmware = "2.981", .serial = "2",
                                                .link = "", .pty = false, .isaSlot = 0});
    Fill(com);
    Fill(card);
    sim.start();

    // --- COM --------------------------------------------------------------------------
    setenv("MORVANE_COM1", com.comPath().c_str(), 1);
    PortId port = 0;
    PortWorker::Run([&] {
        port = XR_PortOpen("com1");
        if (port != 0)
            XR_PortSetRate(port, kRate);
    });
    if (port == 0) {
        std::fprintf(stderr, "com1 did not open\n");
        return 1;
    }
    {
        CGenerator generator(nullptr, port);
        generator.SetFirmwareVersion(2.981);
        const QString folder = top.path() + "/com/";
        QDir().mkpath(folder);
        Clock::time_point start = Clock::now();
        generator.FlushPort();
        const bool asked = generator.CmdYmdo("format.mem image.mem sequence.mem dir.mem path.mem ");
        const int received = asked ? generator.YmodemReceive(folder, nullptr) : 0;
        const double extract = Since(start);
        double line = 0;
        const long bytes = FolderBytes(folder, line);
        std::printf("COM 115200, extraction: %d files, %ld bytes, %.2f s, line time %.2f s, ratio %.2f\n", received,
                    bytes, extract, line, extract / line);
        QStringList paths;
        for (const char* name : kFiles)
            paths << folder + name;
        QString error;
        start = Clock::now();
        const bool sent = generator.CmdYmdi() && generator.YmodemSend(paths, nullptr, error);
        const double restore = Since(start);
        std::printf("COM 115200, restore:    %s, %.2f s, line time %.2f s, ratio %.2f%s\n",
                    sent ? "sent" : "FAILED", restore, line, restore / line,
                    com.errorCount() == 0 ? "" : ", the generator refused a file");
    }

    // --- ISA --------------------------------------------------------------------------
    PortId isa = 0;
    PortWorker::Run([&] { isa = XR_PortOpen("isa0"); });
    if (isa == 0) {
        std::fprintf(stderr, "isa0 did not open\n");
        return 1;
    }
    CGenerator generator(nullptr, isa);
    generator.SetFirmwareVersion(2.981);
    const QString folder = top.path() + "/isa/";
    QDir().mkpath(folder);
    CountingLibrary counting;
    Clock::time_point start = Clock::now();
    const bool extracted = generator.ExtractFormatMemory(folder, nullptr) && generator.ExtractImageMemory(folder, nullptr)
                           && generator.ExtractSequenceMemory(folder, nullptr)
                           && generator.ExtractDirAndPath(folder, nullptr);
    const double extract = Since(start);
    const long extractReads = counting.reads;
    double unused = 0;
    const long bytes = FolderBytes(folder, unused);

    NoWaits noWaits;
    counting.reads = 0;
    start = Clock::now();
    bool restored = true;
    for (const char* name : kFiles)
        restored = restored && generator.RestoreMemoryFiles(folder, name, nullptr);
    const double restore = Since(start);
    const long restoreReads = counting.reads;
    const long restoreWrites = counting.writes;

    // The same calls bare, in one unit on the port thread.
    const uint32_t scratch = generator.GetIsaMemoryMap().imageData;
    start = Clock::now();
    PortWorker::Run([&] {
        XR_PortPrepare(isa);
        for (long i = 0; i < extractReads; ++i)
            GspRead(scratch + uint32_t(i % 1024) * 16);
    });
    const double bareExtract = Since(start);
    start = Clock::now();
    PortWorker::Run([&] {
        XR_PortPrepare(isa);
        for (long i = 0; i < restoreReads; ++i)
            GspRead(scratch + uint32_t(i % 1024) * 16);
        for (long i = 0; i < restoreWrites; ++i)
            GspWrite(scratch + uint32_t(i % 1024) * 16, uint32_t(i));
    });
    const double bareRestore = Since(start);
    std::printf("ISA, extraction: %s, %ld bytes, %.3f s, %ld hops (reads); bare loop %.3f s, ratio %.2f\n",
                extracted ? "done" : "FAILED", bytes, extract, extractReads, bareExtract, extract / bareExtract);
    std::printf("ISA, restore:    %s, %.3f s, %ld hops (%ld reads, %ld writes); bare loop %.3f s, ratio %.2f; "
                "unpack waits left out %.1f s\n",
                restored ? "done" : "FAILED", restore, restoreReads + restoreWrites, restoreReads, restoreWrites,
                bareRestore, restore / bareRestore, noWaits.skipped / 1000.0);
    (void)card;
    return extracted && restored ? 0 : 1;
}
