#include "BenchSupport.h"
#include "ResourceIds.h"

#include "CGenerator.h"
#include "CSelectPortDlg.h"

#include <QDialog>

#include <algorithm>
#include <cstdio>

namespace {
}

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
    for (const gensim::TraceEntry &e : entries) {
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
