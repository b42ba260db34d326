#pragma once
// What the font and pixel map source exports share: the file dialog, the
// label a file's name gives, today's date as their headers show it, and
// writing the text whole: beside the old file and renamed over it only when
// every byte went out, so a failed export leaves no half file and keeps the
// one it would replace.

#include <QByteArray>
#include <QString>

#include <functional>

class CGenData;
class QWidget;

namespace SourceExport {

// The label from the chosen file's name: cut at its first '.', lower-cased,
// made an identifier (any other character '_', and '_' before a leading
// digit or for an empty name).
QString Label(const QString &fileName);

// Today as "MM/dd/yy"; a test pins it with SetDateHook (empty: today).
QString Today();
void SetDateHook(std::function<QString()> hook);

// False, with the reason in why, when the path is no file to replace or the
// text could not be written whole; the file there stays as it was.
bool WriteFile(const QString &path, const QByteArray &text, QString *why = nullptr);

// What an export asks for and how it reports: the file's extension, the
// rows of the file dialog's title and filter, and the caption of the box
// that says the file could not be written.
struct Dialog {
    const char *extension;
    unsigned titleId;
    unsigned filterId;
    unsigned errorCaptionId;
};

// Asks for the file, in the item's folder and named after the item, and
// writes the text made for the chosen file's name; a failed write shows
// the "Save Failed!" box with why. A cancelled dialog writes nothing.
void AskAndWrite(QWidget *parent, const CGenData &item, const Dialog &dialog,
                 const std::function<QByteArray(const QString &fileName)> &text);

} // namespace SourceExport
