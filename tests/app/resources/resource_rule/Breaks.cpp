// Each line that breaks the rule ends in a comment saying how; the scan must
// report exactly those lines.

#include "CExample.h"

namespace {

const CommandText kCommands[] = {
    {ID_FILE_SAVE, "&Save"}, // breaks: text
    {ID_FILE_CLOSE, "&Close\tCtrl-W", "Ctrl+W"}, // breaks: text
};

constexpr unsigned kKindIds[] = {32777, 32990}; // breaks: id
constexpr unsigned kFirstTextId = 0x80CE; // breaks: id

} // namespace

class CExampleDlg : public QDialog {
    enum : int { IDD = 134 }; // breaks: id
};

void CExample::Build()
{
    setWindowTitle(QStringLiteral("Example Editor")); // breaks: text
    bar->addMenu(tr("&File")); // breaks: text
    AddControl<QLabel>(this, kNoControlId, 7, 7, 150, 8, QStringLiteral("Data to Transfer")); // breaks: text
    AddToggle(IDC_OUTPUT, "RGB", 48); // breaks: text
    m_router.Add(ID_INSERT_BLOCK_RENDER, QStringLiteral("B&lock/&Render"), LoadString(10000)); // breaks: text // breaks: id
    progress.SetStatus(1029, QString::asprintf("Scanned: %d%%", done)); // breaks: text // breaks: id
    FindControl(this, IDC_NAME)->setToolTip(QString::fromLatin1("Name")); // breaks: text
    m_list->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Type")}); // breaks: text
    LoadString(32974); // breaks: id
    DataKinds::Register(MakeDataKind<CFormat>(kIconFormat, CGenData::kFormat, 32990)); // breaks: id
    AddMenu(QStringLiteral("&Edit"), {ID_EDIT_CUT, ID_EDIT_COPY}); // breaks: text
    AddControl<QLabel>(this, 1029, 7, 7, 150, 8, LoadString(IDS_FORMAT)); // breaks: id
}

void CExample::OnPreview()
{
    if (MessageBox(this, PromptText(QStringLiteral("Preview Now On ") + port), // breaks: text
                   PromptText(IDS_SAVE_CAPTION), MB_OK) != IDOK)
        return;
    AfxMessageBox(PromptText("The file \"" + name + "\" is missing" // breaks: text
                             " from the list.")); // breaks: text
    FileRequest request;
    request.title = save ? QStringLiteral("Save List...") : QStringLiteral("Load a List..."); // breaks: text
    QString text = QStringLiteral("Format Error: %1\n").arg(number); // breaks: text
    text += QStringLiteral("Continue?"); // breaks: text
    MessageBox(this, text, PromptText(), MB_YESNO);
}

const char *const kTitles[3] = {"Step", "Format", "Image"}; // breaks: text

QString MarkTip(int mark)
{
    switch (mark) {
    case 1: return QStringLiteral("Changed since it was last saved"); // breaks: text
    default: return {};
    }
}

QString CExample::DelayText(long long tenths)
{
    return QStringLiteral("%1h %2m").arg(tenths / 36000).arg(tenths % 36000 / 600); // breaks: text
}

CExampleEditor::CExampleEditor(CExample &item)
    : CEditorFrame(item, QStringLiteral("CExampleEditor"), QStringLiteral("Example Editor"), IDR_EXAMPLE) // breaks: text
{
}

// A reader's and a writer's reasons reach the user in the box of the
// command that read or wrote.
bool CExampleReader::ReadHeader(CArchive &ar)
{
    if (ar.BytesLeft() < 4)
        return Fail(QStringLiteral("Unable to read the file header!")); // breaks: text
    if (m_depth == 0)
        throw CArchiveException(CArchiveException::generic, "the depth is not 1, 2, 4 or 8"); // breaks: text
    if (m_count > kMaxCount) {
        m_lastError = QStringLiteral("The record holds %1 names.").arg(m_count); // breaks: text
        return false;
    }
    if (error)
        *error = QStringLiteral("The printer could not be opened."); // breaks: text
    m_failure = QStringLiteral("Unknown Scheme!"); // breaks: text
    return Refuse(why, QStringLiteral("The dropped data holds no steps.")); // breaks: text
}

QString NameProblem(const QString &name)
{
    return name.isEmpty() ? QStringLiteral("has no name") : QString(); // breaks: text
}
