// Plug-ins for the version handshake: RK_VERSION_SUPPORTED is their answer, and with
// RK_CHECK_HOST they export CheckRKDVerion accepting hosts of at least that number.
// Without RK_COMPLETE they lack GetDescription, so they are no plug-in at all.
#include "plugin_api/importu.h"

extern "C" {

RK_PLUGIN_EXPORT int16_t RK_PLUGIN_CALL GetType()
{
    return RK_PLUGIN_MOVIE_INFO;
}
RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetName(int32_t lang)
{
    return lang == RK_LANG_GERMAN ? u"Versionstest" : u"Version test";
}
#ifdef RK_COMPLETE
RK_PLUGIN_EXPORT const char16_t *RK_PLUGIN_CALL GetDescription(int32_t)
{
    return u"Answers the handshake";
}
#endif
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetVersionSupported()
{
    return RK_VERSION_SUPPORTED;
}
#ifdef RK_CHECK_HOST
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL CheckRKDVerion(int32_t host)
{
    return host >= RK_CHECK_HOST ? -1 : 0;
}
#endif
RK_PLUGIN_EXPORT const char *RK_PLUGIN_CALL GetPluginVersion()
{
    return "1.2.3";
}
RK_PLUGIN_EXPORT int32_t RK_PLUGIN_CALL GetPluginLanguage()
{
    return RK_LANG_GERMAN;
}
}
