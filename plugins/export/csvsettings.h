#pragma once

#include <cstdint>
#include <string>

// The CSV export's one setting, the field separator, kept in its own file in the user's
// configuration folder (csvexport.conf, "separator=comma|semicolon|tab").
enum class TCsvSeparator { Comma, Semicolon, Tab };

char SeparatorChar(TCsvSeparator separator);
std::string CsvSettingsPath();
// The saved separator; comma when there is no readable setting.
TCsvSeparator LoadSeparator();
bool SaveSeparator(TCsvSeparator separator);

// Lets the user choose: kdialog or zenity attached to `ownerWindow` (an X11 window id, 0
// for none) when either is on PATH, else the settings file opened with xdg-open.
void ConfigureSeparator(int32_t lang, uintptr_t ownerWindow);
