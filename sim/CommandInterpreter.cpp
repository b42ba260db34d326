#include "gensim/CommandInterpreter.h"

#include "gensim/Generator.h"
#include "gensim/Numbers.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace gensim {

namespace {

// The first field of the identity reply: who made the generator.
constexpr std::string_view kMaker = "Veltrane";

std::string upper(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string> words(std::string_view s)
{
    std::vector<std::string> out;
    std::size_t at = 0;
    while ((at = s.find_first_not_of(" \t", at)) != std::string_view::npos) {
        std::size_t end = s.find_first_of(" \t", at);
        out.emplace_back(s.substr(at, end - at));
        at = end;
    }
    return out;
}

std::string errorLine(const Outcome& o)
{
    if (o.status == Outcome::Status::Invalid)
        return "Command invalid";
    return "Execution error: " + std::to_string(static_cast<int>(o.error));
}

// Commands that take no arguments refuse any.
CommandInterpreter::Handler bare(std::function<Outcome(GeneratorState&)> body)
{
    return [body = std::move(body)](GeneratorState& s, const Command& c) {
        if (!c.query && !c.words.empty())
            return Outcome::failed(ExecError::ArgumentCount);
        return body(s);
    };
}

// "MODE COM1 <rate> N 8 1 H": the generator's own serial settings. Only the
// rate can change; the rest must say 8N1 when given. The reply and prompt
// still go out at the old rate: the new one holds from the next read.
Outcome setMode(GeneratorState& s, const Command& c)
{
    const auto& w = c.words;
    if (w.size() < 2 || w.size() > 6)
        return Outcome::failed(ExecError::ArgumentCount);
    static const char* const kFixed[] = {"COM1", nullptr, "N", "8", "1"};
    for (std::size_t i = 0; i < w.size() && i < 5; ++i)
        if (kFixed[i] && upper(w[i]) != kFixed[i])
            return Outcome::failed(ExecError::OutOfRange);
    double rate = 0;
    if (!parseNumber(w[1], rate) || rate != static_cast<int>(rate))
        return Outcome::failed(ExecError::NotANumber);
    if (!isGeneratorRate(static_cast<int>(rate)))
        return Outcome::failed(ExecError::OutOfRange);
    s.baudRate = static_cast<int>(rate);
    return Outcome::ok();
}

} // namespace

CommandInterpreter::CommandInterpreter()
{
    addRegisterRows();
    addIdentityRows();
    addControlRows();
    addStoreRows();
    addDirectoryRows();
    addFormatRows();
    addMemoryRows();
    addVideoRows();  // after the registers: its PELD? answers the GE form too
    addImageRows();  // after the registers: its XRES and YRES replace theirs
    addPixelMapRows(); // after the stores: it wraps MAPA
    addMemoryFileRows();
    addFontRows();
    addSequenceRows(); // last: it wraps rows made before it
}

void CommandInterpreter::addRow(std::string key, Handler handler)
{
    m_rows[upper(key)] = std::move(handler);
}

void CommandInterpreter::addRegisterRows()
{
    for (const RegisterDef& def : Registers::table()) {
        std::string key(def.mnemonic);
        // Firmware older than the setting does not know its mnemonic.
        if (def.settable)
            addRow(key, [&def](GeneratorState& s, const Command& c) {
                if (s.firmware < def.sinceFirmware)
                    return Outcome::invalid();
                return s.settingsFor(def).set(def, c.args);
            });
        if (def.queryable)
            addRow(key + "?", [&def](GeneratorState& s, const Command&) {
                if (s.firmware < def.sinceFirmware)
                    return Outcome::invalid();
                return Outcome::ok({s.settingsFor(def).reply(def)});
            });
    }
}

void CommandInterpreter::addIdentityRows()
{
    addRow("*IDN?", bare([](GeneratorState& s) {
        const GeneratorOptions& o = s.options;
        return Outcome::ok({std::string(kMaker) + "," + o.model + "," + o.serial + "," + o.firmware});
    }));
    addRow("VERF?", bare([](GeneratorState& s) { return Outcome::ok({s.options.firmware}); }));
    // The firmware download's hardware probe: two hexadecimal numbers.
    addRow("VERH?", bare([](GeneratorState& s) {
        char text[32];
        std::snprintf(text, sizeof text, "%X,%X", s.options.hardwareId, s.options.hardwareRevision);
        return Outcome::ok({text});
    }));
}

// Memory used and free in bytes; firmware up to 7.01 does not report it.
void CommandInterpreter::addMemoryRows()
{
    auto memory = [](bool used) {
        return bare([used](GeneratorState& s) {
            if (s.firmware <= kMemoryFirmware)
                return Outcome::invalid();
            std::uint64_t inUse = memoryUsed(s);
            std::uint64_t free = s.memorySize > inUse ? s.memorySize - inUse : 0;
            return Outcome::ok({std::to_string(used ? inUse : free)});
        });
    };
    addRow("MEMU?", memory(true));
    addRow("MEMF?", memory(false));
}

void CommandInterpreter::addControlRows()
{
    addRow("INIT", bare([](GeneratorState& s) {
        s.registers.reset();
        return Outcome::ok();
    }));
    addRow("*OPC?", bare([](GeneratorState&) { return Outcome::ok({"1"}); }));
    // Everything loaded is put out: the format, image and sequence.
    addRow("ALLU", bare([](GeneratorState& s) {
        for (const ItemKindDef& def : itemKinds())
            if (def.putOut)
                s.slot(def.kind).inUse = s.slot(def.kind).loaded;
        return Outcome::ok();
    }));
    addRow("ERRC", bare([](GeneratorState& s) {
        s.errorCount = 0;
        return Outcome::ok();
    }));
    addRow("NERR?", bare([](GeneratorState& s) { return Outcome::ok({std::to_string(s.errorCount)}); }));
    addRow("MODE", setMode);
}

Command CommandInterpreter::parse(std::string_view text)
{
    text = trim(text);
    Command c;
    std::size_t end = text.find_first_of(" \t");
    std::string_view mnemonic = text.substr(0, end);
    if (!mnemonic.empty() && mnemonic.back() == '?') {
        c.query = true;
        mnemonic.remove_suffix(1);
    }
    c.mnemonic = upper(mnemonic);
    c.args = end == std::string_view::npos ? std::string() : std::string(trim(text.substr(end)));
    c.words = words(c.args);
    return c;
}

std::vector<std::string> CommandInterpreter::run(GeneratorState& state, std::string_view line) const
{
    std::vector<std::string> reply;
    runSequenceClock(state);
    while (true) {
        std::size_t end = line.find(';');
        Command c = parse(line.substr(0, end));
        if (!c.mnemonic.empty() || c.query) {
            auto row = m_rows.find(c.mnemonic + (c.query ? "?" : ""));
            Outcome o = row == m_rows.end() ? Outcome::invalid() : row->second(state, c);
            if (o.status != Outcome::Status::Ok) {
                ++state.errorCount;
                reply.push_back(errorLine(o));
                return reply;
            }
            reply.insert(reply.end(), o.lines.begin(), o.lines.end());
        }
        if (end == std::string_view::npos)
            return reply;
        line.remove_prefix(end + 1);
    }
}

} // namespace gensim
