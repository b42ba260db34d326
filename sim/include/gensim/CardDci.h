// The firmware's side of the Direct Call Interface on a card: the drawing
// variables the host reads (by ISA query number or PCI item), the staging
// heap, the routines a call runs, the video memory they draw into, and the
// log of every call, for tests.
//
// Video memory: one byte per pixel, pixel (x, y) at y * pitch + x, pitch the
// smallest power of two not below the screen's width. Drawing routines work
// in the viewport: coordinates from its origin, clipped to its clip
// rectangle (screen pixels; the whole screen until set) and the screen, each
// written byte kept where pmask has 0 bits. Solid shapes use colour 1.
// Colour values are pixel bytes replicated into a word; the low byte is
// drawn.
//
// Routines with drawing rules here: XR_DrawPoint (x, y), XR_PutPixel (x, y,
// colour), XR_GetPixel (x, y), XR_DrawRect and XR_FillRect (width, height,
// x, y; an outline one pixel wide and the full rectangle), the viewport
// fills (the clip rectangle in the colour given, colour 0, or black),
// XR_SetOrigin (x, y) and XR_SetClipRect (width, height, x, y); the
// viewports and XR_Cpw follow CardDrawing.h. The state routines (colours,
// ppop, pmask, psize, transparency, display mask, start and delta, frames,
// level maximum, spacing, versions, the processor's registers) keep and
// answer their values. The drawing library's routines (shapes, fills, patterns, pens,
// text, fonts, colour tables) follow the rules of CardDrawing.h; pixel
// blocks, run-length blocks, 16.16 maths, number text, frame waits, format
// fields and flashing from video memory those of CardBlocks.h.
#pragma once

#include "gensim/CardBlocks.h"
#include "gensim/CardDrawing.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace gensim {

class Generator;

enum class VariableKind { Colour, Integer, Double, Byte };

struct DciVariable {
    std::string_view name;
    uint16_t query;  // ISA query number
    uint16_t item;   // PCI item number
    VariableKind kind;
};

const DciVariable* findVariableByQuery(uint16_t query);
const DciVariable* findVariableByItem(uint32_t item);
const DciVariable* findVariable(std::string_view name);
// The k-th of the 70 named colours (black first); empty beyond them.
std::string_view colourName(int index);

// What a test scripts into the firmware's direct calls.
struct DciFaults {
    bool messageNeverTaken = false;   // ISA: the start, run and query messages stay pending
    bool callNeverFinishes = false;   // the finished sign never comes
    int finishMs = 0;                 // each call finishes this much later
    bool noAcknowledge = false;       // PCI: a call's done bit never comes
    uint32_t errorCode = 0;           // PCI: each call fails with this result code
    std::set<uint32_t> failingItems{};  // PCI: lookups of these items get no done bit
    int failAllocation = 0;           // the k-th allocation from now (1: the next) gives 0
};

// One call as the firmware decoded it.
struct DciCall {
    std::string name;  // the routine, or "unknown <number>"
    std::string port;  // "isa0", "pci1", ...
    std::vector<double> args;
    uint32_t result = 0;
    // The bytes of each argument that named a live staged block, in order.
    std::vector<std::string> staged{};
    // "XR_DrawLine(10, 20, 4464, -1)"
    std::string text() const;
};

// The processor's 8-byte double: the IEEE layout, the mantissa's leading one
// kept at bit 51 and the exponent one higher.
uint64_t processorDouble(double value);
double fromProcessorDouble(uint64_t bits);

class CardDci {
public:
    // Generator memory the heap hands out: `bytes` from `first`, an address
    // moving `scale` per byte (ISA bit addresses: 8), blocks `align` bytes
    // apart; `memory` is where its bytes lie (null: not readable).
    struct Heap {
        uint32_t first;
        uint32_t bytes;
        uint32_t scale;
        uint32_t align;
        uint8_t* memory = nullptr;
    };

    CardDci(Generator& generator, std::string port, uint8_t* video, std::size_t videoBytes, Heap heap);
    CardDci(const CardDci&) = delete;
    CardDci& operator=(const CardDci&) = delete;

    // A variable's value now: a test's value, else the card's state.
    double value(std::string_view name) const;
    void setValue(std::string_view name, double value);
    // The variable's bits as the host reads them: a colour or integer word,
    // a byte, or the double's bits (host form).
    uint64_t bits(const DciVariable& variable) const;

    // Whether the firmware has a routine of that name.
    static bool hasRoutine(std::string_view name);

    // Runs a routine and logs it; its result.
    uint32_t run(std::string_view name, const std::vector<double>& args);
    // Sees each call as it is logged, on the thread that ran it, with the
    // card's lock held: it must not call back into the card.
    void setCallObserver(std::function<void(const DciCall&)> observer);
    // Counts the calls run: a screen that has not counted on is unchanged.
    uint64_t callCount() const;
    // Logs a call the firmware could not decode.
    void logUnknown(std::string_view what);

    void setFaults(DciFaults faults);
    DciFaults faults() const;

    std::vector<DciCall> log() const;
    void clearLog();
    // Staged blocks still allocated (address, bytes) and frees of addresses
    // that were not.
    std::map<uint32_t, uint32_t> liveBlocks() const;
    std::vector<uint32_t> badFrees() const;

    const std::string& port() const { return m_port; }
    int width() const;
    int height() const;
    uint32_t pitch() const;
    // The pixel byte at screen position (x, y); 0 outside the screen.
    uint8_t pixel(int x, int y) const;
    // Every pixel byte of the screen, row by row (width x height).
    std::vector<uint8_t> screenBytes() const;

    // How the last call ends on the card: this much later than usual, with
    // a result code (PCI; 0 a clean finish), or never.
    struct CallEnd {
        int laterMs = 0;
        uint32_t code = 0;
        bool never = false;
    };
    CallEnd lastEnd() const;
    void setFrameRate(double hz);
    void setFlashFaults(FlashFaults faults);
    // The image the last good flash kept (empty: none).
    std::vector<uint8_t> flashedImage() const;
    // Good flashes so far; the card's reset restarts into a new one.
    uint64_t flashCount() const;
    // The levels (red, green, blue) the colour table gives a pixel byte.
    std::array<uint32_t, 3> level(uint32_t pixel) const;
    uint32_t levelMax() const;

    // The display registers as the last calls set them.
    struct Display {
        uint32_t mask;
        int32_t start;
        int32_t delta;
        uint32_t frameSync;
        uint32_t frameNext;
    };
    Display display() const;
    int currentVuport() const;
    // Open viewports, the screen (0) included.
    int openVuports() const;
    int versions() const;
    // The screen as shown: width x height pixels of red, green and blue
    // bytes, the colour table's levels scaled from the level maximum.
    std::vector<uint8_t> screenRgb() const;

private:
    struct Clip {
        int x, y, width, height;
    };
    using Routine = uint32_t (CardDci::*)(const std::vector<double>&);
    struct RoutineRow {
        std::string_view name;
        Routine routine;
    };
    static const RoutineRow kRoutines[];

    double valueLocked(std::string_view name) const;
    int widthLocked() const;
    int heightLocked() const;
    uint32_t pitchLocked() const;
    uint32_t allocate(uint32_t bytes);
    uint32_t release(uint32_t address);
    void plot(int x, int y, uint32_t colour);
    void put(const Clip& c, uint32_t pitch, int64_t sx, int64_t sy, uint32_t colour);
    void fill(int x, int y, int width, int height, uint32_t colour);
    Clip clip() const;
    struct Vuport {
        bool open = false;
        int originX = 0;
        int originY = 0;
        std::optional<Clip> clip;
    };
    Vuport& vuport(int id);
    bool isOpenVuport(int id) const;

    // Blocks, maths, text, frames, fields and flash (CardBlocks.h).
    uint8_t* staged(uint32_t address, uint64_t& bytes) const;
    void copyPixel(const Clip& c, uint32_t pitch, int64_t sx, int64_t sy, uint32_t value);
    uint32_t frameNow() const;
    void finishAtFrame(uint64_t frame);
    uint32_t runField(const std::vector<double>& a, std::string_view mnemonic, char form);
    uint32_t getRect(const std::vector<double>& a);
    uint32_t putRect(const std::vector<double>& a);
    uint32_t bitExpand(const std::vector<double>& a);
    uint32_t pixelExpand(const std::vector<double>& a);
    uint32_t zoomRect(const std::vector<double>& a);
    uint32_t runEncode(const std::vector<double>& a);
    uint32_t runDecode(const std::vector<double>& a);
    uint32_t rotate(const std::vector<double>& a);
    uint32_t scale(const std::vector<double>& a);
    uint32_t translate(const std::vector<double>& a);
    uint32_t transform(const std::vector<double>& a);
    uint32_t perspective(const std::vector<double>& a);
    uint32_t vertexToPoint(const std::vector<double>& a);
    uint32_t int32ToFix(const std::vector<double>& a);
    uint32_t int16ToFix(const std::vector<double>& a);
    uint32_t fixToInt32(const std::vector<double>& a);
    uint32_t fixToInt16(const std::vector<double>& a);
    uint32_t roundRoutine(const std::vector<double>& a);
    uint32_t timesDivide(const std::vector<double>& a);
    uint32_t integerText(const std::vector<double>& a);
    uint32_t realText(const std::vector<double>& a);
    uint32_t waitFrame(const std::vector<double>& a);
    uint32_t waitFrames(const std::vector<double>& a);
    uint32_t waitScan(const std::vector<double>& a);
    uint32_t formatField(const std::vector<double>& a);
    uint32_t flashFromVideo(const std::vector<double>& a);

    uint32_t allocateRoutine(const std::vector<double>& a);
    uint32_t releaseRoutine(const std::vector<double>& a);
    uint32_t setColour0(const std::vector<double>& a);
    uint32_t setColour1(const std::vector<double>& a);
    uint32_t getColour0(const std::vector<double>& a);
    uint32_t getColour1(const std::vector<double>& a);
    uint32_t setPpop(const std::vector<double>& a);
    uint32_t getPpop(const std::vector<double>& a);
    uint32_t setPmask(const std::vector<double>& a);
    uint32_t getPmask(const std::vector<double>& a);
    uint32_t getPsize(const std::vector<double>& a);
    uint32_t transparencyOn(const std::vector<double>& a);
    uint32_t transparencyOff(const std::vector<double>& a);
    uint32_t getTransparency(const std::vector<double>& a);
    uint32_t setDisplayMask(const std::vector<double>& a);
    uint32_t getDisplayMask(const std::vector<double>& a);
    uint32_t setFrameSync(const std::vector<double>& a);
    uint32_t getFrameSync(const std::vector<double>& a);
    uint32_t setFrameNext(const std::vector<double>& a);
    uint32_t getFrameNext(const std::vector<double>& a);
    uint32_t getFrame(const std::vector<double>& a);
    uint32_t setLevelMax(const std::vector<double>& a);
    uint32_t getLevelMax(const std::vector<double>& a);
    uint32_t addTextSpace(const std::vector<double>& a);
    uint32_t addWordSpace(const std::vector<double>& a);
    uint32_t addMoreSpace(const std::vector<double>& a);
    uint32_t getTextSpace(const std::vector<double>& a);
    uint32_t getWordSpace(const std::vector<double>& a);
    uint32_t getMoreSpace(const std::vector<double>& a);
    uint32_t pokeRegister(const std::vector<double>& a);
    uint32_t peekRegister(const std::vector<double>& a);
    uint32_t setOrigin(const std::vector<double>& a);
    uint32_t setClipRect(const std::vector<double>& a);
    uint32_t drawPoint(const std::vector<double>& a);
    uint32_t putPixel(const std::vector<double>& a);
    uint32_t getPixel(const std::vector<double>& a);
    uint32_t drawRect(const std::vector<double>& a);
    uint32_t fillRect(const std::vector<double>& a);
    uint32_t colourFill(const std::vector<double>& a);
    uint32_t groundFill(const std::vector<double>& a);
    uint32_t blackFill(const std::vector<double>& a);
    // Viewports and display registers (CardDciVuports.cpp).
    uint32_t openVuport(const std::vector<double>& a);
    uint32_t closeVuport(const std::vector<double>& a);
    uint32_t removeVuport(const std::vector<double>& a);
    uint32_t selectVuport(const std::vector<double>& a);
    uint32_t currentVuportRoutine(const std::vector<double>& a);
    uint32_t sizeVuport(const std::vector<double>& a);
    uint32_t moveVuport(const std::vector<double>& a);
    uint32_t copyVuport(const std::vector<double>& a);
    uint32_t getVuportMax(const std::vector<double>& a);
    uint32_t cpw(const std::vector<double>& a);
    uint32_t setDisplayStart(const std::vector<double>& a);
    uint32_t setDisplayDelta(const std::vector<double>& a);
    uint32_t setVersions(const std::vector<double>& a);

    // --- The drawing library (CardDciShapes.cpp, CardDciText.cpp, CardDciColours.cpp; rules in
    // CardDrawing.h) ---
    struct Staged {
        uint8_t* data = nullptr;
        std::size_t size = 0;  // bytes from the address to its block's end
    };
    Staged staged(uint32_t address) const;
    std::string stagedText(uint32_t address) const;
    std::optional<std::vector<drawing::Point>> stagedPoints(uint32_t address, int64_t count) const;
    bool isIsa() const;
    // Colour 1, or the pattern's colours, at a screen pixel.
    void paint(const Clip& c, uint32_t pitch, int64_t sx, int64_t sy, bool pattern);
    // The pixels of a box (viewport) that `inside` takes, box-relative.
    template <class Inside>
    void shade(int64_t x, int64_t y, int width, int height, bool pattern, const Inside& inside);
    void paintPoints(const std::vector<drawing::Point>& points, bool pattern);
    void penPoints(const std::vector<drawing::Point>& points, bool pattern);
    std::vector<drawing::Point> boxPoints(int64_t x, int64_t y, int width, int height,
                                          bool (*on)(int, int, int, int, int, int), int p1, int p2) const;
    // The screen as one routine reads it: its size and pitch taken once
    // (each takes the generator's lock); a byte at screen (sx, sy), none
    // off the screen.
    struct Screen {
        const uint8_t* video;
        std::size_t bytes;
        int64_t width, height;
        uint32_t pitch;
        std::optional<uint8_t> at(int64_t sx, int64_t sy) const
        {
            if (sx < 0 || sy < 0 || sx >= width || sy >= height)
                return std::nullopt;
            const std::size_t i = static_cast<std::size_t>(sy) * pitch + static_cast<std::size_t>(sx);
            return i < bytes ? std::optional<uint8_t>(video[i]) : std::nullopt;
        }
    };
    Screen screen() const;
    void polygon(const std::vector<drawing::Point>& vertices, bool pattern);
    void regionFill(int x, int y, bool pattern, std::optional<uint8_t> boundary);
    uint32_t polyLine(const std::vector<double>& a, bool pen, bool pattern);
    uint32_t convex(const std::vector<double>& a, bool pattern);
    uint32_t arc(const std::vector<double>& a, bool (*on)(int, int, int, int, int, int), bool pen, bool pattern);
    const drawing::Font& font() const;
    int64_t drawTextAt(int x, int y, std::string_view text, bool italic);
    uint32_t textRoutine(const std::vector<double>& a, bool italic);
    uint32_t levelLimit(uint32_t level) const;
    int psize() const;
    std::array<uint32_t, 3> levelLocked(uint32_t pixel) const;

    uint32_t drawLine(const std::vector<double>& a);
    uint32_t drawPolyLine(const std::vector<double>& a);
    uint32_t drawTriangle(const std::vector<double>& a);
    uint32_t fillTriangle(const std::vector<double>& a);
    uint32_t patnFillTriangle(const std::vector<double>& a);
    uint32_t fillPolygon(const std::vector<double>& a);
    uint32_t patnFillPolygon(const std::vector<double>& a);
    uint32_t fillConvex(const std::vector<double>& a);
    uint32_t patnFillConvex(const std::vector<double>& a);
    uint32_t drawOval(const std::vector<double>& a);
    uint32_t fillOval(const std::vector<double>& a);
    uint32_t patnFillOval(const std::vector<double>& a);
    uint32_t dottedOval(const std::vector<double>& a);
    uint32_t frameRect(const std::vector<double>& a);
    uint32_t patnFrameRect(const std::vector<double>& a);
    uint32_t frameOval(const std::vector<double>& a);
    uint32_t patnFrameOval(const std::vector<double>& a);
    uint32_t drawOvalArc(const std::vector<double>& a);
    uint32_t drawPieArc(const std::vector<double>& a);
    uint32_t fillPieArc(const std::vector<double>& a);
    uint32_t patnFillPieArc(const std::vector<double>& a);
    uint32_t patnFillRect(const std::vector<double>& a);
    uint32_t curtainFillRect(const std::vector<double>& a);
    uint32_t encloseFillRect(const std::vector<double>& a);
    uint32_t moveRect(const std::vector<double>& a);
    uint32_t movePixel(const std::vector<double>& a);
    uint32_t boxes(const std::vector<double>& a);
    uint32_t drawGrid(const std::vector<double>& a);
    uint32_t drawGrill(const std::vector<double>& a);
    uint32_t styledLine(const std::vector<double>& a);
    uint32_t drawLimits(const std::vector<double>& a);
    uint32_t drawCross(const std::vector<double>& a);
    uint32_t drawCenterMark(const std::vector<double>& a);
    uint32_t drawTBox(const std::vector<double>& a);
    uint32_t drawStep(const std::vector<double>& a);
    uint32_t drawFormat(const std::vector<double>& a);
    uint32_t setPenSize(const std::vector<double>& a);
    uint32_t penPoint(const std::vector<double>& a);
    uint32_t penLine(const std::vector<double>& a);
    uint32_t penPolyLine(const std::vector<double>& a);
    uint32_t penPieArc(const std::vector<double>& a);
    uint32_t penOvalArc(const std::vector<double>& a);
    uint32_t patnPenPoint(const std::vector<double>& a);
    uint32_t patnPenLine(const std::vector<double>& a);
    uint32_t patnPenPolyLine(const std::vector<double>& a);
    uint32_t patnPenPieArc(const std::vector<double>& a);
    uint32_t patnPenOvalArc(const std::vector<double>& a);
    uint32_t seedFill(const std::vector<double>& a);
    uint32_t seedPatnFill(const std::vector<double>& a);
    uint32_t boundFill(const std::vector<double>& a);
    uint32_t boundPatnFill(const std::vector<double>& a);
    uint32_t selectPatn(const std::vector<double>& a);
    uint32_t selectPatnNamed(const std::vector<double>& a);
    uint32_t installPatn(const std::vector<double>& a);
    uint32_t removePatn(const std::vector<double>& a);
    uint32_t getPatnMax(const std::vector<double>& a);
    uint32_t selectFont(const std::vector<double>& a);
    uint32_t selectFontNamed(const std::vector<double>& a);
    uint32_t installFont(const std::vector<double>& a);
    uint32_t freeFont(const std::vector<double>& a);
    uint32_t getFontMax(const std::vector<double>& a);
    uint32_t getLeading(const std::vector<double>& a);
    uint32_t getDescent(const std::vector<double>& a);
    uint32_t getAscent(const std::vector<double>& a);
    uint32_t charWideMax(const std::vector<double>& a);
    uint32_t charHigh(const std::vector<double>& a);
    uint32_t getFirstCh(const std::vector<double>& a);
    uint32_t getLastCh(const std::vector<double>& a);
    uint32_t charWideImage(const std::vector<double>& a);
    uint32_t getWidth(const std::vector<double>& a);
    uint32_t drawString(const std::vector<double>& a);
    uint32_t drawItalic(const std::vector<double>& a);
    uint32_t drawChar(const std::vector<double>& a);
    uint32_t charFillRect(const std::vector<double>& a);
    uint32_t transparentColour(const std::vector<double>& a);
    uint32_t opaqueColours(const std::vector<double>& a);
    uint32_t setColourNamed(const std::vector<double>& a);
    uint32_t setEdgeColourNamed(const std::vector<double>& a);
    uint32_t getEdgeColour(const std::vector<double>& a);
    uint32_t getEdgeColourMany(const std::vector<double>& a);
    uint32_t setLut(const std::vector<double>& a);
    uint32_t resetLut(const std::vector<double>& a);
    uint32_t initLut(const std::vector<double>& a);
    uint32_t selectColour(const std::vector<double>& a);
    uint32_t pokeColour(const std::vector<double>& a);
    uint32_t setLevelRgb(const std::vector<double>& a);
    uint32_t pokeLevelRgb(const std::vector<double>& a);
    uint32_t setLevelGray(const std::vector<double>& a);
    uint32_t setLevelGrayPercent(const std::vector<double>& a);
    uint32_t pokeBlackColours(const std::vector<double>& a);
    uint32_t setCode(const std::vector<double>& a);
    uint32_t pokeCode(const std::vector<double>& a);
    uint32_t repPixelRoutine(const std::vector<double>& a);
    uint32_t unRepPixel(const std::vector<double>& a);

    int m_penWidth = 1;
    int m_penHeight = 1;
    std::array<std::optional<drawing::Pattern>, drawing::kPatternSlots> m_patterns{};
    int m_pattern = 0;
    std::array<std::optional<drawing::Font>, drawing::kFontSlots> m_fonts{};
    int m_font = 0;
    std::optional<uint32_t> m_lutSelector;
    std::map<uint32_t, std::array<uint32_t, 3>> m_levels;  // pixel byte -> levels set
    uint32_t m_selectedColour = 0;
    uint32_t m_pokedColour = 0;
    uint32_t m_code = 0;
    uint32_t m_pokedCode = 0;
    int m_edges = 0;

    Generator& m_generator;
    const std::string m_port;
    uint8_t* const m_video;
    const std::size_t m_videoBytes;
    const Heap m_heap;
    const std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();

    mutable std::mutex m_mutex;
    DciFaults m_faults;
    std::map<std::string, double, std::less<>> m_values;
    std::vector<DciCall> m_log;
    std::map<uint32_t, uint32_t> m_blocks;  // heap offset -> bytes
    std::vector<uint32_t> m_badFrees;

    uint32_t m_colour0 = 0;
    uint32_t m_colour1 = 0;
    int32_t m_ppop = 0;
    uint32_t m_pmask = 0xFFFFFFFF;
    bool m_transparent = false;
    uint32_t m_displayMask = 0xFFFFFFFF;
    uint32_t m_frameSync = 0;
    uint32_t m_frameNext = 0;
    uint32_t m_levelMax = 255;
    int32_t m_textSpace = 0;
    int32_t m_wordSpace = 0;
    int32_t m_moreSpace = 0;
    std::map<int32_t, uint32_t> m_registers;
    // The current viewport's origin and clip rectangle; the others wait in
    // m_vuports until selected.
    int m_originX = 0;
    int m_originY = 0;
    std::optional<Clip> m_clip;
    std::array<Vuport, drawing::kVuports> m_vuports{};
    int m_vuport = 0;
    int32_t m_displayStart = 0;
    int32_t m_displayDelta = 1;
    int32_t m_versions = 0;
    std::function<void(const DciCall&)> m_observer;
    uint64_t m_calls = 0;

    // Blocks, maths, text, frames, fields and flash.
    std::string m_routine;  // the routine running, for the shared bodies
    CallEnd m_end;
    double m_frameRate = blocks::kDefaultFrameRate;
    FlashFaults m_flashFaults;
    std::vector<uint8_t> m_flashed;
    uint64_t m_flashCount = 0;
};

} // namespace gensim
