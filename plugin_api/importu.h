/*
 * The binary contract between Reelkeep and its plug-in libraries.
 *
 * Compiled into the program and into every plug-in; C declarations only, so that a
 * plug-in may be written in any language that can export C functions. Every plug-in
 * library serves one plug-in type and is found as Plugins/<name>.so.
 *
 * Strings: "wide" strings are zero-terminated UTF-16 (char16_t); "ANSI" strings are
 * zero-terminated 8-bit text in Windows-1252. A null pointer and an empty string mean
 * the same. A string a plug-in returns stays owned by the plug-in and valid until its
 * next call; a string the host passes (also inside records) is valid only during the
 * call. The receiver copies what it keeps.
 *
 * Booleans are 32-bit values, nonzero meaning true (plug-ins return -1 for true).
 * No export may let an exception or error escape: it returns the empty or zero answer.
 */
#ifndef REELKEEP_PLUGIN_API_IMPORTU_H
#define REELKEEP_PLUGIN_API_IMPORTU_H

#include <math.h>
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The calling convention of exports and callbacks: the platform's C convention, which
 * is __stdcall only on 32-bit Windows. */
#if defined(_WIN32) && !defined(_WIN64)
#define RK_PLUGIN_CALL __stdcall
#else
#define RK_PLUGIN_CALL
#endif

#if defined(_WIN32)
#define RK_PLUGIN_EXPORT __declspec(dllexport)
#else
#define RK_PLUGIN_EXPORT __attribute__((visibility("default")))
#endif

/* Plug-in types, the answer of GetType. */
enum {
    RK_PLUGIN_UNKNOWN = 0,
    RK_PLUGIN_GENREL = 1,
    RK_PLUGIN_MOVIE_INFO = 2,     /* web site → TMovieRec (GetMovie) */
    RK_PLUGIN_GENERAL_IMPORT = 3, /* foreign catalog file → AddMovieProc/AddHumanProc */
    RK_PLUGIN_POSTER_IMPORT = 4,  /* web site → a poster picture */
    RK_PLUGIN_COVER_IMPORT = 5,   /* web site → front and CD covers */
    RK_PLUGIN_PEOPLE_IMPORT = 6,  /* web site → THumanRec (GetHuman) */
    RK_PLUGIN_EXPORT_TYPE = 7     /* TMovieTextRec/THumanTextRec → a file */
};
#define RK_PLUGIN_TYPE_COUNT 8

/* Display names of the types, indexed by the code. */
static const char16_t *const RkPluginTypeNames[RK_PLUGIN_TYPE_COUNT] = {
    u"Unknown",
    u"Genrel",
    u"Movie Information",
    u"General Import",
    u"Poster Import",
    u"Cover Import",
    u"People Import",
    u"Export",
};

/* Languages are Windows primary language identifiers. */
enum {
    RK_LANG_GERMAN = 7,
    RK_LANG_ENGLISH = 9,
    RK_LANG_SPANISH = 10,
    RK_LANG_ITALIAN = 16,
    RK_LANG_RUSSIAN = 25
};

/* An 80-bit x87 extended float as stored in records: 10 bytes, little-endian. */
typedef struct TExtended
{
    uint8_t bytes[10];
} TExtended;

/* The records, in the field order and types of the contract. Offsets are those of a
 * 32-bit build (checked below); a 64-bit build lays the same fields out with 8-byte
 * pointers:
 *
 *   TMovieRec (64-bit, 232 bytes): Title 0, OrigTitle 8, Aka 16, Year 24, Genre 32,
 *   Director 40, DirectorURLs 48, Producer 56, ProducerURLs 64, Scenario 72,
 *   ScenarioURLs 80, Music 88, MusicURLs 96, Actors 104, ActorURLs 112, Country 120,
 *   Studio 128, MPAA 136, Rating 144, RatingName 160, Tags 168, Tagline 176,
 *   Description 184, Duration 192, Awards 200, Links 208, URL 216, Features 224.
 *   THumanRec (64-bit, 96 bytes): Name 0, TransName 8, AltNames 16, Padding 24,
 *   Birthday 28, Birthplace 40, Genre 48, Career 56, URL 64, Bio 72, Filmography 80,
 *   Awards 88.
 *   TMovieTextRec: 53 pointers (424 bytes); THumanTextRec: 15 pointers (120 bytes).
 */
typedef struct TMovieRec
{
    const char16_t *Title;
    const char16_t *OrigTitle;
    const char16_t *Aka;
    int16_t Year; /* only used when > 0 */
    const char16_t *Genre;
    const char16_t *Director;     /* names separated by , / \ ; or | */
    const char16_t *DirectorURLs; /* blank-separated, parallel to Director */
    const char16_t *Producer;
    const char16_t *ProducerURLs;
    const char16_t *Scenario;
    const char16_t *ScenarioURLs;
    const char16_t *Music;
    const char16_t *MusicURLs;
    const char16_t *Actors;
    const char16_t *ActorURLs;
    const char16_t *Country;
    const char16_t *Studio;
    const char16_t *MPAA;
    TExtended Rating;
    const char16_t *RatingName;
    const char16_t *Tags;
    const char16_t *Tagline;
    const char16_t *Description;
    int16_t Duration; /* minutes */
    const char16_t *Awards;
    const char16_t *Links;
    const char16_t *URL; /* the page the record came from */
    const char16_t *Features;
} TMovieRec;

typedef struct THumanRec
{
    const char16_t *Name;
    const char16_t *TransName;
    const char16_t *AltNames;
    uint8_t Padding[4]; /* the contract's gap before Birthday */
    TExtended Birthday; /* date serial: days since 1899-12-30; only used when > 0 */
    const char16_t *Birthplace;
    const char16_t *Genre;
    const char16_t *Career;
    const char16_t *URL;
    const char16_t *Bio;
    const char16_t *Filmography;
    const char16_t *Awards;
} THumanRec;

/* Flat text records of import and export; every value is text (slots in the order of
 * the contract: 0 num, 1 title, ... 48 picture format, 49 picture as Base64, ...). */
#define RK_MOVIE_TEXT_SLOTS 53
#define RK_HUMAN_TEXT_SLOTS 15
typedef struct TMovieTextRec
{
    const char16_t *Slots[RK_MOVIE_TEXT_SLOTS];
} TMovieTextRec;
typedef struct THumanTextRec
{
    const char16_t *Slots[RK_HUMAN_TEXT_SLOTS];
} THumanTextRec;

#ifdef __cplusplus
#define RK_STATIC_ASSERT(condition, message) static_assert(condition, message)
#else
#define RK_STATIC_ASSERT(condition, message) _Static_assert(condition, message)
#endif
#if UINTPTR_MAX == 0xFFFFFFFFu
RK_STATIC_ASSERT(offsetof(TMovieRec, Year) == 12, "TMovieRec layout");
RK_STATIC_ASSERT(offsetof(TMovieRec, Genre) == 16, "TMovieRec layout");
RK_STATIC_ASSERT(offsetof(TMovieRec, Rating) == 72, "TMovieRec layout");
RK_STATIC_ASSERT(offsetof(TMovieRec, RatingName) == 84, "TMovieRec layout");
RK_STATIC_ASSERT(offsetof(TMovieRec, Duration) == 100, "TMovieRec layout");
RK_STATIC_ASSERT(offsetof(TMovieRec, Awards) == 104, "TMovieRec layout");
RK_STATIC_ASSERT(offsetof(TMovieRec, Features) == 116, "TMovieRec layout");
RK_STATIC_ASSERT(sizeof(TMovieRec) == 120, "TMovieRec layout");
RK_STATIC_ASSERT(offsetof(THumanRec, Birthday) == 16, "THumanRec layout");
RK_STATIC_ASSERT(offsetof(THumanRec, Birthplace) == 28, "THumanRec layout");
RK_STATIC_ASSERT(offsetof(THumanRec, Awards) == 52, "THumanRec layout");
RK_STATIC_ASSERT(sizeof(THumanRec) == 56, "THumanRec layout");
RK_STATIC_ASSERT(sizeof(TMovieTextRec) == 212, "TMovieTextRec layout");
RK_STATIC_ASSERT(sizeof(THumanTextRec) == 60, "THumanTextRec layout");
#elif UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
RK_STATIC_ASSERT(offsetof(TMovieRec, Year) == 24, "TMovieRec layout");
RK_STATIC_ASSERT(offsetof(TMovieRec, Genre) == 32, "TMovieRec layout");
RK_STATIC_ASSERT(offsetof(TMovieRec, Rating) == 144, "TMovieRec layout");
RK_STATIC_ASSERT(offsetof(TMovieRec, RatingName) == 160, "TMovieRec layout");
RK_STATIC_ASSERT(offsetof(TMovieRec, Duration) == 192, "TMovieRec layout");
RK_STATIC_ASSERT(offsetof(TMovieRec, Awards) == 200, "TMovieRec layout");
RK_STATIC_ASSERT(offsetof(TMovieRec, Features) == 224, "TMovieRec layout");
RK_STATIC_ASSERT(sizeof(TMovieRec) == 232, "TMovieRec layout");
RK_STATIC_ASSERT(offsetof(THumanRec, Birthday) == 28, "THumanRec layout");
RK_STATIC_ASSERT(offsetof(THumanRec, Birthplace) == 40, "THumanRec layout");
RK_STATIC_ASSERT(offsetof(THumanRec, Awards) == 88, "THumanRec layout");
RK_STATIC_ASSERT(sizeof(THumanRec) == 96, "THumanRec layout");
RK_STATIC_ASSERT(sizeof(TMovieTextRec) == 424, "TMovieTextRec layout");
RK_STATIC_ASSERT(sizeof(THumanTextRec) == 120, "THumanTextRec layout");
#endif

/* Exports, looked up by these names. "lang" is a language code. Out parameters point
 * to a pointer the plug-in sets to a string it owns. */
typedef int16_t(RK_PLUGIN_CALL *TGetTypeFunc)(void);
typedef const char16_t *(RK_PLUGIN_CALL *TGetNameFunc)(int32_t lang);
typedef const char16_t *(RK_PLUGIN_CALL *TGetDescriptionFunc)(int32_t lang);
typedef int32_t(RK_PLUGIN_CALL *TGetVersionSupportedFunc)(void);
typedef int32_t(RK_PLUGIN_CALL *TCheckRKDVerionFunc)(int32_t hostVersion);
typedef const char *(RK_PLUGIN_CALL *TGetPluginVersionFunc)(void);
typedef int32_t(RK_PLUGIN_CALL *TGetPluginLanguageFunc)(void);
typedef int32_t(RK_PLUGIN_CALL *TCanConfigFunc)(void); /* low byte */
typedef void(RK_PLUGIN_CALL *TConfigureFunc)(int32_t lang, void *ownerWindow);
typedef const char16_t *(RK_PLUGIN_CALL *TGetAboutFunc)(int32_t lang);

/* Web types (2, 4, 5, 6). */
typedef int32_t(RK_PLUGIN_CALL *TGetURLFunc)(int32_t isEpisode,
                                             const char *recordUrls,
                                             const char **outUrl); /* types 2, 4 */
typedef int32_t(RK_PLUGIN_CALL *TGetCoverURLFunc)(const char *recordUrls,
                                                  const char **outUrl,
                                                  const char *searchText); /* type 5 */
typedef int32_t(RK_PLUGIN_CALL *TGetPeopleURLFunc)(const char *recordUrls,
                                                   const char **outUrl); /* type 6 */
typedef void(RK_PLUGIN_CALL *TGetLoginInfoFunc)(const char **outLoginUrl, const char **outPostBody);
typedef const char *(RK_PLUGIN_CALL *TGetReferrerFunc)(void);
typedef const char16_t *(RK_PLUGIN_CALL *TGetSelectTitleFunc)(int32_t lang);
typedef int16_t(RK_PLUGIN_CALL *TParseWebFunc)(const char *pageUrl, const char16_t *pageText);
typedef int32_t(RK_PLUGIN_CALL *TGetResultsCountFunc)(void);
typedef int32_t(RK_PLUGIN_CALL *TGetSelectionFunc)(int32_t index,
                                                   const char16_t **outTitle,
                                                   const char **outUrl,
                                                   const char **outPictureUrl,
                                                   const char **outBrowseUrl);
typedef int32_t(RK_PLUGIN_CALL *TGetMovieFunc)(int32_t index, TMovieRec *movie);
typedef int32_t(RK_PLUGIN_CALL *TGetHumanFunc)(int32_t index, THumanRec *human);
typedef void(RK_PLUGIN_CALL *TSetSelectionFunc)(int32_t index);
typedef int32_t(RK_PLUGIN_CALL *TGetCurrentTypeFunc)(void); /* low byte: CD cover */
/* Types 2 and 6, optional: a fetch of the flow failed (pageUrl: its address). Answers a
 * Parse outcome to carry on with, as if that page had come and been parsed, or 0 to end
 * the flow with the failure. A host that finds no such export ends with the failure. */
typedef int16_t(RK_PLUGIN_CALL *TFetchFailedFunc)(const char *pageUrl);

/* Web Parse outcomes. */
enum {
    RK_PARSE_DETAILS = 1,
    RK_PARSE_RESULT_LIST = 2,
    RK_PARSE_FETCH_AGAIN = 3,
    RK_PARSE_HUMANS_THEN_FETCH = 4
};

/* Import (type 3): Parse calls the callbacks once per record, with records it owns. */
typedef void(RK_PLUGIN_CALL *TAddMovieProc)(const TMovieTextRec *movie);
typedef void(RK_PLUGIN_CALL *TAddHumanProc)(const THumanTextRec *human);
typedef void(RK_PLUGIN_CALL *TParseImportFunc)(const char16_t *fileName,
                                               TAddMovieProc addMovie,
                                               TAddHumanProc addHuman);
/* Import (type 3), optional: checks a file before Parse. Returns null or an empty text when
 * Parse can read the file, else why not, for the user, in language `lang` (the file's name,
 * and for a file of an unread version that version and the ones read). The text stays
 * valid until the next call. A host that finds no such export calls Parse directly. */
typedef const char16_t *(RK_PLUGIN_CALL *TCheckImportFileFunc)(const char16_t *fileName,
                                                               int32_t lang);
/* Import (type 3), optional: called after Parse. What the import could not put into the
 * records' slots and where it went instead (say, into the comments), for the user, in
 * language `lang`; null or empty when there is nothing to say. The text stays valid until
 * the next call. A host that finds no such export says nothing more. */
typedef const char16_t *(RK_PLUGIN_CALL *TGetImportNotesFunc)(int32_t lang);
/* Types 3 and 7: pairs of description and pattern, "|"-separated. */
typedef const char16_t *(RK_PLUGIN_CALL *TGetFilterFunc)(int32_t lang);

/* Export (type 7). */
typedef int32_t(RK_PLUGIN_CALL *TExportTypeFunc)(int32_t mode); /* 0 movies, 1 people */
typedef int32_t(RK_PLUGIN_CALL *TNeedsPosterFunc)(int32_t exportType);
typedef int32_t(RK_PLUGIN_CALL *TBeginExportFunc)(
    const char16_t *fileName, int32_t count, uint8_t mode, int32_t *sortSlot, uint8_t *ascending);
typedef int32_t(RK_PLUGIN_CALL *TExportMovieFunc)(const TMovieTextRec *movie, int32_t isEpisode);
typedef int32_t(RK_PLUGIN_CALL *TExportHumanFunc)(const THumanTextRec *human);
typedef void(RK_PLUGIN_CALL *TEndExportFunc)(void);
/* Optional: called after EndExport when present. 0 = the export was written; nonzero = it
 * failed and nothing was left at the target. After a BeginExport that answered false it
 * tells a failure (target folder missing) from a decline. A host that finds no such export
 * treats the export as written. */
typedef int32_t(RK_PLUGIN_CALL *TExportResultFunc)(void);

/* Versions travel as integers: the first dotted group unchanged, every later group as
 * three digits ("0.9.6" is 9006, "1.2.3" is 1002003). 0 for text that is no version. */
static inline int32_t RkVersionNumber(const char *dotted)
{
    int64_t result = 0;
    int64_t group = 0;
    int digits = 0;
    int first = 1;
    if (!dotted || !*dotted)
        return 0;
    for (;; ++dotted) {
        if (*dotted >= '0' && *dotted <= '9') {
            group = group * 10 + (*dotted - '0');
            if (++digits > 9)
                return 0;
        } else if (*dotted == '.' || *dotted == '\0') {
            if (digits == 0 || (!first && group > 999))
                return 0;
            result = first ? group : result * 1000 + group;
            if (result > INT32_MAX)
                return 0;
            first = 0;
            group = 0;
            digits = 0;
            if (*dotted == '\0')
                return (int32_t)result;
        } else {
            return 0;
        }
    }
}

/* 80-bit extended ↔ double. Values out of double's range become infinities; NaNs stay
 * NaNs. */
static inline double RkExtendedToDouble(const TExtended *value)
{
    uint64_t mantissa = 0;
    int i;
    int exponent;
    int negative;
    double result;
    for (i = 7; i >= 0; --i)
        mantissa = (mantissa << 8) | value->bytes[i];
    exponent = ((value->bytes[9] & 0x7F) << 8) | value->bytes[8];
    negative = (value->bytes[9] & 0x80) != 0;
    if (exponent == 0 && mantissa == 0)
        return negative ? -0.0 : 0.0;
    if (exponent == 0x7FFF)
        return (mantissa << 1) == 0 ? (negative ? -1.0 / 0.0 : 1.0 / 0.0) : 0.0 / 0.0;
    /* value = mantissa * 2^(exponent - 16383 - 63) */
    result = ldexp((double)mantissa, exponent - 16383 - 63);
    return negative ? -result : result;
}

static inline void RkDoubleToExtended(double value, TExtended *out)
{
    uint64_t bits;
    uint64_t mantissa;
    int exponent;
    int negative;
    int i;
    memcpy(&bits, &value, sizeof bits);
    negative = (int)(bits >> 63);
    exponent = (int)((bits >> 52) & 0x7FF);
    mantissa = bits & 0xFFFFFFFFFFFFFull;
    if (exponent == 0 && mantissa == 0) {
        exponent = 0;
    } else if (exponent == 0x7FF) {
        exponent = 0x7FFF;
        mantissa = mantissa ? 0xC000000000000000ull : 0x8000000000000000ull;
    } else if (exponent == 0) {
        /* Subnormal double: normalise into the wider exponent. */
        exponent = 1 - 1023 + 16383;
        while (!(mantissa & (1ull << 52))) {
            mantissa <<= 1;
            --exponent;
        }
        mantissa <<= 11;
    } else {
        exponent = exponent - 1023 + 16383;
        mantissa = (mantissa | (1ull << 52)) << 11;
    }
    for (i = 0; i < 8; ++i)
        out->bytes[i] = (uint8_t)(mantissa >> (8 * i));
    out->bytes[8] = (uint8_t)(exponent & 0xFF);
    out->bytes[9] = (uint8_t)(((exponent >> 8) & 0x7F) | (negative ? 0x80 : 0));
}

#ifdef __cplusplus
}
#endif

#endif
