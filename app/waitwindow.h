#pragma once

#include <functional>
#include <utility>

#include <QString>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

// The small modeless window shown while an import, an export or a web search runs on the
// main thread. The caller keeps the events flowing (ProcessEvents) so it paints and its
// Cancel button is noticed.
class TWaitWindow : public QWidget
{
public:
    explicit TWaitWindow(QWidget *parent = nullptr);

    // Shows `text` (e.g. text 1861 or 1862), with a Cancel button only when `cancellable`;
    // clears the cancel flag and paints at once.
    void ShowWait(const QString &text, bool cancellable);
    void HideWait();
    // Shows a progress bar under the text (hidden again by the next ShowWait); a total of 0
    // or less shows a busy bar.
    void SetProgress(int done, int total);
    // True once Cancel was pressed since the last ShowWait.
    bool CancelRequested() const { return m_cancelRequested; }
    void ProcessEvents();
    // Called when Cancel is pressed, after the flag is set (the web flow's Cancel()).
    void SetOnCancel(std::function<void()> onCancel) { m_onCancel = std::move(onCancel); }

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void RequestCancel();

    QLabel *m_text = nullptr;
    QProgressBar *m_progress = nullptr;
    QPushButton *m_cancel = nullptr;
    bool m_cancelRequested = false;
    std::function<void()> m_onCancel;
};
