// The Edit menu's undo, redo and undo history, the tool bar's buttons, and their captions
// and enabled states in step with the open catalog's undo stack.
#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <QUndoStack>
#include <QUndoView>

#include "app/cardedit.h"
#include "app/mainui_p.h"
#include "app/mainwindow_p.h"
#include "app/undocontroller.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int TextUndo = 4250;
constexpr int TextUndoWhat = 4251;
constexpr int TextRedo = 4252;
constexpr int TextRedoWhat = 4253;
constexpr int TextHistory = 4254;

} // namespace

void TMainPrivate::ConnectUndo()
{
    QAction *undo = AddAction(u"UndoAct"_s, 0, Text(TextUndo, u"&Undo"_s));
    QAction *redo = AddAction(u"RedoAct"_s, 0, Text(TextRedo, u"&Redo"_s));
    QAction *history = AddAction(u"UndoHistoryAct"_s, TextHistory, u"Undo &history"_s);
    undo->setShortcut(QKeySequence(u"Ctrl+Z"_s));
    redo->setShortcut(QKeySequence(u"Ctrl+Shift+Z"_s));
    // Their captions name the step and are set from code.
    m_language.Exclude(undo);
    m_language.Exclude(redo);
    undo->setIcon(QIcon::fromTheme(u"edit-undo"_s, q.style()->standardIcon(QStyle::SP_ArrowBack)));
    redo->setIcon(
        QIcon::fromTheme(u"edit-redo"_s, q.style()->standardIcon(QStyle::SP_ArrowForward)));

    if (QMenu *edit = q.menuBar()->findChild<QMenu *>(u"EditMenu"_s)) {
        QAction *first = edit->actions().value(0);
        edit->insertActions(first, {undo, redo, history});
        edit->insertSeparator(first);
    }
    if (m_ui->MainBar) {
        // After open and save, before the record commands.
        const QList<QAction *> bar = m_ui->MainBar->actions();
        const qsizetype save = bar.indexOf(Action(u"SaveDBAct"_s));
        QAction *before = save >= 0 ? bar.value(save + 1) : nullptr;
        m_ui->MainBar->insertActions(before, {undo, redo});
        m_ui->MainBar->insertSeparator(before);
        for (QAction *action : {undo, redo}) {
            QObject::connect(
                action, &QAction::changed, &q, [this, action] { ShowToolTip(action); });
            ShowToolTip(action);
        }
    }

    QUndoStack *stack = m_undo->Stack();
    QObject::connect(undo, &QAction::triggered, &q, [stack] { stack->undo(); });
    QObject::connect(redo, &QAction::triggered, &q, [stack] { stack->redo(); });
    QObject::connect(history, &QAction::triggered, &q, [this] {
        QUndoView *view = m_undo->HistoryWindow(&q);
        view->setWindowTitle(Text(TextHistory, u"Undo &history"_s).remove(u'&'));
        view->show();
        view->raise();
        view->activateWindow();
    });
    QObject::connect(stack, &QUndoStack::indexChanged, &q, [this] { UpdateUndoActions(); });
    QObject::connect(stack, &QUndoStack::cleanChanged, &q, [this] { UpdateUndoActions(); });
    UpdateUndoActions();
}

void TMainPrivate::UpdateUndoActions()
{
    QAction *undo = Action(u"UndoAct"_s);
    QAction *redo = Action(u"RedoAct"_s);
    if (!undo || !redo || !m_undo)
        return;
    // An edit in progress goes first: its input is not a step yet.
    const bool allowed = Database() && !ReadOnly() && m_edit
                         && m_edit->EditState() != TEditState::Editing && !m_busy;
    const QUndoStack *stack = m_undo->Stack();
    const auto caption = [this](QString what, int plain, int named, const char *english) {
        const QString text = Text(plain, QString::fromLatin1(english));
        if (what.isEmpty())
            return text;
        return Text(named, text + u" \"%1\""_s).arg(what);
    };
    undo->setText(caption(stack->undoText(), TextUndo, TextUndoWhat, "&Undo"));
    redo->setText(caption(stack->redoText(), TextRedo, TextRedoWhat, "&Redo"));
    undo->setEnabled(allowed && stack->canUndo());
    redo->setEnabled(allowed && stack->canRedo());
    if (QUndoView *view = m_undo->History())
        view->setEnabled(allowed);
}
