// The main window's record commands: the editing states, new, edit, apply, cancel, clear,
// delete, duplicate, episodes, IDs, seen, bookmarks, playing files, links, the keyboard.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>

#include "app/catalogview.h"
#include "app/grouping.h"
#include "app/listmodel.h"
#include "app/mainui_p.h"
#include "app/mainwindow.h"
#include "app/recordcard.h"
#include "app/recorddialogs.h"
#include "app/toolscontroller.h"
#include "catalog/actor.h"
#include "catalog/daycount.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/moviefields.h"
#include "catalog/textutils.h"
#include "catalog/videodatabase.h"
#include "views/actorframe.h"
#include "views/mvframe.h"

using namespace Qt::StringLiterals;

namespace {

// Grid columns whose editors keep Enter for themselves: the rating's and the tags'.
bool KeepsEnter(int column)
{
    const TMovieFieldInfo *field = MovieFieldAtColumn(column);
    return field && (field->Id == TMovieField::Rating || field->Id == TMovieField::Tags);
}

std::optional<int> ParseWhole(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

void TMain::ConnectCommands()
{
    const auto on = [this](const char *name, auto handler) {
        connect(Action(QString::fromLatin1(name)), &QAction::triggered, this, handler);
    };
    on("NewVidAct", [this] { NewRecord(); });
    on("EditVidAct", [this] { EditRecord(); });
    on("ApplyVidAct", [this] { ApplyEdits(); });
    on("AbortAct", [this] { CancelEdits(); });
    on("ClearAct", [this] { ClearRecord(); });
    on("DelVidAct", [this] { DeleteRecords(); });
    on("DuplicateAct", [this] { DuplicateRecord(); });
    on("NewEpAct", [this] { NewEpisode(); });
    on("SetIDAct", [this] { SetRecordId(); });
    on("SetEpNumAct", [this] { SetEpisodeNumber(); });
    on("SetIDSAct", [this] { SetIdsOfSelection(); });
    on("SeenAct", [this] { ToggleSeen(); });
    on("NotSeenAct", [this] { SetSeen(false, NowDays()); });
    on("SeenTodayAct", [this] { SetSeen(true, NowDays()); });
    on("SeenYesterdayAct", [this] { SetSeen(true, NowDays() - 1); });
    on("Seen2DaysAct", [this] { SetSeen(true, NowDays() - 2); });
    on("SeenDateAct", [this] {
        const QDate today = QDate::currentDate();
        if (const std::optional<QDate> day = m_dialogs->AskDate(this, today))
            SetSeen(true, DateToDays(*day));
    });
    on("PlayAct", [this] { PlayMovie(); });
    on("OpenFolderAct", [this] { OpenMovieFolder(); });
    on("BookAct", [this] { ToggleBookmark(); });
    on("NextBookAct", [this] { GoToBookmark(true); });
    on("PrevBookAct", [this] { GoToBookmark(false); });
    on("ClearBookAct", [this] { ClearBookmarks(); });

    // The list's context menu is the Movie menu.
    for (TCatalogList *list : {Movies().List(), People().List()}) {
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint &at) {
            m_ui->MovieMenu->exec(list->viewport()->mapToGlobal(at));
        });
    }
    // Keys reach the window before its controls.
    qApp->installEventFilter(this);
}

// ----- states --------------------------------------------------------------------------------

void TMain::SetEditState(TEditState state)
{
    if (state == m_editState)
        return;
    if (state == TEditState::Editing && m_readOnly)
        return;
    if (m_editState == TEditState::Viewing && state == TEditState::Editing && Shown().Current())
        TakeSnapshot();
    m_editState = state;
    TCatalogList *list = Shown().List();
    if (state == TEditState::Editing && Shown().View() == TViewMode::Grid && list
        && !list->CellEditing() && list->currentIndex().isValid()) {
        list->edit(list->currentIndex());
    }
    ShowCurrent();
    CommandUpdate();
}

void TMain::ResetEditState(TEditState state)
{
    m_editState = state;
    m_snapshot = TEditSnapshot();
    m_newRecord = nullptr;
}

void TMain::ShowCurrent()
{
    TListController &lists = Shown();
    TDBItem *record = lists.Current();
    if (lists.View() == TViewMode::Grid) {
        lists.Model()->RecordChanged(record);
        return;
    }
    if (IRecordCard *card = lists.Card())
        card->ShowRecord(record, m_editState == TEditState::Editing);
}

void TMain::TakeSnapshot()
{
    const TDBItem *record = Shown().Current();
    m_snapshot = TEditSnapshot();
    if (!record || !m_db)
        return;
    m_snapshot.rows = Shown().Snapshot(*record);
    m_snapshot.modified = m_db->Modified();
}

bool TMain::StoreCardInput()
{
    TListController &lists = Shown();
    TDBItem *record = lists.Current();
    if (!record)
        return false;
    if (lists.View() == TViewMode::Grid) {
        lists.List()->CloseCellEditor(true);
        return true;
    }
    if (IRecordCard *card = lists.Card())
        card->StoreEdits(record);
    return true;
}

void TMain::UpdatePosition(TDBItem *record)
{
    Lists(record->Kind()).UpdatePosition(record, m_snapshot.rows, m_editColumn);
    m_snapshot = TEditSnapshot();
}

void TMain::OnFocusLeaving(TListController &lists)
{
    if (m_editState != TEditState::Editing || &lists != &Shown() || !m_db)
        return;
    TDBItem *record = lists.Current();
    if (!record)
        return;
    StoreCardInput();
    if (m_db->Modified()) {
        if (!lists.Model()->Passes(*record))
            record->SetShown(false);
        UpdatePosition(record);
    }
}

void TMain::OnNodeFocused(TListController &lists, TDBItem *record, bool startEditing)
{
    lists.SetCurrent(record);
    const bool edit = (startEditing || m_startEditing) && record && !m_readOnly;
    const bool focusTitle = startEditing || m_focusTitle;
    m_startEditing = false;
    m_focusTitle = false;
    if (record) {
        m_ui->WebSearchEdit->setText(record->Kind() == TRecordKind::Person
                                         ? static_cast<const TActor *>(record)->Name()
                                         : static_cast<const TBaseMovie *>(record)->DisplayTitle());
    }
    TEditState target = TEditState::None;
    if (record)
        target = edit ? TEditState::Editing : TEditState::Viewing;
    // An edit always starts from reading the record, so it gets its own snapshot.
    if (target == TEditState::Editing && m_editState != TEditState::Viewing)
        m_editState = TEditState::Viewing;
    if (target == m_editState) {
        ShowCurrent();
        CommandUpdate();
    } else {
        SetEditState(target);
    }
    IRecordCard *card = lists.Card();
    if (m_editState == TEditState::Editing && focusTitle && card
        && lists.View() != TViewMode::Grid) {
        card->FocusTitle();
    }
}

void TMain::OnCellEditStarted(int column)
{
    // The edited row becomes the current record at once, not after the focus delay.
    Shown().List()->FlushFocus();
    m_editColumn = column;
    if (m_editState != TEditState::Viewing && Shown().Current())
        m_editState = TEditState::Viewing;
    SetEditState(TEditState::Editing);
}

void TMain::OnCellEditFinished()
{
    TDBItem *record = Shown().Current();
    if (record && m_db && m_db->Modified() && m_snapshot.rows.record == record)
        UpdatePosition(record);
    m_editColumn = -1;
    if (m_editState == TEditState::Editing)
        SetEditState(TEditState::Viewing);
}

// ----- new, edit, apply, cancel ------------------------------------------------------------

TDBItem *TMain::CreateRecord(int kind)
{
    if (!m_db)
        return nullptr;
    // Worked out before the new movie (ID -1) becomes the first one.
    const bool autoId = kind == 0 && m_settings.DoAutoID;
    const int nextId =
        autoId && m_settings.AutoIndexMode < 2 ? m_db->NextId(m_settings.AutoIndexMode) : -1;
    TDBItem *record = m_db->AddRecord(kind, QString(), true);
    if (!record || !autoId)
        return record;
    auto *movie = static_cast<TMovie *>(record);
    if (m_settings.AutoIndexMode < 2) {
        movie->SetNum(nextId);
    } else if (const std::optional<QString> typed = m_dialogs->AskText(
                   this, Text(1804, u"Movie ID"_s), Text(1859, u"ID:"_s), QString())) {
        movie->SetNum(ParseWhole(*typed).value_or(-1));
    }
    return record;
}

void TMain::FocusNewRecord(TDBItem *record)
{
    if (!record || !record->Shown())
        return;
    m_startEditing = true;
    m_focusTitle = true;
    TCatalogList *list = record->Kind() == TRecordKind::Person ? People().List() : Movies().List();
    list->clearSelection();
    list->SelectRecord(record);
}

void TMain::NewRecord()
{
    if (m_readOnly || !m_db)
        return;
    m_modifiedBeforeNew = m_db->Modified();
    m_newRecord = CreateRecord(m_peopleMode ? 1 : 0);
    FocusNewRecord(m_newRecord);
}

void TMain::EditRecord()
{
    if (m_readOnly || m_editState == TEditState::Editing)
        return;
    if (m_tools->MultiEditSelection()) {
        m_tools->EditMultipleMovies();
        return;
    }
    TCatalogList *list = Shown().List();
    const TViewNode *node = list->Model()->NodeOf(list->currentIndex());
    if (m_editState != TEditState::Viewing || !node || !node->record || !Shown().Current()) {
        return;
    }
    SetEditState(TEditState::Editing);
    IRecordCard *card = Shown().Card();
    if (card && Shown().View() != TViewMode::Grid)
        card->FocusTitle();
}

void TMain::ApplyEdits()
{
    TDBItem *record = Shown().Current();
    if (m_editState != TEditState::Editing || !record)
        return;
    StoreCardInput();
    m_newRecord = nullptr;
    SetEditState(TEditState::Viewing);
    if (!m_db->Modified())
        return;
    Shown().Model()->ApplyFilter(*record);
    UpdatePosition(record);
    if (record->Shown())
        Shown().List()->SelectRecord(record);
}

void TMain::CancelEdits()
{
    TDBItem *record = Shown().Current();
    if (m_editState != TEditState::Editing || !record)
        return;
    TCatalogList *list = Shown().List();
    TListModel *model = list->Model();
    const bool modified = m_snapshot.rows.record == record ? m_snapshot.modified : m_db->Modified();
    if (record->IsEmpty()) {
        // A new record left empty goes, and with it the only change it made; its
        // neighbour takes the focus.
        const bool before = record == m_newRecord ? m_modifiedBeforeNew : modified;
        m_newRecord = nullptr;
        TViewNode *node = model->FirstNodeOf(record);
        TViewNode *neighbour = nullptr;
        if (node) {
            const int row = model->RowOf(node);
            neighbour = model->Child(node->Parent(), row + 1);
            if (!neighbour)
                neighbour = model->Child(node->Parent(), row - 1);
        }
        list->CloseCellEditor(false);
        m_editState = TEditState::None;
        m_snapshot = TEditSnapshot();
        Shown().SetCurrent(nullptr);
        m_db->DeleteRecord(record);
        m_db->SetModified(before);
        ShowCurrent();
        if (!list->FocusNode(neighbour))
            list->SelectFirst();
        CommandUpdate();
        return;
    }
    list->CloseCellEditor(false);
    m_db->SetModified(modified);
    m_snapshot = TEditSnapshot();
    SetEditState(TEditState::Viewing);
}

// ----- clear, delete, duplicate ------------------------------------------------------------

void TMain::ClearRecord()
{
    TDBItem *record = Shown().Current();
    if (!record || m_readOnly)
        return;
    if (m_settings.ClearMovieConfirm
        && !m_dialogs->AskYesNo(this,
                                Text(1803, u"Confirmation"_s),
                                Text(1809, u"Clear all fields of the current record?"_s))) {
        return;
    }
    record->Clear();
    ShowCurrent();
    Shown().Model()->RecordChanged(record);
}

void TMain::DeleteMovieFiles(TBaseMovie &movie, TFileDecision &decision)
{
    if (!m_settings.DeleteMovieFiles || decision == TFileDecision::NoToAll)
        return;
    for (const QString &entry : SplitAt(movie.Path(), u'|')) {
        const QString file = entry.trimmed();
        if (file.isEmpty() || !FileExistsQuiet(file))
            continue;
        if (decision != TFileDecision::YesToAll) {
            decision = m_dialogs->AskDeleteFile(
                this,
                u"Confirmation"_s,
                Text(1813, u"Delete the file %1?"_s).arg(QDir::toNativeSeparators(file)));
        }
        if (decision == TFileDecision::No || decision == TFileDecision::NoToAll)
            break;
        QFile doomed(file);
        if (!doomed.remove())
            m_dialogs->ShowError(this, Text(1802, u"Error"_s), doomed.errorString());
    }
    // Only the "to all" answers carry over to the next record.
    if (decision != TFileDecision::YesToAll && decision != TFileDecision::NoToAll)
        decision = TFileDecision::Yes;
}

void TMain::DeleteRecords()
{
    if (!Shown().Current() || m_readOnly || !m_db)
        return;
    if (m_settings.DeleteMovieConfirm
        && !m_dialogs->AskYesNo(
            this, Text(1803, u"Confirmation"_s), Text(1811, u"Delete the current record?"_s))) {
        return;
    }
    // Yes here stands for "ask".
    TFileDecision decision =
        m_settings.DeleteMovieFilesConfirm ? TFileDecision::Yes : TFileDecision::YesToAll;
    TCatalogList *list = Shown().List();
    TListModel *model = list->Model();
    if (m_editState == TEditState::Editing)
        list->CloseCellEditor(false);
    m_editState = TEditState::None;
    m_snapshot = TEditSnapshot();
    m_newRecord = nullptr;
    Shown().SetCurrent(nullptr);
    ShowCurrent();

    QList<TDBItem *> records;
    QList<TViewNode *> nodes;
    for (TViewNode *node : Shown().SelectedNodes()) {
        if (node->IsGroup())
            break;
        nodes.append(node);
        if (!records.contains(node->record))
            records.append(node->record);
    }
    // The row above the deleted block keeps the focus, not the row above its last row.
    TViewNode *focusNext =
        list->RowAfterDelete(nodes, QSet<const TDBItem *>(records.cbegin(), records.cend()));
    for (TDBItem *record : std::as_const(records)) {
        // An episode may already be gone with its movie.
        if (record->Kind() == TRecordKind::Episode) {
            bool alive = false;
            for (int i = 0; i < m_db->MovieCount() && !alive; ++i) {
                TMovie *movie = m_db->Movie(i);
                for (int e = 0; e < movie->EpisodeCount() && !alive; ++e)
                    alive = movie->Episode(e) == record;
            }
            if (!alive)
                continue;
        }
        if (record->Kind() == TRecordKind::Person) {
            m_db->DeleteRecord(record);
            continue;
        }
        auto *movie = static_cast<TBaseMovie *>(record);
        DeleteMovieFiles(*movie, decision);
        if (record->Kind() == TRecordKind::Movie) {
            auto *series = static_cast<TMovie *>(record);
            for (int e = series->EpisodeCount() - 1; e >= 0; --e) {
                TEpisode *episode = series->Episode(e);
                DeleteMovieFiles(*episode, decision);
                m_db->DeleteRecord(episode);
            }
        }
        m_db->DeleteRecord(record);
    }
    if (!list->FocusNode(focusNext)) {
        if (model->rowCount() > 0)
            list->SelectFirst();
        else
            SetEditState(TEditState::Empty);
    }
    CommandUpdate();
}

void TMain::DuplicateRecord()
{
    TDBItem *current = Shown().Current();
    if (!current || m_readOnly)
        return;
    // The copy takes what the card holds, not what was stored before.
    if (m_editState == TEditState::Editing)
        ApplyEdits();
    TDBItem *copy = nullptr;
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
    Shown().Model()->Resort();
    FocusNewRecord(copy);
}

// ----- episodes and IDs ----------------------------------------------------------------------

void TMain::NewEpisode()
{
    TDBItem *current = Movies().Current();
    if (!current || m_readOnly || m_peopleMode)
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
            m_dialogs->AskNewEpisode(this, proposal, m_episodeCopy);
        if (!answer)
            return;
        number = answer->Number;
        copy = answer->CopyMovieData;
        m_episodeCopy = copy;
    }
    TEpisode *episode = movie->AddEpisode();
    episode->SetDateadded(NowDays());
    episode->SetEpnum(number);
    if (copy) {
        episode->Assign(*movie);
        episode->SetTitle(QString());
        episode->SetOrigtitle(QString());
    }
    Movies().Model()->Resort();
    FocusNewRecord(episode);
}

void TMain::SetRecordId()
{
    TDBItem *current = Movies().Current();
    if (!current || m_readOnly || m_peopleMode)
        return;
    auto *movie = static_cast<TBaseMovie *>(current);
    const std::optional<QString> typed = m_dialogs->AskText(
        this, Text(1804, u"Movie ID"_s), Text(1859, u"ID:"_s), QString::number(movie->Num()));
    if (!typed)
        return;
    movie->SetNum(ParseWhole(*typed).value_or(-1));
    Movies().Model()->RecordChanged(movie);
    Movies().Model()->Resort();
    ShowCurrent();
}

void TMain::SetEpisodeNumber()
{
    TDBItem *current = Movies().Current();
    if (!current || m_readOnly || m_peopleMode || current->Kind() != TRecordKind::Episode)
        return;
    auto *episode = static_cast<TEpisode *>(current);
    const std::optional<QString> typed = m_dialogs->AskText(this,
                                                            Text(1805, u"Episode Number"_s),
                                                            Text(1860, u"Episode number:"_s),
                                                            QString::number(episode->Epnum()));
    if (!typed)
        return;
    const std::optional<int> number = ParseWhole(*typed);
    if (!number) {
        m_dialogs->ShowError(this,
                             Text(1802, u"Error"_s),
                             Text(1866, u"The episode number must be a whole number."_s));
        return;
    }
    episode->SetEpnum(*number);
    Movies().Model()->RecordChanged(episode);
    Movies().Model()->Resort();
    ShowCurrent();
}

void TMain::SetIdsOfSelection()
{
    if (m_readOnly || m_peopleMode || !m_db)
        return;
    const QList<TDBItem *> records = Shown().SelectedRecordsBelowGroups();
    if (records.isEmpty())
        return;
    const std::optional<TIdSeries> series = m_dialogs->AskIdSeries(this, m_idSeries);
    if (!series)
        return;
    m_idSeries = *series;
    m_db->SuspendReorder();
    qint64 next = series->Start;
    for (TDBItem *record : records) {
        if (record->Kind() == TRecordKind::Person)
            continue;
        const int id = int(std::clamp<qint64>(next, INT_MIN, INT_MAX));
        static_cast<TBaseMovie *>(record)->SetNum(id);
        next += series->Increment;
    }
    m_db->SortById();
    Movies().Model()->Resort();
    RepaintLists();
    ShowCurrent();
}

// ----- seen and bookmarks --------------------------------------------------------------------

void TMain::SetSeen(bool viewed, double when)
{
    if (m_readOnly || m_peopleMode)
        return;
    for (TDBItem *record : Shown().SelectedRecordsBelowGroups()) {
        if (record->Kind() == TRecordKind::Person)
            continue;
        auto *movie = static_cast<TBaseMovie *>(record);
        movie->SetViewed(viewed);
        movie->SetViewdate(when);
        Movies().Model()->RecordChanged(movie);
    }
    ShowCurrent();
    CommandUpdate();
}

void TMain::ToggleSeen()
{
    TDBItem *current = Movies().Current();
    if (!current || m_peopleMode)
        return;
    SetSeen(!static_cast<TBaseMovie *>(current)->Viewed(), NowDays());
}

void TMain::ToggleBookmark()
{
    TDBItem *record = Shown().Current();
    if (!record)
        return;
    record->SetBookmark(!record->Bookmark());
    TCatalogList *list = Shown().List();
    list->Model()->RecordChanged(record);
    // Repeated presses mark a run of rows.
    TViewNode *node = list->Model()->NodeOf(list->currentIndex());
    if (node) {
        TViewNode *next = list->Model()->Child(node->Parent(), list->Model()->RowOf(node) + 1);
        if (next && list->FocusNode(next))
            list->FlushFocus();
    }
}

void TMain::GoToBookmark(bool forward)
{
    TCatalogList *list = Shown().List();
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

void TMain::ClearBookmarks()
{
    if (!m_db)
        return;
    for (int i = 0; i < m_db->MovieCount(); ++i) {
        TMovie *movie = m_db->Movie(i);
        movie->SetBookmark(false);
        for (int e = 0; e < movie->EpisodeCount(); ++e)
            movie->Episode(e)->SetBookmark(false);
    }
    RepaintLists();
}

// ----- files -------------------------------------------------------------------------------

QString TMain::UsableFile(const TBaseMovie &movie)
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

void TMain::PlayMovie()
{
    TDBItem *current = Movies().Current();
    if (!current || m_peopleMode)
        return;
    const QString file = UsableFile(*static_cast<TBaseMovie *>(current));
    if (!file.isEmpty())
        TRecordDialogs::OpenCatalogTarget(*m_dialogs, this, file, TLinkUse::Play);
}

void TMain::OpenMovieFolder()
{
    TDBItem *current = Movies().Current();
    if (!current || m_peopleMode)
        return;
    const QString file = UsableFile(*static_cast<TBaseMovie *>(current));
    if (!file.isEmpty())
        m_dialogs->ShowInFileManager(file);
}

// ----- links ---------------------------------------------------------------------------------

void TMain::GoToMovieByTitle(const QString &text, bool byOriginalTitle)
{
    if (!m_db)
        return;
    QString title = text.trimmed();
    title = m_db->TextRules().Title(title);
    SetMode(TRecordKind::Movie);
    const auto same = [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) == 0;
    };
    for (int i = 0; i < m_db->MovieCount(); ++i) {
        TMovie *movie = m_db->Movie(i);
        const bool match = byOriginalTitle && !movie->Origtitle().isEmpty()
                               ? same(movie->Origtitle(), title)
                               : same(movie->DisplayTitle(), title);
        if (!match)
            continue;
        if (movie->Shown())
            Movies().List()->SelectRecord(movie);
        return;
    }
    if (m_dialogs->AskYesNo(this,
                            Text(1803, u"Confirmation"_s),
                            Text(1822,
                                 u"There is no movie with this title in the catalog. "
                                 u"Create it?"_s))) {
        m_web->OpenMovieMaster(
            byOriginalTitle ? QString() : title, byOriginalTitle ? title : QString(), QString());
        return;
    }
    m_ui->WebSearchEdit->setText(title);
}

void TMain::GoToPersonByName(const QString &text, bool asTranslatedName)
{
    if (!m_db)
        return;
    QString name = text.trimmed();
    name = m_db->TextRules().Name(name);
    SetMode(TRecordKind::Person);
    TActor *found = nullptr;
    if (!asTranslatedName) {
        const int index = m_db->FindPerson(name);
        found = index >= 0 ? m_db->Person(index) : nullptr;
    } else {
        for (int i = 0; i < m_db->PersonCount() && !found; ++i) {
            TActor *person = m_db->Person(i);
            const QString &key =
                person->Transname().isEmpty() ? person->Name() : person->Transname();
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                found = person;
        }
    }
    if (found) {
        if (found->Shown())
            People().List()->SelectRecord(found);
        return;
    }
    if (m_readOnly)
        return;
    auto *person = static_cast<TActor *>(m_db->AddRecord(1, asTranslatedName ? QString() : name));
    if (!person)
        return;
    if (asTranslatedName)
        person->SetTransname(name);
    if (!person->Shown())
        return;
    People().Model()->Resort();
    m_startEditing = true;
    People().List()->clearSelection();
    People().List()->SelectRecord(person);
}

void TMain::GoToMovieById(const QString &text)
{
    const std::optional<int> id = ParseWhole(text);
    if (!id || !m_db)
        return;
    const int index = m_db->FindMovie(*id);
    if (index < 0 || !m_db->Movie(index)->Shown())
        return;
    SetMode(TRecordKind::Movie);
    Movies().List()->SelectRecord(m_db->Movie(index));
}

// ----- keyboard ------------------------------------------------------------------------------

bool TMain::HandleSpace()
{
    TCatalogList *list = Shown().List();
    if (Shown().View() == TViewMode::Grid) {
        if (list->CellEditing() || !list->hasFocus())
            return false;
        QKeyEvent pageDown(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(list, &pageDown);
        return true;
    }
    IRecordCard *card = Shown().Card();
    const bool cardFocused = card && card->HasKeyboardFocus();
    if (!list->hasFocus() && !(cardFocused && m_editState == TEditState::Viewing))
        return false;
    if (card && card->ScrollPage())
        return true;
    if (m_settings.SpaceJump) {
        TViewNode *node = list->Model()->NodeOf(list->currentIndex());
        TViewNode *next = list->NextInOrder(node, true, list->isExpanded(list->currentIndex()));
        if (!list->FocusNode(next))
            list->SelectFirst();
    } else if (card) {
        card->ScrollHome();
    }
    return true;
}

bool TMain::HandleCardKey(int key)
{
    // While reading, the arrow and page keys move the card rather than its fields.
    if (m_editState != TEditState::Viewing || Shown().View() == TViewMode::Grid)
        return false;
    IRecordCard *card = Shown().Card();
    if (!card || !card->HasKeyboardFocus())
        return false;
    QScrollArea *frame = m_peopleMode ? static_cast<QScrollArea *>(m_ui->PeopleFrame)
                                      : static_cast<QScrollArea *>(m_ui->MovieFrame);
    QScrollBar *bar = frame->verticalScrollBar();
    switch (key) {
    case Qt::Key_Down:
        bar->setValue(bar->value() + 20);
        return true;
    case Qt::Key_Up:
        bar->setValue(bar->value() - 20);
        return true;
    case Qt::Key_PageDown:
        bar->setValue(bar->maximum());
        return true;
    case Qt::Key_PageUp:
        bar->setValue(bar->minimum());
        return true;
    default:
        return false;
    }
}

bool TMain::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this)
        return QMainWindow::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        // In the grid, Esc belongs to the cell editor.
        if (key->key() == Qt::Key_Escape && Shown().View() == TViewMode::Grid) {
            event->accept();
            return false;
        }
        // F2 edits the focused grid cell, as in any list of the desktop; elsewhere it goes to
        // the next bookmark (which Shift+F2 goes back from).
        TCatalogList *list = Shown().List();
        if (key->key() == Qt::Key_F2 && key->modifiers() == Qt::NoModifier && widget == list
            && Shown().View() == TViewMode::Grid && !list->CellEditing()
            && (list->model()->flags(list->currentIndex()) & Qt::ItemIsEditable)) {
            event->accept();
            return false;
        }
    } else if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool inMovieEditor =
            Movies().List()->CellEditing() && Movies().List()->viewport()->isAncestorOf(widget);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && inMovieEditor
            && key->modifiers() == Qt::NoModifier && KeepsEnter(m_editColumn)) {
            return true;
        }
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier
            && !qobject_cast<QLineEdit *>(widget) && !inMovieEditor && HandleSpace()) {
            return true;
        }
        if (key->modifiers() == Qt::NoModifier && HandleCardKey(key->key()))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
