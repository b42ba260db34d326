// The commands of an image download: the DMA block and its start, the
// three-board switch, the lookup table, and the video depth query.
#include "gensim/CommandInterpreter.h"
#include "gensim/Generator.h"
#include "gensim/Arguments.h"

#include <algorithm>

#include <cctype>

namespace gensim {

namespace {

bool isThreeBoardModel(const std::string& model)
{
    if (model.size() < 3)
        return false;
    return std::toupper(static_cast<unsigned char>(model[0])) == 'R' && model[1] == '7' && model[2] == '2';
}

bool intArgument(const std::string& word, long long& value)
{
    return wholeNumber(word, value);
}


// "BDMA start rowLength rows board".
Outcome blockDma(GeneratorState& s, const Command& c)
{
    if (c.words.size() != 4)
        return Outcome::failed(ExecError::ArgumentCount);
    long long v[4] = {};
    for (std::size_t i = 0; i < 4; ++i)
        if (!intArgument(c.words[i], v[i]))
            return Outcome::failed(ExecError::NotANumber);
    const bool threeBoards = isThreeBoardModel(s.options.model) && s.video.boardMode;
    const int boards = threeBoards ? 3 : 1;
    if (v[0] < 0 || v[1] < 1 || v[2] < 1 || v[3] < 0 || v[3] >= boards)
        return Outcome::failed(ExecError::OutOfRange);
    DmaBlock block;
    block.start = static_cast<std::uint64_t>(v[0]);
    block.rowLength = static_cast<std::uint32_t>(std::min<long long>(v[1], VideoBoards::kBoardBytes));
    block.rows = static_cast<std::uint32_t>(std::min<long long>(v[2], VideoBoards::kBoardBytes));
    block.board = static_cast<int>(v[3]);
    block.pitch = VideoBoards::pitch(threeBoards, s.options.videoDepth, static_cast<int>(s.registers.number("HRES")));
    // Rows wider than the pitch would overlap; nothing lands past the board.
    if (block.rowLength > block.pitch
        || block.start + (block.rows - 1) * block.pitch + block.rowLength > VideoBoards::kBoardBytes)
        return Outcome::failed(ExecError::OutOfRange);
    s.video.pending = block;
    return Outcome::ok();
}

} // namespace

void CommandInterpreter::addVideoRows()
{
    addRow("BDMA", blockDma);
    // "SERM DMA": the line carries the pending block's bytes from now on.
    addRow("SERM", [](GeneratorState& s, const Command& c) {
        if (c.words.size() != 1)
            return Outcome::failed(ExecError::ArgumentCount);
        if (c.words[0] != "DMA" && c.words[0] != "dma")
            return Outcome::failed(ExecError::OutOfRange);
        if (!s.video.pending)
            return Outcome::failed(ExecError::OutOfRange);
        s.video.receiving = s.video.pending;
        s.video.pending.reset();
        s.video.received = 0;
        s.video.lastData = VideoBoards::Clock::now();
        return Outcome::ok();
    });
    addRow("SBNK", [](GeneratorState& s, const Command& c) {
        if (!c.words.empty())
            return Outcome::failed(ExecError::ArgumentCount);
        if (!isThreeBoardModel(s.options.model))
            return Outcome::invalid();
        s.video.boardMode = !s.video.boardMode;
        return Outcome::ok();
    });
    addRow("LUTE", [](GeneratorState&, const Command& c) {
        return c.words.empty() ? Outcome::ok() : Outcome::failed(ExecError::ArgumentCount);
    });
    // "RGBW index red green blue": one entry of the lookup table.
    addRow("RGBW", [](GeneratorState& s, const Command& c) {
        if (c.words.size() != 4)
            return Outcome::failed(ExecError::ArgumentCount);
        long long v[4] = {};
        for (std::size_t i = 0; i < 4; ++i)
            if (!intArgument(c.words[i], v[i]))
                return Outcome::failed(ExecError::NotANumber);
        if (v[0] < 0 || v[0] >= VideoBoards::kLutEntries)
            return Outcome::failed(ExecError::OutOfRange);
        for (std::size_t i = 1; i < 4; ++i)
            if (v[i] < 0 || v[i] > 255)
                return Outcome::failed(ExecError::OutOfRange);
        s.video.lut[static_cast<std::size_t>(v[0])]
            = static_cast<std::uint32_t>(v[1] | (v[2] << 8) | (v[3] << 16));
        return Outcome::ok();
    });
    // "PELD?" is the format's field; "PELD? GE" the depth of the video memory.
    const RegisterDef& peld = *Registers::find("PELD");
    addRow("PELD?", [&peld](GeneratorState& s, const Command& c) {
        if (c.words.size() == 1 && (c.words[0] == "GE" || c.words[0] == "ge"))
            return Outcome::ok({std::to_string(s.options.videoDepth)});
        if (!c.words.empty())
            return Outcome::failed(ExecError::ArgumentCount);
        return Outcome::ok({s.settingsFor(peld).reply(peld)});
    });
}

} // namespace gensim
