// The same example written by the rule: the scan reports nothing here.

#include "CExample.h"

namespace {

const CommandText kCommands[] = {
    {ID_FILE_SAVE, IDS_MENU_FILE_SAVE},
    {ID_FILE_CLOSE, IDS_MENU_FILE_CLOSE, "Ctrl+W"},
};

constexpr unsigned kKindIds[] = {IDS_KIND_NONE, IDS_FORMAT};
constexpr unsigned kFirstTextId = IDS_PATTERN_FIRST;
constexpr int kMaxItems = 10000;
constexpr double kLineRate = 32990.5;
constexpr double kFieldRate = 32990; // resource-rule-ok: a rate in Hz, not a string id
constexpr quint16 kLast = 0xFFFF;

} // namespace

class CExampleDlg : public QDialog {
    enum : int { IDD = IDD_NAME };
};

void CExample::Build()
{
    setObjectName(QStringLiteral("CExample"));
    setWindowTitle(LoadString(IDS_EXAMPLE_EDITOR));
    bar->addMenu(LoadString(IDS_MENU_FILE));
    bar->setObjectName(QStringLiteral("id129"));
    AddControl<QLabel>(this, kNoControlId, 7, 7, 150, 8, LoadString(IDS_DATA_TO_TRANSFER));
    AddToggle(IDC_OUTPUT, LoadString(IDS_RGB), 48);
    m_router.Add(ID_INSERT_BLOCK_RENDER, LoadString(IDS_MENU_BLOCK_RENDER), LoadString(ID_INSERT_BLOCK_RENDER));
    progress.SetStatus(IDC_STATUS1, FormatString(IDS_SCANNED, {QString::number(done)}));
    m_settings.setValue(QStringLiteral("Window/Placement"), geometry);
    m_list->setHeaderLabels({LoadString(IDS_NAME_COLUMN), LoadString(IDS_TYPE_COLUMN)});
    connect(m_list, &QTreeWidget::itemClicked, this, [this] { m_last = QStringLiteral("clicked"); });
    m_generator->PutString(QStringLiteral("FMTN %1").arg(name));
    // resource-rule-ok: the generator's image name, not a text the user reads
    m_generator->Recall(QStringLiteral("Preview"));
    TraceText("a line for the command log");
    const QFont font(QStringLiteral("Courier New"));
    static_assert(sizeof(int) == 4, "the record layout needs 32-bit ints");
    SetDialogSize(this, 134, 58);
    AddControl<QLabel>(this, IDC_STATUS1, 134, 1029, 50, 10, LoadString(IDS_FORMAT));
}

void CExample::OnPreview()
{
    // A literal in a comment is no text: MessageBox(this, "Preview", 32974)
    /* setWindowTitle("Example"); 32990 */
    if (MessageBox(this, PromptText(IDS_PREVIEW_ON, {port}), PromptText(IDS_SAVE_CAPTION), MB_OK) != IDOK)
        return;
    FileRequest request;
    request.title = LoadString(save ? IDS_SAVE_LIST_TITLE : IDS_LOAD_LIST_TITLE);
    request.defaultExtension = QStringLiteral("fls");
    const QString path = folder + QStringLiteral("/list.fls");
    QString text = FormatString(IDS_FORMAT_ERROR, {QString::number(number)});
    const char32_t quote = U'"';
    MessageBox(this, text + QChar(quote), PromptText(), MB_YESNO);
    const char *raw = R"(a "quoted" setWindowTitle("x") in a raw string)";
}

const unsigned kTitles[3] = {IDS_STEP_COLUMN_STEP, IDS_STEP_COLUMN_FORMAT, IDS_STEP_COLUMN_IMAGE};

QString MarkTip(int mark)
{
    switch (mark) {
    case 1: return LoadString(IDS_MARK_MODIFIED);
    default: return {};
    }
}

QString CDot::GetCommandText() const
{
    return QStringLiteral("ADOT %1 %2 %3").arg(m_colour).arg(m_x).arg(m_y);
}

QString CLutListBox::EntryText(std::uint32_t entry)
{
    return QString::asprintf("%3u,\t%3u,\t%3u", entry & 0xFF, (entry >> 8) & 0xFF, (entry >> 16) & 0xFF);
}

const char *SchemeLogLine(unsigned compression)
{
    return compression == 0 ? "RGB (not compressed)\n" : nullptr;
}

CExampleEditor::CExampleEditor(CExample &item)
    : CEditorFrame(item, QStringLiteral("CExampleEditor"), LoadString(IDS_EXAMPLE_EDITOR), IDR_EXAMPLE)
{
    AddMenu(LoadString(IDS_EDITOR_MENU_EDIT), {ID_EDIT_CUT, ID_EDIT_COPY});
}

bool CExampleReader::ReadHeader(CArchive &ar)
{
    if (ar.BytesLeft() < 4)
        return Fail(LoadString(IDS_BMP_NO_FILE_HEADER));
    if (m_depth == 0)
        throw CArchiveException(CArchiveException::generic, LoadString(IDS_PIXMAP_FILE_DEPTH));
    if (m_count > kMaxCount) {
        m_lastError = LoadString(IDS_KNOB_RECORD_TOO_MANY).arg(m_count);
        return false;
    }
    if (error)
        *error = LoadString(IDS_PRINT_NOT_OPENED);
    const QString errorKey = QStringLiteral("Last error");
    m_failure = LoadString(IDS_BMP_UNKNOWN_SCHEME);
    return Refuse(why, FormatString(IDS_CMDFILE_NO_VALUE, {kMnemonic}));
}

QString NameProblem(const QString &name)
{
    return name.isEmpty() ? LoadString(IDS_FMTLIST_ROW_NO_NAME) : QString();
}
