// Any bytes as a fractal stream (.fic): the decoder may refuse them, never
// crash or touch memory outside its planes, and a stream it takes gives
// exactly the plane its header names. Decoded in memory, as the file path
// only adds the bounded read and the one writer around it.
#include "CFractalCodec.h"

#include <QByteArray>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray stream(reinterpret_cast<const char *>(data), qsizetype(size));
    // The header's plane size: a large plane costs its buffers at every
    // run whatever the stream, so only planes up to 128 x 128 are decoded;
    // the geometry and the stream's reading do not depend on the size.
    FractalBitReader header(data, size);
    uint32_t fields[7] = {};
    for (int i = 0; i < 7; ++i)
        header.Get(kHeaderFieldBits[i], fields[i]);
    if (uint64_t(fields[5]) * fields[6] > 128 * 128)
        return -1; // not added to the corpus
    // A pass is a sum over every pixel: one, on the smaller planes.
    const int passes = uint64_t(fields[5]) * fields[6] <= 64 * 64 ? 1 : 0;
    CFractalCodec codec;
    QByteArray plane;
    const int result = codec.DecodeStream(nullptr, stream, 1, 1, passes, 1.0, 5, 7, plane);
    if (result == 0 && plane.size() != qsizetype(fields[5]) * qsizetype(fields[6]))
        std::abort(); // a taken stream gives the plane its header names
    if (result != 0 && !plane.isEmpty())
        std::abort(); // a refused one gives nothing
    return 0;
}
