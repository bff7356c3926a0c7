#include "unicodetext.h"

#include <cstddef>

namespace {

// Converts `count` UTF-16 code units, the i-th given by `unitAt(i)`.
template <typename TUnitAt> std::string Utf8FromUnits(size_t count, TUnitAt unitAt)
{
    std::string utf8;
    utf8.reserve(count + count / 4);
    for (size_t i = 0; i < count; ++i) {
        char32_t c = unitAt(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count && unitAt(i + 1) >= 0xDC00
            && unitAt(i + 1) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        AppendCodePointUtf8(c, utf8);
    }
    return utf8;
}

} // namespace

void AppendCodePointUtf8(char32_t c, std::string &out)
{
    if (c < 0x80) {
        out.push_back(char(c));
    } else if (c < 0x800) {
        out.push_back(char(0xC0 | c >> 6));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(char(0xE0 | c >> 12));
        out.push_back(char(0x80 | (c >> 6 & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else {
        out.push_back(char(0xF0 | c >> 18));
        out.push_back(char(0x80 | (c >> 12 & 0x3F)));
        out.push_back(char(0x80 | (c >> 6 & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    }
}

std::string Utf8(std::u16string_view text)
{
    return Utf8FromUnits(text.size(), [text](size_t i) { return char32_t(text[i]); });
}

std::string Utf8FromUtf16Bytes(std::string_view bytes, bool bigEndian)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const size_t high = bigEndian ? 0 : 1;
    return Utf8FromUnits(bytes.size() / 2, [p, high](size_t i) {
        return char32_t(p[2 * i + high]) << 8 | char32_t(p[2 * i + (1 - high)]);
    });
}
