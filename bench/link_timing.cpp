// Connecting and name-list refresh through CGenerator against the simulator,
// on a bare pty and on a paced line, each beside the time the line itself
// needs at that rate.
//
//   build/bench/bench_link_timing [rate] [runs]
//
// Connect: the port opens at 2400, the handshake waits out its time-out
// there, and the search walks the rate table down to the generator's rate;
// those waits are part of the floor. Refresh: "FMTQ? 1 450 x" with 450 user
// formats in the generator.

#include "BenchSupport.h"
#include "CGenerator.h"
#include "Numbers.h"
#include "Prompts.h"
#include "gensim/Simulator.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

// One line's figures; false when a connect or a refresh failed.
bool RunLine(const BenchLine &line, int rate, int runs)
{
    gensim::Simulator sim;
    gensim::Generator &g = sim.addGenerator(BenchGenerator(rate, line));
    for (int i = 0; i < 450; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "USR%04d", i);
        g.seed(gensim::ItemKind::Format, {.name = name});
    }
    sim.start();
    setenv("MORVANE_COM1", g.comPath().c_str(), 1);

    Figures connect;
    connect.waits = HandshakeWaits(rate);
    std::unique_ptr<CGenerator> generator;
    for (int run = 0; run < runs; ++run) {
        generator.reset(); // closes the port of the run before
        generator = std::make_unique<CGenerator>(nullptr);
        g.trace().clear();
        const auto t0 = std::chrono::steady_clock::now();
        if (!generator->OpenPort())
            return false;
        connect.seconds.push_back(Seconds(t0));
        connect.Count(g.trace().entries());
    }

    Figures refresh;
    for (int run = 0; run < runs; ++run) {
        g.trace().clear();
        const auto t0 = std::chrono::steady_clock::now();
        generator->RefreshFormatList();
        refresh.seconds.push_back(Seconds(t0));
        refresh.Count(g.trace().entries());
        if (generator->FormatNames().size() < 450)
            return false;
    }
    connect.Print(line, "connect", rate);
    refresh.Print(line, "refresh of 450 names", rate);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const int rate = argc > 1 ? std::atoi(argv[1]) : 115200;
    const int runs = std::max(1, argc > 2 ? std::atoi(argv[2]) : 3);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    unsetenv("MORVANE_TIME_SCALE"); // the handshake waits are part of the figure
    QApplication app(argc, argv);
    SetNumericLocale();
    BenchPrompter prompter;
    InstallPrompter(&prompter);
    std::printf("CGenerator at %d baud, %d runs\n", rate, runs);
    for (const BenchLine &line : kBenchLines) {
        if (!RunLine(line, rate, runs) || prompter.boxes != 0) {
            std::fprintf(stderr, "%s: the connect or the refresh failed\n", line.name);
            return 1;
        }
    }
    InstallPrompter(nullptr);
    return 0;
}
