// The generator data pane's scan of a well-filled generator (450 formats,
// 131 images, 50 sequences, built-in ones included) through the real library on a pty, beside the
// time the line itself needs at that rate; then the detailed format list
// of the same generator.
//
//   build/bench/bench_datapane_scan [rate] [runs]
//
// The line-time floor counts every character both ways, taken from the
// generator's trace: the command and its CR out; its echo, CR LF, the reply
// and the ">" prompt back; 10 bits a character. The simulator's pty passes
// bytes without pacing them, so a ratio below 1 is possible: the program
// then adds less than the line itself would take.

#include "CGenerator.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorView.h"
#include "CSelectPortDlg.h"
#include "Numbers.h"
#include "BenchSupport.h"
#include "Prompts.h"
#include "gensim/Population.h"
#include "gensim/Simulator.h"

#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// Answers the port dialog with "Serial 1", the detailed scan's question
// with Yes, and counts every other box.



template <class Run>
void Measure(gensim::Generator &g, Figures &figures, int runs, Run run)
{
    for (int i = 0; i < runs; ++i) {
        g.trace().clear();
        const auto t0 = std::chrono::steady_clock::now();
        run();
        figures.seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        figures.Count(g.trace().entries());
    }
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
    prompter.boxAnswer = IDYES;
    InstallPrompter(&prompter);

    gensim::Simulator sim;
    gensim::Generator &g = sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "1",
                                             .baudRate = rate, .link = ""});
    // Beside the simulator's 6 built-in formats, 7 images and 1 sequence.
    gensim::populate(g, {.formats = 444, .images = 124, .sequences = 49});
    sim.start();
    setenv("MORVANE_COM1", g.comPath().c_str(), 1);

    auto *connection = new CGenerator(nullptr);
    if (!connection->OpenPort()) {
        std::fprintf(stderr, "no connection\n");
        return 1;
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
    if (prompter.boxes != 0 || formats != 450 || pane.FormatListRowCount() != 450) {
        std::fprintf(stderr, "the scan failed (%d formats listed)\n", formats);
        return 1;
    }
    std::printf("data pane scan of 450 formats, 131 images, 50 sequences at %d baud, %d runs\n", rate, runs);
    scan.Print("scan", rate);
    detailed.Print("detailed", rate);
    view.reset();
    InstallPrompter(nullptr);
    return 0;
}
