#include "gensim/DciCallTable.h"

#include "gensim/CardDci.h"

#include <algorithm>
#include <iterator>

namespace gensim {

namespace {

constexpr IsaCallRow kIsaCalls[] = {
    {32890, "XR_WaitScan", "3", 0},
    {32891, "XR_RepPixel", "3", 6},
    {32892, "XR_PokeBReg", "53", 0},
    {32894, "XR_PeekBReg", "3", 6},
    {32896, "XR_WaitFrames", "3", 0},
    {32897, "XR_SizeVuport", "33", 5},
    {32898, "XR_SetOrigin", "33", 0},
    {32899, "XR_SelectVuport", "3", 5},
    {32900, "XR_OpenVuport", "", 5},
    {32901, "XR_MoveVuport", "33", 0},
    {32902, "XR_CloseVuport", "3", 5},
    {32903, "XR_TranspON", "", 0},
    {32904, "XR_TranspOFF", "", 0},
    {32905, "XR_Set_ppop", "3", 0},
    {32906, "XR_Set_pmask", "6", 0},
    {32907, "XR_Set_color1", "6", 0},
    {32908, "XR_Set_color0", "6", 0},
    {32909, "XR_SelectPatn", "3", 5},
    {32910, "XR_GetTransp", "", 5},
    {32911, "XR_PutRect", "333367", 0},
    {32912, "XR_PutPixel", "333", 0},
    {32913, "XR_MoveRect", "333333", 0},
    {32914, "XR_GetRect", "673333", 0},
    {32915, "XR_BitExpand", "333367", 0},
    {32916, "XR_PatnFillConvex", "773", 5},
    {32917, "XR_PatnFrameOval", "333333", 0},
    {32918, "XR_PatnFillRect", "3333", 0},
    {32919, "XR_PatnFillPolygon", "73", 0},
    {32920, "XR_PatnFillOval", "3333", 0},
    {32921, "XR_FillRect", "3333", 0},
    {32922, "XR_FillPolygon", "73", 0},
    {32923, "XR_FillOval", "3333", 0},
    {32924, "XR_FillConvex", "773", 5},
    {32925, "XR_DrawRect", "3333", 0},
    {32926, "XR_DrawPolyLine", "773", 0},
    {32927, "XR_DrawPoint", "33", 0},
    {32928, "XR_DrawOval", "3333", 0},
    {32929, "XR_DrawLine", "3333", 0},
    {32930, "XR_SelectFont", "3", 5},
    {32931, "XR_InstallFont", "73", 5},
    {32932, "XR_GetWidth", "7", 5},
    {32933, "XR_GetLeading", "", 5},
    {32934, "XR_GetDescent", "", 5},
    {32935, "XR_GetAscent", "", 5},
    {32936, "XR_CharWideMax", "", 5},
    {32937, "XR_CharHigh", "", 5},
    {32938, "XR_AddTextSpace", "3", 0},
    {32939, "XR_DrawString", "733", 5},
    {32940, "XR_DrawChar", "333", 5},
    {32941, "XR_Translate", "77", 0},
    {32942, "XR_Transform", "737", 0},
    {32943, "XR_Scale", "77", 0},
    {32944, "XR_Rotate", "77", 0},
    {32945, "XR_Perspec", "333773", 0},
    {32958, "XR_CharFillRect", "333333333", 0},
    {32959, "XR_CurtainFillRect", "33333", 0},
    {32960, "XR_EncloseFillRect", "73", 0},
    {32961, "XR_ColorFillVuport", "6", 0},
    {32962, "XR_GroundFillVuport", "", 0},
    {32963, "XR_BlackFillVuport", "", 0},
    {32964, "XR_WaitFrame", "6", 6},
    {32965, "XR_Boxes", "3377", 0},
    {32966, "XR_WindowMode", "3", 0},
    {32967, "XR_SetVersions", "3", 0},
    {32968, "XR_SetLut", "6", 0},
    {32969, "XR_UnRepPixel", "6", 5},
    {32970, "XR_Opaque", "66", 0},
    {32971, "XR_Transparent", "6", 0},
    {32973, "XR_InitLut", "", 0},
    {32974, "XR_PokeColor", "6", 0},
    {32975, "XR_PokeLevelRGB", "444", 0},
    {32976, "XR_PokeBlackColors", "", 0},
    {32977, "XR_SelectColor", "6", 0},
    {32978, "XR_SetLevelRGB", "444", 0},
    {32979, "XR_SetLevelGray", "4", 0},
    {32980, "XR_SetLevelGrayPercent", "3", 0},
    {32981, "XR_SetCode", "6", 0},
    {32982, "XR_ResetLut", "6", 0},
    {32983, "XR_DrawText", "733", 0},
    {32984, "XR_CharWideImage", "3", 5},
    {32985, "XR_CurrentVuport", "", 5},
    {32987, "Release", "7", 0},
    {32988, "Allocate", "6", 7},
    {32990, "XR_PokeCode", "6", 0},
    {33004, "XR_SelectFontNamed", "7", 5},
    {33005, "XR_SelectPatnNamed", "7", 5},
    {33006, "XR_SetLevelMax", "4", 0},
    {33007, "XR_GetLevelMax", "", 6},
    {33008, "XR_ZoomRect", "633333333", 0},
    {33009, "XR_BoundPatnFill", "66633", 0},
    {33010, "XR_BoundFill", "66633", 0},
    {33011, "XR_SeedPatnFill", "6633", 0},
    {33012, "XR_SeedFill", "6633", 0},
    {33013, "XR_SetColorNamed", "7", 6},
    {33014, "XR_GetFirstCh", "", 5},
    {33015, "XR_GetLastCh", "", 5},
    {33016, "XR_Get_psize", "", 5},
    {33017, "XR_Get_ppop", "", 5},
    {33018, "XR_GetPatnMax", "", 5},
    {33019, "XR_GetPixel", "33", 5},
    {33020, "XR_GetVuportMax", "", 5},
    {33021, "XR_Cpw", "33", 5},
    {33022, "XR_PatnFrameRect", "333333", 0},
    {33023, "XR_SetClipRect", "3333", 0},
    {33024, "XR_CopyVuport", "33", 5},
    {33025, "XR_MovePixel", "3333", 0},
    {33026, "XR_StyledLine", "363333", 6},
    {33027, "XR_PenPoint", "33", 0},
    {33028, "XR_PenLine", "3333", 0},
    {33029, "XR_PatnPenPoint", "33", 0},
    {33030, "XR_PatnPenLine", "3333", 0},
    {33031, "XR_SetPenSize", "33", 0},
    {33032, "XR_FrameOval", "333333", 0},
    {33033, "XR_FrameRect", "333333", 0},
    {33034, "XR_GetFontMax", "", 5},
    {33035, "XR_Get_pmask", "", 6},
    {33036, "XR_Int32ToFix", "773", 7},
    {33037, "XR_PenPieArc", "333333", 0},
    {33038, "XR_PatnPenPieArc", "333333", 0},
    {33039, "XR_PenOvalArc", "333333", 0},
    {33040, "XR_PatnPenOvalArc", "333333", 0},
    {33041, "XR_FillPieArc", "333333", 0},
    {33042, "XR_PatnFillPieArc", "333333", 0},
    {33043, "XR_DrawPieArc", "333333", 0},
    {33044, "XR_DrawOvalArc", "333333", 0},
    {33045, "XR_VertexToPoint", "773", 0},
    {33046, "XR_InstallPatn", "73", 5},
    {33047, "XR_RunEncode", "673333", 5},
    {33048, "XR_RunDecode", "733", 0},
    {33051, "XR_Int16ToFix", "773", 7},
    {33052, "XR_FixToInt32", "773", 7},
    {33053, "XR_FixToInt16", "773", 7},
    {33054, "XR_PenPolyLine", "773", 0},
    {33055, "XR_PatnPenPolyLine", "773", 0},
    {33056, "XR_XYToAddr", "33", 5},
    {33057, "XR_Round", "9", 5},
    {33059, "XR_TimesDivide", "333", 5},
    {33060, "XR_ftoa", "73379", 5},
    {33061, "XR_itoaf", "73376", 5},
    {33062, "XR_DrawGrid", "333", 0},
    {33063, "XR_FreeFont", "3", 5},
    {33065, "XR_SetEdgeColorNamed", "77", 6},
    {33066, "XR_GetEdgeColor", "36", 5},
    {33067, "XR_GetEdgeColorMany", "", 5},
    {33068, "XR_DrawTriangle", "333333", 0},
    {33069, "XR_DrawGrill", "3333333", 0},
    {33070, "XR_DrawLimits", "", 0},
    {33071, "XR_DrawCross", "", 0},
    {33072, "XR_DrawCenterMark", "", 0},
    {33073, "XR_RemovePatn", "3", 5},
    {33074, "XR_SetDisplayMask", "6", 0},
    {33075, "XR_GetDisplayMask", "", 6},
    {33076, "XR_SetDisplayDelta", "3", 0},
    {33077, "XR_SetDisplayStart", "3", 0},
    {33078, "XR_SetFrameSync", "6", 0},
    {33079, "XR_GetFrameSync", "", 6},
    {33080, "XR_SetFrameNext", "6", 0},
    {33081, "XR_GetFrameNext", "", 6},
    {33082, "XR_GetFrame", "", 6},
    {33083, "XR_Get_color0", "", 6},
    {33084, "XR_Get_color1", "", 6},
    {33085, "XR_FillTriangle", "333333", 0},
    {33086, "XR_PatnFillTriangle", "333333", 0},
    {33087, "XR_DrawItalic", "733", 0},
    {33088, "XR_AddMoreSpace", "3", 0},
    {33089, "XR_AddWordSpace", "3", 0},
    {33090, "XR_GetMoreSpace", "", 5},
    {33091, "XR_GetWordSpace", "", 5},
    {33092, "XR_GetTextSpace", "", 5},
    {33093, "XR_DrawTBox", "33", 0},
    {33094, "XR_DrawStep", "33", 0},
    {33095, "XR_DrawFormat", "33", 0},
    {33096, "XR_RemoveVuport", "3", 5},
    {33097, "XR_DottedOval", "33333", 0},
    {33098, "XR_fmtn", "7", 0},
    {33099, "XR_fmtb", "", 0},
    {33100, "XR_name", "7", 0},
    {33101, "XR_hrat", "9", 5},
    {33102, "XR_hres", "3", 0},
    {33103, "XR_htot", "3", 0},
    {33104, "XR_hspd", "3", 0},
    {33105, "XR_hspw", "3", 0},
    {33106, "XR_hspp", "3", 0},
    {33107, "XR_hspg", "3", 0},
    {33108, "XR_vres", "3", 0},
    {33109, "XR_fmte", "", 0},
    {33110, "XR_fmta", "7", 0},
    {33111, "XR_vtot", "3", 0},
    {33112, "XR_vspd", "3", 0},
    {33113, "XR_vspw", "3", 0},
    {33114, "XR_vspp", "3", 0},
    {33115, "XR_vspg", "3", 0},
    {33116, "XR_scan", "3", 0},
    {33117, "XR_avst", "3", 0},
    {33118, "XR_avss", "9", 5},
    {33119, "XR_asct", "3", 0},
    {33120, "XR_dsct", "3", 0},
    {33121, "XR_ssst", "3", 0},
    {33122, "XR_cspp", "3", 0},
    {33123, "XR_xvsg", "3", 0},
    {33124, "XR_fmtu", "", 0},
    {33125, "XR_fmtl", "7", 0},
    {33126, "XR_PixelExpand", "3333367", 0},
};

constexpr PciCallRow kPciCalls[] = {
    {4, "XR_InitLut", 0, -1, PciForm::Context},
    {6, "XR_SetVersions", 1, -1, PciForm::Context},
    {9, "XR_WaitScan", 1, -1, PciForm::Context},
    {10, "XR_WaitFrame", 1, -1, PciForm::Context},
    {12, "XR_SetDisplayMask", 1, -1, PciForm::Context},
    {13, "XR_SetDisplayStart", 1, -1, PciForm::Context},
    {14, "XR_SetDisplayDelta", 1, -1, PciForm::Context},
    {15, "XR_SetFrameSync", 1, -1, PciForm::Context},
    {16, "XR_SetFrameNext", 1, -1, PciForm::Context},
    {17, "XR_GetDisplayMask", 0, -1, PciForm::Context},
    {18, "XR_GetFrame", 0, -1, PciForm::Context},
    {19, "XR_GetFrameSync", 0, -1, PciForm::Context},
    {22, "XR_SetLut", 1, -1, PciForm::Context},
    {23, "XR_ResetLut", 1, -1, PciForm::Context},
    {24, "XR_SetColorNamed", 1, -1, PciForm::Context},
    {25, "XR_SetEdgeColorNamed", 2, -1, PciForm::Context},
    {26, "XR_GetEdgeColor", 2, -1, PciForm::Context},
    {27, "XR_GetEdgeColorMany", 0, -1, PciForm::Context},
    {28, "XR_RepPixel", 1, -1, PciForm::Context},
    {29, "XR_UnRepPixel", 1, -1, PciForm::Context},
    {30, "XR_SetCode", 1, -1, PciForm::Context},
    {31, "XR_SelectColor", 1, -1, PciForm::Context},
    {32, "XR_SetLevelRGB", 3, -1, PciForm::Context},
    {33, "XR_SetLevelGray", 1, -1, PciForm::Context},
    {34, "XR_SetLevelGrayPercent", 1, -1, PciForm::Context},
    {35, "XR_SetLevelMax", 1, -1, PciForm::Context},
    {36, "XR_GetLevelMax", 0, -1, PciForm::Context},
    {37, "XR_PokeCode", 1, -1, PciForm::Context},
    {38, "XR_PokeColor", 1, -1, PciForm::Context},
    {39, "XR_PokeLevelRGB", 3, -1, PciForm::Context},
    {40, "XR_PokeBlackColors", 0, -1, PciForm::Context},
    {41, "XR_Opaque", 2, -1, PciForm::Context},
    {42, "XR_Transparent", 1, -1, PciForm::Context},
    {43, "XR_GroundFillVuport", 0, -1, PciForm::Context},
    {44, "XR_BlackFillVuport", 0, -1, PciForm::Context},
    {45, "XR_ColorFillVuport", 1, -1, PciForm::Context},
    {46, "XR_DrawPoint", 2, -1, PciForm::Context},
    {47, "XR_DrawLine", 4, -1, PciForm::Context},
    {48, "XR_DrawRect", 4, -1, PciForm::Context},
    {49, "XR_DrawOval", 4, -1, PciForm::Context},
    {50, "XR_DottedOval", 5, -1, PciForm::Context},
    {51, "XR_DrawPolyLine", 3, -1, PciForm::Context},
    {52, "XR_DrawTriangle", 6, -1, PciForm::Context},
    {53, "XR_DrawOvalArc", 6, 0, PciForm::Context},
    {53, "XR_DrawPieArc", 6, 1, PciForm::Context},
    {57, "XR_StyledLine", 6, -1, PciForm::Context},
    {58, "XR_DrawGrid", 3, -1, PciForm::Context},
    {59, "XR_DrawGrill", 7, -1, PciForm::Context},
    {60, "XR_DrawFormat", 2, -1, PciForm::Context},
    {61, "XR_DrawTBox", 2, -1, PciForm::Context},
    {62, "XR_DrawStep", 2, -1, PciForm::Context},
    {66, "XR_DrawCenterMark", 0, -1, PciForm::Context},
    {67, "XR_DrawLimits", 0, -1, PciForm::Context},
    {68, "XR_DrawCross", 0, -1, PciForm::Context},
    {69, "XR_FillRect", 4, -1, PciForm::Context},
    {70, "XR_PatnFillTriangle", 6, 0, PciForm::Context},
    {70, "XR_FillTriangle", 6, 1, PciForm::Context},
    {71, "XR_FillOval", 4, -1, PciForm::Context},
    {72, "XR_PatnFillPolygon", 2, 0, PciForm::Context},
    {72, "XR_FillPolygon", 2, 1, PciForm::Context},
    {73, "XR_PatnFillConvex", 3, 0, PciForm::Context},
    {73, "XR_FillConvex", 3, 1, PciForm::Context},
    {74, "XR_FrameRect", 6, -1, PciForm::Context},
    {75, "XR_PatnFrameOval", 6, 0, PciForm::Context},
    {75, "XR_FrameOval", 6, 1, PciForm::Context},
    {79, "XR_PatnFillPieArc", 6, 0, PciForm::Context},
    {79, "XR_FillPieArc", 6, 1, PciForm::Context},
    {80, "XR_CurtainFillRect", 5, -1, PciForm::Context},
    {81, "XR_EncloseFillRect", 2, -1, PciForm::Context},
    {83, "XR_SelectPatn", 1, -1, PciForm::Context},
    {84, "XR_SelectPatnNamed", 1, -1, PciForm::Context},
    {86, "XR_RemovePatn", 1, -1, PciForm::Context},
    {87, "XR_PatnFillRect", 4, -1, PciForm::Context},
    {88, "XR_PatnFillOval", 4, -1, PciForm::Context},
    {89, "XR_PatnFrameRect", 6, -1, PciForm::Context},
    {90, "XR_PenPoint", 2, -1, PciForm::Context},
    {91, "XR_PatnPenLine", 4, 0, PciForm::Context},
    {91, "XR_PenLine", 4, 1, PciForm::Context},
    {92, "XR_PatnPenPolyLine", 3, 0, PciForm::Context},
    {92, "XR_PenPolyLine", 3, 1, PciForm::Context},
    {95, "XR_DrawChar", 3, -1, PciForm::Context},
    {97, "XR_DrawString", 3, -1, PciForm::Context},
    {99, "XR_DrawText", 3, -1, PciForm::Context},
    {100, "XR_DrawItalic", 3, -1, PciForm::Context},
    {101, "XR_GetWidth", 1, -1, PciForm::Context},
    {103, "XR_FreeFont", 1, -1, PciForm::Context},
    {105, "XR_SelectFont", 1, -1, PciForm::Context},
    {106, "XR_SelectFontNamed", 1, -1, PciForm::Context},
    {108, "XR_GetAscent", 0, -1, PciForm::Context},
    {110, "XR_GetDescent", 0, -1, PciForm::Context},
    {111, "XR_CharWideMax", 0, -1, PciForm::Context},
    {112, "XR_CharHigh", 0, -1, PciForm::Context},
    {113, "XR_GetFirstCh", 0, -1, PciForm::Context},
    {114, "XR_GetLastCh", 0, -1, PciForm::Context},
    {116, "XR_GetFontMax", 0, -1, PciForm::Context},
    {132, "XR_Transform", 3, -1, PciForm::Context},
    {133, "XR_Scale", 2, -1, PciForm::Context},
    {134, "XR_Rotate", 2, -1, PciForm::Context},
    {135, "XR_Perspec", 6, -1, PciForm::Context},
    {136, "XR_OpenVuport", 0, -1, PciForm::Context},
    {137, "XR_CloseVuport", 1, -1, PciForm::Context},
    {138, "XR_RemoveVuport", 1, -1, PciForm::Context},
    {139, "XR_SelectVuport", 1, -1, PciForm::Context},
    {140, "XR_CopyVuport", 2, -1, PciForm::Context},
    {141, "XR_CurrentVuport", 0, -1, PciForm::Context},
    {142, "XR_SizeVuport", 2, -1, PciForm::Context},
    {143, "XR_SetOrigin", 2, -1, PciForm::Context},
    {144, "XR_MoveVuport", 2, -1, PciForm::Context},
    {146, "XR_SetClipRect", 4, -1, PciForm::Context},
    {147, "XR_Cpw", 2, -1, PciForm::Packed},
    {148, "XR_BitExpand", 6, -1, PciForm::Context},
    {149, "XR_PixelExpand", 7, -1, PciForm::Context},
    {150, "XR_PutRect", 6, -1, PciForm::Context},
    {151, "XR_PutPixel", 3, -1, PciForm::Context},
    {152, "XR_MovePixel", 4, -1, PciForm::Context},
    {153, "XR_MoveRect", 6, -1, PciForm::Context},
    {154, "XR_GetRect", 6, -1, PciForm::Context},
    {156, "XR_Boxes", 4, -1, PciForm::Context},
    {157, "XR_Set_color1", 1, -1, PciForm::Context},
    {158, "XR_Set_color0", 1, -1, PciForm::Context},
    {159, "XR_GetPixel", 2, -1, PciForm::Context},
    {160, "XR_GetVuportMax", 0, -1, PciForm::Context},
    {161, "XR_Get_psize", 0, -1, PciForm::Context},
    {162, "XR_Get_ppop", 0, -1, PciForm::Context},
    {163, "XR_GetPatnMax", 0, -1, PciForm::Context},
    {164, "XR_SetPenSize", 2, -1, PciForm::Context},
    {165, "XR_TranspON", 0, -1, PciForm::Context},
    {166, "XR_TranspOFF", 0, -1, PciForm::Context},
    {167, "XR_Set_ppop", 1, -1, PciForm::Context},
    {168, "XR_Set_pmask", 1, -1, PciForm::Context},
    {169, "XR_GetTransp", 0, -1, PciForm::Context},
    {170, "XR_GetTextSpace", 0, -1, PciForm::Context},
    {171, "XR_GetMoreSpace", 0, -1, PciForm::Context},
    {172, "XR_GetWordSpace", 0, -1, PciForm::Context},
    {173, "XR_AddTextSpace", 1, -1, PciForm::Context},
    {174, "XR_AddWordSpace", 1, -1, PciForm::Context},
    {175, "XR_AddMoreSpace", 1, -1, PciForm::Context},
    {177, "XR_Translate", 2, -1, PciForm::Context},
    {178, "XR_Int32ToFix", 3, -1, PciForm::Context},
    {179, "XR_FixToInt32", 3, -1, PciForm::Context},
    {180, "XR_Int16ToFix", 3, -1, PciForm::Context},
    {181, "XR_FixToInt16", 3, -1, PciForm::Context},
    {182, "XR_VertexToPoint", 3, -1, PciForm::Context},
    {183, "XR_Round", 2, -1, PciForm::Round},
    {185, "XR_TimesDivide", 3, -1, PciForm::FirstAtResult},
    {188, "XR_PatnPenPoint", 2, -1, PciForm::Context},
    {189, "XR_Get_pmask", 0, -1, PciForm::Context},
    {190, "XR_GetFrameNext", 0, -1, PciForm::Context},
    {191, "XR_Get_color0", 0, -1, PciForm::Context},
    {192, "XR_Get_color1", 0, -1, PciForm::Context},
    {193, "XR_WindowMode", 1, -1, PciForm::Context},
    {194, "XR_CharWideImage", 1, -1, PciForm::Context},
    {196, "Release", 1, -1, PciForm::Bare},
    {197, "Allocate", 1, -1, PciForm::Bare},
    {198, "XR_FlashFromVMEM", 0, -1, PciForm::Bare},
};

int argumentWords(char code)
{
    return code == '9' ? 4 : code == '8' ? 0 : 2;
}

double argumentValue(char code, const uint16_t* words)
{
    if (code == '9') {
        uint64_t bits = 0;
        for (int i = 0; i < 4; ++i)
            bits |= uint64_t{words[i]} << (16 * i);
        return fromProcessorDouble(bits);
    }
    const uint32_t value = words[0] | static_cast<uint32_t>(words[1]) << 16;
    if (code == '1' || code == '3' || code == '5')
        return static_cast<int32_t>(value);
    return value;
}

} // namespace

// The first parameter lies nearest the 0 word; the arguments must take up
// the space from `first` exactly.
DecodedIsaCall decodeIsaCall(const std::function<uint16_t(uint32_t)>& word, uint32_t first, uint32_t end)
{
    DecodedIsaCall call;
    if (end < first || end - first < 32 || (end - first) % 16 != 0) {
        call.problem = "no call number";
        return call;
    }
    const uint16_t number = word(end - 16);
    call.row = findIsaCall(number);
    if (call.row == nullptr || word(end - 32) != 0) {
        call.row = nullptr;
        call.problem = "unknown " + std::to_string(number);
        return call;
    }
    uint32_t cursor = end - 32;
    for (std::size_t k = call.row->types.size(); k-- > 0;) {
        const char code = call.row->types[k];
        const uint32_t span = 16 * static_cast<uint32_t>(argumentWords(code));
        if (cursor - first < span) {
            call.problem = std::string(call.row->name) + " with too few argument words";
            return call;
        }
        cursor -= span;
        uint16_t words[4] = {};
        for (int i = 0; i < argumentWords(code); ++i)
            words[i] = word(cursor + 16 * static_cast<uint32_t>(i));
        call.args.push_back(argumentValue(code, words));
    }
    if (cursor != first)
        call.problem = std::string(call.row->name) + " with arguments that do not fit";
    return call;
}

const IsaCallRow* findIsaCall(uint16_t number)
{
    const auto* row = std::find_if(std::begin(kIsaCalls), std::end(kIsaCalls),
                                   [number](const IsaCallRow& r) { return r.number == number; });
    return row != std::end(kIsaCalls) ? row : nullptr;
}

std::vector<const PciCallRow*> findPciCall(uint16_t function)
{
    std::vector<const PciCallRow*> rows;
    for (const PciCallRow& row : kPciCalls)
        if (row.function == function)
            rows.push_back(&row);
    return rows;
}

} // namespace gensim
