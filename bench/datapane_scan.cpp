// The generator data pane's scan of a well-filled generator (450 formats,
// 131 images, 50 sequences, built-in ones included) through the real library,
// then the detailed format list of the same generator; on a bare pty and on
// a paced line, each beside the time the line itself needs at that rate.
//
//   build/bench/bench_datapane_scan [rate] [runs]

#include "BenchSupport.h"
#include "CGenerator.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorView.h"
#include "Numbers.h"
#include "Prompts.h"
#include "gensim/Population.h"
#include "gensim/Simulator.h"

#include <QApplication>
#include <QListWidget>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

template <class Run>
void Measure(gensim::Generator &g, Figures &figures, int runs, Run run)
{
    for (int i = 0; i < runs; ++i) {
        g.trace().clear();
        const auto t0 = std::chrono::steady_clock::now();
        run();
        figures.seconds.push_back(Seconds(t0));
        figures.Count(g.trace().entries());
    }
}

// One line's figures; false when the scan did not list every format.
bool RunLine(const BenchLine &line, int rate, int runs)
{
    gensim::Simulator sim;
    gensim::Generator &g = sim.addGenerator(BenchGenerator(rate, line));
    // Beside the simulator's 6 built-in formats, 7 images and 1 sequence.
    gensim::populate(g, {.formats = 444, .images = 124, .sequences = 49});
    sim.start();
    setenv("MORVANE_COM1", g.comPath().c_str(), 1);

    auto *connection = new CGenerator(nullptr);
    if (!connection->OpenPort()) {
        delete connection;
        return false;
    }
    auto view = std::make_unique<CGeneratorView>(connection, nullptr);
    view->CreateFrame();
    CGeneratorDataPane &pane = *view->DataPane();

    Figures scan;
    Measure(g, scan, runs, [&] { view->ScanGenerator(); });
    Figures detailed;
    Measure(g, detailed, runs, [&] {
        pane.FreeFormatListEntries();
        pane.ScanFormatDetails();
    });
    const int formats = pane.NameList(CGeneratorDataPane::kFormats)->count();
    if (formats != 450 || pane.FormatListRowCount() != 450) {
        std::fprintf(stderr, "%d formats listed\n", formats);
        return false;
    }
    scan.Print(line, "data pane scan", rate);
    detailed.Print(line, "detailed format list", rate);
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
    // The view saves its size when it goes: keep that out of the user's profile.
    QTemporaryDir profile;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profile.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, profile.path());
    BenchPrompter prompter;
    prompter.boxAnswer = IDYES; // the detailed scan's question
    InstallPrompter(&prompter);
    std::printf("a generator of 450 formats, 131 images, 50 sequences at %d baud, %d runs\n", rate, runs);
    for (const BenchLine &line : kBenchLines) {
        if (!RunLine(line, rate, runs) || prompter.boxes != 0) {
            std::fprintf(stderr, "%s: the scan failed\n", line.name);
            return 1;
        }
    }
    InstallPrompter(nullptr);
    return 0;
}
