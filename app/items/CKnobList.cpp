#include "CKnobList.h"

#include "Archive.h"
#include "CCommandReader.h"
#include "CGenerator.h"
#include "FormatCommandFile.h"
#include "ItemEditorLink.h"
#include "Prompts.h"
#include "StringTable.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_SERIAL(CKnobList, CGenData, VERSIONABLE_SCHEMA | 1)

namespace {

QString KnobKindString(unsigned DataKind::*field)
{
    const DataKind *kind = CGenData::FindKind(CGenData::kKnobList);
    return kind ? LoadString(kind->*field) : QString();
}

// A u32 length and that many bytes, refused beyond maxLength or the bytes left.
bool ReadLegacyName(CArchive &ar, quint32 maxLength, unsigned whatId, QString &text, QString &error)
{
    quint32 length = 0;
    if (ar.BytesLeft() < 4) {
        error = LoadString(IDS_RECORD_CUT_SHORT);
        return false;
    }
    ar >> length;
    if (length > maxLength) {
        error = FormatString(IDS_RECORD_FIELD_TOO_LONG, {LoadString(whatId), QString::number(maxLength)});
        return false;
    }
    if (qint64(length) > ar.BytesLeft()) {
        error = LoadString(IDS_RECORD_CUT_SHORT);
        return false;
    }
    text = QString::fromLatin1(ar.ReadBytes(length));
    return true;
}

} // namespace

CKnobList::CKnobList(QObject *owner) : CGenData(owner)
{
    m_name = QStringLiteral("KnobList");
}

CKnobList::~CKnobList()
{
    DestroyEditor();
    if (m_source)
        m_source->DetachKnobList(this);
}

void CKnobList::Serialize(CArchive &ar)
{
    if (ar.IsStoring()) {
        if (ItemEditorLink *editor = Editor())
            editor->WriteBack();
        ar << m_name;
        ar.WriteCount(quint32(m_entries.size()));
        for (const QString &entry : m_entries)
            ar << entry;
        m_modified = false;
        return;
    }
    QString name;
    ar >> name;
    const quint32 count = ar.ReadCount();
    QStringList entries;
    entries.reserve(count);
    for (quint32 i = 0; i < count; ++i)
        entries.append(ar.ReadString());
    m_name = name;
    m_entries = entries;
    m_modified = false;
}

QString CKnobList::GetTypeName() const { return KnobKindString(&DataKind::nameId); }
QString CKnobList::GetFileExtension() const { return KnobKindString(&DataKind::extensionId); }
QString CKnobList::GetFileFilter() const { return KnobKindString(&DataKind::filterId); }

bool CKnobList::ImportLegacyBinary(CArchive &ar)
{
    m_lastError.clear();
    QString name;
    if (!ReadLegacyName(ar, kLegacyNameLength, IDS_RECORD_FIELD_NAME, name, m_lastError))
        return false;
    quint32 count = 0;
    if (ar.BytesLeft() < 4) {
        m_lastError = LoadString(IDS_RECORD_CUT_SHORT);
        return false;
    }
    ar >> count;
    if (count > kMaxLegacyEntries) {
        m_lastError = LoadString(IDS_KNOB_RECORD_TOO_MANY).arg(count).arg(kMaxLegacyEntries);
        return false;
    }
    // Every entry takes at least its length.
    if (qint64(count) * 4 > ar.BytesLeft()) {
        m_lastError = LoadString(IDS_RECORD_CUT_SHORT);
        return false;
    }
    QStringList entries;
    for (quint32 i = 0; i < count; ++i) {
        QString entry;
        if (!ReadLegacyName(ar, quint32(kEntryLength), IDS_RECORD_FIELD_ENTRY, entry, m_lastError))
            return false;
        entries.append(entry);
    }
    m_name = name;
    m_entries = entries;
    return true;
}

bool CKnobList::ImportTokens(CCommandReader &reader)
{
    QString name;
    if (!ReadNameArgument(reader, name)) {
        m_lastError = LoadString(IDS_CMDFILE_KNOB_LIST_NO_NAME);
        return false;
    }
    QStringList entries;
    for (int index = reader.NextMnemonic(); index >= 0; index = reader.NextMnemonic()) {
        if (std::strcmp(CCommandReader::MnemonicText(index), "NAMI") != 0)
            continue;
        int position = 0;
        QString entry;
        if (!reader.NextInt(position) || !ReadNameArgument(reader, entry))
            break;
        if (position > entries.size())
            entries.append(entry);
        else
            entries.insert(std::max(position, 1) - 1, entry);
    }
    m_name = name;
    m_entries = entries;
    m_lastError.clear();
    return true;
}

// --- The link to the source generator ---------------------------------------------

void CKnobList::DetachSource()
{
    m_source = nullptr;
}

void CKnobList::OnSourceListChanged()
{
    if (!m_source)
        return;
    if (AfxMessageBox(PromptText(IDS_KNOB_SOURCE_CHANGED, {m_name}), MB_OKCANCEL) != IDOK)
        return;
    if (!RecallFromGenerator(m_name, m_source, nullptr))
        return;
    if (ItemEditorLink *editor = Editor())
        editor->ItemReloaded();
}
