// Connecting and name-list refresh through CGenerator against the simulator
// on a pty, each beside the time the line itself needs at that rate.
//
//   build/bench/bench_link_timing [rate]
//
// Connect: the port opens at 2400, the handshake fails there, and the search
// walks the rate table down to the generator's rate. Refresh: "FMTQ? 1 450 x"
// with 450 user formats in the generator.

#include "CGenerator.h"
#include "CSelectPortDlg.h"
#include "Numbers.h"
#include "BenchSupport.h"
#include "Prompts.h"
#include "gensim/Simulator.h"

#include <QApplication>
#include <QDialog>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Answers the port dialog with "Serial 1" and every box with OK.


} // namespace

int main(int argc, char** argv)
{
    const int rate = argc > 1 ? std::atoi(argv[1]) : 115200;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetNumericLocale();
    BenchPrompter prompter;
    InstallPrompter(&prompter);

    gensim::Simulator sim;
    gensim::Generator& g = sim.addGenerator({.model = "VG-7000", .firmware = "7.011",
                                             .serial = "1", .baudRate = rate, .link = ""});
    for (int i = 0; i < 450; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "USR%04d", i);
        g.seed(gensim::ItemKind::Format, {.name = name});
    }
    sim.start();
    setenv("MORVANE_COM1", g.comPath().c_str(), 1);

    CGenerator generator(nullptr);
    const auto t0 = std::chrono::steady_clock::now();
    if (!generator.OpenPort()) {
        std::fprintf(stderr, "no connection\n");
        return 1;
    }
    const double connect = Seconds(t0);
    // The handshake: three CRs and their prompts ("\r\n>"), then "VERF?".
    const double connectFloor = LineTime(3 * 4 + 6 + 2 + 9, rate);
    std::printf("connect at %d baud (search from 2400): %.3f s; line time at the final rate %.4f s\n",
                rate, connect, connectFloor);

    const auto t1 = std::chrono::steady_clock::now();
    generator.RefreshFormatList();
    const double refresh = Seconds(t1);
    const int names = int(generator.FormatNames().size());
    // Each reply line "USR0000,1" CR LF, plus the echoed command.
    const double refreshFloor = LineTime(14 + 2 + 450 * 11.0, rate);
    std::printf("refresh of %d format names: %.3f s; line-time floor %.3f s\n", names, refresh,
                refreshFloor);
    InstallPrompter(nullptr);
    return names >= 450 ? 0 : 1;
}
