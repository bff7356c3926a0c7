#pragma once

#include <QByteArray>
#include <QString>

// "ANSI" text: 8-bit text in the one code page the program uses for it everywhere,
// Windows-1252 (plug-in strings, the password key). Linux has no system ANSI code page,
// so it is fixed here.

// Characters without a Windows-1252 byte become "?".
QByteArray ToAnsi(QStringView text);
QString FromAnsi(QByteArrayView bytes);
// One Windows-1252 byte as UTF-16; the five unassigned bytes map to the C1 controls, as
// the Windows conversion does.
char16_t AnsiToUnicode(uchar byte);
