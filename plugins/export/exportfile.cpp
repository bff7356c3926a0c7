#include "exportfile.h"

#include <cerrno>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

std::string Utf8(std::u16string_view text)
{
    std::string utf8;
    utf8.reserve(text.size() + text.size() / 4);
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c < 0x80) {
            utf8.push_back(char(c));
            continue;
        }
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00
            && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x800) {
            utf8.push_back(char(0xC0 | c >> 6));
            utf8.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            utf8.push_back(char(0xE0 | c >> 12));
            utf8.push_back(char(0x80 | (c >> 6 & 0x3F)));
            utf8.push_back(char(0x80 | (c & 0x3F)));
        } else {
            utf8.push_back(char(0xF0 | c >> 18));
            utf8.push_back(char(0x80 | (c >> 12 & 0x3F)));
            utf8.push_back(char(0x80 | (c >> 6 & 0x3F)));
            utf8.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return utf8;
}

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
