// Sending and recalling an image of 500 primitives through CImage against
// the simulator, on a bare pty and on a paced line, each beside the time the
// line itself needs at that rate (on the paced line also beside the minimal
// peer's same commands): once of lines, rectangles and ovals, once of every
// kind the line reader builds, texts and information boxes among them.
//
//   build/bench/bench_image_traffic [rate] [runs]

#include "BenchSupport.h"
#include "CGenerator.h"
#include "CImage.h"
#include "CLine.h"
#include "COval.h"
#include "CProgressDlg.h"
#include "CRectangle.h"
#include "EveryKind.h"
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

constexpr int kPrimitives = 500;

void FillImage(CImage &image, bool everyKind)
{
    image.SetName(QStringLiteral("BENCH"));
    for (int i = 0; i < kPrimitives; ++i) {
        if (everyKind) {
            image.AddPrimitive(AnyKind(i, 640, 480));
            continue;
        }
        const int x = (i * 37) % 600;
        const int y = (i * 23) % 440;
        switch (i % 3) {
        case 0: image.AddPrimitive(std::make_unique<CLine>(x, y, 639 - x, 479 - y, i % 71)); break;
        case 1: image.AddPrimitive(std::make_unique<CRectangle>(x, y, x + 30, y + 20, i % 71, i % 31)); break;
        default: image.AddPrimitive(std::make_unique<COval>(x, y, x + 25, y + 35, i % 71, (i / 2) % 31)); break;
        }
    }
}

// One line's figures; false when a send or a recall failed.
bool RunLine(const BenchLine &line, int rate, int runs, bool everyKind)
{
    gensim::Simulator sim;
    gensim::Generator &g = sim.addGenerator(BenchGenerator(rate, line));
    sim.start();
    setenv("MORVANE_COM1", g.comPath().c_str(), 1);

    auto generator = std::make_unique<CGenerator>(nullptr);
    if (!generator->OpenPort())
        return false;
    CImage image;
    FillImage(image, everyKind);
    Figures send;
    Figures recall;
    for (int run = 0; run < runs; ++run) {
        g.trace().clear();
        auto t0 = std::chrono::steady_clock::now();
        {
            CProgressDlg progress(nullptr, true);
            if (!image.SendToGenerator(generator.get(), &progress))
                return false;
        }
        send.seconds.push_back(Seconds(t0));
        send.Count(g.trace().entries());

        g.trace().clear();
        CImage recalled;
        t0 = std::chrono::steady_clock::now();
        {
            CProgressDlg progress(nullptr, true);
            if (!recalled.RecallFromGenerator(QStringLiteral("BENCH"), generator.get(), &progress))
                return false;
        }
        recall.seconds.push_back(Seconds(t0));
        recall.Count(g.trace().entries());
        if (recalled.Primitives().size() != size_t(kPrimitives)) {
            std::fprintf(stderr, "the recall brought %zu primitives back\n", recalled.Primitives().size());
            return false;
        }
    }
    generator.reset(); // the peer takes the line
    send.Print(line, everyKind ? "image send, every kind" : "image send", rate);
    if (line.lineTime && !send.PrintPeer(g.comPath(), rate, runs))
        return false;
    recall.Print(line, everyKind ? "image recall, every kind" : "image recall", rate);
    return !line.lineTime || recall.PrintPeer(g.comPath(), rate, runs);
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
    std::printf("one image of %d primitives at %d baud, %d runs\n", kPrimitives, rate, runs);
    for (bool everyKind : {false, true}) {
        for (const BenchLine &line : kBenchLines) {
            if (!RunLine(line, rate, runs, everyKind) || prompter.boxes != 0) {
                std::fprintf(stderr, "%s: the send or the recall failed\n", line.name);
                return 1;
            }
        }
    }
    InstallPrompter(nullptr);
    return 0;
}
