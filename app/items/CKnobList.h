#pragma once
// The knob list data item: the names a generator's format, image or
// sequence knob steps through, in knob order, and at most one open editor.
// On a generator a knob list is a directory. A list recalled under the name
// "fmt" stays linked to its generator, which tells it when it rewrites its
// directories; the list then offers to recall itself again.

#include "CGenData.h"
#include "KnobListLink.h"

#include <QString>
#include <QStringList>

class CGenerator;
class CProgressDlg;

class CKnobList : public CGenData, public KnobListLink {
    DECLARE_SERIAL(CKnobList)

public:
    // The older product's record: longest name, most entries.
    static constexpr quint32 kLegacyNameLength = 10;
    static constexpr quint32 kMaxLegacyEntries = 10000;
    static constexpr int kEntryLength = 8;
    // The directory whose recall links the list to its generator.
    static constexpr char kLinkedName[] = "fmt";

    explicit CKnobList(QObject *owner = nullptr);
    // Deletes the editor and leaves its source generator.
    ~CKnobList() override;

    // Storing asks an open editor for its rows first. A load that fails
    // raises CArchiveException and leaves the item as it was.
    void Serialize(CArchive &ar) override;
    int GetTypeCode() const override { return kKnobList; }
    QString GetTypeName() const override;
    QString GetFileExtension() const override;
    QString GetFileFilter() const override;
    // The older product's record; false, with the item unchanged and
    // LastError set, at a length beyond its bound or the bytes left.
    bool ImportLegacyBinary(CArchive &ar) override;
    // A name, then NAMI position name ...; false when there is no name.
    bool ImportTokens(CCommandReader &reader) override;

    // ===== Traffic with generators (CKnobListTraffic.cpp) =====================
    // Writes the directory and stores it; false (nothing stored) when the
    // list is longer than a directory holds, when cancelled, or when the
    // generator refused an entry or the store.
    bool SendToGenerator(CGenerator *generator, CProgressDlg *progress) override;
    // Reads the directory; false, with the item unchanged, when the generator
    // has no such directory, refused a command or the link was lost.
    bool RecallFromGenerator(const QString &name, CGenerator *generator, CProgressDlg *progress) override;
    // ===== End of traffic ======================================================

    // KnobListLink
    void DetachSource() override;
    void OnSourceListChanged() override;

    const QStringList &Entries() const { return m_entries; }
    void SetEntries(const QStringList &entries) { m_entries = entries; }
    CGenerator *Source() const { return m_source; }
    QString LastError() const { return m_lastError; }

private:
    QStringList m_entries;
    CGenerator *m_source = nullptr; // not owned; it detaches the list when it goes
    QString m_lastError;
};

// Reads the directory name from source and writes it to target, storing it
// only when every name went in. False when cancelled, refused or a link was
// lost; the target's stored directory then stays as it was.
bool CopyKnobListBetweenGenerators(const QString &name, CGenerator *source, CGenerator *target,
                                   CProgressDlg *progress);
