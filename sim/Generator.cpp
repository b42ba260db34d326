#include "gensim/Generator.h"

#include "gensim/StoreFiles.h"
#include "gensim/FirmwareImage.h"

#include "gensim/Numbers.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace gensim {

namespace {

constexpr int kRates[] = {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

// Identity fields travel between commas on one line.
void checkField(const std::string& name, const std::string& value)
{
    if (value.empty() || value.find_first_of(",\r\n;>") != std::string::npos)
        throw std::invalid_argument(name + " must be non-empty text without , ; > or line ends: \""
                                    + value + "\"");
}

} // namespace

bool isGeneratorRate(int rate)
{
    return std::find(std::begin(kRates), std::end(kRates), rate) != std::end(kRates);
}

void validate(const GeneratorOptions& options)
{
    checkField("model", options.model);
    checkField("serial", options.serial);
    checkField("firmware", options.firmware);
    double version = 0;
    if (!parseNumber(options.firmware, version))
        throw std::invalid_argument("firmware must be a version number: \"" + options.firmware + "\"");
    if (options.isaSlot < -1 || options.isaSlot > 7)
        throw std::invalid_argument("ISA slot " + std::to_string(options.isaSlot) + " is not one of 0-7");
    if (!isGeneratorRate(options.baudRate))
        throw std::invalid_argument("baud rate " + std::to_string(options.baudRate)
                                    + " is not one the generator can take");
    if (options.gpib && (options.gpib->address < 0 || options.gpib->address > 30 || options.gpib->board < 0))
        throw std::invalid_argument("GPIB address " + std::to_string(options.gpib->address) + ":"
                                    + std::to_string(options.gpib->board)
                                    + " is not one of 0-30 on a board from 0");
    if (options.flashPart < -1 || options.flashPart > 1)
        throw std::invalid_argument("flash part type " + std::to_string(options.flashPart) + " is not one of 0, 1, -1");
    if (options.isaIdentity > 0xFFFFFF)
        throw std::invalid_argument("an ISA identity has six hexadecimal digits");
    if (options.isaSlot >= 0 && options.pciCard)
        throw std::invalid_argument("a generator sits on an ISA card or on a PCI card, not on both");
    if (!options.pty && !options.gpib && !options.onCard())
        throw std::invalid_argument("a generator needs a pty, a GPIB address, an ISA slot or a PCI card");
    if (!options.pty && !options.link.empty())
        throw std::invalid_argument("a link needs the generator's pty");
}

GeneratorState::GeneratorState(GeneratorOptions o) : options(std::move(o)), baudRate(options.baudRate)
{
    parseNumber(options.firmware, firmware);
    for (const ItemKindDef& def : itemKinds()) {
        ItemSlot& s = slot(def.kind);
        s.store = Store(builtInItems(def.kind));
        s.loaded = s.inUse = std::string(startItem(def.kind));
        if (def.nameSelects)
            s.named = s.loaded;  // the selected image
    }
    slot(ItemKind::Format).knobList = "fmt";
    slot(ItemKind::Image).knobList = "img";
    formatBuffer = registers;
}

Generator::Generator(GeneratorOptions options)
    : m_options((validate(options), std::move(options))), m_state(m_options)
{
    // A memory file received after "YMDI" replaces its kind's user items.
    m_ymodem.setTaker([this](const std::string& name, const std::string& bytes) { takeMemoryFile(name, bytes); });
}

double Generator::firmwareVersion() const
{
    std::lock_guard lock(m_mutex);
    return m_state.firmware;
}

std::string Generator::comPath() const
{
    std::lock_guard lock(m_mutex);
    return m_link.empty() ? m_slavePath : m_link;
}

std::string Generator::slavePath() const
{
    std::lock_guard lock(m_mutex);
    return m_slavePath;
}

void Generator::setPaths(std::string slave, std::string link)
{
    std::lock_guard lock(m_mutex);
    m_slavePath = std::move(slave);
    m_link = std::move(link);
}

int Generator::baudRate() const
{
    std::lock_guard lock(m_mutex);
    return m_state.baudRate;
}

void Generator::setBaudRate(int rate)
{
    if (!isGeneratorRate(rate))
        throw std::invalid_argument("baud rate " + std::to_string(rate) + " is not one the generator can take");
    std::lock_guard lock(m_mutex);
    m_state.baudRate = rate;
}

std::optional<std::string> Generator::setting(std::string_view mnemonic) const
{
    std::lock_guard lock(m_mutex);
    return m_state.registers.reply(mnemonic);
}

int Generator::errorCount() const
{
    std::lock_guard lock(m_mutex);
    return m_state.errorCount;
}

std::vector<std::string> Generator::names(ItemKind kind) const
{
    std::lock_guard lock(m_mutex);
    return m_state.slot(kind).store.names();
}

std::optional<StoredItem> Generator::item(ItemKind kind, std::string_view name) const
{
    std::lock_guard lock(m_mutex);
    const StoredItem* found = m_state.slot(kind).store.find(name);
    return found ? std::optional<StoredItem>(*found) : std::nullopt;
}

void Generator::seed(ItemKind kind, StoredItem item)
{
    std::lock_guard lock(m_mutex);
    m_state.slot(kind).store.put(std::move(item));
}

ItemSelection Generator::selection(ItemKind kind) const
{
    std::lock_guard lock(m_mutex);
    const ItemSlot& s = m_state.slot(kind);
    return {s.named, s.loaded, s.inUse, s.knobList};
}

FormatBufferView Generator::formatBuffer() const
{
    std::lock_guard lock(m_mutex);
    const ItemSlot& s = m_state.slot(ItemKind::Format);
    return {s.named, m_state.formatOwnName, s.editing, m_state.formatBuffer.formatFields()};
}

ImageBufferView Generator::imageBuffer() const
{
    std::lock_guard lock(m_mutex);
    const ItemSlot& s = m_state.slot(ItemKind::Image);
    const ImageBuffer& b = m_state.imageBuffer;
    return {s.named, s.editing, b.width, b.height, b.lines};
}

void Generator::setVerbatimImageLines(bool verbatim)
{
    std::lock_guard lock(m_mutex);
    m_state.verbatimImageLines = verbatim;
}

void Generator::setFormatCheck(std::optional<int> answer)
{
    std::lock_guard lock(m_mutex);
    m_state.formatCheck = answer;
}

void Generator::setMemorySize(std::uint64_t bytes)
{
    std::lock_guard lock(m_mutex);
    m_state.memorySize = bytes;
}

std::vector<std::string> Generator::execute(std::string_view line)
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> reply = m_interpreter.run(m_state, line);
    if (m_state.memoryFiles)
        m_state.memoryFiles->lineDone(m_state);
    return reply;
}

void Generator::setMemoryFileHost(MemoryFileHost* host)
{
    std::lock_guard lock(m_mutex);
    m_state.memoryFiles = host;
}

std::optional<std::string> Generator::memoryFile(std::string_view name) const
{
    std::lock_guard lock(m_mutex);
    return storeFile(m_state, name);
}

bool Generator::takeMemoryFile(std::string_view name, std::string_view bytes)
{
    std::lock_guard lock(m_mutex);
    if (!storeFile(m_state, name))
        return false;  // not one of its memory files: only kept for the test
    if (takeStoreFile(m_state, name, bytes))
        return true;
    ++m_state.errorCount;
    return false;
}

void Generator::packMemoryFiles()
{
    std::lock_guard lock(m_mutex);
    if (m_state.memoryFiles)
        m_state.memoryFiles->pack(m_state);
}

void Generator::restart()
{
    std::lock_guard lock(m_mutex);
    restartLocked();
}

void Generator::restartLocked()
{
    const std::uint64_t memorySize = m_state.memorySize;  // the hardware's, not the firmware's
    const int videoDepth = m_state.options.videoDepth;
    MemoryFileHost* const memoryFiles = m_state.memoryFiles;  // the card stays
    GeneratorOptions options = m_options;
    if (!m_flashedFirmware.empty())
        options.firmware = m_flashedFirmware;
    m_state = GeneratorState(options);
    m_state.memorySize = memorySize;
    m_state.options.videoDepth = videoDepth;
    m_state.video.dumpFolder = m_videoDump;
    m_state.memoryFiles = memoryFiles;
}

namespace {

// Called with the generator's lock held.
bool stillReceiving(GeneratorState& s, VideoBoards::Clock::time_point now)
{
    VideoBoards& v = s.video;
    if (!v.receiving)
        return false;
    if (now - v.lastData < std::chrono::milliseconds(s.options.dmaTimeoutMs))
        return true;
    v.receiving.reset();
    ++s.errorCount;
    return false;
}

} // namespace

bool Generator::receivingDma(VideoBoards::Clock::time_point now)
{
    std::lock_guard lock(m_mutex);
    return stillReceiving(m_state, now);
}

std::size_t Generator::feedDma(std::string_view bytes, VideoBoards::Clock::time_point now)
{
    std::lock_guard lock(m_mutex);
    if (!stillReceiving(m_state, now))
        return 0;
    bool finished = false;
    return m_state.video.take(bytes, now, finished);
}

bool Generator::streamDma(std::string_view bytes)
{
    std::lock_guard lock(m_mutex);
    const auto now = VideoBoards::Clock::now();
    if (!stillReceiving(m_state, now))
        return false;
    const VideoBoards& v = m_state.video;
    if (bytes.size() > v.receiving->bytes() - v.received)
        return false;
    bool finished = false;
    m_state.video.take(bytes, now, finished);
    return true;
}

std::vector<std::uint8_t> Generator::videoBytes(int board, std::uint64_t address, std::size_t count) const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::uint8_t> out(count);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = m_state.video.at(board, address + i);
    return out;
}

std::array<std::uint32_t, VideoBoards::kLutEntries> Generator::lut() const
{
    std::lock_guard lock(m_mutex);
    return m_state.video.lut;
}

std::vector<DmaBlock> Generator::finishedDma() const
{
    std::lock_guard lock(m_mutex);
    return m_state.video.finished;
}

bool Generator::boardMode() const
{
    std::lock_guard lock(m_mutex);
    return m_state.video.boardMode;
}

void Generator::setVideoDepth(int depth)
{
    std::lock_guard lock(m_mutex);
    m_state.options.videoDepth = depth;
}

void Generator::setVideoBoards(bool red, bool green, bool blue)
{
    std::lock_guard lock(m_mutex);
    const auto flag = [](bool on) { return on ? "1" : "0"; };
    m_state.registers.set(*Registers::find("VBPR"), std::string(flag(red)) + " " + flag(green) + " " + flag(blue));
}

void Generator::setVideoDump(std::string folder)
{
    std::lock_guard lock(m_mutex);
    m_videoDump = folder;
    m_state.video.dumpFolder = std::move(folder);
}

namespace {

// "7.045", "3.05": as a generator writes its version.
std::string versionText(double version)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", version);
    std::string s = text;
    while (s.size() > 1 && s.back() == '0' && s[s.size() - 3] != '.')
        s.pop_back();
    return s;
}

} // namespace

bool Generator::flashFirmware(const std::vector<std::uint8_t>& image)
{
    const firmware::Verdict verdict = firmware::check(image);
    std::lock_guard lock(m_mutex);
    ++m_flashes;
    if (!verdict.accepted) {
        ++m_state.errorCount; // the command trace keeps the lines the host sent
        return false;
    }
    if (verdict.version)
        m_flashedFirmware = versionText(*verdict.version);
    m_rebootUntil = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_options.rebootMs);
    return true;
}

bool Generator::rebooting()
{
    std::lock_guard lock(m_mutex);
    return rebootingLocked();
}

bool Generator::rebootingLocked()
{
    if (!m_rebootUntil)
        return false;
    if (std::chrono::steady_clock::now() < *m_rebootUntil)
        return true;
    m_rebootUntil.reset();
    restartLocked();
    return false;
}

std::string Generator::firmware()
{
    std::lock_guard lock(m_mutex);
    rebootingLocked();
    return m_state.options.firmware;
}

int Generator::flashCount() const
{
    std::lock_guard lock(m_mutex);
    return m_flashes;
}

} // namespace gensim
