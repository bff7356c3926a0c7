#include <limits>
#include <optional>

#include "catalog/fieldcodec_p.h"

namespace FieldCodec {

namespace {

// The value of an optional '-' and one to eighteen ASCII digits, the form the catalog
// writes every number in; nothing for any other text, which Qt's conversion then reads.
// Qt's conversion copies the text to bytes first, and a load converts about a million
// numbers.
std::optional<qint64> PlainDecimal(QStringView text)
{
    const bool negative = !text.isEmpty() && text.front() == u'-';
    const QStringView digits = negative ? text.sliced(1) : text;
    if (digits.isEmpty() || digits.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return negative ? -value : value;
}

} // namespace

int ParseInt(const QString &value, int onFailure)
{
    if (const std::optional<qint64> plain = PlainDecimal(value)) {
        const bool fits =
            *plain >= std::numeric_limits<int>::min() && *plain <= std::numeric_limits<int>::max();
        return fits ? int(*plain) : onFailure;
    }
    bool ok = false;
    const int result = value.toInt(&ok);
    return ok ? result : onFailure;
}

qint64 ParseInt64(const QString &value, qint64 onFailure)
{
    if (const std::optional<qint64> plain = PlainDecimal(value))
        return *plain;
    bool ok = false;
    const qint64 result = value.toLongLong(&ok);
    return ok ? result : onFailure;
}

double ParseFloat(const QString &value)
{
    return TextToFloat(value).value_or(0.0);
}

bool ParseFlag(const QString &value, bool onFailure)
{
    if (const std::optional<qint64> plain = PlainDecimal(value))
        return *plain != 0;
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    if (ok)
        return number != 0;
    if (value.compare(u"true", Qt::CaseInsensitive) == 0)
        return true;
    if (value.compare(u"false", Qt::CaseInsensitive) == 0)
        return false;
    return onFailure;
}

QString BytesToHex(const QByteArray &bytes)
{
    static constexpr char16_t digits[] = u"0123456789ABCDEF";
    QString out(bytes.size() * 2, Qt::Uninitialized);
    auto *dst = reinterpret_cast<char16_t *>(out.data());
    for (const char c : bytes) {
        const auto byte = static_cast<uchar>(c);
        *dst++ = digits[byte >> 4];
        *dst++ = digits[byte & 0x0F];
    }
    return out;
}

namespace {

int HexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

} // namespace

QByteArray HexToBytes(const QString &text)
{
    if (text.size() % 2 != 0)
        return {};
    QByteArray out(text.size() / 2, Qt::Uninitialized);
    const char16_t *src = reinterpret_cast<const char16_t *>(text.constData());
    for (qsizetype i = 0; i < out.size(); ++i) {
        const int high = HexValue(src[2 * i]);
        const int low = HexValue(src[2 * i + 1]);
        if (high < 0 || low < 0)
            return {};
        out[i] = static_cast<char>(high << 4 | low);
    }
    return out;
}

} // namespace FieldCodec
