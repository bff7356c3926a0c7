#pragma once

// Settings files up to version 9004 (0.9.4) numbered list items, columns and colours
// differently. Each converter takes the version number of the settings file being read;
// for a newer file it returns its input unchanged.

// The last settings version with the old numbering.
constexpr int LastOldSettingsVersion = 9004;

// Current index → the index an old file stored it under; -1 when the old file has no
// such setting (also for a negative index).
int OldItemIndex(int index, int settingsVersion);
int OldColumnIndex(int index, int settingsVersion);
int OldColorIndex(int index, int settingsVersion);

// The column count as an old file stored it (the old files counted more columns).
int OldColumnCount(int count, int settingsVersion);

// Old column index → current index; -1 for a negative index.
int NewColumnIndex(int index, int settingsVersion);
