#include "SourceExport.h"

#include "CGenData.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "SafeFile.h"
#include "StringTable.h"

#include <QDate>
#include <QFileInfo>

namespace {

// The date the exports show; one per program, set only by tests.
std::function<QString()> &SourceDateHook()
{
    static std::function<QString()> hook;
    return hook;
}

} // namespace

namespace SourceExport {

QString Label(const QString &fileName)
{
    QString label = fileName.section(QLatin1Char('.'), 0, 0).toLower();
    for (QChar &c : label) {
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
        if (!plain)
            c = u'_';
    }
    if (label.isEmpty() || label.front().isDigit())
        label.prepend(u'_');
    return label;
}

QString Today()
{
    if (SourceDateHook())
        return SourceDateHook()();
    return QDate::currentDate().toString(QStringLiteral("MM/dd/yy"));
}

void SetDateHook(std::function<QString()> hook)
{
    SourceDateHook() = std::move(hook);
}

bool WriteFile(const QString &path, const QByteArray &text, QString *why)
{
    return SafeFile::WriteWhole(path, text, why);
}

void AskAndWrite(QWidget *parent, const CGenData &item, const Dialog &dialog,
                 const std::function<QByteArray(const QString &fileName)> &text)
{
    FileRequest request;
    request.parent = parent;
    request.save = true;
    request.overwritePrompt = true;
    request.titleId = dialog.titleId;
    request.title = LoadString(dialog.titleId);
    request.filter = LoadString(dialog.filterId);
    request.defaultExtension = QString::fromLatin1(dialog.extension);
    request.folder = item.GetFolder();
    request.fileName = item.GetName().section(QLatin1Char('.'), 0, 0);
    const FileResult chosen = PromptForFile(request);
    if (!chosen.accepted || chosen.paths.isEmpty())
        return;
    const QString path = chosen.paths.first();
    QString why;
    if (!WriteFile(path, text(QFileInfo(path).fileName()), &why))
        MessageBox(parent, PromptText(IDS_MAP_SAVE_FAILED_WHY, {why}), PromptText(dialog.errorCaptionId),
                   MB_OK | MB_ICONWARNING);
}

} // namespace SourceExport
