// Sending and recalling one format through CGenerator against the simulator,
// on a bare pty and on a paced line, each beside the time the line itself
// needs at that rate; on the paced line also beside the minimal peer's same
// commands on the same generator.
//
//   build/bench/bench_format_traffic [rate] [runs]
//
// A recall also waits 0.5 s for the generator to settle after loading the
// format, which no line speed shortens; that wait is part of its floor.

#include "BenchSupport.h"
#include "CFormat.h"
#include "CGenerator.h"
#include "CProgressDlg.h"
#include "Numbers.h"
#include "Prompts.h"
#include "gensim/Simulator.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr double kRecallSettleSeconds = 0.5;

// One line's figures; false when a send or a recall failed.
bool RunLine(const BenchLine &line, int rate, int runs)
{
    gensim::Simulator sim;
    gensim::Generator &g = sim.addGenerator(BenchGenerator(rate, line));
    sim.start();
    setenv("MORVANE_COM1", g.comPath().c_str(), 1);

    auto generator = std::make_unique<CGenerator>(nullptr);
    if (!generator->OpenPort())
        return false;
    CFormat format;
    format.SetName(QStringLiteral("BENCH"));
    Figures send;
    Figures recall;
    recall.waits = kRecallSettleSeconds;
    for (int run = 0; run < runs; ++run) {
        g.trace().clear();
        auto t0 = std::chrono::steady_clock::now();
        {
            CProgressDlg progress(nullptr, true);
            if (!format.SendToGenerator(generator.get(), &progress))
                return false;
        }
        send.seconds.push_back(Seconds(t0));
        send.Count(g.trace().entries());

        g.trace().clear();
        CFormat recalled;
        t0 = std::chrono::steady_clock::now();
        if (!recalled.RecallFromGenerator(QStringLiteral("BENCH"), generator.get(), nullptr))
            return false;
        recall.seconds.push_back(Seconds(t0));
        recall.Count(g.trace().entries());
    }
    generator.reset(); // the peer takes the line
    send.Print(line, "format send", rate);
    if (line.lineTime && !send.PrintPeer(g.comPath(), rate, runs))
        return false;
    recall.Print(line, "format recall", rate);
    return !line.lineTime || recall.PrintPeer(g.comPath(), rate, runs);
}

} // namespace

int main(int argc, char **argv)
{
    const int rate = argc > 1 ? std::atoi(argv[1]) : 115200;
    const int runs = std::max(1, argc > 2 ? std::atoi(argv[2]) : 5);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetNumericLocale();
    BenchPrompter prompter;
    InstallPrompter(&prompter);
    std::printf("one format at %d baud, %d runs\n", rate, runs);
    for (const BenchLine &line : kBenchLines) {
        if (!RunLine(line, rate, runs) || prompter.boxes != 0) {
            std::fprintf(stderr, "%s: the send or the recall failed\n", line.name);
            return 1;
        }
    }
    InstallPrompter(nullptr);
    return 0;
}
