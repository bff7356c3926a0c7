#pragma once

#include <QJsonObject>
#include <QStringList>
#include <QTextStream>

// One function per command of reelkeep-cli. Each takes the arguments after the command
// name, writes its output and messages to the given streams and returns the exit code.

// Exit codes, as README.md documents them.
enum TExitCode : int {
    ExitOk = 0,
    ExitUsage = 1,             // unknown command, missing or extra arguments
    ExitCatalogUnreadable = 2, // missing file, unreadable file, wrong or missing password
    ExitWriteFailed = 3,       // the catalog could not be written
    ExitPluginFailed = 4,      // the plug-in cannot be loaded or cannot do the job
    ExitCatalogDamaged = 5,    // the catalog looks damaged: only part of it was read
    ExitLocked = 6,            // another program holds the catalog's lock
};

int CommandInfo(const QStringList &args, QTextStream &out, QTextStream &err);
int CommandDump(const QStringList &args, QTextStream &out, QTextStream &err);
int CommandResave(const QStringList &args, QTextStream &out, QTextStream &err);
int CommandImport(const QStringList &args, QTextStream &out, QTextStream &err);
int CommandExport(const QStringList &args, QTextStream &out, QTextStream &err);
int CommandPlugins(const QStringList &args, QTextStream &out, QTextStream &err);
int CommandStats(const QStringList &args, QTextStream &out, QTextStream &err);

// Lets a command that read a catalog and has nothing left to write leave it in memory
// instead of destroying it: freeing a large catalog record by record took a good part of
// a short run, and the process ending frees it at once. Only main, right before the
// program ends, turns it on; commands run inside another program (the tests) free their
// catalog. Builds with the address sanitizer always free it, so their leak reports stay
// meaningful.
void SetKeepCatalogAtExit(bool keep);

class TDBItem;
// One record as `dump` prints it: its fields, the size of its picture, its custom values
// and (a series) its episodes.
QJsonObject RecordToJson(const TDBItem &record);

// Dispatches argv[1..]; prints the general help for "--help" or no arguments.
int RunCommandLine(const QStringList &args, QTextStream &out, QTextStream &err);
