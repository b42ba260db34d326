#pragma once
// The program's string table and the formatter for its message inserts.

#include "ResourceIds.h"

#include <QString>
#include <QStringList>

// The text under id, or an empty string when the table has none.
QString LoadString(unsigned id);

// Expands a message text: %1..%99 take the insert of that number (a
// trailing printf-style marker such as %1!d! or %2!s! is dropped; the
// insert is used as given), %n is a line break, %% a percent sign, "% " a
// space, %. and %! the character itself, %t a tab and %0 ends the text.
// A missing insert expands to nothing; any other "%x" is kept as it is.
QString FormatText(const QString &text, const QStringList &inserts);

// FormatText over the table text of id.
QString FormatString(unsigned id, const QStringList &inserts);

// Ids that more than one row of the table claims (two subsystems' files
// colliding); the first row wins at lookup.
QList<unsigned> DuplicateStringIds();
