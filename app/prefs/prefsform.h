#pragma once

#include <functional>
#include <vector>

#include <QColor>
#include <QDialog>
#include <QString>

#include "app/prefs/prefscontext.h"
#include "logic/settings.h"

class QLabel;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;
class TColoursPage;
class TDialogsPage;
class TFoldersPage;
class TInternetPage;
class TPrefsPageBase;

// The preferences window: a tree of pages on the left, one page at a time on the right.
// Every page edits the settings keys of its subject; the custom fields and image folders of
// the catalog and the plug-in page's masks reach their owners only in Store (OK).
class TPrefsForm : public QDialog
{
public:
    static constexpr int PageCount = static_cast<int>(TPrefsPage::Misc) + 1;

    // Seams for the two common dialogs the pages open. An invalid colour or an empty folder
    // means the user cancelled.
    using TColorChooser = std::function<QColor(const QColor &initial, const QString &title)>;
    using TFolderChooser = std::function<QString(const QString &start)>;

    explicit TPrefsForm(QWidget *parent = nullptr);
    ~TPrefsForm() override;

    // Fills every page from `settings` and the context, then translates the window when the
    // context has a language. The context's objects must outlive the form or the next Load.
    void Load(const TSettings &settings, const TPrefsContext &context);
    // Writes every page back: the keys into `settings`, custom fields and image folders into
    // the catalog, the plug-in page into the registry (TPluginsFrame::Accept) and the
    // registry's plug-in keys into `settings`. Called on OK.
    void Store(TSettings &settings);
    // Load, exec, Store on OK; true on OK. Cancel changes nothing except what the plug-in
    // page does at once (Set as default, Uninstall) and restores the interface language.
    bool Execute(TSettings &settings, const TPrefsContext &context);

    // Shows page `index` of the page tree (pre-order numbering); ignored out of range.
    void ShowPage(int index);
    void ShowPage(TPrefsPage page) { ShowPage(static_cast<int>(page)); }
    // Pre-order index of the selected tree node, -1 when none.
    int CurrentPage() const;

    // Language index chosen on the Dialogs page (TWideLanguage index), -1 when none.
    int ChosenLanguage() const;

    void SetColorChooser(TColorChooser chooser);
    void SetFolderChooser(TFolderChooser chooser);
    // The "Check now" button of the Internet page starts a version check through this.
    void SetUpdateChecker(std::function<void()> checker);
    // The outcome of a check started here, shown beside the button.
    void ShowUpdateStatus(const QString &text);

    // Cancel, Escape and the close box: the language the window was opened with returns.
    void reject() override;

private:
    void BuildPageTree();
    void BuildPages();
    void BuildButtons();
    // Puts `page` on the stack as the page of tree node `node`.
    template <typename TPage> TPage *AddPage(TPrefsPage node, TPage *page);
    void OnPageChanged(QTreeWidgetItem *item);
    void OnLanguageChosen(int index);
    void ApplyTranslation();
    void RestoreLanguage();

    QTreeWidget *m_pageTree = nullptr;
    std::vector<QTreeWidgetItem *> m_nodes; // pre-order
    QStackedWidget *m_stack = nullptr;
    QLabel *m_pageCaption = nullptr;
    std::vector<TPrefsPageBase *> m_pages; // in stack order
    TColoursPage *m_colours = nullptr;
    TDialogsPage *m_dialogs = nullptr;
    TFoldersPage *m_folders = nullptr;
    TInternetPage *m_internet = nullptr;

    TPrefsContext m_context;
    int m_initialLanguage = -1;
};
