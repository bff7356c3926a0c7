// The maintenance tools: removing duplicates and dead file locations, and the multiple-movie
// editor behind the Edit command.
#include "app/toolscontroller.h"

#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QScopeGuard>

#include "app/cardedit.h"
#include "app/catalogview.h"
#include "app/commandhost.h"
#include "app/grouping.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/maindialogs.h"
#include "app/undocontroller.h"
#include "app/waitwindow.h"
#include "catalog/actor.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"
#include "logic/settings.h"

using namespace Qt::StringLiterals;

namespace {

// How often a long run lets the window paint and notice Cancel.
constexpr qint64 ProgressIntervalMs = 50;

} // namespace

TToolsController::TToolsController(ICommandHost &host, const TSettings &settings)
    : m_host(host)
    , m_settings(settings)
{}

bool TToolsController::MultiEditSelection() const
{
    if (m_host.PeopleMode() || !m_host.Database())
        return false;
    const QList<TViewNode *> nodes = m_host.Shown().SelectedNodes();
    return nodes.size() > 1 || (nodes.size() == 1 && nodes.constFirst()->IsGroup());
}

void TToolsController::RunWithWaitWindow(
    const std::function<void(const TMaintenanceProgress &)> &work)
{
    TWaitWindow *wait = m_host.WaitWindow();
    m_host.SetBusy(true);
    const auto done = qScopeGuard([this, wait] {
        if (wait) {
            wait->HideWait();
            wait->setWindowModality(Qt::NonModal);
        }
        m_host.SetBusy(false);
    });
    if (!wait) {
        work({});
        return;
    }
    // Only Cancel may be used while records are being changed or deleted.
    wait->setWindowModality(Qt::ApplicationModal);
    wait->ShowWait(m_host.Text(1861, u"Working, please wait..."_s), true);
    QElapsedTimer clock;
    clock.start();
    qint64 shown = -ProgressIntervalMs;
    work([&](int step, int total) {
        if (clock.elapsed() - shown >= ProgressIntervalMs) {
            shown = clock.elapsed();
            wait->SetProgress(step, total);
            wait->ProcessEvents();
        }
        return !wait->CancelRequested();
    });
}

void TToolsController::RunRemoveDuplicates()
{
    TVideoDatabase *db = m_host.Database();
    if (!db || m_host.ReadOnly() || m_host.Busy())
        return;
    const std::optional<TDuplicateAction> action =
        m_host.Dialogs().AskDuplicateAction(m_host.Window(), TDuplicateAction::Merge);
    if (!action)
        return;
    if (m_settings.RemoveDuplicatesConfirm
        && !m_host.Dialogs().AskYesNo(
            m_host.Window(),
            m_host.Text(1803, u"Confirmation"_s),
            m_host.Text(1810, u"Remove all duplicate movies from the catalog?"_s))) {
        return;
    }
    if (m_host.Edit().EditState() == TEditState::Editing)
        m_host.Edit().ApplyEdits();

    // No record that may be deleted stays current, focused or selected while the run lets
    // the window paint. Episodes are found again through their movie.
    TDBItem *kept[2] = {};
    TDBItem *anchors[2] = {};
    for (const TRecordKind kind : {TRecordKind::Movie, TRecordKind::Person}) {
        TListController *lists = &m_host.Lists(kind);
        const bool people = lists->ForPeople();
        lists->List()->FlushFocus();
        kept[people] = lists->Current();
        anchors[people] = kept[people] && kept[people]->Kind() == TRecordKind::Episode
                              ? static_cast<TEpisode *>(kept[people])->Parent()
                              : kept[people];
        lists->List()->selectionModel()->clear();
        lists->SetCurrent(nullptr);
    }
    m_host.Edit().ResetEditState(TEditState::None);
    m_host.Edit().ShowCurrent();

    // One step: the copies come back whole and in place, the merged fields as they were.
    TUndoController *undo = m_host.Undo();
    TUndoScope step(undo, m_host.Text(4261, u"Remove duplicates"_s));
    if (*action == TDuplicateAction::Merge) {
        for (int i = 0; i < db->MovieCount(); ++i)
            step.Touch(db->Movie(i));
        for (int i = 0; i < db->PersonCount(); ++i)
            step.Touch(db->Person(i));
    }
    TDuplicateReport report;
    RunWithWaitWindow([&](const TMaintenanceProgress &progress) {
        std::function<void(TDBItem *)> takeOut;
        if (undo)
            takeOut = [undo](TDBItem *record) { undo->TakeOut(record); };
        report = RemoveDuplicates(*db, *action, progress, takeOut);
    });
    if (undo)
        undo->PushRemoved(step.Text(), step);

    for (const TRecordKind kind : {TRecordKind::Movie, TRecordKind::Person}) {
        TListController *lists = &m_host.Lists(kind);
        const bool people = lists->ForPeople();
        bool alive = false;
        const int count = people ? db->PersonCount() : db->MovieCount();
        for (int i = 0; i < count && !alive && anchors[people]; ++i) {
            alive =
                anchors[people] == (people ? static_cast<TDBItem *>(db->Person(i)) : db->Movie(i));
        }
        TDBItem *record = alive ? kept[people] : nullptr;
        lists->SetCurrent(record);
        const int removed = people ? report.PeopleRemoved : report.MoviesRemoved;
        TCatalogList *list = lists->List();
        if (removed > 0)
            lists->Build(); // merged values may move rows and groups
        else if (!record || !record->Shown() || !list->SelectRecord(record))
            list->SelectFirst();
        list->FlushFocus();
    }
    if (!m_host.Shown().Current()) {
        const bool empty = m_host.Shown().Model()->rowCount() == 0;
        m_host.Edit().ResetEditState(empty ? TEditState::Empty : TEditState::None);
    } else {
        m_host.Edit().ResetEditState(TEditState::Viewing);
    }
    m_host.Edit().ShowCurrent();
    m_host.UpdateStatusBar();
    m_host.CommandUpdate();
    const int removed = report.MoviesRemoved + report.PeopleRemoved;
    const bool one = removed == 1;
    const QString done =
        (*action == TDuplicateAction::Merge ? (one ? m_host.Text(4060, u"%1 duplicate merged"_s)
                                                   : m_host.Text(4053, u"%1 duplicates merged"_s))
                                            : (one ? m_host.Text(4061, u"%1 duplicate removed"_s)
                                                   : m_host.Text(4054, u"%1 duplicates removed"_s)))
            .arg(removed);
    ShowToolSummary(m_host.Text(1979, u"Remove duplicates"_s), done, report.Cancelled);
}

void TToolsController::ShowToolSummary(const QString &caption, const QString &done, bool cancelled)
{
    const QString text =
        cancelled
            ? m_host.Text(4056, u"Cancelled; what was done until then is kept: %1"_s).arg(done)
            : done;
    m_host.ShowStatusText(text);
    m_host.Dialogs().ShowMessage(m_host.Window(), TMessageKind::Information, caption, text);
}

void TToolsController::RunRemoveBadFiles()
{
    if (!m_host.Database() || m_host.ReadOnly() || m_host.Busy())
        return;
    const std::optional<TBadFileOptions> options =
        m_host.Dialogs().AskBadFileOptions(m_host.Window(), m_badFileOptions);
    if (!options)
        return;
    m_badFileOptions = *options;
    // The card would otherwise write its old locations back later.
    if (m_host.Edit().EditState() == TEditState::Editing)
        m_host.Edit().ApplyEdits();

    TBadFileReport report;
    TUndoScope step(m_host.Undo(), m_host.Text(1983, u"Remove bad file locations"_s));
    TVideoDatabase &db = *m_host.Database();
    for (int i = 0; i < db.MovieCount(); ++i) {
        TMovie *movie = db.Movie(i);
        step.Touch(movie);
        for (int e = 0; e < movie->EpisodeCount(); ++e)
            step.Touch(movie->Episode(e));
    }
    RunWithWaitWindow([&](const TMaintenanceProgress &progress) {
        report = RemoveBadFileLocations(db, *options, progress);
    });
    step.Finish();
    TListModel *model = m_host.Lists(TRecordKind::Movie).Model();
    for (TBaseMovie *movie : std::as_const(report.Changed))
        model->RecordChanged(movie);
    m_host.Edit().ShowCurrent();
    m_host.CommandUpdate();
    ShowToolSummary(m_host.Text(1983, u"Remove bad file locations"_s),
                    (report.LocationsRemoved == 1
                         ? m_host.Text(4062, u"%1 file location removed"_s)
                         : m_host.Text(4055, u"%1 file locations removed"_s))
                        .arg(report.LocationsRemoved),
                    report.Cancelled);
}

void TToolsController::EditMultipleMovies()
{
    if (!m_host.Database() || m_host.ReadOnly() || m_host.PeopleMode() || m_host.Busy()
        || m_host.Edit().EditState() == TEditState::Editing)
        return;
    TListController &lists = m_host.Lists(TRecordKind::Movie);
    QList<TBaseMovie *> movies;
    for (TDBItem *record : m_host.Shown().SelectedRecordsBelowGroups()) {
        if (record->Kind() != TRecordKind::Person)
            movies.append(static_cast<TBaseMovie *>(record));
    }
    if (movies.isEmpty())
        return;
    TMultiCommon common;
    for (const TBaseMovie *movie : std::as_const(movies))
        common.Add(*movie);
    const TMultiEditLists choices{m_settings.GenresList,
                                  m_settings.QualityList,
                                  m_settings.TranslationList,
                                  m_settings.MediaTypeList};
    const std::optional<TMultiEditAnswer> answer =
        m_host.Dialogs().AskMultiEdit(m_host.Window(), common, choices);
    if (!answer || !answer->Any())
        return;

    const bool moves = MultiEditMovesRows(
        *answer, lists.Grouped(), lists.Groups().Levels(), m_settings.TitleFormat);
    TCatalogList *list = lists.List();
    list->FlushFocus();
    TDBItem *current = lists.Current();
    TUndoScope step(m_host.Undo(), m_host.Text(4260, u"Edit %1 movies"_s).arg(movies.size()));
    step.TouchAll(movies);
    if (moves)
        lists.Model()->BeginUpdate();
    for (TBaseMovie *movie : std::as_const(movies)) {
        ApplyMultiEdit(*movie, *answer);
        // The movie's rows go to the groups and places of its new values.
        if (moves && movie->Kind() == TRecordKind::Movie && movie->Shown()) {
            lists.Model()->Reshow(*movie);
        } else if (!moves) {
            lists.Model()->RecordChanged(movie);
        }
    }
    if (moves) {
        lists.Model()->EndUpdate();
        // The rows were made anew: the edited movies are selected again.
        list->clearSelection();
        for (const TBaseMovie *movie : std::as_const(movies)) {
            if (TViewNode *node = lists.Model()->FirstNodeOf(movie)) {
                list->selectionModel()->select(lists.Model()->IndexOf(node, 0),
                                               QItemSelectionModel::Select
                                                   | QItemSelectionModel::Rows);
            }
        }
        if (TViewNode *node = current ? lists.Model()->FirstNodeOf(current) : nullptr) {
            list->selectionModel()->setCurrentIndex(lists.Model()->IndexOf(node, 0),
                                                    QItemSelectionModel::NoUpdate);
        }
    }
    // A changed field may be the one the list is sorted by.
    lists.Model()->Resort();
    m_host.Edit().ShowCurrent();
    m_host.CommandUpdate();
}
