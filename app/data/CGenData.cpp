#include "CGenData.h"

#include "Archive.h"
#include "CNameDlg.h"
#include "ItemEditorLink.h"
#include "MessageTarget.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QHash>
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

QHash<const CRuntimeClass *, CGenData::EditorFactory> &EditorFactories()
{
    static QHash<const CRuntimeClass *, CGenData::EditorFactory> factories;
    return factories;
}

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

void CGenData::SetEditorFactory(const CRuntimeClass *kind, EditorFactory factory)
{
    if (factory)
        EditorFactories().insert(kind, std::move(factory));
    else
        EditorFactories().remove(kind);
}

CGenData::CGenData(QObject *owner) : m_name(QStringLiteral("Unknown")), m_owner(owner) {}

CGenData::~CGenData()
{
    DestroyEditor();
}

void CGenData::Serialize(CArchive &) {}

int CGenData::GetTypeCode() const { return 0; }
QString CGenData::GetTypeName() const { return {}; }
QString CGenData::GetName() const { return m_name; }
QString CGenData::GetCurrentName() const { return m_name; }
QString CGenData::GetFileExtension() const { return {}; }
QString CGenData::GetFileFilter() const { return {}; }
bool CGenData::ImportTokens(CCommandReader &) { return false; }
bool CGenData::ImportLegacyBinary(CArchive &) { return false; }
bool CGenData::ImportCommandLines(QStringList &) { return false; }
void CGenData::WriteCommandFile(const QString &, const QString &) {}
bool CGenData::SendToGenerator(CGenerator *, CProgressDlg *) { return false; }
bool CGenData::RecallFromGenerator(const QString &, CGenerator *, CProgressDlg *) { return false; }
int CGenData::LinesLeftOut() const { return 0; }

void CGenData::StoreObject(CArchive &ar, bool)
{
    ar.WriteObject(this);
}

void CGenData::SetName(const QString &name)
{
    m_name = name;
    if (ItemEditorLink *editor = Editor())
        editor->ItemRenamed();
}

bool CGenData::Rename()
{
    CNameDlg dialog(qobject_cast<QWidget *>(m_owner.data()), m_name);
    if (DoModal(dialog) != IDOK)
        return false;
    m_name = dialog.GetName();
    m_modified = true;
    PostMessage(m_owner, WM_DATA_CHANGED, 0, ToLParam(this));
    if (ItemEditorLink *editor = Editor())
        editor->ItemRenamed();
    return true;
}

bool CGenData::IsModified() const
{
    // A recalled item is modified before its editor opens: the editor's
    // changes add to the flag, they do not hide it.
    const ItemEditorLink *editor = Editor();
    return m_modified || (editor && editor->HasUnsavedChanges());
}

void CGenData::NotifyEditor(int hint)
{
    if (ItemEditorLink *editor = Editor())
        editor->OnGeneratorsChanged(hint);
}

// --- The editor ------------------------------------------------------------------

QWidget *CGenData::OpenEditor()
{
    if (!IsEditorOpen()) {
        DestroyEditor(); // one that has closed and not gone yet
        const EditorFactory factory = EditorFactories().value(GetRuntimeClass());
        m_editor = factory ? factory(*this) : nullptr;
        m_editorWindow = m_editor ? m_editor->Window() : nullptr;
    }
    QWidget *window = GetEditor();
    if (window) {
        window->showNormal();
        window->raise();
        window->activateWindow();
    }
    return window;
}

ItemEditorLink *CGenData::Editor() const
{
    return m_editorWindow && m_editor->Window() ? m_editor : nullptr;
}

void CGenData::TakeRecalled(const QString &name)
{
    m_name = name;
    m_modified = true;
    if (ItemEditorLink *editor = Editor())
        editor->ItemReloaded();
    SendMessage(m_owner, WM_DATA_CHANGED, 0, ToLParam(this));
}

bool CGenData::IsEditorOpen() const
{
    return Editor() != nullptr;
}

QWidget *CGenData::GetEditor() const
{
    return IsEditorOpen() ? m_editorWindow.data() : nullptr;
}

void CGenData::CloseEditor()
{
    DestroyEditor();
}

void CGenData::DestroyEditor()
{
    QWidget *window = m_editorWindow.data();
    m_editorWindow = nullptr;
    m_editor = nullptr;
    delete window;
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

bool CGenData::EditorWindowCloses(bool &closed)
{
    if (closed)
        return true;
    // Cancel, or a save that fails, keeps the editor.
    if (!SaveModified())
        return false;
    closed = true;
    NotifyEditorClosed();
    return true;
}

QString CGenData::GetFileText() const
{
    return m_folder.isEmpty() ? LoadString(IDS_NO_FILE) : GetFilePath();
}

QString CGenData::EditorTitle(const QString &shownName, bool modified) const
{
    return shownName + (modified ? QStringLiteral(" * ") : QStringLiteral("  ")) + GetFileText();
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
