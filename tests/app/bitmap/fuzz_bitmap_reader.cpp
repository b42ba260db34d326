// Any bytes as a bitmap file: the reader may refuse them, never crash, and
// what it opens can be read whole and split into a plane.
#include "CBitmapReader.h"

#include <QTemporaryDir>

#include <cstdio>
#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    static const QString path = [] {
        // The dump goes to the temporary folder, not the user's data folder.
        qputenv("XDG_DATA_HOME", folder.filePath(QStringLiteral("data")).toLocal8Bit());
        return folder.filePath(QStringLiteral("fuzz.bmp"));
    }();
    {
        std::ofstream out(path.toStdString(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(data), std::streamsize(size));
    }
    CBitmapReader reader;
    if (!reader.Open(path))
        return 0;
    std::vector<uint32_t> lut;
    std::vector<uint32_t> pixels;
    reader.ReadColorTable(lut);
    reader.ReadPixels(pixels);
    char *buffer = nullptr;
    size_t length = 0;
    if (FILE *plane = open_memstream(&buffer, &length)) {
        reader.WritePlaneFile(plane, nullptr, true, 1);
        std::fclose(plane);
    }
    std::free(buffer);
    return 0;
}
