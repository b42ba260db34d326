#include "gensim/CardDci.h"

#include "gensim/Generator.h"
#include "gensim/Numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>

namespace gensim {

namespace {

constexpr DciVariable kVariables[] = {
    {"black", 32808, 43, VariableKind::Colour},
    {"red", 32863, 98, VariableKind::Colour},
    {"red50", 32864, 99, VariableKind::Colour},
    {"red75", 32865, 100, VariableKind::Colour},
    {"green", 32856, 91, VariableKind::Colour},
    {"green50", 32857, 92, VariableKind::Colour},
    {"green75", 32858, 93, VariableKind::Colour},
    {"yellow", 32859, 94, VariableKind::Colour},
    {"yellow50", 32860, 95, VariableKind::Colour},
    {"yellow75", 32862, 96, VariableKind::Colour},
    {"blue", 32853, 88, VariableKind::Colour},
    {"blue50", 32854, 89, VariableKind::Colour},
    {"blue75", 32855, 90, VariableKind::Colour},
    {"magenta", 32866, 101, VariableKind::Colour},
    {"magenta50", 32867, 102, VariableKind::Colour},
    {"magenta75", 32868, 103, VariableKind::Colour},
    {"cyan", 32869, 104, VariableKind::Colour},
    {"cyan50", 32870, 105, VariableKind::Colour},
    {"cyan75", 32871, 106, VariableKind::Colour},
    {"white", 32852, 87, VariableKind::Colour},
    {"brown", 32861, 97, VariableKind::Colour},
    {"huei", 32874, 109, VariableKind::Colour},
    {"hueq", 32875, 110, VariableKind::Colour},
    {"huenegi", 32876, 111, VariableKind::Colour},
    {"huenegq", 32877, 112, VariableKind::Colour},
    {"gray2", 32809, 44, VariableKind::Colour},
    {"gray3", 32810, 45, VariableKind::Colour},
    {"gray4", 32811, 46, VariableKind::Colour},
    {"gray5", 32812, 47, VariableKind::Colour},
    {"gray7", 32813, 48, VariableKind::Colour},
    {"gray10", 32814, 49, VariableKind::Colour},
    {"gray12", 32815, 50, VariableKind::Colour},
    {"gray13", 32816, 51, VariableKind::Colour},
    {"gray17", 32817, 52, VariableKind::Colour},
    {"gray20", 32818, 53, VariableKind::Colour},
    {"gray23", 32819, 54, VariableKind::Colour},
    {"gray25", 32820, 55, VariableKind::Colour},
    {"gray27", 32821, 56, VariableKind::Colour},
    {"gray30", 32822, 57, VariableKind::Colour},
    {"gray33", 32823, 58, VariableKind::Colour},
    {"gray35", 32824, 59, VariableKind::Colour},
    {"gray37", 32825, 60, VariableKind::Colour},
    {"gray40", 32826, 61, VariableKind::Colour},
    {"gray43", 32827, 62, VariableKind::Colour},
    {"gray45", 32828, 63, VariableKind::Colour},
    {"gray47", 32829, 64, VariableKind::Colour},
    {"gray48", 32830, 65, VariableKind::Colour},
    {"gray50", 32831, 66, VariableKind::Colour},
    {"gray51", 32832, 67, VariableKind::Colour},
    {"gray53", 32833, 68, VariableKind::Colour},
    {"gray55", 32834, 69, VariableKind::Colour},
    {"gray57", 32835, 70, VariableKind::Colour},
    {"gray60", 32836, 71, VariableKind::Colour},
    {"gray63", 32837, 72, VariableKind::Colour},
    {"gray65", 32838, 73, VariableKind::Colour},
    {"gray67", 32839, 74, VariableKind::Colour},
    {"gray70", 32840, 75, VariableKind::Colour},
    {"gray73", 32841, 76, VariableKind::Colour},
    {"gray75", 32842, 77, VariableKind::Colour},
    {"gray77", 32843, 78, VariableKind::Colour},
    {"gray80", 32844, 79, VariableKind::Colour},
    {"gray83", 32845, 80, VariableKind::Colour},
    {"gray85", 32846, 81, VariableKind::Colour},
    {"gray87", 32847, 82, VariableKind::Colour},
    {"gray90", 32848, 83, VariableKind::Colour},
    {"gray93", 32849, 84, VariableKind::Colour},
    {"gray95", 32850, 85, VariableKind::Colour},
    {"gray97", 32851, 86, VariableKind::Colour},
    {"background", 32873, 108, VariableKind::Colour},
    {"foreground", 32872, 107, VariableKind::Colour},
    {"imageversion", 32805, 31, VariableKind::Integer},
    {"penw", 32794, 24, VariableKind::Integer},
    {"penh", 32795, 25, VariableKind::Integer},
    {"dwell", 32796, 26, VariableKind::Integer},
    {"offsetx", 32797, 20, VariableKind::Integer},
    {"offsety", 32798, 21, VariableKind::Integer},
    {"spacex", 32799, 22, VariableKind::Integer},
    {"spacey", 32800, 23, VariableKind::Integer},
    {"deltax", 32801, 27, VariableKind::Integer},
    {"deltay", 32802, 28, VariableKind::Integer},
    {"levelred", 33001, 118, VariableKind::Integer},
    {"levelgreen", 33002, 119, VariableKind::Integer},
    {"levelblue", 33003, 120, VariableKind::Integer},
    {"width", 32782, 8, VariableKind::Integer},
    {"height", 32783, 9, VariableKind::Integer},
    {"aspect", 32884, 37, VariableKind::Double},
    {"aspectsize", 32886, 39, VariableKind::Double},
    {"aspectpixel", 32885, 38, VariableKind::Double},
    {"normalwidth", 32887, 40, VariableKind::Double},
    {"normalheight", 32888, 41, VariableKind::Double},
    {"uintsize", 32881, 34, VariableKind::Byte},
    {"widthsize", 32882, 35, VariableKind::Double},
    {"heightsize", 32883, 36, VariableKind::Double},
    {"meterwidth", 32806, 32, VariableKind::Integer},
    {"meterheight", 32807, 33, VariableKind::Integer},
    {"left", 32784, 10, VariableKind::Integer},
    {"top", 32785, 11, VariableKind::Integer},
    {"right", 32786, 12, VariableKind::Integer},
    {"bottom", 32787, 13, VariableKind::Integer},
    {"centerleft", 32788, 14, VariableKind::Integer},
    {"centertop", 32789, 15, VariableKind::Integer},
    {"centerright", 32790, 16, VariableKind::Integer},
    {"centerbottom", 32791, 17, VariableKind::Integer},
    {"major", 32792, 116, VariableKind::Integer},
    {"minor", 32793, 117, VariableKind::Integer},
    {"addspace", 32803, 29, VariableKind::Integer},
    {"modspace", 32804, 30, VariableKind::Integer},
};

constexpr int kColours = 70;

int colourIndex(std::string_view name)
{
    for (int i = 0; i < kColours; ++i)
        if (kVariables[i].name == name)
            return i;
    return -1;
}

int32_t asInt(double v)
{
    return static_cast<int32_t>(static_cast<int64_t>(v));
}

// A double argument (or one out of range) read as a word is 0, not undefined.
uint32_t asWord(double v)
{
    return v > -9.2e18 && v < 9.2e18 ? static_cast<uint32_t>(static_cast<int64_t>(v)) : 0;
}

double settingNumber(const Generator& generator, std::string_view mnemonic, double otherwise)
{
    double value = 0;
    std::optional<std::string> text = generator.setting(mnemonic);
    return text && parseNumber(*text, value) ? value : otherwise;
}

} // namespace

const DciVariable* findVariableByQuery(uint16_t query)
{
    for (const DciVariable& v : kVariables)
        if (v.query == query)
            return &v;
    return nullptr;
}

const DciVariable* findVariableByItem(uint32_t item)
{
    for (const DciVariable& v : kVariables)
        if (v.item == item)
            return &v;
    return nullptr;
}

const DciVariable* findVariable(std::string_view name)
{
    for (const DciVariable& v : kVariables)
        if (v.name == name)
            return &v;
    return nullptr;
}

std::string_view colourName(int index)
{
    return index >= 0 && index < kColours ? kVariables[index].name : std::string_view{};
}

std::string DciCall::text() const
{
    std::string s = name + "(";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i > 0)
            s += ", ";
        char number[32];
        const std::to_chars_result end = std::to_chars(number, number + sizeof number, args[i]);
        s.append(number, end.ptr);
    }
    return s + ")";
}

uint64_t processorDouble(double value)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const uint64_t sign = bits >> 63;
    const uint64_t exponent = ((bits >> 52) + 1) & 0x7FF;
    const uint64_t mantissa = (uint64_t{1} << 51) | ((bits & ((uint64_t{1} << 52) - 1)) >> 1);
    return sign << 63 | exponent << 52 | mantissa;
}

double fromProcessorDouble(uint64_t bits)
{
    const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    const double magnitude = std::ldexp(static_cast<double>(bits & ((uint64_t{1} << 52) - 1)), exponent - 1023 - 52);
    return bits >> 63 ? -magnitude : magnitude;
}

// --- Routines ------------------------------------------------------------------------

const CardDci::RoutineRow CardDci::kRoutines[] = {
    {"Allocate", &CardDci::allocateRoutine},
    {"Release", &CardDci::releaseRoutine},
    {"XR_Set_color0", &CardDci::setColour0},
    {"XR_Set_color1", &CardDci::setColour1},
    {"XR_Get_color0", &CardDci::getColour0},
    {"XR_Get_color1", &CardDci::getColour1},
    {"XR_Set_ppop", &CardDci::setPpop},
    {"XR_Get_ppop", &CardDci::getPpop},
    {"XR_Set_pmask", &CardDci::setPmask},
    {"XR_Get_pmask", &CardDci::getPmask},
    {"XR_Get_psize", &CardDci::getPsize},
    {"XR_TranspON", &CardDci::transparencyOn},
    {"XR_TranspOFF", &CardDci::transparencyOff},
    {"XR_GetTransp", &CardDci::getTransparency},
    {"XR_SetDisplayMask", &CardDci::setDisplayMask},
    {"XR_GetDisplayMask", &CardDci::getDisplayMask},
    {"XR_SetFrameSync", &CardDci::setFrameSync},
    {"XR_GetFrameSync", &CardDci::getFrameSync},
    {"XR_SetFrameNext", &CardDci::setFrameNext},
    {"XR_GetFrameNext", &CardDci::getFrameNext},
    {"XR_GetFrame", &CardDci::getFrame},
    {"XR_SetLevelMax", &CardDci::setLevelMax},
    {"XR_GetLevelMax", &CardDci::getLevelMax},
    {"XR_AddTextSpace", &CardDci::addTextSpace},
    {"XR_AddWordSpace", &CardDci::addWordSpace},
    {"XR_AddMoreSpace", &CardDci::addMoreSpace},
    {"XR_GetTextSpace", &CardDci::getTextSpace},
    {"XR_GetWordSpace", &CardDci::getWordSpace},
    {"XR_GetMoreSpace", &CardDci::getMoreSpace},
    {"XR_PokeBReg", &CardDci::pokeRegister},
    {"XR_PeekBReg", &CardDci::peekRegister},
    {"XR_SetOrigin", &CardDci::setOrigin},
    {"XR_SetClipRect", &CardDci::setClipRect},
    {"XR_DrawPoint", &CardDci::drawPoint},
    {"XR_PutPixel", &CardDci::putPixel},
    {"XR_GetPixel", &CardDci::getPixel},
    {"XR_DrawRect", &CardDci::drawRect},
    {"XR_FillRect", &CardDci::fillRect},
    {"XR_ColorFillVuport", &CardDci::colourFill},
    {"XR_GroundFillVuport", &CardDci::groundFill},
    {"XR_BlackFillVuport", &CardDci::blackFill},
    // Viewports and display registers (CardDciVuports.cpp).
    {"XR_OpenVuport", &CardDci::openVuport},
    {"XR_CloseVuport", &CardDci::closeVuport},
    {"XR_RemoveVuport", &CardDci::removeVuport},
    {"XR_SelectVuport", &CardDci::selectVuport},
    {"XR_CurrentVuport", &CardDci::currentVuportRoutine},
    {"XR_SizeVuport", &CardDci::sizeVuport},
    {"XR_MoveVuport", &CardDci::moveVuport},
    {"XR_CopyVuport", &CardDci::copyVuport},
    {"XR_GetVuportMax", &CardDci::getVuportMax},
    {"XR_Cpw", &CardDci::cpw},
    {"XR_SetDisplayStart", &CardDci::setDisplayStart},
    {"XR_SetDisplayDelta", &CardDci::setDisplayDelta},
    {"XR_SetVersions", &CardDci::setVersions},
    // Blocks, maths, text, frames, fields and flash (CardDciBlocks.cpp, CardDciMaths.cpp, CardDciFields.cpp,
    // CardDciFlash.cpp).
    {"XR_GetRect", &CardDci::getRect},
    {"XR_PutRect", &CardDci::putRect},
    {"XR_BitExpand", &CardDci::bitExpand},
    {"XR_PixelExpand", &CardDci::pixelExpand},
    {"XR_ZoomRect", &CardDci::zoomRect},
    {"XR_RunEncode", &CardDci::runEncode},
    {"XR_RunDecode", &CardDci::runDecode},
    {"XR_Rotate", &CardDci::rotate},
    {"XR_Scale", &CardDci::scale},
    {"XR_Translate", &CardDci::translate},
    {"XR_Transform", &CardDci::transform},
    {"XR_Perspec", &CardDci::perspective},
    {"XR_VertexToPoint", &CardDci::vertexToPoint},
    {"XR_Int32ToFix", &CardDci::int32ToFix},
    {"XR_Int16ToFix", &CardDci::int16ToFix},
    {"XR_FixToInt32", &CardDci::fixToInt32},
    {"XR_FixToInt16", &CardDci::fixToInt16},
    {"XR_Round", &CardDci::roundRoutine},
    {"XR_TimesDivide", &CardDci::timesDivide},
    {"XR_itoaf", &CardDci::integerText},
    {"XR_ftoa", &CardDci::realText},
    {"XR_WaitFrame", &CardDci::waitFrame},
    {"XR_WaitFrames", &CardDci::waitFrames},
    {"XR_WaitScan", &CardDci::waitScan},
    {"XR_fmtn", &CardDci::formatField},
    {"XR_fmtb", &CardDci::formatField},
    {"XR_name", &CardDci::formatField},
    {"XR_hrat", &CardDci::formatField},
    {"XR_hres", &CardDci::formatField},
    {"XR_htot", &CardDci::formatField},
    {"XR_hspd", &CardDci::formatField},
    {"XR_hspw", &CardDci::formatField},
    {"XR_hspp", &CardDci::formatField},
    {"XR_hspg", &CardDci::formatField},
    {"XR_vres", &CardDci::formatField},
    {"XR_fmte", &CardDci::formatField},
    {"XR_fmta", &CardDci::formatField},
    {"XR_vtot", &CardDci::formatField},
    {"XR_vspd", &CardDci::formatField},
    {"XR_vspw", &CardDci::formatField},
    {"XR_vspp", &CardDci::formatField},
    {"XR_vspg", &CardDci::formatField},
    {"XR_scan", &CardDci::formatField},
    {"XR_avst", &CardDci::formatField},
    {"XR_avss", &CardDci::formatField},
    {"XR_asct", &CardDci::formatField},
    {"XR_dsct", &CardDci::formatField},
    {"XR_ssst", &CardDci::formatField},
    {"XR_cspp", &CardDci::formatField},
    {"XR_xvsg", &CardDci::formatField},
    {"XR_fmtu", &CardDci::formatField},
    {"XR_fmtl", &CardDci::formatField},
    {"XR_FlashFromVMEM", &CardDci::flashFromVideo},
    // The drawing library.
    {"XR_DrawLine", &CardDci::drawLine},
    {"XR_DrawPolyLine", &CardDci::drawPolyLine},
    {"XR_DrawTriangle", &CardDci::drawTriangle},
    {"XR_FillTriangle", &CardDci::fillTriangle},
    {"XR_PatnFillTriangle", &CardDci::patnFillTriangle},
    {"XR_FillPolygon", &CardDci::fillPolygon},
    {"XR_PatnFillPolygon", &CardDci::patnFillPolygon},
    {"XR_FillConvex", &CardDci::fillConvex},
    {"XR_PatnFillConvex", &CardDci::patnFillConvex},
    {"XR_DrawOval", &CardDci::drawOval},
    {"XR_FillOval", &CardDci::fillOval},
    {"XR_PatnFillOval", &CardDci::patnFillOval},
    {"XR_DottedOval", &CardDci::dottedOval},
    {"XR_FrameRect", &CardDci::frameRect},
    {"XR_PatnFrameRect", &CardDci::patnFrameRect},
    {"XR_FrameOval", &CardDci::frameOval},
    {"XR_PatnFrameOval", &CardDci::patnFrameOval},
    {"XR_DrawOvalArc", &CardDci::drawOvalArc},
    {"XR_DrawPieArc", &CardDci::drawPieArc},
    {"XR_FillPieArc", &CardDci::fillPieArc},
    {"XR_PatnFillPieArc", &CardDci::patnFillPieArc},
    {"XR_PatnFillRect", &CardDci::patnFillRect},
    {"XR_CurtainFillRect", &CardDci::curtainFillRect},
    {"XR_EncloseFillRect", &CardDci::encloseFillRect},
    {"XR_MoveRect", &CardDci::moveRect},
    {"XR_MovePixel", &CardDci::movePixel},
    {"XR_Boxes", &CardDci::boxes},
    {"XR_DrawGrid", &CardDci::drawGrid},
    {"XR_DrawGrill", &CardDci::drawGrill},
    {"XR_StyledLine", &CardDci::styledLine},
    {"XR_DrawLimits", &CardDci::drawLimits},
    {"XR_DrawCross", &CardDci::drawCross},
    {"XR_DrawCenterMark", &CardDci::drawCenterMark},
    {"XR_DrawTBox", &CardDci::drawTBox},
    {"XR_DrawStep", &CardDci::drawStep},
    {"XR_DrawFormat", &CardDci::drawFormat},
    {"XR_SetPenSize", &CardDci::setPenSize},
    {"XR_PenPoint", &CardDci::penPoint},
    {"XR_PenLine", &CardDci::penLine},
    {"XR_PenPolyLine", &CardDci::penPolyLine},
    {"XR_PenPieArc", &CardDci::penPieArc},
    {"XR_PenOvalArc", &CardDci::penOvalArc},
    {"XR_PatnPenPoint", &CardDci::patnPenPoint},
    {"XR_PatnPenLine", &CardDci::patnPenLine},
    {"XR_PatnPenPolyLine", &CardDci::patnPenPolyLine},
    {"XR_PatnPenPieArc", &CardDci::patnPenPieArc},
    {"XR_PatnPenOvalArc", &CardDci::patnPenOvalArc},
    {"XR_SeedFill", &CardDci::seedFill},
    {"XR_SeedPatnFill", &CardDci::seedPatnFill},
    {"XR_BoundFill", &CardDci::boundFill},
    {"XR_BoundPatnFill", &CardDci::boundPatnFill},
    {"XR_SelectPatn", &CardDci::selectPatn},
    {"XR_SelectPatnNamed", &CardDci::selectPatnNamed},
    {"XR_InstallPatn", &CardDci::installPatn},
    {"XR_RemovePatn", &CardDci::removePatn},
    {"XR_GetPatnMax", &CardDci::getPatnMax},
    {"XR_SelectFont", &CardDci::selectFont},
    {"XR_SelectFontNamed", &CardDci::selectFontNamed},
    {"XR_InstallFont", &CardDci::installFont},
    {"XR_FreeFont", &CardDci::freeFont},
    {"XR_GetFontMax", &CardDci::getFontMax},
    {"XR_GetLeading", &CardDci::getLeading},
    {"XR_GetDescent", &CardDci::getDescent},
    {"XR_GetAscent", &CardDci::getAscent},
    {"XR_CharWideMax", &CardDci::charWideMax},
    {"XR_CharHigh", &CardDci::charHigh},
    {"XR_GetFirstCh", &CardDci::getFirstCh},
    {"XR_GetLastCh", &CardDci::getLastCh},
    {"XR_CharWideImage", &CardDci::charWideImage},
    {"XR_GetWidth", &CardDci::getWidth},
    {"XR_DrawString", &CardDci::drawString},
    {"XR_DrawText", &CardDci::drawString},
    {"XR_DrawItalic", &CardDci::drawItalic},
    {"XR_DrawChar", &CardDci::drawChar},
    {"XR_CharFillRect", &CardDci::charFillRect},
    {"XR_Transparent", &CardDci::transparentColour},
    {"XR_Opaque", &CardDci::opaqueColours},
    {"XR_SetColorNamed", &CardDci::setColourNamed},
    {"XR_SetEdgeColorNamed", &CardDci::setEdgeColourNamed},
    {"XR_GetEdgeColor", &CardDci::getEdgeColour},
    {"XR_GetEdgeColorMany", &CardDci::getEdgeColourMany},
    {"XR_SetLut", &CardDci::setLut},
    {"XR_ResetLut", &CardDci::resetLut},
    {"XR_InitLut", &CardDci::initLut},
    {"XR_SelectColor", &CardDci::selectColour},
    {"XR_PokeColor", &CardDci::pokeColour},
    {"XR_SetLevelRGB", &CardDci::setLevelRgb},
    {"XR_PokeLevelRGB", &CardDci::pokeLevelRgb},
    {"XR_SetLevelGray", &CardDci::setLevelGray},
    {"XR_SetLevelGrayPercent", &CardDci::setLevelGrayPercent},
    {"XR_PokeBlackColors", &CardDci::pokeBlackColours},
    {"XR_SetCode", &CardDci::setCode},
    {"XR_PokeCode", &CardDci::pokeCode},
    {"XR_RepPixel", &CardDci::repPixelRoutine},
    {"XR_UnRepPixel", &CardDci::unRepPixel},
};

CardDci::CardDci(Generator& generator, std::string port, uint8_t* video, std::size_t videoBytes, Heap heap)
    : m_generator(generator), m_port(std::move(port)), m_video(video), m_videoBytes(videoBytes), m_heap(heap)
{
}

bool CardDci::hasRoutine(std::string_view name)
{
    return std::any_of(std::begin(kRoutines), std::end(kRoutines),
                       [&](const RoutineRow& row) { return row.name == name; });
}

void CardDci::setCallObserver(std::function<void(const DciCall&)> observer)
{
    std::lock_guard lock(m_mutex);
    m_observer = std::move(observer);
}

uint64_t CardDci::callCount() const
{
    std::lock_guard lock(m_mutex);
    return m_calls;
}

uint32_t CardDci::run(std::string_view name, const std::vector<double>& args)
{
    std::lock_guard lock(m_mutex);
    uint32_t result = 0;
    m_end = {};
    m_routine = name;
    for (const RoutineRow& row : kRoutines)
        if (row.name == name) {
            result = (this->*row.routine)(args);
            break;
        }
    DciCall call{std::string(name), m_port, args, result};
    if (m_heap.memory != nullptr)
        for (double a : args) {
            // A PCI word arrives signed: an address may look negative.
            const uint32_t address = asWord(a);
            if (address < m_heap.first || (address - m_heap.first) % m_heap.scale != 0)
                continue;
            if (auto it = m_blocks.find((address - m_heap.first) / m_heap.scale); it != m_blocks.end())
                call.staged.emplace_back(reinterpret_cast<const char*>(m_heap.memory + it->first), it->second);
        }
    ++m_calls;
    if (m_observer)
        m_observer(call);
    m_log.push_back(std::move(call));
    return result;
}

void CardDci::logUnknown(std::string_view what)
{
    std::lock_guard lock(m_mutex);
    m_log.push_back({std::string(what), m_port, {}, 0});
}

// --- Variables -------------------------------------------------------------------------

double CardDci::value(std::string_view name) const
{
    std::lock_guard lock(m_mutex);
    return valueLocked(name);
}

void CardDci::setValue(std::string_view name, double value)
{
    std::lock_guard lock(m_mutex);
    m_values[std::string(name)] = value;
}

double CardDci::valueLocked(std::string_view name) const
{
    if (auto it = m_values.find(name); it != m_values.end())
        return it->second;
    if (const int colour = colourIndex(name); colour >= 0)
        return static_cast<double>(drawing::tableColour(colour, m_lutSelector));
    const double w = widthLocked();
    const double h = heightLocked();
    struct Row {
        std::string_view name;
        double value;
    };
    const Row rows[] = {
        {"imageversion", 2}, {"penw", static_cast<double>(m_penWidth)}, {"penh", static_cast<double>(m_penHeight)}, {"dwell", 0}, {"offsetx", 0}, {"offsety", 0},
        {"spacex", 1}, {"spacey", 1}, {"deltax", 1}, {"deltay", 1}, {"levelred", 700}, {"levelgreen", 700},
        {"levelblue", 700}, {"width", w}, {"height", h}, {"aspect", w / h}, {"aspectsize", w / h},
        {"aspectpixel", 1.0}, {"normalwidth", w / h}, {"normalheight", 1.0}, {"uintsize", 8},
        {"widthsize", 0.32}, {"heightsize", 0.24}, {"meterwidth", 320}, {"meterheight", 240}, {"left", 0},
        {"top", 0}, {"right", w - 1}, {"bottom", h - 1}, {"centerleft", w / 2 - 1}, {"centertop", h / 2 - 1},
        {"centerright", w / 2}, {"centerbottom", h / 2}, {"major", 16}, {"minor", 8},
        {"addspace", static_cast<double>(m_textSpace)}, {"modspace", static_cast<double>(m_wordSpace)},
    };
    for (const Row& row : rows)
        if (row.name == name)
            return row.value;
    return 0;
}

uint64_t CardDci::bits(const DciVariable& variable) const
{
    std::lock_guard lock(m_mutex);
    const double v = valueLocked(variable.name);
    switch (variable.kind) {
    case VariableKind::Double: {
        uint64_t b = 0;
        std::memcpy(&b, &v, sizeof b);
        return b;
    }
    case VariableKind::Byte: return asWord(v) & 0xFF;
    default: return asWord(v);
    }
}

int CardDci::width() const
{
    std::lock_guard lock(m_mutex);
    return widthLocked();
}

int CardDci::height() const
{
    std::lock_guard lock(m_mutex);
    return heightLocked();
}

uint32_t CardDci::pitch() const
{
    std::lock_guard lock(m_mutex);
    return pitchLocked();
}

int CardDci::widthLocked() const
{
    if (auto it = m_values.find("width"); it != m_values.end())
        return asInt(it->second);
    return asInt(settingNumber(m_generator, "HRES", 640));
}

int CardDci::heightLocked() const
{
    if (auto it = m_values.find("height"); it != m_values.end())
        return asInt(it->second);
    return asInt(settingNumber(m_generator, "VRES", 480));
}

uint32_t CardDci::pitchLocked() const
{
    uint32_t pitch = 1;
    while (pitch < static_cast<uint32_t>(std::max(widthLocked(), 1)))
        pitch <<= 1;
    return pitch;
}

uint8_t CardDci::pixel(int x, int y) const
{
    std::lock_guard lock(m_mutex);
    if (x < 0 || y < 0 || x >= widthLocked() || y >= heightLocked())
        return 0;
    const std::size_t at = static_cast<std::size_t>(y) * pitchLocked() + static_cast<std::size_t>(x);
    return at < m_videoBytes ? m_video[at] : 0;
}

std::vector<uint8_t> CardDci::screenBytes() const
{
    std::lock_guard lock(m_mutex);
    const int width = std::max(widthLocked(), 0), height = std::max(heightLocked(), 0);
    const uint32_t pitch = pitchLocked();
    std::vector<uint8_t> bytes(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * pitch + static_cast<std::size_t>(x);
            bytes[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]
                = at < m_videoBytes ? m_video[at] : 0;
        }
    return bytes;
}

// --- Faults, log, heap -----------------------------------------------------------------

void CardDci::setFaults(DciFaults faults)
{
    std::lock_guard lock(m_mutex);
    m_faults = std::move(faults);
}

DciFaults CardDci::faults() const
{
    std::lock_guard lock(m_mutex);
    return m_faults;
}

std::vector<DciCall> CardDci::log() const
{
    std::lock_guard lock(m_mutex);
    return m_log;
}

void CardDci::clearLog()
{
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

std::map<uint32_t, uint32_t> CardDci::liveBlocks() const
{
    std::lock_guard lock(m_mutex);
    std::map<uint32_t, uint32_t> blocks;
    for (const auto& [offset, bytes] : m_blocks)
        blocks[m_heap.first + offset * m_heap.scale] = bytes;
    return blocks;
}

std::vector<uint32_t> CardDci::badFrees() const
{
    std::lock_guard lock(m_mutex);
    return m_badFrees;
}

// First fit; a block of 0 bytes still gets an address of its own.
uint32_t CardDci::allocate(uint32_t bytes)
{
    if (m_faults.failAllocation > 0 && --m_faults.failAllocation == 0)
        return 0;
    const uint32_t span = (std::max(bytes, 1u) + m_heap.align - 1) / m_heap.align * m_heap.align;
    uint32_t offset = 0;
    for (const auto& [at, size] : m_blocks) {
        const uint32_t used = (std::max(size, 1u) + m_heap.align - 1) / m_heap.align * m_heap.align;
        if (at - offset >= span)
            break;
        offset = at + used;
    }
    if (offset > m_heap.bytes || m_heap.bytes - offset < span)
        return 0;
    m_blocks[offset] = bytes;
    return m_heap.first + offset * m_heap.scale;
}

uint32_t CardDci::release(uint32_t address)
{
    const uint32_t offset = (address - m_heap.first) / m_heap.scale;
    auto it = m_blocks.find(offset);
    if (address < m_heap.first || (address - m_heap.first) % m_heap.scale != 0 || it == m_blocks.end()) {
        m_badFrees.push_back(address);
        return 0;
    }
    m_blocks.erase(it);
    return 1;
}

uint32_t CardDci::allocateRoutine(const std::vector<double>& a)
{
    return a.empty() ? 0 : allocate(asWord(a[0]));
}

uint32_t CardDci::releaseRoutine(const std::vector<double>& a)
{
    return a.empty() ? 0 : release(asWord(a[0]));
}

// --- State -------------------------------------------------------------------------------

namespace {
uint32_t arg(const std::vector<double>& a, std::size_t i)
{
    return i < a.size() ? asWord(a[i]) : 0;
}
int32_t sarg(const std::vector<double>& a, std::size_t i)
{
    return static_cast<int32_t>(arg(a, i));
}
} // namespace

uint32_t CardDci::setColour0(const std::vector<double>& a) { m_colour0 = arg(a, 0); return 0; }
uint32_t CardDci::setColour1(const std::vector<double>& a) { m_colour1 = arg(a, 0); return 0; }
uint32_t CardDci::getColour0(const std::vector<double>&) { return m_colour0; }
uint32_t CardDci::getColour1(const std::vector<double>&) { return m_colour1; }
uint32_t CardDci::setPpop(const std::vector<double>& a) { m_ppop = sarg(a, 0); return 0; }
uint32_t CardDci::getPpop(const std::vector<double>&) { return static_cast<uint32_t>(m_ppop); }
uint32_t CardDci::setPmask(const std::vector<double>& a) { m_pmask = arg(a, 0); return 0; }
uint32_t CardDci::getPmask(const std::vector<double>&) { return m_pmask; }
uint32_t CardDci::getPsize(const std::vector<double>&) { return asWord(valueLocked("uintsize")); }
uint32_t CardDci::transparencyOn(const std::vector<double>&) { m_transparent = true; return 0; }
uint32_t CardDci::transparencyOff(const std::vector<double>&) { m_transparent = false; return 0; }
uint32_t CardDci::getTransparency(const std::vector<double>&) { return m_transparent ? 1 : 0; }
uint32_t CardDci::setDisplayMask(const std::vector<double>& a) { m_displayMask = arg(a, 0); return 0; }
uint32_t CardDci::getDisplayMask(const std::vector<double>&) { return m_displayMask; }
uint32_t CardDci::setFrameSync(const std::vector<double>& a) { m_frameSync = arg(a, 0); return 0; }
uint32_t CardDci::getFrameSync(const std::vector<double>&) { return m_frameSync; }
uint32_t CardDci::setFrameNext(const std::vector<double>& a) { m_frameNext = arg(a, 0); return 0; }
uint32_t CardDci::getFrameNext(const std::vector<double>&) { return m_frameNext; }
uint32_t CardDci::setLevelMax(const std::vector<double>& a) { m_levelMax = arg(a, 0); return 0; }
uint32_t CardDci::getLevelMax(const std::vector<double>&) { return m_levelMax; }

uint32_t CardDci::levelMax() const
{
    std::lock_guard lock(m_mutex);
    return m_levelMax;
}
uint32_t CardDci::addTextSpace(const std::vector<double>& a) { m_textSpace = sarg(a, 0); return 0; }
uint32_t CardDci::addWordSpace(const std::vector<double>& a) { m_wordSpace = sarg(a, 0); return 0; }
uint32_t CardDci::addMoreSpace(const std::vector<double>& a) { m_moreSpace = sarg(a, 0); return 0; }
uint32_t CardDci::getTextSpace(const std::vector<double>&) { return static_cast<uint32_t>(m_textSpace); }
uint32_t CardDci::getWordSpace(const std::vector<double>&) { return static_cast<uint32_t>(m_wordSpace); }
uint32_t CardDci::getMoreSpace(const std::vector<double>&) { return static_cast<uint32_t>(m_moreSpace); }
uint32_t CardDci::pokeRegister(const std::vector<double>& a) { m_registers[sarg(a, 0)] = arg(a, 1); return 0; }
uint32_t CardDci::peekRegister(const std::vector<double>& a) { return m_registers[sarg(a, 0)]; }

uint32_t CardDci::getFrame(const std::vector<double>&)
{
    return frameNow();
}

// --- Drawing -----------------------------------------------------------------------------

CardDci::Clip CardDci::clip() const
{
    const Clip screen{0, 0, widthLocked(), heightLocked()};
    if (!m_clip)
        return screen;
    const int64_t left = std::max<int64_t>(m_clip->x, 0);
    const int64_t top = std::max<int64_t>(m_clip->y, 0);
    const int64_t right = std::min<int64_t>(int64_t{m_clip->x} + m_clip->width, screen.width);
    const int64_t bottom = std::min<int64_t>(int64_t{m_clip->y} + m_clip->height, screen.height);
    return {static_cast<int>(std::min<int64_t>(left, screen.width)), static_cast<int>(std::min<int64_t>(top, screen.height)),
            static_cast<int>(std::max<int64_t>(right - left, 0)), static_cast<int>(std::max<int64_t>(bottom - top, 0))};
}

void CardDci::plot(int x, int y, uint32_t colour)
{
    put(clip(), pitchLocked(), int64_t{m_originX} + x, int64_t{m_originY} + y, colour);
}

// Screen coordinates; the clip rectangle and pitch are worked out once per
// shape (reading the screen size takes the generator's lock).
void CardDci::put(const Clip& c, uint32_t pitch, int64_t sx, int64_t sy, uint32_t colour)
{
    if (sx < c.x || sy < c.y || sx >= int64_t{c.x} + c.width || sy >= int64_t{c.y} + c.height)
        return;
    const std::size_t at = static_cast<std::size_t>(sy) * pitch + static_cast<std::size_t>(sx);
    if (at >= m_videoBytes)
        return;
    const auto mask = static_cast<uint8_t>(m_pmask);
    m_video[at] = static_cast<uint8_t>((m_video[at] & ~mask) | (colour & mask));
}

// In viewport coordinates; only what falls in the clip rectangle is visited.
void CardDci::fill(int x, int y, int width, int height, uint32_t colour)
{
    const Clip c = clip();
    const uint32_t pitch = pitchLocked();
    const int64_t left = std::max<int64_t>(int64_t{m_originX} + x, c.x);
    const int64_t top = std::max<int64_t>(int64_t{m_originY} + y, c.y);
    const int64_t right = std::min<int64_t>(int64_t{m_originX} + x + width, int64_t{c.x} + c.width);
    const int64_t bottom = std::min<int64_t>(int64_t{m_originY} + y + height, int64_t{c.y} + c.height);
    for (int64_t sy = top; sy < bottom; ++sy)
        for (int64_t sx = left; sx < right; ++sx)
            put(c, pitch, sx, sy, colour);
}

uint32_t CardDci::setOrigin(const std::vector<double>& a)
{
    m_originX = sarg(a, 0);
    m_originY = sarg(a, 1);
    return 0;
}

uint32_t CardDci::setClipRect(const std::vector<double>& a)
{
    m_clip = Clip{sarg(a, 2), sarg(a, 3), sarg(a, 0), sarg(a, 1)};
    return 0;
}

uint32_t CardDci::drawPoint(const std::vector<double>& a)
{
    plot(sarg(a, 0), sarg(a, 1), m_colour1);
    return 0;
}

uint32_t CardDci::putPixel(const std::vector<double>& a)
{
    plot(sarg(a, 0), sarg(a, 1), arg(a, 2));
    return 0;
}

uint32_t CardDci::getPixel(const std::vector<double>& a)
{
    const int64_t sx = int64_t{m_originX} + sarg(a, 0);
    const int64_t sy = int64_t{m_originY} + sarg(a, 1);
    if (sx < 0 || sy < 0 || sx >= widthLocked() || sy >= heightLocked())
        return 0;
    const std::size_t at = static_cast<std::size_t>(sy) * pitchLocked() + static_cast<std::size_t>(sx);
    return at < m_videoBytes ? m_video[at] : 0;
}

uint32_t CardDci::drawRect(const std::vector<double>& a)
{
    const int w = sarg(a, 0), h = sarg(a, 1), x = sarg(a, 2), y = sarg(a, 3);
    if (w <= 0 || h <= 0)
        return 0;
    fill(x, y, w, 1, m_colour1);
    fill(x, static_cast<int>(int64_t{y} + h - 1), w, 1, m_colour1);
    fill(x, y, 1, h, m_colour1);
    fill(static_cast<int>(int64_t{x} + w - 1), y, 1, h, m_colour1);
    return 0;
}

uint32_t CardDci::fillRect(const std::vector<double>& a)
{
    fill(sarg(a, 2), sarg(a, 3), sarg(a, 0), sarg(a, 1), m_colour1);
    return 0;
}

// The whole clip rectangle, wherever the origin is.
uint32_t CardDci::colourFill(const std::vector<double>& a)
{
    const Clip c = clip();
    const uint32_t pitch = pitchLocked();
    for (int64_t sy = c.y; sy < int64_t{c.y} + c.height; ++sy)
        for (int64_t sx = c.x; sx < int64_t{c.x} + c.width; ++sx)
            put(c, pitch, sx, sy, arg(a, 0));
    return 0;
}

uint32_t CardDci::groundFill(const std::vector<double>&)
{
    return colourFill({static_cast<double>(m_colour0)});
}

uint32_t CardDci::blackFill(const std::vector<double>&)
{
    return colourFill({valueLocked("black")});
}

} // namespace gensim
