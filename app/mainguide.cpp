// The main window's help for newcomers: the welcome of an empty catalog in the card, the user
// guide, and the tool-bar hints that name each button's key.
#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>
#include <QToolButton>

#include "app/catalogview.h"
#include "app/filtercontroller.h"
#include "app/listcontroller.h"
#include "app/maindialogs.h"
#include "app/mainui_p.h"
#include "app/mainwindow_p.h"
#include "app/transfercontroller.h"
#include "catalog/videodatabase.h"
#include "host/installlayout.h"
#include "views/actorframe.h"
#include "views/cardhost.h"
#include "views/mvframe.h"

using namespace Qt::StringLiterals;

// ----- welcome -------------------------------------------------------------------------------

void TMainPrivate::UpdateWelcome()
{
    const bool open = Database() && !ReadOnly();
    // Runs with every command update: the plug-ins are asked only while the welcome shows.
    const bool noMovies = open && Database()->MovieCount() == 0;
    m_ui->MovieFrame->SetWelcome(noMovies, noMovies && !m_transfers->WelcomeImports().isEmpty());
    m_ui->PeopleFrame->SetWelcome(open && Database()->PersonCount() == 0, false);
}

void TMainPrivate::OnWelcomeLink(const QString &target)
{
    if (target == QLatin1StringView(TCardFrame::WelcomeNew)) {
        if (QAction *create = Action(u"NewVidAct"_s); create->isEnabled())
            create->trigger();
        return;
    }
    if (target != QLatin1StringView(TCardFrame::WelcomeImport))
        return;
    m_transfers->ChooseWelcomeImport(m_ui->MovieFrame->findChild<QLabel *>(u"WelcomeImportLink"_s));
}

// ----- user guide ----------------------------------------------------------------------------

void TMainPrivate::ShowHelp()
{
    // The guide sits beside lang.txt: in the build tree or under the installed prefix.
    const QDir folder(TInstallLayout::ForProgram(m_options.programFolder).HelpFolder());
    // A German guide, when one is installed, for German texts.
    QString index = folder.filePath(u"de/index.html"_s);
    if (m_language.LanguageId() != 7 || !QFileInfo(index).isFile())
        index = folder.filePath(u"index.html"_s);
    if (!QFileInfo(index).isFile()) {
        m_dialogs->ShowError(&q,
                             Text(1802, u"Error"_s),
                             Text(3745, u"The user guide %1 was not found."_s).arg(index));
        return;
    }
    if (!m_dialogs->OpenWithDesktop(index)) {
        m_dialogs->ShowError(
            &q,
            Text(1802, u"Error"_s),
            Text(3746, u"No program to show the user guide was found. It is the file %1"_s)
                .arg(index));
    }
}

// ----- tool-bar hints ------------------------------------------------------------------------

void TMainPrivate::ShowToolTip(QAction *action)
{
    // The caption without its accelerator, then the key when the command has one.
    QString hint = action->text();
    hint.remove(u'&');
    if (hint.endsWith(u"..."_s))
        hint.chop(3);
    const QKeySequence key = action->shortcut();
    if (!key.isEmpty())
        hint += u" ("_s + key.toString(QKeySequence::NativeText) + u')';
    // setToolTip does nothing (and signals nothing) when the text is the same.
    action->setToolTip(hint);
}

void TMainPrivate::UpdateBarHints()
{
    m_filters->ShowHints(Action(u"FindAct"_s)->shortcut());
}

void TMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        d->OnStyleChange();
}

void TMainPrivate::OnStyleChange()
{
    if (!Movies().List())
        return;
    ApplyListLook();
    ApplyCardSettings();
    RepaintLists();
}
