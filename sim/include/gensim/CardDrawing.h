// The cards' drawing library: the rules a drawing routine follows, as
// functions a test can compute the expected pixels from.
//
// Shapes are given in the viewport (coordinates from its origin) and land on
// the screen clipped to the clip rectangle, each written byte kept where
// pmask has 0 bits. Boxes are (width, height, x, y); sizes outside 1..32767
// draw nothing, and so do line ends outside -32768..32767 and point counts
// outside 0..32767 or beyond the staged block.
//
// - XR_EncloseFillRect: the smallest rectangle holding its points, both
//   ends included. XR_CurtainFillRect: the rectangle's first row copied
//   down it. XR_MoveRect (width, height, from x, y, to x, y): the source read
//   whole before the copy lands; a transparent copy skips source 0 bytes.
// - Seed fills: from the seed, 4-connected within the clip rectangle, the
//   pixels of the seed's byte; boundary fills those not of the boundary's.
// - Lines: a pixel per step along the major axis, both ends drawn, the minor
//   coordinate rounded (linePixels).
// - Poly-lines (n, work space, points): the n lines between the n + 1
//   points. XR_StyledLine (x1, y1, x2, y2, style, phase): pixel k drawn when
//   bit (phase + k) mod 32 of the style is set; it answers the next phase.
// - XR_Boxes (slot 1, slot 2, width, height): how many such boxes fit across
//   and down the clip rectangle, written into the slots (16-bit on ISA,
//   32-bit on PCI); a width or height below 1 leaves the slots as they were.
// - Triangles and polygons: the pixels whose centres lie inside, by the
//   even-odd rule (insidePolygon). A triangle's outline is its three lines.
// - Ovals: the pixels whose centres lie inside the ellipse that fills the box
//   (insideEllipse); the outline is those with a 4-neighbour outside. A
//   framed oval is the oval less the one inset by the frame's width and
//   height; a framed rectangle likewise.
// - Arcs: angles in degrees from the box's centre, 0 to the right and
//   counter-clockwise, scaled to the box (inArc). An oval arc is the outline
//   pixels in the arc; a pie is the oval's pixels in the arc, its outline
//   those with a 4-neighbour outside the pie.
// - Patterns: 16 words; pixel (x, y) of the screen takes bit x mod 16 (bit 0
//   the lowest) of word y mod 16. 1 bits are colour 1, 0 bits colour 0 when
//   opaque and untouched when transparent. Glyphs follow the same rule.
// - Pens: the pen's rectangle (width, height) with its top-left at each pixel
//   of the shape.
// - Text: each character's cell (its glyph's width, the font's height) with
//   its top-left at the pen position, which then moves by the width plus the
//   text space, and for a blank also by the word and the more space.
//   Italic cells lean: row r moves right by (height - 1 - r) / 4.
// - XR_CharFillRect (width, height, x, y, character, step x, step y,
//   offset x, offset y): the character's cell repeated over the rectangle
//   from (x + offset x, y + offset y), step x apart across and step y down
//   (a step below 1: the glyph's width, the font's height), drawn as text and
//   cut to the rectangle. A character without a glyph draws nothing (ISA).
// - Viewports: kVuports of them, 0 the screen (never closed). Each keeps an
//   origin and a clip rectangle (screen pixels), which XR_SetOrigin and
//   XR_SetClipRect set for the current one. XR_OpenVuport opens the lowest
//   free one as the whole screen (origin 0, 0), makes it current and answers
//   its number (-1: none free). XR_SelectVuport (n) makes an open one current
//   (1; else 0, nothing changes); XR_CurrentVuport answers the current one.
//   XR_CloseVuport (n) closes an open one but 0 (1, else 0); closing the
//   current one makes the screen current. XR_RemoveVuport (n) is the same
//   but refuses the current one. XR_SizeVuport (width, height) gives the
//   current one's clip rectangle that size from its top-left (1; sizes below
//   1: 0, nothing changes); XR_MoveVuport (x, y) moves its clip rectangle's
//   top-left to (x, y) on the screen, the origin with it. XR_CopyVuport
//   (from, to) copies the pixels of from's clip rectangle to the top-left of
//   to's, cut to it, read whole first (1; a viewport not open: 0).
// - XR_Cpw (x, y): where the point lies against the clip rectangle, in the
//   viewport: 1 left of it, 2 right, 4 above, 8 below, or-ed; 0 inside
//   (clipCode).
// - Display registers: XR_SetDisplayStart (line) and XR_SetDisplayDelta
//   (lines) are kept; the screen shown starts `start` lines down video
//   memory, delta lines apart, each byte through the display mask
//   (CardDci::screenRgb). XR_SetVersions keeps its value.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gensim::drawing {

constexpr int kMaxSize = 32767;

struct Point {
    int x;
    int y;
    bool operator==(const Point&) const = default;
};

// Lines --------------------------------------------------------------------------------

std::vector<Point> linePixels(Point from, Point to);

// Polygons -----------------------------------------------------------------------------

// For row y: the first x at which each edge crossing the row's centre line no
// longer lies right of the pixel's centre, sorted. A pixel is inside when an
// odd number of them are above its x.
std::vector<int64_t> rowThresholds(const std::vector<Point>& vertices, int y);
bool insidePolygon(const std::vector<Point>& vertices, int x, int y);

// Ovals and arcs (pixel (x, y) of a width x height box) --------------------------------------

bool insideEllipse(int width, int height, int x, int y);
bool onOvalOutline(int width, int height, int x, int y);
bool insideFrameOval(int width, int height, int frameWidth, int frameHeight, int x, int y);
bool insideFrameRect(int width, int height, int frameWidth, int frameHeight, int x, int y);
bool inArc(int width, int height, int start, int sweep, int x, int y);
bool insidePie(int width, int height, int start, int sweep, int x, int y);
bool onPieOutline(int width, int height, int start, int sweep, int x, int y);
bool onOvalArc(int width, int height, int start, int sweep, int x, int y);
// DottedOval: the outline pixels with (x + y) a multiple of the step.
bool onDottedOval(int width, int height, int step, int x, int y);

// Figures (pixel (x, y) of the clip rectangle or the given box) ------------------------------

// XR_DrawGrid (dx, dy, dot): columns every dx, rows every dy, drawn at every
// dot-th pixel along (x + y); a dot step below 2 is solid.
bool onGrid(int dx, int dy, int dot, int x, int y);
// XR_DrawGrill (width, height, x, y, bar, gap, vertical): bars `bar` wide,
// `gap` apart, across the box; upright when vertical is not 0.
bool onGrill(int bar, int gap, bool vertical, int x, int y);
// XR_DrawStep (p1, p2): columns p1 wide, column i filled from p2 * (i + 1)
// above the bottom down.
bool onStep(int width, int height, int p1, int p2, int x, int y);

// Viewports ---------------------------------------------------------------------------

constexpr int kVuports = 16;
// XR_Cpw of (x, y), both in screen pixels, against the rectangle.
int clipCode(int left, int top, int width, int height, int64_t x, int64_t y);

// Patterns -----------------------------------------------------------------------------

using Pattern = std::array<uint16_t, 16>;
constexpr int kPatternSlots = 16;
constexpr int kNamedPatterns = 5;  // slots 0-4; XR_InstallPatn uses 5-15

bool patternBit(const Pattern& pattern, int64_t x, int64_t y);
// CHECKER8, MEME, BARS_H2, BARS_V2, CHECKER1 in slots 0-4.
const Pattern& namedPattern(int slot);
std::string_view patternName(int slot);
// The slot of a pattern name (without case, blanks trimmed), or -1.
int patternSlot(std::string_view name);

// Names --------------------------------------------------------------------------------

// Lower case, blanks and tabs trimmed at both ends.
std::string plainName(std::string_view name);

// Fonts --------------------------------------------------------------------------------

struct Glyph {
    int width = 0;
    std::vector<uint8_t> bits;  // height rows of width bytes, 1: ink
    bool ink(int x, int y) const { return bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] != 0; }
};

struct Font {
    std::string name;
    int first = 0;  // character codes first..last have glyphs
    int last = 0;
    int height = 0;
    int ascent = 0;
    int descent = 0;
    int leading = 0;
    int widest = 0;
    std::vector<Glyph> glyphs;
};

constexpr int kFontSlots = 16;
constexpr int kBuiltInFonts = 3;  // SYS16, OPIX9, BIG30 in slots 0-2

const Font& builtInFont(int slot);
// The slot of a built-in font name (without case, blanks trimmed), or -1.
int builtInFontSlot(std::string_view name);
// The glyph of a character code, or null when the font has none.
const Glyph* glyph(const Font& font, int ch);

struct Spacing {
    int text = 0;
    int word = 0;
    int more = 0;
};
// How far the pen moves over one character (0 for one without a glyph).
int64_t advance(const Font& font, unsigned char ch, Spacing spacing);
int textWidth(const Font& font, std::string_view text, Spacing spacing);
// Where row `row` of an italic cell starts right of the pen.
int italicShift(const Font& font, int row);

// A font image (XR_InstallFont), little-endian 16-bit words:
//   0: kind (not read)     1: first character   2: last character
//   3: widest              5: ascent            6: descent
//   7: raster words a row  8: leading          12: rows (the height)
//   17..: per character first..last two words: its first bit in a raster row
//   and its width; then the raster, rows of word 7 words, bit i of a row in
//   bit i mod 16 of its word i / 16.
// Its length in words: word 12 * word 7 + (word 2 - word 1) * 2 + 19.
constexpr int kFontHeaderWords = 17;
constexpr int64_t kMaxFontWords = 1 << 20;
constexpr int kMaxGlyphSize = 255;
std::vector<uint16_t> fontImage(const Font& font);
int64_t fontImageWords(const uint16_t* header);  // header: at least 17 words
// The font an image describes, or nothing when it is short, inconsistent
// or beyond the limits above.
std::optional<Font> readFontImage(const uint8_t* bytes, std::size_t size);

// Colours ------------------------------------------------------------------------------

// XR_RepPixel: the index's low psize bits repeated through the word (psize
// 1, 2, 4 or 8; any other is taken as 8).
uint32_t repPixel(uint32_t index, int psize);

// The 70 named colours in the order of the card's colour variables, black
// first. Before any XR_SetLut colour k is the pixel byte k + 1. After
// XR_SetLut (selector): byte 1 + (k + (selector >> 16 & 0xFF)) mod 255;
// when the selector's low 16 bits are 0 the table holds only the colours
// whose names end in no digit (the others read 0).
constexpr int kNamedColours = 70;
uint32_t tableColour(int colour, std::optional<uint32_t> selector);
// A named colour's levels (red, green, blue) at a level maximum.
std::array<uint32_t, 3> namedLevels(int colour, uint32_t levelMax);

// Edge blends: each XR_SetEdgeColorNamed adds an edge of kEdgeSamples
// colours, pixel bytes from kEdgeFirstPixel on, levels stepping from the
// left colour's to the right one's.
constexpr int kEdgeSamples = 4;
constexpr int kMaxEdges = 16;
constexpr uint32_t kEdgeFirstPixel = 0xC0;
uint32_t edgePixel(int edge, int sample);
std::array<uint32_t, 3> blendLevels(const std::array<uint32_t, 3>& left, const std::array<uint32_t, 3>& right,
                                    int sample);

} // namespace gensim::drawing
