// The image editor on an image of 500 primitives of every kind the line
// reader builds (bench/EveryKind.h), offscreen: opening it (the frame, its
// bars, the tree of the primitives and the first paint of the canvas), beside
// opening it on an empty image in the same run; then its Preview against
// the simulator, on a bare pty and on a paced line, beside the time the
// line itself needs at that rate and beside a plain send of the same image
// (CImage::SendToGenerator) in the same run.
//
//   build/bench/bench_image_editor [rate] [runs]

#include "BenchSupport.h"
#include "CGenerator.h"
#include "CImage.h"
#include "CImageEditor.h"
#include "CProgressDlg.h"
#include "EveryKind.h"
#include "Numbers.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "gensim/Simulator.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kPrimitives = 500;

// The box that ends every preview is the one expected; others count as failures.
class PreviewPrompter : public BenchPrompter {
public:
    int Message(const MessageRequest &request) override
    {
        if (request.text.startsWith(QStringLiteral("Preview Now On "))) {
            ++previews;
            return IDOK;
        }
        return BenchPrompter::Message(request);
    }
    int previews = 0;
};

void FillImage(CImage &image, int count)
{
    image.SetName(QStringLiteral("BENCH"));
    for (int i = 0; i < count; ++i)
        image.AddPrimitive(AnyKind(i, 640, 480));
}

void Settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Seconds from OpenEditor to the frame shown and painted, one a run.
std::vector<double> OpenTimes(int primitives, int runs)
{
    std::vector<double> seconds;
    for (int run = 0; run < runs; ++run) {
        CImage image;
        FillImage(image, primitives);
        const auto t0 = std::chrono::steady_clock::now();
        QWidget *editor = image.OpenEditor();
        if (!editor)
            return {};
        editor->resize(1000, 700);
        editor->show();
        QCoreApplication::processEvents();
        seconds.push_back(Seconds(t0));
        image.CloseEditor();
        Settle();
    }
    return seconds;
}

// One line's preview figures; false when a preview failed.
bool PreviewLine(const BenchLine &line, int rate, int runs, PreviewPrompter &prompter)
{
    gensim::Simulator sim;
    gensim::Generator &g = sim.addGenerator(BenchGenerator(rate, line));
    sim.start();
    setenv("MORVANE_COM1", g.comPath().c_str(), 1);

    CGenerator generator(nullptr);
    if (!generator.OpenPort())
        return false;
    CGenerator::MakeCurrent(&generator);
    CImage image;
    FillImage(image, kPrimitives);
    auto *editor = static_cast<CImageEditor *>(image.OpenEditor());
    editor->show();
    Settle();
    Figures preview;
    Figures send;
    bool ok = true;
    for (int run = 0; run < runs && ok; ++run) {
        const int before = prompter.previews;
        g.trace().clear();
        auto t0 = std::chrono::steady_clock::now();
        editor->Router().Execute(ID_PREVIEW);
        preview.seconds.push_back(Seconds(t0));
        preview.Count(g.trace().entries());
        ok = prompter.previews == before + 1 && !g.item(gensim::ItemKind::Image, "Preview").has_value();

        // The peer: the same image stored by a plain send, in the same run.
        g.trace().clear();
        t0 = std::chrono::steady_clock::now();
        {
            CProgressDlg progress(nullptr, true);
            ok = ok && image.SendToGenerator(&generator, &progress);
        }
        send.seconds.push_back(Seconds(t0));
        send.Count(g.trace().entries());
    }
    image.CloseEditor();
    Settle();
    CGenerator::MakeCurrent(nullptr);
    if (ok) {
        preview.Print(line, "preview", rate);
        send.Print(line, "image send (peer)", rate);
        std::printf("%-7s preview / send: %.2f\n", line.name, preview.Median() / send.Median());
    }
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    const int rate = argc > 1 ? std::atoi(argv[1]) : 115200;
    const int runs = std::max(1, argc > 2 ? std::atoi(argv[2]) : 3);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetNumericLocale();
    PreviewPrompter prompter;
    InstallPrompter(&prompter);
    SetEditorFactory<CImage>([](CImage &image) { return new CImageEditor(image); });

    // One open first, so that fonts, pictures and styles are loaded once.
    OpenTimes(1, 1);
    const std::vector<double> full = OpenTimes(kPrimitives, runs);
    const std::vector<double> empty = OpenTimes(0, runs);
    if (full.empty() || empty.empty()) {
        std::fprintf(stderr, "the editor did not open\n");
        return 1;
    }
    const double fullMedian = Median(full);
    const double emptyMedian = Median(empty);
    std::printf("editor open, %d primitives of every kind: median %.1f ms (best %.1f ms of %d); empty image %.1f ms; "
                "ratio %.1f; %.1f us a primitive\n",
                kPrimitives, fullMedian * 1e3, *std::min_element(full.begin(), full.end()) * 1e3, runs,
                emptyMedian * 1e3, fullMedian / emptyMedian, (fullMedian - emptyMedian) / kPrimitives * 1e6);

    std::printf("preview of one image of %d primitives of every kind at %d baud, %d runs\n", kPrimitives, rate, runs);
    for (const BenchLine &line : kBenchLines) {
        if (!PreviewLine(line, rate, runs, prompter) || prompter.boxes != 0) {
            std::fprintf(stderr, "%s: the preview failed\n", line.name);
            return 1;
        }
    }
    SetEditorFactory<CImage>({});
    InstallPrompter(nullptr);
    return 0;
}
