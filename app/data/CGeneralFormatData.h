#pragma once
// The parameter set of a format: every timing and signal value a generator
// needs, the values the editor's pages keep (entry units, back porch, the
// worksheets), and the conversions to and from the flat FormatRecord.

#include "CKindValue.h"
#include "CObject.h"

#include <QString>
#include <QtGlobal>

#include <array>

struct FormatRecord;

class CGeneralFormatData : public CObject {
    DECLARE_SERIAL(CGeneralFormatData)

public:
    // Not 25.4: the factors the format files have always been written with.
    static constexpr double kMmPerInch = 25.4000508;
    static constexpr double kInchesPerMm = 0.03937000000015748;
    static constexpr qint32 kUnitInches = 1;
    static constexpr qint32 kUnitMm = 2;
    // Version of the older product's record that carries every field.
    static constexpr qint32 kLegacyVersion = 7;

    CGeneralFormatData() = default;
    CGeneralFormatData(const CGeneralFormatData &) = default;
    CGeneralFormatData &operator=(const CGeneralFormatData &) = default;

    // The name, then the body (see SerializeBody). A load takes the last
    // field only when the file still holds it: older files end before it.
    void Serialize(CArchive &ar) override;
    // Everything after the name. legacyVersion limits a load of the older
    // product's record to the fields its version has (that record always
    // carries its last field); 0 means a format file.
    void SerializeBody(CArchive &ar, qint32 legacyVersion = 0);

    // Counts from the times (time x rate, rounded), everything else copied.
    // False, with the reason, when a time gives no count (not a number, too large).
    bool FillRecord(FormatRecord &record, QString *error = nullptr) const;
    // Takes a record and derives the rates, times and sizes from it. A record
    // with a value outside its limits is refused whole: false, the reason,
    // and nothing changes.
    bool FillFromRecord(const FormatRecord &record, QString *error = nullptr);
    // Empty when the values can be used (finite, rates that can be divided
    // by, times that give counts); else the reason they cannot.
    QString CheckValues() const;

    static double InchesToMm(double inches) { return inches * kMmPerInch; }
    static double MmToInches(double mm) { return mm * kInchesPerMm; }

    QString name = QStringLiteral("default");
    CAcsKind acsKind{2};      // "American ORed"
    CDcsKind dcsKind{2};      // "American ORed"
    CDssKind dssKind{1};      // "American Separate"
    CSyncSelect syncSelect{1}; // DSS; holds the generator's SSST code
    CVideoKind videoKind{2};  // "Analog RGB (color)"
    qint32 syncOnRed = 0, syncOnGreen = 1, syncOnBlue = 0;
    qint32 hSyncGate = 1, vSyncGate = 1, cSyncGate = 1;
    qint32 hSyncPolarity = 0, vSyncPolarity = 0, cSyncPolarity = 0; // 1 positive
    qint32 gammaOn = 0;
    double gamma = 2.2;
    qint32 pedestalOn = 0;
    double pedestalLevel = 7.5; // IRE
    double videoSwing = 0.7;    // V
    double syncSwing = 0.3;     // V
    double pixelRate = 25175000;
    double pixelPeriod = 1.0 / 25175000;
    double lineRate = 31469;
    double fieldRate = 59.941;
    qint32 pcpg = 0;
    // Counts in pixels and lines (whole numbers), times in seconds.
    double hActive = 640, hActiveTime = 2.5422e-05;
    double hTotal = 800, hTotalTime = 3.1777e-05;
    double hBlank = 160, hBlankTime = 6.355e-06;
    double hSyncDelay = 16, hSyncDelayTime = 6.36e-07;
    double hSyncWidth = 96, hSyncWidthTime = 3.813e-06;
    double vActive = 480, vActiveTime = 0.015253;
    double vTotal = 525, vTotalTime = 0.016683;
    double vBlank = 45, vBlankTime = 0.00143;
    double vSyncDelay = 10, vSyncDelayTime = 0.000318;
    double vSyncWidth = 2, vSyncWidthTime = 6.4e-05;
    double hImageSize = 284.48, vImageSize = 213.36; // in the size unit
    qint32 sizeUnit = kUnitMm;
    double hSizeInches = 11.2, hSizeMm = 284.48;
    double vSizeInches = 8.4, vSizeMm = 213.36;
    qint32 eqBefore = 0, eqAfter = 0;
    qint32 interlaced = 0;
    qint32 timeEntryUnits = 0; // 1 times entered, 0 counts entered
    qint32 backPorchMode = 0;
    double hBackPorchTime = 0, vBackPorchTime = 0, hBackPorchPixels = 0, vBackPorchLines = 0;
    qint32 repeatField = 0;
    qint32 pixelDepth = 0;
    qint32 avcs = 0;
    // Worksheet 1 inputs.
    double lineBlankingPercent = 20.0;
    double lineBlankingTime = 2.1214532; // us
    double worksheetFieldRate = 75.0;    // Hz
    double fieldBlankingTime = 0.6;      // ms
    double hResolution = 1600, vResolution = 1200;
    qint32 enterPercentBlanking = 1;
    // Worksheet 2: kept and stored only.
    std::array<double, 9> worksheet2 = {519.1839, 154.152, 72.0, 2568, 2048, 0.27, 0.0065, 1.38, 0.0649};
};
