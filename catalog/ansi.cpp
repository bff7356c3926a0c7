#include "catalog/ansi.h"

#include "plugin_api/ansi1252.h"

char16_t AnsiToUnicode(uchar byte)
{
    return RkAnsiToUnicode(byte);
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
        out.append(c.isSurrogate() ? '?' : RkUnicodeToAnsi(c.unicode()));
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
