// The format edit buffer's own commands; its setters are the register rows,
// which work on the buffer while it is open.

#include "gensim/Arguments.h"
#include "gensim/CommandInterpreter.h"
#include "gensim/FormatCheck.h"
#include "gensim/Generator.h"

namespace gensim {

void CommandInterpreter::addFormatRows()
{
    addRow("NAME", [](GeneratorState& s, const Command& c) {
        auto name = nameArgument(c.args);
        if (!name)
            return Outcome::failed(ExecError::InvalidFormatName);
        s.formatOwnName = *name;
        return Outcome::ok();
    });
    addRow("FMTG?", [](GeneratorState& s, const Command& c) {
        if (!c.words.empty())
            return Outcome::failed(ExecError::ArgumentCount);
        int error = s.formatCheck ? *s.formatCheck : checkFormat(s.formatBuffer);
        return Outcome::ok({std::to_string(error)});
    });
}

} // namespace gensim
