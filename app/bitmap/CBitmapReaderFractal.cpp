// CBitmapReader::CompressFractal: the .xrf writer.
#include "CBitmapReader.h"

#include "AppFolders.h"
#include "CFractalCodec.h"
#include "CProgressDlg.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "SafeFile.h"
#include "StringTable.h"

namespace {

constexpr char kMagic[] = "XR Fractal";

void ErrorBox(CProgressDlg *progress, const PromptText &text)
{
    MessageBox(progress, text, PromptText(IDS_ERROR), MB_OK | MB_ICONWARNING);
}

FILE *OpenForWriting(const QString &path)
{
    return std::fopen(QFile::encodeName(path).constData(), "wb");
}

} // namespace

bool CBitmapReader::CompressFractal(const QString &outPath, CProgressDlg *progress)
{
    if (!isOpen)
        return false;
    // Only these depths split into colour planes; refuse before writing anything.
    if (depth != 4 && depth != 8 && depth != 24) {
        ErrorBox(progress, PromptText(IDS_ONLY_4_8_24_BITS, {QString::number(depth)}));
        return false;
    }
    // Refused before the long work, then checked again by the write.
    QString why;
    if (!SafeFile::CanWrite(outPath, &why)) {
        ErrorBox(progress, PromptText(IDS_CANNOT_OPEN, {why}));
        return false;
    }
    // The planes are coded into a scratch file of the program's; only the
    // whole result replaces what outPath held.
    const QString scratch = AppDataFile(QStringLiteral("Fractal.xrf"));
    QByteArray header;
    if (!HeaderBytes(header) || !SafeFile::WriteWhole(scratch, header, &why)) {
        ErrorBox(progress, PromptText(IDS_CANNOT_OPEN, {why.isEmpty() ? outPath : why}));
        QFile::remove(scratch);
        return false;
    }
    QByteArray coded;
    bool done = CompressPlanes(scratch, progress)
             && SafeFile::ReadWhole(scratch, 4 * kLargestStreamBytes, coded, &why) == SafeFile::Read::Yes;
    QFile::remove(scratch);
    if (done && !SafeFile::WriteWhole(outPath, coded, &why))
        done = false;
    if (!done && !why.isEmpty())
        ErrorBox(progress, PromptText(IDS_CANNOT_OPEN, {why}));
    return done;
}

// The magic, then the info header and colour table bytes as the file holds them.
bool CBitmapReader::HeaderBytes(QByteArray &bytes)
{
    const qint64 headerBytes = qint64(HeaderU32(0));
    const qint64 tableBytes = depth <= 8 ? 4 * qint64(m_tableEntries) : 0;
    QByteArray header;
    QByteArray table;
    if (!file.seek(14) || (header = file.read(headerBytes)).size() != headerBytes)
        return false;
    if (!file.seek(qint64(m_tableOffset)) || (table = file.read(tableBytes)).size() != tableBytes)
        return false;
    bytes = QByteArray(kMagic, 10) + header + table;
    return true;
}

bool CBitmapReader::CompressPlanes(const QString &outPath, CProgressDlg *progress)
{
    const QString planePath = AppDataFile(QStringLiteral("Raw.dat"));
    for (int plane = 0; plane < 3; ++plane) {
        FILE *planeFile = OpenForWriting(planePath);
        if (planeFile == nullptr) {
            ErrorBox(progress, PromptText(IDS_CANNOT_OPEN, {planePath}));
            return false;
        }
        const int words = WritePlaneFile(planeFile, progress, true, plane);
        if (std::fclose(planeFile) != 0 || words == 0) {
            ErrorBox(progress, words == 0 ? GetFailureText() : PromptText(IDS_CANNOT_OPEN, {planePath}));
            return false;
        }
        CFractalCodec codec;
        codec.SetFiles(planePath, outPath, 1);
        // The plane file holds height rows of width bytes.
        const int result = codec.Compress(progress, {.tolerance = 8.0,
                                                     .rowLength = width,
                                                     .rowCount = int(height),
                                                     .deepDepth = 6,
                                                     .shallowDepth = 4,
                                                     .domainStep = 1,
                                                     .scaleBits = 5,
                                                     .offsetBits = 7,
                                                     .scaleLimit = 1.0,
                                                     .domainStepMode = 0,
                                                     .positiveScalesOnly = false,
                                                     .searchAllSubclasses = false,
                                                     .searchAllClasses = false});
        if (result != 0) {
            ErrorBox(progress, PromptText(IDS_COMPRESSION_ERROR, {QString::number(result)}));
            return false;
        }
    }
    return true;
}
