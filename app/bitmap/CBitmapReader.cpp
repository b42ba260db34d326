#include "CBitmapReader.h"

#include "AppFolders.h"
#include "CProgressDlg.h"
#include "Prompts.h"
#include "RegularFile.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QDir>

#include <algorithm>
#include <cstdarg>
#include <new>

namespace {

constexpr uint16_t kBitmapType = 0x4D42; // "BM"
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kV4HeaderSize = 108;
constexpr uint32_t kV5HeaderSize = 124;
constexpr uint32_t kMaskBytes = 12;
constexpr int64_t kLargestSide = 32767;
constexpr qint64 kLargestFileBytes = 0xFFFFFFFFLL;
constexpr uint64_t kDecodedLimit = 256ull << 20;

enum : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

// Offsets of the basic fields inside the info header.
enum : int {
    kWidthAt = 4,
    kHeightAt = 8,
    kPlanesAt = 12,
    kBitCountAt = 14,
    kCompressionAt = 16,
    kImageSizeAt = 20,
    kXResAt = 24,
    kYResAt = 28,
    kColorsUsedAt = 32,
    kColorsImportantAt = 36,
};

uint32_t LittleU32(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t LittleU16(const uint8_t *p)
{
    return uint16_t(p[0] | p[1] << 8);
}

bool ReadExactly(QFile &file, void *into, qint64 bytes)
{
    return file.read(static_cast<char *>(into), bytes) == bytes;
}

const char *SchemeLogLine(uint32_t compression)
{
    switch (compression) {
    case kRgb: return "RGB (not compressed)\n";
    case kRle8: return "Run-length encoded. 8 bits per pixel\n";
    case kRle4: return "Run-length encoded. 4 bits per pixel\n";
    case kBitFields: return "Not Compressed: Color table = 3 DWORD color masks\n";
    default: return nullptr;
    }
}

bool IsSupportedDepth(int32_t depth)
{
    for (int32_t d : {1, 2, 4, 8, 16, 24, 32})
        if (depth == d)
            return true;
    return false;
}

} // namespace

CBitmapReader::CBitmapReader() : header(kV5HeaderSize, 0) {}

CBitmapReader::~CBitmapReader()
{
    Close();
}

void CBitmapReader::Close()
{
    if (log.isOpen()) {
        log.flush();
        log.close();
    }
    if (file.isOpen())
        file.close();
    isOpen = false;
    m_decoded.rows.clear();
}

void CBitmapReader::Log(const char *format, ...)
{
    if (!log.isOpen())
        return;
    va_list args;
    va_start(args, format);
    char text[1024];
    const int length = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length > 0)
        log.write(text, std::min<qint64>(length, qint64(sizeof text) - 1));
}

// The dump is a reading aid: a folder that cannot take it costs nothing else.
void CBitmapReader::OpenLog()
{
    if (!logging || AppDataFolder().isEmpty())
        return;
    log.setFileName(AppDataFile(QStringLiteral("bmp.txt")));
    if (!log.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        log.setFileName(QString());
}

bool CBitmapReader::Fail(const QString &reason)
{
    m_failure = reason;
    Log("\n*** %s\n", reason.toUtf8().constData());
    Close();
    return false;
}

uint32_t CBitmapReader::HeaderU32(int offset) const
{
    return LittleU32(header.data() + offset);
}

uint16_t CBitmapReader::HeaderU16(int offset) const
{
    return LittleU16(header.data() + offset);
}

bool CBitmapReader::Open(const QString &path)
{
    Close();
    m_failure.clear();
    OpenLog();
    m_path = path;
    // A FIFO or a device is refused without waiting on it.
    QString notAFile;
    if (!RegularFile::OpenForReading(file, path, notAFile))
        return Fail(notAFile.isEmpty() ? LoadString(IDS_BMP_CANNOT_OPEN).arg(path) : notAFile);
    // The file header gives the size in 32 bits.
    if (file.size() > kLargestFileBytes)
        return Fail(FormatString(IDS_FILE_TOO_LARGE, {path, QString::number(file.size()), QString::number(kLargestFileBytes)}));
    if (!ReadFileHeader() || !ReadInfoHeader())
        return false;
    if (!CheckLayout() || !CheckColorTable() || !DecodeRunLengthData())
        return false;
    isOpen = true;
    if (log.isOpen())
        log.flush();
    return true;
}

bool CBitmapReader::ReadFileHeader()
{
    if (!ReadExactly(file, fileHeader.data(), qint64(fileHeader.size())))
        return Fail(LoadString(IDS_BMP_NO_FILE_HEADER));
    const uint16_t type = LittleU16(fileHeader.data());
    const uint32_t size = LittleU32(fileHeader.data() + 2);
    const uint32_t offset = LittleU32(fileHeader.data() + 10);
    Log("%s\n", m_path.toUtf8().constData());
    Log("%s\n", std::string(46, '-').c_str());
    Log("       Type: %X  %s", unsigned(type), type == kBitmapType ? "OK\n" : "WRONG!\n");
    Log("  File Size: %ld (0x%lX)\n", long(int32_t(size)), static_cast<unsigned long>(size));
    Log("     Offset: %ld (0x%lX)\n", long(int32_t(offset)), static_cast<unsigned long>(offset));
    fileSize = int32_t(size);
    m_pixelOffset = offset;
    return true;
}

bool CBitmapReader::ReadInfoHeader()
{
    uint8_t sizeBytes[4];
    if (!ReadExactly(file, sizeBytes, sizeof sizeBytes))
        return Fail(LoadString(IDS_BMP_NO_HEADER_SIZE));
    const uint32_t size = LittleU32(sizeBytes);
    Log("Header Size: %ld (%lX)  V:", long(int32_t(size)), static_cast<unsigned long>(size));
    switch (size) {
    case kInfoHeaderSize: headerKind = kInfoHeader; break;
    case kV4HeaderSize: headerKind = kV4Header; break;
    case kV5HeaderSize: headerKind = kV5Header; break;
    default: return Fail(LoadString(IDS_BMP_UNKNOWN_HEADER));
    }
    Log("%ld\n", long(headerKind));
    std::fill(header.begin(), header.end(), 0);
    std::copy(sizeBytes, sizeBytes + 4, header.begin());
    if (!ReadExactly(file, header.data() + 4, qint64(size) - 4))
        return Fail(LoadString(IDS_BMP_HEADER_1));

    width = int32_t(HeaderU32(kWidthAt));
    depth = HeaderU16(kBitCountAt);
    const int32_t rawHeight = int32_t(HeaderU32(kHeightAt));
    direction = rawHeight < 0 ? kTopDown : kBottomUp;
    height = uint32_t(rawHeight < 0 ? -int64_t(rawHeight) : rawHeight);
    const uint64_t bits = uint64_t(uint32_t(width)) * uint32_t(depth);
    wordsPerRow = uint32_t((bits + 31) / 32);
    m_compression = HeaderU32(kCompressionAt);
    m_colorsUsed = HeaderU32(kColorsUsedAt);
    LogInfoHeader();
    if (SchemeLogLine(m_compression) == nullptr) {
        m_failure = LoadString(IDS_BMP_UNKNOWN_SCHEME);
        Close();
        return false;
    }
    if (headerKind == kV4Header)
        Log("\nRead V4 Header Data.\n");
    else if (headerKind == kV5Header)
        Log("\nRead V5 Header Data.\n");
    return true;
}

void CBitmapReader::LogInfoHeader()
{
    Log("      Width: %ld\n", long(width));
    Log("     Height: %ld\n", long(height));
    Log("  Direction: %s", direction == kTopDown ? "Top-Down\n" : "Bottom-Up\n");
    Log("     Planes: %d\n", int(HeaderU16(kPlanesAt)));
    Log("Pixel Depth: %d\n", int(depth));
    Log("Compression: %ld = ", long(int32_t(m_compression)));
    const char *scheme = SchemeLogLine(m_compression);
    if (scheme == nullptr) {
        Log("Unknown Scheme!\n");
        return;
    }
    Log("%s", scheme);
    const uint32_t imageSize = HeaderU32(kImageSizeAt);
    Log(" Image Size: %ld (%lX) Bytes\n", long(int32_t(imageSize)), static_cast<unsigned long>(imageSize));
    Log(" Target Res: %ld x %ld Pels/Meter\n", long(int32_t(HeaderU32(kXResAt))), long(int32_t(HeaderU32(kYResAt))));
    Log("Colors Used: %ld%s", long(int32_t(m_colorsUsed)), m_colorsUsed == 0 ? " = All are used\n" : "\n");
    const uint32_t required = HeaderU32(kColorsImportantAt);
    Log(" Colors Req: %ld%s", long(int32_t(required)), required == 0 ? " = All are required\n" : "\n");
}

// Sizes and schemes the rows can be read with, and where the rows lie.
bool CBitmapReader::CheckLayout()
{
    if (width < 1 || width > kLargestSide)
        return Fail(LoadString(IDS_BMP_WIDTH).arg(width));
    if (height < 1 || height > kLargestSide)
        return Fail(LoadString(IDS_BMP_HEIGHT).arg(height));
    if (!IsSupportedDepth(depth))
        return Fail(LoadString(IDS_BMP_DEPTH).arg(depth));
    if (m_compression == kRle8 && depth != 8)
        return Fail(LoadString(IDS_BMP_RLE8_DEPTH).arg(depth));
    if (m_compression == kRle4 && depth != 4)
        return Fail(LoadString(IDS_BMP_RLE4_DEPTH).arg(depth));
    if ((m_compression == kRle8 || m_compression == kRle4) && direction == kTopDown)
        return Fail(LoadString(IDS_BMP_RLE_TOP_DOWN));
    if (m_compression == kBitFields && depth != 16 && depth != 32)
        return Fail(LoadString(IDS_BMP_MASKS_DEPTH).arg(depth));

    const uint64_t headerEnd = 14 + uint64_t(HeaderU32(0));
    m_tableOffset = headerEnd + (m_compression == kBitFields && headerKind == kInfoHeader ? kMaskBytes : 0);
    const uint64_t actualSize = uint64_t(file.size());
    if (m_pixelOffset < m_tableOffset)
        return Fail(LoadString(IDS_BMP_OFFSET_IN_HEADERS).arg(m_pixelOffset));
    if (m_pixelOffset >= actualSize)
        return Fail(LoadString(IDS_BMP_OFFSET_PAST_END).arg(m_pixelOffset));
    const uint64_t rowsBytes = uint64_t(height) * RowBytes();
    const bool runLength = m_compression == kRle8 || m_compression == kRle4;
    if (runLength && rowsBytes > kDecodedLimit)
        return Fail(LoadString(IDS_BMP_ROWS_TOO_LARGE));
    if (!runLength && m_pixelOffset + rowsBytes > actualSize)
        return Fail(LoadString(IDS_BMP_ROWS_PAST_END));
    return true;
}

bool CBitmapReader::CheckColorTable()
{
    const uint64_t room = (m_pixelOffset - m_tableOffset) / 4;
    if (depth > 8) {
        // No palette is needed: take only the entries the file really holds.
        m_tableEntries = uint32_t(std::min<uint64_t>(m_colorsUsed, room));
        return true;
    }
    const uint32_t most = 1u << depth;
    if (m_colorsUsed > most)
        return Fail(LoadString(IDS_BMP_TOO_MANY_COLORS).arg(m_colorsUsed).arg(depth));
    m_tableEntries = m_colorsUsed != 0 ? m_colorsUsed : most;
    if (m_tableEntries > room)
        return Fail(LoadString(IDS_BMP_TABLE_IN_PIXELS).arg(m_pixelOffset));
    return true;
}

bool CBitmapReader::DecodeRunLengthData()
{
    if (m_compression != kRle8 && m_compression != kRle4)
        return true;
    uint64_t length = uint64_t(file.size()) - m_pixelOffset;
    const uint32_t imageSize = HeaderU32(kImageSizeAt);
    if (imageSize != 0 && imageSize < length)
        length = imageSize;
    // No encoding of the image takes four bytes a pixel and four a row:
    // what lies beyond is not read.
    const uint64_t longest = (4 * uint64_t(uint32_t(width)) + 4) * height + 16;
    length = std::min(length, longest);
    QByteArray data;
    if (!file.seek(qint64(m_pixelOffset)) || (data = file.read(qint64(length))).size() != qint64(length))
        return Fail(LoadString(IDS_BMP_NO_RUN_LENGTH));
    const RunLengthShape shape{uint32_t(width), height, depth, uint32_t(RowBytes())};
    const unsigned failure =
        DecodeRunLength(reinterpret_cast<const uint8_t *>(data.constData()), size_t(data.size()), shape, m_decoded);
    if (failure != 0)
        return Fail(LoadString(failure));
    return true;
}

bool CBitmapReader::ReadRow(uint32_t row, uint8_t *bytes)
{
    const uint32_t stored = direction == kBottomUp ? height - 1 - row : row;
    if (m_compression == kRle8 || m_compression == kRle4) {
        const auto found = m_decoded.rows.find(stored);
        if (found == m_decoded.rows.end())
            std::fill(bytes, bytes + RowBytes(), uint8_t(0));
        else
            std::copy(found->second.begin(), found->second.end(), bytes);
        return true;
    }
    return file.seek(qint64(m_pixelOffset + stored * RowBytes())) && ReadExactly(file, bytes, qint64(RowBytes()));
}

bool CBitmapReader::ReadColorTable(std::vector<uint32_t> &lut)
{
    if (!isOpen)
        return false;
    lut.resize(m_tableEntries);
    std::vector<uint8_t> bytes(size_t(m_tableEntries) * 4);
    if (!file.seek(qint64(m_tableOffset)) || !ReadExactly(file, bytes.data(), qint64(bytes.size())))
        return false;
    for (size_t i = 0; i < lut.size(); ++i) {
        const uint8_t *entry = bytes.data() + 4 * i; // blue, green, red, reserved
        lut[i] = uint32_t(entry[2]) | uint32_t(entry[1]) << 8 | uint32_t(entry[0]) << 16;
    }
    return true;
}

bool CBitmapReader::ReadPixels(std::vector<uint32_t> &pixels)
{
    if (!isOpen)
        return false;
    std::vector<uint8_t> row;
    try {
        pixels.resize(size_t(height) * wordsPerRow);
        row.resize(RowBytes());
    } catch (const std::bad_alloc &) {
        MessageBox(nullptr, PromptText(IDS_NO_MEMORY), PromptText(IDS_NO_MEMORY_CAPTION), MB_OK | MB_ICONWARNING);
        return false;
    }
    for (uint32_t y = 0; y < height; ++y) {
        if (!ReadRow(y, row.data()))
            return false;
        uint32_t *words = pixels.data() + size_t(y) * wordsPerRow;
        for (uint32_t w = 0; w < wordsPerRow; ++w) {
            const uint8_t *b = row.data() + 4 * w;
            words[w] = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
        }
    }
    return true;
}

uint8_t CBitmapReader::PlaneByte(const uint8_t *row, int32_t x, int plane, const std::vector<uint32_t> &lut) const
{
    if (depth == 24)
        return row[3 * x + (2 - plane)]; // stored blue, green, red
    const uint32_t index = depth == 8 ? row[x] : (x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F);
    // An index past the table's end has no colour.
    return index < lut.size() ? uint8_t(lut[index] >> (8 * plane)) : 0;
}

int CBitmapReader::RefuseWrite(const QString &reason)
{
    m_failure = reason;
    Log("\n*** %s\n", reason.toUtf8().constData());
    return 0;
}

int CBitmapReader::WritePlaneFile(FILE *out, CProgressDlg *progress, bool expand, int plane)
{
    m_failure.clear();
    if (!isOpen)
        return RefuseWrite(LoadString(IDS_BMP_NOT_OPEN));
    if (expand && depth != 4 && depth != 8 && depth != 24)
        return RefuseWrite(LoadString(IDS_BMP_PLANES_DEPTH));
    if (expand && (plane < 0 || plane > 2))
        return RefuseWrite(LoadString(IDS_BMP_NO_PLANE).arg(plane));
    std::vector<uint32_t> lut;
    if (expand && depth != 24 && !ReadColorTable(lut))
        return RefuseWrite(LoadString(IDS_BMP_NO_COLOR_TABLE));
    std::vector<uint8_t> row;
    std::vector<uint8_t> line;
    try {
        row.resize(RowBytes());
        line.resize(expand ? size_t(width) : RowBytes());
    } catch (const std::bad_alloc &) {
        return RefuseWrite(LoadString(IDS_BMP_NO_ROW_MEMORY));
    }
    for (uint32_t y = 0; y < height; ++y) {
        if (progress)
            progress->SetStatus(IDC_STATUS2, FormatString(IDS_BITMAP_LINE, {QString::number(y + 1)}));
        if (!ReadRow(y, row.data()))
            return RefuseWrite(LoadString(IDS_BMP_LINE_NOT_READ).arg(y + 1));
        if (expand) {
            for (int32_t x = 0; x < width; ++x)
                line[size_t(x)] = PlaneByte(row.data(), x, plane, lut);
        } else {
            for (size_t i = 0; i < row.size(); ++i)
                line[i] = depth == 4 ? uint8_t(row[i] << 4 | row[i] >> 4) : row[i];
        }
        if (std::fwrite(line.data(), 1, line.size(), out) != line.size())
            return RefuseWrite(LoadString(IDS_BMP_LINE_NOT_WRITTEN).arg(y + 1));
    }
    return int(wordsPerRow);
}
