// Commands per second of XR_PortSendCommand("HRES?") against the simulator
// (a separate gensim process on a pty), and the processor time this process
// spends, both while commands flow and while it only waits for a generator
// that does not answer.
//
//   build/bench/bench_command_rate [commands] [rate]

#include "morvane.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

extern char** environ;

namespace {

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
        + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double WallSeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

struct Measure {
    double wall0 = WallSeconds(), cpu0 = CpuSeconds();
    double Wall() const { return WallSeconds() - wall0; }
    double Cpu() const { return CpuSeconds() - cpu0; }
};

pid_t StartSimulator(const std::string& envFile, int rate)
{
    const std::string baud = std::to_string(rate);
    const char* argv[] = {GENSIM, "--baud", baud.c_str(), "--env-file", envFile.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, GENSIM, nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
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

} // namespace

int main(int argc, char** argv)
{
    const int commands = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int rate = argc > 2 ? std::atoi(argv[2]) : 115200;
    const std::string envFile = "/tmp/bench_command_rate." + std::to_string(getpid());
    const pid_t sim = StartSimulator(envFile, rate);
    if (sim == 0) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
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
        return 1;
    }

    char reply[6000];
    Measure traffic;
    int failures = 0;
    for (int i = 0; i < commands; ++i) {
        XR_PortSendCommand(id, "HRES?", reply, sizeof reply);
        failures += XR_PortGetError() != 0;
    }
    const double wall = traffic.Wall(), cpu = traffic.Cpu();
    // "HRES?" CR, each echoed, LF, "640" CR LF ">": 16 characters of 10 bits.
    const double lineFloor = 16.0 * 10.0 / rate;
    std::printf("commands: %d at %d baud, %d failed\n", commands, rate, failures);
    std::printf("  %.0f commands/s (line-time floor %.0f commands/s)\n", commands / wall, 1.0 / lineFloor);
    std::printf("  processor time %.3f s of %.3f s wall (%.1f%%)\n", cpu, wall, 100.0 * cpu / wall);

    // Waiting: the generator stops answering at a rate it does not use, so
    // the handshake waits out its whole second.
    XR_PortSetRate(id, rate == 300 ? 1200 : 300);
    Measure waiting;
    const int rounds = 3;
    for (int i = 0; i < rounds; ++i)
        XR_PortIsShutDown(id);
    std::printf("waiting: %d handshakes without answer, %.3f s wall, processor %.4f s (%.2f%%)\n",
                rounds, waiting.Wall(), waiting.Cpu(), 100.0 * waiting.Cpu() / waiting.Wall());

    XR_PortClose(id);
    kill(sim, SIGTERM);
    waitpid(sim, nullptr, 0);
    unlink(envFile.c_str());
    return failures == 0 ? 0 : 1;
}
