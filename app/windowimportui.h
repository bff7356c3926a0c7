#pragma once

#include <functional>
#include <optional>

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include "host/importexport.h"

class QWidget;
class TWaitWindow;
class TWideLanguage;

// The import and export dialogs of the window program: file dialogs over the folder
// settings, the confirmation dialog for duplicates and the shared wait window.
class TWindowImportUi : public IImportExportUi
{
public:
    // Chooses the wait window's text: 1861 while importing, 1862 while exporting.
    enum class TTask { Import, Export };

    // Replaces the file dialog in tests: gets the start folder and the Qt filter, returns
    // the chosen file or nothing for Cancel.
    using TFileChooser =
        std::function<std::optional<QString>(const QString &folder, const QString &filter)>;
    // Replaces the monotonic clock in tests; milliseconds.
    using TClock = std::function<qint64()>;

    // ProcessEvents turns the event loop at most once in this many milliseconds: a
    // repaint per record would cost far more than the import itself.
    static constexpr qint64 EventInterval = 100;

    static const QString DefaultMovieDuplicateText;  // text 1815
    static const QString DefaultPersonDuplicateText; // text 1821
    static const QString DefaultImportWaitText;      // text 1861
    static const QString DefaultExportWaitText;      // text 1862

    // `openFolder` and `saveFolder` are the settings' folder slots (5 and 4); they must
    // outlive this object and are updated to the folder of every chosen file. `language`
    // may be null (English texts then); `waitWindow` may be null (no wait window then).
    TWindowImportUi(TTask task,
                    QString &openFolder,
                    QString &saveFolder,
                    TWaitWindow *waitWindow,
                    const TWideLanguage *language = nullptr,
                    QWidget *parent = nullptr);

    void SetFileChooser(TFileChooser chooser) { m_chooser = std::move(chooser); }
    void SetClock(TClock clock) { m_clock = std::move(clock); }
    // What brackets the import so the window's lists change once (may be empty).
    void SetListUpdate(std::function<void()> begin, std::function<void()> end)
    {
        m_beginUpdate = std::move(begin);
        m_endUpdate = std::move(end);
    }

    // A plug-in filter "Desc|*.a|Desc2|*.b;*.c" in Qt's form "Desc (*.a);;Desc2 (*.b *.c)".
    // A trailing description without a pattern is dropped; a pair without a pattern too.
    static QString QtFilter(const QString &pluginFilter);

    // The confirmation dialog's message for a duplicate named `text1` / `text2` (title and
    // original title, or name and translated name).
    QString DuplicateMessage(TRecordKind kind, const QString &text1, const QString &text2) const;
    QString WaitText() const;
    // The line that tells what an import did: "N movies imported, M merged, K skipped", the
    // same for people when people came, and that it was cancelled.
    QString SummaryText(const TImportSummary &summary) const;

    std::optional<QString> AskOpenFile(const QString &filter) override;
    std::optional<QString> AskSaveFile(const QString &filter) override;
    TDuplicateAnswer
    AskDuplicate(TRecordKind kind, const QString &text1, const QString &text2) override;
    void ShowWait(bool cancellable) override;
    void HideWait() override;
    void ProcessEvents() override;
    bool CancelRequested() override;
    void BeginListUpdate() override;
    void EndListUpdate() override;

private:
    std::optional<QString> AskFile(bool save, const QString &filter, QString &folder);
    QString LanguageText(int number, const QString &defaultText) const;

    TTask m_task;
    QString &m_openFolder;
    QString &m_saveFolder;
    QPointer<TWaitWindow> m_waitWindow;
    const TWideLanguage *m_language;
    QPointer<QWidget> m_parent;
    TFileChooser m_chooser;
    TClock m_clock;
    QElapsedTimer m_elapsed;
    // When the event loop last turned (m_clock's time); none yet.
    std::optional<qint64> m_lastTurn;
    std::function<void()> m_beginUpdate;
    std::function<void()> m_endUpdate;
};
