// Formats, images and sequences in their memory-file records.
#include "gensim/MemoryImage.h"

#include "MemoryImageBytes.h"
#include "gensim/Numbers.h"

#include <cmath>

namespace gensim {

using namespace memory;

namespace {

constexpr std::size_t kFormatRecords = 300;

double field(const StoredItem& item, std::string_view mnemonic)
{
    double value = 0;
    const auto it = item.fields.find(mnemonic);
    return it != item.fields.end() && parseNumber(it->second, value) ? value : 0;
}

std::uint16_t word(double value) { return std::uint16_t(std::lround(std::fmax(0, std::fmin(value, 65535)))); }

void putAt(std::string& record, std::size_t at, const std::string& bytes) { record.replace(at, bytes.size(), bytes); }

std::string le32Bytes(std::uint32_t v)
{
    std::string out;
    putLe16(out, std::uint16_t(v & 0xFFFF));
    putLe16(out, std::uint16_t(v >> 16));
    return out;
}

std::string le16Bytes(std::uint16_t v)
{
    std::string out;
    putLe16(out, v);
    return out;
}

// Where a record keeps the fields the archive tools show: the line rate (a
// processor float), the active pixels and lines, the scan.
struct FormatPlaces {
    std::size_t size, rate, pixels, lines, scan;
};
constexpr FormatPlaces kRecord84{84, 48, 52, 56, 70};  // before 2.349
constexpr FormatPlaces kRecord72{72, 36, 40, 44, 58};

std::string madeFormatRecord(const StoredItem& item, const FormatPlaces& at, char pad)
{
    std::string record(at.size, '\0');
    putAt(record, 4, padded(item.name, pad));
    putAt(record, at.rate, le32Bytes(processorFloat(static_cast<float>(field(item, "HRAT")))));
    putAt(record, at.pixels, le16Bytes(word(field(item, "HRES"))));
    putAt(record, at.lines, le16Bytes(word(field(item, "VRES"))));
    record[at.scan] = char(word(field(item, "SCAN")));
    return record;
}

// The 80-byte body of a revision-7 format object: the line rate an IEEE
// float at 24, the active pixels and lines at 28 and 32, the scan at 46.
std::string madeFormatBody(const StoredItem& item)
{
    std::string body(80, '\0');
    std::string rate;
    putBe32(rate, ieeeBits(static_cast<float>(field(item, "HRAT"))));
    putAt(body, 24, rate);
    std::string pixels;
    putBe16(pixels, word(field(item, "HRES")));
    putAt(body, 28, pixels);
    std::string lines;
    putBe16(lines, word(field(item, "VRES")));
    putAt(body, 32, lines);
    body[46] = char(word(field(item, "SCAN")));
    return body;
}

void setFormatFields(StoredItem& item, double rate, int pixels, int lines, int scan)
{
    item.fields["HRAT"] = formatGeneral(rate, 8);
    item.fields["HRES"] = formatInteger(pixels);
    item.fields["VRES"] = formatInteger(lines);
    item.fields["SCAN"] = formatInteger(scan);
}

} // namespace

std::string MemoryImage::formatFile(const std::vector<StoredItem>& formats) const
{
    if (revision7()) {
        std::vector<Object7> objects;
        for (const StoredItem& item : formats)
            objects.push_back({item.name, item.record.size() == 80 ? item.record : madeFormatBody(item)});
        return writeFile7(std::uint32_t(MemoryObjectKind::Formats), m_firmware, objects);
    }
    const FormatPlaces& at = firmwareAtLeast(m_firmware, 2.349) ? kRecord72 : kRecord84;
    const char pad = firmwareAtLeast(m_firmware, 2.800) ? '\0' : ' ';
    std::string out;
    for (std::size_t i = 0; i < formats.size() && i < kFormatRecords; ++i) {
        const StoredItem& item = formats[i];
        std::string record = item.record.size() == at.size ? item.record : madeFormatRecord(item, at, pad);
        if (at.size == 72 && item.record.size() != at.size) {
            const std::uint16_t crc = formatCrc(std::string_view(record).substr(4));
            record[0] = char(crc & 0xFF);
            record[1] = char(crc >> 8);
        }
        out += record;
    }
    out.resize(kFormatRecords * at.size, '\0');
    return out;
}

std::optional<std::vector<StoredItem>> MemoryImage::readFormats(std::string_view file) const
{
    std::vector<StoredItem> formats;
    if (revision7()) {
        const auto objects = readFile7(file, std::uint32_t(MemoryObjectKind::Formats));
        if (!objects)
            return std::nullopt;
        for (const Object7& object : *objects) {
            if (object.body.size() != 80)
                return std::nullopt;
            StoredItem item{object.name};
            item.record = object.body;
            setFormatFields(item, fromIeeeBits(be32(object.body, 24)), be16(object.body, 28), be16(object.body, 32),
                            static_cast<unsigned char>(object.body[46]));
            formats.push_back(std::move(item));
        }
        return formats;
    }
    const FormatPlaces& at = firmwareAtLeast(m_firmware, 2.349) ? kRecord72 : kRecord84;
    if (file.size() != kFormatRecords * at.size)
        return std::nullopt;
    for (std::size_t i = 0; i < kFormatRecords; ++i) {
        const std::string_view record = file.substr(i * at.size, at.size);
        if (emptyName(record.substr(4, 8)))
            continue;
        StoredItem item{unpadded(record.substr(4, 8))};
        item.record = std::string(record);
        setFormatFields(item, fromProcessorFloat(le32(record, at.rate)), le16(record, at.pixels),
                        le16(record, at.lines), static_cast<unsigned char>(record[at.scan]));
        formats.push_back(std::move(item));
    }
    return formats;
}

// --- Images ----------------------------------------------------------------------------

namespace {

constexpr std::uint16_t kImageEnd = 0xFFFF;

// Parameter words after a primitive's opcode before revision 7: the
// characters primitive has 2 before 2.179, 3 after, 7 from 2.349 on, when
// the lines and triangles got their third word.
int parameterWords(std::uint16_t opcode, double firmware)
{
    const bool from2349 = firmwareAtLeast(firmware, 2.349);
    switch (opcode) {
    case 0: case 1: return 6;
    case 2: return 5;
    case 3: case 4: case 11: case 12: case 13: case 16: return 3;
    case 5: case 6: return from2349 ? 3 : 2;
    case 7: return from2349 ? 7 : firmwareAtLeast(firmware, 2.179) ? 3 : 2;
    case 8: case 9: case 14: case 100: return 1;
    case 10: return 8;
    case 15: return 24;
    case 17: case 18: case 19: return from2349 ? 1 : 0;
    case 20: return from2349 ? 3 : 0;
    case 21: return from2349 ? 7 : 0;
    case 22: return from2349 ? 8 : 0;
    default: return 0;
    }
}

} // namespace

std::string MemoryImage::imageFile(const std::vector<StoredItem>& images) const
{
    if (revision7()) {
        std::vector<Object7> objects;
        for (const StoredItem& item : images) {
            std::string body = item.record;
            if (body.size() < 16) {
                body.clear();
                putBe32(body, std::uint32_t(item.width > 0 ? item.width : 640));
                putBe32(body, std::uint32_t(item.height > 0 ? item.height : 480));
                putBe32(body, 0);
                putBe32(body, 0);
            }
            objects.push_back({item.name, body});
        }
        return writeFile7(std::uint32_t(MemoryObjectKind::Images), m_firmware, objects);
    }
    std::string out;
    for (const StoredItem& item : images) {
        out += padded(item.name, '\0') + item.record;
        putLe16(out, kImageEnd);
    }
    return out + '\0';
}

std::optional<std::vector<StoredItem>> MemoryImage::readImages(std::string_view file) const
{
    std::vector<StoredItem> images;
    if (revision7()) {
        const auto objects = readFile7(file, std::uint32_t(MemoryObjectKind::Images));
        if (!objects)
            return std::nullopt;
        for (const Object7& object : *objects) {
            if (object.body.size() < 16 || be32(object.body, 12) != object.body.size() - 16)
                return std::nullopt;
            StoredItem item{object.name};
            item.width = int(be32(object.body, 0));
            item.height = int(be32(object.body, 4));
            item.record = object.body;
            images.push_back(std::move(item));
        }
        return images;
    }
    std::size_t at = 0;
    while (at < file.size() && file[at] != '\0') {
        if (file.size() - at < 8)
            return std::nullopt;
        StoredItem item{unpadded(file.substr(at, 8))};
        item.width = 640;
        item.height = 480;
        const std::size_t first = at += 8;
        for (;;) {
            if (file.size() - at < 2)
                return std::nullopt;
            const std::uint16_t opcode = le16(file, at);
            if (opcode == kImageEnd)
                break;
            const std::size_t bytes = 2 + 2 * std::size_t(parameterWords(opcode, m_firmware));
            if (file.size() - at < bytes)
                return std::nullopt;
            at += bytes;
        }
        item.record = std::string(file.substr(first, at - first));
        at += 2;
        images.push_back(std::move(item));
    }
    return images;
}

// --- Sequences -------------------------------------------------------------------------

namespace {

constexpr std::size_t kTimedSequence = 584;  // before 2.179: a name and 32 steps of 18 bytes
constexpr int kTimedSteps = 32;

// A delay that is not set is stored as none.
float delayOf(const SequenceStep& step) { return static_cast<float>(step.delay < 0 ? 0 : step.delay); }

std::uint8_t setting(int value, int unset) { return std::uint8_t(value < 0 ? unset : value); }

std::string stepBytes(const SequenceStep& step, double firmware, bool ieee)
{
    std::string out = padded(step.format, '\0') + padded(step.image, '\0');
    if (ieee)
        putBe32(out, ieeeBits(delayOf(step)));
    else
        out += le32Bytes(processorFloat(delayOf(step)));
    if (!firmwareAtLeast(firmware, 2.349))
        return out;
    out += char(setting(step.imageVersion, 0));
    if (!firmwareAtLeast(firmware, 2.981))
        return out + std::string(3, '\0');
    return out + char(setting(step.gates, 7)) + char(setting(step.sync, 1)) + char(setting(step.output, 1));
}

SequenceStep stepOf(std::string_view bytes, double firmware, bool ieee)
{
    SequenceStep step;
    step.format = unpadded(bytes.substr(0, 8));
    step.image = unpadded(bytes.substr(8, 8));
    step.delay = ieee ? fromIeeeBits(be32(bytes, 16)) : fromProcessorFloat(le32(bytes, 16));
    if (firmwareAtLeast(firmware, 2.349))
        step.imageVersion = static_cast<unsigned char>(bytes[20]);
    if (firmwareAtLeast(firmware, 2.981)) {
        step.gates = static_cast<unsigned char>(bytes[21]);
        step.sync = static_cast<unsigned char>(bytes[22]);
        step.output = static_cast<unsigned char>(bytes[23]);
    }
    return step;
}

std::string timedSequence(const StoredItem& item)
{
    std::string out = padded(item.name, ' ');
    for (int i = 0; i < kTimedSteps; ++i) {
        if (std::size_t(i) >= item.steps.size()) {
            out += std::string(18, '\0');
            continue;
        }
        const SequenceStep& step = item.steps[std::size_t(i)];
        out += padded(step.format, ' ') + padded(step.image, ' ');
        putLe16(out, word(std::round(delayOf(step) * 10)));
    }
    return out;
}

std::optional<std::vector<StoredItem>> readTimedSequences(std::string_view file)
{
    if (file.size() % kTimedSequence != 0)
        return std::nullopt;
    std::vector<StoredItem> sequences;
    for (std::size_t at = 0; at < file.size(); at += kTimedSequence) {
        StoredItem item{unpadded(file.substr(at, 8))};
        item.record = std::string(file.substr(at, kTimedSequence));
        for (int i = 0; i < kTimedSteps; ++i) {
            const std::string_view step = file.substr(at + 8 + 18 * std::size_t(i), 18);
            if (emptyName(step.substr(0, 8)))
                continue;
            SequenceStep s;
            s.format = unpadded(step.substr(0, 8));
            s.image = unpadded(step.substr(8, 8));
            s.delay = le16(step, 16) / 10.0;
            item.steps.push_back(s);
        }
        sequences.push_back(std::move(item));
    }
    return sequences;
}

} // namespace

std::string MemoryImage::sequenceFile(const std::vector<StoredItem>& sequences) const
{
    if (revision7()) {
        std::vector<Object7> objects;
        for (const StoredItem& item : sequences) {
            if (item.record.size() >= 18) {
                objects.push_back({item.name, item.record});
                continue;
            }
            std::string body;
            putBe32(body, 1);
            body += std::string(2, '\0');
            putBe32(body, 0);
            putBe32(body, std::uint32_t(item.steps.size()));
            putBe32(body, std::uint32_t(item.steps.size() * 24));
            for (const SequenceStep& step : item.steps)
                body += stepBytes(step, m_firmware, true);
            objects.push_back({item.name, body});
        }
        return writeFile7(std::uint32_t(MemoryObjectKind::Sequences), m_firmware, objects);
    }
    std::string out;
    const std::size_t stepSize = firmwareAtLeast(m_firmware, 2.349) ? 24 : 20;
    for (const StoredItem& item : sequences) {
        if (!firmwareAtLeast(m_firmware, 2.179)) {
            out += item.record.size() == kTimedSequence ? item.record : timedSequence(item);
            continue;
        }
        out += padded(item.name, '\0');
        if (!item.record.empty() && item.record.size() % stepSize == 0) {
            out += item.record;
        } else {
            for (const SequenceStep& step : item.steps)
                out += stepBytes(step, m_firmware, false);
        }
        out += char(0xFF);
        if (firmwareAtLeast(m_firmware, 2.981))
            out += std::string(3, '\0');
    }
    return firmwareAtLeast(m_firmware, 2.179) ? out + '\0' : out;
}

std::optional<std::vector<StoredItem>> MemoryImage::readSequences(std::string_view file) const
{
    if (!firmwareAtLeast(m_firmware, 2.179))
        return readTimedSequences(file);
    std::vector<StoredItem> sequences;
    if (revision7()) {
        const auto objects = readFile7(file, std::uint32_t(MemoryObjectKind::Sequences));
        if (!objects)
            return std::nullopt;
        for (const Object7& object : *objects) {
            const std::string_view body = object.body;
            if (body.size() < 18 || body.size() != 18 + std::size_t(be32(body, 14)) || be32(body, 14) % 24 != 0)
                return std::nullopt;
            StoredItem item{object.name};
            item.record = object.body;
            for (std::size_t at = 18; at < body.size(); at += 24)
                item.steps.push_back(stepOf(body.substr(at, 24), m_firmware, true));
            sequences.push_back(std::move(item));
        }
        return sequences;
    }
    const std::size_t stepSize = firmwareAtLeast(m_firmware, 2.349) ? 24 : 20;
    const std::size_t tail = firmwareAtLeast(m_firmware, 2.981) ? 3 : 0;
    std::size_t at = 0;
    while (at < file.size() && file[at] != '\0') {
        if (file.size() - at < 8)
            return std::nullopt;
        StoredItem item{unpadded(file.substr(at, 8))};
        at += 8;
        for (;;) {
            if (at >= file.size())
                return std::nullopt;
            if (static_cast<unsigned char>(file[at]) == 0xFF)
                break;
            if (file.size() - at < stepSize)
                return std::nullopt;
            item.steps.push_back(stepOf(file.substr(at, stepSize), m_firmware, false));
            item.record += std::string(file.substr(at, stepSize));
            at += stepSize;
        }
        if (file.size() - at - 1 < tail)
            return std::nullopt;
        at += 1 + tail;
        sequences.push_back(std::move(item));
    }
    return sequences;
}

} // namespace gensim
