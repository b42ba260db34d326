#pragma once
// The sequence data item: a list of steps a generator goes through, and at
// most one open editor. Stored as a sequence file, read from the older
// product's files and from command files, written as a command file; sent
// to and recalled from generators, and copied between two of them.

#include "CGenData.h"
#include "CSequenceStep.h"

#include <QString>

#include <vector>

class CGenerator;
class CProgressDlg;

class CSequence : public CGenData {
    DECLARE_SERIAL(CSequence)

public:
    // The older product's record: longest name, most steps.
    static constexpr quint32 kLegacyNameLength = 10;
    static constexpr quint32 kMaxSteps = 10000;

    explicit CSequence(QObject *owner = nullptr);
    // Deletes the editor first.
    ~CSequence() override;

    // Storing asks an editor with unsaved changes for its steps first. A
    // load that fails raises CArchiveException and leaves the item as it was.
    void Serialize(CArchive &ar) override;
    int GetTypeCode() const override { return kSequence; }
    QString GetTypeName() const override;
    QString GetFileExtension() const override;
    QString GetFileFilter() const override;
    // The older product's record, after its kind. False at a length beyond
    // its bound or beyond the bytes left; the item is then unchanged and
    // LastError says why.
    bool ImportLegacyBinary(CArchive &ar) override;
    // Command files (CSequenceCommandFile.cpp). lines[0] is a placeholder.
    // Marks the item modified and tells the owner; false, with LastError,
    // when a value could not be read.
    bool ImportCommandLines(QStringList &lines) override;
    void WriteCommandFile(const QString &path, const QString &name) override;

    // ===== Traffic with generators (CSequenceTraffic.cpp) =====================
    // Uploads the steps and stores them under the item's name; false when
    // cancelled, when the link was lost or when the generator refused the
    // store (an upload that stops is ended without storing).
    bool SendToGenerator(CGenerator *generator, CProgressDlg *progress) override;
    // Appends the stored sequence's steps; false, with the item unchanged,
    // when cancelled, refused or the link was lost. The generator is put
    // back as it was in every case the link allows.
    bool RecallFromGenerator(const QString &name, CGenerator *generator, CProgressDlg *progress) override;
    // ===== End of traffic ======================================================

    const std::vector<CSequenceStep> &Steps() const { return m_steps; }
    // Normalizes the steps it takes.
    void SetSteps(std::vector<CSequenceStep> steps);
    // Why the last import refused or stopped; empty after one that went well.
    QString LastError() const { return m_lastError; }

private:
    std::vector<CSequenceStep> m_steps;
    QString m_lastError;
};

// Reads the stored sequence name from source and stores it in target, step
// by step. False when cancelled, when either generator refused a command
// of the copy or lost its link; the target then stores nothing.
bool CopySequenceBetweenGenerators(const QString &name, CGenerator *source, CGenerator *target,
                                   CProgressDlg *progress);
