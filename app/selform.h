#pragma once

#include <functional>
#include <optional>

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QString>

#include "host/webflow.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The results dialog of the web flow: one row per hit of a plug-in's search, with its
// preview picture when the site gives one. OK (or a double-click) takes the selected
// entry; Cancel forgets the choice but keeps the selected entry's browse URL.
class TSelForm : public QDialog
{
public:
    // Called once with the preview's outcome: `ok` false after a failure; `contentType`
    // as the download worker reports it (3 for JPEG).
    using TPreviewDone = std::function<void(bool ok, const QByteArray &body, int contentType)>;
    // Starts the download of one preview; `done` may come later, on the main thread.
    using TPreviewFetch = std::function<void(
        const QByteArray &pictureUrl, const QByteArray &referrer, TPreviewDone done)>;

    // Height of a row that shows a preview, in pixels.
    static constexpr int PreviewHeight = 140;

    explicit TSelForm(QWidget *parent = nullptr);

    // Without a fetcher the rows with a picture URL keep their loading picture.
    void SetPreviewFetch(TPreviewFetch fetch) { m_fetch = std::move(fetch); }
    // Opens the browse link, with the dialog as the parent of any question. By default a
    // web address opens in the browser and anything else asks first (TLinkPolicy).
    using TUrlOpener = std::function<void(QWidget *form, const QString &url)>;
    void SetUrlOpener(TUrlOpener open) { m_open = std::move(open); }

    // Fills the list (titles HTML-decoded) and starts the previews.
    void SetEntries(const QString &caption,
                    const QList<TWebResultEntry> &entries,
                    const QByteArray &referrer);
    // The list index of the entry taken with OK; nothing after Cancel.
    std::optional<int> Chosen() const { return m_chosen; }
    // The browse URL of the selected entry, also after Cancel.
    QByteArray BrowseUrl() const;

    // The window program's IWebFlowUi::ChooseResult: runs the dialog modally.
    static TResultChoice Choose(QWidget *parent,
                                const QString &caption,
                                const QList<TWebResultEntry> &entries,
                                const QByteArray &referrer,
                                TPreviewFetch fetch,
                                TUrlOpener open = {});

    void accept() override;
    void reject() override;

private:
    enum class TPreviewState { None, Loading, Shown, Failed };

    void FetchPreview(int row);
    void PreviewArrived(int row, bool ok, const QByteArray &body, int contentType);
    void SelectionChanged();
    void ItemClicked(QListWidgetItem *item);

    QListWidget *m_list = nullptr;
    QLabel *m_browseLink = nullptr;
    QPushButton *m_ok = nullptr;
    QList<TWebResultEntry> m_entries;
    QList<TPreviewState> m_states;
    QByteArray m_referrer;
    // Rows refilled since a preview started drop its answer.
    int m_generation = 0;
    std::optional<int> m_chosen;
    TPreviewFetch m_fetch;
    TUrlOpener m_open;
};
