#pragma once

#include <memory>
#include <vector>

#include "catalog/basemovie.h"

class TEpisode;

// A movie; a series owns its episodes, in order.
class TMovie : public TBaseMovie
{
public:
    // Creates a movie with the defaults and shows it (subject to the filter).
    static std::unique_ptr<TMovie> Create(IRecordOwner *owner);
    ~TMovie() override;

    // Appends a new episode owned by this movie and returns it.
    TEpisode *AddEpisode();
    int EpisodeCount() const { return static_cast<int>(m_episodes.size()); }
    // nullptr for an index out of range.
    TEpisode *Episode(int index) const;
    bool HasEpisodes() const { return !m_episodes.empty(); }
    // Largest epnum, 0 without episodes.
    int MaxEpisodeNumber() const;
    // Destroys episode when it belongs to this movie.
    void DeleteEpisode(TEpisode *episode);
    // Hands an episode of this movie over whole, with its place (nullptr when not ours),
    // and puts one back at a place; for undo.
    std::unique_ptr<TEpisode> TakeEpisode(TEpisode *episode, int &index);
    void InsertEpisode(std::unique_ptr<TEpisode> episode, int index);

    void WriteTo(TTagWriter &out) const override;
    void AddCustomValue() override;
    void DeleteCustomValue(int index) override;

protected:
    void ShowInViews() override;
    void HideInViews() override;

private:
    explicit TMovie(IRecordOwner *owner);

    std::vector<std::unique_ptr<TEpisode>> m_episodes;
};
