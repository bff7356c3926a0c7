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

enum class TDerivation { Number, Letter, List, Single, Rating, Date, Birthday, None };

TDerivation MovieDerivation(int field)
{
    switch (field) {
    case 0:
    case 3:
        return TDerivation::Number;
    case 1:
    case 2:
        return TDerivation::Letter;
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
    case 10:
    case 12:
    case 14:
    case 18:
    case 22:
        return TDerivation::List;
    case 11:
    case 13:
    case 15:
    case 16:
    case 17:
    case 19:
        return TDerivation::Single;
    case 20:
    case 21:
        return TDerivation::Rating;
    case 23:
        return TDerivation::Date;
    default:
        return TDerivation::None;
    }
}

TDerivation PersonDerivation(int field)
{
    switch (field) {
    case 0:
    case 1:
        return TDerivation::Letter;
    case 2:
        return TDerivation::Birthday;
    case 3:
    case 4:
        return TDerivation::List;
    case 5:
        return TDerivation::Rating;
    default:
        return TDerivation::None;
    }
}

TDerivation DerivationOf(bool people, int field)
{
    return people ? PersonDerivation(field) : MovieDerivation(field);
}

// The text a movie field derives from; numbers, ratings and dates are read elsewhere.
QString MovieText(const TBaseMovie &movie, int field)
{
    switch (field) {
    case 1:
        return movie.DisplayTitle();
    case 2:
        return movie.Origtitle();
    case 4:
        return movie.Genre();
    case 5:
        return movie.Director();
    case 6:
        return movie.Producer();
    case 7:
        return movie.Scenario();
    case 8:
        return movie.Actors();
    case 9:
        return movie.Country();
    case 10:
        return movie.Studio();
    case 11:
        return movie.Release();
    case 12:
        return movie.Tags();
    case 13:
        return movie.Rip();
    case 14:
        return movie.Langs();
    case 15:
        return movie.Translation();
    case 16:
        return movie.Type();
    case 17:
        return movie.Resolution();
    case 18:
        return movie.Subs();
    case 19:
        return movie.Loan();
    case 22:
        return movie.Label();
    default:
        return {};
    }
}

QString PersonText(const TActor &person, int field)
{
    switch (field) {
    case 0:
        return person.Name();
    case 1:
        return person.Transname();
    case 3:
        return person.Genre();
    case 4:
        return person.Category();
    default:
        return {};
    }
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

// Movies have two ratings: field 20 is the IMDB one.
double RatingOf(const TDBItem &record, int field)
{
    if (record.Kind() != TRecordKind::Person && field == 20)
        return static_cast<const TBaseMovie &>(record).Imdbrating();
    return record.Rating();
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
    return DerivationOf(people, field) == TDerivation::Letter;
}

bool IsRatingField(bool people, int field)
{
    return DerivationOf(people, field) == TDerivation::Rating;
}

// Numbers, ratings and birthdays always yield a value; should one yield none, it falls back
// to the value of "not set".
QString FallbackValue(bool people, int field)
{
    const TDerivation derivation = DerivationOf(people, field);
    const bool zero = derivation == TDerivation::Rating || derivation == TDerivation::Birthday
                      || (!people && field == 3);
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
    const bool people = record.Kind() == TRecordKind::Person;
    switch (DerivationOf(people, field)) {
    case TDerivation::Number: {
        const auto &movie = static_cast<const TBaseMovie &>(record);
        return {QString::number(field == 0 ? movie.Num() : movie.Year())};
    }
    case TDerivation::Letter:
        return {people ? LetterOf(PersonText(static_cast<const TActor &>(record), field))
                       : LetterOf(MovieText(static_cast<const TBaseMovie &>(record), field))};
    case TDerivation::List:
        return SplitList(people ? PersonText(static_cast<const TActor &>(record), field)
                                : MovieText(static_cast<const TBaseMovie &>(record), field));
    case TDerivation::Single:
        return {MovieText(static_cast<const TBaseMovie &>(record), field)};
    case TDerivation::Rating:
        return {RatingBucket(RatingOf(record, field))};
    case TDerivation::Date: {
        const double added = static_cast<const TBaseMovie &>(record).Dateadded();
        return {added == 0 ? u"0"_s : ShortDateText(added)};
    }
    case TDerivation::Birthday:
        return {ShortDateText(static_cast<const TActor &>(record).Birthday())};
    case TDerivation::None:
        break;
    }
    return {};
}

bool BelongsToGroup(const TDBItem &record, int field, const QString &value)
{
    const bool people = record.Kind() == TRecordKind::Person;
    switch (DerivationOf(people, field)) {
    case TDerivation::Number: {
        const auto &movie = static_cast<const TBaseMovie &>(record);
        return field == 0 ? BelongsByNumber(movie.Num(), value, -1)
                          : BelongsByNumber(movie.Year(), value, 0);
    }
    case TDerivation::Letter:
        return BelongsByLetter(people ? PersonText(static_cast<const TActor &>(record), field)
                                      : MovieText(static_cast<const TBaseMovie &>(record), field),
                               value);
    case TDerivation::List:
        return BelongsByList(people ? PersonText(static_cast<const TActor &>(record), field)
                                    : MovieText(static_cast<const TBaseMovie &>(record), field),
                             value);
    case TDerivation::Single:
        return MovieText(static_cast<const TBaseMovie &>(record), field)
                   .compare(value, Qt::CaseInsensitive)
               == 0;
    case TDerivation::Rating:
        return BelongsByRating(RatingOf(record, field), value);
    case TDerivation::Date: {
        const double added = static_cast<const TBaseMovie &>(record).Dateadded();
        return (value == u"0"_s && added == 0) || value == ShortDateText(added);
    }
    case TDerivation::Birthday: {
        const double birthday = static_cast<const TActor &>(record).Birthday();
        const std::optional<double> day = ParseShortDate(value);
        // Compared by day: the group's text carries no time of day.
        return day ? *day == DayOf(birthday) : birthday == 0;
    }
    case TDerivation::None:
        break;
    }
    return false;
}

TGrouping::TGrouping(TListModel &model, bool people)
    : m_model(model)
    , m_people(people)
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
