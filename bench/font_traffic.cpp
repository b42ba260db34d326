// Fonts: a 96-character font of 16 rows (codes 32..127, 8 pixels wide)
// sent (CFontData::SendToGenerator) and recalled
// (CFontData::RecallFromGenerator) on a bare pty and on a paced line, each
// beside the time the line itself needs for the same run's characters.
//
//   build/bench/bench_font_traffic [rate] [runs]

#include "BenchSupport.h"
#include "CFontData.h"
#include "CGenerator.h"
#include "CProgressDlg.h"
#include "Numbers.h"
#include "gensim/Fonts.h"
#include "gensim/Simulator.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

// The simulator's sample font as the program holds it.
FontData BenchFont()
{
    const gensim::StoredItem sample = gensim::sampleFont("Bench", true, 32, 127, 8, 16, 5);
    const gensim::FontTables &t = sample.font;
    FontData f;
    const int headerSlots[] = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12};
    std::array<std::int32_t, FontData::kHeaderValues> header{};
    for (std::size_t k = 0; k < header.size(); ++k)
        header[k] = t.header[std::size_t(headerSlots[k])];
    f.SetHeader(header);
    f.bitmap = t.tables[0];
    f.locTable.assign(t.tables[1].begin(), t.tables[1].end());
    f.owTable.assign(t.tables[2].begin(), t.tables[2].end());
    f.imageWidths.assign(t.tables[3].begin(), t.tables[3].end());
    return f;
}

bool RunLine(const BenchLine &line, int rate, int runs)
{
    gensim::GeneratorOptions options = BenchGenerator(rate, line);
    options.firmware = "7.05"; // fonts from above 7.02
    gensim::Simulator sim;
    gensim::Generator &g = sim.addGenerator(options);
    sim.start();
    setenv("MORVANE_COM1", g.comPath().c_str(), 1);
    CGenerator generator(nullptr);
    if (!generator.OpenPort())
        return false;
    CFontData font;
    font.SetName(QStringLiteral("Bench"));
    font.SetData(BenchFont());
    if (!font.Data().Valid())
        return false;
    Figures send, recall;
    for (int run = 0; run < runs; ++run) {
        g.trace().clear();
        auto t0 = std::chrono::steady_clock::now();
        {
            CProgressDlg progress(nullptr, true);
            if (!font.SendToGenerator(&generator, &progress))
                return false;
        }
        send.seconds.push_back(Seconds(t0));
        send.Count(g.trace().entries());

        CFontData back;
        g.trace().clear();
        t0 = std::chrono::steady_clock::now();
        {
            CProgressDlg progress(nullptr, true);
            if (!back.RecallFromGenerator(QStringLiteral("Bench"), &generator, &progress) ||
                back.Data() != font.Data())
                return false;
        }
        recall.seconds.push_back(Seconds(t0));
        recall.Count(g.trace().entries());
    }
    send.Print(line, "send of 96 characters x 16 rows", rate);
    recall.Print(line, "recall of 96 characters x 16 rows", rate);
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
    std::printf("fonts at %d baud, %d runs\n", rate, runs);
    for (const BenchLine &line : kBenchLines) {
        if (!RunLine(line, rate, runs) || prompter.boxes != 0) {
            std::fprintf(stderr, "%s: a transfer failed\n", line.name);
            return 1;
        }
    }
    InstallPrompter(nullptr);
    return 0;
}
