#pragma once
// A folder nobody may create files in, for tests of failed writes.

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QString>

// folder made read-only; for a user whom permissions do not stop (root),
// the process's own /proc folder instead.
inline QString ReadOnlyFolder(const QString &folder)
{
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QFile probe(folder + QStringLiteral("/probe"));
    if (!probe.open(QIODevice::WriteOnly))
        return folder;
    probe.remove();
    return QStringLiteral("/proc/self");
}
