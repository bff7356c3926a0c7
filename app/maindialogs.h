#pragma once

#include <functional>
#include <optional>

#include <QDate>
#include <QString>
#include <QStringList>

#include "app/moviemaster.h"
#include "app/passdlg.h"
#include "host/linkpolicy.h"
#include "host/messagesink.h"
#include "host/webflow.h"
#include "logic/maintenance.h"
#include "views/cardhost.h"

class QWidget;
struct TPickerOptions;

// The answer of the file question of the delete command.
enum class TFileDecision { Yes, No, YesToAll, NoToAll };

// The answer of the "New Episode..." dialog.
struct TNewEpisodeAnswer
{
    int Number = 0;
    bool CopyMovieData = false;
};

// The answer of the "Set IDs..." dialog.
struct TIdSeries
{
    int Start = 1;
    int Increment = 1;

    bool operator==(const TIdSeries &) const = default;
};

// The questions the main window asks the user. The window program shows Qt dialogs; tests
// answer them, so the file commands can be driven without a modal loop.
class IMainDialogs
{
public:
    virtual ~IMainDialogs() = default;

    // `filter` is in Qt's form ("Name (*.a *.b);;All files (*)"). Nothing on Cancel.
    virtual std::optional<QString> AskOpenFile(QWidget *parent,
                                               const QString &caption,
                                               const QString &folder,
                                               const QString &filter) = 0;
    // `suffix` is added when the typed name has none; an existing file asks before it is
    // chosen.
    virtual std::optional<QString> AskSaveFile(QWidget *parent,
                                               const QString &caption,
                                               const QString &folder,
                                               const QString &filter,
                                               const QString &suffix) = 0;
    // A Yes/No warning box; true for Yes.
    virtual bool AskYesNo(QWidget *parent, const QString &caption, const QString &text) = 0;
    virtual void ShowError(QWidget *parent, const QString &caption, const QString &text) = 0;
    // A message of the language loader or the plug-in registry.
    virtual void ShowMessage(QWidget *parent,
                             TMessageKind kind,
                             const QString &caption,
                             const QString &text) = 0;
    // The protect command's question: the new password (empty to remove it) and the kind of
    // protection, `current` preselected when simple; nothing on Cancel.
    virtual std::optional<TNewPassword> AskNewPassword(QWidget *parent, TProtection current) = 0;

    // A one-line input box preset with `text`; nothing on Cancel.
    virtual std::optional<QString> AskText(QWidget *parent,
                                           const QString &caption,
                                           const QString &prompt,
                                           const QString &text) = 0;
    // Whether a movie file is deleted: "Yes", "No", "Yes to All", "No to All". Closing the
    // box counts as "No".
    virtual TFileDecision
    AskDeleteFile(QWidget *parent, const QString &caption, const QString &text) = 0;
    // The episode number (0 to 99999999, preset with `proposal`) and whether the movie's
    // data is copied (preset with `copy`); nothing on Cancel.
    virtual std::optional<TNewEpisodeAnswer>
    AskNewEpisode(QWidget *parent, int proposal, bool copy) = 0;
    // The first ID and the step for numbering the selected movies; nothing on Cancel.
    virtual std::optional<TIdSeries> AskIdSeries(QWidget *parent, const TIdSeries &preset) = 0;
    // A day from a calendar, preset with `day`; nothing on Cancel.
    virtual std::optional<QDate> AskDate(QWidget *parent, QDate day) = 0;
    // The advanced search criteria: 29 texts for the movie search fields 2 to 30 (texts of
    // fields without a box are kept as given); nothing on Cancel.
    virtual std::optional<QStringList> AskAdvancedSearch(QWidget *parent,
                                                         const QStringList &criteria) = 0;
    // "Loan Movie to": the borrower's name (without surrounding blanks), typed or picked from
    // the recent borrowers; nothing on Cancel or for a blank name.
    virtual std::optional<QString> AskBorrower(QWidget *parent,
                                               const QStringList &recentBorrowers) = 0;

    // The results dialog of a web search: the entry chosen (or none) and a browse address
    // to open after Cancel.
    virtual TResultChoice ChooseWebResult(QWidget *parent,
                                          const QString &caption,
                                          const QList<TWebResultEntry> &entries,
                                          const QByteArray &referrer) = 0;

    // The screenshot maker for a movie card's grab button: the new screenshot list, or
    // nothing when cancelled.
    virtual std::optional<QString> RunScreenMaker(QWidget *parent,
                                                  const TScreenRequest &request) = 0;

    // The maintenance tools: "Remove duplicates" (Remove or Merge, preset), "Remove bad
    // file locations" (its two options, preset) and the "Multiple Movies Editor" (the fields
    // to write and their texts, from the movies' common values). Nothing on Cancel.
    virtual std::optional<TDuplicateAction> AskDuplicateAction(QWidget *parent,
                                                               TDuplicateAction preset) = 0;
    virtual std::optional<TBadFileOptions> AskBadFileOptions(QWidget *parent,
                                                             const TBadFileOptions &preset) = 0;
    virtual std::optional<TMultiEditAnswer>
    AskMultiEdit(QWidget *parent, const TMultiCommon &common, const TMultiEditLists &lists) = 0;

    // "New Movie Master" with its picker and web search; the choice on "Go", nothing on
    // Cancel.
    virtual std::optional<TMasterChoice>
    RunMovieMaster(QWidget *parent,
                   const TMasterSetup &setup,
                   const std::function<QString()> &picker,
                   const std::function<void(int engine, const QString &text)> &webSearch) = 0;

    // Opens a file or address with the desktop's default program; false when it could not.
    // Targets from a catalog go through TRecordDialogs::OpenCatalogTarget first.
    virtual bool OpenWithDesktop(const QString &fileOrUrl) = 0;
    // Whether a catalog target that TLinkPolicy does not let through opens after all; the
    // question shows decision.Target whole. True for Yes only.
    virtual bool AskOpenTarget(QWidget *parent, const TLinkDecision &decision) = 0;
    // Shows the file selected in the file manager (or at least its folder).
    virtual void ShowInFileManager(const QString &file) = 0;

    // The program's own file picker (PickFiles in widefiledialog.h): on OK the paths joined
    // with "|", the append box's state and the folder to remember; false on Cancel, with
    // `result` empty and `append` unchanged.
    virtual bool PickFiles(QWidget *parent,
                           const TPickerOptions &options,
                           bool allowAppend,
                           bool &append,
                           const QString &extensions,
                           QString &result,
                           QString &lastFolder) = 0;
};

class TWideLanguage;

// The window program's answers: Qt's file dialogs, message boxes and the password dialog.
class TQtMainDialogs : public IMainDialogs
{
public:
    // `language` (may be null) gives the Yes/No and password captions; it must outlive this.
    explicit TQtMainDialogs(const TWideLanguage *language = nullptr)
        : m_language(language)
    {}

    std::optional<QString> AskOpenFile(QWidget *parent,
                                       const QString &caption,
                                       const QString &folder,
                                       const QString &filter) override;
    std::optional<QString> AskSaveFile(QWidget *parent,
                                       const QString &caption,
                                       const QString &folder,
                                       const QString &filter,
                                       const QString &suffix) override;
    bool AskYesNo(QWidget *parent, const QString &caption, const QString &text) override;
    void ShowError(QWidget *parent, const QString &caption, const QString &text) override;
    void ShowMessage(QWidget *parent,
                     TMessageKind kind,
                     const QString &caption,
                     const QString &text) override;
    std::optional<TNewPassword> AskNewPassword(QWidget *parent, TProtection current) override;
    std::optional<QString> AskText(QWidget *parent,
                                   const QString &caption,
                                   const QString &prompt,
                                   const QString &text) override;
    TFileDecision
    AskDeleteFile(QWidget *parent, const QString &caption, const QString &text) override;
    std::optional<TNewEpisodeAnswer>
    AskNewEpisode(QWidget *parent, int proposal, bool copy) override;
    std::optional<TIdSeries> AskIdSeries(QWidget *parent, const TIdSeries &preset) override;
    std::optional<QDate> AskDate(QWidget *parent, QDate day) override;
    std::optional<QStringList> AskAdvancedSearch(QWidget *parent,
                                                 const QStringList &criteria) override;
    std::optional<QString> AskBorrower(QWidget *parent,
                                       const QStringList &recentBorrowers) override;
    std::optional<QString> RunScreenMaker(QWidget *parent, const TScreenRequest &request) override;
    std::optional<TMasterChoice>
    RunMovieMaster(QWidget *parent,
                   const TMasterSetup &setup,
                   const std::function<QString()> &picker,
                   const std::function<void(int engine, const QString &text)> &webSearch) override;
    TResultChoice ChooseWebResult(QWidget *parent,
                                  const QString &caption,
                                  const QList<TWebResultEntry> &entries,
                                  const QByteArray &referrer) override;
    std::optional<TDuplicateAction> AskDuplicateAction(QWidget *parent,
                                                       TDuplicateAction preset) override;
    std::optional<TBadFileOptions> AskBadFileOptions(QWidget *parent,
                                                     const TBadFileOptions &preset) override;
    std::optional<TMultiEditAnswer> AskMultiEdit(QWidget *parent,
                                                 const TMultiCommon &common,
                                                 const TMultiEditLists &lists) override;
    bool OpenWithDesktop(const QString &fileOrUrl) override;
    bool AskOpenTarget(QWidget *parent, const TLinkDecision &decision) override;
    void ShowInFileManager(const QString &file) override;
    bool PickFiles(QWidget *parent,
                   const TPickerOptions &options,
                   bool allowAppend,
                   bool &append,
                   const QString &extensions,
                   QString &result,
                   QString &lastFolder) override;
    // How the results dialog fetches its preview pictures.
    void
    SetPreviewFetch(std::function<void(const QByteArray &,
                                       const QByteArray &,
                                       std::function<void(bool, const QByteArray &, int)>)> fetch)
    {
        m_previewFetch = std::move(fetch);
    }

private:
    std::function<void(
        const QByteArray &, const QByteArray &, std::function<void(bool, const QByteArray &, int)>)>
        m_previewFetch;
    const TWideLanguage *m_language;
};
