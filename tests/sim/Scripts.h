// Tables of command lines and the replies a fresh generator gives them, in
// order, each table on its own generator.
#pragma once

#include "SimFixture.h"

#include <ostream>
#include <string>
#include <vector>

namespace gensim::test {

struct Step {
    std::string line;
    std::string reply;  // reply lines joined by CR LF
};

struct Script {
    std::string name;
    std::vector<Step> steps;
    std::string firmware = "7.011";
};

inline void PrintTo(const Script& s, std::ostream* os) { *os << s.name << " (firmware " << s.firmware << ")"; }

class ScriptFixture : public SimFixture, public ::testing::WithParamInterface<Script> {
protected:
    void SetUp() override { openFirmware(GetParam().firmware); }

    void runScript()
    {
        for (const Step& step : GetParam().steps)
            EXPECT_EQ(reply(step.line), step.reply) << GetParam().name << ": " << step.line;
    }
};

} // namespace gensim::test
