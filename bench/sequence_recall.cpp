// Recalling a stored sequence of 100 steps through CSequence, on both ways
// a generator is read (firmware 3.0 applies each step and reads its
// settings; 7.011 reads the step inside the sequence buffer), on a bare pty
// and on a paced line, each beside the time the line itself needs; on the
// paced line also beside the minimal peer's same commands.
//
//   build/bench/bench_sequence_recall [rate] [runs]

#include "BenchSupport.h"
#include "CGenerator.h"
#include "CSequence.h"
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

constexpr int kSteps = 100;

gensim::StoredItem Hundred()
{
    gensim::StoredItem item{"Bench"};
    for (int n = 1; n <= kSteps; ++n)
        item.steps.push_back({"DMT8075", "Flat", n % 256, 1.0, n % 8, n % 8, n % 2});
    return item;
}

bool RunPath(const BenchLine &line, int rate, int runs, const char *firmware)
{
    gensim::GeneratorOptions options = BenchGenerator(rate, line);
    options.firmware = firmware;
    gensim::Simulator sim;
    gensim::Generator &g = sim.addGenerator(options);
    g.seed(gensim::ItemKind::Sequence, Hundred());
    sim.start();
    setenv("MORVANE_COM1", g.comPath().c_str(), 1);
    auto generator = std::make_unique<CGenerator>(nullptr);
    if (!generator->OpenPort())
        return false;
    Figures recall;
    for (int run = 0; run < runs; ++run) {
        g.trace().clear();
        CSequence sequence;
        const auto t0 = std::chrono::steady_clock::now();
        if (!sequence.RecallFromGenerator(QStringLiteral("Bench"), generator.get(), nullptr) ||
            sequence.Steps().size() != size_t(kSteps))
            return false;
        recall.seconds.push_back(Seconds(t0));
        recall.Count(g.trace().entries());
    }
    std::string what = "recall at ";
    what += firmware;
    generator.reset(); // the peer takes the line
    recall.Print(line, what.c_str(), rate);
    if (line.lineTime && !recall.PrintPeer(g.comPath(), rate, runs))
        return false;
    std::printf("        %.1f commands a step\n", double(recall.commands) / kSteps);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const int rate = argc > 1 ? std::atoi(argv[1]) : 115200;
    const int runs = std::max(1, argc > 2 ? std::atoi(argv[2]) : 3);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetNumericLocale();
    BenchPrompter prompter;
    InstallPrompter(&prompter);
    std::printf("a sequence of %d steps at %d baud, %d runs\n", kSteps, rate, runs);
    for (const BenchLine &line : kBenchLines) {
        for (const char *firmware : {"3.0", "7.011"}) {
            if (!RunPath(line, rate, runs, firmware) || prompter.boxes != 0) {
                std::fprintf(stderr, "%s at %s: the recall failed\n", line.name, firmware);
                return 1;
            }
        }
    }
    InstallPrompter(nullptr);
    return 0;
}
