#include "cli/commands.h"

#include <memory>
#include <optional>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "catalog/actor.h"
#include "catalog/cataloglock.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/version.h"
#include "catalog/videodatabase.h"
#include "cli/terminal.h"
#include "host/importexport.h"
#include "host/installlayout.h"
#include "host/pluginlibrary.h"
#include "logic/statistics.h"

using namespace Qt::StringLiterals;

#if defined(__SANITIZE_ADDRESS__)
#define RK_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RK_LEAK_CHECKED 1
#endif
#endif

namespace {

bool g_keepCatalogAtExit = false;

// The password from an option, a file or the environment, offered once: a wrong one ends
// the load. Without one, a person at a terminal is asked (three tries, no echo).
class TOptionPassword : public IPasswordPrompt
{
public:
    TOptionPassword(std::optional<QString> password, QString fileName)
        : m_password(std::move(password))
        , m_fileName(std::move(fileName))
    {}
    std::optional<QString> AskPassword(const QString &, bool first) override
    {
        if (m_password)
            return first ? m_password : std::nullopt;
        if (!InputIsTerminal() || ++m_asked > 3)
            return std::nullopt;
        return ReadHiddenLine(first ? u"Password for %1: "_s.arg(m_fileName)
                                    : u"Wrong password, try again: "_s);
    }

private:
    std::optional<QString> m_password;
    QString m_fileName;
    int m_asked = 0;
};

// The variable a password may come from instead of an option (which other local users
// can read in the process list).
constexpr char PasswordVariable[] = "REELKEEP_PASSWORD";

// The first line of a password file, without its line break.
std::optional<QString> ReadPasswordFile(const QString &fileName, QString &error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        error = u"cannot read the password file %1: %2"_s.arg(fileName, file.errorString());
        return std::nullopt;
    }
    QByteArray line = file.readLine();
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

struct TArguments
{
    QStringList positional;
    std::optional<QString> password;
    std::optional<QString> newPassword;
    std::optional<QString> passwordFile;
    std::optional<QString> newPasswordFile;
    std::optional<QString> protection;
    std::optional<QString> duplicates;
    std::optional<QString> wait;
    bool people = false;
    bool help = false;
    QString error;
};

TArguments ParseArguments(const QStringList &args)
{
    TArguments result;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == u"--help" || arg == u"-h") {
            result.help = true;
        } else if (arg == u"--password") {
            if (i + 1 >= args.size()) {
                result.error = u"--password needs a value"_s;
                return result;
            }
            result.password = args[++i];
        } else if (arg.startsWith(u"--password=")) {
            result.password = arg.mid(11);
        } else if (arg == u"--set-password") {
            if (i + 1 >= args.size()) {
                result.error = u"--set-password needs a value (empty to remove the password)"_s;
                return result;
            }
            result.newPassword = args[++i];
        } else if (arg.startsWith(u"--set-password=")) {
            result.newPassword = arg.mid(15);
        } else if (arg == u"--password-file" || arg.startsWith(u"--password-file=")
                   || arg == u"--set-password-file" || arg.startsWith(u"--set-password-file=")
                   || arg == u"--protection" || arg.startsWith(u"--protection=")) {
            const qsizetype equals = arg.indexOf(u'=');
            const QString name = equals < 0 ? arg : arg.left(equals);
            if (equals < 0 && i + 1 >= args.size()) {
                result.error = u"%1 needs a value"_s.arg(name);
                return result;
            }
            const QString value = equals < 0 ? args[++i] : arg.mid(equals + 1);
            if (name == u"--password-file")
                result.passwordFile = value;
            else if (name == u"--set-password-file")
                result.newPasswordFile = value;
            else
                result.protection = value;
        } else if (arg == u"--duplicates" || arg.startsWith(u"--duplicates=")) {
            if (arg == u"--duplicates" && i + 1 >= args.size()) {
                result.error = u"--duplicates needs a value"_s;
                return result;
            }
            result.duplicates = arg == u"--duplicates" ? args[++i] : arg.mid(13);
        } else if (arg == u"--wait" || arg.startsWith(u"--wait=")) {
            if (arg == u"--wait" && i + 1 >= args.size()) {
                result.error = u"--wait needs a number of seconds"_s;
                return result;
            }
            result.wait = arg == u"--wait" ? args[++i] : arg.mid(7);
        } else if (arg == u"--people") {
            result.people = true;
        } else if (arg.startsWith(u"--")) {
            result.error = u"unknown option %1"_s.arg(arg);
            return result;
        } else {
            result.positional.append(arg);
        }
    }
    return result;
}

// Parses the arguments of a command taking `count` file names; prints help or errors.
// Returns the arguments when the command should run.
std::optional<TArguments> CheckArguments(const QStringList &args,
                                         int count,
                                         const QString &usage,
                                         QTextStream &out,
                                         QTextStream &err,
                                         int &exitCode)
{
    TArguments parsed = ParseArguments(args);
    if (parsed.help) {
        out << usage << Qt::endl;
        exitCode = ExitOk;
        return std::nullopt;
    }
    if (parsed.error.isEmpty() && (parsed.newPassword || parsed.newPasswordFile) && count != 2)
        parsed.error = u"--set-password is an option of resave"_s;
    if (parsed.error.isEmpty() && parsed.password && parsed.passwordFile)
        parsed.error = u"give --password or --password-file, not both"_s;
    if (parsed.error.isEmpty() && parsed.newPassword && parsed.newPasswordFile)
        parsed.error = u"give --set-password or --set-password-file, not both"_s;
    if (parsed.error.isEmpty() && parsed.protection && !parsed.newPassword
        && !parsed.newPasswordFile) {
        parsed.error = u"--protection goes with --set-password or --set-password-file"_s;
    }
    if (parsed.error.isEmpty() && parsed.protection && *parsed.protection != u"strong"
        && *parsed.protection != u"simple") {
        parsed.error = u"--protection takes strong or simple"_s;
    }
    if (parsed.error.isEmpty() && parsed.passwordFile)
        parsed.password = ReadPasswordFile(*parsed.passwordFile, parsed.error);
    if (parsed.error.isEmpty() && parsed.newPasswordFile) {
        parsed.newPassword = ReadPasswordFile(*parsed.newPasswordFile, parsed.error);
        // An empty file is more likely a mistake than a wish to remove the protection.
        if (parsed.newPassword && parsed.newPassword->isEmpty()) {
            parsed.error = u"the password file %1 is empty (--set-password \"\" removes the "
                           u"protection)"_s.arg(*parsed.newPasswordFile);
        }
    }
    if (parsed.error.isEmpty() && !parsed.password && qEnvironmentVariableIsSet(PasswordVariable))
        parsed.password = qEnvironmentVariable(PasswordVariable);
    if (parsed.error.isEmpty() && parsed.wait && (count == 1 || count == -1))
        parsed.error = u"--wait is an option of resave and import"_s;
    if (parsed.error.isEmpty() && parsed.wait) {
        bool ok = false;
        const double seconds = parsed.wait->toDouble(&ok);
        if (!ok || seconds < 0 || seconds > 86400)
            parsed.error = u"--wait takes a number of seconds from 0 to 86400"_s;
    }
    if (parsed.error.isEmpty() && count >= 0 && parsed.positional.size() != count)
        parsed.error = u"expected %1 file name(s)"_s.arg(count);
    if (!parsed.error.isEmpty()) {
        err << "reelkeep-cli: " << parsed.error << Qt::endl << usage << Qt::endl;
        exitCode = ExitUsage;
        return std::nullopt;
    }
    return parsed;
}

// A backup that cannot be made does not stop a save, but the user hears of it.
void WarnOfBackupFailures(TVideoDatabase &db, QTextStream &err)
{
    db.OnBackupFailed = [&err](const QString &error) {
        err << "reelkeep-cli: warning: " << error << "; the previous backup is kept" << Qt::endl;
    };
}

// Opens an existing catalog; prints the reason and returns nothing when it cannot. A
// damaged catalog is returned with a warning: what was read can be shown or saved
// elsewhere, and ExitCode tells the caller it was not all.
std::unique_ptr<TVideoDatabase> OpenExisting(const QString &fileName,
                                             const TArguments &args,
                                             QTextStream &err,
                                             TOpenMode mode = TOpenMode::Read)
{
    if (!QFileInfo(fileName).isFile()) {
        err << "reelkeep-cli: " << fileName << ": no such catalog file" << Qt::endl;
        return nullptr;
    }
    auto db = std::make_unique<TVideoDatabase>(fileName);
    WarnOfBackupFailures(*db, err);
    TOptionPassword prompt(args.password, fileName);
    const TLoadResult result = db->Open(&prompt, mode);
    if (result.failure == TLoadFailure::Damaged) {
        err << "reelkeep-cli: warning: " << result.error << Qt::endl;
        db->SetModified(false);
        return db;
    }
    if (!result.ok) {
        err << "reelkeep-cli: " << result.error << Qt::endl;
        // Never write back a catalog that did not load.
        db->SetModified(false);
        return nullptr;
    }
    return db;
}

// The exit code of a command that read `db` and did its job.
int ExitCode(const TVideoDatabase &db)
{
    return db.Damaged() ? ExitCatalogDamaged : ExitOk;
}

// The end of a command's use of its catalog: all it wrote is closed by now. A catalog still
// marked modified is destroyed as usual, since its destructor is what saves it.
int Finish([[maybe_unused]] std::unique_ptr<TVideoDatabase> &db, int exitCode)
{
#ifndef RK_LEAK_CHECKED
    if (g_keepCatalogAtExit && db && !db->Modified())
        static_cast<void>(db.release());
#endif
    return exitCode;
}

// How long a writing command waits for another program to let go of the catalog.
constexpr double DefaultLockWaitSeconds = 5;

// Takes the lock of a catalog about to be written, waiting as --wait says. Returns
// ExitOk when this program may write (also when the folder allows no lock file: writing
// there fails on its own, with its own message), ExitLocked with a message otherwise.
int LockForWriting(TCatalogLock &lock, const TArguments &args, QTextStream &err)
{
    const double seconds = args.wait ? args.wait->toDouble() : DefaultLockWaitSeconds;
    const auto wait = std::chrono::milliseconds(qint64(seconds * 1000));
    if (lock.Lock(wait) != TCatalogLock::TState::Busy)
        return ExitOk;
    err << "reelkeep-cli: the catalog is in use by " << lock.Holder() << "; waited " << seconds
        << " s (lock file " << lock.LockFileName() << ")" << Qt::endl;
    return ExitLocked;
}

QJsonValue ToJson(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
        return value.toInt();
    case QMetaType::LongLong:
        return value.toLongLong();
    case QMetaType::Double:
        return value.toDouble();
    default:
        return value.toString();
    }
}

const QString InfoUsage = u"Usage: reelkeep-cli info CATALOG [--password P | --password-file F]\n"
                          "Prints the catalog's version, its counts of movies, people, episodes "
                          "and custom fields, and whether it is encrypted."_s;
const QString DumpUsage = u"Usage: reelkeep-cli dump CATALOG [--password P | --password-file F]\n"
                          "Prints the whole catalog as one JSON document."_s;
const QString ResaveUsage =
    u"Usage: reelkeep-cli resave CATALOG OUT [--password P | --password-file F]\n"
    "       [--set-password Q | --set-password-file G] [--protection strong|simple] [--wait S]\n"
    "Loads CATALOG and writes it as OUT in the current format. --set-password protects OUT "
    "with the password Q (--set-password-file: the first line of G); an empty Q removes the "
    "protection. --protection strong (the default) encrypts the whole file; simple is the "
    "old scheme other programs read, which only hides the catalog from casual readers and "
    "takes only Windows-1252 characters. When another program has OUT "
    "open, waits up to S seconds (default 5) for it, then gives up with exit code 6."_s;
const QString ImportUsage =
    u"Usage: reelkeep-cli import PLUGIN INPUT CATALOG "
    "[--duplicates merge|add|overwrite|skip|cancel] [--password P | --password-file F] "
    "[--wait S]\n"
    "Reads INPUT with an import plug-in (a .so file) into CATALOG, which is created when "
    "missing, and saves it, then prints the counts of movies and people and, after "
    "\"notes:\", what the plug-in put elsewhere than into the fields (custom fields moved into "
    "the comments, for example). --duplicates answers every duplicate question (default add). "
    "When another program has CATALOG open, waits up to S seconds (default 5) for it, then "
    "gives up with exit code 6."_s;
const QString ExportUsage =
    u"Usage: reelkeep-cli export PLUGIN CATALOG OUTPUT [--people]"
    " [--password P | --password-file F]\n"
    "Writes all movies (or all people) of CATALOG to OUTPUT with an export plug-in."_s;
const QString PluginsUsage =
    u"Usage: reelkeep-cli plugins [DIR]\n"
    "Lists the plug-ins in DIR (default: the program's plug-in folder, Plugins/ beside it "
    "in a build, ../lib/reelkeep/Plugins/ when installed): file, type, name, version and "
    "language, separated by tabs."_s;
const QString StatsUsage =
    u"Usage: reelkeep-cli stats CATALOG [--password P | --password-file F]\n"
    "Prints the totals of the statistics window as \"name: value\" lines, then one line per "
    "chart value, chart, value and count separated by tabs, in the window's order."_s;

// Answers the import and export dialogs from the command line.
class TCliUi : public IImportExportUi
{
public:
    TCliUi(QString file, TDuplicateChoice choice)
        : m_file(std::move(file))
        , m_choice(choice)
    {}
    std::optional<QString> AskOpenFile(const QString &) override { return m_file; }
    std::optional<QString> AskSaveFile(const QString &) override { return m_file; }
    TDuplicateAnswer AskDuplicate(TRecordKind, const QString &, const QString &) override
    {
        return {m_choice, true};
    }

private:
    QString m_file;
    TDuplicateChoice m_choice;
};

std::optional<TDuplicateChoice> ParseDuplicateChoice(const QString &text)
{
    static const std::pair<const char16_t *, TDuplicateChoice> choices[] = {
        {u"merge", TDuplicateChoice::Merge},
        {u"add", TDuplicateChoice::Add},
        {u"overwrite", TDuplicateChoice::Overwrite},
        {u"skip", TDuplicateChoice::Skip},
        {u"cancel", TDuplicateChoice::Cancel},
    };
    for (const auto &[name, choice] : choices) {
        if (text == QStringView(name))
            return choice;
    }
    return std::nullopt;
}

const QString GeneralUsage =
    u"Usage: reelkeep-cli COMMAND [ARGUMENTS]\n"
    "Commands:\n"
    "  info CATALOG     counts and version of a catalog\n"
    "  dump CATALOG     the whole catalog as JSON\n"
    "  resave CATALOG OUT   load a catalog and save it under another name\n"
    "  import PLUGIN INPUT CATALOG   import another program's catalog\n"
    "  export PLUGIN CATALOG OUTPUT  export movies or people\n"
    "  plugins [DIR]    list the plug-ins found\n"
    "  stats CATALOG    totals and chart values of the statistics\n"
    "Options: --password P or --password-file F (its first line) for a password-protected "
    "catalog; without them the variable REELKEEP_PASSWORD, else a question on the terminal. "
    "Other local users can see --password P in the process list. --wait S for resave and "
    "import: "
    "seconds to wait for another program that has the catalog open; --help after a command."_s;

} // namespace

QJsonObject RecordToJson(const TDBItem &record)
{
    QJsonObject object;
    record.VisitFields(
        [&](const QString &tag, const QVariant &value) { object.insert(tag, ToJson(value)); });
    // A separate picture file counts with its size; reading it whole is not needed.
    const QString pictureFile = record.PictureFile();
    const QFileInfo file(pictureFile);
    object.insert(u"pictureBytes"_s,
                  pictureFile.isEmpty() ? qint64(record.PictureBytes().size())
                  : file.isFile()       ? file.size()
                                        : qint64(0));
    if (record.Kind() != TRecordKind::Person) {
        const auto &movie = static_cast<const TBaseMovie &>(record);
        object.insert(u"custom"_s, QJsonArray::fromStringList(movie.CustomValues()));
    }
    if (record.Kind() == TRecordKind::Movie) {
        const auto &movie = static_cast<const TMovie &>(record);
        QJsonArray episodes;
        for (int i = 0; i < movie.EpisodeCount(); ++i)
            episodes.append(RecordToJson(*movie.Episode(i)));
        object.insert(u"episodes"_s, episodes);
    }
    return object;
}

int CommandInfo(const QStringList &args, QTextStream &out, QTextStream &err)
{
    int exitCode = ExitOk;
    const auto parsed = CheckArguments(args, 1, InfoUsage, out, err, exitCode);
    if (!parsed)
        return exitCode;
    auto db = OpenExisting(parsed->positional[0], *parsed, err);
    if (!db)
        return ExitCatalogUnreadable;
    int episodes = 0;
    for (int i = 0; i < db->MovieCount(); ++i)
        episodes += db->Movie(i)->EpisodeCount();
    out << "version: " << db->Version() << '\n'
        << "movies: " << db->MovieCount() << '\n'
        << "people: " << db->PersonCount() << '\n'
        << "episodes: " << episodes << '\n'
        << "custom fields: " << db->CustomFieldCount() << '\n'
        << "encrypted: "
        << (db->Protection() == TProtection::Strong   ? "yes (strong)"
            : db->Protection() == TProtection::Simple ? "yes (simple)"
                                                      : "no")
        << Qt::endl;
    // Reading never writes: upgrades of old files stay in memory.
    db->SetModified(false);
    return Finish(db, ExitCode(*db));
}

int CommandDump(const QStringList &args, QTextStream &out, QTextStream &err)
{
    int exitCode = ExitOk;
    const auto parsed = CheckArguments(args, 1, DumpUsage, out, err, exitCode);
    if (!parsed)
        return exitCode;
    auto db = OpenExisting(parsed->positional[0], *parsed, err);
    if (!db)
        return ExitCatalogUnreadable;
    QJsonArray movies;
    for (int i = 0; i < db->MovieCount(); ++i)
        movies.append(RecordToJson(*db->Movie(i)));
    QJsonArray people;
    for (int i = 0; i < db->PersonCount(); ++i)
        people.append(RecordToJson(*db->Person(i)));
    QJsonObject root;
    root.insert(u"version"_s, db->Version());
    root.insert(u"customFields"_s, QJsonArray::fromStringList(db->CustomFieldNames()));
    root.insert(u"movies"_s, movies);
    root.insert(u"people"_s, people);
    out << QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
    out.flush();
    db->SetModified(false);
    return Finish(db, ExitCode(*db));
}

int CommandResave(const QStringList &args, QTextStream &out, QTextStream &err)
{
    int exitCode = ExitOk;
    const auto parsed = CheckArguments(args, 2, ResaveUsage, out, err, exitCode);
    if (!parsed)
        return exitCode;
    const QString target = QFileInfo(parsed->positional[1]).absoluteFilePath();
    // Only a catalog written in place may have its pictures brought along by an upgrade.
    auto db = OpenExisting(parsed->positional[0],
                           *parsed,
                           err,
                           target == QFileInfo(parsed->positional[0]).absoluteFilePath()
                               ? TOpenMode::Write
                               : TOpenMode::Read);
    if (!db)
        return ExitCatalogUnreadable;
    const bool damaged = db->Damaged();
    if (damaged && target == db->FileName()) {
        err << "reelkeep-cli: " << target
            << " is not written over: it looks damaged; resave it under another name" << Qt::endl;
        return ExitCatalogDamaged;
    }
    TCatalogLock lock(target);
    if (const int locked = LockForWriting(lock, *parsed, err); locked != ExitOk) {
        db->SetModified(false);
        return locked;
    }
    if (parsed->newPassword) {
        const TProtection protection =
            parsed->protection == u"simple" ? TProtection::Simple : TProtection::Strong;
        if (const Status set = db->SetPassword(*parsed->newPassword, protection); !set) {
            err << "reelkeep-cli: " << set.Error() << "; nothing was written" << Qt::endl;
            db->SetModified(false);
            return ExitUsage;
        }
    }
    const Result<TSaveOutcome> result = db->SaveAs(target);
    if (!result.Ok()) {
        err << "reelkeep-cli: " << result.Error() << Qt::endl;
        db->SetModified(false);
        return ExitWriteFailed;
    }
    if (result.Value() == TSaveOutcome::ReadOnly) {
        err << "reelkeep-cli: " << target << " is write-protected" << Qt::endl;
        db->SetModified(false);
        return ExitWriteFailed;
    }
    return Finish(db, damaged ? ExitCatalogDamaged : ExitOk);
}

void SetKeepCatalogAtExit(bool keep)
{
    g_keepCatalogAtExit = keep;
}

int RunCommandLine(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.isEmpty() || args[0] == u"--help" || args[0] == u"-h" || args[0] == u"help") {
        (args.isEmpty() ? err : out) << GeneralUsage << Qt::endl;
        return args.isEmpty() ? ExitUsage : ExitOk;
    }
    const QString command = args[0];
    const QStringList rest = args.mid(1);
    if (command == u"info")
        return CommandInfo(rest, out, err);
    if (command == u"dump")
        return CommandDump(rest, out, err);
    if (command == u"resave")
        return CommandResave(rest, out, err);
    if (command == u"import")
        return CommandImport(rest, out, err);
    if (command == u"export")
        return CommandExport(rest, out, err);
    if (command == u"plugins")
        return CommandPlugins(rest, out, err);
    if (command == u"stats")
        return CommandStats(rest, out, err);
    err << "reelkeep-cli: unknown command " << command << Qt::endl << GeneralUsage << Qt::endl;
    return ExitUsage;
}

int CommandImport(const QStringList &args, QTextStream &out, QTextStream &err)
{
    int exitCode = ExitOk;
    const auto parsed = CheckArguments(args, 3, ImportUsage, out, err, exitCode);
    if (!parsed)
        return exitCode;
    const std::optional<TDuplicateChoice> choice =
        ParseDuplicateChoice(parsed->duplicates.value_or(u"add"_s));
    if (!choice) {
        err << "reelkeep-cli: --duplicates takes merge, add, overwrite, skip or cancel" << Qt::endl;
        return ExitUsage;
    }
    const QString plugin = parsed->positional[0];
    const QString input = QFileInfo(parsed->positional[1]).absoluteFilePath();
    const QString catalog = QFileInfo(parsed->positional[2]).absoluteFilePath();
    // The lock is held from before the catalog is read until it is saved, so a second
    // writer reads what this one wrote; its file needs the folder the catalog goes in.
    QDir().mkpath(QFileInfo(catalog).absolutePath());
    TCatalogLock lock(catalog);
    if (const int locked = LockForWriting(lock, *parsed, err); locked != ExitOk)
        return locked;
    auto db = std::make_unique<TVideoDatabase>(catalog);
    WarnOfBackupFailures(*db, err);
    TOptionPassword prompt(parsed->password, catalog);
    const TLoadResult loaded = db->Open(&prompt);
    if (!loaded.ok) {
        err << "reelkeep-cli: " << loaded.error << Qt::endl;
        db->SetModified(false);
        // Importing into part of a catalog and saving would lose the rest.
        return loaded.failure == TLoadFailure::Damaged ? ExitCatalogDamaged : ExitCatalogUnreadable;
    }
    TCliUi ui(input, *choice);
    TImportSummary summary;
    const Status status = RunImport(*db, plugin, ui, TImportOptions{}, &summary);
    if (!status) {
        err << "reelkeep-cli: " << status.Error() << Qt::endl;
        db->SetModified(false);
        return ExitPluginFailed;
    }
    const Result<TSaveOutcome> saved = db->Save(true);
    if (!saved.Ok() || saved.Value() == TSaveOutcome::ReadOnly) {
        err << "reelkeep-cli: " << (saved.Ok() ? catalog + u" is write-protected"_s : saved.Error())
            << Qt::endl;
        db->SetModified(false);
        return ExitWriteFailed;
    }
    out << "movies: " << db->MovieCount() << '\n' << "people: " << db->PersonCount() << '\n';
    // What the plug-in put elsewhere than into the fields, on one line.
    if (!summary.notes.isEmpty())
        out << "notes: " << QString(summary.notes).replace(u'\n', u' ') << '\n';
    out.flush();
    return ExitOk;
}

int CommandExport(const QStringList &args, QTextStream &out, QTextStream &err)
{
    int exitCode = ExitOk;
    const auto parsed = CheckArguments(args, 3, ExportUsage, out, err, exitCode);
    if (!parsed)
        return exitCode;
    auto db = OpenExisting(parsed->positional[1], *parsed, err);
    if (!db)
        return ExitCatalogUnreadable;
    QList<TDBItem *> records;
    if (parsed->people) {
        for (int i = 0; i < db->PersonCount(); ++i)
            records.append(db->Person(i));
    } else {
        for (int i = 0; i < db->MovieCount(); ++i)
            records.append(db->Movie(i));
    }
    TCliUi ui(QFileInfo(parsed->positional[2]).absoluteFilePath(), TDuplicateChoice::Add);
    const Status status = RunExport(parsed->positional[0], records, parsed->people, ui);
    db->SetModified(false);
    if (!status) {
        err << "reelkeep-cli: " << status.Error() << Qt::endl;
        return ExitPluginFailed;
    }
    return Finish(db, ExitCode(*db));
}

int CommandPlugins(const QStringList &args, QTextStream &out, QTextStream &err)
{
    int exitCode = ExitOk;
    const auto parsed = CheckArguments(args, -1, PluginsUsage, out, err, exitCode);
    if (!parsed)
        return exitCode;
    if (parsed->positional.size() > 1) {
        err << "reelkeep-cli: expected at most one folder" << Qt::endl << PluginsUsage << Qt::endl;
        return ExitUsage;
    }
    const QString folder =
        parsed->positional.isEmpty()
            ? TInstallLayout::ForProgram(QCoreApplication::applicationDirPath()).PluginFolder
            : parsed->positional[0];
    QList<TPluginInfo> refused;
    const QList<TPluginInfo> found =
        DiscoverPlugins(folder, RK_LANG_ENGLISH, ProgramVersionNumber, &refused);
    for (const TPluginInfo &info : found) {
        out << info.fileName << '\t' << PluginTypeName(info.type) << '\t' << info.name << '\t'
            << info.pluginVersion << '\t' << info.language << '\n';
    }
    for (const TPluginInfo &info : refused) {
        err << info.fileName << ": refused (written for host version " << info.versionSupported
            << ")\n";
    }
    out.flush();
    err.flush();
    return ExitOk;
}

int CommandStats(const QStringList &args, QTextStream &out, QTextStream &err)
{
    int exitCode = ExitOk;
    const auto parsed = CheckArguments(args, 1, StatsUsage, out, err, exitCode);
    if (!parsed)
        return exitCode;
    auto db = OpenExisting(parsed->positional[0], *parsed, err);
    if (!db)
        return ExitCatalogUnreadable;
    const TStatistics stats = CountStatistics(*db);
    db->SetModified(false);
    const TStatTexts texts;
    const TStatTotals &totals = stats.totals;
    out << "movies: " << totals.movies << '\n'
        << "people: " << totals.people << '\n'
        << "loaned: " << totals.loaned << '\n'
        << "seen: " << totals.seen << '\n'
        << "not seen: " << totals.notSeen << '\n'
        << "wish: " << totals.wish << '\n'
        << "size: " << SizeText(totals.sizeMegabytes) << '\n'
        << "duration: " << DurationText(totals.minutes, texts) << '\n';
    for (int i = 0; i < StatChartCount; ++i) {
        const auto chart = static_cast<TStatChart>(i);
        for (const TStatPoint &point : ChartPoints(stats, chart, texts)) {
            // One value per line, whatever a single-valued field holds.
            QString label = point.label;
            for (QChar &c : label) {
                if (c == u'\t' || c == u'\r' || c == u'\n')
                    c = u' ';
            }
            out << StatChartName(chart) << '\t' << label << '\t' << point.count << '\n';
        }
    }
    out.flush();
    return Finish(db, ExitCode(*db));
}
