// Taking 1000 and 10000 steps in: a dropped step block into the sequence
// editor's table, the same steps inserted into the middle of that table
// (each until the shown table has laid its rows out), and a sequence file
// loaded, each beside a plain copy of the same steps (what no reader can
// beat); and how ten times the steps scale each (linear: 10).
//
//   build/bench/bench_sequence_load [runs]

#include "Archive.h"
#include "CSequence.h"
#include "CSequenceEditor.h"
#include "CSequenceStepView.h"
#include "CStepDropTarget.h"
#include "Numbers.h"
#include "StepTransferBlock.h"

#include <QApplication>
#include <QBuffer>
#include <QMimeData>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <vector>

namespace {

constexpr int kCounts[] = {1000, 10000};

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::vector<CSequenceStep> Steps(int count)
{
    std::vector<CSequenceStep> steps(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        steps[size_t(i)].formatName = QStringLiteral("DMT%1").arg(i % 10000);
        steps[size_t(i)].imageName = QStringLiteral("Flat");
        steps[size_t(i)].SetGateMask(i % 8);
        steps[size_t(i)].duration = i % 34;
    }
    return steps;
}

void Print(const char *what, const std::vector<double> &seconds, const std::vector<double> &copies)
{
    const double median = Median(seconds);
    const double copy = Median(copies);
    std::printf("  %-26s median %.4f s; plain copy %.6f s; ratio %.0f\n", what, median, copy, median / copy);
}

struct Figures {
    std::vector<double> drop, middle, load, copy;
};

// runs of each way in with count steps; false when one did not take every step.
bool Measure(int count, int runs, Figures &f)
{
    const std::vector<CSequenceStep> steps = Steps(count);
    const QByteArray block = StepTransferBlock::Build(steps);
    CSequence source;
    source.SetName(QStringLiteral("Bench"));
    source.SetSteps(steps);
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    {
        CArchive ar(&file, CArchive::store);
        source.StoreObject(ar, false);
        ar.Flush();
    }
    const QByteArray bytes = file.data();

    for (int run = 0; run < runs; ++run) {
        auto t0 = std::chrono::steady_clock::now();
        std::vector<CSequenceStep> copied = steps;
        f.copy.push_back(Seconds(t0));
        if (copied.size() != steps.size())
            return false;

        CSequence target;
        auto *editor = static_cast<CSequenceEditor *>(target.OpenEditor());
        QMimeData data;
        data.setData(StepTransferBlock::MimeType(), block);
        t0 = std::chrono::steady_clock::now();
        const bool taken = editor->StepView()->DropTarget()->OnDrop(editor, &data, Qt::CopyAction, QPoint());
        QCoreApplication::processEvents(); // the shown table lays its rows out
        f.drop.push_back(Seconds(t0));
        if (!taken || editor->StepView()->RowCount() != count)
            return false;
        // The same steps again, into the middle of the table.
        t0 = std::chrono::steady_clock::now();
        editor->StepView()->InsertStepsAt(steps, count / 2);
        QCoreApplication::processEvents();
        f.middle.push_back(Seconds(t0));
        if (editor->StepView()->RowCount() != 2 * count)
            return false;
        editor->SetModified(false);
        delete editor;

        QByteArray in = bytes;
        QBuffer buffer(&in);
        buffer.open(QIODevice::ReadOnly);
        t0 = std::chrono::steady_clock::now();
        CArchive ar(&buffer, CArchive::load);
        const std::unique_ptr<CSequence> loaded = ar.ReadObject<CSequence>();
        f.load.push_back(Seconds(t0));
        if (!loaded || loaded->Steps().size() != size_t(count))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = std::max(1, argc > 1 ? std::atoi(argv[1]) : 5);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetNumericLocale();
    SetEditorFactory<CSequence>([](CSequence &sequence) { return new CSequenceEditor(sequence); });
    std::printf("%d runs\n", runs);
    Figures figures[std::size(kCounts)];
    for (size_t i = 0; i < std::size(kCounts); ++i) {
        if (!Measure(kCounts[i], runs, figures[i]))
            return 1;
        std::printf("%d steps\n", kCounts[i]);
        Print("drop into the editor", figures[i].drop, figures[i].copy);
        Print("insert amid as many", figures[i].middle, figures[i].copy);
        Print("sequence file load", figures[i].load, figures[i].copy);
    }
    std::printf("%d steps against %d: drop %.1f x, insert amid %.1f x, load %.1f x\n", kCounts[1], kCounts[0],
                Median(figures[1].drop) / Median(figures[0].drop), Median(figures[1].middle) / Median(figures[0].middle),
                Median(figures[1].load) / Median(figures[0].load));
    return 0;
}
