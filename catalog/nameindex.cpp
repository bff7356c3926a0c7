#include "catalog/nameindex.h"

#include <algorithm>

#include "catalog/actor.h"
#include "catalog/textutils.h"

namespace {

template <typename TEntry> auto EqualRange(std::vector<TEntry> &entries, QStringView key)
{
    struct TLess
    {
        bool operator()(const TEntry &entry, QStringView text) const
        {
            return CompareNoCase(entry.Key, text) < 0;
        }
        bool operator()(QStringView text, const TEntry &entry) const
        {
            return CompareNoCase(text, entry.Key) < 0;
        }
    };
    return std::equal_range(entries.begin(), entries.end(), key, TLess{});
}

// Empty texts are not filed: a lookup never asks for one.
template <typename TEntry>
void Insert(std::vector<TEntry> &entries, const QString &key, TActor *person)
{
    if (!key.isEmpty())
        entries.insert(EqualRange(entries, key).second, TEntry{key, person});
}

template <typename TEntry>
void Erase(std::vector<TEntry> &entries, const QString &key, const TActor *person)
{
    if (key.isEmpty())
        return;
    const auto [first, last] = EqualRange(entries, key);
    const auto at =
        std::find_if(first, last, [person](const TEntry &entry) { return entry.Person == person; });
    if (at != last)
        entries.erase(at);
}

} // namespace

void TNameIndex::Invalidate()
{
    m_built = false;
    m_byName.clear();
    m_byTransname.clear();
    m_filed.clear();
    m_changed.clear();
}

void TNameIndex::Added(TActor *person)
{
    if (!m_built)
        return;
    m_filed.insert(person, {});
    m_changed.insert(person);
}

void TNameIndex::Changed(const TDBItem *record)
{
    if (!m_built || record->Kind() != TRecordKind::Person)
        return;
    const auto filed = m_filed.constFind(static_cast<const TActor *>(record));
    if (filed != m_filed.constEnd())
        m_changed.insert(const_cast<TActor *>(filed.key()));
}

void TNameIndex::Removed(const TActor *person)
{
    if (!m_built)
        return;
    m_changed.remove(const_cast<TActor *>(person));
    Unfile(person);
}

std::vector<TActor *> TNameIndex::Find(TField field, const QString &text, const TPersonList &people)
{
    if (!m_built) {
        // Sorted once rather than filed one by one: a load files thousands at a time.
        const auto less = [](const TEntry &a, const TEntry &b) {
            return CompareNoCase(a.Key, b.Key) < 0;
        };
        m_filed.reserve(qsizetype(people.size()));
        for (const auto &person : people) {
            m_filed.insert(person.get(), {person->Name(), person->Transname()});
            if (!person->Name().isEmpty())
                m_byName.push_back({person->Name(), person.get()});
            if (!person->Transname().isEmpty())
                m_byTransname.push_back({person->Transname(), person.get()});
        }
        std::stable_sort(m_byName.begin(), m_byName.end(), less);
        std::stable_sort(m_byTransname.begin(), m_byTransname.end(), less);
        m_built = true;
    } else {
        for (TActor *person : std::as_const(m_changed)) {
            const auto filed = m_filed.constFind(person);
            if (filed != m_filed.constEnd() && filed->Name == person->Name()
                && filed->Transname == person->Transname())
                continue;
            Unfile(person);
            File(person);
        }
        m_changed.clear();
    }
    std::vector<TActor *> found;
    if (text.isEmpty())
        return found;
    auto &entries = field == TField::Name ? m_byName : m_byTransname;
    const auto [first, last] = EqualRange(entries, text);
    for (auto it = first; it != last; ++it)
        found.push_back(it->Person);
    return found;
}

void TNameIndex::File(TActor *person)
{
    Insert(m_byName, person->Name(), person);
    Insert(m_byTransname, person->Transname(), person);
    m_filed.insert(person, {person->Name(), person->Transname()});
}

void TNameIndex::Unfile(const TActor *person)
{
    const auto filed = m_filed.constFind(person);
    if (filed == m_filed.constEnd())
        return;
    Erase(m_byName, filed->Name, person);
    Erase(m_byTransname, filed->Transname, person);
    m_filed.erase(filed);
}
