#pragma once
// Rewrites a folder of generator memory files, step by step, from the
// firmware revision that wrote them into the form of a later one, up to
// 3.000 (ConvertData) and from there into the revision-7 files
// (ConvertToVersion7). Each step logs what it does; the first failing step
// ends the run with its line in the log. A file a step rewrites goes
// through a ".tmp" file of its stem and keeps its content when the step
// fails.

#include "ConversionTables.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <span>

// Which kinds of memory file the folder holds.
struct MemoryPresence {
    bool formats = false;
    bool images = false;
    bool sequences = false;
    bool knobs = false;  // knob lists, or the directories that hold them
    bool paths = false;
    bool fonts = false;

    // Sets the kind the file name belongs to (ignoring case); false for a
    // name of no kind.
    bool Note(const QString &fileName);
};

enum class ConversionStep {
    System,
    FormatMemory,
    FormatKnob,
    ImageMemory,
    ImageKnob,
    SequenceMemory,
    Fonts,
    KnobsToDirectories,
};

using ConversionLog = std::function<void(const QString &)>;

struct ConversionSetup {
    QString folder;           // where the files are
    QString shownFolder;      // the folder the log lines name; empty: folder
    int sourceRevision = 0;   // the conversion revision of their data (MapRevision)
    MemoryPresence presence;
    // The built-in formats of 2.179, which only the generator's maker has;
    // empty: "2179core.fmt" beside the program.
    QString coreFormats;
    ConversionLog log;
};

class MemoryFileConverter {
public:
    using LogSink = ConversionLog;

    explicit MemoryFileConverter(ConversionSetup setup);

    // target: a conversion revision of the plan.
    bool ConvertData(int target);
    // From 3.000 data.
    bool ConvertToVersion7();

    const MemoryPresence &Presence() const { return m_presence; }

private:
    using Convert = std::function<bool(const QByteArray &in, QByteArray &out)>;

    bool RunStep(ConversionStep step, int revision);
    bool SystemStep(int revision);
    bool FormatMemory(int revision);
    bool FormatMemory2179();
    bool FormatMemory2349();
    bool FormatMemory2449();
    bool FormatMemoryNewFormats(int revision);
    bool FormatKnob(int revision);
    bool RenameKnobList(const QString &name, std::span<const NameChange> renames, std::span<const char *const> added,
                        int addedHeadingId);
    bool AppendToKnobList(const QString &name, std::span<const char *const> added, int addedHeadingId);
    bool ImageKnob(int revision);
    bool ImageKnobDirectory(int revision);
    bool KnobsToDirectories();
    bool ImageMemory(int revision);
    bool SequenceMemory(int revision);
    bool SequenceMemory2179();
    bool Fonts();
    bool Formats7();
    bool Sequences7();
    bool Images7();
    bool Knobs7();
    bool Paths7();

    // --- the folder's files; each failure logs its line
    QString Path(const QString &name) const;
    QString ShownPath(const QString &name) const;
    bool ReadFile(const QString &name, QByteArray &bytes);
    bool ReadFileAt(const QString &path, const QString &shown, QByteArray &bytes);
    bool WriteFile(const QString &name, const QByteArray &bytes);
    bool RenameFile(const QString &from, const QString &to);
    bool Exists(const QString &name) const;
    bool RemoveFile(const QString &name);
    // name through its ".tmp" file: convert's false is a corrupted file.
    bool Rewrite(const QString &name, const Convert &convert);
    bool Corrupted(const QString &name);

    // --- the log
    void Log(int id, const QStringList &inserts = {});
    void LogNewNames(int headingId, std::span<const char *const> names);

    QString m_folder;
    QString m_shownFolder;
    int m_source;
    MemoryPresence m_presence;
    QString m_coreFormats;
    LogSink m_log;
};
