#pragma once

#include <QString>

// The program's version as written into catalogs and settings and sent to plug-ins.
inline constexpr char16_t ProgramVersionText[] = u"0.9.6";
inline constexpr int ProgramVersionNumber = 9006;

// A dotted version text as an integer: the first group unchanged, every later group as
// three digits ("0.9.6" is 9006, "1.2.10" is 1002010). 0 when the text is no version.
int VersionNumber(const QString &text);
