// "firmware.bin" by its size: each layout with good and bad sums, the
// versions each takes or leaves unknown, and the refusals with their texts.
// The images come from the simulator's makers, which follow the layouts
// independently of the program's reader.

#include "FirmwareFile.h"
#include "FirmwareRowState.h"

#include "ResourceIds.h"
#include "TestSupport.h"

#include "gensim/FirmwareImage.h"

#include <QFile>

#include <cmath>
#include <limits>

namespace {

namespace fw = gensim::firmware;

QByteArray Bytes(const fw::Image& image) { return QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size())); }

QString Hex(unsigned v) { return QStringLiteral("0x") + QString::number(v, 16).toUpper(); }

unsigned Big(const fw::Image& image, std::size_t at, int bytes)
{
    unsigned v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | image[at + std::size_t(i)];
    return v;
}

void SetHeaderVersion(fw::Image& image, double version)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &version, sizeof bits);
    for (int i = 7; i >= 0; --i, bits >>= 8)
        image[fw::kHeaderVersionAt + std::size_t(i)] = uint8_t(bits);
}

struct Case {
    const char* name;
    fw::Image image;
    unsigned failureId; // 0: accepted
    double version;     // -1: unknown
    QString checksum;
};

std::vector<Case> Cases()
{
    std::vector<Case> cases;
    {
        fw::Image good = fw::makeIsaImage(3.05);
        cases.push_back({"isa 3.05", good, 0, 3.05, Hex(good[fw::kIsaSumsAt] * 256u + good[fw::kIsaSumsAt + 1])});
        fw::Image bad = good;
        bad[1000] ^= 0x01; // an even byte: the even sum no longer holds
        cases.push_back({"isa bad even sum", bad, IDS_FIRMWARE_CHECKSUM_FAILED, -1, {}});
        fw::Image oddBad = good;
        oddBad[1001] ^= 0x10;
        cases.push_back({"isa bad odd sum", oddBad, IDS_FIRMWARE_CHECKSUM_FAILED, -1, {}});
        fw::Image notTagged = good;
        notTagged[fw::kIsaVersionAt + 7] = 0x41;
        fw::resumIsa(notTagged);
        cases.push_back({"isa byte 524147 not 0x40", notTagged, 0, -1,
                         Hex(notTagged[fw::kIsaSumsAt] * 256u + notTagged[fw::kIsaSumsAt + 1])});
        fw::Image seven = fw::makeIsaImage(7.5);
        cases.push_back({"isa 7.5 is not an ISA version", seven, 0, -1,
                         Hex(seven[fw::kIsaSumsAt] * 256u + seven[fw::kIsaSumsAt + 1])});
    }
    cases.push_back({"0x40000 has neither", fw::makeNoVersionImage(), 0, -1, {}});
    {
        fw::Image split = fw::makeHeaderImage(7.045, 4096);
        cases.push_back({"header 7.045", split, 0, 7.045,
                         Hex(Big(split, fw::kHeaderSumsAt, 2)) + "," + Hex(Big(split, fw::kHeaderSumsAt + 2, 2))});
        fw::Image oddBad = split;
        oddBad[fw::kHeaderBytes + 3] ^= 0x01; // word 129: an odd word
        cases.push_back({"header bad odd sum", oddBad, IDS_FIRMWARE_CHECKSUM_FAILED, -1, {}});
        fw::Image atSplit = fw::makeHeaderImage(7.002, 4096);
        cases.push_back({"header 7.002 splits", atSplit, 0, 7.002,
                         Hex(Big(atSplit, fw::kHeaderSumsAt, 2)) + "," + Hex(Big(atSplit, fw::kHeaderSumsAt + 2, 2))});
        fw::Image before = fw::makeHeaderImage(7.001, 4096);
        cases.push_back({"header 7.001 one sum", before, 0, 7.001, Hex(Big(before, fw::kHeaderSumsAt, 4))});
        // The sums of 7.001 under the version 7.002: read as two halves, wrong.
        fw::Image mixed = before;
        SetHeaderVersion(mixed, 7.002);
        cases.push_back({"7.002 with one sum", mixed, IDS_FIRMWARE_CHECKSUM_FAILED, -1, {}});
        fw::Image sized = split;
        sized[fw::kHeaderSizeAt + 3] ^= 0x02;
        cases.push_back({"size field differs", sized, IDS_FIRMWARE_SIZES_DIFFER, -1, {}});
        fw::Image nan = split;
        SetHeaderVersion(nan, std::numeric_limits<double>::quiet_NaN());
        cases.push_back({"NaN version", nan, IDS_FIRMWARE_NO_VERSION, -1, {}});
        fw::Image huge = split;
        SetHeaderVersion(huge, 25.0);
        cases.push_back({"version 25", huge, IDS_FIRMWARE_NO_VERSION, -1, {}});
        fw::Image small = split;
        SetHeaderVersion(small, 1.5);
        cases.push_back({"version 1.5", small, IDS_FIRMWARE_NO_VERSION, -1, {}});
        fw::Image odd = split;
        odd.push_back(0);
        cases.push_back({"odd size", odd, IDS_FIRMWARE_NO_SIZE, -1, {}});
        cases.push_back({"under 256 bytes", fw::Image(200, 0), IDS_FIRMWARE_NO_SIZE, -1, {}});
    }
    return cases;
}

TEST(FirmwareFileTest, EachLayoutBySize)
{
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        const FirmwareFileCheck check = FirmwareFile::Check(Bytes(c.image));
        EXPECT_EQ(check.accepted, c.failureId == 0);
        EXPECT_EQ(check.failureId, c.failureId);
        if (c.version < 0)
            EXPECT_LT(check.version, 0);
        else
            EXPECT_NEAR(check.version, c.version, 1e-12);
        EXPECT_EQ(check.checksum, c.checksum);
        EXPECT_EQ(check.checksumKnown, !c.checksum.isEmpty());
    }
}

TEST(FirmwareFileTest, ThousandthsDigitRoundsToTheNearestThousandth)
{
    const struct { double version; int digit; } cases[] = {
        {7.002, 2}, {7.015, 5}, {7.025, 5}, {7.035, 5}, {3.05, 0}, {3.025, 5}, {7.0, 0}, {-1.0, 0}, {7.0449999, 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FirmwareFile::ThousandthsDigit(c.version), c.digit) << c.version;
}

TEST(FirmwareFileTest, RowStates)
{
    using K = FirmwareRowKind;
    const struct {
        const char* name;
        bool chosen;
        double file;
        K kind;
        double generator;
        FirmwareRowState state;
    } cases[] = {
        {"no file", false, 7.045, K::Generator, 7.045, kFirmwareRowUnsuitable},
        {"newer, same digit", true, 7.045, K::Generator, 7.035, kFirmwareRowSuits},
        {"same version", true, 7.045, K::Generator, 7.045, kFirmwareRowSuits},
        {"7.025 on 7.035: older", true, 7.025, K::Generator, 7.035, kFirmwareRowWarning},
        {"7.024 on 7.025: digits differ", true, 7.024, K::Generator, 7.025, kFirmwareRowUnsuitable},
        {"7.015 rounds to digit 5", true, 7.015, K::Generator, 7.005, kFirmwareRowSuits},
        {"across 7.0", true, 7.050, K::Generator, 3.05, kFirmwareRowUnsuitable},
        {"unknown on 3.025 (digit 5)", true, -1.0, K::Generator, 3.025, kFirmwareRowUnsuitable},
        {"unknown on 3.020", true, -1.0, K::Generator, 3.020, kFirmwareRowWarning},
        {"unknown on 7.040", true, -1.0, K::Generator, 7.040, kFirmwareRowUnsuitable},
        {"isa direct, old file", true, 3.06, K::IsaDirect, 0, kFirmwareRowWarning},
        {"isa direct, unknown", true, -1.0, K::IsaDirect, 0, kFirmwareRowWarning},
        {"isa direct, 7 file", true, 7.045, K::IsaDirect, 0, kFirmwareRowUnsuitable},
        {"pci direct never", true, 7.045, K::PciDirect, 0, kFirmwareRowUnsuitable},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EvaluateFirmwareRow(c.chosen, c.file, c.kind, c.generator), c.state) << c.name;
}

class FirmwareFilePathTest : public PlatformTest {};

TEST_F(FirmwareFilePathTest, AMissingFileIsRefusedWithTheOpenText)
{
    EXPECT_EQ(FirmwareFile::CheckPath(TempPath("firmware.bin")).failureId, unsigned(IDS_FIRMWARE_CANNOT_OPEN));
    QFile file(TempPath("firmware.bin"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(Bytes(fw::makeNoVersionImage()));
    file.close();
    EXPECT_TRUE(FirmwareFile::CheckPath(TempPath("firmware.bin")).accepted);
}

} // namespace
