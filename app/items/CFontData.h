#pragma once
// The font data item: one bitmap text font for a generator (FontData),
// stored as a ".fnt" file and sent to and recalled from generators above
// firmware 7.02. Its editor (CFontEditor) works on characters of its own
// and packs them back into the tables when the font is stored.

#include "CGenData.h"
#include "FontData.h"

#include <QString>

class CGenerator;
class CProgressDlg;

class CFontData : public CGenData {
    DECLARE_SERIAL(CFontData)

public:
    explicit CFontData(QObject *owner = nullptr);
    // Destroys an open editor first.
    ~CFontData() override;

    // Storing takes an open editor's characters first. A load reads the
    // whole font into a copy: the header is checked before any table is
    // read, every count against the bytes left, then the tables against the
    // header (FontData::Valid). A bad file raises CArchiveException and
    // leaves the item as it was.
    void Serialize(CArchive &ar) override;
    int GetTypeCode() const override { return kFont; }
    QString GetTypeName() const override;
    QString GetFileExtension() const override;
    QString GetFileFilter() const override;

    // ===== Traffic with generators (CFontDataTraffic.cpp) ======================
    // Uploads the header and the four tables and stores the font under the
    // item's name. False when the generator takes no fonts (the box says
    // so, nothing sent), refused a command (its one box; nothing more is
    // sent but "FNTN " and "FNTE "), or the user cancelled; true only when
    // the store (FNTA) was taken.
    bool SendToGenerator(CGenerator *generator, CProgressDlg *progress) override;
    // Reads the stored font into a copy and takes it only when all came and
    // it is a font (FontData::HeaderValid before the tables are asked for,
    // FontData::Valid after); the item then takes the name, is modified and
    // its owner hears WM_DATA_CHANGED. False, with the item unchanged, when
    // refused, cancelled or the font read is none.
    bool RecallFromGenerator(const QString &name, CGenerator *generator, CProgressDlg *progress) override;
    // ===== End of traffic ========================================================

    const FontData &Data() const { return m_data; }
    // Takes the whole font; the caller keeps it valid (FontData::Valid).
    void SetData(FontData data) { m_data = std::move(data); }

private:
    FontData m_data;
};

// Reads the stored font name from source and stores it in target, table for
// table. False when cancelled, when either generator refused or takes no
// fonts, or the font read is none; the target keeps what it had.
bool CopyFontBetweenGenerators(const QString &name, CGenerator *source, CGenerator *target, CProgressDlg *progress);
