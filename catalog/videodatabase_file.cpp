// Reading and writing the catalog file.

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>

#include "catalog/actor.h"
#include "catalog/cataloglinereader.h"
#include "catalog/catalogobserver.h"
#include "catalog/cipher.h"
#include "catalog/episode.h"
#include "catalog/fieldcodec_p.h"
#include "catalog/movie.h"
#include "catalog/strongcipher.h"
#include "catalog/tagtext.h"
#include "catalog/textutils.h"
#include "catalog/version.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

namespace {

// Keeps a list reservation from a hostile count within reason.
constexpr qsizetype MaxReserve = 1'000'000;

// Text of a system error for the user.
QString SystemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Temporary files of a save end in this, so that those a killed save left behind can be
// told from the user's own files and removed.
constexpr char TempSuffix[] = ".rk-tmp";

// Makes a rename in the folder of `fileName` durable; a failure loses nothing.
void SyncFolderOf(const QString &fileName)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(fileName).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The file a save replaces: the target of a symbolic link (chains followed), so that the
// link stays a link.
QString WriteTarget(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (!info.isSymLink())
        return fileName;
    const QString canonical = info.canonicalFilePath();
    // A dangling link: the save creates its target.
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

// Writes a file next to its final place and renames it over the old one only once it is
// completely on disk: a failure leaves the old file as it was. The new file takes the mode
// and, where permitted, the owner of `likeFile` (by default the file it replaces). While
// it is written the temporary file is locked, so no other save takes it for a stale one.
class TAtomicFile
{
public:
    explicit TAtomicFile(const QString &fileName, const QString &likeFile = {})
        : m_fileName(fileName)
        , m_likeFile(likeFile.isEmpty() ? fileName : likeFile)
    {}
    ~TAtomicFile()
    {
        if (!m_tempName.isEmpty())
            ::unlink(m_tempName.constData());
        if (m_fd >= 0)
            ::close(m_fd);
    }
    TAtomicFile(const TAtomicFile &) = delete;
    TAtomicFile &operator=(const TAtomicFile &) = delete;

    Status Open()
    {
        QByteArray pattern = QFile::encodeName(m_fileName) + ".XXXXXX" + TempSuffix;
        m_fd = ::mkostemps(pattern.data(), int(std::strlen(TempSuffix)), O_CLOEXEC);
        if (m_fd < 0) {
            // The folder refused the new file, not the file itself: name the folder, so the
            // user knows which permission to fix.
            const int error = errno;
            return Status::Failure(
                QStringLiteral("Cannot write %1: the folder %2 does not allow a new file (%3)")
                    .arg(m_fileName, QFileInfo(m_fileName).absolutePath(), SystemError(error)));
        }
        m_tempName = pattern;
        ::flock(m_fd, LOCK_EX | LOCK_NB);
        struct stat old;
        mode_t mode = 0;
        if (::stat(QFile::encodeName(m_likeFile).constData(), &old) == 0) {
            mode = old.st_mode & 07777;
            // Only root may give a file away; a user may still keep its group.
            if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid())
                && ::fchown(m_fd, old.st_uid, old.st_gid) != 0) {
                [[maybe_unused]] const int ignored = ::fchown(m_fd, uid_t(-1), old.st_gid);
            }
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        // After the owner: a change of owner clears the set-id bits.
        ::fchmod(m_fd, mode);
        return {};
    }

    Status Write(const char *data, qsizetype left)
    {
        while (left > 0) {
            const ssize_t written = ::write(m_fd, data, size_t(left));
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                return Failure(errno);
            }
            data += written;
            left -= written;
        }
        return {};
    }
    Status Write(const QByteArray &bytes) { return Write(bytes.constData(), bytes.size()); }

    Status Commit()
    {
        if (::fsync(m_fd) != 0)
            return Failure(errno);
        // Renamed before it is closed, still locked.
        if (::rename(m_tempName.constData(), QFile::encodeName(m_fileName).constData()) != 0)
            return Failure(errno);
        m_tempName.clear();
        if (::close(std::exchange(m_fd, -1)) != 0)
            return Failure(errno);
        // Make the rename itself durable; a failure here loses nothing.
        SyncFolderOf(m_fileName);
        return {};
    }

private:
    Status Failure(int error) const
    {
        return Status::Failure(
            QStringLiteral("Cannot write %1: %2").arg(m_fileName, SystemError(error)));
    }

    QString m_fileName;
    QString m_likeFile;
    QByteArray m_tempName;
    int m_fd = -1;
};

// Removes the temporary files that killed saves of `fileName` left beside it. A save in
// progress holds a lock on its file, which keeps it from being taken for a stale one.
void RemoveStaleTemps(const QString &fileName)
{
    const QFileInfo info(fileName);
    const QString prefix = info.fileName() + u'.';
    const QString suffix = QString::fromLatin1(TempSuffix);
    const qsizetype length = prefix.size() + 6 + suffix.size();
    QDirIterator it(info.absolutePath(), QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        const QString name = it.next();
        const QString base = it.fileName();
        if (base.size() != length || !base.startsWith(prefix) || !base.endsWith(suffix))
            continue;
        const QByteArray path = QFile::encodeName(name);
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.constData());
        ::close(fd);
    }
}

// The temporary files of a catalog's saves: its own, and those of its two backups.
void RemoveStaleSaveTemps(const QString &fileName)
{
    RemoveStaleTemps(WriteTarget(fileName));
    RemoveStaleTemps(fileName + u".bak"_s);
    RemoveStaleTemps(fileName + u"2.bak"_s);
}

// Makes `to` a second name of the file `from` (its target when it is a link), replacing
// what `to` was. As good as a copy for a catalog and its backups, which are never written
// in place (a save renames a new file over the old one), and it reads and writes none of
// the bytes. False when the file system cannot; the caller then copies.
bool LinkReplacing(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    // The bytes were on disk before they got a second name: a copy would have been synced.
    const int fd = ::open(source.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat sourceStat;
    struct stat targetStat;
    const bool synced = ::fsync(fd) == 0 && ::fstat(fd, &sourceStat) == 0;
    ::close(fd);
    if (!synced)
        return false;
    // Renaming one name of a file over another of the same file does nothing at all.
    if (::stat(target.constData(), &targetStat) == 0 && targetStat.st_dev == sourceStat.st_dev
        && targetStat.st_ino == sourceStat.st_ino) {
        return true;
    }
    static constexpr char Letters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 8; ++attempt) {
        // Named like a save's temporary file, so one a kill left behind is cleaned up.
        QByteArray temp = target + '.';
        for (int i = 0; i < 6; ++i)
            temp += Letters[QRandomGenerator::global()->bounded(int(sizeof Letters - 1))];
        temp += TempSuffix;
        if (::linkat(AT_FDCWD, source.constData(), AT_FDCWD, temp.constData(), AT_SYMLINK_FOLLOW)
            != 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        if (::rename(temp.constData(), target.constData()) != 0) {
            ::unlink(temp.constData());
            return false;
        }
        SyncFolderOf(to);
        return true;
    }
    return false;
}

// Copies a file over another. The copy is made beside the old one and renamed into place,
// so a failed copy (a full disk) or a kill keeps the old one. A missing source is no error.
// With `mayLink`, a file about to be replaced by a save gets a second name instead where
// the file system allows it; never for a file that stays in use, which a tool that edits
// in place would then change under both names.
Status CopyReplacing(const QString &from, const QString &to, bool mayLink = false)
{
    QFile source(from);
    if (!source.exists())
        return {};
    if (mayLink && LinkReplacing(from, to))
        return {};
    if (!source.open(QIODevice::ReadOnly)) {
        return Status::Failure(
            QStringLiteral("Cannot read %1: %2").arg(from, source.errorString()));
    }
    TAtomicFile copy(to, from);
    if (Status status = copy.Open(); !status)
        return status;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 read = source.read(buffer.data(), buffer.size());
        if (read < 0) {
            return Status::Failure(
                QStringLiteral("Cannot read %1: %2").arg(from, source.errorString()));
        }
        if (read == 0)
            break;
        if (Status status = copy.Write(buffer.constData(), read); !status)
            return status;
    }
    return copy.Commit();
}

// Restores a flag on every way out of a scope.
class TFlagGuard
{
public:
    TFlagGuard(bool &flag, bool value)
        : m_flag(flag)
        , m_old(std::exchange(flag, value))
    {}
    ~TFlagGuard() { m_flag = m_old; }
    TFlagGuard(const TFlagGuard &) = delete;
    TFlagGuard &operator=(const TFlagGuard &) = delete;

private:
    bool &m_flag;
    bool m_old;
};

// Thrown by a load handler when the records outgrow the file's memory budget.
struct TOverBudget
{};

// A record's memory beside what its fields hold: the object and the allocator's share.
constexpr qint64 RecordOverhead = 64;

} // namespace

void TVideoDatabase::ChargeLoad(qint64 bytes)
{
    m_loadCost += bytes;
    if (m_loadCost > m_loadBudget)
        throw TOverBudget{};
}

// The element handlers of a load: header elements go to the catalog, every field of a
// movie, episode or person to that record.
class TVideoDatabase::TLoader
{
public:
    static void OnStart(void *context, TXMLTag &child)
    {
        auto *db = static_cast<TVideoDatabase *>(context);
        if (child.Name == u"sorted") {
            db->m_sorted = true;
        } else if (child.Name == u"movie") {
            db->ChargeLoad(MovieCost(*db));
            std::unique_ptr<TMovie> movie = TMovie::Create(db);
            child.OnTagEnd = RecordTagEnd;
            child.EndContext = movie.get();
            child.OnTagStart = OnEpisodeStart;
            child.StartContext = movie.get();
            db->m_movies.push_back(std::move(movie));
        } else if (child.Name == u"human") {
            db->ChargeLoad(qint64(sizeof(TActor)) + RecordOverhead);
            std::unique_ptr<TActor> person = TActor::Create(db);
            child.OnTagEnd = RecordTagEnd;
            child.EndContext = person.get();
            child.OnTagStart = nullptr;
            db->m_people.push_back(std::move(person));
        }
    }

    static void OnEpisodeStart(void *context, TXMLTag &child)
    {
        if (child.Name != u"episode")
            return;
        auto *movie = static_cast<TMovie *>(context);
        auto *db = static_cast<TVideoDatabase *>(movie->Owner());
        db->ChargeLoad(MovieCost(*db));
        TEpisode *episode = movie->AddEpisode();
        child.OnTagEnd = RecordTagEnd;
        child.EndContext = episode;
        child.OnTagStart = nullptr;
    }

    static qint64 MovieCost(const TVideoDatabase &db)
    {
        return qint64(sizeof(TMovie)) + RecordOverhead
               + qint64(db.CustomFieldCount()) * qint64(sizeof(QString));
    }

    static void RecordTagEnd(void *context, const QString &name, const QString &value)
    {
        auto *record = static_cast<TDBItem *>(context);
        const auto *db = static_cast<const TVideoDatabase *>(record->Owner());
        // Custom values of an appended file belong to its own fields, which come after
        // this catalog's.
        if (db->m_customOffset > 0 && name.startsWith(u"custom") && name.size() > 6) {
            bool ok = false;
            const int index = QStringView(name).sliced(6).toInt(&ok);
            if (ok && index >= 0 && name[6].isDigit()) {
                record->ReadTag(u"custom"_s + QString::number(index + db->m_customOffset),
                                db->Decrypted(value));
                return;
            }
        }
        // Most catalogs are not protected: their values go on without a copy.
        if (db->EncryptsValues())
            record->ReadTag(name, db->Decrypted(value));
        else
            record->ReadTag(name, value);
    }

    static void OnEnd(void *context, const QString &name, const QString &rawValue)
    {
        auto *db = static_cast<TVideoDatabase *>(context);
        const QString value = db->Decrypted(rawValue);
        if (name == u"version") {
            db->m_version = VersionNumber(value);
            if (db->m_version == 9004) {
                TFolderPair &posters = db->FolderPair(TImageFolder::Posters);
                posters.absolute = db->m_folder + u"Posters/"_s;
                posters.relative = u"Posters/"_s;
                db->m_imgFolders = false;
            } else if (db->m_version == 9005) {
                db->SetDefaultFolders();
                db->m_imgFolders = db->m_picsInFoldersSetting;
            }
        } else if (name == u"customname") {
            // Every movie read so far gets a value; the episodes are not counted, so the
            // charge errs low rather than refusing a sound file.
            db->ChargeLoad(qint64(db->m_movies.size() + 1) * qint64(sizeof(QString)));
            db->AddCustomField(value);
        } else if (name == u"movies" || name == u"people") {
            bool ok = false;
            const qsizetype count = value.toLongLong(&ok);
            if (ok && count >= 0) {
                // Clamped before the slack is added: a count near the largest integer must not
                // wrap.
                const auto capacity = size_t(std::min(count, MaxReserve) + 10);
                // The movie list grows in blocks and needs no reserve.
                if (name == u"movies") {
                    db->m_announcedMovies = count;
                } else {
                    db->m_people.reserve(db->m_people.size() + capacity);
                    db->m_announcedPeople = count;
                }
            }
        } else if (name == u"reelkeep") {
            db->m_rootClosed = true;
        } else if (name == u"pf") {
            db->ReadFolder(TImageFolder::Posters, value);
        } else if (name == u"phf") {
            db->ReadFolder(TImageFolder::Photos, value);
        } else if (name == u"cf") {
            db->ReadFolder(TImageFolder::Covers, value);
        } else if (name == u"sf") {
            db->ReadFolder(TImageFolder::Screenshots, value);
        } else if (name == u"tf") {
            db->ReadFolder(TImageFolder::Thumbnails, value);
        } else if (name == u"img_folders") {
            db->m_imgFolders = FieldCodec::ParseFlag(value, false);
        }
    }
};

void TVideoDatabase::ReadFolder(TImageFolder folder, const QString &value)
{
    const qsizetype bar = value.indexOf(u'|');
    if (bar < 0) {
        SetDefaultFolder(folder);
        return;
    }
    auto asFolder = [](QString path) {
        if (!path.isEmpty() && !path.endsWith(u'/') && !path.endsWith(u'\\'))
            path += u'/';
        return path;
    };
    const QString absolute = asFolder(value.left(bar));
    // Relative paths written on Windows use backslashes.
    const QString relative = asFolder(value.mid(bar + 1).replace(u'\\', u'/'));
    TFolderPair &pair = FolderPair(folder);
    if (!absolute.isEmpty() && QFileInfo(absolute).isDir()) {
        pair.absolute = absolute;
        pair.relative = RelativePath(m_folder, absolute);
        pair.asRead = value;
        pair.asReadResolved = pair.absolute + u'|' + pair.relative;
        return;
    }
    const QString resolved = ResolvePath(relative, m_folder);
    if (!relative.isEmpty() && QFileInfo(resolved).isDir()) {
        pair.absolute = QDir::cleanPath(resolved) + u'/';
        pair.relative = relative;
        pair.asRead = value;
        pair.asReadResolved = pair.absolute + u'|' + pair.relative;
        return;
    }
    SetDefaultFolder(folder);
}

// The check value of a protected file: the text of the "encrypted" element that starts
// on the second line. Read across lines: the Base64 of a long password breaks lines.
std::optional<QString> TVideoDatabase::ReadCheckValue(TCatalogLineReader &reader)
{
    QString line;
    if (!reader.NextLine(line) || !reader.NextLine(line))
        return std::nullopt;
    const qsizetype open = line.indexOf(u"<encrypted>");
    if (open < 0)
        return std::nullopt;
    QString text = line.mid(open + 11);
    // A check value is short; a file that never closes the element is no protected file.
    for (int more = 0; more < 64; ++more) {
        const qsizetype close = text.indexOf(u"</encrypted>");
        if (close >= 0)
            return text.left(close);
        if (!reader.NextLine(line))
            break;
        text += u"\r\n"_s + line;
    }
    return std::nullopt;
}

QString TVideoDatabase::Decrypted(const QString &value) const
{
    return EncryptsValues() ? DecryptValue(value, m_password) : value;
}

Status TVideoDatabase::SetPassword(const QString &password, TProtection protection)
{
    std::shared_ptr<const TStrongKey> key;
    if (password.isEmpty()) {
        protection = TProtection::None;
    } else if (protection == TProtection::Simple) {
        if (!SimpleCipherAccepts(password)) {
            return Status::Failure(
                u"Simple protection cannot hold this password: it has characters outside Windows-1252 (use strong protection or another password)"_s);
        }
    } else {
        protection = TProtection::Strong;
        Result<std::shared_ptr<const TStrongKey>> derived =
            TStrongKey::Derive(password, TKdfLimits::Moderate());
        if (!derived)
            return Status::Failure(derived.Error());
        key = derived.Value();
    }
    m_password = password;
    m_protection = protection;
    m_strongKey = std::move(key);
    m_protectionChanged = true;
    SetModified(true);
    return {};
}

std::optional<QByteArray> TVideoDatabase::ReadStrongFile(const QString &fileName,
                                                         IPasswordPrompt *prompt,
                                                         TLoadResult &failed)
{
    auto fail = [&failed](const QString &error) {
        failed = {false, 0, error, TLoadFailure::Failed};
        return std::nullopt;
    };
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(u"Cannot read %1: %2"_s.arg(fileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(u"Cannot read %1: %2"_s.arg(fileName, file.errorString()));
    // Before the password is asked: a format this version cannot read needs none.
    if (Status header = ParseStrongHeader(bytes); !header) {
        return fail(u"%1 is a strongly protected catalog this version cannot open: %2"_s.arg(
            fileName, header.Error()));
    }
    // Asked until the password decrypts the file, or the user gives up.
    for (bool first = true;; first = false) {
        const std::optional<QString> password =
            prompt ? prompt->AskPassword(fileName, first) : std::nullopt;
        if (!password) {
            return fail(first
                            ? u"%1 is protected by a password"_s.arg(fileName)
                            : u"Wrong password for %1 (or its header was altered)"_s.arg(fileName));
        }
        if (password->isEmpty())
            continue;
        Result<std::shared_ptr<const TStrongKey>> key = TStrongKey::DeriveFor(*password, bytes);
        if (!key)
            return fail(u"Cannot open %1: %2"_s.arg(fileName, key.Error()));
        TStrongPlain plain = DecryptStrong(bytes, *key.Value());
        if (plain.failure == TStrongFailure::WrongKey)
            continue;
        if (plain.failure == TStrongFailure::Altered) {
            return fail(
                u"%1 was altered or damaged after it was protected (%2); nothing was read"_s.arg(
                    fileName, plain.reason));
        }
        m_protection = TProtection::Strong;
        m_password = *password;
        m_strongKey = key.Value();
        return std::move(plain.text);
    }
}

// Whether the first element after line 1 (which a load never parses) is the catalog's
// root. Text before it is skipped as the tag reader skips it, but only so far: a catalog
// has its root on line 2.
bool TVideoDatabase::StartsWithRoot(TCatalogLineReader &reader)
{
    constexpr QStringView root = u"<reelkeep>";
    constexpr qsizetype searchLimit = 1 << 16;
    QString line;
    if (!reader.NextLine(line))
        return false;
    QString text;
    while (text.size() < searchLimit && reader.NextLine(line)) {
        text += line;
        const qsizetype open = text.indexOf(u'<');
        if (open >= 0 && text.size() - open >= root.size())
            return QStringView(text).sliced(open).startsWith(root);
    }
    const qsizetype open = text.indexOf(u'<');
    return open >= 0 && QStringView(text).sliced(open).startsWith(root);
}

// A file that could not be read (opened, rewound) at all.
static TLoadResult ReadFailure(const QString &fileName, const TCatalogLineReader &reader)
{
    return {false,
            0,
            u"Cannot read %1: %2"_s.arg(fileName, reader.ErrorString()),
            TLoadFailure::Failed};
}

QString TVideoDatabase::ForeignError(const QString &fileName)
{
    return u"%1 is not a Reelkeep catalog (it does not start with one); nothing was read"_s.arg(
        fileName);
}

TLoadResult TVideoDatabase::CheckFile(const QString &fileName)
{
    TLoadResult result{true, 0, {}, TLoadFailure::None};
    if (!QFileInfo(fileName).isFile())
        return result;
    // A strongly protected file shows nothing of its catalog before the password.
    if (IsStrongFile(fileName))
        return result;
    TCatalogLineReader reader(fileName);
    // An unreadable file is reported by the load itself.
    if (reader.Open() && !StartsWithRoot(reader))
        return {false, 0, ForeignError(fileName), TLoadFailure::Foreign};
    return result;
}

TLoadResult TVideoDatabase::Open(IPasswordPrompt *prompt, TOpenMode mode)
{
    m_foreignFile.clear();
    m_damagedFile.clear();
    if (mode == TOpenMode::Write)
        RemoveStaleSaveTemps(m_fileName);
    else
        m_readOnly = true;
    TLoadResult result = Load(m_fileName, prompt);
    if (result.ok)
        Upgrade(mode == TOpenMode::Write);
    return result;
}

std::optional<TLoadResult> TVideoDatabase::AskSimplePassword(const QString &check,
                                                             const QString &fileName,
                                                             IPasswordPrompt *prompt)
{
    // Asked until the password decrypts the check value, or the user gives up.
    for (bool first = true;; first = false) {
        const std::optional<QString> password =
            prompt ? prompt->AskPassword(fileName, first) : std::nullopt;
        if (!password) {
            return TLoadResult{false,
                               0,
                               first ? u"%1 is protected by a password"_s.arg(fileName)
                                     : u"Wrong password for %1"_s.arg(fileName),
                               TLoadFailure::Failed};
        }
        if (DecryptValue(check, *password) == QStringView(CipherCheckText)) {
            m_protection = TProtection::Simple;
            m_password = *password;
            return std::nullopt;
        }
    }
}

QString TVideoDatabase::DamageOf(const TCatalogLineReader &reader,
                                 bool withinDepth,
                                 bool withinBudget,
                                 qint64 moviesRead,
                                 qint64 peopleRead) const
{
    if (reader.Failed())
        return u"a read error (%1)"_s.arg(reader.ErrorString());
    if (!withinBudget) {
        return u"its records would need more than %1 MB of memory, far more than a catalog "
               u"of its size holds, so it was not read further"_s.arg(m_loadBudget >> 20);
    }
    if (!withinDepth) {
        return u"its elements are nested more than %1 deep, so it was not read further"_s.arg(
            TagTextMaxDepth);
    }
    if (!m_rootClosed)
        return u"it ends before the catalog does"_s;
    if ((m_announcedMovies >= 0 && m_announcedMovies != moviesRead)
        || (m_announcedPeople >= 0 && m_announcedPeople != peopleRead)) {
        return u"it announces %1 movies and %2 people"_s.arg(std::max<qint64>(m_announcedMovies, 0))
            .arg(std::max<qint64>(m_announcedPeople, 0));
    }
    return {};
}

bool TVideoDatabase::PrepareLoad(const QString &fileName, bool foldersOfFile, TLoadResult &result)
{
    // The records read are filed again at the next duplicate search.
    m_titleIndex.Invalidate();
    m_nameIndex.Invalidate();
    if (m_fileName.isEmpty()) {
        result.error = u"No catalog file name"_s;
        return false;
    }
    SetFileName(m_fileName);
    if (foldersOfFile) {
        // Its default and relative folders lie beside it; the name stays this catalog's.
        const QString own = m_fileName;
        SetFileName(fileName);
        m_fileName = own;
    }
    SetDefaultFolders();
    QDir().mkpath(m_folder);
    result.ok = QFileInfo(m_folder).isDir();
    if (!result.ok) {
        result.error = u"Cannot create the folder %1"_s.arg(m_folder);
        result.failure = TLoadFailure::Failed;
    }
    return QFileInfo::exists(fileName);
}

std::optional<TLoadResult> TVideoDatabase::OpenCatalogText(TCatalogLineReader &reader,
                                                           const QString &fileName,
                                                           IPasswordPrompt *prompt)
{
    if (!reader.Open())
        return ReadFailure(fileName, reader);
    // A text file or a picture read as a catalog would be empty, and saving it would
    // replace the file and, a save later, its backup.
    if (!StartsWithRoot(reader)) {
        if (fileName == m_fileName)
            m_foreignFile = fileName;
        return TLoadResult{false, 0, ForeignError(fileName), TLoadFailure::Foreign};
    }
    if (!reader.Rewind())
        return ReadFailure(fileName, reader);
    // The text inside a strongly protected file is never value-encrypted as well.
    const std::optional<QString> check =
        m_protection == TProtection::Strong ? std::nullopt : ReadCheckValue(reader);
    if (check) {
        if (std::optional<TLoadResult> refused = AskSimplePassword(*check, fileName, prompt))
            return refused;
    }
    if (!reader.Rewind())
        return ReadFailure(fileName, reader);
    return std::nullopt;
}

std::optional<TLoadResult> TVideoDatabase::ReadRecords(TCatalogLineReader &reader,
                                                       const QString &fileName)
{
    const auto moviesBefore = qint64(m_movies.size());
    const auto peopleBefore = qint64(m_people.size());
    m_announcedMovies = -1;
    m_announcedPeople = -1;
    m_rootClosed = false;
    // Generous for any catalog this program writes (a record of the file takes at least
    // about 80 bytes and costs about 1.3 KB), but not for a file of empty elements.
    m_loadCost = 0;
    m_loadBudget = (qint64(128) << 20) + 32 * QFileInfo(fileName).size();
    bool withinDepth = true;
    bool withinBudget = true;
    try {
        Notify([](ICatalogObserver &observer) { observer.ResetStarted(); });
        const auto finished = qScopeGuard(
            [this] { Notify([](ICatalogObserver &observer) { observer.ResetFinished(); }); });
        TFlagGuard loading(m_loading, true);
        withinDepth = ReadTagText(reader, TLoader::OnEnd, this, TLoader::OnStart, this);
    } catch (const TOverBudget &) {
        withinBudget = false;
    }
    const qint64 moviesRead = qint64(m_movies.size()) - moviesBefore;
    const qint64 peopleRead = qint64(m_people.size()) - peopleBefore;
    SetModified(false);
    if (OnListChanged)
        OnListChanged();
    if (!m_sorted) {
        SortLists();
        m_sorted = true;
    }
    // Part of the file is missing: saving over it would lose the rest.
    const QString damage = DamageOf(reader, withinDepth, withinBudget, moviesRead, peopleRead);
    if (damage.isEmpty())
        return std::nullopt;
    if (fileName == m_fileName)
        m_damagedFile = fileName;
    return TLoadResult{false,
                       m_version,
                       u"%1 looks damaged: %2; read %3 movies and %4 people"_s.arg(fileName, damage)
                           .arg(moviesRead)
                           .arg(peopleRead),
                       TLoadFailure::Damaged};
}

TLoadResult
TVideoDatabase::Load(const QString &fileName, IPasswordPrompt *prompt, bool foldersOfFile)
{
    TLoadResult result;
    if (!PrepareLoad(fileName, foldersOfFile, result))
        return result;

    // Records keep what the file says, and the lists are built once the load is over.
    TFlagGuard quiet(m_quiet, true);
    m_sorted = false;

    m_protection = TProtection::None;
    m_password.clear();
    m_strongKey.reset();
    m_protectionChanged = false;
    // Recognised first: its bytes would otherwise read as a foreign file.
    std::optional<QByteArray> strongText;
    if (IsStrongFile(fileName)) {
        TLoadResult failed;
        strongText = ReadStrongFile(fileName, prompt, failed);
        if (!strongText)
            return failed;
    }
    TCatalogLineReader reader =
        strongText ? TCatalogLineReader(std::move(*strongText)) : TCatalogLineReader(fileName);
    if (std::optional<TLoadResult> failed = OpenCatalogText(reader, fileName, prompt))
        return *failed;
    if (std::optional<TLoadResult> damaged = ReadRecords(reader, fileName))
        return *damaged;
    result.version = m_version;
    return result;
}

void TVideoDatabase::Upgrade(bool touchFiles)
{
    if (m_version == 9004) {
        // Image paths were absolute: the files are copied into the catalog's folders, but
        // only from inside its own folder tree and never while the catalog is only read. A
        // path elsewhere stays as it is (it still shows the picture).
        if (!touchFiles)
            return;
        const QString covers = CoversFolder();
        const QString shots = ScreenshotsFolder();
        auto mayCopy = [this](const QString &path) {
            if (PathInside(path, m_folder))
                return true;
            LogLine(u"Outside the catalog's folders, not copied: "_s + path);
            return false;
        };
        for (auto &movie : m_movies) {
            QStringList kept;
            bool copyShots = false;
            for (const QString &piece : movie->Screenshots().split(u'|', Qt::SkipEmptyParts)) {
                const QString path = ResolvePath(piece.trimmed(), shots);
                if (mayCopy(path)) {
                    kept.append(CopyIntoFolder(path, shots, movie->ScreenshotsTarget(), true));
                    copyShots = true;
                } else {
                    kept.append(piece);
                }
            }
            if (copyShots)
                movie->ReadTag(u"screenshots"_s, kept.join(u'|'));
            const QString front = movie->Froncover();
            if (!front.isEmpty() && mayCopy(ResolvePath(front, covers))) {
                // Emptied directly: the setter would delete the very file to copy in.
                movie->ReadTag(u"froncover"_s, QString());
                movie->SetFroncover(front);
            }
        }
        if (!m_movies.empty())
            SetModified(true);
    } else if (m_version == 9005) {
        // Image paths were relative to the catalog folder. Only the text changes: the
        // files stay where they are.
        const QString screenshots = ScreenshotsFolder();
        const QString covers = CoversFolder();
        auto fromCatalogFolder = [this](const QString &path, const QString &folder) {
            return RelativePath(folder, m_folder + path.trimmed());
        };
        for (auto &movie : m_movies) {
            if (movie->Coverformat() == CoverFile)
                movie->ReadTag(u"coverpath"_s, QFileInfo(movie->Coverpath()).fileName());
            QStringList shots;
            for (const QString &shot : movie->Screenshots().split(u'|', Qt::SkipEmptyParts))
                shots.append(fromCatalogFolder(shot, screenshots));
            movie->ReadTag(u"screenshots"_s, shots.join(u'|'));
            if (!movie->Froncover().isEmpty())
                movie->ReadTag(u"froncover"_s, fromCatalogFolder(movie->Froncover(), covers));
            if (!movie->Cdcover().isEmpty())
                movie->ReadTag(u"cdcover"_s, fromCatalogFolder(movie->Cdcover(), covers));
        }
        for (auto &person : m_people) {
            if (person->Coverformat() == CoverFile)
                person->ReadTag(u"coverpath"_s, QFileInfo(person->Coverpath()).fileName());
        }
        // The new form is a change to save.
        if (!m_movies.empty() || !m_people.empty())
            SetModified(true);
    }
}

void TVideoDatabase::WriteHeader(TTagWriter &out) const
{
    using namespace FieldCodec;
    out.Bytes.append("<xml>\r\n");
    AppendOpen(out, u"reelkeep"_s);
    // Right after the root's opening tag, where a load looks for it.
    if (EncryptsValues())
        AppendText(out, u"encrypted"_s, QString::fromUtf16(CipherCheckText));
    AppendRaw(out, u"version"_s, QString::fromUtf16(ProgramVersionText));
    AppendInt(out, u"movies"_s, MovieCount());
    AppendInt(out, u"people"_s, PersonCount());
    // Renumbering in progress leaves the movies out of order.
    if (m_sorted && !m_reorderSuspended)
        AppendRaw(out, u"sorted"_s, QString());
    static const QString tags[] = {u"pf"_s, u"phf"_s, u"cf"_s, u"sf"_s, u"tf"_s};
    for (int i = 0; i < 5; ++i) {
        const TFolderPair &pair = m_folders[i];
        const QString text = pair.absolute + u'|' + pair.relative;
        AppendText(out, tags[i], text == pair.asReadResolved ? pair.asRead : text);
    }
    AppendFlag(out, u"img_folders"_s, m_imgFolders);
    for (const QString &name : m_customNames)
        AppendText(out, u"customname"_s, name);
}

void TVideoDatabase::WriteRecord(const TDBItem &record, TTagWriter &out) const
{
    record.WriteTo(out);
}

Status TVideoDatabase::WriteFile(const QString &fileName)
{
    TAtomicFile file(WriteTarget(fileName));
    if (Status status = file.Open(); !status)
        return status;
    // Simple protection encrypts every value; strong protection the whole text.
    TValueHook encrypt;
    if (EncryptsValues()) {
        encrypt = [password = m_password](const QString &value) {
            return EncryptValue(value, password);
        };
    }
    std::optional<TStrongWriter> strong;
    if (m_protection == TProtection::Strong) {
        // Never the catalog in the clear when it should be encrypted.
        if (!m_strongKey)
            return Status::Failure(u"Cannot write %1: the catalog has no key"_s.arg(fileName));
        strong.emplace(m_strongKey);
    }
    // Written in pieces of UTF-8 from one buffer, so that a large catalog is never held
    // whole, nor any of it as text first.
    constexpr qsizetype flushAt = 1 << 19;
    TTagWriter out{QByteArray(), encrypt ? &encrypt : nullptr};
    out.Bytes.reserve(flushAt + (1 << 16));
    WriteHeader(out);
    Status status;
    auto flush = [&] {
        if (status)
            status = file.Write(strong ? strong->Push(out.Bytes) : out.Bytes);
        // Emptied, not cleared: the buffer is kept for the next piece.
        out.Bytes.truncate(0);
    };
    // A record that cannot be written fails the save: the file without it would replace
    // the one that still has it.
    auto writeRecord = [&](const TDBItem &record) {
        try {
            WriteRecord(record, out);
        } catch (const std::exception &error) {
            const QString message = QString::fromLocal8Bit(error.what());
            if (OnRecordWriteFailed)
                OnRecordWriteFailed(message);
            if (Status copied = CopyReplacing(m_fileName + u".bak"_s, m_fileName + u"2.bak"_s);
                !copied && OnBackupFailed) {
                OnBackupFailed(copied.Error());
            }
            status = Status::Failure(
                u"Cannot write %1: a record could not be written (%2); the file was left as it was"_s
                    .arg(fileName, message));
            return false;
        }
        if (out.Bytes.size() >= flushAt)
            flush();
        return bool(status);
    };
    for (const auto &movie : m_movies) {
        if (!writeRecord(*movie))
            return status;
    }
    for (const auto &person : m_people) {
        if (!writeRecord(*person))
            return status;
    }
    FieldCodec::AppendClose(out, u"reelkeep"_s);
    flush();
    if (status && strong)
        status = file.Write(strong->Finish());
    if (!status)
        return status;
    return file.Commit();
}

Result<TSaveOutcome> TVideoDatabase::Save(bool force)
{
    if (m_fileName.isEmpty() || (!m_modified && !force))
        return TSaveOutcome::NotNeeded;
    // Saving would replace a text file or a picture with an empty catalog.
    if (m_foreignFile == m_fileName || m_readOnly)
        return TSaveOutcome::ReadOnly;
    const QFileInfo info(m_fileName);
    QDir().mkpath(info.absolutePath());
    if (info.exists() && !(info.permissions() & QFileDevice::WriteOwner))
        return TSaveOutcome::ReadOnly;
    RemoveStaleSaveTemps(m_fileName);
    // A file that loaded as damaged is no backup: the one made from the good file stays.
    if (!Damaged()) {
        if (Status backup = CopyReplacing(m_fileName, m_fileName + u".bak"_s, true);
            !backup && OnBackupFailed) {
            OnBackupFailed(backup.Error());
        }
    }
    if (Status status = WriteFile(m_fileName); !status)
        return Result<TSaveOutcome>::Failure(status.Error());
    // A backup under the old protection (or none) would keep what the new one hides.
    if (std::exchange(m_protectionChanged, false)) {
        for (const QString &backup : {m_fileName + u".bak"_s, m_fileName + u"2.bak"_s}) {
            if (!QFileInfo::exists(backup))
                continue;
            if (Status copied = CopyReplacing(m_fileName, backup); !copied && OnBackupFailed)
                OnBackupFailed(copied.Error());
        }
    }
    // The file is whole again: the next save backs it up.
    m_damagedFile.clear();
    SetModified(false);
    return TSaveOutcome::Saved;
}

Result<TSaveOutcome> TVideoDatabase::SaveAs(const QString &fileName)
{
    if (fileName == m_fileName)
        return Save(true);
    const QString oldName = m_fileName;
    TFolderPair oldFolders[5];
    std::copy(std::begin(m_folders), std::end(m_folders), std::begin(oldFolders));
    SetFileName(fileName);
    // The folders stay where they are; only their paths relative to the catalog change.
    for (TFolderPair &pair : m_folders)
        pair.relative = RelativePath(m_folder, pair.absolute);
    const bool wasReadOnly = m_readOnly;
    m_readOnly = false;
    Result<TSaveOutcome> result = Save(true);
    if (!result.Ok() || result.Value() != TSaveOutcome::Saved) {
        // Nothing was written: the catalog still belongs to its old file.
        m_readOnly = wasReadOnly;
        SetFileName(oldName);
        std::copy(std::begin(oldFolders), std::end(oldFolders), std::begin(m_folders));
    }
    return result;
}
