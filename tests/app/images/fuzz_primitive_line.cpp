// Random text into the primitive line reader: it may build nothing, never
// crash, and what it builds writes a line that builds the same again.
#include "CCommandReader.h"
#include "CPrimitive.h"
#include "FuzzCheck.h"
#include "PrimitiveLineReader.h"

#include <QString>

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString line = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    CCommandReader reader;
    reader.SetText(line);
    std::unique_ptr<CPrimitive> primitive;
    ParsePrimitiveLine(reader, primitive);
    if (!primitive)
        return 0;
    const QString written = primitive->GetCommandText();
    reader.SetText(written);
    std::unique_ptr<CPrimitive> again;
    FuzzCheck(ParsePrimitiveLine(reader, again) && again);
    FuzzCheck(again->GetCommandText() == written);
    return 0;
}
