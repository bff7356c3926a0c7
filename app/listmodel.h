#pragma once

#include <climits>
#include <functional>
#include <memory>
#include <vector>

#include <QAbstractItemModel>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include "catalog/catalogobserver.h"
#include "catalog/dbitem.h"

class QMimeData;
class TDBItem;
class TVideoDatabase;

// One row of a catalog list: a record node (a movie, an episode or a person) or a group node
// of the tree view. Nodes are made and owned by a TListModel, which also keeps every record's
// nodes (TListModel::NodesOf).
struct TViewNode
{
    // The record the node shows; nullptr for a group node.
    TDBItem *record = nullptr;
    // The further tag the record gave its node (-1 for a plain record node).
    int secondaryIndex = -1;
    // Group nodes: the text shown, the grouping value the node stands for, and the grouping
    // level (0 at the top). Record nodes have level -1.
    QString caption;
    QString groupValue;
    int level = -1;

    bool IsGroup() const { return record == nullptr; }
    // The parent node; nullptr at the top level.
    TViewNode *Parent() const { return m_parent && m_parent->m_parent ? m_parent : nullptr; }

private:
    friend class TListModel;

    static constexpr int NoneStale = INT_MAX;

    // Parked among its parent's m_parkedChildren (see there).
    bool m_parked = false;
    TViewNode *m_parent = nullptr;
    // The record's next node in this model (a record shows under several groups).
    TViewNode *m_nextOfRecord = nullptr;
    // Inside an update bracket a deleted child leaves an empty slot (a hole) so that deleting
    // many rows stays linear; the model closes the holes before it answers by row again.
    std::vector<std::unique_ptr<TViewNode>> m_children;
    // The node's slot among its parent's children; trusted below the parent's m_staleFrom.
    int m_row = 0;
    // The first child slot whose m_row may be out of date (NoneStale: all are right).
    int m_staleFrom = NoneStale;
    int m_holes = 0;
    int m_firstHole = NoneStale;
    // The group children by case-folded groupValue, made with the first group child.
    std::unique_ptr<QHash<QString, TViewNode *>> m_groups;
    // Rows of records the filter hid, kept to come back without being made again (a
    // keystroke in the quick search hides or shows thousands). A parked node is in no row;
    // its m_row is its slot here. Made with the first one: most nodes never park a child.
    std::unique_ptr<std::vector<std::unique_ptr<TViewNode>>> m_parkedChildren;
};

// The columns of a list and the texts of its cells.
class ITextProvider
{
public:
    virtual ~ITextProvider() = default;
    virtual int ColumnCount() const = 0;
    virtual QString HeaderCaption(int column) const = 0;
    // `column` is within 0..ColumnCount()-1.
    virtual QString CellText(const TViewNode &node, int column) const = 0;
    // Whether the cell may be edited in place (when the model allows editing at all).
    virtual bool Editable(const TViewNode &node, int column) const
    {
        Q_UNUSED(node);
        Q_UNUSED(column);
        return false;
    }
    // Whether the cell would store text as typed (a date column refuses what is no date);
    // the cell editor keeps refused text open and marked instead of storing it.
    virtual bool AcceptsText(const TViewNode &node, int column, const QString &text) const
    {
        Q_UNUSED(node);
        Q_UNUSED(column);
        Q_UNUSED(text);
        return true;
    }
    // Stores an edited cell's text; false when nothing was stored.
    virtual bool SetCellText(const TViewNode &node, int column, const QString &text)
    {
        Q_UNUSED(node);
        Q_UNUSED(column);
        Q_UNUSED(text);
        return false;
    }
};

// The item model under one catalog list (movies with their episodes, or people). It observes
// the catalog: a record that becomes shown gets a row under each parent the parents rule
// names (its movie's rows for an episode), and loses them when hidden or destroyed. The
// model keeps the record-to-row map and the filter deciding what it shows; the window adds
// group nodes, sorts, and maps view indexes to nodes and records. Every change outside an
// update bracket is announced row by row; inside one (BeginUpdate/EndUpdate, nestable) the
// structure changes silently and the outermost EndUpdate resets the model once.
//
// A catalog the model observes must be destroyed, or the model removed from it, before the
// model.
class TListModel : public QAbstractItemModel, public ICatalogObserver
{
    Q_OBJECT

public:
    // Three-way comparison of two rows of the same kind (both group rows or both record
    // rows) by `column`: negative when a sorts before b in ascending order, 0 when equal.
    using TNodeCompare = std::function<int(const TViewNode &a, const TViewNode &b, int column)>;
    // What a record row sorts by in a column: a number, a text, or both (the text decides
    // where the number does not).
    struct TSortKey
    {
        double number = 0;
        QString text;
        // The text holds a digit: only then may a natural order have numbers to read.
        bool digits = false;
    };
    using TSortKeyMaker = std::function<TSortKey(const TDBItem &record, int column)>;
    // Three-way, like TNodeCompare, for the keys of two records.
    using TSortKeyCompare = std::function<int(const TSortKey &a, const TSortKey &b, int column)>;

    // The parent nodes a record is shown under; nullptr stands for the top level.
    using TParentsRule = std::function<QList<TViewNode *>(const TDBItem &record)>;
    // Whether a movie or person passes the list's filter (episodes follow their movie).
    using TFilterRule = std::function<bool(const TDBItem &record)>;

    // `people`: the model lists people; otherwise movies and their episodes.
    explicit TListModel(QObject *parent = nullptr, TRecordKind kind = TRecordKind::Movie);
    ~TListModel() override;

    bool People() const { return m_people; }
    // Empty rules: every record passes, at the top level.
    void SetParentsRule(TParentsRule rule) { m_parentsRule = std::move(rule); }
    void SetFilterRule(TFilterRule rule) { m_filterRule = std::move(rule); }
    bool Passes(const TDBItem &record) const { return !m_filterRule || m_filterRule(record); }
    // Shows a hidden record that passes the filter; a shown one stays as it is.
    void ShowIfPassing(TDBItem &record) const;
    // Gives a shown record its rows afresh (its group values changed), if it still passes.
    void Reshow(TDBItem &record) const;
    // Shows a record that passes the filter and hides one that does not.
    void ApplyFilter(TDBItem &record) const;
    // The list afresh from the catalog, in one update bracket: every record of the model's
    // kind is hidden and the list emptied; `prepare` runs (the columns, the group nodes; it
    // calls ForgetOrder when it changes what the sort keys read);
    // then every record that passes the filter is shown, and groups left without records
    // are removed.
    void Build(const TVideoDatabase &db, const std::function<void()> &prepare = {});

    // ICatalogObserver: the records of this model's kind.
    void RecordAdded(TDBItem &record) override;
    void RecordRemoving(TDBItem &record) override;
    void RecordShown(TDBItem &record) override;
    void RecordHidden(TDBItem &record) override;
    // Repaints the record's rows; where it sorts is left to Resort.
    void RecordChanged(TDBItem &record) override;
    void RecordMoved(TDBItem &record) override;
    // The records may be destroyed or replaced: their places go.
    void ResetStarted() override;
    void ResetFinished() override;

    // Replaces the columns (resetting the model); nullptr restores the one title column:
    // a movie's display title, an episode's number and title, a person's name, a group's
    // caption.
    void SetTextProvider(std::unique_ptr<ITextProvider> provider);
    const ITextProvider &TextProvider() const { return *m_texts; }

    // A record node under parent (nullptr: the top level). A record of nullptr makes an
    // empty group node. A parent that is not a node of this model gives nullptr.
    TViewNode *AddChildNode(TViewNode *parent, TDBItem *record, int secondaryIndex);
    // Deletes node with its subtree, then every group node above it that is left empty.
    // nullptr and handles this model does not hold are ignored.
    void DeleteNode(TViewNode *node);
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return m_updateDepth > 0; }
    // An update bracket in which records added, shown, hidden or changed leave the rows
    // alone (a record destroyed still loses its rows), for a caller that runs Build after
    // EndRebuild: an import of thousands of records then builds the list once. Nestable.
    void BeginRebuild();
    void EndRebuild();

    // A group node under parent (nullptr: the top level); its level follows from the parent.
    TViewNode *
    AddGroupNode(TViewNode *parent, const QString &caption, const QString &groupValue = {});
    // The group child of parent (nullptr: the top level) whose groupValue equals value
    // without regard to case; the first one made when several do. nullptr when none.
    TViewNode *FindGroupChild(const TViewNode *parent, const QString &value) const;
    // Deletes every group node that holds nothing (deepest first); the number deleted.
    int PruneEmptyGroups();
    // Hides every record that still has a node here (so records and shown counts stay
    // right), then deletes every node. The sort rule and the columns stay.
    void Clear();

    // nullptr for an invalid index or one of another model.
    TViewNode *NodeOf(const QModelIndex &index) const;
    // Invalid for nullptr, a node that is not this model's, or a column out of range.
    QModelIndex IndexOf(const TViewNode *node, int column = 0) const;
    // nullptr for a group row or an invalid index.
    TDBItem *RecordOf(const QModelIndex &index) const;
    // The first of the record's nodes in this model, or nullptr.
    TViewNode *FirstNodeOf(const TDBItem *record) const;
    // Every node of the record in this model, in the order they were made.
    QList<TViewNode *> NodesOf(const TDBItem *record) const;
    bool Contains(const TViewNode *node) const
    {
        return node && m_live.contains(node) && !node->m_parked;
    }
    // Repaints every row of the record (after its fields changed).
    void RecordChanged(const TDBItem *record);
    // The text provider's columns changed in number (resets the model) or in caption.
    void ColumnsChanged();
    void HeadersChanged();
    // Whether cells the text provider calls editable may be edited (the grid view), and
    // whether rows may be dragged (the plain and tree views).
    void SetEditable(bool editable) { m_editable = editable; }
    bool IsEditable() const { return m_editable; }
    void SetDraggable(bool draggable) { m_draggable = draggable; }
    // Every node of the model, group nodes and record nodes at every level.
    int NodeCount() const { return int(m_live.size()) - m_parkedCount; }

    // Children of parent (nullptr: the top level), in row order.
    int ChildCount(const TViewNode *parent) const;
    // nullptr for a row out of range.
    TViewNode *Child(const TViewNode *parent, int row) const;
    QList<TViewNode *> Children(const TViewNode *parent) const;
    QList<TViewNode *> RootNodes() const { return Children(nullptr); }
    // The row of node among its parent's children; -1 when it is not this model's.
    int RowOf(const TViewNode *node) const;

    // Sorts the children at every level (group rows before record rows in ascending order,
    // after them in descending order; the rest by compare; equal rows keep their order) and keeps
    // the rule: later rows are inserted at their sorted place, and an update bracket sorts once at
    // its end. An empty compare forgets the rule and leaves the rows as they are.
    void Sort(int column, Qt::SortOrder order, TNodeCompare compare);
    // Sorts again by the kept rule, after records changed the fields it compares.
    void Resort();
    // Called with true before and false after every whole-list sort, so a comparison may
    // keep what it works out per row for that sort only.
    void SetSortBracket(std::function<void(bool starting)> bracket)
    {
        m_sortBracket = std::move(bracket);
    }
    // Record rows ordered by keys made once per record: a whole-list sort then compares
    // keys lying side by side instead of walking from each row to its record at every
    // comparison. The keys must order records exactly as the rule's compare does; without
    // them every comparison goes through the compare.
    void SetSortKeys(TSortKeyMaker make, TSortKeyCompare compare)
    {
        m_makeKey = std::move(make);
        m_compareKeys = std::move(compare);
    }
    bool HasSortRule() const { return bool(m_compare); }
    // Works out, unless known, the place of each of `records` (every record of the model's
    // kind, in catalog order) in a list sorted by the kept rule, as Build would place
    // them. Until a record, the columns or the rule change, sorts then go by these places
    // instead of comparing texts, so a refiltered list is in order again at once. Called
    // inside the update bracket of a build, it also sorts the built rows.
    void PrepareOrder(const QList<const TDBItem *> &records);
    bool HasOrder() const { return !m_order.isEmpty(); }
    // Counts what the catalog reported of this model's records (added, removed, changed,
    // shown, hidden, reset), so a caller can tell that nothing changed since it looked.
    quint64 ChangeCount() const { return m_changes; }
    // The places are out of date (what the rule compares changed), and so may the rows be.
    void ForgetOrder()
    {
        m_order.clear();
        m_childOrder.clear();
        m_ranks.clear();
        m_resortPending = true;
    }
    int SortColumn() const { return m_sortColumn; }
    Qt::SortOrder SortOrder() const { return m_sortOrder; }

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant
    headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    // Dragged rows carry their records (as addresses) under this type.
    static QString RecordsMimeType();

private:
    // The node an index's parent stands for: the hidden root for an invalid index.
    TViewNode *ParentNode(const QModelIndex &parent) const;
    TViewNode *Insert(TViewNode *parent, std::unique_ptr<TViewNode> node);
    int InsertPlace(const TViewNode *parent, const TViewNode &node) const;
    bool SortsBefore(const TViewNode &a, const TViewNode &b) const;
    // `reversed`: the places count from the end (ascending places, descending sort).
    void SortChildren(TViewNode *node, const QHash<const TDBItem *, int> &order, bool reversed);
    // Sorts the rows under a record by their places of the last sort, else by the sort keys
    // or the comparison, and remembers their places (m_childOrder).
    void SortUnderRecord(TViewNode *node);
    // Sorts the rows under a record by the sort keys, when the model has them; false when
    // it has none (or a group row is among them).
    bool SortByKeys(TViewNode *node) const;
    // Sorts the children by their records' places in `order`; false (nothing done) when a
    // record child has none.
    bool
    SortByOrder(TViewNode *node, const QHash<const TDBItem *, int> &order, bool reversed) const;
    // Ascending places of `records` (no repeats) by the keys of the sort column; equal keys
    // share a place, so a stable sort by places leaves them as they stand in either
    // direction. Fills m_ranks.
    void RankByKeys(const std::vector<const TDBItem *> &records);
    // Whether m_ranks holds the sort column's place of every record with rows (episodes aside).
    bool RanksCoverRows() const;
    // Every record with rows, once, in row order: a list sorted before by the same keys
    // then costs the sort few comparisons.
    std::vector<const TDBItem *> RecordsInRowOrder() const;
    // SortChildren of the hidden root inside the sort bracket.
    void SortAll();
    // Sorts by the kept rule and tells the views, keeping the places that still hold.
    void SortNow();
    // Drops node and its subtree from the live set and the record map (before they are
    // freed).
    void Forget(const TViewNode *node);
    // Whether the record is of the kind this model lists.
    bool Lists(const TDBItem &record) const;
    // Hidden records' rows directly under the top level or a record are parked rather than
    // freed; a record that leaves the catalog takes its parked rows along.
    void DeleteNodesOf(const TDBItem &record, bool park = false);
    void Park(TViewNode *node);
    // The record's parked row under parent, taken out of the parked ones; nullptr if none.
    std::unique_ptr<TViewNode> Unpark(TViewNode *parent, const TDBItem *record, int secondaryIndex);
    // Takes a parked node out of its parent's parked ones.
    std::unique_ptr<TViewNode> TakeParked(TViewNode *node);
    // Puts a node that is known to the model among parent's rows.
    TViewNode *Place(TViewNode *parent, std::unique_ptr<TViewNode> node);
    // Frees every node at once, inside an update bracket that has started its reset.
    void DropNodes();
    // Starts the one reset of the current update bracket, on its first change; rows that
    // only went away leave the rest in order, so `resort` is false for them.
    void MarkReset(bool resort = true);

    // Closes the holes among node's children and brings their rows up to date.
    static void Tidy(TViewNode *node);
    // node's slot among its parent's children, holes counted, without closing holes.
    static int SlotOf(TViewNode *node);

    bool m_people = false;
    TParentsRule m_parentsRule;
    TFilterRule m_filterRule;
    std::unique_ptr<TViewNode> m_root;
    // Each record's first node; the rest follow through m_nextOfRecord.
    QHash<const TDBItem *, TViewNode *> m_recordNodes;
    // Every node of this model, for telling stale or foreign handles from good ones.
    QSet<const TViewNode *> m_live;
    int m_parkedCount = 0;
    quint64 m_changes = 0;
    std::unique_ptr<ITextProvider> m_texts;
    int m_updateDepth = 0;
    int m_rebuildDepth = 0;
    bool m_resetStarted = false;
    // Rows were added or what they compare changed since the last sort: the end of an
    // update bracket sorts only then, since rows that merely went away leave the rest in
    // order.
    bool m_resortPending = false;
    bool m_editable = false;
    bool m_draggable = false;
    TNodeCompare m_compare;
    std::function<void(bool)> m_sortBracket;
    TSortKeyMaker m_makeKey;
    TSortKeyCompare m_compareKeys;
    // PrepareOrder's places.
    QHash<const TDBItem *, int> m_order;
    // The places of rows under a record among their siblings, as last sorted (see
    // SortChildren); forgotten with m_order, or by a sort by another column or direction.
    QHash<const TDBItem *, int> m_childOrder;
    // The records' ascending places by the keys of m_rankColumn, kept across sorts until
    // what the keys read changes: turning the direction round or sorting by the same column
    // again then compares no keys.
    QHash<const TDBItem *, int> m_ranks;
    int m_rankColumn = -1;
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
