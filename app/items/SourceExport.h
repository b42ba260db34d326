#pragma once
// What the font and pixel map source exports share: the label a file's
// name gives, today's date as their headers show it, and writing the text
// whole: beside the old file and renamed over it only when every byte went
// out, so a failed export leaves no half file and keeps the one it would
// replace.

#include <QByteArray>
#include <QString>

#include <functional>

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

} // namespace SourceExport
