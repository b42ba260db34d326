// The command terminal's Send against the library's own send of the same
// line, in the same run: "*IDN?" and "FMTQ? 1 450" (a full list of 450
// names) on COM1 at 115200 (a paced line, as a cable) and on pci1, with an
// empty console and with a full one (3000 lines), as the ratio of the
// medians (the terminal's work beyond the send: the console's lines, the
// cap, the wait cursor, the hop to the port thread). Then the PCI memory
// test's video-memory write/read over the whole region (2 M words, two
// mailbox round trips a word), in words per second, beside plain stores
// through the mapped window in one routine.
//
//   build/bench/bench_terminal_round_trip [sends] [words]

#include "BenchSupport.h"
#include "CCmdTerminalDlg.h"
#include "CGenerator.h"
#include "DriverSocketPath.h"
#include "LinkRoutines.h"
#include "ToolLibrary.h"
#include "gensim/Population.h"
#include "gensim/Simulator.h"

#include <morvane.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Timed(const std::function<void()> &what)
{
    const Clock::time_point start = Clock::now();
    what();
    return Seconds(start);
}

// Alternating pairs: the terminal's Send, then the library's send.
void Compare(const char *port, CGenerator &generator, const char *line, bool full, int sends)
{
    CCmdTerminalDlg terminal(nullptr, &generator);
    if (full) {
        for (int i = 0; i < CCmdTerminalDlg::kMaxConsoleLines; ++i)
            terminal.Console()->addItem(QStringLiteral("R:\\>"));
    }
    std::vector<double> viaTerminal;
    std::vector<double> direct;
    std::vector<char> reply(6000);
    const PortId id = generator.GetPort();
    for (int i = 0; i < sends; ++i) {
        viaTerminal.push_back(Timed([&] {
            terminal.Edit()->setText(QString::fromLatin1(line));
            terminal.OnSend();
        }));
        direct.push_back(Timed([&] { XR_PortSendCommand(id, line, reply.data(), int32_t(reply.size())); }));
    }
    const double t = Median(viaTerminal);
    const double d = Median(direct);
    std::printf("%-5s %-12s %-5s console: terminal %8.2f ms, XR_PortSendCommand %8.2f ms, ratio %.3f (%d sends)\n", port,
                line, full ? "full" : "empty", t * 1000, d * 1000, t / d, sends);
}

void RegionOne(CGenerator &generator, int words)
{
    CGenerator::SetDmaRegionOneWords(words);
    const double test = Timed([&] { generator.DmaTests(1, 3, 0xFE); });
    double plain = 0;
    LinkRoutines::Run(generator, [&](ToolLibrary &lib) {
        lib.PciRemapMemory(lib.Port(), 1);
        auto *window = static_cast<volatile uint32_t *>(lib.PciGetMemoryBase(lib.Port()));
        if (window == nullptr)
            return;
        plain = Timed([&] {
            for (int i = 0; i < words; ++i)
                window[i] = 0xFE;
        });
    });
    std::printf("pci1  region 1 write/read of %d words: %.3f s, %.0f words/s; plain window stores %.0f words/s (%.0fx)\n",
                words, test, words / test, plain > 0 ? words / plain : 0.0, plain > 0 ? test / plain : 0.0);
}

} // namespace

int main(int argc, char **argv)
{
    const int sends = argc > 1 ? std::atoi(argv[1]) : 20;
    const int words = argc > 2 ? std::atoi(argv[2]) : 0x200000;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    BenchPrompter prompter;
    InstallPrompter(&prompter);
    gensim::test::DriverSocketPath socket;
    gensim::Simulator sim;
    sim.openDriver(socket.path());
    gensim::Generator &com = sim.addGenerator(BenchGenerator(115200, kBenchLines[1]));
    gensim::Generator &pci = sim.addGenerator({.serial = "2", .pty = false, .pciCard = true});
    for (gensim::Generator *g : {&com, &pci})
        gensim::populate(*g, {.formats = 444});
    sim.start();
    setenv("MORVANE_COM1", com.comPath().c_str(), 1);

    CGenerator overCom(nullptr);
    if (!overCom.OpenPort()) {
        std::fprintf(stderr, "COM1 did not open\n");
        return 1;
    }
    CGenerator overPci(nullptr, XR_PortOpen("pci1"));
    if (overPci.GetPort() == 0) {
        std::fprintf(stderr, "pci1 did not open\n");
        return 1;
    }
    for (const char *line : {"*IDN?", "FMTQ? 1 450"}) {
        for (bool full : {false, true}) {
            Compare("COM1", overCom, line, full, sends);
            Compare("pci1", overPci, line, full, sends * 5);
        }
    }
    RegionOne(overPci, words);
    std::printf("boxes answered: %d\n", prompter.boxes);
    return 0;
}
