#pragma once

#include <functional>
#include <memory>
#include <utility>

#include <QList>
#include <QObject>
#include <QStringList>

#include "app/listcolumns.h"
#include "catalog/dbitem.h"

class IRecordCard;
class QPalette;
class QWidget;
class TCatalogList;
class TFilter;
class TGrouping;
class TListModel;
class TVideoDatabase;
struct TViewNode;
struct TFilterState;
struct TGroupTexts;
struct TSettings;
struct TSortSettings;
struct TColumnSettings;

// One catalog list, of movies or of people: its view, model, columns, grouping, sort and
// column settings, the record its card shows and the card itself. The window makes one per
// record kind and picks the controller where it used to pick between two copies of each.
class TListController : public QObject
{
    Q_OBJECT

public:
    using TTextFunction = std::function<QString(int number, const QString &english)>;

    // `settings` holds the view, sort, grouping and column settings the list reads and
    // changes; `listParent` takes the list widget.
    TListController(TRecordKind kind, TSettings &settings, TTextFunction text, QWidget *listParent);
    ~TListController() override;

    TRecordKind Kind() const { return m_kind; }
    bool ForPeople() const { return m_kind == TRecordKind::Person; }
    TCatalogList *List() const { return m_list; }
    TListModel *Model() const { return m_model; }
    TGrouping &Groups() const { return *m_groups; }
    int TitleColumn() const;

    // The movie or person shown in the card; nullptr for none.
    TDBItem *Current() const { return m_current; }
    void SetCurrent(TDBItem *record) { m_current = record; }
    // The card beside the list; the controller does not own it.
    IRecordCard *Card() const { return m_card; }
    void SetCard(IRecordCard *card) { m_card = card; }

    // The catalog whose records the list shows (nullptr while none is open) and the filter
    // they pass; both stay owned by the caller.
    void SetCatalog(TVideoDatabase *db);
    void SetFilter(const TFilterState *filter) { m_filter = filter; }
    // Grouping levels from the settings and the group rows' texts.
    void ApplyGrouping(const TGroupTexts &texts);

    TViewMode View() const;
    // Stores the view in the settings; Build shows it.
    void SetView(TViewMode view);
    // Whether records stand under group rows: in the tree view, and in the covers view
    // (as sections) when grouping levels are set.
    bool Grouped() const;
    // Rebuilds the rows from the catalog in the list's view, keeping the focused record.
    void Build();
    // Stores the view and shows it: rebuilt, unless the rows stay the same (the plain, tree
    // and covers views share their rows when grouping and sort rule agree).
    void SwitchView(TViewMode view);
    // Shows exactly the records that pass the filter, keeping the focused record while it
    // passes, else focusing the first row; false when no row is left.
    bool Refilter();
    // Column captions, grid mode, title format and custom fields as the settings say.
    void PrepareColumns();

    // Sorting: the settings of a view, applying them, and the requests of the grid header
    // and of the card's field menus (an item number stands for the column it sorts by).
    TSortSettings &SortState(TViewMode view);
    const TSortSettings &SortState(TViewMode view) const;
    void ApplySort();
    void ShowSortIndicator();
    void SortByColumn(int column);
    Qt::SortOrder SortDirectionForItem(int item) const;
    void SortByItem(int item);

    // Grid columns: visibility, width and order from the settings, and the user's changes
    // stored back.
    QList<TColumnSettings> &ColumnStates();
    void ApplyGridColumns();
    void StoreColumnLayout();
    void StoreColumnWidth(int column, int width);
    // Movies: the catalog's custom fields as the grid's last columns.
    void SetCustomFields(const QStringList &names);
    void OnCustomFieldAdded(int index);
    void OnCustomFieldDeleted(int index);
    void OnCustomFieldRenamed(const QStringList &names);

    // Row colours from the settings and the desktop palette.
    void ApplyLook(const QPalette &desktop);
    void Repaint();
    // Clears the selection, scrolls to the record's first row, selects and focuses it.
    bool SelectRecord(const TDBItem *record);
    // The selected rows in the order the user selected them.
    QList<TViewNode *> SelectedNodes() const;
    // The records of the selected rows in row order, each once.
    QList<TDBItem *> SelectedRecords() const;
    // Record rows stand for themselves, group rows for every record below them.
    QList<TDBItem *> SelectedRecordsBelowGroups() const;
    // The text a plain or tree row shows for a record.
    QString Caption(const TDBItem &record) const;

    // What decides, after an edit, whether the record's rows move: its caption, group
    // values and column texts before the edit.
    struct TRowSnapshot
    {
        const TDBItem *record = nullptr;
        QString caption;
        QList<QStringList> groupValues;
        QStringList columnTexts;
    };
    TRowSnapshot Snapshot(const TDBItem &record) const;
    // Moves or repaints the record's rows after an edit: to new groups, and sorted again
    // when the sort column's text changed (`editColumn` is the grid cell that was edited).
    void UpdatePosition(TDBItem *record, const TRowSnapshot &before, int editColumn);
    // Gives a covers view on screen the size in the settings (the user changed it in the
    // other list's covers view: the size is one for both).
    void ApplyCoverSize();

signals:
    // The user changed the covers view's size; the settings hold it already.
    void CoverSizeChanged(int side);

private:
    void Connect();
    // The column and direction the settings sort the list's view by.
    std::pair<int, Qt::SortOrder> SortRule() const;
    // The model sorts by that rule already.
    bool SortRuleKept() const;
    // The view whose sort settings the card's field menus change: the tree's while the
    // rows are grouped, else the plain view's.
    TViewMode CardSortView() const;
    // The covers view's size from the settings, and its changes stored back.
    void PrepareCovers();

    const TRecordKind m_kind;
    TSettings &m_settings;
    TTextFunction m_text;
    TListModel *m_model = nullptr;
    // Owned by the model; one of them is null.
    TMovieColumns *m_movieColumns = nullptr;
    TPeopleColumns *m_peopleColumns = nullptr;
    std::unique_ptr<TGrouping> m_groups;
    TCatalogList *m_list = nullptr;
    TDBItem *m_current = nullptr;
    IRecordCard *m_card = nullptr;
    TVideoDatabase *m_db = nullptr;
    const TFilterState *m_filter = nullptr;
    // The filter the last refilter applied and the model's change count after it.
    std::unique_ptr<TFilterState> m_applied;
    quint64 m_appliedChanges = 0;
    // While a whole list is built: the filter prepared once for all its records.
    const TFilter *m_batchFilter = nullptr;
    bool m_applyingColumns = false;
    bool m_coversConnected = false;
};
