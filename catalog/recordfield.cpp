#include "catalog/recordfield.h"

#include <climits>
#include <cmath>

#include <QLocale>

#include "catalog/fieldcodec_p.h"
#include "catalog/localetext.h"

namespace {

// Numbers as the user's locale writes them, without thousands separators (they would not
// read back in a cell editor).
QLocale NumberLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

// A typed number in the user's form, or with a decimal point as a fallback.
std::optional<double> ParseDouble(const QString &text)
{
    bool ok = false;
    const double value = NumberLocale().toDouble(text.trimmed(), &ok);
    if (ok && std::isfinite(value))
        return value;
    const double plain = QLocale::c().toDouble(text.trimmed(), &ok);
    if (ok && std::isfinite(plain))
        return plain;
    return std::nullopt;
}

std::optional<qint64> ParseInteger(const QString &text)
{
    bool ok = false;
    const qint64 value = NumberLocale().toLongLong(text.trimmed(), &ok);
    if (ok)
        return value;
    const qint64 plain = text.trimmed().toLongLong(&ok);
    if (ok)
        return plain;
    return std::nullopt;
}

} // namespace

QString FieldValueText(TFieldType type, const QVariant &value)
{
    switch (type) {
    case TFieldType::Text:
        return value.toString();
    case TFieldType::Int:
    case TFieldType::BigInt:
        return QString::number(value.toLongLong());
    case TFieldType::Rating:
        return NumberLocale().toString(value.toDouble(), 'f', 1);
    case TFieldType::Float:
        return NumberLocale().toString(value.toDouble(), 'g', 15);
    case TFieldType::Date:
        return value.toDouble() > 0 ? ShortDateText(value.toDouble()) : QString();
    case TFieldType::Time:
        return LongTimeText(value.toDouble());
    case TFieldType::Flag:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    }
    return {};
}

std::optional<QVariant> FieldValueFromText(TFieldType type, const QString &text, int fallback)
{
    switch (type) {
    case TFieldType::Text:
        return QVariant(text);
    case TFieldType::Int: {
        const std::optional<qint64> value = ParseInteger(text);
        if (!value || *value < INT_MIN || *value > INT_MAX)
            return QVariant(fallback);
        return QVariant(int(*value));
    }
    case TFieldType::BigInt:
        return QVariant(ParseInteger(text).value_or(fallback));
    case TFieldType::Rating:
    case TFieldType::Float:
        return QVariant(ParseDouble(text).value_or(fallback));
    case TFieldType::Date: {
        if (text.trimmed().isEmpty())
            return QVariant(0.0);
        const std::optional<double> day = ParseDateText(text);
        return day ? std::optional<QVariant>(*day) : std::nullopt;
    }
    case TFieldType::Time:
        return QVariant(ParseLongTime(text).value_or(fallback));
    case TFieldType::Flag:
        return QVariant(FieldCodec::ParseFlag(text.trimmed(), fallback != 0));
    }
    return std::nullopt;
}
