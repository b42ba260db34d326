#pragma once
// Saves a picture of a dialog under test in $ZOT_SCREENSHOT_DIR, when set,
// for a person to look at; nothing checks it.

#include <QDir>
#include <QPixmap>
#include <QString>
#include <QWidget>

inline void SaveScreenshot(QWidget *dialog, const QString &name)
{
    const QString folder = qEnvironmentVariable("ZOT_SCREENSHOT_DIR");
    if (folder.isEmpty() || !dialog)
        return;
    QDir().mkpath(folder);
    dialog->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}
