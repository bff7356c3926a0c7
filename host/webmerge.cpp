#include "host/webmerge.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>
#include <variant>

#include <QStringList>

#include "catalog/actor.h"
#include "catalog/basemovie.h"
#include "catalog/videodatabase.h"
#include "host/webtext.h"

using namespace Qt::StringLiterals;

namespace {

QString Text(const char16_t *text)
{
    return text ? QString::fromUtf16(text) : QString();
}

// The plug-in's 80-bit number; what is no number at all would end up in the catalog file.
double Number(const TExtended &value)
{
    const double number = RkExtendedToDouble(&value);
    return std::isfinite(number) ? number : 0.0;
}

// Bit `index` of the mask, tested as TPluginRegistry::AllowsOverwrite does.
bool MaskAllows(uint32_t mask, int index)
{
    return index >= 0 && index < 32 && ((mask >> index) & 1U);
}

const TMovieFieldInfo &FieldInfo(TMovieField id)
{
    return MovieField(id);
}

const TPersonFieldInfo &FieldInfo(TPersonField id)
{
    return PersonField(id);
}

// A value of a plug-in's record (copied into TWebMovie or TWebPerson) that goes into one
// record field as it is. The plug-in records are a fixed interface, so the list of these is
// too; what happens to each comes from the record's field table.
template <typename TWeb, typename TInfo> struct TWebValue
{
    typename TInfo::TFieldId Id;
    std::variant<QString TWeb::*, int TWeb::*, double TWeb::*> Member;

    const TInfo &Field() const { return FieldInfo(Id); }
};

// In the order of the plug-in records, which the overwrite bits follow. The title and the
// name, the ratings, the running time and the page's address have rules of their own.
const TWebValue<TWebMovie, TMovieFieldInfo> WebMovieValues[] = {
    {TMovieField::Origtitle, &TWebMovie::OrigTitle},
    {TMovieField::Aka, &TWebMovie::Aka},
    {TMovieField::Year, &TWebMovie::Year},
    {TMovieField::Genre, &TWebMovie::Genre},
    {TMovieField::Director, &TWebMovie::Director},
    {TMovieField::Producer, &TWebMovie::Producer},
    {TMovieField::Scenario, &TWebMovie::Scenario},
    {TMovieField::Music, &TWebMovie::Music},
    {TMovieField::Actors, &TWebMovie::Actors},
    {TMovieField::Country, &TWebMovie::Country},
    {TMovieField::Studio, &TWebMovie::Studio},
    {TMovieField::Mpaa, &TWebMovie::Mpaa},
    {TMovieField::Tags, &TWebMovie::Tags},
    {TMovieField::Tagline, &TWebMovie::Tagline},
    {TMovieField::Description, &TWebMovie::Description},
    {TMovieField::Awards, &TWebMovie::Awards},
    {TMovieField::Links, &TWebMovie::Links},
    {TMovieField::Features, &TWebMovie::Features},
};

const TWebValue<TWebPerson, TPersonFieldInfo> WebPersonValues[] = {
    {TPersonField::Transname, &TWebPerson::TransName},
    {TPersonField::Altnames, &TWebPerson::AltNames},
    {TPersonField::Birthday, &TWebPerson::Birthday},
    {TPersonField::Birthplace, &TWebPerson::Birthplace},
    {TPersonField::Genre, &TWebPerson::Genre},
    {TPersonField::Category, &TWebPerson::Career},
    {TPersonField::Bio, &TWebPerson::Bio},
    {TPersonField::Filmography, &TWebPerson::Filmography},
    {TPersonField::Awards, &TWebPerson::Awards},
};

// The general rule for one field: the web value, when there is one, replaces an empty
// catalog value or, when the mask allows, any value. Texts are judged after decoding so that
// markup alone (a lone "<br>") never clears what the user has.
template <typename TRecord, typename TInfo> class TFieldMerger
{
public:
    TFieldMerger(TRecord &record, uint32_t mask)
        : m_record(record)
        , m_mask(mask)
    {}

    bool Allows(const TInfo &field) const { return MaskAllows(m_mask, field.OverwriteBit); }

    void Text(const QString &raw, const TInfo &field, bool fieldEmpty)
    {
        const QString value = DecodeHtmlText(raw);
        if (!value.isEmpty() && (fieldEmpty || Allows(field)))
            field.SetValue(m_record, value);
    }
    // The same for numbers, which the page has when they are above 0.
    template <typename T> void Number(T value, const TInfo &field)
    {
        if (value > 0 && (field.IsEmptyIn(m_record) || Allows(field)))
            field.SetValue(m_record, value);
    }
    // A value the plug-in's record carries one-to-one.
    template <typename TWeb> void Value(const TWeb &web, const TWebValue<TWeb, TInfo> &value)
    {
        const TInfo &field = value.Field();
        std::visit(
            [&](auto member) {
                if constexpr (std::is_same_v<decltype(web.*member), const QString &>)
                    Text(web.*member, field, field.IsEmptyIn(m_record));
                else
                    Number(web.*member, field);
            },
            value.Member);
    }

private:
    TRecord &m_record;
    uint32_t m_mask;
};

// Whether `url` already stands in the blank-separated list as a whole entry (a mere prefix
// of a longer address does not count, or a second page of the same site would be lost).
bool HasUrlEntry(const QString &list, const QString &url)
{
    for (qsizetype at = list.indexOf(url); at >= 0; at = list.indexOf(url, at + 1)) {
        const qsizetype end = at + url.size();
        if ((at == 0 || list.at(at - 1).isSpace())
            && (end == list.size() || list.at(end).isSpace()))
            return true;
    }
    return false;
}

// The page address joins the record's url list; it never replaces it.
void AppendUrl(TDBItem &record, const QString &webUrl)
{
    const QString url = webUrl.trimmed();
    if (url.isEmpty() || HasUrlEntry(record.Url(), url))
        return;
    record.SetUrl(record.Url().isEmpty() ? url : record.Url() + u' ' + url);
}

// Trimmed, non-empty pieces between separators, last piece first: the URL lists of the
// plug-ins pair with their name lists counted from the end.
QStringList PiecesFromEnd(const QString &text, const std::function<bool(QChar)> &isSeparator)
{
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !isSeparator(text.at(i)))
            continue;
        const QString piece = text.mid(start, i - start).trimmed();
        if (!piece.isEmpty())
            pieces.append(piece);
        start = i + 1;
    }
    std::reverse(pieces.begin(), pieces.end());
    return pieces;
}

bool IsNameSeparator(QChar c)
{
    return c == u',' || c == u'/' || c == u'\\' || c == u';' || c == u'|';
}

bool IsBlank(QChar c)
{
    return c.isSpace();
}

} // namespace

bool HasPerson(const TVideoDatabase &catalog, const QString &name, bool transNames)
{
    if (transNames) {
        for (int i = 0; i < catalog.PersonCount(); ++i) {
            if (catalog.Person(i)->Transname().compare(name, Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    // Also with translated names: the people this function adds carry the credit as their
    // name only, and a second credit must find them rather than add them again.
    return catalog.FindPerson(name) >= 0;
}

TWebMovie TWebMovie::FromRec(const TMovieRec &rec)
{
    TWebMovie movie;
    movie.Title = Text(rec.Title);
    movie.OrigTitle = Text(rec.OrigTitle);
    movie.Aka = Text(rec.Aka);
    movie.Year = rec.Year;
    movie.Genre = Text(rec.Genre);
    movie.Director = Text(rec.Director);
    movie.DirectorURLs = Text(rec.DirectorURLs);
    movie.Producer = Text(rec.Producer);
    movie.ProducerURLs = Text(rec.ProducerURLs);
    movie.Scenario = Text(rec.Scenario);
    movie.ScenarioURLs = Text(rec.ScenarioURLs);
    movie.Music = Text(rec.Music);
    movie.MusicURLs = Text(rec.MusicURLs);
    movie.Actors = Text(rec.Actors);
    movie.ActorURLs = Text(rec.ActorURLs);
    movie.Country = Text(rec.Country);
    movie.Studio = Text(rec.Studio);
    movie.Mpaa = Text(rec.MPAA);
    movie.Rating = Number(rec.Rating);
    movie.RatingName = Text(rec.RatingName);
    movie.Tags = Text(rec.Tags);
    movie.Tagline = Text(rec.Tagline);
    movie.Description = Text(rec.Description);
    movie.Duration = rec.Duration;
    movie.Awards = Text(rec.Awards);
    movie.Links = Text(rec.Links);
    movie.Url = Text(rec.URL);
    movie.Features = Text(rec.Features);
    return movie;
}

TWebPerson TWebPerson::FromRec(const THumanRec &rec)
{
    TWebPerson person;
    person.Name = Text(rec.Name);
    person.TransName = Text(rec.TransName);
    person.AltNames = Text(rec.AltNames);
    person.Birthday = Number(rec.Birthday);
    person.Birthplace = Text(rec.Birthplace);
    person.Genre = Text(rec.Genre);
    person.Career = Text(rec.Career);
    person.Url = Text(rec.URL);
    person.Bio = Text(rec.Bio);
    person.Filmography = Text(rec.Filmography);
    person.Awards = Text(rec.Awards);
    return person;
}

uint32_t OverwriteBit(TMovieField field)
{
    const int bit = MovieField(field).OverwriteBit;
    return bit < 0 ? 0 : 1U << bit;
}

uint32_t OverwriteBit(TPersonField field)
{
    const int bit = PersonField(field).OverwriteBit;
    return bit < 0 ? 0 : 1U << bit;
}

void MergeMovie(TBaseMovie &record, const TWebMovie &web, uint32_t overwriteMask)
{
    using F = TMovieField;
    TFieldMerger<TBaseMovie, TMovieFieldInfo> merge(record, overwriteMask);

    // A title that only repeats the original title is the program's placeholder, not the
    // user's choice. First: whether an original title is kept depends on the title.
    const bool titleEmpty = record.Title().isEmpty() || record.Title() == record.Origtitle();
    merge.Text(web.Title, MovieField(F::Title), titleEmpty);
    for (const auto &value : WebMovieValues)
        merge.Value(web, value);

    // IMDb's own rating has a field of its own that always follows the site; the other
    // rating's bit covers its name too.
    if (web.Url.toLower().contains(u"imdb"_s)) {
        record.SetImdbrating(web.Rating);
    } else if (web.Rating > 0 && (record.Orating() == 0 || merge.Allows(MovieField(F::Orating)))) {
        record.SetOrating(web.Rating);
        if (!web.RatingName.isEmpty())
            record.SetOrname(web.RatingName);
    }
    // The page gives minutes.
    if (web.Duration > 0 && (record.Length() == 0 || merge.Allows(MovieField(F::Length))))
        record.SetLength(MinutesToTime(web.Duration));
    AppendUrl(record, web.Url);
}

void MergePerson(TActor &person, const TWebPerson &web, uint32_t overwriteMask)
{
    TFieldMerger<TActor, TPersonFieldInfo> merge(person, overwriteMask);

    // As the title: first, since the translated name fills in a missing name.
    const bool nameEmpty = person.Name().isEmpty() || person.Name() == person.Transname();
    merge.Text(web.Name, PersonField(TPersonField::Name), nameEmpty);
    for (const auto &value : WebPersonValues)
        merge.Value(web, value);
    AppendUrl(person, web.Url);
}

void AddPeople(TVideoDatabase &catalog, const TWebMovie &web, bool transNames)
{
    const std::pair<const QString &, const QString &> credits[] = {
        {web.Director, web.DirectorURLs},
        {web.Producer, web.ProducerURLs},
        {web.Scenario, web.ScenarioURLs},
        {web.Music, web.MusicURLs},
        {web.Actors, web.ActorURLs},
    };
    for (const auto &[namesText, urlsText] : credits) {
        const QStringList names = PiecesFromEnd(DecodeHtmlText(namesText), IsNameSeparator);
        const QStringList urls = PiecesFromEnd(DecodeHtmlText(urlsText), IsBlank);
        for (qsizetype p = 0; p < names.size(); ++p) {
            if (HasPerson(catalog, names[p], transNames))
                continue;
            TDBItem *added = catalog.AddRecord(1, names[p]);
            if (added && p < urls.size())
                added->SetUrl(urls[p]);
        }
    }
}
