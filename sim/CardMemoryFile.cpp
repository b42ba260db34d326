#include "gensim/CardMemoryFile.h"

#include <cerrno>
#include <string>
#include <sys/mman.h>
#include <system_error>
#include <unistd.h>

namespace gensim {

namespace {

[[noreturn]] void fail(const std::string& what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

} // namespace

CardMemoryFile::CardMemoryFile(const char* name, std::size_t size) : m_size(size)
{
    m_file.Reset(memfd_create(name, MFD_CLOEXEC));
    if (!m_file.Valid())
        fail("memfd_create");
    if (ftruncate(m_file.Get(), static_cast<off_t>(size)) != 0)
        fail("ftruncate");
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, m_file.Get(), 0);
    if (memory == MAP_FAILED)
        fail("mmap");
    m_bytes = static_cast<uint8_t*>(memory);
}

CardMemoryFile::~CardMemoryFile()
{
    munmap(m_bytes, m_size);
}

} // namespace gensim
