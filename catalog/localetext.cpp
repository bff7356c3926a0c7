#include "catalog/localetext.h"

#include <cmath>

#include <QDate>
#include <QLocale>
#include <QTime>

#include "catalog/daycount.h"

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 SecondsPerDay = 86400;

// Calls visit(letter, runLength, out) for every run of one format letter outside quotes;
// quoted text and other characters are copied unchanged. The visitor appends what the run
// becomes.
template <typename Visit> QString RewriteFormat(const QString &format, Visit visit)
{
    QString out;
    out.reserve(format.size() + 2);
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == u'\'') {
            quoted = !quoted;
            out.append(c);
            ++i;
            continue;
        }
        if (quoted || !c.isLetter()) {
            out.append(c);
            ++i;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        visit(c, run, out);
        i += run;
    }
    return out;
}

// The short date form with a four-digit year, so dates round-trip whatever their century.
QString ShortDateFormat(const QLocale &locale)
{
    return RewriteFormat(locale.dateFormat(QLocale::ShortFormat),
                         [](QChar c, qsizetype run, QString &out) {
                             out.append(QString(c == u'y' && run == 2 ? 4 : run, c));
                         });
}

// The long time form on a 24-hour clock without zone and AM/PM markers: durations have
// neither.
QString LongTimeFormat(const QLocale &locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    // Where the output stood after the last AM/PM letter: a "p" or "P" right behind it is
    // the rest of that marker ("AP", "ap", "Ap").
    qsizetype afterAmPm = -1;
    QString out = RewriteFormat(format, [&afterAmPm](QChar c, qsizetype run, QString &text) {
        if (c == u't')
            return;
        if (c == u'a' || c == u'A') {
            afterAmPm = text.size();
            return;
        }
        if ((c == u'p' || c == u'P') && afterAmPm == text.size())
            return;
        text.append(QString(run, c == u'h' ? u'H' : c));
    });
    // Removed markers leave their separating blanks behind.
    qsizetype begin = 0;
    qsizetype end = out.size();
    while (begin < end && out[begin].isSpace())
        ++begin;
    while (end > begin && out[end - 1].isSpace())
        --end;
    return out.sliced(begin, end - begin);
}

} // namespace

QString ShortDateText(double days, const QLocale &locale)
{
    const QDate date = DaysToDateTime(days).date();
    if (!date.isValid())
        return {};
    return locale.toString(date, ShortDateFormat(locale));
}

std::optional<double> ParseShortDate(const QString &text, const QLocale &locale)
{
    const QDate date = locale.toDate(text.trimmed(), ShortDateFormat(locale));
    if (!date.isValid())
        return std::nullopt;
    return DateToDays(date);
}

std::optional<double> ParseDateText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    const QLocale locale;
    for (const QDate &date : {QDate::fromString(trimmed, u"yyyy-MM-dd"_s),
                              locale.toDate(trimmed, ShortDateFormat(locale)),
                              locale.toDate(trimmed, QLocale::ShortFormat),
                              locale.toDate(trimmed, QLocale::LongFormat)}) {
        if (date.isValid())
            return DateToDays(date);
    }
    return std::nullopt;
}

QString LongTimeText(double days, const QLocale &locale)
{
    qint64 seconds = 0;
    if (std::isfinite(days) && days > 0) {
        seconds = std::llround((days - std::floor(days)) * SecondsPerDay);
        // A fraction that rounds up to a whole day is the next midnight.
        seconds %= SecondsPerDay;
    }
    const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(seconds * 1000));
    return locale.toString(time, LongTimeFormat(locale));
}

std::optional<double> ParseLongTime(const QString &text, const QLocale &locale)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    QTime time = locale.toTime(trimmed, LongTimeFormat(locale));
    if (!time.isValid())
        time = QLocale::c().toTime(trimmed, u"H:mm:ss"_s);
    if (!time.isValid())
        time = QLocale::c().toTime(trimmed, u"H:mm"_s);
    if (!time.isValid())
        return std::nullopt;
    return time.msecsSinceStartOfDay() / (SecondsPerDay * 1000.0);
}
