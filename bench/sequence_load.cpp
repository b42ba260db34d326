// Taking 10000 steps in: a dropped step block into the sequence editor's
// table, and a sequence file loaded, each beside a plain copy of the same
// steps (what no reader can beat).
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
#include <vector>

namespace {

constexpr int kSteps = 10000;

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::vector<CSequenceStep> Steps()
{
    std::vector<CSequenceStep> steps(kSteps);
    for (int i = 0; i < kSteps; ++i) {
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
    std::printf("%-28s median %.4f s; plain copy %.6f s; ratio %.0f\n", what, median, copy, median / copy);
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = std::max(1, argc > 1 ? std::atoi(argv[1]) : 5);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetNumericLocale();
    SetEditorFactory<CSequence>([](CSequence &sequence) { return new CSequenceEditor(sequence); });
    const std::vector<CSequenceStep> steps = Steps();
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

    std::vector<double> drop, load, copy;
    for (int run = 0; run < runs; ++run) {
        auto t0 = std::chrono::steady_clock::now();
        std::vector<CSequenceStep> copied = steps;
        copy.push_back(Seconds(t0));
        if (copied.size() != steps.size())
            return 1;

        CSequence target;
        auto *editor = static_cast<CSequenceEditor *>(target.OpenEditor());
        QMimeData data;
        data.setData(StepTransferBlock::MimeType(), block);
        t0 = std::chrono::steady_clock::now();
        const bool taken = editor->StepView()->DropTarget()->OnDrop(editor, &data, Qt::CopyAction, QPoint());
        drop.push_back(Seconds(t0));
        if (!taken || editor->StepView()->RowCount() != kSteps)
            return 1;
        editor->SetModified(false);
        delete editor;

        QByteArray in = bytes;
        QBuffer buffer(&in);
        buffer.open(QIODevice::ReadOnly);
        t0 = std::chrono::steady_clock::now();
        CArchive ar(&buffer, CArchive::load);
        const std::unique_ptr<CSequence> loaded = ar.ReadObject<CSequence>();
        load.push_back(Seconds(t0));
        if (!loaded || loaded->Steps().size() != size_t(kSteps))
            return 1;
    }
    std::printf("%d steps, %d runs\n", kSteps, runs);
    Print("drop into the editor", drop, copy);
    Print("sequence file load", load, copy);
    return 0;
}
