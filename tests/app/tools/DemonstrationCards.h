// The demonstrations on the simulator's cards: isa0 and pci1 bound through
// the tools' front with the program's context, a routine run on one of them,
// and a screen the test paints by the cards' drawing rules to compare with
// the card's video memory.
#pragma once

#include "CardSimulator.h"
#include "DiagnosticsHooks.h"
#include "LinkRoutines.h"
#include "TestSupport.h"
#include "ToolLibrary.h"

#include "gensim/CardDci.h"
#include "gensim/CardDrawing.h"
#include "gensim/DriverEndpoint.h"
#include "gensim/IsaCard.h"
#include "gensim/PciCard.h"

#include <QImage>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace demotest {

namespace dr = gensim::drawing;

class DemonstrationCardTest : public PlatformTest {
protected:
    gensim::CardDci& Dci(bool isa)
    {
        return isa ? cards.sim.driverEndpoint()->isaCard(0)->dci() : cards.sim.driverEndpoint()->pciCard(0)->dci();
    }
    // Prepares the program's context on the card (filled) and runs routine
    // there; false when the binding failed.
    bool RunOn(bool isa, const std::function<void(ToolLibrary&)>& routine)
    {
        bool bound = false;
        const bool ran = LinkRoutines::Run(isa ? cards.isa : cards.pci, [&](ToolLibrary& lib) {
            bound = lib.XR_PortPrepareRemoteCall(lib.Port(), &DiagnosticsContext(), 1) == 1;
            if (bound)
                routine(lib);
        });
        return ran && bound;
    }
    static double ContextDouble(RemoteCallWord word)
    {
        double value = 0;
        std::memcpy(&value, &DiagnosticsContext().words[word], sizeof value);
        return value;
    }
    // The card's screen as an image for a person, in $ZOT_SCREENSHOT_DIR.
    void SaveScreen(bool isa, const std::string& name)
    {
        gensim::CardDci& dci = Dci(isa);
        const std::vector<uint8_t> rgb = dci.screenRgb();
        QImage image(rgb.data(), dci.width(), dci.height(), dci.width() * 3, QImage::Format_RGB888);
        SaveScreenshot(image.copy(), QString::fromStdString(name + (isa ? "-isa0" : "-pci1")));
    }

    CardSimulator cards;
};

// A screen painted by the cards' rules: boxes (width, height, x, y) in
// screen pixels, cut to the screen.
struct ExpectedScreen {
    int width, height;
    std::vector<uint8_t> pixels;

    ExpectedScreen(int w, int h, uint8_t ground)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), ground)
    {
    }
    void Set(int64_t x, int64_t y, uint32_t colour)
    {
        if (x >= 0 && y >= 0 && x < width && y < height)
            pixels[static_cast<std::size_t>(y * width + x)] = static_cast<uint8_t>(colour);
    }
    uint8_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
    void Fill(int w, int h, int x, int y, uint32_t colour)
    {
        for (int py = 0; py < h; ++py)
            for (int px = 0; px < w; ++px)
                Set(int64_t{x} + px, int64_t{y} + py, colour);
    }
    void Frame(int w, int h, int x, int y, uint32_t colour)
    {
        for (int py = 0; py < h; ++py)
            for (int px = 0; px < w; ++px)
                if (px == 0 || py == 0 || px == w - 1 || py == h - 1)
                    Set(int64_t{x} + px, int64_t{y} + py, colour);
    }
    void Box(int w, int h, int x, int y, uint32_t colour, const std::function<bool(int, int)>& inside)
    {
        for (int py = 0; py < h; ++py)
            for (int px = 0; px < w; ++px)
                if (inside(px, py))
                    Set(int64_t{x} + px, int64_t{y} + py, colour);
    }
    // Transparent text: the glyphs' ink, from the cell's top-left; the pen
    // position after it.
    int64_t Text(const dr::Font& font, std::string_view text, int64_t x, int64_t y, uint32_t colour,
                 bool italic = false)
    {
        for (const char ch : text) {
            const auto code = static_cast<unsigned char>(ch);
            if (const dr::Glyph* glyph = dr::glyph(font, code))
                for (int r = 0; r < font.height; ++r)
                    for (int c = 0; c < glyph->width; ++c)
                        if (glyph->ink(c, r))
                            Set(x + c + (italic ? dr::italicShift(font, r) : 0), y + r, colour);
            x += dr::advance(font, code, {});
        }
        return x;
    }
};

inline const dr::Font& BuiltInFont(const char* name)
{
    return dr::builtInFont(dr::builtInFontSlot(name));
}

// Compares the card's screen with the expected one; the first few
// differences reported.
inline ::testing::AssertionResult SameScreen(gensim::CardDci& dci, const ExpectedScreen& expected)
{
    if (dci.width() != expected.width || dci.height() != expected.height)
        return ::testing::AssertionFailure() << "screen " << dci.width() << " x " << dci.height();
    int wrong = 0;
    std::string report;
    const std::vector<uint8_t> screen = dci.screenBytes();
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x) {
            const uint8_t byte = screen[static_cast<std::size_t>(y * expected.width + x)];
            if (byte != expected.At(x, y) && ++wrong <= 8)
                report += " (" + std::to_string(x) + ", " + std::to_string(y) + ") is " + std::to_string(byte) +
                          " not " + std::to_string(expected.At(x, y)) + ";";
        }
    if (wrong == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong << " pixels differ on " << dci.port() << ":" << report;
}

} // namespace demotest
