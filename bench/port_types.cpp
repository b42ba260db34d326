// Commands per second of XR_PortSendCommand("HRES?") on each port type, as
// a ratio to COM, against one simulator holding a generator on a pty (COM1)
// and one on the GPIB bus (address 5, board 0); then the processor time
// over the wall time while 20 replies of a silenced GPIB generator time out.
// The simulator runs in this process, so the processor time counts both
// ends; the library's thread alone is shown beside it.
//
//   build/bench/bench_port_types [commands] [rate]

#include "morvane.h"

#include "gensim/Simulator.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kSilentReplies = 20;
constexpr double kSilentCpuLimit = 0.02;

double CpuSeconds(int who)
{
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double WallSeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

struct Measure {
    double wall0 = WallSeconds();
    double process0 = CpuSeconds(RUSAGE_SELF);
    double thread0 = CpuSeconds(RUSAGE_THREAD);
    double Wall() const { return WallSeconds() - wall0; }
    double Process() const { return CpuSeconds(RUSAGE_SELF) - process0; }
    double Thread() const { return CpuSeconds(RUSAGE_THREAD) - thread0; }
};

// One port type: how it is named and how it is opened.
struct PortRow {
    const char* name;
    const char* spec;
    int rate;  // COM: the line speed to set after the open's handshake at 2400
};

PortId OpenPort(const PortRow& row)
{
    PortId id = XR_PortOpen(row.spec);
    if (id != 0 && XR_PortGetError() == MORVANE_E_HANDSHAKE && row.rate != 0) {
        XR_PortSetRate(id, row.rate);
        if (XR_PortIsShutDown(id)) {
            XR_PortClose(id);
            return 0;
        }
    }
    if (id != 0 && XR_PortGetError() == MORVANE_E_HANDSHAKE) {
        XR_PortClose(id);
        return 0;
    }
    return id;
}

}  // namespace

int main(int argc, char** argv)
{
    const int commands = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int rate = argc > 2 ? std::atoi(argv[2]) : 115200;
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("bench_port_types." + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string bus = (dir / "bus").string();

    gensim::Simulator sim;
    gensim::Generator& com = sim.addGenerator({.baudRate = rate});
    gensim::Generator& gpib = sim.addGenerator({.pty = false, .gpib = gensim::GpibAddress{5, 0}});
    sim.openGpibBus(bus);
    sim.start();
    setenv("MORVANE_COM1", com.comPath().c_str(), 1);
    setenv("ZOT_GPIB_BUS", bus.c_str(), 1);
    setenv("MORVANE_GPIB_LIBRARY", GPIB_STANDIN, 1);

    const std::vector<PortRow> rows = {
        {"COM1", "com1", rate},
        {"GPIB 5:0", "gpib5:0", 0},
    };
    std::printf("XR_PortSendCommand(\"HRES?\"), %d commands each (COM at %d baud):\n", commands, rate);
    double comRate = 0;
    int failures = 0;
    PortId gpibId = 0;
    char reply[6000];
    for (const PortRow& row : rows) {
        const PortId id = OpenPort(row);
        if (id == 0) {
            std::printf("  %-10s no connection (error %d)\n", row.name, XR_PortGetError());
            ++failures;
            continue;
        }
        Measure m;
        int failed = 0;
        for (int i = 0; i < commands; ++i) {
            XR_PortSendCommand(id, "HRES?", reply, sizeof reply);
            failed += XR_PortGetError() != MORVANE_OK;
        }
        const double perSecond = commands / m.Wall();
        if (comRate == 0)
            comRate = perSecond;
        std::printf("  %-10s %8.0f commands/s  ratio to COM %5.2f  processor %4.1f%% of wall  (%d failed)\n", row.name,
                    perSecond, perSecond / comRate, 100.0 * m.Process() / m.Wall(), failed);
        failures += failed;
        if ((id & MORVANE_PORT_TYPE_MASK) == MORVANE_PORT_GPIB)
            gpibId = id;
        else
            XR_PortClose(id);
    }

    int status = failures == 0 ? 0 : 1;
    if (gpibId != 0) {
        gpib.fault(gensim::Fault::silence(gensim::Fault::kForever));
        Measure m;
        int timeouts = 0;
        for (int i = 0; i < kSilentReplies; ++i) {
            XR_PortSendCommand(gpibId, "HRES?", reply, sizeof reply);
            timeouts += XR_PortGetError() == MORVANE_E_TIMEOUT;
        }
        const double share = m.Process() / m.Wall();
        std::printf("silenced GPIB generator: %d of %d replies timed out in %.3f s wall; processor %.4f s (%.2f%%), "
                    "the library's thread %.4f s (%.2f%%); limit %.0f%%\n",
                    timeouts, kSilentReplies, m.Wall(), m.Process(), 100.0 * share, m.Thread(),
                    100.0 * m.Thread() / m.Wall(), 100.0 * kSilentCpuLimit);
        if (timeouts != kSilentReplies || share >= kSilentCpuLimit)
            status = 1;
        XR_PortClose(gpibId);
    }
    sim.stop();
    fs::remove_all(dir);
    return status;
}
