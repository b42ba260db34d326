#pragma once
// Reading and writing whole memory files. A file is written beside its
// place and renamed over it only when every byte and the close succeeded,
// so a failed write leaves what was there.
// (Private to the conversion until the program has one safe file writer.)

#include <QByteArray>
#include <QString>

enum class FileRead { Read, CannotOpen, CannotRead };
enum class FileWrite { Written, CannotCreate, CannotWrite };

// Only a regular file is read; a FIFO or device is refused without waiting.
FileRead ReadWholeFile(const QString &path, QByteArray &bytes);
FileWrite WriteWholeFile(const QString &path, const QByteArray &bytes);
