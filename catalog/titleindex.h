#pragma once

#include <deque>
#include <memory>
#include <vector>

#include <QHash>
#include <QSet>
#include <QString>

class TDBItem;
class TMovie;

// The catalog's movies, in num order.
using TMovieList = std::deque<std::unique_ptr<TMovie>>;

// The catalog's movies by display title, trimmed and lower-cased one UTF-16 unit at a time,
// so that finding a movie's duplicates costs no scan of the whole catalog. It is kept
// lazily: changed movies are only marked, and are filed again at the next lookup, once
// their setters have applied the text rules.
class TTitleIndex
{
public:
    // The key a display title is filed under.
    static QString Key(QStringView title);

    // Forgets every movie: the next lookup files the whole list again (after a load).
    void Invalidate();
    // A movie joined the catalog.
    void Added(TMovie *movie);
    // A field of a record changed; records the index does not hold are ignored.
    void Changed(const TDBItem *record);
    // A movie is leaving the catalog.
    void Removed(const TMovie *movie);
    // The movies filed under `key`, in no particular order; `movies` is the catalog's list.
    const std::vector<TMovie *> &Find(const QString &key, const TMovieList &movies);

private:
    void File(TMovie *movie);
    void Unfile(const TMovie *movie);

    bool m_built = false;
    QHash<QString, std::vector<TMovie *>> m_buckets;
    QHash<const TMovie *, QString> m_keys;
    // Only movies of the index: a record changed after it left is never dereferenced.
    QSet<TMovie *> m_changed;
};
