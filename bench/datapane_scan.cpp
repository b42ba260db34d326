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
class BenchPrompter : public Prompter {
public:
    int Message(const MessageRequest &request) override
    {
        std::fprintf(stderr, "box: %s\n", qPrintable(request.text));
        ++boxes;
        return IDYES;
    }
    FileResult File(const FileRequest &) override { return {}; }
    QString Folder(const FolderRequest &) override { return {}; }
    int Modal(QDialog &dialog) override
    {
        auto *port = dynamic_cast<CSelectPortDlg *>(&dialog);
        if (port == nullptr)
            return IDCANCEL;
        port->m_portType = CSelectPortDlg::kTypeSerial;
        port->m_portNumber = 1;
        return IDOK;
    }
    bool OpenDocument(DocumentKind, const QString &) override { return false; }
    int boxes = 0;
};

struct Figures {
    std::vector<double> seconds;
    size_t commands = 0;
    size_t out = 0;  // host to generator
    size_t back = 0; // generator to host
    size_t Characters() const { return out + back; }

    void Count(const std::vector<gensim::TraceEntry> &entries)
    {
        commands = entries.size();
        out = back = 0;
        for (const gensim::TraceEntry &e : entries) {
            out += e.line.size() + 1;                       // the command and CR
            back += e.line.size() + 2 + e.reply.size() + 1; // echo, CR LF, reply, prompt
        }
    }

    double Median()
    {
        std::sort(seconds.begin(), seconds.end());
        return seconds[seconds.size() / 2];
    }
};

void Print(const char *what, Figures &f, int rate)
{
    const double floor = f.Characters() * 10.0 / rate;
    const double median = f.Median();
    std::printf("%-8s %5zu commands, %7zu characters (%zu out, %zu back): median %.3f s (best %.3f s of %zu); "
                "line-time floor %.3f s; ratio %.2f\n",
                what, f.commands, f.Characters(), f.out, f.back, median, f.seconds.front(), f.seconds.size(), floor,
                median / floor);
}

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
    Print("scan", scan, rate);
    Print("detailed", detailed, rate);
    view.reset();
    InstallPrompter(nullptr);
    return 0;
}
