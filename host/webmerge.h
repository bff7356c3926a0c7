#pragma once

#include <cstdint>

#include <QString>

#include "catalog/moviefields.h"
#include "catalog/personfields.h"
#include "plugin_api/importu.h"

class TActor;
class TBaseMovie;
class TVideoDatabase;

// A movie-information plug-in's overwrite mask: the field table's OverwriteBit of a field
// lets the web flow replace the field when it is not empty. The bits follow the
// preferences list and the settings file, so they never change. 0 for a field without one.
uint32_t OverwriteBit(TMovieField field);
uint32_t OverwriteBit(TPersonField field);

// A TMovieRec copied out of the plug-in as soon as GetMovie returns (its strings live only
// until the next call into the plug-in). Texts are still raw: the merge decodes them.
struct TWebMovie
{
    QString Title;
    QString OrigTitle;
    QString Aka;
    int Year = 0; // 0 or less: none
    QString Genre;
    QString Director;     // names separated by , / \ ; or |
    QString DirectorURLs; // blank-separated, parallel to Director
    QString Producer;
    QString ProducerURLs;
    QString Scenario;
    QString ScenarioURLs;
    QString Music;
    QString MusicURLs;
    QString Actors;
    QString ActorURLs;
    QString Country;
    QString Studio;
    QString Mpaa;
    double Rating = 0; // a NaN or infinity from the plug-in arrives as 0
    QString RatingName;
    QString Tags;
    QString Tagline;
    QString Description;
    int Duration = 0; // minutes; 0 or less: none
    QString Awards;
    QString Links;
    QString Url; // the page the record came from
    QString Features;

    // Null pointers give empty texts.
    static TWebMovie FromRec(const TMovieRec &rec);
};

// A THumanRec copied out of the plug-in, like TWebMovie.
struct TWebPerson
{
    QString Name;
    QString TransName;
    QString AltNames;
    double Birthday = 0; // date serial; 0 or less (and NaN, infinities): none
    QString Birthplace;
    QString Genre;
    QString Career;
    QString Url;
    QString Bio;
    QString Filmography;
    QString Awards;

    static TWebPerson FromRec(const THumanRec &rec);
};

// Merges a plug-in's movie into a catalog record, field by field: a value the plug-in has
// replaces the catalog's when the catalog field is empty or `overwriteMask` (the plug-in's
// TPlugin::OverwriteMask) allows its bit. Texts are HTML-decoded, except the rating name
// and the page address, which is added to the record's url list and never replaces it. An
// IMDb page sets imdbrating unconditionally; other pages feed orating and orname.
void MergeMovie(TBaseMovie &record, const TWebMovie &web, uint32_t overwriteMask);

// The same for a people plug-in's person, with the person overwrite bits.
void MergePerson(TActor &person, const TWebPerson &web, uint32_t overwriteMask);

// Adds to `catalog` every director, producer, writer, composer and actor of `web` not yet
// in it, each with the URL at its position in the matching URL list (both lists are
// counted from their ends). People already there are left alone. With `transNames` (the
// people lists show translated names) a person is found by translated name first.
void AddPeople(TVideoDatabase &catalog, const TWebMovie &web, bool transNames);

// Whether a credit names a person of `catalog`: by name, and with `transNames` also by
// translated name (case ignored). People added from credits carry the credit as their name,
// so a second credit finds them either way.
bool HasPerson(const TVideoDatabase &catalog, const QString &name, bool transNames);
