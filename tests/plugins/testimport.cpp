// An import plug-in for tests: each line of its input file is one record, "M" or "H"
// followed by tab-separated "slot=value" pairs ("\n" in a value stands for a line break).
#include <fstream>
#include <string>
#include <vector>

#include "plugin_api/importu.h"

namespace {

std::u16string Utf16(const std::string &utf8)
{
    std::u16string out;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        char32_t code = c;
        size_t length = 1;
        if (c >= 0xF0 && i + 3 < utf8.size()) {
            code = ((c & 0x07) << 18) | ((utf8[i + 1] & 0x3F) << 12) | ((utf8[i + 2] & 0x3F) << 6)
                   | (utf8[i + 3] & 0x3F);
            length = 4;
        } else if (c >= 0xE0 && i + 2 < utf8.size()) {
            code = ((c & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F);
            length = 3;
        } else if (c >= 0xC0 && i + 1 < utf8.size()) {
            code = ((c & 0x1F) << 6) | (utf8[i + 1] & 0x3F);
            length = 2;
        }
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += length;
    }
    return out;
}

std::string Unescape(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string Narrow(const char16_t *text)
{
    std::string out;
    for (; text && *text; ++text)
        out += static_cast<char>(*text);
    return out;
}

} // namespace

extern "C" {

RK_PLUGIN_EXPORT int16_t RK_PLUGIN_CALL GetType()
{
    return RK_PLUGIN_GENERAL_IMPORT;
}
RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetName(int32_t)
{
    return u"Test import";
}
RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetDescription(int32_t)
{
    return u"Reads slot lines";
}
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetVersionSupported()
{
    return 9005;
}
RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetFilter(int32_t)
{
    return u"Slot files|*.txt";
}
RK_PLUGIN_EXPORT void RK_PLUGIN_CALL Parse(const char16_t *fileName,
                                           TAddMovieProc addMovie,
                                           TAddHumanProc addHuman)
{
    try {
        std::ifstream in(Narrow(fileName));
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty())
                continue;
            const bool human = line[0] == 'H';
            std::vector<std::u16string> values(human ? RK_HUMAN_TEXT_SLOTS : RK_MOVIE_TEXT_SLOTS);
            size_t start = 1;
            while (start < line.size()) {
                size_t end = line.find('\t', start + 1);
                const std::string field = line.substr(
                    start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
                const size_t equals = field.find('=');
                if (equals != std::string::npos) {
                    const size_t slot = std::stoul(field.substr(0, equals));
                    if (slot < values.size())
                        values[slot] = Utf16(Unescape(field.substr(equals + 1)));
                }
                if (end == std::string::npos)
                    break;
                start = end;
            }
            if (human) {
                THumanTextRec record{};
                for (size_t i = 0; i < values.size(); ++i)
                    record.Slots[i] = values[i].empty() ? nullptr : values[i].c_str();
                addHuman(&record);
            } else {
                TMovieTextRec record{};
                for (size_t i = 0; i < values.size(); ++i)
                    record.Slots[i] = values[i].empty() ? nullptr : values[i].c_str();
                addMovie(&record);
            }
        }
    } catch (...) {
    }
}
}
