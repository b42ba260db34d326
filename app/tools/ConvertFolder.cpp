#include "ConvertFolder.h"

#include "MemoryFileIo.h"
#include "MemoryFiles.h"
#include "Numbers.h"
#include "SafeFile.h"
#include "StringTable.h"
#include "SystemRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class FolderConversion {
public:
    FolderConversion(const QString &dataFolder, const QString &destination, ConversionLog log)
        : m_data(QDir(dataFolder).absolutePath() + QLatin1Char('/')),
          m_destination(QDir(destination).absolutePath() + QLatin1Char('/')), m_log(std::move(log))
    {
    }

    bool Run(const QStringList &checkedNames, double target, const QString &coreFormats);

private:
    bool DistinctFolders();
    bool ReadSourceRevision(int &sourceRevision);
    bool CheckTarget(int sourceRevision, double target, int &mapped);
    bool CopyIn(const QString &staging, const QString &name, MemoryPresence &presence);
    bool MoveResults(const QString &staging);
    QString Shown(const QString &path) const { return QDir::toNativeSeparators(path); }
    void Log(int id, const QStringList &inserts = {})
    {
        if (m_log)
            m_log(FormatString(unsigned(id), inserts));
    }

    QString m_data;
    QString m_destination;
    ConversionLog m_log;
};

// The oldest data's file names are the conversion's "formats.fmt" and
// "images.img".
QString ConversionName(const QString &name)
{
    if (name.compare(QLatin1String(kOldFormatFileName), Qt::CaseInsensitive) == 0)
        return QStringLiteral("formats.fmt");
    if (name.compare(QLatin1String(kOldImageFileName), Qt::CaseInsensitive) == 0)
        return QStringLiteral("images.img");
    return name.toLower();
}

bool FolderConversion::Run(const QStringList &checkedNames, double target, const QString &coreFormats)
{
    int source = 0;
    int mapped = 0;
    if (!DistinctFolders() || !ReadSourceRevision(source) || !CheckTarget(source, target, mapped))
        return false;
    QTemporaryDir staging(m_destination + QStringLiteral(".convert-XXXXXX"));
    if (!staging.isValid()) {
        Log(IDS_CONVERT_UNABLE_TO_CREATE, {Shown(m_destination + QStringLiteral(".convert"))});
        return false;
    }
    MemoryPresence presence;
    if (!CopyIn(staging.path(), QStringLiteral("system.sys"), presence))
        return false;
    for (const QString &name : checkedNames)
        if (name.compare(QStringLiteral("system.sys"), Qt::CaseInsensitive) != 0
            && !CopyIn(staging.path(), name, presence))
            return false;
    MemoryFileConverter converter({staging.path(), m_destination, source, presence, coreFormats, m_log});
    const bool converted
        = mapped >= 7000 ? converter.ConvertData(3000) && converter.ConvertToVersion7() : converter.ConvertData(mapped);
    return converted && MoveResults(staging.path());
}

// Spelled differently ("a/" and "a", a link, another case), one folder
// would be read and rewritten at once.
bool FolderConversion::DistinctFolders()
{
    const QString data = QFileInfo(m_data).canonicalFilePath();
    const QString destination = QFileInfo(m_destination).canonicalFilePath();
    if (data.isEmpty()) {
        Log(IDS_CONVERT_UNABLE_TO_OPEN, {Shown(m_data)});
        return false;
    }
    if (destination.isEmpty() || !QFileInfo(destination).isDir()) {
        Log(IDS_CONVERT_UNABLE_TO_OPEN, {Shown(m_destination)});
        return false;
    }
    if (data.compare(destination, Qt::CaseInsensitive) == 0) {
        Log(IDS_CONVERT_SAME_FOLDERS);
        return false;
    }
    return true;
}

// Data of a revision the table lacks would run the whole chain from 2.179
// over files that are past it.
bool FolderConversion::ReadSourceRevision(int &sourceRevision)
{
    const QString path = m_data + QStringLiteral("system.sys");
    QByteArray bytes;
    const FileRead read = ReadWholeFile(path, bytes);
    if (read != FileRead::Read) {
        Log(read == FileRead::CannotOpen ? IDS_CONVERT_UNABLE_TO_OPEN : IDS_CORRUPTED_FILE, {Shown(path)});
        return false;
    }
    const std::optional<SystemRecord> record = SystemRecord::FromBytes(bytes);
    const std::optional<double> revision = record ? record->Revision() : std::nullopt;
    if (!revision) {
        Log(IDS_CORRUPTED_FILE, {Shown(path)});
        return false;
    }
    sourceRevision = MapRevision(*revision);
    if (sourceRevision == 0 || sourceRevision >= 7000) {
        Log(IDS_CONVERT_UNKNOWN_SOURCE, {FormatFixed(*revision, 8)});
        return false;
    }
    return true;
}

bool FolderConversion::CheckTarget(int sourceRevision, double target, int &mapped)
{
    mapped = MapRevision(target);
    if (mapped == 0) {
        Log(IDS_CONVERT_TO_UNKNOWN, {FormatFixed(target, 8)});
        return false;
    }
    if (mapped <= sourceRevision) {
        Log(mapped == sourceRevision ? IDS_CONVERT_NOTHING_TO_DO : IDS_CONVERT_OLDER);
        return false;
    }
    return true;
}

// Only a file of the data folder itself is taken: a name with a separator
// or ".." would reach outside both folders.
bool FolderConversion::CopyIn(const QString &staging, const QString &name, MemoryPresence &presence)
{
    const QString from = m_data + name;
    const QString as = ConversionName(name);
    const bool plainName = !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
                        && name != QLatin1String(".") && name != QLatin1String("..");
    QByteArray bytes;
    if (!plainName || ReadWholeFile(from, bytes) != FileRead::Read
        || !SafeFile::WriteWhole(staging + QLatin1Char('/') + as, bytes)) {
        Log(IDS_CONVERT_UNABLE_TO_COPY, {Shown(from), Shown(m_destination + as)});
        return false;
    }
    presence.Note(as);
    return true;
}

// Each result renamed over its old file, then the destination's other
// memory files deleted: what is left is the converted folder.
bool FolderConversion::MoveResults(const QString &staging)
{
    const QStringList results = QDir(staging).entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : results) {
        const QString from = staging + QLatin1Char('/') + name;
        const QString to = m_destination + name;
        if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
            Log(IDS_CONVERT_UNABLE_TO_COPY, {Shown(from), Shown(to)});
            return false;
        }
    }
    QStringList stale;
    for (const char *name : MemoryFileNames)
        stale.append(QLatin1String(name));
    stale << QLatin1String(kOldFormatFileName) << QLatin1String(kOldImageFileName);
    for (const QString &name : stale) {
        const QString path = m_destination + name;
        if (!results.contains(name) && QFileInfo::exists(path) && !QFile::remove(path)) {
            Log(IDS_CONVERT_UNABLE_TO_WRITE, {Shown(path)});
            return false;
        }
    }
    return true;
}

} // namespace

bool ConvertFolder(const QString &dataFolder, const QString &destination, const QStringList &checkedNames,
                   double target, const ConversionLog &log, const QString &coreFormats)
{
    return FolderConversion(dataFolder, destination, log).Run(checkedNames, target, coreFormats);
}
