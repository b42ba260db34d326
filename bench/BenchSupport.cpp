#include "BenchSupport.h"
#include "ResourceIds.h"

#include "CGenerator.h"
#include "CSelectPortDlg.h"
#include "line_floor_peer.h"

#include <QDialog>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

int BenchPrompter::Message(const MessageRequest &request)
{
    if (request.textId == IDS_SAVE_QUESTION)
        return IDNO;
    std::fprintf(stderr, "box: %s\n", qPrintable(request.text));
    ++boxes;
    return boxAnswer;
}

int BenchPrompter::Modal(QDialog &dialog)
{
    auto *port = dynamic_cast<CSelectPortDlg *>(&dialog);
    if (port == nullptr)
        return otherDialogs;
    port->m_portType = CSelectPortDlg::kTypeSerial;
    port->m_portNumber = 1;
    return IDOK;
}

gensim::GeneratorOptions BenchGenerator(int rate, const BenchLine &line)
{
    gensim::GeneratorOptions options;
    options.serial = "1";
    options.baudRate = rate;
    options.lineTime = line.lineTime;
    return options;
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double LineTime(double characters, int rate)
{
    return characters * 10.0 / rate;
}

double HandshakeWaits(int rate)
{
    constexpr double kHandshakeSeconds = 1.0; // the library's budget for one handshake
    const auto &rates = CGenerator::kBaudRates;
    const auto tried = std::find(rates.begin(), rates.end(), rate) - rates.begin();
    return kHandshakeSeconds * double((rate != 2400 ? 1 : 0) + tried);
}

void Figures::Count(const std::vector<gensim::TraceEntry> &entries)
{
    commands = entries.size();
    out = back = 0;
    lines.clear();
    for (const gensim::TraceEntry &e : entries) {
        lines.push_back(e.line);
        out += e.line.size() + 1;
        back += e.line.size() + 2 + e.reply.size() + 1;
    }
}

double Figures::Median()
{
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

void Figures::Print(const BenchLine &line, const char *what, int rate)
{
    const double floor = Floor(rate);
    const double median = Median();
    std::printf("%-7s %-24s %5zu commands, %6zu characters (%zu out, %zu back): median %.3f s (best %.3f s of %zu); "
                "floor %.3f s; ratio %.2f",
                line.name, what, commands, Characters(), out, back, median, seconds.front(), seconds.size(), floor,
                median / floor);
    // What the program adds to the line alone shows beside the waits.
    if (waits > 0)
        std::printf(" (%.1f s of the floor fixed waits; beyond them %.2f)", waits,
                    (median - waits) / LineTime(double(Characters()), rate));
    std::printf("\n");
}

bool Figures::PrintPeer(const std::string &comPath, int rate, int runs)
{
    const double peer = PeerSeconds(comPath, rate, *this, runs);
    if (peer <= 0)
        return false;
    const double median = Median();
    std::printf("  to the minimal peer's same commands: %.3f s / %.3f s = %.2f\n", median, peer, median / peer);
    return true;
}

double PeerSeconds(const std::string &comPath, int rate, const Figures &f, int runs)
{
    const int fd = line_floor_open(comPath.c_str(), rate);
    if (fd < 0)
        return -1;
    std::vector<double> seconds;
    for (int run = 0; run < runs; ++run) {
        std::size_t crossed = 0;
        const auto t0 = std::chrono::steady_clock::now();
        for (const std::string &line : f.lines) {
            const std::size_t n = line_floor_command(fd, line.c_str());
            if (n == 0) {
                std::fprintf(stderr, "the peer could not complete \"%s\"\n", line.c_str());
                ::close(fd);
                return -1;
            }
            crossed += n;
        }
        seconds.push_back(Seconds(t0));
        // Another count means another exchange, which says nothing of the program's.
        if (crossed != f.Characters()) {
            std::fprintf(stderr, "the peer's replay crossed %zu characters, the program's run %zu\n", crossed,
                         f.Characters());
            ::close(fd);
            return -1;
        }
    }
    ::close(fd);
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2] + f.waits;
}
