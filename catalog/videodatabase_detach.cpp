// Taking records out of the catalog whole and putting them back, for undo.
#include <algorithm>

#include "catalog/actor.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"

TVideoDatabase::TDetached TVideoDatabase::DetachRecord(TDBItem *record)
{
    TDetached detached;
    if (!record)
        return detached;
    // Hidden first: the lists drop the rows, the shown counts follow, and a movie's episodes
    // go with it.
    record->SetShown(false);
    switch (record->Kind()) {
    case TRecordKind::Episode: {
        auto *episode = static_cast<TEpisode *>(record);
        if (TMovie *parent = episode->Parent()) {
            detached.record = parent->TakeEpisode(episode, detached.index);
            detached.parent = parent;
        }
        break;
    }
    case TRecordKind::Movie: {
        auto *movie = static_cast<TMovie *>(record);
        const int index = IndexOfMovie(movie);
        if (index >= 0) {
            m_titleIndex.Removed(movie);
            detached.record = std::move(m_movies[size_t(index)]);
            m_movies.erase(m_movies.begin() + index);
        }
        break;
    }
    case TRecordKind::Person: {
        const int index = IndexOfPerson(static_cast<TActor *>(record));
        if (index >= 0) {
            detached.record = std::move(m_people[size_t(index)]);
            m_people.erase(m_people.begin() + index);
        }
        break;
    }
    }
    if (!detached.record)
        return detached;
    SetModified(true);
    if (OnListChanged)
        OnListChanged();
    return detached;
}

TDBItem *TVideoDatabase::AttachRecord(TDetached detached)
{
    TDBItem *record = detached.record.get();
    if (!record)
        return nullptr;
    switch (record->Kind()) {
    case TRecordKind::Episode:
        if (!detached.parent)
            return nullptr;
        detached.parent->InsertEpisode(
            std::unique_ptr<TEpisode>(static_cast<TEpisode *>(detached.record.release())),
            detached.index);
        record->SetShown(detached.parent->Shown());
        SetModified(true);
        return record;
    case TRecordKind::Movie: {
        auto *movie = static_cast<TMovie *>(detached.record.release());
        m_titleIndex.Added(movie);
        m_movies.insert(m_movies.begin() + MovieInsertPlace(movie->Num()),
                        std::unique_ptr<TMovie>(movie));
        break;
    }
    case TRecordKind::Person: {
        auto *person = static_cast<TActor *>(detached.record.release());
        m_people.insert(m_people.begin() + PersonInsertPlace(person->Name()),
                        std::unique_ptr<TActor>(person));
        break;
    }
    }
    // As a new record: shown, then the lists' filter decides.
    record->SetShown(true);
    SetModified(true);
    if (!m_quiet)
        Notify([record](ICatalogObserver &observer) { observer.RecordAdded(*record); });
    if (OnListChanged)
        OnListChanged();
    return record;
}

void TVideoDatabase::DropDetachedFiles(TDBItem &record)
{
    // The record is no longer listed: no observer hears of it, and the catalog's modified
    // state is what it was.
    const bool modified = m_modified;
    const bool quiet = std::exchange(m_quiet, true);
    auto onModified = std::exchange(OnModifiedChanged, nullptr);
    if (record.Kind() == TRecordKind::Movie) {
        auto &movie = static_cast<TMovie &>(record);
        for (int e = 0; e < movie.EpisodeCount(); ++e)
            movie.Episode(e)->SetPicture(nullptr, TImageFormat::None, {}, CoverNone);
        movie.SetScreenshots({});
        movie.SetFroncover({});
        movie.SetCdcover({});
    }
    record.SetPicture(nullptr, TImageFormat::None, {}, CoverNone);
    m_modified = modified;
    m_quiet = quiet;
    OnModifiedChanged = std::move(onModified);
}
