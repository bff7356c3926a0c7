#include "app/grouping.h"

#include <algorithm>

#include "app/listmodel.h"

using namespace Qt::StringLiterals;

TGrouping::TGrouping(TListModel &model)
    : m_model(model)
    , m_kind(model.People() ? TRecordKind::Person : TRecordKind::Movie)
{}

void TGrouping::SetLevels(const QList<int> &levels, bool undefinedGroup)
{
    const int count = GroupFieldCount(m_kind);
    m_levels.clear();
    for (int field : levels) {
        if (field >= 0 && field < count)
            m_levels.append(field);
    }
    m_undefinedGroup = undefinedGroup;
}

QString TGrouping::Caption(int field, const QString &value) const
{
    return GroupCaption(m_kind, field, value, m_texts);
}

void TGrouping::BuildGroups(const QList<const TDBItem *> &records)
{
    if (m_levels.isEmpty())
        return;
    BuildLevel(Bucketed(records, 0), nullptr, 0, nullptr);
}

QList<TViewNode *> TGrouping::ParentsFor(const TDBItem &record)
{
    if (m_levels.isEmpty())
        return {nullptr};
    QList<TViewNode *> answers;
    Descend(record, nullptr, 0, answers);
    return answers;
}

TGrouping::TLevelValues TGrouping::Bucketed(const QList<const TDBItem *> &records, int level) const
{
    TLevelValues result;
    for (qsizetype i = records.size() - 1; i >= 0; --i) {
        for (const QString &value : ValuesAt(*records[i], level)) {
            const QString key = value.toCaseFolded();
            auto it = result.records.find(key);
            if (it == result.records.end()) {
                result.values.append(value);
                it = result.records.insert(key, {});
            }
            it->append(records[i]);
        }
    }
    // Collected last-first; the next level walks them from the last again.
    for (auto &bucket : result.records)
        std::reverse(bucket.begin(), bucket.end());
    return result;
}

QStringList TGrouping::ValuesAt(const TDBItem &record, int level) const
{
    return DistinctGroupValues(record, m_levels[level]);
}

TViewNode *TGrouping::MakeGroupNode(TViewNode *parent, int field, const QString &value)
{
    QString caption = Caption(field, value);
    if (caption.isEmpty()) {
        if (!m_undefinedGroup)
            return nullptr;
        caption = m_texts.Undefined;
    }
    return m_model.AddGroupNode(parent, caption, value);
}

void TGrouping::BuildLevel(const TLevelValues &values,
                           TViewNode *parent,
                           int level,
                           QList<TViewNode *> *leaves)
{
    const int field = m_levels[level];
    const bool deeper = level + 1 < m_levels.size();
    for (const QString &value : values.values) {
        TViewNode *node = MakeGroupNode(parent, field, value);
        // Without an undefined group the records of the value sit right under the parent,
        // and no deeper groups are made for them.
        if (!node) {
            if (leaves)
                leaves->append(parent);
            continue;
        }
        const qsizetype leavesBefore = leaves ? leaves->size() : 0;
        if (deeper) {
            // The value's records are those that yield it; only some rules ask more.
            QList<const TDBItem *> selected = values.records.value(value.toCaseFolded());
            if (!BelongsByValuesAlone(m_kind, field)) {
                selected.removeIf(
                    [&](const TDBItem *record) { return !BelongsToGroup(*record, field, value); });
            }
            BuildLevel(Bucketed(selected, level + 1), node, level + 1, leaves);
        }
        if (leaves && leaves->size() == leavesBefore)
            leaves->append(node);
    }
}

void TGrouping::Descend(const TDBItem &record,
                        TViewNode *parent,
                        int level,
                        QList<TViewNode *> &answers)
{
    if (level == m_levels.size()) {
        answers.append(parent);
        return;
    }
    for (const QString &value : ValuesAt(record, level)) {
        if (TViewNode *node = m_model.FindGroupChild(parent, value)) {
            Descend(record, node, level + 1, answers);
            continue;
        }
        TLevelValues single;
        single.values = {value};
        single.records.insert(value.toCaseFolded(), {&record});
        BuildLevel(single, parent, level, &answers);
    }
}
