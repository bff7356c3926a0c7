#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "logic/groupvalues.h"

class TDBItem;
class TListModel;
struct TViewNode;

// The tree view's groups for one list: builds every group node at once, and finds (or
// makes) the groups a single record belongs under later.
class TGrouping
{
public:
    explicit TGrouping(TListModel &model);

    // Field numbers that are out of range are dropped.
    void SetLevels(const QList<int> &levels, bool undefinedGroup);
    const QList<int> &Levels() const { return m_levels; }
    bool UndefinedGroup() const { return m_undefinedGroup; }
    void SetTexts(const TGroupTexts &texts) { m_texts = texts; }

    // The caption of the group node for value at a field, or empty when the value goes to
    // the undefined group.
    QString Caption(int field, const QString &value) const;

    // Makes every group node for these records (all of the list's kind, in catalog order)
    // under the top level. Records are not placed.
    void BuildGroups(const QList<const TDBItem *> &records);
    // The parent nodes a record is shown under; {nullptr} (the top level) without levels.
    // Missing groups are made on the way.
    QList<TViewNode *> ParentsFor(const TDBItem &record);

private:
    // The records of one level sorted by the values they yield there.
    struct TLevelValues
    {
        // Merged without regard to case, in the order first met (last record first).
        QStringList values;
        // The records yielding each value, by case-folded value, in their given order.
        QHash<QString, QList<const TDBItem *>> records;
    };
    // Derives every record's values once; a record without values adds the level's
    // fallback.
    TLevelValues Bucketed(const QList<const TDBItem *> &records, int level) const;
    // The record's values at a level (or its fallback), without repeats.
    QStringList ValuesAt(const TDBItem &record, int level) const;
    // The group node for value under parent; nullptr when the value's records are to sit
    // directly under parent (undefined group off).
    TViewNode *MakeGroupNode(TViewNode *parent, int field, const QString &value);
    // Makes the group for each value under parent and recurses into deeper levels; the
    // deepest parents made are appended to `leaves` when it is given.
    void BuildLevel(const TLevelValues &values,
                    TViewNode *parent,
                    int level,
                    QList<TViewNode *> *leaves);
    // One step of ParentsFor: parent stands at `level` - 1 (nullptr: the top).
    void Descend(const TDBItem &record, TViewNode *parent, int level, QList<TViewNode *> &answers);

    TListModel &m_model;
    TRecordKind m_kind;
    QList<int> m_levels;
    bool m_undefinedGroup = true;
    TGroupTexts m_texts;
};
