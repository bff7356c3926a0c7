// An export plug-in for tests: writes what it receives to the file it is given, one line
// per call. The environment steers its answers: RK_TEST_EXPORT_SORT (a slot),
// RK_TEST_EXPORT_ASCENDING (0 or 1), RK_TEST_EXPORT_PEOPLE (0 refuses people),
// RK_TEST_EXPORT_POSTERS (1 asks for pictures), RK_TEST_EXPORT_FAIL_AT (refuses the Nth
// record, as a full disk would).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "plugin_api/importu.h"

namespace {

FILE *g_out = nullptr;
int g_records = 0;

std::string Utf8(const char16_t *text)
{
    std::string out;
    for (; text && *text; ++text) {
        char32_t c = *text;
        if (c >= 0xD800 && c < 0xDC00 && text[1] >= 0xDC00 && text[1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[1] - 0xDC00);
            ++text;
        }
        if (c == '\n' || c == '\r' || c == '|' || c == '\\') {
            out += '\\';
            out += c == '\n' ? 'n' : c == '\r' ? 'r' : static_cast<char>(c);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

int EnvInt(const char *name, int fallback)
{
    const char *value = std::getenv(name);
    return value && *value ? std::atoi(value) : fallback;
}

// The answer for a record just written: false for the one RK_TEST_EXPORT_FAIL_AT names.
int32_t Answer()
{
    return ++g_records == EnvInt("RK_TEST_EXPORT_FAIL_AT", 0) ? 0 : -1;
}

} // namespace

extern "C" {

RK_PLUGIN_EXPORT int16_t RK_PLUGIN_CALL GetType()
{
    return RK_PLUGIN_EXPORT_TYPE;
}
RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetName(int32_t)
{
    return u"Test export";
}
RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetDescription(int32_t)
{
    return u"Writes what it receives";
}
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetVersionSupported()
{
    return 9005;
}
RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetFilter(int32_t)
{
    return u"Test files|*.txt";
}
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL ExportType(int32_t mode)
{
    return mode == 1 && EnvInt("RK_TEST_EXPORT_PEOPLE", 1) == 0 ? 0 : 5;
}
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL NeedsPoster(int32_t type)
{
    return type == 5 && EnvInt("RK_TEST_EXPORT_POSTERS", 0) ? -1 : 0;
}
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL BeginExport(
    const char16_t *fileName, int32_t count, uint8_t mode, int32_t *sortSlot, uint8_t *ascending)
{
    g_out = std::fopen(Utf8(fileName).c_str(), "wb");
    if (!g_out)
        return 0;
    g_records = 0;
    std::fprintf(g_out, "begin|%d|%d|%d|%d\n", count, mode, *sortSlot, *ascending);
    *sortSlot = EnvInt("RK_TEST_EXPORT_SORT", *sortSlot);
    *ascending = static_cast<uint8_t>(EnvInt("RK_TEST_EXPORT_ASCENDING", *ascending));
    return -1;
}
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL ExportMovie(const TMovieTextRec *movie, int32_t episode)
{
    if (!g_out)
        return 0;
    std::fprintf(g_out, "%s", (episode & 0xFF) ? "episode" : "movie");
    for (const char16_t *slot : movie->Slots)
        std::fprintf(g_out, "|%s", Utf8(slot).c_str());
    std::fprintf(g_out, "\n");
    return Answer();
}
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL ExportHuman(const THumanTextRec *human)
{
    if (!g_out)
        return 0;
    std::fprintf(g_out, "human");
    for (const char16_t *slot : human->Slots)
        std::fprintf(g_out, "|%s", Utf8(slot).c_str());
    std::fprintf(g_out, "\n");
    return Answer();
}
RK_PLUGIN_EXPORT void RK_PLUGIN_CALL EndExport()
{
    if (g_out) {
        std::fprintf(g_out, "end\n");
        std::fclose(g_out);
        g_out = nullptr;
    }
}
}
