// The knob-list steps: format.knb and image.knb renamed, cut and extended,
// the directories of dir.mem extended, and the knob lists moved into
// directories at 2.898. Every one goes through the file's ".tmp", so a
// shorter list leaves no stale tail behind.
#include "MemoryFileConverter.h"

#include "MemoryRecords.h"
#include "StringTable.h"

namespace {

const QByteArray kEmptyEntry(kNameSize, '\0');

QByteArray KnobNames(std::span<const char *const> names)
{
    QByteArray out;
    for (const char *name : names)
        out.append(PaddedName(BlanksToNul(name)));
    return out;
}

QByteArray KnobEntriesBytes(const std::vector<QByteArray> &entries)
{
    QByteArray out;
    for (const QByteArray &entry : entries)
        out.append(entry);
    return out;
}

// n entries: a longer list is cut there and ended by an empty entry, a
// shorter one padded with empty entries.
QByteArray TruncatedKnobList(const QByteArray &in, qsizetype entries)
{
    const qsizetype bytes = entries * kNameSize;
    if (in.size() > bytes)
        return in.left(bytes) + kEmptyEntry;
    return in + QByteArray(bytes - in.size(), '\0');
}

bool DroppedAt2449(const QByteArray &entry)
{
    const QByteArray trimmed = TrimmedName(entry);
    for (const char *name : KnobCleanupFormats2449())
        if (trimmed.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return trimmed.endsWith('\'');
}

// The entries up to the first empty one, without the built-in formats
// 2.449 dropped; an empty entry follows unless the last name read was
// dropped, and then 8 zero bytes.
QByteArray CleanedKnobList(const QByteArray &in)
{
    QByteArray out;
    bool lastDropped = false;
    for (const QByteArray &entry : ReadKnobEntries(in, 0).names) {
        lastDropped = DroppedAt2449(entry);
        if (!lastDropped)
            out.append(entry);
    }
    if (!lastDropped)
        out.append(kEmptyEntry);
    return out + kEmptyEntry;
}

} // namespace

bool MemoryFileConverter::FormatKnob(int revision)
{
    if (!m_presence.knobs)
        return true;
    Log(IDS_CONVERT_FORMAT_KNOB);
    const QString name = QStringLiteral("format.knb");
    switch (revision) {
    case 2179:
        Log(IDS_CONVERT_NAME_PADDING);
        return RenameKnobList(name, FormatRenames(), NewFormats(2179), IDS_CONVERT_NEW_FORMATS);
    case 2299:
    case 2349:
        Log(IDS_CONVERT_TRUNCATE);
        return Rewrite(name, [revision](const QByteArray &in, QByteArray &out) {
            out = TruncatedKnobList(in, revision == 2299 ? 450 : 300);
            return true;
        });
    case 2449:
        Log(IDS_CONVERT_CLEANUP);
        return Rewrite(name, [](const QByteArray &in, QByteArray &out) {
            out = CleanedKnobList(in);
            return true;
        });
    default:
        return AppendToKnobList(name, NewFormats(revision), IDS_CONVERT_NEW_FORMATS);
    }
}

bool MemoryFileConverter::ImageKnob(int revision)
{
    if (!m_presence.knobs)
        return true;
    Log(IDS_CONVERT_IMAGE_KNOB);
    const QString name = QStringLiteral("image.knb");
    if (revision == 2179) {
        Log(IDS_CONVERT_IMAGE_NAME_CHANGE);
        return RenameKnobList(name, ImageRenames(), NewImages(2179), IDS_CONVERT_NEW_IMAGES);
    }
    if (revision == 2642)
        return AppendToKnobList(name, NewImages(2642), IDS_CONVERT_NEW_IMAGES);
    return ImageKnobDirectory(revision);
}

// The first entry stays as it stands; from the second on, up to the first
// empty entry, names are renamed and NUL-padded, and the added names take
// the empty entry's place (ahead of it they would never be read).
bool MemoryFileConverter::RenameKnobList(const QString &name, std::span<const NameChange> renames,
                                         std::span<const char *const> added, int addedHeadingId)
{
    return Rewrite(name, [&](const QByteArray &in, QByteArray &out) {
        out = in.size() >= kNameSize ? in.left(kNameSize) : QByteArray();
        for (QByteArray entry : ReadKnobEntries(in, out.size()).names) {
            const QByteArray trimmed = TrimmedName(entry);
            for (const NameChange &change : renames) {
                if (trimmed == change.from) {
                    Log(IDS_CONVERT_RENAMED, {QString::fromLatin1(change.from), QString::fromLatin1(change.to)});
                    entry = PaddedName(change.to);
                    break;
                }
            }
            out.append(BlanksToNul(entry));
        }
        LogNewNames(addedHeadingId, added);
        out += KnobNames(added) + kEmptyEntry;
        return true;
    });
}

// The entries up to the first empty one, then the added names; a list
// without an empty entry is corrupted.
bool MemoryFileConverter::AppendToKnobList(const QString &name, std::span<const char *const> added,
                                           int addedHeadingId)
{
    return Rewrite(name, [&](const QByteArray &in, QByteArray &out) {
        const KnobEntries list = ReadKnobEntries(in, 0);
        if (!list.terminated)
            return false;
        LogNewNames(addedHeadingId, added);
        out = KnobEntriesBytes(list.names) + KnobNames(added) + kEmptyEntry;
        return true;
    });
}

// The added images go at the end of the "img" directory; a file without
// one is copied as it is.
bool MemoryFileConverter::ImageKnobDirectory(int revision)
{
    return Rewrite(QStringLiteral("dir.mem"), [&](const QByteArray &in, QByteArray &out) {
        std::vector<Directory> directories;
        QByteArray rest;
        if (!ReadDirectories(in, directories, &rest))
            return false;
        for (Directory &directory : directories) {
            if (TrimmedName(directory.name) == "img") {
                LogNewNames(IDS_CONVERT_NEW_IMAGES, NewImages(revision));
                for (const char *image : NewImages(revision))
                    directory.entries.push_back(PaddedName(image));
                break;
            }
        }
        out = WriteDirectories(directories, rest);
        return true;
    });
}

namespace {

QByteArray PathEntry(const char *text)
{
    QByteArray entry(text);
    return entry + QByteArray(32 - entry.size(), '\0');
}

} // namespace

// format.knb, image.knb and sequence.knb become the directories "fmt",
// "img" and "seq" of dir.mem, with path.mem naming them. The oldest data
// has no sequence.knb unless its sequences were converted: its directory
// is then empty.
bool MemoryFileConverter::KnobsToDirectories()
{
    const QString sequenceKnob = QStringLiteral("sequence.knb");
    if (!m_presence.knobs)
        return RemoveFile(sequenceKnob);  // made by the 2.179 sequences, no knob list to join
    Log(IDS_CONVERT_KNOBS_TO_DIRECTORIES);
    QByteArray formats;
    QByteArray images;
    QByteArray sequences;
    if (!ReadFile(QStringLiteral("format.knb"), formats) || !ReadFile(QStringLiteral("image.knb"), images)
        || (Exists(sequenceKnob) && !ReadFile(sequenceKnob, sequences)))
        return false;
    const std::vector<Directory> directories = {
        {PaddedName("fmt"), ReadKnobEntries(formats, 0).names},
        {PaddedName("img"), ReadKnobEntries(images, 0).names},
        {PaddedName("seq"), ReadKnobEntries(sequences, 0).names},
    };
    const QByteArray path = PathEntry("R:\\") + PathEntry("fmt") + PathEntry("img") + PathEntry("seq");
    if (!WriteFile(QStringLiteral("path.mem"), path) || !WriteFile(QStringLiteral("dir.mem"), WriteDirectories(directories)))
        return false;
    // The path memory is new: the revision-7 conversion must see it too.
    m_presence.paths = true;
    return RemoveFile(QStringLiteral("format.knb")) && RemoveFile(QStringLiteral("image.knb"))
        && RemoveFile(sequenceKnob);
}
