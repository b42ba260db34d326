#include "ScriptedPrompter.h"

#include <QDialog>
#include <QPrinter>

#include <gtest/gtest.h>

namespace {

const char *KindName(PromptKind kind)
{
    switch (kind) {
    case PromptKind::Message: return "message box";
    case PromptKind::File: return "file dialog";
    case PromptKind::Folder: return "folder dialog";
    case PromptKind::Dialog: return "modal dialog";
    case PromptKind::Document: return "document";
    case PromptKind::Print: return "print dialog";
    }
    return "prompt";
}

QString DescribeRecord(const PromptRecord &r)
{
    return QStringLiteral("%1 [id %2, caption \"%3\", text \"%4\", flags 0x%5]")
        .arg(QString::fromLatin1(KindName(r.kind)))
        .arg(r.textId)
        .arg(r.caption, r.text)
        .arg(r.flags, 0, 16);
}

// A safe answer for a box nobody expected: the one that stops things.
int RefusingAnswer(unsigned flags)
{
    const QList<int> buttons = MessageBoxButtons(flags);
    if (buttons.contains(IDCANCEL))
        return IDCANCEL;
    return buttons.contains(IDNO) ? IDNO : buttons.first();
}

bool MatchesRecord(const PromptMatch &m, const PromptRecord &r, const QString &objectName)
{
    if (m.id != 0 && m.id != r.textId)
        return false;
    if (!m.caption.isEmpty() && m.caption != r.caption && m.caption != objectName)
        return false;
    if (!m.text.isEmpty() && m.text != r.text)
        return false;
    return m.part.isEmpty() || r.text.contains(m.part);
}

} // namespace

PromptMatch PromptMatch::Id(unsigned textId)
{
    PromptMatch m;
    m.id = textId;
    return m;
}

PromptMatch PromptMatch::Caption(const QString &caption)
{
    PromptMatch m;
    m.caption = caption;
    return m;
}

PromptMatch PromptMatch::Text(const QString &text)
{
    PromptMatch m;
    m.text = text;
    return m;
}

PromptMatch PromptMatch::Contains(const QString &part)
{
    PromptMatch m;
    m.part = part;
    return m;
}

PromptMatch &PromptMatch::AndCaption(const QString &c)
{
    caption = c;
    return *this;
}

QString PromptMatch::Describe() const
{
    QStringList parts;
    if (id != 0)
        parts << QStringLiteral("id %1").arg(id);
    if (!caption.isEmpty())
        parts << QStringLiteral("caption \"%1\"").arg(caption);
    if (!text.isEmpty())
        parts << QStringLiteral("text \"%1\"").arg(text);
    if (!part.isEmpty())
        parts << QStringLiteral("text containing \"%1\"").arg(part);
    return parts.isEmpty() ? QStringLiteral("anything") : parts.join(QStringLiteral(", "));
}

ScriptedPrompter::ScriptedPrompter() : m_previous(&CurrentPrompter())
{
    InstallPrompter(this);
}

ScriptedPrompter::~ScriptedPrompter()
{
    InstallPrompter(m_previous);
}

ScriptedPrompter &ScriptedPrompter::ExpectMessage(const PromptMatch &match, int answer,
                                                  std::optional<unsigned> flags)
{
    m_script.push_back({PromptKind::Message, {}, match, answer, flags, {}, {}, {}, {}});
    return *this;
}

ScriptedPrompter &ScriptedPrompter::ExpectFile(const PromptMatch &match, FileResult result)
{
    m_script.push_back({PromptKind::File, {}, match, 0, {}, std::move(result), {}, {}, {}});
    return *this;
}

ScriptedPrompter &ScriptedPrompter::ExpectFolder(const PromptMatch &match, const QString &folder)
{
    m_script.push_back({PromptKind::Folder, {}, match, 0, {}, {}, folder, {}, {}});
    return *this;
}

ScriptedPrompter &ScriptedPrompter::ExpectDialog(const PromptMatch &match, std::function<void(QDialog &)> fill)
{
    m_script.push_back({PromptKind::Dialog, {}, match, 0, {}, {}, {}, std::move(fill), {}});
    return *this;
}

ScriptedPrompter &ScriptedPrompter::ExpectDocument(DocumentKind kind, const PromptMatch &match, bool opened)
{
    m_script.push_back({PromptKind::Document, kind, match, opened ? 1 : 0, {}, {}, {}, {}, {}});
    return *this;
}

ScriptedPrompter &ScriptedPrompter::ExpectPrint(const ScriptedPrint &answer)
{
    m_script.push_back({PromptKind::Print, {}, {}, answer.pdfPath.isEmpty() ? IDCANCEL : IDOK, {}, {}, {}, {}, answer});
    return *this;
}

ScriptedPrompter &ScriptedPrompter::AllowMessage(const PromptMatch &match, int answer)
{
    m_standing.push_back({PromptKind::Message, {}, match, answer, {}, {}, {}, {}, {}});
    return *this;
}

std::vector<PromptRecord> ScriptedPrompter::Messages() const
{
    std::vector<PromptRecord> boxes;
    for (const auto &r : m_records) {
        if (r.kind == PromptKind::Message)
            boxes.push_back(r);
    }
    return boxes;
}

void ScriptedPrompter::VerifyAllUsed()
{
    for (const auto &step : m_script)
        ADD_FAILURE() << "expected " << KindName(step.kind) << " never came: " << qPrintable(step.match.Describe());
    m_script.clear();
}

std::optional<ScriptedPrompter::Step> ScriptedPrompter::Take(PromptKind kind, const PromptRecord &record,
                                                             const QString &objectName)
{
    if (!m_script.empty() && m_script.front().kind == kind
        && MatchesRecord(m_script.front().match, record, objectName)) {
        Step step = std::move(m_script.front());
        m_script.pop_front();
        return step;
    }
    if (kind == PromptKind::Message) {
        for (const auto &step : m_standing) {
            if (MatchesRecord(step.match, record, objectName))
                return step;
        }
    }
    ADD_FAILURE() << "unexpected " << qPrintable(DescribeRecord(record)) << "; next expected: "
                  << (m_script.empty() ? std::string("nothing")
                                       : std::string(KindName(m_script.front().kind)) + " "
                                             + m_script.front().match.Describe().toStdString());
    return std::nullopt;
}

int ScriptedPrompter::Message(const MessageRequest &request)
{
    PromptRecord record{PromptKind::Message, request.textId, request.captionId, request.text,
                        request.caption, request.flags, request.parent, 0};
    const auto step = Take(PromptKind::Message, record);
    record.answer = RefusingAnswer(request.flags);
    if (step) {
        if (step->flags && *step->flags != request.flags)
            ADD_FAILURE() << "flags 0x" << std::hex << request.flags << " instead of 0x" << *step->flags << " for "
                          << qPrintable(DescribeRecord(record));
        if (MessageBoxButtons(request.flags).contains(step->answer))
            record.answer = step->answer;
        else
            ADD_FAILURE() << "script answers " << step->answer << ", a button this box does not have: "
                          << qPrintable(DescribeRecord(record));
    }
    m_records.push_back(record);
    return record.answer;
}

FileResult ScriptedPrompter::File(const FileRequest &request)
{
    m_fileRequests.push_back(request);
    PromptRecord record{PromptKind::File, request.titleId, 0, request.filter, request.title, 0, request.parent, 0};
    const auto step = Take(PromptKind::File, record);
    FileResult result;
    result.filterIndex = request.filterIndex;
    if (step)
        result = step->file;
    record.answer = result.accepted ? IDOK : IDCANCEL;
    m_records.push_back(record);
    return result;
}

QString ScriptedPrompter::Folder(const FolderRequest &request)
{
    PromptRecord record{PromptKind::Folder, 0, 0, request.folder, request.title, 0, request.parent, 0};
    const auto step = Take(PromptKind::Folder, record);
    const QString folder = step ? step->folder : QString();
    record.answer = folder.isEmpty() ? IDCANCEL : IDOK;
    m_records.push_back(record);
    return folder;
}

int ScriptedPrompter::Modal(QDialog &dialog)
{
    const PromptRecord record{PromptKind::Dialog, 0, 0, {}, dialog.windowTitle(), 0, dialog.parentWidget(), 0};
    m_records.push_back(record);
    const size_t index = m_records.size() - 1;
    auto step = Take(PromptKind::Dialog, record, dialog.objectName());
    dialog.setResult(QDialog::Rejected);
    if (step) {
        dialog.show();
        if (step->fill)
            step->fill(dialog);
    }
    if (dialog.isVisible()) {
        ADD_FAILURE() << "the script left the dialog \"" << qPrintable(dialog.windowTitle()) << "\" open";
        dialog.reject();
    }
    const int code = dialog.result();
    const int answer = code == QDialog::Accepted ? IDOK : code == QDialog::Rejected ? IDCANCEL : code;
    m_records[index].answer = answer;
    return answer;
}

bool ScriptedPrompter::OpenDocument(DocumentKind kind, const QString &path)
{
    PromptRecord record{PromptKind::Document, 0, 0, path, {}, 0, nullptr, 0};
    auto step = Take(PromptKind::Document, record);
    if (step && step->document != kind)
        ADD_FAILURE() << "document " << qPrintable(path) << " went to the wrong opener";
    record.answer = step ? step->answer : 0;
    m_records.push_back(record);
    return record.answer != 0;
}

std::unique_ptr<QPrinter> ScriptedPrompter::Print(const PrintRequest &request)
{
    m_printRequests.push_back(request);
    PromptRecord record{PromptKind::Print, 0, 0, {}, {}, 0, request.parent, IDCANCEL};
    const auto step = Take(PromptKind::Print, record);
    if (!step || step->print.pdfPath.isEmpty()) {
        m_records.push_back(record);
        return nullptr;
    }
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(step->print.pdfPath);
    printer->setPageSize(QPageSize(step->print.pageSize));
    printer->setPageOrientation(step->print.orientation);
    record.text = step->print.pdfPath;
    record.answer = IDOK;
    m_records.push_back(record);
    return printer;
}
