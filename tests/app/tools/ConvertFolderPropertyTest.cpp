// Random valid folders of each older revision, converted to a random later
// one: every file the conversion leaves keeps its sums (the records' CRC,
// the revision-7 files' sums), or the conversion fails with its line and
// the destination as it was.

#include "MemoryConversionFixture.h"

#include "MemoryFileReader.h"
#include "MemoryRecords.h"

#include <random>

namespace {

using namespace MemoryFixtures;

enum class Form { Before2179, At2179, At2349, At2800, At2898, At2981 };

struct SourceRevision {
    const char *system;
    Form form;
    double revision;
};

const SourceRevision kSources[] = {
    {"0000000000001840", Form::Before2179, 2.000}, {"9DEFA7C64BB71840", Form::At2179, 2.179},
    {"4C37894160651940", Form::At2349, 2.349},     {"1C5A643BDFCF1940", Form::At2349, 2.453},
    {"3333333333331B40", Form::At2800, 2.800},     {"643BDF4F8D971B40", Form::At2898, 2.898},
    {"068195438BEC1B40", Form::At2981, 2.981},     {"0000000000001C40", Form::At2981, 3.000},
};
const double kTargets[] = {2.179, 2.300, 2.349, 2.605, 2.898, 2.999, 7.0};

class RandomFolder {
public:
    explicit RandomFolder(unsigned seed) : m_random(seed) {}

    MemoryFolder Make(const SourceRevision &source)
    {
        const bool old = source.form == Form::Before2179;
        MemoryFolder folder = {{"system.sys", SystemFile(source.system)}};
        if (source.form <= Form::At2179) {
            folder["formats.fmt"] = Formats(84);
            folder["images.img"] = Images(old ? 2 : 3);
            folder["sequence.seq"] = old ? TimedSequences() : Sequences(20, 0);
            folder["fonts.fna"] = QByteArray("FONT");
        } else {
            folder["format.mem"] = Formats(72);
            folder["image.mem"] = Images(7);
            folder["sequence.mem"] = Sequences(24, source.form == Form::At2981 ? 3 : 0);
            folder["font.new"] = QByteArray("FONT");
        }
        if (source.form >= Form::At2898) {
            folder["dir.mem"] = Directories();
            folder["path.mem"] = PathMemory();
        } else {
            folder["format.knb"] = KnobList(old ? ' ' : '\0');
            folder["image.knb"] = KnobList(old ? ' ' : '\0');
            if (!old)
                folder["sequence.knb"] = KnobList('\0');
        }
        return folder;
    }

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

private:
    QByteArray Name(char pad)
    {
        static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_'";
        QByteArray name(1, kLetters[Below(52)]);
        for (int n = Below(8); n > 0; --n)
            name += kLetters[Below(int(sizeof kLetters) - 1)];
        return Padded(name.constData(), pad);
    }

    QByteArray Bytes(int n)
    {
        QByteArray out(n, '\0');
        for (char &c : out)
            c = char(Below(256));
        return out;
    }

    QByteArray Formats(int size)
    {
        QByteArray out(300 * size, '\0');
        for (int n = Below(30); n > 0; --n) {
            QByteArray record = Bytes(size);
            record.replace(4, 8, Name(size == 84 ? ' ' : '\0'));
            if (size == 72) {
                const uint16_t crc = Crc16Arc(reinterpret_cast<const uint8_t *>(record.constData()) + 4, 68);
                record[0] = char(crc & 0xFF);
                record[1] = char(crc >> 8);
            }
            out.replace(Below(300) * size, size, record);
        }
        return out;
    }

    // Opcodes of every form with their words; the characters primitive
    // has 2, 3 or 7 words by form.
    QByteArray Images(int charactersWords)
    {
        static const std::pair<uint16_t, int> kOpcodes[] = {{0, 6}, {1, 6}, {2, 5}, {3, 3}, {4, 3}, {8, 1},
                                                           {9, 1}, {10, 8}, {11, 3}, {12, 3}, {13, 3}, {14, 1},
                                                           {15, 24}, {16, 3}, {100, 1}};
        QByteArray out;
        for (int i = Below(4); i > 0; --i) {
            out += Name('\0');
            for (int p = Below(12); p > 0; --p) {
                const int pick = Below(int(std::size(kOpcodes)) + 3);
                uint16_t opcode = 7;
                int words = charactersWords;
                if (pick < int(std::size(kOpcodes)))
                    std::tie(opcode, words) = kOpcodes[pick];
                else if (pick > int(std::size(kOpcodes)))
                    std::tie(opcode, words) = std::pair<uint16_t, int>(uint16_t(5), charactersWords == 7 ? 3 : 2);
                out += QByteArray(1, char(opcode)) + QByteArray(1, '\0') + Bytes(2 * words);
            }
            out += QByteArray::fromHex("FFFF");
        }
        return out + QByteArray(1, '\0');
    }

    QByteArray TimedSequences()
    {
        QByteArray out;
        for (int i = Below(4); i > 0; --i) {
            QByteArray sequence = Name(' ');
            for (int s = 0; s < 32; ++s)
                sequence += Below(3) == 0 ? QByteArray(18, '\0') : Name(' ') + Name(' ') + Bytes(2);
            out += sequence;
        }
        return out;
    }

    QByteArray Sequences(int stepSize, int tail)
    {
        QByteArray out;
        for (int i = Below(4); i > 0; --i) {
            out += Name('\0');
            for (int s = Below(6); s > 0; --s)
                out += Name('\0') + Name('\0') + Bytes(stepSize - 16);
            out += QByteArray::fromHex("FF") + Bytes(tail);
        }
        return out + QByteArray(1, '\0');
    }

    QByteArray KnobList(char pad)
    {
        QByteArray out;
        for (int n = Below(40); n > 0; --n)
            out += Name(pad);
        return out + QByteArray(8, '\0');
    }

    QByteArray Directories()
    {
        QByteArray out;
        for (const char *name : {"fmt", "img", "seq"}) {
            out += Padded(name);
            for (int n = Below(20); n > 0; --n)
                out += Name('\0');
            out += QByteArray::fromHex("FF");
        }
        return out + QByteArray(1, '\0');
    }

    std::mt19937 m_random;
};

void ExpectRevision7File(const QByteArray &file, const QString &name)
{
    MemoryFileReader reader(file);
    ASSERT_TRUE(reader.ReadHeader()) << name.toStdString();
    EXPECT_TRUE(reader.ChecksumHolds()) << name.toStdString();
    MemoryObject object;
    MemoryFileReader::Next next;
    while ((next = reader.NextObject(object)) == MemoryFileReader::Next::Object)
        EXPECT_TRUE(object.checksumHolds) << name.toStdString();
    EXPECT_EQ(next, MemoryFileReader::Next::End) << name.toStdString();
}

void ExpectFormatCrcs(const QByteArray &formats)
{
    for (qsizetype at = 0; at + 72 <= formats.size(); at += 72) {
        const auto *record = reinterpret_cast<const uint8_t *>(formats.constData()) + at;
        if (record[4] != 0) {
            EXPECT_EQ(record[0] | record[1] << 8, Crc16Arc(record + 4, 68)) << at / 72;
        }
    }
}

TEST_F(MemoryConversionTest, RandomFoldersConvertToFilesWhoseSumsHold)
{
    RandomFolder random(20240611);
    int converted = 0;
    for (const SourceRevision &source : kSources) {
        for (int run = 0; run < 4; ++run) {
            std::vector<double> later;
            for (double target : kTargets)
                if (target > source.revision + 1e-6)
                    later.push_back(target);
            const double target = later[size_t(random.Below(int(later.size())))];
            QDir(destination).removeRecursively();
            QDir().mkpath(destination);
            QDir(data).removeRecursively();
            SCOPED_TRACE(QStringLiteral("%1 to %2, run %3").arg(source.revision).arg(target).arg(run).toStdString());
            if (!Convert(random.Make(source), target)) {
                ASSERT_FALSE(log.isEmpty());
                EXPECT_TRUE(log.back().startsWith("   ***")) << log.back().toStdString();
                EXPECT_TRUE(ReadFolder(destination).empty());
                continue;
            }
            ++converted;
            for (const auto &[name, bytes] : ReadFolder(destination)) {
                if (target >= 7.0 && name.endsWith(".mem"))
                    ExpectRevision7File(bytes, name);
                else if (name == "format.mem")
                    ExpectFormatCrcs(bytes);
            }
        }
    }
    // Valid folders: a failure would be the conversion's.
    EXPECT_EQ(converted, int(std::size(kSources)) * 4);
}

} // namespace
