// The main window's catalog lists: views, columns, sorting, groups, the focused record and
// the grid's in-place editing.
#include <algorithm>
#include <numeric>

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSplitter>
#include <QStackedWidget>

#include "app/catalogview.h"
#include "app/grouping.h"
#include "app/listcolumns.h"
#include "app/listmodel.h"
#include "app/logform.h"
#include "app/mainwindow.h"
#include "app/recordcard.h"
#include "catalog/actor.h"
#include "catalog/basemovie.h"
#include "catalog/daycount.h"
#include "catalog/localetext.h"
#include "catalog/movie.h"
#include "catalog/textrules.h"
#include "catalog/videodatabase.h"
#include "logic/titleformat.h"
#include "views/mvframe.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int DefaultColumnWidth = 80;

QList<const TDBItem *> AllRecords(const TVideoDatabase &db, bool people)
{
    QList<const TDBItem *> records;
    const int count = people ? db.PersonCount() : db.MovieCount();
    records.reserve(count);
    for (int i = 0; i < count; ++i) {
        records.append(people ? static_cast<const TDBItem *>(db.Person(i))
                              : static_cast<const TDBItem *>(db.Movie(i)));
    }
    return records;
}

} // namespace

void TMain::CreateLists()
{
    m_movieModel = new TListModel(this);
    m_peopleModel = new TListModel(this, true);
    auto movieColumns = std::make_unique<TMovieColumns>();
    auto peopleColumns = std::make_unique<TPeopleColumns>();
    m_movieColumns = movieColumns.get();
    m_peopleColumns = peopleColumns.get();
    m_movieModel->SetTextProvider(std::move(movieColumns));
    m_peopleModel->SetTextProvider(std::move(peopleColumns));
    // A whole-list sort makes each row's text once.
    m_movieModel->SetSortBracket([this](bool starting) {
        starting ? m_movieColumns->Cache().Begin() : m_movieColumns->Cache().End();
    });
    m_peopleModel->SetSortBracket([this](bool starting) {
        starting ? m_peopleColumns->Cache().Begin() : m_peopleColumns->Cache().End();
    });
    m_movieGroups = std::make_unique<TGrouping>(*m_movieModel, false);
    m_peopleGroups = std::make_unique<TGrouping>(*m_peopleModel, true);

    m_movieList = new TCatalogList(m_movieModel, MovieTitleColumn, m_listStack);
    m_movieList->setObjectName(u"MovieList"_s);
    m_peopleList = new TCatalogList(m_peopleModel, PeopleTitleColumn, m_listStack);
    m_peopleList->setObjectName(u"PeopleList"_s);
    m_listStack->addWidget(m_movieList);
    m_listStack->addWidget(m_peopleList);
    ConnectList(m_movieList, false);
    ConnectList(m_peopleList, true);
}

void TMain::ConnectList(TCatalogList *list, bool people)
{
    // Delete in the list only: in a text box or a cell editor it deletes text.
    QAction *remove = Action(u"DelVidAct"_s);
    remove->setShortcut(QKeySequence(Qt::Key_Delete));
    remove->setShortcutContext(Qt::WidgetShortcut);
    list->addAction(remove);
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        CommandUpdate();
    });
    // A model reset replaces nothing but the rows; the selection model stays the same.
    connect(list, &TCatalogList::FocusLeaving, this, [this, people] { OnFocusLeaving(people); });
    connect(list,
            &TCatalogList::NodeFocused,
            this,
            [this, people, list](TViewNode *, TDBItem *record, bool startEditing) {
                if (list == ShownList())
                    OnNodeFocused(people, record, startEditing);
            });
    connect(
        list, &TCatalogList::DeleteRequested, this, [this] { Action(u"DelVidAct"_s)->trigger(); });
    connect(
        list, &TCatalogList::BookmarkRequested, this, [this] { Action(u"BookAct"_s)->trigger(); });
    connect(list, &TCatalogList::LinkRequested, this, [this](TDBItem *movie) {
        OnLinkRequested(movie);
    });
    connect(list, &TCatalogList::HeaderClicked, this, [this, people](int column) {
        SortByColumn(people, column);
    });
    connect(list, &TCatalogList::CellEditStarted, this, [this](int column) {
        OnCellEditStarted(column);
    });
    connect(list, &TCatalogList::CellEditFinished, this, [this] { OnCellEditFinished(); });
    connect(list->header(), &QHeaderView::sectionMoved, this, [this, people] {
        if (!m_applyingColumns && ListView(people) == TViewMode::Grid)
            StoreColumnLayout(people);
    });
    connect(list->header(),
            &QHeaderView::sectionResized,
            this,
            [this, people, list](int column, int, int width) {
                if (!m_applyingColumns && ListView(people) == TViewMode::Grid
                    && !list->isColumnHidden(column) && width > 0) {
                    StoreColumnWidth(people, column, width);
                }
            });
}

void TMain::InstallListRules()
{
    for (TListModel *model : {m_movieModel, m_peopleModel}) {
        const bool people = model == m_peopleModel;
        model->SetFilterRule([this](const TDBItem &record) {
            return m_batchFilter ? m_batchFilter->Passes(record) : RecordPasses(record, m_filter);
        });
        model->SetParentsRule([this, people](const TDBItem &record) -> QList<TViewNode *> {
            if (ListView(people) != TViewMode::Tree)
                return {nullptr};
            return (people ? m_peopleGroups : m_movieGroups)->ParentsFor(record);
        });
    }
    ApplyGrouping();
}

std::unique_ptr<TVideoDatabase> TMain::NewCatalog(const QString &fileName)
{
    auto db = std::make_unique<TVideoDatabase>(fileName);
    db->AddObserver(m_movieModel);
    db->AddObserver(m_peopleModel);
    db->SetPicsInFoldersSetting(m_settings.PicsInFolders);
    db->OnLog = TLogSink{m_logForm};
    db->SetTextRules(TextRules());
    return db;
}

TTextRules TMain::TextRules() const
{
    return {{m_settings.PrefixMode, m_settings.PrefixList, m_settings.AllCapsTitle},
            m_settings.PeopleAllCapsTitle};
}

void TMain::ApplyGrouping()
{
    TGroupTexts texts;
    texts.Undefined = Text(1865, texts.Undefined);
    for (int i = 0; i < int(texts.Ratings.size()); ++i)
        texts.Ratings[size_t(i)] = Text(2150 + i, texts.Ratings[size_t(i)]);
    m_movieGroups->SetTexts(texts);
    m_peopleGroups->SetTexts(texts);
    m_movieGroups->SetLevels(m_settings.MovieGroups, m_settings.MovieUndefinedGroup);
    m_peopleGroups->SetLevels(m_settings.PeopleGroups, m_settings.PeopleUndefinedGroup);
    if (m_db)
        m_db->SetTextRules(TextRules());
}

TViewMode TMain::ListView(bool people) const
{
    return ViewModeFromSetting(people ? m_settings.PeopleViewMode : m_settings.MovieViewMode);
}

bool TMain::SetListView(bool people, TViewMode view)
{
    const bool noLevels = (people ? m_peopleGroups : m_movieGroups)->Levels().isEmpty();
    if (view == TViewMode::Tree && noLevels) {
        UpdateViewActions();
        return false;
    }
    // An edit in progress is kept before the rows go.
    OnFocusLeaving(people);
    (people ? m_settings.PeopleViewMode : m_settings.MovieViewMode) = int(view);
    BuildList(people);
    if (people == m_peopleMode)
        ApplyListLayout();
    UpdateViewActions();
    return true;
}

void TMain::UpdateViewActions()
{
    const TViewMode view = ListView(m_peopleMode);
    const bool open = m_db != nullptr;
    Action(u"PlainViewAct"_s)->setEnabled(open);
    Action(u"TreeViewAct"_s)->setEnabled(open);
    Action(u"GridViewAct"_s)->setEnabled(open);
    Action(u"PlainViewAct"_s)->setChecked(view == TViewMode::Plain);
    Action(u"TreeViewAct"_s)->setChecked(view == TViewMode::Tree);
    Action(u"GridViewAct"_s)->setChecked(view == TViewMode::Grid);
}

void TMain::ApplyListLayout()
{
    // The grid fills the window; the card has nothing to show beside it.
    const bool grid = ListView(m_peopleMode) == TViewMode::Grid;
    if (grid == m_cardStack->isHidden())
        return;
    m_cardStack->setVisible(!grid);
    if (!grid) {
        const int listWidth = std::max(150, m_settings.Splitter);
        m_splitter->setSizes({listWidth, std::max(1, m_splitter->width() - listWidth)});
    }
    ShownList()->FitTitleColumn();
}

void TMain::BuildList(bool people)
{
    if (!m_db)
        return;
    TCatalogList *list = people ? m_peopleList : m_movieList;
    TListModel *model = people ? m_peopleModel : m_movieModel;
    TDBItem *previous = CurrentRecord(people);
    const TViewMode view = ListView(people);
    const QList<const TDBItem *> records = AllRecords(*m_db, people);
    // One prepared filter for every record of the build.
    const TFilter filter(m_filter);
    m_batchFilter = &filter;
    const auto done = qScopeGuard([this] { m_batchFilter = nullptr; });

    // The rows are sorted once, when the outer bracket closes.
    model->BeginUpdate();
    model->Build(*m_db, [&] {
        PrepareColumns(people);
        if (view == TViewMode::Tree)
            (people ? m_peopleGroups : m_movieGroups)->BuildGroups(records);
    });
    ApplySort(people);
    model->EndUpdate();

    list->SetViewMode(view);
    if (view == TViewMode::Grid)
        ApplyGridColumns(people);
    // The rows were sorted when the bracket closed; only the header has to show it.
    ShowSortIndicator(people);
    if (previous && previous->Shown() && list->SelectRecord(previous))
        return;
    list->SelectFirst();
}

void TMain::PrepareColumns(bool people)
{
    const bool grid = ListView(people) == TViewMode::Grid;
    const QString example = ShortDateText(DateToDays(QDate(1970, 5, 12)));
    (people ? m_peopleList : m_movieList)
        ->Delegate()
        ->SetRefusalHint(Text(4000, u"This is not a date. Type it as %1 or as 1970-05-12."_s)
                             .replace(u"%1"_s, example));
    if (people) {
        QStringList captions;
        for (int i = 0; i < PeopleColumns; ++i)
            captions.append(Text(PeopleCaptionText(i), DefaultPeopleCaption(i)));
        m_peopleColumns->SetCaptions(captions);
        m_peopleColumns->SetGrid(grid);
        m_peopleColumns->SetTitleFormat(m_settings.PeopleTitleFormat);
        return;
    }
    QStringList captions;
    for (int i = 0; i < MovieFixedColumns; ++i)
        captions.append(Text(MovieCaptionText(i), DefaultMovieCaption(i)));
    m_movieColumns->SetCaptions(captions,
                                m_db ? m_db->CustomFieldNames() : m_movieColumns->CustomNames());
    m_movieColumns->SetGrid(grid);
    m_movieColumns->SetTitleFormat(m_settings.TitleFormat);
}

TSortSettings &TMain::SortState(bool people, TViewMode view)
{
    switch (view) {
    case TViewMode::Tree:
        return people ? m_settings.PeopleTreeSort : m_settings.TreeSort;
    case TViewMode::Grid:
        return people ? m_settings.PeopleGridSort : m_settings.GridSort;
    case TViewMode::Plain:
        break;
    }
    return people ? m_settings.PeoplePlainSort : m_settings.PlainSort;
}

const TSortSettings &TMain::SortState(bool people, TViewMode view) const
{
    return const_cast<TMain *>(this)->SortState(people, view);
}

void TMain::ApplySort(bool people)
{
    TListModel *model = people ? m_peopleModel : m_movieModel;
    const TViewMode view = ListView(people);
    const TSortSettings &state = SortState(people, view);
    int column = state.SortBy;
    // A column that no longer exists (a deleted custom field) sorts by title.
    if (column < 0 || column >= model->columnCount())
        column = people ? PeopleTitleColumn : MovieTitleColumn;
    const Qt::SortOrder order = state.SortDirection == 0 ? Qt::AscendingOrder : Qt::DescendingOrder;
    if (people) {
        model->Sort(column, order, [this](const TViewNode &a, const TViewNode &b, int c) {
            return m_peopleColumns->Compare(a, b, c);
        });
    } else {
        model->Sort(column, order, [this](const TViewNode &a, const TViewNode &b, int c) {
            return m_movieColumns->Compare(a, b, c);
        });
    }
    ShowSortIndicator(people);
}

void TMain::ShowSortIndicator(bool people)
{
    TCatalogList *list = people ? m_peopleList : m_movieList;
    const TListModel *model = list->Model();
    list->header()->setSortIndicatorShown(ListView(people) == TViewMode::Grid);
    list->header()->setSortIndicator(model->SortColumn(), model->SortOrder());
}

void TMain::SortByColumn(bool people, int column)
{
    TListModel *model = people ? m_peopleModel : m_movieModel;
    if (column <= 0 || column >= model->columnCount())
        return;
    TSortSettings &state = SortState(people, ListView(people));
    if (state.SortBy == column)
        state.SortDirection = state.SortDirection == 0 ? 1 : 0;
    else
        state.SortBy = column;
    ApplySort(people);
}

Qt::SortOrder TMain::SortDirectionForItem(bool people, int item) const
{
    const TViewMode view = ListView(people) == TViewMode::Tree ? TViewMode::Tree : TViewMode::Plain;
    const TSortSettings &state = SortState(people, view);
    const int column = people ? PeopleSortColumnForItem(item) : MovieSortColumnForItem(item);
    const bool ascending = state.SortDirection == 0;
    if (column == state.SortBy)
        return ascending ? Qt::DescendingOrder : Qt::AscendingOrder;
    return ascending ? Qt::AscendingOrder : Qt::DescendingOrder;
}

void TMain::SortByItem(bool people, int item)
{
    // The cards stand beside the plain and tree views only.
    const TViewMode view = ListView(people) == TViewMode::Tree ? TViewMode::Tree : TViewMode::Plain;
    TSortSettings &state = SortState(people, view);
    const int column = people ? PeopleSortColumnForItem(item) : MovieSortColumnForItem(item);
    if (state.SortBy == column)
        state.SortDirection = state.SortDirection == 0 ? 1 : 0;
    else
        state.SortBy = column;
    if (ListView(people) == view)
        ApplySort(people);
}

QList<TColumnSettings> &TMain::ColumnStates(bool people)
{
    return people ? m_settings.PeopleGridColumns : m_settings.GridColumns;
}

void TMain::ApplyGridColumns(bool people)
{
    TCatalogList *list = people ? m_peopleList : m_movieList;
    const int count = list->Model()->columnCount();
    QList<TColumnSettings> &states = ColumnStates(people);
    while (states.size() < count)
        states.append(TColumnSettings{true, int(states.size()), DefaultColumnWidth});
    m_applyingColumns = true;
    QHeaderView *header = list->header();
    for (int n = 0; n < count; ++n) {
        const TColumnSettings &state = states.at(n);
        list->setColumnHidden(n, !state.Visible);
        header->resizeSection(n, std::max(header->minimumSectionSize(), state.Width));
    }
    // Stored positions may repeat or leave gaps: their order decides.
    QList<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&states](int a, int b) {
        return states.at(a).Position < states.at(b).Position;
    });
    for (int visual = 0; visual < count; ++visual)
        header->moveSection(header->visualIndex(order.at(visual)), visual);
    m_applyingColumns = false;
}

void TMain::StoreColumnLayout(bool people)
{
    TCatalogList *list = people ? m_peopleList : m_movieList;
    QList<TColumnSettings> &states = ColumnStates(people);
    const int count = std::min(int(states.size()), list->Model()->columnCount());
    for (int n = 0; n < count; ++n)
        states[n].Position = list->header()->visualIndex(n);
}

void TMain::StoreColumnWidth(bool people, int column, int width)
{
    QList<TColumnSettings> &states = ColumnStates(people);
    if (column >= 0 && column < states.size())
        states[column].Width = width;
}

void TMain::AddCustomColumns()
{
    const int wanted = MovieFixedColumns + m_db->CustomFieldCount();
    QList<TColumnSettings> &states = m_settings.GridColumns;
    while (states.size() < wanted)
        states.append(TColumnSettings{true, int(states.size()), DefaultColumnWidth});
    m_movieColumns->SetCustomNames(m_db->CustomFieldNames());
    m_movieModel->ColumnsChanged();
    m_movieFrame->SetCustomFieldNames(m_db->CustomFieldNames());
}

void TMain::OnCustomFieldAdded(int index)
{
    const int column = MovieFixedColumns + index;
    QList<TColumnSettings> &states = m_settings.GridColumns;
    const TColumnSettings fresh{true, column, DefaultColumnWidth};
    if (column < states.size())
        states[column] = fresh;
    else
        states.append(fresh);
    CustomColumnsChanged();
}

void TMain::OnCustomFieldDeleted(int index)
{
    const int column = MovieFixedColumns + index;
    QList<TColumnSettings> &states = m_settings.GridColumns;
    if (column < states.size())
        states.removeAt(column);
    CustomColumnsChanged();
}

void TMain::CustomColumnsChanged()
{
    m_movieFrame->SetCustomFieldNames(m_db->CustomFieldNames());
    m_movieColumns->SetCustomNames(m_db->CustomFieldNames());
    // The column count changes: the view is set up again around the same rows.
    m_movieModel->ColumnsChanged();
    m_movieList->SetViewMode(ListView(false));
    if (ListView(false) == TViewMode::Grid)
        ApplyGridColumns(false);
    // The sort column may have been the deleted field.
    ApplySort(false);
    if (m_currentMovie)
        m_movieList->SelectRecord(m_currentMovie);
}

void TMain::OnCustomFieldRenamed(int index)
{
    Q_UNUSED(index);
    m_movieFrame->SetCustomFieldNames(m_db->CustomFieldNames());
    m_movieColumns->SetCustomNames(m_db->CustomFieldNames());
    m_movieModel->HeadersChanged();
}

TCardSettings TMain::CardSettings() const
{
    TCardSettings card;
    std::copy(
        m_settings.ItemVisible.begin(), m_settings.ItemVisible.end(), card.ItemVisible.begin());
    std::copy(m_settings.PeopleItemVisible.begin(),
              m_settings.PeopleItemVisible.end(),
              card.PeopleItemVisible.begin());
    card.Collapse = m_settings.Collapse;
    card.PeopleCollapse = m_settings.PeopleCollapse;
    card.DurationInMinutes = m_settings.DurationInMinutes;
    card.TransNames = m_settings.TransNames;
    card.MaxPosterWidth = m_settings.MaxPosterWidth;
    card.MaxPosterHeight = m_settings.MaxPosterHeight;
    card.MaxPhotoWidth = m_settings.MaxPhotoWidth;
    card.MaxPhotoHeight = m_settings.MaxPhotoHeight;
    card.ExternalPosters = m_settings.ExternalPosters;
    card.Genres = m_settings.GenresList;
    card.MediaTypes = m_settings.MediaTypeList;
    card.Qualities = m_settings.QualityList;
    card.Translations = m_settings.TranslationList;
    card.VideoCodecs = m_settings.VideoCodecsList;
    card.AudioCodecs = m_settings.AudioCodecsList;
    card.Careers = m_settings.CareerList;
    card.DoMovieColors = m_settings.DoMovieColors;
    const std::array<int, 21> colors = PaletteColors(m_settings.Colors, palette());
    card.MainColor = ColorFromWindows(colors[16]);
    card.CustomColor = ColorFromWindows(colors[17]);
    card.FileColor = ColorFromWindows(colors[18]);
    card.PictureColor = ColorFromWindows(colors[19]);
    card.CardColor = ColorFromWindows(colors[20]);
    return card;
}

void TMain::ApplyListLook()
{
    // The window's palette: on a theme switch the window hears of it before its lists do.
    const QPalette desktop = palette();
    for (TCatalogList *list : {m_movieList, m_peopleList}) {
        TRowLook look;
        look.DoListColors = m_settings.DoListColors;
        look.Colors = PaletteColors(m_settings.Colors, desktop);
        look.Highlight = desktop.color(QPalette::Active, QPalette::Highlight);
        look.Window = desktop.color(QPalette::Active, QPalette::Base);
        look.Text = desktop.color(QPalette::Active, QPalette::Text);
        look.HighlightedText = desktop.color(QPalette::Active, QPalette::HighlightedText);
        list->Delegate()->SetLook(look);
        // The empty area below the rows matches them.
        QPalette viewport = desktop;
        viewport.setColor(QPalette::Base,
                          look.DoListColors ? ColorFromWindows(look.Colors[0]) : look.Window);
        list->viewport()->setPalette(viewport);
        list->viewport()->setAutoFillBackground(true);
        list->viewport()->update();
    }
}

void TMain::RepaintLists()
{
    m_movieList->viewport()->update();
    m_peopleList->viewport()->update();
}

QString TMain::RecordCaption(const TDBItem &record) const
{
    if (record.Kind() == TRecordKind::Person)
        return PersonCaption(static_cast<const TActor &>(record), m_settings.PeopleTitleFormat);
    return MovieCaption(static_cast<const TBaseMovie &>(record), m_settings.TitleFormat);
}

bool TMain::SelectRecord(TDBItem *record)
{
    if (!record)
        return false;
    TCatalogList *list = record->Kind() == TRecordKind::Person ? m_peopleList : m_movieList;
    return list->SelectRecord(record);
}

void TMain::SetCard(bool people, IRecordCard *card)
{
    (people ? m_peopleCard : m_movieCard) = card;
}

void TMain::SetCurrentRecord(bool people, TDBItem *record)
{
    (people ? m_currentPerson : m_currentMovie) = record;
}

void TMain::OnLinkRequested(TDBItem *movie)
{
    if (m_peopleMode || !m_movieCard || !movie || movie->Kind() != TRecordKind::Movie)
        return;
    m_movieCard->AddLinkToMovie(static_cast<TBaseMovie *>(movie));
}
