#include "app/listcolumns.h"

#include <cmath>

#include <QLocale>
#include <QPalette>

#include "catalog/actor.h"
#include "catalog/basemovie.h"
#include "catalog/episode.h"
#include "catalog/localetext.h"
#include "catalog/movie.h"
#include "catalog/textutils.h"
#include "logic/settings.h"
#include "logic/titleformat.h"
#include "views/contrast.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int FirstCustomColumn = MovieFixedColumns;

const TBaseMovie *MovieOf(const TViewNode &node)
{
    const TDBItem *record = node.record;
    if (!record || record->Kind() == TRecordKind::Person)
        return nullptr;
    return static_cast<const TBaseMovie *>(record);
}

const TActor *PersonOf(const TViewNode &node)
{
    const TDBItem *record = node.record;
    if (!record || record->Kind() != TRecordKind::Person)
        return nullptr;
    return static_cast<const TActor *>(record);
}

// Numbers as the user's locale writes them, without thousands separators (they would not
// read back in a cell editor).
QLocale NumberLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

QString RatingText(double value)
{
    return NumberLocale().toString(value, 'f', 1);
}

QString DateText(double days)
{
    return days > 0 ? ShortDateText(days) : QString();
}

// A typed number in the user's form, or with a decimal point as a fallback.
std::optional<double> ParseDouble(const QString &text)
{
    bool ok = false;
    const double value = NumberLocale().toDouble(text.trimmed(), &ok);
    if (ok && std::isfinite(value))
        return value;
    const double plain = QLocale::c().toDouble(text.trimmed(), &ok);
    if (ok && std::isfinite(plain))
        return plain;
    return std::nullopt;
}

std::optional<qint64> ParseInteger(const QString &text)
{
    bool ok = false;
    const qint64 value = NumberLocale().toLongLong(text.trimmed(), &ok);
    if (ok)
        return value;
    const qint64 plain = text.trimmed().toLongLong(&ok);
    if (ok)
        return plain;
    return std::nullopt;
}

int ParseInt(const QString &text, int fallback)
{
    const std::optional<qint64> value = ParseInteger(text);
    if (!value || *value < INT_MIN || *value > INT_MAX)
        return fallback;
    return int(*value);
}

template <typename T> int Sign(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

double MovieNumber(const TBaseMovie &movie, int column)
{
    switch (column) {
    case 1:
        return movie.Num();
    case 5:
        return movie.Year();
    case 17:
        return movie.Imdbrating();
    case 18:
        return movie.Orating();
    case 19:
        return movie.Rating();
    case 21:
        return movie.Dateadded();
    case 28:
        return movie.Length();
    case 32:
        return double(movie.Size());
    case 35:
        return movie.Videobitrate();
    case 37:
        return movie.Audiobitrate();
    case 39:
        return movie.Framerate();
    case 42:
        return movie.Loandate();
    case 43:
        return movie.Viewdate();
    default:
        return 0;
    }
}

int CompareTexts(TSortRule rule, const QString &a, const QString &b)
{
    switch (rule) {
    case TSortRule::Natural:
        return NaturalCompare(a, b);
    case TSortRule::NoCase:
        return CompareNoCase(a, b);
    case TSortRule::WithCase:
        return QString::localeAwareCompare(a, b);
    default:
        return 0;
    }
}

} // namespace

TViewMode ViewModeFromSetting(int value)
{
    switch (value) {
    case 1:
        return TViewMode::Tree;
    case 2:
        return TViewMode::Grid;
    default:
        return TViewMode::Plain;
    }
}

TSortRule MovieSortRule(int column)
{
    switch (column) {
    case 0:
        return TSortRule::None;
    case 1:
    case 5:
    case 17:
    case 18:
    case 19:
    case 32:
    case 35:
    case 37:
    case 39:
        return TSortRule::Numeric;
    case 2:
    case 3:
    case 4:
    case 38:
        return TSortRule::Natural;
    case 16:
    case 24:
    case 25:
    case 26:
    case 27:
    case 33:
    case 34:
    case 36:
    case 41:
        return TSortRule::WithCase;
    case 21:
    case 42:
    case 43:
        return TSortRule::Date;
    case 28:
        return TSortRule::Time;
    default:
        return TSortRule::NoCase;
    }
}

QString DefaultMovieCaption(int column)
{
    static const char *const captions[MovieFixedColumns] = {
        "Poster",        "ID",          "Title",         "Original Title", "Also known as",
        "Year",          "Genre",       "Director",      "Producer",       "Scenario",
        "Music",         "Actors",      "Country",       "Studio",         "MPAA",
        "Release",       "URL",         "IMDB Rating",   "Other Rating",   "Rating",
        "Tags",          "Date Added",  "Borrower",      "Tagline",        "Description",
        "Comments",      "Local file",  "Quality",       "Duration",       "Languages",
        "Translation",   "Subtitles",   "File size",     "Media type",     "Video codec",
        "Video Bitrate", "Audio codec", "Audio bitrate", "Resolution",     "Frame Rate",
        "Media Label",   "Features",    "Loaned Date",   "Viewed date"};
    if (column < 0 || column >= MovieFixedColumns)
        return {};
    return QString::fromLatin1(captions[column]);
}

QString DefaultPeopleCaption(int column)
{
    static const char *const captions[PeopleColumns] = {"Photo",
                                                        "Name",
                                                        "Translated name",
                                                        "Alternative name",
                                                        "Birthday",
                                                        "Birthplace",
                                                        "Genre",
                                                        "Career",
                                                        "URL",
                                                        "Rating",
                                                        "Biography",
                                                        "Filmography",
                                                        "Awards",
                                                        "Comments"};
    if (column < 0 || column >= PeopleColumns)
        return {};
    return QString::fromLatin1(captions[column]);
}

// ---- Movies ----

TMovieColumns::TMovieColumns()
{
    for (int i = 0; i < MovieFixedColumns; ++i)
        m_captions[size_t(i)] = DefaultMovieCaption(i);
}

void TMovieColumns::SetCaptions(const QStringList &fixed, const QStringList &customNames)
{
    for (int i = 0; i < MovieFixedColumns; ++i) {
        const QString text = i < fixed.size() ? fixed.at(i) : QString();
        m_captions[size_t(i)] = text.isEmpty() ? DefaultMovieCaption(i) : text;
    }
    m_customNames = customNames;
}

int TMovieColumns::ColumnCount() const
{
    return MovieFixedColumns + int(m_customNames.size());
}

QString TMovieColumns::HeaderCaption(int column) const
{
    if (column >= 0 && column < MovieFixedColumns)
        return m_captions[size_t(column)];
    return m_customNames.value(column - FirstCustomColumn);
}

QString TMovieColumns::CellText(const TViewNode &node, int column) const
{
    if (node.IsGroup())
        return column == MovieTitleColumn ? node.caption : QString();
    const TBaseMovie *movie = MovieOf(node);
    return movie ? RecordText(*movie, column) : QString();
}

QString TMovieColumns::RecordText(const TBaseMovie &movie, int column) const
{
    switch (column) {
    case 0:
        return {};
    case 1:
        return QString::number(movie.Num());
    case 2:
        return m_grid ? movie.DisplayTitle() : MovieCaption(movie, m_format);
    case 3:
        return movie.Origtitle();
    case 4:
        return movie.Aka();
    case 5:
        return QString::number(movie.Year());
    case 6:
        return movie.Genre();
    case 7:
        return movie.Director();
    case 8:
        return movie.Producer();
    case 9:
        return movie.Scenario();
    case 10:
        return movie.Music();
    case 11:
        return movie.Actors();
    case 12:
        return movie.Country();
    case 13:
        return movie.Studio();
    case 14:
        return movie.Mpaa();
    case 15:
        return movie.Release();
    case 16:
        return movie.Url();
    case 17:
        return RatingText(movie.Imdbrating());
    case 18:
        return RatingText(movie.Orating());
    case 19:
        return RatingText(movie.Rating());
    case 20:
        return movie.Tags();
    case 21:
        return DateText(movie.Dateadded());
    case 22:
        return movie.Loan();
    case 23:
        return movie.Tagline();
    case 24:
        return movie.Description();
    case 25:
        return movie.Comment();
    case 26:
        return movie.Path();
    case 27:
        return movie.Rip();
    case 28:
        return LongTimeText(movie.Length());
    case 29:
        return movie.Langs();
    case 30:
        return movie.Translation();
    case 31:
        return movie.Subs();
    case 32:
        return QString::number(movie.Size());
    case 33:
        return movie.Type();
    case 34:
        return movie.Videocodec();
    case 35:
        return QString::number(movie.Videobitrate());
    case 36:
        return movie.Audiocodec();
    case 37:
        return QString::number(movie.Audiobitrate());
    case 38:
        return movie.Resolution();
    case 39:
        return NumberLocale().toString(movie.Framerate(), 'g', 15);
    case 40:
        return movie.Label();
    case 41:
        return movie.Features();
    case 42:
        return DateText(movie.Loandate());
    case 43:
        return DateText(movie.Viewdate());
    default:
        return movie.CustomValue(column - FirstCustomColumn);
    }
}

bool TMovieColumns::EditableColumn(int column)
{
    return column > 0 && column != 21 && column != 22 && column != 42 && column != 43;
}

bool TMovieColumns::Editable(const TViewNode &node, int column) const
{
    return MovieOf(node) && EditableColumn(column) && column < ColumnCount();
}

bool TMovieColumns::SetCellText(const TViewNode &node, int column, const QString &text)
{
    if (!Editable(node, column))
        return false;
    // The record is the catalog's, handed out as const only to keep the view read-only.
    StoreText(*const_cast<TBaseMovie *>(MovieOf(node)), column, text);
    return true;
}

void TMovieColumns::StoreText(TBaseMovie &movie, int column, const QString &text)
{
    switch (column) {
    case 1:
        movie.SetNum(ParseInt(text, -1));
        break;
    case 2:
        movie.SetTitle(text);
        break;
    case 3:
        movie.SetOrigtitle(text);
        break;
    case 4:
        movie.SetAka(text);
        break;
    case 5:
        movie.SetYear(ParseInt(text, 0));
        break;
    case 6:
        movie.SetGenre(text);
        break;
    case 7:
        movie.SetDirector(text);
        break;
    case 8:
        movie.SetProducer(text);
        break;
    case 9:
        movie.SetScenario(text);
        break;
    case 10:
        movie.SetMusic(text);
        break;
    case 11:
        movie.SetActors(text);
        break;
    case 12:
        movie.SetCountry(text);
        break;
    case 13:
        movie.SetStudio(text);
        break;
    case 14:
        movie.SetMpaa(text);
        break;
    case 15:
        movie.SetRelease(text);
        break;
    case 16:
        movie.SetUrl(text);
        break;
    case 17:
        movie.SetImdbrating(ParseDouble(text).value_or(0));
        break;
    case 18:
        movie.SetOrating(ParseDouble(text).value_or(0));
        break;
    case 19:
        movie.SetRating(ParseDouble(text).value_or(0));
        break;
    case 20:
        movie.SetTags(text);
        break;
    case 23:
        movie.SetTagline(text);
        break;
    case 24:
        movie.SetDescription(text);
        break;
    case 25:
        movie.SetComment(text);
        break;
    case 26:
        movie.SetPath(text);
        break;
    case 27:
        movie.SetRip(text);
        break;
    case 28:
        movie.SetLength(ParseLongTime(text).value_or(0));
        break;
    case 29:
        movie.SetLangs(text);
        break;
    case 30:
        movie.SetTranslation(text);
        break;
    case 31:
        movie.SetSubs(text);
        break;
    case 32: {
        const std::optional<qint64> size = ParseInteger(text);
        movie.SetSize(size.value_or(0));
        break;
    }
    case 33:
        movie.SetType(text);
        break;
    case 34:
        movie.SetVideocodec(text);
        break;
    case 35:
        movie.SetVideobitrate(ParseInt(text, 0));
        break;
    case 36:
        movie.SetAudiocodec(text);
        break;
    case 37:
        movie.SetAudiobitrate(ParseInt(text, 0));
        break;
    case 38:
        movie.SetResolution(text);
        break;
    case 39:
        movie.SetFramerate(ParseDouble(text).value_or(0));
        break;
    case 40:
        movie.SetLabel(text);
        break;
    case 41:
        movie.SetFeatures(text);
        break;
    default:
        if (column >= FirstCustomColumn)
            movie.SetCustomValue(column - FirstCustomColumn, text);
        break;
    }
}

const QString &TMovieColumns::SortText(const TViewNode &node, int column, QString &scratch) const
{
    const TBaseMovie *movie = MovieOf(node);
    if (!m_cache.Active()) {
        scratch = movie ? RecordText(*movie, column) : QString();
        return scratch;
    }
    return m_cache.Text(node, [&] { return movie ? RecordText(*movie, column) : QString(); });
}

int TMovieColumns::Compare(const TViewNode &a, const TViewNode &b, int column) const
{
    // Group rows follow the list's direction by caption, whatever column sorts the records.
    if (a.IsGroup() || b.IsGroup())
        return NaturalCompare(a.caption, b.caption);
    const TBaseMovie *first = MovieOf(a);
    const TBaseMovie *second = MovieOf(b);
    if (!first || !second)
        return 0;
    const TSortRule rule = MovieSortRule(column);
    switch (rule) {
    case TSortRule::None:
        return 0;
    case TSortRule::Numeric:
    case TSortRule::Date:
    case TSortRule::Time:
        return Sign(MovieNumber(*first, column), MovieNumber(*second, column));
    default: {
        QString scratchA;
        QString scratchB;
        return CompareTexts(rule, SortText(a, column, scratchA), SortText(b, column, scratchB));
    }
    }
}

// ---- People ----

TPeopleColumns::TPeopleColumns()
{
    for (int i = 0; i < PeopleColumns; ++i)
        m_captions[size_t(i)] = DefaultPeopleCaption(i);
}

void TPeopleColumns::SetCaptions(const QStringList &fixed)
{
    for (int i = 0; i < PeopleColumns; ++i) {
        const QString text = i < fixed.size() ? fixed.at(i) : QString();
        m_captions[size_t(i)] = text.isEmpty() ? DefaultPeopleCaption(i) : text;
    }
}

QString TPeopleColumns::HeaderCaption(int column) const
{
    if (column < 0 || column >= PeopleColumns)
        return {};
    return m_captions[size_t(column)];
}

QString TPeopleColumns::CellText(const TViewNode &node, int column) const
{
    if (node.IsGroup())
        return column == PeopleTitleColumn ? node.caption : QString();
    const TActor *person = PersonOf(node);
    return person ? RecordText(*person, column) : QString();
}

QString TPeopleColumns::RecordText(const TActor &person, int column) const
{
    switch (column) {
    case 1:
        return m_grid ? person.Name() : PersonCaption(person, m_format);
    case 2:
        return person.Transname();
    case 3:
        return person.Altnames();
    case 4:
        return DateText(person.Birthday());
    case 5:
        return person.Birthplace();
    case 6:
        return person.Genre();
    case 7:
        return person.Category();
    case 8:
        return person.Url();
    case 9:
        return RatingText(person.Rating());
    case 10:
        return person.Bio();
    case 11:
        return person.Filmography();
    case 12:
        return person.Awards();
    case 13:
        return person.Comment();
    default:
        return {};
    }
}

bool TPeopleColumns::Editable(const TViewNode &node, int column) const
{
    return PersonOf(node) && column > 0 && column < PeopleColumns;
}

bool TPeopleColumns::AcceptsText(const TViewNode &node, int column, const QString &text) const
{
    Q_UNUSED(node);
    return column != 4 || text.trimmed().isEmpty() || ParseDateText(text).has_value();
}

bool TPeopleColumns::SetCellText(const TViewNode &node, int column, const QString &text)
{
    if (!Editable(node, column))
        return false;
    // The record is the catalog's, handed out as const only to keep the view read-only.
    return StoreText(*const_cast<TActor *>(PersonOf(node)), column, text);
}

bool TPeopleColumns::StoreText(TActor &person, int column, const QString &text)
{
    switch (column) {
    case 1:
        person.SetName(text);
        break;
    case 2:
        person.SetTransname(text);
        break;
    case 3:
        person.SetAltnames(text);
        break;
    case 4: {
        if (text.trimmed().isEmpty()) {
            person.SetBirthday(0);
            break;
        }
        const std::optional<double> day = ParseDateText(text);
        if (!day)
            return false;
        person.SetBirthday(*day);
        break;
    }
    case 5:
        person.SetBirthplace(text);
        break;
    case 6:
        person.SetGenre(text);
        break;
    case 7:
        person.SetCategory(text);
        break;
    case 8:
        person.SetUrl(text);
        break;
    case 9:
        person.SetRating(ParseDouble(text).value_or(0));
        break;
    case 10:
        person.SetBio(text);
        break;
    case 11:
        person.SetFilmography(text);
        break;
    case 12:
        person.SetAwards(text);
        break;
    case 13:
        person.SetComment(text);
        break;
    default:
        return false;
    }
    return true;
}

const QString &TPeopleColumns::SortText(const TViewNode &node, int column, QString &scratch) const
{
    if (!m_cache.Active()) {
        scratch = CellText(node, column);
        return scratch;
    }
    return m_cache.Text(node, [&] { return CellText(node, column); });
}

int TPeopleColumns::Compare(const TViewNode &a, const TViewNode &b, int column) const
{
    // As in the movie list: groups by caption, whatever column sorts the people.
    if (a.IsGroup() || b.IsGroup())
        return NaturalCompare(a.caption, b.caption);
    if (column == 4) {
        const TActor *first = PersonOf(a);
        const TActor *second = PersonOf(b);
        if (first && second && first->Birthday() > 0 && second->Birthday() > 0)
            return Sign(first->Birthday(), second->Birthday());
    }
    QString scratchA;
    QString scratchB;
    return NaturalCompare(SortText(a, column, scratchA), SortText(b, column, scratchB));
}

// ---- Sort requests, colours ----

int MovieSortColumnForItem(int item)
{
    if (item >= 4 && item <= 13)
        return item;
    switch (item) {
    case 14:
        return 15;
    case 15:
        return 17;
    case 17:
        return 19;
    case 18:
        return 20;
    case 19:
        return 21;
    case 29:
        return 43;
    default:
        return MovieTitleColumn;
    }
}

int PeopleSortColumnForItem(int item)
{
    switch (item) {
    case 4:
        return 3;
    case 5:
        return 4;
    case 6:
        return 5;
    case 7:
        return 6;
    case 8:
        return 7;
    case 9:
        return 9;
    default:
        return PeopleTitleColumn;
    }
}

QColor ColorFromWindows(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int WindowsFromColor(const QColor &color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

int RowColorIndex(const TViewNode &node, bool selected)
{
    const TDBItem *record = node.record;
    if (!record)
        return selected ? 6 : 0;
    if (record->Bookmark())
        return selected ? 7 : 1;
    if (record->Kind() == TRecordKind::Person)
        return selected ? 6 : 0;
    const auto *movie = static_cast<const TBaseMovie *>(record);
    if (!movie->Loan().isEmpty())
        return selected ? 9 : 3;
    if (movie->Wish())
        return selected ? 13 : 12;
    if (!movie->Viewed())
        return selected ? 8 : 2;
    if (record->Kind() == TRecordKind::Movie && static_cast<const TMovie *>(movie)->HasEpisodes())
        return selected ? 10 : 4;
    if (record->Kind() == TRecordKind::Episode)
        return selected ? 11 : 5;
    return selected ? 6 : 0;
}

QColor Lightened(const QColor &color)
{
    const auto lighten = [](int c) { return c + 40 * (255 - c) / 100; };
    return QColor(lighten(color.red()), lighten(color.green()), lighten(color.blue()));
}

QColor RowBackground(const TViewNode &node, bool selected, bool listFocused, const TRowLook &look)
{
    QColor color;
    if (!look.DoListColors)
        color = selected ? look.Highlight : look.Window;
    else
        color = ColorFromWindows(look.Colors[size_t(RowColorIndex(node, selected))]);
    if (selected && !listFocused)
        color = Lightened(color);
    return color;
}

std::array<int, 21> PaletteColors(const std::array<int, 21> &colors, const QPalette &palette)
{
    const QColor base = palette.color(QPalette::Active, QPalette::Base);
    if (!IsDarkPalette(palette.color(QPalette::Active, QPalette::Window),
                       palette.color(QPalette::Active, QPalette::WindowText)))
        return colors;
    // The defaults are light tints meant for white lists; on a dark base a share of the tint
    // keeps each state recognisable without glaring.
    const auto tint = [&base](int value, int percent) {
        const QColor color = ColorFromWindows(value);
        const auto mix = [percent](int a, int b) {
            return (a * percent + b * (100 - percent)) / 100;
        };
        return WindowsFromColor(QColor(mix(color.red(), base.red()),
                                       mix(color.green(), base.green()),
                                       mix(color.blue(), base.blue())));
    };
    std::array<int, 21> result = colors;
    for (int n = 0; n < 21; ++n) {
        if (colors[size_t(n)] != DefaultColor(n))
            continue;
        int &color = result[size_t(n)];
        if (n == 0 || n == 20)
            color = WindowsFromColor(base);
        else if (n >= 6 && n <= 11)
            color = WindowsFromColor(palette.color(QPalette::Active, QPalette::Highlight));
        else if (n == 14)
            color = WindowsFromColor(palette.color(QPalette::Active, QPalette::Text));
        else if (n == 15)
            color = WindowsFromColor(palette.color(QPalette::Active, QPalette::HighlightedText));
        else if (n >= 16)
            color = tint(colors[size_t(n)], 12); // card panes: a hint of their colour
        else
            color = tint(colors[size_t(n)], 40); // list row states
    }
    return result;
}

QColor RowTextColor(const QColor &background, bool selected, const TRowLook &look)
{
    const QColor palette = selected ? look.HighlightedText : look.Text;
    const QColor wanted =
        look.DoListColors ? ColorFromWindows(look.Colors[selected ? 15 : 14]) : palette;
    // The colour table was made for light desktops; a dark one, or a state colour picked
    // without the text colour in mind, must not leave a row unreadable.
    return ReadableInk(background, wanted, palette);
}
