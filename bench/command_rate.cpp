// Command round trips of XR_PortSendCommand("HRES?") against the simulator
// (a separate gensim process), on a bare pty and on a paced line, beside the
// time the line itself needs at that rate and, on the paced line, beside the
// minimal peer's round trip on the same simulator in the same run; and the
// processor time this process spends, both while commands flow and while it
// only waits for a generator that does not answer. Built with the program, also
// the same commands through CGenerator from the GUI thread: one hand-off to the
// port thread and back a command, and all of them as one job (RunCommands).
//
//   build/bench/bench_command_rate [commands] [rate]

#include "morvane.h"

#include "ProcessTimes.h"
#include "line_floor_peer.h"

#ifdef ZOT_COMMAND_RATE_PROGRAM
#include "CGenerator.h"
#include "CommandJob.h"
#include "PortBackend.h"

#include <QCoreApplication>
#endif

#include <fcntl.h>
#include <sys/wait.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

extern char** environ;

namespace {

double LineSeconds(double characters, int rate)
{
    return characters * 10.0 / rate;
}

pid_t StartSimulator(const std::string& envFile, int rate, bool lineTime)
{
    const std::string baud = std::to_string(rate);
    const char* argv[] = {GENSIM, "--baud", baud.c_str(), "--env-file", envFile.c_str(),
                          lineTime ? "--line-time" : nullptr, nullptr};
    // The environment comes from the file; what it prints would only repeat it.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, GENSIM, &quiet, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0)
        return 0;
    for (int i = 0; i < 100; ++i) {
        std::ifstream in(envFile);
        std::string line;
        if (std::getline(in, line) && line.rfind("MORVANE_COM1=", 0) == 0) {
            setenv("MORVANE_COM1", line.substr(13).c_str(), 1);
            return pid;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGTERM);
    return 0;
}


// One line's figures; false when the simulator or the connection failed.
bool RunLine(const char* line, bool lineTime, int commands, int rate, int& failures)
{
    const std::string envFile = "/tmp/bench_command_rate." + std::to_string(getpid());
    const pid_t sim = StartSimulator(envFile, rate, lineTime);
    unlink(envFile.c_str());
    if (sim == 0) {
        std::fprintf(stderr, "the simulator did not start\n");
        return false;
    }

    // The minimal peer first, on the line the library is about to open.
    double peerMean = -1;
    if (lineTime) {
        const int fd = line_floor_open(std::getenv("MORVANE_COM1"), rate);
        std::size_t peerCharacters = 0;
        peerMean = fd < 0 ? -1 : line_floor_run(fd, "HRES?", commands, &peerCharacters);
        if (fd >= 0)
            close(fd);
        if (peerMean > 0)
            std::printf("%-7s minimal peer: mean %.3f ms for %zu characters; line time %.3f ms; ratio %.2f\n", line,
                        1e3 * peerMean, peerCharacters, 1e3 * LineSeconds(peerCharacters, rate),
                        peerMean / LineSeconds(peerCharacters, rate));
        else
            std::printf("%-7s minimal peer: no answer\n", line);
    }

    PortId id = XR_PortOpen("com1");
    if (id != 0 && XR_PortGetError() == 1000 && rate != 2400) {
        XR_PortSetRate(id, rate);
        if (XR_PortIsShutDown(id))
            id = 0;
    }
    if (id == 0) {
        std::fprintf(stderr, "no connection (error %d)\n", XR_PortGetError());
        kill(sim, SIGTERM);
        waitpid(sim, nullptr, 0);
        return false;
    }

    char reply[6000];
    std::size_t replyLength = 0;
    Measure traffic;
    for (int i = 0; i < commands; ++i) {
        XR_PortSendCommand(id, "HRES?", reply, sizeof reply);
        failures += XR_PortGetError() != 0;
        replyLength = std::strlen(reply);
    }
    const double wall = traffic.Wall(), cpu = traffic.Cpu();
    // Each character of "HRES?" CR out and its echo back, one after the
    // other; then LF, the reply (its CR LF kept in the buffer) and ">".
    const double characters = 2.0 * 6 + 1 + double(replyLength) + 1;
    const double floor = LineSeconds(characters, rate);
    std::printf("%-7s command round trip: %d commands of %.0f characters: mean %.3f ms; floor %.3f ms; "
                "ratio %.2f\n",
                line, commands, characters, 1e3 * wall / commands, 1e3 * floor, wall / commands / floor);
    if (peerMean > 0)
        std::printf("        to the minimal peer: %.3f ms / %.3f ms = %.2f\n", 1e3 * wall / commands, 1e3 * peerMean,
                    wall / commands / peerMean);
    std::printf("        processor time %.3f s of %.3f s wall (%.1f%%)\n", cpu, wall, 100.0 * cpu / wall);

    // Waiting: the generator stops answering at a rate it does not use, so
    // the handshake waits out its whole second.
    XR_PortSetRate(id, rate == 300 ? 1200 : 300);
    Measure waiting;
    const int rounds = 3;
    for (int i = 0; i < rounds; ++i)
        XR_PortIsShutDown(id);
    std::printf("        waiting: %d handshakes without answer, %.3f s wall, processor %.4f s (%.2f%%)\n",
                rounds, waiting.Wall(), waiting.Cpu(), 100.0 * waiting.Cpu() / waiting.Wall());

#ifdef ZOT_COMMAND_RATE_PROGRAM
    // The generator hears its own rate again; the connection takes the port
    // and closes it when it goes.
    XR_PortSetRate(id, rate);
    {
        CGenerator generator(nullptr, id);
        const auto figure = [&](const char* how, double seconds, double processor) {
            std::printf("        through CGenerator, %s: mean %.3f ms; ratio %.2f; processor %.1f us a command\n", how,
                        1e3 * seconds / commands, seconds / commands / floor, 1e6 * processor / commands);
        };
        Measure each;
        for (int i = 0; i < commands; ++i) {
            generator.SendQueryInt(QStringLiteral("HRES?"));
            failures += !generator.LastCommandSucceeded();
        }
        const double eachWall = each.Wall(), eachCpu = each.Cpu();
        figure("a hand-off each", eachWall, eachCpu);
        Measure job;
        generator.RunCommands(nullptr, [&](CommandJob&) {
            for (int i = 0; i < commands; ++i) {
                generator.SendQueryInt(QStringLiteral("HRES?"));
                failures += !generator.LastCommandSucceeded();
            }
        });
        const double jobWall = job.Wall(), jobCpu = job.Cpu();
        figure("one job", jobWall, jobCpu);
        std::printf("        one job / a hand-off each: wall %.3f, processor %.3f\n", jobWall / eachWall, jobCpu / eachCpu);
    }
#else
    XR_PortClose(id);
#endif
    kill(sim, SIGTERM);
    waitpid(sim, nullptr, 0);
    return true;
}

#ifdef ZOT_COMMAND_RATE_PROGRAM
// A generator that answers at once, in this process: what is left of a
// command's time is the program's own (the send path and the hand-offs).
class InstantPort : public PortBackend
{
public:
    int32_t SendCommand(PortId, const char*, char* reply, int32_t length) override
    {
        ++calls;
        if (reply != nullptr && length > 5)
            std::memcpy(reply, "640\r\n", 6);
        return 5;
    }
    long calls = 0;
    int32_t GetError() override { return 0; }
    int32_t Close(PortId) override { return 1; }
};

void RunInstant(int commands)
{
    InstantPort port;
    PortBackend* const previous = InstallPortBackend(&port);
    {
        CGenerator generator(nullptr, MORVANE_PORT_COM);
        double seconds[2] = {};
        double processor[2] = {};
        // Alternating rounds, so that a change of the machine's load meets both.
        for (int round = 0; round < 6; ++round) {
            Measure each;
            for (int i = 0; i < commands; ++i)
                generator.SendQueryInt(QStringLiteral("HRES?"));
            seconds[0] += each.Wall();
            processor[0] += each.Cpu();
            Measure job;
            generator.RunCommands(nullptr, [&](CommandJob&) {
                for (int i = 0; i < commands; ++i)
                    generator.SendQueryInt(QStringLiteral("HRES?"));
            });
            seconds[1] += job.Wall();
            processor[1] += job.Cpu();
        }
        const double n = 6.0 * commands;
        if (port.calls != 12L * commands)
            std::printf("        (the stand-in heard %ld commands of %d)\n", port.calls, 12 * commands);
        std::printf("no line (a stand-in that answers at once), %d commands through CGenerator, six rounds:\n", commands);
        std::printf("        a hand-off each: %.2f us a command, processor %.2f us\n", 1e6 * seconds[0] / n,
                    1e6 * processor[0] / n);
        std::printf("        one job:         %.2f us a command, processor %.2f us\n", 1e6 * seconds[1] / n,
                    1e6 * processor[1] / n);
        std::printf("        one job / a hand-off each: wall %.3f, processor %.3f\n", seconds[1] / seconds[0],
                    processor[1] / processor[0]);
    }
    InstallPortBackend(previous);
}
#endif

} // namespace

int main(int argc, char** argv)
{
    const int commands = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int rate = argc > 2 ? std::atoi(argv[2]) : 115200;
#ifdef ZOT_COMMAND_RATE_PROGRAM
    // The GUI thread of the program: it waits for the port thread in its event loop.
    QCoreApplication app(argc, argv);
#endif
    std::printf("\"HRES?\" at %d baud\n", rate);
    int failures = 0;
#ifdef ZOT_COMMAND_RATE_PROGRAM
    RunInstant(commands * 5);
#endif
    if (!RunLine("unpaced", false, commands, rate, failures) || !RunLine("paced", true, commands, rate, failures))
        return 1;
    if (failures != 0)
        std::printf("%d commands failed\n", failures);
    return failures == 0 ? 0 : 1;
}
