#include "CCmdTerminalDlg.h"

#include "CGenerator.h"
#include "CGeneratorView.h"
#include "CommandHistory.h"
#include "DialogControls.h"
#include "GeneratorViewHost.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "UserAction.h"
#include "WaitCursor.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

const QString kPrompt = QStringLiteral("R:\\>"); // resource-rule-ok: the generator's console prompt
const QString kBlankLine = QStringLiteral(" ");
constexpr int kMinimumSize = 50;

} // namespace

CCmdTerminalDlg::CCmdTerminalDlg(CGeneratorView *view, CGenerator *generator)
    : CGeneratorViewChild(view), m_view(view), m_generator(generator)
{
    setObjectName(ControlName(IDD_CMD_TERMINAL));
    setWindowFlag(Qt::Window);
    setWindowTitle(LoadString(IDS_TERMINAL_CAPTION));
    BuildControls();
    AddLine(kPrompt);
    setMinimumSize(kMinimumSize, kMinimumSize);
    m_recall = TerminalHistory().Count();
    m_initialised = true;
}

void CCmdTerminalDlg::BuildControls()
{
    const QFont font = this->font();
    resize(DialogUnitsToPixelsX(font, 305), DialogUnitsToPixelsY(font, 202));
    AddControl<QLabel>(this, kNoControlId, 7, 12, 16, 8, LoadString(IDS_TERMINAL_CMD));
    m_edit = AddControl<QLineEdit>(this, IDC_COMMAND_EDIT, 25, 8, 273, 16);
    m_console = AddControl<QListWidget>(this, IDC_CONSOLE, 7, 28, 291, 147);
    m_send = AddControl<QPushButton>(this, IDC_SEND, 7, 181, 50, 14, LoadString(IDS_TERMINAL_SEND));
    m_close = AddControl<QPushButton>(this, IDCANCEL, 248, 181, 50, 14, LoadString(IDS_TERMINAL_CLOSE));
    m_send->setDefault(true);
    m_send->setAutoDefault(true);
    m_close->setAutoDefault(false);

    // The generator's console: green on black in a fixed pitch.
    m_console->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QPalette palette = m_console->palette();
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::Text, QColor(0x00, 0xFF, 0x00));
    m_console->setPalette(palette);
    m_console->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_console->setUniformItemSizes(true);
    auto *copy = new QAction(LoadString(IDS_TERMINAL_COPY), m_console);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    m_console->addAction(copy);
    m_console->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(copy, &QAction::triggered, this, [this] { CopySelection(); });

    m_edit->installEventFilter(this);
    connect(m_send, &QPushButton::clicked, this, [this] { OnSend(); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    m_edit->setFocus();
}

// --- Sending -----------------------------------------------------------------------

bool CCmdTerminalDlg::IsCommandValid(const QString &line, QString &whyNot)
{
    if (line.size() > CGenerator::kMaxCommandLength) {
        whyNot = FormatString(IDS_TERMINAL_TOO_LONG,
                              {QString::number(line.size()), QString::number(CGenerator::kMaxCommandLength)});
        return false;
    }
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char16_t c = line.at(i).unicode();
        if (c < 0x20 || c > 0x7E) {
            whyNot = FormatString(IDS_TERMINAL_NOT_PRINTABLE, {QString::number(i + 1)});
            return false;
        }
    }
    return true;
}

void CCmdTerminalDlg::OnSend()
{
    const QPointer<CCmdTerminalDlg> self(this);
    {
        WaitCursor cursor;
        const QString line = m_edit->text();
        delete m_console->takeItem(m_console->count() - 1); // the prompt
        QString whyNot;
        if (IsCommandValid(line, whyNot)) {
            TerminalHistory().Add(line);
            AddLine(kPrompt + line);
            AddLine(kBlankLine);
            {
                // The view's removal of the generator waits for the reply.
                HostOperation operation(m_view ? m_view->Host() : nullptr);
                UserAction action;
                m_generator->SendCommandText(line);
            }
            if (!self)
                return;
            for (const QString &reply : ReplyLines(m_generator->GetLastReply()))
                AddLine(reply);
            ShowCommandFailure();
            AddLine(kBlankLine);
        } else {
            AddFailure(whyNot);
        }
        AddLine(kPrompt);
        CapConsole();
        m_console->setCurrentRow(m_console->count() - 1, QItemSelectionModel::ClearAndSelect);
        m_console->scrollToBottom();
    }
    m_recall = TerminalHistory().Count();
    m_draft.clear();
    m_edit->setFocus();
    m_edit->selectAll();
}

QStringList CCmdTerminalDlg::ReplyLines(const QString &reply)
{
    QStringList lines;
    qsizetype start = 0;
    const auto add = [&](qsizetype end) {
        QString piece = reply.mid(start, end - start);
        qsizetype keep = piece.size();
        while (keep > 0 && piece.at(keep - 1).isSpace())
            --keep;
        piece.truncate(keep);
        lines.append(piece);
    };
    for (qsizetype end; (end = reply.indexOf(QLatin1String("\r\n"), start)) >= 0; start = end + 2)
        add(end);
    // A GPIB reply's last line or a reply cut short has no CR LF after it.
    if (!reply.mid(start).trimmed().isEmpty())
        add(reply.size());
    return lines;
}

// The console says what became of a line the generator refused or never
// answered; the library's box has told it already.
void CCmdTerminalDlg::ShowCommandFailure()
{
    const int code = m_generator->LastCommandError();
    if (code == 0)
        return;
    QString text = m_generator->LastRefusal();
    if (text.isEmpty())
        text = GeneratorLink::LibraryErrorText(code).trimmed();
    if (text.isEmpty())
        text = FormatString(IDS_TERMINAL_ERROR_CODE, {QString::number(code)});
    AddFailure(text);
}

void CCmdTerminalDlg::AddLine(const QString &text)
{
    m_console->addItem(text);
}

void CCmdTerminalDlg::AddFailure(const QString &text)
{
    AddLine(FormatString(IDS_TOOL_FAILURE, {text}));
}

void CCmdTerminalDlg::CapConsole()
{
    const int excess = m_console->count() - kMaxConsoleLines;
    if (excess > 0)
        m_console->model()->removeRows(1, excess); // lines 1 to excess, at once
}

void CCmdTerminalDlg::CopySelection()
{
    QStringList lines;
    for (int row = 0; row < m_console->count(); ++row) {
        if (m_console->item(row)->isSelected())
            lines.append(m_console->item(row)->text());
    }
    if (!lines.isEmpty())
        QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}

// --- History -----------------------------------------------------------------------

bool CCmdTerminalDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Recall(key == Qt::Key_Up ? -1 : 1);
            return true;
        }
    }
    return CGeneratorViewChild::eventFilter(watched, event);
}

void CCmdTerminalDlg::Recall(int step)
{
    const CommandHistory &history = TerminalHistory();
    m_recall = std::min(m_recall, history.Count());
    const int next = m_recall + step;
    if (next < 0 || next > history.Count())
        return;
    if (m_recall == history.Count())
        m_draft = m_edit->text();
    m_recall = next;
    m_edit->setText(next == history.Count() ? m_draft : history.At(next));
    m_edit->selectAll();
}

// --- Layout ------------------------------------------------------------------------

void CCmdTerminalDlg::resizeEvent(QResizeEvent *event)
{
    CGeneratorViewChild::resizeEvent(event);
    if (m_initialised && !(windowState() & Qt::WindowMinimized))
        OnSize();
}

void CCmdTerminalDlg::OnSize()
{
    const int m = m_send->x();
    const int w = width();
    const int h = height();
    m_send->move(m_send->x(), h - m - m_send->height());
    m_close->move(w - m - m_close->width(), h - m - m_close->height());
    m_edit->resize(std::max(0, w - m - m_edit->x()), m_edit->height());
    const int listBottom = m_send->y() - (DialogUnitsToPixelsY(font(), 181) - DialogUnitsToPixelsY(font(), 175));
    m_console->setGeometry(m_console->x(), m_console->y(), std::max(0, w - m - m_console->x()),
                           std::max(0, listBottom - m_console->y()));
}
