#include "gensim/DemoPreset.h"

#include "gensim/FirmwareImage.h"

#include <filesystem>
#include <fstream>

namespace gensim {

namespace {

// Links are names in the run folder. The COM generators come in the order
// of their port numbers: the first is COM1. Each row's firmware is one a
// tool needs: 7.04 and later for fonts, pixel maps and Image Download,
// 2.453 for the archive tools' extraction and conversion of old memory
// files; ISA firmware below 7.0 takes the 0x80000 image layout.
const std::vector<GeneratorOptions>& rows()
{
    static const std::vector<GeneratorOptions> kRows = {
        // Two alike, so copying between generators can be tried.
        {.model = "VG-7000", .firmware = "7.041", .serial = "100001", .baudRate = 9600, .link = "com1"},
        {.model = "VG-7000", .firmware = "7.041", .serial = "100002", .baudRate = 115200, .link = "com2"},
        {.model = "VG-7000", .firmware = "2.453", .serial = "100007", .baudRate = 115200, .link = "com3"},
        // Three video boards (red, green, blue) by its model.
        {.model = "R72Q", .firmware = "7.041", .serial = "100008", .baudRate = 115200, .link = "com4"},
        // One on the GPIB bus alone.
        {.model = "VG-7000", .serial = "100003", .pty = false, .gpib = GpibAddress{5, 0}},
        // On an ISA card behind the kernel-driver stand-in, its socket beside the links.
        {.model = "VG-7000", .firmware = "3.05", .serial = "100004", .link = "", .pty = false, .isaSlot = 0},
        // Two on PCI cards, pci1 and pci2, so forcing one leaves the other;
        // the first has PCI firmware of 7.04 or later.
        {.model = "VG-7000", .firmware = "7.045", .serial = "100005", .link = "", .pty = false, .pciCard = true},
        {.model = "VG-7000", .serial = "100006", .link = "", .pty = false, .pciCard = true},
    };
    return kRows;
}

} // namespace

std::vector<GeneratorOptions> demoGenerators(const std::optional<std::string>& linkFolder)
{
    std::vector<GeneratorOptions> generators = rows();
    for (GeneratorOptions& g : generators) {
        if (!linkFolder)
            g.link.clear();
        else if (!g.link.empty())
            g.link = (std::filesystem::path(*linkFolder) / g.link).string();
    }
    return generators;
}

std::string writeDemoFirmware(const std::string& folder)
{
    // Each image keeps its generators' thousandths digit (the tool's rule)
    // and the PCI card's own (5); the ISA card's takes the flash parts'
    // layout, whose version field names firmware below 7.0.
    struct Family {
        const char* name;
        firmware::Image image;
        const char* suits;
    };
    const Family families[] = {
        {"serial-7.051", firmware::makeHeaderImage(7.051, 96 * 1024, 1), "com1, com2, com4 (7.041)"},
        {"gpib-7.021", firmware::makeHeaderImage(7.021, 96 * 1024, 2), "gpib5:0 (7.011)"},
        {"pci-7.055", firmware::makeHeaderImage(7.055, 96 * 1024, 3), "pci1 (7.045)"},
        {"isa-3.06", firmware::makeIsaImage(3.06, 4), "isa0 (3.05)"},
    };
    std::string lines;
    for (const Family& f : families) {
        const std::filesystem::path dir = std::filesystem::path(folder) / f.name;
        std::error_code error;
        std::filesystem::create_directories(dir, error);
        std::ofstream out(dir / "Firmware.bin", std::ios::binary);
        out.write(reinterpret_cast<const char*>(f.image.data()), static_cast<std::streamsize>(f.image.size()));
        if (error || !out)
            return {};
        lines += "firmware for " + std::string(f.suits) + ": " + (dir / "Firmware.bin").string() + "\n";
    }
    return lines;
}

} // namespace gensim
