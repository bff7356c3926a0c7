#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>

#include "catalog/daycount.h"
#include "catalog/localetext.h"

using namespace Qt::StringLiterals;

namespace {

constexpr double Second = 1.0 / 86400;

TEST(LocaleText, ShortDateHasAFourDigitYear)
{
    EXPECT_EQ(ShortDateText(0), u"12/30/1899"_s);
    EXPECT_EQ(ShortDateText(DateToDays(QDate(2024, 3, 5))), u"3/5/2024"_s);
    // The time of day does not show; before day zero the date counts back.
    EXPECT_EQ(ShortDateText(DateToDays(QDate(2024, 3, 5)) + 0.75), u"3/5/2024"_s);
    EXPECT_EQ(ShortDateText(-1.25), u"12/29/1899"_s);
    EXPECT_EQ(ShortDateText(DateToDays(QDate(1066, 10, 14))), u"10/14/1066"_s);
    // Day counts no calendar holds give no text.
    EXPECT_EQ(ShortDateText(1e300), QString());
    EXPECT_EQ(ShortDateText(std::numeric_limits<double>::quiet_NaN()), QString());
}

TEST(LocaleText, ShortDateReadsBackItsOwnForm)
{
    for (const QDate date : {QDate(1899, 12, 30), QDate(1889, 4, 16), QDate(2024, 2, 29)}) {
        const double days = DateToDays(date);
        EXPECT_EQ(ParseShortDate(ShortDateText(days)), days) << date.toString().toStdString();
    }
    EXPECT_EQ(ParseShortDate(u" 3/5/2024 "_s), DateToDays(QDate(2024, 3, 5)));
    for (const QString &bad :
         {QString(), u"2/30/2024"_s, u"13/1/2024"_s, u"yesterday"_s, u"2024-03-05"_s}) {
        EXPECT_FALSE(ParseShortDate(bad).has_value()) << bad.toStdString();
    }
}

TEST(LocaleText, LongTimeIsATwentyFourHourDuration)
{
    const double length = (2 * 3600 + 5 * 60 + 9) * Second;
    EXPECT_EQ(LongTimeText(length), u"2:05:09"_s);
    EXPECT_EQ(LongTimeText(0.75), u"18:00:00"_s);
    EXPECT_EQ(LongTimeText(0), u"0:00:00"_s);
    // Whole days drop out; nonsense gives no time.
    EXPECT_EQ(LongTimeText(3 + length), u"2:05:09"_s);
    EXPECT_EQ(LongTimeText(-length), u"0:00:00"_s);
    EXPECT_EQ(LongTimeText(std::numeric_limits<double>::infinity()), u"0:00:00"_s);
    EXPECT_EQ(LongTimeText(std::numeric_limits<double>::quiet_NaN()), u"0:00:00"_s);
}

TEST(LocaleText, LongTimeRoundsToWholeSeconds)
{
    EXPECT_EQ(LongTimeText(0.5 + 0.4 * Second), u"12:00:00"_s);
    EXPECT_EQ(LongTimeText(0.5 + 0.6 * Second), u"12:00:01"_s);
    // Rounding up to a whole day is the next midnight.
    EXPECT_EQ(LongTimeText(1 - 0.4 * Second), u"0:00:00"_s);
    EXPECT_EQ(LongTimeText(1 - 0.6 * Second), u"23:59:59"_s);
}

TEST(LocaleText, LongTimeReadsItsFormAndShortForms)
{
    const double length = (2 * 3600 + 5 * 60 + 9) * Second;
    EXPECT_NEAR(ParseLongTime(u"2:05:09"_s).value_or(-1), length, 1e-12);
    EXPECT_NEAR(ParseLongTime(u"02:05:09"_s).value_or(-1), length, 1e-12);
    EXPECT_NEAR(ParseLongTime(u"2:05"_s).value_or(-1), (2 * 3600 + 5 * 60) * Second, 1e-12);
    EXPECT_EQ(ParseLongTime(u"0:00:00"_s), 0.0);
    EXPECT_NEAR(ParseLongTime(LongTimeText(0.3)).value_or(-1), 0.3, Second);
    for (const QString &bad : {QString(), u"  "_s, u"25:00"_s, u"2:61:00"_s, u"soon"_s}) {
        EXPECT_FALSE(ParseLongTime(bad).has_value()) << bad.toStdString();
    }
}

TEST(LocaleText, GermanFormsFollowTheLocale)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    const double days = DateToDays(QDate(2024, 3, 5));
    EXPECT_EQ(ShortDateText(days, german), u"05.03.2024"_s);
    EXPECT_EQ(ParseShortDate(u"05.03.2024"_s, german), days);
    EXPECT_FALSE(ParseShortDate(u"3/5/2024"_s, german).has_value());

    const double length = (2 * 3600 + 5 * 60 + 9) * Second;
    EXPECT_EQ(LongTimeText(length, german), u"02:05:09"_s);
    EXPECT_NEAR(ParseLongTime(u"02:05:09"_s, german).value_or(-1), length, 1e-12);
    EXPECT_NEAR(ParseLongTime(u"2:05"_s, german).value_or(-1), (2 * 3600 + 5 * 60) * Second, 1e-12);
}

} // namespace
