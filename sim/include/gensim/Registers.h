// The generator's setting registers: one table row per mnemonic, so a new
// setting is a new row.
#pragma once

#include "gensim/Outcome.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gensim {

enum class ValueKind {
    Switch,  // 0 or 1
    Int,
    Double,
    Text,    // the rest of the command, as given
    Triple,  // three integers, reply "a,b,c"
    Flags,   // three 0/1 flags, reply "a,b,c"
};

enum class NumberForm { Integer, Fixed, General };

struct RegisterDef {
    std::string_view mnemonic;
    ValueKind kind;
    std::string_view defaultValue;  // in the form the setter takes
    double min;
    double max;
    NumberForm form = NumberForm::Integer;
    int precision = 0;              // decimals (Fixed) or digits (General)
    bool settable = true;
    bool queryable = true;
    char separator = ' ';           // between the arguments of a three-part setter
    int optionalArgs = 0;           // trailing arguments taken and ignored
    bool (*accepts)(double) = nullptr;  // a rule beyond min..max
    bool formatField = false;       // part of a stored format
    double sinceFirmware = 0;       // older firmware does not know the mnemonic
};

class Registers {
public:
    Registers();

    static const std::vector<RegisterDef>& table();
    static const RegisterDef* find(std::string_view mnemonic);

    void reset();
    // Stores the value given by the setter's argument text.
    Outcome set(const RegisterDef& def, std::string_view args);
    // The query's reply line.
    std::string reply(const RegisterDef& def) const;
    std::optional<std::string> reply(std::string_view mnemonic) const;
    // The value as its setter takes it, without loss ("31469", "1,0,1").
    std::string setterText(const RegisterDef& def) const;
    // One part of a numeric value; 0 for an unknown mnemonic.
    double number(std::string_view mnemonic, std::size_t part = 0) const;

    // The format fields in setter form, by mnemonic.
    std::map<std::string, std::string, std::less<>> formatFields() const;
    // Takes what a stored format holds; a field that does not fit is refused
    // and nothing is changed.
    Outcome setFormatFields(const std::map<std::string, std::string, std::less<>>& fields);

private:
    struct Value {
        std::array<double, 3> numbers{};
        std::string text;
    };

    Outcome setNumbers(const RegisterDef& def, const std::vector<std::string_view>& words,
                       std::size_t count, Value& value) const;

    std::map<std::string_view, Value> m_values;
};

} // namespace gensim
