#include "AppFolders.h"

#include "Profile.h"
#include "ProfileKeys.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

bool IsWritableFolder(const QString &path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.isDir() && info.isWritable();
}

} // namespace

QString AppDataFolder()
{
    const QString configured = GetProfileString(ProfileKeys::kFolders, ProfileKeys::kProgram);
    if (IsWritableFolder(configured))
        return QDir::cleanPath(configured);
    const QString standard = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (standard.isEmpty() || !QDir().mkpath(standard))
        return {};
    return QDir::cleanPath(standard);
}

QString AppDataFile(const QString &name)
{
    return QDir(AppDataFolder()).filePath(name);
}

QString AssetFolder()
{
    return QCoreApplication::applicationDirPath();
}

QString AssetFile(const QString &name)
{
    return QDir(AssetFolder()).filePath(name);
}

QString FolderOf(const QString &path)
{
    return path.left(path.lastIndexOf(u'/') + 1);
}
