// Random lines into both command-file readers: no crash, and whatever they
// take into the format leaves it usable (finite, rates to divide by, counts).
#include "FuzzCheck.h"
#include "CCommandReader.h"
#include "CFormat.h"
#include "CGeneralFormatData.h"

#include <QString>
#include <QStringList>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));

    CFormat lines;
    QStringList list = QStringList{QString()} + text.split(u'\n');
    lines.ImportCommandLines(list);
    FuzzCheck(list.isEmpty());
    FuzzCheck(lines.IsModified());
    FuzzCheck(lines.Data().CheckValues().isEmpty());

    CFormat tokens;
    CCommandReader reader;
    reader.SetText(text);
    const bool ended = tokens.ImportTokens(reader);
    FuzzCheck(!ended || tokens.LastError().isEmpty());
    FuzzCheck(tokens.Data().CheckValues().isEmpty());
    return 0;
}
