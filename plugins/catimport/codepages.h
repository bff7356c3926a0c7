#pragma once

#include <span>
#include <string_view>

// The one-byte Windows code pages ("ANSI") an Ant Movie Catalog file can be written in:
// that program writes its texts in the code page of the Windows it runs on.
struct TCodePage
{
    int Number;          // 1250 ... 1258
    const char *English; // the script, for the settings dialog
    const char *German;
    const char16_t *High; // bytes 0x80 to 0xFF as UTF-16; unassigned ones keep their value
};

// Every code page known here, by number.
std::span<const TCodePage> CodePages();
const TCodePage &WesternCodePage(); // 1252
const TCodePage *CodePageByNumber(int number);
// The code page an XML encoding name (in lower case) stands for: "windows-1251", "cp1251",
// and the Latin-1 names as 1252; null for any other.
const TCodePage *CodePageByName(std::string_view name);

inline char16_t ToUnicode(const TCodePage &page, unsigned char byte)
{
    return byte < 0x80 ? char16_t(byte) : page.High[byte - 0x80];
}
