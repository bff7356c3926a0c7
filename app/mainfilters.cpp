// The main window's filters: the View menu's filter entries, the filter bar (seen button,
// search field, search box, web search) and re-applying them to the shown list.
#include <QAction>
#include <QActionGroup>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include "app/cardedit.h"
#include "app/catalogview.h"
#include "app/listmodel.h"
#include "app/mainui_p.h"
#include "app/mainwindow.h"
#include "app/recorddialogs.h"
#include "catalog/actor.h"
#include "catalog/basemovie.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"

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

} // namespace

void TMain::CreateFilterActions()
{
    for (int filter = 0; filter < 5; ++filter) {
        auto *group = new QActionGroup(this);
        group->setExclusive(true);
        for (int value = 0; value < 3; ++value) {
            const TFilterRow &row = FilterRows[filter][value];
            QAction *action = AddAction(
                QString::fromLatin1(row.name), row.text, QString::fromLatin1(row.caption));
            action->setCheckable(true);
            action->setChecked(value == 0);
            if (*row.shortcut)
                action->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
            group->addAction(action);
            m_ui->FilterActions[filter].append(action);
            connect(action, &QAction::triggered, this, [this, filter, value] {
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
                    ChooseFilter(m_peopleMode ? m_filter.PeopleBookmark : m_filter.MovieBookmark,
                                 value);
                    break;
                }
            });
            if (filter != BookmarkFilter)
                m_ui->MovieOnlyFilters.append(action);
        }
    }
    QAction *advanced = AddAction(u"AdvSearchAct"_s, 199, u"&Advanced Search"_s);
    connect(advanced, &QAction::triggered, this, [this] { ShowAdvancedSearch(); });
    QAction *go = AddAction(u"WebSearchAct"_s, 183, u"Go"_s);
    go->setShortcut(QKeySequence(u"Ctrl+Alt+W"_s));
    connect(go, &QAction::triggered, this, [this] {
        WebSearch(m_webEngine, m_ui->WebSearchEdit->text());
    });
}

void TMain::CreateFilterMenus()
{
    // The filter entries follow the views in the View menu, one group per filter.
    for (int filter = 0; filter < 5; ++filter) {
        QAction *separator = m_ui->ViewMenu->addSeparator();
        if (filter != BookmarkFilter)
            m_ui->MovieOnlyFilters.append(separator);
        for (QAction *action : std::as_const(m_ui->FilterActions[filter]))
            m_ui->ViewMenu->addAction(action);
    }
    m_ui->ToolsMenu->insertAction(m_ui->WebSearchMenu->menuAction(), Action(u"AdvSearchAct"_s));

    // The seen button offers the seen filter; its caption is the chosen entry's.
    auto *seenMenu = new QMenu(m_ui->SeenButton);
    seenMenu->setObjectName(u"SeenFilterMenu"_s);
    for (QAction *action : std::as_const(m_ui->FilterActions[SeenFilter]))
        seenMenu->addAction(action);
    m_ui->SeenButton->setMenu(seenMenu);
    m_ui->SeenButton->setPopupMode(QToolButton::InstantPopup);
    m_language.Exclude(m_ui->SeenButton);

    m_ui->SearchFieldMenu = new QMenu(m_ui->SearchFieldButton);
    m_ui->SearchFieldMenu->setObjectName(u"SearchFieldMenu"_s);
    m_ui->SearchFieldButton->setMenu(m_ui->SearchFieldMenu);
    m_ui->SearchFieldButton->setPopupMode(QToolButton::InstantPopup);
    m_language.Exclude(m_ui->SearchFieldButton);

    m_ui->WebEngineMenu = new QMenu(m_ui->WebEngineButton);
    m_ui->WebEngineMenu->setObjectName(u"WebEngineMenu"_s);
    m_ui->WebEngineButton->setMenu(m_ui->WebEngineMenu);
    m_language.Exclude(m_ui->WebEngineButton);
    m_ui->WebGoButton = new QToolButton(m_ui->FilterBar);
    m_ui->WebGoButton->setObjectName(u"WebGoBtn"_s);
    m_ui->WebGoButton->setDefaultAction(Action(u"WebSearchAct"_s));
    m_ui->WebSearchParts.append(m_ui->FilterBar->addWidget(m_ui->WebGoButton));

    connect(m_ui->SearchEdit, &QLineEdit::textChanged, this, [this](const QString &text) {
        OnSearchTextEdited(text);
    });
    connect(m_ui->WebSearchEdit, &QLineEdit::returnPressed, this, [this] {
        WebSearch(m_webEngine, m_ui->WebSearchEdit->text());
    });
    for (QWidget *part : {static_cast<QWidget *>(m_ui->SeenButton),
                          static_cast<QWidget *>(m_ui->SearchFieldButton),
                          static_cast<QWidget *>(m_ui->WebSearchEdit),
                          static_cast<QWidget *>(m_ui->WebEngineButton)})
        part->setEnabled(true);
    m_ui->SearchEdit->setEnabled(true);
}

void TMain::ChooseFilter(int &slot, int value)
{
    if (slot == value)
        return;
    slot = value;
    UpdateFilterChecks();
    ReapplyFilters();
}

void TMain::UpdateFilterChecks()
{
    const int values[5] = {m_filter.Seen,
                           m_filter.Wish,
                           m_filter.Loan,
                           m_filter.Media,
                           m_peopleMode ? m_filter.PeopleBookmark : m_filter.MovieBookmark};
    for (int filter = 0; filter < 5; ++filter) {
        for (int value = 0; value < 3; ++value)
            m_ui->FilterActions[filter].at(value)->setChecked(value == values[filter]);
    }
    m_ui->SeenButton->setText(
        WithoutAccelerator(m_ui->FilterActions[SeenFilter].at(m_filter.Seen)->text()));
    for (QAction *action : std::as_const(m_ui->MovieOnlyFilters))
        action->setVisible(!m_peopleMode);
}

void TMain::RebuildSearchFieldMenu()
{
    m_ui->SearchFieldMenu->clear();
    const TRecordKind kind = Shown().Kind();
    const bool people = m_peopleMode;
    const int chosen = people ? m_filter.PeopleField : m_filter.MovieField;
    auto *group = new QActionGroup(m_ui->SearchFieldMenu);
    const int count = people ? PeopleSearchFieldCount : MovieSearchFieldCount;
    for (int field = -1; field < count; ++field) {
        QAction *action = m_ui->SearchFieldMenu->addAction(SearchFieldCaption(kind, field));
        action->setObjectName(u"SearchField%1"_s.arg(field));
        action->setCheckable(true);
        action->setChecked(field == chosen);
        group->addAction(action);
        if (field == -1)
            m_ui->SearchFieldMenu->addSeparator();
        connect(action, &QAction::triggered, this, [this, people, kind, field] {
            if (!people && field == AdvancedSearchField)
                ShowAdvancedSearch();
            else
                ChooseSearchField(kind, field);
        });
    }
    const QList<QAction *> actions = m_ui->SearchFieldMenu->actions();
    for (QAction *action : actions) {
        if (action->objectName() == u"SearchField%1"_s.arg(chosen))
            m_searchFieldCaption = action->text();
    }
    ShowSearchFieldCaption();
    const bool boxOn = chosen >= 0 && !(!people && chosen == AdvancedSearchField);
    m_ui->SearchEdit->setEnabled(boxOn);
}

void TMain::ShowSearchFieldCaption()
{
    // The button keeps its width; a long field name is shortened and shown whole as a tip.
    const int room = std::max(20, m_ui->SearchFieldButton->width() - 18);
    const QString shown = m_ui->SearchFieldButton->fontMetrics().elidedText(
        QString(m_searchFieldCaption).remove(u'&'), Qt::ElideRight, room);
    m_ui->SearchFieldButton->setText(shown);
    m_ui->SearchFieldButton->setToolTip(QString(m_searchFieldCaption).remove(u'&'));
}

void TMain::ChooseSearchField(TRecordKind kind, int field)
{
    const bool people = kind == TRecordKind::Person;
    int &slot = people ? m_filter.PeopleField : m_filter.MovieField;
    const int count = people ? PeopleSearchFieldCount : MovieSearchFieldCount;
    if (field < -1 || field >= count || field == slot)
        return;
    slot = field;
    if (people == m_peopleMode)
        RebuildSearchFieldMenu();
    if (field == -1 && !people && !m_ui->SearchEdit->text().isEmpty()) {
        // Emptying the box re-applies the filters.
        m_ui->SearchEdit->clear();
        return;
    }
    ReapplyFilters();
}

void TMain::SetSearchField(TRecordKind kind, int field, const QString &text)
{
    const bool people = kind == TRecordKind::Person;
    int &slot = people ? m_filter.PeopleField : m_filter.MovieField;
    if (slot != field) {
        slot = field;
        if (people == m_peopleMode)
            RebuildSearchFieldMenu();
    }
    // The box announces the change, which re-applies once.
    if (m_ui->SearchEdit->text() != text)
        m_ui->SearchEdit->setText(text);
    else
        ReapplyFilters();
}

void TMain::OnSearchTextEdited(const QString &text)
{
    m_filter.Text = text;
    ReapplyFilters();
}

void TMain::ShowAdvancedSearch()
{
    const std::optional<QStringList> criteria =
        m_dialogs->AskAdvancedSearch(this, m_filter.Criteria);
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

void TMain::ReapplyFilters()
{
    if (!m_db || Shown().Refilter())
        return;
    Shown().SetCurrent(nullptr);
    m_edit->SetEditState(TEditState::Empty);
    m_edit->ShowCurrent();
}

void TMain::RebuildWebEngineMenu()
{
    m_ui->WebEngineMenu->clear();
    auto *group = new QActionGroup(m_ui->WebEngineMenu);
    const int count = int(std::min(m_settings.SearchNames.size(), m_settings.SearchUrls.size()));
    if (m_webEngine >= count
        || (m_webEngine >= 0 && m_settings.SearchNames.at(m_webEngine) == u"-"_s))
        m_webEngine = -1;
    for (int i = 0; i < count; ++i) {
        const QString &name = m_settings.SearchNames.at(i);
        if (name == u"-"_s) {
            m_ui->WebEngineMenu->addSeparator();
            continue;
        }
        if (m_webEngine < 0)
            m_webEngine = i;
        QAction *action = m_ui->WebEngineMenu->addAction(name);
        action->setObjectName(u"WebEngine%1"_s.arg(i));
        action->setCheckable(true);
        action->setChecked(i == m_webEngine);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, i, name] {
            m_webEngine = i;
            m_ui->WebEngineButton->setText(name);
        });
    }
    m_ui->WebEngineButton->setText(m_webEngine >= 0 ? m_settings.SearchNames.at(m_webEngine)
                                                    : Text(1883, u"(no search engines)"_s));
    Action(u"WebSearchAct"_s)->setEnabled(m_webEngine >= 0);
}

void TMain::WebSearch(int index, const QString &text)
{
    if (index < 0 || index >= m_settings.SearchUrls.size() || text.isEmpty())
        return;
    const QString address = WebSearchAddress(m_settings.SearchUrls.at(index), text);
    if (!address.isEmpty())
        TRecordDialogs::OpenCatalogTarget(*m_dialogs, this, address, TLinkUse::Link);
}

QString TMain::SearchFieldCaption(TRecordKind kind, int field) const
{
    const bool people = kind == TRecordKind::Person;
    const int count = people ? PeopleSearchFieldCount : MovieSearchFieldCount;
    if (field < -1 || field >= count)
        return {};
    return Text((people ? 2050 : 2000) + 1 + field, DefaultSearchCaption(people, field));
}

QString TMain::SortColumnCaption(TRecordKind kind, int item) const
{
    if (kind == TRecordKind::Person) {
        const int column = PeopleSortColumnForItem(item);
        return Text(PeopleCaptionText(column), DefaultPeopleCaption(column));
    }
    const int column = MovieSortColumnForItem(item);
    return Text(MovieCaptionText(column), DefaultMovieCaption(column));
}

void TMain::OpenAddress(const QString &address)
{
    if (!address.trimmed().isEmpty())
        TRecordDialogs::OpenCatalogTarget(*m_dialogs, this, address.trimmed(), TLinkUse::Link);
}
