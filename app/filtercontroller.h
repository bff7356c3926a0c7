#pragma once

#include <functional>

#include <QList>
#include <QString>

#include "catalog/dbitem.h"
#include "logic/filters.h"

class ICommandHost;
class QAction;
class QKeySequence;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;
class QToolButton;
class TWideLanguage;
struct TSettings;

// The filters, the quick search and the web search box: the filter state the lists pass
// their records through, the chosen search field of each kind and the chosen web engine,
// with the View menu's filter entries and the filter bar that show them. It reaches the
// lists, the card's edit state and the dialogs through the command host; the frame hands
// it the bar and menus to fill.
class TFilterController
{
public:
    // Puts an action into the window's command table by name, with its text number and
    // English caption, and gives it back.
    using TAddAction = std::function<QAction *(const QString &, int, const QString &)>;

    // `settings` gives the web search engines; `language` leaves the captions made from code
    // out of the window's translation walk.
    TFilterController(ICommandHost &host, const TSettings &settings, TWideLanguage &language);

    const TFilterState &State() const { return m_filter; }

    // The View menu's filter entries, "Advanced Search" and the web search's "Go".
    void CreateActions(const TAddAction &addAction);
    // Fills `bar` (seen filter, search field and box, web search) and puts the filter entries
    // into `viewMenu` and "Advanced Search" into `toolsMenu` before `webSearchMenu`, the menu
    // of the engines that RebuildWebSearchMenus fills.
    void CreateBar(QToolBar *bar, QMenu *viewMenu, QMenu *toolsMenu, QMenu *webSearchMenu);
    // The search parts line up with the list pane `listWidth` pixels wide; the web search
    // is shown only when what is left of the bar has room for it.
    void LayOutBar(int listWidth);
    // After the search engines changed.
    void RebuildWebSearchMenus();
    // The shown kind changed: its search field, filter entries and seen button.
    void ApplyMode();
    // Empties the search box, which re-applies the filters.
    void ClearSearch();
    // The seen filter's entries sit in the seen button's menu too, which the window's
    // translation walk leaves out.
    void RetranslateEntries();
    // The captions made from other texts: the seen button's and the search field button's.
    void UpdateCaptions();
    // The bar's hints; the search box's names the Find key.
    void ShowHints(const QKeySequence &findKey);
    // Find: the search box takes the focus with its text selected, when it is enabled.
    void FocusSearchBox();
    // The text the web search box offers (the focused record's title or name).
    void SetWebSearchText(const QString &text);

    // Shows exactly the records of the shown kind that pass, keeping the focused record.
    void ReapplyFilters();
    // Chooses search field n of a kind (-1 none, 31 the advanced criteria for movies); a
    // field that is already chosen changes nothing.
    void ChooseSearchField(TRecordKind kind, int field);
    // Chooses a field and puts `text` into the search box (the link commands).
    void SetSearchField(TRecordKind kind, int field, const QString &text);
    void ShowAdvancedSearch();
    // Opens the web search of engine `index` for `text`.
    void WebSearch(int index, const QString &text);
    int WebEngine() const { return m_webEngine; }

    // The captions of the cards' field menus.
    QString SearchFieldCaption(TRecordKind kind, int field) const;
    QString SortColumnCaption(TRecordKind kind, int item) const;

private:
    QString Text(int number, const QString &english) const;
    void ChooseFilter(int &slot, int value);
    void UpdateFilterChecks();
    void RebuildSearchFieldMenu();
    void ShowSearchFieldCaption();
    void RebuildWebSearchMenu();
    void RebuildWebEngineMenu();

    ICommandHost &m_host;
    const TSettings &m_settings;
    TWideLanguage &m_language;

    TFilterState m_filter;
    QString m_searchFieldCaption;
    int m_webEngine = -1;

    // The bar's parts and menus; the window owns them through their parents.
    QToolBar *m_bar = nullptr;
    QToolButton *m_seenButton = nullptr;
    QLabel *m_searchLabel = nullptr;
    QToolButton *m_searchFieldButton = nullptr;
    QMenu *m_searchFieldMenu = nullptr;
    QLineEdit *m_searchEdit = nullptr;
    QLineEdit *m_webSearchEdit = nullptr;
    QToolButton *m_webEngineButton = nullptr;
    QMenu *m_webEngineMenu = nullptr;
    QMenu *m_webSearchMenu = nullptr;
    QList<QAction *> m_webSearchParts;   // their places on the bar
    QList<QAction *> m_filterActions[5]; // seen, wish, loan, media, bookmark
    QList<QAction *> m_movieOnlyFilters;
    QAction *m_advancedAction = nullptr;
    QAction *m_goAction = nullptr;
};
