// One simulated generator: who it is, its line speed, its settings, the
// faults a test scripted into it and the trace of what it was told.
#pragma once

#include "gensim/BusTrace.h"
#include "gensim/CommandInterpreter.h"
#include "gensim/Faults.h"
#include "gensim/ImageBuffer.h"
#include "gensim/ItemKinds.h"
#include "gensim/MemoryFileHost.h"
#include "gensim/Fonts.h"
#include "gensim/PixelMaps.h"
#include "gensim/Registers.h"
#include "gensim/Sequences.h"
#include "gensim/Trace.h"
#include "gensim/VideoBoards.h"
#include "gensim/Ymodem.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gensim {

// Where a generator listens on the GPIB bus.
struct GpibAddress {
    int address = 0;  // primary address, 0-30
    int board = 0;
    bool operator==(const GpibAddress&) const = default;
};

struct GeneratorOptions {
    std::string model = "VG-7000";
    std::string firmware = "7.011";
    std::string serial = "000001";
    int baudRate = 9600;
    std::string link{};  // a symlink to the pty slave, made when not empty
    // Paced: each character takes its 10 bits at the rate on the line, both
    // ways, as on a cable (a pty alone carries bytes without line time).
    bool lineTime = false;
    // What the firmware download's hardware probe ("VERH?") reports.
    unsigned hardwareId = 0x2A51;
    unsigned hardwareRevision = 0x3;
    bool pty = true;                  // a COM port on a pseudo-terminal
    std::optional<GpibAddress> gpib{};  // an address on the simulator's bus
    // 0-7: the generator sits on an ISA card in that slot instead of a pty.
    int isaSlot = -1;
    // The generator sits on the next card of the PCI bus instead of a pty.
    bool pciCard = false;
    // MDTA? answers a word as an unsigned number rather than a signed one.
    bool unsignedMapWords = false;
    // What "PELD? GE" answers: bits per pixel of the video memory (0: unknown).
    int videoDepth = 8;
    // A DMA block that gets no data this long is abandoned, counting an error.
    int dmaTimeoutMs = 5000;
    // After a firmware flash the generator restarts and answers nothing for this long.
    int rebootMs = 3000;
    // On an ISA card: the hardware identity its words give the host (six
    // hexadecimal digits; a top digit with bit 3 set comes in the short
    // form) and the type of its flash parts (0 or 1; -1: none the host knows).
    // The default is fitted with parts the firmware tool programs.
    std::uint32_t isaIdentity = 0x910596;
    int flashPart = 0;

    bool onCard() const { return isaSlot >= 0 || pciCard; }
};

// Throws std::invalid_argument naming the bad option.
void validate(const GeneratorOptions& options);

// The rates a generator's serial port can take.
bool isGeneratorRate(int rate);

// What the command handlers work on; guarded by the generator's lock.
struct GeneratorState {
    explicit GeneratorState(GeneratorOptions o = {});

    GeneratorOptions options;
    double firmware = 0;   // the version as a number
    Registers registers;   // the current settings: the loaded format and the rest
    int baudRate = 9600;
    int errorCount = 0;

    std::array<ItemSlot, kItemKinds> items;
    // The format edit buffer: between FMTB and FMTE the format's setters and
    // queries work on it instead of the current settings.
    Registers formatBuffer;
    std::string formatOwnName;           // NAME
    std::optional<int> formatCheck;      // a test's answer to FMTG?
    ImageBuffer imageBuffer;             // the image being uploaded or read
    PixelMapBuffer mapBuffer;            // the pixel map being uploaded or read
    FontBuffer fontBuffer;               // the font being uploaded or read
    bool verbatimImageLines = false;     // ISTP? n gives a line as it was sent
    std::uint64_t memorySize = kDefaultMemorySize;
    SequenceState sequence;
    VideoBoards video;
    MemoryFileHost* memoryFiles = nullptr;  // the card's memory, on an ISA card

    ItemSlot& slot(ItemKind kind) { return items[static_cast<std::size_t>(kind)]; }
    const ItemSlot& slot(ItemKind kind) const { return items[static_cast<std::size_t>(kind)]; }
    Registers& settingsFor(const RegisterDef& def)
    {
        return def.formatField && slot(ItemKind::Format).editing ? formatBuffer : registers;
    }
};

// What a test reads of one kind's use: see ItemSlot.
struct ItemSelection {
    std::string named;
    std::string loaded;
    std::string inUse;
    std::string knobList;
    bool operator==(const ItemSelection&) const = default;
};

// The format edit buffer as a test reads it.
struct FormatBufferView {
    std::string name;       // FMTN
    std::string ownName;    // NAME
    bool editing = false;   // between FMTB and FMTE
    std::map<std::string, std::string, std::less<>> fields;
};

class Generator {
public:
    explicit Generator(GeneratorOptions options);

    const GeneratorOptions& options() const { return m_options; }
    double firmwareVersion() const;

    // The path a host opens: the link when one was asked for, else the
    // slave; empty without a pty.
    std::string comPath() const;
    std::string slavePath() const;

    int baudRate() const;
    void setBaudRate(int rate);

    void fault(Fault fault) { m_faults.add(std::move(fault)); }
    void clearFaults() { m_faults.clear(); }
    FaultScript& faults() { return m_faults; }

    Trace& trace() { return m_trace; }
    BusTrace& busTrace() { return m_busTrace; }

    // The files it holds for YMODEM transfers, and their faults.
    YmodemArea& ymodem() { return m_ymodem; }

    // A setting in its query reply form; nullopt for an unknown mnemonic.
    std::optional<std::string> setting(std::string_view mnemonic) const;
    int errorCount() const;

    // Stored items, for tests: read them, seed them, set what FMTG? says.
    std::vector<std::string> names(ItemKind kind) const;
    std::optional<StoredItem> item(ItemKind kind, std::string_view name) const;
    void seed(ItemKind kind, StoredItem item);
    ItemSelection selection(ItemKind kind) const;
    FormatBufferView formatBuffer() const;
    ImageBufferView imageBuffer() const;
    // ISTP? n answers the line as it was sent, blanks and all.
    void setVerbatimImageLines(bool verbatim);
    // nullopt: FMTG? checks the buffer by the generator's own rules.
    void setFormatCheck(std::optional<int> answer);
    void setMemorySize(std::uint64_t bytes);
    SequenceView sequence() const;
    // Moves a playing sequence's clock on, as if that much time had passed.
    void advanceSequenceClock(std::chrono::milliseconds by);

    // The DMA intake: whether a block waits for its bytes (one that got none
    // for dmaTimeoutMs is abandoned first), and the bytes a line hands it:
    // takes at most what the block lacks and returns how many it took.
    bool receivingDma(VideoBoards::Clock::time_point now = VideoBoards::Clock::now());
    std::size_t feedDma(std::string_view bytes, VideoBoards::Clock::time_point now = VideoBoards::Clock::now());
    // A card's block: all of it or, outside a block or past its count, nothing.
    bool streamDma(std::string_view bytes);
    // What the downloads left, for tests.
    std::vector<std::uint8_t> videoBytes(int board, std::uint64_t address, std::size_t count) const;
    std::array<std::uint32_t, VideoBoards::kLutEntries> lut() const;
    std::vector<DmaBlock> finishedDma() const;
    bool boardMode() const;
    void setVideoDepth(int depth);
    // Which of the red, green and blue boards "VBPR?" reports present.
    void setVideoBoards(bool red, bool green, bool blue);
    void setVideoDump(std::string folder);

    // Runs one command line and returns its reply lines.
    std::vector<std::string> execute(std::string_view line);

    // The firmware starts afresh from its reset state: the stores hold their
    // built-in items only and every setting is back at its start value.
    void restart();

    void setPaths(std::string slave, std::string link);

    // The card whose memory holds the memory files (null: none); it must
    // outlive the generator's commands.
    void setMemoryFileHost(MemoryFileHost* host);
    // The firmware packs its stores into the card's memory, as at its start.
    void packMemoryFiles();
    // A memory file made from the stores (StoreFiles.h); nullopt for a name
    // the firmware does not keep.
    std::optional<std::string> memoryFile(std::string_view name) const;
    // A memory file received: it replaces its kind's user items; one that
    // does not read as its kind counts an error and changes nothing. Other
    // names are not its memory files (false, nothing counted).
    bool takeMemoryFile(std::string_view name, std::string_view bytes);
    // A firmware image came in by any port. A good one is flashed: the
    // generator restarts into the image's version (its own when the image
    // names none) and answers nothing for rebootMs. A bad one flashes
    // nothing, counts an error for "NERR?" and is traced. True when flashed.
    bool flashFirmware(const std::vector<std::uint8_t>& image);
    // True while it restarts after a flash; the restart completes at the
    // first look after the time.
    bool rebooting();
    // The version string it reports now.
    std::string firmware();
    // Flashes so far, good or bad.
    int flashCount() const;

private:
    void restartLocked();
    bool rebootingLocked();

    const GeneratorOptions m_options;
    mutable std::mutex m_mutex;
    GeneratorState m_state;
    CommandInterpreter m_interpreter;
    FaultScript m_faults;
    Trace m_trace;
    BusTrace m_busTrace;
    YmodemArea m_ymodem;
    std::string m_slavePath;
    std::string m_link;
    std::string m_videoDump;  // kept over a restart
    std::string m_flashedFirmware;  // empty: the one it was made with
    std::optional<std::chrono::steady_clock::time_point> m_rebootUntil;
    int m_flashes = 0;
};

} // namespace gensim
