#include "gensim/Generator.h"

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
    return m_interpreter.run(m_state, line);
}

void Generator::restart()
{
    std::lock_guard lock(m_mutex);
    restartLocked();
}

void Generator::restartLocked()
{
    const std::uint64_t memorySize = m_state.memorySize;  // the hardware's, not the firmware's
    GeneratorOptions options = m_options;
    if (!m_flashedFirmware.empty())
        options.firmware = m_flashedFirmware;
    m_state = GeneratorState(options);
    m_state.memorySize = memorySize;
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
