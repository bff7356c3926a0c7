#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "plugin_api/importu.h"

// Builds the web page of an export piece by piece: the head, one card per movie (its
// episodes listed inside it) and a table row group per movie, then the table and the
// closing part. Cards stream out as they complete; the table follows the cards, so its
// rows wait in memory.
class THtmlPage
{
public:
    THtmlPage(std::string title, int32_t lang);

    std::string Head() const;
    // Adds a movie or an episode; `poster` is the picture's address relative to the page
    // (already URL-encoded), empty for none. Returns markup ready to go out.
    std::string Add(const TMovieTextRec &movie, bool episode, std::string_view poster);
    // The open card, the table and the end of the page.
    std::string Finish();

private:
    std::string CloseCard();
    const char16_t *Caption(int slot) const;

    std::string m_title;
    int32_t m_lang;
    std::string m_card;     // the movie's card until its episodes are known
    std::string m_episodes; // <li> items of the open card
    std::string m_rows;     // the table's row groups
    bool m_rowGroupOpen = false;
};

// Percent-encodes a file name for use in a relative address.
std::string UrlPath(std::string_view name);
