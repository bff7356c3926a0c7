#include "app/listcolumns.h"

#include <algorithm>

#include <QPalette>

#include "catalog/actor.h"
#include "catalog/basemovie.h"
#include "catalog/episode.h"
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

template <typename T> int Sign(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// The value a numeric, date or time column sorts by.
double MovieNumber(const TBaseMovie &movie, int column)
{
    const TMovieFieldInfo *field = MovieFieldAtColumn(column);
    return field ? field->Value(movie).toDouble() : 0;
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

TListModel::TSortKey TextKey(QString text, double number = 0)
{
    const bool digits =
        std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
    return {number, std::move(text), digits};
}

// As CompareTexts; text without digits skips the natural order's search for numbers, which
// a whole-list sort would repeat at every comparison.
int CompareKeyTexts(TSortRule rule, const TListModel::TSortKey &a, const TListModel::TSortKey &b)
{
    if (rule == TSortRule::Natural && !a.digits && !b.digits)
        return QString::localeAwareCompare(a.text, b.text);
    return CompareTexts(rule, a.text, b.text);
}

} // namespace

TViewMode ViewModeFromSetting(int value)
{
    switch (value) {
    case 1:
        return TViewMode::Tree;
    case 2:
        return TViewMode::Grid;
    case 3:
        return TViewMode::Covers;
    default:
        return TViewMode::Plain;
    }
}

TSortRule MovieSortRule(int column)
{
    if (const TMovieFieldInfo *field = MovieFieldAtColumn(column))
        return field->Sort;
    return column == MoviePosterColumn ? TSortRule::None : TSortRule::NoCase;
}

QString DefaultMovieCaption(int column)
{
    if (column == MoviePosterColumn)
        return u"Poster"_s;
    const TMovieFieldInfo *field = MovieFieldAtColumn(column);
    return field ? field->DefaultCaption : QString();
}

QString DefaultPeopleCaption(int column)
{
    if (column == PeoplePhotoColumn)
        return u"Photo"_s;
    const TPersonFieldInfo *field = PersonFieldAtColumn(column);
    return field ? field->DefaultCaption : QString();
}

int MovieCaptionText(int column)
{
    // The poster's caption comes just before the first field's.
    if (column == MoviePosterColumn)
        return MovieFieldAtColumn(MoviePosterColumn + 1)->Caption - 1;
    const TMovieFieldInfo *field = MovieFieldAtColumn(column);
    return field ? field->Caption : -1;
}

int PeopleCaptionText(int column)
{
    if (column == PeoplePhotoColumn)
        return PersonFieldAtColumn(PeoplePhotoColumn + 1)->Caption - 1;
    const TPersonFieldInfo *field = PersonFieldAtColumn(column);
    return field ? field->Caption : -1;
}

// ---- Movies ----

TMovieColumns::TMovieColumns()
{
    Q_ASSERT(MovieField(TMovieField::Title).Column == MovieTitleColumn);
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
    if (column == MovieTitleColumn && !m_grid)
        return MovieCaption(movie, m_format);
    if (const TMovieFieldInfo *field = MovieFieldAtColumn(column))
        return field->Text(movie);
    return column >= FirstCustomColumn ? movie.CustomValue(column - FirstCustomColumn) : QString();
}

bool TMovieColumns::EditableColumn(int column)
{
    const TMovieFieldInfo *field = MovieFieldAtColumn(column);
    return field ? field->Editable : column >= FirstCustomColumn;
}

bool TMovieColumns::Editable(const TViewNode &node, int column) const
{
    // The tree view asks every row's first cell at each layout: the column is decided
    // without reaching the record, which is rarely in the cache.
    return EditableColumn(column) && column < ColumnCount() && MovieOf(node);
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
    if (const TMovieFieldInfo *field = MovieFieldAtColumn(column)) {
        if (field->Editable)
            field->SetText(movie, text);
    } else if (column >= FirstCustomColumn) {
        movie.SetCustomValue(column - FirstCustomColumn, text);
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

TListModel::TSortKey TMovieColumns::SortKey(const TBaseMovie &movie, int column) const
{
    switch (MovieSortRule(column)) {
    case TSortRule::None:
        return {};
    case TSortRule::Numeric:
    case TSortRule::Date:
    case TSortRule::Time:
        return {MovieNumber(movie, column), {}};
    default:
        return TextKey(RecordText(movie, column));
    }
}

int TMovieColumns::CompareKeys(const TListModel::TSortKey &a,
                               const TListModel::TSortKey &b,
                               int column)
{
    const TSortRule rule = MovieSortRule(column);
    switch (rule) {
    case TSortRule::None:
        return 0;
    case TSortRule::Numeric:
    case TSortRule::Date:
    case TSortRule::Time:
        return Sign(a.number, b.number);
    default:
        return CompareKeyTexts(rule, a, b);
    }
}

// ---- People ----

TPeopleColumns::TPeopleColumns()
{
    Q_ASSERT(PersonField(TPersonField::Name).Column == PeopleTitleColumn);
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
    if (column == PeopleTitleColumn && !m_grid)
        return PersonCaption(person, m_format);
    const TPersonFieldInfo *field = PersonFieldAtColumn(column);
    return field ? field->Text(person) : QString();
}

bool TPeopleColumns::Editable(const TViewNode &node, int column) const
{
    const TPersonFieldInfo *field = PersonFieldAtColumn(column);
    return field && field->Editable && PersonOf(node);
}

bool TPeopleColumns::AcceptsText(const TViewNode &node, int column, const QString &text) const
{
    Q_UNUSED(node);
    // Only a date can refuse a text; numbers fall back to their default.
    const TPersonFieldInfo *field = PersonFieldAtColumn(column);
    return !field || FieldValueFromText(field->Type, text, field->OnFailure).has_value();
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
    const TPersonFieldInfo *field = PersonFieldAtColumn(column);
    return field && field->Editable && field->SetText(person, text);
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
    // Dates by day count when both are set; otherwise (and for the rest) by the cell text.
    const TPersonFieldInfo *field = PersonFieldAtColumn(column);
    if (field && field->Sort == TSortRule::Date) {
        const TActor *first = PersonOf(a);
        const TActor *second = PersonOf(b);
        const double dayA = first ? field->Value(*first).toDouble() : 0;
        const double dayB = second ? field->Value(*second).toDouble() : 0;
        if (dayA > 0 && dayB > 0)
            return Sign(dayA, dayB);
    }
    QString scratchA;
    QString scratchB;
    return NaturalCompare(SortText(a, column, scratchA), SortText(b, column, scratchB));
}

TListModel::TSortKey TPeopleColumns::SortKey(const TActor &person, int column) const
{
    const TPersonFieldInfo *field = PersonFieldAtColumn(column);
    const double day =
        field && field->Sort == TSortRule::Date ? field->Value(person).toDouble() : 0;
    return TextKey(RecordText(person, column), day);
}

int TPeopleColumns::CompareKeys(const TListModel::TSortKey &a,
                                const TListModel::TSortKey &b,
                                int column)
{
    const TPersonFieldInfo *field = PersonFieldAtColumn(column);
    if (field && field->Sort == TSortRule::Date && a.number > 0 && b.number > 0)
        return Sign(a.number, b.number);
    return CompareKeyTexts(TSortRule::Natural, a, b);
}

// ---- Sort requests, colours ----

int MovieSortColumnForItem(int item)
{
    using F = TMovieField;
    // Items 4 to 13 stand where their columns do.
    if (item >= MovieField(F::Aka).Column && item <= MovieField(F::Studio).Column)
        return item;
    const auto columnOf = [](F field) { return MovieField(field).Column; };
    switch (item) {
    case 14:
        return columnOf(F::Release);
    case 15:
        return columnOf(F::Imdbrating);
    case 17:
        return columnOf(F::Rating);
    case 18:
        return columnOf(F::Tags);
    case 19:
        return columnOf(F::Dateadded);
    case 29:
        return columnOf(F::Viewdate);
    default:
        return MovieTitleColumn;
    }
}

int PeopleSortColumnForItem(int item)
{
    using F = TPersonField;
    const auto columnOf = [](F field) { return PersonField(field).Column; };
    switch (item) {
    case 4:
        return columnOf(F::Altnames);
    case 5:
        return columnOf(F::Birthday);
    case 6:
        return columnOf(F::Birthplace);
    case 7:
        return columnOf(F::Genre);
    case 8:
        return columnOf(F::Category);
    case 9:
        return columnOf(F::Rating);
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
