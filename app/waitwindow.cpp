#include "waitwindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "views/translate.h"

TWaitWindow::TWaitWindow(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("TWaitWindow"));
    // Modeless: the main window keeps painting behind it.
    setWindowModality(Qt::NonModal);

    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("WaitPanel"));
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Raised);

    m_text = new QLabel(frame);
    m_text->setObjectName(QStringLiteral("WaitLabel"));
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);

    m_progress = new QProgressBar(frame);
    m_progress->setObjectName(QStringLiteral("WaitProgress"));
    m_progress->setTextVisible(false);
    m_progress->hide();

    m_cancel = new QPushButton(QStringLiteral("Cancel"), frame);
    m_cancel->setObjectName(QStringLiteral("CancelBtn"));
    m_cancel->setProperty(TagProperty, 1751);
    connect(m_cancel, &QPushButton::clicked, this, [this] { RequestCancel(); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    buttons->addStretch();

    auto *inner = new QVBoxLayout(frame);
    inner->setContentsMargins(16, 16, 16, 12);
    inner->addWidget(m_text);
    inner->addWidget(m_progress);
    inner->addLayout(buttons);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);

    setMinimumWidth(260);
}

void TWaitWindow::ShowWait(const QString &text, bool cancellable)
{
    m_cancelRequested = false;
    m_text->setText(text);
    m_progress->hide();
    m_cancel->setVisible(cancellable);
    adjustSize();
    if (QWidget *owner = parentWidget()) {
        const QRect area = owner->window()->frameGeometry();
        move(area.center() - rect().center());
    }
    show();
    raise();
    // The caller blocks the event loop right after this: paint now.
    repaint();
    ProcessEvents();
}

void TWaitWindow::HideWait()
{
    hide();
}

void TWaitWindow::SetProgress(int done, int total)
{
    m_progress->setRange(0, qMax(total, 0));
    m_progress->setValue(total > 0 ? qBound(0, done, total) : 0);
    if (m_progress->isHidden()) {
        m_progress->show();
        adjustSize();
    }
}

void TWaitWindow::ProcessEvents()
{
    QCoreApplication::processEvents();
}

void TWaitWindow::closeEvent(QCloseEvent *event)
{
    // Only the running work ends the wait; a close request means Cancel when allowed.
    event->ignore();
    if (m_cancel->isVisible())
        RequestCancel();
}

void TWaitWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_cancel->isVisible()) {
        RequestCancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TWaitWindow::RequestCancel()
{
    m_cancelRequested = true;
    if (m_onCancel)
        m_onCancel();
}
