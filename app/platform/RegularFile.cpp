#include "RegularFile.h"

#include "ResourceIds.h"
#include "StringTable.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString KindProblem(const QString &path, mode_t mode)
{
    if (S_ISREG(mode))
        return QString();
    const unsigned id = S_ISDIR(mode)                    ? IDS_PATH_IS_FOLDER
                        : S_ISCHR(mode) || S_ISBLK(mode) ? IDS_PATH_IS_DEVICE
                        : S_ISFIFO(mode)                 ? IDS_PATH_IS_FIFO
                        : S_ISSOCK(mode)                 ? IDS_PATH_IS_SOCKET
                                                         : IDS_PATH_IS_NO_FILE;
    return FormatString(id, {path});
}

} // namespace

namespace RegularFile {

QString NotAFile(const QString &path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return QString();
    return KindProblem(path, status.st_mode);
}

QString NotAFileToReplace(const QString &path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || S_ISDIR(status.st_mode))
        return QString();
    return KindProblem(path, status.st_mode);
}

bool OpenForReading(QFile &file, const QString &path, QString &notAFile)
{
    // Looked at before the open: opening a device or a FIFO may already act.
    notAFile = NotAFile(path);
    if (!notAFile.isEmpty())
        return false;
    // Non-blocking and checked again on the descriptor, in case the path
    // was replaced in between.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        notAFile = KindProblem(path, status.st_mode);
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file.setFileName(path);
    return file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
}

} // namespace RegularFile
