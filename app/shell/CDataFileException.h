#pragma once
// A failed data-file operation: a cause code with its fixed text, the
// system's error number and the file's name. A value that a failing save
// fills and shows; it keeps the class library's name but is never thrown.

#include <QFileDevice>
#include <QString>

class CDataFileException {
public:
    enum Cause {
        none = 0,
        generic = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14,
        notRegularFile = 15, // no fixed text: m_text names what the path is
    };

    CDataFileException() = default;
    CDataFileException(int cause, int osError, const QString &fileName)
        : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}

    // The fixed text of causes 0-14 (kept in m_text); any other cause gives m_text as it is.
    QString GetCauseText();

    // The cause of a failed open or write of a file at path.
    static CDataFileException FromFile(const QFileDevice &file, const QString &path);
    // The cause of a system error number (errno) met writing path.
    static CDataFileException FromSystemError(int error, const QString &path);

    int m_cause = none;
    int m_lOsError = 0;
    QString m_strFileName;
    QString m_text;
};
