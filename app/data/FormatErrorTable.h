#pragma once
// The generator's format error numbers (the reply of "FMTG?") and their
// texts. A row covers the numbers first..last; most rows cover one.

#include <QString>

#include <span>

struct FormatErrorRow {
    int first;
    int last;
    const char *text;
};

// Every row, in the generator's own order.
std::span<const FormatErrorRow> FormatErrorRows();

// The text of the first row that covers number, else "Undefined".
QString FormatErrorText(int number);
