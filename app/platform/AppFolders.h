#pragma once
// Where the program's files live: read-only assets beside the binary, and a
// writable folder for what the program writes (command logs, traces).

#include <QString>

// The writable folder, without a trailing separator: the profile's
// "Folders"/"Program" when it names a writable folder, else the
// application data location (created when missing). Empty only when
// neither can be had.
QString AppDataFolder();
// name inside AppDataFolder().
QString AppDataFile(const QString &name);

// The folder of the program's own read-only files (beside the binary).
QString AssetFolder();
QString AssetFile(const QString &name);

// The folder of path with its trailing separator, as the file dialogs
// remember it in the profile; empty for a bare file name.
QString FolderOf(const QString &path);
