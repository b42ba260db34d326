// Card memory against what one driver round trip per access would cost
// (measured in the same run):
// - ISA: words per second of GspWrite and GspRead, one IsaInitialize, and the
//   processor time while a command waits on a card that stays silent;
// - PCI: bytes per second through the memory window (8 MB each way) and
//   through the mailbox streams (PciWriteBuffer, PciReadBuffer,
//   PciWriteInt32), each against a round trip per 4 bytes, and the processor
//   time while a mailbox command waits on a card that never acknowledges.
//
//   build/bench/bench_card_memory [words] [stream bytes]

#include "morvane.h"

#include "DriverClient.h"
#include "ProcessTimes.h"
#include "gensim/Simulator.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kCpuLimit = 0.02;
constexpr uint32_t kWindowBytes = 8u << 20;
constexpr uint32_t kSram = 0xFFF00000;

// The floor the card models avoid: a round trip for every access.
double RoundTripSeconds(driver::DriverClient& probe)
{
    const int trips = 20000;
    Measure time;
    for (int i = 0; i < trips; ++i)
        probe.Version();
    return time.Wall() / trips;
}

bool IsaFigures(gensim::Generator& g, PortId id, int words, double perTrip)
{
    XR_PortPrepare(id);
    Measure writeTime;
    for (int i = 0; i < words; ++i)
        GspWrite(0xFF000000u + 16u * uint32_t(i % 0x20000), uint32_t(i));
    const double perWrite = writeTime.Wall() / words;
    Measure readTime;
    unsigned sum = 0;
    for (int i = 0; i < words; ++i)
        sum += GspRead(0xFF000000u + 16u * uint32_t(i % 0x20000));
    const double perRead = readTime.Wall() / words;

    Measure initTime;
    const int reset = IsaInitialize(id);
    const double init = initTime.Wall();
    const double initAccesses = 65537 + 23;

    std::printf("GspWrite: %10.0f words/s, %7.0f x a round trip per word\n", 1.0 / perWrite, perTrip / perWrite);
    std::printf("GspRead:  %10.0f words/s, %7.0f x a round trip per word (sum %u)\n", 1.0 / perRead,
                perTrip / perRead, sum);
    std::printf("IsaInitialize: %.1f ms (%s), %.0f x %.0f round trips\n", init * 1e3, reset ? "done" : "failed",
                initAccesses * perTrip / init, initAccesses);

    // A silent card: the first character's echo is waited for in full.
    g.fault(gensim::Fault::silence(gensim::Fault::kForever));
    char reply[100];
    Measure waiting;
    XR_PortSendCommand(id, "HRES?", reply, sizeof reply);
    const double cpuShare = waiting.Cpu() / waiting.Wall();
    std::printf("waiting on a silent ISA card: error %d after %.2f s, processor %.4f s (%.2f%%, limit 2%%)\n",
                XR_PortGetError(), waiting.Wall(), waiting.Cpu(), 100.0 * cpuShare);
    return reset && cpuShare < kCpuLimit;
}

// bytes moved in `seconds`, as bytes per second and against a round trip per 4 bytes.
void PrintRate(const char* what, double bytes, double seconds, double perTrip)
{
    std::printf("%-34s %12.0f bytes/s, %8.0f x a round trip per 4 bytes\n", what, bytes / seconds,
                (bytes / 4) * perTrip / seconds);
}

bool PciFigures(gensim::PciCard& card, PortId id, int streamBytes, double perTrip)
{
    XR_PortPrepare(id);
    PciRemapMemory(id, 1);
    auto* window = static_cast<uint8_t*>(PciGetMemoryBase(id));
    std::vector<uint8_t> bytes(kWindowBytes);
    for (uint32_t i = 0; i < kWindowBytes; ++i)
        bytes[i] = uint8_t(i * 7);

    const int passes = 4;
    Measure windowWrite;
    for (int pass = 0; pass < passes; ++pass)
        std::memcpy(window, bytes.data(), kWindowBytes);
    const double writeSeconds = windowWrite.Wall();
    Measure windowRead;
    for (int pass = 0; pass < passes; ++pass)
        std::memcpy(bytes.data(), window, kWindowBytes);
    const double readSeconds = windowRead.Wall();
    uint32_t written = 0;
    std::memcpy(&written, bytes.data() + 0x100, sizeof written);
    const bool windowSame = card.word(0x100) == written;  // the bytes reached video memory

    const uint32_t streamAt = kSram;
    const int32_t count = std::min<int32_t>(streamBytes, 512 << 10);
    Measure bufferWrite;
    PciWriteBuffer(bytes.data(), streamAt, count);
    const double bufferWriteSeconds = bufferWrite.Wall();
    Measure bufferRead;
    PciReadBuffer(streamAt, bytes.data(), count);
    const double bufferReadSeconds = bufferRead.Wall();
    std::vector<uint32_t> words(size_t(count) / 4);
    Measure wordWrite;
    PciWriteInt32(words.data(), streamAt, int32_t(words.size()));
    const double wordWriteSeconds = wordWrite.Wall();
    const int streamError = XR_PortGetError();

    PrintRate("window, 8 MB written (memcpy):", double(kWindowBytes) * passes, writeSeconds, perTrip);
    PrintRate("window, 8 MB read (memcpy):", double(kWindowBytes) * passes, readSeconds, perTrip);
    PrintRate("PciWriteBuffer:", count, bufferWriteSeconds, perTrip);
    PrintRate("PciReadBuffer:", count, bufferReadSeconds, perTrip);
    PrintRate("PciWriteInt32:", double(words.size()) * 4, wordWriteSeconds, perTrip);

    // A mailbox that never acknowledges: one command's 2 s wait in full.
    card.setFaults({.doneNeverSet = true});
    Measure silent;
    PciEnterWatchDogLoop(id);
    const int32_t error = XR_PortGetError();
    const double cpuShare = silent.Cpu() / silent.Wall();
    std::printf("waiting on a PCI mailbox that never acknowledges: error %d after %.2f s, processor %.4f s "
                "(%.2f%%, limit 2%%)\n",
                error, silent.Wall(), silent.Cpu(), 100.0 * cpuShare);
    return windowSame && streamError == 0 && cpuShare < kCpuLimit;
}

} // namespace

int main(int argc, char** argv)
{
    const int words = argc > 1 ? std::atoi(argv[1]) : 1 << 20;
    const int streamBytes = argc > 2 ? std::atoi(argv[2]) : 512 << 10;
    char folder[] = "/tmp/bench-card-memory-XXXXXX";
    if (mkdtemp(folder) == nullptr)
        return 1;
    const std::string socket = std::string(folder) + "/windrvr";
    setenv("MORVANE_WINDRVR", socket.c_str(), 1);

    int status = 1;
    {
        gensim::Simulator sim;
        gensim::DriverEndpoint& driver = sim.openDriver(socket);
        gensim::Generator& g = sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "1",
                                                 .baudRate = 9600, .link = "", .isaSlot = 0});
        sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "2", .link = "", .pty = false,
                          .pciCard = true});
        sim.start();
        PortId isa = XR_PortOpen("isa0");
        PortId pci = XR_PortOpen("pci1");
        auto probe = driver::DriverClient::Connect(socket);
        if (isa == 0 || pci == 0 || XR_PortGetError() != 0 || !probe) {
            std::fprintf(stderr, "no card (error %d)\n", XR_PortGetError());
        } else {
            const double perTrip = RoundTripSeconds(*probe);
            std::printf("driver round trip: %.1f us (%.0f/s)\n", perTrip * 1e6, 1.0 / perTrip);
            const bool pciOk = PciFigures(*driver.pciCard(0), pci, streamBytes, perTrip);
            const bool isaOk = IsaFigures(g, isa, words, perTrip);
            status = pciOk && isaOk ? 0 : 1;
        }
        for (PortId id : {isa, pci})
            if (id != 0)
                XR_PortClose(id);
    }
    rmdir(folder);
    return status;
}
