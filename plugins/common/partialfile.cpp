#include "partialfile.h"

#include <cerrno>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

bool TPartialFile::Open(const std::string &target)
{
    Discard();
    if (target.empty())
        return false;
    m_target = target;
    m_partial = target + ".partial";
    m_file = std::fopen(m_partial.c_str(), "wb");
    if (m_file)
        std::setvbuf(m_file, nullptr, _IOFBF, 1 << 16);
    return m_file != nullptr;
}

bool TPartialFile::Write(std::string_view bytes)
{
    if (!m_file)
        return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
        Discard();
        return false;
    }
    return true;
}

bool TPartialFile::Commit()
{
    if (!m_file)
        return false;
    // A full disk may only show when the last buffer goes out.
    const bool written = std::fflush(m_file) == 0 && ::fsync(fileno(m_file)) == 0;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!written || !closed || std::rename(m_partial.c_str(), m_target.c_str()) != 0) {
        std::remove(m_partial.c_str());
        return false;
    }
    return true;
}

void TPartialFile::Discard()
{
    if (!m_file)
        return;
    std::fclose(m_file);
    m_file = nullptr;
    std::remove(m_partial.c_str());
}
