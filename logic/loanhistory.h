#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "catalog/result.h"

class TBaseMovie;
struct TAppFolders;

// The loan history "history.txt": one event per line, UTF-8, lines ended by CR LF, only
// ever appended to. A line is
//   catalog "|" action time "$" borrower ["##" title ["##" original title]]
// with the catalog's file name without folder, action "<" (returned) or ">" (lent) and the
// time as a day count written with a decimal comma ("39421,5").

// The file loan events are appended to and read from: beside config.ini, so the program
// folder in portable mode and the per-user folder otherwise.
QString HistoryPath(const TAppFolders &folders);

// One line without its line break. `movie` may be null (no title parts). Line breaks inside
// the names would split the event, so they become spaces.
QString HistoryLine(const QString &catalogName,
                    bool returned,
                    double when,
                    const QString &borrower,
                    const TBaseMovie *movie);
// Appends `line` and CR LF, creating the file (and its folder) when missing.
Status AppendHistoryLine(const QString &path, const QString &line);
// The whole file decoded from UTF-8; empty when it is missing or cannot be read.
QString ReadHistoryText(const QString &path);

// The most recent distinct borrowers of one catalog (file name without folder, compared
// without regard to case), newest first, at most `count`.
QStringList RecentBorrowers(const QString &historyText, const QString &catalogName, int count);

// One row of the history window.
struct THistoryEntry
{
    bool returned = false;
    std::optional<double> when; // empty when the time cannot be read
    QString borrower;
    QString movie; // "title / original title"
};
// The events of one catalog, newest first. Lines that are not events (no "|" or "$") are
// left out.
QList<THistoryEntry> HistoryEntries(const QString &historyText, const QString &catalogName);
