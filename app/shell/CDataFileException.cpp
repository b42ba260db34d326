#include "CDataFileException.h"
#include "StringTable.h"

#include <QFileInfo>

#include <cerrno>


namespace {

// The causes' texts are a run of rows, IDS_FILE_CAUSE_FIRST + the cause.
constexpr int kCauseCount = 15;

} // namespace

QString CDataFileException::GetCauseText()
{
    if (m_cause >= 0 && m_cause < kCauseCount)
        m_text = LoadString(IDS_FILE_CAUSE_FIRST + unsigned(m_cause));
    return m_text;
}

CDataFileException CDataFileException::FromFile(const QFileDevice &file, const QString &path)
{
    const QFileInfo target(path);
    const QFileInfo folder(target.absolutePath());
    int cause = generic;
    if (!folder.exists() || !folder.isDir())
        cause = badPath;
    else if (target.isDir())
        cause = accessDenied;
    else if (file.error() == QFileDevice::OpenError || file.error() == QFileDevice::PermissionsError
             || file.error() == QFileDevice::RenameError)
        cause = accessDenied;
    else if (file.error() == QFileDevice::ResourceError)
        cause = tooManyOpenFiles;
    return CDataFileException(cause, int(file.error()), path);
}

CDataFileException CDataFileException::FromSystemError(int error, const QString &path)
{
    int cause = generic;
    switch (error) {
    case ENOSPC:
    case EFBIG:
    case EDQUOT: cause = diskFull; break;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: cause = accessDenied; break;
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG: cause = badPath; break;
    case EMFILE:
    case ENFILE: cause = tooManyOpenFiles; break;
    case EIO: cause = hardIO; break;
    default: break;
    }
    return CDataFileException(cause, error, path);
}
