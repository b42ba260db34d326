// The commands of sequences. Between SEQB and SEQE the step setters and
// their queries (FMTL, IMGL, IVER, SDLY, SSST, SVSG, XVSG, OUTG) work on the
// step STEP chose; outside it they keep their usual meaning, except that a
// running sequence answers SVSG? and SDLY? from its current step. The run
// mode: STEP, NSTP?, SMOD, the apply commands and the sequence knob.

#include "gensim/Arguments.h"
#include "gensim/CommandInterpreter.h"
#include "gensim/Generator.h"
#include "gensim/Numbers.h"

namespace gensim {

namespace {

using Handler = CommandInterpreter::Handler;

bool editing(const GeneratorState& s) { return s.slot(ItemKind::Sequence).editing; }

bool loaded(const GeneratorState& s) { return s.sequence.step > 0; }

// The step STEP chose in the buffer, or nullptr.
SequenceStep* selectedStep(GeneratorState& s)
{
    SequenceState& q = s.sequence;
    return q.selected == 0 || q.selected > q.buffer.size() ? nullptr : &q.buffer[q.selected - 1];
}

bool wholeWord(const Command& c, std::size_t index, long long& value)
{
    return index < c.words.size() && wholeNumber(c.words[index], value);
}

// One integer argument within low..high (and `more` trailing ones ignored).
Outcome readInt(const Command& c, long long low, long long high, int& out, std::size_t more = 0)
{
    if (c.words.empty() || c.words.size() > 1 + more)
        return Outcome::failed(ExecError::ArgumentCount);
    long long v = 0;
    if (!wholeWord(c, 0, v))
        return Outcome::failed(ExecError::NotANumber);
    if (v < low || v > high)
        return Outcome::failed(ExecError::OutOfRange);
    out = static_cast<int>(v);
    return Outcome::ok();
}

bool isSyncCode(int code) { return code == -1 || (code >= 0 && code <= 11) || code == 13; }

// --- A step's fields ----------------------------------------------------------------

struct StepField {
    const char* mnemonic;
    Outcome (*set)(SequenceStep&, const Command&);
    std::string (*reply)(const SequenceStep&);
    bool nameQuery;  // "FMTL?" with a name asks whether the item exists, as always
};

Outcome setName(std::string SequenceStep::*field, SequenceStep& step, const Command& c)
{
    auto name = nameArgument(c.args);
    if (!name)
        return Outcome::failed(ExecError::OutOfRange);
    step.*field = *name;
    return Outcome::ok();
}

std::string gatesText(int gates)
{
    if (gates < 0)
        return "-1,-1,-1";
    std::string text = std::to_string((gates >> 2) & 1);
    text += ',';
    text += std::to_string((gates >> 1) & 1);
    text += ',';
    text += std::to_string(gates & 1);
    return text;
}

const StepField kStepFields[] = {
    {"FMTL", [](SequenceStep& st, const Command& c) { return setName(&SequenceStep::format, st, c); },
     [](const SequenceStep& st) { return st.format; }, true},
    {"IMGL", [](SequenceStep& st, const Command& c) { return setName(&SequenceStep::image, st, c); },
     [](const SequenceStep& st) { return st.image; }, true},
    {"IVER", [](SequenceStep& st, const Command& c) { return readInt(c, -1, 255, st.imageVersion); },
     [](const SequenceStep& st) { return std::to_string(st.imageVersion); }, false},
    {"SDLY",
     [](SequenceStep& st, const Command& c) {
         if (c.words.size() != 1)
             return Outcome::failed(ExecError::ArgumentCount);
         double v = 0;
         if (!parseNumber(c.words[0], v))
             return Outcome::failed(ExecError::NotANumber);
         st.delay = v < 0 ? -1.0 : v;
         return Outcome::ok();
     },
     [](const SequenceStep& st) { return formatGeneral(st.delay, 3); }, false},
    {"SSST",
     [](SequenceStep& st, const Command& c) {
         int code = 0;
         Outcome o = readInt(c, -1, 13, code);
         if (o.status == Outcome::Status::Ok && !isSyncCode(code))
             return Outcome::failed(ExecError::OutOfRange);
         if (o.status == Outcome::Status::Ok)
             st.sync = code;
         return o;
     },
     [](const SequenceStep& st) { return std::to_string(st.sync); }, false},
    {"SVSG", [](SequenceStep& st, const Command& c) { return readInt(c, -1, 7, st.gates); },
     [](const SequenceStep& st) { return std::to_string(st.gates); }, false},
    {"XVSG",
     [](SequenceStep& st, const Command& c) {
         if (c.words.size() != 3)
             return Outcome::failed(ExecError::ArgumentCount);
         int bits = 0;
         for (std::size_t i = 0; i < 3; ++i) {
             long long v = 0;
             if (!wholeWord(c, i, v))
                 return Outcome::failed(ExecError::NotANumber);
             if (v != 0 && v != 1)
                 return Outcome::failed(ExecError::OutOfRange);
             bits = bits * 2 + static_cast<int>(v);
         }
         st.gates = bits;
         return Outcome::ok();
     },
     [](const SequenceStep& st) { return gatesText(st.gates); }, false},
    {"OUTG", [](SequenceStep& st, const Command& c) { return readInt(c, -1, 1, st.output, 1); },
     [](const SequenceStep& st) { return std::to_string(st.output); }, false},
};

// Inside the buffer the field of the chosen step; outside, the row as before.
Handler stepSetter(const StepField& field, Handler before)
{
    return [&field, before = std::move(before)](GeneratorState& s, const Command& c) {
        if (!editing(s))
            return before(s, c);
        SequenceStep* step = selectedStep(s);
        return step ? field.set(*step, c) : Outcome::failed(ExecError::OutOfRange);
    };
}

Handler stepQuery(const StepField& field, Handler before)
{
    return [&field, before = std::move(before)](GeneratorState& s, const Command& c) {
        if (field.nameQuery && !c.args.empty())
            return before(s, c);
        if (editing(s)) {
            if (!c.words.empty())
                return Outcome::failed(ExecError::ArgumentCount);
            SequenceStep* step = selectedStep(s);
            return step ? Outcome::ok({field.reply(*step)}) : Outcome::failed(ExecError::OutOfRange);
        }
        // A running sequence reads its gates and delay from its step.
        const std::string_view m = field.mnemonic;
        if ((m == "SVSG" || m == "SDLY") && sequenceRunning(s) && currentStep(s))
            return Outcome::ok({field.reply(*currentStep(s))});
        return before(s, c);
    };
}

// --- Steps ---------------------------------------------------------------------------

// In the buffer: choose a step, or make the next one. Running: go to a step.
Outcome setStep(GeneratorState& s, const Command& c, const Handler& before)
{
    SequenceState& q = s.sequence;
    if (!editing(s) && !loaded(s))
        return before(s, c);
    int n = 0;
    Outcome o = readInt(c, 1, 1000000, n);
    if (o.status != Outcome::Status::Ok)
        return o;
    const std::size_t at = static_cast<std::size_t>(n);
    if (editing(s)) {
        if (at > q.buffer.size() + 1)
            return Outcome::failed(ExecError::OutOfRange);
        if (at == q.buffer.size() + 1)
            q.buffer.emplace_back();
        q.selected = at;
        return Outcome::ok();
    }
    if (at > q.running.size()) {
        // Older firmware holds at the last step.
        if (s.firmware >= kCountedSequenceFirmware || q.running.empty())
            return Outcome::failed(ExecError::OutOfRange);
        q.step = q.running.size();
    } else {
        q.step = at;
    }
    q.stepStarted = q.now();
    return Outcome::ok();
}

Outcome stepQueryRow(GeneratorState& s, const Command& c, const Handler& before)
{
    if (editing(s))
        return Outcome::ok({std::to_string(s.sequence.selected)});
    if (loaded(s))
        return Outcome::ok({std::to_string(s.sequence.step)});
    return before(s, c);
}

Outcome countSteps(GeneratorState& s, const Command& c)
{
    if (s.firmware < kCountedSequenceFirmware)
        return Outcome::invalid();
    if (!c.words.empty())
        return Outcome::failed(ExecError::ArgumentCount);
    const std::size_t n = editing(s) ? s.sequence.buffer.size() : s.sequence.running.size();
    return Outcome::ok({std::to_string(n)});
}

// KNOB 2 n turns the sequence knob n clicks: stepping stops at the ends,
// with wrap (SMOD 2) or while playing it goes round.
Outcome turnKnob(GeneratorState& s, const Command& c)
{
    if (c.words.size() != 2)
        return Outcome::failed(ExecError::ArgumentCount);
    long long knob = 0, clicks = 0;
    if (!wholeWord(c, 0, knob) || !wholeWord(c, 1, clicks))
        return Outcome::failed(ExecError::NotANumber);
    if (knob != 1 && knob != 2)
        return Outcome::failed(ExecError::OutOfRange);
    SequenceState& q = s.sequence;
    if (knob != 2 || !loaded(s) || q.running.empty())
        return Outcome::ok();
    const long long count = static_cast<long long>(q.running.size());
    long long step = static_cast<long long>(q.step) - 1 + clicks;
    if (s.registers.number("SMOD") >= 2)
        step = ((step % count) + count) % count;
    else
        step = std::clamp(step, 0LL, count - 1);
    q.step = static_cast<std::size_t>(step) + 1;
    q.stepStarted = q.now();
    applyCurrentStep(s);
    return Outcome::ok();
}

} // namespace

void CommandInterpreter::addSequenceRows()
{
    auto wrap = [this](const std::string& key, auto make) {
        Handler before = m_rows.at(key);
        m_rows[key] = make(std::move(before));
    };
    for (const StepField& field : kStepFields) {
        const std::string m = field.mnemonic;
        wrap(m, [&field](Handler before) { return stepSetter(field, std::move(before)); });
        wrap(m + "?", [&field](Handler before) { return stepQuery(field, std::move(before)); });
    }
    wrap("STEP", [](Handler before) {
        return [before = std::move(before)](GeneratorState& s, const Command& c) { return setStep(s, c, before); };
    });
    wrap("STEP?", [](Handler before) {
        return [before = std::move(before)](GeneratorState& s, const Command& c) { return stepQueryRow(s, c, before); };
    });
    // Applying puts out the current step of a running sequence too.
    for (const char* key : {"SEQU", "ALLU"}) {
        wrap(key, [](Handler before) {
            return [before = std::move(before)](GeneratorState& s, const Command& c) {
                Outcome o = before(s, c);
                if (o.status == Outcome::Status::Ok && sequenceRunning(s))
                    applyCurrentStep(s);
                return o;
            };
        });
    }
    wrap("SMOD", [](Handler before) {
        return [before = std::move(before)](GeneratorState& s, const Command& c) {
            Outcome o = before(s, c);
            if (o.status == Outcome::Status::Ok)
                s.sequence.stepStarted = s.sequence.now();
            return o;
        };
    });
    addRow("NSTP?", countSteps);
    addRow("KNOB", turnKnob);
}

} // namespace gensim
