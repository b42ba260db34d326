// YMODEM throughput over one socat pseudo-terminal link, 1 MiB of random
// bytes three ways in each round: lrzsz at both ends (sb -k to rb, the
// yardstick), YmodemSend to rb, and sb -k to YmodemReceive; our processor
// time per MiB beside that of the lrzsz program doing the same side; the
// median of each ratio over the rounds (3 unless told). Then
// the processor time we use while a silent peer holds us in a 10 s wait,
// and the time the transfer needs on a real line at 115200 baud.
//
//   build/bench/bench_ymodem_throughput [bytes] [rounds]

#include "CGenerator.h"
#include "PortWorker.h"
#include "SerialPeers.h"

#include <morvane.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <poll.h>
#include <random>
#include <unistd.h>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double ProcessorSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

std::string Folder(const QTemporaryDir& top, const char* name)
{
    QDir(top.path()).mkdir(QString::fromLatin1(name));
    return top.path().toStdString() + "/" + name;
}

bool SameFile(const std::string& a, const std::string& b)
{
    QFile x(QString::fromStdString(a));
    QFile y(QString::fromStdString(b));
    return x.open(QIODevice::ReadOnly) && y.open(QIODevice::ReadOnly) && x.readAll() == y.readAll();
}

// The library's COM1 on a link end where no generator answers the handshake.
std::unique_ptr<CGenerator> Connect(const std::string& terminal)
{
    setenv("MORVANE_COM1", terminal.c_str(), 1);
    const PortId id = XR_PortOpen("com1");
    return id != 0 ? std::make_unique<CGenerator>(nullptr, id) : nullptr;
}

// Characters on the line, both ways, for one file sent in 1K blocks and
// 128-byte blocks at the end: header, blocks, EOT; "C", ACK and "C", an ACK
// per block, the EOT's ACK.
double LineCharacters(long size)
{
    const long longBlocks = size / 1024;
    const long shortBlocks = (size % 1024 + 127) / 128;
    return double(133 + longBlocks * 1029 + shortBlocks * 133 + 1) + double(1 + 2 + longBlocks + shortBlocks + 1);
}

// Processor seconds per MiB of file, ours beside lrzsz's on the same side.
void ReportProcessor(long size, double ours, double theirs)
{
    const double mib = double(size) / (1024.0 * 1024.0);
    std::printf("%-28s %8.3f s of processor time, %.3f s per MiB; lrzsz's %.3f s per MiB: ratio %.2f\n", "", ours,
                ours / mib, theirs / mib, theirs > 0 ? ours / theirs : 0.0);
}

void Report(const char* way, long size, double seconds, double yardstick, bool same)
{
    std::printf("%-28s %8.3f s %10.0f bytes/s", way, seconds, double(size) / seconds);
    if (yardstick > 0)
        std::printf("   ratio to lrzsz %.2f", yardstick / seconds);
    std::printf("%s\n", same ? "" : "   FILES DIFFER");
}

// One round's ratios to lrzsz: throughput (higher is better) and processor
// time per MiB (lower is better), each way.
struct Round
{
    double yardstick = 0;
    double sbSeconds = 0; // processor time of each lrzsz program
    double rbSeconds = 0;
    double send = 0;
    double sendProcessor = 0;
    double receive = 0;
    double receiveProcessor = 0;
};

Round RunRound(const QTemporaryDir& top, const std::string& out, const std::string& source, long size,
               const std::string& round)
{
    Round r;
    // lrzsz at both ends.
    double& yardstick = r.yardstick;
    double& sbSeconds = r.sbSeconds;
    double& rbSeconds = r.rbSeconds;
    {
        SocatLink link(Folder(top, ("link1-" + round).c_str()));
        const std::string in = Folder(top, ("in1-" + round).c_str());
        PeerProcess rb({"rb", "--ymodem"}, link.B(), in, "");
        const auto start = Clock::now();
        PeerProcess sb({"sb", "--ymodem", "-k", "random.bin"}, link.A(), out, "");
        // Timed to rb's end: its last ACK can be lost as it leaves (it
        // flushes its terminal), and then sb waits on for it.
        const int received = rb.Wait(600000);
        yardstick = Since(start);
        sb.Stop();
        sbSeconds = sb.ProcessorSeconds();
        rbSeconds = rb.ProcessorSeconds();
        Report("sb -k -> rb", size, yardstick, 0, received == 0 && SameFile(source, in + "/random.bin"));
        std::printf("%-28s sb %.3f s and rb %.3f s of processor time\n", "", sbSeconds, rbSeconds);
    }

    // Ours sending.
    {
        SocatLink link(Folder(top, ("link2-" + round).c_str()));
        auto gen = Connect(link.A());
        DrainTerminal(link.B());
        const std::string in = Folder(top, ("in2-" + round).c_str());
        PeerProcess rb({"rb", "--ymodem"}, link.B(), in, "");
        QString error;
        const double cpu = ProcessorSeconds();
        const auto start = Clock::now();
        const bool ok = gen && gen->YmodemSend({QString::fromStdString(source)}, nullptr, error);
        const double seconds = Since(start);
        const double used = ProcessorSeconds() - cpu;
        rb.Stop();
        Report("YmodemSend -> rb", size, seconds, yardstick, ok && SameFile(source, in + "/random.bin"));
        ReportProcessor(size, used, sbSeconds);
        r.send = ok ? yardstick / seconds : 0;
        r.sendProcessor = sbSeconds > 0 ? used / sbSeconds : 0;
    }

    // Ours receiving.
    {
        SocatLink link(Folder(top, ("link3-" + round).c_str()));
        auto gen = Connect(link.A());
        DrainTerminal(link.B());
        const std::string in = Folder(top, ("in3-" + round).c_str());
        PeerProcess sb({"sb", "--ymodem", "-k", "random.bin"}, link.B(), out, "");
        const double cpu = ProcessorSeconds();
        const auto start = Clock::now();
        const int files = gen ? gen->YmodemReceive(QString::fromStdString(in), nullptr) : 0;
        const double seconds = Since(start);
        const double used = ProcessorSeconds() - cpu;
        sb.Wait(10000);
        Report("sb -k -> YmodemReceive", size, seconds, yardstick, files == 1 && SameFile(source, in + "/random.bin"));
        ReportProcessor(size, used, rbSeconds);
        r.receive = files == 1 ? yardstick / seconds : 0;
        r.receiveProcessor = rbSeconds > 0 ? used / rbSeconds : 0;
    }

    return r;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const long size = argc > 1 ? std::atol(argv[1]) : 1024 * 1024;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    for (const char* tool : {"socat", "sb", "rb"}) {
        if (!HaveProgram(tool)) {
            std::fprintf(stderr, "%s is missing: ./zot installs lrzsz and socat\n", tool);
            return 1;
        }
    }
    QTemporaryDir top;
    const std::string out = Folder(top, "out");
    {
        std::mt19937 random(21);
        std::string bytes(size_t(size), '\0');
        for (char& c : bytes)
            c = char(random() & 0xFF);
        QFile file(QString::fromStdString(out + "/random.bin"));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
            return 1;
    }
    const std::string source = out + "/random.bin";
    std::printf("%ld bytes over one socat pseudo-terminal link\n", size);

    // Each round in one go: a peer that loses a block to its own flush
    // waits out a 10 s time-out, so one round alone says little.
    std::vector<Round> results;
    for (int i = 0; i < rounds; ++i) {
        std::printf("round %d\n", i + 1);
        results.push_back(RunRound(top, out, source, size, std::to_string(i)));
    }
    auto median = [&](double Round::*field) {
        std::vector<double> values;
        for (const Round& r : results)
            values.push_back(r.*field);
        return Median(values);
    };
    std::printf("median of %d rounds, ratio to lrzsz: YmodemSend %.2f (processor %.2f), YmodemReceive %.2f "
                "(processor %.2f)\n",
                rounds, median(&Round::send), median(&Round::sendProcessor), median(&Round::receive),
                median(&Round::receiveProcessor));

    // A silent peer: one 10 s wait for a byte, on the port thread as in a
    // transfer; its processor time is that thread's alone.
    {
        SocatLink link(Folder(top, "link4"));
        auto gen = Connect(link.A());
        int byte = 0;
        bool got = false;
        double cpu = 0;
        const auto start = Clock::now();
        PortWorker::Run([&] {
            const double before = ThreadSeconds();
            got = gen && gen->WaitForByte(10, byte);
            cpu = ThreadSeconds() - before;
        });
        const double waited = Since(start);
        std::printf("silent peer, one 10 s wait: %.3f s waited, %.4f s of processor time (%.3f %% of a core)%s\n",
                    waited, cpu, 100 * cpu / waited, got ? " (a byte came!)" : "");
        // The yardstick of that figure on this machine: one bare poll of a
        // silent pipe for the same 10 s, on the same thread.
        int pipeEnds[2];
        if (::pipe(pipeEnds) == 0) {
            PortWorker::Run([&] {
                const double before = ThreadSeconds();
                pollfd entry{pipeEnds[0], POLLIN, 0};
                ::poll(&entry, 1, 10000);
                cpu = ThreadSeconds() - before;
            });
            ::close(pipeEnds[0]);
            ::close(pipeEnds[1]);
            std::printf("the same 10 s as one bare poll of a pipe: %.4f s of processor time\n", cpu);
        }
    }

    const double characters = LineCharacters(size);
    std::printf("on a line at 115200 baud: %.0f characters of 10 bits, %.1f s (%.0f bytes/s of file)\n", characters,
                characters * 10 / 115200, double(size) / (characters * 10 / 115200));
    return 0;
}
