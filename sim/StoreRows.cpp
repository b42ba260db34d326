// The stored-item families: every command spelled whole with its kind and
// operation, what the operations do, and the directory entry commands.

#include "gensim/Arguments.h"
#include "gensim/CommandInterpreter.h"
#include "gensim/Generator.h"

#include <algorithm>

namespace gensim {

namespace {

// Longest list one query answers.
constexpr long long kMaxListCount = 450;

using Rows = std::vector<std::pair<std::string, bool>>;  // name, user flag

Outcome boolReply(bool value) { return Outcome::ok({value ? "1" : "0"}); }

// "first count", with " x" for the user flags where the firmware knows it.
// A first below 1 starts at 1; a count is cut to what one reply holds.
Outcome listReply(const Command& c, const Rows& rows, bool flagFormKnown)
{
    const auto& w = c.words;
    bool flags = w.size() == 3 && flagFormKnown && (w[2] == "x" || w[2] == "X");
    if (w.size() != 2 && !flags)
        return Outcome::failed(ExecError::ArgumentCount);
    long long first = 0, count = 0;
    if (!wholeNumber(w[0], first) || !wholeNumber(w[1], count))
        return Outcome::failed(ExecError::NotANumber);
    first = std::max(first, 1LL);
    count = std::min(count, kMaxListCount);
    std::vector<std::string> lines;
    for (long long i = first - 1; i < static_cast<long long>(rows.size()) && i < first - 1 + count; ++i) {
        const auto& [name, user] = rows[static_cast<std::size_t>(i)];
        lines.push_back(flags ? name + (user ? ",1" : ",0") : name);
    }
    return Outcome::ok(std::move(lines));
}

Rows rowsOf(const Store& store)
{
    Rows rows;
    for (const StoredItem& item : store.items())
        rows.emplace_back(item.name, item.user);
    return rows;
}

// Room for `item` in place of what it replaces.
bool fits(const GeneratorState& s, const StoredItem* replaced, const StoredItem& item)
{
    std::uint64_t used = memoryUsed(s);
    if (replaced && replaced->user)
        used -= itemSize(*replaced);
    if (item.user)
        used += itemSize(item);
    return used <= s.memorySize;
}

// Stores `item`; the one it replaces keeps its built-in mark.
Outcome storeItem(GeneratorState& s, const ItemKindDef& def, StoredItem item)
{
    ItemSlot& slot = s.slot(def.kind);
    const StoredItem* old = slot.store.find(item.name);
    if (old && !old->user && !def.builtInOverwritable)
        return Outcome::failed(def.overwriteBuiltIn);
    item.user = !old || old->user;
    if (!fits(s, old, item))
        return Outcome::failed(ExecError::InsufficientMemory);
    slot.store.put(std::move(item));
    return Outcome::ok();
}

struct Family {
    const ItemKindDef& def;

    ItemSlot& slot(GeneratorState& s) const { return s.slot(def.kind); }

    std::optional<std::string> name(const Command& c) const { return nameArgument(c.args); }

    Outcome store(GeneratorState& s, const Command& c) const
    {
        auto given = name(c);
        if (!given)
            return Outcome::failed(def.invalidName);
        std::string n = given->empty() ? slot(s).named : *given;
        if (n.empty())
            return Outcome::failed(def.invalidName);
        if (!slot(s).building)
            return Outcome::failed(def.nothingToSave);
        StoredItem item{n};
        if (def.fill)
            def.fill(s, item);
        Outcome o = storeItem(s, def, std::move(item));
        if (o.status == Outcome::Status::Ok)
            slot(s).building = slot(s).editing = false;
        return o;
    }

    Outcome begin(GeneratorState& s) const
    {
        if (def.begin)
            def.begin(s);
        slot(s).building = slot(s).editing = true;
        return Outcome::ok();
    }

    Outcome end(GeneratorState& s) const
    {
        slot(s).editing = false;
        if (def.end)
            def.end(s);
        return Outcome::ok();
    }

    // The item a name argument refers to, or the refusal.
    Outcome find(GeneratorState& s, const Command& c, const StoredItem*& item) const
    {
        auto n = name(c);
        if (!n)
            return Outcome::failed(def.invalidName);
        item = slot(s).store.find(*n);
        return item ? Outcome::ok() : Outcome::failed(def.notFound);
    }

    Outcome remove(GeneratorState& s, const Command& c) const
    {
        const StoredItem* item = nullptr;
        Outcome o = find(s, c, item);
        if (o.status != Outcome::Status::Ok)
            return o;
        if (!item->user)
            return Outcome::failed(def.killBuiltIn);
        slot(s).store.remove(item->name);
        return Outcome::ok();
    }

    Outcome userQuery(GeneratorState& s, const Command& c) const
    {
        const StoredItem* item = nullptr;
        Outcome o = find(s, c, item);
        return o.status == Outcome::Status::Ok ? boolReply(item->user) : o;
    }

    Outcome load(GeneratorState& s, const Command& c) const
    {
        auto n = name(c);
        if (!n)
            return Outcome::failed(def.invalidName);
        const StoredItem* item = nullptr;
        if (!n->empty() && !(item = slot(s).store.find(*n)))
            return Outcome::failed(def.notFound);
        std::string loaded = item ? item->name : std::string();
        if (def.load) {
            Outcome o = def.load(s, item);
            if (o.status != Outcome::Status::Ok)
                return o;
        }
        slot(s).loaded = loaded;
        return Outcome::ok();
    }

    // With a name: whether it is held (formats answer its number in the
    // list, 0 for none). Without: the loaded item.
    Outcome loadedQuery(GeneratorState& s, const Command& c) const
    {
        if (c.args.empty()) {
            if (!def.loadedQuery)
                return Outcome::failed(ExecError::ArgumentCount);
            if (s.firmware < def.loadedQuerySince)
                return Outcome::invalid();
            return Outcome::ok({slot(s).loaded});
        }
        auto n = name(c);
        if (!n)
            return Outcome::failed(def.invalidName);
        std::size_t at = slot(s).store.position(*n);
        if (def.kind == ItemKind::Format)
            return Outcome::ok({std::to_string(at)});
        return boolReply(at != 0);
    }

    Outcome setName(GeneratorState& s, const Command& c) const
    {
        auto n = name(c);
        if (!n)
            return Outcome::failed(def.invalidName);
        slot(s).named = *n;
        if (def.name)
            def.name(s, *n);
        return Outcome::ok();
    }

    Outcome knob(GeneratorState& s, const Command& c) const
    {
        auto n = name(c);
        if (!n)
            return Outcome::failed(ExecError::InvalidIndexName);
        const StoredItem* dir = nullptr;
        if (!n->empty() && !(dir = s.slot(ItemKind::Directory).store.find(*n)))
            return Outcome::failed(ExecError::InvalidIndexName);
        slot(s).knobList = dir ? dir->name : std::string();
        return Outcome::ok();
    }

    Outcome list(GeneratorState& s, const Command& c) const
    {
        return listReply(c, rowsOf(slot(s).store), def.flagForm && s.firmware >= kFlagFormFirmware);
    }

    Outcome apply(GeneratorState& s) const
    {
        ItemSlot& kept = slot(s);
        kept.inUse = kept.loaded;
        const StoredItem* item = kept.store.find(kept.inUse);
        kept.inUseAnimated = item && item->animated;
        return Outcome::ok();
    }
};

using Handler = CommandInterpreter::Handler;

// Commands that take no arguments refuse any.
Handler bare(Family f, Outcome (Family::*op)(GeneratorState&) const)
{
    return [f, op](GeneratorState& s, const Command& c) {
        return c.words.empty() ? (f.*op)(s) : Outcome::failed(ExecError::ArgumentCount);
    };
}

Handler withArgs(Family f, Outcome (Family::*op)(GeneratorState&, const Command&) const)
{
    return [f, op](GeneratorState& s, const Command& c) { return (f.*op)(s, c); };
}

Handler answer(std::string ItemSlot::*field, ItemKind kind)
{
    return [field, kind](GeneratorState& s, const Command& c) {
        if (!c.words.empty())
            return Outcome::failed(ExecError::ArgumentCount);
        return Outcome::ok({s.slot(kind).*field});
    };
}

// Older firmware knows no such family.
Handler gated(const ItemKindDef& def, Handler h)
{
    if (def.aboveFirmware <= 0)
        return h;
    return [above = def.aboveFirmware, h = std::move(h)](GeneratorState& s, const Command& c) {
        return s.firmware > above ? h(s, c) : Outcome::invalid();
    };
}

ItemSlot& directories(GeneratorState& s) { return s.slot(ItemKind::Directory); }

// NAMI position name: an entry at a 1-based position of the directory being
// edited; one past the end appends. A directory holds what one list reply
// can give back.
Outcome insertEntry(GeneratorState& s, const Command& c)
{
    ItemSlot& d = directories(s);
    if (!d.workspace)
        return Outcome::failed(ExecError::NoDirectory);
    if (c.words.size() < 2)
        return Outcome::failed(ExecError::ArgumentCount);
    long long at = 0;
    if (!wholeNumber(c.words[0], at))
        return Outcome::failed(ExecError::NotANumber);
    if (at < 1 || at > static_cast<long long>(d.workspace->size()) + 1
        || d.workspace->size() >= static_cast<std::size_t>(kMaxListCount))
        return Outcome::failed(ExecError::OutOfRange);
    auto name = nameArgument(std::string_view(c.args).substr(c.words[0].size()));
    if (!name || name->empty())
        return Outcome::failed(ExecError::InvalidIndexName);
    d.workspace->insert(d.workspace->begin() + (at - 1), *name);
    return Outcome::ok();
}

Outcome removeEntry(GeneratorState& s, const Command& c)
{
    ItemSlot& d = directories(s);
    if (!d.workspace)
        return Outcome::failed(ExecError::NoDirectory);
    auto name = nameArgument(c.args);
    if (!name)
        return Outcome::failed(ExecError::InvalidIndexName);
    auto& e = *d.workspace;
    auto it = std::find_if(e.begin(), e.end(), [&](const std::string& x) { return Store::sameName(x, *name); });
    if (it == e.end())
        return Outcome::failed(ExecError::InvalidIndexName);
    e.erase(it);
    return Outcome::ok();
}

Outcome listEntries(GeneratorState& s, const Command& c)
{
    ItemSlot& d = directories(s);
    if (!d.workspace)
        return Outcome::failed(ExecError::NoDirectory);
    Rows rows;
    for (const std::string& e : *d.workspace)
        rows.emplace_back(e, true);
    return listReply(c, rows, false);
}

// DIRS: the loaded directory is saved back under its name.
Outcome saveDirectory(GeneratorState& s, const Command& c)
{
    if (!c.words.empty())
        return Outcome::failed(ExecError::ArgumentCount);
    ItemSlot& d = directories(s);
    if (!d.workspace || d.workspaceName.empty())
        return Outcome::failed(ExecError::NoDirectory);
    StoredItem item{d.workspaceName};
    item.entries = *d.workspace;
    Outcome o = storeItem(s, itemKind(ItemKind::Directory), std::move(item));
    if (o.status == Outcome::Status::Ok)
        d.building = d.editing = false;
    return o;
}

// ANIM? name: whether the image moves (from firmware 3.07).
Outcome animatedQuery(GeneratorState& s, const Command& c)
{
    if (s.firmware < 3.07)
        return Outcome::invalid();
    const ItemKindDef& def = itemKind(ItemKind::Image);
    auto name = nameArgument(c.args);
    if (!name || name->empty())
        return Outcome::failed(def.invalidName);
    const ItemSlot& images = s.slot(ItemKind::Image);
    if (const StoredItem* item = images.store.find(*name))
        return boolReply(item->animated);
    if (!images.inUse.empty() && Store::sameName(*name, images.inUse))
        return boolReply(images.inUseAnimated);
    return Outcome::failed(def.notFound);
}

} // namespace

namespace {

// What a stored-item command does.
enum class ItemOp {
    Store,      // A name
    Begin,      // B
    End,        // E
    Delete,     // K name
    UserQuery,  // K? name
    Load,       // L name (an empty name unloads)
    Exists,     // L? name, or the loaded item
    Name,       // N name
    Named,      // N?
    Knob,       // P directory
    KnobQuery,  // P?
    List,       // Q? first count [x]
    Apply,      // U
    InUse,      // U?
};

struct FamilyCommand {
    std::string_view mnemonic;
    ItemKind kind;
    ItemOp op;
};

using K = ItemKind;
using Op = ItemOp;

// Every stored-item command as the host spells it.
constexpr FamilyCommand kFamilyCommands[] = {
    {"DIRA", K::Directory, Op::Store}, {"DIRB", K::Directory, Op::Begin}, {"DIRE", K::Directory, Op::End},
    {"DIRK", K::Directory, Op::Delete}, {"DIRK?", K::Directory, Op::UserQuery}, {"DIRL", K::Directory, Op::Load},
    {"DIRL?", K::Directory, Op::Exists}, {"DIRN", K::Directory, Op::Name}, {"DIRQ?", K::Directory, Op::List},

    {"FMTA", K::Format, Op::Store}, {"FMTB", K::Format, Op::Begin}, {"FMTE", K::Format, Op::End},
    {"FMTK", K::Format, Op::Delete}, {"FMTK?", K::Format, Op::UserQuery}, {"FMTL", K::Format, Op::Load},
    {"FMTL?", K::Format, Op::Exists}, {"FMTN", K::Format, Op::Name}, {"FMTP", K::Format, Op::Knob},
    {"FMTP?", K::Format, Op::KnobQuery}, {"FMTQ?", K::Format, Op::List}, {"FMTU", K::Format, Op::Apply},
    {"FMTU?", K::Format, Op::InUse},

    {"IMGA", K::Image, Op::Store}, {"IMGB", K::Image, Op::Begin}, {"IMGE", K::Image, Op::End},
    {"IMGK", K::Image, Op::Delete}, {"IMGK?", K::Image, Op::UserQuery}, {"IMGL", K::Image, Op::Load},
    {"IMGL?", K::Image, Op::Exists}, {"IMGN", K::Image, Op::Name}, {"IMGN?", K::Image, Op::Named},
    {"IMGP", K::Image, Op::Knob}, {"IMGP?", K::Image, Op::KnobQuery}, {"IMGQ?", K::Image, Op::List},
    {"IMGU", K::Image, Op::Apply}, {"IMGU?", K::Image, Op::InUse},

    {"SEQA", K::Sequence, Op::Store}, {"SEQB", K::Sequence, Op::Begin}, {"SEQE", K::Sequence, Op::End},
    {"SEQK", K::Sequence, Op::Delete}, {"SEQL", K::Sequence, Op::Load}, {"SEQL?", K::Sequence, Op::Exists},
    {"SEQN", K::Sequence, Op::Name}, {"SEQP", K::Sequence, Op::Knob}, {"SEQP?", K::Sequence, Op::KnobQuery},
    {"SEQQ?", K::Sequence, Op::List}, {"SEQU", K::Sequence, Op::Apply}, {"SEQU?", K::Sequence, Op::InUse},

    {"FNTA", K::Font, Op::Store}, {"FNTB", K::Font, Op::Begin}, {"FNTE", K::Font, Op::End},
    {"FNTK", K::Font, Op::Delete}, {"FNTK?", K::Font, Op::UserQuery}, {"FNTL", K::Font, Op::Load},
    {"FNTL?", K::Font, Op::Exists}, {"FNTN", K::Font, Op::Name}, {"FNTQ?", K::Font, Op::List},

    {"MAPA", K::PixelMap, Op::Store}, {"MAPB", K::PixelMap, Op::Begin}, {"MAPE", K::PixelMap, Op::End},
    {"MAPK", K::PixelMap, Op::Delete}, {"MAPK?", K::PixelMap, Op::UserQuery}, {"MAPL", K::PixelMap, Op::Load},
    {"MAPL?", K::PixelMap, Op::Exists}, {"MAPN", K::PixelMap, Op::Name}, {"MAPQ?", K::PixelMap, Op::List},
};

Handler familyHandler(const ItemKindDef& d, ItemOp op)
{
    switch (op) {
    case Op::Store: return withArgs({d}, &Family::store);
    case Op::Begin: return bare({d}, &Family::begin);
    case Op::End: return bare({d}, &Family::end);
    case Op::Delete: return withArgs({d}, &Family::remove);
    case Op::UserQuery: return withArgs({d}, &Family::userQuery);
    case Op::Load: return withArgs({d}, &Family::load);
    case Op::Exists: return withArgs({d}, &Family::loadedQuery);
    case Op::Name: return withArgs({d}, &Family::setName);
    case Op::Named: return answer(&ItemSlot::named, d.kind);
    case Op::Knob: return withArgs({d}, &Family::knob);
    case Op::KnobQuery: return answer(&ItemSlot::knobList, d.kind);
    case Op::List: return withArgs({d}, &Family::list);
    case Op::Apply: return bare({d}, &Family::apply);
    case Op::InUse: return answer(&ItemSlot::inUse, d.kind);
    }
    return {};
}

} // namespace

void CommandInterpreter::addStoreRows()
{
    for (const FamilyCommand& c : kFamilyCommands) {
        const ItemKindDef& def = itemKind(c.kind);
        addRow(std::string(c.mnemonic), gated(def, familyHandler(def, c.op)));
    }
    addRow("ANIM?", animatedQuery);
}

void CommandInterpreter::addDirectoryRows()
{
    addRow("NAMI", insertEntry);
    addRow("NAMK", removeEntry);
    addRow("NAMQ?", listEntries);
    addRow("DIRS", saveDirectory);
}

} // namespace gensim
