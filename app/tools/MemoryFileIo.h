#pragma once
// Reading whole memory files; they are written through SafeFile.

#include <QByteArray>
#include <QString>

// A generator's memory, and so any file of it, stays under this.
constexpr qint64 kMemoryFileMaxBytes = 16 * 1024 * 1024;

enum class FileRead { Read, CannotOpen, CannotRead };

// Only a regular file of at most kMemoryFileMaxBytes is read; a FIFO or a
// device is refused without waiting, a larger file is not corrupt data but
// no memory file.
FileRead ReadWholeFile(const QString &path, QByteArray &bytes);
