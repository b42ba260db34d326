// Connect and Send Data as the user runs them, through the main window's
// commands and the generator list, against the simulator on a pty; each
// beside the time the line itself needs at that rate.
//
//   build/bench/bench_connect_send [rate] [runs] [formats]
//
// Connect: from the command to the generator's row painted. The port opens
// at 2400, where the handshake waits out its time-out (the real wait: no
// time scale), then the search, fastest rate first, finds the generator;
// the saved rate is the generator's, so nothing changes after. The floor
// leaves out that wait, which no line speed shortens.
// Send Data: the data list's formats (default timings, each its own name)
// to the selected generator, the Data Transfer dialog answered OK.
//
// The line-time floor counts every character both ways, taken from the
// generator's trace: the command and its CR out; its echo, CR LF, the reply
// and the ">" prompt back; 10 bits a character. The simulator's pty passes
// bytes without pacing them, so a ratio below 1 is possible.

#include "CDataListView.h"
#include "CDataTransferDlg.h"
#include "CFormat.h"
#include "CGeneratorListView.h"
#include "CMainWindow.h"
#include "CSelectPortDlg.h"
#include "DataKindRegistry.h"
#include "Numbers.h"
#include "Profile.h"
#include "BenchSupport.h"
#include "Prompts.h"
#include "ShellImages.h"
#include "gensim/Simulator.h"

#include <QApplication>
#include <QDialog>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {


// The port dialog chooses COM1, the Data Transfer dialog is confirmed, a
// save offer is declined; any other box is counted as a failure.



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
bool ConnectOnce(CMainWindow &window, Figures &connect, std::vector<double> &firstHeard, gensim::Generator &g)
{
    CGeneratorListView &list = *window.GetGeneratorListView();
    g.trace().clear();
    const auto t0 = std::chrono::steady_clock::now();
    // The first line the generator takes ends the handshake and the search.
    double heard = -1;
    std::thread watch([&] {
        if (g.trace().waitForSize(1, std::chrono::seconds(30)))
            heard = Seconds(t0);
    });
    window.Router().Execute(ID_CONNECT);
    watch.join();
    if (list.GetRowCount() != 1)
        return false;
    list.List()->viewport()->repaint();
    connect.seconds.push_back(Seconds(t0));
    firstHeard.push_back(heard);
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

    gensim::Simulator sim;
    gensim::Generator &g = sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "1",
                                             .baudRate = rate, .link = ""});
    sim.start();
    setenv("MORVANE_COM1", g.comPath().c_str(), 1);

    CMainWindow window;
    window.CreateFrame();
    window.show();
    QCoreApplication::processEvents();
    CGeneratorListView &list = *window.GetGeneratorListView();

    Figures connect;
    std::vector<double> firstHeard;
    bool ok = true;
    for (int run = 0; run < runs && ok; ++run) {
        ok = ConnectOnce(window, connect, firstHeard, g);
        if (ok && run + 1 < runs)
            list.RemoveGenerator(list.GetRowView(0));
    }

    CDataListView &data = *window.GetDataListView();
    for (int i = 1; i <= formats && ok; ++i) {
        auto *format = dynamic_cast<CFormat *>(data.NewItem(kIconFormat));
        ok = format != nullptr;
        if (ok)
            format->SetName(QStringLiteral("BENCH%1").arg(i));
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
    if (!ok || prompter.boxes != 0) {
        std::fprintf(stderr, "the connect or the send failed\n");
        return 1;
    }
    std::printf("generator at %d baud, %d runs\n", rate, runs);
    connect.Print("connect to row shown", rate);
    std::sort(firstHeard.begin(), firstHeard.end());
    std::printf("  of which the handshake at 2400 and the search, to the first line taken: median %.3f s\n",
                firstHeard[firstHeard.size() / 2]);
    const std::string what = "send data of " + std::to_string(formats) + " formats";
    send.Print(what.c_str(), rate);
    std::printf("  per format: median %.1f ms\n", send.Median() * 1e3 / formats);
    window.close(); // the save offers for the unsaved formats are declined
    InstallPrompter(nullptr);
    if (!folder.empty())
        std::system(("rm -rf '" + folder + "'").c_str());
    return 0;
}
