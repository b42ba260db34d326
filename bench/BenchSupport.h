#pragma once
// What the program benchmarks share: a prompter that answers as a user in a
// hurry would, the two lines a benchmark runs over, and the figures of a run
// against the simulator beside the time the line itself would need.

#include "Prompts.h"
#include "gensim/Generator.h"
#include "gensim/Trace.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <string>
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

// A bare pty carries bytes without line time, so a program can beat the
// floor there; a paced line takes each character's 10 bits as a cable does,
// so there the ratio says what the program adds to the line.
struct BenchLine {
    const char *name;
    bool lineTime;
};
inline constexpr std::array<BenchLine, 2> kBenchLines = {{{"unpaced", false}, {"paced", true}}};

// The generator the benchmarks talk to, at rate on that line.
gensim::GeneratorOptions BenchGenerator(int rate, const BenchLine &line);

double Seconds(std::chrono::steady_clock::time_point since);

// Seconds a line at rate needs for this many characters of 10 bits.
double LineTime(double characters, int rate);

// Seconds a connect waits on handshakes that find no generator: the open at
// 2400, then every rate the search tries before the generator's.
double HandshakeWaits(int rate);

// Timings of repeated runs and the characters of one run, counted from the
// generator's trace: each command and its CR out; its echo, CR LF, the reply
// and the prompt back. The floor is their line time plus the fixed waits of
// one run, which no line speed shortens.
struct Figures {
    std::vector<double> seconds;
    std::size_t commands = 0;
    std::size_t out = 0;
    std::size_t back = 0;
    double waits = 0;
    std::vector<std::string> lines; // the command lines of the last counted run

    std::size_t Characters() const { return out + back; }
    void Count(const std::vector<gensim::TraceEntry> &entries);
    double Median();
    double Floor(int rate) const { return LineTime(double(Characters()), rate) + waits; }
    // One line: the line, counts, median, best, floor and their ratio.
    void Print(const BenchLine &line, const char *what, int rate);
    // One line: the median beside the minimal peer's seconds for the same
    // commands on the generator at comPath; false when the peer failed.
    bool PrintPeer(const std::string &comPath, int rate, int runs);
};

// Seconds the minimal peer (line_floor_peer.c) takes for the command lines of
// f's last run on the generator at comPath: the median of runs replays plus
// f's fixed waits, which the peer does not sit out. The program must have
// closed its port. Negative when a line did not complete or the exchange
// crossed other characters than the program's.
double PeerSeconds(const std::string &comPath, int rate, const Figures &f, int runs);
