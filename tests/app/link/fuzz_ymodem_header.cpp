// Random header blocks through the header reader and the name check: no
// read past the block, a size never below 0, and no kept name that could
// leave the destination folder.
#include "FuzzCheck.h"
#include "Ymodem.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A block is 128 or 1024 bytes; the copy ends exactly there, so the
    // sanitizer sees any read past it.
    const size_t length = size <= 128 ? 128 : 1024;
    std::vector<char> block(data, data + std::min(size, length));
    block.resize(length, '\0');
    std::vector<char> exact(block.begin(), block.end());

    Ymodem::HeaderFields fields;
    if (!Ymodem::ParseHeader(exact.data(), exact.size(), fields))
        return 0;
    FuzzCheck(!fields.name.contains('\0') && size_t(fields.name.size()) < length);
    FuzzCheck(fields.size >= 0);
    const QByteArray name = Ymodem::SafeName(fields.name);
    if (name.isEmpty())
        return 0;
    FuzzCheck(!name.contains('/') && !name.contains('\\') && name != "." && name != ".." && name.size() <= 255);
    for (char c : name)
        FuzzCheck(static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) != 0x7F);
    return 0;
}
