#pragma once
// The image data item: a named test pattern of a width and height in
// pixels, made of an ordered list of primitives, each one line of the
// generator's image language. Kept in .img files, written as command files,
// read from command files and the older product's files, sent to
// generators, recalled from them and copied between them (CImageTraffic.cpp).

#include "CGenData.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class CPrimitive;
class QWidget;

class CImage : public CGenData {
    DECLARE_SERIAL(CImage)

public:
    static constexpr int kDefaultWidth = 640;
    static constexpr int kDefaultHeight = 480;
    // The largest side a file may give; a recall takes 2..kMaxSide.
    static constexpr int kMaxSide = 65535;
    // The most primitives a generator or an older file may announce.
    static constexpr int kMaxPrimitives = 100000;

    // Named "Image", 640 x 480, no primitives.
    explicit CImage(QObject *owner = nullptr);
    ~CImage() override;

    // An open editor writes its state back first. A load that is not an
    // image this program can hold raises CArchiveException and leaves the
    // item as it was; top-level primitives come unlocked.
    void Serialize(CArchive &ar) override;
    int GetTypeCode() const override { return kImage; }
    QString GetTypeName() const override;
    QString GetFileExtension() const override;
    QString GetFileFilter() const override;

    // One image record of the older product's files, after the kind the
    // data list read. False, the item unchanged and LastError saying why,
    // when a length or count is out of bounds or a record is refused.
    bool ImportLegacyBinary(CArchive &ar) override;
    // The name, then lines up to "IMGE" or "IMGA"; false when the tokens
    // end first or a mnemonic the reader does not know comes (the item is
    // then unchanged).
    bool ImportTokens(CCommandReader &reader) override;
    // A command file's lines (lines[0] a placeholder): the first "IMGN"
    // line names the image, every line the reader builds is a primitive.
    // Lines it cannot build are left out and listed in one box. Always
    // true; empties lines.
    bool ImportCommandLines(QStringList &lines) override;
    // Built whole before the file is touched; a line no command line can
    // carry, or a file that cannot be written, is reported and nothing is
    // written.
    void WriteCommandFile(const QString &path, const QString &name) override;

    // ===== Traffic with generators (CImageTraffic.cpp) ==========================
    // Stores the image in the generator under its name. False, with the
    // generator's image block closed unstored, when a line cannot be sent
    // (then nothing is sent), the user declines the scale question or
    // cancels, or the generator refuses a line.
    bool SendToGenerator(CGenerator *generator, CProgressDlg *progress) override;
    // What a send is for: only its last progress text differs for a preview.
    enum class SendPurpose { Store, Preview };
    bool SendToGenerator(CGenerator *generator, CProgressDlg *progress, SendPurpose purpose);
    // Reads the stored image of that name into the item; false, the item as
    // it was, when the generator refuses a query or gives a count or size
    // out of bounds, or the user cancels.
    bool RecallFromGenerator(const QString &name, CGenerator *generator, CProgressDlg *progress) override;
    // ===== End of traffic ========================================================

    // How many lines the last recall or command-file import left out.
    int LinesLeftOut() const override { return m_linesLeftOut; }
    // Why the last legacy import refused the record.
    QString LastError() const { return m_lastError; }

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void SetSize(int width, int height);
    const std::vector<std::unique_ptr<CPrimitive>> &Primitives() const { return m_primitives; }
    void AddPrimitive(std::unique_ptr<CPrimitive> primitive);
    // Replaces every primitive (the old ones are deleted).
    void SetPrimitives(std::vector<std::unique_ptr<CPrimitive>> primitives);

private:
    QWidget *OwnerWindow() const;
    // What a recall or an import read: taken whole, and announced.
    void TakeRead(std::vector<std::unique_ptr<CPrimitive>> primitives, const QString &how,
                  const QStringList &leftOut);

    std::vector<std::unique_ptr<CPrimitive>> m_primitives;
    int m_width = kDefaultWidth;
    int m_height = kDefaultHeight;
    int m_linesLeftOut = 0;
    QString m_lastError;
};

// Copies the stored image name from source to target, line by line. 0 when
// the user cancelled (the caller's loop stops), 1 otherwise: copied,
// skipped at the scale question, or stopped by a failed command (the
// generators' image blocks closed, nothing stored).
int CopyImageBetweenGenerators(const QString &name, CGenerator *source, CGenerator *target, CProgressDlg *progress);

// How a copy between generators ended.
enum class ImageCopy { Stored, NotStored, Cancelled };
ImageCopy CopyImage(const QString &name, CGenerator *source, CGenerator *target, CProgressDlg *progress);
