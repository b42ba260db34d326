// The test pattern on isa0 and pci1, pixel for pixel against the screen this
// test paints from the pattern's geometry: the transform built from width,
// height and aspect as the library builds it, the grid, circle, patches,
// bands, resolution patches, border, markers and labels, in the colours
// each depth and colour table gives.

#include "DemonstrationCards.h"
#include "Smpte133.h"

#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <vector>

namespace demotest {
namespace {

struct Smpte133Case {
    const char* name;
    int width, height, psize;
    std::vector<const char*> missing;  // colour words the card answers 0 for
};

// The transform: one unit the normal height, the origin moved to the centre.
struct Geometry {
    int width = 0, height = 0;
    double nw = 0, nh = 0, sx = 0, sy = 0, m20 = 0, m21 = 0, aspectPixel = 1;

    Geometry(int w, int h, double aspectSize, double pixel) : width(w), height(h), aspectPixel(pixel)
    {
        if (aspectSize > 1) {
            nw = aspectSize, nh = 1.0, sx = w / aspectSize, sy = h;
        } else {
            nw = 1.0, nh = 1 / aspectSize, sx = w, sy = h * aspectSize;
        }
        m20 = (w - 1) / 2.0 / w * nw * sx;
        m21 = (h - 1) / 2.0 / h * nh * sy;
    }
    static int Round(double v) { return static_cast<int>(v + 0.5); }
    int X(double x) const { return Round(x * sx + m20); }
    int Y(double y) const { return Round(y * sy + m21); }
    int DX(double d) const { return Round(d * sx); }
    int DY(double d) const { return Round(d * sy); }
    double Cell() const { return 0.1 * nh; }
    int GridCount() const { return 2 * static_cast<int>(nw / (2 * Cell())); }
};

uint32_t Word(RemoteCallWord w)
{
    return DiagnosticsWord(w);
}

bool Holds(std::initializer_list<RemoteCallWord> words)
{
    return std::all_of(words.begin(), words.end(), [](RemoteCallWord w) { return Word(w) != 0; });
}

// The whole pattern as this test reads the steps.
ExpectedScreen PaintSmpte133(const Geometry& g, int psize)
{
    const uint32_t black = Word(RCC_BLACK), white = Word(RCC_WHITE);
    uint32_t ground = black, line = white;
    bool grey = false;
    if (psize == 2 && Holds({RCC_GRAY51}))
        ground = Word(RCC_GRAY51), line = black, grey = true;
    else if (psize == 4 && Holds({RCC_GRAY50}))
        ground = Word(RCC_GRAY50), line = Holds({RCC_GRAY75}) ? Word(RCC_GRAY75) : Holds({RCC_GRAY70}) ? Word(RCC_GRAY70) : white,
        grey = true;
    else if (psize == 8 && Holds({RCC_GRAY50}))
        ground = Word(RCC_GRAY50), line = Holds({RCC_GRAY75}) ? Word(RCC_GRAY75) : white, grey = true;
    const bool pair = (grey || psize == 1) && Holds({RCC_GRAY95, RCC_GRAY5});
    const uint32_t label1 = pair ? Word(RCC_GRAY95) : white, label2 = pair ? Word(RCC_GRAY5) : black;

    ExpectedScreen s(g.width, g.height, static_cast<uint8_t>(ground));
    const double cell = g.Cell(), nh = g.nh;
    auto rect = [&](double x0, double y0, double x1, double y1, uint32_t colour) {
        s.Fill(g.X(x1) - g.X(x0), g.Y(y1) - g.Y(y0), g.X(x0), g.Y(y0), colour);
    };
    const dr::Font& opix9 = BuiltInFont("OPIX9");
    const dr::Font& sys16 = BuiltInFont("SYS16");

    // Grey ring: down the left from the top, along the bottom, up the right.
    const struct {
        RemoteCallWord colour;
        int column, row, across, down;
    } ring[11] = {{RCC_BLACK, -3, -3, 1, 2},  {RCC_GRAY10, -3, -1, 1, 1}, {RCC_GRAY20, -3, 0, 1, 1},
                  {RCC_GRAY30, -3, 1, 1, 1},  {RCC_GRAY40, -2, 1, 1, 1},  {RCC_GRAY50, -1, 1, 2, 1},
                  {RCC_GRAY60, 1, 1, 1, 1},   {RCC_GRAY70, 2, 1, 1, 1},   {RCC_GRAY80, 2, 0, 1, 1},
                  {RCC_GRAY90, 2, -1, 1, 1},  {RCC_WHITE, 2, -3, 1, 2}};
    if (Holds({RCC_GRAY10, RCC_GRAY20, RCC_GRAY30, RCC_GRAY40, RCC_GRAY50, RCC_GRAY60, RCC_GRAY70, RCC_GRAY80,
               RCC_GRAY90, RCC_GRAY5, RCC_GRAY95, RCC_BLACK, RCC_WHITE})) {
        for (int i = 0; i < 11; ++i) {
            const auto& p = ring[i];
            rect(p.column * cell, p.row * cell, (p.column + p.across) * cell, (p.row + p.down) * cell, Word(p.colour));
            s.Text(opix9, std::to_string(10 * i), g.X(p.column * cell) + 2, g.Y(p.row * cell) + 2,
                   i < 5 ? white : black);
        }
        rect(0.125 * nh, 0.125 * nh, 0.125 * nh + cell / 2, 0.125 * nh + cell / 2, Word(RCC_GRAY95));
        rect(-0.175 * nh, 0.125 * nh, -0.175 * nh + cell / 2, 0.125 * nh + cell / 2, Word(RCC_GRAY5));
        // The cards have no pattern 8: no patch.
    }
    const RemoteCallWord full[6] = {RCC_RED, RCC_GREEN, RCC_BLUE, RCC_CYAN, RCC_MAGENTA, RCC_YELLOW};
    const RemoteCallWord half[6] = {RCC_RED50, RCC_GREEN50, RCC_BLUE50, RCC_CYAN50, RCC_MAGENTA50, RCC_YELLOW50};
    for (const auto& [colours, column] : {std::pair{full, -4}, std::pair{half, 3}}) {
        if (!std::all_of(colours, colours + 6, [](RemoteCallWord w) { return Word(w) != 0; }))
            continue;
        for (int i = 0; i < 6; ++i)
            rect(column * cell, (i - 3) * cell, (column + 1) * cell, (i - 2) * cell, Word(colours[i]));
    }
    // Grid lines two pixels wide.
    for (int k = -g.GridCount() / 2; k <= g.GridCount() / 2; ++k)
        s.Fill(2, g.height, g.X(k * cell), 0, line);
    for (int k = -4; k <= 4; ++k)
        s.Fill(g.width, 2, 0, g.Y(k * cell), line);
    // The round circle.
    const int right = g.width - 1, bottom = g.height - 1;
    const int b = std::min(right, Geometry::Round(bottom / g.aspectPixel));
    const int d = std::min(bottom, Geometry::Round(b * g.aspectPixel));
    s.Box(b, d, (g.width - b) / 2, (g.height - d) / 2, line,
          [&](int x, int y) { return dr::onOvalOutline(b, d, x, y); });
    // Bands.
    const double band = (g.GridCount() - 2) * cell;
    s.Fill(g.DX(band), g.DY(0.08 * nh), g.X(-band / 2) + 1, g.Y(-0.29 * nh), label1);
    s.Fill(g.DX(band / 2), g.DY(0.04 * nh), g.X(-band / 4) + 1, g.Y(-0.27 * nh), label2);
    s.Fill(g.DX(band), g.DY(0.08 * nh), g.X(-band / 2) + 1, g.Y(0.21 * nh), label2);
    s.Fill(g.DX(band / 2), g.DY(0.04 * nh), g.X(-band / 4) + 1, g.Y(0.23 * nh), label1);
    // Resolution patches: blocks one small unit square from 0.02 in.
    const int sw = g.DX(0.0625 * nh), sh = g.DY(0.0625 * nh);
    auto block = [&](int ax, int ay, int dx, int dy, bool vertical, int thick, uint32_t ink, uint32_t under) {
        const int left = dx > 0 ? ax : ax - sw + 1, top = dy > 0 ? ay : ay - sh + 1;
        s.Fill(sw, sh, left, top, under);
        s.Box(sw, sh, left, top, ink, [&](int x, int y) {
            // Distance from the anchor's side, in the lines' direction.
            const int from = vertical ? (dx > 0 ? x : sw - 1 - x) : (dy > 0 ? y : sh - 1 - y);
            return from >= thick && (from - thick) % (2 * thick) < thick;
        });
    };
    auto patch = [&](int x, int y, int dx, int dy) {
        const int ix = g.DX(0.02 * nh), iy = g.DY(0.02 * nh);
        const RemoteCallWord greys[3][2] = {{RCC_GRAY51, RCC_GRAY48}, {RCC_GRAY51, RCC_GRAY50}, {RCC_GRAY53, RCC_GRAY48}};
        for (int pairIndex = 0; pairIndex < 3; ++pairIndex) {
            const int by = y + dy * (iy + pairIndex * sh);
            for (int m = 0; m < 2; ++m)
                block(x + dx * (ix + m * sw), by, dx, dy, m == 1, pairIndex + 1, white, black);
            if (!Holds({greys[pairIndex][0], greys[pairIndex][1]}))
                continue;
            for (int m = 0; m < 2; ++m)
                block(x + dx * (ix + (2 + m) * sw), by, dx, dy, m == 1, 2, Word(greys[pairIndex][0]),
                      Word(greys[pairIndex][1]));
        }
    };
    patch(0, 0, 1, 1);
    patch(0, bottom, 1, -1);
    patch(right, 0, -1, 1);
    patch(right, bottom, -1, -1);
    patch(g.X(0.145 * nh), g.Y(-0.11375 * nh), -1, 1);
    // Border 0.01 in, 0.005 thick.
    const int bx = g.DX(0.01 * nh), by = g.DY(0.01 * nh), tx = g.DX(0.005 * nh), ty = g.DY(0.005 * nh);
    s.Fill(g.width - 2 * bx, ty, bx, by, line);
    s.Fill(g.width - 2 * bx, ty, bx, g.height - by - ty, line);
    s.Fill(tx, g.height - 2 * by, bx, by, line);
    s.Fill(tx, g.height - 2 * by, g.width - bx - tx, by, line);
    // Plus signs on the crossings.
    auto plus = [&](int column, int row) {
        const int x = g.X(column * cell), y = g.Y(row * cell);
        s.Fill(2, 8, x, y - 3, line);
        s.Fill(8, 2, x - 3, y, line);
    };
    const int outer = g.GridCount() / 2;
    for (const int row : {-4, -3, 3, 4})
        for (int k = 0; k < 3; ++k) {
            plus(-outer + k, row);
            plus(outer - k, row);
        }
    for (const int column : {-1, 0, 1})
        plus(column, 0);
    // Labels on screens of 321 pixels and more.
    if (g.width >= 321) {
        const struct {
            const char* label;
            int number;
            double y;
        } labels[] = {{"H:", g.width, 0.35}, {"V:", g.height, 0.4}, {"D:", 4, 0.45}};
        for (const auto& l : labels) {
            const std::string digits = std::to_string(l.number);
            const int lw = dr::textWidth(sys16, l.label, {});
            const int left = (g.width - lw - dr::textWidth(sys16, digits, {})) / 2;
            const int top = g.Y(l.y * nh) - sys16.height / 2;
            s.Text(sys16, l.label, left, top, white);
            s.Text(sys16, digits, left + lw, top, white);
        }
        s.Text(opix9, "Veltrane", (g.width - dr::textWidth(opix9, "Veltrane", {})) / 2, g.Y(-0.45 * nh) - opix9.ascent / 2,
               white);
    }
    return s;
}

class Smpte133SimTest : public DemonstrationCardTest {};

TEST_F(Smpte133SimTest, ThePatternLandsPixelForPixelOnBothCards)
{
    const Smpte133Case cases[] = {
        {"every colour", 640, 480, 8, {}},
        {"320 wide, no labels", 320, 240, 8, {}},
        {"1 bit", 640, 480, 1, {}},
        {"2 bits", 640, 480, 2, {}},
        {"4 bits", 640, 480, 4, {}},
        {"4 bits without gray75", 640, 480, 4, {"gray75"}},
        {"no greys", 640, 480, 8, {"gray5", "gray10", "gray20", "gray30", "gray40", "gray48", "gray50", "gray51",
                                   "gray53", "gray60", "gray70", "gray75", "gray80", "gray90", "gray95"}},
        {"no half colours", 640, 480, 8, {"red50", "green50", "blue50", "cyan50", "magenta50", "yellow50"}},
        {"2 bits without gray51", 640, 480, 2, {"gray51"}},
        {"8 bits without gray50", 480, 480, 8, {"gray50"}},
    };
    for (const bool isa : {true, false}) {
        gensim::CardDci& dci = Dci(isa);
        for (const Smpte133Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (isa ? " on isa0" : " on pci1"));
            dci.setValue("width", c.width);
            dci.setValue("height", c.height);
            dci.setValue("aspectsize", double(c.width) / c.height);
            dci.setValue("uintsize", c.psize);
            for (int k = 0; k < dr::kNamedColours; ++k)
                dci.setValue(gensim::colourName(k),
                             std::count_if(c.missing.begin(), c.missing.end(),
                                           [&](const char* n) { return gensim::colourName(k) == n; })
                                 ? 0.0
                                 : double(dr::tableColour(k, c.psize == 8 ? 0x71384u : 900u)));
            dci.clearLog();
            ASSERT_TRUE(RunOn(isa, [](ToolLibrary& lib) { DrawSmpte133(lib); }));
            // The opening: versions, depth, the depth's table.
            const std::vector<gensim::DciCall> log = dci.log();
            ASSERT_GE(log.size(), 3u);
            EXPECT_EQ(log[0].text(), "XR_SetVersions(1)");
            EXPECT_EQ(log[1].name, "XR_Get_psize");
            EXPECT_EQ(log[2].text(), c.psize == 8 ? "XR_SetLut(463748)" : "XR_SetLut(900)");
            const Geometry g(c.width, c.height, ContextDouble(RCC_ASPECTSIZE), ContextDouble(RCC_ASPECTPIXEL));
            EXPECT_TRUE(SameScreen(dci, PaintSmpte133(g, c.psize)));
            EXPECT_EQ(dci.versions(), 1);
            EXPECT_TRUE(dci.liveBlocks().empty());
            if (c.name == std::string("every colour"))
                SaveScreen(isa, "smpte133");
        }
    }
}

} // namespace
} // namespace demotest
