// Plug-ins of every type for the registry's tests. RK_TYPE is the answer of GetType,
// RK_LANGUAGE of GetPluginLanguage and RK_LABEL names it. Names, descriptions and about
// texts follow the language asked for, so a change of language shows. RK_BARE leaves out
// every optional export; RK_NO_VERSION leaves out the required GetVersionSupported;
// RK_CONFIG adds a configuration dialog that writes the language it was asked in to the
// file named by RK_TEST_CONFIGURE_FILE.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "plugin_api/importu.h"

namespace {

std::u16string g_text;

const char16_t *Text(const char16_t *what, int32_t lang)
{
    g_text = what;
    g_text += u" " RK_LABEL;
    g_text += lang == RK_LANG_GERMAN ? u" (de)" : u" (en)";
    return g_text.c_str();
}

} // namespace

extern "C" {

RK_PLUGIN_EXPORT int16_t RK_PLUGIN_CALL GetType()
{
    return RK_TYPE;
}
RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetName(int32_t lang)
{
    return Text(u"Name", lang);
}
RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetDescription(int32_t lang)
{
    return Text(u"Description", lang);
}
#ifndef RK_NO_VERSION
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetVersionSupported()
{
    return 9005;
}
#endif
#ifndef RK_BARE
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL CheckRKDVerion(int32_t host)
{
    return host >= 9005 ? -1 : 0;
}
RK_PLUGIN_EXPORT const char *RK_PLUGIN_CALL GetPluginVersion()
{
    return "2.0." RK_LABEL;
}
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetPluginLanguage()
{
    return RK_LANGUAGE;
}
RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetAbout(int32_t lang)
{
    return Text(u"About", lang);
}
#endif
#ifdef RK_CONFIG
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL CanConfig()
{
    return -1;
}
RK_PLUGIN_EXPORT void RK_PLUGIN_CALL Configure(int32_t lang, void *)
{
    if (const char *path = std::getenv("RK_TEST_CONFIGURE_FILE")) {
        if (FILE *file = std::fopen(path, "w")) {
            std::fprintf(file, "%d", static_cast<int>(lang));
            std::fclose(file);
        }
    }
}
#endif
}
