#pragma once
// The flat form of a format: what is sent to a generator, written to a
// command file and read back from either. Never stored in a data file.

#include "CKindValue.h"

#include <QString>
#include <QtGlobal>

struct FormatRecord {
    QString name;
    double lineRate = 0;
    // Whole counts, kept as doubles (a command file may give fractions).
    double hActive = 0, hTotal = 0, hSyncDelay = 0, hSyncWidth = 0;
    double vActive = 0, vTotal = 0, vSyncDelay = 0, vSyncWidth = 0;
    qint32 pcpg = 0;
    qint32 eqBefore = 0, eqAfter = 0;
    qint32 syncOnRed = 0, syncOnGreen = 0, syncOnBlue = 0;
    qint32 hSyncPolarity = 0, vSyncPolarity = 0, cSyncPolarity = 0;
    qint32 hSyncGate = 0, vSyncGate = 0, cSyncGate = 0;
    qint32 pedestalOn = 0;
    qint32 gammaOn = 0;
    qint32 interlaced = 0;
    CAcsKind acsKind;
    CDcsKind dcsKind;
    CDssKind dssKind;
    CSyncSelect syncSelect;
    CVideoKind videoKind;
    double hImageSize = 0, vImageSize = 0;
    double pedestalLevel = 0;
    qint32 sizeUnit = 0;
    double gamma = 0;
    double videoSwing = 0, syncSwing = 0;
    qint32 repeatField = 0, pixelDepth = 0, avcs = 0;
};

// Limits on the numbers of a record that came from outside (a command
// file, a generator's reply): those the format editor accepts. Totals start
// at 1 because the rates are divided by them.
struct FormatLimits {
    static constexpr double kMinLineRate = 2000;
    static constexpr double kMaxLineRate = 250000;
    static constexpr double kMaxCount = 9999;
    static constexpr double kMinSize = 0.1;
    static constexpr double kMaxSize = 9999.999;
};

// Empty when every number of the record is finite and within its limits;
// otherwise a sentence naming the first value that is not.
QString CheckFormatRecord(const FormatRecord &record);
