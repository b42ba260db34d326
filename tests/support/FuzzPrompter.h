#pragma once
// A fuzz target has no screen: boxes a reader shows are answered OK and
// every dialog is cancelled.

#include "Prompts.h"

#include <QDialog>

class FuzzPrompter final : public Prompter {
public:
    int Message(const MessageRequest &) override { return IDOK; }
    FileResult File(const FileRequest &) override { return {}; }
    QString Folder(const FolderRequest &) override { return {}; }
    int Modal(QDialog &) override { return IDCANCEL; }
    bool OpenDocument(DocumentKind, const QString &) override { return false; }
};

// Installed once, for the whole run.
inline void InstallFuzzPrompter()
{
    static FuzzPrompter prompter;
    static const bool installed = (InstallPrompter(&prompter), true);
    (void)installed;
}
