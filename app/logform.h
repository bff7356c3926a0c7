#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

// The program log shown by Help / Log: a few lines such as the load time and poster paths.
// Lines are collected while the window is hidden, so it is created once at start-up and
// only shown on demand.
class TLogForm : public QWidget
{
public:
    explicit TLogForm(QWidget *parent = nullptr);

    // The lines kept: older ones go as new ones come (an import logs a line per poster).
    static constexpr int LineLimit = 10000;

    // Appends one line at the end; line breaks inside `text` are kept as further lines.
    void AddLine(const QString &text);
    // The collected lines, oldest first.
    QStringList Lines() const;
    void Clear();

private:
    void FlushPending() const;

    QPlainTextEdit *m_memo = nullptr;
    // Lines added since the event loop last turned, not yet in the view.
    mutable QStringList m_pending;
    QPushButton *m_clear = nullptr;
    QPushButton *m_close = nullptr;
};

// A copyable callable for TVideoDatabase::OnLog and similar hooks. It holds the form
// weakly: lines logged after the form is gone are dropped instead of crashing.
struct TLogSink
{
    QPointer<TLogForm> form;

    void operator()(const QString &line) const;
};
