#include "CGenData.h"

#include "Archive.h"
#include "CNameDlg.h"
#include "MessageTarget.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QWidget>

IMPLEMENT_SERIAL(CGenData, CObject, VERSIONABLE_SCHEMA | 1)

namespace {

constexpr WPARAM kSave = 0;
constexpr WPARAM kSaveAs = 1;

const std::array<DataKind, 6> kKinds = {{
    {CGenData::kFormat, IDS_FORMAT, IDS_FORMAT_EXTENSION, IDS_FILTER_FORMAT},
    {CGenData::kImage, IDS_IMAGE, IDS_IMAGE_EXTENSION, IDS_FILTER_IMAGE},
    {CGenData::kSequence, IDS_SEQUENCE, IDS_SEQUENCE_EXTENSION, IDS_FILTER_SEQUENCE},
    {CGenData::kKnobList, IDS_KNOB_LIST, IDS_KNOB_LIST_EXTENSION, IDS_FILTER_KNOBLIST},
    {CGenData::kPixelMap, IDS_ICON, IDS_ICON_EXTENSION, IDS_FILTER_ICON},
    {CGenData::kFont, IDS_FONT, IDS_FONT_EXTENSION, IDS_FILTER_FONT},
}};

} // namespace

const std::array<DataKind, 6> &CGenData::Kinds()
{
    return kKinds;
}

const DataKind *CGenData::FindKind(int typeCode)
{
    for (const DataKind &kind : kKinds) {
        if (kind.typeCode == typeCode)
            return &kind;
    }
    return nullptr;
}

CGenData::CGenData(QObject *owner) : m_name(QStringLiteral("Unknown")), m_owner(owner) {}

CGenData::~CGenData() = default;

void CGenData::Serialize(CArchive &) {}

int CGenData::GetTypeCode() const { return 0; }
QString CGenData::GetTypeName() const { return {}; }
QString CGenData::GetName() const { return m_name; }
void CGenData::SetName(const QString &name) { m_name = name; }
QString CGenData::GetCurrentName() const { return m_name; }
QWidget *CGenData::OpenEditor() { return nullptr; }
bool CGenData::IsEditorOpen() const { return false; }
QWidget *CGenData::GetEditor() const { return nullptr; }
void CGenData::CloseEditor() {}
QString CGenData::GetFileExtension() const { return {}; }
QString CGenData::GetFileFilter() const { return {}; }
bool CGenData::ImportTokens(CCommandReader &) { return false; }
bool CGenData::ImportLegacyBinary(CArchive &) { return false; }
bool CGenData::ImportCommandLines(QStringList &) { return false; }
void CGenData::WriteCommandFile(const QString &, const QString &) {}
bool CGenData::SendToGenerator(CGenerator *, CProgressDlg *) { return false; }
bool CGenData::RecallFromGenerator(const QString &, CGenerator *, CProgressDlg *) { return false; }
bool CGenData::IsModified() const { return m_modified; }
void CGenData::NotifyEditor(int) {}
int CGenData::LinesLeftOut() const { return 0; }

void CGenData::StoreObject(CArchive &ar, bool)
{
    ar.WriteObject(this);
}

bool CGenData::Rename()
{
    CNameDlg dialog(qobject_cast<QWidget *>(m_owner.data()), m_name);
    if (DoModal(dialog) != IDOK)
        return false;
    m_name = dialog.GetName();
    m_modified = true;
    PostMessage(m_owner, WM_DATA_CHANGED, 0, ToLParam(this));
    return true;
}

bool CGenData::RequestSave()
{
    return SendMessage(m_owner, WM_DATA_SAVE, kSave, ToLParam(this)) != 0;
}

bool CGenData::RequestSaveAs()
{
    return SendMessage(m_owner, WM_DATA_SAVE, kSaveAs, ToLParam(this)) != 0;
}

QWidget *CGenData::PromptParent() const
{
    if (QWidget *editor = GetEditor())
        return editor;
    return qobject_cast<QWidget *>(m_owner.data());
}

bool CGenData::SaveModified()
{
    if (!IsModified())
        return true;
    const int answer = MessageBox(PromptParent(), PromptText(IDS_SAVE_QUESTION, {GetCurrentName()}),
                                  PromptText(IDS_SAVE_CAPTION), MB_YESNOCANCEL | MB_ICONQUESTION);
    switch (answer) {
    case IDYES: return RequestSave(); // a failed or cancelled save keeps the caller from losing the edits
    case IDNO: return true;
    default: return false;
    }
}

void CGenData::NotifyEditorClosed()
{
    PostMessage(m_owner, WM_EDITOR_CLOSED, 0, ToLParam(this));
}

QString CGenData::GetFileText() const
{
    return m_folder.isEmpty() ? LoadString(IDS_NO_FILE) : GetFilePath();
}

void CGenData::SetFolder(const QString &folder)
{
    m_folder = folder;
    if (!m_folder.isEmpty() && !m_folder.endsWith(u'/'))
        m_folder += u'/';
}

void CGenData::SetFilePath(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    m_folder = path.left(slash + 1);
    m_fileName = path.mid(slash + 1);
}
