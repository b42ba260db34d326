#pragma once
// Format command files: the lines that build and store a format on a
// generator, and the name argument their readers share (the reader of a
// format's lines is FormatCommandParser).

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
