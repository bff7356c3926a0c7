// The undo steps and reading and writing a record's fields by number.
#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/undosteps_p.h"
#include "catalog/actor.h"
#include "catalog/basemovie.h"
#include "catalog/episode.h"
#include "catalog/imagestore.h"
#include "catalog/movie.h"
#include "catalog/moviefields.h"
#include "catalog/personfields.h"
#include "catalog/textutils.h"

using namespace Qt::StringLiterals;

namespace {

template <typename TRecord, typename TInfo>
void ReadTable(const TRecord &record, std::span<const TInfo> fields, std::vector<QVariant> &out)
{
    for (const TInfo &field : fields)
        out.push_back(field.Value(record));
}

bool IsPerson(const TDBItem &record)
{
    return record.Kind() == TRecordKind::Person;
}

// How the picture is stored, which no field table holds: a Clear empties it.
constexpr int PictureFieldCount = 2;

void ReadPictureFields(const TDBItem &record, std::vector<QVariant> &out)
{
    out.push_back(int(record.Coverformat()));
    out.push_back(record.Coverpath());
}

void SetPictureField(TDBItem &record, int index, const QVariant &value)
{
    if (index == 0)
        record.SetCoverformat(quint8(value.toInt()));
    else
        record.SetCoverpath(value.toString());
}

constexpr TMovieField MovieImageFields[] = {
    TMovieField::Froncover, TMovieField::Cdcover, TMovieField::Screenshots};

QString ImageFolderOf(const TDBItem &record, TImageFolder folder)
{
    return record.Owner() ? record.Owner()->ImageFolder(folder) : QString();
}

void AddInside(QStringList &files, const QString &path, const QString &folder)
{
    if (!path.isEmpty() && PathInside(path, folder) && !files.contains(path))
        files.append(path);
}

} // namespace

bool IsPictureField(const TDBItem &record, int field)
{
    const int tableSize = int(IsPerson(record) ? PersonFields().size() : MovieFields().size());
    if (field >= tableSize)
        return field < tableSize + PictureFieldCount;
    return !IsPerson(record)
           && std::find(
                  std::begin(MovieImageFields), std::end(MovieImageFields), TMovieField(field))
                  != std::end(MovieImageFields);
}

TPictureState ReadPictureState(const TDBItem &record)
{
    TPictureState state{
        record.Coverformat(), record.Coverpath(), record.PictureBytes(), {}, {}, {}};
    if (!IsPerson(record)) {
        const auto &movie = static_cast<const TBaseMovie &>(record);
        state.froncover = movie.Froncover();
        state.cdcover = movie.Cdcover();
        state.screenshots = movie.Screenshots();
    }
    return state;
}

QStringList PictureFiles(const TDBItem &record, const TPictureState &state)
{
    QStringList files;
    const QString pictures =
        ImageFolderOf(record, IsPerson(record) ? TImageFolder::Photos : TImageFolder::Posters);
    if (state.coverformat == CoverFile && !pictures.isEmpty() && !state.coverpath.isEmpty())
        AddInside(files, pictures + state.coverpath, pictures);
    if (const QString covers = ImageFolderOf(record, TImageFolder::Covers); !covers.isEmpty()) {
        for (const QString *cover : {&state.froncover, &state.cdcover}) {
            if (!cover->isEmpty())
                AddInside(files, ResolvePath(*cover, covers), covers);
        }
    }
    if (const QString shots = ImageFolderOf(record, TImageFolder::Screenshots); !shots.isEmpty()) {
        for (const QString &piece : state.screenshots.split(u'|', Qt::SkipEmptyParts)) {
            if (const QString path = piece.trimmed(); !path.isEmpty())
                AddInside(files, ResolvePath(path, shots), shots);
        }
    }
    return files;
}

TKeptFiles ReadPictureFiles(const QStringList &files)
{
    TKeptFiles kept;
    for (const QString &path : files) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            kept.insert(path, file.readAll());
    }
    return kept;
}

std::vector<QVariant> RecordValues(const TDBItem &record)
{
    std::vector<QVariant> values;
    if (IsPerson(record)) {
        ReadTable(static_cast<const TActor &>(record), PersonFields(), values);
        ReadPictureFields(record, values);
        return values;
    }
    const auto &movie = static_cast<const TBaseMovie &>(record);
    values.reserve(MovieFields().size() + PictureFieldCount + size_t(movie.CustomValueCount()));
    ReadTable(movie, MovieFields(), values);
    ReadPictureFields(record, values);
    for (const QString &value : movie.CustomValues())
        values.push_back(value);
    return values;
}

void SetRecordValue(TDBItem &record, int field, const QVariant &value)
{
    const int tableSize = int(IsPerson(record) ? PersonFields().size() : MovieFields().size());
    if (field >= tableSize && field < tableSize + PictureFieldCount) {
        SetPictureField(record, field - tableSize, value);
        return;
    }
    if (IsPerson(record)) {
        if (field < tableSize)
            PersonFields()[size_t(field)].SetValue(static_cast<TActor &>(record), value);
        return;
    }
    auto &movie = static_cast<TBaseMovie &>(record);
    if (field < tableSize)
        MovieFields()[size_t(field)].SetValue(movie, value);
    else
        movie.SetCustomValue(field - tableSize - PictureFieldCount, value.toString());
}

bool ForceRecordValue(TDBItem &record, int field, const QVariant &value)
{
    if (IsPerson(record)) {
        return size_t(field) < PersonFields().size()
               && PersonFields()[size_t(field)].StoreValue(static_cast<TActor &>(record), value);
    }
    return size_t(field) < MovieFields().size()
           && MovieFields()[size_t(field)].StoreValue(static_cast<TBaseMovie &>(record), value);
}

// ----- field step ----------------------------------------------------------------------------

void TFieldStep::Apply(bool after)
{
    std::vector<TDBItem *> records;
    records.reserve(m_changes.size());
    for (const TRecordChange &change : m_changes)
        records.push_back(change.record);
    m_undo.ShowChanged(records, [&] {
        for (const TRecordChange &change : m_changes) {
            TDBItem *record = change.record;
            // A setter may change a field beside its own (seen stamps its date): the fields
            // outside the step keep what they hold now.
            const std::vector<QVariant> kept = RecordValues(*record);
            const auto target = [&](const TFieldChange &field) {
                return after ? field.after : field.before;
            };
            for (const TFieldChange &field : change.fields) {
                // The loan history is a log: taking a loan back writes a return, and
                // taking a return back a new loan.
                if (field.field == int(TMovieField::Loan) && !IsPerson(*record)) {
                    auto &movie = static_cast<TBaseMovie &>(*record);
                    const QString borrower = target(field).toString();
                    if (borrower.isEmpty())
                        movie.ReturnLoan();
                    else
                        movie.Lend(borrower);
                }
                SetRecordValue(*record, field.field, target(field));
            }
            std::vector<QVariant> now = RecordValues(*record);
            std::vector<bool> inStep(now.size(), false);
            for (const TFieldChange &field : change.fields) {
                if (size_t(field.field) < inStep.size())
                    inStep[size_t(field.field)] = true;
            }
            for (size_t i = 0; i < now.size() && i < kept.size(); ++i) {
                if (!inStep[i] && now[i] != kept[i])
                    SetRecordValue(*record, int(i), kept[i]);
            }
            // A second round for values whose setter wanted another field first (a loan
            // date needs the loan), then past the setter for what is still refused.
            const auto differing = [&] {
                const std::vector<QVariant> values = RecordValues(*record);
                std::vector<const TFieldChange *> result;
                for (const TFieldChange &field : change.fields) {
                    if (size_t(field.field) < values.size()
                        && values[size_t(field.field)] != target(field))
                        result.push_back(&field);
                }
                return result;
            };
            bool forced = false;
            if (const auto refused = differing(); !refused.empty()) {
                for (const TFieldChange *field : refused)
                    SetRecordValue(*record, field->field, target(*field));
                for (const TFieldChange *field : differing())
                    forced |= ForceRecordValue(*record, field->field, target(*field));
            }
            if (forced && record->Owner())
                record->Owner()->RecordModified(*record);
        }
    });
}

// ----- picture step --------------------------------------------------------------------------

void TPictureStep::Apply(bool after)
{
    std::vector<TDBItem *> records;
    records.reserve(m_changes.size());
    for (const TPictureChange &change : m_changes)
        records.push_back(change.record);
    m_undo.ShowChanged(records, [&] {
        for (TPictureChange &change : m_changes) {
            TDBItem &record = *change.record;
            const TPictureState &target = after ? change.after : change.before;
            const TPictureState &leaving = after ? change.before : change.after;
            const QStringList wanted = PictureFiles(record, target);
            // The files of the side that goes are read before they are removed or
            // overwritten: the next undo or redo needs them.
            TKeptFiles next;
            for (const QString &path : PictureFiles(record, leaving)) {
                const bool stays =
                    wanted.contains(path) || (after && change.leftBehind.contains(path));
                if (stays && !change.kept.contains(path))
                    continue;
                QFile file(path);
                if (file.open(QIODevice::ReadOnly))
                    next.insert(path, file.readAll());
                file.close();
                if (!stays)
                    RemoveFileQuiet(path);
            }
            for (auto it = change.kept.cbegin(); it != change.kept.cend(); ++it) {
                QDir().mkpath(QFileInfo(it.key()).absolutePath());
                WriteFileQuiet(it.key(), it.value());
            }
            change.kept = std::move(next);
            record.RestorePicture(target.coverformat, target.coverpath, target.held);
            if (IsPerson(record))
                continue;
            const QString values[] = {target.froncover, target.cdcover, target.screenshots};
            for (size_t i = 0; i < std::size(MovieImageFields); ++i)
                ForceRecordValue(record, int(MovieImageFields[i]), values[i]);
            // Cover thumbnails are made again from the covers now in place.
            const QString thumbnails = ImageFolderOf(record, TImageFolder::Thumbnails);
            for (const TPictureState *state : {&change.before, &change.after}) {
                for (const QString *cover : {&state->froncover, &state->cdcover}) {
                    if (!thumbnails.isEmpty() && !cover->isEmpty())
                        RemoveFileQuiet(
                            ChangeExtension(thumbnails + FileNamePart(*cover), u".jpg"_s));
                }
            }
        }
    });
}

// ----- records step --------------------------------------------------------------------------

TRecordsStep::TRecordsStep(TUndoController &undo,
                           TVideoDatabase &db,
                           const QString &text,
                           TKind kind,
                           std::vector<TDBItem *> records,
                           QUndoCommand *parent)
    : QUndoCommand(text, parent)
    , m_undo(undo)
    , m_db(db)
    , m_kind(kind)
{
    const auto listed = [&](const TDBItem *record) {
        return std::find(records.begin(), records.end(), record) != records.end();
    };
    for (TDBItem *record : records) {
        if (record->Kind() == TRecordKind::Episode
            && listed(static_cast<const TEpisode *>(record)->Parent()))
            continue;
        m_records.push_back(record);
    }
    if (m_kind == TKind::Removed)
        TakeOut(true);
}

TRecordsStep::TRecordsStep(TUndoController &undo,
                           TVideoDatabase &db,
                           const QString &text,
                           std::vector<TVideoDatabase::TDetached> out,
                           QUndoCommand *parent)
    : QUndoCommand(text, parent)
    , m_undo(undo)
    , m_db(db)
    , m_kind(TKind::Removed)
    , m_out(std::move(out))
{
    for (const TVideoDatabase::TDetached &detached : m_out)
        m_records.push_back(detached.record.get());
}

TRecordsStep::~TRecordsStep()
{
    m_undo.BeginChange();
    for (TVideoDatabase::TDetached &out : m_out) {
        if (out.record)
            m_db.DropDetachedFiles(*out.record);
    }
    m_out.clear();
    m_undo.EndChange();
}

bool TRecordsStep::AddedOnly(const TDBItem *record) const
{
    return m_kind == TKind::Added && m_out.empty() && m_records.size() == 1
           && m_records.front() == record;
}

void TRecordsStep::undo()
{
    if (m_kind == TKind::Added)
        TakeOut(m_withdraw);
    else
        PutBack();
    if (m_withdraw)
        setObsolete(true);
}

void TRecordsStep::redo()
{
    if (m_done) {
        m_done = false;
        return;
    }
    if (m_kind == TKind::Added)
        PutBack();
    else
        TakeOut(false);
}

void TRecordsStep::TakeOut(bool quietly)
{
    m_undo.BeginChange();
    if (!quietly)
        m_undo.ReleaseRecords(m_records);
    for (TDBItem *record : m_records) {
        TVideoDatabase::TDetached out = m_db.DetachRecord(record);
        if (out.record)
            m_out.push_back(std::move(out));
    }
    m_undo.EndChange();
    if (!quietly)
        m_undo.FocusAfter(nullptr);
}

void TRecordsStep::PutBack()
{
    m_undo.BeginChange();
    TDBItem *first = nullptr;
    for (auto it = m_out.rbegin(); it != m_out.rend(); ++it) {
        TDBItem *record = m_db.AttachRecord(std::move(*it));
        first = record ? record : first;
    }
    m_out.clear();
    m_undo.EndChange();
    m_undo.FocusAfter(first);
}
