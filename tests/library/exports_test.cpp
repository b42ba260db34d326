// The built library exports exactly the names of its export table.
#include <gtest/gtest.h>

#include <cstdio>
#include <dlfcn.h>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <regex>
#include <string>
#include <vector>

namespace {

struct Export {
    int ordinal;
    std::string name;
};

// The port table's rows ("ordinal name") and the direct-call table's
// ("DCI(ordinal, name, ..." and "DCI_HOST(ordinal, name, ...").
std::vector<Export> TableRows()
{
    std::vector<Export> rows;
    std::string line;
    std::ifstream ports(MORVANE_EXPORT_TABLE);
    while (std::getline(ports, line)) {
        std::istringstream fields(line);
        Export row{0, {}};
        if (!line.empty() && line[0] != '#' && fields >> row.ordinal >> row.name)
            rows.push_back(row);
    }
    std::ifstream calls(MORVANE_DCI_TABLE);
    const std::regex dciRow(R"(^DCI(_HOST|_STAGED)?\(([0-9]+), ([A-Za-z0-9_]+),)");
    while (std::getline(calls, line)) {
        std::smatch match;
        if (std::regex_search(line, match, dciRow))
            rows.push_back({std::stoi(match[2]), match[3]});
    }
    return rows;
}

std::set<std::string> TableNames()
{
    std::set<std::string> names;
    for (const Export& row : TableRows())
        names.insert(row.name);
    return names;
}

// Defined dynamic symbols as nm lists them, without version suffixes and
// without the version node itself (an absolute symbol).
std::set<std::string> ExportedNames()
{
    std::string command = std::string(MORVANE_NM) + " -D --defined-only " + MORVANE_LIBRARY;
    std::set<std::string> names;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (!(fields >> address >> type >> name) || type == "A")
            continue;
        names.insert(name.substr(0, name.find('@')));
    }
    pclose(pipe);
    return names;
}

// Every export the library publishes, by ordinal: the ports' 1-19, 50-87
// and 100-114 (64 is the direct calls' preparation), the direct calls'
// 200-421 but 214. Written by hand from the published tables.
const std::map<int, std::string> kPublished = {
    {1, "XR_PortLibraryVersion"}, {2, "XR_PortIsValidSpec"}, {3, "XR_PortOpen"}, {4, "XR_PortClose"},
    {5, "XR_PortIsShutDown"}, {6, "XR_PortIsCharAvailable"}, {7, "XR_PortFlush"}, {8, "XR_PortPutChar"},
    {9, "XR_PortGetChar"}, {10, "XR_PortSendCommand"}, {11, "XR_PortGetResponse"}, {12, "XR_PortGetError"},
    {13, "XR_PortGetErrorMsg"}, {14, "XR_PortValidateId"}, {15, "XR_PortInitialize"}, {16, "XR_PortForceInit"},
    {17, "XR_PortSetRate"}, {18, "XR_PortGetRate"}, {19, "XR_PortCountPciCards"}, {50, "XR_PortPrepare"},
    {51, "GspGetAddress"}, {52, "GspSetAddress"}, {53, "GspRead"}, {54, "GspWrite"}, {55, "GspWriteRelative"},
    {56, "GspReadRelative"}, {57, "GspAutoIncrement"}, {58, "GspHalt"}, {59, "GspRun"}, {60, "GspFlush"},
    {61, "GspLblLow"}, {62, "GspNmi"}, {63, "IsaInitialize"}, {64, "XR_PortPrepareRemoteCall"},
    {65, "IEEEtoTMS340"}, {66, "TMS340toIEEE"}, {67, "IsaOpen"}, {68, "TMS340toIEEEF"}, {69, "IEEEtoTMS340F"},
    {70, "PciWriteData"}, {71, "PciWriteBlock"}, {72, "PciReadData"}, {73, "GpibSendFlashFile"},
    {74, "GpibSendFile"}, {75, "PciWriteInt32"}, {76, "PciGetSRAMBase"}, {77, "PciGetMemoryBase"},
    {78, "PciRemapMemory"}, {79, "PciGetRemap"}, {80, "PciEnableEndianSwap"}, {81, "PciOpen"}, {82, "PciClose"},
    {83, "PciEnterWatchDogLoop"}, {84, "PciExitWatchDogLoop"}, {85, "PciResetCard"}, {86, "PciWriteBuffer"},
    {87, "PciReadBuffer"}, {100, "port_libvers"}, {101, "port_isportspec"}, {102, "port_open"}, {103, "port_close"},
    {104, "port_shutdown"}, {105, "port_init"}, {106, "port_avail"}, {107, "port_flush"}, {108, "port_putc"},
    {109, "port_getc"}, {110, "port_command"}, {111, "port_response"}, {112, "port_geterror"},
    {113, "isa_forceinit"}, {114, "PortErrMsg"}, {200, "XR_InitLut"}, {201, "XR_SetLut"}, {202, "XR_ResetLut"},
    {203, "XR_PokeColor"}, {204, "XR_PokeLevelRGB"}, {205, "XR_PokeBlackColors"}, {206, "XR_SelectColor"},
    {207, "XR_SetLevelRGB"}, {208, "XR_SetLevelGray"}, {209, "XR_SetLevelGrayPercent"}, {210, "XR_SetCode"},
    {211, "XR_SetLevelMax"}, {212, "XR_GetLevelMax"}, {213, "XR_PokeCode"}, {215, "XR_GetEdgeColor"},
    {216, "XR_GetEdgeColorMany"}, {217, "XR_SetEdgeColorNamed"}, {218, "XR_Set_color1"}, {219, "XR_Set_color0"},
    {220, "XR_Get_color1"}, {221, "XR_Get_color0"}, {222, "XR_RepPixel"}, {223, "XR_UnRepPixel"},
    {224, "XR_Opaque"}, {225, "XR_Transparent"}, {226, "XR_SetColorNamed"}, {227, "XR_Get_psize"},
    {228, "XR_Get_ppop"}, {229, "XR_Set_ppop"}, {230, "XR_TranspON"}, {231, "XR_TranspOFF"}, {232, "XR_GetTransp"},
    {233, "XR_Set_pmask"}, {234, "XR_Get_pmask"}, {235, "XR_WindowMode"}, {236, "XR_SetVersions"},
    {237, "XR_CurrentVuport"}, {238, "XR_OpenVuport"}, {239, "XR_CloseVuport"}, {240, "XR_SizeVuport"},
    {241, "XR_MoveVuport"}, {242, "XR_CopyVuport"}, {243, "XR_SelectVuport"}, {244, "XR_RemoveVuport"},
    {245, "XR_GetVuportMax"}, {246, "XR_SetOrigin"}, {247, "XR_SetClipRect"}, {248, "XR_Cpw"},
    {249, "XR_ColorFillVuport"}, {250, "XR_GroundFillVuport"}, {251, "XR_BlackFillVuport"}, {252, "XR_DrawPoint"},
    {253, "XR_DrawLine"}, {254, "XR_DrawTriangle"}, {255, "XR_DrawRect"}, {256, "XR_DrawOval"},
    {257, "XR_DottedOval"}, {258, "XR_DrawOvalArc"}, {259, "XR_DrawPieArc"}, {260, "XR_StyledLine"},
    {261, "XR_DrawPolyLine"}, {262, "XR_DrawTBox"}, {263, "XR_DrawStep"}, {264, "XR_DrawFormat"},
    {265, "XR_DrawLimits"}, {266, "XR_DrawCross"}, {267, "XR_DrawCenterMark"}, {268, "XR_DrawGrill"},
    {269, "XR_DrawGrid"}, {270, "XR_FillTriangle"}, {271, "XR_FillRect"}, {272, "XR_FrameRect"},
    {273, "XR_FillOval"}, {274, "XR_FrameOval"}, {275, "XR_FillPieArc"}, {276, "XR_CurtainFillRect"},
    {277, "XR_FillPolygon"}, {278, "XR_FillConvex"}, {279, "XR_EncloseFillRect"}, {280, "XR_SeedFill"},
    {281, "XR_BoundFill"}, {282, "XR_GetPatnMax"}, {283, "XR_SelectPatn"}, {284, "XR_SelectPatnNamed"},
    {285, "XR_InstallPatn"}, {286, "XR_RemovePatn"}, {287, "XR_PatnFillTriangle"}, {288, "XR_PatnFillRect"},
    {289, "XR_PatnFrameRect"}, {290, "XR_PatnFillOval"}, {291, "XR_PatnFrameOval"}, {292, "XR_PatnFillPieArc"},
    {293, "XR_PatnFillPolygon"}, {294, "XR_PatnFillConvex"}, {295, "XR_SeedPatnFill"}, {296, "XR_BoundPatnFill"},
    {297, "XR_SetPenSize"}, {298, "XR_PenPoint"}, {299, "XR_PatnPenPoint"}, {300, "XR_PenLine"},
    {301, "XR_PatnPenLine"}, {302, "XR_PenPieArc"}, {303, "XR_PatnPenPieArc"}, {304, "XR_PenPolyLine"},
    {305, "XR_PatnPenPolyLine"}, {306, "XR_DrawChar"}, {307, "XR_CharFillRect"}, {308, "XR_DrawString"},
    {309, "XR_DrawText"}, {310, "XR_DrawItalic"}, {311, "XR_GetTextSpace"}, {312, "XR_GetWordSpace"},
    {313, "XR_GetMoreSpace"}, {314, "XR_AddTextSpace"}, {315, "XR_AddWordSpace"}, {316, "XR_AddMoreSpace"},
    {317, "XR_GetFontMax"}, {318, "XR_SelectFont"}, {319, "XR_SelectFontNamed"}, {320, "XR_InstallFont"},
    {321, "XR_FreeFont"}, {322, "XR_GetLeading"}, {323, "XR_GetDescent"}, {324, "XR_GetAscent"},
    {325, "XR_CharWideMax"}, {326, "XR_CharHigh"}, {327, "XR_GetFirstCh"}, {328, "XR_GetLastCh"},
    {329, "XR_CharWideImage"}, {330, "XR_GetWidth"}, {331, "XR_GetFont"}, {332, "XR_PutPixel"},
    {333, "XR_GetPixel"}, {334, "XR_MovePixel"}, {335, "XR_GetRect"}, {336, "XR_MoveRect"}, {337, "XR_PutRect"},
    {338, "XR_ZoomRect"}, {339, "XR_RunEncode"}, {340, "XR_RunDecode"}, {341, "XR_PixelExpand"},
    {342, "XR_BitExpand"}, {343, "XR_WaitScan"}, {344, "XR_WaitFrames"}, {345, "XR_SetDisplayMask"},
    {346, "XR_SetDisplayDelta"}, {347, "XR_SetDisplayStart"}, {348, "XR_SetFrameSync"}, {349, "XR_SetFrameNext"},
    {350, "XR_WaitFrame"}, {351, "XR_GetDisplayMask"}, {352, "XR_GetFrameSync"}, {353, "XR_GetFrameNext"},
    {354, "XR_GetFrame"}, {355, "XR_SquareDX"}, {356, "XR_SquareDY"}, {357, "XR_TransformX"},
    {358, "XR_TransformY"}, {359, "XR_FTransformX"}, {360, "XR_FTransformY"}, {361, "XR_TransformDX"},
    {362, "XR_TransformDY"}, {363, "XR_TranslateX"}, {364, "XR_TranslateY"}, {365, "XR_InitMatrix"},
    {366, "XR_ResetMatrix"}, {367, "XR_CopyMatrix"}, {368, "XR_Rotate"}, {369, "XR_Transform"}, {370, "XR_Perspec"},
    {371, "XR_Translate"}, {372, "XR_Scale"}, {373, "XR_CopyVertex"}, {374, "XR_VertexToPoint"},
    {375, "XR_PokeBReg"}, {376, "XR_PeekBReg"}, {377, "XR_XYToAddr"}, {378, "XR_Round"}, {379, "XR_TimesDivide"},
    {380, "XR_itoaf"}, {381, "XR_ftoa"}, {382, "XR_Boxes"}, {383, "XR_Int32ToFix"}, {384, "XR_FixToInt32"},
    {385, "XR_Int16ToFix"}, {386, "XR_FixToInt16"}, {387, "XR_fmtb"}, {388, "XR_fmte"}, {389, "XR_fmtn"},
    {390, "XR_name"}, {391, "XR_fmta"}, {392, "XR_fmtl"}, {393, "XR_fmtu"}, {394, "XR_hrat"}, {395, "XR_hres"},
    {396, "XR_htot"}, {397, "XR_hspd"}, {398, "XR_hspw"}, {399, "XR_hspp"}, {400, "XR_hspg"}, {401, "XR_vres"},
    {402, "XR_vtot"}, {403, "XR_vspd"}, {404, "XR_vspw"}, {405, "XR_vspp"}, {406, "XR_vspg"}, {407, "XR_scan"},
    {408, "XR_avst"}, {409, "XR_avss"}, {410, "XR_asct"}, {411, "XR_dsct"}, {412, "XR_ssst"}, {413, "XR_cspp"},
    {414, "XR_xvsg"}, {415, "XR_Proceed"}, {416, "XR_WipeActive"}, {417, "XR_ZeroActive"}, {418, "XR_FillActive"},
    {419, "XR_PenOvalArc"}, {420, "XR_PatnPenOvalArc"}, {421, "XR_FlashFromVMEM"},
};

// The library's own calls beyond the published tables: a wait that blocks
// on the line and a block write, which the published calls can only do a
// poll and a call per character, and the cancel of the waits that lets a
// Cancel end an open at once.
const std::map<int, std::string> kOwn = {
    {20, "XR_PortWaitForChar"}, {21, "XR_PortPutBlock"}, {22, "XR_PortCancelWaits"}};

TEST(Exports, TheTablesHoldEveryPublishedOrdinalUnderItsName)
{
    ASSERT_EQ(kPublished.size(), 293u);
    std::map<int, std::string> table;
    for (const Export& row : TableRows())
        table[row.ordinal] = row.name;
    for (const auto& [ordinal, name] : kPublished) {
        const auto it = table.find(ordinal);
        EXPECT_TRUE(it != table.end() && it->second == name)
            << ordinal << " " << name << ": " << (it == table.end() ? "missing" : it->second);
    }
    for (const auto& [ordinal, name] : table) {
        const auto own = kOwn.find(ordinal);
        EXPECT_TRUE(kPublished.count(ordinal) == 1 || (own != kOwn.end() && own->second == name))
            << "not published: " << ordinal << " " << name;
    }
    void* library = dlopen(MORVANE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    for (const auto& [ordinal, name] : kPublished)
        EXPECT_NE(dlsym(library, name.c_str()), nullptr) << ordinal << " " << name;
    for (const auto& [ordinal, name] : kOwn)
        EXPECT_NE(dlsym(library, name.c_str()), nullptr) << ordinal << " " << name;
    dlclose(library);
}

TEST(Exports, EveryNameOfTheTableResolves)
{
    std::set<std::string> table = TableNames();
    ASSERT_FALSE(table.empty());
    void* library = dlopen(MORVANE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    for (const std::string& name : table)
        EXPECT_NE(dlsym(library, name.c_str()), nullptr) << name;
    EXPECT_EQ(dlsym(library, "_ZN7morvane13LastPortErrorE"), nullptr);
    dlclose(library);
}

TEST(Exports, EachOrdinalAndNameIsWrittenOnce)
{
    std::set<int> ordinals;
    std::set<std::string> names;
    for (const Export& row : TableRows()) {
        EXPECT_TRUE(ordinals.insert(row.ordinal).second) << row.ordinal;
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
    }
}

TEST(Exports, NothingElseLeavesTheLibrary)
{
    std::set<std::string> exported = ExportedNames();
    ASSERT_FALSE(exported.empty());
    EXPECT_EQ(exported, TableNames());
}

}  // namespace
