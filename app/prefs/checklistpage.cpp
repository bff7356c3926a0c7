#include "app/prefs/checklistpage.h"

#include <iterator>
#include <span>
#include <type_traits>

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "app/prefs/prefswidgets_p.h"
#include "catalog/moviefields.h"
#include "catalog/personfields.h"

using namespace Qt::StringLiterals;
using namespace Prefs;

namespace {

constexpr int TextColumns = 710;
constexpr int TextItems = 711;
constexpr int TextMovieItems = 730;  // 44 items
constexpr int TextPeopleItems = 780; // 13 items
// The grid column captions of the list views (the field tables' caption numbers).
constexpr int TextMovieColumns = 2200;
constexpr int TextPeopleColumns = 2300;

const char16_t *const MovieItemNames[] = {u"Poster",
                                          u"Original Title",
                                          u"Also known as",
                                          u"Year",
                                          u"Genre",
                                          u"Director",
                                          u"Producer",
                                          u"Scenario",
                                          u"Music",
                                          u"Actors",
                                          u"Country",
                                          u"Studio",
                                          u"MPAA",
                                          u"Release",
                                          u"URL",
                                          u"IMDB Rating",
                                          u"Additional rating",
                                          u"Rating",
                                          u"Tags",
                                          u"Date Added",
                                          u"Borrower",
                                          u"Tagline",
                                          u"Description",
                                          u"Comments",
                                          u"Awards",
                                          u"Movie Connections",
                                          u"Local file",
                                          u"Quality",
                                          u"Duration",
                                          u"Languages",
                                          u"Translation",
                                          u"Subtitles",
                                          u"File size",
                                          u"Media type",
                                          u"Video Codec",
                                          u"Video Bitrate",
                                          u"Audio Codec",
                                          u"Audio Bitrate",
                                          u"Resolution",
                                          u"Frame Rate",
                                          u"Media Label",
                                          u"Features",
                                          u"Screenshots",
                                          u"Covers"};

const char16_t *const PeopleItemNames[] = {u"Photo",
                                           u"Translated name",
                                           u"Alternative names",
                                           u"Birthday",
                                           u"Birthplace",
                                           u"Genre",
                                           u"Career",
                                           u"URL",
                                           u"Rating",
                                           u"Biography",
                                           u"Filmography",
                                           u"Awards",
                                           u"Comments"};

static_assert(MovieFixedColumns == TSettings::MovieColumnCount);
static_assert(PeopleColumns == TSettings::PeopleColumnCount);
static_assert(std::size(MovieItemNames) == TSettings::MovieItemCount);
static_assert(std::size(PeopleItemNames) == TSettings::PeopleItemCount);

using TKind = TCheckListPage::TKind;

// What a page of each kind is called and shows.
struct TKindInfo
{
    const char16_t *pageName;
    const char16_t *listName;
    int tag;
    bool columns;
};

TKindInfo Info(TKind kind)
{
    switch (kind) {
    case TKind::MovieColumns:
        return {u"MovieGridPage", u"GridColumns", TextMovieColumns, true};
    case TKind::MovieItems:
        return {u"MovieItemsPage", u"ItemsVisible", TextMovieItems, false};
    case TKind::PeopleColumns:
        return {u"PeopleGridPage", u"PeopleGridColumns", TextPeopleColumns, true};
    case TKind::PeopleItems:
        break;
    }
    return {u"PeopleItemsPage", u"PeopleItemsVisible", TextPeopleItems, false};
}

// The grid columns' captions: the picture's, then those of the fields' table rows.
template <auto FieldAt> QStringList ColumnCaptions(const QString &picture, int count)
{
    QStringList captions{picture};
    for (int column = 1; column < count; ++column)
        captions.append(FieldAt(column)->DefaultCaption);
    return captions;
}

QStringList Captions(TKind kind)
{
    switch (kind) {
    case TKind::MovieColumns:
        return ColumnCaptions<MovieFieldAtColumn>(u"Poster"_s, MovieFixedColumns);
    case TKind::MovieItems:
        return Strings(MovieItemNames);
    case TKind::PeopleColumns:
        return ColumnCaptions<PersonFieldAtColumn>(u"Photo"_s, PeopleColumns);
    case TKind::PeopleItems:
        break;
    }
    return Strings(PeopleItemNames);
}

// For Load and Store alike: TS is TSettings or const TSettings.
template <typename TS> auto &Columns(TKind kind, TS &settings)
{
    return kind == TKind::MovieColumns ? settings.GridColumns : settings.PeopleGridColumns;
}

template <typename TS> auto Items(TKind kind, TS &settings)
{
    using TFlag = std::conditional_t<std::is_const_v<TS>, const bool, bool>;
    if (kind == TKind::MovieItems)
        return std::span<TFlag>(settings.ItemVisible);
    return std::span<TFlag>(settings.PeopleItemVisible);
}

} // namespace

TCheckListPage::TCheckListPage(TKind kind, QWidget *parent)
    : TPrefsPageBase(Str(Info(kind).pageName), parent)
    , m_kind(kind)
{
    const TKindInfo info = Info(kind);
    Layout()->addWidget(info.columns
                            ? NewLabel(this, TextColumns, u"Columns shown in the grid view:"_s)
                            : NewLabel(this, TextItems, u"Items shown on the card:"_s));
    m_list = NewCheckList(this, Str(info.listName), info.tag, Captions(kind));
    Layout()->addWidget(m_list, 1);
}

void TCheckListPage::Load(const TSettings &settings, const TPrefsContext &context)
{
    TPrefsPageBase::Load(settings, context);
    if (Info(m_kind).columns) {
        const QList<TColumnSettings> &columns = Columns(m_kind, settings);
        for (int i = 0; i < m_list->count(); ++i)
            SetChecked(m_list->item(i), i < columns.size() ? columns[i].Visible : true);
        return;
    }
    const auto items = Items(m_kind, settings);
    for (size_t i = 0; i < items.size(); ++i)
        SetChecked(m_list->item(int(i)), items[i]);
}

void TCheckListPage::Store(TSettings &settings)
{
    TPrefsPageBase::Store(settings);
    if (Info(m_kind).columns) {
        // Only the fixed columns are listed; the custom-field columns behind them are kept.
        QList<TColumnSettings> &columns = Columns(m_kind, settings);
        for (int i = 0; i < m_list->count(); ++i) {
            if (i >= columns.size())
                columns.append(TColumnSettings{true, i, 80});
            columns[i].Visible = IsChecked(m_list->item(i));
        }
        return;
    }
    const auto items = Items(m_kind, settings);
    for (size_t i = 0; i < items.size(); ++i)
        items[i] = IsChecked(m_list->item(int(i)));
}
