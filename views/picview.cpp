#include "views/picview.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

using namespace Qt::StringLiterals;

TPicView::TPicView(const QImage &image, QWidget *owner)
    : QWidget(owner, Qt::Window)
    , m_image(image)
{
    setObjectName(u"PicView"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);
    const QScreen *where = owner ? owner->screen() : screen();
    resize(ViewSize(image.size(), where ? where->size() : image.size()));
}

QSize TPicView::ViewSize(QSize picture, QSize screen)
{
    return QSize(std::max(1, std::min(picture.width(), screen.width())),
                 std::max(1, std::min(picture.height(), screen.height())));
}

void TPicView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QRect target(QPoint(), m_image.size().scaled(size(), Qt::KeepAspectRatio));
    if (m_image.width() <= width() && m_image.height() <= height())
        target.setSize(m_image.size());
    target.moveCenter(rect().center());
    painter.drawImage(target, m_image);
}

void TPicView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
