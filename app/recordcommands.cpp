// The record commands: new, clear, delete, duplicate, episodes, IDs, seen, bookmarks,
// playing files and the cards' links.
#include "app/recordcommands.h"

#include <utility>

#include <QDir>
#include <QFile>

#include "app/cardedit.h"
#include "app/catalogview.h"
#include "app/commandhost.h"
#include "app/grouping.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/recorddialogs.h"
#include "app/undocontroller.h"
#include "catalog/actor.h"
#include "catalog/daycount.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/textutils.h"
#include "catalog/videodatabase.h"
#include "logic/settings.h"

using namespace Qt::StringLiterals;

namespace {

std::optional<int> ParseWhole(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

TRecordCommands::TRecordCommands(ICommandHost &host, const TSettings &settings)
    : m_host(host)
    , m_settings(settings)
    , m_episodeCopy(settings.CopyDataToNewEpisode)
{}

TRecordCommands::TFocusRequest TRecordCommands::TakeFocusRequest()
{
    return std::exchange(m_focusRequest, TFocusRequest());
}

TRecordCommands::TNewRecord TRecordCommands::TakeNewRecord()
{
    return std::exchange(m_newRecord, TNewRecord());
}

// ----- new -----------------------------------------------------------------------------------

TDBItem *TRecordCommands::CreateRecord(int kind)
{
    if (!m_host.Database())
        return nullptr;
    // Worked out before the new movie (ID -1) becomes the first one.
    const bool autoId = kind == 0 && m_settings.DoAutoID;
    const int nextId = autoId && m_settings.AutoIndexMode < 2
                           ? m_host.Database()->NextId(m_settings.AutoIndexMode)
                           : -1;
    TDBItem *record = m_host.Database()->AddRecord(kind, QString(), true);
    if (!record || !autoId)
        return record;
    auto *movie = static_cast<TMovie *>(record);
    if (m_settings.AutoIndexMode < 2) {
        movie->SetNum(nextId);
    } else if (const std::optional<QString> typed =
                   m_host.Dialogs().AskText(m_host.Window(),
                                            m_host.Text(1804, u"Movie ID"_s),
                                            m_host.Text(1859, u"ID:"_s),
                                            QString())) {
        movie->SetNum(ParseWhole(*typed).value_or(-1));
    }
    return record;
}

void TRecordCommands::FocusNewRecord(TDBItem *record)
{
    if (!record || !record->Shown())
        return;
    m_focusRequest = TFocusRequest{true, true};
    TCatalogList *list = record->Kind() == TRecordKind::Person
                             ? m_host.Lists(TRecordKind::Person).List()
                             : m_host.Lists(TRecordKind::Movie).List();
    list->clearSelection();
    list->SelectRecord(record);
}

void TRecordCommands::NewRecord()
{
    if (m_host.ReadOnly() || !m_host.Database())
        return;
    m_newRecord.modifiedBefore = m_host.Database()->Modified();
    // The new record's own fields are part of the step that adds it.
    TUndoScope making(m_host.Undo(), {});
    m_newRecord.record = CreateRecord(m_host.PeopleMode() ? 1 : 0);
    making.Drop();
    if (m_newRecord.record && m_host.Undo())
        m_host.Undo()->PushAdded(StepName(120, u"&New"_s), {m_newRecord.record});
    FocusNewRecord(m_newRecord.record);
}

// ----- clear, delete, duplicate ------------------------------------------------------------

void TRecordCommands::ClearRecord()
{
    TDBItem *record = m_host.Shown().Current();
    if (!record || m_host.ReadOnly())
        return;
    if (m_settings.ClearMovieConfirm
        && !m_host.Dialogs().AskYesNo(
            m_host.Window(),
            m_host.Text(1803, u"Confirmation"_s),
            m_host.Text(1809, u"Clear all fields of the current record?"_s))) {
        return;
    }
    TUndoScope step(m_host.Undo(), m_host.Text(4263, u"Clear"_s));
    step.TouchPictures(record);
    record->Clear();
    m_host.Edit().ShowCurrent();
    m_host.Shown().Model()->RecordChanged(record);
}

bool TRecordCommands::DeleteMovieFiles(TBaseMovie &movie, TFileDecision &decision)
{
    bool removed = false;
    if (!m_settings.DeleteMovieFiles || decision == TFileDecision::NoToAll)
        return removed;
    for (const QString &entry : SplitAt(movie.Path(), u'|')) {
        const QString file = entry.trimmed();
        if (file.isEmpty() || !FileExistsQuiet(file))
            continue;
        if (decision != TFileDecision::YesToAll) {
            decision = m_host.Dialogs().AskDeleteFile(
                m_host.Window(),
                u"Confirmation"_s,
                m_host.Text(1813, u"Delete the file %1?"_s).arg(QDir::toNativeSeparators(file)));
        }
        if (decision == TFileDecision::No || decision == TFileDecision::NoToAll)
            break;
        QFile doomed(file);
        if (doomed.remove())
            removed = true;
        else
            m_host.Dialogs().ShowError(
                m_host.Window(), m_host.Text(1802, u"Error"_s), doomed.errorString());
    }
    // Only the "to all" answers carry over to the next record.
    if (decision != TFileDecision::YesToAll && decision != TFileDecision::NoToAll)
        decision = TFileDecision::Yes;
    return removed;
}

void TRecordCommands::DeleteRecords()
{
    if (!m_host.Shown().Current() || m_host.ReadOnly() || !m_host.Database())
        return;
    if (m_settings.DeleteMovieConfirm
        && !m_host.Dialogs().AskYesNo(m_host.Window(),
                                      m_host.Text(1803, u"Confirmation"_s),
                                      m_host.Text(1811, u"Delete the current record?"_s))) {
        return;
    }
    // Yes here stands for "ask".
    TFileDecision decision =
        m_settings.DeleteMovieFilesConfirm ? TFileDecision::Yes : TFileDecision::YesToAll;
    TCatalogList *list = m_host.Shown().List();
    TListModel *model = list->Model();
    if (m_host.Edit().EditState() == TEditState::Editing)
        list->CloseCellEditor(false);
    m_host.Edit().ResetEditState(TEditState::None);
    m_host.Shown().SetCurrent(nullptr);
    m_host.Edit().ShowCurrent();

    QList<TDBItem *> records;
    QList<TViewNode *> nodes;
    for (TViewNode *node : m_host.Shown().SelectedNodes()) {
        if (node->IsGroup())
            break;
        nodes.append(node);
        if (!records.contains(node->record))
            records.append(node->record);
    }
    // The row above the deleted block keeps the focus, not the row above its last row.
    TViewNode *focusNext =
        list->RowAfterDelete(nodes, QSet<const TDBItem *>(records.cbegin(), records.cend()));
    if (TUndoController *undo = m_host.Undo(); undo && undo->Catalog()) {
        // The records leave whole, kept by the undo step; files the user chose to delete
        // cannot come back, so the history cannot bring their records back either.
        bool filesRemoved = false;
        std::vector<TDBItem *> doomed;
        for (TDBItem *record : std::as_const(records)) {
            const bool withMovie = record->Kind() == TRecordKind::Episode
                                   && records.contains(static_cast<TEpisode *>(record)->Parent());
            if (withMovie)
                continue;
            doomed.push_back(record);
            if (record->Kind() == TRecordKind::Person)
                continue;
            filesRemoved |= DeleteMovieFiles(*static_cast<TBaseMovie *>(record), decision);
            if (record->Kind() == TRecordKind::Movie) {
                auto *series = static_cast<TMovie *>(record);
                for (int e = series->EpisodeCount() - 1; e >= 0; --e)
                    filesRemoved |= DeleteMovieFiles(*series->Episode(e), decision);
            }
        }
        undo->RemoveRecords(StepName(125, u"&Delete"_s), doomed);
        if (filesRemoved) {
            undo->Clear();
            m_host.ShowStatusText(
                m_host.Text(4264, u"The movie files were deleted: the undo history was cleared"_s));
        }
        records.clear();
    }
    for (TDBItem *record : std::as_const(records)) {
        // An episode may already be gone with its movie.
        if (record->Kind() == TRecordKind::Episode) {
            bool alive = false;
            for (int i = 0; i < m_host.Database()->MovieCount() && !alive; ++i) {
                TMovie *movie = m_host.Database()->Movie(i);
                for (int e = 0; e < movie->EpisodeCount() && !alive; ++e)
                    alive = movie->Episode(e) == record;
            }
            if (!alive)
                continue;
        }
        if (record->Kind() == TRecordKind::Person) {
            m_host.Database()->DeleteRecord(record);
            continue;
        }
        auto *movie = static_cast<TBaseMovie *>(record);
        DeleteMovieFiles(*movie, decision);
        if (record->Kind() == TRecordKind::Movie) {
            auto *series = static_cast<TMovie *>(record);
            for (int e = series->EpisodeCount() - 1; e >= 0; --e) {
                TEpisode *episode = series->Episode(e);
                DeleteMovieFiles(*episode, decision);
                m_host.Database()->DeleteRecord(episode);
            }
        }
        m_host.Database()->DeleteRecord(record);
    }
    if (!list->FocusNode(focusNext)) {
        if (model->rowCount() > 0)
            list->SelectFirst();
        else
            m_host.Edit().SetEditState(TEditState::Empty);
    }
    m_host.CommandUpdate();
}

void TRecordCommands::DuplicateRecord()
{
    TDBItem *current = m_host.Shown().Current();
    if (!current || m_host.ReadOnly())
        return;
    // The copy takes what the card holds, not what was stored before.
    if (m_host.Edit().EditState() == TEditState::Editing)
        m_host.Edit().ApplyEdits();
    TDBItem *copy = nullptr;
    TUndoScope making(m_host.Undo(), {});
    if (current->Kind() == TRecordKind::Episode) {
        auto *episode = static_cast<TEpisode *>(current);
        TMovie *movie = episode->Parent();
        const int number = movie->MaxEpisodeNumber() + 1;
        TEpisode *added = movie->AddEpisode();
        added->Assign(*episode);
        added->SetEpnum(number);
        copy = added;
    } else {
        copy = CreateRecord(current->Kind() == TRecordKind::Person ? 1 : 0);
        if (copy)
            copy->Assign(*current);
    }
    making.Drop();
    if (copy && m_host.Undo())
        m_host.Undo()->PushAdded(StepName(126, u"Du&plicate"_s), {copy});
    m_host.Shown().Model()->Resort();
    FocusNewRecord(copy);
}

// ----- episodes and IDs ----------------------------------------------------------------------

void TRecordCommands::NewEpisode()
{
    TDBItem *current = m_host.Lists(TRecordKind::Movie).Current();
    if (!current || m_host.ReadOnly() || m_host.PeopleMode())
        return;
    TMovie *movie = current->Kind() == TRecordKind::Movie
                        ? static_cast<TMovie *>(current)
                        : static_cast<TEpisode *>(current)->Parent();
    if (!movie)
        return;
    const int proposal = movie->MaxEpisodeNumber() + 1;
    int number = proposal;
    bool copy = m_settings.CopyDataToNewEpisode;
    if (m_settings.NewEpisodeDlg) {
        const std::optional<TNewEpisodeAnswer> answer =
            m_host.Dialogs().AskNewEpisode(m_host.Window(), proposal, m_episodeCopy);
        if (!answer)
            return;
        number = answer->Number;
        copy = answer->CopyMovieData;
        m_episodeCopy = copy;
    }
    TUndoScope making(m_host.Undo(), {});
    TEpisode *episode = movie->AddEpisode();
    episode->SetDateadded(NowDays());
    episode->SetEpnum(number);
    if (copy) {
        episode->Assign(*movie);
        episode->SetTitle(QString());
        episode->SetOrigtitle(QString());
    }
    making.Drop();
    if (m_host.Undo())
        m_host.Undo()->PushAdded(StepName(127, u"New &Epi&sode"_s), {episode});
    m_host.Lists(TRecordKind::Movie).Model()->Resort();
    FocusNewRecord(episode);
}

void TRecordCommands::SetRecordId()
{
    TDBItem *current = m_host.Lists(TRecordKind::Movie).Current();
    if (!current || m_host.ReadOnly() || m_host.PeopleMode())
        return;
    auto *movie = static_cast<TBaseMovie *>(current);
    const std::optional<QString> typed = m_host.Dialogs().AskText(m_host.Window(),
                                                                  m_host.Text(1804, u"Movie ID"_s),
                                                                  m_host.Text(1859, u"ID:"_s),
                                                                  QString::number(movie->Num()));
    if (!typed)
        return;
    TUndoScope step(m_host.Undo(), StepName(128, u"Set &ID"_s));
    step.Touch(movie);
    movie->SetNum(ParseWhole(*typed).value_or(-1));
    m_host.Lists(TRecordKind::Movie).Model()->RecordChanged(movie);
    m_host.Lists(TRecordKind::Movie).Model()->Resort();
    m_host.Edit().ShowCurrent();
}

void TRecordCommands::SetEpisodeNumber()
{
    TDBItem *current = m_host.Lists(TRecordKind::Movie).Current();
    if (!current || m_host.ReadOnly() || m_host.PeopleMode()
        || current->Kind() != TRecordKind::Episode)
        return;
    auto *episode = static_cast<TEpisode *>(current);
    const std::optional<QString> typed =
        m_host.Dialogs().AskText(m_host.Window(),
                                 m_host.Text(1805, u"Episode Number"_s),
                                 m_host.Text(1860, u"Episode number:"_s),
                                 QString::number(episode->Epnum()));
    if (!typed)
        return;
    const std::optional<int> number = ParseWhole(*typed);
    if (!number) {
        m_host.Dialogs().ShowError(
            m_host.Window(),
            m_host.Text(1802, u"Error"_s),
            m_host.Text(1866, u"The episode number must be a whole number."_s));
        return;
    }
    TUndoScope step(m_host.Undo(), StepName(129, u"Set Episode Number"_s));
    step.Touch(episode);
    episode->SetEpnum(*number);
    m_host.Lists(TRecordKind::Movie).Model()->RecordChanged(episode);
    m_host.Lists(TRecordKind::Movie).Model()->Resort();
    m_host.Edit().ShowCurrent();
}

void TRecordCommands::SetIdsOfSelection()
{
    if (m_host.ReadOnly() || m_host.PeopleMode() || !m_host.Database())
        return;
    const QList<TDBItem *> records = m_host.Shown().SelectedRecordsBelowGroups();
    if (records.isEmpty())
        return;
    const std::optional<TIdSeries> series =
        m_host.Dialogs().AskIdSeries(m_host.Window(), m_idSeries);
    if (!series)
        return;
    m_idSeries = *series;
    // The renumbering is one step.
    TUndoScope step(m_host.Undo(), StepName(130, u"Set &IDs for selected movies"_s));
    step.TouchAll(records);
    m_host.Database()->SuspendReorder();
    qint64 next = series->Start;
    for (TDBItem *record : records) {
        if (record->Kind() == TRecordKind::Person)
            continue;
        const int id = int(std::clamp<qint64>(next, INT_MIN, INT_MAX));
        static_cast<TBaseMovie *>(record)->SetNum(id);
        next += series->Increment;
    }
    m_host.Database()->SortById();
    m_host.Lists(TRecordKind::Movie).Model()->Resort();
    m_host.RepaintLists();
    m_host.Edit().ShowCurrent();
}

// ----- seen and bookmarks --------------------------------------------------------------------

void TRecordCommands::SetSeen(bool viewed, double when)
{
    if (m_host.ReadOnly() || m_host.PeopleMode())
        return;
    TUndoScope step(m_host.Undo(), m_host.Text(4257, u"Seen"_s));
    for (TDBItem *record : m_host.Shown().SelectedRecordsBelowGroups()) {
        if (record->Kind() == TRecordKind::Person)
            continue;
        step.Touch(record);
        auto *movie = static_cast<TBaseMovie *>(record);
        movie->SetViewed(viewed);
        movie->SetViewdate(when);
        m_host.Lists(TRecordKind::Movie).Model()->RecordChanged(movie);
    }
    m_host.Edit().ShowCurrent();
    m_host.CommandUpdate();
}

void TRecordCommands::ToggleSeen()
{
    TDBItem *current = m_host.Lists(TRecordKind::Movie).Current();
    if (!current || m_host.PeopleMode())
        return;
    SetSeen(!static_cast<TBaseMovie *>(current)->Viewed(), NowDays());
}

void TRecordCommands::ToggleBookmark()
{
    TDBItem *record = m_host.Shown().Current();
    if (!record)
        return;
    TUndoScope step(m_host.Undo(), m_host.Text(4259, u"Bookmark"_s));
    step.Touch(record);
    record->SetBookmark(!record->Bookmark());
    step.Finish();
    TCatalogList *list = m_host.Shown().List();
    list->Model()->RecordChanged(record);
    // Repeated presses mark a run of rows.
    TViewNode *node = list->Model()->NodeOf(list->currentIndex());
    if (node) {
        TViewNode *next = list->Model()->Child(node->Parent(), list->Model()->RowOf(node) + 1);
        if (next && list->FocusNode(next))
            list->FlushFocus();
    }
}

void TRecordCommands::GoToBookmark(bool forward)
{
    TCatalogList *list = m_host.Shown().List();
    TListModel *model = list->Model();
    TViewNode *node = model->NodeOf(list->currentIndex());
    if (!node)
        return;
    for (TViewNode *at = list->NextInOrder(node, forward, false); at;
         at = list->NextInOrder(at, forward, true)) {
        if (at->record && at->record->Bookmark()) {
            list->FocusNode(at);
            return;
        }
    }
}

void TRecordCommands::ClearBookmarks()
{
    if (!m_host.Database())
        return;
    TUndoScope step(m_host.Undo(), StepName(144, u"&Clear all bookmarks"_s));
    for (int i = 0; i < m_host.Database()->MovieCount(); ++i) {
        TMovie *movie = m_host.Database()->Movie(i);
        if (movie->Bookmark())
            step.Touch(movie);
        movie->SetBookmark(false);
        for (int e = 0; e < movie->EpisodeCount(); ++e) {
            if (movie->Episode(e)->Bookmark())
                step.Touch(movie->Episode(e));
            movie->Episode(e)->SetBookmark(false);
        }
    }
    m_host.RepaintLists();
}

QString TRecordCommands::StepName(int number, const QString &english) const
{
    return m_host.Text(number, english).remove(u'&');
}

// ----- files -------------------------------------------------------------------------------

QString TRecordCommands::UsableFile(const TBaseMovie &movie)
{
    for (const QString &entry : SplitAt(movie.Path(), u'|')) {
        const QString file = entry.trimmed();
        if (file.isEmpty())
            continue;
        // Network paths are not checked: asking could hang on an absent server.
        if (file.startsWith(u"\\\\"_s) || file.startsWith(u"//"_s))
            return file;
        if (FileExistsQuiet(file))
            return file;
    }
    return {};
}

void TRecordCommands::PlayMovie()
{
    TDBItem *current = m_host.Lists(TRecordKind::Movie).Current();
    if (!current || m_host.PeopleMode())
        return;
    const QString file = UsableFile(*static_cast<TBaseMovie *>(current));
    if (!file.isEmpty())
        TRecordDialogs::OpenCatalogTarget(m_host.Dialogs(), m_host.Window(), file, TLinkUse::Play);
}

void TRecordCommands::OpenMovieFolder()
{
    TDBItem *current = m_host.Lists(TRecordKind::Movie).Current();
    if (!current || m_host.PeopleMode())
        return;
    const QString file = UsableFile(*static_cast<TBaseMovie *>(current));
    if (!file.isEmpty())
        m_host.Dialogs().ShowInFileManager(file);
}

// ----- links ---------------------------------------------------------------------------------

void TRecordCommands::GoToMovieByTitle(const QString &text, bool byOriginalTitle)
{
    if (!m_host.Database())
        return;
    QString title = text.trimmed();
    title = m_host.Database()->TextRules().Title(title);
    m_host.SetMode(TRecordKind::Movie);
    const auto same = [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) == 0;
    };
    for (int i = 0; i < m_host.Database()->MovieCount(); ++i) {
        TMovie *movie = m_host.Database()->Movie(i);
        const bool match = byOriginalTitle && !movie->Origtitle().isEmpty()
                               ? same(movie->Origtitle(), title)
                               : same(movie->DisplayTitle(), title);
        if (!match)
            continue;
        if (movie->Shown())
            m_host.Lists(TRecordKind::Movie).List()->SelectRecord(movie);
        return;
    }
    if (m_host.Dialogs().AskYesNo(m_host.Window(),
                                  m_host.Text(1803, u"Confirmation"_s),
                                  m_host.Text(1822,
                                              u"There is no movie with this title in the catalog. "
                                              u"Create it?"_s))) {
        m_host.OpenMovieMaster(
            byOriginalTitle ? QString() : title, byOriginalTitle ? title : QString(), QString());
        return;
    }
    m_host.SetWebSearchText(title);
}

void TRecordCommands::GoToPersonByName(const QString &text, bool asTranslatedName)
{
    if (!m_host.Database())
        return;
    QString name = text.trimmed();
    name = m_host.Database()->TextRules().Name(name);
    m_host.SetMode(TRecordKind::Person);
    TActor *found = nullptr;
    if (!asTranslatedName) {
        const int index = m_host.Database()->FindPerson(name);
        found = index >= 0 ? m_host.Database()->Person(index) : nullptr;
    } else {
        for (int i = 0; i < m_host.Database()->PersonCount() && !found; ++i) {
            TActor *person = m_host.Database()->Person(i);
            const QString &key =
                person->Transname().isEmpty() ? person->Name() : person->Transname();
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                found = person;
        }
    }
    if (found) {
        if (found->Shown())
            m_host.Lists(TRecordKind::Person).List()->SelectRecord(found);
        return;
    }
    if (m_host.ReadOnly())
        return;
    auto *person =
        static_cast<TActor *>(m_host.Database()->AddRecord(1, asTranslatedName ? QString() : name));
    if (!person)
        return;
    if (asTranslatedName)
        person->SetTransname(name);
    if (!person->Shown())
        return;
    m_host.Lists(TRecordKind::Person).Model()->Resort();
    m_focusRequest.edit = true;
    m_host.Lists(TRecordKind::Person).List()->clearSelection();
    m_host.Lists(TRecordKind::Person).List()->SelectRecord(person);
}

void TRecordCommands::GoToMovieById(const QString &text)
{
    const std::optional<int> id = ParseWhole(text);
    if (!id || !m_host.Database())
        return;
    const int index = m_host.Database()->FindMovie(*id);
    if (index < 0 || !m_host.Database()->Movie(index)->Shown())
        return;
    m_host.SetMode(TRecordKind::Movie);
    m_host.Lists(TRecordKind::Movie).List()->SelectRecord(m_host.Database()->Movie(index));
}
