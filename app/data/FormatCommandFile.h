#pragma once
// Format command files: the lines that build and store a format on a
// generator, and the reader that takes them back into a FormatRecord.

#include "FormatRecord.h"

#include <QString>
#include <QStringList>

class CCommandReader;

// The file's lines, header first, without line ends (the file ends each
// with CR LF). name goes unchanged after FMTN, NAME and FMTA.
QStringList FormatCommandLines(const FormatRecord &record, const QString &name);

// A name argument: the next token, or the text between double quotes
// (blanks and all) when the token opens with one. False when there is none
// or it is empty.
bool ReadNameArgument(CCommandReader &reader, QString &name);

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
