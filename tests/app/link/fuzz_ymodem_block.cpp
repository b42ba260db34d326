// Random bytes from the line through the block reader, then through a whole
// receive into a folder: results only from the reader's list, and nothing
// written anywhere but inside the folder, nothing left there half done
// under a real name that did not complete.
#include "CGenerator.h"

#include "FakePort.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir parent;

    FakePort port;
    CGenerator gen(nullptr, MORVANE_PORT_COM);
    port.input.assign(data, data + size);
    for (int expected = size > 0 ? data[0] : 1; !port.input.empty(); expected = (expected + 1) % 256)
        Check(IsResult(gen.YmodemReceiveBlock(expected)));

    const QString folder = parent.path() + QStringLiteral("/in");
    QDir().mkpath(folder);
    port.input.assign(data, data + size);
    const int files = gen.YmodemReceive(folder, nullptr);
    const QStringList beside = QDir(parent.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    Check(beside == QStringList{QStringLiteral("in")});
    const QStringList inside = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    Check(files >= 0 && inside.size() <= files);
    for (const QString& entry : inside)
        Check(!entry.startsWith(QLatin1String(".ymodem-")));
    QDir(folder).removeRecursively();
    return 0;
}
