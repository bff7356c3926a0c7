#pragma once

#include <functional>

#include <QDateTime>

// Date-times are day counts since 1899-12-30 00:00 local time, the time of day as the
// fraction; 0 means "not set". For days before that date the fraction still counts forward
// from midnight (-1.25 is 1899-12-29 06:00).

double DateTimeToDays(const QDateTime &dateTime);
double DateToDays(QDate date);
// An invalid QDateTime for 0 is deliberately not returned: 0 is a valid instant; callers
// that treat 0 as "not set" check for it first.
QDateTime DaysToDateTime(double days);

// The current local date and time as a day count.
double NowDays();
// A source of the current day count (a catalog's clock; tests give a fixed one).
using TDayClock = std::function<double()>;

int WholeYearsBetween(double a, double b);
int WholeDaysBetween(double a, double b);
int WholeHoursBetween(double a, double b);
// True when the time-of-day parts differ by less than one millisecond.
bool SameTimeOfDay(double a, double b);
