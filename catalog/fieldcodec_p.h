#pragma once

// How record fields are written to and read from the catalog file.

#include <charconv>
#include <string_view>

#include <QByteArray>
#include <QString>

#include "catalog/tagtext.h"
#include "catalog/textutils.h"

namespace FieldCodec {

// Text elements: escaped, or length-prefixed for the long-text names.
inline void AppendText(TTagWriter &out, const QString &tag, const QString &value)
{
    out.Append(tag, value, true, true, true);
}
// Numbers and flags are written unchanged.
inline void AppendRaw(TTagWriter &out, const QString &tag, const QString &value)
{
    out.Append(tag, value, true, false, true);
}
inline void AppendInt(TTagWriter &out, const QString &tag, qint64 value)
{
    char digits[24];
    const char *end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.AppendAscii(tag, std::string_view(digits, size_t(end - digits)));
}
inline void AppendFloat(TTagWriter &out, const QString &tag, double value)
{
    char text[FloatTextMax];
    out.AppendAscii(tag, std::string_view(text, size_t(FloatToChars(value, text))));
}
inline void AppendFlag(TTagWriter &out, const QString &tag, bool value)
{
    out.AppendAscii(tag, value ? "-1" : "0");
}
// An opening tag with nothing after it on the line.
inline void AppendOpen(TTagWriter &out, const QString &tag)
{
    out.Append(tag, QString(), true, false, false);
}
inline void AppendClose(TTagWriter &out, const QString &tag)
{
    out.Append(tag, QString(), false, false, true);
}

int ParseInt(const QString &value, int onFailure);
qint64 ParseInt64(const QString &value, qint64 onFailure);
// The comma form of the catalog file; 0 when the text does not convert.
double ParseFloat(const QString &value);
// A number (0 false, anything else true) or "True"/"False" in any letter case.
bool ParseFlag(const QString &value, bool onFailure);

// Two upper-case hexadecimal digits per byte.
QString BytesToHex(const QByteArray &bytes);
// Empty on odd length or any character that is not a hexadecimal digit.
QByteArray HexToBytes(const QString &text);

} // namespace FieldCodec
