#pragma once
// A Prompter for tests: each prompt must match the next expectation of the
// script (by string id, caption or text), is answered from it and recorded.
// Anything else is a test failure. Installs itself while it exists.

#include "Prompts.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPointer>
#include <QWidget>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

enum class PromptKind { Message, File, Folder, Dialog, Document, Print };

// The answer to a print dialog: a printer writing a PDF file, or Cancel.
struct ScriptedPrint {
    static ScriptedPrint Cancel() { return {}; }
    static ScriptedPrint Pdf(const QString &path, QPageSize::PageSizeId size = QPageSize::A4,
                             QPageLayout::Orientation orientation = QPageLayout::Portrait)
    {
        return {path, size, orientation};
    }

    QString pdfPath; // empty: Cancel
    QPageSize::PageSizeId pageSize = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
};

// What identifies a prompt; every field that is set must match.
struct PromptMatch {
    static PromptMatch Id(unsigned textId);          // text id of a box, title id of a file dialog
    static PromptMatch Caption(const QString &caption); // caption, title, or a dialog's title or object name
    static PromptMatch Text(const QString &text);    // the whole text (a document: its path)
    static PromptMatch Contains(const QString &part);
    PromptMatch &AndCaption(const QString &caption);

    unsigned id = 0;
    QString caption;
    QString text;
    QString part;

    QString Describe() const;
};

struct PromptRecord {
    PromptKind kind = PromptKind::Message;
    unsigned textId = 0;
    unsigned captionId = 0;
    QString text;    // message text; the path of a document
    QString caption; // caption, dialog title
    unsigned flags = 0;
    QPointer<QWidget> parent;
    int answer = 0;
};

class ScriptedPrompter final : public Prompter {
public:
    ScriptedPrompter();
    ~ScriptedPrompter() override;
    ScriptedPrompter(const ScriptedPrompter &) = delete;
    ScriptedPrompter &operator=(const ScriptedPrompter &) = delete;

    // flags, when given, must equal the box's buttons, icon and modality.
    ScriptedPrompter &ExpectMessage(const PromptMatch &match, int answer, std::optional<unsigned> flags = {});
    ScriptedPrompter &ExpectFile(const PromptMatch &match, FileResult result);
    ScriptedPrompter &ExpectFolder(const PromptMatch &match, const QString &folder); // empty: cancel
    // fill runs with the dialog shown; it must close it (accept, reject, a button).
    ScriptedPrompter &ExpectDialog(const PromptMatch &match, std::function<void(QDialog &)> fill);
    ScriptedPrompter &ExpectDocument(DocumentKind kind, const PromptMatch &match, bool opened = true);
    ScriptedPrompter &ExpectPrint(const ScriptedPrint &answer);
    // A standing answer for a box that may come any number of times, in any order.
    ScriptedPrompter &AllowMessage(const PromptMatch &match, int answer);

    const std::vector<PromptRecord> &Records() const { return m_records; }
    std::vector<PromptRecord> Messages() const;
    size_t Pending() const { return m_script.size(); }
    // The print dialogs shown, in order.
    const std::vector<PrintRequest> &PrintRequests() const { return m_printRequests; }
    // Every file dialog asked for, as the program built it.
    const std::vector<FileRequest> &FileRequests() const { return m_fileRequests; }
    // Fails the test for every expectation not used yet, then forgets them.
    void VerifyAllUsed();

    int Message(const MessageRequest &request) override;
    FileResult File(const FileRequest &request) override;
    QString Folder(const FolderRequest &request) override;
    int Modal(QDialog &dialog) override;
    bool OpenDocument(DocumentKind kind, const QString &path) override;
    std::unique_ptr<QPrinter> Print(const PrintRequest &request) override;

private:
    struct Step {
        PromptKind kind;
        DocumentKind document = DocumentKind::TextEditor;
        PromptMatch match;
        int answer = 0;
        std::optional<unsigned> flags;
        FileResult file;
        QString folder;
        std::function<void(QDialog &)> fill;
        ScriptedPrint print;
    };

    // The next step when it is of this kind and matches; else a failure and nothing.
    std::optional<Step> Take(PromptKind kind, const PromptRecord &record, const QString &objectName = {});

    std::deque<Step> m_script;
    std::vector<Step> m_standing;
    std::vector<PromptRecord> m_records;
    std::vector<PrintRequest> m_printRequests;
    std::vector<FileRequest> m_fileRequests;
    Prompter *m_previous = nullptr;
};
