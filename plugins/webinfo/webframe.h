#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "plugin_api/importu.h"

// The frame shared by the internet-information plug-ins: their module state, the answers
// that are the same for every site, and the text conversions the site rules use. The
// plug-ins link nothing but the C++ standard library, so everything here is plain C++.

// One entry of a result list.
struct TSelectionRec
{
    std::u16string Title;   // raw: HTML character references are the host's to decode
    std::string URL;        // Windows-1252
    std::string PictureURL; // Windows-1252; empty when the site shows no picture
};

using TURLList = std::vector<std::string>; // Windows-1252

// The plug-in's own form of TMovieRec: GetMovie hands out pointers into these strings.
struct TWebMovieRec
{
    std::u16string Title;
    std::u16string OrigTitle;
    std::u16string Aka;
    int16_t Year = 0;
    std::u16string Genre;
    std::u16string Director;
    std::u16string DirectorURLs;
    std::u16string Producer;
    std::u16string ProducerURLs;
    std::u16string Scenario;
    std::u16string ScenarioURLs;
    std::u16string Music;
    std::u16string MusicURLs;
    std::u16string Actors;
    std::u16string ActorURLs;
    std::u16string Country;
    std::u16string Studio;
    std::u16string MPAA;
    double Rating = 0;
    std::u16string RatingName;
    std::u16string Tags;
    std::u16string Tagline;
    std::u16string Description;
    int16_t Duration = 0; // minutes
    std::u16string Awards;
    std::u16string Links;
    std::u16string URL;
    std::u16string Features;
};

// The plug-in's own form of THumanRec, as TWebMovieRec is of TMovieRec.
struct TWebHumanRec
{
    std::u16string Name;
    std::u16string TransName;
    std::u16string AltNames;
    double Birthday = 0; // days since 1899-12-30; 0 when unknown
    std::u16string Birthplace;
    std::u16string Genre;
    std::u16string Career;
    std::u16string URL;
    std::u16string Bio;
    std::u16string Filmography;
    std::u16string Awards;
};

// What a plug-in library remembers between calls; it lives from loading to unloading.
// Strings handed to the host point in here and stay valid until the next Parse (the
// record, the list) or the next GetURL (the URL answers).
struct TWebState
{
    int32_t resultCount = 0;
    std::vector<TSelectionRec> results;
    TWebMovieRec movie;
    TWebHumanRec human;     // the people plug-ins' record
    TURLList urlList;       // the record's URLs as split by the last GetURL
    std::string pictureUrl; // the poster found by the last Parse (poster sites)
    std::string urlAnswer;  // a copy of the host's text that GetURL returned
};

// A text in the languages the plug-ins answer in (English for any other).
struct TLanguageTexts
{
    const char16_t *german;
    const char16_t *spanish;
    const char16_t *russian;
    const char16_t *english;

    const char16_t *For(int32_t lang) const;
};

// One site: its constant answers and its rules.
struct TWebSite
{
    int16_t type;
    int32_t language;
    const char *pluginVersion;
    const char16_t *name;
    TLanguageTexts description;
    TLanguageTexts about; // only the German, Russian and English texts are used
    // Decides what the page is, cuts it into the state and answers the Parse outcome.
    int16_t (*parse)(TWebState &state, std::string_view pageUrl, std::u16string_view page);
    // Sets *outUrl to a string the state or a constant holds; answers as GetURL.
    int32_t (*getUrl)(TWebState &state, std::string_view recordUrls, const char **outUrl);
    // A fetch the site asked for failed: the Parse outcome it carries on with, or 0 (also
    // when null) to end with the failure.
    int16_t (*fetchFailed)(TWebState &state) = nullptr;
    // The caption of the host's results dialog; the host's own where null.
    TLanguageTexts selectTitle = {nullptr, nullptr, nullptr, nullptr};
    // The configuration dialog (an X11 window id as owner); none where null.
    void (*configure)(int32_t lang, uintptr_t ownerWindow) = nullptr;
};

// The answer of CheckRKDVerion for every shipped plug-in: hosts from 9005 on.
constexpr int32_t WebVersionSupported = 9005;

// Zero-terminated text joined at compile time from string literals; char literals may
// be joined into char16_t text when they are ASCII (site addresses). Lets a marker or
// template that contains the site address stay one constant.
template <typename C, typename... P> constexpr auto JoinText(const P &...parts)
{
    std::array<C, ((std::extent_v<P> - 1) + ... + 1)> joined{};
    size_t at = 0;
    const auto append = [&](const auto &part) {
        for (size_t i = 0; i + 1 < std::size(part); ++i)
            joined[at++] = C(part[i]);
    };
    (append(parts), ...);
    return joined;
}

// The text of a JoinText result without its terminating zero.
template <typename C, size_t N>
constexpr std::basic_string_view<C> TextView(const std::array<C, N> &text)
{
    return std::basic_string_view<C>(text.data(), N - 1);
}

// Windows-1252 text: characters without a byte there become '?' (one per character,
// also for a surrogate pair).
std::string ToAnsi(std::u16string_view text);
std::u16string FromAnsi(std::string_view text);
// Without leading and trailing characters up to U+0020.
std::u16string_view Trimmed(std::u16string_view text);
std::string_view Trimmed(std::string_view text);
// A decimal integer with an optional sign and nothing around it, as a 16-bit record
// field; 0 for anything else, also for numbers beyond the 16-bit range.
int16_t ReadSmallInt(std::u16string_view text);
// A decimal number with a comma as decimal separator ("7,5", "-3", "1,2E3") and nothing
// around it; nothing for anything else.
std::optional<double> ReadCommaFloat(std::u16string_view text);
// Appends `item` to a list joined with `separator`.
void AppendJoined(std::u16string &list, std::u16string_view item, std::u16string_view separator);
// The count GetResultsCount reports for the list.
void CountResults(TWebState &state);

// The rest of the common answers; none throws except on exhausted memory.
int32_t SelectionOf(const TWebState &state,
                    int32_t index,
                    const char16_t **outTitle,
                    const char **outUrl,
                    const char **outPictureUrl,
                    const char **outBrowseUrl);
int32_t FillMovieRec(const TWebMovieRec &movie, TMovieRec *record);
int32_t FillHumanRec(const TWebHumanRec &human, THumanRec *record);
// GetURL of the movie sites: the last of the record's blank-separated URLs whose lower
// case holds `domain` (answer 1), else the search template (answer 0).
class TFieldCutter;

// Parse of the movie sites: a result list when the page carries the site's marker, else
// a details page whose record is cleared, cut out and given the page's address.
int16_t ParseMoviePage(TWebState &state,
                       std::string_view pageUrl,
                       std::u16string_view page,
                       std::u16string_view resultListMarker,
                       void (*cutResultList)(TWebState &, TFieldCutter &),
                       void (*cutDetails)(TWebMovieRec &, TFieldCutter &));

int32_t UrlFromList(TWebState &state,
                    std::string_view recordUrls,
                    std::string_view domain,
                    const char *searchTemplate,
                    const char **outUrl);
// The lower case of ASCII letters; other bytes unchanged.
std::string AsciiLower(std::string_view text);
