// What the memory-image files share: fixed-width fields, 8-byte names, the
// processor's float, and the revision-7 container of named objects.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gensim::memory {

void putLe16(std::string& out, std::uint16_t v);
void putBe16(std::string& out, std::uint16_t v);
void putBe32(std::string& out, std::uint32_t v);
std::uint16_t le16(std::string_view bytes, std::size_t at);
std::uint16_t be16(std::string_view bytes, std::size_t at);
std::uint32_t le32(std::string_view bytes, std::size_t at);
std::uint32_t be32(std::string_view bytes, std::size_t at);

// name in 8 bytes, padded with pad; and back, up to a NUL, without trailing blanks.
std::string padded(std::string_view name, char pad);
std::string unpadded(std::string_view name);
// Empty once its blanks are NUL.
bool emptyName(std::string_view name);

// The processor's 4-byte float: the IEEE layout with the leading one of
// the mantissa at its top bit and the exponent one higher.
std::uint32_t processorFloat(float value);
double fromProcessorFloat(std::uint32_t bits);
std::uint32_t ieeeBits(float value);
float fromIeeeBits(std::uint32_t bits);

// CRC-16/ARC of the 72-byte format records.
std::uint16_t formatCrc(std::string_view bytes);

struct Object7 {
    std::string name;
    std::string body;
};

// A revision-7 file: its header (revision as IEEE big-endian), each
// object behind its header and sum, then tail (the names of path memory).
std::string writeFile7(std::uint32_t type, double revision, const std::vector<Object7>& objects,
                       std::string_view tail = {});
// nullopt unless the header, every object and both kinds of sum hold and
// the type is type; tail gets what follows the objects.
std::optional<std::vector<Object7>> readFile7(std::string_view file, std::uint32_t type, std::string* tail = nullptr);

} // namespace gensim::memory
