// One catalog list: views, columns, sorting, groups and the record its card shows.
#include "app/listcontroller.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScopeGuard>

#include "app/catalogview.h"
#include "app/coverview.h"
#include "app/grouping.h"
#include "app/listmodel.h"
#include "catalog/actor.h"
#include "catalog/basemovie.h"
#include "catalog/daycount.h"
#include "catalog/localetext.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "logic/filters.h"
#include "logic/settings.h"
#include "logic/titleformat.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int DefaultColumnWidth = 80;

// Sort columns whose text an edit can change without changing the caption.
constexpr int MovieResortColumns[] = {5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 17, 19, 20, 21};
constexpr int PeopleResortColumns[] = {4, 5, 6, 7};

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

// The shown count changes with every record a whole list shows or hides; the window hears
// of it once, at the end.
class TShownCountBatch
{
public:
    explicit TShownCountBatch(TVideoDatabase &db)
        : m_db(db)
        , m_changed(std::exchange(db.OnShownCountChanged, nullptr))
    {}
    ~TShownCountBatch()
    {
        m_db.OnShownCountChanged = std::move(m_changed);
        if (m_db.OnShownCountChanged)
            m_db.OnShownCountChanged();
    }
    TShownCountBatch(const TShownCountBatch &) = delete;
    TShownCountBatch &operator=(const TShownCountBatch &) = delete;

private:
    TVideoDatabase &m_db;
    std::function<void()> m_changed;
};

} // namespace

TListController::TListController(TRecordKind kind,
                                 TSettings &settings,
                                 TTextFunction text,
                                 QWidget *listParent)
    : QObject(listParent)
    , m_kind(kind)
    , m_settings(settings)
    , m_text(std::move(text))
{
    m_model = new TListModel(this, kind);
    if (ForPeople()) {
        auto columns = std::make_unique<TPeopleColumns>();
        m_peopleColumns = columns.get();
        m_model->SetTextProvider(std::move(columns));
    } else {
        auto columns = std::make_unique<TMovieColumns>();
        m_movieColumns = columns.get();
        m_model->SetTextProvider(std::move(columns));
    }
    // A whole-list sort makes each row's text once.
    m_model->SetSortBracket([this](bool starting) {
        TSortTextCache &cache = m_movieColumns ? m_movieColumns->Cache() : m_peopleColumns->Cache();
        starting ? cache.Begin() : cache.End();
    });
    m_model->SetSortKeys(
        [this](const TDBItem &record, int column) {
            return m_movieColumns
                       ? m_movieColumns->SortKey(static_cast<const TBaseMovie &>(record), column)
                       : m_peopleColumns->SortKey(static_cast<const TActor &>(record), column);
        },
        [this](const TListModel::TSortKey &a, const TListModel::TSortKey &b, int column) {
            return m_movieColumns ? TMovieColumns::CompareKeys(a, b, column)
                                  : TPeopleColumns::CompareKeys(a, b, column);
        });
    m_groups = std::make_unique<TGrouping>(*m_model);
    m_model->SetFilterRule([this](const TDBItem &record) {
        if (m_batchFilter)
            return m_batchFilter->Passes(record);
        return !m_filter || RecordPasses(record, *m_filter);
    });
    m_model->SetParentsRule([this](const TDBItem &record) -> QList<TViewNode *> {
        if (!Grouped())
            return {nullptr};
        return m_groups->ParentsFor(record);
    });

    m_list = new TCatalogList(m_model, TitleColumn(), listParent);
    m_list->setObjectName(ForPeople() ? u"PeopleList"_s : u"MovieList"_s);
    Connect();
}

TListController::~TListController() = default;

void TListController::SetCatalog(TVideoDatabase *db)
{
    m_db = db;
    m_applied.reset();
}

void TListController::Connect()
{
    connect(
        m_list, &TCatalogList::HeaderClicked, this, [this](int column) { SortByColumn(column); });
    connect(m_list->header(), &QHeaderView::sectionMoved, this, [this] {
        if (!m_applyingColumns && View() == TViewMode::Grid)
            StoreColumnLayout();
    });
    connect(
        m_list->header(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
            if (!m_applyingColumns && View() == TViewMode::Grid && !m_list->isColumnHidden(column)
                && width > 0) {
                StoreColumnWidth(column, width);
            }
        });
}

int TListController::TitleColumn() const
{
    return ForPeople() ? PeopleTitleColumn : MovieTitleColumn;
}

void TListController::ApplyGrouping(const TGroupTexts &texts)
{
    m_groups->SetTexts(texts);
    if (ForPeople())
        m_groups->SetLevels(m_settings.PeopleGroups, m_settings.PeopleUndefinedGroup);
    else
        m_groups->SetLevels(m_settings.MovieGroups, m_settings.MovieUndefinedGroup);
}

TViewMode TListController::View() const
{
    return ViewModeFromSetting(ForPeople() ? m_settings.PeopleViewMode : m_settings.MovieViewMode);
}

void TListController::SetView(TViewMode view)
{
    (ForPeople() ? m_settings.PeopleViewMode : m_settings.MovieViewMode) = int(view);
}

bool TListController::Grouped() const
{
    const TViewMode view = View();
    return view == TViewMode::Tree || (view == TViewMode::Covers && !m_groups->Levels().isEmpty());
}

void TListController::Build()
{
    if (!m_db)
        return;
    TDBItem *previous = m_current;
    const TViewMode view = View();
    const bool grouped = Grouped();
    const QList<const TDBItem *> records = AllRecords(*m_db, ForPeople());
    // One prepared filter for every record of the build.
    const TFilter filter(m_filter ? *m_filter : TFilterState());
    m_batchFilter = &filter;
    const auto done = qScopeGuard([this] { m_batchFilter = nullptr; });

    {
        const TShownCountBatch countBatch(*m_db);
        // The rows are sorted once, when the outer bracket closes, by the places worked out
        // here for every record; keystrokes in the search then find them ready.
        m_model->BeginUpdate();
        m_model->Build(*m_db, [&] {
            PrepareColumns();
            if (grouped)
                m_groups->BuildGroups(records);
        });
        ApplySort();
        m_model->PrepareOrder(records);
        m_model->EndUpdate();
    }

    if (view == TViewMode::Covers)
        PrepareCovers();
    m_list->SetViewMode(view);
    if (view == TViewMode::Grid)
        ApplyGridColumns();
    // The rows were sorted when the bracket closed; only the header has to show it.
    ShowSortIndicator();
    if (previous && previous->Shown() && m_list->SelectRecord(previous))
        return;
    m_list->SelectFirst();
}

void TListController::SwitchView(TViewMode view)
{
    const TViewMode old = View();
    const bool wasGrouped = Grouped();
    const auto oldRule = SortRule();
    SetView(view);
    const bool sameRows = m_db && old != TViewMode::Grid && view != TViewMode::Grid
                          && Grouped() == wasGrouped && SortRule() == oldRule && SortRuleKept();
    if (!sameRows) {
        Build();
        return;
    }
    if (view == TViewMode::Covers)
        PrepareCovers();
    m_list->SetViewMode(view);
    ShowSortIndicator();
}

bool TListController::Refilter()
{
    if (!m_db)
        return false;
    TDBItem *focused = m_model->RecordOf(m_list->currentIndex());
    const int count = ForPeople() ? m_db->PersonCount() : m_db->MovieCount();
    // Prepared once (ranges read, drives asked once per folder) for all records; the list
    // asks the same filter when records are shown.
    const TFilterState state = m_filter ? *m_filter : TFilterState();
    const TFilter filter(state);
    m_batchFilter = &filter;
    const auto done = qScopeGuard([this] { m_batchFilter = nullptr; });
    // Typing on in the search only hides more: while no record changed since the last pass,
    // the records it hid stay hidden untested.
    const bool narrows = m_applied && m_appliedChanges == m_model->ChangeCount()
                         && FilterNarrows(*m_applied, state, m_kind);
    // While the rule stands, the rows are put in the order worked out once for every record
    // instead of comparing their texts at each keystroke.
    const bool ruleKept = SortRuleKept();
    if (ruleKept && !m_model->HasOrder())
        m_model->PrepareOrder(AllRecords(*m_db, ForPeople()));
    {
        const TShownCountBatch countBatch(*m_db);
        m_model->BeginUpdate();
        for (int i = 0; i < count; ++i) {
            TDBItem *record = ForPeople() ? static_cast<TDBItem *>(m_db->Person(i))
                                          : static_cast<TDBItem *>(m_db->Movie(i));
            if (narrows && !record->Shown())
                continue;
            const bool pass = filter.Passes(*record);
            if (pass != record->Shown())
                record->SetShown(pass);
        }
        if (!ruleKept)
            ApplySort();
        m_model->EndUpdate();
    }
    m_applied = std::make_unique<TFilterState>(state);
    m_appliedChanges = m_model->ChangeCount();
    if (focused && focused->Shown() && m_list->SelectRecord(focused))
        return true;
    m_list->SelectFirst();
    return m_model->rowCount() > 0;
}

void TListController::PrepareColumns()
{
    const bool grid = View() == TViewMode::Grid;
    // The title format and columns below decide how rows compare: the sort keys of a view
    // switch that changes none of them still hold.
    const bool keysKept =
        m_peopleColumns
            ? m_peopleColumns->Grid() == grid
                  && m_peopleColumns->TitleFormat() == m_settings.PeopleTitleFormat
            : m_movieColumns->Grid() == grid
                  && m_movieColumns->TitleFormat() == m_settings.TitleFormat
                  && (!m_db || m_movieColumns->CustomNames() == m_db->CustomFieldNames());
    if (!keysKept)
        m_model->ForgetOrder();
    const QString example = ShortDateText(DateToDays(QDate(1970, 5, 12)));
    m_list->Delegate()->SetRefusalHint(
        m_text(4000, u"This is not a date. Type it as %1 or as 1970-05-12."_s)
            .replace(u"%1"_s, example));
    if (m_peopleColumns) {
        QStringList captions;
        for (int i = 0; i < PeopleColumns; ++i)
            captions.append(m_text(PeopleCaptionText(i), DefaultPeopleCaption(i)));
        m_peopleColumns->SetCaptions(captions);
        m_peopleColumns->SetGrid(grid);
        m_peopleColumns->SetTitleFormat(m_settings.PeopleTitleFormat);
        return;
    }
    QStringList captions;
    for (int i = 0; i < MovieFixedColumns; ++i)
        captions.append(m_text(MovieCaptionText(i), DefaultMovieCaption(i)));
    m_movieColumns->SetCaptions(captions,
                                m_db ? m_db->CustomFieldNames() : m_movieColumns->CustomNames());
    m_movieColumns->SetGrid(grid);
    m_movieColumns->SetTitleFormat(m_settings.TitleFormat);
}

TSortSettings &TListController::SortState(TViewMode view)
{
    const bool people = ForPeople();
    switch (view) {
    case TViewMode::Tree:
        return people ? m_settings.PeopleTreeSort : m_settings.TreeSort;
    case TViewMode::Grid:
        return people ? m_settings.PeopleGridSort : m_settings.GridSort;
    case TViewMode::Covers:
        return SortState(CardSortView());
    case TViewMode::Plain:
        break;
    }
    return people ? m_settings.PeoplePlainSort : m_settings.PlainSort;
}

const TSortSettings &TListController::SortState(TViewMode view) const
{
    return const_cast<TListController *>(this)->SortState(view);
}

std::pair<int, Qt::SortOrder> TListController::SortRule() const
{
    const TSortSettings &state = SortState(View());
    int column = state.SortBy;
    // A column that no longer exists (a deleted custom field) sorts by title.
    if (column < 0 || column >= m_model->columnCount())
        column = TitleColumn();
    return {column, state.SortDirection == 0 ? Qt::AscendingOrder : Qt::DescendingOrder};
}

bool TListController::SortRuleKept() const
{
    const auto [column, order] = SortRule();
    return m_model->HasSortRule() && m_model->SortColumn() == column
           && m_model->SortOrder() == order;
}

void TListController::ApplySort()
{
    const auto [column, order] = SortRule();
    m_model->Sort(column, order, [this](const TViewNode &a, const TViewNode &b, int c) {
        return m_movieColumns ? m_movieColumns->Compare(a, b, c)
                              : m_peopleColumns->Compare(a, b, c);
    });
    ShowSortIndicator();
}

void TListController::ShowSortIndicator()
{
    m_list->header()->setSortIndicatorShown(View() == TViewMode::Grid);
    m_list->header()->setSortIndicator(m_model->SortColumn(), m_model->SortOrder());
}

void TListController::SortByColumn(int column)
{
    if (column <= 0 || column >= m_model->columnCount())
        return;
    TSortSettings &state = SortState(View());
    if (state.SortBy == column)
        state.SortDirection = state.SortDirection == 0 ? 1 : 0;
    else
        state.SortBy = column;
    ApplySort();
}

Qt::SortOrder TListController::SortDirectionForItem(int item) const
{
    const TSortSettings &state = SortState(CardSortView());
    const int column = ForPeople() ? PeopleSortColumnForItem(item) : MovieSortColumnForItem(item);
    const bool ascending = state.SortDirection == 0;
    if (column == state.SortBy)
        return ascending ? Qt::DescendingOrder : Qt::AscendingOrder;
    return ascending ? Qt::AscendingOrder : Qt::DescendingOrder;
}

void TListController::SortByItem(int item)
{
    // The cards stand beside the plain, tree and covers views only.
    const TViewMode view = CardSortView();
    TSortSettings &state = SortState(view);
    const int column = ForPeople() ? PeopleSortColumnForItem(item) : MovieSortColumnForItem(item);
    if (state.SortBy == column)
        state.SortDirection = state.SortDirection == 0 ? 1 : 0;
    else
        state.SortBy = column;
    if (&SortState(View()) == &state)
        ApplySort();
}

TViewMode TListController::CardSortView() const
{
    return Grouped() ? TViewMode::Tree : TViewMode::Plain;
}

void TListController::PrepareCovers()
{
    TCoverView *covers = m_list->Covers();
    covers->SetSide(m_settings.CoverSize);
    covers->SetSliderHint(m_text(4301, u"Poster size (Ctrl+mouse wheel)"_s));
    if (m_coversConnected)
        return;
    m_coversConnected = true;
    connect(covers, &TCoverView::SideChanged, this, [this](int side) {
        m_settings.CoverSize = side;
        emit CoverSizeChanged(side);
    });
}

void TListController::ApplyCoverSize()
{
    if (TCoverView *covers = m_list->CoversShown())
        covers->SetSide(m_settings.CoverSize);
}

QList<TColumnSettings> &TListController::ColumnStates()
{
    return ForPeople() ? m_settings.PeopleGridColumns : m_settings.GridColumns;
}

void TListController::ApplyGridColumns()
{
    const int count = m_model->columnCount();
    QList<TColumnSettings> &states = ColumnStates();
    while (states.size() < count)
        states.append(TColumnSettings{true, int(states.size()), DefaultColumnWidth});
    m_applyingColumns = true;
    QHeaderView *header = m_list->header();
    for (int n = 0; n < count; ++n) {
        const TColumnSettings &state = states.at(n);
        m_list->setColumnHidden(n, !state.Visible);
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

void TListController::StoreColumnLayout()
{
    QList<TColumnSettings> &states = ColumnStates();
    const int count = std::min(int(states.size()), m_model->columnCount());
    for (int n = 0; n < count; ++n)
        states[n].Position = m_list->header()->visualIndex(n);
}

void TListController::StoreColumnWidth(int column, int width)
{
    QList<TColumnSettings> &states = ColumnStates();
    if (column >= 0 && column < states.size())
        states[column].Width = width;
}

void TListController::SetCustomFields(const QStringList &names)
{
    if (!m_movieColumns)
        return;
    const int wanted = MovieFixedColumns + int(names.size());
    QList<TColumnSettings> &states = m_settings.GridColumns;
    while (states.size() < wanted)
        states.append(TColumnSettings{true, int(states.size()), DefaultColumnWidth});
    m_movieColumns->SetCustomNames(names);
    m_model->ColumnsChanged();
}

void TListController::OnCustomFieldAdded(int index)
{
    const int column = MovieFixedColumns + index;
    QList<TColumnSettings> &states = m_settings.GridColumns;
    const TColumnSettings fresh{true, column, DefaultColumnWidth};
    if (column < states.size())
        states[column] = fresh;
    else
        states.append(fresh);
}

void TListController::OnCustomFieldDeleted(int index)
{
    const int column = MovieFixedColumns + index;
    QList<TColumnSettings> &states = m_settings.GridColumns;
    if (column < states.size())
        states.removeAt(column);
}

void TListController::OnCustomFieldRenamed(const QStringList &names)
{
    if (!m_movieColumns)
        return;
    m_movieColumns->SetCustomNames(names);
    m_model->HeadersChanged();
}

void TListController::ApplyLook(const QPalette &desktop)
{
    TRowLook look;
    look.DoListColors = m_settings.DoListColors;
    look.Colors = PaletteColors(m_settings.Colors, desktop);
    look.Highlight = desktop.color(QPalette::Active, QPalette::Highlight);
    look.Window = desktop.color(QPalette::Active, QPalette::Base);
    look.Text = desktop.color(QPalette::Active, QPalette::Text);
    look.HighlightedText = desktop.color(QPalette::Active, QPalette::HighlightedText);
    m_list->Delegate()->SetLook(look);
    // The empty area below the rows matches them.
    QPalette viewport = desktop;
    viewport.setColor(QPalette::Base,
                      look.DoListColors ? ColorFromWindows(look.Colors[0]) : look.Window);
    m_list->viewport()->setPalette(viewport);
    m_list->viewport()->setAutoFillBackground(true);
    m_list->viewport()->update();
}

void TListController::Repaint()
{
    m_list->viewport()->update();
}

bool TListController::SelectRecord(const TDBItem *record)
{
    return record && m_list->SelectRecord(record);
}

QList<TViewNode *> TListController::SelectedNodes() const
{
    QList<TViewNode *> nodes;
    // Selection order: the ranges as the user made them.
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    for (const QModelIndex &row : rows) {
        if (TViewNode *node = m_model->NodeOf(row))
            nodes.append(node);
    }
    return nodes;
}

QList<TDBItem *> TListController::SelectedRecords() const
{
    QList<TDBItem *> records;
    QModelIndexList rows = m_list->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) {
        return a.row() < b.row();
    });
    for (const QModelIndex &row : std::as_const(rows)) {
        TDBItem *record = m_model->RecordOf(row);
        if (record && !records.contains(record))
            records.append(record);
    }
    return records;
}

QList<TDBItem *> TListController::SelectedRecordsBelowGroups() const
{
    QList<TDBItem *> records;
    const std::function<void(TViewNode *)> below = [&](TViewNode *node) {
        for (TViewNode *child : m_model->Children(node)) {
            if (child->record && !records.contains(child->record))
                records.append(child->record);
            below(child);
        }
    };
    for (TViewNode *node : SelectedNodes()) {
        if (node->record) {
            if (!records.contains(node->record))
                records.append(node->record);
        } else {
            below(node);
        }
    }
    return records;
}

QString TListController::Caption(const TDBItem &record) const
{
    if (record.Kind() == TRecordKind::Person)
        return PersonCaption(static_cast<const TActor &>(record), m_settings.PeopleTitleFormat);
    return MovieCaption(static_cast<const TBaseMovie &>(record), m_settings.TitleFormat);
}

TListController::TRowSnapshot TListController::Snapshot(const TDBItem &record) const
{
    TRowSnapshot snapshot;
    snapshot.record = &record;
    snapshot.caption = Caption(record);
    for (int field : m_groups->Levels())
        snapshot.groupValues.append(GroupValues(record, field));
    if (m_peopleColumns) {
        const auto &person = static_cast<const TActor &>(record);
        for (int column = 0; column < PeopleColumns; ++column)
            snapshot.columnTexts.append(m_peopleColumns->RecordText(person, column));
    } else {
        const auto &movie = static_cast<const TBaseMovie &>(record);
        for (int column = 0; column < MovieFixedColumns; ++column)
            snapshot.columnTexts.append(m_movieColumns->RecordText(movie, column));
    }
    return snapshot;
}

void TListController::UpdatePosition(TDBItem *record, const TRowSnapshot &before, int editColumn)
{
    const TViewMode view = View();
    const bool snapshotOfRecord = before.record == record;
    if (Grouped() && record->Kind() != TRecordKind::Episode && record->Shown()
        && snapshotOfRecord) {
        QList<QStringList> now;
        for (int field : m_groups->Levels())
            now.append(GroupValues(*record, field));
        // The record moves to the groups of its new values.
        if (now != before.groupValues)
            m_model->Reshow(*record);
    }
    const int column = m_model->SortColumn();
    bool resort = false;
    if (view == TViewMode::Grid) {
        resort = editColumn == column;
    } else if (snapshotOfRecord) {
        if (column == TitleColumn()) {
            resort = Caption(*record) != before.caption;
        } else {
            const auto watched = [column](const auto &columns) {
                return std::find(std::begin(columns), std::end(columns), column)
                       != std::end(columns);
            };
            if ((m_peopleColumns ? watched(PeopleResortColumns) : watched(MovieResortColumns))
                && column < before.columnTexts.size()) {
                const QString now =
                    m_peopleColumns
                        ? m_peopleColumns->RecordText(static_cast<const TActor &>(*record), column)
                        : m_movieColumns->RecordText(static_cast<const TBaseMovie &>(*record),
                                                     column);
                resort = now != before.columnTexts.at(column);
            }
        }
    }
    if (resort)
        m_model->Resort();
    else
        m_model->RecordChanged(record);
}
