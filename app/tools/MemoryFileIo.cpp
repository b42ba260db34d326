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
    if (!file.open(QIODevice::WriteOnly))
        return FileWrite::CannotCreate;
    if (file.write(bytes) != bytes.size())
        return FileWrite::CannotWrite;
    return file.commit() ? FileWrite::Written : FileWrite::CannotWrite;
}
