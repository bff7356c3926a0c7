#pragma once

#include <array>

#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringList>

#include "catalog/moviefields.h"
#include "catalog/personfields.h"

class TActor;
class TBaseMovie;
class TDBItem;
enum class TRecordKind;

// Search fields of the movie list: -1 none, 0 and 1 the titles together, 2..30 the
// SearchField numbers of the field table, 31 the advanced criteria
// (MovieSearchFieldCount in all). People: -1 none, 0 and 1 the names together, 2..13 fields.
constexpr int AdvancedSearchField = 31;
// The advanced criteria are held for the movie search fields 2..30.
constexpr int FirstCriterionField = 2;
constexpr int CriterionCount = 29;

// What the filter bar and the View menu narrow the lists to. Not stored between runs.
struct TFilterState
{
    int Seen = 0;          // 0 all, 1 not seen, 2 seen
    int Wish = 0;          // 0 all, 1 owned only, 2 wished only
    int Loan = 0;          // 0 all, 1 lent only, 2 not lent only
    int Media = 0;         // 0 all, 1 on hard drives, 2 on removable drives
    int MovieBookmark = 0; // 0 all, 1 bookmarked only, 2 not bookmarked only
    int PeopleBookmark = 0;
    int MovieField = 0;
    int PeopleField = 1;
    QString Text;                                       // shared by both kinds
    QStringList Criteria = QStringList(CriterionCount); // fields 2..30, index field - 2
};

// How a search field compares.
enum class TSearchKind { None, Text, Integer, Number, Date, Advanced };
TSearchKind MovieFieldKind(int field);
TSearchKind PeopleFieldKind(int field);

// A range text: "a - b" (split at the first "-", both parts trimmed) or one value for both
// bounds. A bound that cannot be read makes both bounds 0. Dates are read in the short date
// form of the locale and give whole day counts.
struct TRange
{
    double Lower = 0;
    double Upper = 0;
};
TRange ParseRange(const QString &text, TSearchKind kind, const QLocale &locale = QLocale());

// 0 unknown, 1 on a hard drive, 2 on a removable (or network) drive: decided by the last
// file of the movie's path.
int MediaKind(const TBaseMovie &movie);

// Whether one search field of a movie or person matches a search text.
bool MovieFieldMatches(const TBaseMovie &movie,
                       int field,
                       const QString &text,
                       const TFilterState &state);
bool PersonFieldMatches(const TActor &person, int field, const QString &text);

// The whole filter test of a movie (or episode) and of a person.
bool MoviePasses(const TBaseMovie &movie, const TFilterState &state);
bool PersonPasses(const TActor &person, const TFilterState &state);
// Either, by the record's kind; an empty record (IsEmpty) always passes.
bool RecordPasses(const TDBItem &record, const TFilterState &state);
// Whether every record of the kind that fails `before` fails `after` too (the search text
// typed on, nothing else changed), so that only the records `before` passed need a test.
bool FilterNarrows(const TFilterState &before, const TFilterState &after, TRecordKind kind);

// The filter state prepared for testing many records: range texts are read once and
// unused criteria dropped, so a re-apply over the whole catalog does no per-record parsing.
// Gives the same answers as the free functions above for the state it was made from.
// Not thread-safe: it asks the drive kind once per folder and remembers it while it lives,
// so make one per re-apply.
class TFilter
{
public:
    explicit TFilter(const TFilterState &state);

    bool Passes(const TDBItem &record) const;
    bool MoviePasses(const TBaseMovie &movie) const;
    bool PersonPasses(const TActor &person) const;

    // One search field with its text, prepared.
    struct TTest
    {
        int Field = -1;
        TSearchKind Kind = TSearchKind::None;
        QString Text;
        TRange Range;
    };

private:
    int MediaKindOf(const TBaseMovie &movie) const;

    int m_seen;
    int m_wish;
    int m_loan;
    int m_media;
    int m_movieBookmark;
    int m_peopleBookmark;
    // Empty search text (outside field 31): every record passes the search step.
    bool m_movieSearchAll;
    bool m_peopleSearchAll;
    TTest m_movieTest;
    TTest m_personTest;
    // Field 31: the non-empty criteria in field order.
    std::array<TTest, CriterionCount> m_criteria;
    int m_criterionCount = 0;
    mutable QHash<QString, int> m_folderDrives;
};

// The address a web search opens for `text` with a URL template ("%s" is the text), or
// empty when the template is empty. A template ending in "%u" (any case) takes the text as
// it is and loses those two characters; any other takes it converted to the ANSI code page
// and percent-encoded.
QString WebSearchAddress(const QString &urlTemplate, const QString &text);
