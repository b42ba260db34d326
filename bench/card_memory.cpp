// The processor memory of an ISA card through the host interface, against
// what one driver round trip per access would cost (measured in the same
// run): words per second of GspWrite and GspRead, one IsaInitialize, and the
// processor time spent while a command waits on a card that stays silent.
//
//   build/bench/bench_card_memory [words]

#include "morvane.h"

#include "DriverClient.h"
#include "ProcessTimes.h"
#include "gensim/Simulator.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
    const int words = argc > 1 ? std::atoi(argv[1]) : 1 << 20;
    char folder[] = "/tmp/bench-card-memory-XXXXXX";
    if (mkdtemp(folder) == nullptr)
        return 1;
    const std::string socket = std::string(folder) + "/windrvr";
    setenv("MORVANE_WINDRVR", socket.c_str(), 1);

    int status = 1;
    {
        gensim::Simulator sim;
        sim.openDriver(socket);
        gensim::Generator& g = sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "1",
                                                 .baudRate = 9600, .link = "", .isaSlot = 0});
        sim.start();
        PortId id = XR_PortOpen("isa0");
        auto probe = driver::DriverClient::Connect(socket);
        if (id == 0 || XR_PortGetError() != 0 || !probe) {
            std::fprintf(stderr, "no card (error %d)\n", XR_PortGetError());
        } else {
            // The floor the model avoids: a round trip for every access.
            const int trips = 20000;
            Measure tripTime;
            for (int i = 0; i < trips; ++i)
                probe->Version();
            const double perTrip = tripTime.Wall() / trips;

            XR_PortPrepare(id);
            Measure writeTime;
            for (int i = 0; i < words; ++i)
                GspWrite(0xFF000000u + 16u * uint32_t(i % 0x20000), uint32_t(i));
            const double perWrite = writeTime.Wall() / words;
            Measure readTime;
            unsigned sum = 0;
            for (int i = 0; i < words; ++i)
                sum += GspRead(0xFF000000u + 16u * uint32_t(i % 0x20000));
            const double perRead = readTime.Wall() / words;

            Measure initTime;
            const int reset = IsaInitialize(id);
            const double init = initTime.Wall();
            const double initAccesses = 65537 + 23;

            std::printf("driver round trip: %.1f us (%.0f/s)\n", perTrip * 1e6, 1.0 / perTrip);
            std::printf("GspWrite: %10.0f words/s, %7.0f x a round trip per word\n", 1.0 / perWrite, perTrip / perWrite);
            std::printf("GspRead:  %10.0f words/s, %7.0f x a round trip per word (sum %u)\n", 1.0 / perRead,
                        perTrip / perRead, sum);
            std::printf("IsaInitialize: %.1f ms (%s), %.0f x %.0f round trips\n", init * 1e3, reset ? "done" : "failed",
                        initAccesses * perTrip / init, initAccesses);

            // A silent card: the first character's echo is waited for in full.
            g.fault(gensim::Fault::silence(gensim::Fault::kForever));
            char reply[100];
            Measure waiting;
            XR_PortSendCommand(id, "HRES?", reply, sizeof reply);
            const double cpuShare = waiting.Cpu() / waiting.Wall();
            std::printf("waiting on a silent card: error %d after %.2f s, processor %.4f s (%.2f%%, limit 2%%)\n",
                        XR_PortGetError(), waiting.Wall(), waiting.Cpu(), 100.0 * cpuShare);
            status = reset && cpuShare < 0.02 ? 0 : 1;
        }
        if (id != 0)
            XR_PortClose(id);
    }
    rmdir(folder);
    return status;
}
