#include "gensim/Registers.h"

#include "gensim/Numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace gensim {

namespace {

constexpr double kIntMin = std::numeric_limits<int>::min();
constexpr double kIntMax = std::numeric_limits<int>::max();
constexpr double kHuge = std::numeric_limits<double>::max();

// The number base: +-2..36; -1, 0 and 1 are no bases.
bool isBase(double v) { return v <= -2 || v >= 2; }

// The sync select codes the generator knows.
// Syncs 0-7 and 11, the DPMS states 8-10 and 13 ("DPMS ON").
bool isSyncSelect(double v)
{
    return (v >= 0 && v <= 11) || v == 13;
}

RegisterDef onOff(std::string_view m, std::string_view def, bool queryable = true)
{
    return {m, ValueKind::Switch, def, 0, 1, NumberForm::Integer, 0, true, queryable};
}

RegisterDef integer(std::string_view m, std::string_view def, double min, double max,
                    bool queryable = true)
{
    return {m, ValueKind::Int, def, min, max, NumberForm::Integer, 0, true, queryable};
}

RegisterDef real(std::string_view m, std::string_view def, double min, double max,
                 NumberForm form, int precision)
{
    return {m, ValueKind::Double, def, min, max, form, precision};
}

// What a stored format holds besides its name.
constexpr std::string_view kFormatFields[] = {
    "HRAT", "HRES", "HTOT", "HSPD", "HSPW", "HSPP", "HSPG", "VRES", "VTOT", "VSPD",
    "VSPW", "VSPP", "VSPG", "EQUB", "EQUA", "SCAN", "AVST", "DVST", "AVSS", "AVPS",
    "AVPG", "ASSS", "ASSG", "ASCT", "DSCT", "DSST", "SSST", "CSPP", "CSPG", "GAMA",
    "GAMC", "USIZ", "HSIZ", "VSIZ", "RFLD", "PCPG", "PELD", "AVCS",
};

std::vector<RegisterDef> makeTable()
{
    using NF = NumberForm;
    std::vector<RegisterDef> t = {
        onOff("AVPG", "0"), onOff("CSPG", "1"), onOff("HSPG", "1"), onOff("VSPG", "1"),
        onOff("CSPP", "0"), onOff("HSPP", "0"), onOff("VSPP", "0"), onOff("GAMC", "0"),
        onOff("ISUB", "0", false), onOff("PCPG", "0"), onOff("RFLD", "0"),

        integer("AVCS", "0", 0, 4), integer("AVST", "1", kIntMin, kIntMax),
        integer("DNUM", "0", 0, 2), integer("DVST", "0", 0, kIntMax),
        integer("EQUA", "3", 0, kIntMax), integer("EQUB", "3", 0, kIntMax),
        integer("HRES", "640", 16, kIntMax), integer("HSPD", "16", 1, kIntMax),
        integer("HSPW", "96", 1, kIntMax), integer("HTOT", "800", 2, 65536),
        integer("IVER", "0", kIntMin, kIntMax), integer("LMAX", "255", kIntMin, kIntMax, false),
        integer("PELD", "8", kIntMin, kIntMax), integer("SCAN", "1", 1, 2),
        integer("SIZE", "8", kIntMin, kIntMax), integer("SLUT", "0", kIntMin, kIntMax, false),
        integer("SMOD", "0", 0, 3), integer("STEP", "1", 1, kIntMax),
        integer("SVSG", "-1", kIntMin, kIntMax), integer("USIZ", "0", 0, 2),
        integer("VRES", "480", 1, kIntMax), integer("VSPD", "10", 0, kIntMax),
        integer("VSPW", "2", kIntMin, kIntMax), integer("VTOT", "525", 2, kIntMax),
        integer("XRES", "0", 0, kIntMax, false), integer("YRES", "0", 0, kIntMax, false),
        integer("ASCT", "0", 0, 15), integer("DSCT", "0", 0, 15), integer("DSST", "0", 0, 5),

        real("ASSS", "0.286", 0, 0.307, NF::Fixed, 3), real("AVPS", "7.5", 0, 100, NF::Fixed, 4),
        real("AVSS", "0.714", 0, 1, NF::Fixed, 3), real("GAMA", "2.2", -kHuge, kHuge, NF::Fixed, 5),
        real("HRAT", "31469", 10, kHuge, NF::Fixed, 4), real("HSIZ", "280", -kHuge, kHuge, NF::Fixed, 4),
        real("VSIZ", "210", -kHuge, kHuge, NF::Fixed, 4), real("SDLY", "1", -kHuge, kHuge, NF::General, 3),

        {"XVSG", ValueKind::Triple, "1 1 1", kIntMin, kIntMax},
        {"ASSG", ValueKind::Flags, "0,1,0", 0, 1, NF::Integer, 0, true, true, ','},
        {"VBPR", ValueKind::Flags, "1 1 1", 0, 1, NF::Integer, 0, false, true},

    };
    RegisterDef base = integer("BASE", "10", -36, 36);
    base.accepts = isBase;
    RegisterDef ssst = integer("SSST", "7", 0, 13);
    ssst.accepts = isSyncSelect;
    // "OUTG 1 0" names the outputs it switches; the generator has one set.
    RegisterDef outg = integer("OUTG", "1", kIntMin, kIntMax);
    outg.optionalArgs = 1;
    t.insert(t.end(), {base, ssst, outg});
    for (RegisterDef& def : t) {
        def.formatField = std::find(std::begin(kFormatFields), std::end(kFormatFields), def.mnemonic)
            != std::end(kFormatFields);
        if (def.mnemonic == "RFLD")
            def.sinceFirmware = 3.0;
        else if (def.mnemonic == "ISUB")
            def.sinceFirmware = 7.03;
        else if (def.mnemonic == "VBPR")
            def.sinceFirmware = 7.04;
    }
    return t;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> splitWords(std::string_view s, char separator)
{
    std::vector<std::string_view> words;
    s = trim(s);
    if (s.empty())
        return words;
    if (separator != ' ') {
        for (std::size_t at; (at = s.find(separator)) != std::string_view::npos; s.remove_prefix(at + 1))
            words.push_back(trim(s.substr(0, at)));
        words.push_back(trim(s));
        return words;
    }
    while (!s.empty()) {
        std::size_t end = s.find_first_of(" \t");
        words.push_back(s.substr(0, end));
        s = trim(end == std::string_view::npos ? std::string_view() : s.substr(end));
    }
    return words;
}

std::size_t partsOf(ValueKind kind)
{
    return kind == ValueKind::Triple || kind == ValueKind::Flags ? 3 : 1;
}

bool wantsWhole(ValueKind kind)
{
    return kind != ValueKind::Double;
}

} // namespace

const std::vector<RegisterDef>& Registers::table()
{
    static const std::vector<RegisterDef> t = makeTable();
    return t;
}

const RegisterDef* Registers::find(std::string_view mnemonic)
{
    for (const RegisterDef& def : table())
        if (def.mnemonic == mnemonic)
            return &def;
    return nullptr;
}

Registers::Registers() { reset(); }

void Registers::reset()
{
    m_values.clear();
    for (const RegisterDef& def : table())
        if (set(def, def.defaultValue).status != Outcome::Status::Ok)
            throw std::logic_error("bad default for " + std::string(def.mnemonic));
}

Outcome Registers::set(const RegisterDef& def, std::string_view args)
{
    Value value;
    if (def.kind == ValueKind::Text) {
        value.text = trim(args);
    } else {
        auto words = splitWords(args, def.separator);
        std::size_t parts = partsOf(def.kind);
        if (words.size() < parts || words.size() > parts + def.optionalArgs)
            return Outcome::failed(ExecError::ArgumentCount);
        Outcome checked = setNumbers(def, words, parts, value);
        if (checked.status != Outcome::Status::Ok)
            return checked;
    }
    m_values[def.mnemonic] = std::move(value);
    return Outcome::ok();
}

// Checks every word (the ignored optional ones too) before anything is kept.
Outcome Registers::setNumbers(const RegisterDef& def, const std::vector<std::string_view>& words,
                              std::size_t count, Value& value) const
{
    for (std::size_t i = 0; i < words.size(); ++i) {
        double v = 0;
        if (!parseNumber(words[i], v) || (wantsWhole(def.kind) && v != std::floor(v)))
            return Outcome::failed(ExecError::NotANumber);
        if (i >= count)
            continue;
        if (v < def.min || v > def.max || (def.accepts && !def.accepts(v)))
            return Outcome::failed(ExecError::OutOfRange);
        value.numbers[i] = v;
    }
    return Outcome::ok();
}

std::string Registers::reply(const RegisterDef& def) const
{
    auto it = m_values.find(def.mnemonic);
    if (it == m_values.end())
        return {};
    const Value& v = it->second;
    switch (def.kind) {
    case ValueKind::Text:
        return v.text;
    case ValueKind::Triple:
    case ValueKind::Flags:
        return formatInteger(v.numbers[0]) + "," + formatInteger(v.numbers[1]) + ","
            + formatInteger(v.numbers[2]);
    default:
        break;
    }
    switch (def.form) {
    case NumberForm::Fixed:
        return formatFixed(v.numbers[0], def.precision);
    case NumberForm::General:
        return formatGeneral(v.numbers[0], def.precision);
    case NumberForm::Integer:
        break;
    }
    return formatInteger(v.numbers[0]);
}

std::string Registers::setterText(const RegisterDef& def) const
{
    auto it = m_values.find(def.mnemonic);
    if (it == m_values.end())
        return {};
    const Value& v = it->second;
    if (def.kind == ValueKind::Text)
        return v.text;
    auto shortest = [](double x) {
        char buffer[64];
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, x == 0 ? 0.0 : x);
        return ec == std::errc() ? std::string(buffer, end) : std::string("0");
    };
    std::string text = shortest(v.numbers[0]);
    for (std::size_t i = 1; i < partsOf(def.kind); ++i) {
        text += def.separator;
        text += shortest(v.numbers[i]);
    }
    return text;
}

double Registers::number(std::string_view mnemonic, std::size_t part) const
{
    auto it = m_values.find(mnemonic);
    return it == m_values.end() || part >= 3 ? 0 : it->second.numbers[part];
}

std::map<std::string, std::string, std::less<>> Registers::formatFields() const
{
    std::map<std::string, std::string, std::less<>> fields;
    for (const RegisterDef& def : table())
        if (def.formatField)
            fields[std::string(def.mnemonic)] = setterText(def);
    return fields;
}

Outcome Registers::setFormatFields(const std::map<std::string, std::string, std::less<>>& fields)
{
    Registers changed = *this;
    for (const auto& [mnemonic, text] : fields) {
        const RegisterDef* def = find(mnemonic);
        if (!def || !def->formatField)
            return Outcome::failed(ExecError::ArgumentCount);
        Outcome o = changed.set(*def, text);
        if (o.status != Outcome::Status::Ok)
            return o;
    }
    *this = std::move(changed);
    return Outcome::ok();
}

std::optional<std::string> Registers::reply(std::string_view mnemonic) const
{
    const RegisterDef* def = find(mnemonic);
    if (!def)
        return std::nullopt;
    return reply(*def);
}

} // namespace gensim
