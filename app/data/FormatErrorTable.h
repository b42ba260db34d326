#pragma once
// The generator's format error numbers (the reply of "FMTG?") and their
// texts. A row covers the numbers first..last; most rows cover one.

#include <QString>

#include <cstddef>
#include <span>

struct FormatErrorRow {
    int first;
    int last;
};

// Every row, in the generator's own order.
std::span<const FormatErrorRow> FormatErrorRows();

// The text of row index (IDS_FORMAT_ERROR_FIRST + index).
QString FormatErrorRowText(std::size_t index);

// The text of the first row that covers number, else "Undefined".
QString FormatErrorText(int number);
