#include "CNamedColour.h"

#include "StringTable.h"

#include <QGuiApplication>
#include <QScreen>

#include <iterator>

namespace {

// The colours in the order of their display names (IDS_COLOUR_FIRST + index).
struct ColourRow {
    int red;
    int green;
    int blue;
    const char *commandName;
};

constexpr ColourRow kColours[] = {
    {0, 0, 0, "Black"},
    {255, 0, 0, "Red"},
    {0, 255, 0, "Green"},
    {255, 255, 0, "Yellow"},
    {0, 0, 255, "Blue"},
    {255, 0, 255, "Magenta"},
    {0, 255, 255, "Cyan"},
    {255, 255, 255, "White"},
    {128, 0, 0, "Red50"},
    {0, 128, 0, "Green50"},
    {128, 128, 0, "Yellow50"},
    {0, 0, 128, "Blue50"},
    {128, 0, 128, "Magenta50"},
    {0, 128, 128, "Cyan50"},
    {128, 128, 0, "Brown"},
    {5, 5, 5, "Gray2"},
    {8, 8, 8, "Gray3"},
    {11, 11, 11, "Gray4"},
    {13, 13, 13, "Gray5"},
    {18, 18, 18, "Gray7"},
    {26, 26, 26, "Gray10"},
    {29, 29, 29, "Gray12"},
    {33, 33, 33, "Gray13"},
    {43, 43, 43, "Gray17"},
    {51, 51, 51, "Gray20"},
    {59, 59, 59, "Gray23"},
    {64, 64, 64, "Gray25"},
    {69, 69, 69, "Gray27"},
    {77, 77, 77, "Gray30"},
    {84, 84, 84, "Gray33"},
    {89, 89, 89, "Gray35"},
    {94, 94, 94, "Gray37"},
    {102, 102, 102, "Gray40"},
    {110, 110, 110, "Gray43"},
    {115, 115, 115, "Gray45"},
    {117, 117, 117, "Gray47"},
    {122, 122, 122, "Gray48"},
    {128, 128, 128, "Gray50"},
    {130, 130, 130, "Gray51"},
    {135, 135, 135, "Gray53"},
    {140, 140, 140, "Gray55"},
    {145, 145, 145, "Gray57"},
    {153, 153, 153, "Gray60"},
    {161, 161, 161, "Gray63"},
    {166, 166, 166, "Gray65"},
    {171, 171, 171, "Gray67"},
    {179, 179, 179, "Gray70"},
    {186, 186, 186, "Gray73"},
    {191, 191, 191, "Gray75"},
    {196, 196, 196, "Gray77"},
    {204, 204, 204, "Gray80"},
    {212, 212, 212, "Gray83"},
    {217, 217, 217, "Gray85"},
    {222, 222, 222, "Gray87"},
    {230, 230, 230, "Gray90"},
    {237, 237, 237, "Gray93"},
    {242, 242, 242, "Gray95"},
    {247, 247, 247, "Gray97"},
    {191, 0, 0, "Red75"},
    {0, 191, 0, "Green75"},
    {191, 191, 0, "Yellow75"},
    {0, 0, 191, "Blue75"},
    {191, 0, 191, "Magenta75"},
    {0, 191, 191, "Cyan75"},
    {102, 41, 0, "HueI"},
    {55, 0, 102, "HueQ"},
    {0, 61, 102, "HueNegI"},
    {47, 102, 0, "HueNegQ"},
    {255, 255, 255, "Foreground"},
    {0, 0, 0, "Background"},
    {0, 0, 0, "Clear"},
};
static_assert(std::size(kColours) == CNamedColour::kCount);

unsigned ColourTextId(int index) { return unsigned(IDS_COLOUR_FIRST) + unsigned(index); }

bool g_whiteToBlack = false;

QColor RowColour(const ColourRow &row) { return QColor(row.red, row.green, row.blue); }

// Depth of the screen the program draws on; true colour when there is none.
int ScreenDepth()
{
    constexpr int kTrueColour = 24;
    const QScreen *screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? screen->depth() : kTrueColour;
}

// The level a channel of that many bits shows for an 8-bit value (nearest).
int ChannelLevel(int value, int bits)
{
    const int top = (1 << bits) - 1;
    return (value * top + 127) / 255;
}

struct ChannelBits {
    int red;
    int green;
    int blue;
};

// How many bits of each channel a pixel of that depth carries.
ChannelBits BitsOfDepth(int depth)
{
    if (depth >= 24)
        return {8, 8, 8};
    if (depth >= 16)
        return {5, 6, 5};
    if (depth == 15)
        return {5, 5, 5};
    return {3, 3, 2};
}

} // namespace

CNamedColour::CNamedColour(int index) : m_index(kWhite)
{
    SetIndex(index);
}

bool CNamedColour::SetIndex(int index)
{
    if (index < 0 || index >= kCount)
        return false;
    m_index = index;
    return true;
}

void CNamedColour::SetByName(const QString &name)
{
    for (int i = 0; i < kCount; ++i) {
        if (LoadString(ColourTextId(i)).compare(name, Qt::CaseInsensitive) == 0) {
            m_index = i;
            return;
        }
    }
    m_index = kWhite;
}

QString CNamedColour::GetCommandName() const
{
    return QString::fromLatin1(kColours[m_index].commandName);
}

QString CNamedColour::GetDisplayName() const { return LoadString(ColourTextId(m_index)); }

QColor CNamedColour::GetScreenColour() const
{
    const QColor colour = RowColour(kColours[m_index]);
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);
    if (g_whiteToBlack && colour == white)
        return black;
    if (colour == black)
        return colour;
    return ShowsAsBlack(colour, ScreenDepth()) ? white : colour;
}

QColor CNamedColour::RgbOfStringId(unsigned id)
{
    const unsigned first = IDS_COLOUR_FIRST;
    if (id >= first && id - first < unsigned(kCount))
        return RowColour(kColours[id - first]);
    return QColor(0, 0, 0);
}

void CNamedColour::SetWhiteToBlack(bool on) { g_whiteToBlack = on; }

bool CNamedColour::IsWhiteToBlack() { return g_whiteToBlack; }

bool CNamedColour::ShowsAsBlack(const QColor &colour, int screenDepth)
{
    const ChannelBits bits = BitsOfDepth(screenDepth);
    return ChannelLevel(colour.red(), bits.red) == 0 && ChannelLevel(colour.green(), bits.green) == 0 &&
           ChannelLevel(colour.blue(), bits.blue) == 0;
}
