#include "CFormat.h"

#include "Archive.h"
#include "CGeneralFormatData.h"
#include "StringTable.h"

#include <QWidget>

IMPLEMENT_SERIAL(CFormat, CGenData, VERSIONABLE_SCHEMA | 1)

namespace {

constexpr char kLegacyHead[] = {0x3A, 0x01, 0x01, 0x00, 0x00};
constexpr qint32 kLegacyKindFormat = 1;
constexpr quint8 kLegacyOpen = 0x5B;
constexpr quint8 kLegacyClose = 0x5D;
constexpr char kLegacyTypeName[] = "TGeneralFmtData";
constexpr qint32 kMaxLegacyVersion = 10;

// The older product's strings: an int32 length and the bytes, no terminator.
void WriteLegacyString(CArchive &ar, const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    ar << qint32(bytes.size());
    ar.Write(bytes.constData(), bytes.size());
}

// The length is unsigned: a negative one read as signed would pass any bound.
bool ReadLegacyString(CArchive &ar, quint32 maxLength, QByteArray &text)
{
    quint32 length = 0;
    ar >> length;
    if (length > maxLength)
        return false;
    text = ar.ReadBytes(length);
    return true;
}

// The file name without ".fmt", as short as the record's readers take it.
QString LegacyFileText(const QString &fileName)
{
    QString stem = fileName;
    if (stem.endsWith(QLatin1String(".fmt"), Qt::CaseInsensitive))
        stem.chop(4);
    return stem.left(CFormat::kLegacyNameLength);
}

} // namespace

CFormat::CFormat(QObject *owner) : CGenData(owner), m_data(std::make_unique<CGeneralFormatData>())
{
    m_name = QStringLiteral("Format");
    m_data->name = m_name;
}

CFormat::~CFormat()
{
    DestroyEditor(); // it may still reach the parameter set while it closes
}

void CFormat::Serialize(CArchive &ar)
{
    if (ar.IsStoring()) {
        if (ItemEditorLink *editor = Editor())
            editor->WriteBack();
        m_data->Serialize(ar);
    } else {
        // Into a copy: a file the format cannot use must not half-replace it.
        CGeneralFormatData loaded;
        loaded.Serialize(ar);
        const QString problem = loaded.CheckValues();
        if (!problem.isEmpty())
            throw CArchiveException(CArchiveException::generic,
                                    FormatString(IDS_FORMAT_FILE_UNUSABLE, {loaded.name, problem}));
        *m_data = loaded;
    }
    m_name = m_data->name;
    m_modified = false;
}

QString CFormat::GetTypeName() const { return LoadString(IDS_FORMAT); }
QString CFormat::GetFileExtension() const { return LoadString(IDS_FORMAT_EXTENSION); }
QString CFormat::GetFileFilter() const { return LoadString(IDS_FILTER_FORMAT); }

void CFormat::SetName(const QString &name)
{
    m_data->name = name;
    CGenData::SetName(name);
}

bool CFormat::Rename()
{
    if (!CGenData::Rename())
        return false;
    m_data->name = m_name;
    return true;
}

QString CFormat::GetCurrentName() const
{
    const auto *editor = dynamic_cast<const FormatEditorLink *>(Editor());
    return editor ? editor->CurrentName() : m_name;
}

void CFormat::StoreObject(CArchive &ar, bool legacy)
{
    if (!legacy) {
        CGenData::StoreObject(ar, false);
        return;
    }
    if (ItemEditorLink *editor = Editor())
        editor->WriteBack();
    WriteLegacyRecord(ar);
}

void CFormat::WriteLegacyRecord(CArchive &ar) const
{
    // Checked before the first byte: a refused record leaves nothing half written.
    if (m_data->name.size() > kLegacyNameLength)
        throw CArchiveException(CArchiveException::generic,
                                FormatString(IDS_FORMAT_FILE_NAME_TOO_LONG, {m_data->name}));
    ar.Write(kLegacyHead, sizeof kLegacyHead);
    ar << kLegacyKindFormat;
    WriteLegacyString(ar, LegacyFileText(m_fileName));
    ar << kLegacyOpen;
    WriteLegacyString(ar, QString::fromLatin1(kLegacyTypeName));
    ar << CGeneralFormatData::kLegacyVersion;
    WriteLegacyString(ar, m_data->name);
    CGeneralFormatData copy(*m_data); // the body transfers through non-const fields
    copy.SerializeBody(ar);
    ar << kLegacyClose;
}

bool CFormat::ImportLegacyBinary(CArchive &ar)
{
    m_lastError.clear();
    QByteArray name;
    QByteArray skipped;
    quint8 separator = 0;
    qint32 version = 0;
    if (!ReadLegacyString(ar, kLegacyNameLength, name)) {
        m_lastError = LoadString(IDS_RECORD_NAME_TOO_LONG);
        return false;
    }
    ar >> separator;
    if (!ReadLegacyString(ar, kLegacyTypeLength, skipped)) {
        m_lastError = LoadString(IDS_RECORD_TYPE_NAME_TOO_LONG);
        return false;
    }
    ar >> version;
    if (version > kMaxLegacyVersion) {
        m_lastError = LoadString(IDS_RECORD_VERSION_UNKNOWN).arg(version);
        return false;
    }
    if (!ReadLegacyString(ar, kLegacyNameLength, skipped)) {
        m_lastError = LoadString(IDS_RECORD_FORMAT_NAME_TOO_LONG);
        return false;
    }
    CGeneralFormatData loaded(*m_data); // fields the version lacks keep their values
    loaded.SerializeBody(ar, qMax(version, qint32(1)));
    ar >> separator;
    const QString problem = loaded.CheckValues();
    if (!problem.isEmpty()) {
        m_lastError = problem;
        return false;
    }
    loaded.name = QString::fromLatin1(name);
    *m_data = loaded;
    m_name = loaded.name;
    return true;
}
