#include "slotcaptions.h"

#include "plugin_api/importu.h"

namespace {

struct TCaption
{
    const char16_t *English;
    const char16_t *German;
};

constexpr TCaption MovieCaptions[RK_MOVIE_TEXT_SLOTS] = {
    {u"ID", u"ID"},
    {u"Title", u"Titel"},
    {u"Original title", u"Originaltitel"},
    {u"Also known as", u"Auch bekannt als"},
    {u"Year", u"Jahr"},
    {u"Genre", u"Genre"},
    {u"Director", u"Regie"},
    {u"Producer", u"Produktion"},
    {u"Scenario", u"Drehbuch"},
    {u"Music", u"Musik"},
    {u"Actors", u"Darsteller"},
    {u"Country", u"Land"},
    {u"Studio", u"Studio"},
    {u"MPAA", u"Altersfreigabe"},
    {u"URL", u"URL"},
    {u"IMDb rating", u"IMDb-Bewertung"},
    {u"Other rating", u"Andere Bewertung"},
    {u"Rating", u"Bewertung"},
    {u"Tags", u"Schlagwörter"},
    {u"Date added", u"Hinzugefügt am"},
    {u"Borrower", u"Entleiher"},
    {u"Tagline", u"Slogan"},
    {u"Description", u"Beschreibung"},
    {u"Comments", u"Kommentare"},
    {u"Awards", u"Auszeichnungen"},
    {u"Links", u"Verbindungen zu Filmen"},
    {u"Local file", u"Lokale Datei"},
    {u"Quality", u"Qualität"},
    {u"Duration", u"Laufzeit"},
    {u"Languages", u"Sprachen"},
    {u"Translation", u"Übersetzung"},
    {u"Resolution", u"Auflösung"},
    {u"Video codec", u"Video-Codec"},
    {u"Video bitrate", u"Video-Bitrate"},
    {u"Audio codec", u"Audio-Codec"},
    {u"Audio bitrate", u"Audio-Bitrate"},
    {u"Release", u"Erscheinungsdatum"},
    {u"File size", u"Dateigröße"},
    {u"Subtitles", u"Untertitel"},
    {u"Count", u"Anzahl"},
    {u"Media type", u"Medientyp"},
    {u"Media label", u"Datenträgername"},
    {u"Frame rate", u"Bildrate"},
    {u"Features", u"Extras"},
    {u"Viewed", u"Gesehen"},
    {u"Wish list", u"Wunschliste"},
    {u"Viewed date", u"Gesehen am"},
    {u"Loaned date", u"Verliehen am"},
    {u"Picture format", u"Bildformat"},
    {u"Picture", u"Bild"},
    {u"Screenshots", u"Bildschirmfotos"},
    {u"Front cover", u"Vorderes Cover"},
    {u"CD cover", u"CD-Cover"},
};

constexpr TCaption PersonCaptions[RK_HUMAN_TEXT_SLOTS] = {
    {u"Name", u"Name"},
    {u"Translated name", u"Übersetzter Name"},
    {u"Other names", u"Andere Namen"},
    {u"Birthday", u"Geburtstag"},
    {u"Birthplace", u"Geburtsort"},
    {u"Genre", u"Genre"},
    {u"Career", u"Tätigkeit"},
    {u"URL", u"URL"},
    {u"Rating", u"Bewertung"},
    {u"Biography", u"Biografie"},
    {u"Filmography", u"Filmografie"},
    {u"Awards", u"Auszeichnungen"},
    {u"Comments", u"Kommentare"},
    {u"Photo format", u"Fotoformat"},
    {u"Photo", u"Foto"},
};

const char16_t *Pick(const TCaption &caption, int32_t lang)
{
    return lang == RK_LANG_GERMAN ? caption.German : caption.English;
}

} // namespace

const char16_t *MovieSlotCaption(int slot, int32_t lang)
{
    return slot >= 0 && slot < RK_MOVIE_TEXT_SLOTS ? Pick(MovieCaptions[slot], lang) : u"";
}

const char16_t *PersonSlotCaption(int slot, int32_t lang)
{
    return slot >= 0 && slot < RK_HUMAN_TEXT_SLOTS ? Pick(PersonCaptions[slot], lang) : u"";
}

const char16_t *SeriesCaption(int32_t lang)
{
    return lang == RK_LANG_GERMAN ? u"Serie" : u"Series";
}
