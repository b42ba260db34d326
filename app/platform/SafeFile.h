#pragma once
// The program's one way to write a file, and to read one whole.
//
// Write puts the bytes in a new file beside the target, checks every write,
// the flush to the disk and the close, and only then renames it over the
// target: a full disk, a read-only folder or a cut never leaves a partial
// file, the old one stays byte for byte, and no temporary file is left. A
// path that holds something other than a regular file (a folder, a FIFO, a
// device) is refused before anything is opened.
//
// Read takes a regular file only (a FIFO or a device is refused without
// waiting on it) and no larger than the most its kind of file can hold.

#include <QByteArray>
#include <QString>

namespace SafeFile {

enum class Written {
    Yes,
    NotCreated, // refused, or no new file could be made beside the target
    NotWritten, // made, but a write, the flush, the close or the rename failed
};

// why (when given) gets a sentence for a box: the path and the reason;
// systemError the errno of the step that failed (0 for a refused path).
Written Write(const QString &path, const QByteArray &bytes, QString *why = nullptr, int *systemError = nullptr);

// Write as a yes or no.
inline bool WriteWhole(const QString &path, const QByteArray &bytes, QString *why = nullptr, int *systemError = nullptr)
{
    return Write(path, bytes, why, systemError) == Written::Yes;
}

// Whether Write could put a file at path now (what lies there, and a new
// file beside it): for a writer that works long before it writes.
bool CanWrite(const QString &path, QString *why = nullptr);

enum class Read {
    Yes,
    NotOpened, // no regular file there, or it cannot be opened
    TooLarge,  // larger than maxBytes
    NotRead,   // a read failed or the file changed its size meanwhile
};

// The whole file into bytes, when it holds no more than maxBytes.
Read ReadWhole(const QString &path, qint64 maxBytes, QByteArray &bytes, QString *why = nullptr);

} // namespace SafeFile
