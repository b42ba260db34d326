#pragma once
// The program's profile: integer and string values by section and key, kept
// with QSettings under organisation "Veltrane", application "Zotware".

#include <QString>

inline constexpr char kProfileOrganisation[] = "Veltrane";
inline constexpr char kProfileApplication[] = "Zotware";

// Names the application so that QSettings and QStandardPaths find the
// program's own places; the program calls it before anything else reads them.
void SetApplicationIdentity();

// The stored value, or def when the key is absent or not a whole number.
int GetProfileInt(const QString &section, const QString &key, int def);
bool WriteProfileInt(const QString &section, const QString &key, int value);
// The stored value, or def when the key is absent.
QString GetProfileString(const QString &section, const QString &key, const QString &def = QString());
bool WriteProfileString(const QString &section, const QString &key, const QString &value);
