#pragma once
// The reader of a format's command lines: it applies each mnemonic's value
// to a FormatRecord, one reader's text at a time.

#include "FormatRecord.h"

#include <QString>

class CCommandReader;

// Applies a format's mnemonics to a record, one reader's text at a time.
class FormatCommandParser {
public:
    enum class Result {
        TextUsed, // the text ran out: give the next line
        Ended,    // FMTA or FMTE
        Failed,   // an argument was missing or unreadable; see Error
    };

    explicit FormatCommandParser(FormatRecord &record) : m_record(record) {}

    Result Read(CCommandReader &reader);
    // NAME was read: the record holds the name, and the item takes it too.
    bool NameSeen() const { return m_nameSeen; }
    QString Error() const { return m_error; }

private:
    bool ReadArgument(const char *mnemonic, CCommandReader &reader);
    bool ReadDouble(const char *mnemonic, CCommandReader &reader, double &value);
    bool ReadInt(const char *mnemonic, CCommandReader &reader, qint32 &value);
    bool Fail(const QString &error);

    FormatRecord &m_record;
    bool m_nameSeen = false;
    QString m_error;
};
