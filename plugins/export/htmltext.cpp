#include "htmltext.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>

void AppendEscaped(std::string &out, std::string_view text)
{
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            if ((unsigned char)c >= 0x20 || c == '\n' || c == '\t')
                out += c;
            else if (c == '\r')
                break; // CR LF and CR alone both end a line: keep the LF only.
            else if (c == 0x7F)
                break;
        }
    }
}

std::string Escaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    AppendEscaped(out, text);
    return out;
}

bool IsWebLink(std::string_view url)
{
    const auto startsWithNoCase = [&](std::string_view prefix) {
        if (url.size() <= prefix.size())
            return false;
        for (size_t i = 0; i < prefix.size(); ++i) {
            if (char(std::tolower((unsigned char)url[i])) != prefix[i])
                return false;
        }
        return true;
    };
    if (!startsWithNoCase("http://") && !startsWithNoCase("https://"))
        return false;
    for (const char c : url) {
        if ((unsigned char)c <= 0x20 || (unsigned char)c >= 0x7F)
            return false;
    }
    return true;
}

std::string Stars(double rating)
{
    if (!(rating > 0))
        return {};
    const int filled = std::min(5, int(std::lround(rating / 2)));
    std::string stars;
    for (int i = 0; i < 5; ++i)
        stars += i < filled ? "\u2605" : "\u2606";
    return stars;
}

std::string RunningTime(std::string_view hms)
{
    long parts[3] = {0, 0, 0};
    int part = 0;
    for (const char c : hms) {
        if (c == ':' && part < 2)
            ++part;
        else if (c >= '0' && c <= '9' && parts[part] < 100000)
            parts[part] = parts[part] * 10 + (c - '0');
        else
            return {};
    }
    if (part != 2)
        return {};
    const long minutes = parts[0] * 60 + parts[1] + (parts[2] >= 30 ? 1 : 0);
    if (minutes <= 0)
        return {};
    if (minutes < 60)
        return std::to_string(minutes) + " min";
    return std::to_string(minutes / 60) + " h " + std::to_string(minutes % 60) + " min";
}

std::string FromBase64(std::u16string_view text)
{
    // 0-63 for the alphabet, 64 for line breaks (skipped), 65 for anything else (the end).
    static constexpr auto Values = [] {
        std::array<unsigned char, 128> values{};
        values.fill(65);
        for (int i = 0; i < 26; ++i) {
            values['A' + i] = static_cast<unsigned char>(i);
            values['a' + i] = static_cast<unsigned char>(26 + i);
        }
        for (int i = 0; i < 10; ++i)
            values['0' + i] = static_cast<unsigned char>(52 + i);
        values['+'] = 62;
        values['/'] = 63;
        values['\r'] = values['\n'] = 64;
        return values;
    }();
    std::string out(text.size() / 4 * 3 + 3, '\0');
    size_t length = 0;
    unsigned buffer = 0;
    int bits = 0;
    for (const char16_t c : text) {
        const unsigned value = c < 128 ? Values[c] : 65;
        if (value == 64)
            continue;
        if (value == 65)
            break;
        buffer = (buffer << 6) | value;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out[length++] = char((buffer >> bits) & 0xFF);
        }
    }
    out.resize(length);
    return out;
}
