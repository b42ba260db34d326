// The decoder of CFractalCodec. The stream comes from outside: every field
// is checked before it is used, the planes are made only for a whole stream,
// and nothing outside them is touched.
#include "CFractalCodec.h"

#include "CProgressDlg.h"
#include "ResourceIds.h"
#include "SafeFile.h"
#include "StringTable.h"

#include <cmath>
#include <memory>

int CFractalCodec::Decompress(CProgressDlg *progress, int xMagnify, int yMagnify, int passes, double scaleLimit,
                              int scaleBits, int offsetBits)
{
    Release();
    OpenLog("Decompress.txt");
    // Bounded, and only from a regular file: a FIFO would wait, a device give bytes without end.
    QByteArray stream;
    if (SafeFile::ReadWhole(m_input, kLargestStreamBytes, stream) != SafeFile::Read::Yes)
        return Fail(kInputError);
    QByteArray plane;
    if (const int failure = DecodeStream(progress, stream, xMagnify, yMagnify, passes, scaleLimit, scaleBits, offsetBits,
                                         plane))
        return failure;
    Status(progress, IDC_STATUS1, FormatString(IDS_WRITING_FILE, {m_output}));
    // Only a whole plane replaces what the output held.
    if (!SafeFile::WriteWhole(m_output, plane))
        return Fail(kFileError);
    Release();
    return 0;
}

int CFractalCodec::DecodeStream(CProgressDlg *progress, const QByteArray &stream, int xMagnify, int yMagnify,
                                int passes, double scaleLimit, int scaleBits, int offsetBits, QByteArray &plane)
{
    m_allocated = 0;
    m_partitionCalls = 0;
    m_transformationCalls = 0;
    m_records.clear();
    plane.clear();
    if (xMagnify < 1 || yMagnify < 1 || passes < 0 || !SetQuantisation(scaleLimit, scaleBits, offsetBits))
        return Fail(kPlaneError);
    FractalBitReader bits(reinterpret_cast<const uint8_t *>(stream.constData()), size_t(stream.size()));
    uint32_t fields[7] = {};
    for (int i = 0; i < 7; ++i)
        if (!bits.Get(kHeaderFieldBits[i], fields[i]))
            return Fail(kInputError);
    m_header = {int(fields[0]), int(fields[1]), int(fields[2]), int(fields[3]), int(fields[4]), int(fields[5]), int(fields[6])};
    const std::optional<FractalGeometry> geometry = MakeFractalGeometry(m_header);
    if (!geometry)
        return Fail(kPlaneError);
    m_geometry = *geometry;

    Status(progress, IDC_STATUS1, LoadString(IDS_READING_TRANSFORMATION));
    bool complete = true;
    try {
        CoverPlane(m_header.rowLength, m_header.rowCount, m_geometry.coverDepth, [&](int x, int y, int side, int depth) {
            ++m_partitionCalls;
            complete = complete && ReadTransformation(bits, x, y, side, depth, xMagnify, yMagnify);
        });
    } catch (const std::bad_alloc &) {
        return Fail(kNoMemory);
    }
    if (!complete)
        return Fail(kInputError);
    // The planes only once the stream has proved whole.
    const size_t width = size_t(m_header.rowLength) * size_t(xMagnify);
    const size_t height = size_t(m_header.rowCount) * size_t(yMagnify);
    const size_t levels = m_geometry.levels.size();
    if (!Allocate(m_imageData, width * height, QStringLiteral("imageData"))
        || !Allocate(m_imageRows, height, QStringLiteral("imageRows"))
        || !Allocate(m_tempData, width * height, QStringLiteral("imageTempData"))
        || !Allocate(m_tempRows, height, QStringLiteral("imageTempRows"))
        || !Allocate(m_misc, 4 * levels, QStringLiteral("Misc Arrays (4)")))
        return Fail(kNoMemory);
    for (size_t y = 0; y < height; ++y) {
        m_imageRows[y] = m_imageData.data() + y * width;
        m_tempRows[y] = m_tempData.data() + y * width;
    }

    const long long nodes = static_cast<long long>(m_records.size());
    m_allocated += nodes * 64;
    Log(QStringLiteral("    PartitionImage():  %1\n").arg(m_partitionCalls));
    Log(QStringLiteral("ReadTransformation():  %1\n").arg(m_transformationCalls));
    Log(QStringLiteral("     Allocated Nodes:  %1 for %2 bytes\n").arg(nodes).arg(nodes * 64));

    long long applied = 0;
    for (int pass = 0; pass < passes; ++pass) {
        ApplyPass(m_imageRows, m_tempRows);
        std::swap(m_imageRows, m_tempRows);
        applied += nodes;
        Status(progress, IDC_STATUS2, FormatString(IDS_TRANSFORMATIONS_APPLIED, {QString::number(applied)}));
    }
    try {
        plane.reserve(qsizetype(width * height));
        for (size_t y = 0; y < height; ++y)
            plane.append(reinterpret_cast<const char *>(m_imageRows[y]), qsizetype(width));
    } catch (const std::bad_alloc &) {
        plane.clear();
        return Fail(kNoMemory);
    }
    return 0;
}

bool CFractalCodec::ReadTransformation(FractalBitReader &bits, int x, int y, int size, int depth, int xMagnify,
                                       int yMagnify)
{
    ++m_transformationCalls;
    bool split = depth < m_header.shallowDepth;
    if (!split && depth < m_header.deepDepth) {
        uint32_t bit = 0;
        if (!bits.Get(1, bit))
            return false;
        split = bit == 1;
    }
    if (split) {
        const int half = size / 2;
        return ReadTransformation(bits, x, y, half, depth + 1, xMagnify, yMagnify)
            && ReadTransformation(bits, x + half, y, half, depth + 1, xMagnify, yMagnify)
            && ReadTransformation(bits, x, y + half, half, depth + 1, xMagnify, yMagnify)
            && ReadTransformation(bits, x + half, y + half, half, depth + 1, xMagnify, yMagnify);
    }
    uint32_t scaleCode = 0;
    uint32_t offsetCode = 0;
    if (!bits.Get(m_scaleBits, scaleCode) || !bits.Get(m_offsetBits, offsetCode))
        return false;
    Record r{};
    r.left = x * xMagnify;
    r.top = y * yMagnify;
    r.right = (x + size) * xMagnify;
    r.bottom = (y + size) * yMagnify;
    r.depth = depth;
    r.scale = ScaleOf(int(scaleCode));
    r.offset = OffsetOf(int(offsetCode), r.scale);
    if (int(scaleCode) != m_zeroScaleCode) {
        const FractalLevel &level = m_geometry.levels[size_t(depth - m_header.shallowDepth)];
        uint32_t symmetry = 0;
        uint32_t index = 0;
        if (!bits.Get(3, symmetry) || !bits.Get(level.indexBits, index) || index >= uint32_t(level.DomainCount()))
            return false;
        r.symmetry = int(symmetry);
        r.domainLeft = int(index % uint32_t(level.across)) * level.pitchX * xMagnify;
        r.domainTop = int(index / uint32_t(level.across)) * level.pitchY * yMagnify;
    }
    m_records.push_back(r);
    return true;
}

void CFractalCodec::ApplyPass(const std::vector<uint8_t *> &from, std::vector<uint8_t *> &to) const
{
    for (const Record &r : m_records) {
        const int w = r.right - r.left;
        const int h = r.bottom - r.top;
        for (int y = 0; y < h; ++y) {
            uint8_t *target = to[size_t(r.top + y)] + r.left;
            for (int x = 0; x < w; ++x) {
                int u = 0;
                int v = 0;
                SymmetrySource(r.symmetry, w, h, x, y, u, v);
                const uint8_t *upper = from[size_t(r.domainTop + 2 * v)] + r.domainLeft + 2 * u;
                const uint8_t *lower = from[size_t(r.domainTop + 2 * v + 1)] + r.domainLeft + 2 * u;
                const int sum = upper[0] + upper[1] + lower[0] + lower[1];
                const double value = sum * 0.25 * r.scale + r.offset + 0.5;
                target[x] = value <= 0 ? 0 : value >= 255 ? 255 : uint8_t(value);
            }
        }
    }
}
