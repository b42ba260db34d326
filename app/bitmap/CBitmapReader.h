#pragma once
// Reads a Windows bitmap (file header, a 40-, 108- or 124-byte info header,
// an optional colour table, raw or run-length pixel rows) and hands it on as
// a colour table, pixel words or a download file. Every Open writes a dump of
// the headers to "bmp.txt" in the data folder, when that can be written.

#include "BitmapRunLength.h"

#include <QFile>
#include <QString>

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

class CGenerator;
class CProgressDlg;
class QWidget;

class CBitmapReader {
public:
    CBitmapReader();
    ~CBitmapReader();
    CBitmapReader(const CBitmapReader &) = delete;
    CBitmapReader &operator=(const CBitmapReader &) = delete;

    bool Open(const QString &path);
    void Close(); // safe when nothing is open
    bool IsOpen() const { return isOpen; }

    // One 0x00BBGGRR value per entry.
    bool ReadColorTable(std::vector<uint32_t> &lut);
    // height x wordsPerRow words, top row first; the first pixel of a word
    // in its most significant bits.
    bool ReadPixels(std::vector<uint32_t> &pixels);
    // The rows, top row first: as stored (nibbles swapped at depth 4), or
    // with expand one byte a pixel of colour component plane (0 red, 1 green,
    // 2 blue). Returns wordsPerRow, 0 on failure with nothing written.
    int WritePlaneFile(FILE *out, CProgressDlg *progress, bool expand, int plane);
    // Writes outPath: "XR Fractal", the info header and colour table as
    // stored, then the red, green and blue planes fractal-coded. Reports by
    // boxes on progress; a failed run leaves no output.
    bool CompressFractal(const QString &outPath, CProgressDlg *progress);

    // Writes the stored rows into a PCI generator's video memory, row r at
    // (y + r) x pitch + x with pitch the power of two from screenWidth: word
    // by word through the card's mailbox, or with useDma through its memory
    // window. Reports failures by boxes on owner; false when nothing or not
    // all was written.
    bool WriteToPciMemory(CGenerator *gen, QWidget *owner, int x, int y, int screenWidth, int screenHeight,
                          bool useDma);
    // The video memory the card's window shows.
    static constexpr uint64_t kPciVideoWindowBytes = 8u << 20;
    static uint64_t PciPitch(int screenWidth);
    // Whether the rows placed at (x, y) lie inside the window.
    bool FitsPciWindow(int x, int y, int screenWidth) const;

    // Why the last Open or write refused; also in the dump.
    QString GetFailureText() const { return m_failure; }

    int32_t width = 0;
    uint32_t height = 0;
    int32_t depth = 0;
    uint32_t wordsPerRow = 0;

private:
    enum : int32_t { kTopDown = 1, kBottomUp = 2 };
    enum : int32_t { kInfoHeader = 1, kV4Header = 4, kV5Header = 5 };

    bool Fail(const QString &reason); // logs "*** reason", closes, false
    int RefuseWrite(const QString &reason); // logs "*** reason", 0
    void Log(const char *format, ...) __attribute__((format(printf, 2, 3)));
    void OpenLog();
    bool ReadFileHeader();
    bool ReadInfoHeader();
    void LogInfoHeader();
    bool CheckLayout();
    bool CheckColorTable();
    bool DecodeRunLengthData();
    uint32_t HeaderU32(int offset) const;
    uint16_t HeaderU16(int offset) const;
    uint64_t RowBytes() const { return uint64_t(wordsPerRow) * 4; }
    // Reads image row (0 = top) as stored, into RowBytes() bytes.
    bool ReadRow(uint32_t row, uint8_t *bytes);
    bool HeaderBytes(QByteArray &bytes);
    bool CompressPlanes(const QString &outPath, CProgressDlg *progress);
    uint8_t PlaneByte(const uint8_t *row, int32_t x, int plane, const std::vector<uint32_t> &lut) const;

    int32_t direction = kBottomUp;
    int32_t fileSize = 0;
    QFile file;
    bool isOpen = false;
    std::array<uint8_t, 14> fileHeader{};
    int32_t headerKind = 0;
    std::vector<uint8_t> header;
    QFile log;
    bool logging = true;

    uint32_t m_compression = 0;
    uint32_t m_colorsUsed = 0;
    uint64_t m_pixelOffset = 0;
    uint64_t m_tableOffset = 0;
    uint32_t m_tableEntries = 0;
    RunLengthImage m_decoded;
    QString m_failure;
    QString m_path; // of the file open, for the dump
};
