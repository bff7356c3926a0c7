// The main window's maintenance tools: removing duplicates and dead file locations, and the
// multiple-movie editor behind the Edit command.
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QScopeGuard>

#include "app/catalogview.h"
#include "app/grouping.h"
#include "app/listmodel.h"
#include "app/mainwindow.h"
#include "app/waitwindow.h"
#include "catalog/actor.h"
#include "catalog/episode.h"
#include "catalog/movie.h"
#include "catalog/videodatabase.h"

using namespace Qt::StringLiterals;

namespace {

// How often a long run lets the window paint and notice Cancel.
constexpr qint64 ProgressIntervalMs = 50;

} // namespace

bool TMain::MultiEditSelection() const
{
    if (m_peopleMode || !m_db)
        return false;
    const QList<TViewNode *> nodes = SelectedNodes();
    return nodes.size() > 1 || (nodes.size() == 1 && nodes.constFirst()->IsGroup());
}

void TMain::RunWithWaitWindow(const std::function<void(const TMaintenanceProgress &)> &work)
{
    TWaitWindow *wait = m_waitWindow;
    m_busy = true;
    const auto done = qScopeGuard([this, wait] {
        if (wait) {
            wait->HideWait();
            wait->setWindowModality(Qt::NonModal);
        }
        m_busy = false;
    });
    if (!wait) {
        work({});
        return;
    }
    // Only Cancel may be used while records are being changed or deleted.
    wait->setWindowModality(Qt::ApplicationModal);
    wait->ShowWait(Text(1861, u"Working, please wait..."_s), true);
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

void TMain::RunRemoveDuplicates()
{
    if (!m_db || m_readOnly || m_busy)
        return;
    const std::optional<TDuplicateAction> action =
        m_dialogs->AskDuplicateAction(this, TDuplicateAction::Merge);
    if (!action)
        return;
    if (m_settings.RemoveDuplicatesConfirm
        && !m_dialogs->AskYesNo(this,
                                Text(1803, u"Confirmation"_s),
                                Text(1810, u"Remove all duplicate movies from the catalog?"_s))) {
        return;
    }
    if (m_editState == TEditState::Editing)
        ApplyEdits();

    // No record that may be deleted stays current, focused or selected while the run lets
    // the window paint. Episodes are found again through their movie.
    TDBItem *kept[2] = {};
    TDBItem *anchors[2] = {};
    for (const bool people : {false, true}) {
        TCatalogList *list = people ? m_peopleList : m_movieList;
        list->FlushFocus();
        kept[people] = CurrentRecord(people);
        anchors[people] = kept[people] && kept[people]->Kind() == TRecordKind::Episode
                              ? static_cast<TEpisode *>(kept[people])->Parent()
                              : kept[people];
        list->selectionModel()->clear();
        SetCurrentRecord(people, nullptr);
    }
    m_editState = TEditState::None;
    m_snapshot = TEditSnapshot();
    m_newRecord = nullptr;
    ShowCurrent();

    TDuplicateReport report;
    RunWithWaitWindow([&](const TMaintenanceProgress &progress) {
        report = RemoveDuplicates(*m_db, *action, progress);
    });

    for (const bool people : {false, true}) {
        bool alive = false;
        const int count = people ? m_db->PersonCount() : m_db->MovieCount();
        for (int i = 0; i < count && !alive && anchors[people]; ++i) {
            alive = anchors[people]
                    == (people ? static_cast<TDBItem *>(m_db->Person(i)) : m_db->Movie(i));
        }
        TDBItem *record = alive ? kept[people] : nullptr;
        SetCurrentRecord(people, record);
        const int removed = people ? report.PeopleRemoved : report.MoviesRemoved;
        TCatalogList *list = people ? m_peopleList : m_movieList;
        if (removed > 0)
            BuildList(people); // merged values may move rows and groups
        else if (!record || !record->Shown() || !list->SelectRecord(record))
            list->SelectFirst();
        list->FlushFocus();
    }
    if (!CurrentRecord(m_peopleMode))
        m_editState = ShownList()->Model()->rowCount() == 0 ? TEditState::Empty : TEditState::None;
    else
        m_editState = TEditState::Viewing;
    ShowCurrent();
    UpdateStatusBar();
    CommandUpdate();
    const int removed = report.MoviesRemoved + report.PeopleRemoved;
    const bool one = removed == 1;
    const QString done =
        (*action == TDuplicateAction::Merge
             ? (one ? Text(4060, u"%1 duplicate merged"_s) : Text(4053, u"%1 duplicates merged"_s))
             : (one ? Text(4061, u"%1 duplicate removed"_s)
                    : Text(4054, u"%1 duplicates removed"_s)))
            .arg(removed);
    ShowToolSummary(Text(1979, u"Remove duplicates"_s), done, report.Cancelled);
}

void TMain::ShowToolSummary(const QString &caption, const QString &done, bool cancelled)
{
    const QString text =
        cancelled ? Text(4056, u"Cancelled; what was done until then is kept: %1"_s).arg(done)
                  : done;
    ShowStatusText(text);
    m_dialogs->ShowMessage(this, TMessageKind::Information, caption, text);
}

void TMain::RunRemoveBadFiles()
{
    if (!m_db || m_readOnly || m_busy)
        return;
    const std::optional<TBadFileOptions> options =
        m_dialogs->AskBadFileOptions(this, m_badFileOptions);
    if (!options)
        return;
    m_badFileOptions = *options;
    // The card would otherwise write its old locations back later.
    if (m_editState == TEditState::Editing)
        ApplyEdits();

    TBadFileReport report;
    RunWithWaitWindow([&](const TMaintenanceProgress &progress) {
        report = RemoveBadFileLocations(*m_db, *options, progress);
    });
    for (TBaseMovie *movie : std::as_const(report.Changed))
        m_movieModel->RecordChanged(movie);
    ShowCurrent();
    CommandUpdate();
    ShowToolSummary(Text(1983, u"Remove bad file locations"_s),
                    (report.LocationsRemoved == 1 ? Text(4062, u"%1 file location removed"_s)
                                                  : Text(4055, u"%1 file locations removed"_s))
                        .arg(report.LocationsRemoved),
                    report.Cancelled);
}

void TMain::EditMultipleMovies()
{
    if (!m_db || m_readOnly || m_peopleMode || m_busy || m_editState == TEditState::Editing)
        return;
    QList<TBaseMovie *> movies;
    for (TDBItem *record : SelectedRecordsBelowGroups()) {
        if (record->Kind() != TRecordKind::Person)
            movies.append(static_cast<TBaseMovie *>(record));
    }
    if (movies.isEmpty())
        return;
    TMultiCommon common;
    for (const TBaseMovie *movie : std::as_const(movies))
        common.Add(*movie);
    const TMultiEditLists lists{m_settings.GenresList,
                                m_settings.QualityList,
                                m_settings.TranslationList,
                                m_settings.MediaTypeList};
    const std::optional<TMultiEditAnswer> answer = m_dialogs->AskMultiEdit(this, common, lists);
    if (!answer || !answer->Any())
        return;

    const bool moves = MultiEditMovesRows(*answer,
                                          ListView(false) == TViewMode::Tree,
                                          m_movieGroups->Levels(),
                                          m_settings.TitleFormat);
    TCatalogList *list = m_movieList;
    list->FlushFocus();
    TDBItem *current = CurrentRecord(false);
    if (moves)
        m_movieModel->BeginUpdate();
    for (TBaseMovie *movie : std::as_const(movies)) {
        ApplyMultiEdit(*movie, *answer);
        // The movie's rows go to the groups and places of its new values.
        if (moves && movie->Kind() == TRecordKind::Movie && movie->Shown()) {
            m_movieModel->Reshow(*movie);
        } else if (!moves) {
            m_movieModel->RecordChanged(movie);
        }
    }
    if (moves) {
        m_movieModel->EndUpdate();
        // The rows were made anew: the edited movies are selected again.
        list->clearSelection();
        for (const TBaseMovie *movie : std::as_const(movies)) {
            if (TViewNode *node = m_movieModel->FirstNodeOf(movie)) {
                list->selectionModel()->select(m_movieModel->IndexOf(node, 0),
                                               QItemSelectionModel::Select
                                                   | QItemSelectionModel::Rows);
            }
        }
        if (TViewNode *node = current ? m_movieModel->FirstNodeOf(current) : nullptr) {
            list->selectionModel()->setCurrentIndex(m_movieModel->IndexOf(node, 0),
                                                    QItemSelectionModel::NoUpdate);
        }
    }
    // A changed field may be the one the list is sorted by.
    m_movieModel->Resort();
    ShowCurrent();
    CommandUpdate();
}
