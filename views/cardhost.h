#pragma once

#include <array>
#include <optional>

#include <QColor>
#include <QString>
#include <QStringList>

#include "catalog/dbitem.h"

// What the grab buttons hand to the screenshot maker.
struct TScreenRequest
{
    QString VideoFiles;        // the card's local file text ("|"-separated)
    QString Screenshots;       // the movie's screenshots, relative to ScreenshotsFolder
    int Slot = 1;              // the slot to start with, 1..3
    QString Title;             // the movie's display title
    QString OutputFolder;      // where new screenshots are written; ends in "/"
    QString ScreenshotsFolder; // the catalog's screenshots folder; ends in "/"
};

// What the movie and person cards ask of the main window: following links, the field
// menu's sort and filter entries, opening addresses, and the picture dialogs.
class ICardHost
{
public:
    virtual ~ICardHost() = default;

    virtual void GoToMovieById(const QString &text) = 0;
    virtual void GoToMovieByTitle(const QString &text, bool byOriginalTitle) = 0;
    virtual void GoToPersonByName(const QString &text, bool asTranslatedName) = 0;
    // Chooses search field `field` of a kind with `text` in the search box.
    virtual void SetSearchField(TRecordKind kind, int field, const QString &text) = 0;
    // The sort entry of a field menu: item number of the card (the record's field item).
    virtual void SortByItem(TRecordKind kind, int item) = 0;
    // The caption of search field `field` of a kind (texts 2000+ / 2050+) and of a list
    // column (texts 2200+n / 2300+n) for the menu entries.
    virtual QString SearchFieldCaption(TRecordKind kind, int field) const = 0;
    virtual QString SortColumnCaption(TRecordKind kind, int item) const = 0;
    // A translated text, `fallback` when the language has none.
    virtual QString Text(int number, const QString &fallback) const = 0;
    // Opens a link of the card with the desktop; the window asks first for anything but a
    // web page (TLinkPolicy).
    virtual void OpenAddress(const QString &address) = 0;

    // A picture file to read (`save` false) or to write, starting in the remembered poster
    // folders; `proposedName` is the suggested file name when saving. Empty when cancelled.
    virtual QString AskPictureFile(bool save, const QString &proposedName) = 0;
    // The file picker over the media files, without the append choice; the chosen paths
    // joined with "|", empty when cancelled.
    virtual QString PickFiles(const QString &extensions) = 0;
    // Runs the default poster plug-in (kind 0) or cover plug-in (kind 1) for the shown movie.
    virtual void FetchPicture(int kind) = 0;
    // Runs the screenshot maker; its new screenshot list, or nothing when cancelled.
    virtual std::optional<QString> MakeScreenshots(const TScreenRequest &request) = 0;
    // An error the user must see (a picture that could not be read or written).
    virtual void ShowCardError(const QString &text) = 0;
    // Local files dragged onto the movie card that the window takes rather than the card
    // (a catalog, media files for the shown movie). With `drop` false it only answers
    // whether it would take them; with `drop` true it takes them once the drop is over.
    virtual bool TakeDroppedFiles(const QStringList & /*files*/, bool /*drop*/) { return false; }
};

// The settings the cards follow (kept by the main window).
struct TCardSettings
{
    // Movie card items 0..43 and person card items 0..12 (false hides the field).
    std::array<bool, 44> ItemVisible{};
    std::array<bool, 13> PeopleItemVisible{};
    // Boxes stay as the user left them from record to record.
    bool Collapse = true;
    bool PeopleCollapse = true;
    bool DurationInMinutes = false;
    bool TransNames = false;
    int MaxPosterWidth = 40; // percent of the card
    int MaxPosterHeight = 50;
    int MaxPhotoWidth = 30;
    int MaxPhotoHeight = 30;
    // Browsed posters and photos stay separate files instead of going into the catalog.
    bool ExternalPosters = false;
    // The drop-down and picker choices.
    QStringList Genres;
    QStringList MediaTypes;
    QStringList Qualities;
    QStringList Translations;
    QStringList VideoCodecs;
    QStringList AudioCodecs;
    QStringList Careers;
    // Block colours with colours on: 16 main, 17 custom, 18 file, 19 picture, 20 card.
    bool DoMovieColors = true;
    QColor MainColor = QColor(0xF0, 0xF0, 0xF0);
    QColor CustomColor = QColor(0xF0, 0xF0, 0xF0);
    QColor FileColor = QColor(0xF0, 0xF0, 0xF0);
    QColor PictureColor = QColor(0xF0, 0xF0, 0xF0);
    QColor CardColor = Qt::white;
};
