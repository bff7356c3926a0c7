#pragma once

#include <memory>

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>

#include "app/logform.h"
#include "app/recordcard.h"
#include "app/waitwindow.h"

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QStackedWidget;
class QToolBar;
class QToolButton;
class TAboutBox;
class TActorFrame;
class TmvFrame;

// The layout limits of the window, the plain and tree views and the cards.
constexpr int MinWindowHeight = 500;
constexpr int MinListWidth = 150;
constexpr int MinCardWidth = 650;

// The main window's widgets: the splitter with the lists and the cards, the tool bars with
// the filter bar, the menus and the other windows. The frame makes them once and wires
// them to the controllers; everything else reaches them through the frame.
struct TMainUi
{
    // Layout: the lists' stack beside the cards' stack.
    QSplitter *Splitter = nullptr;
    QStackedWidget *ListStack = nullptr;
    QStackedWidget *CardStack = nullptr;
    TmvFrame *MovieFrame = nullptr;
    TActorFrame *PeopleFrame = nullptr;
    // The cards as the lists' controllers see them.
    std::unique_ptr<IRecordCard> MovieCardLink;
    std::unique_ptr<IRecordCard> PeopleCardLink;
    QToolBar *MainBar = nullptr;
    QToolBar *FilterBar = nullptr;
    QList<QLabel *> Panels;

    // Menus and the command table's actions by name.
    QHash<QString, QAction *> Actions;
    QMenu *FileMenu = nullptr;
    QMenu *MovieMenu = nullptr;
    QMenu *SeenMenu = nullptr;
    QMenu *ViewMenu = nullptr;
    QMenu *ToolsMenu = nullptr;
    QMenu *WebSearchMenu = nullptr;
    QAction *RecentSeparator = nullptr;
    QList<QAction *> RecentActions;
    // Commands hidden in people mode.
    QList<QAction *> MovieOnly;

    // The other windows.
    QPointer<TLogForm> LogForm;
    QPointer<TWaitWindow> WaitWindow;
    QPointer<TAboutBox> AboutBox;
};
