#include "BuiltInNames.h"

namespace BuiltInNames {

// HP1075B and HDTV_1J stand twice, as in the generator's own list.
const QStringList& Formats()
{
    static const QStringList names = {
        "MDA_M7", "HGC_text", "HGCgraph", "CGA_M14", "EGA_M14", "IBM_3179", "IBM_3164", "AT&T_SVC",
        "AT&T_IVC", "AT&T_EVC", "PGA_400", "PGA_480", "VGA_m1", "VGA_m2", "VGA_m3", "VGA_m4", "XGA_m4a",
        "XGA_m4b", "XGA_m5", "XGA_m6", "XGA6475", "XGA1076", "IBM6Km1", "IBM6Km2", "IBM6Km3", "IBM6Km4",
        "VG900601", "VG900602", "VS900603", "VS901101", "VG910801", "VS910801", "DMT6475", "DMT8075",
        "DMT1075", "DMT1275", "MAC_TVus", "MAC_TVos", "MAC_12m", "MAC_12c", "MAC_12ce", "MAC_13LC",
        "MAC_13m", "MAC_13c", "MAC_15", "MAC_16", "MAC_1960", "MAC_19", "MAC_21", "NECPC400",
        "NECPC750", "SUN1061", "SUN1077", "SUN1166", "SUN116B", "SUN1176", "SUN117B", "SUN1267",
        "SUN126B", "SUN1276", "SUN1667", "HP1060", "HP1070", "HP1075A", "HP1075B", "HP1260", "HP1272",
        "HP1275", "SON1072", "SON1274", "SON1276", "INT1160", "INT1176", "INT1660", "INT1676",
        "BAR2060", "BAR2080", "BAR2560", "PAL_Y", "PAL_Yus", "PAL_Yos", "RS170Y", "RS170Yus",
        "RS170Yos", "PAL_4xSC", "PALTV601", "PAL_TVus", "PAL_TVos", "PAL_N", "NTSC_443", "NTSC4xSC",
        "NTSC_601", "NTSCTVus", "NTSCTVos", "HP1075B", "HDTV_1J", "HDTV_2J", "HDTV_4J", "HDTV_1E",
        "HDTV_2E", "HDTV_4E", "HDTV_1J", "TEST150", "TEST250",
    };
    return names;
}

const QStringList& Images()
{
    static const QStringList names = {
        "Acer1", "Acer2", "Acer3", "Acer4", "Acer5", "Acer6", "Acer7", "Acer8", "Acer9", "Box_50mm",
        "Box_64mm", "BriteBox", "Burst", "Check511", "CheckBy3", "Check_11", "CirclesL", "CirclesS",
        "ColorBar", "Cubes", "Dot_10", "Dot_12", "Dot_24", "EMITest1", "EMITest2", "EMITest3",
        "EMITest4", "Flat", "FlatGray", "Flat_B", "Flat_G", "Flat_R", "FmtList", "Focus_@6", "Focus_@7",
        "Focus_@8", "Focus_Cx", "Focus_H", "Focus_Oo", "Format", "GrayBar", "Grill_11", "Grill_22",
        "Grill_33", "Grill_44", "Hatch10i", "Hatch10o", "Hatch12i", "Hatch12o", "Hatch24i", "Hatch24o",
        "Hatch24s", "Hatch4x3", "Hatch5x4", "Hatch64W", "Hatch8x8", "Hitachi1", "ImgList", "KanjiKAN",
        "Linearty", "LinFocus", "MEMEPlus", "MEMESony", "MEPlus_B", "MEPlus_G", "MEPlus_R", "MESony_B",
        "MESony_G", "MESony_R", "Outline0", "Outline1", "P1", "P2", "P3", "P4", "P5", "P6", "P7", "P8",
        "Persist", "PulseBar", "QuartBox", "Ramp", "Raster", "Regulate", "Samsung1", "Samsung2",
        "SeqList", "SlideG", "SlideRGB", "SMPTE133", "SMPTEbar", "Stairs20", "Strokes0", "Strokes1",
        "Text_16", "Text_9", "TVBar100", "TVBar_75", "TVHatch", "Hatch_G", "Hatch_M", "Text_11",
        "Apple1", "P9", "BLU_EM", "BLU_EM+", "BLU_PIC", "GRN_EM", "GRN_EM+", "GRN_HTCH", "GRN_PIC",
        "MAGENTA", "RED_EM", "RED_EM+", "RED_PIC", "WHT_EM", "WHT_EM+", "WHT_PIC", "GRAY_PIC",
        "Diamond1", "FocusC14", "MEME1111", "Samsung3", "Samsung4", "Samsung5", "Samsung6", "Sony6",
        "Text_12T", "Text_9T", "Sony6WLC",
    };
    return names;
}

const QStringList& Sequences()
{
    static const QStringList names = {QStringLiteral("NewSeq")};
    return names;
}

const QStringList& AnimatedImages()
{
    static const QStringList names = {
        "Cubes", "EMITest2", "EMITest4", "Persist", "SlideG", "SlideRGB", "Regulate", "ShiftRGB",
        "ShiftG", "Samsung5", "P10",
    };
    return names;
}

} // namespace BuiltInNames
