#pragma once
// The seven fields of a step as the sequence editor shows and picks them:
// one column of the step table and one picker each, in column order.

#include "CSequenceStep.h"

#include <QString>
#include <QStringList>

namespace StepColumns {

enum Column : int { kStep = 0, kFormat, kImage, kGates, kOutput, kVersion, kSync, kDuration };
inline constexpr int kCount = 8;
inline constexpr int kFirstField = kFormat;
inline constexpr int kLastField = kDuration;

// What every column shows for a field that is not set; also the first item of every picker.
QString NoChange();
// The header of a column.
QString Title(int column);
// The row number as the table shows it ("   3").
QString NumberText(int row);
// A field as its column shows it.
QString Text(const CSequenceStep &step, int column);
// The picker items of a fixed column (3 to 7) after "No Change"; empty for
// the name columns, whose items are the generator's names.
QStringList FixedItems(int column);
// Sets the column's field as picker item `item` says (0 "No Change").
void Pick(CSequenceStep &step, int column, int item, const QString &text);
// Whether the column holds a name (format or image).
inline bool IsNameColumn(int column) { return column == kFormat || column == kImage; }

} // namespace StepColumns
