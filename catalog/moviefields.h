#pragma once

#include <span>

#include "catalog/recordfield.h"

class TBaseMovie;

// The fields of a movie (and an episode): first those of the movie part in catalog file
// order, then those every record has. Not stored anywhere: add new fields where they fit.
//
// Adding a field takes its data member with getter and setter in TBaseMovie, a value here
// and its row in MovieFields(), and its place on the card (views/). The row alone brings it
// to the catalog file, the JSON dump, the list column, grouping and search (when given
// numbers), the import and export plug-ins (a slot), Clear, Assign, IsEmpty and the
// duplicate merge; the row's exceptions say where it differs from the usual (kept by Clear,
// not copied, not counted for emptiness, not filled from a duplicate). The web merge takes
// only what the plug-in record carries, which is fixed. tst_recordfields runs every field
// through all of these; a field that is an exception is named there too.
enum class TMovieField {
    Title,
    Origtitle,
    Year,
    Director,
    Actors,
    Country,
    Description,
    Count,
    Type,
    Imdbrating,
    Orating,
    Orname,
    Rip,
    Length,
    Langs,
    Translation,
    Resolution,
    Videocodec,
    Videobitrate,
    Audiocodec,
    Audiobitrate,
    Release,
    Size,
    Path,
    Mpaa,
    Studio,
    Dateadded,
    Code,
    Loan,
    Subs,
    Framerate,
    Label,
    Producer,
    Froncover,
    Cdcover,
    Screenshots,
    Num,
    Viewed,
    Wish,
    Scenario,
    Bookmark,
    Loandate,
    Viewdate,
    Tags,
    Links,
    Music,
    Aka,
    Tagline,
    Features,
    Comment,
    Rating,
    Genre,
    Awards,
    Url,
};

using TMovieFieldInfo = TRecordField<TBaseMovie, TMovieField>;

// The list columns of movies: the poster, then fields; custom fields follow the last.
constexpr int MoviePosterColumn = 0;
constexpr int MovieFixedColumns = 44;
// Grouping fields 0..23, quick search fields 0..30 (0 and 1 search several titles).
constexpr int MovieGroupFieldCount = 24;
constexpr int MovieSearchFieldCount = 32;
// Slots of the import and export plug-ins' movie text record (two of them the picture's).
constexpr int MovieSlotCount = 53;

// Every field, in TMovieField order.
std::span<const TMovieFieldInfo> MovieFields();
const TMovieFieldInfo &MovieField(TMovieField field);
// The field of a list column, grouping field or search field; nullptr for none.
const TMovieFieldInfo *MovieFieldAtColumn(int column);
const TMovieFieldInfo *MovieFieldOfGroup(int groupField);
const TMovieFieldInfo *MovieFieldOfSearch(int searchField);
const TMovieFieldInfo *MovieFieldOfSlot(int slot);
// The field of a catalog file element of the movie part; nullptr for others.
const TMovieFieldInfo *MovieFieldOfTag(const QString &tag);
