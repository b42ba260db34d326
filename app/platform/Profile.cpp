#include "Profile.h"

#include <QCoreApplication>
#include <QSettings>

namespace {

QSettings OpenProfile()
{
    return QSettings(QString::fromLatin1(kProfileOrganisation), QString::fromLatin1(kProfileApplication));
}

QString ProfileKey(const QString &section, const QString &key)
{
    return section + u'/' + key;
}

// Values reach the disk at once, so a crash loses nothing written before it.
bool Store(const QString &section, const QString &key, const QVariant &value)
{
    QSettings settings = OpenProfile();
    settings.setValue(ProfileKey(section, key), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace

void SetApplicationIdentity()
{
    QCoreApplication::setOrganizationName(QString::fromLatin1(kProfileOrganisation));
    QCoreApplication::setApplicationName(QString::fromLatin1(kProfileApplication));
}

int GetProfileInt(const QString &section, const QString &key, int def)
{
    const QVariant value = OpenProfile().value(ProfileKey(section, key));
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok);
    return ok ? number : def;
}

bool WriteProfileInt(const QString &section, const QString &key, int value)
{
    return Store(section, key, value);
}

QString GetProfileString(const QString &section, const QString &key, const QString &def)
{
    const QVariant value = OpenProfile().value(ProfileKey(section, key));
    return value.isValid() ? value.toString() : def;
}

bool WriteProfileString(const QString &section, const QString &key, const QString &value)
{
    return Store(section, key, value);
}
