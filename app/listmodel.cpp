#include "app/listmodel.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <utility>

#include <QMimeData>

#include "catalog/actor.h"
#include "catalog/basemovie.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

namespace {

// The plain and tree views' single column before the title templates take over.
class TTitleTexts : public ITextProvider
{
public:
    int ColumnCount() const override { return 1; }
    QString HeaderCaption(int) const override { return u"Title"_s; }
    QString CellText(const TViewNode &node, int) const override
    {
        const TDBItem *record = node.record;
        if (!record)
            return node.caption;
        switch (record->Kind()) {
        case TRecordKind::Movie:
            return static_cast<const TBaseMovie *>(record)->DisplayTitle();
        case TRecordKind::Episode: {
            const auto *episode = static_cast<const TEpisode *>(record);
            const QString number = QString::number(episode->Epnum());
            const QString title = episode->DisplayTitle();
            return title.isEmpty() ? number : number + u" - "_s + title;
        }
        case TRecordKind::Person:
            return static_cast<const TActor *>(record)->Name();
        }
        return {};
    }
};

} // namespace

TListModel::TListModel(QObject *parent, TRecordKind kind)
    : QAbstractItemModel(parent)
    , m_people(kind == TRecordKind::Person)
    , m_root(std::make_unique<TViewNode>())
    , m_texts(std::make_unique<TTitleTexts>())
{}

TListModel::~TListModel() = default;

bool TListModel::Lists(const TDBItem &record) const
{
    return (record.Kind() == TRecordKind::Person) == m_people;
}

void TListModel::ShowIfPassing(TDBItem &record) const
{
    if (!record.Shown() && Passes(record))
        record.SetShown(true);
}

void TListModel::Reshow(TDBItem &record) const
{
    record.SetShown(false);
    ShowIfPassing(record);
}

void TListModel::ApplyFilter(TDBItem &record) const
{
    record.SetShown(Passes(record));
}

void TListModel::Build(const TVideoDatabase &db, const std::function<void()> &prepare)
{
    const int count = m_people ? db.PersonCount() : db.MovieCount();
    const auto recordAt = [&](int i) -> TDBItem & {
        return m_people ? static_cast<TDBItem &>(*db.Person(i))
                        : static_cast<TDBItem &>(*db.Movie(i));
    };
    BeginUpdate();
    // The places follow the rows built; the ranks stay unless `prepare` changes what the
    // keys read (and says so through ForgetOrder).
    m_order.clear();
    m_resortPending = true;
    // Every row goes at once; hiding the records then finds no row left to delete.
    MarkReset();
    DropNodes();
    for (int i = 0; i < count; ++i)
        recordAt(i).SetShown(false);
    if (prepare)
        prepare();
    m_recordNodes.reserve(count);
    for (int i = 0; i < count; ++i)
        ShowIfPassing(recordAt(i));
    // Groups whose records are all filtered out would stand empty until the next change.
    if (m_root->m_groups && !m_root->m_groups->isEmpty())
        PruneEmptyGroups();
    EndUpdate();
}

void TListModel::RecordAdded(TDBItem &record)
{
    ++m_changes;
    if (Lists(record))
        ForgetOrder();
    if (m_rebuildDepth > 0)
        return;
    // A new record is shown; the filter may not admit it.
    if (Lists(record) && record.Shown() && !Passes(record))
        record.SetShown(false);
}

void TListModel::RecordShown(TDBItem &record)
{
    ++m_changes;
    if (!Lists(record) || m_rebuildDepth > 0)
        return;
    if (record.Kind() == TRecordKind::Episode) {
        // The series' chain does not change while its episode gets rows.
        const TMovie *movie = static_cast<const TEpisode &>(record).Parent();
        for (TViewNode *node = FirstNodeOf(movie); node; node = node->m_nextOfRecord) {
            if (!node->m_parked)
                AddChildNode(node, &record, -1);
        }
        return;
    }
    if (!m_parentsRule) {
        AddChildNode(nullptr, &record, -1);
        return;
    }
    for (TViewNode *parent : m_parentsRule(record))
        AddChildNode(parent, &record, -1);
}

void TListModel::RecordHidden(TDBItem &record)
{
    ++m_changes;
    if (Lists(record) && m_rebuildDepth == 0)
        DeleteNodesOf(record, true);
}

void TListModel::RecordChanged(TDBItem &record)
{
    ++m_changes;
    if (!Lists(record))
        return;
    ForgetOrder();
    if (m_rebuildDepth == 0)
        RecordChanged(&record);
}

void TListModel::RecordRemoving(TDBItem &record)
{
    ++m_changes;
    if (!Lists(record))
        return;
    ForgetOrder();
    DeleteNodesOf(record);
}

void TListModel::RecordMoved(TDBItem &record)
{
    ++m_changes;
    if (Lists(record))
        ForgetOrder();
}

void TListModel::ResetStarted()
{
    ++m_changes;
    ForgetOrder();
    BeginUpdate();
}

void TListModel::ResetFinished()
{
    ++m_changes;
    ForgetOrder();
    EndUpdate();
}

void TListModel::DeleteNodesOf(const TDBItem &record, bool park)
{
    // DeleteNode unlinks the node it deletes (and may take a parent group along), so the
    // chain is read again from its start after each; a parked node stays in it.
    const auto first = [&] {
        return park ? FirstNodeOf(&record) : m_recordNodes.value(&record, nullptr);
    };
    TViewNode *node = first();
    while (node) {
        // Rows under groups go: the tree makes its groups again when their records return.
        if (park && (node->m_parent == m_root.get() || !node->m_parent->IsGroup())) {
            Park(node);
            do
                node = node->m_nextOfRecord;
            while (node && node->m_parked);
        } else {
            DeleteNode(node);
            node = first();
        }
    }
}

void TListModel::Park(TViewNode *node)
{
    TViewNode *parent = node->m_parent;
    std::unique_ptr<TViewNode> owned;
    if (Updating()) {
        MarkReset(false);
        const int slot = SlotOf(node);
        owned = std::move(parent->m_children[size_t(slot)]);
        ++parent->m_holes;
        parent->m_firstHole = std::min(parent->m_firstHole, slot);
    } else {
        const int row = RowOf(node);
        beginRemoveRows(parent == m_root.get() ? QModelIndex() : IndexOf(parent), row, row);
        owned = std::move(parent->m_children[size_t(row)]);
        parent->m_children.erase(parent->m_children.begin() + row);
        parent->m_staleFrom = std::min(parent->m_staleFrom, row);
    }
    if (!parent->m_parkedChildren)
        parent->m_parkedChildren = std::make_unique<std::vector<std::unique_ptr<TViewNode>>>();
    node->m_parked = true;
    node->m_row = int(parent->m_parkedChildren->size());
    parent->m_parkedChildren->push_back(std::move(owned));
    ++m_parkedCount;
    if (!Updating())
        endRemoveRows();
}

std::unique_ptr<TViewNode>
TListModel::Unpark(TViewNode *parent, const TDBItem *record, int secondaryIndex)
{
    if (!parent->m_parkedChildren || parent->m_parkedChildren->empty())
        return nullptr;
    TViewNode *node = m_recordNodes.value(record, nullptr);
    while (node
           && !(node->m_parked && node->m_parent == parent
                && node->secondaryIndex == secondaryIndex)) {
        node = node->m_nextOfRecord;
    }
    return node ? TakeParked(node) : nullptr;
}

std::unique_ptr<TViewNode> TListModel::TakeParked(TViewNode *node)
{
    auto &parked = *node->m_parent->m_parkedChildren;
    const auto slot = size_t(node->m_row);
    std::unique_ptr<TViewNode> owned = std::move(parked[slot]);
    if (slot + 1 < parked.size()) {
        parked[slot] = std::move(parked.back());
        parked[slot]->m_row = int(slot);
    }
    parked.pop_back();
    node->m_parked = false;
    --m_parkedCount;
    return owned;
}

void TListModel::SetTextProvider(std::unique_ptr<ITextProvider> provider)
{
    if (!provider)
        provider = std::make_unique<TTitleTexts>();
    ForgetOrder();
    if (Updating()) {
        MarkReset();
        m_texts = std::move(provider);
        return;
    }
    beginResetModel();
    m_texts = std::move(provider);
    endResetModel();
}

void TListModel::MarkReset(bool resort)
{
    if (resort)
        m_resortPending = true;
    if (!m_resetStarted) {
        m_resetStarted = true;
        beginResetModel();
    }
}

void TListModel::BeginUpdate()
{
    ++m_updateDepth;
}

void TListModel::EndUpdate()
{
    // An unmatched EndUpdate must not leave the counter below zero.
    if (m_updateDepth == 0 || --m_updateDepth > 0)
        return;
    if (!m_resetStarted)
        return;
    if (m_compare && m_resortPending)
        SortAll();
    m_resetStarted = false;
    endResetModel();
}

void TListModel::BeginRebuild()
{
    ++m_rebuildDepth;
    BeginUpdate();
}

void TListModel::EndRebuild()
{
    if (m_rebuildDepth == 0)
        return;
    --m_rebuildDepth;
    EndUpdate();
}

void TListModel::Tidy(TViewNode *node)
{
    auto &children = node->m_children;
    int from = node->m_staleFrom;
    if (node->m_holes > 0) {
        from = std::min(from, node->m_firstHole);
        children.erase(std::remove(children.begin() + node->m_firstHole, children.end(), nullptr),
                       children.end());
        node->m_holes = 0;
        node->m_firstHole = TViewNode::NoneStale;
    }
    for (int i = from, n = int(children.size()); i < n; ++i)
        children[size_t(i)]->m_row = i;
    node->m_staleFrom = TViewNode::NoneStale;
}

int TListModel::SlotOf(TViewNode *node)
{
    TViewNode *parent = node->m_parent;
    auto &children = parent->m_children;
    if (parent->m_staleFrom < int(children.size())) {
        for (int i = parent->m_staleFrom, n = int(children.size()); i < n; ++i) {
            if (children[size_t(i)])
                children[size_t(i)]->m_row = i;
        }
    }
    parent->m_staleFrom = TViewNode::NoneStale;
    return node->m_row;
}

int TListModel::RowOf(const TViewNode *node) const
{
    if (!Contains(node))
        return -1;
    auto *parent = node->m_parent;
    Tidy(parent);
    return node->m_row;
}

TViewNode *TListModel::ParentNode(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return m_root.get();
    return static_cast<TViewNode *>(parent.internalPointer());
}

int TListModel::ChildCount(const TViewNode *parent) const
{
    if (parent && !Contains(parent))
        return 0;
    const TViewNode *node = parent ? parent : m_root.get();
    return int(node->m_children.size()) - node->m_holes;
}

TViewNode *TListModel::Child(const TViewNode *parent, int row) const
{
    if (parent && !Contains(parent))
        return nullptr;
    // Nodes are only ever made mutable; const here means "does not change what is shown".
    auto *node = const_cast<TViewNode *>(parent ? parent : m_root.get());
    Tidy(node);
    if (row < 0 || row >= int(node->m_children.size()))
        return nullptr;
    return node->m_children[size_t(row)].get();
}

QList<TViewNode *> TListModel::Children(const TViewNode *parent) const
{
    QList<TViewNode *> result;
    if (parent && !Contains(parent))
        return result;
    const TViewNode *node = parent ? parent : m_root.get();
    result.reserve(qsizetype(node->m_children.size()));
    for (const auto &child : node->m_children) {
        if (child)
            result.append(child.get());
    }
    return result;
}

TViewNode *TListModel::NodeOf(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<TViewNode *>(index.internalPointer());
}

QModelIndex TListModel::IndexOf(const TViewNode *node, int column) const
{
    if (!Contains(node) || column < 0 || column >= columnCount())
        return {};
    return createIndex(RowOf(node), column, node);
}

TDBItem *TListModel::RecordOf(const QModelIndex &index) const
{
    const TViewNode *node = NodeOf(index);
    return node ? node->record : nullptr;
}

TViewNode *TListModel::FirstNodeOf(const TDBItem *record) const
{
    TViewNode *node = record ? m_recordNodes.value(record, nullptr) : nullptr;
    while (node && node->m_parked)
        node = node->m_nextOfRecord;
    return node;
}

QList<TViewNode *> TListModel::NodesOf(const TDBItem *record) const
{
    QList<TViewNode *> nodes;
    for (TViewNode *node = FirstNodeOf(record); node; node = node->m_nextOfRecord) {
        if (!node->m_parked)
            nodes.append(node);
    }
    return nodes;
}

TViewNode *TListModel::AddChildNode(TViewNode *parent, TDBItem *record, int secondaryIndex)
{
    if (parent && !Contains(parent))
        return nullptr;
    TViewNode *under = parent ? parent : m_root.get();
    if (record) {
        if (std::unique_ptr<TViewNode> parked = Unpark(under, record, secondaryIndex))
            return Place(under, std::move(parked));
    }
    auto node = std::make_unique<TViewNode>();
    node->record = record;
    node->secondaryIndex = secondaryIndex;
    if (!record)
        node->level = parent && parent->IsGroup() ? parent->level + 1 : 0;
    return Insert(under, std::move(node));
}

TViewNode *
TListModel::AddGroupNode(TViewNode *parent, const QString &caption, const QString &groupValue)
{
    if (parent && !Contains(parent))
        return nullptr;
    auto node = std::make_unique<TViewNode>();
    node->caption = caption;
    node->groupValue = groupValue;
    node->level = parent && parent->IsGroup() ? parent->level + 1 : 0;
    return Insert(parent ? parent : m_root.get(), std::move(node));
}

TViewNode *TListModel::FindGroupChild(const TViewNode *parent, const QString &value) const
{
    if (parent && !Contains(parent))
        return nullptr;
    const TViewNode *node = parent ? parent : m_root.get();
    if (!node->m_groups)
        return nullptr;
    return node->m_groups->value(value.toCaseFolded(), nullptr);
}

int TListModel::PruneEmptyGroups()
{
    const int before = NodeCount();
    // Deepest first; DeleteNode also takes every group above that it leaves empty, so a
    // node may be gone by the time its turn comes.
    const std::function<void(TViewNode *)> prune = [&](TViewNode *node) {
        for (TViewNode *child : Children(node == m_root.get() ? nullptr : node)) {
            if (Contains(child) && child->IsGroup())
                prune(child);
        }
        if (node != m_root.get() && Contains(node) && node->IsGroup() && ChildCount(node) == 0)
            DeleteNode(node);
    };
    prune(m_root.get());
    return before - NodeCount();
}

void TListModel::RecordChanged(const TDBItem *record)
{
    if (!record || Updating())
        return;
    const int last = columnCount() - 1;
    for (TViewNode *node = FirstNodeOf(record); node; node = node->m_nextOfRecord) {
        if (!node->m_parked)
            emit dataChanged(IndexOf(node, 0), IndexOf(node, last));
    }
}

void TListModel::ColumnsChanged()
{
    ForgetOrder();
    if (Updating()) {
        MarkReset();
        return;
    }
    beginResetModel();
    endResetModel();
}

void TListModel::HeadersChanged()
{
    if (columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

TViewNode *TListModel::Insert(TViewNode *parent, std::unique_ptr<TViewNode> node)
{
    TViewNode *raw = node.get();
    raw->m_parent = parent;
    m_live.insert(raw);
    if (raw->record) {
        // Appended to the record's chain, so its nodes keep the order they were made in.
        TViewNode *&first = m_recordNodes[raw->record];
        TViewNode **link = &first;
        while (*link)
            link = &(*link)->m_nextOfRecord;
        *link = raw;
    }
    if (raw->IsGroup()) {
        if (!parent->m_groups)
            parent->m_groups = std::make_unique<QHash<QString, TViewNode *>>();
        // The first group of a value stays the one found.
        const QString key = raw->groupValue.toCaseFolded();
        if (!parent->m_groups->contains(key))
            parent->m_groups->insert(key, raw);
    }
    return Place(parent, std::move(node));
}

TViewNode *TListModel::Place(TViewNode *parent, std::unique_ptr<TViewNode> node)
{
    TViewNode *raw = node.get();
    auto &children = parent->m_children;
    if (Updating()) {
        // Appended: the bracket's end sorts everything at once.
        MarkReset();
        raw->m_row = int(children.size());
        children.push_back(std::move(node));
        return raw;
    }
    Tidy(parent);
    const int row = m_compare ? InsertPlace(parent, *raw) : int(children.size());
    beginInsertRows(parent == m_root.get() ? QModelIndex() : IndexOf(parent), row, row);
    children.insert(children.begin() + row, std::move(node));
    raw->m_row = row;
    if (row + 1 < int(children.size()))
        parent->m_staleFrom = std::min(parent->m_staleFrom, row + 1);
    endInsertRows();
    return raw;
}

void TListModel::Forget(const TViewNode *node)
{
    m_live.remove(node);
    if (node->m_parked)
        --m_parkedCount;
    if (node->record) {
        const auto it = m_recordNodes.find(node->record);
        if (it != m_recordNodes.end()) {
            TViewNode **link = &it.value();
            while (*link && *link != node)
                link = &(*link)->m_nextOfRecord;
            if (*link)
                *link = node->m_nextOfRecord;
            if (!it.value())
                m_recordNodes.erase(it);
        }
    }
    if (node->IsGroup() && node->m_parent && node->m_parent->m_groups) {
        auto &groups = *node->m_parent->m_groups;
        const QString key = node->groupValue.toCaseFolded();
        if (groups.value(key) == node)
            groups.remove(key);
    }
    for (const auto &child : node->m_children) {
        if (child)
            Forget(child.get());
    }
    if (node->m_parkedChildren) {
        for (const auto &child : *node->m_parkedChildren)
            Forget(child.get());
    }
}

void TListModel::DeleteNode(TViewNode *node)
{
    if (node && node->m_parked && m_live.contains(node)) {
        Forget(TakeParked(node).get());
        return;
    }
    if (!Contains(node))
        return;
    TViewNode *parent = node->m_parent;
    if (Updating()) {
        MarkReset(false);
        const int slot = SlotOf(node);
        Forget(node);
        parent->m_children[size_t(slot)].reset();
        ++parent->m_holes;
        parent->m_firstHole = std::min(parent->m_firstHole, slot);
    } else {
        const int row = RowOf(node);
        beginRemoveRows(parent == m_root.get() ? QModelIndex() : IndexOf(parent), row, row);
        Forget(node);
        parent->m_children.erase(parent->m_children.begin() + row);
        parent->m_staleFrom = std::min(parent->m_staleFrom, row);
        endRemoveRows();
    }
    // A group exists only for the records below it; the tree makes it again when needed.
    if (parent != m_root.get() && parent->IsGroup() && ChildCount(parent) == 0)
        DeleteNode(parent);
}

void TListModel::Clear()
{
    ForgetOrder();
    BeginUpdate();
    MarkReset();
    // Records are hidden rather than robbed of their rows: a shown record has rows in the
    // lists that observe its catalog.
    QList<TDBItem *> records;
    const std::function<void(const TViewNode &)> collect = [&](const TViewNode &node) {
        for (const auto &child : node.m_children) {
            if (!child)
                continue;
            if (child->record)
                records.append(child->record);
            collect(*child);
        }
    };
    collect(*m_root);
    for (TDBItem *record : std::as_const(records))
        record->SetShown(false);
    DropNodes();
    EndUpdate();
}

void TListModel::DropNodes()
{
    ++m_changes;
    m_live.clear();
    m_recordNodes.clear();
    m_parkedCount = 0;
    m_root = std::make_unique<TViewNode>();
}

bool TListModel::SortsBefore(const TViewNode &a, const TViewNode &b) const
{
    // Descending order reverses the whole comparison, so records then come before groups.
    if (a.IsGroup() != b.IsGroup())
        return m_sortOrder == Qt::AscendingOrder ? a.IsGroup() : b.IsGroup();
    const int result = m_compare(a, b, m_sortColumn);
    return m_sortOrder == Qt::AscendingOrder ? result < 0 : result > 0;
}

int TListModel::InsertPlace(const TViewNode *parent, const TViewNode &node) const
{
    // After the rows it equals, as a stable sort would have put it.
    const auto &children = parent->m_children;
    const auto it = std::upper_bound(
        children.begin(), children.end(), node, [this](const TViewNode &n, const auto &child) {
            return SortsBefore(n, *child);
        });
    return int(it - children.begin());
}

void TListModel::SortChildren(TViewNode *node,
                              const QHash<const TDBItem *, int> &order,
                              bool reversed)
{
    Tidy(node);
    auto &children = node->m_children;
    if (!SortByOrder(node, order, reversed)) {
        if (!node->IsGroup()) {
            SortUnderRecord(node);
        } else {
            std::stable_sort(children.begin(),
                             children.end(),
                             [this](const auto &a, const auto &b) { return SortsBefore(*a, *b); });
        }
    }
    for (int i = 0, n = int(children.size()); i < n; ++i) {
        children[size_t(i)]->m_row = i;
        if (!children[size_t(i)]->m_children.empty())
            SortChildren(children[size_t(i)].get(), order, reversed);
    }
}

void TListModel::SortUnderRecord(TViewNode *node)
{
    // The rows under a record (a series' episodes) have no place in the list's order: once
    // sorted, they keep their places until the order is forgotten, so that a refilter does
    // not compare every series' episode texts again.
    if (SortByOrder(node, m_childOrder, false))
        return;
    auto &children = node->m_children;
    if (!SortByKeys(node)) {
        std::stable_sort(children.begin(), children.end(), [this](const auto &a, const auto &b) {
            return SortsBefore(*a, *b);
        });
    }
    for (int i = 0, n = int(children.size()); i < n; ++i)
        m_childOrder.insert(children[size_t(i)]->record, i);
}

bool TListModel::SortByKeys(TViewNode *node) const
{
    auto &children = node->m_children;
    if (!m_makeKey || !m_compareKeys
        || std::any_of(
            children.begin(), children.end(), [](const auto &c) { return c->IsGroup(); })) {
        return false;
    }
    // Each row's key made once, not twice per comparison as SortsBefore's texts are.
    std::vector<TSortKey> keys;
    keys.reserve(children.size());
    for (const auto &child : children)
        keys.push_back(m_makeKey(*child->record, m_sortColumn));
    std::vector<size_t> sorted(children.size());
    std::iota(sorted.begin(), sorted.end(), size_t(0));
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    std::stable_sort(sorted.begin(), sorted.end(), [&](size_t a, size_t b) {
        const int result = m_compareKeys(keys[a], keys[b], m_sortColumn);
        return ascending ? result < 0 : result > 0;
    });
    std::vector<std::unique_ptr<TViewNode>> ordered;
    ordered.reserve(children.size());
    for (size_t i : sorted)
        ordered.push_back(std::move(children[i]));
    children = std::move(ordered);
    return true;
}

bool TListModel::SortByOrder(TViewNode *node,
                             const QHash<const TDBItem *, int> &order,
                             bool reversed) const
{
    if (order.isEmpty())
        return false;
    auto &children = node->m_children;
    // Groups keep the rule's comparison (-1); records go by their places.
    std::vector<std::pair<int, std::unique_ptr<TViewNode>>> keyed;
    std::vector<int> places(children.size(), -1);
    for (size_t i = 0; i < children.size(); ++i) {
        if (children[i]->IsGroup())
            continue;
        const auto it = order.constFind(children[i]->record);
        if (it == order.cend())
            return false;
        places[i] = *it;
    }
    keyed.reserve(children.size());
    for (size_t i = 0; i < children.size(); ++i)
        keyed.emplace_back(places[i], std::move(children[i]));
    std::stable_sort(keyed.begin(), keyed.end(), [this, reversed](const auto &a, const auto &b) {
        if (a.first >= 0 && b.first >= 0)
            return reversed ? b.first < a.first : a.first < b.first;
        return SortsBefore(*a.second, *b.second);
    });
    for (size_t i = 0; i < children.size(); ++i)
        children[i] = std::move(keyed[i].second);
    return true;
}

void TListModel::RankByKeys(const std::vector<const TDBItem *> &records)
{
    const int column = m_sortColumn;
    std::vector<TSortKey> keys;
    keys.reserve(records.size());
    for (const TDBItem *record : records)
        keys.push_back(m_makeKey(*record, column));
    const auto compare = [&](int a, int b) {
        return m_compareKeys(keys[size_t(a)], keys[size_t(b)], column);
    };
    std::vector<int> sorted(keys.size());
    std::iota(sorted.begin(), sorted.end(), 0);
    std::stable_sort(sorted.begin(), sorted.end(), [&](int a, int b) { return compare(a, b) < 0; });
    m_ranks.clear();
    m_ranks.reserve(qsizetype(sorted.size()));
    int place = 0;
    for (size_t i = 0; i < sorted.size(); ++i) {
        if (i == 0 || compare(sorted[i - 1], sorted[i]) != 0)
            place = int(i);
        m_ranks.insert(records[size_t(sorted[i])], place);
    }
    m_rankColumn = column;
}

bool TListModel::RanksCoverRows() const
{
    if (m_rankColumn != m_sortColumn || m_ranks.isEmpty())
        return false;
    // Episodes may go without (a build ranks the records of the catalog's list only): a
    // series then orders its few episodes through the rule's comparison.
    for (auto it = m_recordNodes.keyBegin(); it != m_recordNodes.keyEnd(); ++it) {
        if (!m_ranks.contains(*it) && (*it)->Kind() != TRecordKind::Episode && FirstNodeOf(*it))
            return false;
    }
    return true;
}

std::vector<const TDBItem *> TListModel::RecordsInRowOrder() const
{
    std::vector<const TDBItem *> records;
    records.reserve(size_t(m_recordNodes.size()));
    std::vector<const TViewNode *> pending{m_root.get()};
    while (!pending.empty()) {
        const TViewNode *node = pending.back();
        pending.pop_back();
        for (const auto &child : node->m_children) {
            // Holes of an update bracket are not closed yet.
            if (!child)
                continue;
            // A record under several groups counts at its first node.
            if (child->record && FirstNodeOf(child->record) == child.get())
                records.push_back(child->record);
            if (!child->m_children.empty())
                pending.push_back(child.get());
        }
    }
    return records;
}

void TListModel::PrepareOrder(const QList<const TDBItem *> &records)
{
    if (!m_compare || !m_order.isEmpty())
        return;
    if (m_makeKey && m_compareKeys) {
        std::vector<const TDBItem *> listed;
        listed.reserve(size_t(records.size()));
        for (const TDBItem *record : records) {
            if (record && Lists(*record))
                listed.push_back(record);
        }
        const bool ranked = m_rankColumn == m_sortColumn && !m_ranks.isEmpty()
                            && std::all_of(listed.begin(), listed.end(), [this](const auto *r) {
                                   return m_ranks.contains(r);
                               });
        if (!ranked)
            RankByKeys(listed);
        // Every record a place of its own; equal ones in the given order either way.
        std::vector<int> ranks(listed.size());
        for (size_t i = 0; i < listed.size(); ++i)
            ranks[i] = m_ranks.value(listed[i]);
        std::vector<int> sorted(listed.size());
        std::iota(sorted.begin(), sorted.end(), 0);
        const bool ascending = m_sortOrder == Qt::AscendingOrder;
        std::stable_sort(sorted.begin(), sorted.end(), [&](int a, int b) {
            return ascending ? ranks[size_t(a)] < ranks[size_t(b)]
                             : ranks[size_t(b)] < ranks[size_t(a)];
        });
        m_order.reserve(qsizetype(sorted.size()));
        for (size_t i = 0; i < sorted.size(); ++i)
            m_order.insert(listed[size_t(sorted[i])], int(i));
        return;
    }
    // Stand-in rows for every record, sorted as Build sorts the rows it makes.
    std::vector<std::unique_ptr<TViewNode>> rows;
    rows.reserve(size_t(records.size()));
    for (const TDBItem *record : records) {
        if (!record || !Lists(*record))
            continue;
        rows.push_back(std::make_unique<TViewNode>());
        // Only compared, never changed.
        rows.back()->record = const_cast<TDBItem *>(record);
    }
    if (m_sortBracket)
        m_sortBracket(true);
    std::stable_sort(rows.begin(), rows.end(), [this](const auto &a, const auto &b) {
        return SortsBefore(*a, *b);
    });
    if (m_sortBracket)
        m_sortBracket(false);
    m_order.reserve(qsizetype(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i)
        m_order.insert(rows[i]->record, int(i));
}

void TListModel::SortAll()
{
    m_resortPending = false;
    if (m_sortBracket)
        m_sortBracket(true);
    if (m_order.isEmpty() && m_makeKey && m_compareKeys) {
        if (!RanksCoverRows())
            RankByKeys(RecordsInRowOrder());
        SortChildren(m_root.get(), m_ranks, m_sortOrder == Qt::DescendingOrder);
    } else {
        SortChildren(m_root.get(), m_order, false);
    }
    if (m_sortBracket)
        m_sortBracket(false);
}

void TListModel::Sort(int column, Qt::SortOrder order, TNodeCompare compare)
{
    // The places follow the direction; the ranks hold for either while the column stays. A
    // view switch sorts again by the same rule: the episodes then keep their places (what
    // their comparison reads changing forgets them through ForgetOrder).
    if (column != m_sortColumn || order != m_sortOrder)
        m_childOrder.clear();
    m_sortColumn = column;
    m_sortOrder = order;
    m_compare = std::move(compare);
    m_order.clear();
    m_resortPending = true;
    SortNow();
}

void TListModel::Resort()
{
    ForgetOrder();
    SortNow();
}

void TListModel::SortNow()
{
    if (!m_compare)
        return;
    if (Updating()) {
        MarkReset();
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    SortAll();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before) {
        const TViewNode *node = NodeOf(index);
        after.append(createIndex(node->m_row, index.column(), node));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QModelIndex TListModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column < 0 || column >= columnCount() || (parent.isValid() && parent.column() != 0))
        return {};
    TViewNode *node = ParentNode(parent);
    Tidy(node);
    if (row < 0 || row >= int(node->m_children.size()))
        return {};
    return createIndex(row, column, node->m_children[size_t(row)].get());
}

QModelIndex TListModel::parent(const QModelIndex &child) const
{
    const TViewNode *node = NodeOf(child);
    if (!node || node->m_parent == m_root.get())
        return {};
    TViewNode *parent = node->m_parent;
    Tidy(parent->m_parent);
    return createIndex(parent->m_row, 0, parent);
}

int TListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    const TViewNode *node = ParentNode(parent);
    return int(node->m_children.size()) - node->m_holes;
}

int TListModel::columnCount(const QModelIndex &) const
{
    return std::max(0, m_texts->ColumnCount());
}

bool TListModel::hasChildren(const QModelIndex &parent) const
{
    return rowCount(parent) > 0;
}

QVariant TListModel::data(const QModelIndex &index, int role) const
{
    const TViewNode *node = NodeOf(index);
    if (!node || index.column() >= columnCount())
        return {};
    // The cell editor starts from the text as stored, tabs and all.
    if (role == Qt::EditRole)
        return m_texts->CellText(*node, index.column());
    if (role != Qt::DisplayRole)
        return {};
    QString text = m_texts->CellText(*node, index.column());
    // Tabs would open wide gaps in a cell.
    if (text.contains(u'\t'))
        text.replace(u'\t', u"    "_s);
    return text;
}

QVariant TListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= columnCount()) {
        return {};
    }
    return m_texts->HeaderCaption(section);
}

Qt::ItemFlags TListModel::flags(const QModelIndex &index) const
{
    const TViewNode *node = NodeOf(index);
    if (!node)
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_editable && index.column() < columnCount() && m_texts->Editable(*node, index.column()))
        flags |= Qt::ItemIsEditable;
    if (m_draggable && node->record)
        flags |= Qt::ItemIsDragEnabled;
    return flags;
}

bool TListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const TViewNode *node = NodeOf(index);
    if (!node || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    // An editor left as it opened stores nothing: a rating shown as 7.3 stays 7.25, and the
    // catalog is not marked changed.
    const QString text = value.toString();
    if (text == m_texts->CellText(*node, index.column()))
        return true;
    if (!m_texts->SetCellText(*node, index.column(), text))
        return false;
    // The stored value may read differently (a number that did not parse) and the row may
    // have moved.
    if (node->record) {
        RecordChanged(node->record);
        Resort();
    }
    return true;
}

QStringList TListModel::mimeTypes() const
{
    return {RecordsMimeType(), u"text/plain"_s};
}

QMimeData *TListModel::mimeData(const QModelIndexList &indexes) const
{
    // Records travel as addresses: drags never leave this program's lists and cards.
    QList<const TDBItem *> records;
    QStringList texts;
    for (const QModelIndex &index : indexes) {
        const TViewNode *node = NodeOf(index);
        if (!node || !node->record || records.contains(node->record))
            continue;
        records.append(node->record);
        texts.append(m_texts->CellText(*node, index.column()));
    }
    if (records.isEmpty())
        return nullptr;
    QByteArray bytes;
    for (const TDBItem *record : std::as_const(records)) {
        const auto address = quintptr(record);
        bytes.append(reinterpret_cast<const char *>(&address), sizeof address);
    }
    auto *data = new QMimeData;
    data->setData(RecordsMimeType(), bytes);
    data->setText(texts.join(u'\n'));
    return data;
}

QString TListModel::RecordsMimeType()
{
    return u"application/x-reelkeep-records"_s;
}
