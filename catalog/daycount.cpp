#include "catalog/daycount.h"

#include <cmath>
#include <limits>

namespace {

constexpr double MsPerDay = 86400000.0;

const QDate &DayZero()
{
    static const QDate zero(1899, 12, 30);
    return zero;
}

// Truncates toward zero and clamps, so absurd inputs cannot overflow the int result.
int TruncToInt(double value)
{
    if (!std::isfinite(value))
        return value > 0 ? std::numeric_limits<int>::max() : 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

double TimeFraction(double days)
{
    return std::fabs(days - std::trunc(days));
}

} // namespace

double DateToDays(QDate date)
{
    return date.isValid() ? static_cast<double>(DayZero().daysTo(date)) : 0.0;
}

double DateTimeToDays(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return 0.0;
    const QDateTime local = dateTime.toLocalTime();
    const double days = static_cast<double>(DayZero().daysTo(local.date()));
    const double fraction = local.time().msecsSinceStartOfDay() / MsPerDay;
    return days >= 0 ? days + fraction : days - fraction;
}

QDateTime DaysToDateTime(double days)
{
    if (!std::isfinite(days) || std::fabs(days) > 1e7)
        return {};
    const double whole = std::trunc(days);
    auto ms = static_cast<int>(std::llround(TimeFraction(days) * MsPerDay));
    QDate date = DayZero().addDays(static_cast<qint64>(whole));
    // Rounding may reach the next midnight.
    if (ms >= static_cast<int>(MsPerDay)) {
        ms = 0;
        date = date.addDays(1);
    }
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(ms));
}

double NowDays()
{
    return DateTimeToDays(QDateTime::currentDateTime());
}

int WholeYearsBetween(double a, double b)
{
    return TruncToInt(std::fabs(a - b) / 365.25);
}

int WholeDaysBetween(double a, double b)
{
    return TruncToInt(std::fabs(a - b));
}

int WholeHoursBetween(double a, double b)
{
    return TruncToInt(std::fabs(a - b) * 24.0);
}

bool SameTimeOfDay(double a, double b)
{
    return std::fabs(TimeFraction(a) - TimeFraction(b)) < 1.0 / MsPerDay;
}
