#pragma once
// Sequence command files: the lines that build and store a sequence on a
// generator, written as the send writes them (SEQN name, FMTL "name",
// IMGL name, SDLY in seconds), and their reader, which also takes the
// files older writers left (SEQN glued to the name, SDLY as a delay row).
// CSequence reads and writes its command files with them.

#include "CSequenceStep.h"

#include <QString>
#include <QStringList>

#include <vector>

// The file's lines, header first, without line ends (the file ends each
// with CR LF).
QStringList SequenceCommandLines(const std::vector<CSequenceStep> &steps, const QString &name);

struct SequenceCommandParse {
    std::vector<CSequenceStep> steps; // normalized
    QString name;                     // from SEQN, when nameSeen
    bool nameSeen = false;
    bool hasSteps = false;            // some line holds STEP
    QString error;                    // why the parse stopped; empty when it did not
};

// Reads lines from lines[1] on (lines[0] is the header's place). A step
// ends at the next STEP, at SEQE or at the end; a value that cannot be
// read ends the parse with error set.
SequenceCommandParse ParseSequenceCommandLines(const QStringList &lines);
