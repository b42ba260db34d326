#pragma once
// Names that come from files and generator replies end up inside command
// lines (FMTN "name", FMTL "name", NAME "name"). A double quote closes the
// argument early, ';' starts another command, '>' reads as the generator's
// prompt, and a control character ends or garbles the line. Everything else
// the generator's own lists use ("AT&T_SVC", "Focus_@6", blanks) is fine.

#include <QString>

// Empty when the name can go into a command line; otherwise a sentence
// naming the first character that cannot.
QString CommandNameProblem(const QString& name);

// The name for a message: control characters shown as \xNN.
QString PrintableName(const QString& name);
