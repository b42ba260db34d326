#include "StandardLutSets.h"

#include "ColourRows.h"

#include "CNamedColour.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <algorithm>

namespace {

// The named colours by their place in the colour table.
enum NamedColour : unsigned {
    Black, Red, Green, Yellow, Blue, Magenta, Cyan, White,
    Red50, Green50, Yellow50, Blue50, Magenta50, Cyan50, Brown,
    Gray2, Gray3, Gray4, Gray5, Gray7, Gray10, Gray12, Gray13, Gray17, Gray20, Gray23, Gray25, Gray27, Gray30,
    Gray33, Gray35, Gray37, Gray40, Gray43, Gray45, Gray47, Gray48, Gray50, Gray51, Gray53, Gray55, Gray57,
    Gray60, Gray63, Gray65, Gray67, Gray70, Gray73, Gray75, Gray77, Gray80, Gray83, Gray85, Gray87, Gray90,
    Gray93, Gray95, Gray97,
    Red75, Green75, Yellow75, Blue75, Magenta75, Cyan75,
    HueI, HueQ, HueNegI, HueNegQ,
};

// The string id of a named colour's display name.
constexpr unsigned Id(NamedColour colour) { return unsigned(IDS_COLOUR_FIRST) + colour; }
// An entry that names no colour.
constexpr unsigned kNoColour = 0;

constexpr unsigned kBlackAndWhite[] = {Id(Black), Id(White)};
constexpr unsigned kDecadeGrays[] = {Id(Black),  Id(Gray10), Id(Gray20), Id(Gray30), Id(Gray40), Id(Gray50),
                                     Id(Gray60), Id(Gray70), Id(Gray80), Id(Gray90), Id(White)};
constexpr unsigned kHexGrays[] = {Id(Black),  Id(Gray7),  Id(Gray13), Id(Gray20), Id(Gray27), Id(Gray33),
                                  Id(Gray40), Id(Gray47), Id(Gray53), Id(Gray60), Id(Gray67), Id(Gray73),
                                  Id(Gray80), Id(Gray87), Id(Gray93), Id(White)};
constexpr unsigned kTriGrays[] = {Id(Black),  Id(Gray3),  Id(Gray7),  Id(Gray10), Id(Gray13), Id(Gray17), Id(Gray20),
                                  Id(Gray23), Id(Gray27), Id(Gray30), Id(Gray33), Id(Gray37), Id(Gray40), Id(Gray43),
                                  Id(Gray47), Id(Gray50), Id(Gray53), Id(Gray57), Id(Gray60), Id(Gray63), Id(Gray67),
                                  Id(Gray70), Id(Gray73), Id(Gray77), Id(Gray80), Id(Gray83), Id(Gray87), Id(Gray90),
                                  Id(Gray93), Id(Gray97), Id(White)};
constexpr unsigned kIbmGrays[] = {Id(Black), Id(Gray33), Id(Gray67), Id(White)};
constexpr unsigned kAcerGrays[] = {Id(Black), Id(Gray30), Id(Gray70), Id(White)};
constexpr unsigned kConGrays[] = {Id(Gray48), Id(Gray50), Id(Gray51), Id(Gray53)};
constexpr unsigned kEndGrays[] = {Id(Gray5), Id(Gray95)};
constexpr unsigned kMiddleGrays[] = {Id(Gray50)};
constexpr unsigned kQuarterGrays[] = {Id(Gray25)};
constexpr unsigned kPenGrays[] = {Id(Gray75)};
constexpr unsigned kLowGrays[] = {Id(Gray30)};
constexpr unsigned kHitGrays[] = {Id(Gray70)};
constexpr unsigned kExtGrays[] = {Id(Gray2),  Id(Gray4),  Id(Gray12), Id(Gray35),
                                  Id(Gray45), Id(Gray55), Id(Gray65), Id(Gray85)};
constexpr unsigned kRgbHues[] = {Id(Blue), Id(Green), Id(Red)};
constexpr unsigned kCmyHues[] = {Id(Cyan), Id(Magenta), Id(Yellow)};
constexpr unsigned kMiddleHues[] = {Id(Blue50), Id(Green50), Id(Cyan50), Id(Red50), Id(Magenta50), Id(Yellow50)};
constexpr unsigned kIbmHues[] = {Id(Blue50), Id(Green50), Id(Cyan50), Id(Magenta50), Id(Yellow50), Id(Blue),
                                 Id(Green),  Id(Cyan),    Id(Red),    Id(Magenta),   Id(Yellow),   kNoColour};
constexpr unsigned kPenHues[] = {Id(Yellow75), Id(Cyan75), Id(Green75), Id(Magenta75), Id(Red75), Id(Blue75)};
constexpr unsigned kIqHues[] = {Id(HueI), Id(HueQ), Id(HueNegI), Id(HueNegQ)};

constexpr unsigned SetName(unsigned index) { return unsigned(IDS_LUT_SET_FIRST) + index; }

const std::array<LutSet, 20> kSets = {{
    {0x4, kBlackAndWhite, SetName(0)},
    {0x200, kDecadeGrays, SetName(1)},
    {0x40, kHexGrays, SetName(2)},
    {0x10, kTriGrays, SetName(3)},
    {0x800, kIbmGrays, SetName(4)},
    {0x800000, kAcerGrays, SetName(5)},
    {0x80, kConGrays, SetName(6)},
    {0x100, kEndGrays, SetName(7)},
    {0x400, kMiddleGrays, SetName(8)},
    {0x2000, kQuarterGrays, SetName(9)},
    {0x1000, kPenGrays, SetName(10)},
    {0x1000000, kLowGrays, SetName(11)},
    {0x2000000, kHitGrays, SetName(12)},
    {0x200000, kExtGrays, SetName(13)},
    {0x10000, kRgbHues, SetName(14)},
    {0x20000, kCmyHues, SetName(15)},
    {0x40000, kMiddleHues, SetName(16)},
    {0x100000, kIbmHues, SetName(17)},
    {0x80000, kPenHues, SetName(18)},
    {0x8000, kIqHues, SetName(19)},
}};

} // namespace

const std::array<LutSet, 20> &StandardLutSets()
{
    return kSets;
}

void ApplyLutSets(std::uint32_t mask, std::vector<std::uint32_t> &lut)
{
    std::fill(lut.begin(), lut.end(), 0u);
    std::size_t next = 1;
    for (const LutSet &set : kSets) {
        if (!(set.mask & mask))
            continue;
        for (const unsigned colourId : set.colours) {
            if (next >= lut.size())
                return;
            const std::uint32_t entry = ColourRows::ToColorRef(CNamedColour::RgbOfStringId(colourId));
            if (std::find(lut.begin(), lut.begin() + std::ptrdiff_t(next), entry) != lut.begin() + std::ptrdiff_t(next))
                continue;
            lut[next++] = entry;
        }
    }
}

QStringList LutSetNames(std::uint32_t mask)
{
    QStringList names;
    for (const LutSet &set : kSets) {
        if (set.mask & mask)
            names.append(LoadString(set.nameId));
    }
    return names;
}
