#include "BenchSupport.h"
#include "ResourceIds.h"

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

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double LineTime(double characters, int rate)
{
    return characters * 10.0 / rate;
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

void Figures::Print(const char *what, int rate)
{
    const double floor = LineTime(double(Characters()), rate);
    const double median = Median();
    std::printf("%-26s %5zu commands, %7zu characters (%zu out, %zu back): median %.3f s (best %.3f s of %zu); "
                "line-time floor %.3f s; ratio %.2f\n",
                what, commands, Characters(), out, back, median, seconds.front(), seconds.size(), floor,
                median / floor);
}
