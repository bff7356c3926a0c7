#include "logic/filters.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QLocale>

#include "catalog/actor.h"
#include "catalog/ansi.h"
#include "catalog/basemovie.h"
#include "catalog/dbitem.h"
#include "catalog/localetext.h"
#include "catalog/moviefields.h"
#include "catalog/personfields.h"
#include "catalog/platform/volumeinfo.h"
#include "catalog/textutils.h"
#include "host/webtext.h"

using namespace Qt::StringLiterals;

namespace {

std::optional<double> ReadBound(const QString &text, TSearchKind kind, const QLocale &locale)
{
    bool ok = false;
    switch (kind) {
    case TSearchKind::Integer: {
        const int value = text.toInt(&ok);
        return ok ? std::optional<double>(value) : std::nullopt;
    }
    case TSearchKind::Number: {
        double value = locale.toDouble(text, &ok);
        // Ratings are often typed with a point whatever the locale says.
        if (!ok)
            value = QLocale::c().toDouble(text, &ok);
        if (!ok || !std::isfinite(value))
            return std::nullopt;
        return value;
    }
    case TSearchKind::Date:
        return ParseShortDate(text, locale);
    default:
        return std::nullopt;
    }
}

bool InRange(double value, const TRange &range)
{
    return range.Lower <= value && value <= range.Upper;
}

// A date-time's day: day counts keep the time as a fraction that counts forward from
// midnight also before day 0, so the day is the truncated count, not its floor.
double WholeDay(double days)
{
    return std::trunc(days);
}

// `text` is folded by MakeTest; accents and case of the field do not count.
bool Contains(const QString &field, const QString &text)
{
    return SearchContains(field, text);
}

// The kind of search a field's type makes.
TSearchKind KindOfType(TFieldType type)
{
    switch (type) {
    case TFieldType::Text:
        return TSearchKind::Text;
    case TFieldType::Int:
    case TFieldType::BigInt:
        return TSearchKind::Integer;
    case TFieldType::Rating:
    case TFieldType::Float:
        return TSearchKind::Number;
    case TFieldType::Date:
        return TSearchKind::Date;
    case TFieldType::Time:
    case TFieldType::Flag:
        break;
    }
    return TSearchKind::None;
}

// What a number or date search compares: dates by their day.
template <typename TInfo, typename TRecord>
double SearchValue(const TInfo *field, const TRecord &record)
{
    if (!field)
        return 0;
    const double value = field->Value(record).toDouble();
    return field->Type == TFieldType::Date ? WholeDay(value) : value;
}

// The text a text field of a record searches in; never null for a text search field.
template <typename TInfo, typename TRecord>
const QString &SearchText(const TInfo *field, const TRecord &record)
{
    static const QString none;
    const QString *text = field ? field->TextRef(record) : nullptr;
    return text ? *text : none;
}

TFilter::TTest MakeTest(int field, TSearchKind kind, const QString &text)
{
    TFilter::TTest test{field, kind, kind == TSearchKind::Text ? SearchFolded(text) : text, {}};
    if (kind == TSearchKind::Integer || kind == TSearchKind::Number || kind == TSearchKind::Date)
        test.Range = ParseRange(text, kind);
    return test;
}

bool MovieTestMatches(const TBaseMovie &movie, const TFilter::TTest &test)
{
    switch (test.Kind) {
    case TSearchKind::Text:
        // Fields 0 and 1 search the titles together.
        if (test.Field == 0) {
            return Contains(movie.DisplayTitleRef(), test.Text)
                   || Contains(movie.Origtitle(), test.Text) || Contains(movie.Aka(), test.Text);
        }
        if (test.Field == 1)
            return Contains(movie.DisplayTitleRef(), test.Text)
                   || Contains(movie.Origtitle(), test.Text);
        return Contains(SearchText(MovieFieldOfSearch(test.Field), movie), test.Text);
    case TSearchKind::Integer:
    case TSearchKind::Number:
    case TSearchKind::Date:
        return InRange(SearchValue(MovieFieldOfSearch(test.Field), movie), test.Range);
    default:
        // No field (or one out of range) restricts nothing; field 31 is handled by callers.
        return true;
    }
}

bool PersonTestMatches(const TActor &person, const TFilter::TTest &test)
{
    switch (test.Kind) {
    case TSearchKind::Text:
        if (test.Field == 0) {
            return Contains(person.Name(), test.Text) || Contains(person.Transname(), test.Text)
                   || Contains(person.Altnames(), test.Text);
        }
        if (test.Field == 1)
            return Contains(person.Name(), test.Text) || Contains(person.Transname(), test.Text);
        return Contains(SearchText(PersonFieldOfSearch(test.Field), person), test.Text);
    case TSearchKind::Integer:
    case TSearchKind::Number:
    case TSearchKind::Date:
        return InRange(SearchValue(PersonFieldOfSearch(test.Field), person), test.Range);
    default:
        return true;
    }
}

// The last non-empty entry of a "|"-separated file list, trimmed.
QString LastFile(const QString &path)
{
    QStringView rest(path);
    while (!rest.isEmpty()) {
        const qsizetype bar = rest.lastIndexOf(u'|');
        const QStringView entry = rest.sliced(bar + 1).trimmed();
        if (!entry.isEmpty())
            return entry.toString();
        if (bar < 0)
            break;
        rest.truncate(bar);
    }
    return {};
}

bool IsNetworkName(const QString &file)
{
    return file.startsWith("//"_L1) || file.startsWith("\\\\"_L1);
}

int KindOnDrive(TDriveType drive, const QString &file)
{
    switch (drive) {
    case TDriveType::Removable:
    case TDriveType::Remote:
        // Absent discs and unreachable shares still count: the medium is what is asked.
        return 2;
    case TDriveType::Fixed:
        return FileExistsQuiet(file) ? 1 : 0;
    case TDriveType::NotFound:
        break;
    }
    return 0;
}

bool PassesFlag(int filter, bool flag)
{
    return !(filter == 1 && !flag) && !(filter == 2 && flag);
}

} // namespace

TSearchKind MovieFieldKind(int field)
{
    if (const TMovieFieldInfo *info = MovieFieldOfSearch(field))
        return KindOfType(info->Type);
    if (field == AdvancedSearchField)
        return TSearchKind::Advanced;
    // The title searches 0 and 1.
    return field >= 0 && field < AdvancedSearchField ? TSearchKind::Text : TSearchKind::None;
}

TSearchKind PeopleFieldKind(int field)
{
    if (const TPersonFieldInfo *info = PersonFieldOfSearch(field))
        return KindOfType(info->Type);
    // The name searches 0 and 1.
    return field >= 0 && field < PeopleSearchFieldCount ? TSearchKind::Text : TSearchKind::None;
}

TRange ParseRange(const QString &text, TSearchKind kind, const QLocale &locale)
{
    const qsizetype dash = text.indexOf(u'-');
    const QString lowerText = (dash < 0 ? text : text.left(dash)).trimmed();
    const QString upperText = dash < 0 ? lowerText : text.mid(dash + 1).trimmed();
    const std::optional<double> lower = ReadBound(lowerText, kind, locale);
    const std::optional<double> upper = ReadBound(upperText, kind, locale);
    if (!lower || !upper)
        return {};
    return {*lower, *upper};
}

int MediaKind(const TBaseMovie &movie)
{
    const QString file = LastFile(movie.Path());
    if (file.isEmpty())
        return 0;
    if (IsNetworkName(file))
        return 2;
    return KindOnDrive(CurrentVolumeInfo().DriveKind(file), file);
}

bool MovieFieldMatches(const TBaseMovie &movie,
                       int field,
                       const QString &text,
                       const TFilterState &state)
{
    if (field != AdvancedSearchField)
        return MovieTestMatches(movie, MakeTest(field, MovieFieldKind(field), text));
    const qsizetype count = std::min<qsizetype>(state.Criteria.size(), CriterionCount);
    for (qsizetype i = 0; i < count; ++i) {
        const QString &criterion = state.Criteria.at(i);
        if (criterion.isEmpty())
            continue;
        const int criterionField = FirstCriterionField + static_cast<int>(i);
        if (!MovieTestMatches(movie,
                              MakeTest(criterionField, MovieFieldKind(criterionField), criterion)))
            return false;
    }
    return true;
}

bool PersonFieldMatches(const TActor &person, int field, const QString &text)
{
    return PersonTestMatches(person, MakeTest(field, PeopleFieldKind(field), text));
}

bool MoviePasses(const TBaseMovie &movie, const TFilterState &state)
{
    return TFilter(state).MoviePasses(movie);
}

bool PersonPasses(const TActor &person, const TFilterState &state)
{
    return TFilter(state).PersonPasses(person);
}

bool RecordPasses(const TDBItem &record, const TFilterState &state)
{
    return TFilter(state).Passes(record);
}

bool FilterNarrows(const TFilterState &before, const TFilterState &after, TRecordKind kind)
{
    // Drives come and go between two passes, so a media filter is always asked again.
    if (before.Seen != after.Seen || before.Wish != after.Wish || before.Loan != after.Loan
        || before.Media != 0 || after.Media != 0 || before.MovieBookmark != after.MovieBookmark
        || before.PeopleBookmark != after.PeopleBookmark || before.Criteria != after.Criteria) {
        return false;
    }
    const bool people = kind == TRecordKind::Person;
    const int field = people ? before.PeopleField : before.MovieField;
    if (field != (people ? after.PeopleField : after.MovieField) || field == AdvancedSearchField)
        return false;
    if (before.Text.isEmpty())
        return true;
    // A text found contains every part of the needle it was found with.
    const TSearchKind searchKind = people ? PeopleFieldKind(field) : MovieFieldKind(field);
    return searchKind == TSearchKind::Text
           && SearchFolded(after.Text).contains(SearchFolded(before.Text));
}

TFilter::TFilter(const TFilterState &state)
    : m_seen(state.Seen)
    , m_wish(state.Wish)
    , m_loan(state.Loan)
    , m_media(state.Media)
    , m_movieBookmark(state.MovieBookmark)
    , m_peopleBookmark(state.PeopleBookmark)
    , m_movieSearchAll(state.Text.isEmpty() && state.MovieField != AdvancedSearchField)
    , m_peopleSearchAll(state.Text.isEmpty())
{
    // Only the tests that can run are prepared: a range is read once here, not per record.
    if (state.MovieField == AdvancedSearchField) {
        m_movieTest.Field = AdvancedSearchField;
        m_movieTest.Kind = TSearchKind::Advanced;
        const qsizetype count = std::min<qsizetype>(state.Criteria.size(), CriterionCount);
        for (qsizetype i = 0; i < count; ++i) {
            const QString &criterion = state.Criteria.at(i);
            if (criterion.isEmpty())
                continue;
            const int field = FirstCriterionField + static_cast<int>(i);
            m_criteria[m_criterionCount++] = MakeTest(field, MovieFieldKind(field), criterion);
        }
    } else if (!m_movieSearchAll) {
        m_movieTest = MakeTest(state.MovieField, MovieFieldKind(state.MovieField), state.Text);
    }
    if (!m_peopleSearchAll)
        m_personTest = MakeTest(state.PeopleField, PeopleFieldKind(state.PeopleField), state.Text);
}

bool TFilter::Passes(const TDBItem &record) const
{
    // A record just added and not yet filled in stays visible while the user edits it.
    if (record.IsEmpty())
        return true;
    if (record.Kind() == TRecordKind::Person)
        return PersonPasses(static_cast<const TActor &>(record));
    return MoviePasses(static_cast<const TBaseMovie &>(record));
}

bool TFilter::MoviePasses(const TBaseMovie &movie) const
{
    if (!PassesFlag(m_seen, !movie.Viewed()))
        return false;
    if (!PassesFlag(m_loan, !movie.Loan().isEmpty()))
        return false;
    if ((m_media == 1 || m_media == 2) && MediaKindOf(movie) != m_media)
        return false;
    if (!PassesFlag(m_movieBookmark, movie.Bookmark()))
        return false;
    if (!PassesFlag(m_wish, !movie.Wish()))
        return false;
    if (m_movieSearchAll)
        return true;
    if (m_movieTest.Kind != TSearchKind::Advanced)
        return MovieTestMatches(movie, m_movieTest);
    for (int i = 0; i < m_criterionCount; ++i) {
        if (!MovieTestMatches(movie, m_criteria[i]))
            return false;
    }
    return true;
}

bool TFilter::PersonPasses(const TActor &person) const
{
    if (!PassesFlag(m_peopleBookmark, person.Bookmark()))
        return false;
    return m_peopleSearchAll || PersonTestMatches(person, m_personTest);
}

int TFilter::MediaKindOf(const TBaseMovie &movie) const
{
    const QString file = LastFile(movie.Path());
    if (file.isEmpty())
        return 0;
    if (IsNetworkName(file))
        return 2;
    // Asking the system for a drive reads the mount table; movies mostly share a few
    // folders, so each folder is asked once per re-apply.
    const qsizetype slash = file.lastIndexOf(u'/');
    const QString folder = slash < 0 ? file : file.left(slash + 1);
    auto it = m_folderDrives.constFind(folder);
    if (it == m_folderDrives.cend())
        it = m_folderDrives.insert(folder, static_cast<int>(CurrentVolumeInfo().DriveKind(file)));
    return KindOnDrive(static_cast<TDriveType>(*it), file);
}

QString WebSearchAddress(const QString &urlTemplate, const QString &text)
{
    if (urlTemplate.isEmpty())
        return {};
    QString address = urlTemplate;
    if (urlTemplate.size() > 2 && urlTemplate.endsWith("%u"_L1, Qt::CaseInsensitive)) {
        address.replace("%s"_L1, text);
        address.chop(2);
        return address;
    }
    return address.replace("%s"_L1, QString::fromLatin1(EncodeUrlText(ToAnsi(text))));
}
