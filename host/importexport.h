#pragma once

#include <optional>

#include <QList>
#include <QString>

#include "catalog/dbitem.h"
#include "catalog/result.h"

class TBaseMovie;
class TVideoDatabase;

// What the user decides about an imported record that is already in the catalog.
enum class TDuplicateChoice {
    Merge,     // fill the existing record's empty fields
    Add,       // add a new record
    Overwrite, // write every field into the existing record
    Skip,      // do not add this record
    Cancel,    // skip this record and every later one
};

struct TDuplicateAnswer
{
    TDuplicateChoice choice = TDuplicateChoice::Add;
    // Keep the choice for the rest of the import.
    bool doNotShowAgain = false;
};

// The dialogs and the wait window of import and export. The window program shows real
// ones; the command line and the tests answer from options.
class IImportExportUi
{
public:
    virtual ~IImportExportUi() = default;

    // The file to read or write for a plug-in's filter ("Description|*.ext|...");
    // nothing when the user cancels.
    virtual std::optional<QString> AskOpenFile(const QString &filter) = 0;
    virtual std::optional<QString> AskSaveFile(const QString &filter) = 0;
    // A record of the kind is a duplicate of one named text1 / text2.
    virtual TDuplicateAnswer
    AskDuplicate(TRecordKind kind, const QString &text1, const QString &text2) = 0;
    // A record as the New command creates it (date added, automatic ID, ...).
    virtual TDBItem *CreateRecord(TVideoDatabase &db, TRecordKind kind);

    virtual void ShowWait(bool cancellable) { Q_UNUSED(cancellable); }
    virtual void HideWait() {}
    // Lets the window repaint and notice the wait window's Cancel. Called for every record,
    // so a window turns its event loop only every so often.
    virtual void ProcessEvents() {}
    virtual bool CancelRequested() { return false; }
    // Bracket the import so the lists are built (and repainted) once, after it.
    virtual void BeginListUpdate() {}
    virtual void EndListUpdate() {}
};

struct TImportOptions
{
    int language = 9;
    // Add the people named in imported movies.
    bool autoAddPeople = false;
    // Match added people by translated name.
    bool transNames = false;
    // Store imported pictures as separate files.
    bool externalPosters = false;
};

// What an import did with the records the plug-in handed over, for the summary the user
// gets. People the movies named (AutoAddPeople) are not counted.
struct TImportSummary
{
    struct TCounts
    {
        int added = 0;
        int merged = 0;  // written into a record that was there (merged or overwritten)
        int skipped = 0; // duplicates not taken, and every record after a cancel
        int Total() const { return added + merged + skipped; }
    };
    // The plug-in read its input (false: the file question was cancelled or refused).
    bool ran = false;
    bool cancelled = false;
    TCounts movies;
    TCounts people;
    // The first record of each kind the import wrote into; nullptr when none.
    TDBItem *firstMovie = nullptr;
    TDBItem *firstPerson = nullptr;
    // What the plug-in says it put elsewhere than into the fields (GetImportNotes); empty
    // when nothing, or when the plug-in has no such export.
    QString notes;
};

// Runs an import plug-in (type 3) over a file it asks for through `ui`. Records go
// through the duplicate check and are written into new or existing records; `summary`
// (optional) gets what became of them.
Status RunImport(TVideoDatabase &db,
                 const QString &pluginPath,
                 IImportExportUi &ui,
                 const TImportOptions &options,
                 TImportSummary *summary = nullptr);

// What became of an export, for the message the user gets.
struct TExportOutcome
{
    // The file the plug-in was given (empty when it asks for none).
    QString fileName;
    // The plug-in failed (disk full, unwritable target) and kept nothing: it answered false
    // for a record (the records after it were not sent), or its ExportResult reported a
    // failure after EndExport or after BeginExport answered false.
    bool refused = false;
    // Records (episodes included) the plug-in took.
    int written = 0;
};

// Runs an export plug-in (type 7) over `records` (movies, or people with `people`), in
// the order the plug-in asks for; episodes follow their movie. Episodes in `records` whose
// movie is not there go out after their movie, which carries only those episodes. A
// record the plug-in refuses ends the export with a failure; EndExport still runs so the
// plug-in can clean up. A plug-in with ExportResult can also fail the export when saving
// it in EndExport, or when it could not start. `outcome` (optional) tells these failures
// from others.
Status RunExport(const QString &pluginPath,
                 const QList<TDBItem *> &records,
                 bool people,
                 IImportExportUi &ui,
                 int language = 9,
                 TExportOutcome *outcome = nullptr);

// Adds the people named in a movie's director, producer, scenario, music and actors
// fields who are not in the catalog yet (by name, or by translated name with
// `transNames`).
void AddPeopleNamedIn(TVideoDatabase &db, const TBaseMovie &movie, bool transNames);
