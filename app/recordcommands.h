#pragma once

#include <QString>

#include "app/maindialogs.h"

class ICommandHost;
class TBaseMovie;
class TDBItem;
struct TSettings;

// The record commands: new, clear, delete, duplicate, episodes, IDs, seen, bookmarks,
// playing files and the cards' links. They reach the window through its command host; the
// card edit (TCardEdit) takes what the commands leave for the next focused record through
// TakeFocusRequest and TakeNewRecord.
class TRecordCommands
{
public:
    TRecordCommands(ICommandHost &host, const TSettings &settings);

    // Each command checks its own preconditions.
    void NewRecord();
    void ClearRecord();
    void DeleteRecords();
    void DuplicateRecord();
    void NewEpisode();
    void SetRecordId();
    void SetEpisodeNumber();
    void SetIdsOfSelection();
    // Seen commands: `viewed` and `viewdate` of every selected movie.
    void SetSeen(bool viewed, double when);
    void ToggleSeen();
    void ToggleBookmark();
    void GoToBookmark(bool forward);
    void ClearBookmarks();
    void PlayMovie();
    void OpenMovieFolder();
    // The first file of the movie's path that can be opened: a network path as it is, any
    // other that exists. Empty when none.
    static QString UsableFile(const TBaseMovie &movie);
    // Link targets.
    void GoToMovieByTitle(const QString &text, bool byOriginalTitle);
    void GoToPersonByName(const QString &text, bool asTranslatedName);
    void GoToMovieById(const QString &text);
    // Makes a movie (kind 0) or person (kind 1) as the New command does, with auto IDs.
    TDBItem *CreateRecord(int kind);

    // Whether the next focused record starts editing (a record just made), and with the
    // focus in the card's title field. Taking it clears it.
    struct TFocusRequest
    {
        bool edit = false;
        bool focusTitle = false;
    };
    TFocusRequest TakeFocusRequest();
    // The record the New command made, and whether the catalog was modified before: a new
    // record cancelled while still empty leaves the catalog as it was. Taking it forgets
    // it (after apply, cancel, or when records go).
    struct TNewRecord
    {
        TDBItem *record = nullptr;
        bool modifiedBefore = false;
    };
    TNewRecord TakeNewRecord();

private:
    // True when a file was removed.
    bool DeleteMovieFiles(TBaseMovie &movie, TFileDecision &decision);
    void FocusNewRecord(TDBItem *record);
    // A command's caption as the name of its undo step.
    QString StepName(int number, const QString &english) const;

    ICommandHost &m_host;
    const TSettings &m_settings;
    TFocusRequest m_focusRequest;
    TNewRecord m_newRecord;
    TIdSeries m_idSeries;
    // The new-episode dialog's copy choice, remembered from one episode to the next.
    bool m_episodeCopy = true;
};
