// Random text dropped on a knob list: every name read is 1 to 8 name
// characters, the names come in their order, and a text of exactly those
// names read again gives them again.
#include "DroppedNames.h"

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    const DroppedNames read = ReadDroppedNames(text);
    qsizetype from = 0;
    for (const QString &name : read.names) {
        FuzzCheck(!name.isEmpty() && name.size() <= 8);
        const qsizetype at = text.indexOf(name, from);
        FuzzCheck(at >= 0);
        from = at + name.size();
    }
    const DroppedNames again = ReadDroppedNames(read.names.join(u'\r'));
    FuzzCheck(again.whole && again.names == read.names);
    return 0;
}
