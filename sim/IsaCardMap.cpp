#include "gensim/IsaCardMap.h"

#include <algorithm>
#include <cmath>

namespace gensim {

namespace {

constexpr uint32_t kResetFormat = 0xFF1C8000;
constexpr uint32_t kLateFormat = 0xFF1D0D00;  // build 3000

// key, format, image, sequence, directory, path, format/image/sequence knob
// lists, then the unpack routines of the format, image, sequence, directory
// and path stores.
// clang-format off
const std::vector<IsaBuild> kBuilds = {
    {2800, kResetFormat, 0xFF0077C0, 0xFF0389E0, 0, 0, 0xFF0789E0, 0xFF005520, 0xFF074A40,
     0xFFCDADF0, 0xFFC4CC70, 0xFFC91640, 0, 0},
    {2850, kResetFormat, 0xFF0077C0, 0xFF0389E0, 0, 0, 0xFF0789E0, 0xFF005520, 0xFF074A40,
     0xFFCDC830, 0xFFC4D740, 0xFFC926B0, 0, 0},
    {2884, kResetFormat, 0xFF0077C0, 0xFF0389E0, 0, 0, 0xFF0789E0, 0xFF005520, 0xFF074A40,
     0xFFCDC890, 0xFFC4D7A0, 0xFFC92710, 0, 0},
    {2898, kResetFormat, 0xFF015940, 0xFF046B60, 0xFF005560, 0xFF0D6BE0, 0, 0, 0,
     0xFFCE73E0, 0xFFC56FE0, 0xFFC9CBC0, 0xFFC529C0, 0xFFC531E0},
    {2944, kResetFormat, 0xFF0462E0, 0xFF077500, 0xFF005600, 0xFF107140, 0, 0, 0,
     0xFFCF8950, 0xFFC67C40, 0xFFCADDB0, 0xFFC56420, 0xFFC56C40},
    {2945, kResetFormat, 0xFF0462E0, 0xFF077500, 0xFF005600, 0xFF107140, 0, 0, 0,
     0xFFCF89A0, 0xFFC67C60, 0xFFCADDD0, 0xFFC56440, 0xFFC56C60},
    {2971, kResetFormat, 0xFF0462E0, 0xFF077500, 0xFF005600, 0xFF0EFCC0, 0, 0, 0,
     0xFFCFB0C0, 0xFFC69000, 0xFFCAF980, 0xFFC57550, 0xFFC57D70},
    {2974, kResetFormat, 0xFF0462E0, 0xFF077500, 0xFF005600, 0xFF0EFCC0, 0, 0, 0,
     0xFFCFB680, 0xFFC69440, 0xFFCAFE80, 0xFFC57990, 0xFFC581B0},
    {2975, kResetFormat, 0xFF0462E0, 0xFF077500, 0xFF005600, 0xFF0EFCC0, 0, 0, 0,
     0xFFCFB6B0, 0xFFC69440, 0xFFCAFE80, 0xFFC57990, 0xFFC581B0},
    {2980, kResetFormat, 0xFF0462E0, 0xFF077680, 0xFF005600, 0, 0, 0, 0,
     0, 0, 0, 0, 0},
    {2981, kResetFormat, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF118440, 0, 0, 0,
     0xFFCFF210, 0xFFC6A160, 0xFFCB36E0, 0xFFC58250, 0xFFC58A70},
    {2983, kResetFormat, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF1184C0, 0, 0, 0,
     0xFFCFF810, 0xFFC6A680, 0xFFCB3CE0, 0xFFC58890, 0xFFC590B0},
    {2984, kResetFormat, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF1184C0, 0, 0, 0,
     0xFFCFF7E0, 0xFFC6A680, 0xFFCB3CE0, 0xFFC58890, 0xFFC590B0},
    {2985, kResetFormat, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF118500, 0, 0, 0,
     0xFFD00990, 0xFFC6B570, 0xFFCB4B80, 0xFFC595D0, 0xFFC59DF0},
    {2986, kResetFormat, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF118500, 0, 0, 0,
     0xFFD00A10, 0xFFC6B570, 0xFFCB4B80, 0xFFC595D0, 0xFFC59DF0},
    {2988, kResetFormat, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF118500, 0, 0, 0,
     0xFFD00B70, 0xFFC6B720, 0xFFCB4D30, 0xFFC59780, 0xFFC59FA0},
    {2989, kResetFormat, 0xFF015940, 0xFF046B60, 0xFF005560, 0xFF0D6BE0, 0, 0, 0,
     0xFFD00B40, 0xFFC6B720, 0xFFCB4D30, 0xFFC59780, 0xFFC5A140},
    {2990, kResetFormat, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF118500, 0, 0, 0,
     0xFFD00B70, 0xFFC6B720, 0xFFCB4D30, 0xFFC59C50, 0xFFC59FA0},
    {2991, kResetFormat, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF118520, 0, 0, 0,
     0xFFD00B40, 0xFFC6B720, 0xFFCB4D30, 0xFFC59780, 0xFFC59FA0},
    {2992, kResetFormat, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF118520, 0, 0, 0,
     0xFFD00B70, 0xFFC6B720, 0xFFCB4D30, 0xFFC59780, 0xFFC59FA0},
    {2993, kResetFormat, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF118520, 0, 0, 0,
     0xFFD00B40, 0xFFC6B720, 0xFFCB4D30, 0xFFC59780, 0xFFC59FA0},
    {2994, kResetFormat, 0xFF0462E0, 0xFF077680, 0xFF005600, 0xFF118520, 0, 0, 0,
     0xFFD00B70, 0xFFC6B720, 0xFFCB4D30, 0xFFC59780, 0xFFC59FA0},
    {2995, kResetFormat, 0xFF0462C0, 0xFF077660, 0xFF0055E0, 0xFF118500, 0, 0, 0,
     0xFFD008D0, 0xFFC6B4B0, 0xFFCB4AC0, 0xFFC59510, 0xFFC59D30},
    {2996, kResetFormat, 0xFF0462C0, 0xFF077660, 0xFF0055E0, 0xFF118500, 0, 0, 0,
     0xFFD00900, 0xFFC6B4B0, 0xFFCB4AC0, 0xFFC59510, 0xFFC59D30},
    {2997, kResetFormat, 0xFF046460, 0xFF077800, 0xFF005780, 0xFF118940, 0, 0, 0,
     0xFFD15410, 0xFFC71F00, 0xFFCC9600, 0xFFC5FBD0, 0xFFC603F0},
    {2998, kResetFormat, 0xFF046460, 0xFF077800, 0xFF005780, 0xFF118940, 0, 0, 0,
     0xFFD15440, 0xFFC71F00, 0xFFCC9600, 0xFFC5FBD0, 0xFFC603F0},
    {2999, kResetFormat, 0xFF046460, 0xFF077800, 0xFF005780, 0xFF118B80, 0, 0, 0,
     0xFFD17F40, 0xFFC749A0, 0xFFCCC0A0, 0xFFC62670, 0xFFC62E90},
    {3000, kLateFormat, 0xFF1A0D00, 0xFF13CD00, 0xFF0C8D00, 0xFF0C6D00, 0, 0, 0,
     0, 0, 0, 0, 0},
};
// clang-format on

// The stores' regions of a build; a store the build lacks has none.
void addStores(const IsaBuild& b, std::vector<IsaRegion>& regions)
{
    const struct {
        std::string_view name;
        uint32_t first;
        uint32_t words;
    } stores[] = {
        {"format store (format.mem)", b.format, isa::kFormatStoreWords},
        {"image store (image.mem)", b.image, isa::kImageStoreWords},
        {"sequence store (sequence.mem)", b.sequence, isa::sequenceStoreBytes(b.key / 1000.0) / 2},
        {"directory table (dir.mem)", b.directory, isa::kDirectoryWords},
        {"path table (path.mem)", b.path, isa::kPathTableWords},
        {"format knob list (format.knb)", b.formatKnobs, isa::kKnobListWords},
        {"image knob list (image.knb)", b.imageKnobs, isa::kKnobListWords},
        {"sequence knob list (sequence.knb)", b.sequenceKnobs, isa::kKnobListWords},
    };
    for (const auto& s : stores)
        if (s.first != 0)
            regions.push_back({s.name, s.first, s.words});
}

} // namespace

uint32_t isa::sequenceStoreBytes(double firmware)
{
    if (firmware < 2.605)
        return 10240;
    return firmware < 2.98 ? 30720 : 51200;
}

const std::vector<IsaBuild>& isaBuilds()
{
    return kBuilds;
}

IsaBuild isaBuildOf(double firmware)
{
    IsaBuild reset{};
    reset.format = kResetFormat;
    const double thousandths = firmware * 1000;
    const int key = static_cast<int>(std::min(std::trunc(thousandths), 3000.0));
    // More decimals than three mark a beta build, which keeps the reset map
    // below 3.0.
    const bool beta = (thousandths - key) * 100000 >= 1;
    if (key < 3000 && beta)
        return reset;
    auto row = std::find_if(kBuilds.begin(), kBuilds.end(), [key](const IsaBuild& b) { return b.key == key; });
    return row != kBuilds.end() ? *row : reset;
}

std::vector<IsaRegion> isaRegions(const IsaBuild& build)
{
    std::vector<IsaRegion> regions = {isa::kVideo,        isa::kIdentity,    isa::kIoRegisters,
                                      isa::kSystemRecord, isa::kCharacters,  isa::kCallArguments,
                                      isa::kCallResult,   isa::kQueryAnswer, isa::kStagingHeap,
                                      isa::kFlashWrite,   isa::kFlashRom};
    addStores(build, regions);
    return regions;
}

} // namespace gensim
