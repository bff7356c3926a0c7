// The main window's actions, menus, tool bars, status bar and splitter, and keeping the
// commands' enabled states in step with the catalog, the lists and the card.
#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QWidgetAction>

#include "app/aboutbox.h"
#include "app/cardedit.h"
#include "app/catalogsession.h"
#include "app/catalogview.h"
#include "app/filtercontroller.h"
#include "app/grouping.h"
#include "app/listcontroller.h"
#include "app/listmodel.h"
#include "app/loancontroller.h"
#include "app/logform.h"
#include "app/maindialogs.h"
#include "app/mainsession_p.h"
#include "app/mainui_p.h"
#include "app/mainwindow_p.h"
#include "app/passdlg.h"
#include "app/prefs/prefsform.h"
#include "app/recordcard.h"
#include "app/recordcommands.h"
#include "app/statscontroller.h"
#include "app/statsform.h"
#include "app/toolscontroller.h"
#include "app/transfercontroller.h"
#include "app/waitwindow.h"
#include "app/webcontroller.h"
#include "app/widefiledialog.h"
#include "catalog/basemovie.h"
#include "catalog/dbitem.h"
#include "catalog/videodatabase.h"
#include "host/pluginsframe.h"
#include "views/actorframe.h"
#include "views/linktext.h"
#include "views/mvframe.h"
#include "views/screenmaker.h"
#include "views/translate.h"

using namespace Qt::StringLiterals;

namespace {

// Status bar panels: record count, shown count, messages.
constexpr int PanelCount = 3;

// The message panel. A message too long for it (an import's summary) ends in "…", and the
// whole shows as its tooltip.
class TMessagePanel : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    bool event(QEvent *event) override
    {
        // The tooltip only when the panel cannot show the whole text.
        if (event->type() == QEvent::ToolTip && !Elided()) {
            event->ignore();
            return true;
        }
        return QLabel::event(event);
    }
    void paintEvent(QPaintEvent *event) override
    {
        if (!Elided()) {
            QLabel::paintEvent(event);
            return;
        }
        QFrame::paintEvent(event);
        QPainter painter(this);
        const QRect area = TextArea();
        painter.drawText(
            area, int(alignment()), fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
    }

private:
    QRect TextArea() const
    {
        // QLabel's own inset in a frame: half the width of an "x".
        const int inset = frameWidth() > 0 ? fontMetrics().horizontalAdvance(u'x') / 2 : 0;
        return contentsRect().adjusted(inset + margin(), margin(), -inset - margin(), -margin());
    }
    bool Elided() const { return fontMetrics().horizontalAdvance(text()) > TextArea().width(); }
};

// Runs `action` on the focused text box of any of the three kinds; false without one.
template <typename F> bool WithFocusedText(F action)
{
    QWidget *focus = QApplication::focusWidget();
    if (auto *edit = qobject_cast<QLineEdit *>(focus))
        action(edit);
    else if (auto *text = qobject_cast<QTextEdit *>(focus))
        action(text);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(focus))
        action(plain);
    else
        return false;
    return true;
}

void SetTag(QObject *object, int tag)
{
    object->setProperty(TagProperty, tag);
}

} // namespace

// ----- actions, menus and bars --------------------------------------------------------------

QAction *TMainPrivate::AddAction(const QString &name, int tag, const QString &caption)
{
    auto *action = new QAction(caption, &q);
    action->setObjectName(name);
    if (tag != 0)
        SetTag(action, tag);
    m_ui->Actions.insert(name, action);
    return action;
}

TLogForm *TMainPrivate::LogForm() const
{
    return m_ui->LogForm;
}

TWaitWindow *TMainPrivate::WaitWindow() const
{
    return m_ui->WaitWindow;
}

QAction *TMainPrivate::Action(const QString &name) const
{
    return m_ui->Actions.value(name, nullptr);
}

void TMainPrivate::CreateActions()
{
    struct TActionRow
    {
        const char *name;
        int tag;
        const char *caption;
        QKeySequence shortcut;
    };
    const TActionRow rows[] = {
        {"NewVidAct", 120, "&New", QKeySequence(u"Ctrl+N"_s)},
        {"EditVidAct", 121, "&Edit", QKeySequence(u"Ctrl+E"_s)},
        {"ApplyVidAct", 122, "&Apply changes", QKeySequence(u"Ctrl+Alt+Y"_s)},
        {"AbortAct", 123, "&Cancel changes", QKeySequence(Qt::Key_Escape)},
        {"ClearAct", 124, "Clea&r", {}},
        {"DelVidAct", 125, "&Delete", {}},
        {"DuplicateAct", 126, "Du&plicate", QKeySequence(u"Ctrl+D"_s)},
        {"NewEpAct", 127, "New &Epi&sode", QKeySequence(u"Ctrl+Alt+E"_s)},
        {"SetIDAct", 128, "Set &ID", {}},
        {"SetEpNumAct", 129, "Set Episode Number", {}},
        {"SetIDSAct", 130, "Set &IDs for selected movies", {}},
        {"LoanAct", 0, "&Loan", {}},
        {"SeenAct", 132, "Seen", {}},
        {"PlayAct", 139, "Pla&y", QKeySequence(u"Ctrl+P"_s)},
        {"OpenFolderAct", 140, "&Open containing folder", {}},
        {"BookAct", 141, "&Set/Remove bookmark", {}},
        {"NextBookAct", 142, "Go to &next bookmark", QKeySequence(Qt::Key_F2)},
        {"PrevBookAct", 143, "Go to &previous bookmark", QKeySequence(u"Shift+F2"_s)},
        {"ClearBookAct", 144, "&Clear all bookmarks", QKeySequence(u"Ctrl+Alt+C"_s)},
        {"NewDBAct", 110, "New...", {}},
        {"OpenDBAct", 111, "&Open...", QKeySequence(u"Ctrl+O"_s)},
        {"SaveDBAct", 112, "&Save", QKeySequence(u"Ctrl+S"_s)},
        {"SaveAsDBAct", 113, "Save &as...", {}},
        {"AppendAct", 114, "Appen&d...", {}},
        {"ProtectAct", 0, "Pass&word Protect", {}},
        {"dbModeAct", 0, "Switch to people", {}},
        {"EditSelectAll1", 146, "Select &All", QKeySequence(u"Ctrl+A"_s)},
        {"EditCut", 147, "Cu&t", QKeySequence(u"Ctrl+X"_s)},
        {"EditCopy", 148, "&Copy", QKeySequence(u"Ctrl+C"_s)},
        {"EditPaste", 149, "&Paste", QKeySequence(u"Ctrl+V"_s)},
        {"ExitAct", 116, "&Exit", QKeySequence(u"Ctrl+Q"_s)},
        {"NewMasterAct", 150, "New Movie &Master", QKeySequence(u"Ctrl+M"_s)},
        {"ImportAct", 0, "Import", {}},
        {"ExportAct", 0, "Export", {}},
        {"RemDupAct", 153, "Remove &Duplicates...", {}},
        {"RemBadFilesAct", 154, "&Remove bad file locations...", {}},
        {"StatsAct", 155, "Sta&tistics...", {}},
        {"HistoryAct", 156, "Loan history...", {}},
        {"OptsAct", 157, "&Preferences...", {}},
        {"LogAct", 158, "&Log", {}},
        {"AboutAct", 159, "&About...", {}},
        {"NotSeenAct", 134, "Not seen", {}},
        {"SeenTodayAct", 135, "Today", {}},
        {"SeenYesterdayAct", 136, "Yesterday", {}},
        {"Seen2DaysAct", 137, "2 Days ago", {}},
        {"SeenDateAct", 138, "Set date", {}},
        {"PlainViewAct", 0, "&Plain view", QKeySequence(u"Ctrl+F1"_s)},
        {"TreeViewAct", 0, "&Tree view", QKeySequence(u"Ctrl+F2"_s)},
        {"GridViewAct", 0, "&Grid view", QKeySequence(u"Ctrl+F3"_s)},
        {"CoversViewAct", 0, "&Covers view", QKeySequence(u"Ctrl+F4"_s)},
        {"FindAct", 3747, "&Find", QKeySequence(u"Ctrl+F"_s)},
        {"HelpAct", 3748, "&Contents", QKeySequence(u"F1"_s)},
    };
    for (const TActionRow &row : rows) {
        QAction *action =
            AddAction(QString::fromLatin1(row.name), row.tag, QString::fromLatin1(row.caption));
        if (!row.shortcut.isEmpty())
            action->setShortcut(row.shortcut);
    }
    // Ctrl+Enter applies as well as the listed shortcut.
    Action(u"ApplyVidAct"_s)
        ->setShortcuts({QKeySequence(u"Ctrl+Alt+Y"_s),
                        QKeySequence(u"Ctrl+Return"_s),
                        QKeySequence(u"Ctrl+Enter"_s)});
    for (const char *name : {"PlainViewAct", "TreeViewAct", "GridViewAct", "CoversViewAct"}) {
        QAction *action = Action(QString::fromLatin1(name));
        action->setCheckable(true);
        // Their captions are set from code, not by the window walk.
        m_language.Exclude(action);
    }
    Action(u"PlainViewAct"_s)->setChecked(true);

    ConnectActions();

    // The movie-only commands hide in people mode.
    for (const char *name : {"NewMasterAct",
                             "LoanAct",
                             "PlayAct",
                             "NewEpAct",
                             "SetIDAct",
                             "SetEpNumAct",
                             "OpenFolderAct",
                             "SetIDSAct",
                             "RemBadFilesAct",
                             "SeenAct"})
        m_ui->MovieOnly.append(Action(QString::fromLatin1(name)));
}

void TMainPrivate::ConnectActions()
{
    const auto on = [this](const char *name, auto handler) {
        QObject::connect(Action(QString::fromLatin1(name)), &QAction::triggered, &q, handler);
    };
    on("NewDBAct", [this] { m_session->NewCatalog(); });
    on("PlainViewAct", [this] { SetListView(Shown(), TViewMode::Plain); });
    on("TreeViewAct", [this] { SetListView(Shown(), TViewMode::Tree); });
    on("GridViewAct", [this] { SetListView(Shown(), TViewMode::Grid); });
    on("CoversViewAct", [this] { SetListView(Shown(), TViewMode::Covers); });
    on("OpenDBAct", [this] { m_session->OpenCatalogDialog(); });
    on("SaveDBAct", [this] { m_session->SaveCatalog(); });
    on("SaveAsDBAct", [this] { m_session->SaveCatalogAs(); });
    on("AppendAct", [this] { m_session->AppendCatalog(); });
    on("ProtectAct", [this] { m_session->ProtectCatalog(); });
    on("ExitAct", [this] { q.close(); });
    on("dbModeAct", [this] { SwitchMode(); });
    on("EditSelectAll1", [this] { SelectAll(); });
    on("EditCut", [] { WithFocusedText([](auto *edit) { edit->cut(); }); });
    on("EditCopy", [] {
        if (auto *links = qobject_cast<TLinkText *>(QApplication::focusWidget()))
            links->CopySelection();
        else
            WithFocusedText([](auto *edit) { edit->copy(); });
    });
    on("EditPaste", [] { WithFocusedText([](auto *edit) { edit->paste(); }); });
    on("OptsAct", [this] { ShowPreferences(); });
    on("LogAct", [this] {
        m_ui->LogForm->show();
        m_ui->LogForm->raise();
        m_ui->LogForm->activateWindow();
    });
    on("AboutAct", [this] { m_ui->AboutBox->exec(); });
    on("NewMasterAct", [this] { m_web->OpenMovieMaster(QString(), QString(), QString()); });
    on("RemDupAct", [this] { m_tools->RunRemoveDuplicates(); });
    on("RemBadFilesAct", [this] { m_tools->RunRemoveBadFiles(); });
    on("LoanAct", [this] { m_loans->LoanMovies(); });
    on("HistoryAct", [this] { m_loans->ShowLoanHistory(); });
    on("StatsAct", [this] { m_stats->ShowStatistics(); });
    on("HelpAct", [this] { ShowHelp(); });
    on("FindAct", [this] { m_filters->FocusSearchBox(); });
}

void TMainPrivate::CreateMenus()
{
    QMenuBar *bar = q.menuBar();
    bar->setObjectName(u"MainMenu"_s);

    m_ui->FileMenu = bar->addMenu(u"&File"_s);
    m_ui->FileMenu->setObjectName(u"FileMenu"_s);
    SetTag(m_ui->FileMenu, 100);
    for (const char *name : {"NewDBAct", "OpenDBAct", "SaveDBAct", "SaveAsDBAct", "AppendAct"})
        m_ui->FileMenu->addAction(Action(QString::fromLatin1(name)));
    m_ui->FileMenu->addSeparator();
    m_ui->FileMenu->addAction(Action(u"ProtectAct"_s));
    m_ui->FileMenu->addSeparator();
    m_ui->RecentSeparator = m_ui->FileMenu->addSeparator();
    m_ui->FileMenu->addAction(Action(u"ExitAct"_s));

    QMenu *edit = bar->addMenu(u"&Edit"_s);
    edit->setObjectName(u"EditMenu"_s);
    SetTag(edit, 101);
    for (const char *name : {"EditCut", "EditCopy", "EditPaste"})
        edit->addAction(Action(QString::fromLatin1(name)));
    edit->addSeparator();
    edit->addAction(Action(u"EditSelectAll1"_s));
    edit->addAction(Action(u"FindAct"_s));

    m_ui->MovieMenu = bar->addMenu(u"Movies"_s);
    m_ui->MovieMenu->setObjectName(u"MovieMenu"_s);
    for (const char *name : {"NewVidAct",
                             "EditVidAct",
                             "ApplyVidAct",
                             "AbortAct",
                             "ClearAct",
                             "DelVidAct",
                             "DuplicateAct"})
        m_ui->MovieMenu->addAction(Action(QString::fromLatin1(name)));
    m_ui->MovieMenu->addSeparator();
    for (const char *name : {"NewEpAct", "SetIDAct", "SetEpNumAct", "SetIDSAct"})
        m_ui->MovieMenu->addAction(Action(QString::fromLatin1(name)));
    m_ui->MovieMenu->addAction(Action(u"NewMasterAct"_s));
    m_ui->MovieMenu->addSeparator();
    m_ui->MovieMenu->addAction(Action(u"LoanAct"_s));
    m_ui->SeenMenu = m_ui->MovieMenu->addMenu(u"Seen"_s);
    m_ui->SeenMenu->setObjectName(u"SeenMenu"_s);
    SetTag(m_ui->SeenMenu, 133);
    for (const char *name :
         {"NotSeenAct", "SeenTodayAct", "SeenYesterdayAct", "Seen2DaysAct", "SeenDateAct"})
        m_ui->SeenMenu->addAction(Action(QString::fromLatin1(name)));
    m_ui->MovieOnly.append(m_ui->SeenMenu->menuAction());
    m_ui->MovieMenu->addSeparator();
    m_ui->MovieMenu->addAction(Action(u"PlayAct"_s));
    m_ui->MovieMenu->addAction(Action(u"OpenFolderAct"_s));
    m_ui->MovieMenu->addSeparator();
    for (const char *name : {"BookAct", "NextBookAct", "PrevBookAct", "ClearBookAct"})
        m_ui->MovieMenu->addAction(Action(QString::fromLatin1(name)));

    m_ui->ViewMenu = bar->addMenu(u"&View"_s);
    m_ui->ViewMenu->setObjectName(u"ViewMenu"_s);
    SetTag(m_ui->ViewMenu, 103);
    m_ui->ViewMenu->addAction(Action(u"dbModeAct"_s));
    m_ui->ViewMenu->addSeparator();
    for (const char *name : {"PlainViewAct", "TreeViewAct", "GridViewAct", "CoversViewAct"})
        m_ui->ViewMenu->addAction(Action(QString::fromLatin1(name)));

    m_ui->ToolsMenu = bar->addMenu(u"&Tools"_s);
    m_ui->ToolsMenu->setObjectName(u"ToolsMenu"_s);
    SetTag(m_ui->ToolsMenu, 104);
    m_ui->ToolsMenu->addAction(Action(u"NewMasterAct"_s));
    m_ui->ToolsMenu->addSeparator();
    m_ui->ToolsMenu->addAction(Action(u"RemDupAct"_s));
    m_ui->ToolsMenu->addAction(Action(u"RemBadFilesAct"_s));
    m_ui->ToolsMenu->addSeparator();
    m_ui->ToolsMenu->addAction(Action(u"StatsAct"_s));
    m_ui->ToolsMenu->addAction(Action(u"HistoryAct"_s));
    m_ui->ToolsMenu->addSeparator();
    m_ui->WebSearchMenu = m_ui->ToolsMenu->addMenu(u"&Web search"_s);
    m_ui->WebSearchMenu->setObjectName(u"WebSearchMenu"_s);
    SetTag(m_ui->WebSearchMenu, 170);
    m_ui->ToolsMenu->addSeparator();
    m_ui->ToolsMenu->addAction(Action(u"OptsAct"_s));

    m_transfers->CreateMenus(bar);

    QMenu *help = bar->addMenu(u"&Help"_s);
    help->setObjectName(u"HelpMenu"_s);
    SetTag(help, 107);
    help->addAction(Action(u"HelpAct"_s));
    help->addSeparator();
    help->addAction(Action(u"LogAct"_s));
    help->addSeparator();
    help->addAction(Action(u"AboutAct"_s));
}

void TMainPrivate::CreateToolBars()
{
    m_ui->MainBar = q.addToolBar(u"Main"_s);
    m_ui->MainBar->setObjectName(u"MainToolBar"_s);
    m_ui->MainBar->setMovable(false);
    m_ui->MainBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QStyle *style = q.style();
    const auto icon = [](const char *theme, QIcon fallback) {
        return QIcon::fromTheme(QString::fromLatin1(theme), fallback);
    };
    Action(u"NewVidAct"_s)->setIcon(icon("document-new", style->standardIcon(QStyle::SP_FileIcon)));
    Action(u"EditVidAct"_s)->setIcon(icon("document-edit", QIcon()));
    Action(u"ApplyVidAct"_s)
        ->setIcon(icon("dialog-ok-apply", style->standardIcon(QStyle::SP_DialogApplyButton)));
    Action(u"AbortAct"_s)
        ->setIcon(icon("dialog-cancel", style->standardIcon(QStyle::SP_DialogCancelButton)));
    Action(u"DelVidAct"_s)->setIcon(icon("edit-delete", style->standardIcon(QStyle::SP_TrashIcon)));
    Action(u"OpenDBAct"_s)
        ->setIcon(icon("document-open", style->standardIcon(QStyle::SP_DialogOpenButton)));
    Action(u"SaveDBAct"_s)
        ->setIcon(icon("document-save", style->standardIcon(QStyle::SP_DialogSaveButton)));
    Action(u"PlayAct"_s)
        ->setIcon(icon("media-playback-start", style->standardIcon(QStyle::SP_MediaPlay)));
    Action(u"OptsAct"_s)->setIcon(icon("preferences-system", QIcon()));
    Action(u"dbModeAct"_s)->setIcon(icon("system-users", QIcon()));

    m_ui->MainBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const char *name : {"OpenDBAct", "SaveDBAct"})
        m_ui->MainBar->addAction(Action(QString::fromLatin1(name)));
    m_ui->MainBar->addSeparator();
    for (const char *name : {"NewVidAct", "EditVidAct", "ApplyVidAct", "AbortAct", "DelVidAct"})
        m_ui->MainBar->addAction(Action(QString::fromLatin1(name)));
    m_ui->MainBar->addSeparator();
    m_ui->MainBar->addAction(Action(u"SeenAct"_s));
    m_ui->MainBar->addAction(Action(u"PlayAct"_s));
    m_ui->MainBar->addSeparator();

    // The default import and export plug-ins' buttons; their texts come from the plug-ins.
    m_transfers->CreateToolButtons(m_ui->MainBar, Action(u"ImportAct"_s), Action(u"ExportAct"_s));
    m_ui->MainBar->addSeparator();
    m_ui->MainBar->addAction(Action(u"dbModeAct"_s));
    m_ui->MainBar->addAction(Action(u"OptsAct"_s));
    // Every button's hint names its key; it follows the caption through language and mode
    // changes. The plug-in buttons show the plug-ins' own hints instead.
    for (QAction *action : m_ui->MainBar->actions() + QList<QAction *>{Action(u"WebSearchAct"_s)}) {
        if (action->isSeparator() || qobject_cast<QWidgetAction *>(action)
            || action == Action(u"ImportAct"_s) || action == Action(u"ExportAct"_s))
            continue;
        QObject::connect(action, &QAction::changed, &q, [this, action] { ShowToolTip(action); });
        ShowToolTip(action);
    }
    // The filter bar: seen filter, search field and box, web search.
    q.addToolBarBreak();
    m_ui->FilterBar = q.addToolBar(u"Filter"_s);
    m_ui->FilterBar->setObjectName(u"FilterBar"_s);
    m_ui->FilterBar->setMovable(false);
    m_filters->CreateBar(m_ui->FilterBar, m_ui->ViewMenu, m_ui->ToolsMenu, m_ui->WebSearchMenu);
}

void TMainPrivate::CreateCentralArea()
{
    m_ui->Splitter = new QSplitter(Qt::Horizontal, &q);
    m_ui->Splitter->setObjectName(u"Splitter"_s);
    m_ui->Splitter->setChildrenCollapsible(false);

    m_ui->ListStack = new QStackedWidget(m_ui->Splitter);
    m_ui->ListStack->setObjectName(u"ListPane"_s);
    m_ui->ListStack->setMinimumWidth(MinListWidth);
    CreateLists();

    // The cards fill this pane; it keeps the room they need.
    m_ui->CardStack = new QStackedWidget(m_ui->Splitter);
    m_ui->CardStack->setObjectName(u"CardPane"_s);
    m_ui->CardStack->setMinimumWidth(MinCardWidth);
    CreateCards();
    m_ui->Splitter->addWidget(m_ui->ListStack);
    m_ui->Splitter->addWidget(m_ui->CardStack);
    m_ui->Splitter->setStretchFactor(0, 0);
    m_ui->Splitter->setStretchFactor(1, 1);
    QObject::connect(m_ui->Splitter, &QSplitter::splitterMoved, &q, [this] { OnSplitterMoved(); });
    q.setCentralWidget(m_ui->Splitter);
    q.setMinimumHeight(MinWindowHeight);
}

void TMainPrivate::CreateStatusBar()
{
    QStatusBar *bar = q.statusBar();
    bar->setObjectName(u"StatusBar"_s);
    for (int i = 0; i < PanelCount; ++i) {
        auto *panel = i == PanelCount - 1 ? new TMessagePanel(bar) : new QLabel(bar);
        panel->setObjectName(u"StatusPanel%1"_s.arg(i));
        panel->setFrameShape(QFrame::StyledPanel);
        // Messages carry names from files (an import's field names): never markup.
        panel->setTextFormat(Qt::PlainText);
        if (i == PanelCount - 1)
            bar->addWidget(panel, 1);
        else
            bar->addWidget(panel);
        m_ui->Panels.append(panel);
    }
    m_ui->Panels[1]->setMinimumWidth(120);
}

void TMainPrivate::OnSplitterMoved()
{
    const int listWidth = m_ui->Splitter->sizes().value(0);
    if (listWidth <= 0)
        return;
    m_settings.Splitter = listWidth;
    m_ui->Panels[0]->setFixedWidth(listWidth);
    Movies().List()->FitTitleColumn();
    People().List()->FitTitleColumn();
    m_filters->LayOutBar(listWidth);
}

void TMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    d->OnResize();
}

void TMainPrivate::OnResize()
{
    if (m_ui->Splitter)
        m_filters->LayOutBar(m_ui->Splitter->sizes().value(0, m_settings.Splitter));
}

void TMainPrivate::SelectAll()
{
    if (WithFocusedText([](auto *edit) { edit->selectAll(); }))
        return;
    if (auto *links = qobject_cast<TLinkText *>(QApplication::focusWidget())) {
        links->SelectAll();
        return;
    }
    if (auto *list = qobject_cast<QTreeView *>(QApplication::focusWidget()))
        list->selectAll();
}

void TMainPrivate::CommandUpdate()
{
    const bool people = m_peopleMode;
    const bool hasSelection = Shown().List() && Shown().List()->selectionModel()
                              && Shown().List()->selectionModel()->hasSelection();
    const bool open = Database() != nullptr;
    const bool writable = !ReadOnly() && open;
    TDBItem *current = Shown().Current();
    TBaseMovie *movie = !people && current ? static_cast<TBaseMovie *>(current) : nullptr;
    const bool editing = m_edit->EditState() == TEditState::Editing;
    const auto enable = [this](const char *name, bool on) {
        Action(QString::fromLatin1(name))->setEnabled(on);
    };
    enable("SaveDBAct", open && Database()->Modified() && !ReadOnly());
    enable("SaveAsDBAct", open && m_session->LoadOk());
    enable("AppendAct", writable);
    enable("ProtectAct", writable);
    enable("StatsAct", open && Database()->MovieCount() > 0);
    for (const char *name : {"NewDBAct",
                             "OpenDBAct",
                             "dbModeAct",
                             "EditSelectAll1",
                             "EditCut",
                             "EditCopy",
                             "EditPaste",
                             "ExitAct",
                             "OptsAct",
                             "LogAct",
                             "AboutAct",
                             "HelpAct",
                             "FindAct",
                             "BookAct",
                             "NextBookAct",
                             "PrevBookAct",
                             "ClearBookAct",
                             "AdvSearchAct"})
        enable(name, true);
    enable("NewVidAct", writable);
    enable("EditVidAct", writable && m_edit->EditState() == TEditState::Viewing && hasSelection);
    enable("ApplyVidAct", editing);
    enable("AbortAct", editing);
    enable("ClearAct", writable && current);
    enable("DelVidAct", writable && current);
    enable("DuplicateAct", writable && current);
    enable("NewEpAct", writable && movie);
    enable("SetIDAct", writable && movie);
    enable("SetEpNumAct", writable && movie && movie->Kind() == TRecordKind::Episode);
    enable("SetIDSAct", writable && !people && hasSelection);
    enable("SeenAct", writable && movie);
    m_ui->SeenMenu->setEnabled(writable && movie);
    Action(u"NotSeenAct"_s)->setVisible(movie && movie->Viewed());
    for (const char *name :
         {"NotSeenAct", "SeenTodayAct", "SeenYesterdayAct", "Seen2DaysAct", "SeenDateAct"})
        enable(name, writable && movie);
    const bool playable = movie && !TRecordCommands::UsableFile(*movie).isEmpty();
    enable("PlayAct", playable);
    enable("OpenFolderAct", playable);
    // The loan command names what it would do with the current movie.
    Action(u"LoanAct"_s)
        ->setText(movie && !movie->Loan().isEmpty() ? Text(1853, u"&Return"_s)
                                                    : Text(1852, u"&Loan"_s));
    enable("LoanAct", writable && movie);
    enable("HistoryAct", true);
    enable("RemDupAct", writable);
    enable("RemBadFilesAct", writable);
    // A group row or several movie rows are edited together, also without a current movie.
    if (writable && !editing && m_tools->MultiEditSelection())
        enable("EditVidAct", true);
    enable("NewMasterAct", writable);
    UpdateViewActions();
    m_transfers->UpdateActions(hasSelection);
    UpdateUndoActions();
    UpdateWelcome();
}

// ----- menus built from lists ----------------------------------------------------------------

void TMainPrivate::RebuildRecentMenu()
{
    for (QAction *action : std::as_const(m_ui->RecentActions)) {
        m_ui->FileMenu->removeAction(action);
        // The entry may be the one being chosen right now: it goes once its signal is done.
        action->setObjectName(QString());
        action->deleteLater();
    }
    m_ui->RecentActions.clear();
    const QStringList captions = m_session->Recent().Captions();
    for (int i = 0; i < captions.size(); ++i) {
        auto *action = new QAction(captions.at(i), m_ui->FileMenu);
        action->setObjectName(u"RecentFile%1"_s.arg(i));
        QObject::connect(action, &QAction::triggered, &q, [this, i] {
            m_session->OpenCatalog(m_session->Recent().Expand(i, m_folders.StoreBase()));
        });
        m_ui->FileMenu->insertAction(m_ui->RecentSeparator, action);
        m_ui->RecentActions.append(action);
    }
}
