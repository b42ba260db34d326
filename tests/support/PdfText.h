#pragma once
// What a PDF printout holds, read back by the poppler tools (./zot installs
// poppler-utils): its text laid out as on the page, and its document info.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace pdf_text {

// stdout of a tool; a missing tool or a failed run fails the test.
inline QString Run(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << qPrintable(tool) << " did not run (./zot installs poppler-utils): "
                      << qPrintable(process.errorString()) << " " << process.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

enum Blanks { kAsLaidOut, kSimplified };

// The lines of page first to last (from 1; 0: all) as pdftotext -layout
// gives them, trailing blanks cut (or every run of blanks made one),
// empty lines dropped.
inline QStringList Lines(const QString &path, Blanks blanks = kAsLaidOut, int first = 0, int last = 0)
{
    QStringList arguments{QStringLiteral("-layout")};
    if (first > 0)
        arguments << QStringLiteral("-f") << QString::number(first);
    if (last > 0)
        arguments << QStringLiteral("-l") << QString::number(last);
    arguments << path << QStringLiteral("-");
    QStringList lines;
    for (QString line : Run(QStringLiteral("pdftotext"), arguments).split(QLatin1Char('\n'))) {
        line.remove(QLatin1Char('\f'));
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        if (blanks == kSimplified)
            line = line.simplified();
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

// A field of pdfinfo ("Pages", "Title", "Page size").
inline QString Info(const QString &path, const QString &field)
{
    for (const QString &line : Run(QStringLiteral("pdfinfo"), {path}).split(QLatin1Char('\n'))) {
        if (line.startsWith(field + QLatin1Char(':')))
            return line.mid(field.size() + 1).trimmed();
    }
    return {};
}

} // namespace pdf_text
