// The encoder of CFractalCodec.
#include "CFractalCodec.h"

#include "CProgressDlg.h"
#include "Numbers.h"
#include "Prompts.h"
#include "RegularFile.h"
#include "ResourceIds.h"
#include "SafeFile.h"
#include "StringTable.h"

#include <QFileInfo>

#include <cmath>
#include <memory>

namespace {

// A file the encoder appends to holds a header and three planes' streams.
constexpr qint64 kLargestAppendedBytes = 4 * kLargestStreamBytes;

// Quadrant means and variances of a side x side block; a 1-pixel block is
// its own four quadrants.
template <class Pixel> BlockClass ClassifyBlock(int side, const Pixel &at)
{
    const int half = side / 2;
    const int quadrantSide = half == 0 ? 1 : half;
    const double n = double(quadrantSide) * quadrantSide;
    std::array<double, 4> mean{};
    std::array<double, 4> variance{};
    for (int q = 0; q < 4; ++q) {
        const int x0 = (q % 2) * half;
        const int y0 = (q / 2) * half;
        double sum = 0;
        double sum2 = 0;
        for (int j = 0; j < quadrantSide; ++j) {
            for (int i = 0; i < quadrantSide; ++i) {
                const double p = at(x0 + i, y0 + j);
                sum += p;
                sum2 += p * p;
            }
        }
        mean[q] = sum / n;
        variance[q] = sum2 / n - mean[q] * mean[q];
    }
    return ClassifyQuadrants(mean, variance);
}

} // namespace

int CFractalCodec::Compress(CProgressDlg *progress, const FractalSettings &settings)
{
    Release();
    m_allocated = 0;
    m_rangeCodes.clear();
    m_settings = settings;
    OpenLog("Compress.txt");
    m_header = {settings.shallowDepth, settings.deepDepth, settings.domainStep, settings.domainStepMode, 0,
                settings.rowLength, settings.rowCount};
    const std::optional<FractalGeometry> geometry = MakeFractalGeometry(m_header);
    if (!geometry || !SetQuantisation(settings.scaleLimit, settings.scaleBits, settings.offsetBits)
        || !(settings.tolerance >= 0))
        return Fail(kPlaneError);
    m_geometry = *geometry;
    if (const int failure = ReadPlane(progress))
        return Fail(failure);
    if (const int failure = BuildDomainPool(progress))
        return Fail(failure);

    // Appending is the old bytes and the new stream written whole: a failed
    // write keeps the file as it was.
    QByteArray output;
    if (m_append && QFileInfo::exists(m_output)
        && SafeFile::ReadWhole(m_output, kLargestAppendedBytes, output) != SafeFile::Read::Yes)
        return Fail(kFileError);
    const int fields[7] = {m_header.shallowDepth, m_header.deepDepth, m_header.domainStep, m_header.domainStepMode,
                           m_header.domainSpacingMode, m_header.rowLength, m_header.rowCount};
    for (int i = 0; i < 7; ++i)
        m_bits.Put(uint32_t(fields[i]), kHeaderFieldBits[i]);
    CoverPlane(m_header.rowLength, m_header.rowCount, m_geometry.coverDepth,
               [&](int x, int y, int side, int depth) { Quadtree(progress, x, y, side, depth); });
    const int packed = int(m_bits.BitCount() / 8);
    Log(QStringLiteral("num_of_packed_bytes = %1\n").arg(packed));
    m_bits.Flush();
    const std::vector<uint8_t> &bytes = m_bits.Bytes();
    output.append(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    if (!SafeFile::WriteWhole(m_output, output))
        return Fail(kFileError);

    const double ratio = double(m_header.rowLength) * m_header.rowCount / double(bytes.size());
    MessageBox(progress, PromptText(IDS_COMPRESSION_RESULT, {FormatFixed(ratio, 6), QString::number(qulonglong(bytes.size()))}),
               PromptText(IDS_FINISHED_COMPRESSION), MB_OK | MB_ICONINFORMATION);
    Release();
    return 0;
}

int CFractalCodec::ReadPlane(CProgressDlg *progress)
{
    const int length = m_header.rowLength;
    const int count = m_header.rowCount;
    // One spare row below the plane.
    if (!Allocate(m_imageRows, size_t(count) + 1, QStringLiteral("imageRows"))
        || !Allocate(m_imageData, size_t(length) * (size_t(count) + 1), QStringLiteral("imageData")))
        return kNoMemory;
    for (int y = 0; y <= count; ++y)
        m_imageRows[size_t(y)] = m_imageData.data() + size_t(y) * size_t(length);
    QFile input;
    QString notAFile;
    if (!RegularFile::OpenForReading(input, m_input, notAFile))
        return kInputError;
    Status(progress, IDC_STATUS1, FormatString(IDS_READING_FILE, {m_input}));
    for (int y = 0; y < count; ++y) {
        Status(progress, IDC_STATUS2, FormatString(IDS_READING_LINE, {QString::number(y + 1)}));
        if (input.read(reinterpret_cast<char *>(m_imageRows[size_t(y)]), length) != length)
            return kInputError;
    }
    return 0;
}

double CFractalCodec::DomainPixel(int left, int top, int i, int j) const
{
    const int parity = (top % 2) * 2 + left % 2;
    return m_domRows[size_t(parity)][size_t(top / 2 + j)][left / 2 + i];
}

int CFractalCodec::BuildDomainPool(CProgressDlg *progress)
{
    Status(progress, IDC_STATUS2, QString());
    Status(progress, IDC_STATUS1, LoadString(IDS_COMPUTING_DOMAIN_SUMS));
    // The plane averaged 2 x 2 at each of the four pixel parities.
    for (int parity = 0; parity < 4; ++parity) {
        const int px = parity % 2;
        const int py = parity / 2;
        const int w = (m_header.rowLength - px) / 2;
        const int h = (m_header.rowCount - py) / 2;
        if (!Allocate(m_domImage[size_t(parity)], size_t(w) * size_t(h), QStringLiteral("domimage[%1]").arg(parity))
            || !Allocate(m_domRows[size_t(parity)], size_t(h), QStringLiteral("domrow[%1]").arg(parity)))
            return kNoMemory;
        for (int y = 0; y < h; ++y) {
            double *row = m_domImage[size_t(parity)].data() + size_t(y) * size_t(w);
            m_domRows[size_t(parity)][size_t(y)] = row;
            const uint8_t *upper = m_imageRows[size_t(2 * y + py)] + px;
            const uint8_t *lower = m_imageRows[size_t(2 * y + py + 1)] + px;
            for (int x = 0; x < w; ++x)
                row[x] = (upper[2 * x] + upper[2 * x + 1] + lower[2 * x] + lower[2 * x + 1]) / 4.0;
        }
    }
    const size_t levels = m_geometry.levels.size();
    if (!Allocate(m_indexBits, levels, QStringLiteral("bits")))
        return kNoMemory;
    try {
        m_pool.assign(levels, DomainLists{});
        for (size_t k = 0; k < levels; ++k) {
            const FractalLevel &level = m_geometry.levels[k];
            m_indexBits[k] = level.indexBits;
            const int side = level.rangeSide; // the averaged domain's side
            for (int j = 0; j < level.down; ++j) {
                for (int i = 0; i < level.across; ++i) {
                    const int left = i * level.pitchX;
                    const int top = j * level.pitchY;
                    auto pixel = [&](int x, int y) { return DomainPixel(left, top, x, y); };
                    const BlockClass c = ClassifyBlock(side, pixel);
                    double sum = 0;
                    double sum2 = 0;
                    for (int y = 0; y < side; ++y) {
                        for (int x = 0; x < side; ++x) {
                            const double d = pixel(x, y);
                            sum += d;
                            sum2 += d * d;
                        }
                    }
                    m_pool[k][size_t(c.cls)][size_t(c.subclass)].push_back({left, top, c.orientation, sum, sum2});
                }
            }
        }
    } catch (const std::bad_alloc &) {
        return kNoMemory;
    }
    return 0;
}

CFractalCodec::Match CFractalCodec::Compare(int x, int y, int size, const DomainEntry &domain, int symmetry, double rsum,
                                            double rsum2) const
{
    const double n = double(size) * size;
    const double dsum = domain.sum;
    const double dsum2 = domain.sum2;
    // On a square the symmetry is affine: the source moves by fixed steps.
    int u0 = 0, v0 = 0, ux = 0, vx = 0, uy = 0, vy = 0;
    SymmetrySource(symmetry, size, size, 0, 0, u0, v0);
    if (size > 1) {
        SymmetrySource(symmetry, size, size, 1, 0, ux, vx);
        SymmetrySource(symmetry, size, size, 0, 1, uy, vy);
        ux -= u0;
        vx -= v0;
        uy -= u0;
        vy -= v0;
    }
    const int parity = (domain.top % 2) * 2 + domain.left % 2;
    const double *const *rows = m_domRows[size_t(parity)].data() + domain.top / 2;
    const int column = domain.left / 2;
    double rdsum = 0;
    for (int j = 0; j < size; ++j) {
        const uint8_t *row = m_imageRows[size_t(y + j)] + x;
        int u = u0 + uy * j;
        int v = v0 + vy * j;
        for (int i = 0; i < size; ++i, u += ux, v += vx)
            rdsum += row[i] * rows[v][column + u];
    }
    const double det = n * dsum2 - dsum * dsum;
    double alpha = det == 0 ? 0 : (n * rdsum - rsum * dsum) / det;
    if (m_settings.positiveScalesOnly && alpha < 0)
        alpha = 0;
    const int scaleLevels = 1 << m_scaleBits;
    const int offsetLevels = (1 << m_offsetBits) - 1;
    Match m;
    m.scaleCode = std::clamp(int(std::floor(0.5 + (alpha + m_scaleLimit) / (2 * m_scaleLimit) * scaleLevels)), 0,
                             scaleLevels - 1);
    const double scale = ScaleOf(m.scaleCode);
    double beta = (rsum - scale * dsum) / n;
    if (scale > 0)
        beta += scale * 255;
    m.offsetCode =
        std::clamp(int(std::floor(0.5 + beta / ((1 + std::fabs(scale)) * 255) * offsetLevels)), 0, offsetLevels);
    const double offset = OffsetOf(m.offsetCode, scale);
    const double sum = rsum2 + scale * (scale * dsum2 - 2 * rdsum + 2 * offset * dsum) + offset * (offset * n - 2 * rsum);
    m.rms = std::sqrt(std::max(0.0, sum / n));
    m.symmetry = symmetry;
    m.domainLeft = domain.left;
    m.domainTop = domain.top;
    return m;
}

CFractalCodec::Match CFractalCodec::BestMatch(int x, int y, int size, int depth) const
{
    double rsum = 0;
    double rsum2 = 0;
    for (int j = 0; j < size; ++j) {
        for (int i = 0; i < size; ++i) {
            const double p = m_imageRows[size_t(y + j)][x + i];
            rsum += p;
            rsum2 += p * p;
        }
    }
    const BlockClass own = ClassifyBlock(size, [&](int i, int j) { return double(m_imageRows[size_t(y + j)][x + i]); });
    const BlockClass flipped = FlippedClass(own);
    const DomainLists &lists = m_pool[size_t(depth - m_header.shallowDepth)];
    Match best;
    for (int cls = 0; cls < 3; ++cls) {
        if (!m_settings.searchAllClasses && cls != own.cls)
            continue;
        for (int sub = 0; sub < 24; ++sub) {
            if (!m_settings.searchAllSubclasses && sub != own.subclass)
                continue;
            // The range as it is, and as its negative, which negative scales match.
            const BlockClass sets[2] = {
                {cls, sub, own.orientation},
                {cls, FlippedClass({cls, sub, own.orientation}).subclass, flipped.orientation},
            };
            for (int set = 0; set < (m_settings.positiveScalesOnly ? 1 : 2); ++set) {
                for (const DomainEntry &domain : lists[size_t(cls)][size_t(sets[set].subclass)]) {
                    const Match m =
                        Compare(x, y, size, domain, CombineSymmetry(domain.orientation, sets[set].orientation), rsum, rsum2);
                    if (best.rms < 0 || m.rms < best.rms)
                        best = m;
                }
            }
        }
    }
    if (best.rms >= 0)
        return best;
    // No domain of the range's kind: the mean alone, as scale 0 gives it.
    const double n = double(size) * size;
    const int offsetLevels = (1 << m_offsetBits) - 1;
    best.scaleCode = m_zeroScaleCode;
    best.offsetCode = std::clamp(int(std::floor(0.5 + rsum / n / 255 * offsetLevels)), 0, offsetLevels);
    const double offset = OffsetOf(best.offsetCode, 0);
    best.rms = std::sqrt(std::max(0.0, (rsum2 + offset * (offset * n - 2 * rsum)) / n));
    return best;
}

void CFractalCodec::Quadtree(CProgressDlg *progress, int x, int y, int size, int depth)
{
    auto descend = [&] {
        Status(progress, IDC_STATUS2, FormatString(IDS_QUADTREE_DEPTH, {QString::number(depth + 1)}));
        const int half = size / 2;
        Quadtree(progress, x, y, half, depth + 1);
        Quadtree(progress, x + half, y, half, depth + 1);
        Quadtree(progress, x, y + half, half, depth + 1);
        Quadtree(progress, x + half, y + half, half, depth + 1);
    };
    if (depth < m_header.shallowDepth) {
        descend();
        return;
    }
    const Match best = BestMatch(x, y, size, depth);
    if (best.rms > m_settings.tolerance && depth < m_header.deepDepth) {
        m_bits.Put(1, 1);
        descend();
        return;
    }
    if (depth < m_header.deepDepth)
        m_bits.Put(0, 1);
    WriteTransformation(x, y, size, depth, best);
}

void CFractalCodec::WriteTransformation(int x, int y, int size, int depth, const Match &m)
{
    m_bits.Put(uint32_t(m.scaleCode), m_scaleBits);
    m_bits.Put(uint32_t(m.offsetCode), m_offsetBits);
    if (m.scaleCode != m_zeroScaleCode) {
        const FractalLevel &level = m_geometry.levels[size_t(depth - m_header.shallowDepth)];
        const int index = (m.domainTop / level.pitchY) * level.across + m.domainLeft / level.pitchX;
        m_bits.Put(uint32_t(m.symmetry), 3);
        m_bits.Put(uint32_t(index), level.indexBits);
    }
    m_rangeCodes.push_back({x, y, size, depth, m.scaleCode, m.offsetCode, m.symmetry, m.domainLeft, m.domainTop, m.rms});
}
