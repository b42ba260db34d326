#include "CNamedColour.h"

#include "StringTable.h"

#include <QGuiApplication>
#include <QScreen>

#include <iterator>

namespace {

struct ColourRow {
    int red;
    int green;
    int blue;
    unsigned textId;
    const char *commandName;
};

constexpr ColourRow kColours[] = {
    {0, 0, 0, 32901, "Black"},
    {255, 0, 0, 32902, "Red"},
    {0, 255, 0, 32903, "Green"},
    {255, 255, 0, 32904, "Yellow"},
    {0, 0, 255, 32905, "Blue"},
    {255, 0, 255, 32906, "Magenta"},
    {0, 255, 255, 32907, "Cyan"},
    {255, 255, 255, 32908, "White"},
    {128, 0, 0, 32909, "Red50"},
    {0, 128, 0, 32910, "Green50"},
    {128, 128, 0, 32911, "Yellow50"},
    {0, 0, 128, 32912, "Blue50"},
    {128, 0, 128, 32913, "Magenta50"},
    {0, 128, 128, 32914, "Cyan50"},
    {128, 128, 0, 32915, "Brown"},
    {5, 5, 5, 32916, "Gray2"},
    {8, 8, 8, 32917, "Gray3"},
    {11, 11, 11, 32918, "Gray4"},
    {13, 13, 13, 32919, "Gray5"},
    {18, 18, 18, 32920, "Gray7"},
    {26, 26, 26, 32921, "Gray10"},
    {29, 29, 29, 32922, "Gray12"},
    {33, 33, 33, 32923, "Gray13"},
    {43, 43, 43, 32924, "Gray17"},
    {51, 51, 51, 32925, "Gray20"},
    {59, 59, 59, 32926, "Gray23"},
    {64, 64, 64, 32927, "Gray25"},
    {69, 69, 69, 32928, "Gray27"},
    {77, 77, 77, 32929, "Gray30"},
    {84, 84, 84, 32930, "Gray33"},
    {89, 89, 89, 32931, "Gray35"},
    {94, 94, 94, 32932, "Gray37"},
    {102, 102, 102, 32933, "Gray40"},
    {110, 110, 110, 32934, "Gray43"},
    {115, 115, 115, 32935, "Gray45"},
    {117, 117, 117, 32936, "Gray47"},
    {122, 122, 122, 32937, "Gray48"},
    {128, 128, 128, 32938, "Gray50"},
    {130, 130, 130, 32939, "Gray51"},
    {135, 135, 135, 32940, "Gray53"},
    {140, 140, 140, 32941, "Gray55"},
    {145, 145, 145, 32942, "Gray57"},
    {153, 153, 153, 32943, "Gray60"},
    {161, 161, 161, 32944, "Gray63"},
    {166, 166, 166, 32945, "Gray65"},
    {171, 171, 171, 32946, "Gray67"},
    {179, 179, 179, 32947, "Gray70"},
    {186, 186, 186, 32948, "Gray73"},
    {191, 191, 191, 32949, "Gray75"},
    {196, 196, 196, 32950, "Gray77"},
    {204, 204, 204, 32951, "Gray80"},
    {212, 212, 212, 32952, "Gray83"},
    {217, 217, 217, 32953, "Gray85"},
    {222, 222, 222, 32954, "Gray87"},
    {230, 230, 230, 32955, "Gray90"},
    {237, 237, 237, 32956, "Gray93"},
    {242, 242, 242, 32957, "Gray95"},
    {247, 247, 247, 32958, "Gray97"},
    {191, 0, 0, 32959, "Red75"},
    {0, 191, 0, 32960, "Green75"},
    {191, 191, 0, 32961, "Yellow75"},
    {0, 0, 191, 32962, "Blue75"},
    {191, 0, 191, 32963, "Magenta75"},
    {0, 191, 191, 32964, "Cyan75"},
    {102, 41, 0, 32965, "HueI"},
    {55, 0, 102, 32966, "HueQ"},
    {0, 61, 102, 32967, "HueNegI"},
    {47, 102, 0, 32968, "HueNegQ"},
    {255, 255, 255, 32969, "Foreground"},
    {0, 0, 0, 32970, "Background"},
    {0, 0, 0, 32971, "Clear"},
};
static_assert(std::size(kColours) == CNamedColour::kCount);

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
        if (LoadString(kColours[i].textId).compare(name, Qt::CaseInsensitive) == 0) {
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

QString CNamedColour::GetDisplayName() const { return LoadString(kColours[m_index].textId); }

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
    for (const ColourRow &row : kColours) {
        if (row.textId == id)
            return RowColour(row);
    }
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
