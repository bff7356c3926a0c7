#pragma once

#include <QString>

// The value cipher of password-protected catalogs: every value in the file is the
// Base64 form of the value's UTF-8 bytes XORed with the password's Windows-1252 bytes,
// followed by the value's length. It hides a catalog from a casual reader; it is no
// encryption: the check value carries the password itself. Kept for the catalogs shared
// with programs that only read this scheme.

// An empty value or password gives empty text. The Base64 text has a CR LF after every
// 76 characters.
QString EncryptValue(const QString &value, const QString &password);
// The inverse; characters outside the Base64 alphabet are ignored. Empty text when the
// value is empty, the password is empty, or the bytes do not hold a valid length.
QString DecryptValue(const QString &value, const QString &password);

// Whether the password survives as Windows-1252 bytes; any other character would become
// "?" (and "密码" would open a catalog protected with "??").
bool SimpleCipherAccepts(QStringView password);

// The text the check element of a protected file holds in encrypted form.
inline constexpr char16_t CipherCheckText[] = u"test";
