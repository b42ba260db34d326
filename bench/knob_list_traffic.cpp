// Knob lists of 450 entries through CKnobList, on a bare pty and on a paced
// line: the send and the recall (a full directory refuses the recall's
// marker, which shows one box), each beside the time the line itself needs;
// and the knob list editor choosing the generator (each entry's kind looked
// up, the name pane filled) against the scan of that generator. On the paced
// line each also beside the minimal peer's same commands.
//
//   build/bench/bench_knob_list_traffic [rate] [runs]

#include "BenchSupport.h"
#include "CEditorDialogBar.h"
#include "CGenerator.h"
#include "CGeneratorView.h"
#include "CKnobList.h"
#include "CKnobListEditor.h"
#include "CProgressDlg.h"
#include "GeneratorViewHost.h"
#include "GeneratorViewRegistry.h"
#include "Numbers.h"
#include "Prompts.h"
#include "gensim/Simulator.h"

#include <QApplication>
#include <QComboBox>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kEntries = 450;

// A view outside the main window needs nothing from it here.
class BenchHost : public GeneratorViewHost {
public:
    QObject *MessageWindow() override { return &window; }
    CGenData *NewDataItem(int) override { return nullptr; }
    void DeleteDataItems(const QList<CGenData *> &) override {}
    void SelectDataItems(const QList<CGenData *> &) override {}
    void DeselectAllData() override {}
    void EditSelectedData() override {}
    bool OpenDataFile() override { return false; }
    bool IsDataListDragging() const override { return false; }
    void SendDataListSelectionTo(CGeneratorView *, CProgressDlg *) override {}
    void SendDataToSelectedGenerators() override {}
    bool HasSelectedGenerators() const override { return false; }
    void UpdateControls() override {}
    void OpenHelpFile() override {}
    void OperationStarted() override {}
    void OperationEnded() override {}
    QObject window;
};

// 444 user formats beside the 6 built-in ones: 450 format names, no sequence.
void Populate(gensim::Generator &g)
{
    gensim::StoredItem base = *g.item(gensim::ItemKind::Format, "VGA_m4");
    for (int i = 1; i <= 444; ++i) {
        gensim::StoredItem format = base;
        char name[8];
        std::snprintf(name, sizeof name, "F%03d", i);
        format.name = format.fields["NAME"] = name;
        format.user = true;
        g.seed(gensim::ItemKind::Format, format);
    }
    g.execute("SEQK NewSeq");
}

bool RunLine(const BenchLine &line, int rate, int runs, BenchPrompter &prompter)
{
    gensim::Simulator sim;
    gensim::Generator &g = sim.addGenerator(BenchGenerator(rate, line));
    Populate(g);
    sim.start();
    setenv("MORVANE_COM1", g.comPath().c_str(), 1);
    auto *generator = new CGenerator(nullptr);
    if (!generator->OpenPort())
        return false;
    BenchHost host;
    auto *view = new CGeneratorView(generator, &host);
    view->CreateFrame();

    Figures scan;
    for (int run = 0; run < runs; ++run) {
        g.trace().clear();
        const auto t0 = std::chrono::steady_clock::now();
        if (view->ScanGenerator() != 1)
            return false;
        scan.seconds.push_back(Seconds(t0));
        scan.Count(g.trace().entries());
    }
    const QStringList names = generator->FormatNames();
    if (names.size() != kEntries)
        return false;
    GeneratorViewRegistry::List(view);

    CKnobList list;
    list.SetName(QStringLiteral("Bench"));
    list.SetEntries(names);
    Figures send, recall, choose;
    for (int run = 0; run < runs; ++run) {
        g.trace().clear();
        auto t0 = std::chrono::steady_clock::now();
        {
            CProgressDlg progress(nullptr, true);
            if (!list.SendToGenerator(generator, &progress))
                return false;
        }
        send.seconds.push_back(Seconds(t0));
        send.Count(g.trace().entries());

        CKnobList back;
        g.trace().clear();
        t0 = std::chrono::steady_clock::now();
        if (!back.RecallFromGenerator(QStringLiteral("Bench"), generator, nullptr) || back.Entries() != names)
            return false;
        recall.seconds.push_back(Seconds(t0));
        // A full directory refuses the marker a recall puts in: one box, then it is read as it is.
        if (prompter.boxes != 1)
            return false;
        prompter.boxes = 0;
        recall.Count(g.trace().entries());

        auto *editor = static_cast<CKnobListEditor *>(back.OpenEditor());
        QComboBox &combo = *editor->DialogBar()->Combo();
        g.trace().clear();
        t0 = std::chrono::steady_clock::now();
        combo.setCurrentIndex(1);
        emit combo.activated(1);
        choose.seconds.push_back(Seconds(t0));
        choose.Count(g.trace().entries());
        back.SetModified(false);
        delete editor;
    }
    GeneratorViewRegistry::Unlist(view);
    delete view; // closes the port: the peer takes the line
    const std::string &path = g.comPath();
    auto print = [&](Figures &f, const char *what) {
        f.Print(line, what, rate);
        return !line.lineTime || f.PrintPeer(path, rate, runs);
    };
    if (!print(send, "send of 450 entries") || !print(recall, "recall of 450 entries") ||
        !print(choose, "editor on the generator"))
        return false;
    // The program scanned before the list was stored; the peer's scan must see the same directories.
    if (line.lineTime && !g.execute("DIRK Bench").empty())
        return false;
    return print(scan, "scan of the generator");
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
    SetEditorFactory<CKnobList>([](CKnobList &list) { return new CKnobListEditor(list); });
    std::printf("a knob list of %d entries at %d baud, %d runs\n", kEntries, rate, runs);
    for (const BenchLine &line : kBenchLines) {
        if (!RunLine(line, rate, runs, prompter) || prompter.boxes != 0) {
            std::fprintf(stderr, "%s: a transfer failed\n", line.name);
            return 1;
        }
    }
    InstallPrompter(nullptr);
    return 0;
}
