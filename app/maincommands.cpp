// The main window's record commands: their actions (the record commands and card edit
// controllers run them), the links' forwarding, the keyboard.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>

#include "app/cardedit.h"
#include "app/catalogview.h"
#include "app/filtercontroller.h"
#include "app/grouping.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/maindialogs.h"
#include "app/mainui_p.h"
#include "app/mainwindow_p.h"
#include "app/recordcard.h"
#include "app/recordcommands.h"
#include "app/toolscontroller.h"
#include "app/webcontroller.h"
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

} // namespace

void TMainPrivate::ConnectCommands()
{
    const auto on = [this](const char *name, auto handler) {
        QObject::connect(Action(QString::fromLatin1(name)), &QAction::triggered, &q, handler);
    };
    on("NewVidAct", [this] { m_records->NewRecord(); });
    on("EditVidAct", [this] { m_edit->EditRecord(); });
    on("ApplyVidAct", [this] { m_edit->ApplyEdits(); });
    on("AbortAct", [this] { m_edit->CancelEdits(); });
    on("ClearAct", [this] { m_records->ClearRecord(); });
    on("DelVidAct", [this] { m_records->DeleteRecords(); });
    on("DuplicateAct", [this] { m_records->DuplicateRecord(); });
    on("NewEpAct", [this] { m_records->NewEpisode(); });
    on("SetIDAct", [this] { m_records->SetRecordId(); });
    on("SetEpNumAct", [this] { m_records->SetEpisodeNumber(); });
    on("SetIDSAct", [this] { m_records->SetIdsOfSelection(); });
    on("SeenAct", [this] { m_records->ToggleSeen(); });
    on("NotSeenAct", [this] { m_records->SetSeen(false, NowDays()); });
    on("SeenTodayAct", [this] { m_records->SetSeen(true, NowDays()); });
    on("SeenYesterdayAct", [this] { m_records->SetSeen(true, NowDays() - 1); });
    on("Seen2DaysAct", [this] { m_records->SetSeen(true, NowDays() - 2); });
    on("SeenDateAct", [this] {
        const QDate today = QDate::currentDate();
        if (const std::optional<QDate> day = m_dialogs->AskDate(&q, today))
            m_records->SetSeen(true, DateToDays(*day));
    });
    on("PlayAct", [this] { m_records->PlayMovie(); });
    on("OpenFolderAct", [this] { m_records->OpenMovieFolder(); });
    on("BookAct", [this] { m_records->ToggleBookmark(); });
    on("NextBookAct", [this] { m_records->GoToBookmark(true); });
    on("PrevBookAct", [this] { m_records->GoToBookmark(false); });
    on("ClearBookAct", [this] { m_records->ClearBookmarks(); });

    // The list's context menu is the Movie menu.
    for (TCatalogList *list : {Movies().List(), People().List()}) {
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(
            list, &QWidget::customContextMenuRequested, &q, [this, list](const QPoint &at) {
                m_ui->MovieMenu->exec(list->viewport()->mapToGlobal(at));
            });
    }
    // Keys reach the window before its controls.
    qApp->installEventFilter(&q);
}

// ----- what the record commands ask of the window -------------------------------------------

void TMainPrivate::OpenMovieMaster(const QString &title,
                                   const QString &origTitle,
                                   const QString &files)
{
    m_web->OpenMovieMaster(title, origTitle, files);
}

void TMainPrivate::SetWebSearchText(const QString &text)
{
    m_filters->SetWebSearchText(text);
}

// ----- keyboard ------------------------------------------------------------------------------

bool TMainPrivate::HandleSpace()
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
    if (!list->hasFocus() && !(cardFocused && m_edit->EditState() == TEditState::Viewing))
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

bool TMainPrivate::HandleCardKey(int key)
{
    // While reading, the arrow and page keys move the card rather than its fields.
    if (m_edit->EditState() != TEditState::Viewing || Shown().View() == TViewMode::Grid)
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

std::optional<bool> TMainPrivate::FilterKey(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != &q)
        return std::nullopt;
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
            && key->modifiers() == Qt::NoModifier && KeepsEnter(m_edit->EditColumn())) {
            return true;
        }
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier
            && !qobject_cast<QLineEdit *>(widget) && !inMovieEditor && HandleSpace()) {
            return true;
        }
        if (key->modifiers() == Qt::NoModifier && HandleCardKey(key->key()))
            return true;
    }
    return std::nullopt;
}

bool TMain::eventFilter(QObject *watched, QEvent *event)
{
    if (const std::optional<bool> taken = d->FilterKey(watched, event))
        return *taken;
    return QMainWindow::eventFilter(watched, event);
}
