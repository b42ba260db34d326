#pragma once
// The names a text dropped on a knob list holds: names of at most 8
// letters, digits and & ' + @ _, separated by CR, LF or CR LF (empty ones
// skipped); a NUL ends the text. The text's own length bounds the reading.

#include <QString>
#include <QStringList>

struct DroppedNames {
    QStringList names; // those before anything that is no name
    bool whole = true; // false: the text went on with something that is no name
};

DroppedNames ReadDroppedNames(const QString &text);
