#pragma once

#include <functional>
#include <memory>

#include <QColor>
#include <QDialog>
#include <QString>
#include <QStringList>

#include "logic/settings.h"

class IMessageSink;
class IYesNoQuestion;
class QLabel;
class QLineEdit;
class QTreeWidgetItem;
class TPluginRegistry;
class TPluginsFrame;
class TVideoDatabase;
class TWideLanguage;

// What the window program hands the preferences window.
struct TPrefsContext
{
    TVideoDatabase *database = nullptr; // custom fields and image folders; may be null
    // The catalog is read-only: its custom fields and folders are shown but not editable.
    bool readOnly = false;
    TPluginRegistry *registry = nullptr; // may be null (no plug-in page rows)
    TWideLanguage *language = nullptr;   // may be null (built-in English texts)
    IYesNoQuestion *question = nullptr; // for the plug-in page's uninstall; a message box when null
    IMessageSink *messages = nullptr;
};

// Pages of the page tree by their pre-order index. A group node (Movies, People, Lists)
// shows the page of its first child.
enum class TPrefsPage : int {
    Movies,
    MovieTitle,
    MovieTree,
    MovieGrid,
    MovieItems,
    MovieCustom,
    MovieCard,
    People,
    PeopleTitle,
    PeopleTree,
    PeopleGrid,
    PeopleItems,
    PeopleCard,
    Lists,
    Genres,
    MediaTypes,
    Quality,
    VideoCodecs,
    AudioCodecs,
    Translation,
    Career,
    Colours,
    Dialogs,
    Folders,
    WebSearch,
    Plugins,
    Internet,
    Misc,
};

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

    void SetColorChooser(TColorChooser chooser) { m_colorChooser = std::move(chooser); }
    void SetFolderChooser(TFolderChooser chooser) { m_folderChooser = std::move(chooser); }
    // The "Check now" button of the Internet page starts a version check through this.
    void SetUpdateChecker(std::function<void()> checker) { m_updateChecker = std::move(checker); }
    // The outcome of a check started here, shown beside the button.
    void ShowUpdateStatus(const QString &text);

    // Cancel, Escape and the close box: the language the window was opened with returns.
    void reject() override;

private:
    struct TWidgets;

    void BuildPageTree();
    void BuildTitlePages();
    void BuildTreePages();
    void BuildColumnAndItemPages();
    void BuildCustomPage();
    void BuildCardPages();
    void BuildListPages();
    void BuildColourPage();
    void BuildDialogsPage();
    void BuildFoldersPage();
    void BuildWebPage();
    void BuildPluginsPage();
    void BuildInternetPage();
    void BuildMiscPage();

    void LoadCustomFields();
    void StoreCustomFields();
    void UpdateCustomButtons();
    void LoadImageFolders();
    void StoreImageFolders();
    void FillPluginRows();
    void ShowPluginSelection();
    void RefreshPluginFonts();
    void ChooseColour(int index);
    void BrowseFolder(QLineEdit *edit, bool catalogRelative);
    void OnPageChanged(QTreeWidgetItem *item);
    void OnLanguageChosen(int index);
    void ApplyTranslation();
    void RestoreLanguage();
    QString TextOr(int number, const QString &builtIn) const;

    std::unique_ptr<TWidgets> m_w;
    TPrefsContext m_context;
    // Declared before m_plugins, which holds a reference to it.
    std::unique_ptr<IYesNoQuestion> m_boxQuestion;
    std::unique_ptr<TPluginsFrame> m_plugins;
    TColorChooser m_colorChooser;
    TFolderChooser m_folderChooser;
    std::function<void()> m_updateChecker;
    QLabel *m_updateStatus = nullptr;
    int m_initialLanguage = -1;
    // Set while pages are filled, so change handlers do not take the fill for user input.
    bool m_filling = false;
    // The article list as loaded: re-parsed only when the user edited its text.
    QStringList m_loadedPrefixList;
    QString m_loadedPrefixText;
};
