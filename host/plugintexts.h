#pragma once

#include <functional>

#include <QString>

// The numbered user-interface texts the plug-in registry and its preferences page show.
// The translation table answers them; an empty answer (or no source) selects the English
// default, so the host works before and without a language table.
using TPluginTextSource = std::function<QString(int number)>;

enum TPluginTextNumber : int {
    PluginTextWarningCaption = 1801,
    PluginTextConfirmCaption = 1803,
    PluginTextRefusedVersion = 1807, // %s: the library's file name
    PluginTextUninstallQuestion = 1816,
    PluginTextSetDefault = 1873, // %s: the type's display name
};

// The text of that number from `source`, else its English default (empty for numbers this
// module does not use).
QString PluginText(const TPluginTextSource &source, int number);
// The text with its place for `argument` filled: "%s" in the built-in texts, "%1" in the
// translation table.
QString PluginText(const TPluginTextSource &source, int number, const QString &argument);
