#include "MemoryFileIo.h"

#include "SafeFile.h"

FileRead ReadWholeFile(const QString &path, QByteArray &bytes)
{
    switch (SafeFile::ReadWhole(path, kMemoryFileMaxBytes, bytes)) {
    case SafeFile::Read::Yes: return FileRead::Read;
    case SafeFile::Read::NotOpened: return FileRead::CannotOpen;
    case SafeFile::Read::TooLarge:
    case SafeFile::Read::NotRead: return FileRead::CannotRead;
    }
    return FileRead::CannotRead;
}
