#include "catalog/titleindex.h"

#include <algorithm>

#include "catalog/movie.h"

namespace {

// What a movie added since the last lookup is known by until it is filed: Key never gives
// it, as keys are trimmed. Many movies added without a lookup between must not pile up in
// one bucket that each of them would then be searched out of.
const QString UnfiledKey = QStringLiteral(" ");

} // namespace

QString TTitleIndex::Key(QStringView title)
{
    QString key = title.trimmed().toString();
    // QChar's mapping, not QString::toLower: it keeps the length, like the comparison the
    // duplicate search always made.
    for (QChar &c : key)
        c = c.toLower();
    return key;
}

void TTitleIndex::Invalidate()
{
    m_built = false;
    m_buckets.clear();
    m_keys.clear();
    m_changed.clear();
}

void TTitleIndex::Added(TMovie *movie)
{
    if (!m_built)
        return;
    m_keys.insert(movie, UnfiledKey);
    m_changed.insert(movie);
}

void TTitleIndex::Changed(const TDBItem *record)
{
    // A hash look-up per field change: cheap next to the change itself.
    if (!m_built || record->Kind() != TRecordKind::Movie)
        return;
    const auto filed = m_keys.constFind(static_cast<const TMovie *>(record));
    if (filed != m_keys.constEnd())
        m_changed.insert(const_cast<TMovie *>(filed.key()));
}

void TTitleIndex::Removed(const TMovie *movie)
{
    if (!m_built)
        return;
    m_changed.remove(const_cast<TMovie *>(movie));
    Unfile(movie);
}

const std::vector<TMovie *> &TTitleIndex::Find(const QString &key, const TMovieList &movies)
{
    if (!m_built) {
        m_buckets.reserve(qsizetype(movies.size()));
        m_keys.reserve(qsizetype(movies.size()));
        for (const auto &movie : movies)
            File(movie.get());
        m_built = true;
    } else {
        for (TMovie *movie : std::as_const(m_changed)) {
            const auto filed = m_keys.constFind(movie);
            if (filed != m_keys.constEnd() && *filed == Key(movie->DisplayTitleRef()))
                continue;
            Unfile(movie);
            File(movie);
        }
        m_changed.clear();
    }
    static const std::vector<TMovie *> none;
    const auto bucket = m_buckets.constFind(key);
    return bucket == m_buckets.constEnd() ? none : *bucket;
}

void TTitleIndex::File(TMovie *movie)
{
    const QString key = Key(movie->DisplayTitleRef());
    m_buckets[key].push_back(movie);
    m_keys.insert(movie, key);
}

void TTitleIndex::Unfile(const TMovie *movie)
{
    const auto filed = m_keys.constFind(movie);
    if (filed == m_keys.constEnd())
        return;
    const auto bucket = *filed == UnfiledKey ? m_buckets.end() : m_buckets.find(*filed);
    if (bucket != m_buckets.end()) {
        std::vector<TMovie *> &list = *bucket;
        const auto at = std::find(list.begin(), list.end(), movie);
        if (at != list.end()) {
            *at = list.back();
            list.pop_back();
        }
        if (list.empty())
            m_buckets.erase(bucket);
    }
    m_keys.erase(filed);
}
