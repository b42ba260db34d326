#include "ConversionTables.h"

#include <iterator>

namespace {

const NameChange kFormatRenames[] = {
    {"VGA_m7", "VGA_m1"},    {"VGA_m7p", "VGA_m2"},   {"VGA_m18", "VGA_m3"},   {"VGA8514A", "VGA_m4"},
    {"RS170A", "RS170Y"},    {"RS170B", "RS170Yus"},  {"RS170C", "RS170Yos"},  {"PAL_920", "PAL_Y"},
    {"PAL_768", "PAL_Yus"},  {"PAL_640", "PAL_Yos"},  {"RS343A1", "RS343A1'"}, {"RS343A2", "RS343A2'"},
    {"RS343B1", "RS343B1'"}, {"RS343C1", "RS343C1'"}, {"RS343C2", "RS343C2'"}, {"RS343C3", "RS343C3'"},
    {"RS343C4", "RS343C4'"}, {"RS343C5", "RS343C5'"}, {"RS343C6", "RS343C6'"},
};

const NameChange kImageRenames[] = {
    {"Outline", "Outline0"}, {"Sequence", "SeqList"}, {"Hatch_10", "Hatch10o"},
    {"Hatch_12", "Hatch12o"}, {"Hatch_24", "Hatch24o"},
};

const char *const kBuiltIn2001[] = {
    "MDA_m7",   "HGC_text", "HGCgraph", "CGA_m14",  "EGA_m2",   "IBM_3179", "IBM_3164", "AT&T_SVC",
    "AT&T_IVC", "AT&T_EVC", "PGA_400",  "PGA_480",  "VGA_m7",   "VGA_m7p",  "VGA_m18",  "VGA8514A",
    "XGA_m4a",  "XGA_m4b",  "XGA_m5",   "XGA_m6",   "XGA6475",  "XGA1076",  "IBM6Km1",  "IBM6Km2",
    "IBM6Km3",  "IBM6Km4",  "VG900601", "VG900602", "VS900603", "VS901101", "VG901101", "VS910801",
    "DMT6475",  "DMT8075",  "DMT1075",  "DMT1275",  "MAC_TVus", "MAC_TVos", "MAC_12m",  "MAC_12c",
    "MAC_12ce", "MAC_13LC", "MAC_13m",  "MAC_13c",  "MAC_15",   "MAC_16",   "MAC_1960", "MAC_19",
    "MAC_21",   "NECPC400", "NECPC750", "SUN1061",  "SUN1166",  "SUN1176",  "SUN1267",  "SUN1667'",
    "HP1060",   "HP1070",   "HP1075A",  "HP1075B",  "HP1260",   "HP1272",   "HP1275",   "INT1160",
    "INT1176",  "INT1660'", "BAR2060'", "BAR2080'", "BAR2560'", "PAL_920",  "PAL_768",  "PAL_640",
    "RS170A",   "RS170B",   "RS170C",   "RS343A1",  "RS343A2",  "RS343A3",  "RS343A4",  "RS343A5",
    "RS343A6",  "RS343B1",  "RS343B2",  "RS343B3",  "RS343B4",  "RS343B5",  "RS343B6",  "RS343C1",
    "RS343C2",  "RS343C3",  "RS343C4",  "RS343C5",  "RS343C6",  "RS343D1",  "RS343D2",  "RS343D3",
    "RS343D4",  "RS343D5",  "RS343D6",  "RS343E1",  "RS343E2",  "RS343E3",  "RS343E4",  "RS343E5",
    "RS343E6",  "RS412F2",  "RS412F4",  "RS412F6",  "RS412G2'", "RS412G6'", "PAL_4xSC", "PALTV601",
    "PAL_TVus", "PAL_TVos", "PAL_N",    "NTSC_443", "NTSC4xSC", "NTSC_601", "NTSCTVus", "NTSCTVos",
};

const char *const kBuiltIn2349[] = {
    "MDA_m7",   "HGC_text", "HGCgraph", "CGA_m14",  "EGA_m2",   "IBM_3179", "IBM_3164", "AT&T_SVC",
    "AT&T_IVC", "AT&T_EVC", "PGA_400",  "PGA_480",  "VGA_m1",   "VGA_m2",   "VGA_m3",   "VGA_m4",
    "VGA_m4a",  "XGA_m4b",  "XGA_m5",   "XGA_m6",   "XGA6475",  "XGA1076",  "IBM6Km1",  "IBM6Km2",
    "IBM6Km3",  "IBM6Km4",  "VG900601", "VG900602", "VS900603", "VS901101", "VG901101", "VS910801",
    "DMT6475",  "DMT8075",  "DMT1075",  "DMT1275",  "MAC_TVus", "MAC_TVos", "MAC_12m",  "MAC_12c",
    "MAC_12ce", "MAC_13LC", "MAC_13m",  "MAC_13c",  "MAC_15",   "MAC_16",   "MAC_1960", "MAC_19",
    "MAC_21",   "NECPC400", "NECPC750", "SUN1061",  "SUN1166",  "SUN1176",  "SUN1267",  "SUN1667'",
    "HP1060",   "HP1070",   "HP1075A",  "HP1075B",  "HP1260",   "HP1272",   "HP1275",   "SON1072",
    "SON1274",  "SON1276",  "INT1160",  "INT1176",  "INT1660",  "INT1676",  "BAR2060",  "BAR2080",
    "BAR2560",  "PAL_Y",    "PAL_Yus",  "PAL_Yos",  "RS170Y",   "RS170Yus", "RS170Yos", "PAL_4xSC",
    "PALTV601", "PAL_TVus", "PAL_TVos", "PAL_N",    "NTSC_443", "NTSC4xSC", "NTSC_601", "NTSCTVus",
    "NTSCTVos", "XGA_m4a",
    // The knob list's clean-up of 2.449 drops these 35.
    "RS343A1",  "RS343A2",  "RS343A3",  "RS343A4",  "RS343A5",  "RS343A6",
    "RS343B1",  "RS343B2",  "RS343B3",  "RS343B4",  "RS343B5",  "RS343B6",  "RS343C1",  "RS343C2",
    "RS343C3",  "RS343C4",  "RS343C5",  "RS343C6",  "RS343D1",  "RS343D2",  "RS343D3",  "RS343D4",
    "RS343D5",  "RS343D6",  "RS343E1",  "RS343E2",  "RS343E3",  "RS343E4",  "RS343E5",  "RS343E6",
    "RS412F2",  "RS412F4",  "RS412F6",  "RS412G2",  "RS412G6",
};
constexpr std::size_t kKnobCleanupCount = 35;

const char *const kNewFormats2179[] = {"SON1072", "SON1274", "SON1276'", "INT1676'"};
const char *const kNewFormats2800[] = {"SUN1077", "SUN116B", "SUN117B", "SUN126B", "SUN1276", "HDTV_1J", "HDTV_2J",
                                       "HDTV_4J", "HDTV_1E", "HDTV_2E", "HDTV_4E", "TEST150", "TEST250"};
const char *const kNewFormats2898[] = {
    "DMT648A", "DMT648B", "DMT6485", "DMT7285", "DMT8085", "DMT1085", "DMT1170", "DMT1175",
    "DMT1185", "DMT1243", "DMT126A", "DMT1260", "DMT127A", "DMT128A", "DMT1285", "DMT1648",
    "DMT1660", "DMT1665", "DMT1670", "DMT1675", "DMT1680", "DMT1685"};

const char *const kNewImages2179[] = {"Custom",   "QuartBox", "CheckBy3", "Check511", "Check_11", "Hatch10i",
                                      "Hatch12i", "Hatch24i", "Hatch8x8", "Hatch64W", "Strokes0", "Strokes1",
                                      "CirclesL", "CirclesS", "MEMESony", "Regulate", "Outline1"};
const char *const kNewImages2642[] = {
    "MAGENTA",  "GRN_HTCH", "WHT_EM",   "RED_EM",   "GRN_EM",   "BLU_EM",   "WHT_EM+",  "RED_EM+",  "GRN_EM+",  "BLU_EM+",
    "WHT_PIC",  "RED_PIC",  "GRN_PIC",  "BLU_PIC",  "GRAY_PIC", "Hatch_M",  "Hatch_G",  "MESony_R", "MESony_G", "MESony_B",
    "MEMEPlus", "MEPlus_R", "MEPlus_G", "MEPlus_B", "Flat_R",   "Flat_G",   "Flat_B",   "FlatGray"};
const char *const kNewImages2981[] = {"Acer1", "Acer2", "Acer3",    "Acer4",    "Acer5",    "Acer6",    "Acer7",
                                      "Acer8", "Acer9", "P1",       "P2",       "P3",       "P4",       "P5",
                                      "P6",    "P7",    "P8",       "EMITest1", "EMITest2", "EMITest3", "EMITest4",
                                      "Samsung1", "Samsung2", "Hitachi1", "SlideRGB", "SlideG"};
const char *const kNewImages2983[] = {"P9"};
const char *const kNewImages2991[] = {"Text_11", "Apple1"};
const char *const kNewImages2994[] = {"Hatch24s", "Hatch4x3", "Hatch5x4"};

static_assert(std::size(kFormatRenames) == 19 && std::size(kImageRenames) == 5);
static_assert(std::size(kBuiltIn2001) == 120 && std::size(kBuiltIn2349) == 125);
static_assert(std::size(kNewFormats2179) == 4 && std::size(kNewFormats2800) == 13 && std::size(kNewFormats2898) == 22);
static_assert(std::size(kNewImages2179) == 17 && std::size(kNewImages2642) == 28 && std::size(kNewImages2981) == 26);

} // namespace

std::span<const NameChange> FormatRenames() { return kFormatRenames; }
std::span<const NameChange> ImageRenames() { return kImageRenames; }
std::span<const char *const> BuiltInFormats2001() { return kBuiltIn2001; }
std::span<const char *const> BuiltInFormats2349() { return kBuiltIn2349; }

std::span<const char *const> KnobCleanupFormats2449()
{
    return std::span<const char *const>(kBuiltIn2349).last(kKnobCleanupCount);
}

std::span<const char *const> NewFormats(int revision)
{
    switch (revision) {
    case 2179: return kNewFormats2179;
    case 2800: return kNewFormats2800;
    case 2898: return kNewFormats2898;
    default: return {};
    }
}

std::span<const char *const> NewImages(int revision)
{
    switch (revision) {
    case 2179: return kNewImages2179;
    case 2642: return kNewImages2642;
    case 2981: return kNewImages2981;
    case 2983: return kNewImages2983;
    case 2991: return kNewImages2991;
    case 2994: return kNewImages2994;
    default: return {};
    }
}
