#include "StepTransferBlock.h"

#include "StringTable.h"

#include <QtEndian>

#include <algorithm>

namespace StepTransferBlock {

namespace {

std::nullopt_t Refuse(QString *why, const QString &reason)
{
    if (why)
        *why = reason;
    return std::nullopt;
}

} // namespace

QString MimeType()
{
    return QStringLiteral("application/x-zot-sequence-steps");
}

QByteArray Build(const std::vector<CSequenceStep> &steps)
{
    QByteArray block(kHeaderSize + qsizetype(steps.size()) * CSequenceStep::kRecordSize, '\0');
    qToLittleEndian<quint32>(kMagic, block.data());
    qToLittleEndian<quint32>(quint32(steps.size()), block.data() + 4);
    CSequenceStep::TransferRecord record{};
    char *at = block.data() + kHeaderSize;
    for (const CSequenceStep &step : steps) {
        step.PackTransferRecord(record);
        std::copy(record.begin(), record.end(), at);
        at += CSequenceStep::kRecordSize;
    }
    return block;
}

std::optional<std::vector<CSequenceStep>> Parse(const QByteArray &block, QString *why)
{
    if (block.size() < kHeaderSize || qFromLittleEndian<quint32>(block.constData()) != kMagic)
        return Refuse(why, LoadString(IDS_STEPS_DROPPED_NONE));
    const quint32 count = qFromLittleEndian<quint32>(block.constData() + 4);
    if (count > kMaxCount)
        return Refuse(why, LoadString(IDS_STEPS_DROPPED_TOO_MANY).arg(count).arg(kMaxCount));
    if (block.size() != kHeaderSize + qsizetype(count) * CSequenceStep::kRecordSize)
        return Refuse(why, LoadString(IDS_STEPS_DROPPED_SHORT).arg(count));
    std::vector<CSequenceStep> steps(count);
    CSequenceStep::TransferRecord record{};
    const char *at = block.constData() + kHeaderSize;
    for (quint32 i = 0; i < count; ++i, at += CSequenceStep::kRecordSize) {
        std::copy(at, at + CSequenceStep::kRecordSize, record.begin());
        if (!steps[i].UnpackTransferRecord(record))
            return Refuse(why, LoadString(IDS_STEPS_DROPPED_BAD_VALUE).arg(i + 1));
    }
    return steps;
}

} // namespace StepTransferBlock
