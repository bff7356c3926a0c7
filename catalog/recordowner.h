#pragma once

#include <QString>

class ITreeView;
class TActor;
class TBaseMovie;
class TDBItem;
class TMovie;

// The five image folders of a catalog, each absolute and relative to the catalog folder.
enum class TImageFolder { Posters, Photos, Covers, Screenshots, Thumbnails };

// What a record needs from the catalog that owns it. The catalog implements it; records
// never see more of the catalog than this.
class IRecordOwner
{
public:
    virtual ~IRecordOwner() = default;

    // Every field change marks the catalog modified through this.
    virtual void SetModified(bool flag) = 0;
    // Raised by Lend and ReturnLoan after the loan fields changed.
    virtual void LoanChanged(bool returned, const QString &borrower, TBaseMovie *movie) = 0;
    // Called before a person's name changes, so the people list stays ordered.
    virtual void MovePerson(TActor *person, const QString &newName) = 0;
    // Called before a movie's num changes, so the movie list stays ordered (unless the
    // catalog has reordering suspended).
    virtual void MoveMovie(TMovie *movie, int newNum) = 0;
    // A movie or a person became shown (+1) or hidden (-1); episodes are not counted.
    virtual void ChangeShownCount(const TDBItem &record, int delta) = 0;
    // The tree view that shows records of this record's kind, or nullptr.
    virtual ITreeView *TreeFor(const TDBItem &record) const = 0;
    // Number of custom fields; a new movie starts with one empty value per field.
    virtual int CustomFieldCount() const = 0;
    // The absolute image folder, ending in "/"; empty when the catalog has none (then
    // records leave the file system alone).
    virtual QString ImageFolder(TImageFolder folder) const = 0;
    // Covers and screenshots go into one subfolder per movie.
    virtual bool ImgFolders() const = 0;
    // A line for the log window.
    virtual void LogLine(const QString &line) = 0;
};
