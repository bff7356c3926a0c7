#include "host/importexport.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSet>

#include "catalog/actor.h"
#include "catalog/daycount.h"
#include "catalog/episode.h"
#include "catalog/image.h"
#include "catalog/movie.h"
#include "catalog/moviefields.h"
#include "catalog/personfields.h"
#include "catalog/textutils.h"
#include "catalog/videodatabase.h"
#include "host/pluginlibrary.h"
#include "host/pngdecode.h"
#include "host/webmerge.h"
#include "host/webtext.h"

using namespace Qt::StringLiterals;

namespace {

// The fields' slots are in the field tables; the picture has two slots of its own, the last
// two of a person's record.
constexpr int SPictureFormat = 48;
constexpr int SPicture = 49;
static_assert(MovieSlotCount == RK_MOVIE_TEXT_SLOTS);
constexpr int HPictureFormat = PersonSlotCount - 2;
constexpr int HPicture = PersonSlotCount - 1;
static_assert(PersonSlotCount == RK_HUMAN_TEXT_SLOTS);

QString SlotText(const char16_t *const *cells, int index)
{
    return FromPluginWide(cells[index]);
}

bool AllEmpty(const char16_t *const *cells, int count)
{
    return std::all_of(cells, cells + count, [](const char16_t *text) { return !text || !*text; });
}

int IntOr(const QString &text, int fallback)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : fallback;
}

// Plug-ins write numbers with a point; a comma is taken too.
double FloatOr(const QString &text, double fallback)
{
    bool ok = false;
    const double value = QString(text).replace(u',', u'.').trimmed().toDouble(&ok);
    return ok && std::isfinite(value) ? value : fallback;
}

std::optional<bool> BoolText(const QString &text)
{
    const QString value = text.trimmed();
    bool ok = false;
    const int number = value.toInt(&ok);
    if (ok)
        return number != 0;
    if (value.compare(u"true", Qt::CaseInsensitive) == 0)
        return true;
    if (value.compare(u"false", Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

// Dates travel as ISO dates ("2024-05-31"); the locale's short form is read too.
std::optional<double> DateText(const QString &text)
{
    const QString value = text.trimmed();
    if (value.isEmpty())
        return std::nullopt;
    QDate date = QDate::fromString(value, Qt::ISODate);
    if (!date.isValid())
        date = QLocale::system().toDate(value, QLocale::ShortFormat);
    if (!date.isValid())
        return std::nullopt;
    return DateToDays(date);
}

std::optional<double> DateTimeText(const QString &text)
{
    const QString value = text.trimmed();
    QDateTime moment = QDateTime::fromString(value, Qt::ISODate);
    if (!moment.isValid())
        moment = QDateTime::fromString(QString(value).replace(u' ', u'T'), Qt::ISODate);
    if (moment.isValid())
        return DateTimeToDays(moment);
    return DateText(value);
}

// A running time: "h:mm[:ss]", whole minutes, or a day fraction.
double LengthText(const QString &text)
{
    const QString value = text.trimmed();
    if (value.contains(u':')) {
        const QStringList parts = value.split(u':');
        bool okH = false, okM = false, okS = true;
        const int hours = parts.value(0).toInt(&okH);
        const int minutes = parts.value(1).toInt(&okM);
        const int seconds = parts.size() > 2 ? parts.value(2).toInt(&okS) : 0;
        if (okH && okM && okS && hours >= 0 && minutes >= 0 && seconds >= 0)
            return std::fmod((hours * 3600.0 + minutes * 60.0 + seconds) / 86400.0, 1.0);
        return 0;
    }
    bool ok = false;
    const int minutes = value.toInt(&ok);
    if (ok)
        return MinutesToTime(minutes);
    return FloatOr(value, 0);
}

// The picture of a text record: Base64 of a JPEG (format empty or 2) or BMP (1) file.
// PNG pictures, common in other programs' catalogs, are kept as JPEG.
TImage PictureText(const QString &format, const QString &base64, TImageFormat &kind)
{
    const QString f = format.trimmed();
    if (!f.isEmpty() && f != u"1" && f != u"2")
        return {};
    const QByteArray bytes = QByteArray::fromBase64(base64.toLatin1());
    if (bytes.isEmpty())
        return {};
    if (IsPng(bytes)) {
        TImage image = DecodePng(bytes);
        kind = TImageFormat::Jpeg;
        return image;
    }
    kind = f == u"1" ? TImageFormat::Bmp : TImageFormat::Jpeg;
    return TImage::Decode(bytes, kind);
}

bool HasPicture(const TDBItem &record)
{
    if (!record.PictureBytes().isEmpty())
        return true;
    const QString file = record.PictureFile();
    return !file.isEmpty() && QFileInfo(file).isFile();
}

// One import at a time: the callbacks of the plug-in carry nothing but the record.
struct TImportContext
{
    TVideoDatabase &db;
    IImportExportUi &ui;
    const TImportOptions &options;
    TImportSummary &summary;
    std::optional<TDuplicateAnswer> kept;
    bool cancelled = false;
};

TImportContext *g_import = nullptr;

class TActiveImport
{
public:
    explicit TActiveImport(TImportContext &context)
        : m_previous(std::exchange(g_import, &context))
    {}
    ~TActiveImport() { g_import = m_previous; }
    TActiveImport(const TActiveImport &) = delete;
    TActiveImport &operator=(const TActiveImport &) = delete;

private:
    TImportContext *m_previous;
};

TImportSummary::TCounts &CountsOf(TImportContext &context, TRecordKind kind)
{
    return kind == TRecordKind::Person ? context.summary.people : context.summary.movies;
}

// The record to write into, or nullptr to skip: asks about duplicates. `existed` tells a
// record that was in the catalog from a new one.
TDBItem *ChooseTarget(TImportContext &context,
                      TRecordKind kind,
                      const QString &text1,
                      const QString &text2,
                      bool &merge,
                      bool &existed)
{
    merge = false;
    existed = false;
    TDBItem *existing =
        context.db.FindDuplicate(text1, text2, nullptr, kind == TRecordKind::Person ? 1 : 0);
    if (!existing)
        return context.ui.CreateRecord(context.db, kind);
    // A kept answer goes without the dialog, so the wait window stays up.
    TDuplicateAnswer answer;
    if (context.kept) {
        answer = *context.kept;
    } else {
        context.ui.HideWait();
        answer = context.ui.AskDuplicate(kind, text1, text2);
        context.ui.ShowWait(false);
    }
    context.kept = answer.doNotShowAgain ? std::optional(answer) : std::nullopt;
    switch (answer.choice) {
    case TDuplicateChoice::Merge:
        merge = true;
        existed = true;
        return existing;
    case TDuplicateChoice::Overwrite:
        existed = true;
        return existing;
    case TDuplicateChoice::Add:
        return context.ui.CreateRecord(context.db, kind);
    case TDuplicateChoice::Skip:
        return nullptr;
    case TDuplicateChoice::Cancel:
        context.cancelled = true;
        context.summary.cancelled = true;
        return nullptr;
    }
    return nullptr;
}

// ChooseTarget, counted for the summary.
TDBItem *ImportTarget(TImportContext &context,
                      TRecordKind kind,
                      const QString &text1,
                      const QString &text2,
                      bool &merge)
{
    bool existed = false;
    TDBItem *target = ChooseTarget(context, kind, text1, text2, merge, existed);
    TImportSummary::TCounts &counts = CountsOf(context, kind);
    if (!target) {
        ++counts.skipped;
        return nullptr;
    }
    ++(existed ? counts.merged : counts.added);
    TDBItem *&first =
        kind == TRecordKind::Person ? context.summary.firstPerson : context.summary.firstMovie;
    if (!first)
        first = target;
    return target;
}

// The general rule for one slot: written unless merging into a field that is set. Seen and
// wished ignore the merge mode, and an empty flag slot leaves the flag alone. Dates travel
// as day counts, sizes in megabytes.
template <typename TInfo, typename TRecord>
void ImportValue(const TInfo &field, TRecord &record, const QString &text, bool merge)
{
    if (field.Type == TFieldType::Flag) {
        if (const std::optional<bool> flag = BoolText(text))
            field.SetValue(record, *flag);
        return;
    }
    const QVariant current = field.Value(record);
    const bool set =
        field.Type == TFieldType::Text ? !current.toString().isEmpty() : current.toDouble() != 0;
    if (merge && set)
        return;
    switch (field.Type) {
    case TFieldType::Text:
        field.SetValue(record, text);
        break;
    case TFieldType::Int:
        field.SetValue(record, IntOr(text, 0));
        break;
    case TFieldType::BigInt:
        field.SetValue(record, std::max<qint64>(SizeInMegabytes(text), 0));
        break;
    case TFieldType::Rating:
    case TFieldType::Float:
    case TFieldType::Date:
        field.SetValue(record, FloatOr(text, 0));
        break;
    case TFieldType::Time:
        field.SetValue(record, LengthText(text));
        break;
    case TFieldType::Flag:
        break;
    }
}

void WritePicture(TImportContext &context,
                  TDBItem &target,
                  bool merge,
                  const QString &format,
                  const QString &base64)
{
    if (base64.trimmed().isEmpty() || (merge && HasPicture(target)))
        return;
    TImageFormat kind = TImageFormat::Jpeg;
    const TImage image = PictureText(format, base64, kind);
    if (image.IsNull())
        return;
    target.SetPicture(&image, kind, {}, context.options.externalPosters ? CoverFile : int(kind));
}

void RK_PLUGIN_CALL AddMovieProc(const TMovieTextRec *record)
{
    TImportContext *context = g_import;
    if (!context || !record || AllEmpty(record->Slots, RK_MOVIE_TEXT_SLOTS))
        return;
    context->ui.ProcessEvents();
    if (context->cancelled || context->ui.CancelRequested()) {
        context->cancelled = context->summary.cancelled = true;
        ++context->summary.movies.skipped;
        return;
    }
    const char16_t *const *cells = record->Slots;
    auto text = [&](int slot) { return SlotText(cells, slot); };
    bool merge = false;
    TDBItem *item = ImportTarget(*context,
                                 TRecordKind::Movie,
                                 text(MovieField(TMovieField::Title).Slot),
                                 text(MovieField(TMovieField::Origtitle).Slot),
                                 merge);
    if (!item)
        return;
    auto &movie = static_cast<TMovie &>(*item);
    using F = TMovieField;
    // The ID first: it places the movie, and a loan made below is reported with it.
    if (!merge || movie.Num() == -1)
        movie.SetNum(IntOr(text(MovieField(F::Num).Slot), -1));
    for (const TMovieFieldInfo &field : MovieFields()) {
        if (field.Slot < 0)
            continue;
        const QString value = text(field.Slot);
        switch (field.Id) {
        case F::Num:
            break;
        case F::Title:
        case F::Origtitle:
            field.SetValue(movie, value);
            break;
        case F::Dateadded:
            if (!merge) {
                // The clock only when the slot has no date: each reading looks up the time zone.
                const std::optional<double> added = DateTimeText(value);
                movie.SetDateadded(added ? *added : NowDays());
            }
            break;
        case F::Loan:
            if (!merge || movie.Loan().isEmpty()) {
                if (value.isEmpty())
                    movie.ReturnLoan();
                else
                    movie.Lend(value);
            }
            break;
        case F::Viewdate:
        case F::Loandate:
            // An empty date slot says nothing: no date is made up for it.
            if (!merge && !value.trimmed().isEmpty())
                field.SetValue(movie, DateText(value).value_or(std::floor(NowDays())));
            break;
        case F::Music:
        case F::Tags:
        case F::Awards:
        case F::Links:
            // An export writes these slots; an import does not read them.
            break;
        case F::Videobitrate:
        case F::Audiobitrate:
            // "1500 kbps" and the like.
            if (!merge || field.Value(movie).toInt() == 0)
                field.SetValue(movie, LeadingInteger(value));
            break;
        default:
            ImportValue(field, movie, value, merge);
            break;
        }
    }
    // After the title, which names a picture kept as a file.
    WritePicture(*context, movie, merge, text(SPictureFormat), text(SPicture));
    if (context->options.autoAddPeople)
        AddPeopleNamedIn(context->db, movie, context->options.transNames);
}

void RK_PLUGIN_CALL AddHumanProc(const THumanTextRec *record)
{
    TImportContext *context = g_import;
    if (!context || !record || AllEmpty(record->Slots, RK_HUMAN_TEXT_SLOTS))
        return;
    context->ui.ProcessEvents();
    if (context->cancelled || context->ui.CancelRequested()) {
        context->cancelled = context->summary.cancelled = true;
        ++context->summary.people.skipped;
        return;
    }
    auto text = [&](int slot) { return SlotText(record->Slots, slot); };
    bool merge = false;
    TDBItem *item = ImportTarget(*context,
                                 TRecordKind::Person,
                                 text(PersonField(TPersonField::Name).Slot),
                                 text(PersonField(TPersonField::Transname).Slot),
                                 merge);
    if (!item)
        return;
    auto &person = static_cast<TActor &>(*item);
    for (const TPersonFieldInfo &field : PersonFields()) {
        if (field.Slot < 0)
            continue;
        const QString value = text(field.Slot);
        // The names are the record's identity: always written.
        if (field.Id == TPersonField::Name || field.Id == TPersonField::Transname)
            field.SetValue(person, value);
        else
            ImportValue(field, person, value, merge);
    }
    WritePicture(*context, person, merge, text(HPictureFormat), text(HPicture));
}

// Export text forms.
QString NumberText(double value)
{
    return QString::number(value, 'g', 15);
}

QString ShortDateText(double days)
{
    return days == 0 ? QString() : DaysToDateTime(days).date().toString(Qt::ISODate);
}

QString LongTimeText(double length)
{
    const qint64 seconds = std::llround(std::fmod(std::fabs(length), 1.0) * 86400.0);
    return u"%1:%2:%3"_s.arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QChar(u'0'))
        .arg(seconds % 60, 2, 10, QChar(u'0'));
}

QString FlagText(bool value)
{
    return value ? u"-1"_s : u"0"_s;
}

// The picture as a format number and Base64 text, or "0" and empty text.
std::pair<QString, QString> PictureSlots(const TDBItem &record, bool wanted)
{
    if (wanted) {
        QByteArray bytes = record.PictureBytes();
        int format = record.Coverformat();
        const QString file = record.PictureFile();
        if (bytes.isEmpty() && !file.isEmpty()) {
            QFile picture(file);
            if (picture.open(QIODevice::ReadOnly))
                bytes = picture.readAll();
            format = file.endsWith(u".bmp"_s, Qt::CaseInsensitive) ? CoverBmp : CoverJpeg;
        }
        if (!bytes.isEmpty())
            return {QString::number(format), QString::fromLatin1(bytes.toBase64())};
    }
    return {u"0"_s, QString()};
}

// The strings of one text record, kept alive for the length of the export call.
template <int Count> class TTextRecord
{
public:
    void Set(int slot, QString text) { m_texts[slot] = std::move(text); }
    template <typename Rec> void Fill(Rec &record) const
    {
        for (int i = 0; i < Count; ++i)
            record.Slots[i] = reinterpret_cast<const char16_t *>(m_texts[i].utf16());
    }

private:
    QString m_texts[Count];
};

// A field's text in a text record: numbers with a point, the date added as an ISO date,
// other dates as day counts, flags as -1 and 0.
template <typename TInfo, typename TRecord>
QString ExportText(const TInfo &field, const TRecord &record)
{
    const QVariant value = field.Value(record);
    switch (field.Type) {
    case TFieldType::Text:
        return value.toString();
    case TFieldType::Int:
    case TFieldType::BigInt:
        return QString::number(value.toLongLong());
    case TFieldType::Rating:
    case TFieldType::Float:
        return NumberText(value.toDouble());
    case TFieldType::Date:
        if constexpr (std::is_same_v<TInfo, TMovieFieldInfo>) {
            if (field.Id == TMovieField::Dateadded)
                return ShortDateText(value.toDouble());
        }
        return NumberText(value.toDouble());
    case TFieldType::Time:
        return LongTimeText(value.toDouble());
    case TFieldType::Flag:
        return FlagText(value.toBool());
    }
    return {};
}

void BuildMovieRecord(const TBaseMovie &m, bool pictures, TTextRecord<RK_MOVIE_TEXT_SLOTS> &out)
{
    for (const TMovieFieldInfo &field : MovieFields()) {
        if (field.Slot >= 0)
            out.Set(field.Slot, ExportText(field, m));
    }
    auto [format, picture] = PictureSlots(m, pictures);
    out.Set(SPictureFormat, format);
    out.Set(SPicture, picture);
}

void BuildHumanRecord(const TActor &p, bool pictures, TTextRecord<RK_HUMAN_TEXT_SLOTS> &out)
{
    for (const TPersonFieldInfo &field : PersonFields()) {
        if (field.Slot >= 0)
            out.Set(field.Slot, ExportText(field, p));
    }
    auto [format, picture] = PictureSlots(p, pictures);
    out.Set(HPictureFormat, format);
    out.Set(HPicture, picture);
}

int Sign(double value)
{
    return value > 0 ? 1 : value < 0 ? -1 : 0;
}

// Ratings compare by ten times their difference, rounded up.
int RatingOrder(double a, double b)
{
    return Sign(std::ceil((a - b) * 10));
}

int DayOrder(double a, double b)
{
    return Sign(std::trunc(a) - std::trunc(b));
}

// The order a plug-in asks for by a slot number; other slots order by title.
int CompareMovies(const TBaseMovie &a, const TBaseMovie &b, int slot)
{
    using F = TMovieField;
    const TMovieFieldInfo *field = MovieFieldOfSlot(slot);
    const F id = field ? field->Id : F::Title;
    const auto number = [&](const TBaseMovie &movie) { return field->Value(movie).toDouble(); };
    switch (id) {
    case F::Num:
    case F::Year:
        return Sign(number(a) - number(b));
    case F::Origtitle:
        return NaturalCompare(a.Origtitle(), b.Origtitle());
    case F::Imdbrating:
    case F::Orating:
    case F::Rating:
        return RatingOrder(number(a), number(b));
    case F::Dateadded:
    case F::Viewdate:
        return DayOrder(number(a), number(b));
    default:
        return NaturalCompare(a.DisplayTitle(), b.DisplayTitle());
    }
}

int ComparePeople(const TActor &a, const TActor &b, int slot)
{
    using F = TPersonField;
    const TPersonFieldInfo *field = PersonFieldOfSlot(slot);
    const F id = field ? field->Id : F::Name;
    switch (id) {
    case F::Transname:
    case F::Altnames:
    case F::Birthplace:
    case F::Genre:
    case F::Category:
        return field->Value(a).toString().compare(field->Value(b).toString());
    case F::Birthday:
        return DayOrder(a.Birthday(), b.Birthday());
    case F::Rating:
        return RatingOrder(a.Rating(), b.Rating());
    default:
        return a.Name().compare(b.Name());
    }
}

} // namespace

TDBItem *IImportExportUi::CreateRecord(TVideoDatabase &db, TRecordKind kind)
{
    return db.AddRecord(kind == TRecordKind::Person ? 1 : 0, {}, true);
}

void AddPeopleNamedIn(TVideoDatabase &db, const TBaseMovie &movie, bool transNames)
{
    for (const QString *names : {&movie.Director(),
                                 &movie.Producer(),
                                 &movie.Scenario(),
                                 &movie.Music(),
                                 &movie.Actors()}) {
        for (const QString &name : SplitList(*names)) {
            // The web merge's rule, so that both paths find the people either one added.
            if (!HasPerson(db, name, transNames))
                db.AddRecord(1, name);
        }
    }
}

Status RunImport(TVideoDatabase &db,
                 const QString &pluginPath,
                 IImportExportUi &ui,
                 const TImportOptions &options,
                 TImportSummary *summary)
{
    TImportSummary unused;
    TImportSummary &counted = summary ? *summary : unused;
    counted = TImportSummary();
    TPluginLibrary library(pluginPath);
    if (!library.IsLoaded())
        return Status::Failure(
            u"Cannot load the plug-in %1: %2"_s.arg(pluginPath, library.ErrorString()));
    ui.ShowWait(false);
    struct THide
    {
        IImportExportUi &ui;
        ~THide() { ui.HideWait(); }
    } hide{ui};
    const auto parse = library.Resolve<TParseImportFunc>("Parse");
    if (!parse)
        return Status::Failure(u"%1 is no import plug-in"_s.arg(pluginPath));
    QString fileName;
    if (const auto getFilter = library.Resolve<TGetFilterFunc>("GetFilter")) {
        const QString filter = FromPluginWide(getFilter(options.language));
        if (!filter.isEmpty()) {
            ui.HideWait();
            const std::optional<QString> chosen = ui.AskOpenFile(filter);
            if (!chosen)
                return {};
            fileName = *chosen;
        }
    }
    // A file the plug-in cannot read would import nothing without a word.
    if (const auto check = library.Resolve<TCheckImportFileFunc>("CheckImportFile")) {
        const QString problem = FromPluginWide(
            check(reinterpret_cast<const char16_t *>(fileName.utf16()), options.language));
        if (!problem.isEmpty())
            return Status::Failure(problem);
    }
    TImportContext context{db, ui, options, counted, std::nullopt, false};
    counted.ran = true;
    ui.ShowWait(false);
    ui.ProcessEvents();
    {
        TActiveImport active(context);
        ui.BeginListUpdate();
        struct TEnd
        {
            IImportExportUi &ui;
            ~TEnd() { ui.EndListUpdate(); }
        } end{ui};
        // The movies go in ID order once, before the lists are built: placing each one as
        // its ID arrives moved half the catalog per movie.
        struct TReorder
        {
            TVideoDatabase &db;
            const bool own = !db.ReorderSuspended();
            ~TReorder()
            {
                if (own)
                    db.SortById();
            }
        } reorder{db};
        if (reorder.own)
            db.SuspendReorder();
        parse(reinterpret_cast<const char16_t *>(fileName.utf16()), AddMovieProc, AddHumanProc);
    }
    if (const auto notes = library.Resolve<TGetImportNotesFunc>("GetImportNotes"))
        counted.notes = FromPluginWide(notes(options.language)).trimmed();
    return {};
}

namespace {

// What an export writes, in the order of the selection.
struct TExportSelection
{
    std::vector<TDBItem *> records;
    // Series whose episodes were selected without them: only those episodes go out.
    QHash<const TMovie *, std::vector<const TEpisode *>> onlyEpisodes;
};

// The selected records of the exported kind. Episodes selected without their series bring
// the series with only those episodes, since export formats place an episode after the
// movie it belongs to.
TExportSelection ChooseExported(const QList<TDBItem *> &records, bool people, IImportExportUi &ui)
{
    TExportSelection result;
    std::vector<TDBItem *> &chosen = result.records;
    auto &onlyEpisodes = result.onlyEpisodes;
    std::vector<TMovie *> series; // in the order of their first episode
    for (TDBItem *record : records) {
        ui.ProcessEvents();
        if (ui.CancelRequested())
            break;
        if (!record || (record->Kind() == TRecordKind::Person) != people)
            continue;
        if (record->Kind() != TRecordKind::Episode) {
            chosen.push_back(record);
            continue;
        }
        const auto *episode = static_cast<const TEpisode *>(record);
        if (!episode->Parent())
            continue;
        if (!onlyEpisodes.contains(episode->Parent()))
            series.push_back(episode->Parent());
        auto &picked = onlyEpisodes[episode->Parent()];
        if (std::find(picked.begin(), picked.end(), episode) == picked.end())
            picked.push_back(episode);
    }
    if (series.empty())
        return result;
    const QSet<const TDBItem *> selected(chosen.cbegin(), chosen.cend());
    for (TMovie *parent : series) {
        // A selected series exports all its episodes anyway.
        if (selected.contains(parent))
            onlyEpisodes.remove(parent);
        else
            chosen.push_back(parent);
    }
    return result;
}

// Writes a movie, then its episodes (or only the selected ones) by episode number.
template <typename F>
void ExportMovieWithEpisodes(const TMovie &movie,
                             const QHash<const TMovie *, std::vector<const TEpisode *>> &only,
                             F &&exportOne)
{
    exportOne(movie, false);
    std::vector<const TEpisode *> episodes;
    if (const auto picked = only.constFind(&movie); picked != only.cend()) {
        episodes = *picked;
    } else {
        for (int i = 0; i < movie.EpisodeCount(); ++i)
            episodes.push_back(movie.Episode(i));
    }
    std::stable_sort(episodes.begin(), episodes.end(), [](const TEpisode *a, const TEpisode *b) {
        return a->Epnum() < b->Epnum();
    });
    for (const TEpisode *episode : episodes)
        exportOne(*episode, true);
}

} // namespace

Status RunExport(const QString &pluginPath,
                 const QList<TDBItem *> &records,
                 bool people,
                 IImportExportUi &ui,
                 int language,
                 TExportOutcome *outcome)
{
    TExportOutcome unused;
    TExportOutcome &result = outcome ? *outcome : unused;
    result = TExportOutcome();
    TPluginLibrary library(pluginPath);
    if (!library.IsLoaded())
        return Status::Failure(
            u"Cannot load the plug-in %1: %2"_s.arg(pluginPath, library.ErrorString()));
    ui.ShowWait(true);
    struct THide
    {
        IImportExportUi &ui;
        ~THide() { ui.HideWait(); }
    } hide{ui};
    const auto beginExport = library.Resolve<TBeginExportFunc>("BeginExport");
    const auto endExport = library.Resolve<TEndExportFunc>("EndExport");
    const auto exportResult = library.Resolve<TExportResultFunc>("ExportResult");
    const auto exportMovie = library.Resolve<TExportMovieFunc>("ExportMovie");
    const auto exportHuman = library.Resolve<TExportHumanFunc>("ExportHuman");
    const auto needsPoster = library.Resolve<TNeedsPosterFunc>("NeedsPoster");
    const auto exportType = library.Resolve<TExportTypeFunc>("ExportType");
    const auto getFilter = library.Resolve<TGetFilterFunc>("GetFilter");
    if (!beginExport || !exportMovie || !exportType || (people && !exportHuman))
        return Status::Failure(
            u"%1 cannot export %2"_s.arg(pluginPath, people ? u"people"_s : u"movies"_s));
    const int32_t type = exportType(people ? 1 : 0);
    if (type == 0)
        return Status::Failure(
            u"%1 cannot export %2"_s.arg(pluginPath, people ? u"people"_s : u"movies"_s));
    const bool pictures = needsPoster && needsPoster(type) != 0;
    QString fileName;
    if (getFilter) {
        const QString filter = FromPluginWide(getFilter(language));
        if (!filter.isEmpty()) {
            ui.HideWait();
            const std::optional<QString> chosen = ui.AskSaveFile(filter);
            if (!chosen)
                return {};
            fileName = *chosen;
            result.fileName = fileName;
            ui.ShowWait(true);
        }
    }
    TExportSelection selection = ChooseExported(records, people, ui);
    std::vector<TDBItem *> &chosen = selection.records;
    if (chosen.empty())
        return {};
    // The plug-in may choose another order; by name or title unless it does.
    int32_t sortSlot =
        people ? PersonField(TPersonField::Name).Slot : MovieField(TMovieField::Title).Slot;
    uint8_t ascending = 1;
    if (beginExport(reinterpret_cast<const char16_t *>(fileName.utf16()),
                    int32_t(chosen.size()),
                    people ? 1 : 0,
                    &sortSlot,
                    &ascending)
        == 0) {
        // Without ExportResult a false answer may be a deliberate decline: stay silent.
        if (fileName.isEmpty() || !exportResult || exportResult() == 0)
            return {};
        result.refused = true;
        return Status::Failure(
            u"The export to %1 failed: the plug-in could not create the file"_s.arg(fileName));
    }
    std::stable_sort(chosen.begin(), chosen.end(), [&](TDBItem *a, TDBItem *b) {
        const int order =
            people ? ComparePeople(static_cast<TActor &>(*a), static_cast<TActor &>(*b), sortSlot)
                   : CompareMovies(
                       static_cast<TBaseMovie &>(*a), static_cast<TBaseMovie &>(*b), sortSlot);
        return ascending ? order < 0 : order > 0;
    });
    // A cancel stops the records and skips EndExport, so the plug-in can drop what it wrote.
    // A refused record stops them too, but EndExport runs: the plug-in discards its file.
    bool cancelled = false;
    QString refusedTitle;
    const auto stop = [&] {
        return cancelled || result.refused || (cancelled = ui.CancelRequested());
    };
    const auto took = [&](int32_t answer, const QString &title) {
        if (answer != 0) {
            ++result.written;
        } else {
            result.refused = true;
            refusedTitle = title;
        }
    };
    for (TDBItem *record : chosen) {
        if (stop())
            break;
        if (people) {
            const auto &person = static_cast<TActor &>(*record);
            TTextRecord<RK_HUMAN_TEXT_SLOTS> texts;
            BuildHumanRecord(person, pictures, texts);
            THumanTextRec rec;
            texts.Fill(rec);
            took(exportHuman(&rec), person.Name());
            ui.ProcessEvents();
        } else {
            ExportMovieWithEpisodes(static_cast<TMovie &>(*record),
                                    selection.onlyEpisodes,
                                    [&](const TBaseMovie &movie, bool episode) {
                                        if (stop())
                                            return;
                                        TTextRecord<RK_MOVIE_TEXT_SLOTS> texts;
                                        BuildMovieRecord(movie, pictures, texts);
                                        TMovieTextRec rec;
                                        texts.Fill(rec);
                                        took(exportMovie(&rec, episode ? -1 : 0), movie.Title());
                                        ui.ProcessEvents();
                                    });
        }
    }
    const bool finished = !cancelled && (result.refused || !ui.CancelRequested());
    if (endExport && finished)
        endExport();
    // Plug-ins buffer their writes, so a small export may only fail when EndExport saves it.
    if (finished && !result.refused && exportResult && exportResult() != 0) {
        result.refused = true;
        return Status::Failure(
            u"The export to %1 failed: the plug-in could not save the file"_s.arg(
                fileName.isEmpty() ? pluginPath : fileName));
    }
    if (result.refused) {
        return Status::Failure(
            u"The export to %1 failed at record %2 (%3): the plug-in could not write it"_s.arg(
                fileName.isEmpty() ? pluginPath : fileName,
                QString::number(result.written + 1),
                refusedTitle));
    }
    return {};
}
