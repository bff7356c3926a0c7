#include "catalog/ansi.h"

namespace {

constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char UnicodeToAnsi(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (int i = 0; i < 32; ++i) {
        if (Cp1252High[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

} // namespace

char16_t AnsiToUnicode(uchar byte)
{
    return byte >= 0x80 && byte < 0xA0 ? Cp1252High[byte - 0x80] : char16_t(byte);
}

QByteArray ToAnsi(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A surrogate pair is one character without a counterpart.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        out.append(c.isSurrogate() ? '?' : UnicodeToAnsi(c.unicode()));
    }
    return out;
}

QString FromAnsi(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    auto *dst = reinterpret_cast<char16_t *>(out.data());
    for (const char byte : bytes)
        *dst++ = AnsiToUnicode(static_cast<uchar>(byte));
    return out;
}
