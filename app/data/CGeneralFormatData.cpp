#include "CGeneralFormatData.h"

#include "Archive.h"
#include "FormatRecord.h"
#include "RoundToCount.h"
#include "StringTable.h"

#include <cmath>
#include <initializer_list>

IMPLEMENT_SERIAL(CGeneralFormatData, CObject, VERSIONABLE_SCHEMA | 2)

namespace {

// One field each way, so the store and the load cannot drift apart.
void Transfer(CArchive &ar, qint32 &value)
{
    if (ar.IsStoring())
        ar << value;
    else
        ar >> value;
}

void Transfer(CArchive &ar, double &value)
{
    if (ar.IsStoring())
        ar << value;
    else
        ar >> value;
}

// Files hold the index (the sync select: its code); an unknown one keeps the value.
void Transfer(CArchive &ar, CKindValue &kind)
{
    if (ar.IsStoring()) {
        ar << qint32(kind.GetArchiveValue());
        return;
    }
    qint32 value = 0;
    ar >> value;
    kind.SetArchiveValue(value);
}

template <class T>
void TransferAll(CArchive &ar, std::initializer_list<T *> fields)
{
    for (T *field : fields)
        Transfer(ar, *field);
}

// Whether a double of the parameter set reaches the file as a number.
struct NamedDouble {
    unsigned nameId;
    double CGeneralFormatData::*value;
};

const NamedDouble kDoubles[] = {
    {IDS_FORMAT_FIELD_GAMMA, &CGeneralFormatData::gamma},
    {IDS_FORMAT_FIELD_PEDESTAL_LEVEL, &CGeneralFormatData::pedestalLevel},
    {IDS_FORMAT_FIELD_VIDEO_SWING, &CGeneralFormatData::videoSwing},
    {IDS_FORMAT_FIELD_SYNC_SWING, &CGeneralFormatData::syncSwing},
    {IDS_FORMAT_FIELD_PIXEL_RATE, &CGeneralFormatData::pixelRate},
    {IDS_FORMAT_FIELD_PIXEL_PERIOD, &CGeneralFormatData::pixelPeriod},
    {IDS_FORMAT_FIELD_LINE_RATE, &CGeneralFormatData::lineRate},
    {IDS_FORMAT_FIELD_FIELD_RATE, &CGeneralFormatData::fieldRate},
    {IDS_FORMAT_FIELD_HORIZONTAL_ACTIVE, &CGeneralFormatData::hActive},
    {IDS_FORMAT_FIELD_HORIZONTAL_ACTIVE_TIME, &CGeneralFormatData::hActiveTime},
    {IDS_FORMAT_FIELD_HORIZONTAL_TOTAL, &CGeneralFormatData::hTotal},
    {IDS_FORMAT_FIELD_HORIZONTAL_TOTAL_TIME, &CGeneralFormatData::hTotalTime},
    {IDS_FORMAT_FIELD_HORIZONTAL_BLANK, &CGeneralFormatData::hBlank},
    {IDS_FORMAT_FIELD_HORIZONTAL_BLANK_TIME, &CGeneralFormatData::hBlankTime},
    {IDS_FORMAT_FIELD_HORIZONTAL_SYNC_DELAY, &CGeneralFormatData::hSyncDelay},
    {IDS_FORMAT_FIELD_HORIZONTAL_SYNC_DELAY_TIME, &CGeneralFormatData::hSyncDelayTime},
    {IDS_FORMAT_FIELD_HORIZONTAL_SYNC_WIDTH, &CGeneralFormatData::hSyncWidth},
    {IDS_FORMAT_FIELD_HORIZONTAL_SYNC_WIDTH_TIME, &CGeneralFormatData::hSyncWidthTime},
    {IDS_FORMAT_FIELD_VERTICAL_ACTIVE, &CGeneralFormatData::vActive},
    {IDS_FORMAT_FIELD_VERTICAL_ACTIVE_TIME, &CGeneralFormatData::vActiveTime},
    {IDS_FORMAT_FIELD_VERTICAL_TOTAL, &CGeneralFormatData::vTotal},
    {IDS_FORMAT_FIELD_VERTICAL_TOTAL_TIME, &CGeneralFormatData::vTotalTime},
    {IDS_FORMAT_FIELD_VERTICAL_BLANK, &CGeneralFormatData::vBlank},
    {IDS_FORMAT_FIELD_VERTICAL_BLANK_TIME, &CGeneralFormatData::vBlankTime},
    {IDS_FORMAT_FIELD_VERTICAL_SYNC_DELAY, &CGeneralFormatData::vSyncDelay},
    {IDS_FORMAT_FIELD_VERTICAL_SYNC_DELAY_TIME, &CGeneralFormatData::vSyncDelayTime},
    {IDS_FORMAT_FIELD_VERTICAL_SYNC_WIDTH, &CGeneralFormatData::vSyncWidth},
    {IDS_FORMAT_FIELD_VERTICAL_SYNC_WIDTH_TIME, &CGeneralFormatData::vSyncWidthTime},
    {IDS_FORMAT_FIELD_HORIZONTAL_IMAGE_SIZE, &CGeneralFormatData::hImageSize},
    {IDS_FORMAT_FIELD_VERTICAL_IMAGE_SIZE, &CGeneralFormatData::vImageSize},
    {IDS_FORMAT_FIELD_HORIZONTAL_SIZE_IN_INCHES, &CGeneralFormatData::hSizeInches},
    {IDS_FORMAT_FIELD_HORIZONTAL_SIZE_IN_MM, &CGeneralFormatData::hSizeMm},
    {IDS_FORMAT_FIELD_VERTICAL_SIZE_IN_INCHES, &CGeneralFormatData::vSizeInches},
    {IDS_FORMAT_FIELD_VERTICAL_SIZE_IN_MM, &CGeneralFormatData::vSizeMm},
    {IDS_FORMAT_FIELD_HORIZONTAL_BACK_PORCH_TIME, &CGeneralFormatData::hBackPorchTime},
    {IDS_FORMAT_FIELD_VERTICAL_BACK_PORCH_TIME, &CGeneralFormatData::vBackPorchTime},
    {IDS_FORMAT_FIELD_HORIZONTAL_BACK_PORCH, &CGeneralFormatData::hBackPorchPixels},
    {IDS_FORMAT_FIELD_VERTICAL_BACK_PORCH, &CGeneralFormatData::vBackPorchLines},
    {IDS_FORMAT_FIELD_LINE_BLANKING, &CGeneralFormatData::lineBlankingPercent},
    {IDS_FORMAT_FIELD_LINE_BLANKING_TIME, &CGeneralFormatData::lineBlankingTime},
    {IDS_FORMAT_FIELD_WORKSHEET_FIELD_RATE, &CGeneralFormatData::worksheetFieldRate},
    {IDS_FORMAT_FIELD_FIELD_BLANKING_TIME, &CGeneralFormatData::fieldBlankingTime},
    {IDS_FORMAT_FIELD_HORIZONTAL_RESOLUTION, &CGeneralFormatData::hResolution},
    {IDS_FORMAT_FIELD_VERTICAL_RESOLUTION, &CGeneralFormatData::vResolution},
};

// time x rate rounded, computed as time / (1 / rate) as the counts always were.
bool CountFromTime(double time, double rate, unsigned whatId, double &count, QString *error)
{
    const std::optional<int> rounded = RoundToCount(time / (1.0 / rate));
    if (!rounded) {
        if (error)
            *error = FormatString(IDS_FORMAT_TIME_NO_COUNT, {LoadString(whatId)});
        return false;
    }
    count = *rounded;
    return true;
}

} // namespace

void CGeneralFormatData::Serialize(CArchive &ar)
{
    if (ar.IsStoring())
        ar << name;
    else
        ar >> name;
    SerializeBody(ar);
}

void CGeneralFormatData::SerializeBody(CArchive &ar, qint32 legacyVersion)
{
    const qint32 version = legacyVersion > 0 ? legacyVersion : kLegacyVersion;
    TransferAll<CKindValue>(ar, {&acsKind, &dcsKind, &dssKind, &syncSelect, &videoKind});
    TransferAll<qint32>(ar, {&syncOnRed, &syncOnGreen, &syncOnBlue, &hSyncGate, &vSyncGate, &cSyncGate,
                             &hSyncPolarity, &vSyncPolarity, &cSyncPolarity, &gammaOn});
    Transfer(ar, gamma);
    Transfer(ar, pedestalOn);
    TransferAll<double>(ar, {&pedestalLevel, &videoSwing, &syncSwing, &pixelRate, &pixelPeriod, &lineRate, &fieldRate});
    TransferAll<double>(ar, {&hActive, &hActiveTime, &hTotal, &hTotalTime, &hBlank, &hBlankTime, &hSyncDelay,
                             &hSyncDelayTime, &hSyncWidth, &hSyncWidthTime, &vActive, &vActiveTime, &vTotal,
                             &vTotalTime, &vBlank, &vBlankTime, &vSyncDelay, &vSyncDelayTime, &vSyncWidth,
                             &vSyncWidthTime, &hImageSize, &vImageSize});
    Transfer(ar, sizeUnit);
    TransferAll<double>(ar, {&hSizeInches, &hSizeMm, &vSizeInches, &vSizeMm});
    TransferAll<qint32>(ar, {&eqBefore, &eqAfter, &interlaced, &timeEntryUnits, &backPorchMode});
    TransferAll<double>(ar, {&hBackPorchTime, &vBackPorchTime, &hBackPorchPixels, &vBackPorchLines});
    if (version >= 2)
        Transfer(ar, repeatField);
    if (version >= 3)
        Transfer(ar, pcpg);
    if (version >= 4) {
        TransferAll<double>(ar, {&lineBlankingPercent, &lineBlankingTime});
        Transfer(ar, enterPercentBlanking);
        TransferAll<double>(ar, {&worksheetFieldRate, &fieldBlankingTime, &hResolution, &vResolution});
    }
    if (version >= 5) {
        for (double &value : worksheet2)
            Transfer(ar, value);
    }
    if (version >= 6)
        Transfer(ar, pixelDepth);
    // Format files written before the field existed end here; the schema they
    // record cannot tell, the bytes left can.
    const bool avcsPresent = ar.IsStoring() || legacyVersion > 0 || ar.BytesLeft() >= qint64(sizeof(qint32));
    if (version >= 7 && avcsPresent)
        Transfer(ar, avcs);
}

bool CGeneralFormatData::FillRecord(FormatRecord &record, QString *error) const
{
    FormatRecord out;
    out.name = name;
    out.acsKind = acsKind;
    out.dcsKind = dcsKind;
    out.dssKind = dssKind;
    out.syncSelect = syncSelect;
    out.videoKind = videoKind;
    out.lineRate = lineRate;
    out.gamma = gamma;
    out.pedestalLevel = pedestalLevel;
    out.videoSwing = videoSwing;
    out.syncSwing = syncSwing;
    out.hImageSize = hImageSize;
    out.vImageSize = vImageSize;
    out.pcpg = pcpg;
    out.eqBefore = eqBefore;
    out.eqAfter = eqAfter;
    out.syncOnRed = syncOnRed;
    out.syncOnGreen = syncOnGreen;
    out.syncOnBlue = syncOnBlue;
    out.hSyncPolarity = hSyncPolarity;
    out.vSyncPolarity = vSyncPolarity;
    out.cSyncPolarity = cSyncPolarity;
    out.hSyncGate = hSyncGate;
    out.vSyncGate = vSyncGate;
    out.cSyncGate = cSyncGate;
    out.pedestalOn = pedestalOn;
    out.gammaOn = gammaOn;
    out.interlaced = interlaced;
    out.sizeUnit = sizeUnit;
    out.repeatField = repeatField;
    out.pixelDepth = pixelDepth;
    out.avcs = avcs;
    // The stored counts may lag behind an edited time; the times are what count.
    const bool counted = CountFromTime(hActiveTime, pixelRate, IDS_FORMAT_FIELD_HORIZONTAL_ACTIVE, out.hActive, error)
                         && CountFromTime(hTotalTime, pixelRate, IDS_FORMAT_FIELD_HORIZONTAL_TOTAL, out.hTotal, error)
                         && CountFromTime(hSyncDelayTime, pixelRate, IDS_FORMAT_FIELD_HORIZONTAL_SYNC_DELAY, out.hSyncDelay, error)
                         && CountFromTime(hSyncWidthTime, pixelRate, IDS_FORMAT_FIELD_HORIZONTAL_SYNC_WIDTH, out.hSyncWidth, error)
                         && CountFromTime(vActiveTime, lineRate, IDS_FORMAT_FIELD_VERTICAL_ACTIVE, out.vActive, error)
                         && CountFromTime(vTotalTime, lineRate, IDS_FORMAT_FIELD_VERTICAL_TOTAL, out.vTotal, error)
                         && CountFromTime(vSyncDelayTime, lineRate, IDS_FORMAT_FIELD_VERTICAL_SYNC_DELAY, out.vSyncDelay, error)
                         && CountFromTime(vSyncWidthTime, lineRate, IDS_FORMAT_FIELD_VERTICAL_SYNC_WIDTH, out.vSyncWidth, error);
    if (counted)
        record = out;
    return counted;
}

bool CGeneralFormatData::FillFromRecord(const FormatRecord &record, QString *error)
{
    const QString problem = CheckFormatRecord(record);
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return false;
    }
    name = record.name;
    acsKind = record.acsKind;
    dcsKind = record.dcsKind;
    dssKind = record.dssKind;
    syncSelect = record.syncSelect;
    videoKind = record.videoKind;
    lineRate = record.lineRate;
    syncOnRed = record.syncOnRed;
    syncOnGreen = record.syncOnGreen;
    syncOnBlue = record.syncOnBlue;
    hSyncPolarity = record.hSyncPolarity;
    vSyncPolarity = record.vSyncPolarity;
    cSyncPolarity = record.cSyncPolarity;
    hSyncGate = record.hSyncGate;
    vSyncGate = record.vSyncGate;
    cSyncGate = record.cSyncGate;
    pedestalOn = record.pedestalOn;
    gammaOn = record.gammaOn;
    interlaced = record.interlaced;
    videoSwing = record.videoSwing;
    syncSwing = record.syncSwing;
    gamma = record.gamma;
    pedestalLevel = record.pedestalLevel;
    eqBefore = record.eqBefore;
    eqAfter = record.eqAfter;
    pcpg = record.pcpg;
    repeatField = record.repeatField;
    pixelDepth = record.pixelDepth;
    avcs = record.avcs;

    hActive = record.hActive;
    hTotal = record.hTotal;
    hSyncDelay = record.hSyncDelay;
    hSyncWidth = record.hSyncWidth;
    vActive = record.vActive;
    vTotal = record.vTotal;
    vSyncDelay = record.vSyncDelay;
    vSyncWidth = record.vSyncWidth;
    hBlank = hTotal - hActive;
    vBlank = vTotal - vActive;

    pixelRate = lineRate * hTotal;
    pixelPeriod = 1.0 / pixelRate;
    fieldRate = (lineRate / vTotal) * (interlaced ? 2 : 1);

    hActiveTime = hActive / pixelRate;
    hTotalTime = hTotal / pixelRate;
    hBlankTime = hBlank / pixelRate;
    hSyncDelayTime = hSyncDelay / pixelRate;
    hSyncWidthTime = hSyncWidth / pixelRate;
    vActiveTime = vActive / lineRate;
    vTotalTime = vTotal / lineRate;
    vBlankTime = vBlank / lineRate;
    vSyncDelayTime = vSyncDelay / lineRate;
    vSyncWidthTime = vSyncWidth / lineRate;

    sizeUnit = record.sizeUnit;
    hImageSize = record.hImageSize;
    vImageSize = record.vImageSize;
    if (sizeUnit == kUnitInches) {
        hSizeInches = record.hImageSize;
        vSizeInches = record.vImageSize;
        hSizeMm = InchesToMm(hSizeInches);
        vSizeMm = InchesToMm(vSizeInches);
    } else {
        hSizeMm = record.hImageSize;
        vSizeMm = record.vImageSize;
        hSizeInches = MmToInches(hSizeMm);
        vSizeInches = MmToInches(vSizeMm);
    }
    return true;
}

QString CGeneralFormatData::CheckValues() const
{
    for (const NamedDouble &field : kDoubles) {
        if (!std::isfinite(this->*field.value))
            return FormatString(IDS_FORMAT_VALUE_NOT_A_NUMBER, {LoadString(field.nameId)});
    }
    for (double value : worksheet2) {
        if (!std::isfinite(value))
            return LoadString(IDS_FORMAT_WORKSHEET_NOT_A_NUMBER);
    }
    if (!(pixelRate > 0))
        return LoadString(IDS_FORMAT_PIXEL_RATE_NOT_ABOVE_0);
    if (!(lineRate > 0))
        return LoadString(IDS_FORMAT_LINE_RATE_NOT_ABOVE_0);
    FormatRecord record;
    QString error;
    if (!FillRecord(record, &error))
        return error;
    return {};
}
