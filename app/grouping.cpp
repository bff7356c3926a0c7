#include "app/grouping.h"

#include <algorithm>
#include <optional>

#include "app/listmodel.h"
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

TGroupField GroupFieldOf(bool people, int field)
{
    if (people) {
        const TPersonFieldInfo *info = PersonFieldOfGroup(field);
        return info ? TGroupField{info->Group, nullptr, info} : TGroupField{};
    }
    const TMovieFieldInfo *info = MovieFieldOfGroup(field);
    return info ? TGroupField{info->Group, info, nullptr} : TGroupField{};
}

TGroupRule DerivationOf(bool people, int field)
{
    return GroupFieldOf(people, field).rule;
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

bool IsLetterField(bool people, int field)
{
    return DerivationOf(people, field) == TGroupRule::Letter;
}

bool IsRatingField(bool people, int field)
{
    return DerivationOf(people, field) == TGroupRule::Rating;
}

// Numbers, ratings and birthdays always yield a value; should one yield none, it falls back
// to the value of "not set" (0 for the year, none for the ID).
QString FallbackValue(bool people, int field)
{
    const TGroupField group = GroupFieldOf(people, field);
    const bool zero = group.rule == TGroupRule::Rating || group.rule == TGroupRule::Birthday
                      || (group.rule == TGroupRule::Number && group.movie->OnFailure == 0);
    return zero ? u"0"_s : QString();
}

} // namespace

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
    const TGroupField group = GroupFieldOf(record.Kind() == TRecordKind::Person, field);
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
    const TGroupField group = GroupFieldOf(record.Kind() == TRecordKind::Person, field);
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

TGrouping::TGrouping(TListModel &model)
    : m_model(model)
    , m_people(model.People())
{}

void TGrouping::SetLevels(const QList<int> &levels, bool undefinedGroup)
{
    const int count = m_people ? PeopleGroupFieldCount : MovieGroupFieldCount;
    m_levels.clear();
    for (int field : levels) {
        if (field >= 0 && field < count)
            m_levels.append(field);
    }
    m_undefinedGroup = undefinedGroup;
}

QString TGrouping::Caption(int field, const QString &value) const
{
    if (value.isEmpty())
        return {};
    if (IsLetterField(m_people, field))
        return value == u"0"_s ? u"0 - 9"_s : value;
    if (value == u"0"_s)
        return {};
    if (IsRatingField(m_people, field)) {
        const int bucket = RatingBucketNumber(value);
        return bucket >= 0 ? m_texts.Ratings[size_t(bucket)] : value;
    }
    return value;
}

void TGrouping::BuildGroups(const QList<const TDBItem *> &records)
{
    if (m_levels.isEmpty())
        return;
    BuildLevel(Bucketed(records, 0), nullptr, 0, nullptr);
}

QList<TViewNode *> TGrouping::ParentsFor(const TDBItem &record)
{
    if (m_levels.isEmpty())
        return {nullptr};
    QList<TViewNode *> answers;
    Descend(record, nullptr, 0, answers);
    return answers;
}

TGrouping::TLevelValues TGrouping::Bucketed(const QList<const TDBItem *> &records, int level) const
{
    TLevelValues result;
    for (qsizetype i = records.size() - 1; i >= 0; --i) {
        for (const QString &value : ValuesAt(*records[i], level)) {
            const QString key = value.toCaseFolded();
            auto it = result.records.find(key);
            if (it == result.records.end()) {
                result.values.append(value);
                it = result.records.insert(key, {});
            }
            it->append(records[i]);
        }
    }
    // Collected last-first; the next level walks them from the last again.
    for (auto &bucket : result.records)
        std::reverse(bucket.begin(), bucket.end());
    return result;
}

QStringList TGrouping::ValuesAt(const TDBItem &record, int level) const
{
    const int field = m_levels[level];
    QStringList values = GroupValues(record, field);
    if (values.isEmpty())
        return {FallbackValue(m_people, field)};
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

TViewNode *TGrouping::MakeGroupNode(TViewNode *parent, int field, const QString &value)
{
    QString caption = Caption(field, value);
    if (caption.isEmpty()) {
        if (!m_undefinedGroup)
            return nullptr;
        caption = m_texts.Undefined;
    }
    return m_model.AddGroupNode(parent, caption, value);
}

void TGrouping::BuildLevel(const TLevelValues &values,
                           TViewNode *parent,
                           int level,
                           QList<TViewNode *> *leaves)
{
    const int field = m_levels[level];
    const bool deeper = level + 1 < m_levels.size();
    for (const QString &value : values.values) {
        TViewNode *node = MakeGroupNode(parent, field, value);
        // Without an undefined group the records of the value sit right under the parent,
        // and no deeper groups are made for them.
        if (!node) {
            if (leaves)
                leaves->append(parent);
            continue;
        }
        const qsizetype leavesBefore = leaves ? leaves->size() : 0;
        if (deeper) {
            QList<const TDBItem *> selected;
            for (const TDBItem *record : values.records.value(value.toCaseFolded())) {
                if (BelongsToGroup(*record, field, value))
                    selected.append(record);
            }
            BuildLevel(Bucketed(selected, level + 1), node, level + 1, leaves);
        }
        if (leaves && leaves->size() == leavesBefore)
            leaves->append(node);
    }
}

void TGrouping::Descend(const TDBItem &record,
                        TViewNode *parent,
                        int level,
                        QList<TViewNode *> &answers)
{
    if (level == m_levels.size()) {
        answers.append(parent);
        return;
    }
    for (const QString &value : ValuesAt(record, level)) {
        if (TViewNode *node = m_model.FindGroupChild(parent, value)) {
            Descend(record, node, level + 1, answers);
            continue;
        }
        TLevelValues single;
        single.values = {value};
        single.records.insert(value.toCaseFolded(), {&record});
        BuildLevel(single, parent, level, &answers);
    }
}
