// Random bytes from the line through the block reader, then through a whole
// receive into a folder: results only from the reader's list, and nothing
// written anywhere but inside the folder, nothing left there half done
// under a real name that did not complete, and no file kept at a size other
// than its header gave. Both run on the port thread as a transfer does, and
// the fake port's clock jumps over every wait, so an input costs no waiting.
// The folders are read and emptied with the plain system calls: Qt's
// directory walk cost more than the transfer itself.
#include "CGenerator.h"

#include "FakePort.h"
#include "PortWorker.h"
#include "Ymodem.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <dirent.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

bool IsResult(int r)
{
    switch (r) {
    case CGenerator::kYmodemShortBlock:
    case CGenerator::kYmodemLongBlock:
    case CGenerator::kYmodemNoBlock:
    case CGenerator::kYmodemEot:
    case CGenerator::kYmodemBadNumber:
    case CGenerator::kYmodemRepeat:
    case CGenerator::kYmodemCrcError:
    case CGenerator::kYmodemCancelled: return true;
    default: return false;
    }
}

// The sizes every good header block in the input gives each name it may be
// written under (0: none given). A block counts wherever it starts.
std::map<QByteArray, std::set<long>> HeaderSizes(const uint8_t* data, size_t size)
{
    std::map<QByteArray, std::set<long>> sizes;
    for (size_t at = 0; at + 3 <= size; ++at) {
        if ((data[at] != Ymodem::kSoh && data[at] != Ymodem::kStx) || data[at + 1] != 0 || data[at + 2] != 0xFF)
            continue;
        const size_t length = data[at] == Ymodem::kSoh ? Ymodem::kShortBlock : Ymodem::kLongBlock;
        if (at + 3 + length + 2 > size)
            continue;
        const uint8_t* block = data + at + 3;
        const uint16_t crc = uint16_t((block[length] << 8) | block[length + 1]);
        Ymodem::HeaderFields fields;
        if (Ymodem::Crc16(block, length) != crc
            || !Ymodem::ParseHeader(reinterpret_cast<const char*>(block), length, fields))
            continue;
        const QByteArray name = Ymodem::SafeName(fields.name);
        if (!name.isEmpty())
            sizes[name].insert(fields.size);
    }
    return sizes;
}

// Every entry of a folder but . and .., hidden ones too, sorted.
QStringList Entries(const QByteArray& folder)
{
    QStringList names;
    if (DIR* dir = opendir(folder.constData())) {
        while (const dirent* entry = readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                names.append(QFile::decodeName(name));
        }
        closedir(dir);
    }
    names.sort();
    return names;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir parent;

    FakePort port;
    CGenerator gen(nullptr, MORVANE_PORT_COM);
    port.input.assign(data, data + size);
    PortWorker::Run([&] {
        for (int expected = size > 0 ? data[0] : 1; !port.input.empty(); expected = (expected + 1) % 256)
            Check(IsResult(gen.YmodemReceiveBlock(expected)));
    });

    // Made once; each input leaves it empty.
    static const QString folder = [] {
        const QString in = parent.path() + QStringLiteral("/in");
        QDir().mkpath(in);
        return in;
    }();
    port.input.assign(data, data + size);
    const int files = gen.YmodemReceive(folder, nullptr);
    Check(Entries(QFile::encodeName(parent.path())) == QStringList{QStringLiteral("in")});
    const QStringList inside = Entries(QFile::encodeName(folder));
    Check(files >= 0 && inside.size() <= files);
    const std::map<QByteArray, std::set<long>> sizes = HeaderSizes(data, size);
    for (const QString& entry : inside) {
        Check(!entry.startsWith(QLatin1String(".ymodem-")));
        // A file kept came under a header; one that gave a size is kept at it.
        const auto found = sizes.find(QFile::encodeName(entry));
        Check(found != sizes.end());
        const long kept = long(QFileInfo(folder + QLatin1Char('/') + entry).size());
        Check(found->second.count(0) != 0 || found->second.count(kept) != 0);
        // The receiver writes files only.
        Check(::unlink(QFile::encodeName(folder + QLatin1Char('/') + entry).constData()) == 0);
    }
    return 0;
}
