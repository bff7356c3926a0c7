#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "plugin_api/importu.h"

// Builds the web page of an export piece by piece: the head, one card per movie (its
// episodes listed inside it) or person and a table row group per record, then the table
// and the closing part. Cards stream out as they complete; the table follows the cards, so its
// rows wait in memory.
class THtmlPage
{
public:
    THtmlPage(std::string title, int32_t lang, bool people);

    std::string Head() const;
    // Adds a movie or an episode; `poster` is the picture's address relative to the page
    // (already URL-encoded), empty for none. Returns markup ready to go out.
    std::string Add(const TMovieTextRec &movie, bool episode, std::string_view poster);
    std::string Add(const THumanTextRec &person, std::string_view photo);
    // The open card, the table and the end of the page.
    std::string Finish();

private:
    std::string CloseCard();
    const char16_t *Caption(int slot) const;

    std::string m_title;
    int32_t m_lang;
    bool m_people;
    std::string m_card;     // the movie's card until its episodes are known
    std::string m_episodes; // <li> items of the open card
    std::string m_rows;     // the table's row groups
    bool m_rowGroupOpen = false;
};

// "1961-02-17" from a day count since 1899-12-30 ("22694"); empty for none or nonsense.
std::string DateOfDays(std::string_view days);
// Percent-encodes a file name for use in a relative address.
std::string UrlPath(std::string_view name);
