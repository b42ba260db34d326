// Format lists: the load of a 450-row .fls file into a generator view
// through the real library (each row asked of the generator: FMTL? and,
// for a name it holds, FMTK?; up to 900 queries), on a bare pty and on a
// paced line, beside the line time of those characters; and the printout
// of the 450 entries (57 pages) into a PDF, beside drawing the same lines
// into a PDF without the page set-up, in the same run.
//
//   build/bench/bench_format_list [rate] [runs]

#include "BenchSupport.h"
#include "CGenerator.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorView.h"
#include "FormatListFile.h"
#include "FormatListPrintout.h"
#include "Numbers.h"
#include "PreparePrintPage.h"
#include "Prompts.h"
#include "gensim/Population.h"
#include "gensim/Simulator.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kRows = 450;

// The file dialog picks the benchmark's file.
class ListPrompter : public BenchPrompter {
public:
    FileResult File(const FileRequest &) override { return {true, {path}, 1}; }
    QString path;
};

// 450 rows the generator holds, each with the figures a scan would give.
QList<CFormatListEntry> HeldRows(const gensim::Generator &g)
{
    QList<CFormatListEntry> rows;
    for (const std::string &name : g.names(gensim::ItemKind::Format)) {
        CFormatListEntry e;
        e.name = QString::fromStdString(name);
        e.videoType = 2;
        e.syncType = 7;
        e.hRes = 640;
        e.vRes = 480;
        e.SetTiming(31469.0, 800, 525);
        rows.append(e);
    }
    return rows;
}

// One line's load figures; false when the load did not give every row.
bool RunLoad(const BenchLine &line, int rate, int runs, ListPrompter &prompter, const QString &folder)
{
    gensim::Simulator sim;
    gensim::Generator &g = sim.addGenerator(BenchGenerator(rate, line));
    gensim::populate(g, {.formats = kRows - 6}); // beside its 6 built-in formats
    sim.start();
    setenv("MORVANE_COM1", g.comPath().c_str(), 1);
    prompter.path = folder + QStringLiteral("/bench.fls");
    QFile file(prompter.path);
    if (!file.open(QIODevice::WriteOnly) || file.write(FormatListFile::Bytes(HeldRows(g))) < 0)
        return false;
    file.close();

    auto *connection = new CGenerator(nullptr);
    if (!connection->OpenPort()) {
        delete connection;
        return false;
    }
    auto view = std::make_unique<CGeneratorView>(connection, nullptr);
    view->CreateFrame();
    CGeneratorDataPane &pane = *view->DataPane();
    Figures load;
    for (int i = 0; i < runs; ++i) {
        g.trace().clear();
        const auto t0 = std::chrono::steady_clock::now();
        pane.LoadFormatList();
        load.seconds.push_back(Seconds(t0));
        load.Count(g.trace().entries());
    }
    if (pane.FormatListRowCount() != kRows || load.commands != 2 * kRows) {
        std::fprintf(stderr, "%d rows, %zu queries\n", pane.FormatListRowCount(), load.commands);
        return false;
    }
    load.Print(line, "load of 450 rows", rate);
    return true;
}

QList<CFormatListEntry> PrintedRows()
{
    QList<CFormatListEntry> rows;
    for (int i = 0; i < kRows; ++i) {
        CFormatListEntry e;
        e.name = QString::fromStdString(gensim::populationName('F', i));
        e.hRes = 640;
        e.vRes = 480;
        e.SetTiming(31469.0, 800, 525);
        e.icon = i % 2 ? 3 : 4;
        rows.append(e);
    }
    return rows;
}

std::unique_ptr<QPrinter> PdfPrinter(const QString &path)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    printer->setPageSize(QPageSize(QPageSize::A4));
    return printer;
}

// The same lines, page by page, in the same font at the same size, drawn
// one under the other: no page set-up per page, no page heads or entries
// laid out.
bool DrawPlain(const QList<QStringList> &pages, const QString &path)
{
    const std::unique_ptr<QPrinter> printer = PdfPrinter(path);
    QPainter painter;
    if (!painter.begin(printer.get()))
        return false;
    painter.setTransform(PrintPageTransform(QSize(printer->width(), printer->height())));
    painter.setFont(PrintFont());
    for (qsizetype p = 0; p < pages.size(); ++p) {
        if (p > 0)
            printer->newPage();
        for (qsizetype n = 0; n < pages[p].size(); ++n)
            painter.drawText(0, int(n) * kPrintLineHeight, pages[p][n]);
    }
    return painter.end();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool RunPrint(int runs, const QString &folder)
{
    const FormatListPrintout printout(PrintedRows());
    QList<QStringList> pages;
    for (int p = 0; p < printout.PageCount(); ++p)
        pages.append(printout.PageLines(p));
    std::vector<double> printed, plain;
    for (int i = 0; i < runs; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        const std::unique_ptr<QPrinter> printer = PdfPrinter(folder + QStringLiteral("/printout.pdf"));
        if (!PrintDocument(*printer, printout))
            return false;
        printed.push_back(Seconds(t0));
        t0 = std::chrono::steady_clock::now();
        if (!DrawPlain(pages, folder + QStringLiteral("/plain.pdf")))
            return false;
        plain.push_back(Seconds(t0));
    }
    const double p = Median(printed);
    const double q = Median(plain);
    std::printf("printout of 450 entries, %d pages: median %.3f s (best %.3f s of %d); the same lines drawn plainly "
                "%.3f s; ratio %.2f\n",
                printout.PageCount(), p, *std::min_element(printed.begin(), printed.end()), runs, q, p / q);
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
    // The view saves its size and the dialog its folder: keep them out of the user's profile.
    QTemporaryDir profile;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profile.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, profile.path());
    ListPrompter prompter;
    InstallPrompter(&prompter);
    std::printf("a .fls file of 450 formats the generator holds, at %d baud, %d runs\n", rate, runs);
    for (const BenchLine &line : kBenchLines) {
        if (!RunLoad(line, rate, runs, prompter, profile.path()) || prompter.boxes != 0) {
            std::fprintf(stderr, "%s: the load failed\n", line.name);
            return 1;
        }
    }
    InstallPrompter(nullptr);
    if (!RunPrint(runs, profile.path())) {
        std::fprintf(stderr, "the printout failed\n");
        return 1;
    }
    return 0;
}
