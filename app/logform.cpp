#include "logform.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "views/translate.h"

TLogForm::TLogForm(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("TLogForm"));
    setWindowTitle(QStringLiteral("Log"));

    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("LogMemo"));
    m_memo->setReadOnly(true);
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo->setMaximumBlockCount(LineLimit);

    m_clear = new QPushButton(QStringLiteral("C&lear"), this);
    m_clear->setObjectName(QStringLiteral("ClearBtn"));
    m_clear->setProperty(TagProperty, 124);
    connect(m_clear, &QPushButton::clicked, this, [this] { Clear(); });

    m_close = new QPushButton(QStringLiteral("&Close"), this);
    m_close->setObjectName(QStringLiteral("CloseBtn"));
    m_close->setProperty(TagProperty, 1624);
    // Only hides: the lines stay for the next time the window is shown.
    connect(m_close, &QPushButton::clicked, this, [this] { hide(); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_clear);
    buttons->addWidget(m_close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_memo);
    layout->addLayout(buttons);

    resize(480, 320);
}

void TLogForm::AddLine(const QString &text)
{
    // An import logs a line per picture: appended one at a time, each laid the view out
    // again. The lines wait for the event loop and go in together.
    m_pending.append(text);
    if (m_pending.size() > LineLimit)
        m_pending.removeFirst();
    if (m_pending.size() == 1)
        QTimer::singleShot(0, this, [this] { FlushPending(); });
}

void TLogForm::FlushPending() const
{
    if (m_pending.isEmpty())
        return;
    m_memo->appendPlainText(m_pending.join(QLatin1Char('\n')));
    m_pending.clear();
}

QStringList TLogForm::Lines() const
{
    FlushPending();
    if (m_memo->document()->isEmpty())
        return {};
    return m_memo->toPlainText().split(QLatin1Char('\n'));
}

void TLogForm::Clear()
{
    m_pending.clear();
    m_memo->clear();
}

void TLogSink::operator()(const QString &line) const
{
    if (form)
        form->AddLine(line);
}
