#pragma once

#include <string>
#include <string_view>

// UTF-16 to UTF-8 for the plug-ins, written by hand: std::filesystem's and <codecvt>'s
// conversions would add exported template symbols to a plug-in.

// Appends the code point `c` as UTF-8; `c` is below 0x110000 and no surrogate.
void AppendCodePointUtf8(char32_t c, std::string &out);

// UTF-16 from the host as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8(std::u16string_view text);
inline std::string Utf8(const char16_t *text)
{
    return Utf8(std::u16string_view(text ? text : u""));
}

// The same for UTF-16 held as bytes in a file, little- or big-endian (a byte order mark
// is text like any other here). A last odd byte is dropped.
std::string Utf8FromUtf16Bytes(std::string_view bytes, bool bigEndian);
