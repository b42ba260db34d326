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
// XR_SetOrigin (x, y) and XR_SetClipRect (width, height, x, y). The state
// routines (colours, ppop, pmask, psize, transparency, display, frames,
// level maximum, spacing, the processor's registers) keep and answer their
// values; every other routine is only logged.
#pragma once

#include "gensim/CardBlocks.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
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

    // Runs a routine and logs it; its result.
    uint32_t run(std::string_view name, const std::vector<double>& args);
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

    int width() const;
    int height() const;
    uint32_t pitch() const;
    // The pixel byte at screen position (x, y); 0 outside the screen.
    uint8_t pixel(int x, int y) const;

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

    // Blocks, maths, text, frames, fields and flash (CardBlocks.h).
    uint8_t* staged(uint32_t address, uint64_t& bytes) const;
    uint8_t screenPixel(int64_t sx, int64_t sy) const;
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
    int m_originX = 0;
    int m_originY = 0;
    std::optional<Clip> m_clip;

    // Blocks, maths, text, frames, fields and flash.
    std::string m_routine;  // the routine running, for the shared bodies
    CallEnd m_end;
    double m_frameRate = blocks::kDefaultFrameRate;
    FlashFaults m_flashFaults;
    std::vector<uint8_t> m_flashed;
};

} // namespace gensim
