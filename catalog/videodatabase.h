#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

#include "catalog/catalogobserver.h"
#include "catalog/daycount.h"
#include "catalog/nameindex.h"
#include "catalog/recordowner.h"
#include "catalog/result.h"
#include "catalog/tagtext.h"
#include "catalog/textrules.h"
#include "catalog/titleindex.h"

class TActor;
class TCatalogLineReader;
class TBaseMovie;
class TDBItem;
class TMovie;
class TStrongKey;

// Asks the user for a catalog's password (the window program shows a dialog, the command
// line takes an option).
class IPasswordPrompt
{
public:
    virtual ~IPasswordPrompt() = default;
    // `first` is true for the first question of a load and false after a wrong password;
    // `fileName` is the file being opened, to be named in the question. Returns nothing
    // when the user cancels.
    virtual std::optional<QString> AskPassword(const QString &fileName, bool first) = 0;
};

// How a catalog file is protected by its password.
enum class TProtection {
    None,
    Simple, // the value cipher other programs share: hides the catalog from casual readers,
            // it is no encryption
    Strong, // the whole file encrypted (Argon2id key, XChaCha20-Poly1305)
};

// Why a load did not succeed.
enum class TLoadFailure {
    None,
    Failed,  // nothing usable was read: unreadable file, no password, no folder
    Foreign, // the file holds no catalog: nothing was read, and the file is never written
    Damaged, // read in part (cut short, counts that disagree, a read error): what was read is
             // kept for reading and Save As, never saved over the file
};

// What a load reports.
struct TLoadResult
{
    bool ok = false;
    // The version number the file was written by; 0 when it has none (or no file).
    int version = 0;
    // Why the load failed, for the user; empty on success.
    QString error;
    TLoadFailure failure = TLoadFailure::None;
};

// What a save did.
enum class TSaveOutcome {
    Saved,
    NotNeeded, // no file name, or nothing modified and not forced
    ReadOnly,  // the file is write-protected: left alone, still modified
};

// Read: the catalog is only read (shown, listed, exported): opening it touches no file.
enum class TOpenMode { Write, Read };

// The open catalog: owns every movie (kept in num order) and every person (kept in name
// order), the custom field names, the image folders and the modified state; loads and
// saves the catalog file. Record changes go to the registered ICatalogObservers; the
// other events are plain callbacks, and an unset one is not raised.

class TVideoDatabase : public IRecordOwner
{
public:
    // No file is read yet: call Open.
    explicit TVideoDatabase(const QString &fileName);
    // Saves a modified catalog first (errors cannot be reported here: callers that care
    // save before; never over a file that loaded as damaged), then destroys the movies and
    // people, last to first.
    ~TVideoDatabase() override;
    TVideoDatabase(const TVideoDatabase &) = delete;
    TVideoDatabase &operator=(const TVideoDatabase &) = delete;

    // Loads the catalog's file (a missing file gives an empty catalog) and upgrades files
    // of older versions. `prompt` answers the password question of a protected file.
    TLoadResult Open(IPasswordPrompt *prompt = nullptr, TOpenMode mode = TOpenMode::Write);
    // Writes the file when modified (or always with force). The new file replaces the
    // old one only once it is completely on disk; a failure leaves the old file and the
    // modified state as they were. A file that holds no catalog is never written over
    // (ReadOnly); SaveAs to another name still works. A symbolic link is written through to
    // its target; the file keeps its mode and, where permitted, its owner. A hard link is
    // split: the other names keep the old contents. Temporary files that killed saves left
    // are removed here and by Open.
    Result<TSaveOutcome> Save(bool force);
    // Saves under another name; the image folders stay where they are.
    Result<TSaveOutcome> SaveAs(const QString &fileName);
    // Adds the records and custom fields of another catalog file to this one; a file that
    // holds no catalog adds nothing. The appended records' separate pictures (posters,
    // photos, covers, screenshots) are copied into this catalog's folders, under free names
    // where a name is taken.
    TLoadResult Append(const QString &fileName, IPasswordPrompt *prompt = nullptr);
    // Foreign (with a message naming the file) when `fileName` exists but holds no catalog:
    // its first element is not the catalog's root. Reads only the start of the file.
    static TLoadResult CheckFile(const QString &fileName);
    // Whether the open file loaded as damaged: the window keeps it read-only.
    bool Damaged() const { return !m_damagedFile.isEmpty() && m_damagedFile == m_fileName; }
    // The window's read-only decision (another program holds the file, the user's answer):
    // Save then leaves the file alone (ReadOnly), also the last-resort save on destruction;
    // SaveAs to another name writes and ends it.
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool ReadOnly() const { return m_readOnly; }

    // The recovery copy: the unsaved state of this catalog, written beside its file
    // ("NAME.recovery.rkd") when the program has to end and the save is refused or fails.
    // It is protected by the catalog's password. Neither call touches the file, its backups
    // or the modified state.
    QString RecoveryFileName() const;
    Status WriteRecoveryCopy();
    // Instead of Open: reads the recovery copy into this catalog, which keeps its own file
    // name and is modified (the next save writes the recovered state to the file).
    TLoadResult OpenRecoveryCopy(IPasswordPrompt *prompt = nullptr);

    const QString &FileName() const { return m_fileName; }
    const QString &Folder() const { return m_folder; }
    const QString &BaseName() const { return m_baseName; }
    int Version() const { return m_version; }
    // A new catalog, or one just saved under another name, carries this program's version.
    void SetVersion(int version) { m_version = version; }
    bool Loading() const { return m_loading; }
    bool Sorted() const { return m_sorted; }
    bool Encrypted() const { return m_protection != TProtection::None; }
    TProtection Protection() const { return m_protection; }
    const QString &Password() const { return m_password; }
    // Protects the catalog with a password from the next save on; an empty password
    // removes the protection. Strong derives its key here (about a second). Fails and
    // changes nothing when Simple cannot hold the password (a character outside
    // Windows-1252) or the key cannot be derived. The password is never stored.
    Status SetPassword(const QString &password, TProtection protection = TProtection::Strong);

    bool Modified() const { return m_modified; }
    void SetModified(bool flag);
    void RecordModified(TDBItem &record) override;

    int MovieCount() const { return static_cast<int>(m_movies.size()); }
    TMovie *Movie(int index) const;
    int PersonCount() const { return static_cast<int>(m_people.size()); }
    TActor *Person(int index) const;
    int ShownMovies() const { return m_shownMovies; }
    int ShownPeople() const { return m_shownPeople; }

    // Observers hear of records added, removed, shown, hidden, changed and moved, in
    // registration order. Not owned: an observer removes itself before it dies, or outlives the
    // catalog.
    void AddObserver(ICatalogObserver *observer);
    void RemoveObserver(ICatalogObserver *observer);
    // The rules typed titles and names are stored by (the window's title formatting).
    // While a file is read none apply: records keep what the file says.
    const TTextRules &TextRules() const override;
    void SetTextRules(const TTextRules &rules) { m_textRules = rules; }

    // Kind 0 adds an empty movie (num -1, so first), kind 1 a person named `name`;
    // `stampDate` sets the movie's date added to now. nullptr for another kind.
    TDBItem *AddRecord(int kind, const QString &name = {}, bool stampDate = false);
    // Removes and destroys a record (a movie, a person or an episode); nullptr is ignored.
    void DeleteRecord(TDBItem *record);
    // Undo keeps removed records whole. DetachRecord takes a record out as DeleteRecord does
    // (hidden first, so lists drop its rows), but leaves its files and hands it over with its
    // place; an empty record when it is not in the catalog. AttachRecord puts it back: a movie
    // or person where its num or name sorts, an episode at its index in its movie, shown
    // again (the lists' filter then decides). DropDetachedFiles removes the files a delete
    // would have removed, for a detached record that will not come back; the modified
    // state stays as it is.
    struct TDetached
    {
        std::unique_ptr<TDBItem> record;
        TMovie *parent = nullptr; // an episode's movie
        int index = -1;           // an episode's place in it
    };
    TDetached DetachRecord(TDBItem *record);
    TDBItem *AttachRecord(TDetached detached);
    void DropDetachedFiles(TDBItem &record);

    int IndexOfPerson(const TActor *person) const;
    int IndexOfMovie(const TMovie *movie) const;
    // The index of any person with that name (case-insensitive), or -1.
    int FindPerson(const QString &name) const;
    // The index of any movie with that num, or -1.
    int FindMovie(int num) const;
    void MovePerson(TActor *person, const QString &newName) override;
    void MoveMovie(TMovie *movie, int newNum) override;
    // Renumbering many movies: they stay in place until SortById.
    void SuspendReorder() { m_reorderSuspended = true; }
    void SortById();
    bool ReorderSuspended() const { return m_reorderSuspended; }
    // Mode 0: the smallest free num above the first movie's; mode 1: the last num + 1.
    int NextId(int mode) const;
    // Another record (not `exclude`) matching the texts: movies by display title and
    // original title (kind 0), people by name and translated name (kind 1).
    TDBItem *FindDuplicate(const QString &text1,
                           const QString &text2,
                           const TDBItem *exclude,
                           int kind) const;

    int CustomFieldCount() const override { return static_cast<int>(m_customNames.size()); }
    QString CustomFieldName(int index) const;
    const QStringList &CustomFieldNames() const { return m_customNames; }
    void AddCustomField(const QString &name);
    void DeleteCustomField(int index);
    void RenameCustomField(int index, const QString &name);

    // Absolute folders (ending in "/") and their paths relative to the catalog folder.
    QString ImageFolder(TImageFolder folder) const override;
    QString ImageFolderRelative(TImageFolder folder) const;
    QString PostersFolder() const { return ImageFolder(TImageFolder::Posters); }
    QString PhotosFolder() const { return ImageFolder(TImageFolder::Photos); }
    QString CoversFolder() const { return ImageFolder(TImageFolder::Covers); }
    QString ScreenshotsFolder() const { return ImageFolder(TImageFolder::Screenshots); }
    QString ThumbnailsFolder() const { return ImageFolder(TImageFolder::Thumbnails); }
    // Moves every file of the old folder into the new one.
    void SetImageFolder(TImageFolder folder, const QString &path);
    void SetPostersFolder(const QString &path) { SetImageFolder(TImageFolder::Posters, path); }
    void SetPhotosFolder(const QString &path) { SetImageFolder(TImageFolder::Photos, path); }
    void SetCoversFolder(const QString &path) { SetImageFolder(TImageFolder::Covers, path); }
    void SetScreenshotsFolder(const QString &path)
    {
        SetImageFolder(TImageFolder::Screenshots, path);
    }
    void SetThumbnailsFolder(const QString &path)
    {
        SetImageFolder(TImageFolder::Thumbnails, path);
    }
    bool ImgFolders() const override { return m_imgFolders; }
    // Moves every movie's covers and screenshots into (or out of) per-movie subfolders.
    // `progress` runs between movies so the window can keep painting.
    void SetImageFolders(bool flag, const std::function<void()> &progress = {});
    // Turns the pictures of every movie, episode and person into separate files in the
    // posters and photos folders (external) or back into the catalog file.
    void ConvertPictures(bool external, const std::function<void()> &progress = {});
    void LogLine(const QString &line) override;
    double Now() const override { return m_clock ? m_clock() : NowDays(); }
    // The clock dates are stamped with; the system clock unless another is given (tests).
    void SetClock(TDayClock clock) { m_clock = std::move(clock); }
    // The "PicsInFolders" setting, used when a version 0.9.5 file is upgraded.
    void SetPicsInFoldersSetting(bool flag) { m_picsInFoldersSetting = flag; }

    // Moves one file (single), or the pictures and folders of pictures of a folder, into
    // `target`; failures are silent: what cannot be moved stays. Entries of the folder that
    // are not pictures stay and are named in `left`.
    static void MoveFiles(const QString &source,
                          const QString &target,
                          bool single,
                          QStringList *left = nullptr);

    void LoanChanged(bool returned, const QString &borrower, TBaseMovie *movie) override;
    void ShownChanged(TDBItem &record) override;
    void ShownRecordDestroyed(TDBItem &record) override;

    std::function<void(bool modified)> OnModifiedChanged;
    std::function<void()> OnShownCountChanged;
    std::function<void()> OnListChanged;
    std::function<void(int index)> OnCustomFieldDeleted;
    std::function<void(int index)> OnCustomFieldAdded;
    std::function<void(int index)> OnCustomFieldRenamed;
    std::function<void(bool returned, const QString &borrower, TBaseMovie *movie)> OnLoanChanged;
    // A record could not be written during a save: the save fails and leaves the file as
    // it was (a copy of the backup is also kept as "<file>2.bak").
    std::function<void(const QString &error)> OnRecordWriteFailed;
    // A backup could not be made (a full disk): the previous backup is kept and the save
    // goes on.
    std::function<void(const QString &error)> OnBackupFailed;
    // Lines for the log window ("Poster path: ...").
    std::function<void(const QString &line)> OnLog;

protected:
    // Appends one record's element to `out`. May throw; a test overrides it to fail.
    virtual void WriteRecord(const TDBItem &record, TTagWriter &out) const;

private:
    struct TFolderPair
    {
        QString absolute;
        QString relative;
        // The element's text as read and the "absolute|relative" it resolved to: written
        // back unchanged while the folder stays, so paths from Windows keep their form.
        QString asRead;
        QString asReadResolved;
    };
    class TLoader;
    friend class TLoader;

    // `foldersOfFile`: image folders are resolved beside `fileName` (an appended file)
    // rather than beside this catalog.
    TLoadResult Load(const QString &fileName, IPasswordPrompt *prompt, bool foldersOfFile = false);
    // The steps of a load. Sets up the folders (a failure goes into `result`); false when
    // there is nothing to read: no catalog name, or no file.
    bool PrepareLoad(const QString &fileName, bool foldersOfFile, TLoadResult &result);
    // Opens the text, checks that it is a catalog and asks for a simple protection's
    // password; the failed load, or nothing when the records can be read.
    std::optional<TLoadResult>
    OpenCatalogText(TCatalogLineReader &reader, const QString &fileName, IPasswordPrompt *prompt);
    // Reads the records and sorts the lists; the failed load when the file is damaged.
    std::optional<TLoadResult> ReadRecords(TCatalogLineReader &reader, const QString &fileName);
    struct TAppendedPlace;
    void CopyAppendedPictures(size_t firstMovie, size_t firstPerson, const TAppendedPlace &from);
    void CopyAppendedPictures(TBaseMovie &movie, const TAppendedPlace &from);
    static std::optional<QString> ReadCheckValue(TCatalogLineReader &reader);
    // Reads and decrypts a strongly protected file, asking for its password; nothing on
    // failure, with `failed` set.
    std::optional<QByteArray>
    ReadStrongFile(const QString &fileName, IPasswordPrompt *prompt, TLoadResult &failed);
    static bool StartsWithRoot(TCatalogLineReader &reader);
    // Asks for the simple protection's password until it decrypts `check`; the failed
    // load when the user gives up, nothing once the password is known.
    std::optional<TLoadResult>
    AskSimplePassword(const QString &check, const QString &fileName, IPasswordPrompt *prompt);
    // Why a finished read left the catalog incomplete; empty when it is whole.
    QString DamageOf(const TCatalogLineReader &reader,
                     bool withinDepth,
                     bool withinBudget,
                     qint64 moviesRead,
                     qint64 peopleRead) const;
    static QString ForeignError(const QString &fileName);
    QString Decrypted(const QString &value) const;
    // Simple protection: every value in the file is encrypted on its own.
    bool EncryptsValues() const
    {
        return m_protection == TProtection::Simple && !m_password.isEmpty();
    }
    void SetFileName(const QString &fileName);
    void SetDefaultFolders();
    void SetDefaultFolder(TImageFolder folder);
    void ReadFolder(TImageFolder folder, const QString &value);
    // Brings a file of an older version into this version's form; `touchFiles` allows the
    // picture copies a 0.9.4 file needs (never while the catalog is only read).
    void Upgrade(bool touchFiles);
    void SortLists();
    // The file's start up to the first record.
    void WriteHeader(TTagWriter &out) const;
    Status WriteFile(const QString &fileName);
    TFolderPair &FolderPair(TImageFolder folder);
    const TFolderPair &FolderPair(TImageFolder folder) const;
    int PersonInsertPlace(const QString &name) const;
    int MovieInsertPlace(int num) const;
    int SearchPerson(const QString &name) const;
    int SearchMovie(int num) const;
    // FindDuplicate's movie search over the whole list: the first movie whose display title
    // matches `title` (lower-cased and trimmed) and that `accept` takes.
    template <typename Accept>
    TMovie *ScanDuplicateMovie(const QString &title, Accept accept) const;

    // A deque: a new movie (num -1) goes first and then moves to its num, which in a vector
    // would shift the whole list twice per imported movie.
    TMovieList m_movies;
    std::vector<std::unique_ptr<TActor>> m_people;
    std::vector<ICatalogObserver *> m_observers;
    // Kept by FindDuplicate itself, hence mutable.
    mutable TTitleIndex m_titleIndex;
    mutable TNameIndex m_nameIndex;
    TTextRules m_textRules;
    TDayClock m_clock;
    // While a file is read: no text rules, and observers hear nothing of single records.
    bool m_quiet = false;
    template <typename Call> void Notify(Call call) const
    {
        for (ICatalogObserver *observer : m_observers)
            call(*observer);
    }
    bool m_sorted = false;
    bool m_reorderSuspended = false;
    QString m_fileName;
    QString m_folder;
    QString m_baseName;
    bool m_loading = false;
    QStringList m_customNames;
    bool m_modified = false;
    int m_shownMovies = 0;
    int m_shownPeople = 0;
    TFolderPair m_folders[5];
    bool m_imgFolders = false;
    bool m_picsInFoldersSetting = false;
    TProtection m_protection = TProtection::None;
    QString m_password;
    // The key of a strongly protected catalog, kept so that a save needs no new derivation.
    std::shared_ptr<const TStrongKey> m_strongKey;
    // The protection changed since the file was read: the next save also replaces the
    // backups, which still have the old protection (or none).
    bool m_protectionChanged = false;
    int m_version = 0;
    // While appending: the number of custom fields the catalog had before.
    int m_customOffset = 0;
    // What the file being read announces and whether its root element closed, to tell a
    // complete file from a damaged one; -1 when a count is not given.
    qint64 m_announcedMovies = -1;
    qint64 m_announcedPeople = -1;
    bool m_rootClosed = false;
    // What the records read so far hold in memory, against what a file of its size may
    // need: a hostile file of tiny records or endless custom fields is refused, not read
    // until memory runs out.
    qint64 m_loadCost = 0;
    qint64 m_loadBudget = 0;
    void ChargeLoad(qint64 bytes);
    // The catalog's own file when it holds no catalog: Save never writes over it.
    QString m_foreignFile;
    bool m_readOnly = false;
    // The catalog's own file when it loaded as damaged: kept from being saved over, and
    // never copied over the good backup.
    QString m_damagedFile;
};
