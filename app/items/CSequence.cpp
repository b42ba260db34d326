#include "CSequence.h"

#include "Archive.h"
#include "ItemEditorLink.h"
#include "StringTable.h"

IMPLEMENT_SERIAL(CSequence, CGenData, VERSIONABLE_SCHEMA | 1)

namespace {

// One step of the older product's record: a byte, the class name, a
// number, the two names, seven integers and a byte.
constexpr qint64 kLegacyStepFixedBytes = 1 + 4 + 4 + 4 + 4 + 7 * 4 + 1;
constexpr quint32 kLegacyClassNameLength = 64;

QString KindString(unsigned DataKind::*field)
{
    const DataKind *kind = CGenData::FindKind(CGenData::kSequence);
    return kind ? LoadString(kind->*field) : QString();
}

// Reads what the older product's record holds, refusing what the bytes left
// cannot hold before reading it.
class LegacyReader {
public:
    explicit LegacyReader(CArchive &ar) : m_ar(ar) {}

    bool Bytes(qint64 count)
    {
        if (count <= m_ar.BytesLeft())
            return true;
        return Fail(LoadString(IDS_RECORD_CUT_SHORT));
    }
    bool U32(quint32 &value)
    {
        if (!Bytes(4))
            return false;
        m_ar >> value;
        return true;
    }
    bool I32(qint32 &value)
    {
        if (!Bytes(4))
            return false;
        m_ar >> value;
        return true;
    }
    bool Skip(qint64 count)
    {
        if (!Bytes(count))
            return false;
        m_ar.ReadBytes(count);
        return true;
    }
    // A u32 length and that many bytes, the length at most maxLength.
    bool Text(quint32 maxLength, unsigned whatId, QString &text)
    {
        quint32 length = 0;
        if (!U32(length))
            return false;
        if (length > maxLength)
            return Fail(FormatString(IDS_RECORD_FIELD_TOO_LONG, {LoadString(whatId), QString::number(maxLength)}));
        if (!Bytes(length))
            return false;
        text = QString::fromLatin1(m_ar.ReadBytes(length));
        return true;
    }
    bool Fail(const QString &error)
    {
        if (m_error.isEmpty())
            m_error = error;
        return false;
    }
    QString Error() const { return m_error; }

private:
    CArchive &m_ar;
    QString m_error;
};

bool ReadLegacyStep(LegacyReader &in, CSequenceStep &step)
{
    QString ignored;
    quint32 number = 0;
    if (!in.Skip(1) || !in.Text(kLegacyClassNameLength, IDS_RECORD_FIELD_CLASS_NAME, ignored) || !in.U32(number))
        return false;
    if (!in.Text(CSequenceStep::kNameLength, IDS_RECORD_FIELD_FORMAT_NAME, step.formatName) ||
        !in.Text(CSequenceStep::kNameLength, IDS_RECORD_FIELD_IMAGE_NAME, step.imageName))
        return false;
    qint32 *values[] = {&step.red,          &step.green,    &step.blue,    &step.output,
                        &step.imageVersion, &step.syncType, &step.duration};
    for (qint32 *value : values) {
        if (!in.I32(*value))
            return false;
    }
    if (!in.Skip(1))
        return false;
    step.Normalize();
    return true;
}

} // namespace

CSequence::CSequence(QObject *owner) : CGenData(owner)
{
    m_name = QStringLiteral("Sequence");
}

CSequence::~CSequence()
{
    DestroyEditor(); // its window goes before the steps it shows
}

void CSequence::Serialize(CArchive &ar)
{
    if (ar.IsStoring()) {
        ItemEditorLink *editor = Editor();
        if (editor && editor->HasUnsavedChanges())
            editor->WriteBack();
        ar << m_name;
        ar.WriteCount(quint32(m_steps.size()));
        for (const CSequenceStep &step : m_steps)
            ar.WriteObject(&step);
        m_modified = false;
        return;
    }
    // Into copies: a file that fails half way must not half-replace the item.
    QString name;
    ar >> name;
    const quint32 count = ar.ReadCount();
    std::vector<CSequenceStep> steps;
    steps.reserve(count);
    for (quint32 i = 0; i < count; ++i) {
        std::unique_ptr<CSequenceStep> step = ar.ReadObject<CSequenceStep>();
        if (!step)
            throw CArchiveException(CArchiveException::generic, LoadString(IDS_SEQUENCE_STEP_MISSING));
        steps.push_back(*step);
    }
    m_name = name;
    m_steps = std::move(steps);
    m_modified = false;
}

QString CSequence::GetTypeName() const { return KindString(&DataKind::nameId); }
QString CSequence::GetFileExtension() const { return KindString(&DataKind::extensionId); }
QString CSequence::GetFileFilter() const { return KindString(&DataKind::filterId); }

void CSequence::SetSteps(std::vector<CSequenceStep> steps)
{
    for (CSequenceStep &step : steps)
        step.Normalize();
    m_steps = std::move(steps);
}

bool CSequence::ImportLegacyBinary(CArchive &ar)
{
    m_lastError.clear();
    LegacyReader in(ar);
    QString name;
    quint32 count = 0;
    bool ok = in.Text(kLegacyNameLength, IDS_RECORD_FIELD_NAME, name) && in.U32(count);
    if (ok && count > kMaxSteps)
        ok = in.Fail(LoadString(IDS_SEQUENCE_RECORD_TOO_MANY).arg(count).arg(kMaxSteps));
    ok = ok && in.Bytes(qint64(count) * kLegacyStepFixedBytes);
    std::vector<CSequenceStep> steps(ok ? count : 0);
    for (quint32 i = 0; ok && i < count; ++i)
        ok = ReadLegacyStep(in, steps[i]);
    if (!ok) {
        m_lastError = in.Error();
        return false;
    }
    m_name = name;
    m_steps = std::move(steps);
    return true;
}
