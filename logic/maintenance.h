#pragma once

#include <array>
#include <functional>

#include <QList>
#include <QString>
#include <QStringList>

class TActor;
class TBaseMovie;
class TDBItem;
class TVideoDatabase;

// The catalog-wide maintenance tools without their windows: the duplicate remover, the
// remover of dead file locations and the values behind the multiple-movie editor.

// Called once per record worked on with the number done and the number to do; returning
// false stops the run after that record (every record is always left whole).
using TMaintenanceProgress = std::function<bool(int done, int total)>;

// ----- duplicates --------------------------------------------------------------------------

enum class TDuplicateAction { Remove = 0, Merge = 1 };

// Fills every empty (or zero) field of `into` that the field table lets a merge take over
// from `from` (FilledFromDuplicate); `num` only when it is -1.
void MergeDuplicateMovie(TBaseMovie &into, const TBaseMovie &from);
void MergeDuplicatePerson(TActor &into, const TActor &from);

struct TDuplicateReport
{
    int MoviesRemoved = 0;
    int PeopleRemoved = 0;
    bool Cancelled = false;
};

// Keeps one movie per display title and original title, and one person per name and
// translated name: the one that stands last in catalog order; with Merge it first takes the
// others' values for its empty fields. Records without a title (or name) identify nothing and
// are left alone. `takeOut`, when given, takes each copy out of the catalog in place of the
// delete (the caller then owns it: undo keeps it).
TDuplicateReport RemoveDuplicates(TVideoDatabase &db,
                                  TDuplicateAction action,
                                  const TMaintenanceProgress &progress = {},
                                  const std::function<void(TDBItem *)> &takeOut = {});

// ----- dead file locations -----------------------------------------------------------------

struct TBadFileOptions
{
    bool KeepExternal = true; // "Leave paths to external drives"
    bool CutLabels = true;    // "Remove corresponding Media Labels"

    bool operator==(const TBadFileOptions &) const = default;
};

// Whether a location counts as an external drive: a network path, a path whose storage is
// removable, remote or unknown, or a path into the usual mount folders of removable media
// (/media, /run/media, /mnt) whose volume is not mounted now. Reads CurrentVolumeInfo().
bool OnExternalDrive(const QString &file);

// Cuts the first whole occurrence of `volumeLabel` (not part of a longer word) out of
// `label`, with a comma directly after it. `label` unchanged when there is none.
QString CutMediaLabel(const QString &label, const QString &volumeLabel);

struct TPathCheck
{
    QString Path;  // the kept entries joined by "|"
    QString Label; // the media label after the cuts
    int Dropped = 0;
};

// The verdict on one movie's `path` and `label`.
TPathCheck CheckPaths(const QString &path, const QString &label, const TBadFileOptions &options);

struct TBadFileReport
{
    int MoviesChanged = 0;
    int LocationsRemoved = 0;
    bool Cancelled = false;
    QList<TBaseMovie *> Changed;
};

// Drops the entries of every movie's `path` whose file does not exist (see CheckPaths).
TBadFileReport RemoveBadFileLocations(TVideoDatabase &db,
                                      const TBadFileOptions &options,
                                      const TMaintenanceProgress &progress = {});

// ----- multiple-movie editor ---------------------------------------------------------------

// The rows of the multiple-movie editor, in the order it shows them.
enum class TMultiField {
    Id,
    Year,
    Genre,
    Director,
    Producer,
    Scenario,
    Music,
    Country,
    Studio,
    Mpaa,
    Release,
    Quality,
    Languages,
    Translation,
    Subtitles,
    Label,
    MediaType,
    Tags,
};
inline constexpr int MultiFieldCount = 18;

// The value all collected movies share in each field of the editor.
class TMultiCommon
{
public:
    void Add(const TBaseMovie &movie);
    // What an empty box takes when its check box is turned on: the common value; for the ID
    // only when it is 0 or more, for the year only when above 0; empty when mixed.
    QString Preset(TMultiField field) const;

private:
    bool m_numSeen = false;
    int m_num = -1;
    bool m_numMixed = false;
    int m_year = 0;
    bool m_yearMixed = false;
    std::array<QString, MultiFieldCount> m_texts;
    std::array<bool, MultiFieldCount> m_mixed{};
};

// What the editor gives back: which fields are written, and the text of each box.
struct TMultiEditAnswer
{
    std::array<bool, MultiFieldCount> Checked{};
    std::array<QString, MultiFieldCount> Texts;

    bool IsChecked(TMultiField field) const { return Checked[int(field)]; }
    bool Any() const;
};

// The choices the editor offers: the genre pick list and the three choice boxes.
struct TMultiEditLists
{
    QStringList Genres;
    QStringList Qualities;
    QStringList Translations;
    QStringList MediaTypes;
};

// Sets every checked field of the movie through its setter; the ID and the year only when
// their box holds a whole number.
void ApplyMultiEdit(TBaseMovie &movie, const TMultiEditAnswer &answer);

// Whether the changed fields move rows: in the tree view when a grouping level (movie
// grouping field numbers) uses a checked field, and in any view when the title template
// shows one.
bool MultiEditMovesRows(const TMultiEditAnswer &answer,
                        bool treeView,
                        const QList<int> &groupLevels,
                        const QString &titleFormat);
