// Firmware download by port kind against the simulator in this process: a
// firmware image through CGenerator::DownloadFirmware on each port, beside a
// floor measured in the same run:
//   COM (115200 baud, paced as on a cable): the line time of the bytes;
//   GPIB: the library's plain file send of the same file (GpibSendFile);
//   PCI: PciWriteBuffer of the bytes into the card's video memory;
//   ISA (its 0x80000 image, flash parts of type 0 and of type 1): one
//   routine of bare GspWrite calls, as many as the download made host-port
//   operations (GspWrite and GspRead); the count and the routines (hops to
//   the port thread and back) the download took are printed beside it.
//
//   build/bench/bench_firmware_download [bytes]   (default 512 KiB; ISA: always 0x80000)

#include "CGenerator.h"
#include "CProgressDlg.h"
#include "LinkRoutines.h"
#include "ToolLibrary.h"
#include "gensim/FirmwareImage.h"
#include "gensim/Simulator.h"

#include <morvane.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void Row(const char* port, size_t bytes, double seconds, double floor, const char* floorName)
{
    std::printf("%-5s %8zu bytes  %8.3f s  %10.0f bytes/s  floor (%s) %8.3f s  ratio %.2f\n", port, bytes, seconds,
                double(bytes) / seconds, floorName, floor, seconds / floor);
}

// The library itself, counting the host-port operations a routine makes.
class CountingLibrary : public ToolLibrary {
public:
    CountingLibrary() : m_previous(InstallToolLibrary(this)) {}
    ~CountingLibrary() override { InstallToolLibrary(m_previous); }
    int32_t GspWrite(uint32_t address, uint32_t value) override
    {
        ++operations;
        return ToolLibrary::GspWrite(address, value);
    }
    uint16_t GspRead(uint32_t address) override
    {
        ++operations;
        return ToolLibrary::GspRead(address);
    }
    unsigned long long operations = 0;

private:
    ToolLibrary* m_previous;
};

double Download(CGenerator& generator, const QString& folder)
{
    CProgressDlg progress(nullptr, false);
    const auto start = Clock::now();
    const bool ok = generator.DownloadFirmware(folder, 7.055, &progress, false);
    const double seconds = Since(start);
    progress.DestroyWindow();
    if (!ok)
        std::fprintf(stderr, "download failed\n");
    return ok ? seconds : -1;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const size_t bytes = argc > 1 ? size_t(std::atol(argv[1])) & ~size_t(1) : size_t(512) * 1024;
    QTemporaryDir dir;
    const gensim::firmware::Image image = gensim::firmware::makeHeaderImage(7.055, bytes, 11);
    {
        QFile file(QDir(dir.path()).filePath("firmware.bin"));
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
    }
    const std::string busPath = (QDir(dir.path()).filePath("bus")).toStdString();
    const std::string driverPath = (QDir(dir.path()).filePath("windrvr")).toStdString();
    setenv("MORVANE_GPIB_LIBRARY", GPIB_STANDIN, 1);
    setenv("ZOT_GPIB_BUS", busPath.c_str(), 1);
    setenv("MORVANE_WINDRVR", driverPath.c_str(), 1);

    gensim::Simulator sim;
    sim.openDriver(driverPath);
    gensim::Generator& com = sim.addGenerator({.model = "VG-7000", .firmware = "7.045", .serial = "1",
                                               .baudRate = 115200, .link = "", .lineTime = true, .rebootMs = 0});
    sim.addGenerator({.model = "VG-7000", .firmware = "7.045", .serial = "2", .pty = false,
                      .gpib = gensim::GpibAddress{5, 0}, .rebootMs = 0});
    sim.addGenerator({.model = "VG-7000", .firmware = "7.045", .serial = "3", .link = "", .pty = false,
                      .pciCard = true, .rebootMs = 0});
    // The ISA card in slot n has flash parts of type n.
    for (int slot : {0, 1})
        sim.addGenerator({.model = "VG-7000", .firmware = "3.05", .serial = std::to_string(4 + slot), .link = "",
                          .pty = false, .isaSlot = slot, .rebootMs = 0, .flashPart = slot});
    sim.openGpibBus(busPath);
    sim.start();
    setenv("MORVANE_COM1", com.comPath().c_str(), 1);

    // COM: the line time of the bytes alone, ten bits each.
    {
        const PortId id = XR_PortOpen("com1");
        if (id == 0 || !XR_PortSetRate(id, 115200))
            return 1;
        CGenerator generator(nullptr, id);
        generator.SetFirmwareVersion(generator.QueryVerf());
        const double seconds = Download(generator, dir.path());
        Row("COM", bytes, seconds, double(bytes) * 10 / 115200, "line time");
    }
    // GPIB: the same file as a plain send.
    {
        const PortId id = XR_PortOpen("gpib5:0");
        if (id == 0)
            return 1;
        CGenerator generator(nullptr, id);
        generator.SetFirmwareVersion(generator.QueryVerf());
        const QByteArray path = QFile::encodeName(QDir(dir.path()).filePath("firmware.bin"));
        const auto start = Clock::now();
        LinkRoutines::Run(generator, [&](ToolLibrary& lib) { lib.GpibSendFile(lib.Port(), path.constData(), 0); });
        const double floor = Since(start);
        const double seconds = Download(generator, dir.path());
        Row("GPIB", bytes, seconds, floor, "GpibSendFile");
    }
    // PCI: the bytes written into video memory in one call.
    {
        const PortId id = PciOpen("pci1");
        if (id == 0)
            return 1;
        CGenerator generator(nullptr, id);
        const auto start = Clock::now();
        LinkRoutines::Run(generator, [&](ToolLibrary& lib) {
            lib.XR_PortPrepare(lib.Port());
            lib.PciWriteBuffer(image.data(), 0, int32_t(image.size()));
        });
        const double floor = Since(start);
        const double seconds = Download(generator, dir.path());
        Row("PCI", bytes, seconds, floor, "PciWriteBuffer");
    }
    // ISA: the flash parts programmed and verified word by word.
    const QString isaFolder = QDir(dir.path()).filePath("isa");
    QDir().mkpath(isaFolder);
    {
        const gensim::firmware::Image isaImage = gensim::firmware::makeIsaImage(3.06, 12);
        QFile file(QDir(isaFolder).filePath("firmware.bin"));
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(reinterpret_cast<const char*>(isaImage.data()), qint64(isaImage.size()));
    }
    for (int slot : {0, 1}) {
        const std::string spec = "isa" + std::to_string(slot);
        unsigned long long operations = 0;
        unsigned long long hops = 0;
        double seconds = 0;
        {
            const PortId id = IsaOpen(spec.c_str());
            if (id == 0)
                return 1;
            CGenerator generator(nullptr, id);
            CountingLibrary counting;
            const unsigned long long runs = LinkRoutines::Runs();
            CProgressDlg progress(nullptr, false);
            const auto start = Clock::now();
            const bool ok = generator.DownloadFirmware(isaFolder, 3.06, &progress, true);
            seconds = Since(start);
            progress.DestroyWindow();
            if (!ok) {
                std::fprintf(stderr, "%s: download failed\n", spec.c_str());
                return 1;
            }
            hops = LinkRoutines::Runs() - runs;
            operations = counting.operations;
        }
        // The floor: as many bare writes into video memory, in one routine.
        const PortId id = IsaOpen(spec.c_str());
        if (id == 0)
            return 1;
        const auto start = Clock::now();
        LinkRoutines::Run(id, [&](ToolLibrary& lib) {
            lib.XR_PortPrepare(id);
            for (unsigned long long i = 0; i < operations; ++i)
                lib.GspWrite(0x100000 + uint32_t(i & 0xFFFF) * 16, uint32_t(i));
        });
        const double floor = Since(start);
        XR_PortClose(id);
        const std::string name = "ISA/" + std::to_string(slot);
        Row(name.c_str(), gensim::firmware::kIsaImageBytes, seconds, floor, "GspWrite loop");
        // The part's ID is asked with a 0.1 s wait after each query and each
        // return to reading: two of them find type 0, four type 1.
        const double idWaits = slot == 0 ? 0.2 : 0.4;
        std::printf("      part type %d: %llu host-port operations in %llu routines (port-thread hops); beyond the "
                    "ID's %.1f s of waits %.3f s, ratio %.2f\n",
                    slot, operations, hops, idWaits, seconds - idWaits, (seconds - idWaits) / floor);
    }
    sim.stop();
    return 0;
}
