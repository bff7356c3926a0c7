#include "logic/groupvalues.h"

#include <algorithm>
#include <optional>

#include "catalog/actor.h"
#include "catalog/basemovie.h"
#include "catalog/daycount.h"
#include "catalog/localetext.h"
#include "catalog/textutils.h"

using namespace Qt::StringLiterals;

namespace {

// A grouping field of either kind, reduced to what deriving values needs.
struct TGroupField
{
    TGroupRule rule = TGroupRule::None;
    const TMovieFieldInfo *movie = nullptr;
    const TPersonFieldInfo *person = nullptr;
};

TGroupField GroupFieldOf(TRecordKind kind, int field)
{
    if (kind == TRecordKind::Person) {
        const TPersonFieldInfo *info = PersonFieldOfGroup(field);
        return info ? TGroupField{info->Group, nullptr, info} : TGroupField{};
    }
    const TMovieFieldInfo *info = MovieFieldOfGroup(field);
    return info ? TGroupField{info->Group, info, nullptr} : TGroupField{};
}

QVariant ValueOf(const TDBItem &record, const TGroupField &field)
{
    if (field.person)
        return field.person->Value(static_cast<const TActor &>(record));
    return field.movie->Value(static_cast<const TBaseMovie &>(record));
}

// The text a text field derives from (the title's is the display title).
QString TextOf(const TDBItem &record, const TGroupField &field)
{
    return ValueOf(record, field).toString();
}

double NumberOf(const TDBItem &record, const TGroupField &field)
{
    return ValueOf(record, field).toDouble();
}

// The first character as a whole code point; 0 for empty text.
char32_t FirstCodePoint(const QString &text)
{
    if (text.isEmpty())
        return 0;
    if (text.size() > 1 && text[0].isHighSurrogate() && text[1].isLowSurrogate())
        return QChar::surrogateToUcs4(text[0], text[1]);
    return text[0].unicode();
}

QString LetterOf(const QString &text)
{
    if (text.isEmpty())
        return {};
    const char32_t first = FirstCodePoint(text);
    if (QChar::isDigit(first))
        return u"0"_s;
    const char32_t upper = QChar::toUpper(first);
    return QString::fromUcs4(&upper, 1);
}

bool BelongsByLetter(const QString &text, const QString &value)
{
    if (text.isEmpty())
        return value.isEmpty();
    if (value.isEmpty())
        return false;
    if (QChar::isDigit(FirstCodePoint(value)) && QChar::isDigit(FirstCodePoint(text)))
        return true;
    const char32_t upper = QChar::toUpper(FirstCodePoint(text));
    return value == QString::fromUcs4(&upper, 1);
}

// `notSet` is the record's number that a value which is no number stands for.
bool BelongsByNumber(int number, const QString &value, int notSet)
{
    bool ok = false;
    const int wanted = value.toInt(&ok);
    return number == (ok ? wanted : notSet);
}

bool BelongsByList(const QString &text, const QString &value)
{
    const QStringList items = SplitList(text);
    // A record without items yields the empty value, so it belongs there.
    if (items.isEmpty())
        return value.isEmpty();
    return std::any_of(items.begin(), items.end(), [&value](const QString &item) {
        return item.compare(value, Qt::CaseInsensitive) == 0;
    });
}

bool BelongsByRating(double rating, const QString &value)
{
    if (value == u"0"_s)
        return rating == 0;
    return rating > 0 && RatingBucket(rating) == value;
}

// The day of a day count, the time of day dropped, as ShortDateText sees it.
double DayOf(double days)
{
    return DateToDays(DaysToDateTime(days).date());
}

int RatingBucketNumber(const QString &value)
{
    bool ok = false;
    const int bucket = value.toInt(&ok);
    return ok && bucket >= 0 && bucket <= 5 ? bucket : -1;
}

// Episodes group as movies.
TRecordKind KindOf(const TDBItem &record)
{
    return record.Kind() == TRecordKind::Person ? TRecordKind::Person : TRecordKind::Movie;
}

// Numbers, ratings and birthdays always yield a value; should one yield none, it falls back
// to the value of "not set" (0 for the year, none for the ID).
QString FallbackValue(TRecordKind kind, int field)
{
    const TGroupField group = GroupFieldOf(kind, field);
    const bool zero = group.rule == TGroupRule::Rating || group.rule == TGroupRule::Birthday
                      || (group.rule == TGroupRule::Number && group.movie->OnFailure == 0);
    return zero ? u"0"_s : QString();
}

} // namespace

int GroupFieldCount(TRecordKind kind)
{
    return kind == TRecordKind::Person ? PeopleGroupFieldCount : MovieGroupFieldCount;
}

QString RatingBucket(double rating)
{
    if (!(rating > 0))
        return u"0"_s;
    if (rating < 2)
        return u"1"_s;
    if (rating < 4)
        return u"2"_s;
    if (rating < 6)
        return u"3"_s;
    if (rating < 8)
        return u"4"_s;
    return u"5"_s;
}

QStringList GroupValues(const TDBItem &record, int field)
{
    const TGroupField group = GroupFieldOf(KindOf(record), field);
    switch (group.rule) {
    case TGroupRule::Number:
        return {QString::number(ValueOf(record, group).toLongLong())};
    case TGroupRule::Letter:
        return {LetterOf(TextOf(record, group))};
    case TGroupRule::List:
        return SplitList(TextOf(record, group));
    case TGroupRule::Single:
        return {TextOf(record, group)};
    case TGroupRule::Rating:
        return {RatingBucket(NumberOf(record, group))};
    case TGroupRule::Date: {
        const double days = NumberOf(record, group);
        return {days == 0 ? u"0"_s : ShortDateText(days)};
    }
    case TGroupRule::Birthday:
        return {ShortDateText(NumberOf(record, group))};
    case TGroupRule::None:
        break;
    }
    return {};
}

bool BelongsToGroup(const TDBItem &record, int field, const QString &value)
{
    const TGroupField group = GroupFieldOf(KindOf(record), field);
    switch (group.rule) {
    case TGroupRule::Number:
        // A value that is no number stands for the field's "not set".
        return BelongsByNumber(
            int(ValueOf(record, group).toLongLong()), value, group.movie->OnFailure);
    case TGroupRule::Letter:
        return BelongsByLetter(TextOf(record, group), value);
    case TGroupRule::List:
        return BelongsByList(TextOf(record, group), value);
    case TGroupRule::Single:
        return TextOf(record, group).compare(value, Qt::CaseInsensitive) == 0;
    case TGroupRule::Rating:
        return BelongsByRating(NumberOf(record, group), value);
    case TGroupRule::Date: {
        const double days = NumberOf(record, group);
        return (value == u"0"_s && days == 0) || value == ShortDateText(days);
    }
    case TGroupRule::Birthday: {
        const double birthday = NumberOf(record, group);
        const std::optional<double> day = ParseShortDate(value);
        // Compared by day: the group's text carries no time of day.
        return day ? *day == DayOf(birthday) : birthday == 0;
    }
    case TGroupRule::None:
        break;
    }
    return false;
}

bool BelongsByValuesAlone(TRecordKind kind, int field)
{
    const TGroupRule rule = GroupFieldOf(kind, field).rule;
    return rule == TGroupRule::List || rule == TGroupRule::Single;
}

QStringList DistinctGroupValues(const TDBItem &record, int field)
{
    QStringList values = GroupValues(record, field);
    if (values.isEmpty())
        return {FallbackValue(KindOf(record), field)};
    // "Drama, drama" is one group: the record must not get two rows under it.
    for (qsizetype i = values.size() - 1; i > 0; --i) {
        for (qsizetype j = 0; j < i; ++j) {
            if (values[i].compare(values[j], Qt::CaseInsensitive) == 0) {
                values.removeAt(i);
                break;
            }
        }
    }
    return values;
}

QString GroupCaption(TRecordKind kind, int field, const QString &value, const TGroupTexts &texts)
{
    if (value.isEmpty())
        return {};
    const TGroupRule rule = GroupFieldOf(kind, field).rule;
    if (rule == TGroupRule::Letter)
        return value == u"0"_s ? u"0 - 9"_s : value;
    if (value == u"0"_s)
        return {};
    if (rule == TGroupRule::Rating) {
        const int bucket = RatingBucketNumber(value);
        return bucket >= 0 ? texts.Ratings[size_t(bucket)] : value;
    }
    return value;
}
