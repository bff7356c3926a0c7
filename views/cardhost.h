#pragma once

#include <array>

#include <QColor>
#include <QString>
#include <QStringList>

// What the movie and person cards ask of the main window: following links, the field
// menu's sort and filter entries, and opening addresses.
class ICardHost
{
public:
    virtual ~ICardHost() = default;

    virtual void GoToMovieById(const QString &text) = 0;
    virtual void GoToMovieByTitle(const QString &text, bool byOriginalTitle) = 0;
    virtual void GoToPersonByName(const QString &text, bool asTranslatedName) = 0;
    // Chooses search field `field` of a kind with `text` in the search box.
    virtual void SetSearchField(bool people, int field, const QString &text) = 0;
    // The sort entry of a field menu: item number of the card (the record's field item).
    virtual void SortByItem(bool people, int item) = 0;
    // The caption of search field `field` of a kind (texts 2000+ / 2050+) and of a list
    // column (texts 2200+n / 2300+n) for the menu entries.
    virtual QString SearchFieldCaption(bool people, int field) const = 0;
    virtual QString SortColumnCaption(bool people, int item) const = 0;
    // A translated text, `fallback` when the language has none.
    virtual QString Text(int number, const QString &fallback) const = 0;
    // Opens a web address or file with the desktop.
    virtual void OpenAddress(const QString &address) = 0;
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
