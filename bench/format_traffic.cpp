// Sending and recalling one format through CGenerator against the simulator
// on a pty, each beside the time the line itself needs at that rate.
//
//   build/bench/bench_format_traffic [rate] [runs]
//
// The line-time floor counts every character both ways, taken from the
// generator's trace: the command and its CR out; its echo, CR LF, the reply
// and the ">" prompt back; 10 bits a character. A recall also waits 0.5 s
// for the generator to settle after loading the format, which no line speed
// shortens; it is shown beside the floor. The simulator's pty passes bytes
// without pacing them, so a ratio below 1 is possible: it means the program
// adds less than the line itself would take.

#include "CFormat.h"
#include "CGenerator.h"
#include "CGeneralFormatData.h"
#include "CProgressDlg.h"
#include "CSelectPortDlg.h"
#include "Numbers.h"
#include "BenchSupport.h"
#include "Prompts.h"
#include "gensim/Simulator.h"

#include <QApplication>
#include <QDialog>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr double kRecallSettleSeconds = 0.5;

// Answers the port dialog with "Serial 1" and every box with OK.



void Print(const char* what, Figures& f, int rate, double extraWait)
{
    const double floor = f.Characters() * 10.0 / rate;
    const double median = f.Median();
    std::printf("%-7s %3zu commands, %5zu characters (%zu out, %zu back): median %.3f s (best %.3f s of %zu); "
                "line-time floor %.3f s",
                what, f.commands, f.Characters(), f.out, f.back, median, f.seconds.front(), f.seconds.size(), floor);
    if (extraWait > 0)
        std::printf(" + %.1f s settle wait = %.3f s", extraWait, floor + extraWait);
    std::printf("; ratio %.2f\n", median / (floor + extraWait));
}

} // namespace

int main(int argc, char** argv)
{
    const int rate = argc > 1 ? std::atoi(argv[1]) : 115200;
    const int runs = std::max(1, argc > 2 ? std::atoi(argv[2]) : 5);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetNumericLocale();
    BenchPrompter prompter;
    InstallPrompter(&prompter);

    gensim::Simulator sim;
    gensim::Generator& g = sim.addGenerator({.model = "VG-7000", .firmware = "7.011",
                                             .serial = "1", .baudRate = rate, .link = ""});
    sim.start();
    setenv("MORVANE_COM1", g.comPath().c_str(), 1);

    CGenerator generator(nullptr);
    if (!generator.OpenPort()) {
        std::fprintf(stderr, "no connection\n");
        return 1;
    }

    CFormat format;
    format.SetName(QStringLiteral("BENCH"));
    Figures send;
    Figures recall;
    bool ok = true;
    for (int run = 0; run < runs && ok; ++run) {
        g.trace().clear();
        auto t0 = std::chrono::steady_clock::now();
        {
            CProgressDlg progress(nullptr, true);
            ok = format.SendToGenerator(&generator, &progress);
        }
        send.seconds.push_back(Seconds(t0));
        send.Count(g.trace().entries());

        g.trace().clear();
        CFormat recalled;
        t0 = std::chrono::steady_clock::now();
        ok = ok && recalled.RecallFromGenerator(QStringLiteral("BENCH"), &generator, nullptr);
        recall.seconds.push_back(Seconds(t0));
        recall.Count(g.trace().entries());
    }
    if (!ok || prompter.boxes != 0) {
        std::fprintf(stderr, "the send or the recall failed\n");
        return 1;
    }
    std::printf("one format at %d baud, %d runs\n", rate, runs);
    Print("send", send, rate, 0);
    Print("recall", recall, rate, kRecallSettleSeconds);
    InstallPrompter(nullptr);
    return 0;
}
