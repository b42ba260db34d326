// Connect and Send Data as the user runs them, through the main window's
// commands and the generator list, against the simulator; on a bare pty and
// on a paced line, each beside the time the line itself needs at that rate.
//
//   build/bench/bench_connect_send [rate] [runs] [formats]
//
// Connect: from the command to the generator's row painted. The port opens
// at 2400, where the handshake waits out its time-out (the real wait: no
// time scale), then the search, fastest rate first, finds the generator;
// those waits are part of the floor. The saved rate is the generator's, so
// nothing changes after.
// Send Data: the data list's formats (default timings, each its own name)
// to the selected generator, the Data Transfer dialog answered OK.

#include "BenchSupport.h"
#include "CDataListView.h"
#include "CFormat.h"
#include "CGeneratorListView.h"
#include "CMainWindow.h"
#include "DataKindRegistry.h"
#include "Numbers.h"
#include "Profile.h"
#include "Prompts.h"
#include "ShellImages.h"
#include "gensim/Simulator.h"

#include <QApplication>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// A profile and data folder of the benchmark's own, so the user's stay untouched.
std::string PrepareEnvironment()
{
    char folder[] = "/tmp/zot-bench-XXXXXX";
    if (!mkdtemp(folder))
        return {};
    setenv("XDG_CONFIG_HOME", folder, 1);
    setenv("XDG_DATA_HOME", folder, 1);
    if (!getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return folder;
}

// Generator/Connect until the new row has been painted; false without a row.
bool ConnectOnce(CMainWindow &window, Figures &connect, gensim::Generator &g)
{
    CGeneratorListView &list = *window.GetGeneratorListView();
    g.trace().clear();
    const auto t0 = std::chrono::steady_clock::now();
    window.Router().Execute(ID_CONNECT);
    if (list.GetRowCount() != 1)
        return false;
    list.List()->viewport()->repaint();
    connect.seconds.push_back(Seconds(t0));
    connect.Count(g.trace().entries());
    return true;
}

// Puts the generator's formats and "fmt" directory back as they were, on
// the simulator's side, so every run stores new names.
void ForgetSent(gensim::Generator &g, int formats, const gensim::StoredItem &directory)
{
    for (int i = 1; i <= formats; ++i)
        g.execute("FMTK \"BENCH" + std::to_string(i) + "\"");
    g.seed(gensim::ItemKind::Directory, directory);
}

// One line's figures, the generator's row gone again at the end; false when
// a connect or a send failed.
bool RunLine(CMainWindow &window, const BenchLine &line, int rate, int runs, int formats)
{
    gensim::Simulator sim;
    gensim::Generator &g = sim.addGenerator(BenchGenerator(rate, line));
    sim.start();
    setenv("MORVANE_COM1", g.comPath().c_str(), 1);
    CGeneratorListView &list = *window.GetGeneratorListView();

    Figures connect;
    connect.waits = HandshakeWaits(rate);
    bool ok = true;
    for (int run = 0; run < runs && ok; ++run) {
        ok = ConnectOnce(window, connect, g);
        if (ok && run + 1 < runs)
            list.RemoveGenerator(list.GetRowView(0));
    }

    list.SelectRow(0, true);
    const gensim::StoredItem directory = g.item(gensim::ItemKind::Directory, "fmt").value_or(gensim::StoredItem{});
    Figures send;
    for (int run = 0; run < runs && ok; ++run) {
        ForgetSent(g, formats, directory);
        g.trace().clear();
        window.UpdateControls();
        const auto t0 = std::chrono::steady_clock::now();
        window.Router().Execute(ID_SEND_DATA);
        send.seconds.push_back(Seconds(t0));
        send.Count(g.trace().entries());
        ok = g.item(gensim::ItemKind::Format, "BENCH" + std::to_string(formats)).has_value();
    }
    if (list.GetRowCount() == 1)
        list.RemoveGenerator(list.GetRowView(0));
    if (!ok)
        return false;
    connect.Print(line, "connect to row shown", rate);
    const std::string what = "send data of " + std::to_string(formats) + " formats";
    send.Print(line, what.c_str(), rate);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const int rate = argc > 1 ? std::atoi(argv[1]) : 115200;
    const int runs = std::max(1, argc > 2 ? std::atoi(argv[2]) : 3);
    const int formats = std::max(1, argc > 3 ? std::atoi(argv[3]) : 20);
    const std::string folder = PrepareEnvironment();
    unsetenv("MORVANE_TIME_SCALE");
    QApplication app(argc, argv);
    SetNumericLocale();
    BenchPrompter prompter;
    prompter.otherDialogs = IDOK; // the Data Transfer dialog
    InstallPrompter(&prompter);
    RegisterProgramDataKinds();
    WriteProfileInt(QStringLiteral("Generator"), QStringLiteral("PersistentBaudRate"), rate);

    CMainWindow window;
    window.CreateFrame();
    window.show();
    QCoreApplication::processEvents();

    CDataListView &data = *window.GetDataListView();
    bool ok = true;
    for (int i = 1; i <= formats && ok; ++i) {
        auto *format = dynamic_cast<CFormat *>(data.NewItem(kIconFormat));
        ok = format != nullptr;
        if (ok)
            format->SetName(QStringLiteral("BENCH%1").arg(i));
    }
    std::printf("the main window, a generator at %d baud, %d runs\n", rate, runs);
    for (const BenchLine &line : kBenchLines) {
        if (!ok)
            break;
        ok = RunLine(window, line, rate, runs, formats) && prompter.boxes == 0;
        if (!ok)
            std::fprintf(stderr, "%s: the connect or the send failed\n", line.name);
    }
    window.close(); // the save offers for the unsaved formats are declined
    InstallPrompter(nullptr);
    if (!folder.empty())
        std::system(("rm -rf '" + folder + "'").c_str());
    return ok ? 0 : 1;
}
