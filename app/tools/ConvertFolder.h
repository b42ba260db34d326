#pragma once
// The restoration tool's folder conversion: the checked memory files of a
// data folder, converted to a later firmware revision, into a destination
// folder. The work is done in a staging folder inside the destination; only
// a conversion that succeeded replaces the destination's memory files with
// its results. A failed one leaves the destination as it was, and the data
// folder is only ever read.

#include "MemoryFileConverter.h"

#include <QString>
#include <QStringList>

// checkedNames: the memory files to convert (system.sys is always taken);
// target: the firmware revision wanted; coreFormats: as ConversionSetup
// has it. Every step and failure is logged.
bool ConvertFolder(const QString &dataFolder, const QString &destination, const QStringList &checkedNames,
                   double target, const ConversionLog &log, const QString &coreFormats = {});
