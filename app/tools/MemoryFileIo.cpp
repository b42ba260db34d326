#include "MemoryFileIo.h"

#include "RegularFile.h"

#include <QFile>
#include <QSaveFile>

FileRead ReadWholeFile(const QString &path, QByteArray &bytes)
{
    QFile file;
    QString notAFile;
    if (!RegularFile::OpenForReading(file, path, notAFile))
        return FileRead::CannotOpen;
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || bytes.size() != file.size())
        return FileRead::CannotRead;
    return FileRead::Read;
}

FileWrite WriteWholeFile(const QString &path, const QByteArray &bytes)
{
    if (!RegularFile::NotAFileToReplace(path).isEmpty())
        return FileWrite::CannotCreate;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return FileWrite::CannotCreate;
    // One unbuffered write, checked: a buffered one that the disk cuts short
    // would still be committed, truncated.
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return FileWrite::CannotWrite;
    }
    return file.commit() ? FileWrite::Written : FileWrite::CannotWrite;
}
