#include "codepages.h"

#include <array>
#include <bit>
#include <string>
#include <vector>

#include <iconv.h>

#include "plugin_api/ansi1252.h"

namespace {

struct TPageName
{
    int Number;
    const char *English;
    const char *German;
};

constexpr TPageName PageNames[] = {
    {1250, "Central European", "Mitteleuropäisch"},
    {1251, "Cyrillic", "Kyrillisch"},
    {1252, "Western European", "Westeuropäisch"},
    {1253, "Greek", "Griechisch"},
    {1254, "Turkish", "Türkisch"},
    {1255, "Hebrew", "Hebräisch"},
    {1256, "Arabic", "Arabisch"},
    {1257, "Baltic", "Baltisch"},
    {1258, "Vietnamese", "Vietnamesisch"},
};

using THighHalf = std::array<char16_t, 128>;

// Bytes 0x80 to 0xFF of a code page through glibc's iconv, as the program decodes code
// pages. A byte the code page leaves unassigned keeps its value, as Windows does; 1252 is
// the contract's own table, and so is any code page iconv cannot convert.
THighHalf HighHalf(int number)
{
    THighHalf high{};
    for (int byte = 0x80; byte <= 0xFF; ++byte)
        high[size_t(byte - 0x80)] = RkAnsiToUnicode(static_cast<unsigned char>(byte));
    if (number == 1252)
        return high;
    const std::string name = "CP" + std::to_string(number);
    const iconv_t converter = iconv_open(
        std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE", name.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return high;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        char in = char(byte);
        char *inAt = &in;
        size_t inLeft = 1;
        char16_t out[4];
        char *outAt = reinterpret_cast<char *>(out);
        size_t outLeft = sizeof out;
        // The second call lets out a letter held back for a combining mark (1258).
        const bool converted = iconv(converter, &inAt, &inLeft, &outAt, &outLeft) != size_t(-1)
                               && iconv(converter, nullptr, nullptr, &outAt, &outLeft) != size_t(-1)
                               && sizeof out - outLeft == sizeof(char16_t);
        high[size_t(byte - 0x80)] = converted ? out[0] : char16_t(byte);
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(converter);
    return high;
}

// Made at first use: a program that imports nothing never opens a converter.
std::span<const TCodePage> Pages()
{
    static std::array<THighHalf, std::size(PageNames)> highs;
    static const std::vector<TCodePage> pages = [] {
        std::vector<TCodePage> made;
        for (size_t i = 0; i < std::size(PageNames); ++i) {
            highs[i] = HighHalf(PageNames[i].Number);
            made.push_back(
                {PageNames[i].Number, PageNames[i].English, PageNames[i].German, highs[i].data()});
        }
        return made;
    }();
    return pages;
}

bool StartsWith(std::string_view text, std::string_view start)
{
    return text.substr(0, start.size()) == start;
}

} // namespace

std::span<const TCodePage> CodePages()
{
    return Pages();
}

const TCodePage &WesternCodePage()
{
    return *CodePageByNumber(1252);
}

const TCodePage *CodePageByNumber(int number)
{
    for (const TCodePage &page : Pages()) {
        if (page.Number == number)
            return &page;
    }
    return nullptr;
}

const TCodePage *CodePageByName(std::string_view name)
{
    for (const std::string_view latin1 :
         {"iso-8859-1", "iso8859-1", "latin1", "latin-1", "us-ascii", "ascii"}) {
        if (name == latin1)
            return &WesternCodePage();
    }
    for (const std::string_view prefix : {"windows-", "cp"}) {
        if (!StartsWith(name, prefix))
            continue;
        const std::string_view digits = name.substr(prefix.size());
        if (digits.size() == 4 && StartsWith(digits, "125") && digits[3] >= '0'
            && digits[3] <= '8') {
            return CodePageByNumber(1250 + (digits[3] - '0'));
        }
    }
    return nullptr;
}
