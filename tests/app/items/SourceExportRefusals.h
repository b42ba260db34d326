#pragma once
// The source export of an open font or pixel map editor onto paths it
// cannot write: a file in a folder that does not exist, a file kept in a
// read-only folder, and a folder. Each shows the "Save Failed!" box; the
// kept file stays as it was and nothing is left beside it.

#include "ScriptedPrompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

// temp is the test's own folder, extension the export's (".s", ".cc");
// generate runs the editor's Generate Source command.
inline void ExpectSourceExportRefused(ScriptedPrompter &prompter, const QString &temp, const QString &extension,
                                      const std::function<void()> &generate)
{
    const QString folder = temp + QStringLiteral("/locked");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString kept = folder + QStringLiteral("/Kept") + extension;
    QFile old(kept);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool locked = !QFileInfo(folder).isWritable();
    for (const QString &target : {temp + QStringLiteral("/missing/Export") + extension, kept, temp}) {
        if (target == kept && !locked)
            continue; // a user the folder's rights do not bind
        SCOPED_TRACE(target.toStdString());
        prompter.ExpectFile(PromptMatch::Caption(QStringLiteral("Generate Source File...")), FileResult{true, {target}, 1});
        prompter.ExpectMessage(PromptMatch::Contains(QStringLiteral("Save Failed!\n\n")).AndCaption(QStringLiteral("ERROR")),
                               IDOK, MB_OK | MB_ICONWARNING);
        generate();
        prompter.VerifyAllUsed();
    }
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("Kept") + extension})
        << "no half file beside it";
}
