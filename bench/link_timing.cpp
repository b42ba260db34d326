// Connecting and name-list refresh through CGenerator against the simulator,
// on a bare pty and on a paced line, each beside the time the line itself
// needs at that rate; on the paced line the refresh also beside the minimal
// peer's same command on the same generator (line_floor_peer.c). Then what the port thread costs: commands per second
// through CGenerator (each call handed to the port thread while the GUI
// thread waits in its event loop) beside the backend called directly, in
// the same run; and the longest gap between paints of the progress dialog
// during a connect's search, beside the animation's frame interval.
//
//   build/bench/bench_link_timing [rate] [runs]
//
// Connect: the port opens at 2400, the handshake waits out its time-out
// there, and the search walks the rate table down to the generator's rate;
// those waits are part of the floor. Refresh: "FMTQ? 1 450 x" with 450 user
// formats in the generator.

#include "BenchSupport.h"
#include "CAnimateCtrl.h"
#include "CGenerator.h"
#include "CProgressDlg.h"
#include "PortBackend.h"
#include "Numbers.h"
#include "Prompts.h"
#include "gensim/Simulator.h"
#include "line_floor_peer.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// On the paced line, the refresh's command from the minimal peer on the same
// generator: seconds per run, negative when it failed.
double PeerRefresh(const std::string &path, int rate, int runs)
{
    const int fd = line_floor_open(path.c_str(), rate);
    std::size_t characters = 0;
    const double mean = fd < 0 ? -1 : line_floor_run(fd, "FMTQ? 1 450 x", runs, &characters);
    if (fd >= 0)
        ::close(fd);
    return mean;
}

// One line's figures; false when a connect or a refresh failed.
bool RunLine(const BenchLine &line, int rate, int runs)
{
    gensim::Simulator sim;
    gensim::Generator &g = sim.addGenerator(BenchGenerator(rate, line));
    for (int i = 0; i < 450; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "USR%04d", i);
        g.seed(gensim::ItemKind::Format, {.name = name});
    }
    sim.start();
    setenv("MORVANE_COM1", g.comPath().c_str(), 1);

    Figures connect;
    connect.waits = HandshakeWaits(rate);
    std::unique_ptr<CGenerator> generator;
    for (int run = 0; run < runs; ++run) {
        generator.reset(); // closes the port of the run before
        generator = std::make_unique<CGenerator>(nullptr);
        g.trace().clear();
        const auto t0 = std::chrono::steady_clock::now();
        if (!generator->OpenPort())
            return false;
        connect.seconds.push_back(Seconds(t0));
        connect.Count(g.trace().entries());
    }

    Figures refresh;
    for (int run = 0; run < runs; ++run) {
        g.trace().clear();
        const auto t0 = std::chrono::steady_clock::now();
        generator->RefreshFormatList();
        refresh.seconds.push_back(Seconds(t0));
        refresh.Count(g.trace().entries());
        if (generator->FormatNames().size() < 450)
            return false;
    }
    connect.Print(line, "connect", rate);
    refresh.Print(line, "refresh of 450 names", rate);
    if (line.lineTime) {
        generator.reset(); // the peer takes the line
        const double peer = PeerRefresh(g.comPath(), rate, runs);
        if (peer <= 0)
            return false;
        std::printf("  refresh to the minimal peer's same command: %.3f s / %.3f s = %.2f\n", refresh.Median(), peer,
                    refresh.Median() / peer);
    }
    return true;
}

// Paint times of any progress dialog's widgets.
class PaintClock : public QObject
{
public:
    PaintClock() { QCoreApplication::instance()->installEventFilter(this); }
    ~PaintClock() override { QCoreApplication::instance()->removeEventFilter(this); }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (event->type() == QEvent::Paint && widget && dynamic_cast<CProgressDlg *>(widget->window()))
            times.push_back(std::chrono::steady_clock::now());
        return false;
    }
    double LongestGapMs() const
    {
        double longest = 0;
        for (size_t i = 1; i < times.size(); ++i)
            longest = std::max(longest, std::chrono::duration<double, std::milli>(times[i] - times[i - 1]).count());
        return longest;
    }
    std::vector<std::chrono::steady_clock::time_point> times;
};

// Commands per second through CGenerator and through the backend directly,
// alternating blocks in one run; then a connect's paint gaps.
bool RunWorker(int rate, int runs)
{
    gensim::Simulator sim;
    gensim::Generator &g = sim.addGenerator(BenchGenerator(rate, kBenchLines[0]));
    sim.start();
    setenv("MORVANE_COM1", g.comPath().c_str(), 1);
    auto generator = std::make_unique<CGenerator>(nullptr);
    if (!generator->OpenPort())
        return false;
    constexpr int kCommands = 400;
    std::vector<double> viaWorker;
    std::vector<double> direct;
    std::vector<char> reply(6000);
    for (int run = 0; run < runs; ++run) {
        auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < kCommands; ++i)
            generator->QueryVerf();
        viaWorker.push_back(kCommands / Seconds(t0));
        t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < kCommands; ++i)
            InstalledPort().SendCommand(generator->GetPort(), "VERF?", reply.data(), int32_t(reply.size()));
        direct.push_back(kCommands / Seconds(t0));
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("  commands/s through CGenerator %.0f, backend directly %.0f, ratio %.3f\n", median(viaWorker),
                median(direct), median(viaWorker) / median(direct));

    std::vector<double> gaps;
    for (int run = 0; run < runs; ++run) {
        generator.reset();
        generator = std::make_unique<CGenerator>(nullptr);
        PaintClock clock;
        if (!generator->OpenPort())
            return false;
        gaps.push_back(clock.LongestGapMs());
    }
    std::printf("  connect: longest gap between progress paints %.0f ms (median of %d), animation frame %d ms, "
                "ratio %.2f\n",
                median(gaps), runs, CAnimateCtrl::kFrameMs, median(gaps) / CAnimateCtrl::kFrameMs);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const int rate = argc > 1 ? std::atoi(argv[1]) : 115200;
    const int runs = std::max(1, argc > 2 ? std::atoi(argv[2]) : 3);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    unsetenv("MORVANE_TIME_SCALE"); // the handshake waits are part of the figure
    QApplication app(argc, argv);
    SetNumericLocale();
    BenchPrompter prompter;
    InstallPrompter(&prompter);
    std::printf("CGenerator at %d baud, %d runs\n", rate, runs);
    for (const BenchLine &line : kBenchLines) {
        if (!RunLine(line, rate, runs) || prompter.boxes != 0) {
            std::fprintf(stderr, "%s: the connect or the refresh failed\n", line.name);
            return 1;
        }
    }
    std::printf("port thread (unpaced):\n");
    if (!RunWorker(rate, runs) || prompter.boxes != 0) {
        std::fprintf(stderr, "the port thread's figures failed\n");
        return 1;
    }
    InstallPrompter(nullptr);
    return 0;
}
