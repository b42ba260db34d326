#include "MemoryFileConverter.h"

#include "AppFolders.h"
#include "MemoryFileIo.h"
#include "MemoryFiles.h"
#include "Numbers.h"
#include "SafeFile.h"
#include "StringTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <vector>

bool MemoryPresence::Note(const QString &fileName)
{
    const QString name = fileName.toLower();
    bool *flag = nullptr;
    if (name == "formats.fmt" || name == "format.mem" || name == kOldFormatFileName)
        flag = &formats;
    else if (name == "images.img" || name == "image.mem" || name == kOldImageFileName)
        flag = &images;
    else if (name == "sequence.seq" || name == "sequence.mem")
        flag = &sequences;
    else if (name == "format.knb" || name == "image.knb" || name == "sequence.knb" || name == "dir.mem")
        flag = &knobs;
    else if (name == "path.mem")
        flag = &paths;
    else if (name == "fonts.fna" || name == "font.new" || name == "font.mem")
        flag = &fonts;
    if (flag != nullptr)
        *flag = true;
    return flag != nullptr;
}

namespace {

struct PlanStep {
    ConversionStep step;
    int revision;  // 0: the target itself
};

// The targets first..last of the plan (those of them the revision table
// has, and 3000 and 7000); data below bound is first converted to the
// prerequisite.
struct PlanRow {
    int first;
    int last;
    int bound;  // 0: none
    int prerequisite;
    std::vector<PlanStep> steps;
};

using S = ConversionStep;

const std::vector<PlanRow> &ConversionPlan()
{
    static const std::vector<PlanRow> plan = {
        {2000, 2000, 0, 0, {}},
        {2001, 2001, 0, 0, {{S::System, 0}}},
        {2179, 2179, 0, 0,
         {{S::FormatMemory, 2179}, {S::FormatKnob, 2179}, {S::ImageMemory, 2179}, {S::ImageKnob, 2179},
          {S::SequenceMemory, 2179}, {S::System, 2179}}},
        {2180, 2194, 2179, 2179, {{S::System, 0}}},
        {2198, 2299, 2179, 2179, {{S::FormatKnob, 2299}, {S::System, 2299}}},
        {2300, 2300, 2299, 2299, {{S::System, 2300}}},
        {2349, 2349, 2299, 2299,
         {{S::FormatMemory, 2349}, {S::FormatKnob, 2349}, {S::ImageMemory, 2349}, {S::SequenceMemory, 2349},
          {S::Fonts, 2349}, {S::System, 2349}}},
        {2350, 2380, 2349, 2349, {{S::System, 0}}},
        {2397, 2453, 2349, 2349, {{S::System, 0}, {S::FormatMemory, 2449}, {S::FormatKnob, 2449}}},
        {2605, 2627, 2454, 2453, {{S::System, 0}}},
        {2642, 2642, 2454, 2453, {{S::System, 2642}, {S::ImageKnob, 2642}}},
        {2800, 2800, 2642, 2642, {{S::System, 2800}, {S::FormatMemory, 2800}, {S::FormatKnob, 2800}}},
        {2850, 2884, 2800, 2800, {{S::System, 0}}},
        {2898, 2898, 2800, 2800,
         {{S::System, 2898}, {S::FormatMemory, 2898}, {S::FormatKnob, 2898}, {S::KnobsToDirectories, 2898}}},
        {2944, 2975, 2898, 2898, {{S::System, 0}}},
        {2980, 2981, 2898, 2898, {{S::System, 0}, {S::ImageKnob, 2981}, {S::SequenceMemory, 2981}}},
        {2983, 2983, 2981, 2981, {{S::System, 2983}, {S::ImageKnob, 2983}}},
        {2984, 2990, 2983, 2983, {{S::System, 0}}},
        {2991, 2991, 2983, 2983, {{S::System, 2991}, {S::ImageKnob, 2991}}},
        {2992, 2992, 2991, 2991, {{S::System, 2992}}},
        {2993, 2994, 2991, 2991, {{S::System, 0}, {S::ImageKnob, 2994}}},
        {2995, 3000, 2994, 2994, {{S::System, 0}}},
        {7000, 7000, 3000, 3000, {}},
    };
    return plan;
}

const PlanRow *PlanFor(int target)
{
    if (!IsTableRevision(target) && target != 3000 && target != 7000)
        return nullptr;
    for (const PlanRow &row : ConversionPlan())
        if (target >= row.first && target <= row.last)
            return &row;
    return nullptr;
}

QString Revision8(double revision) { return FormatFixed(revision, 8); }

} // namespace

namespace {

QString FolderWithSeparator(const QString &folder) { return QDir(folder).absolutePath() + QLatin1Char('/'); }

} // namespace

MemoryFileConverter::MemoryFileConverter(ConversionSetup setup)
    : m_folder(FolderWithSeparator(setup.folder)),
      m_shownFolder(FolderWithSeparator(setup.shownFolder.isEmpty() ? setup.folder : setup.shownFolder)),
      m_source(setup.sourceRevision), m_presence(setup.presence),
      m_coreFormats(setup.coreFormats.isEmpty() ? AssetFile(QStringLiteral("2179core.fmt")) : setup.coreFormats),
      m_log(std::move(setup.log))
{
}

bool MemoryFileConverter::ConvertData(int target)
{
    Log(IDS_CONVERT_VERSION, {Revision8(target * 0.001)});
    const PlanRow *row = PlanFor(target);
    if (row == nullptr) {
        Log(IDS_CONVERT_NO_PLAN, {Revision8(target * 0.001)});
        return false;
    }
    if (m_source < row->bound && !ConvertData(row->prerequisite))
        return false;
    if (target == 7000) {
        Log(IDS_CONVERT_NO_VERSION7);
        return false;
    }
    for (const PlanStep &step : row->steps)
        if (!RunStep(step.step, step.revision != 0 ? step.revision : target))
            return false;
    return true;
}

bool MemoryFileConverter::RunStep(ConversionStep step, int revision)
{
    switch (step) {
    case S::System: return SystemStep(revision);
    case S::FormatMemory: return FormatMemory(revision);
    case S::FormatKnob: return FormatKnob(revision);
    case S::ImageMemory: return ImageMemory(revision);
    case S::ImageKnob: return ImageKnob(revision);
    case S::SequenceMemory: return SequenceMemory(revision);
    case S::Fonts: return Fonts();
    case S::KnobsToDirectories: return KnobsToDirectories();
    }
    return false;
}

// --- The folder's files ----------------------------------------------------------

QString MemoryFileConverter::Path(const QString &name) const { return m_folder + name; }

QString MemoryFileConverter::ShownPath(const QString &name) const
{
    return QDir::toNativeSeparators(m_shownFolder + name);
}

bool MemoryFileConverter::ReadFile(const QString &name, QByteArray &bytes)
{
    return ReadFileAt(Path(name), ShownPath(name), bytes);
}

bool MemoryFileConverter::ReadFileAt(const QString &path, const QString &shown, QByteArray &bytes)
{
    switch (ReadWholeFile(path, bytes)) {
    case FileRead::Read: return true;
    case FileRead::CannotOpen: Log(IDS_CONVERT_UNABLE_TO_OPEN, {shown}); return false;
    case FileRead::CannotRead: Log(IDS_CORRUPTED_FILE, {shown}); return false;
    }
    return false;
}

bool MemoryFileConverter::WriteFile(const QString &name, const QByteArray &bytes)
{
    switch (SafeFile::Write(Path(name), bytes)) {
    case SafeFile::Written::Yes: return true;
    case SafeFile::Written::NotCreated: Log(IDS_CONVERT_UNABLE_TO_CREATE, {ShownPath(name)}); return false;
    case SafeFile::Written::NotWritten: Log(IDS_CONVERT_UNABLE_TO_WRITE, {ShownPath(name)}); return false;
    }
    return false;
}

bool MemoryFileConverter::RenameFile(const QString &from, const QString &to)
{
    if (QFile::rename(Path(from), Path(to)))
        return true;
    Log(IDS_CONVERT_UNABLE_TO_COPY, {ShownPath(from), ShownPath(to)});
    return false;
}

bool MemoryFileConverter::Exists(const QString &name) const
{
    return QFileInfo(Path(name)).isFile();
}

bool MemoryFileConverter::RemoveFile(const QString &name)
{
    if (!QFileInfo::exists(Path(name)) || QFile::remove(Path(name)))
        return true;
    Log(IDS_CONVERT_UNABLE_TO_WRITE, {ShownPath(name)});
    return false;
}

bool MemoryFileConverter::Corrupted(const QString &name)
{
    Log(IDS_CORRUPTED_FILE, {ShownPath(name)});
    return false;
}

bool MemoryFileConverter::Rewrite(const QString &name, const Convert &convert)
{
    const QString temporary = QFileInfo(name).completeBaseName() + QStringLiteral(".tmp");
    if (!Exists(name)) {
        Log(IDS_CONVERT_UNABLE_TO_OPEN, {ShownPath(name)});
        return false;
    }
    if (!RemoveFile(temporary) || !RenameFile(name, temporary))
        return false;
    QByteArray in;
    QByteArray out;
    const bool done = ReadFileAt(Path(temporary), ShownPath(name), in)
                   && (convert(in, out) || Corrupted(name)) && WriteFile(name, out);
    if (!done) {
        QFile::remove(Path(name));
        RenameFile(temporary, name);
        return false;
    }
    return RemoveFile(temporary);
}

// --- The log ------------------------------------------------------------------------

void MemoryFileConverter::Log(int id, const QStringList &inserts)
{
    if (m_log)
        m_log(FormatString(unsigned(id), inserts));
}

void MemoryFileConverter::LogNewNames(int headingId, std::span<const char *const> names)
{
    Log(headingId);
    for (const char *name : names)
        Log(IDS_CONVERT_NEW_NAME, {QString::fromLatin1(name)});
}
