#include "app/filtercontroller.h"

#include <algorithm>

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include "app/cardedit.h"
#include "app/catalogview.h"
#include "app/commandhost.h"
#include "app/listcolumns.h"
#include "app/listcontroller.h"
#include "app/recorddialogs.h"
#include "catalog/actor.h"
#include "catalog/basemovie.h"
#include "logic/settings.h"
#include "views/languagewide.h"
#include "views/translate.h"

using namespace Qt::StringLiterals;

namespace {

// The View menu's filters: the filter they set, then name, text number and English caption
// of each of their three entries.
struct TFilterRow
{
    const char *name;
    int text;
    const char *caption;
    const char *shortcut;
};
const TFilterRow FilterRows[5][3] = {
    {{"SeenAllAct", 184, "&All", "Ctrl+Alt+A"},
     {"SeenNotAct", 185, "&Not seen", "Ctrl+Alt+N"},
     {"SeenOnlyAct", 186, "&Seen", "Ctrl+Alt+S"}},
    {{"WishAllAct", 187, "Movies I have and do not have", ""},
     {"WishHaveAct", 188, "Movies I have", ""},
     {"WishWantAct", 189, "Movies I want to have", ""}},
    {{"LoanAllAct", 190, "Borrowed and not borrowed movies", ""},
     {"LoanOnlyAct", 191, "Borrowed movies only", ""},
     {"LoanNotAct", 192, "Not borrowed movies", ""}},
    {{"MediaAllAct", 193, "All Media", ""},
     {"MediaHddAct", 194, "Movies on Harddrives", ""},
     {"MediaRemovableAct", 195, "Movies on Removable drives", ""}},
    {{"BookAllAct", 196, "Movies with and without bookmark", ""},
     {"BookOnlyAct", 197, "Bookmarked movies", ""},
     {"BookNotAct", 198, "Not bookmarked movies", ""}},
};
constexpr int SeenFilter = 0;
constexpr int BookmarkFilter = 4;

// The filter bar: the search-field button's width range, the room the web search needs
// and the web search box's largest width.
constexpr int MinSearchFieldWidth = 100;
constexpr int MaxSearchFieldWidth = 240;
constexpr int MinWebSearchRoom = 275;
constexpr int MaxWebSearchWidth = 150;
constexpr int SearchEditWidth = 160;

// The English captions of the search entries that are no single field, entry -1 first; the
// fields' own are in the field tables.
const char *const MovieSearchCaptions[] = {"(no search)", "All titles", "Title or original title"};
const char *const PeopleSearchCaptions[] = {"(no search)", "All names", "Name or translated name"};
constexpr const char *AdvancedSearchCaption = "Advanced search...";

QString DefaultSearchCaption(bool people, int field)
{
    if (field + 1 < 3)
        return QString::fromLatin1(people ? PeopleSearchCaptions[field + 1]
                                          : MovieSearchCaptions[field + 1]);
    if (!people && field == AdvancedSearchField)
        return QString::fromLatin1(AdvancedSearchCaption);
    if (people) {
        const TPersonFieldInfo *info = PersonFieldOfSearch(field);
        return info ? info->SearchCaption : QString();
    }
    const TMovieFieldInfo *info = MovieFieldOfSearch(field);
    return info ? info->SearchCaption : QString();
}

QString WithoutAccelerator(QString text)
{
    return text.remove(u'&');
}

void SetTag(QObject *object, int tag)
{
    object->setProperty(TagProperty, tag);
}

} // namespace

TFilterController::TFilterController(ICommandHost &host,
                                     const TSettings &settings,
                                     TWideLanguage &language)
    : m_host(host)
    , m_settings(settings)
    , m_language(language)
{}

QString TFilterController::Text(int number, const QString &english) const
{
    return m_host.Text(number, english);
}

// ----- the bar and the menus -----------------------------------------------------------------

void TFilterController::CreateActions(const TAddAction &addAction)
{
    for (int filter = 0; filter < 5; ++filter) {
        auto *group = new QActionGroup(m_host.Window());
        group->setExclusive(true);
        for (int value = 0; value < 3; ++value) {
            const TFilterRow &row = FilterRows[filter][value];
            QAction *action = addAction(
                QString::fromLatin1(row.name), row.text, QString::fromLatin1(row.caption));
            action->setCheckable(true);
            action->setChecked(value == 0);
            if (*row.shortcut)
                action->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
            group->addAction(action);
            m_filterActions[filter].append(action);
            QObject::connect(action, &QAction::triggered, action, [this, filter, value] {
                switch (filter) {
                case 0:
                    ChooseFilter(m_filter.Seen, value);
                    break;
                case 1:
                    ChooseFilter(m_filter.Wish, value);
                    break;
                case 2:
                    ChooseFilter(m_filter.Loan, value);
                    break;
                case 3:
                    ChooseFilter(m_filter.Media, value);
                    break;
                default:
                    ChooseFilter(m_host.PeopleMode() ? m_filter.PeopleBookmark
                                                     : m_filter.MovieBookmark,
                                 value);
                    break;
                }
            });
            if (filter != BookmarkFilter)
                m_movieOnlyFilters.append(action);
        }
    }
    m_advancedAction = addAction(u"AdvSearchAct"_s, 199, u"&Advanced Search"_s);
    QObject::connect(
        m_advancedAction, &QAction::triggered, m_advancedAction, [this] { ShowAdvancedSearch(); });
    m_goAction = addAction(u"WebSearchAct"_s, 183, u"Go"_s);
    m_goAction->setShortcut(QKeySequence(u"Ctrl+Alt+W"_s));
    QObject::connect(m_goAction, &QAction::triggered, m_goAction, [this] {
        WebSearch(m_webEngine, m_webSearchEdit->text());
    });
}

void TFilterController::CreateBar(QToolBar *bar,
                                  QMenu *viewMenu,
                                  QMenu *toolsMenu,
                                  QMenu *webSearchMenu)
{
    m_bar = bar;
    m_webSearchMenu = webSearchMenu;

    // The seen button offers the seen filter; its caption is the chosen entry's.
    m_seenButton = new QToolButton(bar);
    m_seenButton->setObjectName(u"SeenBtn"_s);
    m_seenButton->setText(u"Seen"_s);
    SetTag(m_seenButton, 180);
    bar->addWidget(m_seenButton);
    auto *seenMenu = new QMenu(m_seenButton);
    seenMenu->setObjectName(u"SeenFilterMenu"_s);
    for (QAction *action : std::as_const(m_filterActions[SeenFilter]))
        seenMenu->addAction(action);
    m_seenButton->setMenu(seenMenu);
    m_seenButton->setPopupMode(QToolButton::InstantPopup);
    m_language.Exclude(m_seenButton);

    m_searchLabel = new QLabel(u"Search:"_s, bar);
    m_searchLabel->setObjectName(u"SearchLabel"_s);
    SetTag(m_searchLabel, 181);
    bar->addWidget(m_searchLabel);
    m_searchFieldButton = new QToolButton(bar);
    m_searchFieldButton->setObjectName(u"SearchFieldBtn"_s);
    m_searchFieldButton->setText(SearchFieldCaption(TRecordKind::Movie, 0).remove(u'&'));
    bar->addWidget(m_searchFieldButton);
    m_searchFieldMenu = new QMenu(m_searchFieldButton);
    m_searchFieldMenu->setObjectName(u"SearchFieldMenu"_s);
    m_searchFieldButton->setMenu(m_searchFieldMenu);
    m_searchFieldButton->setPopupMode(QToolButton::InstantPopup);
    m_language.Exclude(m_searchFieldButton);
    m_searchEdit = new QLineEdit(bar);
    m_searchEdit->setObjectName(u"SearchEdit"_s);
    m_searchEdit->setClearButtonEnabled(true);
    bar->addWidget(m_searchEdit);
    QObject::connect(
        m_searchEdit, &QLineEdit::textChanged, m_searchEdit, [this](const QString &text) {
            m_filter.Text = text;
            ReapplyFilters();
        });

    // The web search: text, engine and Go; hidden together when the bar has no room.
    auto *webLabel = new QLabel(u"Web search:"_s, bar);
    webLabel->setObjectName(u"WebSearchLabel"_s);
    SetTag(webLabel, 182);
    m_webSearchParts.append(bar->addWidget(webLabel));
    m_webSearchEdit = new QLineEdit(bar);
    m_webSearchEdit->setObjectName(u"WebSearchEdit"_s);
    m_webSearchEdit->setMaximumWidth(MaxWebSearchWidth);
    m_webSearchParts.append(bar->addWidget(m_webSearchEdit));
    QObject::connect(m_webSearchEdit, &QLineEdit::returnPressed, m_webSearchEdit, [this] {
        WebSearch(m_webEngine, m_webSearchEdit->text());
    });
    m_webEngineButton = new QToolButton(bar);
    m_webEngineButton->setObjectName(u"WebEngineBtn"_s);
    m_webEngineButton->setPopupMode(QToolButton::InstantPopup);
    m_webEngineButton->setText(u"Go"_s);
    SetTag(m_webEngineButton, 183);
    m_webEngineMenu = new QMenu(m_webEngineButton);
    m_webEngineMenu->setObjectName(u"WebEngineMenu"_s);
    m_webEngineButton->setMenu(m_webEngineMenu);
    m_language.Exclude(m_webEngineButton);
    m_webSearchParts.append(bar->addWidget(m_webEngineButton));
    auto *goButton = new QToolButton(bar);
    goButton->setObjectName(u"WebGoBtn"_s);
    goButton->setDefaultAction(m_goAction);
    m_webSearchParts.append(bar->addWidget(goButton));

    // The filter entries follow the views in the View menu, one group per filter.
    for (int filter = 0; filter < 5; ++filter) {
        QAction *separator = viewMenu->addSeparator();
        if (filter != BookmarkFilter)
            m_movieOnlyFilters.append(separator);
        for (QAction *action : std::as_const(m_filterActions[filter]))
            viewMenu->addAction(action);
    }
    toolsMenu->insertAction(webSearchMenu->menuAction(), m_advancedAction);
}

void TFilterController::LayOutBar(int listWidth)
{
    if (!m_bar)
        return;
    const int fixed = m_seenButton->sizeHint().width() + m_searchLabel->sizeHint().width();
    m_searchEdit->setFixedWidth(SearchEditWidth);
    const int fieldWidth =
        std::clamp(listWidth - fixed - SearchEditWidth, MinSearchFieldWidth, MaxSearchFieldWidth);
    m_searchFieldButton->setFixedWidth(fieldWidth);
    ShowSearchFieldCaption();
    const int used = fixed + fieldWidth + SearchEditWidth + 24;
    const bool webVisible = m_bar->width() - used >= MinWebSearchRoom;
    for (QAction *part : std::as_const(m_webSearchParts))
        part->setVisible(webVisible);
}

void TFilterController::ApplyMode()
{
    m_seenButton->setVisible(!m_host.PeopleMode());
    RebuildSearchFieldMenu();
    UpdateFilterChecks();
}

void TFilterController::ClearSearch()
{
    m_searchEdit->clear();
}

void TFilterController::RetranslateEntries()
{
    for (QAction *action : std::as_const(m_filterActions[SeenFilter]))
        action->setText(Text(action->property(TagProperty).toInt(), action->text()));
}

void TFilterController::UpdateCaptions()
{
    UpdateFilterChecks();
    if (m_host.Database())
        RebuildSearchFieldMenu();
}

void TFilterController::ShowHints(const QKeySequence &findKey)
{
    m_seenButton->setToolTip(Text(3750, u"Which movies the list shows: seen, unseen or all"_s));
    m_searchFieldButton->setToolTip(Text(3751, u"The field the search box looks in"_s));
    m_searchEdit->setToolTip(Text(3752, u"Shows only what contains this text (%1)"_s)
                                 .arg(findKey.toString(QKeySequence::NativeText)));
    m_webSearchEdit->setToolTip(Text(3753, u"Text to look up on the web"_s));
    m_webEngineButton->setToolTip(Text(3754, u"Choose the web search engine"_s));
}

void TFilterController::FocusSearchBox()
{
    if (!m_searchEdit->isEnabled())
        return;
    m_searchEdit->setFocus(Qt::ShortcutFocusReason);
    m_searchEdit->selectAll();
}

void TFilterController::SetWebSearchText(const QString &text)
{
    m_webSearchEdit->setText(text);
}

void TFilterController::UpdateFilterChecks()
{
    const bool people = m_host.PeopleMode();
    const int values[5] = {m_filter.Seen,
                           m_filter.Wish,
                           m_filter.Loan,
                           m_filter.Media,
                           people ? m_filter.PeopleBookmark : m_filter.MovieBookmark};
    for (int filter = 0; filter < 5; ++filter) {
        for (int value = 0; value < 3; ++value)
            m_filterActions[filter].at(value)->setChecked(value == values[filter]);
    }
    m_seenButton->setText(
        WithoutAccelerator(m_filterActions[SeenFilter].at(m_filter.Seen)->text()));
    for (QAction *action : std::as_const(m_movieOnlyFilters))
        action->setVisible(!people);
}

void TFilterController::RebuildSearchFieldMenu()
{
    m_searchFieldMenu->clear();
    const TRecordKind kind = m_host.Shown().Kind();
    const bool people = m_host.PeopleMode();
    const int chosen = people ? m_filter.PeopleField : m_filter.MovieField;
    auto *group = new QActionGroup(m_searchFieldMenu);
    const int count = people ? PeopleSearchFieldCount : MovieSearchFieldCount;
    for (int field = -1; field < count; ++field) {
        QAction *action = m_searchFieldMenu->addAction(SearchFieldCaption(kind, field));
        action->setObjectName(u"SearchField%1"_s.arg(field));
        action->setCheckable(true);
        action->setChecked(field == chosen);
        group->addAction(action);
        if (field == -1)
            m_searchFieldMenu->addSeparator();
        QObject::connect(action, &QAction::triggered, action, [this, people, kind, field] {
            if (!people && field == AdvancedSearchField)
                ShowAdvancedSearch();
            else
                ChooseSearchField(kind, field);
        });
    }
    const QList<QAction *> actions = m_searchFieldMenu->actions();
    for (QAction *action : actions) {
        if (action->objectName() == u"SearchField%1"_s.arg(chosen))
            m_searchFieldCaption = action->text();
    }
    ShowSearchFieldCaption();
    const bool boxOn = chosen >= 0 && !(!people && chosen == AdvancedSearchField);
    m_searchEdit->setEnabled(boxOn);
}

void TFilterController::ShowSearchFieldCaption()
{
    // The button keeps its width; a long field name is shortened and shown whole as a tip.
    const int room = std::max(20, m_searchFieldButton->width() - 18);
    const QString shown = m_searchFieldButton->fontMetrics().elidedText(
        QString(m_searchFieldCaption).remove(u'&'), Qt::ElideRight, room);
    m_searchFieldButton->setText(shown);
    m_searchFieldButton->setToolTip(QString(m_searchFieldCaption).remove(u'&'));
}

void TFilterController::RebuildWebSearchMenus()
{
    RebuildWebSearchMenu();
    RebuildWebEngineMenu();
}

void TFilterController::RebuildWebSearchMenu()
{
    m_webSearchMenu->clear();
    const int count = std::min(m_settings.SearchNames.size(), m_settings.SearchUrls.size());
    for (int i = 0; i < count; ++i) {
        const QString &name = m_settings.SearchNames.at(i);
        if (name == u"-"_s) {
            m_webSearchMenu->addSeparator();
            continue;
        }
        QAction *action = m_webSearchMenu->addAction(name);
        action->setObjectName(u"WebSearch%1"_s.arg(i));
        QObject::connect(action, &QAction::triggered, action, [this, i, name] {
            // The current record's title or name is offered for editing first.
            QString proposal;
            if (const TDBItem *record = m_host.Shown().Current()) {
                proposal = record->Kind() == TRecordKind::Person
                               ? static_cast<const TActor *>(record)->Name()
                               : static_cast<const TBaseMovie *>(record)->DisplayTitle();
            }
            const std::optional<QString> text =
                m_host.Dialogs().AskText(m_host.Window(),
                                         QString(name).remove(u'&'),
                                         Text(1884, u"Text to search for:"_s),
                                         proposal);
            if (text)
                WebSearch(i, *text);
        });
    }
    if (m_webSearchMenu->isEmpty()) {
        QAction *none = m_webSearchMenu->addAction(Text(1883, u"(no search engines)"_s));
        none->setEnabled(false);
    }
}

void TFilterController::RebuildWebEngineMenu()
{
    m_webEngineMenu->clear();
    auto *group = new QActionGroup(m_webEngineMenu);
    const int count = int(std::min(m_settings.SearchNames.size(), m_settings.SearchUrls.size()));
    if (m_webEngine >= count
        || (m_webEngine >= 0 && m_settings.SearchNames.at(m_webEngine) == u"-"_s))
        m_webEngine = -1;
    for (int i = 0; i < count; ++i) {
        const QString &name = m_settings.SearchNames.at(i);
        if (name == u"-"_s) {
            m_webEngineMenu->addSeparator();
            continue;
        }
        if (m_webEngine < 0)
            m_webEngine = i;
        QAction *action = m_webEngineMenu->addAction(name);
        action->setObjectName(u"WebEngine%1"_s.arg(i));
        action->setCheckable(true);
        action->setChecked(i == m_webEngine);
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, action, [this, i, name] {
            m_webEngine = i;
            m_webEngineButton->setText(name);
        });
    }
    m_webEngineButton->setText(m_webEngine >= 0 ? m_settings.SearchNames.at(m_webEngine)
                                                : Text(1883, u"(no search engines)"_s));
    m_goAction->setEnabled(m_webEngine >= 0);
}

// ----- filters and search --------------------------------------------------------------------

void TFilterController::ChooseFilter(int &slot, int value)
{
    if (slot == value)
        return;
    slot = value;
    UpdateFilterChecks();
    ReapplyFilters();
}

void TFilterController::ReapplyFilters()
{
    if (!m_host.Database() || m_host.Shown().Refilter())
        return;
    m_host.Shown().SetCurrent(nullptr);
    m_host.Edit().SetEditState(TEditState::Empty);
    m_host.Edit().ShowCurrent();
}

void TFilterController::ChooseSearchField(TRecordKind kind, int field)
{
    const bool people = kind == TRecordKind::Person;
    int &slot = people ? m_filter.PeopleField : m_filter.MovieField;
    const int count = people ? PeopleSearchFieldCount : MovieSearchFieldCount;
    if (field < -1 || field >= count || field == slot)
        return;
    slot = field;
    if (people == m_host.PeopleMode())
        RebuildSearchFieldMenu();
    if (field == -1 && !people && !m_searchEdit->text().isEmpty()) {
        // Emptying the box re-applies the filters.
        m_searchEdit->clear();
        return;
    }
    ReapplyFilters();
}

void TFilterController::SetSearchField(TRecordKind kind, int field, const QString &text)
{
    const bool people = kind == TRecordKind::Person;
    int &slot = people ? m_filter.PeopleField : m_filter.MovieField;
    if (slot != field) {
        slot = field;
        if (people == m_host.PeopleMode())
            RebuildSearchFieldMenu();
    }
    // The box announces the change, which re-applies once.
    if (m_searchEdit->text() != text)
        m_searchEdit->setText(text);
    else
        ReapplyFilters();
}

void TFilterController::ShowAdvancedSearch()
{
    const std::optional<QStringList> criteria =
        m_host.Dialogs().AskAdvancedSearch(m_host.Window(), m_filter.Criteria);
    bool any = false;
    if (criteria) {
        m_filter.Criteria = *criteria;
        while (m_filter.Criteria.size() < CriterionCount)
            m_filter.Criteria.append(QString());
        for (const QString &text : std::as_const(m_filter.Criteria))
            any = any || !text.isEmpty();
    }
    if (criteria && any) {
        m_filter.MovieField = -2; // forces the choice below to count as a change
        ChooseSearchField(TRecordKind::Movie, AdvancedSearchField);
        return;
    }
    if (m_filter.MovieField == AdvancedSearchField)
        ChooseSearchField(TRecordKind::Movie, -1);
}

void TFilterController::WebSearch(int index, const QString &text)
{
    if (index < 0 || index >= m_settings.SearchUrls.size() || text.isEmpty())
        return;
    const QString address = WebSearchAddress(m_settings.SearchUrls.at(index), text);
    if (!address.isEmpty())
        TRecordDialogs::OpenCatalogTarget(
            m_host.Dialogs(), m_host.Window(), address, TLinkUse::Link);
}

// ----- the cards' captions -------------------------------------------------------------------

QString TFilterController::SearchFieldCaption(TRecordKind kind, int field) const
{
    const bool people = kind == TRecordKind::Person;
    const int count = people ? PeopleSearchFieldCount : MovieSearchFieldCount;
    if (field < -1 || field >= count)
        return {};
    return Text((people ? 2050 : 2000) + 1 + field, DefaultSearchCaption(people, field));
}

QString TFilterController::SortColumnCaption(TRecordKind kind, int item) const
{
    if (kind == TRecordKind::Person) {
        const int column = PeopleSortColumnForItem(item);
        return Text(PeopleCaptionText(column), DefaultPeopleCaption(column));
    }
    const int column = MovieSortColumnForItem(item);
    return Text(MovieCaptionText(column), DefaultMovieCaption(column));
}
