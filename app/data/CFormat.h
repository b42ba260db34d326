#pragma once
// The format data item: one parameter set (CGeneralFormatData) and at most
// one open editor. Stored as a format file, as the older product's record,
// or as a command file; sent to and recalled from generators.

#include "CGenData.h"
#include "ItemEditorLink.h"

#include <QString>

#include <memory>

class CGeneralFormatData;
class QWidget;
struct FormatRecord;

// What a format needs of its open editor besides what every item needs
// (WriteBack: the pages into the working copy, the copy into the item;
// ItemRenamed: the new name shown and kept).
class FormatEditorLink : public ItemEditorLink {
public:
    // The name as the editor shows it now.
    virtual QString CurrentName() const = 0;
};

class CFormat : public CGenData {
    DECLARE_SERIAL(CFormat)

public:
    // Longest parameter-set name and file-name text the older product's record holds.
    static constexpr int kLegacyNameLength = 10;
    static constexpr int kLegacyTypeLength = 20;

    explicit CFormat(QObject *owner = nullptr);
    ~CFormat() override;

    // Commits an open editor before storing; a load that holds a value the
    // format cannot use raises CArchiveException and leaves the item as it was.
    void Serialize(CArchive &ar) override;
    int GetTypeCode() const override { return kFormat; }
    QString GetTypeName() const override;
    void SetName(const QString &name) override;
    bool Rename() override;
    QString GetCurrentName() const override;
    QString GetFileExtension() const override;
    QString GetFileFilter() const override;
    // legacy: the older product's record; a name it cannot hold raises
    // CArchiveException before anything is written.
    void StoreObject(CArchive &ar, bool legacy) override;
    // The older product's record, positioned after its kind. False at the
    // first bad length or version, or a value the format cannot use; the
    // item is then unchanged and LastError says why.
    bool ImportLegacyBinary(CArchive &ar) override;
    // Command files (CFormatCommandFile.cpp): the reader stands after FMTN;
    // true when FMTE or FMTA ended the format and its values were taken.
    bool ImportTokens(CCommandReader &reader) override;
    // lines[0] is a placeholder. Marks the item modified and tells the owner
    // whatever happened; false when the parse failed or a value was refused.
    bool ImportCommandLines(QStringList &lines) override;
    void WriteCommandFile(const QString &path, const QString &name) override;

    // ===== Format traffic with a generator (CFormatTraffic.cpp) ==============
    // Uploads, checks and stores the format under its name. False when it
    // was cancelled, refused (the user said No to a format error, or the
    // values give no counts) or the link was lost.
    bool SendToGenerator(CGenerator *generator, CProgressDlg *progress) override;
    // Reads the stored format of that name into the item and puts the
    // generator back as it was. False, with the item unchanged, when the
    // generator has no such format, a reply is out of range, the link was
    // lost, or the name would break a command line (then nothing is sent).
    bool RecallFromGenerator(const QString &name, CGenerator *generator, CProgressDlg *progress) override;
    // Uploads data and asks the generator to check it, without storing it.
    // True when it passed (and was not cancelled).
    bool CheckFormat(CGenerator *generator, const CGeneralFormatData &data, CProgressDlg *progress);
    // ===== End of format traffic ==============================================

    CGeneralFormatData &Data() { return *m_data; }
    const CGeneralFormatData &Data() const { return *m_data; }
    // Why the last import refused or stopped; empty after one that went well.
    QString LastError() const { return m_lastError; }

private:
    void WriteLegacyRecord(CArchive &ar) const;
    // Shared end of both command-file readers; result of the parse.
    bool TakeParsedRecord(const FormatRecord &record, bool ended, const QString &parseError);

    std::unique_ptr<CGeneralFormatData> m_data;
    QString m_lastError;
};
