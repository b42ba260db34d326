#include "gensim/Sequences.h"

#include "gensim/Generator.h"
#include "gensim/Numbers.h"

#include <algorithm>

namespace gensim {

namespace {

// A step whose delay is not set lasts this long while playing; none lasts
// less than the shortest delay, so the clock always moves on.
constexpr double kUnsetDelaySeconds = 1.0;
constexpr double kShortestDelaySeconds = 0.1;

SequenceState::Clock::duration lengthOf(const SequenceStep& step)
{
    double seconds = step.delay < 0 ? kUnsetDelaySeconds : std::max(step.delay, kShortestDelaySeconds);
    return std::chrono::duration_cast<SequenceState::Clock::duration>(std::chrono::duration<double>(seconds));
}

void setRegister(GeneratorState& s, std::string_view mnemonic, const std::string& args)
{
    if (const RegisterDef* def = Registers::find(mnemonic))
        s.registers.set(*def, args);
}

// The item a step names becomes the one loaded and in use.
void useItem(GeneratorState& s, ItemKind kind, const std::string& name)
{
    ItemSlot& slot = s.slot(kind);
    const StoredItem* item = slot.store.find(name);
    if (!item)
        return;
    const ItemKindDef& def = itemKind(kind);
    if (def.load && def.load(s, item).status != Outcome::Status::Ok)
        return;
    slot.loaded = slot.inUse = item->name;
    if (def.nameSelects)
        slot.named = item->name;
}

StoredItem sequence(std::string name, std::vector<SequenceStep> steps)
{
    StoredItem item{std::move(name)};
    item.steps = std::move(steps);
    return item;
}

} // namespace

void beginSequence(GeneratorState& s)
{
    s.sequence.buffer.clear();
    s.sequence.selected = 0;
}

void endSequence(GeneratorState& s)
{
    s.sequence.selected = 0;
}

void fillSequence(const GeneratorState& s, StoredItem& item)
{
    item.steps = s.sequence.buffer;
}

// Inside SEQB .. SEQE a sequence is loaded for reading into the buffer;
// outside it is loaded to run, at its first step.
Outcome loadSequence(GeneratorState& s, const StoredItem* item)
{
    SequenceState& q = s.sequence;
    if (s.slot(ItemKind::Sequence).editing) {
        q.buffer = item ? item->steps : std::vector<SequenceStep>{};
        q.selected = 0;
        return Outcome::ok();
    }
    q.runningName = item ? item->name : std::string();
    q.running = item ? item->steps : std::vector<SequenceStep>{};
    q.step = item ? 1 : 0;
    q.stepStarted = q.now();
    return Outcome::ok();
}

bool sequenceRunning(const GeneratorState& s)
{
    return s.sequence.step > 0 && s.registers.number("SMOD") >= 1;
}

const SequenceStep* currentStep(const GeneratorState& s)
{
    const SequenceState& q = s.sequence;
    if (q.step == 0 || q.step > q.running.size())
        return nullptr;
    return &q.running[q.step - 1];
}

void applyCurrentStep(GeneratorState& s)
{
    const SequenceStep* step = currentStep(s);
    if (!step)
        return;
    if (!step->format.empty())
        useItem(s, ItemKind::Format, step->format);
    if (!step->image.empty())
        useItem(s, ItemKind::Image, step->image);
    if (step->imageVersion >= 0)
        setRegister(s, "IVER", std::to_string(step->imageVersion));
    if (step->sync >= 0)
        setRegister(s, "SSST", std::to_string(step->sync));
    if (step->output >= 0)
        setRegister(s, "OUTG", std::to_string(step->output));
    if (step->gates >= 0) {
        std::string gates = std::to_string((step->gates >> 2) & 1);
        gates += ' ';
        gates += std::to_string((step->gates >> 1) & 1);
        gates += ' ';
        gates += std::to_string(step->gates & 1);
        setRegister(s, "XVSG", gates);
    }
}

void runSequenceClock(GeneratorState& s)
{
    SequenceState& q = s.sequence;
    if (s.registers.number("SMOD") != 3 || q.running.empty() || q.step == 0)
        return;
    const auto now = q.now();
    // Bounded: a clock moved on by hours passes each step at most once a round.
    for (std::size_t moved = 0; moved < 100000; ++moved) {
        const SequenceStep* step = currentStep(s);
        if (!step || now - q.stepStarted < lengthOf(*step))
            return;
        q.stepStarted += lengthOf(*step);
        q.step = q.step % q.running.size() + 1;
        applyCurrentStep(s);
    }
    q.stepStarted = now;
}

std::vector<StoredItem> builtInSequences()
{
    SequenceStep first{"DMT8075", "ColorBar", -1, 5.0, -1, -1, -1};
    SequenceStep second{"DMT1075", "SMPTEbar", -1, 5.0, 7, 7, 1};
    SequenceStep third{"", "Ramp", 2, 2.0, -1, 4, -1};
    return {sequence("NewSeq", {first, second, third})};
}

SequenceView Generator::sequence() const
{
    std::lock_guard lock(m_mutex);
    const SequenceState& q = m_state.sequence;
    const ItemSlot& slot = m_state.slot(ItemKind::Sequence);
    return {slot.editing, q.buffer, q.selected, q.runningName, q.step,
            static_cast<int>(m_state.registers.number("SMOD"))};
}

void Generator::advanceSequenceClock(std::chrono::milliseconds by)
{
    std::lock_guard lock(m_mutex);
    m_state.sequence.clockOffset += by;
}

} // namespace gensim
