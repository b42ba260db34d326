#pragma once
// The pixel map data item ("Icon"): a small indexed-colour picture for a
// generator, its colour table and the standard colour sets the table was
// built from. Stored as a ".pmp" file; only the size and the pixel words
// travel to and from generators, the colour table stays on the PC. Its
// editor works on a copy and gives it back when the map is stored.

#include "CGenData.h"
#include "PixelMapData.h"

#include <QString>

class CGenerator;
class CProgressDlg;

class CPixelMap : public CGenData {
    DECLARE_SERIAL(CPixelMap)

public:
    explicit CPixelMap(QObject *owner = nullptr);
    // Destroys an open editor first.
    ~CPixelMap() override;

    // Storing takes an open editor's copy first. A load reads the whole map into copies and checks it: depth 1, 2, 4
    // or 8, sides 1..1024, pitch32 and the word count of that geometry, the
    // counts within the bytes left. A bad file raises CArchiveException and
    // leaves the item as it was; a colour table of another size is brought
    // to 2^depth entries (cut, or padded with black).
    void Serialize(CArchive &ar) override;
    int GetTypeCode() const override { return kPixelMap; }
    QString GetTypeName() const override;
    QString GetFileExtension() const override;
    QString GetFileFilter() const override;

    // ===== Traffic with generators (CPixelMapTraffic.cpp) =====================
    // Uploads the pixel words and stores them under the item's name; false
    // when the generator takes no pixel maps, lacks the memory (before or at
    // the store), refused a command, or the user cancelled. Every upload
    // begun is ended ("MAPN ", "MAPE ").
    bool SendToGenerator(CGenerator *generator, CProgressDlg *progress) override;
    // Reads the stored map's size and words into a copy and takes them over
    // only when all came; the colour table is only brought to 2^depth
    // entries. False, with the item unchanged, when refused, cancelled or
    // the size is not one a map can have.
    bool RecallFromGenerator(const QString &name, CGenerator *generator, CProgressDlg *progress) override;
    // ===== End of traffic ======================================================

    const PixelMapData &Data() const { return m_data; }
    // Takes the whole map; the caller keeps it valid (IsGeometry, the
    // word count, a LUT of 2^depth entries).
    void SetData(PixelMapData data) { m_data = std::move(data); }

private:
    PixelMapData m_data;
};

// Reads the stored map name from source and stores it in target, word for
// word. False when cancelled, when either generator refused or lacked the
// memory, or the size read is not one a map can have; the target keeps
// what it had.
bool CopyPixelMapBetweenGenerators(const QString &name, CGenerator *source, CGenerator *target,
                                   CProgressDlg *progress);
