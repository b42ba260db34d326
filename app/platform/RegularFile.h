#pragma once
// The files the program reads and writes are regular files. A device, a
// FIFO or a folder chosen as a file would block the window in its open,
// read without end or be replaced by a rename: each is refused with a
// reason that names what it is.

#include <QString>

class QFile;

namespace RegularFile {

// Why what lies at path is no regular file ("\"/dev/zero\" is a device, not
// a file."); empty when it is one, or when nothing can be found at path
// (opening or creating it then says what is wrong).
QString NotAFile(const QString &path);

// Why a file written to path and renamed into place would replace what
// is no file and no folder (a device, a FIFO, a socket); empty otherwise. A
// folder makes the write fail by itself.
QString NotAFileToReplace(const QString &path);

// Opens path read-only when it is a regular file; a FIFO is refused
// without waiting for a writer. False when the path is no regular file
// (the reason in notAFile) or cannot be opened (notAFile empty).
bool OpenForReading(QFile &file, const QString &path, QString &notAFile);

} // namespace RegularFile
