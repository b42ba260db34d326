// The fractal codec: stream bytes written by hand from the layout, the
// symmetry table, the error each range was chosen for, the quality floor,
// and every refusal of the encoder and the decoder.

#include "CFractalCodec.h"

#include "AppFolders.h"
#include "BitmapFixtures.h"
#include "FractalClassifier.h"
#include "FractalFixtures.h"
#include "FractalGeometry.h"
#include "Profile.h"
#include "ProfileKeys.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <cmath>
#include <functional>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

// Bits as the layout gives them, kept apart from the codec's own packer:
// values least significant bit first, bytes filled from the top bit.
struct HandBits {
    std::string bits;

    HandBits &Put(uint32_t value, int count)
    {
        for (int i = 0; i < count; ++i)
            bits += (value >> i) & 1u ? '1' : '0';
        return *this;
    }
    HandBits &Header(int shallow, int deep, int step, int stepMode, int spacing, int length, int count)
    {
        return Put(uint32_t(shallow), 4).Put(uint32_t(deep), 4).Put(uint32_t(step), 4).Put(uint32_t(stepMode), 1)
            .Put(uint32_t(spacing), 2).Put(uint32_t(length), 12).Put(uint32_t(count), 12);
    }
    QByteArray Bytes() const
    {
        QByteArray out((int(bits.size()) + 7) / 8, '\0');
        for (size_t i = 0; i < bits.size(); ++i)
            if (bits[i] == '1')
                out[int(i / 8)] = char(uint8_t(out[int(i / 8)]) | (0x80u >> (i % 8)));
        return out;
    }
};

using Block = std::vector<std::vector<double>>;

// The symmetry table in its own words: k quarter turns counter-clockwise as
// seen on screen (rows go down), then a transposition for k >= 4.
Block Turn(Block b, int k)
{
    const size_t n = b.size();
    for (int t = 0; t < k % 4; ++t) {
        Block turned(n, std::vector<double>(n));
        for (size_t y = 0; y < n; ++y)
            for (size_t x = 0; x < n; ++x)
                turned[y][x] = b[x][n - 1 - y]; // the top row becomes the left column, read upwards
        b = turned;
    }
    if (k >= 4) {
        Block transposed(n, std::vector<double>(n));
        for (size_t y = 0; y < n; ++y)
            for (size_t x = 0; x < n; ++x)
                transposed[y][x] = b[x][y];
        b = transposed;
    }
    return b;
}

Block Numbered(int n)
{
    Block b(size_t(n), std::vector<double>(size_t(n), 0.0));
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            b[size_t(y)][size_t(x)] = y * n + x;
    return b;
}

FractalSettings Settings(int rowLength, int rowCount)
{
    return {.tolerance = 8.0,
            .rowLength = rowLength,
            .rowCount = rowCount,
            .deepDepth = 6,
            .shallowDepth = 4,
            .domainStep = 1,
            .scaleBits = 5,
            .offsetBits = 7,
            .scaleLimit = 1.0,
            .domainStepMode = 0,
            .positiveScalesOnly = false,
            .searchAllSubclasses = false,
            .searchAllClasses = false};
}

class FractalCodecTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        prompter.AllowMessage(PromptMatch::Caption(QStringLiteral("Finished Compression")), IDOK);
    }

    // The stream of a plane, or empty; result gets Compress's answer.
    QByteArray Encode(const QByteArray &plane, const FractalSettings &settings, int *result = nullptr)
    {
        const QString in = TempPath(QStringLiteral("plane.raw"));
        const QString out = TempPath(QStringLiteral("plane.fic"));
        EXPECT_TRUE(WriteFile(in, plane));
        QFile::remove(out);
        codec.SetFiles(in, out, 0);
        const int r = codec.Compress(nullptr, settings);
        if (result)
            *result = r;
        else
            EXPECT_EQ(r, 0);
        return ReadFile(out);
    }

    QByteArray Decode(const QByteArray &stream, int *result = nullptr)
    {
        const QString in = TempPath(QStringLiteral("stream.fic"));
        const QString out = TempPath(QStringLiteral("stream.dat"));
        EXPECT_TRUE(WriteFile(in, stream));
        QFile::remove(out);
        CFractalCodec decoder;
        decoder.SetFiles(in, out, 0);
        const int r = decoder.Decompress(nullptr, 1, 1, 10, 1.0, 5, 7);
        if (result)
            *result = r;
        else
            EXPECT_EQ(r, 0);
        return ReadFile(out);
    }

    CFractalCodec codec;
};

// --- The stream ---------------------------------------------------------------------

TEST_F(FractalCodecTest, AConstantPlaneGivesTheHeaderAndOneScaleZeroTransformationPerLargestRange)
{
    const QByteArray stream = Encode(QByteArray(64 * 64, char(100)), Settings(64, 64));
    HandBits expected;
    expected.Header(4, 6, 1, 0, 0, 64, 64);
    for (int range = 0; range < 256; ++range) // 4 x 4 ranges, none split
        expected.Put(0, 1).Put(16, 5).Put(50, 7);
    ASSERT_EQ(stream.size(), 421);
    EXPECT_EQ(stream.left(8), QByteArray::fromHex("268004004 00a6053").replace(' ', ""));
    EXPECT_EQ(stream, expected.Bytes());
    ASSERT_FALSE(prompter.Messages().empty());
    EXPECT_EQ(prompter.Messages().back().text, QStringLiteral("Compression = 9.729216 from 421 bytes"));
    EXPECT_EQ(prompter.Messages().back().flags, unsigned(MB_OK | MB_ICONINFORMATION));
}

TEST_F(FractalCodecTest, AStreamOfWholeBytesHasNoPaddingByte)
{
    // 68 x 84: 357 ranges of 13 bits after the 39-bit header, 4680 bits.
    const QByteArray stream = Encode(QByteArray(68 * 84, char(100)), Settings(68, 84));
    EXPECT_EQ(stream.size(), 585);
    HandBits expected;
    expected.Header(4, 6, 1, 0, 0, 68, 84);
    for (int range = 0; range < 357; ++range)
        expected.Put(0, 1).Put(16, 5).Put(50, 7);
    EXPECT_EQ(expected.bits.size() % 8, 0u);
    EXPECT_EQ(stream, expected.Bytes());
}

TEST_F(FractalCodecTest, HalvesOfBlackAndWhiteDecodeExactly)
{
    QByteArray plane(64 * 64, '\0');
    for (int y = 0; y < 64; ++y)
        for (int x = 32; x < 64; ++x)
            plane[y * 64 + x] = char(255);
    QByteArray below = plane;
    for (int i = 0; i < below.size(); ++i)
        below[i] = i / 64 >= 32 ? char(255) : '\0';
    for (const QByteArray &p : {plane, below})
        EXPECT_EQ(Decode(Encode(p, Settings(64, 64))), p);
}

TEST_F(FractalCodecTest, A640By480PlaneHasThreeLevelsAndLevelZeroDomains32Apart)
{
    const std::optional<FractalGeometry> g = MakeFractalGeometry({4, 6, 1, 0, 0, 640, 480});
    ASSERT_TRUE(g);
    EXPECT_EQ(g->coverSide, 256);
    const struct {
        int range, domain, pitch, across, down, indexBits;
    } levels[] = {{16, 32, 32, 20, 15, 9}, {8, 16, 16, 40, 30, 11}, {4, 8, 8, 80, 60, 13}};
    ASSERT_EQ(g->levels.size(), 3u);
    for (size_t k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(g->levels[k].rangeSide, levels[k].range);
        EXPECT_EQ(g->levels[k].domainSide, levels[k].domain);
        EXPECT_EQ(g->levels[k].pitchX, levels[k].pitch);
        EXPECT_EQ(g->levels[k].pitchY, levels[k].pitch);
        EXPECT_EQ(g->levels[k].across, levels[k].across);
        EXPECT_EQ(g->levels[k].down, levels[k].down);
        EXPECT_EQ(g->levels[k].indexBits, levels[k].indexBits);
    }

    Encode(TestPlane(640, 480), Settings(640, 480));
    int covered = 0;
    for (const FractalRangeCode &r : codec.RangeCodes()) {
        covered += r.side * r.side;
        EXPECT_EQ(r.side, 256 >> r.depth);
        EXPECT_GE(r.depth, 4);
        EXPECT_LE(r.depth, 6);
        EXPECT_EQ(r.domainLeft % (r.side * 2), 0);
        EXPECT_EQ(r.domainTop % (r.side * 2), 0);
    }
    EXPECT_EQ(covered, 640 * 480);
}

// --- Symmetry -----------------------------------------------------------------------

TEST_F(FractalCodecTest, TheSymmetryFunctionFollowsTheTable)
{
    for (int n : {2, 4, 5}) {
        for (int k = 0; k < 8; ++k) {
            const Block turned = Turn(Numbered(n), k);
            for (int y = 0; y < n; ++y) {
                for (int x = 0; x < n; ++x) {
                    int u = -1;
                    int v = -1;
                    SymmetrySource(k, n, n, x, y, u, v);
                    EXPECT_EQ(v * n + u, turned[size_t(y)][size_t(x)]) << "k " << k << " n " << n;
                }
            }
        }
    }
}

TEST_F(FractalCodecTest, TheCombinationRuleIsTheDomainsOrientationThenTheRangesInverse)
{
    const Block start = Numbered(4);
    for (int g = 0; g < 8; ++g) {
        for (int r = 0; r < 8; ++r) {
            // The inverse of r: the one symmetry that r undoes.
            int inverse = -1;
            for (int k = 0; k < 8; ++k)
                if (Turn(Turn(start, r), k) == start)
                    inverse = k;
            ASSERT_GE(inverse, 0);
            EXPECT_EQ(Turn(start, CombineSymmetry(g, r)), Turn(Turn(start, g), inverse)) << "g " << g << " r " << r;
        }
    }
}

TEST_F(FractalCodecTest, OrientationsAreCanonicalAndTheTablesGiveTheNegativesClass)
{
    std::mt19937 random(7);
    std::vector<int> classes(3, 0);
    for (int trial = 0; trial < 2000; ++trial) {
        // Four distinct means and variances, so no tie decides anything.
        std::vector<int> values(1000);
        std::iota(values.begin(), values.end(), 0);
        std::shuffle(values.begin(), values.end(), random);
        const std::array<double, 4> mean = {double(values[0]), double(values[1]), double(values[2]), double(values[3])};
        const std::array<double, 4> variance = {double(values[4]), double(values[5]), double(values[6]), double(values[7])};
        const BlockClass c = ClassifyQuadrants(mean, variance);
        ++classes[size_t(c.cls)];
        const Block quadrants = Turn({{mean[0], mean[1]}, {mean[2], mean[3]}}, c.orientation);
        EXPECT_GT(quadrants[0][0], std::max({quadrants[0][1], quadrants[1][0], quadrants[1][1]}));
        EXPECT_GT(quadrants[0][1], quadrants[1][0]);

        const std::array<double, 4> negative = {-mean[0], -mean[1], -mean[2], -mean[3]};
        const BlockClass n = ClassifyQuadrants(negative, variance);
        const BlockClass f = FlippedClass(c);
        EXPECT_EQ(f.cls, n.cls);
        EXPECT_EQ(f.subclass, n.subclass) << "class " << c.cls << " subclass " << c.subclass;
        EXPECT_EQ(f.orientation, n.orientation) << "class " << c.cls << " orientation " << c.orientation;
    }
    EXPECT_GT(classes[0], 0);
    EXPECT_GT(classes[1], 0);
    EXPECT_GT(classes[2], 0);
}

TEST_F(FractalCodecTest, EachSymmetryCodeTurnsAnAsymmetricDomainAsTheTableSays)
{
    // 64 x 64, one level of 4 x 4 ranges; level-0 domains are 8 x 8, 8 apart,
    // 8 x 8 of them (6 index bits). The domain at (8, 8) is four constant
    // ranges; range k of the top row uses it under symmetry k.
    const int quadrantCodes[4] = {10, 40, 80, 120}; // top left, top right, bottom left, bottom right
    HandBits stream;
    stream.Header(4, 4, 1, 0, 0, 64, 64);
    auto rangeAt = [](int x, int y) { return (y / 4) * 16 + x / 4; };
    std::vector<int> symmetryOfRange(256, -1);
    for (int k = 0; k < 8; ++k)
        symmetryOfRange[size_t(rangeAt(4 * k + 32, 0))] = k; // ranges (32, 0) .. (60, 0)
    // Ranges in cover order: the whole plane split into quarters (top left,
    // top right, bottom left, bottom right) down to 4 x 4.
    std::vector<std::pair<int, int>> order;
    std::function<void(int, int, int)> quarters = [&](int x, int y, int size) {
        if (size == 4) {
            order.push_back({x, y});
            return;
        }
        const int half = size / 2;
        quarters(x, y, half);
        quarters(x + half, y, half);
        quarters(x, y + half, half);
        quarters(x + half, y + half, half);
    };
    quarters(0, 0, 64);
    const int domainIndex = 1 * 8 + 1; // (8, 8)
    const int scaleCode = 24;          // 0.5
    const int offsetCode = 30;
    for (const auto &[x, y] : order) {
        const int k = symmetryOfRange[size_t(rangeAt(x, y))];
        if (x >= 8 && x < 16 && y >= 8 && y < 16) {
            stream.Put(16, 5).Put(uint32_t(quadrantCodes[(y - 8) / 4 * 2 + (x - 8) / 4]), 7);
        } else if (k >= 0) {
            stream.Put(uint32_t(scaleCode), 5).Put(uint32_t(offsetCode), 7).Put(uint32_t(k), 3);
            stream.Put(uint32_t(domainIndex), 6);
        } else {
            stream.Put(16, 5).Put(0, 7);
        }
    }
    const QByteArray plane = Decode(stream.Bytes());
    ASSERT_EQ(plane.size(), 64 * 64);

    auto level = [](int code) { return int(code / 127.0 * 255 + 0.5); };
    // The domain averaged 2 x 2: each quadrant constant.
    Block averaged(4, std::vector<double>(4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            averaged[size_t(y)][size_t(x)] = level(quadrantCodes[(y / 2) * 2 + x / 2]);
    for (int y = 8; y < 16; ++y)
        for (int x = 8; x < 16; ++x)
            ASSERT_EQ(uint8_t(plane[y * 64 + x]), level(quadrantCodes[(y - 8) / 4 * 2 + (x - 8) / 4]));
    const double scale = 0.5;
    const double offset = offsetCode / 127.0 * 1.5 * 255 - 0.5 * 255;
    for (int k = 0; k < 8; ++k) {
        const Block turned = Turn(averaged, k);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                const int expected = std::clamp(int(turned[size_t(y)][size_t(x)] * scale + offset + 0.5), 0, 255);
                EXPECT_EQ(uint8_t(plane[y * 64 + 32 + 4 * k + x]), expected) << "symmetry " << k << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(FractalCodecTest, EveryRangesErrorIsTheOneItsWrittenCodesGive)
{
    const int side = 512;
    const QByteArray plane = TestPlane(side, side);
    Encode(plane, Settings(side, side));
    ASSERT_FALSE(codec.RangeCodes().empty());
    auto pixel = [&](int x, int y) { return double(uint8_t(plane[y * side + x])); };
    int splitRanges = 0;
    for (const FractalRangeCode &r : codec.RangeCodes()) {
        const double scale = r.scaleCode / 32.0 * 2 - 1;
        double offset = r.offsetCode / 127.0 * (1 + std::fabs(scale)) * 255;
        if (scale > 0)
            offset -= scale * 255;
        double squares = 0;
        for (int y = 0; y < r.side; ++y) {
            for (int x = 0; x < r.side; ++x) {
                int u = 0;
                int v = 0;
                SymmetrySource(r.symmetry, r.side, r.side, x, y, u, v);
                const int dx = r.domainLeft + 2 * u;
                const int dy = r.domainTop + 2 * v;
                const double d = r.scaleCode == 16
                    ? 0
                    : (pixel(dx, dy) + pixel(dx + 1, dy) + pixel(dx, dy + 1) + pixel(dx + 1, dy + 1)) / 4;
                const double e = scale * d + offset - pixel(r.x + x, r.y + y);
                squares += e * e;
            }
        }
        const double rms = std::sqrt(squares / (r.side * r.side));
        ASSERT_NEAR(rms, r.rms, 1e-6 * std::max(1.0, rms)) << "range at " << r.x << "," << r.y << " side " << r.side;
        if (r.depth < 6) {
            EXPECT_LE(r.rms, 8.0);
        }
        splitRanges += r.depth > 4 ? 1 : 0;
    }
    EXPECT_GT(splitRanges, 0) << "the plane should need smaller ranges somewhere";
}

// --- Quality ------------------------------------------------------------------------

TEST_F(FractalCodecTest, DecodedPlanesClearTheFloorOfTheirSmallestRangesMeans)
{
    const struct {
        int width, height;
    } planes[] = {{512, 512}, {640, 480}, {256, 256}};
    for (const auto &p : planes) {
        SCOPED_TRACE(std::to_string(p.width) + " x " + std::to_string(p.height));
        const QByteArray plane = TestPlane(p.width, p.height);
        const std::optional<FractalGeometry> g = MakeFractalGeometry({4, 6, 1, 0, 0, p.width, p.height});
        ASSERT_TRUE(g);
        const double floor = Psnr(plane, FloorPlane(plane, p.width, p.height, g->coverSide >> 6));
        const QByteArray decoded = Decode(Encode(plane, Settings(p.width, p.height)));
        const double ours = Psnr(plane, decoded);
        EXPECT_GE(ours, floor) << "PSNR " << ours << " dB, floor " << floor << " dB";

        const QString original = TempPath(QStringLiteral("original.gray"));
        const QString result = TempPath(QStringLiteral("decoded.gray"));
        ASSERT_TRUE(WriteFile(original, plane));
        ASSERT_TRUE(WriteFile(result, decoded));
        QString error;
        const double theirs = ImageMagickPsnr(original, result, p.width, p.height, &error);
        ASSERT_TRUE(error.isEmpty()) << qPrintable(error);
        EXPECT_GE(theirs, floor);
        EXPECT_NEAR(theirs, ours, 0.01);
    }
}

// --- Refusals -----------------------------------------------------------------------

TEST_F(FractalCodecTest, TheEncoderRefusesPlanesItCannotDescribeAndFilesItCannotUse)
{
    const struct {
        const char *name;
        int width, height;
        qsizetype bytes;
        int result;
    } rows[] = {
        {"63 x 64: less than 64 pixels across", 63, 64, 63 * 64, 300},
        {"641 x 480: a side not a multiple of 4", 641, 480, 641 * 480, 300},
        {"4096 x 64: a side wider than 12 bits", 4096, 64, 4096 * 64, 300},
        {"a short plane file", 64, 64, 64 * 64 - 1, 200},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        int result = 0;
        const QByteArray stream = Encode(QByteArray(row.bytes, char(7)), Settings(row.width, row.height), &result);
        EXPECT_EQ(result, row.result);
        EXPECT_TRUE(stream.isEmpty());
    }

    const QString in = TempPath(QStringLiteral("plane.raw"));
    ASSERT_TRUE(WriteFile(in, QByteArray(64 * 64, char(9))));
    codec.SetFiles(TempPath(QStringLiteral("missing.raw")), TempPath(QStringLiteral("a.fic")), 0);
    EXPECT_EQ(codec.Compress(nullptr, Settings(64, 64)), 200);
    codec.SetFiles(in, TempPath(QStringLiteral("no/such/folder/a.fic")), 0);
    EXPECT_EQ(codec.Compress(nullptr, Settings(64, 64)), 210);
}

TEST_F(FractalCodecTest, LogsGoWhereTheyCanAndNeverFailTheRun)
{
    const QString in = TempPath(QStringLiteral("plane.raw"));
    ASSERT_TRUE(WriteFile(in, QByteArray(64 * 64, char(100))));
    const QString out = TempPath(QStringLiteral("a.fic"));

    // The image folder takes the log when it can.
    const QString images = TempPath(QStringLiteral("images"));
    ASSERT_TRUE(QDir().mkpath(images));
    WriteProfileString(QString::fromLatin1(ProfileKeys::kFolders), QString::fromLatin1(ProfileKeys::kImageDownload), images);
    codec.SetFiles(in, out, 0);
    ASSERT_EQ(codec.Compress(nullptr, Settings(64, 64)), 0);
    const QByteArray log = ReadFile(QDir(images).filePath(QStringLiteral("Compress.txt")));
    EXPECT_TRUE(log.startsWith("imageRows: 520\nimageData: 4160\ndomimage[0]: 8192\ndomrow[0]: 256\n")) << log.toStdString();
    EXPECT_TRUE(log.endsWith("bits: 12\nnum_of_packed_bytes = 420\n")) << log.toStdString();

    // An image folder that is a plain file: the data folder takes it.
    WriteProfileString(QString::fromLatin1(ProfileKeys::kFolders), QString::fromLatin1(ProfileKeys::kImageDownload),
                       in);
    const QString dataLog = AppDataFile(QStringLiteral("Compress.txt"));
    QFile::remove(dataLog);
    EXPECT_EQ(codec.Compress(nullptr, Settings(64, 64)), 0);
    EXPECT_TRUE(ReadFile(dataLog).startsWith("imageRows: 520\n"));

    // Neither: the run goes on without a log.
    ASSERT_TRUE(QFile::remove(dataLog));
    ASSERT_TRUE(QDir().mkpath(dataLog));
    EXPECT_EQ(codec.Compress(nullptr, Settings(64, 64)), 0);
    EXPECT_EQ(ReadFile(out).size(), 421);
    QDir(dataLog).removeRecursively();

    CFractalCodec decoder;
    decoder.SetFiles(out, TempPath(QStringLiteral("a.dat")), 0);
    ASSERT_EQ(decoder.Decompress(nullptr, 1, 1, 10, 1.0, 5, 7), 0);
    const QByteArray decodeLog = ReadFile(AppDataFile(QStringLiteral("Decompress.txt")));
    EXPECT_EQ(decodeLog, "imageData: 4096\nimageRows: 512\nimageTempData: 4096\nimageTempRows: 512\n"
                         "Misc Arrays (4): 48\n"
                         "    PartitionImage():  1\nReadTransformation():  341\n"
                         "     Allocated Nodes:  256 for 16384 bytes\n");
    EXPECT_EQ(decoder.AllocatedBytes(), 4096 + 512 + 4096 + 512 + 48 + 16384);
}

TEST_F(FractalCodecTest, TheDecoderRefusesBadHeadersAndStreams)
{
    auto header = [](int shallow, int deep, int step, int stepMode, int spacing, int length, int count) {
        return HandBits().Header(shallow, deep, step, stepMode, spacing, length, count);
    };
    auto constantRanges = [](HandBits bits, int ranges) {
        for (int i = 0; i < ranges; ++i)
            bits.Put(16, 5).Put(50, 7);
        return bits.Bytes();
    };
    const QByteArray whole = constantRanges(header(4, 4, 1, 0, 0, 64, 64), 256);
    const struct {
        const char *name;
        QByteArray stream;
        int result;
    } rows[] = {
        {"shallow depth 0", constantRanges(header(0, 4, 1, 0, 0, 64, 64), 256), 300},
        {"deep above shallow", constantRanges(header(5, 4, 1, 0, 0, 64, 64), 256), 300},
        {"deeper than the cover", constantRanges(header(4, 7, 1, 0, 0, 64, 64), 256), 300},
        {"domain step 0", constantRanges(header(4, 4, 0, 0, 0, 64, 64), 256), 300},
        {"spacing mode 3", constantRanges(header(4, 4, 1, 0, 3, 64, 64), 256), 300},
        {"row length 0", constantRanges(header(4, 4, 1, 0, 0, 0, 64), 256), 300},
        {"row count 0", constantRanges(header(4, 4, 1, 0, 0, 64, 0), 256), 300},
        {"spacing 8 / 15 = 0", constantRanges(header(4, 4, 15, 0, 0, 64, 64), 256), 300},
        {"reverse-level spacing 0", constantRanges(header(4, 4, 15, 0, 1, 64, 64), 256), 300},
        {"a side not a multiple of the smallest range", constantRanges(header(4, 5, 1, 0, 0, 67, 64), 256), 300},
        {"cut inside the header", whole.left(3), 200},
        {"cut after the header", whole.left(5), 200},
        {"cut mid-range", whole.left(whole.size() / 2), 200},
        {"an index past the domains",
         HandBits().Header(4, 4, 1, 0, 0, 68, 84).Put(0, 5).Put(0, 7).Put(0, 3).Put(127, 7).Bytes() + QByteArray(600, '\0'),
         200},
        {"empty", QByteArray(), 200},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        int result = 0;
        Decode(row.stream, &result);
        EXPECT_EQ(result, row.result);
    }
    int result = -1;
    EXPECT_EQ(Decode(whole, &result), QByteArray(64 * 64, char(100)));
    EXPECT_EQ(result, 0);

    CFractalCodec decoder;
    decoder.SetFiles(TempPath(QStringLiteral("missing.fic")), TempPath(QStringLiteral("x.dat")), 0);
    EXPECT_EQ(decoder.Decompress(nullptr, 1, 1, 10, 1.0, 5, 7), 200);
    ASSERT_TRUE(WriteFile(TempPath(QStringLiteral("ok.fic")), whole));
    decoder.SetFiles(TempPath(QStringLiteral("ok.fic")), TempPath(QStringLiteral("no/folder/x.dat")), 0);
    EXPECT_EQ(decoder.Decompress(nullptr, 1, 1, 10, 1.0, 5, 7), 210);
}

} // namespace
