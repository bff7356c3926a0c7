#pragma once

#include <optional>

#include <QLocale>
#include <QString>

// Dates and times as the user's locale writes them (QLocale's default unless another is
// given). Day counts as in daycount.h.

// The locale's short date with a four-digit year ("12/30/1899" in the United States).
QString ShortDateText(double days, const QLocale &locale = QLocale());
// Reads such a date back; empty when the text is no date in that form.
std::optional<double> ParseShortDate(const QString &text, const QLocale &locale = QLocale());
// A date as a user may type it: ISO "yyyy-MM-dd", the short date above, or the locale's
// own short and long forms. Empty when the text is none of these (blank text included).
std::optional<double> ParseDateText(const QString &text);
// A duration (the time of day of `days`) in the locale's long time form on a 24-hour
// clock, without a zone: "2:05:09".
QString LongTimeText(double days, const QLocale &locale = QLocale());
// Reads a duration written that way, also "H:mm" and "H:mm:ss"; empty when it is none.
std::optional<double> ParseLongTime(const QString &text, const QLocale &locale = QLocale());
