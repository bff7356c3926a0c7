#include "catalog/videodatabase.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "catalog/actor.h"
#include "catalog/daycount.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/textutils.h"

using namespace Qt::StringLiterals;

namespace {

QString WithTrailingSlash(const QString &path)
{
    return path.endsWith(u'/') ? path : path + u'/';
}

std::filesystem::path FsPath(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// rename, or copy and remove when the target is on another file system. Never replaces
// an existing entry.
void MoveEntry(const std::filesystem::path &from, const std::filesystem::path &to)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::exists(fs::symlink_status(to, error)))
        return;
    fs::rename(from, to, error);
    if (!error || error != std::errc::cross_device_link)
        return;
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
    if (error) {
        fs::remove_all(to, error);
        return;
    }
    fs::remove_all(from, error);
}

// A picture file, or (at the top) a folder holding only picture files.
bool IsPictureEntry(const std::filesystem::path &entry, bool folderAllowed)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::symlink_status(entry, error);
    if (fs::is_directory(status)) {
        if (!folderAllowed)
            return false;
        for (fs::directory_iterator it(entry, error), end; !error && it != end;
             it.increment(error)) {
            if (!IsPictureEntry(it->path(), false))
                return false;
        }
        return !error;
    }
    if (!fs::is_regular_file(status))
        return false;
    static const QStringList pictures{u"jpg"_s, u"jpeg"_s, u"bmp"_s, u"png"_s, u"gif"_s, u"webp"_s};
    const QString ext =
        QFile::decodeName(QByteArray::fromStdString(entry.extension().string())).mid(1).toLower();
    return pictures.contains(ext);
}

} // namespace

TVideoDatabase::TVideoDatabase(const QString &fileName)
{
    SetFileName(fileName);
    SetDefaultFolders();
}

TVideoDatabase::~TVideoDatabase()
{
    // Last resort: the window program saves (and reports errors) before it gets here. What
    // was read of a damaged file never replaces it.
    if (!Damaged())
        (void)Save(false);
    Notify([](ICatalogObserver &observer) { observer.ResetStarted(); });
    while (!m_movies.empty())
        m_movies.pop_back();
    while (!m_people.empty())
        m_people.pop_back();
    Notify([](ICatalogObserver &observer) { observer.ResetFinished(); });
}

void TVideoDatabase::AddObserver(ICatalogObserver *observer)
{
    if (observer
        && std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void TVideoDatabase::RemoveObserver(ICatalogObserver *observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer),
                      m_observers.end());
}

const TTextRules &TVideoDatabase::TextRules() const
{
    static const TTextRules asGiven;
    return m_quiet ? asGiven : m_textRules;
}

void TVideoDatabase::SetFileName(const QString &fileName)
{
    m_fileName = fileName;
    if (fileName.isEmpty()) {
        m_folder.clear();
        m_baseName.clear();
        return;
    }
    const QFileInfo info(fileName);
    m_folder = WithTrailingSlash(info.absolutePath());
    m_baseName = info.completeBaseName();
}

TVideoDatabase::TFolderPair &TVideoDatabase::FolderPair(TImageFolder folder)
{
    return m_folders[static_cast<int>(folder)];
}

const TVideoDatabase::TFolderPair &TVideoDatabase::FolderPair(TImageFolder folder) const
{
    return m_folders[static_cast<int>(folder)];
}

void TVideoDatabase::SetDefaultFolder(TImageFolder folder)
{
    static const QString names[] = {
        u"Posters/"_s, u"Photos/"_s, u"Covers/"_s, u"Screenshots/"_s, u"Thumbnails/"_s};
    TFolderPair &pair = FolderPair(folder);
    pair.relative = m_baseName + u'/' + names[static_cast<int>(folder)];
    pair.absolute = m_folder + pair.relative;
}

void TVideoDatabase::SetDefaultFolders()
{
    for (int i = 0; i < 5; ++i)
        SetDefaultFolder(static_cast<TImageFolder>(i));
    m_imgFolders = false;
}

QString TVideoDatabase::ImageFolder(TImageFolder folder) const
{
    // A catalog without a file has no folders: records then leave the disk alone.
    return m_folder.isEmpty() ? QString() : FolderPair(folder).absolute;
}

void TVideoDatabase::LogLine(const QString &line)
{
    if (OnLog)
        OnLog(line);
}

void TVideoDatabase::SetImageFolders(bool flag, const std::function<void()> &progress)
{
    if (flag == m_imgFolders)
        return;
    m_imgFolders = flag;
    for (auto &movie : m_movies) {
        movie->MoveImageFiles(flag);
        if (progress)
            progress();
    }
    SetModified(true);
}

void TVideoDatabase::ConvertPictures(bool external, const std::function<void()> &progress)
{
    auto convert = [external](TDBItem &record) {
        if (external) {
            if (record.Coverformat() != CoverFile)
                record.SetPicture(nullptr, TImageFormat::None, {}, CoverFile);
            return;
        }
        if (record.Coverformat() != CoverFile)
            return;
        const QString ext = QFileInfo(record.Coverpath()).suffix().toLower();
        if (ext == u"jpg")
            record.SetPicture(nullptr, TImageFormat::Jpeg, {}, CoverJpeg);
        else if (ext == u"bmp")
            record.SetPicture(nullptr, TImageFormat::Bmp, {}, CoverBmp);
    };
    for (auto &movie : m_movies) {
        convert(*movie);
        for (int i = 0; i < movie->EpisodeCount(); ++i)
            convert(*movie->Episode(i));
        if (progress)
            progress();
    }
    for (auto &person : m_people)
        convert(*person);
}

QString TVideoDatabase::ImageFolderRelative(TImageFolder folder) const
{
    return FolderPair(folder).relative;
}

void TVideoDatabase::SetModified(bool flag)
{
    if (flag == m_modified)
        return;
    m_modified = flag;
    if (OnModifiedChanged)
        OnModifiedChanged(flag);
}

void TVideoDatabase::RecordModified(TDBItem &record)
{
    m_titleIndex.Changed(&record);
    m_nameIndex.Changed(&record);
    SetModified(true);
    if (!m_quiet)
        Notify([&](ICatalogObserver &observer) { observer.RecordChanged(record); });
}

TMovie *TVideoDatabase::Movie(int index) const
{
    return index >= 0 && index < MovieCount() ? m_movies[size_t(index)].get() : nullptr;
}

TActor *TVideoDatabase::Person(int index) const
{
    return index >= 0 && index < PersonCount() ? m_people[size_t(index)].get() : nullptr;
}

void TVideoDatabase::LoanChanged(bool returned, const QString &borrower, TBaseMovie *movie)
{
    if (OnLoanChanged)
        OnLoanChanged(returned, borrower, movie);
}

void TVideoDatabase::ShownChanged(TDBItem &record)
{
    const bool shown = record.Shown();
    if (!m_quiet) {
        Notify([&](ICatalogObserver &observer) {
            if (shown)
                observer.RecordShown(record);
            else
                observer.RecordHidden(record);
        });
    }
    if (record.Kind() == TRecordKind::Episode)
        return;
    (record.Kind() == TRecordKind::Person ? m_shownPeople : m_shownMovies) += shown ? 1 : -1;
    if (OnShownCountChanged)
        OnShownCountChanged();
}

void TVideoDatabase::ShownRecordDestroyed(TDBItem &record)
{
    if (!m_quiet)
        Notify([&](ICatalogObserver &observer) { observer.RecordRemoving(record); });
}

// The halving search over positions 0..count-1: the position of an equal key (found),
// or where the search ended (the insertion place).
template <typename Compare> static int HalvingSearch(int count, Compare compareAt, bool &found)
{
    found = false;
    int lo = 0;
    int hi = count - 1;
    while (hi >= lo && lo >= 0) {
        const int mid = (lo + hi) / 2;
        if (mid < 0 || mid >= count)
            break;
        const int c = compareAt(mid);
        if (c > 0) {
            hi = mid - 1;
        } else if (c < 0) {
            lo = mid + 1;
        } else {
            found = true;
            return mid;
        }
    }
    return lo;
}

// Insertion place: before the first greater key, or at an equal one.
template <typename Compare> static int InsertPlace(int count, Compare compareAt)
{
    bool found = false;
    const int place = HalvingSearch(count, compareAt, found);
    return found || (place >= 0 && place <= count) ? place : 0;
}

// An existing key; -1 when there is none.
template <typename Compare> static int SearchKey(int count, Compare compareAt)
{
    bool found = false;
    const int place = HalvingSearch(count, compareAt, found);
    return found ? place : -1;
}

int TVideoDatabase::PersonInsertPlace(const QString &name) const
{
    return InsertPlace(PersonCount(),
                       [&](int i) { return CompareNoCase(m_people[size_t(i)]->Name(), name); });
}

int TVideoDatabase::MovieInsertPlace(int num) const
{
    return InsertPlace(MovieCount(), [&](int i) {
        const int key = m_movies[size_t(i)]->Num();
        return key > num ? 1 : key < num ? -1 : 0;
    });
}

int TVideoDatabase::SearchPerson(const QString &name) const
{
    return SearchKey(PersonCount(),
                     [&](int i) { return CompareNoCase(m_people[size_t(i)]->Name(), name); });
}

int TVideoDatabase::SearchMovie(int num) const
{
    return SearchKey(MovieCount(), [&](int i) {
        const int key = m_movies[size_t(i)]->Num();
        return key > num ? 1 : key < num ? -1 : 0;
    });
}

int TVideoDatabase::FindPerson(const QString &name) const
{
    return SearchPerson(name);
}

int TVideoDatabase::FindMovie(int num) const
{
    const int hit = SearchMovie(num);
    if (hit >= 0 || !m_reorderSuspended)
        return hit;
    // Movies added or renumbered meanwhile are out of order.
    for (int i = 0; i < MovieCount(); ++i) {
        if (m_movies[size_t(i)]->Num() == num)
            return i;
    }
    return -1;
}

// Finds `record` at `hit` or among the neighbours with an equal key, lower ones first.
// A list that is out of order (a file marked sorted that is not, or renumbering in
// progress) defeats the binary search; the record is then looked for one by one, so that
// it can still be moved or deleted.
template <typename List, typename Record, typename SameKey>
static int LocateRecord(const List &list, const Record *record, int hit, SameKey sameKey)
{
    const int count = static_cast<int>(list.size());
    if (hit >= 0) {
        if (list[size_t(hit)].get() == record)
            return hit;
        for (int i = hit - 1; i >= 0 && sameKey(i); --i) {
            if (list[size_t(i)].get() == record)
                return i;
        }
        for (int i = hit + 1; i < count && sameKey(i); ++i) {
            if (list[size_t(i)].get() == record)
                return i;
        }
    }
    for (int i = 0; i < count; ++i) {
        if (list[size_t(i)].get() == record)
            return i;
    }
    return -1;
}

int TVideoDatabase::IndexOfPerson(const TActor *person) const
{
    if (!person)
        return -1;
    const QString &name = person->Name();
    return LocateRecord(m_people, person, SearchPerson(name), [&](int i) {
        return CompareNoCase(m_people[size_t(i)]->Name(), name) == 0;
    });
}

int TVideoDatabase::IndexOfMovie(const TMovie *movie) const
{
    if (!movie)
        return -1;
    const int num = movie->Num();
    return LocateRecord(m_movies, movie, SearchMovie(num), [&](int i) {
        return m_movies[size_t(i)]->Num() == num;
    });
}

void TVideoDatabase::MovePerson(TActor *person, const QString &newName)
{
    const int index = IndexOfPerson(person);
    if (index < 0)
        return;
    std::unique_ptr<TActor> owned = std::move(m_people[size_t(index)]);
    m_people.erase(m_people.begin() + index);
    m_people.insert(m_people.begin() + PersonInsertPlace(newName), std::move(owned));
    if (!m_quiet)
        Notify([person](ICatalogObserver &observer) { observer.RecordMoved(*person); });
}

void TVideoDatabase::MoveMovie(TMovie *movie, int newNum)
{
    if (m_reorderSuspended)
        return;
    const int index = IndexOfMovie(movie);
    if (index < 0)
        return;
    std::unique_ptr<TMovie> owned = std::move(m_movies[size_t(index)]);
    m_movies.erase(m_movies.begin() + index);
    m_movies.insert(m_movies.begin() + MovieInsertPlace(newNum), std::move(owned));
    if (!m_quiet)
        Notify([movie](ICatalogObserver &observer) { observer.RecordMoved(*movie); });
}

void TVideoDatabase::SortById()
{
    m_reorderSuspended = false;
    const auto byNum = [](const auto &a, const auto &b) { return a->Num() < b->Num(); };
    // The movies before the first one out of order (the catalog an import added to) stay
    // as they are: only the rest are sorted and then merged in, equal nums in list order.
    const auto middle = std::is_sorted_until(m_movies.begin(), m_movies.end(), byNum);
    std::stable_sort(middle, m_movies.end(), byNum);
    std::inplace_merge(m_movies.begin(), middle, m_movies.end(), byNum);
}

void TVideoDatabase::SortLists()
{
    std::sort(m_movies.begin(), m_movies.end(), [](const auto &a, const auto &b) {
        return a->Num() < b->Num();
    });
    std::sort(m_people.begin(), m_people.end(), [](const auto &a, const auto &b) {
        return CompareNoCase(a->Name(), b->Name()) < 0;
    });
}

int TVideoDatabase::NextId(int mode) const
{
    if (m_movies.empty() || (mode != 0 && mode != 1))
        return 0;
    constexpr qint64 maxId = std::numeric_limits<int>::max();
    const auto byNum = [](const auto &a, const auto &b) { return a->Num() < b->Num(); };
    if (mode == 1 || m_movies.size() == 1) {
        const TMovie &last = m_reorderSuspended
                                 ? **std::max_element(m_movies.begin(), m_movies.end(), byNum)
                                 : *m_movies.back();
        return int(std::min<qint64>(qint64(last.Num()) + 1, maxId));
    }
    QSet<int> used;
    used.reserve(MovieCount());
    for (const auto &movie : m_movies)
        used.insert(movie->Num());
    const TMovie &first = m_reorderSuspended
                              ? **std::min_element(m_movies.begin(), m_movies.end(), byNum)
                              : *m_movies.front();
    qint64 candidate = qint64(first.Num()) + 1;
    while (candidate < maxId && used.contains(int(candidate)))
        ++candidate;
    return int(std::min(candidate, maxId));
}

namespace {

// Whether `field`, trimmed, is `lowered` with every UTF-16 unit lower-cased; without a copy.
bool SameLowered(const QString &field, const QString &lowered)
{
    QStringView view(field);
    if (!view.isEmpty() && (view.front().isSpace() || view.back().isSpace()))
        view = view.trimmed();
    if (view.size() != lowered.size())
        return false;
    // From the end: numbered titles of a series differ there.
    for (qsizetype i = view.size() - 1; i >= 0; --i) {
        if (view[i] != lowered[i] && view[i].toLower() != lowered[i])
            return false;
    }
    return true;
}

} // namespace

template <typename Accept>
TMovie *TVideoDatabase::ScanDuplicateMovie(const QString &title, Accept accept) const
{
    // The first in num order, and of equal nums the first in the list.
    TMovie *first = nullptr;
    for (const auto &movie : m_movies) {
        if ((!first || movie->Num() < first->Num()) && SameLowered(movie->DisplayTitleRef(), title)
            && accept(*movie)) {
            first = movie.get();
            if (!m_reorderSuspended)
                break;
        }
    }
    return first;
}

TDBItem *TVideoDatabase::FindDuplicate(const QString &text1,
                                       const QString &text2,
                                       const TDBItem *exclude,
                                       int kind) const
{
    if (kind == 0) {
        const TTextRules &rules = TextRules();
        const QString title = rules.Title(text1).toLower().trimmed();
        const QString orig = rules.Title(text2).toLower().trimmed();
        const auto accept = [&](const TMovie &movie) {
            return &movie != exclude
                   && (orig.isEmpty() || movie.Origtitle().isEmpty()
                       || SameLowered(movie.Origtitle(), orig));
        };
        // A title that lower-casing one unit at a time would still change (a letter whose
        // full mapping differs) can match titles the index files elsewhere: those are
        // scanned for.
        if (TTitleIndex::Key(title) != title)
            return ScanDuplicateMovie(title, accept);
        std::vector<TMovie *> found;
        for (TMovie *movie : m_titleIndex.Find(title, m_movies)) {
            if (accept(*movie))
                found.push_back(movie);
        }
        if (found.size() <= 1)
            return found.empty() ? nullptr : found.front();
        // The first in num order, as a scan finds it, and of equal nums the first in the
        // list: by position while that is cheaper than scanning.
        if (found.size() * 16 > m_movies.size())
            return ScanDuplicateMovie(title, accept);
        TMovie *first = nullptr;
        int firstIndex = -1;
        for (TMovie *movie : found) {
            if (first && movie->Num() > first->Num())
                continue;
            if (first && movie->Num() == first->Num()) {
                if (firstIndex < 0)
                    firstIndex = IndexOfMovie(first);
                const int index = IndexOfMovie(movie);
                if (index >= firstIndex)
                    continue;
                firstIndex = index;
            } else {
                firstIndex = -1;
            }
            first = movie;
        }
        return first;
    }
    if (kind != 1)
        return nullptr;
    const QString name = TextRules().Name(text1);
    const QString transname = TextRules().Name(text2);
    // An empty text matches nothing: otherwise every person without a translated name
    // would be the duplicate of one without a translated name.
    if (!transname.isEmpty()) {
        const int hit = SearchPerson(transname);
        if (hit >= 0 && m_people[size_t(hit)].get() != exclude)
            return m_people[size_t(hit)].get();
    }
    // The first in list order that matches either text.
    TActor *first = nullptr;
    int firstIndex = -1;
    const auto consider = [&](TNameIndex::TField field, const QString &text) {
        if (text.isEmpty())
            return;
        for (TActor *person : m_nameIndex.Find(field, text, m_people)) {
            if (person == exclude)
                continue;
            const int index = IndexOfPerson(person);
            if (index >= 0 && (!first || index < firstIndex)) {
                first = person;
                firstIndex = index;
            }
        }
    };
    consider(TNameIndex::TField::Name, name);
    consider(TNameIndex::TField::Transname, transname);
    return first;
}

TDBItem *TVideoDatabase::AddRecord(int kind, const QString &name, bool stampDate)
{
    TDBItem *result = nullptr;
    if (kind == 0) {
        std::unique_ptr<TMovie> movie = TMovie::Create(this);
        if (stampDate)
            movie->SetDateadded(Now());
        result = movie.get();
        m_titleIndex.Added(movie.get());
        // While many are added (an import), SortById places them all at once.
        if (m_reorderSuspended)
            m_movies.push_back(std::move(movie));
        else
            m_movies.insert(m_movies.begin() + MovieInsertPlace(movie->Num()), std::move(movie));
    } else if (kind == 1) {
        std::unique_ptr<TActor> person = TActor::Create(this);
        // Stored as given: the name normaliser is for names the user types.
        person->ReadTag(u"name"_s, name);
        result = person.get();
        m_nameIndex.Added(person.get());
        m_people.insert(m_people.begin() + PersonInsertPlace(name), std::move(person));
    } else {
        return nullptr;
    }
    SetModified(true);
    if (!m_quiet)
        Notify([result](ICatalogObserver &observer) { observer.RecordAdded(*result); });
    if (OnListChanged)
        OnListChanged();
    return result;
}

void TVideoDatabase::DeleteRecord(TDBItem *record)
{
    if (!record)
        return;
    record->SetPicture(nullptr, TImageFormat::None, {}, CoverNone);
    if (record->Shown() && record->Kind() != TRecordKind::Episode) {
        (record->Kind() == TRecordKind::Person ? m_shownPeople : m_shownMovies) -= 1;
        if (OnShownCountChanged)
            OnShownCountChanged();
    }
    switch (record->Kind()) {
    case TRecordKind::Episode: {
        auto *episode = static_cast<TEpisode *>(record);
        if (TMovie *parent = episode->Parent())
            parent->DeleteEpisode(episode);
        SetModified(true);
        break;
    }
    case TRecordKind::Movie: {
        auto *movie = static_cast<TMovie *>(record);
        movie->SetScreenshots({});
        movie->SetFroncover({});
        movie->SetCdcover({});
        const int index = IndexOfMovie(movie);
        if (index >= 0) {
            m_titleIndex.Removed(movie);
            m_movies.erase(m_movies.begin() + index);
        }
        SetModified(true);
        break;
    }
    case TRecordKind::Person: {
        const int index = IndexOfPerson(static_cast<TActor *>(record));
        if (index >= 0) {
            m_nameIndex.Removed(static_cast<TActor *>(record));
            m_people.erase(m_people.begin() + index);
        }
        SetModified(true);
        break;
    }
    }
    if (OnListChanged)
        OnListChanged();
}

QString TVideoDatabase::CustomFieldName(int index) const
{
    return index >= 0 && index < m_customNames.size() ? m_customNames[index] : QString();
}

void TVideoDatabase::AddCustomField(const QString &name)
{
    m_customNames.append(name);
    for (auto &movie : m_movies)
        movie->AddCustomValue();
    if (OnCustomFieldAdded)
        OnCustomFieldAdded(CustomFieldCount() - 1);
    SetModified(true);
}

void TVideoDatabase::DeleteCustomField(int index)
{
    if (index < 0 || index >= CustomFieldCount())
        return;
    m_customNames.removeAt(index);
    for (auto &movie : m_movies)
        movie->DeleteCustomValue(index);
    if (OnCustomFieldDeleted)
        OnCustomFieldDeleted(index);
    SetModified(true);
}

void TVideoDatabase::RenameCustomField(int index, const QString &name)
{
    if (index < 0 || index >= CustomFieldCount())
        return;
    m_customNames[index] = name;
    if (OnCustomFieldRenamed)
        OnCustomFieldRenamed(index);
}

void TVideoDatabase::SetImageFolder(TImageFolder folder, const QString &path)
{
    TFolderPair &pair = FolderPair(folder);
    if (path == pair.absolute || WithTrailingSlash(path) == pair.absolute)
        return;
    const QString oldFolder = pair.absolute;
    pair.absolute = WithTrailingSlash(path);
    pair.relative = RelativePath(m_folder, pair.absolute);
    QDir().mkpath(pair.absolute);
    QStringList left;
    MoveFiles(oldFolder, pair.absolute, false, &left);
    for (const QString &path : left)
        LogLine(u"Not a picture, left where it is: "_s + path);
    SetModified(true);
}

void TVideoDatabase::MoveFiles(const QString &source,
                               const QString &target,
                               bool single,
                               QStringList *left)
{
    namespace fs = std::filesystem;
    if (source.isEmpty() || target.isEmpty())
        return;
    const fs::path to = FsPath(target);
    std::error_code error;
    if (single) {
        const fs::path from = FsPath(source);
        MoveEntry(from, to / from.filename());
        return;
    }
    const fs::path from = FsPath(source);
    if (fs::equivalent(from, to, error))
        return;
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(from, error), end; !error && it != end; it.increment(error)) {
        // The folder's name comes from the catalog file: only pictures and the per-movie
        // folders of pictures move, never whatever else lies there.
        if (IsPictureEntry(it->path(), true))
            entries.push_back(it->path());
        else if (left)
            left->append(QFile::decodeName(QByteArray::fromStdString(it->path().string())));
    }
    for (const fs::path &entry : entries) {
        // A new folder inside the old one cannot move into itself.
        if (fs::equivalent(entry, to, error))
            continue;
        MoveEntry(entry, to / entry.filename());
    }
}
