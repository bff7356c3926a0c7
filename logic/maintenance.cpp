#include "logic/maintenance.h"

#include <optional>
#include <span>
#include <vector>

#include <QDir>
#include <QSet>
#include <QStringList>

#include "catalog/actor.h"
#include "catalog/movie.h"
#include "catalog/moviefields.h"
#include "catalog/personfields.h"
#include "catalog/platform/volumeinfo.h"
#include "catalog/textutils.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

namespace {

// Fills every field of `into` the table lets the duplicate merge fill, when it holds its
// empty value there and not in `from`.
template <typename TRecord, typename TInfo>
void FillEmptyFields(TRecord &into, const TRecord &from, std::span<const TInfo> fields)
{
    for (const TInfo &field : fields) {
        if (field.FilledFromDuplicate && field.IsEmptyIn(into) && !field.IsEmptyIn(from))
            field.Copy(into, from);
    }
}

bool ReportProgress(const TMaintenanceProgress &progress, int done, int total)
{
    return !progress || progress(done, total);
}

// The folders under which desktops mount removable media; a path there whose volume is not
// mounted belongs to a drive that is simply absent.
constexpr QLatin1StringView RemovableRoots[] = {"/media/"_L1, "/run/media/"_L1, "/mnt/"_L1};

bool UnderRemovableRoot(const QString &path)
{
    for (const QLatin1StringView root : RemovableRoots) {
        if (path.startsWith(root))
            return true;
    }
    return false;
}

// The movie field behind each row of the multiple-movie editor (in TMultiField order),
// whether its text holds a list of values, and the title template code that shows it
// (empty: none).
struct TMultiRow
{
    TMovieField Field;
    bool List;
    QLatin1StringView TitleCode;
};

constexpr TMultiRow MultiRows[MultiFieldCount] = {
    {TMovieField::Num, false, "%N"_L1},
    {TMovieField::Year, false, "%Y"_L1},
    {TMovieField::Genre, true, "%G"_L1},
    {TMovieField::Director, true, "%D"_L1},
    {TMovieField::Producer, true, {}},
    {TMovieField::Scenario, true, "%S"_L1},
    {TMovieField::Music, true, {}},
    {TMovieField::Country, true, {}},
    {TMovieField::Studio, true, {}},
    {TMovieField::Mpaa, false, {}},
    {TMovieField::Release, true, "%R"_L1},
    {TMovieField::Rip, false, "%Q"_L1},
    {TMovieField::Langs, true, {}},
    {TMovieField::Translation, false, {}},
    {TMovieField::Subs, true, {}},
    {TMovieField::Label, false, "%M"_L1},
    {TMovieField::Type, false, {}},
    {TMovieField::Tags, true, {}},
};

std::optional<int> WholeNumber(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

} // namespace

// ----- duplicates --------------------------------------------------------------------------

void MergeDuplicateMovie(TBaseMovie &into, const TBaseMovie &from)
{
    FillEmptyFields(into, from, MovieFields());
}

void MergeDuplicatePerson(TActor &into, const TActor &from)
{
    FillEmptyFields(into, from, PersonFields());
}

TDuplicateReport RemoveDuplicates(TVideoDatabase &db,
                                  TDuplicateAction action,
                                  const TMaintenanceProgress &progress,
                                  const std::function<void(TDBItem *)> &takeOut)
{
    TDuplicateReport report;
    // Taken up front: a merged ID moves the movie, so indexes would skip or repeat movies.
    std::vector<TDBItem *> movies;
    for (int i = 0; i < db.MovieCount(); ++i)
        movies.push_back(db.Movie(i));
    std::vector<TDBItem *> people;
    for (int i = 0; i < db.PersonCount(); ++i)
        people.push_back(db.Person(i));
    const int total = int(movies.size() + people.size());
    int done = 0;
    QSet<const TDBItem *> gone;

    // Each record, from the last, swallows the later copies FindDuplicate finds for it.
    const auto sweep = [&](const std::vector<TDBItem *> &records,
                           int kind,
                           const auto &names,
                           const auto &merge,
                           int &removed) {
        for (auto it = records.rbegin(); it != records.rend(); ++it) {
            // A record deleted as an earlier one's copy is gone from memory too.
            if (!gone.contains(*it)) {
                // Records without a name are not copies of one another. Merging never
                // changes the names, so they are read once.
                const auto [name, otherName] = names(**it);
                while (!name.trimmed().isEmpty()) {
                    TDBItem *copy = db.FindDuplicate(name, otherName, *it, kind);
                    if (!copy)
                        break;
                    if (action == TDuplicateAction::Merge)
                        merge(**it, *copy);
                    gone.insert(copy);
                    if (takeOut)
                        takeOut(copy);
                    else
                        db.DeleteRecord(copy);
                    ++removed;
                }
            }
            if (!ReportProgress(progress, ++done, total))
                return false;
        }
        return true;
    };
    const auto movieNames = [](const TDBItem &record) {
        const auto &movie = static_cast<const TBaseMovie &>(record);
        return std::pair(movie.DisplayTitle(), movie.Origtitle());
    };
    const auto personNames = [](const TDBItem &record) {
        const auto &person = static_cast<const TActor &>(record);
        return std::pair(person.Name(), person.Transname());
    };
    const auto mergeMovies = [](TDBItem &into, const TDBItem &from) {
        MergeDuplicateMovie(static_cast<TBaseMovie &>(into), static_cast<const TBaseMovie &>(from));
    };
    const auto mergePeople = [](TDBItem &into, const TDBItem &from) {
        MergeDuplicatePerson(static_cast<TActor &>(into), static_cast<const TActor &>(from));
    };
    report.Cancelled = !sweep(movies, 0, movieNames, mergeMovies, report.MoviesRemoved)
                       || !sweep(people, 1, personNames, mergePeople, report.PeopleRemoved);
    return report;
}

// ----- dead file locations -----------------------------------------------------------------

bool OnExternalDrive(const QString &file)
{
    if (file.startsWith("//"_L1) || file.startsWith("\\\\"_L1))
        return true;
    const IVolumeInfo &volumes = CurrentVolumeInfo();
    if (volumes.DriveKind(file) != TDriveType::Fixed)
        return true;
    const QString path = QDir::cleanPath(file);
    if (!UnderRemovableRoot(path))
        return false;
    // The mount holding the path lies above the removable-media folder: the disc or stick
    // that belongs there is not mounted.
    const std::optional<TMountEntry> mount = volumes.MountFor(path);
    return !mount || !UnderRemovableRoot(mount->MountPoint);
}

QString CutMediaLabel(const QString &label, const QString &volumeLabel)
{
    if (volumeLabel.isEmpty())
        return label;
    const auto wordChar = [&label](qsizetype at) {
        return at >= 0 && at < label.size() && label[at].isLetterOrNumber();
    };
    // "DISC1" must not be cut out of "DISC10".
    for (qsizetype at = label.indexOf(volumeLabel); at >= 0;
         at = label.indexOf(volumeLabel, at + 1)) {
        const qsizetype end = at + volumeLabel.size();
        if (wordChar(at - 1) || wordChar(end))
            continue;
        QString result = label;
        result.remove(at, volumeLabel.size() + (end < label.size() && label[end] == u',' ? 1 : 0));
        return result;
    }
    return label;
}

TPathCheck CheckPaths(const QString &path, const QString &label, const TBadFileOptions &options)
{
    TPathCheck check{{}, label};
    QStringList kept;
    // The split gives the entries last-first; they are judged and kept in stored order.
    const QStringList entries = SplitAt(path, u'|');
    for (auto it = entries.crbegin(); it != entries.crend(); ++it) {
        const QString &entry = *it;
        const QString file = entry.trimmed();
        if (file.isEmpty())
            continue;
        if (FileExistsQuiet(file) || (options.KeepExternal && OnExternalDrive(file))) {
            kept.append(entry);
            continue;
        }
        ++check.Dropped;
        if (options.CutLabels && !check.Label.isEmpty()) {
            const QString volume = CurrentVolumeInfo().VolumeLabel(file);
            if (!volume.isEmpty())
                check.Label = CutMediaLabel(check.Label, volume);
        }
    }
    check.Path = kept.join(u'|');
    return check;
}

TBadFileReport RemoveBadFileLocations(TVideoDatabase &db,
                                      const TBadFileOptions &options,
                                      const TMaintenanceProgress &progress)
{
    TBadFileReport report;
    const int total = db.MovieCount();
    for (int i = 0; i < total; ++i) {
        TBaseMovie *movie = db.Movie(i);
        const TPathCheck check = CheckPaths(movie->Path(), movie->Label(), options);
        bool changed = false;
        if (check.Path != movie->Path()) {
            movie->SetPath(check.Path);
            changed = true;
        }
        if (check.Label != movie->Label()) {
            movie->SetLabel(check.Label);
            changed = true;
        }
        report.LocationsRemoved += check.Dropped;
        if (changed) {
            ++report.MoviesChanged;
            report.Changed.append(movie);
        }
        if (!ReportProgress(progress, i + 1, total)) {
            report.Cancelled = true;
            break;
        }
    }
    return report;
}

// ----- multiple-movie editor ---------------------------------------------------------------

void TMultiCommon::Add(const TBaseMovie &movie)
{
    if (!m_numSeen) {
        m_numSeen = true;
        m_num = movie.Num();
    } else if (movie.Num() != m_num) {
        m_numMixed = true;
    }
    if (!m_yearMixed && movie.Year() != 0) {
        if (m_year == 0)
            m_year = movie.Year();
        else if (movie.Year() != m_year)
            m_yearMixed = true;
    }
    for (int index = 0; index < MultiFieldCount; ++index) {
        const TMultiRow &row = MultiRows[index];
        const QString *text = MovieField(row.Field).TextRef(movie);
        // The ID and the year are numbers, collected above.
        if (!text)
            continue;
        const QString &value = *text;
        if (m_mixed[index] || value.isEmpty())
            continue;
        QString &common = m_texts[index];
        if (common.isEmpty()) {
            common = value;
        } else if (!row.List) {
            if (!common.contains(value, Qt::CaseInsensitive))
                m_mixed[index] = true;
        } else {
            // The split gives the items last-first; the value's own order reads better.
            QStringList shared;
            for (const QString &item : SplitList(value)) {
                if (common.contains(item, Qt::CaseInsensitive))
                    shared.prepend(item);
            }
            m_mixed[index] = shared.isEmpty();
            common = shared.join(", "_L1);
        }
        if (m_mixed[index])
            common.clear();
    }
}

QString TMultiCommon::Preset(TMultiField field) const
{
    switch (field) {
    case TMultiField::Id:
        return m_numSeen && !m_numMixed && m_num >= 0 ? QString::number(m_num) : QString();
    case TMultiField::Year:
        return !m_yearMixed && m_year > 0 ? QString::number(m_year) : QString();
    default:
        return m_texts[int(field)];
    }
}

bool TMultiEditAnswer::Any() const
{
    for (bool checked : Checked) {
        if (checked)
            return true;
    }
    return false;
}

void ApplyMultiEdit(TBaseMovie &movie, const TMultiEditAnswer &answer)
{
    for (int i = 0; i < MultiFieldCount; ++i) {
        if (!answer.Checked[i])
            continue;
        const TMovieFieldInfo &field = MovieField(MultiRows[i].Field);
        const QString &text = answer.Texts[i];
        if (field.Type != TFieldType::Int)
            field.SetValue(movie, text);
        else if (const std::optional<int> number = WholeNumber(text))
            field.SetValue(movie, *number);
    }
}

bool MultiEditMovesRows(const TMultiEditAnswer &answer,
                        bool treeView,
                        const QList<int> &groupLevels,
                        const QString &titleFormat)
{
    for (int i = 0; i < MultiFieldCount; ++i) {
        if (!answer.Checked[i])
            continue;
        const int groupField = MovieField(MultiRows[i].Field).GroupField;
        if (treeView && groupField >= 0 && groupLevels.contains(groupField))
            return true;
        if (!MultiRows[i].TitleCode.isEmpty() && titleFormat.contains(MultiRows[i].TitleCode))
            return true;
    }
    return false;
}
