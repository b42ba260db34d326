// Pixel maps: a 64 x 64 map of depth 8 sent (CPixelMap::SendToGenerator)
// and recalled (CPixelMap::RecallFromGenerator) on a bare pty and on a paced
// line, each beside the time the line itself needs; the editor's overview
// of a 1024 x 1024 map of depth 8 repainted whole at zoom 1, 2 and 4,
// beside one drawImage of the same picture in the same run; and that map's
// source export (CPixelMapEditor::GenerateSource: the text made, written
// beside and renamed over) beside one plain write of the same bytes.
//
//   build/bench/bench_pixel_map [rate] [runs]

#include "BenchSupport.h"
#include "CGenerator.h"
#include "CMapViewPane.h"
#include "CPixelMap.h"
#include "CPixelMapEditor.h"
#include "CProgressDlg.h"
#include "Numbers.h"
#include "gensim/Simulator.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

// Answers the export's save dialog with one path.
class ExportPrompter : public BenchPrompter {
public:
    FileResult File(const FileRequest &) override { return {true, {path}, 1}; }
    QString path;
};

PixelMapData RandomMap(int side, int depth)
{
    PixelMapData map;
    map.Resize(side, side, depth);
    std::mt19937 random(7);
    for (std::uint32_t &word : map.pixels)
        word = std::uint32_t(random());
    for (std::size_t i = 0; i < map.lut.size(); ++i)
        map.lut[i] = std::uint32_t(i * 0x010203u) & 0xFFFFFF;
    return map;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool RunLine(const BenchLine &line, int rate, int runs)
{
    gensim::GeneratorOptions options = BenchGenerator(rate, line);
    options.firmware = "7.05"; // pixel maps from above 7.02
    gensim::Simulator sim;
    gensim::Generator &g = sim.addGenerator(options);
    sim.start();
    setenv("MORVANE_COM1", g.comPath().c_str(), 1);
    CGenerator generator(nullptr);
    if (!generator.OpenPort())
        return false;
    CPixelMap map;
    map.SetName(QStringLiteral("Bench"));
    map.SetData(RandomMap(64, 8));
    Figures send, recall;
    for (int run = 0; run < runs; ++run) {
        g.trace().clear();
        auto t0 = std::chrono::steady_clock::now();
        {
            CProgressDlg progress(nullptr, true);
            if (!map.SendToGenerator(&generator, &progress))
                return false;
        }
        send.seconds.push_back(Seconds(t0));
        send.Count(g.trace().entries());

        CPixelMap back;
        g.trace().clear();
        t0 = std::chrono::steady_clock::now();
        {
            CProgressDlg progress(nullptr, true);
            if (!back.RecallFromGenerator(QStringLiteral("Bench"), &generator, &progress) ||
                back.Data().pixels != map.Data().pixels)
                return false;
        }
        recall.seconds.push_back(Seconds(t0));
        recall.Count(g.trace().entries());
    }
    send.Print(line, "send of 64 x 64 x 8", rate);
    recall.Print(line, "recall of 64 x 64 x 8", rate);
    return true;
}

void RunRepaints(int runs)
{
    const PixelMapData map = RandomMap(1024, 8);
    CMapViewPane pane(map);
    pane.resize(1100, 1100);
    pane.show();
    QApplication::processEvents();
    const QSize view = pane.viewport()->size();
    QImage target(view, QImage::Format_ARGB32_Premultiplied);
    std::vector<double> plain;
    for (int run = 0; run < runs; ++run) {
        const auto t0 = std::chrono::steady_clock::now();
        QPainter painter(&target);
        painter.fillRect(target.rect(), Qt::white);
        painter.drawImage(QPoint(CMapViewPane::kMargin, CMapViewPane::kMargin), pane.Picture());
        painter.end();
        plain.push_back(Seconds(t0));
    }
    const double once = Median(plain);
    std::printf("one drawImage of 1024 x 1024 x 8: %.4f s\n", once);
    for (int zoom : {1, 2, 4}) {
        pane.SetZoom(zoom);
        std::vector<double> repaints;
        for (int run = 0; run < runs; ++run) {
            const auto t0 = std::chrono::steady_clock::now();
            pane.viewport()->render(&target);
            repaints.push_back(Seconds(t0));
        }
        const double median = Median(repaints);
        std::printf("overview repaint, zoom %d (%dx%d shown): %.4f s, ratio %.2f\n", zoom, view.width(), view.height(),
                    median, median / once);
    }
}

bool RunExport(int runs, ExportPrompter &prompter)
{
    QTemporaryDir folder;
    CPixelMap map;
    map.SetName(QStringLiteral("Bench"));
    map.SetData(RandomMap(1024, 8));
    CPixelMapEditor editor(map);
    prompter.path = folder.filePath(QStringLiteral("Bench.cc"));
    std::vector<double> exports, writes;
    for (int run = 0; run < runs; ++run) {
        auto t0 = std::chrono::steady_clock::now();
        editor.GenerateSource();
        exports.push_back(Seconds(t0));
        QFile made(prompter.path);
        if (!made.open(QIODevice::ReadOnly))
            return false;
        const QByteArray bytes = made.readAll();
        QFile plain(folder.filePath(QStringLiteral("plain.cc")));
        t0 = std::chrono::steady_clock::now();
        if (!plain.open(QIODevice::WriteOnly) || plain.write(bytes) != bytes.size())
            return false;
        plain.close();
        writes.push_back(Seconds(t0));
    }
    const double exported = Median(exports), written = Median(writes);
    std::printf("source export of 1024 x 1024 x 8 (%lld bytes): %.4f s beside one write %.4f s, ratio %.2f\n",
                QFile(prompter.path).size(), exported, written, exported / written);
    return prompter.boxes == 0;
}

} // namespace

int main(int argc, char **argv)
{
    const int rate = argc > 1 ? std::atoi(argv[1]) : 115200;
    const int runs = std::max(1, argc > 2 ? std::atoi(argv[2]) : 3);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetNumericLocale();
    ExportPrompter prompter;
    InstallPrompter(&prompter);
    std::printf("pixel maps at %d baud, %d runs\n", rate, runs);
    for (const BenchLine &line : kBenchLines) {
        if (!RunLine(line, rate, runs) || prompter.boxes != 0) {
            std::fprintf(stderr, "%s: a transfer failed\n", line.name);
            return 1;
        }
    }
    RunRepaints(std::max(runs, 5));
    if (!RunExport(std::max(runs, 5), prompter)) {
        std::fprintf(stderr, "the export failed\n");
        return 1;
    }
    InstallPrompter(nullptr);
    return 0;
}
