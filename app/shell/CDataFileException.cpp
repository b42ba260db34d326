#include "CDataFileException.h"

#include <QFileInfo>


namespace {

const char *const kCauseTexts[] = {
    "No error occurred.",
    "An unspecified error occurred.",
    "The file could not be located.",
    "All or part of the path is invalid.",
    "The permitted number of open files was exceeded.",
    "The file could not be accessed.\nCheck 'Read Only' property.",
    "There was an attempt to use an invalid file handle.",
    "The current working directory cannot be removed.",
    "There are no more directory entries.",
    "There was an error trying to set the file pointer.",
    "There was a hardware error.",
    "SHARE.EXE was not loaded, or a shared region was locked.",
    "There was an attempt to lock a region that was already locked.",
    "The disk is full.",
    "The end of file was reached. ",
};

} // namespace

QString CDataFileException::GetCauseText()
{
    if (m_cause >= 0 && m_cause < int(std::size(kCauseTexts)))
        m_text = QString::fromUtf8(kCauseTexts[m_cause]);
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
