#pragma once

#include <QString>

class TActor;
class TBaseMovie;
class TDBItem;
class TMovie;
struct TTextRules;

// The five image folders of a catalog, each absolute and relative to the catalog folder.
enum class TImageFolder { Posters, Photos, Covers, Screenshots, Thumbnails };

// What a record needs from the catalog that owns it. The catalog implements it; records
// never see more of the catalog than this.
class IRecordOwner
{
public:
    virtual ~IRecordOwner() = default;

    // Every field change reports here: the catalog is modified, and its observers hear
    // which record changed.
    virtual void RecordModified(TDBItem &record) = 0;
    // Raised by Lend and ReturnLoan after the loan fields changed.
    virtual void LoanChanged(bool returned, const QString &borrower, TBaseMovie *movie) = 0;
    // Called before a person's name changes, so the people list stays ordered.
    virtual void MovePerson(TActor *person, const QString &newName) = 0;
    // Called before a movie's num changes, so the movie list stays ordered (unless the
    // catalog has reordering suspended).
    virtual void MoveMovie(TMovie *movie, int newNum) = 0;
    // The record's Shown flag flipped (SetShown): movies and people change the shown
    // counts, and the catalog's observers hear of it.
    virtual void ShownChanged(TDBItem &record) = 0;
    // A shown record is being destroyed (from its destructor, while still whole).
    virtual void ShownRecordDestroyed(TDBItem &record) = 0;
    // The rules titles and names typed by the user are stored by.
    virtual const TTextRules &TextRules() const = 0;
    // Number of custom fields; a new movie starts with one empty value per field.
    virtual int CustomFieldCount() const = 0;
    // The absolute image folder, ending in "/"; empty when the catalog has none (then
    // records leave the file system alone).
    virtual QString ImageFolder(TImageFolder folder) const = 0;
    // Covers and screenshots go into one subfolder per movie.
    virtual bool ImgFolders() const = 0;
    // A line for the log window.
    virtual void LogLine(const QString &line) = 0;
    // The current day count the catalog stamps dates with.
    virtual double Now() const = 0;
};
