// Splits a command line at ";" and runs each command through a table of
// mnemonics, so a new command is a new row.
#pragma once

#include "gensim/Outcome.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace gensim {

struct GeneratorState;

struct Command {
    std::string mnemonic;  // upper case, without the "?"
    bool query = false;
    std::string args;      // the text after the mnemonic, blanks trimmed
    std::vector<std::string> words;  // args split at blanks
};

class CommandInterpreter {
public:
    using Handler = std::function<Outcome(GeneratorState&, const Command&)>;

    CommandInterpreter();

    // key: the mnemonic, with "?" for the query form ("VERF?", "INIT").
    void addRow(std::string key, Handler handler);

    // The reply lines of the whole line; a refused command ends the line
    // with its error text.
    std::vector<std::string> run(GeneratorState& state, std::string_view line) const;

    static Command parse(std::string_view text);

private:
    void addRegisterRows();
    void addIdentityRows();
    void addControlRows();
    void addStoreRows();
    void addDirectoryRows();
    void addFormatRows();
    void addMemoryRows();
    void addImageRows();
    void addSequenceRows();
    void addPixelMapRows();
    void addVideoRows();
    void addMemoryFileRows();
    void addFontRows();

    std::map<std::string, Handler, std::less<>> m_rows;
};

} // namespace gensim
