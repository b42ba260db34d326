// Any bytes as a fractal stream (.fic): the decoder may refuse them, never
// crash or touch memory outside its planes.
#include "CFractalCodec.h"

#include <QTemporaryDir>

#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    static const QString input = [] {
        // The log goes to the temporary folder, not the user's data folder.
        qputenv("XDG_DATA_HOME", folder.filePath(QStringLiteral("data")).toLocal8Bit());
        return folder.filePath(QStringLiteral("fuzz.fic"));
    }();
    {
        std::ofstream out(input.toStdString(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(data), std::streamsize(size));
    }
    CFractalCodec codec;
    codec.SetFiles(input, folder.filePath(QStringLiteral("fuzz.dat")), 0);
    codec.Decompress(nullptr, 1, 1, 10, 1.0, 5, 7);
    return 0;
}
