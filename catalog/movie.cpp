#include "catalog/movie.h"

#include <algorithm>

#include "catalog/episode.h"
#include "catalog/fieldcodec_p.h"
#include "catalog/recordowner.h"

TMovie::TMovie(IRecordOwner *owner)
    : TBaseMovie(TRecordKind::Movie, owner)
{}

std::unique_ptr<TMovie> TMovie::Create(IRecordOwner *owner)
{
    std::unique_ptr<TMovie> movie(new TMovie(owner));
    movie->SetShown(true);
    return movie;
}

TMovie::~TMovie()
{
    // Episodes go first, in order: their rows hang below the movie's.
    for (auto &episode : m_episodes)
        episode.reset();
    m_episodes.clear();
    // While the movie is still whole: a list may read the row it is told is going.
    ReportDestroyed();
}

TEpisode *TMovie::AddEpisode()
{
    std::unique_ptr<TEpisode> episode(new TEpisode(this));
    TEpisode *result = episode.get();
    m_episodes.push_back(std::move(episode));
    // An episode of a hidden movie stays hidden; otherwise showing the movie later would
    // find it already marked shown and never report it.
    result->SetShown(Shown());
    return result;
}

TEpisode *TMovie::Episode(int index) const
{
    if (index < 0 || index >= EpisodeCount())
        return nullptr;
    return m_episodes[static_cast<size_t>(index)].get();
}

int TMovie::MaxEpisodeNumber() const
{
    int result = 0;
    for (const auto &episode : m_episodes)
        result = std::max(result, episode->Epnum());
    return result;
}

void TMovie::DeleteEpisode(TEpisode *episode)
{
    auto it = std::find_if(m_episodes.begin(), m_episodes.end(), [episode](const auto &item) {
        return item.get() == episode;
    });
    if (it != m_episodes.end())
        m_episodes.erase(it);
}

std::unique_ptr<TEpisode> TMovie::TakeEpisode(TEpisode *episode, int &index)
{
    auto it = std::find_if(m_episodes.begin(), m_episodes.end(), [episode](const auto &item) {
        return item.get() == episode;
    });
    if (it == m_episodes.end())
        return nullptr;
    index = int(it - m_episodes.begin());
    std::unique_ptr<TEpisode> taken = std::move(*it);
    m_episodes.erase(it);
    return taken;
}

void TMovie::InsertEpisode(std::unique_ptr<TEpisode> episode, int index)
{
    index = std::clamp(index, 0, EpisodeCount());
    m_episodes.insert(m_episodes.begin() + index, std::move(episode));
}

void TMovie::ShowInViews()
{
    TBaseMovie::ShowInViews();
    for (auto &episode : m_episodes)
        episode->SetShown(Shown());
}

void TMovie::HideInViews()
{
    for (auto &episode : m_episodes)
        episode->SetShown(false);
    TBaseMovie::HideInViews();
}

void TMovie::AddCustomValue()
{
    TBaseMovie::AddCustomValue();
    for (auto &episode : m_episodes)
        episode->AddCustomValue();
}

void TMovie::DeleteCustomValue(int index)
{
    TBaseMovie::DeleteCustomValue(index);
    for (auto &episode : m_episodes)
        episode->DeleteCustomValue(index);
}

void TMovie::WriteTo(TTagWriter &out) const
{
    static const QString tag = QStringLiteral("movie");
    FieldCodec::AppendOpen(out, tag);
    WriteCommon(out);
    WriteMoviePart(out);
    for (const auto &episode : m_episodes)
        episode->WriteTo(out);
    FieldCodec::AppendClose(out, tag);
}
