#include "SafeFile.h"

#include "RegularFile.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <locale.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The program's texts are English: the system's reason too, whatever the
// user's locale would translate it to.
QString SystemReason(int error)
{
    static const locale_t english = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return QString::fromLocal8Bit(english ? strerror_l(error, english) : std::strerror(error));
}

void Tell(QString *why, unsigned id, const QStringList &inserts)
{
    if (why != nullptr)
        *why = FormatString(id, inserts);
}

// A name in the target's folder that no file has: the target's own name
// hidden behind a dot, with a random tail.
int CreateBeside(const QString &target, QByteArray &tempPath)
{
    const QFileInfo info(target);
    const QByteArray stem = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName());
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = stem + '.' + QByteArray::number(qulonglong(random()), 36) + ".tmp";
        // 0666 less the umask, as any new file of the program gets.
        const int fd = ::open(tempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool WriteAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size_t(size));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            if (done == 0)
                errno = ENOSPC;
            return false;
        }
        data += done;
        size -= done;
    }
    return true;
}

} // namespace

namespace SafeFile {

Written Write(const QString &path, const QByteArray &bytes, QString *why, int *systemError)
{
    if (systemError != nullptr)
        *systemError = 0;
    // A link is followed: the file it names is the one replaced.
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists())
        target = info.canonicalFilePath();
    const QString notAFile = RegularFile::NotAFile(target);
    if (!notAFile.isEmpty()) {
        if (why != nullptr)
            *why = notAFile;
        return Written::NotCreated;
    }
    const QByteArray targetBytes = QFile::encodeName(target);
    struct stat old {};
    const bool hadFile = ::stat(targetBytes.constData(), &old) == 0;
    const unsigned failedId = hadFile ? IDS_FILE_NOT_WRITTEN_OLD_KEPT : IDS_FILE_NOT_WRITTEN;

    QByteArray tempPath;
    const int fd = CreateBeside(target, tempPath);
    if (fd < 0) {
        if (systemError != nullptr)
            *systemError = errno;
        Tell(why, failedId, {path, SystemReason(errno)});
        return Written::NotCreated;
    }
    // The new file keeps the old one's permissions.
    if (hadFile)
        ::fchmod(fd, old.st_mode & 07777);
    bool ok = WriteAll(fd, bytes.constData(), bytes.size()) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(tempPath.constData(), targetBytes.constData()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(tempPath.constData());
        if (systemError != nullptr)
            *systemError = error;
        Tell(why, failedId, {path, SystemReason(error)});
        return Written::NotWritten;
    }
    // The rename itself reaches the disk with its folder; a failure here
    // loses nothing.
    const int folder = ::open(QFile::encodeName(QFileInfo(target).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return Written::Yes;
}

bool CanWrite(const QString &path, QString *why)
{
    const QString notAFile = RegularFile::NotAFile(QFileInfo(path).isSymLink() ? QFileInfo(path).canonicalFilePath() : path);
    if (!notAFile.isEmpty()) {
        if (why != nullptr)
            *why = notAFile;
        return false;
    }
    QByteArray tempPath;
    const int fd = CreateBeside(path, tempPath);
    if (fd < 0) {
        const int error = errno;
        Tell(why, QFileInfo::exists(path) ? IDS_FILE_NOT_WRITTEN_OLD_KEPT : IDS_FILE_NOT_WRITTEN, {path, SystemReason(error)});
        return false;
    }
    ::close(fd);
    ::unlink(tempPath.constData());
    return true;
}

Read ReadWhole(const QString &path, qint64 maxBytes, QByteArray &bytes, QString *why)
{
    bytes.clear();
    QFile file;
    QString notAFile;
    if (!RegularFile::OpenForReading(file, path, notAFile)) {
        const int error = errno;
        if (why != nullptr)
            *why = notAFile.isEmpty() ? FormatString(IDS_FILE_NOT_READ, {path, SystemReason(error)}) : notAFile;
        return Read::NotOpened;
    }
    const qint64 size = file.size();
    if (size > maxBytes) {
        Tell(why, IDS_FILE_TOO_LARGE, {path, QString::number(size), QString::number(maxBytes)});
        return Read::TooLarge;
    }
    // One byte more than the size shows: a file that grows meanwhile is
    // not taken as whole.
    bytes = file.read(size + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() != size) {
        Tell(why, IDS_FILE_NOT_READ, {path, file.error() != QFileDevice::NoError ? file.errorString() : SystemReason(EIO)});
        bytes.clear();
        return Read::NotRead;
    }
    return Read::Yes;
}

} // namespace SafeFile
