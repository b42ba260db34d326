// The memory a simulated card shares with its host: an anonymous memory file
// mapped here, handed to the host with the card's registration.
#pragma once

#include "UniqueFd.h"

#include <cstddef>
#include <cstdint>

namespace gensim {

class CardMemoryFile {
public:
    // size bytes, all zero. Throws std::system_error when the file cannot be
    // made or mapped.
    CardMemoryFile(const char* name, std::size_t size);
    ~CardMemoryFile();
    CardMemoryFile(const CardMemoryFile&) = delete;
    CardMemoryFile& operator=(const CardMemoryFile&) = delete;

    uint8_t* bytes() const { return m_bytes; }
    std::size_t size() const { return m_size; }
    int fd() const { return m_file.Get(); }

private:
    driver::UniqueFd m_file;
    uint8_t* m_bytes = nullptr;
    std::size_t m_size;
};

} // namespace gensim
