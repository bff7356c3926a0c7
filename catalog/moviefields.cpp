#include "catalog/moviefields.h"

#include <array>

#include <QHash>

#include "catalog/basemovie.h"
#include "catalog/fieldtable_p.h"

using namespace Qt::StringLiterals;

namespace {

using F = TMovieField;
using M = TBaseMovie;
using T = TFieldType;
using S = TSortRule;
using G = TGroupRule;
using W = TWriteRule;

using TRow = TFieldRow<TMovieFieldInfo, 2200>;

template <typename V> TMovieFieldInfo::TAccess Access(V (M::*get)() const, void (M::*set)(V))
{
    return TFieldAccessor<M, V>{get, set};
}

TTextSlot Stored(F field)
{
    return {M::TextSlot(field)};
}

} // namespace

std::span<const TMovieFieldInfo> MovieFields()
{
    // The Access getters and setters of TDBItem are named with the type they convert to.
    using Text = const QString &;
    static const std::vector<TMovieFieldInfo> table = [] {
        const TRow rows[] = {
            // The names a cleared movie is still known by, and the ones duplicates are found by.
            TRow(F::Title,
                 u"title"_s,
                 T::Text,
                 Access(&M::DisplayTitleRef, &M::SetTitle),
                 Stored(F::Title))
                .Column(2, u"Title"_s, S::Natural)
                .Group(1, G::Letter)
                .Search(2, u"Title"_s)
                .Overwrite(0)
                .Write(W::Always)
                .Slot(1)
                .Clear(TClearRule::Kept)
                .NotFilledFromDuplicate(),
            TRow(F::Origtitle,
                 u"origtitle"_s,
                 T::Text,
                 Access(&M::Origtitle, &M::SetOrigtitle),
                 Stored(F::Origtitle))
                .Column(3, u"Original Title"_s, S::Natural)
                .Group(2, G::Letter)
                .Search(3, u"Original title"_s)
                .Overwrite(1)
                .Slot(2)
                .Clear(TClearRule::Kept)
                .NotFilledFromDuplicate(),
            TRow(F::Year, u"year"_s, T::Int, Access(&M::Year, &M::SetYear), &M::m_year)
                .Column(5, u"Year"_s, S::Numeric)
                .Group(3, G::Number)
                .Search(5, u"Year"_s)
                .Overwrite(3)
                .Slot(4),
            TRow(F::Director,
                 u"director"_s,
                 T::Text,
                 Access(&M::Director, &M::SetDirector),
                 Stored(F::Director))
                .Column(7, u"Director"_s, S::NoCase)
                .Group(5, G::List)
                .Search(7, u"Director"_s)
                .Overwrite(5)
                .Slot(6),
            TRow(F::Actors,
                 u"actors"_s,
                 T::Text,
                 Access(&M::Actors, &M::SetActors),
                 Stored(F::Actors))
                .Column(11, u"Actors"_s, S::NoCase)
                .Group(8, G::List)
                .Search(11, u"Actors"_s)
                .Overwrite(9)
                .Slot(10),
            TRow(F::Country,
                 u"country"_s,
                 T::Text,
                 Access(&M::Country, &M::SetCountry),
                 Stored(F::Country))
                .Column(12, u"Country"_s, S::NoCase)
                .Group(9, G::List)
                .Search(12, u"Country"_s)
                .Overwrite(10)
                .Slot(11),
            TRow(F::Description,
                 u"description"_s,
                 T::Text,
                 Access(&M::Description, &M::SetDescription),
                 Stored(F::Description))
                .Column(24, u"Description"_s, S::WithCase)
                .Search(21, u"Description"_s)
                .Overwrite(16)
                .Slot(22),
            TRow(F::Count, u"count"_s, T::Int, Access(&M::Count, &M::SetCount), &M::m_count)
                .Slot(39),
            TRow(F::Type, u"type"_s, T::Text, Access(&M::Type, &M::SetType), Stored(F::Type))
                .Column(33, u"Media type"_s, S::WithCase)
                .Group(16, G::Single)
                .Search(25, u"Media type"_s)
                .Slot(40),
            TRow(F::Imdbrating,
                 u"imdbrating"_s,
                 T::Rating,
                 Access(&M::Imdbrating, &M::SetImdbrating),
                 &M::m_imdbrating)
                .Column(17, u"IMDB Rating"_s, S::Numeric)
                .Group(20, G::Rating)
                .Search(15, u"IMDB rating"_s)
                .Slot(15),
            // The web merge's rating bit covers orating and orname together.
            TRow(F::Orating,
                 u"orating"_s,
                 T::Rating,
                 Access(&M::Orating, &M::SetOrating),
                 &M::m_orating)
                .Column(18, u"Other Rating"_s, S::Numeric)
                .Search(16, u"Other rating"_s)
                .Overwrite(13)
                .Slot(16)
                .NotFilledFromDuplicate(),
            TRow(F::Orname,
                 u"orname"_s,
                 T::Text,
                 Access(&M::Orname, &M::SetOrname),
                 Stored(F::Orname))
                .NotCountedForEmpty()
                .NotFilledFromDuplicate(),
            TRow(F::Rip, u"rip"_s, T::Text, Access(&M::Rip, &M::SetRip), Stored(F::Rip))
                .Column(27, u"Quality"_s, S::WithCase)
                .Group(13, G::Single)
                .Search(24, u"Quality"_s)
                .Slot(27),
            TRow(F::Length, u"length"_s, T::Time, Access(&M::Length, &M::SetLength), &M::m_length)
                .Column(28, u"Duration"_s, S::Time)
                .Overwrite(17)
                .Slot(28),
            TRow(F::Langs, u"langs"_s, T::Text, Access(&M::Langs, &M::SetLangs), Stored(F::Langs))
                .Column(29, u"Languages"_s, S::NoCase)
                .Group(14, G::List)
                .Search(27, u"Languages"_s)
                .Slot(29),
            TRow(F::Translation,
                 u"translation"_s,
                 T::Text,
                 Access(&M::Translation, &M::SetTranslation),
                 Stored(F::Translation))
                .Column(30, u"Translation"_s, S::NoCase)
                .Group(15, G::Single)
                .Slot(30),
            TRow(F::Resolution,
                 u"resolution"_s,
                 T::Text,
                 Access(&M::Resolution, &M::SetResolution),
                 Stored(F::Resolution))
                .Column(38, u"Resolution"_s, S::Natural)
                .Group(17, G::Single)
                .Slot(31),
            TRow(F::Videocodec,
                 u"videocodec"_s,
                 T::Text,
                 Access(&M::Videocodec, &M::SetVideocodec),
                 Stored(F::Videocodec))
                .Column(34, u"Video codec"_s, S::WithCase)
                .Slot(32),
            TRow(F::Videobitrate,
                 u"videobitrate"_s,
                 T::Int,
                 Access(&M::Videobitrate, &M::SetVideobitrate),
                 &M::m_videobitrate)
                .Column(35, u"Video Bitrate"_s, S::Numeric)
                .Slot(33),
            TRow(F::Audiocodec,
                 u"audiocodec"_s,
                 T::Text,
                 Access(&M::Audiocodec, &M::SetAudiocodec),
                 Stored(F::Audiocodec))
                .Column(36, u"Audio codec"_s, S::WithCase)
                .Slot(34),
            TRow(F::Audiobitrate,
                 u"audiobitrate"_s,
                 T::Int,
                 Access(&M::Audiobitrate, &M::SetAudiobitrate),
                 &M::m_audiobitrate)
                .Column(37, u"Audio bitrate"_s, S::Numeric)
                .Slot(35),
            TRow(F::Release,
                 u"release"_s,
                 T::Text,
                 Access(&M::Release, &M::SetRelease),
                 Stored(F::Release))
                .Column(15, u"Release"_s, S::NoCase)
                .Group(11, G::Single)
                .Search(14, u"Release"_s)
                .Slot(36),
            TRow(F::Size, u"size"_s, T::BigInt, Access(&M::Size, &M::SetSize), &M::m_size)
                .Column(32, u"File size"_s, S::Numeric)
                .Slot(37),
            // The files are the record's own: Assign and the duplicate merge leave them.
            TRow(F::Path, u"path"_s, T::Text, Access(&M::Path, &M::SetPath), Stored(F::Path))
                .Column(26, u"Local file"_s, S::WithCase)
                .Search(23, u"Local file"_s)
                .Slot(26)
                .NotAssigned()
                .NotFilledFromDuplicate(),
            TRow(F::Mpaa, u"mpaa"_s, T::Text, Access(&M::Mpaa, &M::SetMpaa), Stored(F::Mpaa))
                .Column(14, u"MPAA"_s, S::NoCase)
                .Overwrite(12)
                .Slot(13),
            TRow(F::Studio,
                 u"studio"_s,
                 T::Text,
                 Access(&M::Studio, &M::SetStudio),
                 Stored(F::Studio))
                .Column(13, u"Studio"_s, S::NoCase)
                .Group(10, G::List)
                .Search(13, u"Studio"_s)
                .Overwrite(11)
                .Slot(12),
            // A stamp, not user data. Clear resets it past its setter, which marks nothing.
            TRow(F::Dateadded,
                 u"dateadded"_s,
                 T::Date,
                 Access(&M::Dateadded, &M::SetDateadded),
                 &M::m_dateadded)
                .Column(21, u"Date Added"_s, S::Date, false)
                .Group(23, G::Date)
                .Search(19, u"Date added"_s)
                .Slot(19)
                .Clear(TClearRule::Direct)
                .NotAssigned()
                .NotCountedForEmpty()
                .NotFilledFromDuplicate(),
            TRow(F::Code, u"code"_s, T::Int, Access(&M::Code, &M::SetCode), &M::m_code)
                .NotAssigned()
                .NotFilledFromDuplicate(),
            // A loan is lent and returned, not copied; Clear drops it without a loan event.
            TRow(F::Loan, u"loan"_s, T::Text, Access(&M::Loan, &M::SetLoan), Stored(F::Loan))
                .Column(22, u"Borrower"_s, S::NoCase, false)
                .Group(19, G::Single)
                .Search(20, u"Borrower"_s)
                .Slot(20)
                .Clear(TClearRule::Direct)
                .NotAssigned()
                .NotCountedForEmpty()
                .NotFilledFromDuplicate(),
            TRow(F::Subs, u"subs"_s, T::Text, Access(&M::Subs, &M::SetSubs), Stored(F::Subs))
                .Column(31, u"Subtitles"_s, S::NoCase)
                .Group(18, G::List)
                .Search(28, u"Subtitles"_s)
                .Slot(38),
            TRow(F::Framerate,
                 u"framerate"_s,
                 T::Float,
                 Access(&M::Framerate, &M::SetFramerate),
                 &M::m_framerate)
                .Column(39, u"Frame Rate"_s, S::Numeric)
                .Slot(42)
                .NotFilledFromDuplicate(),
            TRow(F::Label, u"label"_s, T::Text, Access(&M::Label, &M::SetLabel), Stored(F::Label))
                .Column(40, u"Media Label"_s, S::NoCase)
                .Group(22, G::List)
                .Search(26, u"Media label"_s)
                .Slot(41),
            TRow(F::Producer,
                 u"producer"_s,
                 T::Text,
                 Access(&M::Producer, &M::SetProducer),
                 Stored(F::Producer))
                .Column(8, u"Producer"_s, S::NoCase)
                .Group(6, G::List)
                .Search(8, u"Producer"_s)
                .Overwrite(6)
                .Slot(7),
            TRow(F::Froncover,
                 u"froncover"_s,
                 T::Text,
                 Access(&M::Froncover, &M::SetFroncover),
                 Stored(F::Froncover))
                .RelativePath()
                .Slot(51)
                .NotAssigned()
                .NotFilledFromDuplicate(),
            TRow(F::Cdcover,
                 u"cdcover"_s,
                 T::Text,
                 Access(&M::Cdcover, &M::SetCdcover),
                 Stored(F::Cdcover))
                .RelativePath()
                .Slot(52)
                .NotAssigned()
                .NotFilledFromDuplicate(),
            TRow(F::Screenshots,
                 u"screenshots"_s,
                 T::Text,
                 Access(&M::Screenshots, &M::SetScreenshots),
                 Stored(F::Screenshots))
                .RelativePath()
                .Slot(50)
                .NotAssigned()
                .NotFilledFromDuplicate(),
            // -1 when not given: the value Clear stores and the duplicate merge fills.
            TRow(F::Num, u"num"_s, T::Int, Access(&M::Num, &M::SetNum), &M::m_num)
                .Column(1, u"ID"_s, S::Numeric)
                .Group(0, G::Number)
                .Search(30, u"ID"_s)
                .Write(W::WhenNotNegative, -1)
                .Slot(0)
                .EmptyValue(-1)
                .NotCountedForEmpty(),
            // Clear turns it off; only new movies follow the catalog's rule for them.
            TRow(F::Viewed, u"viewed"_s, T::Flag, Access(&M::Viewed, &M::SetViewed), &M::m_viewed)
                .Write(W::OnlyFalse, 1)
                .Slot(44)
                .NotCountedForEmpty()
                .NotFilledFromDuplicate(),
            TRow(F::Wish, u"wish"_s, T::Flag, Access(&M::Wish, &M::SetWish), &M::m_wish)
                .Write(W::OnlyTrue)
                .Slot(45)
                .NotCountedForEmpty()
                .NotFilledFromDuplicate(),
            TRow(F::Scenario,
                 u"scenario"_s,
                 T::Text,
                 Access(&M::Scenario, &M::SetScenario),
                 Stored(F::Scenario))
                .Column(9, u"Scenario"_s, S::NoCase)
                .Group(7, G::List)
                .Search(9, u"Scenario"_s)
                .Overwrite(7)
                .Slot(8)
                .NotFilledFromDuplicate(),
            // TDBItem::Clear clears it for every kind.
            TRow(F::Bookmark,
                 u"bookmark"_s,
                 T::Flag,
                 Access<bool>(&TDBItem::Bookmark, &TDBItem::SetBookmark),
                 static_cast<bool M::*>(&M::m_bookmark))
                .Write(W::OnlyTrue, 1)
                .Clear(TClearRule::Record)
                .NotAssigned()
                .NotCountedForEmpty()
                .NotFilledFromDuplicate(),
            // Past the setters in Clear: the setters refuse a date without a loan or a viewing.
            TRow(F::Loandate,
                 u"loandate"_s,
                 T::Date,
                 Access(&M::Loandate, &M::SetLoandate),
                 &M::m_loandate)
                .Column(42, u"Loaned Date"_s, S::Date, false)
                .Slot(47)
                .Clear(TClearRule::Direct)
                .NotAssigned()
                .NotCountedForEmpty()
                .NotFilledFromDuplicate(),
            TRow(F::Viewdate,
                 u"viewdate"_s,
                 T::Date,
                 Access(&M::Viewdate, &M::SetViewdate),
                 &M::m_viewdate)
                .Column(43, u"Viewed date"_s, S::Date, false)
                .Search(29, u"Viewed date"_s)
                .Slot(46)
                .Clear(TClearRule::Direct)
                .NotCountedForEmpty()
                .NotFilledFromDuplicate(),
            TRow(F::Tags, u"tags"_s, T::Text, Access(&M::Tags, &M::SetTags), Stored(F::Tags))
                .Column(20, u"Tags"_s, S::NoCase)
                .Group(12, G::List)
                .Search(18, u"Tags"_s)
                .Overwrite(14)
                .Slot(18)
                .NotFilledFromDuplicate(),
            TRow(F::Links, u"links"_s, T::Text, Access(&M::Links, &M::SetLinks), Stored(F::Links))
                .Overwrite(19)
                .Slot(25)
                .NotFilledFromDuplicate(),
            TRow(F::Music, u"music"_s, T::Text, Access(&M::Music, &M::SetMusic), Stored(F::Music))
                .Column(10, u"Music"_s, S::NoCase)
                .Search(10, u"Music"_s)
                .Overwrite(8)
                .Slot(9)
                .NotFilledFromDuplicate(),
            TRow(F::Aka, u"aka"_s, T::Text, Access(&M::Aka, &M::SetAka), Stored(F::Aka))
                .Column(4, u"Also known as"_s, S::Natural)
                .Search(4, u"Also known as"_s)
                .Overwrite(2)
                .Slot(3)
                .Clear(TClearRule::Kept)
                .NotFilledFromDuplicate(),
            TRow(F::Tagline,
                 u"tagline"_s,
                 T::Text,
                 Access(&M::Tagline, &M::SetTagline),
                 Stored(F::Tagline))
                .Column(23, u"Tagline"_s, S::NoCase)
                .Overwrite(15)
                .Slot(21)
                .NotFilledFromDuplicate(),
            TRow(F::Features,
                 u"features"_s,
                 T::Text,
                 Access(&M::Features, &M::SetFeatures),
                 Stored(F::Features))
                .Column(41, u"Features"_s, S::WithCase)
                .Overwrite(20)
                .Slot(43)
                .NotFilledFromDuplicate(),
            TRow(F::Comment,
                 u"comment"_s,
                 T::Text,
                 Access<Text>(&TDBItem::Comment, &TDBItem::SetComment))
                .Column(25, u"Comments"_s, S::WithCase)
                .Search(22, u"Comments"_s)
                .Slot(23),
            TRow(F::Rating,
                 u"rating"_s,
                 T::Rating,
                 Access<double>(&TDBItem::Rating, &TDBItem::SetRating))
                .Column(19, u"Rating"_s, S::Numeric)
                .Group(21, G::Rating)
                .Search(17, u"Rating"_s)
                .Slot(17),
            TRow(F::Genre, u"genre"_s, T::Text, Access<Text>(&TDBItem::Genre, &TDBItem::SetGenre))
                .Column(6, u"Genre"_s, S::NoCase)
                .Group(4, G::List)
                .Search(6, u"Genre"_s)
                .Overwrite(4)
                .Slot(5),
            TRow(F::Awards,
                 u"awards"_s,
                 T::Text,
                 Access<Text>(&TDBItem::Awards, &TDBItem::SetAwards))
                .Overwrite(18)
                .Slot(24)
                .NotFilledFromDuplicate(),
            TRow(F::Url, u"url"_s, T::Text, Access<Text>(&TDBItem::Url, &TDBItem::SetUrl))
                .Column(16, u"URL"_s, S::WithCase)
                .Slot(14),
        };
        std::vector<TMovieFieldInfo> fields;
        for (const TRow &row : rows)
            fields.push_back(row.info);
        return fields;
    }();
    return table;
}

const TMovieFieldInfo &MovieField(TMovieField field)
{
    return MovieFields()[size_t(field)];
}

const TMovieFieldInfo *MovieFieldAtColumn(int column)
{
    return FieldByNumber<MovieFields, MovieFixedColumns, &TMovieFieldInfo::Column>(column);
}

const TMovieFieldInfo *MovieFieldOfGroup(int groupField)
{
    return FieldByNumber<MovieFields, MovieGroupFieldCount, &TMovieFieldInfo::GroupField>(
        groupField);
}

const TMovieFieldInfo *MovieFieldOfSearch(int searchField)
{
    return FieldByNumber<MovieFields, MovieSearchFieldCount, &TMovieFieldInfo::SearchField>(
        searchField);
}

const TMovieFieldInfo *MovieFieldOfSlot(int slot)
{
    return FieldByNumber<MovieFields, MovieSlotCount, &TMovieFieldInfo::Slot>(slot);
}

const TMovieFieldInfo *MovieFieldOfTag(const QString &tag)
{
    return FieldByTag<MovieFields>(tag);
}
