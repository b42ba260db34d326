// The drawing library's text and fonts.
#include "gensim/CardDci.h"

#include <algorithm>

namespace gensim {

namespace {

uint32_t textWord(const std::vector<double>& a, std::size_t i)
{
    return i < a.size() ? static_cast<uint32_t>(static_cast<int64_t>(a[i])) : 0;
}

int textInt(const std::vector<double>& a, std::size_t i)
{
    return static_cast<int32_t>(textWord(a, i));
}

uint32_t textResult(int64_t v)
{
    return static_cast<uint32_t>(static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)));
}

constexpr uint32_t kTextRefused = static_cast<uint32_t>(-1);

} // namespace

const drawing::Font& CardDci::font() const
{
    if (m_font >= drawing::kBuiltInFonts && m_font < drawing::kFontSlots && m_fonts[static_cast<std::size_t>(m_font)])
        return *m_fonts[static_cast<std::size_t>(m_font)];
    return drawing::builtInFont(m_font < drawing::kBuiltInFonts ? m_font : 0);
}

// Draws from (x, y) and gives the pen position after the text.
int64_t CardDci::drawTextAt(int x, int y, std::string_view text, bool italic)
{
    const drawing::Font& f = font();
    const drawing::Spacing spacing{m_textSpace, m_wordSpace, m_moreSpace};
    const Clip c = clip();
    const uint32_t pitch = pitchLocked();
    int64_t pen = x;
    for (char ch : text) {
        const auto code = static_cast<unsigned char>(ch);
        const drawing::Glyph* g = drawing::glyph(f, code);
        if (g == nullptr)
            continue;
        for (int row = 0; row < f.height; ++row) {
            const int64_t sy = int64_t{m_originY} + y + row;
            if (sy < c.y || sy >= int64_t{c.y} + c.height)
                continue;
            const int64_t left = m_originX + pen + (italic ? drawing::italicShift(f, row) : 0);
            for (int col = 0; col < g->width; ++col) {
                if (g->ink(col, row))
                    put(c, pitch, left + col, sy, m_colour1);
                else if (!m_transparent)
                    put(c, pitch, left + col, sy, m_colour0);
            }
        }
        pen += drawing::advance(f, code, spacing);
    }
    return pen;
}

// (x, y, text): the pen position after it; 0 for a text not staged.
uint32_t CardDci::textRoutine(const std::vector<double>& a, bool italic)
{
    if (staged(textWord(a, 2)).data == nullptr)
        return 0;
    return textResult(drawTextAt(textInt(a, 0), textInt(a, 1), stagedText(textWord(a, 2)), italic));
}

uint32_t CardDci::drawString(const std::vector<double>& a) { return textRoutine(a, false); }
uint32_t CardDci::drawItalic(const std::vector<double>& a) { return textRoutine(a, true); }

// (x, y, character).
uint32_t CardDci::drawChar(const std::vector<double>& a)
{
    const char ch = static_cast<char>(textWord(a, 2) & 0xFF);
    return textResult(drawTextAt(textInt(a, 0), textInt(a, 1), std::string_view(&ch, 1), false));
}

uint32_t CardDci::getWidth(const std::vector<double>& a)
{
    return textResult(drawing::textWidth(font(), stagedText(textWord(a, 0)), {m_textSpace, m_wordSpace, m_moreSpace}));
}

uint32_t CardDci::charWideImage(const std::vector<double>& a)
{
    const drawing::Glyph* g = drawing::glyph(font(), textInt(a, 0));
    return g != nullptr ? static_cast<uint32_t>(g->width) : 0;
}

uint32_t CardDci::getFontMax(const std::vector<double>&) { return drawing::kFontSlots; }
uint32_t CardDci::getLeading(const std::vector<double>&) { return static_cast<uint32_t>(font().leading); }
uint32_t CardDci::getDescent(const std::vector<double>&) { return static_cast<uint32_t>(font().descent); }
uint32_t CardDci::getAscent(const std::vector<double>&) { return static_cast<uint32_t>(font().ascent); }
uint32_t CardDci::charWideMax(const std::vector<double>&) { return static_cast<uint32_t>(font().widest); }
uint32_t CardDci::charHigh(const std::vector<double>&) { return static_cast<uint32_t>(font().height); }
uint32_t CardDci::getFirstCh(const std::vector<double>&) { return static_cast<uint32_t>(font().first); }
uint32_t CardDci::getLastCh(const std::vector<double>&) { return static_cast<uint32_t>(font().last); }

// The font selected, or -1 (the selection kept) for an empty slot.
uint32_t CardDci::selectFont(const std::vector<double>& a)
{
    const int slot = textInt(a, 0);
    if (slot < 0 || slot >= drawing::kFontSlots
        || (slot >= drawing::kBuiltInFonts && !m_fonts[static_cast<std::size_t>(slot)]))
        return kTextRefused;
    m_font = slot;
    return static_cast<uint32_t>(slot);
}

uint32_t CardDci::selectFontNamed(const std::vector<double>& a)
{
    const int slot = drawing::builtInFontSlot(stagedText(textWord(a, 0)));
    if (slot < 0)
        return kTextRefused;
    m_font = slot;
    return static_cast<uint32_t>(slot);
}

// (slot, image): the font an image in the heap describes, into that slot
// when it is one of 3-15, else the first free one; the slot, or -1 for an
// image the reader refuses or no free slot.
uint32_t CardDci::installFont(const std::vector<double>& a)
{
    const Staged image = staged(textWord(a, 1));
    std::optional<drawing::Font> f = drawing::readFontImage(image.data, image.size);
    if (!f)
        return kTextRefused;
    int slot = textInt(a, 0);
    if (slot < drawing::kBuiltInFonts || slot >= drawing::kFontSlots) {
        slot = drawing::kBuiltInFonts;
        while (slot < drawing::kFontSlots && m_fonts[static_cast<std::size_t>(slot)])
            ++slot;
        if (slot == drawing::kFontSlots)
            return kTextRefused;
    }
    m_fonts[static_cast<std::size_t>(slot)] = std::move(f);
    return static_cast<uint32_t>(slot);
}

// 1 when an installed font went; the built-in ones stay.
uint32_t CardDci::freeFont(const std::vector<double>& a)
{
    const int slot = textInt(a, 0);
    if (slot < drawing::kBuiltInFonts || slot >= drawing::kFontSlots || !m_fonts[static_cast<std::size_t>(slot)])
        return 0;
    m_fonts[static_cast<std::size_t>(slot)].reset();
    if (m_font == slot)
        m_font = 0;
    return 1;
}

} // namespace gensim

namespace gensim {

// (width, height, x, y, character, step x, step y, offset x, offset y).
uint32_t CardDci::charFillRect(const std::vector<double>& a)
{
    const int width = textInt(a, 0), height = textInt(a, 1), x = textInt(a, 2), y = textInt(a, 3);
    const drawing::Font& f = font();
    const drawing::Glyph* g = drawing::glyph(f, static_cast<int>(textWord(a, 4) & 0xFF));
    if (g == nullptr || g->width < 1 || f.height < 1 || width < 1 || height < 1 || width > drawing::kMaxSize ||
        height > drawing::kMaxSize)
        return 0;
    const int stepX = textInt(a, 5) >= 1 ? textInt(a, 5) : g->width;
    const int stepY = textInt(a, 6) >= 1 ? textInt(a, 6) : f.height;
    // Cells wholly left of or above the rectangle are skipped; a fill of
    // more pixels than a block may hold draws nothing.
    auto first = [](int64_t from, int64_t edge, int size, int step) {
        return from + std::max<int64_t>(0, (edge - size + 1 - from + step - 1) / step) * step;
    };
    const int64_t firstX = first(int64_t{x} + textInt(a, 7), x, g->width, stepX);
    const int64_t firstY = first(int64_t{y} + textInt(a, 8), y, f.height, stepY);
    const int64_t cells = (width / stepX + 2) * int64_t{height / stepY + 2};
    if (cells * g->width * f.height > blocks::kMaxUnits)
        return 0;
    // The cells land through a clip cut to the rectangle as well.
    const Clip outer = clip();
    const int64_t left = std::max<int64_t>(int64_t{m_originX} + x, outer.x);
    const int64_t top = std::max<int64_t>(int64_t{m_originY} + y, outer.y);
    const int64_t right = std::min<int64_t>(int64_t{m_originX} + x + width, int64_t{outer.x} + outer.width);
    const int64_t bottom = std::min<int64_t>(int64_t{m_originY} + y + height, int64_t{outer.y} + outer.height);
    if (right <= left || bottom <= top)
        return 0;
    const Clip c{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                 static_cast<int>(bottom - top)};
    const uint32_t pitch = pitchLocked();
    for (int64_t cy = firstY; cy < int64_t{y} + height; cy += stepY)
        for (int64_t cx = firstX; cx < int64_t{x} + width; cx += stepX)
            for (int row = 0; row < f.height; ++row)
                for (int col = 0; col < g->width; ++col) {
                    const int64_t sx = m_originX + cx + col, sy = m_originY + cy + row;
                    if (g->ink(col, row))
                        put(c, pitch, sx, sy, m_colour1);
                    else if (!m_transparent)
                        put(c, pitch, sx, sy, m_colour0);
                }
    return 0;
}

} // namespace gensim
