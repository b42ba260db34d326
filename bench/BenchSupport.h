#pragma once
// What the program benchmarks share: a prompter that answers as a user in a
// hurry would, and the figures of a run against the simulator beside the
// time the line itself would need.

#include "Prompts.h"
#include "gensim/Trace.h"

#include <chrono>
#include <cstddef>
#include <vector>

// The port dialog chooses "Serial 1"; other dialogs end with otherDialogs;
// a box is answered boxAnswer (counted and printed), a save offer with No.
class BenchPrompter : public Prompter {
public:
    int Message(const MessageRequest &request) override;
    FileResult File(const FileRequest &) override { return {}; }
    QString Folder(const FolderRequest &) override { return {}; }
    int Modal(QDialog &dialog) override;
    bool OpenDocument(DocumentKind, const QString &) override { return false; }

    int boxAnswer = IDOK;
    int otherDialogs = IDCANCEL;
    int boxes = 0;
};

double Seconds(std::chrono::steady_clock::time_point since);

// Seconds a line at rate needs for this many characters of 10 bits.
double LineTime(double characters, int rate);

// Timings of repeated runs and the characters of one run, counted from the
// generator's trace: each command and its CR out; its echo, CR LF, the
// reply and the prompt back.
struct Figures {
    std::vector<double> seconds;
    std::size_t commands = 0;
    std::size_t out = 0;
    std::size_t back = 0;

    std::size_t Characters() const { return out + back; }
    void Count(const std::vector<gensim::TraceEntry> &entries);
    double Median();
    // One line: counts, median, best, line-time floor and their ratio.
    void Print(const char *what, int rate);
};
