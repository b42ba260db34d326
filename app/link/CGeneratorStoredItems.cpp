// The command families of the generator's six stores of named items
// (directories, formats, images, sequences, fonts, pixel maps) and the
// connection's cached name lists. The families differ only in the few rules
// of the table below; every method is a thin wrapper over one generic step.

#include "CGenerator.h"
#include "CommandName.h"

#include "BuiltInNames.h"

#include <algorithm>
#include <cstring>

namespace {

using Family = CGenerator::Family;

enum class FlagRule { None, WhileExtended, Always };

struct FamilyRow
{
    const char* prefix;         // the kind's three letters
    const char* quotedSetters;  // operations whose name goes between double quotes
    bool quotedExistsQuery;     // "L?" with a name quotes it too
    bool blankAfterBeginEnd;    // "IMGB ", "IMGE "
    FlagRule flags;             // user-item flags per name; also " x" on refresh
    bool extendedListQuery;     // the list query can ask for the flags
    bool clampListQuery;        // first >= 1, count 1..450
    const QStringList& (*builtIns)(); // names without a port; nullptr: none
};

// In the order of CGenerator::Family.
const FamilyRow kFamilies[] = {
    {"DIR", "", false, false, FlagRule::None, false, false, nullptr},
    {"FMT", "AKLN", true, false, FlagRule::WhileExtended, true, true, &BuiltInNames::Formats},
    {"IMG", "", false, true, FlagRule::WhileExtended, true, true, &BuiltInNames::Images},
    {"SEQ", "", false, false, FlagRule::None, false, true, &BuiltInNames::Sequences},
    {"FNT", "", false, true, FlagRule::Always, true, true, nullptr},
    {"MAP", "", false, true, FlagRule::Always, true, true, nullptr},
};

const FamilyRow& Row(Family f)
{
    return kFamilies[static_cast<size_t>(f)];
}

qsizetype IndexOfName(const QStringList& names, const QString& name)
{
    return GeneratorNameCaches::IndexOfName(names, name);
}

// "first count" of a list query, clamped where the family clamps.
QString ListRange(int first, int count, bool clamp)
{
    if (clamp) {
        first = std::max(first, 1);
        count = std::clamp(count, 1, CGenerator::kMaxListEntries);
    }
    return QString::number(first) + QLatin1Char(' ') + QString::number(count);
}

// A list line with its ",0" or ",1" split off; a line without one keeps its
// text and reads as built in.
unsigned SplitFlag(QString& line)
{
    const qsizetype n = line.size();
    if (n < 2 || line.at(n - 2) != QLatin1Char(',') || (line.at(n - 1) != QLatin1Char('0') && line.at(n - 1) != QLatin1Char('1')))
        return 0;
    const unsigned flag = line.at(n - 1) == QLatin1Char('1') ? 1 : 0;
    line.chop(2);
    return flag;
}

} // namespace

// --- Generic steps ---------------------------------------------------------------

bool CGenerator::KeepsFlags(Family f) const
{
    switch (Row(f).flags) {
    case FlagRule::None: return false;
    case FlagRule::WhileExtended: return m_extendedLists;
    case FlagRule::Always: return true;
    }
    return false;
}

QString CGenerator::Mnemonic(Family f, char op, bool query) const
{
    QString text = QLatin1String(Row(f).prefix) + QLatin1Char(op);
    if (query)
        text += QLatin1Char('?');
    return text;
}

void CGenerator::AppendName(CommandLine& line, Family f, char op, bool query, const QString& name)
{
    const FamilyRow& row = Row(f);
    const bool quoted = query ? (op == 'L' && row.quotedExistsQuery) : std::strchr(row.quotedSetters, op) != nullptr;
    line += QStringLiteral(" ");
    if (quoted)
        line.AppendQuotedName(name);
    else
        line.AppendName(name);
}

void CGenerator::SendNamed(Family f, char op, const QString& name)
{
    CommandLine line(Mnemonic(f, op));
    AppendName(line, f, op, false, name);
    SendCommand(line, false);
}

void CGenerator::SendBare(Family f, char op)
{
    QString text = Mnemonic(f, op);
    if (Row(f).blankAfterBeginEnd)
        text += QLatin1Char(' ');
    SendCommand(text, false);
}

bool CGenerator::QueryNamed(Family f, char op, const QString& name)
{
    CommandLine line(Mnemonic(f, op, true));
    AppendName(line, f, op, true, name);
    return SendQueryBool(line);
}

const QString& CGenerator::QueryString(Family f, char op)
{
    return SendQueryString(Mnemonic(f, op, true));
}

void CGenerator::StoreItem(Family f, const QString& name, bool addToCache)
{
    SendNamed(f, 'A', name);
    // A refused store leaves the generator as it was; so does the cache.
    if (addToCache && LastCommandSucceeded())
        InsertIntoCache(f, name);
}

void CGenerator::InsertIntoCache(Family f, const QString& name)
{
    m_caches.Insert(f, name, KeepsFlags(f));
}

void CGenerator::SendListQuery(Family f, int first, int count, bool extended)
{
    const FamilyRow& row = Row(f);
    QString text = Mnemonic(f, 'Q', true) + QLatin1Char(' ') + ListRange(first, count, row.clampListQuery);
    if (extended && row.extendedListQuery)
        text += QLatin1String(" x"); // resource-rule-ok: the list query's own argument
    SendCommand(text, true);
}

void CGenerator::ListQuery(Family f, int first, int count, QStringList& names, bool extended)
{
    SendListQuery(f, first, count, extended);
    GetReplyLines(names);
}

void CGenerator::RefreshFromGenerator(Family f, bool extended, bool splitFlags)
{
    QStringList names;
    ListQuery(f, 1, kMaxListEntries, names, extended);
    if (!LastCommandSucceeded()) {
        // A cut list would hide names from the existence checks; unloaded,
        // they ask the generator instead.
        m_caches.Clear(f);
        return;
    }
    if (!splitFlags) {
        m_caches.SetNames(f, names);
        return;
    }
    QList<unsigned> flags(names.size());
    for (qsizetype i = 0; i < names.size(); ++i)
        flags[i] = SplitFlag(names[i]);
    m_caches.SetNames(f, names, flags);
}

bool CGenerator::HasItem(Family f, const QString& name)
{
    if (m_caches.IsLoaded(f))
        return m_caches.Contains(f, name);
    if (f == Family::Fmt)
        return QueryFmtlExists(name) != 0;
    return QueryNamed(f, 'L', name);
}

void CGenerator::DeleteItem(Family f, const QString& name)
{
    SendNamed(f, 'K', name);
    if (!LastCommandSucceeded())
        return; // the item is still there
    m_caches.Remove(f, name, KeepsFlags(f));
}

bool CGenerator::CachedUserFlag(Family f, const QString& name) const
{
    return m_caches.UserFlag(f, name);
}

void CGenerator::SendApply(const char* mnemonic, bool bare)
{
    // An animated image never finishes applying: do not wait for it.
    const QString text = QLatin1String(mnemonic);
    if (bare)
        SendCommand(text, false);
    else
        SendCommand(text + QLatin1String(";*OPC?"), true);
}

// --- A: store -----------------------------------------------------------------------

void CGenerator::CmdDira(const QString& name, bool addToCache) { StoreItem(Family::Dir, name, addToCache); }
void CGenerator::CmdFmta(const QString& name, bool addToCache) { StoreItem(Family::Fmt, name, addToCache); }
void CGenerator::CmdImga(const QString& name, bool addToCache) { StoreItem(Family::Img, name, addToCache); }
void CGenerator::CmdSeqa(const QString& name, bool addToCache) { StoreItem(Family::Seq, name, addToCache); }
void CGenerator::CmdFnta(const QString& name, bool addToCache) { StoreItem(Family::Fnt, name, addToCache); }
void CGenerator::CmdMapa(const QString& name, bool addToCache) { StoreItem(Family::Map, name, addToCache); }

// --- B, E: begin and end ------------------------------------------------------------

void CGenerator::CmdDirb() { SendBare(Family::Dir, 'B'); }
void CGenerator::CmdFmtb() { SendBare(Family::Fmt, 'B'); }
void CGenerator::CmdImgb() { SendBare(Family::Img, 'B'); }
void CGenerator::CmdSeqb() { SendBare(Family::Seq, 'B'); }
void CGenerator::CmdFntb() { SendBare(Family::Fnt, 'B'); }
void CGenerator::CmdMapb() { SendBare(Family::Map, 'B'); }

void CGenerator::CmdDire() { SendBare(Family::Dir, 'E'); }
void CGenerator::CmdFmte() { SendBare(Family::Fmt, 'E'); }
void CGenerator::CmdImge() { SendBare(Family::Img, 'E'); }
void CGenerator::CmdSeqe() { SendBare(Family::Seq, 'E'); }
void CGenerator::CmdFnte() { SendBare(Family::Fnt, 'E'); }
void CGenerator::CmdMape() { SendBare(Family::Map, 'E'); }

// --- K: delete, and whether an item is the user's --------------------------------------

void CGenerator::CmdDirk(const QString& name) { SendNamed(Family::Dir, 'K', name); }
void CGenerator::CmdFmtk(const QString& name) { SendNamed(Family::Fmt, 'K', name); }
void CGenerator::CmdImgk(const QString& name) { SendNamed(Family::Img, 'K', name); }
void CGenerator::CmdSeqk(const QString& name) { SendNamed(Family::Seq, 'K', name); }
void CGenerator::CmdFntk(const QString& name) { SendNamed(Family::Fnt, 'K', name); }
void CGenerator::CmdMapk(const QString& name) { SendNamed(Family::Map, 'K', name); }

bool CGenerator::QueryDirk(const QString& name)
{
    return QueryNamed(Family::Dir, 'K', name);
}

bool CGenerator::QueryFmtk(const QString& name)
{
    // Before 7.0 the generator's own formats never hold an apostrophe.
    if (m_firmwareVersion < 7.0 && name.contains(QLatin1Char('\'')))
        return true;
    if (m_extendedLists && !FormatNames().isEmpty())
        return CachedUserFlag(Family::Fmt, name);
    return QueryNamed(Family::Fmt, 'K', name);
}

bool CGenerator::QueryImgk(const QString& name)
{
    const double v = m_firmwareVersion;
    const bool canAsk = v >= 3.00215 || (v >= 3.00115 && v < 3.002);
    if (!canAsk)
        return IndexOfName(BuiltInNames::Images(), name) < 0;
    if (m_extendedLists && !ImageNames().isEmpty())
        return CachedUserFlag(Family::Img, name);
    return QueryNamed(Family::Img, 'K', name);
}

bool CGenerator::QueryFntk(const QString& name)
{
    if (!FontNames().isEmpty())
        return CachedUserFlag(Family::Fnt, name);
    return QueryNamed(Family::Fnt, 'K', name);
}

bool CGenerator::QueryMapk(const QString& name)
{
    if (!PixelMapNames().isEmpty())
        return CachedUserFlag(Family::Map, name);
    return QueryNamed(Family::Map, 'K', name);
}

// --- L: load, and whether an item exists ---------------------------------------------

void CGenerator::CmdDirl(const QString& name) { SendNamed(Family::Dir, 'L', name); }
void CGenerator::CmdFmtl(const QString& name) { SendNamed(Family::Fmt, 'L', name); }
void CGenerator::CmdImgl(const QString& name) { SendNamed(Family::Img, 'L', name); }
void CGenerator::CmdSeql(const QString& name) { SendNamed(Family::Seq, 'L', name); }
void CGenerator::CmdFntl(const QString& name) { SendNamed(Family::Fnt, 'L', name); }
void CGenerator::CmdMapl(const QString& name) { SendNamed(Family::Map, 'L', name); }

bool CGenerator::QueryDirl(const QString& name) { return QueryNamed(Family::Dir, 'L', name); }
bool CGenerator::QueryImglExists(const QString& name) { return QueryNamed(Family::Img, 'L', name); }
bool CGenerator::QuerySeql(const QString& name) { return QueryNamed(Family::Seq, 'L', name); }
bool CGenerator::QueryFntl(const QString& name) { return QueryNamed(Family::Fnt, 'L', name); }
bool CGenerator::QueryMapl(const QString& name) { return QueryNamed(Family::Map, 'L', name); }

int CGenerator::QueryFmtlExists(const QString& name)
{
    CommandLine line(Mnemonic(Family::Fmt, 'L', true));
    AppendName(line, Family::Fmt, 'L', true, name);
    return SendQueryInt(line);
}

const QString& CGenerator::QueryFmtl() { return QueryString(Family::Fmt, 'L'); }
const QString& CGenerator::QueryImgl() { return QueryString(Family::Img, 'L'); }

// --- N: name or select --------------------------------------------------------------

void CGenerator::CmdDirn(const QString& name) { SendNamed(Family::Dir, 'N', name); }
void CGenerator::CmdFmtn(const QString& name) { SendNamed(Family::Fmt, 'N', name); }
void CGenerator::CmdImgn(const QString& name) { SendNamed(Family::Img, 'N', name); }
void CGenerator::CmdSeqn(const QString& name) { SendNamed(Family::Seq, 'N', name); }
void CGenerator::CmdFntn(const QString& name) { SendNamed(Family::Fnt, 'N', name); }
void CGenerator::CmdMapn(const QString& name) { SendNamed(Family::Map, 'N', name); }
const QString& CGenerator::QueryImgn() { return QueryString(Family::Img, 'N'); }

// --- P: the knob list an item steps through --------------------------------------------

void CGenerator::CmdFmtp(const QString& name) { SendNamed(Family::Fmt, 'P', name); }
void CGenerator::CmdImgp(const QString& name) { SendNamed(Family::Img, 'P', name); }
void CGenerator::CmdSeqp(const QString& name) { SendNamed(Family::Seq, 'P', name); }
const QString& CGenerator::QueryFmtp() { return QueryString(Family::Fmt, 'P'); }
const QString& CGenerator::QueryImgp() { return QueryString(Family::Img, 'P'); }
const QString& CGenerator::QuerySeqp() { return QueryString(Family::Seq, 'P'); }

// --- Q?: lists ------------------------------------------------------------------------

void CGenerator::QueryDirq(int first, int count) { SendListQuery(Family::Dir, first, count, false); }
void CGenerator::QueryFmtq(int first, int count, bool extended) { SendListQuery(Family::Fmt, first, count, extended); }
void CGenerator::QueryImgq(int first, int count, bool extended) { SendListQuery(Family::Img, first, count, extended); }
void CGenerator::QuerySeqq(int first, int count) { SendListQuery(Family::Seq, first, count, false); }
void CGenerator::QueryFntq(int first, int count, bool extended) { SendListQuery(Family::Fnt, first, count, extended); }
void CGenerator::QueryMapq(int first, int count, bool extended) { SendListQuery(Family::Map, first, count, extended); }

void CGenerator::QueryDirqList(int first, int count, QStringList& names)
{
    ListQuery(Family::Dir, first, count, names, false);
}
void CGenerator::QueryFmtqList(int first, int count, QStringList& names, bool extended)
{
    ListQuery(Family::Fmt, first, count, names, extended);
}
void CGenerator::QueryImgqList(int first, int count, QStringList& names, bool extended)
{
    ListQuery(Family::Img, first, count, names, extended);
}
void CGenerator::QuerySeqqList(int first, int count, QStringList& names)
{
    ListQuery(Family::Seq, first, count, names, false);
}
void CGenerator::QueryFntqList(int first, int count, QStringList& names, bool extended)
{
    ListQuery(Family::Fnt, first, count, names, extended);
}
void CGenerator::QueryMapqList(int first, int count, QStringList& names, bool extended)
{
    ListQuery(Family::Map, first, count, names, extended);
}

// --- U: apply -------------------------------------------------------------------------

void CGenerator::CmdAllu()
{
    SendApply("ALLU", IsAnimatedImageCurrent());
}

void CGenerator::CmdSequ()
{
    SendApply("SEQU", IsAnimatedImageCurrent());
}

void CGenerator::CmdFmtu()
{
    const QString inUse = QueryImgu();
    SendApply("FMTU", IsAnimatedImage(inUse));
}

void CGenerator::CmdImgu()
{
    const QString current = m_firmwareVersion >= 7.0 ? QueryImgl() : QueryImgn();
    SendApply("IMGU", IsAnimatedImage(current));
}

const QString& CGenerator::QueryFmtu() { return QueryString(Family::Fmt, 'U'); }
const QString& CGenerator::QueryImgu() { return QueryString(Family::Img, 'U'); }
const QString& CGenerator::QuerySequ() { return QueryString(Family::Seq, 'U'); }

// --- Directory entries and animation --------------------------------------------------

void CGenerator::CmdDirs()
{
    SendCommand(QStringLiteral("DIRS"), false);
}

void CGenerator::CmdNami(int position, const QString& name)
{
    CommandLine line(QStringLiteral("NAMI ") + QString::number(position) + QLatin1Char(' '));
    line.AppendQuotedName(name);
    SendCommand(line, false);
}

void CGenerator::CmdNamk(const QString& name)
{
    CommandLine line(QStringLiteral("NAMK "));
    line.AppendName(name);
    SendCommand(line, false);
}

void CGenerator::QueryNamq(int first, int count)
{
    SendCommand(QStringLiteral("NAMQ? ") + ListRange(first, count, true), true);
}

void CGenerator::QueryNamqList(int first, int count, QStringList& names)
{
    QueryNamq(first, count);
    GetReplyLines(names);
}

bool CGenerator::QueryAnim(const QString& name)
{
    return SendQueryBool(QStringLiteral("ANIM? ") + name);
}

bool CGenerator::IsAnimatedImageCurrent()
{
    if (GetPort() == 0)
        return false;
    const QString inUse = QueryImgu();
    const QString selected = QueryImgn();
    const bool first = IsAnimatedImage(inUse);
    const bool second = IsAnimatedImage(selected);
    return first || second;
}

bool CGenerator::IsAnimatedImage(const QString& name)
{
    // No image selected (an image recall or copy deselects it) moves nothing.
    if (name.isEmpty())
        return false;
    if (m_firmwareVersion >= 3.07)
        return QueryAnim(name);
    return IndexOfName(BuiltInNames::AnimatedImages(), name) >= 0;
}

// --- Caches ---------------------------------------------------------------------------

void CGenerator::RefreshDirectoryList()
{
    if (GetPort() != 0)
        RefreshFromGenerator(Family::Dir, false, false);
}

void CGenerator::RefreshFormatList()
{
    if (GetPort() == 0)
        LoadBuiltInFormatNames();
    else
        RefreshFromGenerator(Family::Fmt, m_extendedLists, m_extendedLists);
}

void CGenerator::RefreshImageList()
{
    if (GetPort() == 0)
        LoadBuiltInImageNames();
    else
        RefreshFromGenerator(Family::Img, m_extendedLists, m_extendedLists);
}

void CGenerator::RefreshSequenceList()
{
    if (GetPort() == 0)
        m_caches.SetNames(Family::Seq, BuiltInNames::Sequences());
    else
        RefreshFromGenerator(Family::Seq, false, false);
}

void CGenerator::RefreshFontList()
{
    if (GetPort() != 0)
        RefreshFromGenerator(Family::Fnt, true, true);
}

void CGenerator::RefreshPixelMapList()
{
    if (GetPort() != 0)
        RefreshFromGenerator(Family::Map, true, true);
}

bool CGenerator::HasDirectory(const QString& name) { return HasItem(Family::Dir, name); }
bool CGenerator::HasFormat(const QString& name) { return HasItem(Family::Fmt, name); }
bool CGenerator::HasImage(const QString& name) { return HasItem(Family::Img, name); }
bool CGenerator::HasSequence(const QString& name) { return HasItem(Family::Seq, name); }
bool CGenerator::HasFont(const QString& name) { return HasItem(Family::Fnt, name); }
bool CGenerator::HasPixelMap(const QString& name) { return HasItem(Family::Map, name); }

void CGenerator::DeleteDirectory(const QString& name) { DeleteItem(Family::Dir, name); }
void CGenerator::DeleteFormat(const QString& name) { DeleteItem(Family::Fmt, name); }
void CGenerator::DeleteImage(const QString& name) { DeleteItem(Family::Img, name); }
void CGenerator::DeleteSequence(const QString& name) { DeleteItem(Family::Seq, name); }
void CGenerator::DeleteFont(const QString& name) { DeleteItem(Family::Fnt, name); }
void CGenerator::DeletePixelMap(const QString& name) { DeleteItem(Family::Map, name); }

void CGenerator::LoadBuiltInFormatNames()
{
    m_caches.SetNames(Family::Fmt, BuiltInNames::Formats());
}

void CGenerator::LoadBuiltInImageNames()
{
    m_caches.SetNames(Family::Img, BuiltInNames::Images());
}

// --- Directory rewrite ----------------------------------------------------------------

bool CGenerator::ReadDirectoryEntries(const QString& dir, QStringList& entries)
{
    CmdDirl(dir);
    bool ok = LastCommandSucceeded();
    QueryNamqList(1, kMaxListEntries, entries);
    ok = ok && LastCommandSucceeded();
    CmdDirl(QString());
    return ok;
}

bool CGenerator::WriteDirectory(const QString& dir, const QStringList& entries)
{
    // A directory holds at most kMaxListEntries names; the rest would be refused.
    const QStringList kept = entries.mid(0, kMaxListEntries);
    CmdDirn(dir);
    bool ok = LastCommandSucceeded();
    if (ok) {
        CmdDirb();
        ok = LastCommandSucceeded();
        for (qsizetype i = 0; ok && i < kept.size(); ++i) {
            CmdNami(int(i) + 1, kept.at(i));
            ok = LastCommandSucceeded();
        }
        // Ends the edit either way; without DIRA the stored directory stays as it was.
        CmdDire();
        ok = ok && LastCommandSucceeded();
    }
    if (ok) {
        CmdDira(dir, true);
        ok = LastCommandSucceeded();
    }
    CmdDirl(QString());
    if (!ok)
        return false;
    NotifyKnobLists();
    return true;
}

bool CGenerator::AddNamesToDirectory(const QStringList& names, int kind)
{
    const QString dir = kind == kKindFormat ? QStringLiteral("fmt") : kind == kKindImage ? QStringLiteral("img") : QString();
    if (dir.isEmpty() || names.isEmpty())
        return true;
    if (!QueryDirl(dir))
        return false;
    QStringList old;
    if (!ReadDirectoryEntries(dir, old))
        return false; // writing now would lose the entries not read
    QStringList entries = names;
    for (qsizetype i = entries.size() - 1; i >= 0; --i) {
        if (old.contains(entries.at(i), Qt::CaseSensitive))
            entries.removeAt(i);
    }
    entries += old;
    return WriteDirectory(dir, entries);
}

bool CGenerator::RenameInDirectory(const QString& dir, const QString& oldName, const QString& newName)
{
    if (!QueryDirl(dir))
        return false;
    QStringList entries;
    if (!ReadDirectoryEntries(dir, entries))
        return false;
    const qsizetype at = entries.indexOf(oldName);
    if (at >= 0)
        entries.removeAt(at);
    entries.append(newName);
    return WriteDirectory(dir, entries);
}
