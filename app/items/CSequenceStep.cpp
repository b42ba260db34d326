#include "CSequenceStep.h"

#include "Archive.h"
#include "CKindValue.h"

#include <QtEndian>

#include <cmath>
#include <cstring>

IMPLEMENT_SERIAL(CSequenceStep, CObject, VERSIONABLE_SCHEMA | 1)

namespace {

constexpr int kImageNameOffset = 9;
constexpr int kNamesBytes = 18;
constexpr double kSecondsTolerance = 0.001;

bool InRange(qint32 value, qint32 high, qint32 low = CSequenceStep::kNotSet)
{
    return value >= low && value <= high;
}

// Out of range: not set.
bool Clip(qint32 &value, qint32 high)
{
    if (InRange(value, high))
        return true;
    value = CSequenceStep::kNotSet;
    return false;
}

bool IsNameByte(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == 0 || u == '&' ||
           u == '\'' || u == '+' || u == '@' || u == '_';
}

void PutName(char *at, const QString &name)
{
    const QByteArray bytes = name.left(CSequenceStep::kNameLength).toLatin1();
    std::memcpy(at, bytes.constData(), size_t(bytes.size()));
}

QString GetName(const char *at)
{
    return QString::fromLatin1(at, qsizetype(strnlen(at, CSequenceStep::kNameLength)));
}

} // namespace

void CSequenceStep::Serialize(CArchive &ar)
{
    if (ar.IsStoring()) {
        ar << formatName << imageName << red << green << blue << output << imageVersion << syncType << duration;
        return;
    }
    ar >> formatName >> imageName >> red >> green >> blue >> output >> imageVersion >> syncType >> duration;
    Normalize();
}

bool CSequenceStep::ValuesInRange() const
{
    const bool gatesAgree = (red == kNotSet) == (green == kNotSet) && (green == kNotSet) == (blue == kNotSet);
    return InRange(red, 1) && InRange(green, 1) && InRange(blue, 1) && gatesAgree && InRange(output, 1) &&
           InRange(imageVersion, kMaxImageVersion) && InRange(syncType, kMaxSyncRow) &&
           InRange(duration, kMaxDurationRow);
}

bool CSequenceStep::Normalize()
{
    bool kept = Clip(red, 1);
    kept = Clip(green, 1) && kept;
    kept = Clip(blue, 1) && kept;
    if (red == kNotSet || green == kNotSet || blue == kNotSet) {
        kept = kept && red == green && green == blue;
        red = green = blue = kNotSet;
    }
    kept = Clip(output, 1) && kept;
    kept = Clip(imageVersion, kMaxImageVersion) && kept;
    kept = Clip(syncType, kMaxSyncRow) && kept;
    kept = Clip(duration, kMaxDurationRow) && kept;
    return kept;
}

bool CSequenceStep::IsEqual(const CSequenceStep &other) const
{
    return formatName.compare(other.formatName, Qt::CaseInsensitive) == 0 &&
           imageName.compare(other.imageName, Qt::CaseInsensitive) == 0 && red == other.red &&
           green == other.green && blue == other.blue && output == other.output &&
           imageVersion == other.imageVersion && syncType == other.syncType && duration == other.duration;
}

void CSequenceStep::PackTransferRecord(TransferRecord &record) const
{
    std::memset(record.data(), 0, kNamesBytes);
    PutName(record.data(), formatName);
    PutName(record.data() + kImageNameOffset, imageName);
    const qint32 values[] = {red, green, blue, output, imageVersion, syncType, duration};
    for (size_t i = 0; i < std::size(values); ++i)
        qToLittleEndian(values[i], record.data() + kNamesBytes + 4 * i);
}

bool CSequenceStep::UnpackTransferRecord(const TransferRecord &record)
{
    for (int i = 0; i < kNamesBytes; ++i) {
        if (!IsNameByte(record[size_t(i)]))
            return false;
    }
    TransferRecord names = record;
    names[kNameLength] = names[kImageNameOffset + kNameLength] = '\0';
    formatName = GetName(names.data());
    imageName = GetName(names.data() + kImageNameOffset);
    qint32 *values[] = {&red, &green, &blue, &output, &imageVersion, &syncType, &duration};
    for (size_t i = 0; i < std::size(values); ++i)
        *values[i] = qFromLittleEndian<qint32>(record.data() + kNamesBytes + 4 * i);
    return ValuesInRange();
}

int CSequenceStep::SyncTypeToCommand(int row)
{
    return InRange(row, kMaxSyncRow) && row != kNotSet ? CSyncSelect::CodeFromRow(row) : kNotSet;
}

int CSequenceStep::SyncTypeFromCommand(int code)
{
    const int row = CSyncSelect::RowFromCode(code);
    return InRange(row, kMaxSyncRow, 0) ? row : kNotSet;
}

int CSequenceStep::DurationFromSeconds(double seconds)
{
    if (!(seconds >= 0))
        return kNotSet;
    const CDelayKind delays;
    for (int row = 0; row < delays.GetCount(); ++row) {
        if (std::fabs(delays.GetSeconds(row) - seconds) < kSecondsTolerance)
            return row;
    }
    return 0;
}

double CSequenceStep::SecondsOfDuration(int row)
{
    if (!InRange(row, kMaxDurationRow, 0))
        return CDelayKind::kNotSetSeconds;
    return CDelayKind().GetSeconds(row);
}

int CSequenceStep::GateMask() const
{
    if (red == kNotSet || green == kNotSet || blue == kNotSet)
        return kNotSet;
    return red * 4 + green * 2 + blue;
}

void CSequenceStep::SetGateMask(int mask)
{
    if (mask < 0 || mask > 7) {
        red = green = blue = kNotSet;
        return;
    }
    red = (mask >> 2) & 1;
    green = (mask >> 1) & 1;
    blue = mask & 1;
}
