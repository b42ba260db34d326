// Opening format editors until every page has been shown once, for 1 and
// for 20 formats, beside the same number of plain windows with four empty
// tabs shown the same way in the same run: the ratio is the editor's own
// cost of building its pages.
//
//   build/bench/bench_format_editor [runs]
//
// Runs with the offscreen platform unless a display or platform is given.

#include "CFormat.h"
#include "CFormatEditor.h"

#include <QApplication>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void ShowEveryTab(QTabWidget &tabs)
{
    for (int i = 0; i < tabs.count(); ++i) {
        tabs.setCurrentIndex(i);
        QCoreApplication::processEvents();
    }
}

// Seconds to open count editors and show each of their pages.
double OpenEditors(int count)
{
    std::vector<std::unique_ptr<CFormat>> formats;
    for (int i = 0; i < count; ++i)
        formats.push_back(std::make_unique<CFormat>());
    const Clock::time_point start = Clock::now();
    for (auto &format : formats) {
        auto *editor = static_cast<CFormatEditor *>(format->OpenEditor());
        editor->show();
        ShowEveryTab(*editor->Tabs());
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    formats.clear();
    QCoreApplication::processEvents();
    return seconds;
}

// The same for windows of four empty tabs.
double OpenPlainWindows(int count)
{
    std::vector<std::unique_ptr<QWidget>> windows;
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < count; ++i) {
        auto window = std::make_unique<QWidget>();
        auto *tabs = new QTabWidget(window.get());
        (new QVBoxLayout(window.get()))->addWidget(tabs);
        for (const char *title : {"Options", "Timing", "Worksheet 1", "Worksheet 2"})
            tabs->addTab(new QWidget, QString::fromLatin1(title));
        window->show();
        ShowEveryTab(*tabs);
        windows.push_back(std::move(window));
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    windows.clear();
    QCoreApplication::processEvents();
    return seconds;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    SetEditorFactory<CFormat>([](CFormat &format) { return new CFormatEditor(format); });
    OpenEditors(1); // fonts, styles and pictures loaded once, outside the figures
    OpenPlainWindows(1);
    std::printf("%-8s %12s %12s %8s\n", "formats", "editors ms", "plain ms", "ratio");
    for (int count : {1, 20}) {
        std::vector<double> editors, plain;
        for (int run = 0; run < runs; ++run) {
            editors.push_back(OpenEditors(count));
            plain.push_back(OpenPlainWindows(count));
        }
        const double e = Median(editors), p = Median(plain);
        std::printf("%-8d %12.2f %12.2f %8.1f\n", count, e * 1e3, p * 1e3, e / p);
    }
    SetEditorFactory<CFormat>({});
    return 0;
}
