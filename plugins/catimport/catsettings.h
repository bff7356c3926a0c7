#pragma once

#include <cstdint>
#include <string>

#include "codepages.h"

// The importer's one setting, the code page of binary catalogs, kept in its own file in
// the user's configuration folder (catimport.conf, "codepage=" and a number from 1250 to
// 1258).
std::string CatSettingsPath();
// The code page binary catalogs are read in: the saved one, Western European (1252) when
// there is no readable setting.
const TCodePage &ChosenCodePage();
bool SaveCodePage(const TCodePage &page);

// Lets the user choose: kdialog or zenity attached to `ownerWindow` (an X11 window id, 0
// for none) when either is on PATH, else the settings file opened with xdg-open.
void ConfigureCodePage(int32_t lang, uintptr_t ownerWindow);
