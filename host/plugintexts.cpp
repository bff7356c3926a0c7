#include "host/plugintexts.h"

using namespace Qt::StringLiterals;

namespace {

QString EnglishText(int number)
{
    switch (number) {
    case PluginTextWarningCaption:
        return u"Warning"_s;
    case PluginTextConfirmCaption:
        return u"Confirm"_s;
    case PluginTextRefusedVersion:
        return u"The plug-in \"%s\" was written for another version of Reelkeep and cannot be "
               u"used."_s;
    case PluginTextUninstallQuestion:
        return u"Do you really want to uninstall this plug-in?"_s;
    case PluginTextSetDefault:
        return u"Set as &default for %s"_s;
    default:
        return {};
    }
}

} // namespace

QString PluginText(const TPluginTextSource &source, int number)
{
    QString text = source ? source(number) : QString();
    return text.isEmpty() ? EnglishText(number) : text;
}

QString PluginText(const TPluginTextSource &source, int number, const QString &argument)
{
    QString text = PluginText(source, number);
    // The language table numbers its places ("%1"); the built-in texts use "%s".
    qsizetype at = text.indexOf(u"%s"_s);
    if (at < 0)
        at = text.indexOf(u"%1"_s);
    if (at >= 0)
        text.replace(at, 2, argument);
    return text;
}
