#pragma once

#include <memory>
#include <vector>

#include <QHash>
#include <QSet>
#include <QString>

class TActor;
class TDBItem;

// The catalog's people.
using TPersonList = std::vector<std::unique_ptr<TActor>>;

// The catalog's people by name and by translated name, ordered as CompareNoCase orders
// them, so that finding a person's duplicates costs no scan of every person. It is kept
// lazily: changed people are only marked, and are filed again at the next lookup.
class TNameIndex
{
public:
    enum class TField { Name, Transname };

    // Forgets every person: the next lookup files the whole list again (after a load).
    void Invalidate();
    // A person joined the catalog.
    void Added(TActor *person);
    // A field of a record changed; records the index does not hold are ignored.
    void Changed(const TDBItem *record);
    // A person is leaving the catalog.
    void Removed(const TActor *person);
    // The people whose `field` CompareNoCase finds equal to `text` (not empty), in no
    // particular order; `people` is the catalog's list.
    std::vector<TActor *> Find(TField field, const QString &text, const TPersonList &people);

private:
    struct TEntry
    {
        QString Key;
        TActor *Person;
    };
    // The texts a person is filed under, so that it can be found again after they change.
    struct TFiled
    {
        QString Name;
        QString Transname;
    };

    void File(TActor *person);
    void Unfile(const TActor *person);

    bool m_built = false;
    std::vector<TEntry> m_byName;
    std::vector<TEntry> m_byTransname;
    QHash<const TActor *, TFiled> m_filed;
    // Only people of the index: a record changed after it left is never dereferenced.
    QSet<TActor *> m_changed;
};
