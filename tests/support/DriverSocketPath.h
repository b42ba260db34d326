// A socket path of one test's own for the kernel-driver stand-in, in a fresh
// folder, so tests running side by side never meet; MORVANE_WINDRVR names
// it for as long as the object lives.
#pragma once

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace gensim::test {

class DriverSocketPath {
public:
    DriverSocketPath()
    {
        char pattern[] = "/tmp/zot-windrvr-XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            throw std::runtime_error("mkdtemp");
        m_folder = pattern;
        m_path = m_folder + "/windrvr";
        if (const char* before = std::getenv("MORVANE_WINDRVR"))
            m_before = before;
        setenv("MORVANE_WINDRVR", m_path.c_str(), 1);
    }
    ~DriverSocketPath()
    {
        if (m_before)
            setenv("MORVANE_WINDRVR", m_before->c_str(), 1);
        else
            unsetenv("MORVANE_WINDRVR");
        unlink(m_path.c_str());
        rmdir(m_folder.c_str());
    }
    DriverSocketPath(const DriverSocketPath&) = delete;
    DriverSocketPath& operator=(const DriverSocketPath&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_folder;
    std::string m_path;
    std::optional<std::string> m_before;
};

} // namespace gensim::test
